// Translucent sprite mixes: the table, both depths' channel arithmetic, the even mix and clamping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "runtime/sprites/blit.h"
#include "tests/runtime/sprites/sprite_fixtures.h"

namespace rt {
namespace {

using test::FillRandom;
using test::MakeSprite;
using test::PixelAt;
using test::SetPixelAt;

// The mixing rules written out afresh from their definition, one channel at a time.
int Entry(int v, int k) {
  return (256 * v) / (65280 / (k + 1));
}

int ClampedIntensity(int intensity) {
  return intensity < 1 ? 1 : (intensity > 255 ? 255 : intensity);
}

std::uint32_t Field(std::uint32_t pixel, int shift, int bits) {
  return (pixel >> shift) & ((1u << bits) - 1);
}

std::uint32_t Mix32(std::uint32_t s, std::uint32_t d, int intensity) {
  const int a = ClampedIntensity(intensity), b = 256 - a;
  std::uint32_t out = 0;
  for (int shift : {0, 8, 16}) {
    const int sc = static_cast<int>(Field(s, shift, 8)), dc = static_cast<int>(Field(d, shift, 8));
    int value = intensity == -1 ? sc / 2 + dc / 2 : Entry(sc, a) + Entry(dc, b);
    if (value > 255) value = 255;
    out |= static_cast<std::uint32_t>(value) << shift;
  }
  return out;
}

std::uint32_t Mix16(std::uint32_t s, std::uint32_t d, int intensity) {
  const int a = ClampedIntensity(intensity), b = 256 - a;
  struct FieldSpec {
    int shift, bits, widen;
  };
  std::uint32_t out = 0;
  for (FieldSpec f : {FieldSpec{0, 5, 4}, FieldSpec{5, 6, 2}, FieldSpec{11, 5, 4}}) {
    const int sc = static_cast<int>(Field(s, f.shift, f.bits)),
              dc = static_cast<int>(Field(d, f.shift, f.bits));
    int value;
    if (intensity == -1) {
      value = sc / 2 + dc / 2;
    } else {
      const int sum = Entry(f.widen * sc, a) + Entry(f.widen * dc, b);
      value = sum > 255 ? (1 << f.bits) - 1 : sum / f.widen;
    }
    out |= static_cast<std::uint32_t>(value) << f.shift;
  }
  return out;
}

Surface ExpectedBlend(const Surface& before, const Sprite& sprite, int x, int y, int intensity) {
  Surface expected = before.Clone();
  for (int ty = 0; ty < before.Height(); ++ty) {
    for (int tx = 0; tx < before.Width(); ++tx) {
      const std::int64_t sx = std::int64_t{tx} - x, sy = std::int64_t{ty} - y;
      if (sx < 0 || sy < 0 || sx >= sprite.width || sy >= sprite.height) continue;
      const std::uint32_t s = PixelAt(sprite.surface, static_cast<int>(sx), static_cast<int>(sy));
      const std::uint32_t d = PixelAt(before, tx, ty);
      if (s != 0)
        SetPixelAt(expected, tx, ty, before.Depth() == 32 ? Mix32(s, d, intensity) : Mix16(s, d, intensity));
    }
  }
  return expected;
}

TEST(BlendTableEntries, FollowTheTruncatingDefinition) {
  const BlendTable& table = ComputeBlendTable();
  for (int k = 0; k < 256; ++k) {
    for (int v = 0; v < 256; ++v) ASSERT_EQ(table.Entry(v, k), Entry(v, k)) << v << "," << k;
  }
  EXPECT_EQ(table.Entry(255, 255), 256);
  EXPECT_EQ(table.Entry(255, 0), 1);
  EXPECT_EQ(table.Entry(128, 127), 64);
}

// The vector form of the mix uses each column as a multiply and shifts; it must give the same values.
TEST(BlendTableEntries, ScalesReproduceEveryColumn) {
  const BlendTable& table = ComputeBlendTable();
  for (int k = 0; k < 256; ++k) {
    const BlendTable::Scale scale = table.ScaleOf(k);
    for (int v = 0; v < 256; ++v) {
      const std::int64_t scaled = ((std::int64_t{256} * v * scale.multiplier) >> 16) >> scale.shift;
      ASSERT_EQ(scaled, Entry(v, k)) << v << "," << k;
    }
  }
}

class TranslucentBlit : public ::testing::TestWithParam<int> {};

TEST_P(TranslucentBlit, EveryPixelFollowsTheChannelFormulas) {
  const int depth = GetParam();
  std::mt19937 random(21);
  Sprite sprite = MakeSprite(16, 8, depth);
  for (int intensity : {-1, 1, 2, 64, 127, 128, 129, 200, 254, 255}) {
    FillRandom(sprite.surface, 0.8, random);
    Surface target(40, 30, depth);
    FillRandom(target, 1.0, random);
    const Surface expected = ExpectedBlend(target, sprite, 5, 7, intensity);
    BlendSprite(sprite, target, 5, 7, intensity);
    EXPECT_TRUE(test::SameSurfacePixels(target, expected)) << "intensity " << intensity;
  }
}

TEST_P(TranslucentBlit, HandlesEveryRowWidthAroundTheVectorSize) {
  const int depth = GetParam();
  std::mt19937 random(22);
  for (int width = 1; width <= 19; ++width) {
    Sprite sprite = MakeSprite(width, 2, depth);
    FillRandom(sprite.surface, 0.8, random);
    for (int intensity : {kEvenMix, 77}) {
      Surface target(24, 4, depth);
      FillRandom(target, 1.0, random);
      const Surface expected = ExpectedBlend(target, sprite, 1, 1, intensity);
      BlendSprite(sprite, target, 1, 1, intensity);
      EXPECT_TRUE(test::SameSurfacePixels(target, expected))
          << "width " << width << ", intensity " << intensity;
    }
  }
}

TEST_P(TranslucentBlit, ClipsAtEveryEdge) {
  const int depth = GetParam();
  std::mt19937 random(23);
  Sprite sprite = MakeSprite(16, 8, depth);
  FillRandom(sprite.surface, 0.9, random);
  for (int x : {-16, -15, -3, 0, 24, 25, 39, 40}) {
    for (int y : {-8, -7, -2, 22, 29, 30}) {
      Surface target(40, 30, depth);
      FillRandom(target, 1.0, random);
      const Surface expected = ExpectedBlend(target, sprite, x, y, 100);
      BlendSprite(sprite, target, x, y, 100);
      EXPECT_TRUE(test::SameSurfacePixels(target, expected)) << x << "," << y;
    }
  }
}

TEST_P(TranslucentBlit, IntensityOutsideTheRangeActsAsItsNearestEnd) {
  const int depth = GetParam();
  std::mt19937 random(25);
  Sprite sprite = MakeSprite(8, 8, depth);
  FillRandom(sprite.surface, 1.0, random);
  Surface background(8, 8, depth);
  FillRandom(background, 1.0, random);
  const auto drawn = [&](int intensity) {
    Surface target = background.Clone();
    BlendSprite(sprite, target, 0, 0, intensity);
    return target;
  };
  const Surface atOne = drawn(1), atMost = drawn(255);
  for (int low : {0, -2, -1000}) EXPECT_TRUE(test::SameSurfacePixels(drawn(low), atOne)) << low;
  for (int high : {256, 300, 100000}) EXPECT_TRUE(test::SameSurfacePixels(drawn(high), atMost)) << high;
  EXPECT_FALSE(test::SameSurfacePixels(atOne, atMost));
}

INSTANTIATE_TEST_SUITE_P(Depths, TranslucentBlit, ::testing::Values(32, 16),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

std::uint32_t BlendOnePixel(std::uint32_t s, std::uint32_t d, int intensity, int depth = 32) {
  Sprite sprite = MakeSprite(1, 1, depth);
  SetPixelAt(sprite.surface, 0, 0, s);
  Surface target(1, 1, depth);
  SetPixelAt(target, 0, 0, d);
  BlendSprite(sprite, target, 0, 0, intensity);
  return PixelAt(target, 0, 0);
}

TEST(TranslucentPixels, KnownMixesAtDepth32) {
  EXPECT_EQ(BlendOnePixel(0xFFFFFF, 0x000000, kEvenMix), 0x7F7F7Fu);
  EXPECT_EQ(BlendOnePixel(0x0000FF, 0x000000, 128), 129u);
  EXPECT_EQ(BlendOnePixel(0x0000FF, 0x0000FF, 128), 255u);
  EXPECT_EQ(BlendOnePixel(0x010000, 0x0000FF, 255), 0x010000u | 2u);  // blue 0 over 255 gives 2
}

TEST(TranslucentPixels, ZeroPixelsLeaveTheTargetAndTheFourthByteIsCleared) {
  EXPECT_EQ(BlendOnePixel(0, 0xFF123456, 200), 0xFF123456u);
  EXPECT_EQ(BlendOnePixel(0, 0x1234, 200, 16), 0x1234u);
  EXPECT_EQ(BlendOnePixel(0x00FFFFFF, 0xFF000000, 255) >> 24, 0u);
}

TEST(TranslucentPixels, Depth16EvenMixHalvesEachField) {
  // red 31, green 63, blue 31 over black gives 15, 31, 15
  EXPECT_EQ(BlendOnePixel(0xFFFF, 0x0000, kEvenMix, 16), (15u << 11) | (31u << 5) | 15u);
}

TEST(TranslucentPixels, Depth24IsLeftUnchanged) {
  EXPECT_EQ(BlendOnePixel(0xFFFFFF, 0x123456, 128, 24), 0x123456u);
}

}  // namespace
}  // namespace rt
