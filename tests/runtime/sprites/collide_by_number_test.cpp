// SpritesCollide by sprite number on an open headless screen.
#include <gtest/gtest.h>

#include "runtime/sprites/collision.h"
#include "runtime/sprites/sprite.h"
#include "tests/runtime/sprites/screen_fixture.h"

namespace rt::test {
namespace {

class CollideByNumber : public ScreenTest {
 protected:
  static void Paint(ObjectNumber number, int x, int y, std::uint32_t value) {
    DrawingTarget* target = SpriteTarget(number);
    ASSERT_NE(target, nullptr);
    SetPixelAt(*target->surface, x, y, value);
    target->endDrawing();
  }
};

INSTANTIATE_TEST_SUITE_P(Depths, CollideByNumber, ::testing::Values(32, 16),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

TEST_P(CollideByNumber, AbsentNumbersNeverCollide) {
  ASSERT_EQ(CreateSprite(0, 4, 4), 1);
  Paint(0, 1, 1, 0x2222);
  EXPECT_EQ(SpritesCollide(0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(SpritesCollide(0, 0, 0, 5, 0, 0), 0);
  EXPECT_EQ(SpritesCollide(5, 0, 0, 0, 0, 0), 0);
}

TEST_P(CollideByNumber, PixelsDrawnIntoASpriteCountFromTheNextTest) {
  ASSERT_EQ(CreateSprite(0, 4, 4), 1);
  ASSERT_EQ(CreateSprite(2, 4, 4), 1);
  Paint(0, 3, 0, 0x1111);
  EXPECT_EQ(SpritesCollide(0, 0, 0, 2, 3, 0), 0);
  Paint(2, 0, 0, 0x1111);
  EXPECT_EQ(SpritesCollide(0, 0, 0, 2, 3, 0), 1);
  EXPECT_EQ(SpritesCollide(2, 3, 0, 0, 0, 0), 1);
}

}  // namespace
}  // namespace rt::test
