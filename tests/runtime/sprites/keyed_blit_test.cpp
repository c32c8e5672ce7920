// Colour-keyed sprite copies: which pixels land where, at every depth and edge.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ios>
#include <random>
#include <string>
#include <vector>

#include "runtime/sprites/blit.h"
#include "tests/runtime/sprites/sprite_fixtures.h"

namespace rt {
namespace {

using test::FillRandom;
using test::MakeSprite;
using test::PixelAt;
using test::SetPixelAt;

// What a keyed copy must leave: each target pixel covered by a non-zero sprite pixel takes it.
Surface ExpectedKeyedCopy(const Surface& before, const Sprite& sprite, int x, int y) {
  Surface expected = before.Clone();
  for (int ty = 0; ty < before.Height(); ++ty) {
    for (int tx = 0; tx < before.Width(); ++tx) {
      const std::int64_t sx = std::int64_t{tx} - x, sy = std::int64_t{ty} - y;
      if (sx < 0 || sy < 0 || sx >= sprite.width || sy >= sprite.height) continue;
      const std::uint32_t s = PixelAt(sprite.surface, static_cast<int>(sx), static_cast<int>(sy));
      if (s != 0 || !sprite.colorKeyed) SetPixelAt(expected, tx, ty, s);
    }
  }
  return expected;
}

Surface PatternTarget(int width, int height, int depth, std::mt19937& random) {
  Surface target(width, height, depth);
  FillRandom(target, 1.0, random);
  return target;
}

void ExpectKeyedCopyAt(Sprite& sprite, int targetWidth, int targetHeight, int x, int y,
                       std::mt19937& random) {
  Surface target = PatternTarget(targetWidth, targetHeight, sprite.surface.Depth(), random);
  const Surface expected = ExpectedKeyedCopy(target, sprite, x, y);
  BlitSprite(sprite, target, x, y);
  EXPECT_TRUE(test::SameSurfacePixels(target, expected))
      << sprite.width << "x" << sprite.height << " at depth " << sprite.surface.Depth() << " drawn at (" << x
      << ", " << y << ")";
}

// Sparse and solid sprites are copied by their opaque runs; dithered ones, whose runs are one pixel
// long, by a scan of every pixel (at 16 and 32 bits).
enum class Pattern { kSparse, kSolid, kRandom, kDithered };

void FillPattern(Surface& surface, Pattern pattern, std::mt19937& random) {
  switch (pattern) {
    case Pattern::kSparse:
      return FillRandom(surface, 0.02, random);
    case Pattern::kSolid:
      return FillRandom(surface, 1.0, random);
    case Pattern::kRandom:
      return FillRandom(surface, 0.7, random);
    case Pattern::kDithered:
      FillRandom(surface, 1.0, random);
      for (int y = 0; y < surface.Height(); ++y) {
        for (int x = (y + 1) % 2; x < surface.Width(); x += 2) SetPixelAt(surface, x, y, 0);
      }
      surface.Touch();
      return;
  }
}

struct KeyedCase {
  int depth;
  Pattern pattern;
};

class KeyedBlit : public ::testing::TestWithParam<KeyedCase> {};

TEST_P(KeyedBlit, MatchesPerPixelRuleAtEveryEdgeAndOutside) {
  std::mt19937 random(7);
  Sprite sprite = MakeSprite(18, 20, GetParam().depth);
  FillPattern(sprite.surface, GetParam().pattern, random);
  const int positions[] = {INT_MIN, -1000, -18, -17, -5, 0, 3, 40, 51, 52, 53, 69, 70, 1000, INT_MAX};
  for (int x : positions) {
    for (int y : {INT_MIN, -20, -19, -1, 0, 30, 31, 49, 50, INT_MAX})
      ExpectKeyedCopyAt(sprite, 70, 50, x, y, random);
  }
  const int depth = GetParam().depth;
  const Pattern pattern = GetParam().pattern;
  if (pattern != Pattern::kRandom) {
    const bool scanned = pattern == Pattern::kDithered && (depth == 16 || depth == 32);
    EXPECT_EQ(PixelCacheOf(sprite).runs.preferRuns, !scanned);
  }
}

TEST_P(KeyedBlit, HandlesEveryRowWidthAroundTheVectorSize) {
  std::mt19937 random(11);
  for (int width = 1; width <= 35; ++width) {
    Sprite sprite = MakeSprite(width, 3, GetParam().depth);
    FillPattern(sprite.surface, GetParam().pattern, random);
    ExpectKeyedCopyAt(sprite, 40, 5, 1, 1, random);
    ExpectKeyedCopyAt(sprite, 40, 5, 40 - width, 1, random);
    ExpectKeyedCopyAt(sprite, 40, 5, -1, 1, random);
  }
}

std::string CaseName(const ::testing::TestParamInfo<KeyedCase>& info) {
  static const char* const kNames[] = {"Sparse", "Solid", "Random", "Dithered"};
  return "Depth" + std::to_string(info.param.depth) + kNames[static_cast<int>(info.param.pattern)];
}

INSTANTIATE_TEST_SUITE_P(DepthsAndPatterns, KeyedBlit,
                         ::testing::Values(KeyedCase{32, Pattern::kSparse}, KeyedCase{32, Pattern::kSolid},
                                           KeyedCase{32, Pattern::kRandom}, KeyedCase{32, Pattern::kDithered},
                                           KeyedCase{16, Pattern::kSparse}, KeyedCase{16, Pattern::kDithered},
                                           KeyedCase{24, Pattern::kRandom}, KeyedCase{24, Pattern::kDithered},
                                           KeyedCase{8, Pattern::kRandom}),
                         CaseName);

// A 20 x 20 sprite whose pixel (c, r) encodes its own position, so each landed pixel names its source.
Sprite NumberedSprite() {
  Sprite sprite = MakeSprite(20, 20, 32);
  for (int r = 0; r < 20; ++r) {
    for (int c = 0; c < 20; ++c)
      SetPixelAt(sprite.surface, c, r, 0x010000u + static_cast<std::uint32_t>(r * 256 + c));
  }
  return sprite;
}

TEST(KeyedBlitClipping, CornerPlacementShowsTheOverlappingColumnsAndRows) {
  Sprite sprite = NumberedSprite();
  Surface target(640, 400, 32);
  BlitSprite(sprite, target, -5, 390);
  for (int ty = 380; ty < 400; ++ty) {
    for (int tx = 0; tx < 30; ++tx) {
      const bool covered = tx <= 14 && ty >= 390;
      const std::uint32_t source = 0x010000u + static_cast<std::uint32_t>((ty - 390) * 256 + tx + 5);
      EXPECT_EQ(PixelAt(target, tx, ty), covered ? source : 0u) << tx << "," << ty;
    }
  }
}

int CountNonZero(const Surface& surface) {
  int count = 0;
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) count += PixelAt(surface, x, y) != 0;
  }
  return count;
}

