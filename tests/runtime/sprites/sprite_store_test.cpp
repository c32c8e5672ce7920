// The sprite store on an open headless screen of 32 and 16 bits.
#include "runtime/sprites/sprite.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/display/pixel_format.h"
#include "runtime/display/screen.h"
#include "runtime/runtime.h"
#include "tests/runtime/sprites/screen_fixture.h"

namespace rt::test {
namespace {

class SpriteStore : public ScreenTest {};

INSTANTIATE_TEST_SUITE_P(Depths, SpriteStore, ::testing::Values(32, 16),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

bool AllPixelsZero(const Surface& surface) {
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) {
      if (PixelAt(surface, x, y) != 0) return false;
    }
  }
  return true;
}

// Draws through the sprite's drawing target, as 2D drawing does.
void DrawPixel(ObjectNumber number, int x, int y, std::uint32_t value) {
  DrawingTarget* target = SpriteTarget(number);
  ASSERT_NE(target, nullptr);
  SetPixelAt(*target->surface, x, y, value);
  target->endDrawing();
}

TEST_P(SpriteStore, ANewSpriteIsBlackTransparentAndInTheScreenDepth) {
  ASSERT_EQ(CreateSprite(1, 640, 400), 1);
  const Sprite* sprite = FindSprite(1);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(SpriteWidth(1), 640);
  EXPECT_EQ(SpriteHeight(1), 400);
  EXPECT_EQ(sprite->surface.Depth(), GetParam());
  EXPECT_TRUE(sprite->colorKeyed);
  EXPECT_TRUE(AllPixelsZero(sprite->surface));
}

TEST_P(SpriteStore, AbsentSpritesHaveNoSizeAndNoTarget) {
  EXPECT_EQ(SpriteWidth(7), 0);
  EXPECT_EQ(SpriteHeight(7), 0);
  EXPECT_EQ(SpriteTarget(7), nullptr);
  EXPECT_EQ(FindSprite(7), nullptr);
  EXPECT_EQ(SpriteWidth(kFirstAutomaticNumber + 12345), 0);
}

TEST_P(SpriteStore, AutomaticNumbersGiveHandlesThatNameTheSprite) {
  const ObjectNumber first = CreateSprite(kAutomaticObject, 3, 4);
  const ObjectNumber second = CreateSprite(kAutomaticObject, 5, 6);
  ASSERT_GE(first, kFirstAutomaticNumber);
  ASSERT_GE(second, kFirstAutomaticNumber);
  EXPECT_NE(first, second);
  EXPECT_EQ(SpriteWidth(first), 3);
  EXPECT_EQ(SpriteHeight(second), 6);
}

TEST_P(SpriteStore, ImpossibleSizesAndPlainMemoryAreRefused) {
  EXPECT_EQ(CreateSprite(2, 0, 10), 0);
  EXPECT_EQ(CreateSprite(2, 10, -1), 0);
  EXPECT_EQ(CreateSprite(2, 40000, 1), 0);
  EXPECT_EQ(CreateSprite(2, 8, 8, SpriteModePlainMemory), 0);
  EXPECT_EQ(FindSprite(2), nullptr);
  EXPECT_EQ(CreateSprite(-2, 8, 8), 0);
}

TEST_P(SpriteStore, RecreatingANumberFreesTheOldSpriteEvenWhenTheNewOneFails) {
  ASSERT_NE(CreateSprite(5, 10, 10), 0);
  ASSERT_NE(CreateSprite(5, 20, 30), 0);
  EXPECT_EQ(SpriteWidth(5), 20);
  EXPECT_EQ(SpriteHeight(5), 30);
  EXPECT_EQ(CreateSprite(5, 0, 0), 0);
  EXPECT_EQ(SpriteWidth(5), 0);
}

TEST_P(SpriteStore, OtherModesKeepTheScreenFormatAndAlphaModeIs32BitWithoutKey) {
  ASSERT_NE(CreateSprite(3, 4, 4, SpriteModeSystemMemory), 0);
  EXPECT_EQ(FindSprite(3)->surface.Depth(), GetParam());
  ASSERT_NE(CreateSprite(4, 4, 4, SpriteModeTexture), 0);
  EXPECT_EQ(FindSprite(4)->surface.Depth(), GetParam());
  ASSERT_NE(CreateSprite(6, 4, 4, SpriteModeAlpha), 0);
  EXPECT_EQ(FindSprite(6)->surface.Depth(), 32);
  EXPECT_FALSE(FindSprite(6)->colorKeyed);
}

TEST_P(SpriteStore, ACopyHasTheSamePixelsAndKeyAndStaysIndependent) {
  ASSERT_NE(CreateSprite(1, 16, 8), 0);
  const std::uint32_t colour = ColorToPixel(200, 100, 50);
  DrawPixel(1, 3, 2, colour);
  ASSERT_EQ(CopySprite(1, 201), 1);
  const Sprite* copy = FindSprite(201);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(SpriteWidth(201), 16);
  EXPECT_EQ(SpriteHeight(201), 8);
  EXPECT_TRUE(copy->colorKeyed);
  EXPECT_EQ(PixelAt(copy->surface, 3, 2), colour);
  EXPECT_EQ(PixelAt(copy->surface, 4, 2), 0u);

  DrawPixel(1, 4, 2, colour);
  EXPECT_EQ(PixelAt(FindSprite(1)->surface, 4, 2), colour);
  EXPECT_EQ(PixelAt(copy->surface, 4, 2), 0u);
}

TEST_P(SpriteStore, CopyingAnAbsentSpriteFailsAndLeavesTheDestination) {
  ASSERT_NE(CreateSprite(9, 2, 2), 0);
  EXPECT_EQ(CopySprite(8, 9), 0);
  EXPECT_EQ(SpriteWidth(9), 2);
}

TEST_P(SpriteStore, CopyingASpriteOntoItselfKeepsIt) {
  ASSERT_NE(CreateSprite(10, 6, 5), 0);
  const std::uint32_t colour = ColorToPixel(255, 255, 255);
  DrawPixel(10, 1, 1, colour);
  EXPECT_NE(CopySprite(10, 10), 0);
  ASSERT_NE(FindSprite(10), nullptr);
  EXPECT_EQ(SpriteWidth(10), 6);
  EXPECT_EQ(PixelAt(FindSprite(10)->surface, 1, 1), colour);
}

TEST_P(SpriteStore, CopiesTakeAutomaticNumbersToo) {
  ASSERT_NE(CreateSprite(11, 7, 3), 0);
  const ObjectNumber copy = CopySprite(11, kAutomaticObject);
  ASSERT_GE(copy, kFirstAutomaticNumber);
  EXPECT_EQ(SpriteWidth(copy), 7);
}

TEST_P(SpriteStore, OneSpriteTargetIsOutAtATime) {
  ASSERT_NE(CreateSprite(1, 8, 8), 0);
  ASSERT_NE(CreateSprite(2, 8, 8), 0);
  DrawingTarget* target = SpriteTarget(1);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->surface, &FindSprite(1)->surface);
  EXPECT_EQ(target->depth, ScreenDepth());
  EXPECT_EQ(target->pixelFormat, ScreenPixelFormat());
  EXPECT_EQ(SpriteTarget(1), nullptr);
  EXPECT_EQ(SpriteTarget(2), nullptr);
  target->endDrawing();
  DrawingTarget* next = SpriteTarget(2);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->surface, &FindSprite(2)->surface);
  next->endDrawing();
}

