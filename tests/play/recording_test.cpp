// A round played with keys and a controller in a session is recorded; the recording verifies to the
// score the game showed, a copy with one input changed does not, one cut short plays to where it
// ends, and watching it shows the very pictures the round showed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/state.h"
#include "play/playback.h"
#include "play/recorder.h"
#include "tests/play/session/session_run.h"

namespace pellaris::play {
namespace {

constexpr int kLeftCtrl = 0x1D, kSpace = 0x39;
constexpr int kLastPass = 1500;
// Enter in pass 2 sets the round up; its recording numbers its passes from the one after.
constexpr int kPassesBeforeTheRound = 2;

class RecordedRound : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SessionRun run;
    run.Setup().replaysFolder = run.Folder() / "replays";
    run.Setup().recording.program = "test";
    run.Setup().recording.rules = kRulesVersion;
    run.Setup().recording.seed = 77;
    HeadlessPlatform& machine = run.Machine();
    run.Press(2, kKeyEnter);
    machine.At(40, Action::KeyDown(kLeftCtrl));
    machine.At(90, Action::PadDown(rt::platform::PadButton::A));
    machine.At(140, Action::PadUp(rt::platform::PadButton::A));
    machine.At(150, Action::JumpClock(110));  // the round's last ten seconds
    machine.At(300, Action::KeyDown(kSpace));
    machine.At(330, Action::KeyUp(kSpace));
    machine.SetPresentCallback(
        [](const rt::platform::PresentedFrame& frame) { shown_[frame.frame] = frame.hash; });
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

  // The text with word `index` of the first line starting with `lineStart` replaced by `word`.
  static std::string ChangedWord(const std::string& lineStart, std::size_t index, const std::string& word) {
    const std::size_t start = text_.find("\n" + lineStart) + 1;
    EXPECT_NE(start, 0u) << lineStart;
    const std::string line = text_.substr(start, text_.find('\n', start) - start);
    std::istringstream words(line);
    std::string changed, part;
    for (std::size_t i = 0; words >> part; ++i) changed += (i ? " " : "") + (i == index ? word : part);
    return Changed(line + "\n", changed + "\n");
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
  const Verdict verdict =
      VerifyRecording(Read(Changed("38 key down 29\n", "38 key down 29\n39 key up 29\n")));
  EXPECT_FALSE(verdict.Verified());
  EXPECT_NE(verdict.score, endScore_);
}

TEST_F(RecordedRound, ClaimingOneMoreOrOneLessDoesNotVerify) {
  const std::string end = " end " + std::to_string(endScore_) + "\n";
  for (int off : {-1, 1}) {
    const Verdict verdict =
        VerifyRecording(Read(Changed(end, " end " + std::to_string(endScore_ + off) + "\n")));
    EXPECT_FALSE(verdict.Verified()) << "claimed " << endScore_ + off;
    EXPECT_EQ(verdict.score, endScore_);
  }
}

TEST_F(RecordedRound, WithAForgedStartDoesNotVerifyAndEnds) {
  struct Forgery {
    const char* what;
    std::string text;
  };
  const std::string draws = std::to_string(kMostCheckedDraws + 1);
  const Forgery forgeries[] = {
      {"a score at the start", ChangedWord("game ", 1, "100000")},
      {"a round that ends a day later", ChangedWord("game ", 3, "1717329600")},
      {"a rock moved onto the craft", ChangedWord("entity ", 2, "40")},
      {"more draws than a week of play", ChangedWord("random ", 37, draws)},
      {"the most draws there can be", ChangedWord("random ", 37, "18446744073709551615")},
  };
  for (const Forgery& forgery : forgeries) {
    const Verdict verdict = VerifyRecording(Read(forgery.text));
    EXPECT_FALSE(verdict.startPlausible) << forgery.what;
    EXPECT_FALSE(verdict.Verified()) << forgery.what;
    EXPECT_LE(verdict.pass, 1) << forgery.what << ": played on from a start no game has";
  }
}

TEST_F(RecordedRound, CutShortPlaysToWhereItEnds) {
  const std::size_t cut = text_.find("\n328 ");
  ASSERT_NE(cut, std::string::npos) << text_;
  const Recording recording = Read(text_.substr(0, cut + 1));
  EXPECT_FALSE(recording.claimedScore);
  const Verdict verdict = VerifyRecording(recording);
  EXPECT_FALSE(verdict.Verified());
  EXPECT_EQ(verdict.pass, recording.lastPass);
  EXPECT_EQ(verdict.score, scores_[static_cast<int>(recording.lastPass) + kPassesBeforeTheRound]);
}

// A full disk or a crash may cut the file anywhere, also inside a line.
TEST_F(RecordedRound, CutAnywhereInItsPassesReadsUpToItsLastWholeLine) {
  const Recording whole = Read(text_);
  const std::size_t passes = text_.find("\n1 ") + 1;
  ASSERT_NE(passes, 0u) << text_;
  for (std::size_t cut = text_.find('\n', passes) + 1; cut < text_.size(); ++cut) {
    const std::string kept = text_.substr(0, cut);
    std::string error;
    const std::optional<Recording> recording = ReadRecording(kept, error);
    ASSERT_TRUE(recording) << "cut at " << cut << ": " << error;
    const std::size_t wholeLines =
        std::count(kept.begin() + static_cast<std::ptrdiff_t>(passes), kept.end(), '\n');
    ASSERT_EQ(recording->events.size(), wholeLines) << "cut at " << cut;
    for (std::size_t i = 0; i < wholeLines; ++i)
      EXPECT_EQ(FormatEvent(recording->events[i]), FormatEvent(whole.events[i])) << "cut at " << cut;
  }
}

TEST_F(RecordedRound, WatchedShowsThePicturesThePlayerSaw) {
  const Recording recording = Read(text_);
  HeadlessPlatform machine;
  std::map<int, std::uint64_t> watched;
  machine.SetPresentCallback(
      [&](const rt::platform::PresentedFrame& frame) { watched[frame.frame] = frame.hash; });
  Watch watch(machine.Facets(), recording);
  {
    const rt::platform::ScopedBackend installed(watch.Facets());
    watch.Run();
  }
  // The session draws the best score over the game-over screen; up to there, every picture is the same.
  int compared = 0;
  for (const auto& [pass, hash] : shown_) {
    const int roundPass = pass - kPassesBeforeTheRound;
    if (roundPass < 1) continue;
    if (roundPass >= recording.lastPass) break;
    EXPECT_EQ(watched[roundPass], hash) << "pass " << roundPass;
    ++compared;
  }
  EXPECT_GT(compared, 300);
  EXPECT_GE(watched.rbegin()->first, recording.lastPass);
}

}  // namespace
}  // namespace pellaris::play

