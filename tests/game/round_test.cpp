// Whole runs of the program on the headless backend through the replay tool's machinery: start-up,
// the title screen, a full round to the game-over screen, the pause, restarts and quitting.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/state.h"
#include "play/replay.h"

namespace pellaris::play {
namespace {

struct Recording {
  std::vector<FrameRecord> frames;
  std::vector<float> warningPhases;  // after each pass
  std::vector<int> remaining;
};

Recording Replay(const std::string& script, std::int64_t frames, int fps = 60) {
  ReplayOptions options;
  options.frames = frames;
  options.fps = fps;
  const ParseResult parsed = ParseScript(script);
  EXPECT_EQ(parsed.error, "");
  options.events = parsed.events;
  Recording run;
  RunReplay(options, nullptr, [&](const FrameRecord& record) {
    run.frames.push_back(record);
    run.warningPhases.push_back(warningPhase);
  });
  return run;
}

int FirstFrameShowing(const Recording& run, const std::string& screen) {
  for (const FrameRecord& record : run.frames) {
    if (record.screen == screen) return static_cast<int>(record.frame);
  }
  return -1;
}

TEST(TitleScreen, ShowsUntilTheRunEnds) {
  const Recording run = Replay("", 20);
  ASSERT_EQ(run.frames.size(), 20u);
  for (const FrameRecord& record : run.frames) EXPECT_EQ(record.screen, "title");
  EXPECT_EQ(run.frames.back().craftY, 189.5f);
}

TEST(TitleScreen, EscapeAndCloseQuitAndEscapeWinsOverEnter) {
  EXPECT_EQ(Replay("5 key down 1\n", 100).frames.size(), 5u);
  // The poll that meets a close request reports the message it dispatched; the next one reports 16.
  EXPECT_EQ(Replay("7 close\n", 100).frames.size(), 8u);
  const Recording both = Replay("4 key down 1\n4 key down 28\n", 100);
  EXPECT_EQ(both.frames.size(), 4u);
  EXPECT_EQ(FirstFrameShowing(both, "playing"), -1);
}

TEST(TitleScreen, EnterOrTheLeftButtonStartsARoundOfThirtyFiveRocks) {
  for (const char* start : {"3 key down 28\n", "3 button down 1\n"}) {
    const Recording run = Replay(start, 10);
    EXPECT_EQ(FirstFrameShowing(run, "playing"), 4) << start;
    EXPECT_EQ(run.frames[3].entities[0], 35);
    EXPECT_EQ(run.frames[3].remaining, 120);
  }
}

TEST(Round, RunsOneHundredTwentySecondsWithTheWarningInTheLastThirty) {
  // Ten frames a second keeps the run short; the round is wall-clock time.
  const Recording run = Replay("2 key down 28\n3 key up 28\n", 1300, 10);
  const int over = FirstFrameShowing(run, "gameover");
  ASSERT_GT(over, 0);
  EXPECT_NEAR(over, 2 + 1200, 3);
  // A record's remaining time is what its own pass saw.
  for (std::size_t i = 3; i + 1 < static_cast<std::size_t>(over); ++i) {
    const bool warned = run.warningPhases[i] > run.warningPhases[i - 1];
    EXPECT_EQ(warned, run.frames[i].remaining <= 30) << "frame " << run.frames[i].frame;
  }
  const FrameRecord& last = run.frames[static_cast<std::size_t>(over) - 2];
  EXPECT_LE(last.remaining, 0);
  EXPECT_EQ(last.flashLevel, 255);
  // Nothing counts on the game-over screen, and the flash decays from 255.
  const FrameRecord& after = run.frames[static_cast<std::size_t>(over)];
  EXPECT_EQ(after.score, run.frames[static_cast<std::size_t>(over) - 1].score);
  EXPECT_EQ(run.frames[static_cast<std::size_t>(over) - 1].flashLevel, 212);
}

TEST(Round, FlashDecaysRoundingHalvesToEvenAndSettlesAtTwo) {
  const Recording run = Replay("2 key down 28\n3 key up 28\n", 1500);
  auto hit = std::find_if(run.frames.begin(), run.frames.end(),
                          [](const FrameRecord& r) { return r.flashLevel == 180; });
  ASSERT_NE(hit, run.frames.end()) << "no rock hit the craft in this run";
  std::vector<int> levels;
  for (auto it = hit; it != run.frames.end() && levels.size() < 26; ++it) levels.push_back(it->flashLevel);
  const std::vector<int> expected = {180, 150, 125, 104, 87, 72, 60, 50, 42, 35, 29, 24, 20,
                                     17,  14,  12,  10,  8,  7,  6,  5,  4,  3,  2,  2,  2};
  // A second hit may restart the sequence; compare up to it.
  std::size_t same = 1;
  while (same < levels.size() && levels[same] != 180) ++same;
  levels.resize(same);
  EXPECT_EQ(levels, std::vector<int>(expected.begin(), expected.begin() + static_cast<long>(same)));
  EXPECT_GE(same, 8u);
}

TEST(Round, PauseKeepsTheClockRunningAndNothingMoves) {
  const Recording run = Replay("2 key down 28\n3 key up 28\n10 focus lost\n610 focus gained\n", 700);
  const FrameRecord& before = run.frames[8];
  const FrameRecord& paused = run.frames[300];
  EXPECT_EQ(paused.screen, "paused");
  EXPECT_EQ(paused.craftY, run.frames[500].craftY);
  EXPECT_EQ(paused.backdropX, run.frames[500].backdropX);
  EXPECT_LT(run.frames[605].remaining, before.remaining - 15) << "sleeping 20 ms a frame, the clock ran on";
  EXPECT_EQ(run.frames[650].screen, "playing");
}

TEST(Round, EnterOnTheGameOverScreenStartsANewRoundKeepingTheCraft) {
  const Recording run = Replay("2 key down 28\n3 key up 28\n1260 key down 28\n1260 key down 1\n", 1270, 10);
  const int over = FirstFrameShowing(run, "gameover");
  ASSERT_GT(over, 0);
  ASSERT_LT(over, 1260);
  const FrameRecord& restartFrame = run.frames[1259];
  const FrameRecord& next = run.frames[1260];
  EXPECT_EQ(next.screen, "playing") << "Enter and Escape together restart: Enter is tested first";
  EXPECT_EQ(next.remaining, 120);
  EXPECT_EQ(next.entities[0], 35);
  EXPECT_NEAR(next.craftY, restartFrame.craftY, 10.0f);
}

TEST(Round, EscapeAndCloseQuitFromPlay) {
  EXPECT_EQ(Replay("2 key down 28\n3 key up 28\n40 key down 1\n", 100).frames.size(), 40u);
  // A close still ends a paused round (the poll comes before the flip, so two passes later).
  EXPECT_EQ(Replay("2 key down 28\n3 key up 28\n40 focus lost\n50 close\n", 100).frames.size(), 52u);
}

TEST(Replay, SameSeedAndScriptGiveTheSameRun) {
  const std::string script = "2 key down 28\n3 key up 28\n5 key down 29\n100 key down 57\n150 key up 57\n";
  const Recording first = Replay(script, 300);
  const Recording second = Replay(script, 300);
  ASSERT_EQ(first.frames.size(), second.frames.size());
  for (std::size_t i = 0; i < first.frames.size(); ++i) {
    EXPECT_EQ(FormatLogLine(first.frames[i]), FormatLogLine(second.frames[i]));
  }
}

}  // namespace
}  // namespace pellaris::play