TEST_P(SpriteStore, EndingADrawingMarksThePixelsChanged) {
  ASSERT_NE(CreateSprite(1, 8, 8), 0);
  const std::uint64_t before = FindSprite(1)->surface.Generation();
  DrawPixel(1, 0, 0, 1);
  EXPECT_NE(FindSprite(1)->surface.Generation(), before);
}

TEST_P(SpriteStore, ATargetOutlivingItsSpriteNoLongerPointsAtIt) {
  ASSERT_NE(CreateSprite(1, 8, 8), 0);
  DrawingTarget* target = SpriteTarget(1);
  ASSERT_NE(target, nullptr);
  ASSERT_NE(CreateSprite(1, 4, 4), 0);
  EXPECT_EQ(target->surface, nullptr);
  target->endDrawing();
  EXPECT_NE(SpriteTarget(1), nullptr);
}

TEST_P(SpriteStore, ClosingTheScreenFreesEverySprite) {
  ASSERT_NE(CreateSprite(1, 8, 8), 0);
  const ObjectNumber automatic = CreateSprite(kAutomaticObject, 8, 8);
  ASSERT_NE(automatic, 0);
  ASSERT_EQ(OpenScreen(64, 48, GetParam(), "again"), 1);
  EXPECT_EQ(FindSprite(1), nullptr);
  EXPECT_EQ(FindSprite(automatic), nullptr);
}

