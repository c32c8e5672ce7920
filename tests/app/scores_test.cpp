#include "app/scores.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "runtime/core/date.h"
#include "tests/app/temporary_folder.h"

namespace pellaris::app {
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
  TemporaryFolder folder_;
  std::filesystem::path file_ = folder_.Path() / "scores";
  std::ostringstream report_;
};

TEST_F(ScoresFile, RoundTrip) {
  const ScopedVariable data("XDG_DATA_HOME", (folder_.Path() / "data").c_str());
  file_ = DefaultScoresFile();
  EXPECT_TRUE(LoadScores(file_, report_).Best().empty()) << "no file yet";
  ScoreTable table;
  table.Add({4200, rt::MakeDate(2024, 6, 10, 15, 30, 5), "2024-06-10 15.30.rec", true});
  table.Add({-340, 0, "", false});
  table.Add({4200, 2147483647, "-", false});
  table.Add({17, 5, "odd\\name\twith\nall", true});
  table.Add({2147483647, 9, "ünïcode.rec", false});
  ASSERT_TRUE(SaveScores(file_, table, report_));
  EXPECT_EQ(LoadScores(folder_.Path() / "data/pellaris/scores", report_).Best(), table.Best());
  EXPECT_EQ(report_.str(), "");
  EXPECT_EQ(FolderEntries(folder_.Path() / "data/pellaris"), std::vector<std::string>{"scores"});
}

TEST_F(ScoresFile, ADamagedFileIsSetAsideReportedAndReplaced) {
  const std::string good = "pellaris scores 1\n500 7 0 -\n";
  const std::string damaged[] = {
      "",
      "pellaris scores 1",
      "pellaris scores 2\n500 7 0 -\n",
      "scores\n500 7 0 -\n",
      "pellaris scores 1\n500 7 0 -\n600 8 0 -",
      "pellaris scores 1\n500 7 0\n",
      "pellaris scores 1\n500 7 yes -\n",
      "pellaris scores 1\n500 seven 0 -\n",
      "pellaris scores 1\n5000000000 7 0 -\n",
      "pellaris scores 1\n500  7 0 -\n",
      "pellaris scores 1\n500 7 0 a\\x4\n",
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
    EXPECT_TRUE(LoadScores(file_, report_).Best().empty());
    const std::string reported = report_.str();
    EXPECT_NE(reported.find("scores.damaged-1"), std::string::npos) << reported;
    EXPECT_EQ(std::count(reported.begin(), reported.end(), '\n'), 1) << reported;
    EXPECT_EQ(ReadWhole(folder_.Path() / "scores.damaged-1"), contents);
    EXPECT_FALSE(std::filesystem::exists(file_));

    ScoreTable table;
    table.Add(Round(500, 7));
    EXPECT_TRUE(SaveScores(file_, table, report_));
    EXPECT_EQ(ReadWhole(file_), good);
    std::filesystem::remove(folder_.Path() / "scores.damaged-1");
  }
}

TEST_F(ScoresFile, SavingSetsADamagedFileAsideToo) {
  WriteWhole(file_, "not scores\n");
  ScoreTable table;
  table.Add(Round(1, 1));
  EXPECT_TRUE(SaveScores(file_, table, report_));
  EXPECT_EQ(ReadWhole(folder_.Path() / "scores.damaged-1"), "not scores\n");
  EXPECT_EQ(LoadScores(file_, report_).Best(), table.Best());
}

TEST_F(ScoresFile, AFailedSaveLeavesTheOldFile) {
  ScoreTable old;
  old.Add(Round(100, 1));
  ASSERT_TRUE(SaveScores(file_, old, report_));
  const std::string before = ReadWhole(file_);
  ScoreTable better = old;
  for (int i = 0; i < 10; ++i) better.Add(Round(1000 + i, i + 2));

  {
    const FileSizeLimit fullDisk(before.size());
    EXPECT_FALSE(SaveScores(file_, better, report_));
  }
  EXPECT_NE(report_.str().find("not saved"), std::string::npos) << report_.str();
  EXPECT_EQ(ReadWhole(file_), before);
  EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"scores"});

  // A file stands where the folder should be.
  WriteWhole(folder_.Path() / "data", "");
  report_.str("");
  EXPECT_FALSE(SaveScores(folder_.Path() / "data/pellaris/scores", better, report_));
  EXPECT_NE(report_.str().find("not a folder"), std::string::npos) << report_.str();
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
}  // namespace pellaris::app
