#include "runtime/display/windowed_screen.h"
#include "runtime/display/pixel_format.h"
#include "tests/runtime/display/display_fixture.h"

namespace rt::test {
namespace {

using platform::EventType;

int deactivationRuns = 0;

class WindowedScreenTest : public DisplayTest {
 protected:
  platform::WindowId OpenGameWindow(int width = 640, int height = 400) {
    return static_cast<platform::WindowId>(OpenWindow(0, 0, 0, width, height, "game", 0xC80001));
  }
};

TEST_F(WindowedScreenTest, GameScreenFillsTheClientAreaOneToOne) {
  const platform::WindowId window = OpenGameWindow();
  ASSERT_EQ(OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400, 0, 0, 0), 1);
  EXPECT_EQ(ScreenWidth(), 640);
  EXPECT_EQ(ScreenDepth(), 32);
  EXPECT_EQ(ScreenPixelFormat(), PixelFormat32RedHigh);
  ClearScreen(0x0000FF00);
  FlipBuffers();
  ASSERT_EQ(machine.Presents().size(), 1u);
  const platform::PresentedFrame& frame = machine.Presents()[0];
  EXPECT_EQ(frame.window, window);
  EXPECT_EQ(frame.dest.x, 0);
  EXPECT_EQ(frame.dest.y, 0);
  EXPECT_EQ(frame.dest.width, 640);
  EXPECT_EQ(frame.dest.height, 400);
  EXPECT_EQ(frame.pixels[0], 0x0000FF00u);
  EXPECT_TRUE(machine.Cursor().visible);
}

TEST_F(WindowedScreenTest, DepthIsTheDesktopsWhateverTheGameWants) {
  machine.SetDesktop(1024, 768, 16);
  OpenGameWindow();
  ASSERT_EQ(OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400), 1);
  EXPECT_EQ(ScreenDepth(), 16);
  EXPECT_EQ(ScreenPixelFormat(), PixelFormat565);
  ClearScreen(0x00FFFFFF);
  FlipBuffers();
  EXPECT_EQ(machine.Presents().back().pixels[0], 0x00FFFFFFu);
}

TEST_F(WindowedScreenTest, TwentyFourBitDesktopGetsAThirtyTwoBitBackBuffer) {
  machine.SetDesktop(1024, 768, 24);
  OpenGameWindow();
  ASSERT_EQ(OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400), 1);
  EXPECT_EQ(ScreenDepth(), 32);
}

TEST_F(WindowedScreenTest, NoWindowNoScreen) {
  EXPECT_EQ(OpenWindowedScreen(0, 0, 0, 640, 400), 0);
  EXPECT_EQ(OpenWindowedScreen(WindowHandle(3), 0, 0, 640, 400), 0);
  EXPECT_EQ(OpenWindowedScreen(123456, 0, 0, 640, 400), 0);
  EXPECT_EQ(ScreenWidth(), 0);
}

TEST_F(WindowedScreenTest, NoScreenBeforeTheDeviceStarts) {
  OpenGameWindow();
  EndDisplay();
  EXPECT_EQ(OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400), 0);
  EXPECT_EQ(ScreenWidth(), 0);
}

TEST_F(WindowedScreenTest, FailedOpenStillClosesThePreviousScreen) {
  OpenFullScreen();
  EXPECT_EQ(OpenWindowedScreen(0, 0, 0, 640, 400), 0);
  EXPECT_EQ(ScreenWidth(), 0);
  EXPECT_EQ(machine.LiveWindows(), 0);
}

TEST_F(WindowedScreenTest, WithoutStretchTheDisplayIsOneToOneAtItsPlace) {
  OpenGameWindow(800, 600);
  OpenWindowedScreen(WindowHandle(0), 10, 20, 640, 400, 0, 5, 5);
  FlipBuffers();
  const platform::Rect dest = machine.Presents().back().dest;
  EXPECT_EQ(dest.x, 10);
  EXPECT_EQ(dest.y, 20);
  EXPECT_EQ(dest.width, 640);
  EXPECT_EQ(dest.height, 400);
}

TEST_F(WindowedScreenTest, StretchFollowsTheClientAreaLessTheInsets) {
  const platform::WindowId window = OpenGameWindow(800, 600);
  OpenWindowedScreen(WindowHandle(0), 10, 20, 640, 400, 1, 30, 40);
  FlipBuffers();
  platform::Rect dest = machine.Presents().back().dest;
  EXPECT_EQ(dest.x, 10);
  EXPECT_EQ(dest.y, 20);
  EXPECT_EQ(dest.width, 800 - 10 - 30);
  EXPECT_EQ(dest.height, 600 - 20 - 40);
  machine.ResizeClientWidth(window, 1000);
  FlipBuffers();
  dest = machine.Presents().back().dest;
  EXPECT_EQ(dest.width, 1000 - 10 - 30);
  EXPECT_EQ(machine.Presents().back().width, 640);
}