namespace pellaris::play {
namespace {

// A round paused for over an hour: its recording ends, cut short, where readers still follow it.
TEST(Recorder, ARoundLongerThanARecordingHoldsIsRecordedUpToTheMost) {
  TemporaryFolder folder;
  std::ostringstream report;
  Recorder recorder(folder.Path(), report);
  RecordingHeader header;
  header.start.craftHeight = 21;
  constexpr std::int64_t kFirst = 5;
  recorder.RoundStarts(kFirst, header);
  ScriptEvent pause;
  pause.type = ScriptEvent::Type::Pause;
  pause.a = 1;
  recorder.Pass(kFirst, {pause});
  ScriptEvent close;
  const std::int64_t last = kFirst + kMostRoundPasses - 1;
  for (const std::int64_t pass : {last - 1, last, last + 1, last + 2}) recorder.Pass(pass, {close});
  EXPECT_EQ(recorder.RoundEnds(last + 2, 0), "");
  EXPECT_NE(report.str().find("longer than a recording holds"), std::string::npos) << report.str();
  const std::vector<std::string> names = FolderEntries(folder.Path());
  ASSERT_EQ(names.size(), 1u);
  std::string error;
  const std::optional<Recording> recording = ReadRecording(ReadWhole(folder.Path() / names[0]), error);
  ASSERT_TRUE(recording) << error;
  EXPECT_EQ(recording->lastPass, kMostRoundPasses);
  EXPECT_FALSE(recording->claimedScore);
}

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
  Recorder recorder(folder.Path(), report);
  recorder.Prune({names[0], names[3]});  // two old ones among the high scores
  std::vector<std::string> expected(names.end() - 50, names.end());
  expected.push_back(names[0]);
  expected.push_back(names[3]);
  expected.push_back("notes.txt");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderEntries(folder.Path()), expected);
}

TEST(Recorder, PrunesOnlyTheNamesItGives) {
  const std::pair<const char*, bool> names[] = {
      {"2020-01-01_00-00-00_4200.rec", true},
      {"2020-01-01_00-00-00_-340.rec", true},
      {"2020-01-01_00-00-00_0-2.rec", true},
      {"2020-01-01_00-00-00_-5-13.rec", true},
      {"2020-01-01_00-00-00_unfinished.rec", true},
      {"2020-01-01_00-00-00_unfinished-3.rec", true},
      {"1-friends-best.rec", false},
      {"2020-01-01_00-00-00.rec", false},
      {"2020-01-01_00-00-00_.rec", false},
      {"2020-01-01_00-00-00_42.rec.txt", false},
      {"2020-01-01_00-00-00_4x2.rec", false},
      {"2020-01-01_00-00-00_42-.rec", false},
      {"2020-01-01_00-00-00_--42.rec", false},
      {"2020-01-01_00-00-00_unfinished-x.rec", false},
      {"2020-01-01 00-00-00_42.rec", false},
      {"2020-1-01_00-00-00_42.rec", false},
      {"2020-01-01_00-00-00_42 mine.rec", false},
  };
  TemporaryFolder folder;
  std::vector<std::string> kept;
  for (const auto& [name, pruned] : names) {
    WriteWhole(folder.Path() / name, "mine\n");
    if (!pruned) kept.push_back(name);
  }
  std::filesystem::create_directory(folder.Path() / "2020-01-01_00-00-00_7.rec");  // a folder is not
  kept.push_back("2020-01-01_00-00-00_7.rec");
  for (int i = 0; i < static_cast<int>(Recorder::kKeptRecordings); ++i) {  // newer: these are kept
    const std::string name =
        "2030-01-01_00-00-" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "_1.rec";
    WriteWhole(folder.Path() / name, "");
    kept.push_back(name);
  }
  std::sort(kept.begin(), kept.end());
  std::ostringstream report;
  Recorder(folder.Path(), report).Prune({});
  EXPECT_EQ(FolderEntries(folder.Path()), kept);
}

}  // namespace
}  // namespace pellaris::play
