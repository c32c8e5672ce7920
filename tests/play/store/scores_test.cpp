#include "play/store/scores.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core/date.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::play {
namespace {

// Rounds told apart by their dates: round n was played at date n.
ScoredRound Round(std::int32_t score, rt::DateValue date) {
  return {score, date, "", false};
}

std::vector<rt::DateValue> Dates(const ScoreTable& table) {
  std::vector<rt::DateValue> dates;
  for (const ScoredRound& round : table.Best()) dates.push_back(round.date);
  return dates;
}

TEST(ScoreTable, KeepsTheBestTenAndTheEarlierOfEqualScores) {
  struct Step {
    std::int32_t score;
    std::optional<std::size_t> place;
  };
  // Played in this order; round n has date n.
  const Step steps[] = {
      {500, 0}, {700, 0}, {500, 2},  {-40, 3},  {500, 3},  {900, 0}, {100, 5}, {0, 6},
      {100, 6}, {-40, 9}, {-40, {}}, {-41, {}}, {1000, 0}, {100, 8}, {0, {}},  {-5, {}},
  };
  ScoreTable table;
  rt::DateValue date = 0;
  for (const Step& step : steps) {
    EXPECT_EQ(table.Add(Round(step.score, ++date)), step.place) << "round " << date << ": " << step.score;
    EXPECT_LE(table.Best().size(), ScoreTable::kSize);
  }
  EXPECT_EQ(Dates(table), (std::vector<rt::DateValue>{13, 6, 2, 1, 3, 5, 7, 9, 14, 8}));
}

class ScoresFile : public testing::Test {
 protected:
  // The whole table written over what the file has.
  bool Save(const ScoreTable& table) {
    return UpdateScores(
               file_, [&](ScoreTable& inFile) { return inFile = table, true; }, report_)
        .saved;
  }

  TemporaryFolder folder_;
  std::filesystem::path file_ = folder_.Path() / "scores";
  std::ostringstream report_;
};

TEST_F(ScoresFile, RoundTrip) {
  file_ = folder_.Path() / "data/pellaris/scores";  // in folders that do not exist yet
  EXPECT_TRUE(LoadScores(file_, report_).table.Best().empty()) << "no file yet";
  ScoreTable table;
  table.Add({4200, rt::MakeDate(2024, 6, 10, 15, 30, 5), "2024-06-10 15.30.rec", true});
  table.Add({-340, 0, "", false});
  table.Add({4200, 2147483647, "-", false});
  table.Add({17, 5, "odd\\name\twith\nall", true});
  table.Add({2147483647, 9, "ünïcode.rec", false});
  ASSERT_TRUE(Save(table));
  EXPECT_EQ(LoadScores(folder_.Path() / "data/pellaris/scores", report_).table.Best(), table.Best());
  EXPECT_EQ(report_.str(), "");
  EXPECT_EQ(FolderEntries(folder_.Path() / "data/pellaris"),
            (std::vector<std::string>{"scores", "scores.lock"}));
}

TEST_F(ScoresFile, ADamagedFileIsSetAsideReportedAndReplaced) {
  const std::string good = "pellaris scores 1\n500 7 0 -\n";
  const std::string damaged[] = {
      "",
      "pellaris scores 1",
      "pellaris scores 0\n500 7 0 -\n",
      "pellaris scores two\n500 7 0 -\n",
      "scores\n500 7 0 -\n",
      "pellaris scores 1\n500 7 0 -\n600 8 0 -",
      "pellaris scores 1\n500 7 0\n",
      "pellaris scores 1\n500 7 yes -\n",
      "pellaris scores 1\n500 seven 0 -\n",
      "pellaris scores 1\n5000000000 7 0 -\n",
      "pellaris scores 1\n500  7 0 -\n",
      "pellaris scores 1\n500 7 0 a\\x4\n",
      "pellaris scores 1\n500 7 0 -\r\r\n",
      "pellaris scores 1\n" + std::string(11, '\0') + "\n",
      [] {
        std::string eleven = "pellaris scores 1\n";
        for (int i = 0; i < 11; ++i) eleven += "500 7 0 -\n";
        return eleven;
      }(),
      std::string(70000, 'x'),
  };
  for (const std::string& contents : damaged) {
    SCOPED_TRACE(contents.substr(0, 40));
    WriteWhole(file_, contents);
    report_.str("");
    const ScoresOutcome loaded = LoadScores(file_, report_);
    EXPECT_TRUE(loaded.table.Best().empty());
    EXPECT_EQ(loaded.problem, "");
    const std::string reported = report_.str();
    EXPECT_NE(reported.find("scores.damaged-1"), std::string::npos) << reported;
    EXPECT_EQ(std::count(reported.begin(), reported.end(), '\n'), 1) << reported;
    EXPECT_EQ(ReadWhole(folder_.Path() / "scores.damaged-1"), contents);
    EXPECT_FALSE(std::filesystem::exists(file_));

    ScoreTable table;
    table.Add(Round(500, 7));
    EXPECT_TRUE(Save(table));
    EXPECT_EQ(ReadWhole(file_), good);
    std::filesystem::remove(folder_.Path() / "scores.damaged-1");
  }
}

TEST_F(ScoresFile, AFileOfANewerVersionOrThatCannotBeReadIsLeftAloneAndNothingSaved) {
  const std::function<void(const std::filesystem::path&)> files[] = {
      [](const std::filesystem::path& file) { WriteWhole(file, "pellaris scores 2\n500 7 0 - new\n"); },
      [](const std::filesystem::path& file) { std::filesystem::create_directory(file); },
      [](const std::filesystem::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); },
  };
  for (const auto& make : files) {
    make(file_);
    const auto before = std::filesystem::status(file_).type();
    const bool regular = before == std::filesystem::file_type::regular;
    const std::string contents = regular ? ReadWhole(file_) : "";  // opening a FIFO would wait
    report_.str("");
    const ScoresOutcome loaded = LoadScores(file_, report_);
    EXPECT_TRUE(loaded.table.Best().empty());
    EXPECT_NE(loaded.problem.find("left as it is"), std::string::npos) << loaded.problem;
    const ScoresOutcome update = UpdateScores(
        file_, [](ScoreTable& table) { return table.Add(Round(9, 9)).has_value(); }, report_);
    EXPECT_FALSE(update.saved);
    EXPECT_EQ(update.problem, loaded.problem);
    EXPECT_EQ(update.table.Best().size(), 1u) << "the round still counts for this run";
    EXPECT_EQ(report_.str(), "") << "the caller says why, once";
    EXPECT_EQ(std::filesystem::status(file_).type(), before);
    if (regular) {
      EXPECT_EQ(ReadWhole(file_), contents);
    }
    EXPECT_EQ(FolderEntries(folder_.Path()), (std::vector<std::string>{"scores", "scores.lock"}));
    std::filesystem::remove_all(file_);
  }
}

