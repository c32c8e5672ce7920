#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "tests/runtime/sprites/drawing_fixture.h"

namespace rt::test {
namespace {

using BoxTest = DrawingTest;
using LineTest = DrawingTest;

constexpr std::uint32_t kRed = 0x0000FF;  // 0x00BBGGRR
constexpr std::uint32_t kRedPixel = 0x00FF0000;

// Pixels equal to `value` form exactly the rectangle [left, right) x [top, bottom).
bool OnlyRectHas(const Surface& surface, std::uint32_t value, int left, int top, int right, int bottom) {
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) {
      const bool inside = x >= left && x < right && y >= top && y < bottom;
      if ((PixelAt(surface, x, y) == value) != inside) return false;
    }
  }
  return true;
}

TEST_F(BoxTest, FillsColumnsAndRowsUpToButExcludingTheFarEdges) {
  DrawingCanvas canvas(12, 10, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawBox(2, 3, 5, 4, kRed);
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), kRedPixel, 2, 3, 7, 7));
}

TEST_F(BoxTest, TheStatusBarBoxCoversTheBottomFiftyRows) {
  DrawingCanvas canvas(640, 400, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawBox(0, 350, 640, 50, 0x461414);
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), 0x00141446, 0, 350, 640, 400));
  EXPECT_TRUE(canvas.PaddingIntact());
}

TEST_F(BoxTest, SixteenBitBoxesAre565) {
  DrawingCanvas canvas(6, 6, 16, PixelFormat565);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawBox(1, 1, 3, 2, 0xFF0000);  // blue
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), 0x001F, 1, 1, 4, 3));
}

TEST_F(BoxTest, OneByOneSetsOnePixelWhateverTheMode) {
  DrawingCanvas canvas(4, 4, 32);
  FillSurface(canvas.surface(), 0x00101010);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetDrawingMode(DrawingModeInvert);
  DrawBox(1, 1, 1, 1, kRed);
  SetDrawingMode(DrawingModeOutline);
  DrawBox(2, 2, 1, 1, kRed);
  SetDrawingMode(DrawingModeInvert | DrawingModeOutline);
  DrawBox(3, 3, 1, 1, kRed);
  EXPECT_EQ(CountPixels(canvas.surface(), kRedPixel), 3);
  EXPECT_EQ(PixelAt(canvas.surface(), 1, 1), kRedPixel);
  EXPECT_EQ(PixelAt(canvas.surface(), 2, 2), kRedPixel);
  EXPECT_EQ(PixelAt(canvas.surface(), 3, 3), kRedPixel);
}

TEST_F(BoxTest, OutlineModeDrawsOnlyTheBorder) {
  DrawingCanvas canvas(10, 10, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetDrawingMode(DrawingModeOutline);
  DrawBox(1, 2, 6, 5, kRed);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 1 && x <= 6 && y >= 2 && y <= 6;
      const bool border = inside && (x == 1 || x == 6 || y == 2 || y == 6);
      EXPECT_EQ(PixelAt(canvas.surface(), x, y), border ? kRedPixel : 0u) << x << "," << y;
    }
  }
}

TEST_F(BoxTest, InvertModeFlipsTheColourBitsOfTheCoveredPixels) {
  DrawingCanvas canvas(8, 8, 32);
  FillSurface(canvas.surface(), 0x00123456);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetDrawingMode(DrawingModeInvert);
  DrawBox(2, 2, 3, 3, kRed);
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), 0x00EDCBA9, 2, 2, 5, 5));
  DrawBox(2, 2, 3, 3, 0xFFFFFF);  // the colour does not matter; twice gives the picture back
  EXPECT_EQ(CountPixels(canvas.surface(), 0x00123456), 64);
}

TEST_F(BoxTest, InvertModeAtSixteenBitsFlipsWholePixels) {
  DrawingCanvas canvas(4, 2, 16, PixelFormat565);
  FillSurface(canvas.surface(), 0x1234);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetDrawingMode(DrawingModeInvert);
  DrawBox(0, 0, 2, 2, 0);
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), 0xEDCB, 0, 0, 2, 2));
  EXPECT_TRUE(canvas.PaddingIntact());
}

TEST_F(BoxTest, InvertedOutlinesTouchEachBorderPixelOnce) {
  // A corner or edge inverted twice would come back unchanged.
  for (const auto& [width, height] : {std::pair{5, 4}, {1, 4}, {5, 1}, {2, 2}}) {
    DrawingCanvas canvas(8, 8, 32);
    ASSERT_EQ(BeginDrawing(canvas.target()), 1);
    SetDrawingMode(DrawingModeInvert | DrawingModeOutline);
    DrawBox(1, 1, width, height, kRed);
    const int border = width * height - std::max(0, width - 2) * std::max(0, height - 2);
    EXPECT_EQ(CountPixels(canvas.surface(), 0x00FFFFFF), border) << width << "x" << height;
  }
}

