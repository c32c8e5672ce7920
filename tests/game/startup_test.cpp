#include "game/startup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "game/state.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/platform/forwarding_facets.h"
#include "runtime/platform/headless/headless_platform.h"
#include "tests/support/headless_runtime.h"

namespace pellaris {
namespace {

using rt::platform::Action;
using rt::platform::HeadlessPlatform;
using rt::platform::MessageAnswer;
using rt::platform::MessageButtons;

constexpr int kEscape = 1;
constexpr int kSpace = 57;
constexpr int kFrameLimit = 600;

// What the stand-in game saw, frame by frame.
struct Play {
  bool started = false;
  int width = 0, height = 0, depth = 0;
  std::int16_t fireCooldown = 0;
  std::vector<int> active, space;
  std::vector<bool> relativeMouse;
  int frames = 0;
};

HeadlessPlatform* machine = nullptr;
Play* play = nullptr;

// The frame loop of the game in its simplest form: quits on Escape or a close request.
void PlayUntilQuit() {
  play->started = true;
  play->width = rt::ScreenWidth();
  play->height = rt::ScreenHeight();
  play->depth = rt::ScreenDepth();
  play->fireCooldown = fireCooldown;
  for (; play->frames < kFrameLimit; ++play->frames) {
    const int event = rt::PollWindowEvent();
    rt::FlipBuffers();
    rt::ClearScreen(0);
    rt::ReadKeyboard();
    rt::ReadMouse();
    play->active.push_back(rt::ScreenActive());
    play->space.push_back(rt::KeyDown(kSpace));
    play->relativeMouse.push_back(machine->Cursor().relative);
    if (rt::KeyDown(kEscape) || event == rt::kEventCloseRequest) return;
  }
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine = &headless;
    play = &seen;
    headless.SetKeptFrames(1);
  }

  int Run() { return RunProgram(PlayUntilQuit); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& message : headless.Messages()) texts.push_back(message.title + " / " + message.text);
    return texts;
  }
  void ExpectEverythingEnded() const {
    EXPECT_TRUE(headless.Windows().empty());
    EXPECT_TRUE(headless.Cursor().visible);
    EXPECT_FALSE(headless.AudioOpen());
  }

  rt::test::HeadlessRuntime headless;
  Play seen;
};

const std::string kQuestion = "Fullscreen / Windowed / Do you want to switch to full screen mode?";

TEST_F(StartupTest, QuestionIsAskedWithYesAndNo) {
  headless.At(2, Action::KeyDown(kEscape));
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(headless.Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], kQuestion);
  EXPECT_EQ(headless.Messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(headless.Messages()[0].owner, 0u);
}

TEST_F(StartupTest, YesOpensTheFullScreenDisplay) {
  headless.QueueAnswer(MessageAnswer::Yes);
  std::optional<rt::platform::HeadlessWindow> window;
  headless.SetFrameCallback([&](int frame) {
    if (frame == 1) window = *headless.Window(headless.Windows().at(0));
  });
  headless.At(3, Action::KeyDown(kEscape));
  EXPECT_EQ(Run(), 0);
  ASSERT_TRUE(seen.started);
  EXPECT_EQ(seen.width, 640);
  EXPECT_EQ(seen.height, 400);
  EXPECT_EQ(seen.depth, 32);
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->fullScreen);
  EXPECT_EQ(window->title, "Pellaris");
  EXPECT_FALSE(window->decorated);
  EXPECT_GT(window->iconWidth, 0);
  ExpectEverythingEnded();
}

TEST_F(StartupTest, NoOpensTheCentredGameWindow) {
  headless.QueueAnswer(MessageAnswer::No);
  std::optional<rt::platform::HeadlessWindow> window;
  headless.SetFrameCallback([&](int frame) {
    if (frame == 1) window = *headless.Window(headless.Windows().at(0));
  });
  headless.At(3, Action::KeyDown(kEscape));
  EXPECT_EQ(Run(), 0);
  ASSERT_TRUE(window);
  EXPECT_FALSE(window->fullScreen);
  EXPECT_EQ(window->title, "Pellaris By Varro / Quillon");
  EXPECT_TRUE(window->decorated);
  EXPECT_GT(window->iconWidth, 0);
  EXPECT_EQ(window->client.width, 640);
  EXPECT_EQ(window->client.height, 400);
  EXPECT_EQ(window->outer.x, (1920 - window->outer.width) / 2);
  EXPECT_EQ(window->outer.y, (1080 - window->outer.height) / 2);
  ASSERT_NE(headless.LastFrame(), nullptr);
  EXPECT_EQ(headless.LastFrame()->window, window->id);
  EXPECT_EQ(headless.LastFrame()->dest.width, 640);
  ExpectEverythingEnded();
}

