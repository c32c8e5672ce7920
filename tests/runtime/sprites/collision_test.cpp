// Pixel-exact collision of placed sprite records.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>

#include "runtime/sprites/collision.h"
#include "tests/runtime/sprites/sprite_fixtures.h"

namespace rt {
namespace {

using test::FillRandom;
using test::MakeSprite;
using test::PixelAt;
using test::SetPixelAt;

Sprite OpaqueSprite(int width, int height) {
  Sprite sprite = MakeSprite(width, height, 32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) SetPixelAt(sprite.surface, x, y, 0x808080);
  }
  sprite.surface.Touch();
  return sprite;
}

bool OpaqueAt(const Sprite& sprite, std::int64_t x, std::int64_t y) {
  if (x < 0 || y < 0 || x >= sprite.width || y >= sprite.height) return false;
  const std::uint32_t bits =
      sprite.surface.Depth() >= 24 ? 0xFFFFFF : test::DepthMask(sprite.surface.Depth());
  return (PixelAt(sprite.surface, static_cast<int>(x), static_cast<int>(y)) & bits) != 0;
}

// Every screen position covered by the first sprite, tried against the second.
bool CollideByScan(const Sprite& a, int x1, int y1, const Sprite& b, int x2, int y2) {
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (OpaqueAt(a, x, y) && OpaqueAt(b, std::int64_t{x1} + x - x2, std::int64_t{y1} + y - y2)) return true;
    }
  }
  return false;
}

TEST(CollisionBoxes, TouchingEdgesDoNotCollide) {
  Sprite a = OpaqueSprite(20, 20), b = OpaqueSprite(20, 20);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 20, 0), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 20), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, -20, 0), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, -20), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 19, 19), 1);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, -19, -19), 1);
}

// Widths around the 64-pixel mask words. Boxes that only touch must stop at the box test: a scan of
// their empty overlap would read outside the masks.
TEST(CollisionBoxes, BoxesTouchingOnEachSideDoNotCollideAndOnePixelOverlapDoes) {
  for (const int width : {1, 20, 63, 64, 65, 128}) {
    for (const int otherWidth : {1, 64, 100}) {
      SCOPED_TRACE(std::to_string(width) + " and " + std::to_string(otherWidth) + " wide");
      Sprite a = OpaqueSprite(width, 3), b = OpaqueSprite(otherWidth, 4);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, width, 0), 0);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, -otherWidth, 0), 0);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 3), 0);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, -4), 0);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, width - 1, 0), 1);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 1 - otherWidth, 0), 1);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 2), 1);
      EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, -3), 1);
    }
  }
}

TEST(CollisionBoxes, OneColumnOverlapComparesOnlyThatColumn) {
  Sprite a = MakeSprite(20, 20, 32), b = MakeSprite(20, 20, 32);
  SetPixelAt(a.surface, 18, 5, 0xFFFFFF);  // next to the overlap
  SetPixelAt(b.surface, 0, 5, 0xFFFFFF);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 19, 0), 0);
  SetPixelAt(a.surface, 19, 5, 0x000100);
  a.surface.Touch();
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 19, 0), 1);
}

TEST(CollisionPixels, OverlapWhereOneSideIsTransparentDoesNotCollide) {
  Sprite a = OpaqueSprite(10, 10), b = MakeSprite(10, 10, 32);
  SetPixelAt(b.surface, 7, 7, 0x123456);  // lies outside a's box when placed at (5, 5)
  b.surface.Touch();
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 5, 5), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 2, 2), 1);
}

TEST(CollisionPixels, SingleOpaquePixelsMeetOnlyAtTheSameScreenPosition) {
  Sprite a = MakeSprite(5, 5, 32), b = MakeSprite(7, 3, 32);
  SetPixelAt(a.surface, 4, 1, 0x0000FF);
  SetPixelAt(b.surface, 0, 2, 0xFF0000);
  EXPECT_EQ(SpriteRecordsCollide(a, 100, 50, b, 104, 49), 1);
  EXPECT_EQ(SpriteRecordsCollide(a, 100, 50, b, 103, 49), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, 100, 50, b, 104, 48), 0);
}