TEST_F(ScoresFile, LinesEndingInCrLfReadAsTextAndAreWrittenBackWithLf) {
  WriteWhole(file_, "pellaris scores 1\r\n500 7 1 a.rec\r\n400 8 0 -\r\n");
  const ScoresOutcome loaded = LoadScores(file_, report_);
  EXPECT_EQ(loaded.table.Best(), (std::vector<ScoredRound>{{500, 7, "a.rec", true}, Round(400, 8)}));
  EXPECT_TRUE(UpdateScores(
                  file_, [](ScoreTable& table) { return table.Add(Round(450, 9)).has_value(); }, report_)
                  .saved);
  EXPECT_EQ(ReadWhole(file_), "pellaris scores 1\n500 7 1 a.rec\n450 9 0 -\n400 8 0 -\n");
  EXPECT_EQ(report_.str(), "");
}

TEST_F(ScoresFile, AFailedSaveLeavesTheOldFile) {
  ScoreTable old;
  old.Add(Round(100, 1));
  ASSERT_TRUE(Save(old));
  const std::string before = ReadWhole(file_);
  ScoreTable better = old;
  for (int i = 0; i < 10; ++i) better.Add(Round(1000 + i, i + 2));

  {
    const FileSizeLimit fullDisk(before.size());
    const ScoresOutcome update = UpdateScores(
        file_, [&](ScoreTable& table) { return table = better, true; }, report_);
    EXPECT_FALSE(update.saved);
    EXPECT_NE(update.problem.find("not saved"), std::string::npos) << update.problem;
  }
  EXPECT_EQ(ReadWhole(file_), before);
  EXPECT_EQ(FolderEntries(folder_.Path()), (std::vector<std::string>{"scores", "scores.lock"}));

  // A file stands where the folder should be.
  WriteWhole(folder_.Path() / "data", "");
  file_ = folder_.Path() / "data/pellaris/scores";
  const ScoresOutcome update = UpdateScores(
      file_, [&](ScoreTable& table) { return table = better, true; }, report_);
  EXPECT_FALSE(update.saved);
  EXPECT_NE(update.problem.find("not a folder"), std::string::npos) << update.problem;
}

