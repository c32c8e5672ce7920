// The PNG decoder on its own: every colour type and depth into the loader's row layouts.
#include "runtime/sprites/png_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "tests/runtime/sprites/test_images.h"

namespace rt::test {
namespace {

struct Decoded {
  int layout = ImageNotMine;
  int width = 0, height = 0;
  std::size_t stride = 0;
  int decodeResult = 0;
  Bytes rows;

  const std::uint8_t* Pixel(int x, int y) const {
    return rows.data() + static_cast<std::size_t>(y) * stride +
           static_cast<std::size_t>(x) * (layout == ImageRows32 ? 4 : 3);
  }
};

constexpr std::uint8_t kUntouched = 0xA5;

// Decodes as the loader does, into rows prefilled with a marker so that stray writes show.
Decoded Decode(const Bytes& file) {
  Decoded out;
  const ImageDecoder& png = PngDecoder();
  out.layout = png.check(file.data(), file.size());
  if (out.layout == ImageNotMine) return out;
  out.width = png.width();
  out.height = png.height();
  out.stride = out.layout == ImageRows32 ? out.width * 4u : out.width * 3u + (out.width & 3);
  out.rows.assign(out.stride * out.height + 16, kUntouched);
  out.decodeResult = png.decode(out.rows.data(), out.stride, 0);
  return out;
}

std::vector<std::uint16_t> Pattern(int count, int limit, int seed) {
  std::vector<std::uint16_t> samples(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    samples[static_cast<std::size_t>(i)] =
        static_cast<std::uint16_t>((i * 37 + seed * 11 + i * i) % (limit + 1));
  return samples;
}

void ExpectBgr(const Decoded& image, int x, int y, int blue, int green, int red) {
  const std::uint8_t* p = image.Pixel(x, y);
  EXPECT_EQ(p[0], blue) << "at " << x << "," << y;
  EXPECT_EQ(p[1], green) << "at " << x << "," << y;
  EXPECT_EQ(p[2], red) << "at " << x << "," << y;
}

TEST(PngDecoderOutput, PaletteImagesGive24BitRowsOfTheirColours) {
  for (int depth : {1, 2, 4, 8}) {
    PngImage image = Png(9, 3, PngColour::Palette, depth);
    const int entries = 1 << std::min(depth, 4);
    for (int i = 0; i < entries; ++i)
      image.palette.push_back(0x102030u * static_cast<std::uint32_t>(i + 1) + 0x010203u);
    image.samples = Pattern(image.width * image.height, entries - 1, depth);
    const Decoded decoded = Decode(MakePng(image));
    ASSERT_EQ(decoded.layout, ImageRows24) << depth;
    ASSERT_EQ(decoded.decodeResult, 1);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::uint32_t colour =
            image.palette[image.samples[static_cast<std::size_t>(y * image.width + x)]];
        ExpectBgr(decoded, x, y, colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF);
      }
    }
  }
}

TEST(PngDecoderOutput, PaletteTransparencyIsDropped) {
  PngImage image = Png(2, 1, PngColour::Palette, 8, {0, 1});
  image.palette = {0xFF0000, 0x00FF00};
  image.paletteAlpha = {0, 128};
  const Decoded decoded = Decode(MakePng(image));
  ASSERT_EQ(decoded.layout, ImageRows24);
  ASSERT_EQ(decoded.decodeResult, 1);
  ExpectBgr(decoded, 0, 0, 0, 0, 255);
  ExpectBgr(decoded, 1, 0, 0, 255, 0);
}

TEST(PngDecoderOutput, GreyOfEveryDepthSpreadsOverTheFullRange) {
  for (int depth : {1, 2, 4, 8, 16}) {
    const int top = (1 << depth) - 1;
    PngImage image = Png(7, 2, PngColour::Grey, depth);
    image.samples = Pattern(14, top, depth);
    const Decoded decoded = Decode(MakePng(image));
    ASSERT_EQ(decoded.layout, ImageRows24) << depth;
    ASSERT_EQ(decoded.decodeResult, 1);
    for (int i = 0; i < 14; ++i) {
      const int sample = image.samples[static_cast<std::size_t>(i)];
      // Scaling to 8 bits: replicate the bits for small depths, keep the high byte of 16-bit ones.
      const int grey = depth == 16 ? sample >> 8 : sample * 255 / top;
      ExpectBgr(decoded, i % 7, i / 7, grey, grey, grey);
    }
  }
}

TEST(PngDecoderOutput, GreyWithAlphaGives32BitRows) {
  for (int depth : {8, 16}) {
    PngImage image = Png(3, 1, PngColour::GreyAlpha, depth);
    image.samples = depth == 8 ? std::vector<std::uint16_t>{10, 255, 200, 0, 77, 128}
                               : std::vector<std::uint16_t>{0x0AFF, 0xFF00, 0xC812, 0x00FF, 0x4D4D, 0x8000};
    const Decoded decoded = Decode(MakePng(image));
    ASSERT_EQ(decoded.layout, ImageRows32) << depth;
    ASSERT_EQ(decoded.decodeResult, 1);
    for (int x = 0; x < 3; ++x) {
      const int grey = image.samples[static_cast<std::size_t>(2 * x)] >> (depth - 8);
      const int alpha = image.samples[static_cast<std::size_t>(2 * x + 1)] >> (depth - 8);
      ExpectBgr(decoded, x, 0, grey, grey, grey);
      EXPECT_EQ(decoded.Pixel(x, 0)[3], alpha);
    }
  }
}

TEST(PngDecoderOutput, TrueColourComesOutBlueGreenRedWithHighBytesOf16BitChannels) {
  for (PngColour colour : {PngColour::Rgb, PngColour::Rgba}) {
    for (int depth : {8, 16}) {
      const int channels = colour == PngColour::Rgb ? 3 : 4;
      PngImage image = Png(5, 4, colour, depth);
      image.samples = Pattern(5 * 4 * channels, (1 << depth) - 1, depth + channels);
      const Decoded decoded = Decode(MakePng(image));
      ASSERT_EQ(decoded.layout, channels == 4 ? ImageRows32 : ImageRows24);
      ASSERT_EQ(decoded.decodeResult, 1);
      for (int i = 0; i < 20; ++i) {
        const std::uint16_t* s = image.samples.data() + i * channels;
        const int shift = depth - 8;
        ExpectBgr(decoded, i % 5, i / 5, s[2] >> shift, s[1] >> shift, s[0] >> shift);
        if (channels == 4) {
          EXPECT_EQ(decoded.Pixel(i % 5, i / 5)[3], s[3] >> shift);
        }
      }
    }
  }
}

TEST(PngDecoderOutput, InterlacedImagesDecodeLikeTheirPlainForm) {
  PngImage image = Png(13, 11, PngColour::Rgba, 8);
  image.samples = Pattern(13 * 11 * 4, 255, 5);
  const Decoded plain = Decode(MakePng(image));
  image.interlaced = true;
  const Decoded interlaced = Decode(MakePng(image));
  ASSERT_EQ(interlaced.decodeResult, 1);
  EXPECT_EQ(interlaced.rows, plain.rows);
}

TEST(PngDecoderOutput, RowsStayInsideTheirStride) {
  PngImage image = Png(5, 3, PngColour::Rgb, 8);
  image.samples = Pattern(45, 255, 1);
  const Decoded decoded = Decode(MakePng(image));
  ASSERT_EQ(decoded.decodeResult, 1);
  // 5 pixels of 3 bytes in a 16-byte stride: the last byte of each row and the slack after the last
  // row are left alone.
  for (int y = 0; y < 3; ++y) EXPECT_EQ(decoded.rows[y * decoded.stride + 15], kUntouched);
  EXPECT_EQ(decoded.rows[decoded.stride * 3], kUntouched);
}

// ---- Refusals ----

// Rewrites the header's size fields and their checksum.
Bytes WithHeaderSize(Bytes file, std::uint32_t width, std::uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    file[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
    file[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
  }
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, file.data() + 12, 17));
  for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return file;
}

