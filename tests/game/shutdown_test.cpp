// Every way out of the program runs the end routine and gives exit code 0: Escape, the close box, a
// termination request, start-up failures. Losing the audio device or a display change mid-round
// neither ends nor breaks the game.
#include <gtest/gtest.h>

#include <cstdint>

#include "game/game.h"
#include "game/startup.h"
#include "game/state.h"
#include "runtime/platform/headless/headless_platform.h"
#include "tests/support/headless_runtime.h"

namespace pellaris {
namespace {

using rt::platform::Action;
using rt::platform::MessageAnswer;

constexpr int kEscape = 1, kEnter = 28, kLeftCtrl = 29;
constexpr int kStartFrame = 5;     // Enter on the title screen
constexpr int kFrameLimit = 3000;  // a game that has not ended by then never will

// Thrown from the frame callback to take a game that does not end out of its loop.
struct StillRunning {};

class Shutdown : public ::testing::Test {
 protected:
  // Runs the real game, full screen when asked; false when it was still running at the frame limit.
  bool Run(bool fullScreen) {
    machine_.SetDefaultYesNoAnswer(fullScreen ? MessageAnswer::Yes : MessageAnswer::No);
    machine_.SetKeptFrames(1);
    machine_.SetFrameCallback([this](int frame) {
      screens_[frame % kScreenHistory] = shownScreen;
      if (frame >= kFrameLimit) throw StillRunning{};
    });
    try {
      exitCode_ = RunProgram(PlayGame);
      return true;
    } catch (const StillRunning&) {
      return false;
    }
  }

  void StartRoundAndFire() {
    machine_.At(kStartFrame, Action::KeyDown(kEnter));
    machine_.At(kStartFrame + 2, Action::KeyUp(kEnter));
    machine_.At(kStartFrame + 10, Action::KeyDown(kLeftCtrl));
  }

  Screen ScreenAt(int frame) const { return screens_[frame % kScreenHistory]; }

  // What the end routine leaves: no windows, no audio, the cursor given back.
  void ExpectEndedCleanly() const {
    EXPECT_EQ(exitCode_, 0);
    EXPECT_TRUE(machine_.Windows().empty());
    EXPECT_FALSE(machine_.AudioOpen());
    EXPECT_TRUE(machine_.Cursor().visible);
    EXPECT_FALSE(machine_.Cursor().confined);
    EXPECT_FALSE(machine_.Cursor().relative);
  }