TEST(KeyedBlitClipping, OneColumnShowsAtEachHorizontalLimit) {
  Sprite sprite = NumberedSprite();
  for (int x : {-20, 640}) {
    Surface target(640, 400, 32);
    BlitSprite(sprite, target, x, 0);
    EXPECT_EQ(CountNonZero(target), 0) << x;
  }
  Surface left(640, 400, 32);
  BlitSprite(sprite, left, -19, 0);
  EXPECT_EQ(CountNonZero(left), 20);
  EXPECT_EQ(PixelAt(left, 0, 7), 0x010000u + 7 * 256 + 19);
  Surface right(640, 400, 32);
  BlitSprite(sprite, right, 639, 0);
  EXPECT_EQ(CountNonZero(right), 20);
  EXPECT_EQ(PixelAt(right, 639, 7), 0x010000u + 7 * 256);
}

TEST(KeyedBlitPixels, BlackIsTransparentAndTheSmallestRedIsDrawn) {
  Sprite sprite = MakeSprite(2, 1, 32);
  SetPixelAt(sprite.surface, 1, 0, 0x010000);  // (1, 0, 0) in the screen's 0x00RRGGBB layout
  Surface target(4, 1, 32);
  SetPixelAt(target, 0, 0, 0xABCDEF);
  SetPixelAt(target, 1, 0, 0xABCDEF);
  BlitSprite(sprite, target, 0, 0);
  EXPECT_EQ(PixelAt(target, 0, 0), 0xABCDEFu);
  EXPECT_EQ(PixelAt(target, 1, 0), 0x010000u);
}