TEST_F(BoxTest, BoxesWithoutAreaDrawNothing) {
  DrawingCanvas canvas(6, 6, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawBox(2, 2, 0, 3, kRed);
  DrawBox(2, 2, 3, 0, kRed);
  DrawBox(4, 4, -2, 2, kRed);
  DrawBox(4, 4, 2, -2, kRed);
  DrawBox(4, 4, INT_MIN, INT_MIN, kRed);
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 36);
}

// Draws with `draw` on a small canvas and on a larger one holding it at (dx, dy) with the drawing moved
// by the same offset: the small canvas must show exactly its window of the larger picture.
void ExpectClippedLikeWindow(const std::function<void(int, int)>& draw, int depth = 32) {
  constexpr int kMargin = 40;
  // An odd width leaves padding at the end of every row, at both depths.
  DrawingCanvas small(15, 12, depth, depth == 16 ? PixelFormat565 : PixelFormat32RedHigh);
  ASSERT_EQ(BeginDrawing(small.target()), 1);
  draw(0, 0);
  EndDrawing();
  DrawingCanvas large(15 + 2 * kMargin, 12 + 2 * kMargin, depth,
                      depth == 16 ? PixelFormat565 : PixelFormat32RedHigh);
  ASSERT_EQ(BeginDrawing(large.target()), 1);
  draw(kMargin, kMargin);
  EndDrawing();
  EXPECT_TRUE(SameAsWindowOf(small.surface(), large.surface(), kMargin, kMargin));
  EXPECT_TRUE(small.PaddingIntact());
}

TEST_F(BoxTest, BoxesAreClippedAtEveryEdge) {
  for (const int mode : {0, DrawingModeOutline, DrawingModeInvert, DrawingModeInvert | DrawingModeOutline}) {
    for (const int depth : {32, 16}) {
      ExpectClippedLikeWindow(
          [mode](int dx, int dy) {
            SetDrawingMode(mode);
            DrawBox(dx - 5, dy - 3, 30, 8, kRed);        // over the left and right edges
            DrawBox(dx + 3, dy - 20, 4, 40, 0x00FF00);   // over the top and bottom edges
            DrawBox(dx + 12, dy + 9, 20, 20, 0xFF0000);  // over the bottom-right corner
            DrawBox(dx - 1, dy - 1, 1, 1, kRed);         // just outside
          },
          depth);
    }
  }
}

TEST_F(BoxTest, HugeBoxesCoverTheTargetWithoutOverflowing) {
  DrawingCanvas canvas(7, 5, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawBox(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kRed);  // its last pixel is (-2, -2)
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 35);
  DrawBox(-10, -10, INT_MAX, INT_MAX, kRed);
  EXPECT_EQ(CountPixels(canvas.surface(), kRedPixel), 35);
  DrawBox(INT_MAX, 0, INT_MAX, 5, 0);
  EXPECT_EQ(CountPixels(canvas.surface(), kRedPixel), 35);
  EXPECT_TRUE(canvas.PaddingIntact());
}

TEST_F(LineTest, HorizontalLinesStopBeforeTheirEndPoint) {
  DrawingCanvas canvas(16, 3, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawLine(0, 0, 10, 0, kRed);
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), kRedPixel, 0, 0, 10, 1));
}

TEST_F(LineTest, LinesDrawnBackwardsAlsoStopBeforeTheirEndPoint) {
  DrawingCanvas canvas(16, 16, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawLine(12, 1, -5, 0, kRed);  // x 12 down to 8; 7 is the end point
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), kRedPixel, 8, 1, 13, 2));
  DrawLine(3, 14, 0, -4, 0x00FF00);  // y 14 up to 11
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), 0x0000FF00, 3, 11, 4, 15));
  DrawLine(5, 2, 0, 6, 0xFF0000);  // y 2 to 7
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), 0x000000FF, 5, 2, 6, 8));
}

TEST_F(LineTest, AnEmptyLineDrawsNothing) {
  DrawingCanvas canvas(4, 4, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawLine(1, 1, 0, 0, kRed);
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 16);
}

