// The player's session around the real game on the headless machine: pause, mute, the display
// answer, the silent output, the high scores and what is drawn over the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/game.h"
#include "game/startup.h"
#include "game/state.h"
#include "play/controls/touch_zones.h"
#include "play/playback.h"
#include "play/session/overlay.h"
#include "play/session/session.h"
#include "runtime/core/date.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "runtime/sound/sound.h"
#include "tests/play/session/session_run.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::play {
namespace {

int RemainingSeconds() {
  return roundEndTime - rt::CurrentDate();
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

// Wherever in a second the pause began, the round's time stands still to the second for every pass
// the pause lasts.
TEST(Session, TheRoundsTimeStandsStillForEveryPausedPass) {
  for (int pauseFrame = 100; pauseFrame < 100 + kFramesPerSecond; pauseFrame += 7) {
    SessionRun run;
    run.Press(2, kKeyEnter);
    run.Press(pauseFrame, kKeyP);
    int remainingAtPause = 0, pausedPasses = 0;
    run.Run(pauseFrame + 3 * kFramesPerSecond, [&](int, Session& session) {
      if (!session.Paused()) {
        remainingAtPause = RemainingSeconds();
        return;
      }
      ++pausedPasses;
      ASSERT_EQ(RemainingSeconds(), remainingAtPause)
          << "pass " << pausedPasses << " of the pause at " << pauseFrame;
    });
    EXPECT_GT(pausedPasses, 2 * kFramesPerSecond);
  }
}

// However long a pause and wherever in a second it begins and ends, the round's time never goes back
// when play resumes: a recording whose clock goes back is one no verifier takes.
TEST(Session, TheRoundsTimeNeverGoesBackAcrossAPause) {
  for (int pauseFrame = 100; pauseFrame < 100 + kFramesPerSecond; pauseFrame += 13) {
    for (int pausedFrames = 1; pausedFrames < 2 * kFramesPerSecond; pausedFrames += 4) {
      SessionRun run;
      run.Press(2, kKeyEnter);
      run.Press(pauseFrame, kKeyP);
      run.Press(pauseFrame + pausedFrames, kKeyP);
      int earliestRemaining = INT_MAX;
      run.Run(pauseFrame + pausedFrames + kFramesPerSecond, [&](int frame, Session&) {
        if (frame < 10) return;
        ASSERT_LE(RemainingSeconds(), earliestRemaining)
            << "frame " << frame << ", paused at " << pauseFrame << " for " << pausedFrames;
        earliestRemaining = RemainingSeconds();
      });
    }
  }
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

// The front end tells the session a round's rank on a score board once the board has answered: it
// shows under the best score on that round's game-over screen, and goes with the next round.
TEST(Session, TheBoardsRankShowsOnItsOwnRoundsGameOverScreen) {
  SessionRun run;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Machine().SetKeptFrames(1);
  std::vector<std::string> ended;
  run.Setup().roundEnded = [&](std::int32_t, const std::string& recording) { ended.push_back(recording); };
  bool answered = false;
  run.Setup().boardRank = [&](const std::string& recording) -> std::optional<BoardRank> {
    if (!answered || ended.empty() || recording != ended.front()) return std::nullopt;
    return BoardRank{3, true};
  };
  run.Press(2, kKeyEnter);
  run.Machine().At(50, Action::JumpClock(121));
  run.Press(100, kKeyEnter);  // the next round
  std::vector<bool> rankShown;
  run.Run(130, [&](int frame, Session&) {
    if (frame == 80) answered = true;
    rankShown.push_back(
        ShownDiffersFromGame(run.Machine(), OverlayVideo::kRankTop, OverlayVideo::kRankTop + 20));
  });
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_FALSE(ended[0].empty());
  EXPECT_FALSE(rankShown[40]) << "in play";
  EXPECT_FALSE(rankShown[70]) << "over, the board not answered yet";
  EXPECT_TRUE(rankShown[90]);
  EXPECT_FALSE(rankShown[120]) << "the next round";
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
    elsewhere = elsewhere || ShownDiffersFromGame(run.Machine(), 0, 100) ||
                ShownDiffersFromGame(run.Machine(), 125, 400);
  });
  EXPECT_FALSE(onTitle);
  EXPECT_TRUE(besideTheCraft);
  EXPECT_FALSE(elsewhere);
}

TEST(Session, AGhostOffTheFieldIsNotDrawn) {
  // A recording's heights are whatever its file says: the far ones once ended the program.
  for (const float height : {-3e38f, -1e10f, -21.0f, 400.0f, 1e10f, 3e38f}) {
    SessionRun run;
    run.Machine().SetKeptFrames(1);
    run.Setup().ghost.assign(1000, height);
    run.Press(2, kKeyEnter);
    bool drawn = false;
    run.Run(20, [&](int, Session&) { drawn = drawn || ShownDiffersFromGame(run.Machine(), 0, 400); });
    EXPECT_FALSE(drawn) << height;
  }
}

TEST(Overlay, AGhostAnywhereIsClippedToThePicture) {
  struct Place {
    int x, y;
    int shownPixels;  // of the ghost's 2 x 2
  };
  constexpr int kWidth = 8, kHeight = 4;
  const Place places[] = {{0, 0, 4},
                          {-1, -1, 1},
                          {7, 3, 1},
                          {8, 0, 0},
                          {0, -2, 0},
                          {INT_MIN, 0, 0},
                          {0, INT_MIN, 0},
                          {INT_MAX, 0, 0},
                          {0, INT_MAX, 0},
                          {INT_MIN, INT_MIN, 0},
                          {INT_MAX - 1, INT_MAX - 1, 0}};
  const std::uint32_t ghostPixels[] = {0xFEFEFE, 0xFEFEFE, 0xFEFEFE, 0xFEFEFE};
  const std::vector<std::uint32_t> picture(kWidth * kHeight, 0);
  for (const Place& place : places) {
    HeadlessPlatform machine;
    machine.SetKeptFrames(1);
    OverlayVideo video(machine.Video());
    const rt::platform::WindowId window = video.CreateWindow({"", kWidth, kHeight});
    video.Show([&] { return Overlay{{}, {}, {}, Ghost{ghostPixels, 2, 2, 2, place.x, place.y}}; });
    video.Present(window, picture.data(), kWidth, kHeight, kWidth * 4, {0, 0, kWidth, kHeight});
    ASSERT_TRUE(machine.LastFrame());
    const std::vector<std::uint32_t>& shown = machine.LastFrame()->pixels;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0x7F7F7Fu), place.shownPixels)
        << place.x << " " << place.y;
  }
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