Bytes SmallPng() {
  PngImage image = Png(4, 4, PngColour::Rgb, 8);
  image.samples = Pattern(48, 255, 2);
  return MakePng(image);
}

TEST(PngDecoderRefusal, OtherDataIsNotAPng) {
  const Bytes bmp{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(PngDecoder().check(bmp.data(), bmp.size()), ImageNotMine);
  const Bytes png = SmallPng();
  EXPECT_EQ(PngDecoder().check(png.data(), 7), ImageNotMine);
  EXPECT_EQ(PngDecoder().check(nullptr, 0), ImageNotMine);
}

TEST(PngDecoderRefusal, AHeaderCutShortIsNotAccepted) {
  const Bytes png = SmallPng();
  for (std::size_t length : {std::size_t{8}, std::size_t{20}, std::size_t{32}}) {
    EXPECT_EQ(PngDecoder().check(png.data(), length), ImageNotMine) << length;
  }
}

TEST(PngDecoderRefusal, PixelDataCutShortFailsTheDecode) {
  const Bytes png = SmallPng();
  Bytes cut(png.begin(), png.end() - 30);
  const Decoded decoded = Decode(cut);
  ASSERT_EQ(decoded.layout, ImageRows24);
  EXPECT_EQ(decoded.decodeResult, 0);
}

TEST(PngDecoderRefusal, DamagedPixelDataFailsTheDecode) {
  Bytes png = SmallPng();
  png[png.size() - 20] ^= 0xFF;  // inside the compressed data: its checksum no longer matches
  const Decoded decoded = Decode(png);
  EXPECT_EQ(decoded.decodeResult, 0);
}

TEST(PngDecoderRefusal, ImagesBeyondTheSizeLimitsAreRefused) {
  const Bytes png = SmallPng();
  EXPECT_NE(PngDecoder().check(WithHeaderSize(png, 4096, 4096).data(), png.size()), ImageNotMine);
  EXPECT_EQ(PngDecoder().check(WithHeaderSize(png, kMaxImageSide + 1, 1).data(), png.size()), ImageNotMine);
  EXPECT_EQ(PngDecoder().check(WithHeaderSize(png, 1, kMaxImageSide + 1).data(), png.size()), ImageNotMine);
  EXPECT_EQ(PngDecoder().check(WithHeaderSize(png, kMaxImageSide, kMaxImageSide).data(), png.size()),
            ImageNotMine);
}

TEST(PngDecoderRefusal, ADecodeWithoutAnAcceptingCheckWritesNothing) {
  const Bytes png = SmallPng();
  ASSERT_EQ(Decode(png).decodeResult, 1);
  Bytes rows(64, kUntouched);
  EXPECT_EQ(PngDecoder().decode(rows.data(), 16, 0), 0);
  EXPECT_EQ(rows, Bytes(64, kUntouched));
}

}  // namespace
}  // namespace rt::test
