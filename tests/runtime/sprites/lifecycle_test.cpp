#include <cstdint>

#include "runtime/sprites/font.h"
#include "tests/runtime/sprites/drawing_fixture.h"

namespace rt::test {
namespace {

using LifecycleTest = DrawingTest;

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kRedPixel = 0x00FF0000;

void DrawOneOfEach() {
  DrawPoint(1, 1, kRed);
  DrawBox(0, 0, 4, 4, kRed);
  DrawBox(5, 5, 1, 1, kRed);
  DrawLine(0, 7, 8, 0, kRed);
  DrawTextAt(0, 0, "Hi", kRed, kRed);
}

TEST_F(LifecycleTest, NothingIsDrawnOutsideADrawing) {
  DrawingCanvas canvas(8, 8, 32);
  DrawOneOfEach();
  EXPECT_EQ(DrawTextAt(3, 0, "Hi", kRed, kRed), 0);
  EXPECT_EQ(TextWidth("Hi"), 0);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EndDrawing();
  DrawOneOfEach();
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 64);
}

TEST_F(LifecycleTest, EndDrawingHandsTheTargetBackOnce) {
  DrawingCanvas canvas(8, 8, 32);
  EndDrawing();
  EXPECT_EQ(DrawingCanvas::endCount, 0);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EXPECT_EQ(DrawingCanvas::endCount, 0);
  EndDrawing();
  EndDrawing();
  EXPECT_EQ(DrawingCanvas::endCount, 1);
}

TEST_F(LifecycleTest, BeginningWithoutATargetEndsTheDrawingInProgress) {
  DrawingCanvas canvas(8, 8, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EXPECT_EQ(BeginDrawing(nullptr), 0);
  EXPECT_EQ(DrawingCanvas::endCount, 1);
  DrawOneOfEach();
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 64);
}

TEST_F(LifecycleTest, BeginningAgainEndsThePreviousDrawingFirst) {
  DrawingCanvas first(8, 8, 32);
  DrawingCanvas second(8, 8, 32);
  ASSERT_EQ(BeginDrawing(first.target()), 1);
  ASSERT_EQ(BeginDrawing(second.target()), 1);
  EXPECT_EQ(DrawingCanvas::endCount, 1);
  DrawPoint(2, 3, kRed);
  EXPECT_EQ(CountPixels(first.surface(), 0), 64);
  EXPECT_EQ(PixelAt(second.surface(), 2, 3), kRedPixel);
}

TEST_F(LifecycleTest, TheModeIsResetAtEveryBeginning) {
  DrawingCanvas canvas(64, 20, 32);
  FillSurface(canvas.surface(), 0x00101010);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetFrontColor(0x00FF00);
  SetDrawingMode(DrawingModeTransparentText | DrawingModeInvert | DrawingModeOutline);
  EndDrawing();

  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawBox(0, 0, 4, 4, kRed);  // filled and painted
  const int end = DrawTextAt(10, 0, "Hi", 0xFFFFFF, 0xFF0000);
  EXPECT_EQ(CountPixels(canvas.surface(), kRedPixel), 16);
  // Opaque text: its whole box is text or back colour.
  EXPECT_EQ(CountPixels(canvas.surface(), 0x00FFFFFF) + CountPixels(canvas.surface(), 0x000000FF),
            (end - 10) * FontHeight());
}

TEST_F(LifecycleTest, BoxesPaintTheirOwnColourWhateverTheFrontColour) {
  // Changing the front colour while boxes are outlines, then filling again, still fills in the
  // colour asked for.
  DrawingCanvas canvas(8, 8, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  SetDrawingMode(DrawingModeOutline);
  SetFrontColor(kRed);
  SetDrawingMode(0);
  DrawBox(1, 1, 5, 5, kRed);
  EXPECT_EQ(CountPixels(canvas.surface(), kRedPixel), 25);
  SetFrontColor(0x00FF00);
  DrawLine(0, 7, 8, 0, kRed);
  EXPECT_EQ(CountPixels(canvas.surface(), kRedPixel), 33);
}

TEST_F(LifecycleTest, ATargetWithoutPixelsIsHandedBackAtOnce) {
  Surface none;
  DrawingTarget target{&none, 32, PixelFormat32RedHigh, [] { ++DrawingCanvas::endCount; }};
  DrawingCanvas::endCount = 0;
  EXPECT_EQ(BeginDrawing(&target), 0);
  EXPECT_EQ(DrawingCanvas::endCount, 1);
  EXPECT_EQ(TextWidth("Hi"), 0);

  target.surface = nullptr;
  EXPECT_EQ(BeginDrawing(&target), 0);
  EXPECT_EQ(DrawingCanvas::endCount, 2);

  Surface odd(4, 4, 15);
  target.surface = &odd;
  EXPECT_EQ(BeginDrawing(&target), 0);
  EXPECT_EQ(DrawingCanvas::endCount, 3);
}

TEST_F(LifecycleTest, ASurfaceDroppedDuringTheDrawingIsNoLongerWritten) {
  // The sprite store clears the target's surface when the sprite goes away mid-drawing.
  DrawingCanvas canvas(8, 8, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  canvas.target()->surface = nullptr;
  DrawOneOfEach();
  EXPECT_EQ(DrawTextAt(3, 0, "Hi", kRed, kRed), 3 + TextWidth("Hi"));
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 64);
  EndDrawing();
  EXPECT_EQ(DrawingCanvas::endCount, 1);
}

TEST_F(LifecycleTest, EveryChangeOfPixelsMovesTheGenerationOn) {
  // Blit caches are rebuilt from the generation; a drawing may be blitted from between two calls.
  DrawingCanvas canvas(32, 32, 32);
  Surface& surface = canvas.surface();
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  std::uint64_t before = surface.Generation();
  DrawPoint(1, 1, kRed);
  EXPECT_GT(surface.Generation(), before);
  before = surface.Generation();
  DrawBox(0, 0, 3, 3, kRed);
  EXPECT_GT(surface.Generation(), before);
  before = surface.Generation();
  DrawLine(0, 5, 9, 2, kRed);
  EXPECT_GT(surface.Generation(), before);
  before = surface.Generation();
  DrawTextAt(0, 10, "Hi", kRed, 0);
  EXPECT_GT(surface.Generation(), before);
}

TEST_F(LifecycleTest, InitDrawingForgetsWithoutHandingBack) {
  DrawingCanvas canvas(8, 8, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  InitDrawing();
  DrawOneOfEach();
  EndDrawing();
  EXPECT_EQ(DrawingCanvas::endCount, 0);
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 64);
}

}  // namespace
}  // namespace rt::test
