// Damaged and hostile BMP and PNG images: each is refused with 0 or becomes a sprite of the stated size
// whose every pixel is one of the picture's colours or 0, at screen depths 32 and 16. The images sit
// in buffers of exactly their length, so the sanitizer builds catch any read past them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "runtime/display/pixel_format.h"
#include "runtime/sprites/image.h"
#include "runtime/sprites/png_decoder.h"
#include "tests/runtime/sprites/screen_fixture.h"
#include "tests/runtime/sprites/test_images.h"
#include "tests/support/allocation_counter.h"

// Under AddressSanitizer fresh heap blocks are filled with 0xBE, so pixels nobody wrote show up as
// values outside the picture's colours instead of happening to read as 0.
extern "C" const char* __asan_default_options() {
  return "max_malloc_fill_size=16777216";
}

namespace rt::test {
namespace {

// Every picture is drawn from these colours (0x00RRGGBB); black is 0 and allowed everywhere.
const std::vector<std::uint32_t> kColours = {0x102030, 0x405060, 0x708090, 0xA0B0C0};

enum class Expect { Refused, Loaded, Either };

struct Case {
  const char* name;
  std::function<Bytes()> make;
  Expect expect;
  int width = 0, height = 0;  // of a loaded sprite
};

void PutU16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
  PutU16(b, at, v & 0xFFFF);
  PutU16(b, at + 2, v >> 16);
}

// ---- BMP: a 6 x 4 picture, 8 bits per pixel, four palette entries, header fields patched per case.
constexpr std::size_t kBmpWidthAt = 18, kBmpHeightAt = 22, kBmpBppAt = 28, kBmpCompressionAt = 30;
constexpr std::size_t kBmpOffsetAt = 10, kBmpPaletteAt = 54;

std::vector<std::uint32_t> Indices(int count) {
  std::vector<std::uint32_t> indices;
  for (int i = 0; i < count; ++i) indices.push_back(static_cast<std::uint32_t>((i * 3 + i / 4) % 4));
  return indices;
}

Bytes Bmp8() {
  return MakeBmp(Bmp(6, 4, 8, Indices(24), kColours));
}

Bytes Patched(Bytes b, std::size_t at, std::uint32_t value) {
  PutU32(b, at, value);
  return b;
}

Bytes Cut(Bytes b, std::size_t length) {
  b.resize(length);
  return b;
}

// An RLE8 image of 6 x 4 whose stream is given.
Bytes Rle(Bytes stream) {
  BmpImage image = Bmp(6, 4, 8, {}, kColours);
  image.compression = 1;
  image.rle = std::move(stream);
  return MakeBmp(image);
}

// ---- PNG: chunks rebuilt with fresh CRCs after a change.
constexpr std::size_t kPngSignature = 8;

struct Chunk {
  std::string type;
  Bytes data;
};

std::uint32_t ReadBe32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
void AppendBe32(Bytes& b, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::vector<Chunk> Chunks(const Bytes& png) {
  std::vector<Chunk> chunks;
  for (std::size_t at = kPngSignature; at + 12 <= png.size();) {
    const std::uint32_t length = ReadBe32(&png[at]);
    chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8),
                      Bytes(png.begin() + at + 8, png.begin() + at + 8 + length)});
    at += 12 + length;
  }
  return chunks;
}

