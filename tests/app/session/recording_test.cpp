// A round played with keys and a controller in a session is recorded; the recording verifies to the
// score the game showed, a copy with one input changed does not, one cut short plays to where it
// ends, and watching it shows the very pictures the round showed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/playback.h"
#include "app/recorder.h"
#include "game/state.h"
#include "session_run.h"

namespace pellaris::app {
namespace {

constexpr int kLeftCtrl = 0x1D, kSpace = 0x39;
constexpr int kLastPass = 1500;

class RecordedRound : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SessionRun run;
    run.Setup().replaysFolder = run.Folder() / "replays";
    run.Setup().recording = {replay::kRecordingFormat, "test", 77, false, 1};
    HeadlessPlatform& machine = run.Machine();
    run.Press(2, kKeyEnter);
    machine.At(40, Action::KeyDown(kLeftCtrl));
    machine.At(90, Action::PadDown(rt::platform::PadButton::A));
    machine.At(140, Action::PadUp(rt::platform::PadButton::A));
    machine.At(150, Action::JumpClock(110));  // the round's last ten seconds
    machine.At(300, Action::KeyDown(kSpace));
    machine.At(330, Action::KeyUp(kSpace));
    machine.SetPresentCallback([](const rt::platform::PresentedFrame& frame) { shown_[frame.frame] = frame.hash; });
    run.Run(kLastPass, [](int frame, Session&) {
      scores_[frame] = score;
      if (gameOver == 1 && endScore_ == 0) endScore_ = score;
    });
    for (const std::string& name : FolderEntries(run.Folder() / "replays")) {
      text_ = ReadWhole(run.Folder() / "replays" / name);
      name_ = name;
    }
  }

  static Recording Read(const std::string& text) {
    std::string error;
    std::optional<Recording> recording = ReadRecording(text, error);
    EXPECT_TRUE(recording) << error;
    return recording.value_or(Recording{});
  }

  // The text with the line that holds `what` changed by `change`.
  static std::string Changed(const std::string& what, const std::string& by) {
    std::string text = text_;
    const std::size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    return text.replace(at, what.size(), by);
  }

  static inline std::map<int, std::uint64_t> shown_;
  static inline std::map<int, std::int32_t> scores_;
  static inline std::int32_t endScore_ = 0;
  static inline std::string text_, name_;
};

TEST_F(RecordedRound, IsAFewLinesNamedByItsScoreThatVerify) {
  ASSERT_FALSE(text_.empty());
  EXPECT_TRUE(name_.ends_with("_" + std::to_string(endScore_) + ".rec")) << name_;
  EXPECT_LT(text_.size(), 2000u) << text_;
  const Recording recording = Read(text_);
  EXPECT_EQ(recording.header.seed, 77u);
  ASSERT_TRUE(recording.claimedScore);
  EXPECT_EQ(*recording.claimedScore, endScore_);
  const Verdict verdict = VerifyRecording(recording);
  EXPECT_TRUE(verdict.Verified()) << verdict.score << " " << text_;
}

TEST_F(RecordedRound, WithOneInputChangedDoesNotVerify) {
  // Rapid fire held from pass 40 becomes a single press.
  const Verdict verdict = VerifyRecording(Read(Changed("40 key down 29\n", "40 key down 29\n41 key up 29\n")));
  EXPECT_FALSE(verdict.Verified());
  EXPECT_NE(verdict.score, endScore_);
}

TEST_F(RecordedRound, CutShortPlaysToWhereItEnds) {
  const std::size_t cut = text_.find("\n330 ");
  ASSERT_NE(cut, std::string::npos) << text_;
  const Recording recording = Read(text_.substr(0, cut + 1));
  EXPECT_FALSE(recording.claimedScore);
  const Verdict verdict = VerifyRecording(recording);
  EXPECT_FALSE(verdict.Verified());
  EXPECT_EQ(verdict.pass, recording.lastPass);
  EXPECT_EQ(verdict.score, scores_[static_cast<int>(recording.lastPass)]);
}

TEST_F(RecordedRound, WatchedShowsThePicturesThePlayerSaw) {
  const Recording recording = Read(text_);
  HeadlessPlatform machine;
  std::map<int, std::uint64_t> watched;
  machine.SetPresentCallback([&](const rt::platform::PresentedFrame& frame) { watched[frame.frame] = frame.hash; });
  Watch watch(machine.Facets(), recording);
  {
    const rt::platform::ScopedBackend installed(watch.Facets());
    watch.Run();
  }
  // The session draws the best score over the game-over screen; up to there, every picture is the same.
  int compared = 0;
  for (const auto& [pass, hash] : shown_) {
    if (pass >= recording.lastPass) break;
    EXPECT_EQ(watched[pass], hash) << "pass " << pass;
    ++compared;
  }
  EXPECT_GT(compared, 300);
  EXPECT_GE(watched.rbegin()->first, recording.lastPass);
}

}  // namespace
}  // namespace pellaris::app

namespace pellaris::app {
namespace {

TEST(Recorder, KeepsTheLastFiftyAndEveryHighScoresRecording) {
  TemporaryFolder folder;
  std::vector<std::string> names;
  for (int day = 1; day <= 28; ++day) {
    for (const char* time : {"10-00-00", "11-00-00"}) {
      char name[64];
      std::snprintf(name, sizeof name, "2026-02-%02d_%s_%d.rec", day, time, day * 10);
      names.push_back(name);
      WriteWhole(folder.Path() / name, "pellaris-recording 1\n");
    }
  }
  WriteWhole(folder.Path() / "notes.txt", "mine\n");
  std::ostringstream report;
  Recorder recorder(folder.Path(), {}, report);
  recorder.Prune({names[0], names[3]});  // two old ones among the high scores
  std::vector<std::string> expected(names.end() - 50, names.end());
  expected.push_back(names[0]);
  expected.push_back(names[3]);
  expected.push_back("notes.txt");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderEntries(folder.Path()), expected);
}

}  // namespace
}  // namespace pellaris::app
