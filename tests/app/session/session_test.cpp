// The player's session around the real game on the headless machine: pause, mute, the display
// answer, the silent output, the high scores and what is drawn over the picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/session.h"
#include "game/game.h"
#include "game/startup.h"
#include "game/state.h"
#include "runtime/core/date.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "runtime/sound/sound.h"
#include "session_run.h"
#include "temporary_folder.h"

namespace pellaris::app {
namespace {

int RemainingSeconds() {
  return roundEndTime - rt::CurrentDate();
}

// Whether the picture last shown differs from the game's own in rows top .. bottom - 1.
bool ShownDiffersFromGame(const HeadlessPlatform& machine, int top, int bottom) {
  const rt::Surface* game = rt::BlitTarget();
  if (!game || !machine.LastFrame()) return false;
  const std::vector<std::uint32_t>& shown = machine.LastFrame()->pixels;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < game->Width(); ++x) {
      if (shown[static_cast<std::size_t>(y) * game->Width() + x] != game->RowAs<std::uint32_t>(y)[x])
        return true;
    }
  }
  return false;
}

bool FullScreenWindowOpen(const HeadlessPlatform& machine) {
  for (rt::platform::WindowId id : machine.Windows()) {
    if (machine.Window(id)->fullScreen) return true;
  }
  return false;
}

TEST(Session, PauseShowsTheGamesPausedFrameAndStopsTheRoundsClock) {
  SessionRun run;
  run.Press(2, kKeyEnter);
  run.Press(100, kKeyP);  // paused for ten seconds, by the frame
  run.Press(100 + 10 * kFramesPerSecond, kKeyP);
  int remainingAtPause = 0, remainingAfter = 0;
  std::vector<Screen> screens;
  run.Run(100 + 12 * kFramesPerSecond, [&](int frame, Session&) {
    screens.push_back(shownScreen);
    if (frame == 99) remainingAtPause = RemainingSeconds();
    if (frame == 100 + 12 * kFramesPerSecond) remainingAfter = RemainingSeconds();
  });
  EXPECT_EQ(screens[300], Screen::Paused);
  EXPECT_EQ(screens.back(), Screen::Playing);
  // Two seconds of play since the pause, give or take the second the pause was rounded to.
  EXPECT_NEAR(remainingAtPause - remainingAfter, 2, 1);
}

TEST(Session, PauseIsForARoundInPlayOnly) {
  SessionRun run;
  run.Press(5, kKeyP);  // on the title
  bool everPaused = false;
  run.Run(60, [&](int, Session& session) { everPaused = everPaused || session.Paused(); });
  EXPECT_FALSE(everPaused);
}

TEST(Session, MuteShowsANoticeForASecondAndIsKeptInTheSettings) {
  SessionRun run;
  run.Machine().SetKeptFrames(1);
  run.Press(10, kKeyM);
  bool mutedAfterPress = false;
  std::vector<bool> differsFromGame;  // the shown picture against the game's own
  run.Run(20 + 2 * kFramesPerSecond, [&](int frame, Session&) {
    if (frame == 15) mutedAfterPress = rt::SoundMuted();
    differsFromGame.push_back(ShownDiffersFromGame(run.Machine(), 0, 400));
  });
  EXPECT_TRUE(mutedAfterPress);
  EXPECT_FALSE(differsFromGame[5]);
  EXPECT_TRUE(differsFromGame[20]);
  EXPECT_FALSE(differsFromGame[20 + kFramesPerSecond + 5]);
  EXPECT_NE(ReadWhole(run.Folder() / "settings.ini").find("mute = yes"), std::string::npos);
}

TEST(Session, TheDisplayQuestionIsAnsweredOrAsked) {
  const std::pair<std::optional<bool>, std::size_t> cases[] = {{false, 0}, {true, 0}, {std::nullopt, 1}};
  for (const auto& [answer, questions] : cases) {
    SessionRun run;
    run.Setup().fullScreen = answer;
    bool fullScreen = false;
    run.Run(5, [&](int, Session&) { fullScreen = FullScreenWindowOpen(run.Machine()); });
    EXPECT_EQ(run.Machine().Messages().size(), questions);
    EXPECT_EQ(fullScreen, answer.value_or(false));
  }
}

TEST(Session, WithoutASoundDeviceTheGameStartsSilentOnlyWhenAsked) {
  for (const bool silentWithoutDevice : {false, true}) {
    SessionRun run;
    run.Machine().SetAudioAvailable(false);
    run.Setup().silentWithoutDevice = silentWithoutDevice;
    int frames = 0;
    run.Run(30, [&](int, Session&) { ++frames; });
    EXPECT_EQ(frames == 30, silentWithoutDevice);
    const auto& messages = run.Machine().Messages();
    const bool refused = !messages.empty() && messages.back().title == "Init Failed!";
    EXPECT_EQ(refused, !silentWithoutDevice);
  }
}

