// Loading BMP and PNG images into sprites on 32- and 16-bit headless screens.
#include "runtime/sprites/image.h"

#include <gtest/gtest.h>

#include "runtime/display/pixel_format.h"
#include "runtime/sprites/png_decoder.h"
#include "tests/runtime/sprites/screen_fixture.h"
#include "tests/runtime/sprites/test_images.h"

namespace rt::test {
namespace {

class ImageLoading : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    EnablePngDecoder();
  }

  int Depth() const { return GetParam(); }

  // The screen pixel of a 0x00RRGGBB colour.
  std::uint32_t Expected(std::uint32_t rgb) const {
    return ColorToPixelAtDepth(Depth(), rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
  }

  // Loads as sprite 1 and returns it, or nullptr.
  const Sprite* Load(const Bytes& file, int mode = 0) {
    if (LoadSpriteFromMemory(1, file.data(), file.size(), mode) == 0) return nullptr;
    return FindSprite(1);
  }

  // Every pixel of the sprite against a 0x00RRGGBB picture, top row first.
  void ExpectPicture(const Sprite& sprite, int width, int height, const std::vector<std::uint32_t>& rgb) {
    ASSERT_EQ(sprite.width, width);
    ASSERT_EQ(sprite.height, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(PixelAt(sprite.surface, x, y), Expected(rgb[static_cast<std::size_t>(y * width + x)]))
            << "at " << x << "," << y;
      }
    }
  }
};