TEST_P(SpriteStore, EndingTheSpriteSystemFreesEverythingAndRefusesNewSprites) {
  ASSERT_NE(CreateSprite(1, 8, 8), 0);
  EndSpriteSystem();
  EXPECT_EQ(SpriteWidth(1), 0);
  EXPECT_EQ(CreateSprite(1, 8, 8), 0);
  EXPECT_EQ(ScreenWidth(), 0);
}

TEST(SpriteStoreWithoutScreen, NoSpriteIsMadeBeforeTheSystemStartsOrWithoutAScreen) {
  EXPECT_EQ(CreateSprite(1, 8, 8), 0);
  HeadlessRuntime system;
  ASSERT_TRUE(system.Start({RuntimePart::SpriteSystem}));
  EXPECT_EQ(CreateSprite(1, 8, 8), 0);
  EXPECT_EQ(FindSprite(1), nullptr);
}

TEST(SpriteSystemStart, FailsWithoutADisplayAndEndsCleanly) {
  HeadlessRuntime machine;
  machine.SetDisplayAvailable(false);
  EXPECT_EQ(InitSpriteSystem(), 0);
  EXPECT_EQ(OpenScreen(32, 32, 32, "none"), 0);
  EXPECT_EQ(CreateSprite(1, 8, 8), 0);
}

TEST(SpriteSystemStart, FailsWithoutAKeyboard) {
  HeadlessRuntime machine;
  machine.SetKeyboardPresent(false);
  EXPECT_EQ(InitSpriteSystem(), 0);
}

TEST(SpriteSystemStart, StartsAgainAfterItsEnd) {
  HeadlessRuntime machine;
  ASSERT_EQ(InitSpriteSystem(), 1);
  EndRuntime();
  ASSERT_EQ(InitSpriteSystem(), 1);
  ASSERT_EQ(OpenScreen(32, 32, 32, "again"), 1);
  EXPECT_NE(CreateSprite(1, 8, 8), 0);
  EndRuntime();
  EXPECT_EQ(SpriteWidth(1), 0);
}

// ---- Colour conversion ----

TEST(ColorToPixel, ThirtyTwoBitRedHighScreens) {
  HeadlessRuntime system;
  ASSERT_TRUE(system.Start({RuntimePart::SpriteSystem}));
  ASSERT_EQ(OpenScreen(32, 32, 32, "colours"), 1);
  ASSERT_EQ(ScreenPixelFormat(), PixelFormat32RedHigh);
  EXPECT_EQ(ColorToPixel(255, 128, 0), 0x00FF8000u);
  EXPECT_EQ(ColorToPixel(1, 2, 3), 0x00010203u);
}

TEST(ColorToPixel, SixteenBitScreensUse565) {
  HeadlessRuntime system;
  ASSERT_TRUE(system.Start({RuntimePart::SpriteSystem}));
  ASSERT_EQ(OpenScreen(32, 32, 16, "colours"), 1);
  EXPECT_EQ(ColorToPixel(255, 128, 0), 0xFC00u);
  EXPECT_EQ(ColorToPixel(255, 255, 255), 0xFFFFu);
  // Channels that all round down to nothing give the transparent value.
  EXPECT_EQ(ColorToPixel(7, 3, 7), 0u);
  EXPECT_NE(ColorToPixel(8, 0, 0), 0u);
  EXPECT_NE(ColorToPixel(0, 4, 0), 0u);
  EXPECT_NE(ColorToPixel(0, 0, 8), 0u);
}

TEST(ColorToPixel, WithoutAScreenThereIsNoPixel) {
  EXPECT_EQ(ColorToPixel(255, 255, 255), 0u);
}

TEST(ColorToPixelAtDepth, EveryDepthLayout) {
  EXPECT_EQ(ColorToPixelAtDepth(15, 255, 128, 8), (31u << 10) + (16u << 5) + 1u);
  EXPECT_EQ(ColorToPixelAtDepth(16, 255, 128, 8), (31u << 11) + (32u << 5) + 1u);
  EXPECT_EQ(ColorToPixelAtDepth(24, 255, 128, 8), 0xFF8008u);
  EXPECT_EQ(ColorToPixelAtDepth(32, 255, 128, 8), 0xFF8008u);
  EXPECT_EQ(ColorToPixelAtDepth(8, 255, 128, 8), 0u);
}

}  // namespace
}  // namespace rt::test