  static constexpr int kScreenHistory = 8;
  rt::test::HeadlessRuntime machine_;
  int exitCode_ = -1;
  Screen screens_[kScreenHistory] = {};
};

TEST_F(Shutdown, EscapeOnTheTitleScreen) {
  machine_.At(20, Action::KeyDown(kEscape));
  ASSERT_TRUE(Run(false));
  EXPECT_LE(machine_.FrameCount(), 22);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, EscapeMidRoundInFullScreen) {
  StartRoundAndFire();
  machine_.At(200, Action::KeyDown(kEscape));
  ASSERT_TRUE(Run(true));
  EXPECT_EQ(ScreenAt(199), Screen::Playing);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, CloseBoxInAWindow) {
  StartRoundAndFire();
  machine_.At(150, Action::Close());
  ASSERT_TRUE(Run(false));
  EXPECT_LE(machine_.FrameCount(), 155);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, CloseBoxIsIgnoredInFullScreen) {
  StartRoundAndFire();
  machine_.At(150, Action::Close());
  machine_.At(400, Action::KeyDown(kEscape));
  ASSERT_TRUE(Run(true));
  EXPECT_GE(machine_.FrameCount(), 400);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, QuitRequestEndsAWindowedRound) {
  StartRoundAndFire();
  machine_.At(150, Action::Quit());
  ASSERT_TRUE(Run(false));
  EXPECT_LE(machine_.FrameCount(), 155);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, QuitRequestEndsAFullScreenRound) {
  StartRoundAndFire();
  machine_.At(150, Action::Quit());
  ASSERT_TRUE(Run(true));
  EXPECT_LE(machine_.FrameCount(), 155);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, QuitRequestEndsTheFullScreenTitle) {
  machine_.At(3, Action::Quit());
  ASSERT_TRUE(Run(true));
  EXPECT_LE(machine_.FrameCount(), 8);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, QuitRequestEndsAPausedFullScreenRound) {
  StartRoundAndFire();
  machine_.At(100, Action::LoseFocus());
  machine_.At(150, Action::Quit());
  ASSERT_TRUE(Run(true));
  EXPECT_EQ(ScreenAt(149), Screen::Paused);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, StartUpFailuresEndWithZero) {
  struct Failure {
    const char* name;
    void (*set)(rt::platform::HeadlessPlatform&);
  };
  const Failure failures[] = {
      {"no display", [](rt::platform::HeadlessPlatform& m) { m.SetDisplayAvailable(false); }},
      {"no keyboard", [](rt::platform::HeadlessPlatform& m) { m.SetKeyboardPresent(false); }},
      {"no audio", [](rt::platform::HeadlessPlatform& m) { m.SetAudioAvailable(false); }},
      {"no mouse", [](rt::platform::HeadlessPlatform& m) { m.SetMousePresent(false); }},
      {"no windows", [](rt::platform::HeadlessPlatform& m) { m.SetWindowsFail(true); }},
  };
  for (const Failure& failure : failures) {
    for (const bool fullScreen : {false, true}) {
      SCOPED_TRACE(std::string(failure.name) + (fullScreen ? ", full screen" : ", windowed"));
      rt::test::HeadlessRuntime machine;
      failure.set(machine);
      machine.SetDefaultYesNoAnswer(fullScreen ? MessageAnswer::Yes : MessageAnswer::No);
      EXPECT_EQ(RunProgram(PlayGame), kExitFailed);
      ASSERT_FALSE(machine.Messages().empty());
      EXPECT_EQ(machine.Messages().back().buttons, rt::platform::MessageButtons::Ok);
      EXPECT_EQ(machine.PresentCount(), 0);
      EXPECT_TRUE(machine.Windows().empty());
      EXPECT_FALSE(machine.AudioOpen());
      EXPECT_TRUE(machine.Cursor().visible);
      EXPECT_FALSE(machine.Cursor().confined);
    }
  }
}

TEST_F(Shutdown, LosingTheAudioDeviceMidRoundKeepsTheGameGoing) {
  StartRoundAndFire();
  machine_.At(120, Action::LoseAudioDevice());
  machine_.At(600, Action::KeyDown(kEscape));
  ASSERT_TRUE(Run(false));
  EXPECT_EQ(ScreenAt(599), Screen::Playing);
  EXPECT_GE(machine_.FrameCount(), 600);
  ExpectEndedCleanly();
}

TEST_F(Shutdown, DisplayChangesKeepPresenting) {
  for (const bool fullScreen : {false, true}) {
    SCOPED_TRACE(fullScreen ? "full screen" : "windowed");
    rt::test::HeadlessRuntime machine;
    machine.SetDefaultYesNoAnswer(fullScreen ? MessageAnswer::Yes : MessageAnswer::No);
    machine.SetKeptFrames(1);
    machine.At(kStartFrame, Action::KeyDown(kEnter));
    machine.At(kStartFrame + 2, Action::KeyUp(kEnter));
    machine.At(100, Action::ChangeDisplay());
    machine.At(101, Action::ChangeDisplay());
    int presentsBefore = 0;
    std::uint64_t hashBefore = 0;
    machine.SetFrameCallback([&](int frame) {
      if (frame == 99) presentsBefore = machine.PresentCount();
      if (frame == 99 && machine.LastFrame()) hashBefore = machine.LastFrame()->hash;
    });
    machine.At(300, Action::KeyDown(kEscape));
    EXPECT_EQ(RunProgram(PlayGame), 0);
    EXPECT_GE(machine.PresentCount() - presentsBefore, 190);
    ASSERT_NE(machine.LastFrame(), nullptr);
    EXPECT_EQ(machine.LastFrame()->width, 640);
    EXPECT_EQ(machine.LastFrame()->height, 400);
    EXPECT_NE(machine.LastFrame()->hash, hashBefore);  // the picture still moves
  }
}

}  // namespace
}  // namespace pellaris