TEST(Session, MWithoutSoundSaysSoAndStoresNothing) {
  SessionRun run;
  run.Machine().SetAudioAvailable(false);
  run.Setup().silentWithoutDevice = true;
  run.Press(10, kKeyM);
  std::string notice;
  run.Run(15, [&](int frame, Session& session) {
    if (frame == 12) notice = session.Notice();
  });
  EXPECT_EQ(notice, "No sound");
  EXPECT_FALSE(rt::SoundMuted());
  EXPECT_FALSE(std::filesystem::exists(run.Folder() / "settings.ini"));
}

// Two rounds, each ended by a jump of the clock past its time, and M pressed on the title.
struct SaveCase {
  const char* what;
  std::function<void(SessionRun&)> spoil;
  std::vector<std::string> notices;  // after M, after the first round, after the second
  const char* reportedOnce;
};

TEST(Session, ASaveThatFailsShowsANoticeAndIsReportedOnce) {
  const auto newerScores = [](SessionRun& run) {
    WriteWhole(run.Folder() / "scores", "pellaris scores 2\n");
    run.Setup().replaysFolder = run.Folder() / "replays";
  };
  const auto replaysInAFile = [](SessionRun& run) {
    WriteWhole(run.Folder() / "replays", "");
    run.Setup().replaysFolder = run.Folder() / "replays";
  };
  const SaveCase cases[] = {
      {"a folder for settings",
       [](SessionRun& run) { std::filesystem::create_directory(run.Folder() / "settings.ini"); },
       {"Sound off, settings not saved", "", ""},
       "is not a regular file"},
      {"a newer scores file",
       newerScores,
       {"Sound off", "Scores not saved", "Scores not saved"},
       "newer Pellaris"},
      {"a file for the replays folder",
       replaysInAFile,
       {"Sound off", "Recording not saved", "Recording not saved"},
       "not a folder"},
      {"both",
       [&](SessionRun& run) {
         newerScores(run);
         std::filesystem::rename(run.Folder() / "scores", run.Folder() / "scores.keep");
         replaysInAFile(run);
         std::filesystem::rename(run.Folder() / "scores.keep", run.Folder() / "scores");
       },
       {"Sound off", "Recording and scores not saved", "Recording and scores not saved"},
       "newer Pellaris"},
  };
  for (const SaveCase& c : cases) {
    SCOPED_TRACE(c.what);
    SessionRun run;
    c.spoil(run);
    run.Press(2, kKeyM);
    run.Press(4, kKeyEnter);
    run.Machine().At(50, Action::JumpClock(121));
    run.Press(100, kKeyEnter);
    run.Machine().At(150, Action::JumpClock(121));
    std::vector<std::string> notices;
    run.Run(170, [&](int frame, Session& session) {
      if (frame == 10 || frame == 70 || frame == 160) notices.push_back(session.Notice());
    });
    EXPECT_EQ(notices, c.notices);
    const std::string report = run.Report();
    const std::size_t first = report.find(c.reportedOnce);
    EXPECT_NE(first, std::string::npos) << report;
    EXPECT_EQ(report.find(c.reportedOnce, first + 1), std::string::npos) << report;
  }
}

