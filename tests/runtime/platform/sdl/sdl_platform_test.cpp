// The SDL backend on SDL's own display-less and silent drivers: what a machine without a desktop
// or sound answers, and that windows, pictures and the audio stream work through the seam.
#include "runtime/platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
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

// The game confines the cursor at every frame; what SDL holds it in follows the window as it moves
// partly off the desktop (1024 x 768 here) and back, and a warp leaves it as it was.
TEST_F(SdlPlatformTest, TheCursorIsHeldInThePartOfTheAreaOnTheDesktop) {
  const WindowId window = OpenWindow();
  ASSERT_NE(window, 0u);
  SDL_Window* shown = SDL_GetWindowFromID(window);
  const Rect area{8, 4, 48, 32};
  const struct {
    int x, y;
    SDL_Rect held;
  } cases[] = {{100, 100, {8, 4, 48, 32}},
               {100, 100, {8, 4, 48, 32}},
               {-20, 100, {20, 4, 36, 32}},
               {-20, 740, {20, 4, 36, 24}},
               {100, 100, {8, 4, 48, 32}}};
  for (const auto& place : cases) {
    SDL_SetWindowPosition(shown, place.x, place.y);
    Input().ConfineCursor(window, &area);
    Input().WarpCursor(window, 10, 10);
    const SDL_Rect* held = SDL_GetWindowMouseRect(shown);
    ASSERT_NE(held, nullptr) << place.x << "," << place.y;
    EXPECT_TRUE(SDL_RectEquals(held, &place.held))
        << place.x << "," << place.y << ": " << held->x << " " << held->y << " " << held->w << " " << held->h;
  }
  Input().ConfineCursor(window, nullptr);
  EXPECT_EQ(SDL_GetWindowMouseRect(shown), nullptr);
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

// The tick seeds the rocks of a game started without a seed: it counts from the machine's start (as
// /proc/uptime does), so that launches a moment apart differ, not from SDL's start as SDL's own does.
TEST_F(SdlPlatformTest, TheTickCountsFromTheMachinesStart) {
  double uptime = 0;
  std::FILE* file = std::fopen("/proc/uptime", "r");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fscanf(file, "%lf", &uptime), 1);
  std::fclose(file);
  const auto uptimeMs = static_cast<std::uint32_t>(uptime * 1000.0);
  const std::uint32_t tick = Clock().TickMs();
  EXPECT_GT(tick, 1000u) << "SDL started just now";
  EXPECT_NEAR(static_cast<double>(tick), static_cast<double>(uptimeMs), 2000.0);
}

// SDL's display-less driver has a 1024 x 768 desktop.
TEST(SdlWindowScale, AScaleTooLargeForTheDesktopGivesWayToTheLargestThatFitsAndSaysSo) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  for (const int asked : {1, 2, 16}) {
    std::vector<std::string> reports;
    SdlOptions options;
    options.windowScale = asked;
    options.report = [&](const std::string& line) { reports.push_back(line); };
    const std::unique_ptr<SdlBackend> machine = CreateSdlBackend(options);
    const ScopedBackend installed(machine->Facets());
    WindowDesc desc;
    desc.clientWidth = 320;
    desc.clientHeight = 200;
    const WindowId window = Video().CreateWindow(desc);
    ASSERT_NE(window, 0u);
    int width = 0, height = 0;
    SDL_GetWindowSize(SDL_GetWindowFromID(window), &width, &height);
    const int expected = asked == 16 ? 3 : asked;
    EXPECT_EQ(width, 320 * expected) << asked;
    EXPECT_EQ(height, 200 * expected) << asked;
    if (asked == 16) {
      EXPECT_EQ(reports,
                std::vector<std::string>{"a window at scale 16 (5120 x 3200) does not fit the 1024 x 768 "
                                         "desktop; it opens at scale 3"});
    } else {
      EXPECT_TRUE(reports.empty()) << asked;
    }
  }
}

// A machine with no desktop and no sound card, as SDL finds it when no driver is named.
class SdlWithoutDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("ALSA_CONFIG_PATH", "/nonexistent", 1);  // ALSA finds no device, whatever the machine has
  }
  void TearDown() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("ALSA_CONFIG_PATH");
  }
};

// SDL would fall back to a driver that shows nothing, and the game would run unseen.
TEST_F(SdlWithoutDevices, NoDesktopOpensNoWindow) {
  const std::unique_ptr<SdlBackend> machine = CreateSdlBackend();
  const ScopedBackend installed(machine->Facets());
  int width = 0, height = 0, depth = 0;
  EXPECT_FALSE(Video().DesktopMode(width, height, depth));
  WindowDesc desc;
  desc.clientWidth = 64;
  desc.clientHeight = 40;
  EXPECT_EQ(Video().CreateWindow(desc), 0u);
  EXPECT_EQ(Video().CreateFullScreenWindow("full"), 0u);
  EXPECT_FALSE(Input().HasKeyboard());
}

TEST_F(SdlWithoutDevices, NoSoundCardLeavesTheTerminalClean) {
  const std::unique_ptr<SdlBackend> machine = CreateSdlBackend();
  const ScopedBackend installed(machine->Facets());
  Counting counting;
  AudioFormat obtained;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(Audio().OpenAudio(&Counting::Fill, &counting, obtained));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace rt::platform