TEST_F(StartupTest, AnyAnswerButNoMeansFullScreen) {
  headless.QueueAnswer(MessageAnswer::Ok);
  headless.At(2, Action::KeyDown(kEscape));
  bool fullScreen = false;
  headless.SetFrameCallback([&](int frame) {
    if (frame == 1) fullScreen = headless.Window(headless.Windows().at(0))->fullScreen;
  });
  Run();
  EXPECT_TRUE(fullScreen);
}

TEST_F(StartupTest, StartValuesAreSetBeforeTheGame) {
  headless.At(2, Action::KeyDown(kEscape));
  Run();
  EXPECT_EQ(seen.fireCooldown, 30);
}

// Each device in turn is missing: the first failure ends the start with one message naming it, no
// question, and the exit code of a failure.
struct MissingDevice {
  const char* name;
  void (*remove)(HeadlessPlatform&);
  Device device;
  const char* text;
};

class DeviceFailureTest : public StartupTest, public ::testing::WithParamInterface<MissingDevice> {};

TEST_P(DeviceFailureTest, ShowsInitFailedNamingTheDeviceAndFails) {
  GetParam().remove(headless);
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(Messages(), std::vector<std::string>{std::string("Init Failed! / ") + GetParam().text});
  EXPECT_EQ(headless.Messages()[0].buttons, MessageButtons::Ok);
  EXPECT_FALSE(seen.started);
  ExpectEverythingEnded();
}

TEST_P(DeviceFailureTest, TheFrontEndWordsTheMessage) {
  GetParam().remove(headless);
  std::vector<Device> asked;
  const auto explain = [&](Device device) {
    asked.push_back(device);
    return std::string("front end's words");
  };
  EXPECT_EQ(RunProgram(PlayUntilQuit, explain), kExitFailed);
  EXPECT_EQ(asked, std::vector<Device>{GetParam().device});
  EXPECT_EQ(Messages(), std::vector<std::string>{"Init Failed! / front end's words"});
}

INSTANTIATE_TEST_SUITE_P(
    EachDevice, DeviceFailureTest,
    ::testing::Values(MissingDevice{"Display", [](HeadlessPlatform& m) { m.SetDisplayAvailable(false); },
                                    Device::Sprites, "Could not open the display."},
                      MissingDevice{"Keyboard", [](HeadlessPlatform& m) { m.SetKeyboardPresent(false); },
                                    Device::Keyboard, "Could not open the keyboard."},
                      MissingDevice{"Sound", [](HeadlessPlatform& m) { m.SetAudioAvailable(false); },
                                    Device::Sound, "Could not open the sound device."},
                      MissingDevice{"Mouse", [](HeadlessPlatform& m) { m.SetMousePresent(false); },
                                    Device::Mouse, "Could not open the mouse."}),
    [](const auto& info) { return std::string(info.param.name); });

// A termination signal while the question is up takes it down: the program ends as asked, opening
// nothing.
TEST_F(StartupTest, AnInterruptedQuestionEndsTheProgramAsAsked) {
  headless.QueueAnswer(MessageAnswer::Interrupted);
  EXPECT_EQ(Run(), kExitEnded);
  EXPECT_EQ(Messages(), std::vector<std::string>{kQuestion});
  EXPECT_FALSE(seen.started);
  EXPECT_EQ(headless.WindowsCreated(), 0);
  ExpectEverythingEnded();
}

TEST_F(StartupTest, FailedWindowIsReported) {
  headless.QueueAnswer(MessageAnswer::No);
  headless.SetWindowsFail(true);
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(Messages(), (std::vector<std::string>{kQuestion, "Error / OpenWindow Failed"}));
  EXPECT_FALSE(seen.started);
  ExpectEverythingEnded();
}

TEST_F(StartupTest, FailedFullScreenIsReported) {
  headless.QueueAnswer(MessageAnswer::Yes);
  headless.SetWindowsFail(true);
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(Messages(), (std::vector<std::string>{kQuestion, "Error / OpenScreen Failed"}));
  EXPECT_FALSE(seen.started);
  ExpectEverythingEnded();
}

