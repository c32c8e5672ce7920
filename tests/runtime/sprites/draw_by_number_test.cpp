// DrawSprite and DrawSpriteTranslucent by sprite number on an open headless screen.
#include <gtest/gtest.h>

#include <cstdint>

#include "runtime/display/screen.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/sprites/blit.h"
#include "runtime/sprites/sprite.h"
#include "tests/runtime/sprites/screen_fixture.h"
#include "tests/runtime/sprites/sprite_fixtures.h"

namespace rt::test {
namespace {

class DrawByNumber : public ScreenTest {
 protected:
  // Sets one pixel through the sprite's drawing target, as 2D drawing does.
  static void Paint(ObjectNumber number, int x, int y, std::uint32_t value) {
    DrawingTarget* target = SpriteTarget(number);
    ASSERT_NE(target, nullptr);
    SetPixelAt(*target->surface, x, y, value);
    target->endDrawing();
  }
  static std::uint32_t Screen(int x, int y) { return PixelAt(*BlitTarget(), x, y); }
  static int NonZeroScreenPixels() {
    int count = 0;
    for (int y = 0; y < ScreenHeight(); ++y) {
      for (int x = 0; x < ScreenWidth(); ++x) count += Screen(x, y) != 0;
    }
    return count;
  }
  void SetFocus(bool focused) {
    Machine().Apply(focused ? platform::Action::GainFocus() : platform::Action::LoseFocus());
    FlipBuffers();
  }
};

INSTANTIATE_TEST_SUITE_P(Depths, DrawByNumber, ::testing::Values(32, 16),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

TEST_P(DrawByNumber, OpaquePixelsLandOnTheBackBuffer) {
  ASSERT_EQ(CreateSprite(3, 4, 2), 1);
  Paint(3, 1, 0, 0x1234);
  Paint(3, 3, 1, 0x0F0F);
  DrawSprite(3, 10, 20);
  EXPECT_EQ(Screen(11, 20), 0x1234u);
  EXPECT_EQ(Screen(13, 21), 0x0F0Fu);
  EXPECT_EQ(NonZeroScreenPixels(), 2);
}

TEST_P(DrawByNumber, AbsentNumbersDrawNothing) {
  DrawSprite(9, 0, 0);
  DrawSpriteTranslucent(9, 0, 0, 128);
  DrawSprite(kFirstAutomaticNumber + 3, 0, 0);
  EXPECT_EQ(NonZeroScreenPixels(), 0);
}

TEST_P(DrawByNumber, NothingIsDrawnWhileTheFullScreenDisplayIsInactive) {
  ASSERT_EQ(CreateSprite(1, 2, 2), 1);
  Paint(1, 0, 0, 0x7777);
  SetFocus(false);
  ASSERT_TRUE(FullScreenInactive());
  DrawSprite(1, 5, 5);
  DrawSpriteTranslucent(1, 5, 5, 255);
  EXPECT_EQ(NonZeroScreenPixels(), 0);
  SetFocus(true);
  ASSERT_FALSE(FullScreenInactive());
  DrawSprite(1, 5, 5);
  EXPECT_EQ(Screen(5, 5), 0x7777u);
}

TEST_P(DrawByNumber, DrawingIntoASpriteShowsAtItsNextBlit) {
  ASSERT_EQ(CreateSprite(1, 64, 48), 1);
  Paint(1, 30, 7, 0x0101);
  DrawSprite(1, 0, 0);
  Paint(1, 31, 7, 0x0202);
  Paint(1, 30, 7, 0);
  ClearScreen(0);
  DrawSprite(1, 0, 0);
  EXPECT_EQ(Screen(30, 7), 0u);
  EXPECT_EQ(Screen(31, 7), 0x0202u);
  EXPECT_EQ(NonZeroScreenPixels(), 1);
}

TEST_P(DrawByNumber, CopiesDrawTheirOwnPixels) {
  ASSERT_EQ(CreateSprite(1, 8, 8), 1);
  Paint(1, 2, 2, 0x0303);
  DrawSprite(1, 0, 0);  // fills the original's cache first
  ASSERT_EQ(CopySprite(1, 201), 1);
  Paint(1, 4, 4, 0x0404);
  ClearScreen(0);
  DrawSprite(201, 0, 0);
  EXPECT_EQ(Screen(2, 2), 0x0303u);
  EXPECT_EQ(NonZeroScreenPixels(), 1);
}

TEST_P(DrawByNumber, TranslucentDrawMixesWithTheBackBuffer) {
  ASSERT_EQ(CreateSprite(2, 1, 1), 1);
  const std::uint32_t white = GetParam() == 32 ? 0xFFFFFF : 0xFFFF;
  Paint(2, 0, 0, white);
  DrawSpriteTranslucent(2, 3, 4, kEvenMix);
  EXPECT_EQ(Screen(3, 4), GetParam() == 32 ? 0x7F7F7Fu : 0x7BEFu);
}

}  // namespace
}  // namespace rt::test