// Only a pixel whose four bytes are all 0 is the colour key, so one whose sole non-zero byte is the
// fourth is drawn, by the runs and by the scan (its short rows one pixel at a time, its long ones in
// vector steps) alike. Collision counts such a pixel as empty; the blit does not.
struct FourthByteCase {
  std::uint32_t value;
  int width;
  bool dithered;  // a checkerboard is scanned; a solid sprite is copied by its runs
};

TEST(KeyedBlitPixels, APixelWhoseOnlyNonZeroByteIsTheFourthIsDrawn) {
  const FourthByteCase cases[] = {{0x01000000, 9, false}, {0xFF000000, 9, false}, {0x01000000, 3, true},
                                  {0xFF000000, 3, true},  {0x01000000, 9, true},  {0xFF000000, 9, true}};
  for (const FourthByteCase& c : cases) {
    Sprite sprite = MakeSprite(c.width, 4, 32);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < c.width; ++x) {
        if (!c.dithered || (x + y) % 2 == 0) SetPixelAt(sprite.surface, x, y, c.value);
      }
    }
    Surface target(c.width + 2, 6, 32);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < c.width + 2; ++x) SetPixelAt(target, x, y, 0xABCDEF);
    }
    const Surface expected = ExpectedKeyedCopy(target, sprite, 1, 1);
    BlitSprite(sprite, target, 1, 1);
    EXPECT_EQ(PixelCacheOf(sprite).runs.preferRuns, !c.dithered) << std::hex << c.value << " width " << c.width;
    EXPECT_TRUE(test::SameSurfacePixels(target, expected)) << std::hex << c.value << " width " << c.width;
  }
}

TEST(KeyedBlitPixels, SpriteWithoutColourKeyCopiesEveryPixel) {
  std::mt19937 random(3);
  Sprite sprite = MakeSprite(9, 4, 32);
  sprite.colorKeyed = false;
  FillRandom(sprite.surface, 0.5, random);
  ExpectKeyedCopyAt(sprite, 20, 10, 2, 3, random);
}

TEST(KeyedBlitPixels, DepthMismatchAndPlainMemoryDrawNothing) {
  Sprite sprite = MakeSprite(4, 4, 16);
  SetPixelAt(sprite.surface, 0, 0, 0xFFFF);
  Surface target(8, 8, 32);
  BlitSprite(sprite, target, 0, 0);
  EXPECT_EQ(CountNonZero(target), 0);
  Sprite plain = MakeSprite(4, 4, 8);
  plain.depth = -2;
  SetPixelAt(plain.surface, 0, 0, 5);
  Surface target8(8, 8, 8);
  BlitSprite(plain, target8, 0, 0);
  EXPECT_EQ(CountNonZero(target8), 0);
}

// The opaque runs are cached per surface generation: a redraw after the pixels change must show the
// new pixels, also when the sprite moves between the sparse and the dense path.
TEST(KeyedBlitCache, NewPixelsShowAfterTheSurfaceChanges) {
  std::mt19937 random(5);
  Sprite sprite = MakeSprite(64, 32, 32);
  for (double density : {0.01, 0.9, 0.0, 0.05}) {
    FillRandom(sprite.surface, density, random);  // touches the surface
    ExpectKeyedCopyAt(sprite, 80, 40, 4, 2, random);
  }
}

TEST(KeyedBlitCache, ReplacedSurfaceIsNotMistakenForTheOldOne) {
  std::mt19937 random(9);
  Sprite sprite = MakeSprite(30, 10, 32);
  FillRandom(sprite.surface, 0.02, random);
  ExpectKeyedCopyAt(sprite, 40, 20, 0, 0, random);
  Surface replacement(30, 10, 32);
  FillRandom(replacement, 0.5, random);
  ASSERT_LE(replacement.Generation(), sprite.surface.Generation());
  while (replacement.Generation() != sprite.surface.Generation()) replacement.Touch();
  sprite.surface = std::move(replacement);
  ExpectKeyedCopyAt(sprite, 40, 20, 0, 0, random);
}

}  // namespace
}  // namespace rt