// Two games, each with a descriptor of its own on the lock, end rounds at the same moments.
TEST_F(ScoresFile, TwoGamesAddingRoundsAtOnceLoseNone) {
  constexpr int kRoundsEach = 5;  // both games' rounds fit the table, so each must be there
  const auto play = [&](int game, std::ostringstream& report) {
    for (int round = 0; round < kRoundsEach; ++round) {
      const rt::DateValue date = game * 100 + round;
      UpdateScores(
          file_, [&](ScoreTable& table) { return table.Add(Round(date, date)).has_value(); }, report);
    }
  };
  std::ostringstream firstReport, secondReport;
  std::thread first(play, 1, std::ref(firstReport)), second(play, 2, std::ref(secondReport));
  first.join();
  second.join();
  EXPECT_EQ(Dates(LoadScores(file_, report_).table),
            (std::vector<rt::DateValue>{204, 203, 202, 201, 200, 104, 103, 102, 101, 100}));
  EXPECT_EQ(firstReport.str() + secondReport.str(), "");
}

TEST_F(ScoresFile, ChecksAreKeptForTheRoundsStillInTheTable) {
  ScoreTable table;
  table.Add({300, 1, "good.rec", false});
  table.Add({200, 2, "bad.rec", false});
  ASSERT_TRUE(Save(table));
  const std::vector<RecordingCheck> checks = {
      {"good.rec", 300, true}, {"bad.rec", 200, false}, {"gone.rec", 50, false}, {"other.rec", 1, true}};
  // A game adds a round while the recordings are being checked.
  UpdateScores(
      file_,
      [](ScoreTable& inFile) {
        return inFile.Add({250, 3, "new.rec", false}).has_value();
      },
      report_);

  const ScoresOutcome outcome = RecordChecks(file_, checks, report_);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(outcome.table.Best(),
            (std::vector<ScoredRound>{
                {300, 1, "good.rec", true}, {250, 3, "new.rec", false}, {200, 2, "bad.rec", false}}));
  EXPECT_EQ(LoadScores(file_, report_).table.Best(), outcome.table.Best());
  EXPECT_EQ(FailedChecks(file_), std::set<std::string>{"bad.rec"});
  EXPECT_EQ(report_.str(), "");

  // An older build wrote the table again without bad.rec: its failure goes with the next checks.
  ScoreTable later;
  later.Add({300, 1, "good.rec", true});
  ASSERT_TRUE(Save(later));
  RecordChecks(file_, {{"good.rec", 300, true}}, report_);
  EXPECT_EQ(FailedChecks(file_), std::set<std::string>{});
}

// A link in its place may lead to a device or to another program's file: neither is written.
TEST_F(ScoresFile, ChecksAreNotKeptInAFileThatIsNoListOfChecks) {
  const std::filesystem::path other = folder_.Path() / "other", fifo = folder_.Path() / "fifo";
  WriteWhole(other, "someone's notes\n");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ScoreTable table;
  table.Add({200, 2, "bad.rec", false});
  for (const std::filesystem::path& target : {other, fifo}) {
    SCOPED_TRACE(target.filename().string());
    ASSERT_TRUE(Save(table));
    std::filesystem::create_symlink(target, folder_.Path() / "scores.checked");
    report_.str("");
    EXPECT_TRUE(RecordChecks(file_, {{"bad.rec", 200, false}}, report_).problem.empty());
    EXPECT_NE(report_.str().find("is not a list of checked rounds"), std::string::npos) << report_.str();
    EXPECT_TRUE(std::filesystem::is_symlink(folder_.Path() / "scores.checked"));
    std::filesystem::remove(folder_.Path() / "scores.checked");
  }
  EXPECT_EQ(ReadWhole(other), "someone's notes\n");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(ScoreTableText, PlaceScoreAndDate) {
  rt::StartStringRuntime();
  EXPECT_EQ(FormatTable(ScoreTable{}), "No high scores yet.\n");
  ScoreTable table;
  table.Add({4200, rt::MakeDate(2024, 6, 10, 15, 30, 59), "", false});
  table.Add({-1234567, rt::MakeDate(1999, 12, 31, 23, 59, 0), "", false});
  for (int i = 0; i < 8; ++i) table.Add(Round(5, rt::MakeDate(2030, 1, 2, 3, 4, 5)));
  const std::string text = FormatTable(table);
  EXPECT_EQ(text.substr(0, text.find('\n', text.find("\n 2 ") + 1) + 1),
            " #     Score  Date\n"
            " 1      4200  2024-06-10 15:30\n"
            " 2         5  2030-01-02 03:04\n");
  EXPECT_NE(text.find("\n10  -1234567  1999-12-31 23:59\n"), std::string::npos) << text;
  EXPECT_EQ(rt::AccumulatorTop(), 0u) << "the accumulator is left as it was";
}

}  // namespace
}  // namespace pellaris::play
