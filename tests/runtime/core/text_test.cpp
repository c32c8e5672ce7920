#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "runtime/core/date.h"
#include "runtime/core/text.h"
#include "tests/support/allocation_counter.h"

namespace rt {
namespace {

class Text : public testing::Test {
 protected:
  void SetUp() override { StartStringRuntime(); }

  // The text a producer left at `start`, checking that the top stands right behind it.
  static std::string Produced(TextPosition start) {
    const std::string text = AccumulatorText(start);
    EXPECT_EQ(AccumulatorTop(), start + text.size());
    return text;
  }
};

TEST_F(Text, NumberToStringGivesTheShortestDecimalForm) {
  for (int value : {0, 7, -7, 10, -10, 123456, INT_MAX, INT_MIN, INT_MIN + 1}) {
    const TextPosition start = AccumulatorTop();
    NumberToString(value);
    EXPECT_EQ(Produced(start), std::to_string(value));
    SetAccumulatorTop(start);
  }
}

TEST_F(Text, ScoreExpressionIsStoredAndPopped) {
  AppendString("below");
  const TextPosition before = AccumulatorTop();
  StringVariable score;
  const TextPosition start = AccumulatorTop();
  AppendString("Score: ");
  NumberToString(0, AccumulatorTop());
  AssignString(score, start);
  EXPECT_STREQ(score.Text(), "Score: 0");
  EXPECT_EQ(score.Length(), 8u);
  EXPECT_EQ(AccumulatorTop(), before);
  EXPECT_EQ(std::string(AccumulatorText(0), before), "below");
}

TEST_F(Text, VariablesStartEmptyAndLiteralsNeedNoAccumulator) {
  StringVariable title;
  EXPECT_STREQ(title.Text(), "");
  EXPECT_EQ(title.Block(), nullptr);
  AssignStringLiteral(title, "");
  ASSERT_NE(title.Block(), nullptr);
  EXPECT_STREQ(title.Text(), "");
  AssignStringLiteral(title, "Pellaris");
  EXPECT_STREQ(title.Text(), "Pellaris");
  AssignStringLiteral(title, nullptr);
  EXPECT_STREQ(title.Text(), "");
  EXPECT_EQ(AccumulatorTop(), 0u);
}

TEST_F(Text, AVariableKeepsOneBlockForShorterTexts) {
  StringVariable line;
  AssignStringLiteral(line, "Remaining Time: 02:00");
  const char* block = line.Block();
  AssignStringLiteral(line, "");
  const TextPosition start = AccumulatorTop();
  AppendString("Score: ");
  NumberToString(4321);
  AssignString(line, start);
  EXPECT_EQ(line.Block(), block);
  EXPECT_STREQ(line.Text(), "Score: 4321");
}

TEST_F(Text, AVariableCanBeAssignedItsOwnText) {
  StringVariable line;
  AssignStringLiteral(line, "self");
  AssignStringLiteral(line, line.Text());
  EXPECT_STREQ(line.Text(), "self");
}

TEST_F(Text, GrowthKeepsTheTextBelowTheTop) {
  const std::size_t startCapacity = AccumulatorCapacity();
  const TextPosition start = AccumulatorTop();
  AppendString("Score: ");
  std::string expected = "Score: ";
  const std::string chunk(1000, 'x');
  for (int i = 0; i < 40; ++i) {
    AppendString(chunk.c_str());
    NumberToString(-i);
    expected += chunk + std::to_string(-i);
  }
  EXPECT_GT(AccumulatorCapacity(), startCapacity);
  EXPECT_EQ(Produced(start), expected);
  StringVariable variable;
  AssignString(variable, start);
  EXPECT_EQ(std::string(variable.Text()), expected);
  EXPECT_EQ(AccumulatorTop(), start);
}

TEST_F(Text, GrowthAddsTheRequestAndSixteenKilobytes) {
  AppendString("abc");
  const std::string big(100, 'b');
  AppendString(big.c_str());
  EXPECT_EQ(AccumulatorCapacity(), 3u + 100u + 16384u);
  // Room is left while four spare bytes remain.
  const std::string fill(AccumulatorCapacity() - AccumulatorTop() - 5, 'f');
  AppendString(fill.c_str());
  EXPECT_EQ(AccumulatorCapacity(), 3u + 100u + 16384u);
  AppendString("g");
  EXPECT_GT(AccumulatorCapacity(), 3u + 100u + 16384u);
}

TEST_F(Text, ATextInTheAccumulatorCanBeAppendedAcrossGrowth) {
  const TextPosition first = AccumulatorTop();
  AppendString("twice;");
  SetAccumulatorTop(AccumulatorTop() + 1);
  const TextPosition second = AccumulatorTop();
  for (int i = 0; i < 3000; ++i) AppendString(AccumulatorText(first));
  EXPECT_GT(AccumulatorCapacity(), 16384u);
  std::string expected;
  for (int i = 0; i < 3000; ++i) expected += "twice;";
  EXPECT_EQ(Produced(second), expected);
}

TEST_F(Text, GetPathPartKeepsTheDirectoryWithItsSeparator) {
  struct Case {
    const char* name;
    const char* directory;
  };
  const Case cases[] = {
      {"/opt/pellaris/bin/pellaris", "/opt/pellaris/bin/"},
      {"C:\\Games\\Pellaris\\pellaris.exe", "C:\\Games\\Pellaris\\"},
      {"pellaris", ""},
      {"", ""},
      {"\"/quoted/dir/file\"", "/quoted/dir/"},
      {"/a/b|/c/d/e", "/a/"},
      {"name|/x/", ""},
      {"/", "/"},
  };
  for (const Case& c : cases) {
    const TextPosition start = AccumulatorTop();
    GetPathPart(c.name, start);
    EXPECT_EQ(Produced(start), c.directory) << c.name;
    SetAccumulatorTop(start);
  }
  GetPathPart(nullptr, AccumulatorTop());
  EXPECT_EQ(Produced(0), "");
}

TEST_F(Text, GetPathPartWorksInPlace) {
  const std::string filler(20000, 'z');
  const TextPosition start = AccumulatorTop();
  AppendString("\"/home/player/games/");
  AppendString(filler.c_str());
  AppendString("/pellaris");
  SetAccumulatorTop(AccumulatorTop() + 1);
  GetPathPart(AccumulatorText(start), start);
  StringVariable directory;
  AssignString(directory, start);
  EXPECT_EQ(std::string(directory.Text()), "/home/player/games/" + filler + "/");
  EXPECT_EQ(AccumulatorTop(), start);
}

TEST_F(Text, PassExpressionProtectsTheTextFromTheCallee) {
  const TextPosition start = AccumulatorTop();
  AppendString("Score: ");
  NumberToString(50);
  const std::string seen = PassExpression(start, [start](const char* text) {
    const std::string copy = text;
    AppendString("callee scratch that must not touch the caller's text");
    NumberToString(-1);
    return copy + "|" + AccumulatorText(start);
  });
  EXPECT_EQ(seen, "Score: 50|Score: 50");
  EXPECT_EQ(AccumulatorTop(), start);
}

TEST_F(Text, BadPositionsChangeNothing) {
  AppendString("kept");
  StringVariable variable;
  AssignStringLiteral(variable, "old");
  AssignString(variable, AccumulatorTop() + 1);
  EXPECT_STREQ(variable.Text(), "old");
  EXPECT_EQ(AccumulatorTop(), 4u);
  SetAccumulatorTop(AccumulatorCapacity() + 1);
  EXPECT_EQ(AccumulatorTop(), 4u);
  EXPECT_EQ(AccumulatorText(AccumulatorCapacity() + 1), nullptr);
  AppendString(nullptr);
  EXPECT_EQ(Produced(0), "kept");
  EXPECT_EQ(ReleaseAccumulator(100), 4u);
  EXPECT_EQ(AccumulatorTop(), 0u);
}

TEST_F(Text, AProducerAboveTheTopStaysInsideTheBuffer) {
  const TextPosition far = AccumulatorCapacity();
  SetAccumulatorTop(0);
  NumberToString(INT_MIN, far);
  EXPECT_EQ(Produced(far), "-2147483648");
}

TEST_F(Text, FailedGrowthLeavesTheAccumulatorAsItWas) {
  AppendString("kept");
  const std::size_t capacity = AccumulatorCapacity();
  const std::string big(100, 'b');
  test::FailNextAllocation();
  EXPECT_THROW(AppendString(big.c_str()), std::bad_alloc);
  EXPECT_EQ(AccumulatorCapacity(), capacity);
  EXPECT_EQ(Produced(0), "kept");
  AppendString(big.c_str());
  EXPECT_EQ(Produced(0), "kept" + big);
}

TEST_F(Text, SteadyStateBuildsAndStoresWithoutAllocating) {
  StringVariable score, time;
  auto frame = [&](int value) {
    TextPosition start = AccumulatorTop();
    AppendString("Score: ");
    NumberToString(value);
    AssignString(score, start);
    start = AccumulatorTop();
    AppendString("Remaining Time: ");
    FormatDate("%ii:%ss", value % 120);
    AssignString(time, start);
  };
  const std::size_t start = test::AllocationCount();
  frame(-2147483647);  // the longest texts reach their working sizes first
  frame(119);
  EXPECT_GT(test::AllocationCount(), start);  // growing is counted, so the check below can fail
  const std::size_t before = test::AllocationCount();
  for (int value = 0; value < 1000; ++value) frame(value * 7919);
  EXPECT_EQ(test::AllocationCount(), before);
  EXPECT_STREQ(score.Text(), ("Score: " + std::to_string(999 * 7919)).c_str());
}

}  // namespace
}  // namespace rt