INSTANTIATE_TEST_SUITE_P(Depths, ImageLoading, ::testing::Values(32, 16),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

std::vector<std::uint32_t> Indices(int count, int colours) {
  std::vector<std::uint32_t> indices(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    indices[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>((i * 7 + i / 5) % colours);
  return indices;
}

std::vector<std::uint32_t> Palette(int colours) {
  std::vector<std::uint32_t> palette;
  for (int i = 0; i < colours; ++i)
    palette.push_back(0x0F1E2Du * static_cast<std::uint32_t>(i + 1) + 0x405060u);
  return palette;
}

std::vector<std::uint32_t> ThroughPalette(const std::vector<std::uint32_t>& indices,
                                          const std::vector<std::uint32_t>& palette) {
  std::vector<std::uint32_t> rgb;
  for (std::uint32_t index : indices) rgb.push_back(palette[index]);
  return rgb;
}

// ---- BMP ----

TEST_P(ImageLoading, EightBitBmpOfWidth18ReadsPaddedRowsBottomUp) {
  BmpImage bmp = Bmp(18, 5, 8, {}, Palette(256));
  bmp.pixels = Indices(18 * 5, 256);
  const Sprite* sprite = Load(MakeBmp(bmp));
  ASSERT_NE(sprite, nullptr);
  EXPECT_TRUE(sprite->colorKeyed);
  ExpectPicture(*sprite, 18, 5, ThroughPalette(bmp.pixels, bmp.palette));
}

TEST_P(ImageLoading, PaletteBlackLoadsAsTheTransparentValue) {
  BmpImage bmp = Bmp(2, 1, 8, {1, 0}, {0xFFFFFF, 0x000000});
  const Sprite* sprite = Load(MakeBmp(bmp));
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(PixelAt(sprite->surface, 0, 0), 0u);
  EXPECT_NE(PixelAt(sprite->surface, 1, 0), 0u);
}

TEST_P(ImageLoading, OneBitBmpIsBlackAndWhiteWhateverItsPalette) {
  BmpImage bmp = Bmp(11, 3, 1, {}, {0xFF0000, 0x00FF00});
  bmp.pixels = Indices(33, 2);
  const Sprite* sprite = Load(MakeBmp(bmp));
  ASSERT_NE(sprite, nullptr);
  ExpectPicture(*sprite, 11, 3, ThroughPalette(bmp.pixels, {0x000000, 0xFFFFFF}));
}

TEST_P(ImageLoading, FourBitBmpOfOddWidthLooksUpEachNibble) {
  BmpImage bmp = Bmp(7, 4, 4, {}, Palette(16));
  bmp.pixels = Indices(28, 16);
  const Sprite* sprite = Load(MakeBmp(bmp));
  ASSERT_NE(sprite, nullptr);
  ExpectPicture(*sprite, 7, 4, ThroughPalette(bmp.pixels, bmp.palette));
}

TEST_P(ImageLoading, IndicesPastAShortPaletteAtTheEndOfTheFileAreBlack) {
  // Two palette entries and the pixel data right after them; index 200 points past the file's end.
  BmpImage bmp = Bmp(4, 1, 8, {0, 1, 200, 255}, {0x112233, 0x445566});
  Bytes file = MakeBmp(bmp);
  const Sprite* sprite = Load(file);
  ASSERT_NE(sprite, nullptr);
  ExpectPicture(*sprite, 4, 1, {0x112233, 0x445566, 0, 0});
}

TEST_P(ImageLoading, Rle8RunsLiteralsMovesAndLineEnds) {
  // 6 x 4 image, bottom row first: a run, a literal of 3 (padded), end of line, a move, a run that
  // overflows the row, end of line twice, a run, end of bitmap.
  BmpImage bmp = Bmp(6, 4, 8, {}, {0x808080, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  bmp.compression = 1;
  bmp.rle = {2, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 3, 0, 9, 2, 0, 0, 0, 0, 3, 3, 0, 1};
  const Sprite* sprite = Load(MakeBmp(bmp));
  ASSERT_NE(sprite, nullptr);
  // Pixels the stream never reaches are black, not palette entry 0.
  const std::uint32_t r = 0xFF0000, g = 0x00FF00, b = 0x0000FF, w = 0xFFFFFF;
  ExpectPicture(*sprite, 6, 4, {b, b, b, 0, 0, 0,    // row 3 (top)
                                0, 0, 0, 0, 0, 0,    // row 2
                                0, 0, 0, g, g, g,    // row 1: moved 3 right, run of 9 cut at the edge
                                r, r, g, b, w, 0});  // row 0 (bottom)
}

TEST_P(ImageLoading, Rle4IsRefused) {
  BmpImage bmp = Bmp(4, 1, 4, {}, Palette(16));
  bmp.compression = 2;
  bmp.rle = {4, 0x12, 0, 1};
  EXPECT_EQ(Load(MakeBmp(bmp)), nullptr);
}

TEST_P(ImageLoading, SixteenBitBmpIsRead555) {
  BmpImage bmp = Bmp(3, 2, 16, {0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x8000, 0x4210});
  const Sprite* sprite = Load(MakeBmp(bmp));
  ASSERT_NE(sprite, nullptr);
  for (int i = 0; i < 6; ++i) {
    const std::uint32_t v = bmp.pixels[static_cast<std::size_t>(i)];
    const std::uint32_t red5 = v >> 10 & 31, green5 = v >> 5 & 31, blue5 = v & 31;
    // 32 bits: each channel shifted up by 3; 16 bits: 5-6-5 with green's new low bit 0.
    const std::uint32_t expected =
        Depth() == 32 ? (red5 << 19) + (green5 << 11) + (blue5 << 3) : (red5 << 11) + (green5 << 6) + blue5;
    EXPECT_EQ(PixelAt(sprite->surface, i % 3, i / 3), expected) << i;
  }
  if (Depth() == 16) {
    EXPECT_EQ(PixelAt(sprite->surface, 0, 0), 0xFFDFu);
  }
}

TEST_P(ImageLoading, TwentyFourBitBmpOfEveryPadding) {
  for (int width = 1; width <= 5; ++width) {
    BmpImage bmp = Bmp(width, 3, 24);
    for (int i = 0; i < width * 3; ++i)
      bmp.pixels.push_back(0x01F3E5u * static_cast<std::uint32_t>(i + 1) & 0xFFFFFF);
    const Sprite* sprite = Load(MakeBmp(bmp));
    ASSERT_NE(sprite, nullptr) << width;
    ExpectPicture(*sprite, width, 3, bmp.pixels);
  }
}

// Packed rows end on a byte and then on a multiple of 4 bytes: every width up to 5 bytes of pixels, in
// images whose neighbouring rows differ, so that a row read from the wrong offset shows.
TEST_P(ImageLoading, OneAndFourBitBmpOfEveryPadding) {
  struct Case {
    int bits, widest;
    std::vector<std::uint32_t> palette, shown;
  };
  const Case cases[] = {{1, 40, {0xFF0000, 0x00FF00}, {0x000000, 0xFFFFFF}},
                        {4, 12, Palette(16), Palette(16)}};
  for (const Case& depth : cases) {
    for (int width = 1; width <= depth.widest; ++width) {
      SCOPED_TRACE(std::to_string(depth.bits) + " bits, width " + std::to_string(width));
      BmpImage bmp = Bmp(width, 4, depth.bits, {}, depth.palette);
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < width; ++x)
          bmp.pixels.push_back(static_cast<std::uint32_t>(y + x + x / 3 + x * y / 2) % (1u << depth.bits));
      }
      const Sprite* sprite = Load(MakeBmp(bmp));
      ASSERT_NE(sprite, nullptr);
      ExpectPicture(*sprite, width, 4, ThroughPalette(bmp.pixels, depth.shown));
    }
  }
}

TEST_P(ImageLoading, ThirtyTwoBitBmpDropsAlphaUnlessAlphaModeKeepsIt) {
  BmpImage bmp = Bmp(2, 1, 32, {0x80FF8040, 0xFF000000});
  const Sprite* keyed = Load(MakeBmp(bmp));
  ASSERT_NE(keyed, nullptr);
  ExpectPicture(*keyed, 2, 1, {0xFF8040, 0});
  EXPECT_TRUE(keyed->colorKeyed);

  const Sprite* alpha = Load(MakeBmp(bmp), SpriteModeAlpha);
  ASSERT_NE(alpha, nullptr);
  EXPECT_FALSE(alpha->colorKeyed);
  EXPECT_EQ(alpha->surface.Depth(), 32);
  EXPECT_EQ(PixelAt(alpha->surface, 0, 0), 0x80FF8040u);
  EXPECT_EQ(PixelAt(alpha->surface, 1, 0), 0xFF000000u);
}

TEST_P(ImageLoading, AlphaModeOnImagesWithoutAlphaKeepsTheColourKey) {
  BmpImage bmp = Bmp(1, 1, 24, {0x123456});
  const Sprite* sprite = Load(MakeBmp(bmp), SpriteModeAlpha);
  ASSERT_NE(sprite, nullptr);
  EXPECT_TRUE(sprite->colorKeyed);
  EXPECT_EQ(sprite->surface.Depth(), 32);
  EXPECT_EQ(PixelAt(sprite->surface, 0, 0), 0x123456u);
}

TEST_P(ImageLoading, PlainMemoryKeepsEightBitIndicesTopRowFirst) {
  BmpImage bmp = Bmp(5, 3, 8, {}, Palette(256));
  bmp.pixels = Indices(15, 256);
  const Sprite* sprite = Load(MakeBmp(bmp), SpriteModePlainMemory);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->depth, -2);
  EXPECT_EQ(sprite->surface.Depth(), 8);
  for (int i = 0; i < 15; ++i)
    EXPECT_EQ(PixelAt(sprite->surface, i % 5, i / 5), bmp.pixels[static_cast<std::size_t>(i)]);
  EXPECT_EQ(SpriteTarget(1), nullptr);
}

TEST_P(ImageLoading, PlainMemoryDecodesRle8ToIndices) {
  BmpImage bmp = Bmp(3, 2, 8, {}, Palette(8));
  bmp.compression = 1;
  bmp.rle = {3, 5, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
  const Sprite* sprite = Load(MakeBmp(bmp), SpriteModePlainMemory);
  ASSERT_NE(sprite, nullptr);
  const std::uint32_t expected[] = {1, 2, 3, 5, 5, 5};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(PixelAt(sprite->surface, i % 3, i / 3), expected[i]);
}

TEST_P(ImageLoading, PlainMemoryRefusesOtherImages) {
  BmpImage bmp = Bmp(1, 1, 24, {0x123456});
  EXPECT_EQ(Load(MakeBmp(bmp), SpriteModePlainMemory), nullptr);
  BmpImage oneBit = Bmp(1, 1, 1, {1});
  EXPECT_EQ(Load(MakeBmp(oneBit), SpriteModePlainMemory), nullptr);
  PngImage png = Png(1, 1, PngColour::Rgb, 8, {1, 2, 3});
  EXPECT_EQ(Load(MakePng(png), SpriteModePlainMemory), nullptr);
}

// ---- PNG ----

TEST_P(ImageLoading, PngOfEveryColourTypeLoadsInTheScreenFormat) {
  struct Case {
    PngImage png;
    std::vector<std::uint32_t> rgb;
  };
  PngImage palette = Png(2, 1, PngColour::Palette, 4, {1, 0});
  palette.palette = {0x102030, 0xFFEEDD};
  const std::vector<Case> cases = {
      {palette, {0xFFEEDD, 0x102030}},
      {Png(3, 1, PngColour::Grey, 2, {0, 1, 3}), {0x000000, 0x555555, 0xFFFFFF}},
      {Png(2, 1, PngColour::GreyAlpha, 8, {200, 7, 9, 255}), {0xC8C8C8, 0x090909}},
      {Png(2, 2, PngColour::Rgb, 16,
           {0xFF00, 0x8012, 0x0034, 1, 2, 3, 0x1200, 0x3400, 0x5600, 0xFFFF, 0xFFFF, 0xFFFF}),
       {0xFF8000, 0x000000, 0x123456, 0xFFFFFF}},
      {Png(2, 1, PngColour::Rgba, 8, {1, 2, 3, 0, 9, 8, 7, 128}), {0x010203, 0x090807}},
  };
  for (const Case& c : cases) {
    for (bool interlaced : {false, true}) {
      PngImage png = c.png;
      png.interlaced = interlaced;
      const Sprite* sprite = Load(MakePng(png));
      ASSERT_NE(sprite, nullptr);
      EXPECT_TRUE(sprite->colorKeyed);
      ExpectPicture(*sprite, png.width, png.height, c.rgb);
    }
  }
}

TEST_P(ImageLoading, PngAlphaIsReplacedByZeroInTheDefaultModeAndKeptInAlphaMode) {
  PngImage png = Png(2, 1, PngColour::Rgba, 8, {255, 0, 0, 64, 0, 0, 0, 255});
  const Sprite* keyed = Load(MakePng(png));
  ASSERT_NE(keyed, nullptr);
  ExpectPicture(*keyed, 2, 1, {0xFF0000, 0});
  const Sprite* alpha = Load(MakePng(png), SpriteModeAlpha);
  ASSERT_NE(alpha, nullptr);
  EXPECT_FALSE(alpha->colorKeyed);
  EXPECT_EQ(PixelAt(alpha->surface, 0, 0), 0x40FF0000u);
  EXPECT_EQ(PixelAt(alpha->surface, 1, 0), 0xFF000000u);
}

TEST_P(ImageLoading, PngNeedsItsDecoderRegistered) {
  PngImage png = Png(1, 1, PngColour::Rgb, 8, {1, 2, 3});
  const Bytes file = MakePng(png);
  ResetImageDecoders();
  EXPECT_EQ(Load(file), nullptr);
  EnablePngDecoder();
  EXPECT_NE(Load(file), nullptr);
}

// ---- Results and failures ----

TEST_P(ImageLoading, AutomaticNumbersGiveAHandle) {
  BmpImage bmp = Bmp(3, 2, 24, std::vector<std::uint32_t>(6, 0x010101));
  const Bytes file = MakeBmp(bmp);
  const ObjectNumber handle = LoadSpriteFromMemory(kAutomaticObject, file.data(), file.size());
  ASSERT_GE(handle, kFirstAutomaticNumber);
  EXPECT_EQ(SpriteWidth(handle), 3);
  EXPECT_EQ(LoadSpriteFromMemory(7, file.data(), file.size()), 1);
}

TEST_P(ImageLoading, ALoadedSpriteCountsAsChangedPixels) {
  ASSERT_NE(CreateSprite(1, 3, 2), 0);
  BmpImage bmp = Bmp(3, 2, 24, std::vector<std::uint32_t>(6, 0x010101));
  const Sprite* sprite = Load(MakeBmp(bmp));
  ASSERT_NE(sprite, nullptr);
  EXPECT_NE(sprite->surface.Generation(), 0u);
}

std::vector<Bytes> SampleImages() {
  BmpImage indexed = Bmp(5, 3, 8, {}, Palette(4));
  indexed.pixels = Indices(15, 4);
  BmpImage rle = Bmp(3, 2, 8, {}, Palette(8));
  rle.compression = 1;
  rle.rle = {3, 5, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
  BmpImage oneBit = Bmp(9, 2, 1, Indices(18, 2));
  BmpImage fourBit = Bmp(3, 2, 4, Indices(6, 16), Palette(16));
  BmpImage high = Bmp(3, 2, 16, Indices(6, 0x7FFF));
  BmpImage trueColour = Bmp(3, 2, 24, Indices(6, 0xFFFFFF));
  BmpImage withAlpha = Bmp(3, 2, 32, Indices(6, 0x7FFFFFFF));
  PngImage png = Png(4, 3, PngColour::Rgba, 8);
  for (int i = 0; i < 48; ++i) png.samples.push_back(static_cast<std::uint16_t>(i * 5));
  return {MakeBmp(indexed), MakeBmp(rle),        MakeBmp(oneBit),    MakeBmp(fourBit),
          MakeBmp(high),    MakeBmp(trueColour), MakeBmp(withAlpha), MakePng(png)};
}

TEST_P(ImageLoading, EveryTruncationIsRefusedAndLeavesTheNumberEmpty) {
  for (const Bytes& file : SampleImages()) {
    ASSERT_NE(Load(file), nullptr);
    for (std::size_t length = 0; length < file.size(); ++length) {
      // A copy of exactly `length` bytes, so that reading past it is caught by the sanitizers.
      const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
      ASSERT_NE(CreateSprite(1, 2, 2), 0);
      EXPECT_EQ(LoadSpriteFromMemory(1, cut.data(), cut.size()), 0) << "length " << length;
      EXPECT_EQ(FindSprite(1), nullptr);
    }
  }
}

Bytes WithField32(Bytes file, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  return file;
}

TEST_P(ImageLoading, MalformedBmpHeadersAreRefused) {
  BmpImage bmp = Bmp(4, 4, 24, Indices(16, 0xFFFFFF));
  const Bytes file = MakeBmp(bmp);
  ASSERT_NE(Load(file), nullptr);
  const std::vector<Bytes> malformed = {
      WithField32(file, 22, static_cast<std::uint32_t>(-4)),  // top-down rows are not read
      WithField32(file, 18, 0),                               // no width
      WithField32(file, 22, 0),                               // no height
      WithField32(file, 18, static_cast<std::uint32_t>(-4)),
      WithField32(file, 18, kMaxImageSide + 1),
      WithField32(WithField32(file, 18, 8192), 22, 8192),              // within each side, too many pixels
      WithField32(file, 10, static_cast<std::uint32_t>(file.size())),  // pixel data past the end
      WithField32(file, 10, 0xFFFFFFF0u),
      WithField32(file, 28, 0x00000003),  // 3 bits per pixel
      WithField32(file, 28, 0x00000000),
  };
  for (std::size_t i = 0; i < malformed.size(); ++i) {
    EXPECT_EQ(Load(malformed[i]), nullptr) << "case " << i;
  }
}

TEST_P(ImageLoading, Rle8StreamsWithoutAnEndAreRefused) {
  BmpImage bmp = Bmp(4, 2, 8, {}, Palette(4));
  bmp.compression = 1;
  for (const Bytes& stream : {Bytes{4, 1, 0, 0, 4, 2}, Bytes{4, 1, 0, 2, 1}, Bytes{0, 5, 1, 2, 3, 0},
                              Bytes{0, 3, 1, 2, 3}, Bytes{0}}) {
    bmp.rle = stream;
    EXPECT_EQ(Load(MakeBmp(bmp)), nullptr);
  }
}

TEST_P(ImageLoading, AHugePaletteOffsetReadsAsBlack) {
  BmpImage bmp = Bmp(2, 1, 8, {0, 1}, {0xFFFFFF, 0xFFFFFF});
  const Sprite* sprite = Load(WithField32(MakeBmp(bmp), 14, 0xFFFFFFFFu));
  ASSERT_NE(sprite, nullptr);
  ExpectPicture(*sprite, 2, 1, {0, 0});
}

TEST_P(ImageLoading, UnknownDataAndNoDataAreRefused) {
  const Bytes text{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Load(text), nullptr);
  EXPECT_EQ(LoadSpriteFromMemory(1, nullptr, 100), 0);
  EXPECT_EQ(LoadSpriteFromMemory(-5, text.data(), text.size()), 0);
}

TEST_P(ImageLoading, AFailedLoadStillFreesThePreviousSprite) {
  ASSERT_NE(CreateSprite(1, 4, 4), 0);
  const Bytes nothing{'B', 'M'};
  EXPECT_EQ(Load(nothing), nullptr);
  EXPECT_EQ(SpriteWidth(1), 0);
}

TEST(ImageLoadingWithoutScreen, NothingLoadsBeforeTheSpriteSystemStarts) {
  BmpImage bmp = Bmp(1, 1, 24, {0x123456});
  const Bytes file = MakeBmp(bmp);
  EXPECT_EQ(LoadSpriteFromMemory(1, file.data(), file.size()), 0);
}

}  // namespace
}  // namespace rt::test