TEST(Session, QuitWhilePausedQuitsAndTheRecordingQuitsThere) {
  constexpr int kKeyEscape = 0x01;
  SessionRun run;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Press(2, kKeyEnter);
  run.Press(100, kKeyP);
  run.Press(130, kKeyEscape);
  run.Run(400);
  const int quitAt = run.Machine().FrameCount();
  EXPECT_LT(quitAt, 140);
  const std::vector<std::string> names = FolderEntries(run.Folder() / "replays");
  ASSERT_EQ(names.size(), 1u);
  const std::string text = ReadWhole(run.Folder() / "replays" / names[0]);
  const std::size_t close = text.find(" close\n");
  ASSERT_NE(close, std::string::npos) << text;

  // Played back with more to come, the game still ends where it did (the recording counts the passes
  // from the round's first, the one after Enter's).
  std::string error;
  const std::optional<Recording> recording = ReadRecording(text + "300 key down 57\n", error);
  ASSERT_TRUE(recording) << error;
  EXPECT_EQ(VerifyRecording(*recording).pass, quitAt - 2);
}

TEST(Session, ARoundIsScoredByTheDateItsRecordingIsNamedBy) {
  SessionRun run;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Press(2, kKeyEnter);
  run.Machine().At(50, Action::JumpClock(121));
  run.Run(80);
  ASSERT_EQ(run.Report(), "");
  const std::string scores = ReadWhole(run.Folder() / "scores");
  const ScoresText table = ParseScores(scores);
  ASSERT_EQ(table.table.Best().size(), 1u) << scores;
  const ScoredRound& round = table.table.Best()[0];
  EXPECT_TRUE(round.recording.starts_with(RecordingStem(round.date) + "_")) << scores;
}

// A round played on a touch screen is recorded as the keys it drove, and its end is told with the
// recording, which plays back to the score.
TEST(Session, ARoundPlayedByTouchIsToldWhenItEndsAndItsRecordingVerifies) {
  SessionRun run;
  TouchZones touch;
  std::int32_t endedWith = -1;
  std::string recordingName;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Setup().moreControls = &touch;
  run.Setup().roundEnded = [&](std::int32_t score, const std::string& recording) {
    endedWith = score;
    recordingName = recording;
  };
  run.Machine().At(60, Action::JumpClock(118));
  run.Run(300, [&](int frame, Session&) {
    const bool inRound = shownScreen == Screen::Playing;
    if (frame == 2) touch.Down(1, TouchZone::Right, inRound);  // a tap on the title
    if (frame == 3) touch.Up(1);
    if (frame == 10) touch.Down(2, TouchZone::Right, inRound);  // fire held
    if (frame == 11) touch.Down(3, TouchZone::Left, inRound);   // and thrust
  });
  ASSERT_NE(endedWith, -1) << "no round ended";
  ASSERT_FALSE(recordingName.empty());
  const std::string text = ReadWhole(run.Folder() / "replays" / recordingName);
  EXPECT_NE(text.find(" key down 29\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" key down 57\n"), std::string::npos) << text;
  std::string error;
  const std::optional<Recording> recording = ReadRecording(text, error);
  ASSERT_TRUE(recording) << error;
  const Verdict verdict = VerifyRecording(*recording);
  EXPECT_TRUE(verdict.Verified());
  EXPECT_EQ(verdict.score, endedWith);
}

}  // namespace
}  // namespace pellaris::play

namespace pellaris::play {
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
}  // namespace pellaris::play