Bytes Assemble(const std::vector<Chunk>& chunks) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Chunk& chunk : chunks) {
    AppendBe32(png, static_cast<std::uint32_t>(chunk.data.size()));
    Bytes typed(chunk.type.begin(), chunk.type.end());
    typed.insert(typed.end(), chunk.data.begin(), chunk.data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    AppendBe32(png, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
  }
  return png;
}

// A 40 x 30 RGB picture of scattered colours, so its compressed data spans many bytes.
Bytes RgbPng() {
  std::vector<std::uint16_t> samples;
  for (int i = 0; i < 40 * 30; ++i) {
    const std::uint32_t colour = kColours[static_cast<std::size_t>((i * 7919 + i / 13) % 4)];
    samples.insert(samples.end(), {static_cast<std::uint16_t>(colour >> 16 & 0xFF),
                                   static_cast<std::uint16_t>(colour >> 8 & 0xFF),
                                   static_cast<std::uint16_t>(colour & 0xFF)});
  }
  return MakePng(Png(40, 30, PngColour::Rgb, 8, samples));
}

Bytes PalettePng() {
  PngImage image = Png(8, 8, PngColour::Palette, 8, {});
  image.palette = kColours;
  for (int i = 0; i < 64; ++i) image.samples.push_back(static_cast<std::uint16_t>(i % 4));
  return MakePng(image);
}

std::size_t ChunkStart(const Bytes& png, const std::string& type) {
  for (std::size_t at = kPngSignature; at + 12 <= png.size(); at += 12 + ReadBe32(&png[at])) {
    if (std::string(png.begin() + at + 4, png.begin() + at + 8) == type) return at;
  }
  return png.size();
}

Bytes WithChunk(const Bytes& png, const std::string& type, const std::function<void(Bytes&)>& change) {
  std::vector<Chunk> chunks = Chunks(png);
  for (Chunk& chunk : chunks) {
    if (chunk.type == type) change(chunk.data);
  }
  return Assemble(chunks);
}

Bytes MidIdat(const Bytes& png) {
  const std::size_t idat = ChunkStart(png, "IDAT");
  return Cut(png, idat + 8 + ReadBe32(&png[idat]) / 2);
}

Bytes BadCrc(Bytes png, const std::string& type) {
  const std::size_t at = ChunkStart(png, type);
  png[at + 8 + ReadBe32(&png[at])] ^= 0x5A;
  return png;
}

Bytes PngSize(const Bytes& png, std::uint32_t width, std::uint32_t height) {
  return WithChunk(png, "IHDR", [&](Bytes& data) {
    data[0] = static_cast<std::uint8_t>(width >> 24), data[1] = static_cast<std::uint8_t>(width >> 16);
    data[2] = static_cast<std::uint8_t>(width >> 8), data[3] = static_cast<std::uint8_t>(width);
    data[4] = static_cast<std::uint8_t>(height >> 24), data[5] = static_cast<std::uint8_t>(height >> 16);
    data[6] = static_cast<std::uint8_t>(height >> 8), data[7] = static_cast<std::uint8_t>(height);
  });
}

std::vector<Case> Cases() {
  return {
      {"BmpIntact", Bmp8, Expect::Loaded, 6, 4},
      // Truncation at every header field, in the order they appear.
      {"BmpCutInSignature", [] { return Cut(Bmp8(), 1); }, Expect::Refused},
      {"BmpCutBeforePixelOffset", [] { return Cut(Bmp8(), 10); }, Expect::Refused},
      {"BmpCutInPixelOffset", [] { return Cut(Bmp8(), 12); }, Expect::Refused},
      {"BmpCutInInfoSize", [] { return Cut(Bmp8(), 16); }, Expect::Refused},
      {"BmpCutInWidth", [] { return Cut(Bmp8(), 20); }, Expect::Refused},
      {"BmpCutInHeight", [] { return Cut(Bmp8(), 24); }, Expect::Refused},
      {"BmpCutInBitsPerPixel", [] { return Cut(Bmp8(), 29); }, Expect::Refused},
      {"BmpCutInCompression", [] { return Cut(Bmp8(), 32); }, Expect::Refused},
      {"BmpCutInPalette", [] { return Cut(Bmp8(), kBmpPaletteAt + 6); }, Expect::Refused},
      {"BmpCutInPixels", [] { return Cut(Bmp8(), Bmp8().size() - 5); }, Expect::Refused},
      // Sizes.
      {"BmpWidthZero", [] { return Patched(Bmp8(), kBmpWidthAt, 0); }, Expect::Refused},
      {"BmpHeightZero", [] { return Patched(Bmp8(), kBmpHeightAt, 0); }, Expect::Refused},
      {"BmpWidthNegative", [] { return Patched(Bmp8(), kBmpWidthAt, static_cast<std::uint32_t>(-6)); },
       Expect::Refused},
      {"BmpHeightNegative", [] { return Patched(Bmp8(), kBmpHeightAt, static_cast<std::uint32_t>(-4)); },
       Expect::Refused},
      {"BmpHeightMostNegative", [] { return Patched(Bmp8(), kBmpHeightAt, 0x80000000u); }, Expect::Refused},
      {"BmpWidthHuge", [] { return Patched(Bmp8(), kBmpWidthAt, 0x7FFFFFFFu); }, Expect::Refused},
      {"BmpHeightHuge", [] { return Patched(Bmp8(), kBmpHeightAt, 0x7FFFFFFFu); }, Expect::Refused},
      {"BmpAreaOverflows32Bits",
       [] { return Patched(Patched(Bmp8(), kBmpWidthAt, 65536), kBmpHeightAt, 65537); }, Expect::Refused},
      {"BmpAreaAboveLimitWithinSides",
       [] { return Patched(Patched(Bmp8(), kBmpWidthAt, 16384), kBmpHeightAt, 16384); }, Expect::Refused},
      // Where the pixels are said to be.
      {"BmpPixelOffsetInsideHeader", [] { return Patched(Bmp8(), kBmpOffsetAt, 20); }, Expect::Either, 6, 4},
      {"BmpPixelOffsetAtEnd",
       [] { return Patched(Bmp8(), kBmpOffsetAt, static_cast<std::uint32_t>(Bmp8().size())); },
       Expect::Refused},
      {"BmpPixelOffsetPastEnd", [] { return Patched(Bmp8(), kBmpOffsetAt, 0xFFFFFFF0u); }, Expect::Refused},
      {"BmpInfoSizePastEnd", [] { return Patched(Bmp8(), 14, 0xFFFFFFF0u); }, Expect::Either, 6, 4},
      // A palette shorter than the indices used: the missing entries read as black.
      {"BmpPaletteShorterThanIndices", [] { return MakeBmp(Bmp(6, 4, 8, Indices(24), {kColours[0]})); },
       Expect::Loaded, 6, 4},
      {"BmpPaletteEndsAtFileEnd",
       [] {
         BmpImage image = Bmp(6, 1, 8, {0, 1, 2, 3, 255, 200}, {kColours[0], kColours[1]});
         Bytes b = MakeBmp(image);
         PutU32(b, 14,
                static_cast<std::uint32_t>(b.size() - 14 - 4));  // the palette starts 4 bytes from the end
         return b;
       },
       Expect::Either, 6, 1},
      // Bits per pixel the reader does not take.
      {"BmpBitsPerPixel0", [] { return Patched(Bmp8(), kBmpBppAt, 0); }, Expect::Refused},
      {"BmpBitsPerPixel2", [] { return Patched(Bmp8(), kBmpBppAt, 2); }, Expect::Refused},
      {"BmpBitsPerPixel3", [] { return Patched(Bmp8(), kBmpBppAt, 3); }, Expect::Refused},
      {"BmpBitsPerPixel5", [] { return Patched(Bmp8(), kBmpBppAt, 5); }, Expect::Refused},
      {"BmpBitsPerPixel7", [] { return Patched(Bmp8(), kBmpBppAt, 7); }, Expect::Refused},
      {"BmpBitsPerPixel32WithTooFewBytes", [] { return Patched(Bmp8(), kBmpBppAt, 32); }, Expect::Refused},
      // RLE8 streams that misbehave.
      {"RleRunPastRowEnd",
       [] {
         return Rle({200, 1, 0, 0, 3, 2, 0, 1});
       },
       Expect::Either, 6, 4},
      {"RleRunsPastTop",
       [] { return Rle({6, 1, 0, 0, 6, 2, 0, 0, 6, 3, 0, 0, 6, 1, 0, 0, 6, 2, 0, 0, 6, 3, 0, 1}); },
       Expect::Either, 6, 4},
      {"RleDeltaPastRight",
       [] {
         return Rle({0, 2, 250, 0, 4, 1, 0, 1});
       },
       Expect::Either, 6, 4},
      {"RleDeltaPastTop",
       [] {
         return Rle({0, 2, 1, 250, 4, 1, 0, 1});
       },
       Expect::Either, 6, 4},
      {"RleDeltaCutShort",
       [] {
         return Rle({2, 1, 0, 2, 1});
       },
       Expect::Either, 6, 4},
      {"RleLiteralPastRowEnd",
       [] {
         return Rle({0, 10, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 0, 1});
       },
       Expect::Either, 6, 4},
      {"RleOddLiteralWithoutPad",
       [] {
         return Rle({0, 3, 1, 2, 3});
       },
       Expect::Either, 6, 4},
      {"RleLiteralLongerThanFile",
       [] {
         return Rle({0, 255, 1, 2});
       },
       Expect::Either, 6, 4},
      {"RleNoEndMark",
       [] {
         return Rle({6, 1, 0, 0, 6, 2});
       },
       Expect::Either, 6, 4},
      {"RleEmptyStream",
       [] {
         return Cut(Rle({0, 1}), Rle({0, 1}).size() - 2);
       },
       Expect::Either, 6, 4},
      {"RleOffsetPastEnd",
       [] {
         return Patched(Rle({6, 1, 0, 1}), kBmpOffsetAt, 0xFFFFFF00u);
       },
       Expect::Either, 6, 4},
      {"Rle4", [] { return Patched(MakeBmp(Bmp(6, 4, 4, Indices(24), kColours)), kBmpCompressionAt, 2); },
       Expect::Either, 6, 4},
      // PNG.
      {"PngIntact", RgbPng, Expect::Loaded, 40, 30},
      {"PngCutInSignature", [] { return Cut(RgbPng(), 5); }, Expect::Refused},
      {"PngCutInHeader", [] { return Cut(RgbPng(), 20); }, Expect::Refused},
      {"PngCutMidIdat", [] { return MidIdat(RgbPng()); }, Expect::Either, 40, 30},
      {"PngCutBeforeIend", [] { return Cut(RgbPng(), ChunkStart(RgbPng(), "IEND")); }, Expect::Either, 40,
       30},
      {"PngBadHeaderCrc", [] { return BadCrc(RgbPng(), "IHDR"); }, Expect::Refused},
      {"PngBadDataCrc", [] { return BadCrc(RgbPng(), "IDAT"); }, Expect::Either, 40, 30},
      {"PngWiderThanLimit", [] { return PngSize(RgbPng(), kMaxImageSide + 1, 30); }, Expect::Refused},
      {"PngTallerThanLimit", [] { return PngSize(RgbPng(), 40, kMaxImageSide + 1); }, Expect::Refused},
      {"PngAreaAboveLimit", [] { return PngSize(RgbPng(), 16384, 16384); }, Expect::Refused},
      {"PngWidthZero", [] { return PngSize(RgbPng(), 0, 30); }, Expect::Refused},
      {"PngSidesOf2To31", [] { return PngSize(RgbPng(), 0x80000000u, 0x80000000u); }, Expect::Refused},
      {"PngBiggerThanItsData", [] { return PngSize(RgbPng(), 40, 300); }, Expect::Either, 40, 300},
      {"PngPaletteIntact", PalettePng, Expect::Loaded, 8, 8},
      {"PngIndicesBeyondPalette",
       [] { return WithChunk(PalettePng(), "PLTE", [](Bytes& data) { data.resize(6); }); }, Expect::Either, 8,
       8},
      {"PngWithoutPalette",
       [] {
         std::vector<Chunk> chunks = Chunks(PalettePng());
         std::erase_if(chunks, [](const Chunk& c) { return c.type == "PLTE"; });
         return Assemble(chunks);
       },
       Expect::Refused},
      {"PngNoIdat",
       [] {
         std::vector<Chunk> chunks = Chunks(RgbPng());
         std::erase_if(chunks, [](const Chunk& c) { return c.type == "IDAT"; });
         return Assemble(chunks);
       },
       Expect::Refused},
  };
}

class MalformedImage : public ::testing::TestWithParam<std::tuple<Case, int>> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(system_.Start({RuntimePart::SpriteSystem}));
    ASSERT_EQ(OpenScreen(64, 48, Depth(), "malformed"), 1);
    EnablePngDecoder();
  }
  const Case& TheCase() const { return std::get<0>(GetParam()); }
  int Depth() const { return std::get<1>(GetParam()); }

  std::uint32_t ScreenPixel(std::uint32_t red, std::uint32_t green, std::uint32_t blue) const {
    return ColorToPixelAtDepth(Depth(), static_cast<int>(red), static_cast<int>(green),
                               static_cast<int>(blue));
  }

  // Black, the picture's colours and, for a BMP, every palette entry the file holds where its header
  // says the palette is (indices past the palette's end read whatever bytes follow in the file).
  std::set<std::uint32_t> AllowedPixels(const Bytes& file) const {
    std::set<std::uint32_t> allowed{0};
    for (std::uint32_t rgb : kColours)
      allowed.insert(ScreenPixel(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
    if (file.size() < kBmpPaletteAt || file[0] != 'B' || file[1] != 'M') return allowed;
    const std::uint64_t palette = 14 + (std::uint64_t{file[14]} | std::uint64_t{file[15]} << 8 |
                                        std::uint64_t{file[16]} << 16 | std::uint64_t{file[17]} << 24);
    for (std::uint64_t entry = palette; entry + 3 <= file.size() && entry < palette + 4 * 256; entry += 4) {
      allowed.insert(ScreenPixel(file[entry + 2], file[entry + 1], file[entry]));
    }
    return allowed;
  }

 private:
  HeadlessRuntime system_;
};

TEST_P(MalformedImage, IsRefusedOrFullyDefined) {
  const Case& c = TheCase();
  const Bytes bytes = c.make();
  // An exactly sized heap copy: one byte more read is a sanitizer report.
  const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
  const ObjectNumber result = LoadSpriteFromMemory(1, image.data(), image.size());
  const Sprite* sprite = FindSprite(1);
  if (c.expect == Expect::Refused) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(sprite, nullptr);
    return;
  }
  if (c.expect == Expect::Loaded) {
    ASSERT_NE(result, 0);
  }
  if (result == 0) {
    EXPECT_EQ(sprite, nullptr) << "a refused image leaves no sprite behind";
    return;
  }
  ASSERT_NE(sprite, nullptr);
  ASSERT_EQ(sprite->width, c.width);
  ASSERT_EQ(sprite->height, c.height);
  const std::set<std::uint32_t> allowed = AllowedPixels(bytes);
  for (int y = 0; y < sprite->height; ++y) {
    for (int x = 0; x < sprite->width; ++x) {
      ASSERT_TRUE(allowed.count(PixelAt(sprite->surface, x, y)))
          << "pixel " << x << "," << y << " is 0x" << std::hex << PixelAt(sprite->surface, x, y);
    }
  }
}

