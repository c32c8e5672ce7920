// Drawing on the real targets: the screen's back buffer and sprites, on the headless machine.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "runtime/display/screen.h"
#include "runtime/sprites/blit.h"
#include "runtime/sprites/drawing.h"
#include "runtime/sprites/font.h"
#include "runtime/sprites/sprite.h"
#include "tests/runtime/sprites/screen_fixture.h"

namespace rt::test {
namespace {

class DrawingOnTargets : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    InitDrawing();
  }
  void TearDown() override { EndDrawing(); }

  // The pixel a colour of components 0..255 takes on this screen.
  static std::uint32_t Pixel(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    if (GetParam() == 16) return ((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3);
    return (red << 16) | (green << 8) | blue;
  }
  static int Count(const Surface& surface, std::uint32_t value) {
    int count = 0;
    for (int y = 0; y < surface.Height(); ++y) {
      for (int x = 0; x < surface.Width(); ++x) count += PixelAt(surface, x, y) == value;
    }
    return count;
  }
};

INSTANTIATE_TEST_SUITE_P(Depths, DrawingOnTargets, ::testing::Values(32, 16),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

TEST_P(DrawingOnTargets, TheScreenTargetIsDrawnAndFreedAgain) {
  ASSERT_EQ(BeginDrawing(ScreenTarget()), 1);
  EXPECT_EQ(ScreenTarget(), nullptr);  // out while the drawing lasts
  DrawBox(0, 40, 64, 8, 0x461414);
  const int end = DrawTextAt(2, 2, "Score: 5", 0xC8C8C8, 0);
  EndDrawing();
  const Surface& back = *BlitTarget();
  EXPECT_EQ(Count(back, Pixel(0x14, 0x14, 0x46)), 64 * 8);
  EXPECT_EQ(end, 2 + MeasureText("Score: 5"));
  EXPECT_GT(Count(back, Pixel(0xC8, 0xC8, 0xC8)), 0);
  EXPECT_NE(ScreenTarget(), nullptr);
}

TEST_P(DrawingOnTargets, StarsDrawnIntoASpriteAreBlittedAndCopied) {
  ASSERT_EQ(CreateSprite(1, 64, 48), 1);
  ASSERT_EQ(BeginDrawing(SpriteTarget(1)), 1);
  for (int row = 1; row < 48; ++row) DrawPoint((row * 7) % 64, row, (row * 5) * 0x010101);
  EndDrawing();
  ASSERT_EQ(CopySprite(1, 201), 1);
  DrawSprite(201, 0, 0);
  const Surface& back = *BlitTarget();
  for (int row = 1; row < 48; ++row) {
    const std::uint32_t level = row * 5;
    const std::uint32_t expected = Pixel(level, level, level);
    EXPECT_EQ(PixelAt(back, (row * 7) % 64, row), expected) << row;
  }
  EXPECT_NE(SpriteTarget(1), nullptr);  // free again after the drawing
}

TEST_P(DrawingOnTargets, ASpriteBlittedMidDrawingShowsLaterPointsToo) {
  ASSERT_EQ(CreateSprite(3, 8, 8), 1);
  ASSERT_EQ(BeginDrawing(SpriteTarget(3)), 1);
  DrawPoint(0, 0, 0xFFFFFF);
  DrawSprite(3, 0, 0);
  DrawPoint(1, 0, 0xFFFFFF);
  DrawBox(0, 2, 3, 1, 0xFFFFFF);
  DrawSprite(3, 20, 20);
  const Surface& back = *BlitTarget();
  EXPECT_EQ(PixelAt(back, 20, 20), Pixel(255, 255, 255));
  EXPECT_EQ(PixelAt(back, 21, 20), Pixel(255, 255, 255));
  EXPECT_EQ(PixelAt(back, 22, 22), Pixel(255, 255, 255));
}

TEST_P(DrawingOnTargets, AskingForASecondSpriteEndsTheFirstDrawing) {
  ASSERT_EQ(CreateSprite(1, 8, 8), 1);
  ASSERT_EQ(CreateSprite(2, 8, 8), 1);
  ASSERT_EQ(BeginDrawing(SpriteTarget(1)), 1);
  // The store refuses a second target while one is out; the failed begin still ends the first.
  EXPECT_EQ(BeginDrawing(SpriteTarget(2)), 0);
  DrawPoint(0, 0, 0xFFFFFF);
  ASSERT_EQ(BeginDrawing(SpriteTarget(2)), 1);
  DrawPoint(0, 0, 0xFFFFFF);
  EndDrawing();
  DrawSprite(1, 0, 0);
  EXPECT_EQ(PixelAt(*BlitTarget(), 0, 0), 0u);
  DrawSprite(2, 0, 0);
  EXPECT_EQ(PixelAt(*BlitTarget(), 0, 0), Pixel(255, 255, 255));
}

TEST_P(DrawingOnTargets, ASpriteReplacedMidDrawingIsNotWritten) {
  ASSERT_EQ(CreateSprite(4, 16, 16), 1);
  ASSERT_EQ(BeginDrawing(SpriteTarget(4)), 1);
  ASSERT_EQ(CreateSprite(4, 16, 16), 1);  // frees the sprite being drawn
  DrawPoint(1, 1, 0xFFFFFF);
  DrawBox(0, 0, 16, 16, 0xFFFFFF);
  DrawLine(0, 0, 16, 16, 0xFFFFFF);
  DrawTextAt(0, 0, "Hi", 0xFFFFFF, 0xFFFFFF);
  EndDrawing();
  DrawSprite(4, 0, 0);
  EXPECT_EQ(Count(*BlitTarget(), 0), 64 * 48);
  EXPECT_NE(SpriteTarget(4), nullptr);
}

TEST_P(DrawingOnTargets, DarkStarsAreTransparentOnlyAtSixteenBits) {
  ASSERT_EQ(CreateSprite(5, 4, 4), 1);
  ASSERT_EQ(BeginDrawing(SpriteTarget(5)), 1);
  DrawPoint(2, 2, 0x070307);
  EndDrawing();
  ASSERT_EQ(BeginDrawing(ScreenTarget()), 1);
  DrawBox(0, 0, 4, 4, 0x808080);
  EndDrawing();
  DrawSprite(5, 0, 0);
  const std::uint32_t grey = Pixel(0x80, 0x80, 0x80);
  EXPECT_EQ(PixelAt(*BlitTarget(), 2, 2), GetParam() == 16 ? grey : Pixel(7, 3, 7));
}

}  // namespace
}  // namespace rt::test