TEST_F(LineTest, SlopedLinesStartOnTheirStartPointAndTakeOnePixelPerStep) {
  struct Case {
    int x, y, width, height;
  };
  for (const Case& c : {Case{2, 2, 9, 4}, Case{12, 3, -8, 7}, Case{3, 13, 5, -10}, Case{13, 13, -9, -9},
                        Case{1, 1, 640, 1}}) {
    DrawingCanvas canvas(16, 16, 32);
    ASSERT_EQ(BeginDrawing(canvas.target()), 1);
    DrawLine(c.x, c.y, c.width, c.height, kRed);
    const auto& surface = canvas.surface();
    EXPECT_EQ(PixelAt(surface, c.x, c.y), kRedPixel);
    const int endX = c.x + c.width, endY = c.y + c.height;
    if (endX >= 0 && endX < 16 && endY >= 0 && endY < 16) {
      EXPECT_EQ(PixelAt(surface, endX, endY), 0u);
    }
    // Along the longer axis every coordinate from the start up to the end point is hit exactly once.
    const bool alongX = std::abs(c.width) >= std::abs(c.height);
    std::vector<int> hits(16, 0);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        if (PixelAt(surface, x, y) != kRedPixel) continue;
        ++hits[alongX ? x : y];
        // Each pixel lies within half a pixel of the ideal line, along the shorter axis.
        const double t = alongX ? double(x - c.x) / c.width : double(y - c.y) / c.height;
        const double ideal = alongX ? c.y + t * c.height : c.x + t * c.width;
        EXPECT_LE(std::abs((alongX ? y : x) - ideal), 0.5 + 1e-9) << x << "," << y;
      }
    }
    const int start = alongX ? c.x : c.y, length = std::abs(alongX ? c.width : c.height);
    const int step = (alongX ? c.width : c.height) < 0 ? -1 : 1;
    for (int along = 0; along < 16; ++along) {
      const int i = (along - start) * step;
      EXPECT_EQ(hits[along], i >= 0 && i < length ? 1 : 0) << along;
    }
  }
}

TEST_F(LineTest, TheGameOverLineStepsDownHalfWayAcross) {
  // DrawLine(0, 350, 640, 1, c) heads for (640, 351): the right half lies one row lower.
  DrawingCanvas canvas(640, 400, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawLine(0, 350, 640, 1, 0x643232);
  EXPECT_EQ(CountPixels(canvas.surface(), 0x00323264), 640);
  EXPECT_EQ(PixelAt(canvas.surface(), 0, 350), 0x00323264u);
  EXPECT_EQ(PixelAt(canvas.surface(), 639, 351), 0x00323264u);
}

TEST_F(LineTest, InvertModeFlipsTheLinesPixels) {
  DrawingCanvas canvas(10, 10, 32);
  FillSurface(canvas.surface(), 0x00FFFFFF);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetDrawingMode(DrawingModeInvert);
  DrawLine(0, 0, 10, 7, kRed);
  DrawLine(0, 9, 10, 0, kRed);
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 20);
}

TEST_F(LineTest, LinesAreClippedAtEveryEdge) {
  for (const int mode : {0, DrawingModeInvert}) {
    ExpectClippedLikeWindow([mode](int dx, int dy) {
      SetDrawingMode(mode);
      DrawLine(dx - 10, dy + 5, 40, 0, kRed);
      DrawLine(dx + 7, dy - 10, 0, 40, kRed);
      DrawLine(dx - 9, dy - 7, 35, 29, 0x00FF00);
      DrawLine(dx + 25, dy - 6, -37, 21, 0xFF0000);
      DrawLine(dx + 3, dy + 30, 5, -37, 0xFFFF00);
      DrawLine(dx + 30, dy + 5, -40, 3, 0x00FFFF);  // in through the right edge
      DrawLine(dx + 9, dy + 25, 3, -30, 0xFF00FF);  // in through the bottom edge
      DrawLine(dx - 7, dy - 2, 30, 15, 0x808080);   // exact halves at every other step
      DrawLine(dx + 14, dy - 9, -9, 26, 0x404040);
      DrawLine(dx - 20, dy - 20, 10, 3, kRed);  // wholly outside
    });
  }
}

TEST_F(LineTest, HugeLinesAreClippedWithoutOverflowing) {
  DrawingCanvas canvas(9, 9, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawLine(INT_MIN, 4, INT_MAX, 0, kRed);  // ends at -1
  DrawLine(INT_MAX, 4, INT_MIN, 0, kRed);  // from far right to far left
  EXPECT_TRUE(OnlyRectHas(canvas.surface(), kRedPixel, 0, 4, 9, 5));
  DrawLine(0, 0, INT_MAX, INT_MAX, 0x00FF00);  // the diagonal
  DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX - 7, 0x00FF00);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(PixelAt(canvas.surface(), i, i), 0x0000FF00u) << i;
  EXPECT_TRUE(canvas.PaddingIntact());
}

}  // namespace
}  // namespace rt::test
