// The SDL backend on SDL's own display-less and silent drivers: what a machine without a desktop
// or sound answers, and that windows, pictures and the audio stream work through the seam.
#include "runtime/platform/sdl/sdl_platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <vector>

namespace rt::platform {
namespace {

class SdlPlatformTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("DISPLAY");  // a message box must fail here, not wait for a player
    unsetenv("WAYLAND_DISPLAY");
  }

  WindowId OpenWindow() {
    WindowDesc desc;
    desc.title = "test";
    desc.clientWidth = 64;
    desc.clientHeight = 40;
    desc.centred = true;
    return Video().CreateWindow(desc);
  }

  std::unique_ptr<SdlBackend> machine_ = CreateSdlBackend();
  ScopedBackend installed_{machine_->Facets()};
};

TEST_F(SdlPlatformTest, DesktopAndWindowsWork) {
  int width = 0, height = 0, depth = 0;
  ASSERT_TRUE(Video().DesktopMode(width, height, depth));
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
  const WindowId window = OpenWindow();
  ASSERT_NE(window, 0u);
  Rect outer, client;
  ASSERT_TRUE(Video().WindowGeometry(window, outer, client));
  EXPECT_EQ(client.width, 64);
  EXPECT_EQ(client.height, 40);
  std::vector<std::uint32_t> pixels(64 * 40, 0x00FF8000);
  Video().Present(window, pixels.data(), 64, 40, 64 * 4, Rect{0, 0, 64, 40});
  Video().SetWindowIcon(window, pixels.data(), 16, 16);
  Video().DestroyWindow(window);
  EXPECT_FALSE(Video().WindowGeometry(window, outer, client));
}

TEST_F(SdlPlatformTest, FullScreenWindowTakesTheDesktop) {
  int width = 0, height = 0, depth = 0;
  ASSERT_TRUE(Video().DesktopMode(width, height, depth));
  const WindowId window = Video().CreateFullScreenWindow("full");
  ASSERT_NE(window, 0u);
  Rect outer, client;
  ASSERT_TRUE(Video().WindowGeometry(window, outer, client));
  EXPECT_EQ(client.width, width);
  EXPECT_EQ(client.height, height);
  std::vector<std::uint32_t> pixels(640 * 400, 0x00123456);
  Video().Present(window, pixels.data(), 640, 400, 640 * 4, Rect{});
}

TEST_F(SdlPlatformTest, CallsOnMissingWindowsDoNothing) {
  const std::uint32_t pixel = 0;
  const Rect area{0, 0, 1, 1};
  Video().Present(12345, &pixel, 1, 1, 4, area);
  Input().ConfineCursor(12345, &area);
  Input().WarpCursor(12345, 1, 1);
  Video().ShowWindow(12345, true);
  Video().DestroyWindow(12345);
  Rect outer, client;
  EXPECT_FALSE(Video().WindowGeometry(12345, outer, client));
  EXPECT_EQ(Video().FocusedWindow(), 0u);
}

TEST_F(SdlPlatformTest, NoEventWaitsLongerThanAsked) {
  OpenWindow();
  Event event;
  while (Input().NextEvent(event, 0)) {
  }
  const std::uint64_t start = Clock().Counter();
  EXPECT_FALSE(Input().NextEvent(event, 30));
  const std::uint64_t elapsedMs = (Clock().Counter() - start) * 1000 / Clock().CounterFrequency();
  EXPECT_GE(elapsedMs, 25u);
}

TEST_F(SdlPlatformTest, MessageBoxWithoutADesktopAnswersAsEscapeWould) {
  EXPECT_EQ(Dialogs().ShowMessageBox("t", "x", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(Dialogs().ShowMessageBox("t", "x", MessageButtons::Ok), MessageAnswer::Ok);
}

struct Counting {
  std::atomic<int> frames{0};
  static void Fill(void* user, std::uint8_t* out, int frames) {
    std::fill_n(out, frames, std::uint8_t{0});
    static_cast<Counting*>(user)->frames += frames;
  }
};

TEST_F(SdlPlatformTest, AudioStreamRunsInAFormatTheMixerMakes) {
  Counting counting;
  AudioFormat obtained;
  ASSERT_TRUE(Audio().OpenAudio(&Counting::Fill, &counting, obtained));
  EXPECT_TRUE(obtained.rate == 44100 || obtained.rate == 48000);
  EXPECT_EQ(obtained.channels, 2);
  AudioFormat again;
  EXPECT_FALSE(Audio().OpenAudio(&Counting::Fill, &counting, again));  // one stream at a time
  Audio().LockAudio();
  const int before = counting.frames;
  Clock().SleepMs(30);
  EXPECT_EQ(counting.frames, before);  // the lock keeps the callback out
  Audio().UnlockAudio();
  Audio().CloseAudio();
  EXPECT_TRUE(Audio().OpenAudio(&Counting::Fill, &counting, again));
}

TEST_F(SdlPlatformTest, ProgramPathIsThisProgram) {
  const std::string path = Process().ProgramPath();
  EXPECT_NE(path.find("test_platform"), std::string::npos);
}

TEST_F(SdlPlatformTest, LocalTimeIsARealDate) {
  const LocalDateTime now = Clock().LocalTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
}

}  // namespace
}  // namespace rt::platform