// A window whose geometry cannot be read takes no windowed screen.
class WindowWithoutGeometry : public rt::platform::ForwardingVideo {
 public:
  using ForwardingVideo::ForwardingVideo;
  bool WindowGeometry(rt::platform::WindowId, rt::platform::Rect&, rt::platform::Rect&) override {
    return false;
  }
};

TEST(StartupWindowedScreenTest, FailedWindowedScreenIsReportedAndTheWindowClosed) {
  HeadlessPlatform headless;
  WindowWithoutGeometry video(headless.Video());
  rt::platform::Backend facets = headless.Facets();
  facets.video = &video;
  const rt::platform::ScopedBackend installed(facets);
  Play seen;
  machine = &headless;
  play = &seen;
  headless.QueueAnswer(MessageAnswer::No);
  EXPECT_EQ(RunProgram(PlayUntilQuit), kExitFailed);
  ASSERT_EQ(headless.Messages().size(), 2u);
  EXPECT_EQ(headless.Messages()[1].title, "Error");
  EXPECT_EQ(headless.Messages()[1].text, "OpenWindowedScreen Failed");
  EXPECT_FALSE(seen.started);
  EXPECT_EQ(headless.WindowsCreated(), 1);
  EXPECT_TRUE(headless.Windows().empty());
}

TEST_F(StartupTest, CloseBoxEndsTheWindowedGame) {
  headless.QueueAnswer(MessageAnswer::No);
  headless.At(5, Action::Close());
  EXPECT_EQ(Run(), 0);
  EXPECT_GE(seen.frames, 4);
  EXPECT_LT(seen.frames, 10);
  ExpectEverythingEnded();
}

TEST_F(StartupTest, CloseRequestDoesNotEndTheFullScreenGame) {
  headless.QueueAnswer(MessageAnswer::Yes);
  headless.At(5, Action::Close());
  headless.At(20, Action::KeyDown(kEscape));
  EXPECT_EQ(Run(), 0);
  EXPECT_GE(seen.frames, 18);
  ExpectEverythingEnded();
}

TEST_F(StartupTest, FullScreenFocusLossPausesInputAndGivesTheMouseBack) {
  headless.QueueAnswer(MessageAnswer::Yes);
  headless.At(2, Action::KeyDown(kSpace));
  headless.At(5, Action::LoseFocus());
  headless.At(10, Action::GainFocus());
  headless.At(12, Action::KeyDown(kSpace));
  headless.At(15, Action::KeyDown(kEscape));
  const int presentsBefore = headless.PresentCount();
  Run();
  ASSERT_GE(seen.frames, 14);
  EXPECT_EQ(seen.active[3], 1);
  EXPECT_EQ(seen.space[3], 128);
  EXPECT_TRUE(seen.relativeMouse[3]);
  for (int frame = 6; frame <= 8; ++frame) {
    EXPECT_EQ(seen.active[frame], 0) << frame;
    EXPECT_EQ(seen.space[frame], 0) << frame;
    EXPECT_FALSE(seen.relativeMouse[frame]) << frame;
  }
  EXPECT_EQ(seen.active[13], 1);
  EXPECT_EQ(seen.space[13], 128);
  // Nothing is shown while the display is inactive.
  EXPECT_LT(headless.PresentCount() - presentsBefore, seen.frames + 1);
}

TEST_F(StartupTest, WindowFocusLossPausesInputButKeepsPresenting) {
  headless.QueueAnswer(MessageAnswer::No);
  headless.At(2, Action::KeyDown(kSpace));
  headless.At(5, Action::LoseFocus());
  headless.At(10, Action::GainFocus());
  headless.At(15, Action::KeyDown(kEscape));
  Run();
  ASSERT_GE(seen.frames, 14);
  EXPECT_EQ(seen.active[3], 1);
  EXPECT_EQ(seen.space[3], 128);
  for (int frame = 6; frame <= 8; ++frame) {
    EXPECT_EQ(seen.active[frame], 0) << frame;
    EXPECT_EQ(seen.space[frame], 0) << frame;
  }
  EXPECT_EQ(seen.active[12], 1);
  EXPECT_GE(headless.PresentCount(), seen.frames);
}

}  // namespace
}  // namespace pellaris
