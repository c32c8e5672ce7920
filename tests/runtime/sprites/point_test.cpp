#include <climits>
#include <cstdint>

#include "tests/runtime/sprites/drawing_fixture.h"

namespace rt::test {
namespace {

using PointTest = DrawingTest;

// red + 256 green + 65536 blue, unmasked, as the game builds its colours.
constexpr std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red + 256 * green + 65536 * blue;
}

TEST_F(PointTest, ThirtyTwoBitPointsAreStoredRedHigh) {
  DrawingCanvas canvas(8, 4, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawPoint(0, 0, Rgb(255, 0, 0));
  DrawPoint(1, 0, Rgb(0, 255, 0));
  DrawPoint(2, 0, Rgb(0, 0, 255));
  DrawPoint(3, 0, Rgb(0x12, 0x34, 0x56));
  EXPECT_EQ(PixelAt(canvas.surface(), 0, 0), 0x00FF0000u);
  EXPECT_EQ(PixelAt(canvas.surface(), 1, 0), 0x0000FF00u);
  EXPECT_EQ(PixelAt(canvas.surface(), 2, 0), 0x000000FFu);
  EXPECT_EQ(PixelAt(canvas.surface(), 3, 0), 0x00123456u);
}

TEST_F(PointTest, SixteenBitPointsAreStored565) {
  DrawingCanvas canvas(8, 4, 16, PixelFormat565);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawPoint(0, 1, Rgb(255, 0, 0));
  DrawPoint(1, 1, Rgb(0, 255, 0));
  DrawPoint(2, 1, Rgb(0, 0, 255));
  DrawPoint(3, 1, Rgb(255, 255, 255));
  DrawPoint(4, 1, Rgb(8, 4, 8));
  EXPECT_EQ(PixelAt(canvas.surface(), 0, 1), 0xF800u);
  EXPECT_EQ(PixelAt(canvas.surface(), 1, 1), 0x07E0u);
  EXPECT_EQ(PixelAt(canvas.surface(), 2, 1), 0x001Fu);
  EXPECT_EQ(PixelAt(canvas.surface(), 3, 1), 0xFFFFu);
  EXPECT_EQ(PixelAt(canvas.surface(), 4, 1), 0x0821u);  // the lowest step of every channel
}

TEST_F(PointTest, SixteenBitPointsIgnoreTheFiveFiveFiveFormat) {
  DrawingCanvas canvas(4, 1, 16, PixelFormat555);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawPoint(0, 0, Rgb(0, 255, 0));
  EXPECT_EQ(PixelAt(canvas.surface(), 0, 0), 0x07E0u);
}

TEST_F(PointTest, DarkColoursBecomeTheTransparentValueAtSixteenBits) {
  DrawingCanvas canvas(4, 1, 16, PixelFormat565);
  FillSurface(canvas.surface(), 0xFFFF);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawPoint(0, 0, Rgb(7, 3, 7));
  EXPECT_EQ(PixelAt(canvas.surface(), 0, 0), 0u);
}

TEST_F(PointTest, ComponentsAboveTwoHundredFiftyFiveCarryIntoTheNextByte) {
  // The warning's red of 420 and the flash's blue of 282 spill into green and into the unused top byte.
  DrawingCanvas wide(4, 1, 32);
  ASSERT_EQ(BeginDrawing(wide.target()), 1);
  DrawPoint(0, 0, Rgb(420, 20, 20));
  DrawPoint(1, 0, Rgb(232, 232, 282));
  EXPECT_EQ(PixelAt(wide.surface(), 0, 0), 0x00A41514u);
  EXPECT_EQ(PixelAt(wide.surface(), 1, 0), 0x00E8E81Au);

  DrawingCanvas narrow(4, 1, 16, PixelFormat565);
  ASSERT_EQ(BeginDrawing(narrow.target()), 1);
  DrawPoint(0, 0, Rgb(420, 20, 20));
  DrawPoint(1, 0, Rgb(232, 232, 282));
  EXPECT_EQ(PixelAt(narrow.surface(), 0, 0), 0xA0A2u);
  EXPECT_EQ(PixelAt(narrow.surface(), 1, 0), 0xEF43u);
}

TEST_F(PointTest, ThirtyTwoBitPointsIgnoreARedLowFormatWhileShapesFollowIt) {
  DrawingCanvas canvas(4, 1, 32, PixelFormat32RedLow);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawPoint(0, 0, Rgb(255, 0, 0));
  DrawBox(1, 0, 1, 1, Rgb(255, 0, 0));
  EXPECT_EQ(PixelAt(canvas.surface(), 0, 0), 0x00FF0000u);
  EXPECT_EQ(PixelAt(canvas.surface(), 1, 0), 0x000000FFu);
}

TEST_F(PointTest, OtherDepthsStoreTheSurfacesOwnLayout) {
  DrawingCanvas palette(4, 1, 8, PixelFormatPalette);
  ASSERT_EQ(BeginDrawing(palette.target()), 1);
  DrawPoint(0, 0, Rgb(0x42, 0x10, 0x20));
  EXPECT_EQ(PixelAt(palette.surface(), 0, 0), 0x42u);

  DrawingCanvas redHigh(4, 1, 24, PixelFormat24RedHigh);
  ASSERT_EQ(BeginDrawing(redHigh.target()), 1);
  DrawPoint(1, 0, Rgb(0x11, 0x22, 0x33));
  EXPECT_EQ(PixelAt(redHigh.surface(), 1, 0), 0x112233u);
  EXPECT_EQ(PixelAt(redHigh.surface(), 0, 0), 0u);
  EXPECT_EQ(PixelAt(redHigh.surface(), 2, 0), 0u);

  DrawingCanvas redLow(4, 1, 24, PixelFormat24RedLow);
  ASSERT_EQ(BeginDrawing(redLow.target()), 1);
  DrawPoint(3, 0, Rgb(0x11, 0x22, 0x33));
  EXPECT_EQ(PixelAt(redLow.surface(), 3, 0), 0x332211u);
  EXPECT_TRUE(redLow.PaddingIntact());
}

TEST_F(PointTest, PointsOutsideTheTargetChangeNothing) {
  DrawingCanvas canvas(5, 3, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  const int outside[][2] = {{-1, 0},      {0, -1},      {5, 0},       {0, 3},      {5, 3},
                            {INT_MIN, 0}, {0, INT_MIN}, {INT_MAX, 1}, {1, INT_MAX}};
  for (const auto& point : outside) DrawPoint(point[0], point[1], 0xFFFFFF);
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 15);
  EXPECT_TRUE(canvas.PaddingIntact());
  DrawPoint(4, 2, 0xFFFFFF);  // the last pixel inside
  EXPECT_EQ(PixelAt(canvas.surface(), 4, 2), 0x00FFFFFFu);
  EXPECT_TRUE(canvas.PaddingIntact());
}

TEST_F(PointTest, TheDrawingModeDoesNotApplyToPoints) {
  DrawingCanvas canvas(4, 1, 32);
  FillSurface(canvas.surface(), 0x00123456);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetDrawingMode(DrawingModeInvert | DrawingModeOutline | DrawingModeTransparentText);
  DrawPoint(2, 0, Rgb(0, 0, 255));
  EXPECT_EQ(PixelAt(canvas.surface(), 2, 0), 0x000000FFu);
}

}  // namespace
}  // namespace rt::test