TEST(CollisionPixels, FourthByteAtDepth32IsNotPartOfTheColour) {
  Sprite a = OpaqueSprite(4, 4), b = MakeSprite(4, 4, 32);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) SetPixelAt(b.surface, x, y, 0xFF000000);
  }
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 0), 0);
}

TEST(CollisionPixels, Depth16ZeroPixelsDoNotCountAndOthersDo) {
  Sprite a = MakeSprite(3, 1, 16), b = MakeSprite(3, 1, 16);
  SetPixelAt(a.surface, 0, 0, 0x0001);
  SetPixelAt(a.surface, 1, 0, 0x0000);
  SetPixelAt(b.surface, 1, 0, 0xFFFF);
  SetPixelAt(b.surface, 0, 0, 0x0000);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 0), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, 1, 0, b, 0, 0), 1);
}

TEST(CollisionPixels, SpriteWithoutColourKeyIsOpaqueEverywhere) {
  Sprite a = MakeSprite(4, 4, 32), b = OpaqueSprite(4, 4);
  a.colorKeyed = false;
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 3, 3), 1);
}

TEST(CollisionSameSprite, CollidesWithItselfExactlyWhenItHasAnOpaquePixel) {
  Sprite sprite = MakeSprite(30, 12, 32);
  EXPECT_EQ(SpriteRecordsCollide(sprite, 4, 4, sprite, 4, 4), 0);
  SetPixelAt(sprite.surface, 29, 11, 0x010101);
  sprite.surface.Touch();
  EXPECT_EQ(SpriteRecordsCollide(sprite, 4, 4, sprite, 4, 4), 1);
  EXPECT_EQ(SpriteRecordsCollide(sprite, 4, 4, sprite, 5, 4), 0);
}

TEST(CollisionPositions, HugeCoordinatesNeitherOverflowNorWrap) {
  Sprite a = OpaqueSprite(20, 20), b = OpaqueSprite(20, 20);
  EXPECT_EQ(SpriteRecordsCollide(a, INT_MAX, INT_MAX, b, INT_MAX - 5, INT_MAX - 5), 1);
  EXPECT_EQ(SpriteRecordsCollide(a, INT_MIN, INT_MIN, b, INT_MIN + 19, INT_MIN), 1);
  EXPECT_EQ(SpriteRecordsCollide(a, INT_MIN, 0, b, INT_MAX, 0), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, INT_MAX, 0, b, INT_MIN, 0), 0);
  EXPECT_EQ(SpriteRecordsCollide(a, INT_MAX - 19, 0, b, INT_MAX, 0), 1);
  EXPECT_EQ(SpriteRecordsCollide(a, INT_MAX - 20, 0, b, INT_MAX, 0), 0);
}

// Wide sprites make the overlap span several 64-pixel words at every alignment.
TEST(CollisionScan, AgreesWithAPerPixelScanOnSparseSprites) {
  std::mt19937 random(31);
  std::uniform_int_distribution<int> offset(-140, 140), size(1, 150);
  for (int trial = 0; trial < 400; ++trial) {
    Sprite a = MakeSprite(size(random), size(random) / 8 + 1, trial % 2 ? 32 : 16);
    Sprite b = MakeSprite(size(random), size(random) / 8 + 1, a.surface.Depth());
    FillRandom(a.surface, 0.01, random);
    FillRandom(b.surface, 0.01, random);
    const int x2 = offset(random), y2 = offset(random) / 10;
    EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, x2, y2) == 1, CollideByScan(a, 0, 0, b, x2, y2))
        << a.width << "x" << a.height << " and " << b.width << "x" << b.height << " at " << x2 << "," << y2;
  }
}

TEST(CollisionCache, ChangedPixelsAreSeenAfterTheSurfaceIsTouched) {
  Sprite a = OpaqueSprite(8, 8), b = MakeSprite(8, 8, 32);
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 0), 0);
  SetPixelAt(b.surface, 3, 3, 0x00FF00);
  b.surface.Touch();
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 0), 1);
  SetPixelAt(b.surface, 3, 3, 0);
  b.surface.Touch();
  EXPECT_EQ(SpriteRecordsCollide(a, 0, 0, b, 0, 0), 0);
}

}  // namespace
}  // namespace rt