TEST_F(WindowedScreenTest, MovingOrExposingShowsTheLatestBackBufferAtOnce) {
  const platform::WindowId window = OpenGameWindow();
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  ClearScreen(0x000000FF);
  for (EventType type : {EventType::Moved, EventType::Exposed}) {
    const std::size_t before = machine.Presents().size();
    const std::uint64_t clock = machine.Micros();
    machine.Push(type, window);
    while (PollWindowEvent() != kEventNone) {
    }
    ASSERT_EQ(machine.Presents().size(), before + 1);
    EXPECT_EQ(machine.Presents().back().pixels[0], 0x00FF0000u);
    EXPECT_EQ(machine.Micros(), clock);  // no frame wait for a repaint
  }
}

TEST_F(WindowedScreenTest, SecondOpenOnTheSameWindowRepaintsOnce) {
  const platform::WindowId window = OpenGameWindow();
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  const std::size_t before = machine.Presents().size();
  machine.Push(EventType::Exposed, window);
  PollWindowEvent();
  EXPECT_EQ(machine.Presents().size(), before + 1);
}

TEST_F(WindowedScreenTest, ClosedScreenNoLongerRepaintsAndLeavesTheAreaBlack) {
  const platform::WindowId window = OpenGameWindow();
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  ClearScreen(0x00FFFFFF);
  FlipBuffers();
  OpenFullScreen();
  const platform::PresentedFrame& cleared = machine.Presents()[machine.Presents().size() - 2];
  EXPECT_EQ(cleared.window, window);
  EXPECT_EQ(cleared.pixels, std::vector<std::uint32_t>{0});
  EXPECT_EQ(cleared.dest.width, 640);
  const std::size_t before = machine.Presents().size();
  machine.Push(EventType::Exposed, window);
  PollWindowEvent();
  EXPECT_EQ(machine.Presents().size(), before);
}

TEST_F(WindowedScreenTest, ActiveFollowsTheFocusedWindow) {
  deactivationRuns = 0;
  Runtime().displayDeactivated.Connect([] { ++deactivationRuns; });
  const platform::WindowId window = OpenGameWindow();
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  machine.GiveFocusTo(window);
  EXPECT_EQ(ScreenActive(), 1);
  machine.GiveFocusTo(0);
  machine.Push(EventType::FocusLost, window);
  PollWindowEvent();
  EXPECT_EQ(ScreenActive(), 0);
  EXPECT_FALSE(FullScreenInactive());  // a window keeps presenting
  const std::size_t before = machine.Presents().size();
  FlipBuffers();
  EXPECT_EQ(machine.Presents().size(), before + 1);
  EXPECT_EQ(deactivationRuns, 0);
  EXPECT_EQ(SpritePixelsSaved(), 0);
}

TEST_F(WindowedScreenTest, FramesAreJustOverASixtyFirstOfASecond) {
  OpenGameWindow();
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  FlipBuffers();
  const std::uint64_t start = machine.Micros();
  for (int frame = 0; frame < 10; ++frame) {
    machine.Work(3000);  // the frame's drawing
    FlipBuffers();
  }
  EXPECT_NEAR(static_cast<double>(machine.Micros() - start) / 1e6, 10.0 / 61.0, 0.001);
}

TEST_F(WindowedScreenTest, AutomaticRateIsForgottenInFullScreen) {
  OpenGameWindow();
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  FlipBuffers();
  OpenFullScreen();
  const std::uint64_t start = machine.Micros();
  FlipBuffers();
  FlipBuffers();
  EXPECT_EQ(machine.Micros(), start);
}

TEST_F(WindowedScreenTest, OwnRateIsKeptAndNotForgotten) {
  SetFrameRate(30);
  OpenGameWindow();
  OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400);
  FlipBuffers();
  const std::uint64_t start = machine.Micros();
  for (int frame = 0; frame < 10; ++frame) FlipBuffers();
  EXPECT_NEAR(static_cast<double>(machine.Micros() - start) / 1e6, 10.0 / 31.0, 0.001);
}

}  // namespace
}  // namespace rt::test