using RefusedImage = MalformedImage;

TEST_P(RefusedImage, LeavesNoTraceOfAnEarlierSprite) {
  const Case& c = TheCase();
  const Bytes good = Bmp8();
  ASSERT_NE(LoadSpriteFromMemory(1, good.data(), good.size()), 0);
  const Bytes bytes = c.make();
  const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
  EXPECT_EQ(LoadSpriteFromMemory(1, image.data(), image.size()), 0);
  EXPECT_EQ(FindSprite(1), nullptr);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Case, int>>& info) {
  return std::string(std::get<0>(info.param).name) + "Depth" + std::to_string(std::get<1>(info.param));
}

std::vector<Case> RefusedCases() {
  std::vector<Case> cases = Cases();
  std::erase_if(cases, [](const Case& c) { return c.expect != Expect::Refused; });
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedImage,
                         ::testing::Combine(::testing::ValuesIn(Cases()), ::testing::Values(32, 16)),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Cases, RefusedImage,
                         ::testing::Combine(::testing::ValuesIn(RefusedCases()), ::testing::Values(32, 16)),
                         CaseName);

// ---- Small files that ask for a lot: refused, or loaded, without the heap growing past a bound that
// the largest image we take (2^24 pixels) stays within.
constexpr std::size_t kMostHeapGrowth = std::size_t{160} << 20;

