#include <algorithm>

#include "runtime/display/pixel_format.h"
#include "runtime/display/windowed_screen.h"
#include "tests/runtime/display/display_fixture.h"

namespace rt::test {
namespace {

using platform::EventType;

int closeHookRuns = 0;
void CountCloseHook() {
  ++closeHookRuns;
}
int deactivationHookRuns = 0;
void CountDeactivation() {
  ++deactivationHookRuns;
}

bool AllPixelsAre(const platform::PresentedFrame& frame, std::uint32_t value) {
  return std::all_of(frame.pixels.begin(), frame.pixels.end(), [=](std::uint32_t p) { return p == value; });
}

using ScreenOpenTest = DisplayTest;

TEST_F(ScreenOpenTest, FullScreenIsBlackVisibleAndHidesTheCursor) {
  const platform::WindowId window = OpenFullScreen();
  ASSERT_NE(window, 0u);
  EXPECT_TRUE(machine.WindowAt(window).fullScreen);
  EXPECT_EQ(machine.WindowAt(window).title, "Pellaris");
  EXPECT_EQ(ScreenWidth(), 640);
  EXPECT_EQ(ScreenHeight(), 400);
  EXPECT_EQ(ScreenDepth(), 32);
  EXPECT_EQ(ScreenPixelFormat(), PixelFormat32RedHigh);
  EXPECT_EQ(ScreenActive(), 1);
  EXPECT_FALSE(machine.Cursor().visible);
  ASSERT_EQ(machine.Presents().size(), 1u);
  EXPECT_EQ(machine.Presents()[0].width, 640);
  EXPECT_TRUE(AllPixelsAre(machine.Presents()[0], 0));
  ASSERT_NE(BlitTarget(), nullptr);
  EXPECT_EQ(BlitTarget()->Width(), 640);
}

TEST_F(ScreenOpenTest, SixteenBitScreenUsesFiveSixFive) {
  OpenFullScreen(16);
  EXPECT_EQ(ScreenDepth(), 16);
  EXPECT_EQ(ScreenPixelFormat(), PixelFormat565);
  EXPECT_EQ(BlitTarget()->Depth(), 16);
}

TEST_F(ScreenOpenTest, DepthsWithoutABackBufferFail) {
  EXPECT_EQ(OpenScreen(640, 400, 8, "x"), 0);
  EXPECT_EQ(OpenScreen(640, 400, 24, "x"), 0);
  EXPECT_EQ(ScreenWidth(), 0);
  EXPECT_EQ(BlitTarget(), nullptr);
  EXPECT_EQ(machine.LiveWindows(), 0);
}

TEST_F(ScreenOpenTest, SizesAreTakenAsSixteenBitValues) {
  // 65536 + 640 arrives as 640; 65536 + 0 as 0, which fails.
  EXPECT_EQ(OpenScreen(65536 + 640, 400, 32, "x"), 1);
  EXPECT_EQ(ScreenWidth(), 640);
  EXPECT_EQ(OpenScreen(65536, 400, 32, "x"), 0);
}

TEST_F(ScreenOpenTest, FailedWindowMakesTheOpenFailWithNothingLeft) {
  machine.SetWindowsFail(true);
  EXPECT_EQ(OpenScreen(640, 400, 32, "Pellaris"), 0);
  EXPECT_EQ(ScreenWidth(), 0);
  EXPECT_TRUE(machine.Cursor().visible);
}

TEST_F(ScreenOpenTest, NoScreenBeforeTheDeviceStarts) {
  EndDisplay();
  EXPECT_EQ(OpenScreen(640, 400, 32, "Pellaris"), 0);
  EXPECT_EQ(machine.LiveWindows(), 0);
}

TEST_F(ScreenOpenTest, DeviceNeedsADisplay) {
  EndDisplay();
  machine.SetDisplayAvailable(false);
  EXPECT_EQ(InitDisplay(), 0);
}

TEST_F(ScreenOpenTest, ReopeningClosesTheFirstScreen) {
  closeHookRuns = 0;
  Runtime().screenClosing.Connect(CountCloseHook);
  const platform::WindowId first = OpenFullScreen();
  const platform::WindowId second = OpenFullScreen(16);
  EXPECT_NE(first, second);
  EXPECT_EQ(closeHookRuns, 1);
  EXPECT_EQ((machine.Window(first) != nullptr), 0u);
  EXPECT_EQ(machine.LiveWindows(), 1);
}

TEST_F(ScreenOpenTest, EndingTheDeviceClosesTheScreenAndShowsTheCursor) {
  closeHookRuns = 0;
  Runtime().screenClosing.Connect(CountCloseHook);
  OpenFullScreen();
  EndDisplay();
  EXPECT_EQ(closeHookRuns, 1);
  EXPECT_TRUE(machine.Cursor().visible);
  EXPECT_EQ(machine.LiveWindows(), 0);
  EXPECT_EQ(ScreenWidth(), 0);
}

TEST_F(ScreenOpenTest, WithoutAScreenFlipAndClearDoNothing) {
  EXPECT_EQ(FlipBuffers(), 0);
  ClearScreen(0xFFFFFF);
  EXPECT_EQ(ScreenTarget(), nullptr);
  EXPECT_EQ(ScreenActive(), 0);
  EXPECT_TRUE(machine.Presents().empty());
  EXPECT_EQ(machine.FrameCount(), 1);  // the frame boundary is every call's
}

using ClearScreenTest = DisplayTest;

TEST_F(ClearScreenTest, ThirtyTwoBitsShowsTheColourAsRedGreenBlue) {
  OpenFullScreen();
  ClearScreen(0x00332211);  // red 0x11, green 0x22, blue 0x33
  FlipBuffers();
  ASSERT_EQ(machine.Presents().size(), 2u);
  EXPECT_EQ(machine.Presents().back().pixels.size(), 640u * 400u);
  EXPECT_TRUE(AllPixelsAre(machine.Presents().back(), 0x00112233));
}

TEST_F(ClearScreenTest, BitsAboveTheBlueByteAreIgnored) {
  OpenFullScreen();
  ClearScreen(0xAB0000FF);
  FlipBuffers();
  EXPECT_TRUE(AllPixelsAre(machine.Presents().back(), 0x00FF0000));
}

TEST_F(ClearScreenTest, SixteenBitsStoresFiveSixFiveAndShowsItExpanded) {
  OpenFullScreen(16);
  ClearScreen(0x00FF8010);  // red 0x10, green 0x80, blue 0xFF
  const Surface& back = *BlitTarget();
  const std::uint16_t stored = ColorToPixelAtDepth(16, 0x10, 0x80, 0xFF);
  for (int y : {0, 199, 399}) {
    for (int x : {0, 320, 639}) EXPECT_EQ(back.RowAs<std::uint16_t>(y)[x], stored);
  }
  FlipBuffers();
  const std::uint32_t red = stored >> 11, green = (stored >> 5) & 0x3F, blue = stored & 0x1F;
  const std::uint32_t expanded =
      ((red << 3 | red >> 2) << 16) | ((green << 2 | green >> 4) << 8) | (blue << 3 | blue >> 2);
  EXPECT_TRUE(AllPixelsAre(machine.Presents().back(), expanded));
  EXPECT_EQ(expanded & 0xFF, 0xFFu);  // full blue stays full
}

TEST_F(ClearScreenTest, ClearMovesTheBackBufferGeneration) {
  OpenFullScreen();
  const std::uint64_t before = BlitTarget()->Generation();
  ClearScreen(0);
  EXPECT_NE(BlitTarget()->Generation(), before);
}

using ScreenTargetTest = DisplayTest;

TEST_F(ScreenTargetTest, OneDrawingAtATime) {
  OpenFullScreen();
  DrawingTarget* target = ScreenTarget();
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->surface, BlitTarget());
  EXPECT_EQ(target->depth, 32);
  EXPECT_EQ(target->pixelFormat, PixelFormat32RedHigh);
  EXPECT_EQ(ScreenTarget(), nullptr);
  target->endDrawing();
  EXPECT_NE(ScreenTarget(), nullptr);
}

TEST_F(ScreenTargetTest, FlipEndsAPendingDrawing) {
  OpenFullScreen();
  ASSERT_NE(ScreenTarget(), nullptr);
  FlipBuffers();
  EXPECT_NE(ScreenTarget(), nullptr);
}

TEST_F(ScreenTargetTest, DrawingIntoTheTargetIsWhatIsShown) {
  OpenFullScreen();
  DrawingTarget* target = ScreenTarget();
  target->surface->RowAs<std::uint32_t>(10)[20] = 0x00ABCDEF;
  target->endDrawing();
  FlipBuffers();
  EXPECT_EQ(machine.Presents().back().pixels[10 * 640 + 20], 0x00ABCDEFu);
}

using FullScreenFocusTest = DisplayTest;

TEST_F(FullScreenFocusTest, LosingTheFocusStopsPresentingUntilItReturns) {
  deactivationHookRuns = 0;
  Runtime().displayDeactivated.Connect(CountDeactivation);
  const platform::WindowId window = OpenFullScreen();
  machine.Push(EventType::FocusLost, window);
  FlipBuffers();
  EXPECT_EQ(ScreenActive(), 0);
  EXPECT_TRUE(FullScreenInactive());
  EXPECT_EQ(SpritePixelsSaved(), 1);
  EXPECT_EQ(deactivationHookRuns, 1);
  const std::size_t shown = machine.Presents().size();
  FlipBuffers();
  FlipBuffers();
  EXPECT_EQ(machine.Presents().size(), shown);

  machine.Push(EventType::FocusGained, window);
  FlipBuffers();
  EXPECT_EQ(ScreenActive(), 1);
  EXPECT_FALSE(FullScreenInactive());
  EXPECT_EQ(SpritePixelsSaved(), 0);
  EXPECT_EQ(machine.Presents().size(), shown + 1);
}

TEST_F(FullScreenFocusTest, PollingTheEventsAlsoDrivesTheFocus) {
  const platform::WindowId window = OpenFullScreen();
  machine.Push(EventType::FocusLost, window);
  PollWindowEvent();
  EXPECT_EQ(ScreenActive(), 0);
  machine.Push(EventType::FocusGained, window);
  PollWindowEvent();
  EXPECT_EQ(ScreenActive(), 1);
}

TEST_F(FullScreenFocusTest, InactiveFlipDoesNotWait) {
  const platform::WindowId window = OpenFullScreen();
  SetFrameRate(60);
  machine.Push(EventType::FocusLost, window);
  const std::uint64_t before = machine.Micros();
  FlipBuffers();
  EXPECT_EQ(machine.Micros(), before);
}

TEST_F(FullScreenFocusTest, ReleasingTabOrAltSavesThePixelsOnceWithoutDeactivating) {
  deactivationHookRuns = 0;
  Runtime().displayDeactivated.Connect(CountDeactivation);
  const platform::WindowId window = OpenFullScreen();
  machine.Push(EventType::KeyUp, window, 15);
  FlipBuffers();
  EXPECT_EQ(SpritePixelsSaved(), 1);
  EXPECT_EQ(ScreenActive(), 1);
  machine.Push(EventType::KeyUp, window, 56 + 128);
  machine.Push(EventType::FocusLost, window);
  FlipBuffers();
  EXPECT_EQ(deactivationHookRuns, 1);
  EXPECT_EQ(ScreenActive(), 0);
}

TEST_F(FullScreenFocusTest, OtherKeyReleasesSaveNothing) {
  const platform::WindowId window = OpenFullScreen();
  machine.Push(EventType::KeyUp, window, 1);
  machine.Push(EventType::KeyUp, window, 16);
  FlipBuffers();
  EXPECT_EQ(SpritePixelsSaved(), 0);
}

TEST_F(FullScreenFocusTest, CloseRequestIsIgnored) {
  const platform::WindowId window = OpenFullScreen();
  machine.Push(EventType::CloseRequest, window);
  machine.Push(EventType::CloseRequest, window);
  const int first = PollWindowEvent();
  FlipBuffers();
  EXPECT_NE(first, kEventCloseRequest);
  EXPECT_EQ(PollWindowEvent(), kEventNone);
  EXPECT_EQ(ScreenWidth(), 640);
  EXPECT_EQ((machine.Window(window) != nullptr), 1u);
}

TEST_F(FullScreenFocusTest, FocusOfAnotherWindowLeavesTheDisplayActive) {
  OpenFullScreen();
  machine.Push(EventType::FocusLost, 999);
  FlipBuffers();
  EXPECT_EQ(ScreenActive(), 1);
}

using FramePacingTest = DisplayTest;

double Seconds(const TestMachine& machine, std::uint64_t from) {
  return static_cast<double>(machine.Micros() - from) / 1e6;
}

TEST_F(FramePacingTest, FirstWaitAfterSettingTheRateRunsAFullPeriod) {
  ASSERT_EQ(SetFrameRate(60), 1);
  machine.Work(5000000);  // however long ago the previous wait ended
  const std::uint64_t start = machine.Micros();
  WaitFrameTick();
  EXPECT_GT(Seconds(machine, start), 1.0 / 61.0);
  EXPECT_LT(Seconds(machine, start), 1.0 / 61.0 + 0.002);
}

// The frames' deadlines are absolute: however long each frame's own work takes, and however the
// machine rounds its sleeps, n frames take n periods.
TEST_F(FramePacingTest, FramesKeepTheirRateWhateverTheirWork) {
  SetFrameRate(60);
  WaitFrameTick();
  const std::uint64_t start = machine.Micros();
  for (int frame = 0; frame < 61; ++frame) {
    machine.Work(static_cast<std::uint64_t>(frame % 11) * 1000);  // 0 to 10 ms of drawing
    WaitFrameTick();
  }
  EXPECT_NEAR(Seconds(machine, start), 1.0, 0.001);
}

TEST_F(FramePacingTest, ALateFrameDoesNotDelayTheNext) {
  SetFrameRate(60);
  WaitFrameTick();
  const std::uint64_t start = machine.Micros();
  machine.Work(20000);  // a frame late by more than 3 ms
  WaitFrameTick();
  WaitFrameTick();
  EXPECT_NEAR(Seconds(machine, start), 2.0 / 61.0, 0.001);
}

TEST_F(FramePacingTest, WorkLongerThanAPeriodIsNotWaitedFor) {
  SetFrameRate(60);
  WaitFrameTick();
  machine.Work(30000);
  const std::uint64_t start = machine.Micros();
  WaitFrameTick();
  EXPECT_LT(machine.Micros() - start, 2000u);
}

TEST_F(FramePacingTest, WaitingSleepsThroughMostOfThePeriod) {
  SetFrameRate(60);
  WaitFrameTick();
  const std::uint64_t slept = machine.SleptMilliseconds();
  WaitFrameTick();
  EXPECT_GE(machine.SleptMilliseconds() - slept, 14u);
}

TEST_F(FramePacingTest, RateFailsWithoutACounter) {
  machine.RemoveCounter();
  EXPECT_EQ(SetFrameRate(60), 0);
}

TEST_F(FramePacingTest, FullScreenIsPacedByThePresentAlone) {
  OpenFullScreen();
  const std::uint64_t start = machine.Micros();
  for (int i = 0; i < 5; ++i) FlipBuffers();
  EXPECT_EQ(machine.Micros(), start);
  EXPECT_EQ(machine.FrameCount(), 5);
}

// A screen the player holds reads as inactive, so the game shows its paused frame, and yet goes on
// presenting it, in full screen as in a window.
class HeldScreenTest : public DisplayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HeldScreenTest, ReadsAsInactiveAndKeepsPresenting) {
  const bool windowed = GetParam();
  if (windowed) {
    ASSERT_NE(OpenWindow(0, 0, 0, 640, 400, "game"), 0);
    ASSERT_EQ(OpenWindowedScreen(WindowHandle(0), 0, 0, 640, 400), 1);
    machine.GiveFocusTo(static_cast<platform::WindowId>(WindowHandle(0)));
  } else {
    OpenFullScreen();
  }
  ASSERT_EQ(ScreenActive(), 1);
  HoldScreen(true);
  const std::size_t shown = machine.Presents().size();
  FlipBuffers();
  FlipBuffers();
  EXPECT_EQ(ScreenActive(), 0);
  EXPECT_FALSE(FullScreenInactive());
  EXPECT_EQ(machine.Presents().size(), shown + 2);
  HoldScreen(false);
  EXPECT_EQ(ScreenActive(), 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, HeldScreenTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Windowed" : "FullScreen"; });

// A display refreshing at the game's rate paces it by its retrace; on any other, or one whose rate is
// not known, the frame timer keeps the game at 60 updates a second.
class FullScreenRefreshTest : public DisplayTest, public ::testing::WithParamInterface<int> {};

TEST_P(FullScreenRefreshTest, TheGameUpdatesSixtyTimesASecond) {
  machine.SetPresentRate(GetParam());
  OpenFullScreen();
  FlipBuffers();
  const std::uint64_t start = machine.Micros();
  for (int frame = 0; frame < 60; ++frame) FlipBuffers();
  const bool synced = GetParam() >= 59 && GetParam() <= 61;
  if (synced) {
    EXPECT_EQ(machine.Micros(), start) << "the retrace paces it";
  } else {
    EXPECT_NEAR(Seconds(machine, start), 1.0, 0.001);
  }
}

INSTANTIATE_TEST_SUITE_P(Refresh, FullScreenRefreshTest, ::testing::Values(60, 59, 61, 75, 144, 240, 50, 0));

}  // namespace
}  // namespace rt::test