TEST(Session, ARoundThatEndsIsScoredAndTheBestShownUnderTheGameOverTexts) {
  SessionRun run;
  WriteWhole(run.Folder() / "scores", "pellaris scores 1\n900000 1700000000 0 -\n");
  run.Machine().SetKeptFrames(1);
  run.Press(2, kKeyEnter);
  run.Machine().At(50, Action::JumpClock(121));
  bool footerShown = false;
  run.Run(80, [&](int frame, Session&) {
    if (frame >= 70)
      footerShown = footerShown || ShownDiffersFromGame(run.Machine(), OverlayVideo::kFooterTop, 280);
  });
  EXPECT_TRUE(footerShown);
  const std::string scores = ReadWhole(run.Folder() / "scores");
  EXPECT_NE(scores.find("900000 1700000000 0 -\n" + std::to_string(score) + " "), std::string::npos)
      << scores;
}

TEST(Session, TheGhostIsDrawnOverTheRoundInPlayOnly) {
  SessionRun run;
  run.Machine().SetKeptFrames(1);
  run.Setup().ghost.assign(1000, 100.0f);  // a craft holding still at height 100
  run.Press(2, kKeyEnter);
  bool onTitle = false, besideTheCraft = false, elsewhere = false;
  run.Run(200, [&](int frame, Session&) {
    if (frame < 3) onTitle = onTitle || ShownDiffersFromGame(run.Machine(), 0, 400);
    if (frame < 150) return;
    besideTheCraft = besideTheCraft || ShownDiffersFromGame(run.Machine(), 100, 125);
    elsewhere = elsewhere || ShownDiffersFromGame(run.Machine(), 0, 100) || ShownDiffersFromGame(run.Machine(), 125, 400);
  });
  EXPECT_FALSE(onTitle);
  EXPECT_TRUE(besideTheCraft);
  EXPECT_FALSE(elsewhere);
}

TEST(Session, ADamagedScoresFileIsSetAsideAndTheGameStillStarts) {
  SessionRun run;
  WriteWhole(run.Folder() / "scores", "not scores\n");
  int frames = 0;
  run.Run(10, [&](int, Session&) { ++frames; });
  EXPECT_EQ(frames, 10);
  EXPECT_EQ(ReadWhole(run.Folder() / "scores.damaged-1"), "not scores\n");
  EXPECT_NE(run.Report().find("scores"), std::string::npos);
}

}  // namespace
}  // namespace pellaris::app

namespace pellaris::app {
namespace {

struct BindingCase {
  const char* what;
  std::function<void(Bindings&)> bind;
  std::vector<rt::platform::Action> inputs;
  int gameKey;
  bool held;
};

TEST(PlayerInput, SetsTheGamesKeysFromTheBindings) {
  using rt::platform::PadAxis;
  using rt::platform::PadButton;
  constexpr int kF = 0x21, kLeftCtrl = 0x1D, kRightCtrl = 0x9D, kRightShift = 0x36, kLeftAlt = 0x38,
                kSpace = 0x39;
  const auto defaults = [](Bindings&) {};
  const auto fireOnF = [](Bindings& b) { b.Keys(Control::Fire) = {kF}; };
  const auto thrustOnTrigger = [](Bindings& b) { b.Pad(Control::Thrust) = {"righttrigger"}; };
  const BindingCase cases[] = {
      {"Right Shift fires as Right Ctrl", defaults, {Action::KeyDown(kRightShift)}, kRightCtrl, true},
      {"the game never sees Right Shift itself",
       defaults,
       {Action::KeyDown(kRightShift)},
       kRightShift,
       false},
      {"a key bound to fire fires", fireOnF, {Action::KeyDown(kF)}, kLeftCtrl, true},
      {"a key no longer bound does not", fireOnF, {Action::KeyDown(kLeftCtrl)}, kLeftCtrl, false},
      {"Alt+Enter does not start a round",
       defaults,
       {Action::KeyDown(kLeftAlt), Action::KeyDown(kKeyEnter)},
       kKeyEnter,
       false},
      {"a trigger bound to thrust thrusts",
       thrustOnTrigger,
       {Action::MovePadAxis(PadAxis::RightTrigger, 20000)},
       kSpace,
       true},
      {"a button no longer bound does not", thrustOnTrigger, {Action::PadDown(PadButton::A)}, kSpace, false},
  };
  for (const BindingCase& c : cases) {
    HeadlessPlatform machine;
    Bindings bindings = DefaultBindings();
    c.bind(bindings);
    PlayerInput input(machine.Input(), bindings);
    for (const Action& action : c.inputs) machine.Apply(action);
    std::uint8_t keys[256];
    input.ReadKeyState(keys);
    EXPECT_EQ(keys[c.gameKey] != 0, c.held) << c.what;
  }
}

TEST(PlayerInput, TakesEachPressOfTheControlsAroundTheGameOnce) {
  HeadlessPlatform machine;
  PlayerInput input(machine.Input(), DefaultBindings());
  machine.Apply(Action::KeyDown(kKeyM));
  machine.Apply(Action::PadDown(rt::platform::PadButton::Y));
  const PlayerPresses first = input.TakePresses();
  EXPECT_TRUE(first.mute && first.pause && !first.fullscreen);
  const PlayerPresses held = input.TakePresses();
  EXPECT_FALSE(held.mute || held.pause);
  machine.Apply(Action::KeyDown(0x38));
  machine.Apply(Action::KeyDown(kKeyEnter));
  EXPECT_TRUE(input.TakePresses().fullscreen);
}

}  // namespace
}  // namespace pellaris::app