// A chunk placed before the image data whose length field claims 2 GiB.
Bytes WithHugeChunkBeforeImageData(const std::string& type) {
  Bytes png = RgbPng();
  const std::size_t idat = ChunkStart(png, "IDAT");
  Bytes chunk;
  AppendBe32(chunk, 0x7FFFFFFF);
  chunk.insert(chunk.end(), type.begin(), type.end());
  chunk.insert(chunk.end(), {'k', 'e', 'y', 0, 'v', 'a', 'l', 'u', 'e'});
  png.insert(png.begin() + static_cast<std::ptrdiff_t>(idat), chunk.begin(), chunk.end());
  return png;
}

Bytes WithChunkBeforeImageData(const Bytes& png, const std::string& type, Bytes data) {
  std::vector<Chunk> chunks = Chunks(png);
  chunks.insert(chunks.end() - 2, Chunk{type, std::move(data)});
  return Assemble(chunks);
}

// A compressed text whose 64 MiB of text deflate to a few kilobytes.
Bytes TextBomb() {
  const Bytes text(std::size_t{64} << 20, 'a');
  uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
  Bytes data = {'k', 'e', 'y', 0, 0};
  Bytes packed(packedSize);
  compress2(packed.data(), &packedSize, text.data(), static_cast<uLong>(text.size()), 9);
  data.insert(data.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
  return WithChunkBeforeImageData(RgbPng(), "zTXt", data);
}

Bytes LargestPalettePng() {
  PngImage image = Png(4096, 4096, PngColour::Palette, 8);
  image.palette = kColours;
  image.samples.assign(std::size_t{4096} * 4096, 1);
  return MakePng(image);
}

std::vector<Case> HostileCases() {
  std::vector<Case> cases = {
      {"PngTextOverTheAncillaryLimit",
       [] { return WithChunkBeforeImageData(RgbPng(), "tEXt", Bytes(std::size_t{2} << 20, 'a')); },
       Expect::Refused},
      {"PngTextBomb", TextBomb, Expect::Loaded, 40, 30},
      {"PngLargestImage", LargestPalettePng, Expect::Loaded, 4096, 4096},
      {"BmpLargestImage",
       [] { return MakeBmp(Bmp(4096, 4096, 1, std::vector<std::uint32_t>(4096 * 4096, 1))); }, Expect::Loaded,
       4096, 4096},
  };
  const std::pair<const char*, const char*> hugeChunks[] = {{"PngHugeTextLength", "tEXt"},
                                                            {"PngHugeCompressedTextLength", "zTXt"},
                                                            {"PngHugeInternationalTextLength", "iTXt"},
                                                            {"PngHugeSuggestedPaletteLength", "sPLT"},
                                                            {"PngHugeCalibrationLength", "pCAL"},
                                                            {"PngHugeScaleLength", "sCAL"},
                                                            {"PngHugeProfileLength", "iCCP"}};
  for (const auto& chunk : hugeChunks) {
    const char* type = chunk.second;
    cases.push_back({chunk.first, [type] { return WithHugeChunkBeforeImageData(type); }, Expect::Refused});
  }
  return cases;
}

using HostileImage = MalformedImage;

TEST_P(HostileImage, NeverGrowsTheHeapPastTheLargestImage) {
  const Case& c = TheCase();
  const Bytes image = c.make();
  StartPeakMeasurement();
  const ObjectNumber result = LoadSpriteFromMemory(1, image.data(), image.size());
  EXPECT_LT(PeakBytesSinceStart(), kMostHeapGrowth);
  if (c.expect == Expect::Refused) {
    EXPECT_EQ(result, 0);
    return;
  }
  ASSERT_NE(result, 0);
  EXPECT_EQ(FindSprite(1)->width, c.width);
  EXPECT_EQ(FindSprite(1)->height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileImage,
                         ::testing::Combine(::testing::ValuesIn(HostileCases()), ::testing::Values(32, 16)),
                         CaseName);

}  // namespace
}  // namespace rt::test
