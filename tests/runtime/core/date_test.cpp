#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <string>

#include "runtime/core/date.h"
#include "runtime/core/text.h"
#include "tests/runtime/core/fake_platform.h"

namespace rt {
namespace {

class Dates : public testing::Test {
 protected:
  void SetUp() override { StartStringRuntime(); }

  // Formats at the top and pops the text again.
  static std::string Format(const char* mask, DateValue value) {
    const TextPosition start = AccumulatorTop();
    FormatDate(mask, value, start);
    const std::string text = AccumulatorText(start);
    EXPECT_EQ(AccumulatorTop(), start + text.size()) << (mask ? mask : "(null)");
    SetAccumulatorTop(start);
    return text;
  }
};

TEST_F(Dates, RoundTimerMask) {
  EXPECT_EQ(Format("%ii:%ss", 120), "02:00");
  EXPECT_EQ(Format("%ii:%ss", 95), "01:35");
  EXPECT_EQ(Format("%ii:%ss", 60), "01:00");
  EXPECT_EQ(Format("%ii:%ss", 59), "00:59");
  EXPECT_EQ(Format("%ii:%ss", 9), "00:09");
  EXPECT_EQ(Format("%ii:%ss", 0), "00:00");
  EXPECT_EQ(Format("%ii:%ss", -1), "00:00");
  EXPECT_EQ(Format("%ii:%ss", 3725), "02:05");
}

TEST_F(Dates, TokensMatchInEitherCase) {
  EXPECT_EQ(Format("%hh:%II", 3725), "01:02");
  EXPECT_EQ(Format("%Ii%iI%SS", 3725), "020205");
  EXPECT_EQ(Format("%YYYY-%Mm-%dD %Hh", 0), "1970-01-01 00");
}

TEST_F(Dates, CalendarMasks) {
  EXPECT_EQ(Format("%yyyy-%mm-%dd", 0), "1970-01-01");
  EXPECT_EQ(Format("%yyyy-%mm-%dd", 365 * 86400), "1971-01-01");
  EXPECT_EQ(Format("%yy", MakeDate(2007, 1, 1, 0, 0, 0)), "07");
  EXPECT_EQ(Format("%yy", MakeDate(2007, 12, 31, 23, 59, 59)), "07");
  EXPECT_EQ(Format("%yyy", 0), "70y");
  EXPECT_EQ(Format("%dd.%mm.%yyyy %hh:%ii:%ss", 2147483647), "19.01.2038 03:14:07");
}

TEST_F(Dates, StrayPerCentSignsAreCopied) {
  EXPECT_EQ(Format("100%", 12345), "100%");
  EXPECT_EQ(Format("%q", 12345), "%q");
  EXPECT_EQ(Format("%%ss", 7), "%07");
  EXPECT_EQ(Format("%i", 7), "%i");
  EXPECT_EQ(Format("%", 7), "%");
}

TEST_F(Dates, MissingOrEmptyMaskGivesEmptyText) {
  EXPECT_EQ(Format(nullptr, 100), "");
  EXPECT_EQ(Format("", 100), "");
}

TEST_F(Dates, NegativeValuesHaveAllFieldsZero) {
  for (DateValue value : {-1, -86400, -2147483647 - 1}) {
    EXPECT_EQ(DateYear(value), 0);
    EXPECT_EQ(DateMonth(value), 0);
    EXPECT_EQ(DateDay(value), 0);
    EXPECT_EQ(DateHour(value), 0);
    EXPECT_EQ(DateMinute(value), 0);
    EXPECT_EQ(DateSecond(value), 0);
    EXPECT_EQ(Format("%yyyy/%yy/%mm/%dd %hh%ii%ss", value), "0000/00/00/00 000000");
  }
}

TEST_F(Dates, LongOutputGrowsTheReservation) {
  std::string mask, expected;
  for (int i = 0; i < 3000; ++i) {
    mask += "%yyyy";
    expected += "2001";
  }
  mask += "!";
  expected += "!";
  EXPECT_EQ(Format(mask.c_str(), MakeDate(2001, 5, 6, 7, 8, 9)), expected);
  const std::string plain(9000, 'p');
  EXPECT_EQ(Format(plain.c_str(), 0), plain);
}

TEST_F(Dates, AMaskInTheAccumulatorSurvivesItsGrowth) {
  const TextPosition maskStart = AccumulatorTop();
  for (int i = 0; i < 2000; ++i) AppendString("%hh:%ii ");
  std::string expected;
  for (int i = 0; i < 2000; ++i) expected += "10:20 ";
  const std::string text = PassExpression(maskStart, [](const char* mask) {
    const TextPosition start = AccumulatorTop();
    FormatDate(mask, 10 * 3600 + 20 * 60);
    return std::string(AccumulatorText(start));
  });
  EXPECT_EQ(text, expected);
}

TEST_F(Dates, FormattingInPlaceOverItsOwnMask) {
  const TextPosition start = AccumulatorTop();
  AppendString("[%yyyy-%mm-%dd]");
  SetAccumulatorTop(AccumulatorTop() + 1);
  FormatDate(AccumulatorText(start), 0, start);
  StringVariable date;
  AssignString(date, start);
  EXPECT_STREQ(date.Text(), "[1970-01-01]");
}

TEST(MakeDate, RejectsImpossibleDays) {
  EXPECT_NE(MakeDate(2000, 2, 29, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2001, 2, 29, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2100, 2, 29, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(1900, 2, 29, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2000, 2, 30, 0, 0, 0), kInvalidDate);
  for (int month : {4, 6, 9, 11}) EXPECT_EQ(MakeDate(2007, month, 31, 0, 0, 0), kInvalidDate);
  for (int month : {1, 3, 5, 7, 8, 10, 12}) EXPECT_NE(MakeDate(2007, month, 31, 0, 0, 0), kInvalidDate);
}

TEST(MakeDate, RejectsFieldsOutOfRange) {
  EXPECT_EQ(MakeDate(2007, 1, 1, 0, 0, 60), kInvalidDate);
  EXPECT_EQ(MakeDate(2007, 1, 1, 0, 60, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2007, 1, 1, 24, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2007, 1, 1, -1, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2007, 1, 0, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2007, 1, 32, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2007, 0, 1, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(2007, 13, 1, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(0, 1, 1, 0, 0, 0), kInvalidDate);
  EXPECT_EQ(MakeDate(-2147483647 - 1, 2, 29, 0, 0, 0), kInvalidDate);
}

TEST(MakeDate, ValidRangeEnds) {
  EXPECT_EQ(MakeDate(1970, 1, 1, 0, 0, 5), 5);
  EXPECT_EQ(MakeDate(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(MakeDate(2038, 1, 19, 3, 14, 7), 2147483647);
  EXPECT_EQ(MakeDate(2038, 1, 19, 3, 14, 8), kInvalidDate);
  EXPECT_EQ(MakeDate(1969, 12, 31, 23, 59, 59), kInvalidDate);
  EXPECT_EQ(MakeDate(2147483647, 12, 31, 23, 59, 59), kInvalidDate);
}

// The C library's UTC conversion serves as the independent reference for both directions.
TEST(MakeDate, AgreesWithTheCLibraryOverTheValidRange) {
  std::mt19937 random(7);
  for (int i = 0; i < 5000; ++i) {
    const auto value = static_cast<DateValue>(random() & 0x7FFFFFFF);
    const std::time_t t = value;
    std::tm parts{};
    ASSERT_NE(gmtime_r(&t, &parts), nullptr);
    EXPECT_EQ(DateYear(value), parts.tm_year + 1900);
    EXPECT_EQ(DateMonth(value), parts.tm_mon + 1);
    EXPECT_EQ(DateDay(value), parts.tm_mday);
    EXPECT_EQ(DateHour(value), parts.tm_hour);
    EXPECT_EQ(DateMinute(value), parts.tm_min);
    EXPECT_EQ(DateSecond(value), parts.tm_sec);
    EXPECT_EQ(MakeDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                       parts.tm_sec),
              value);
  }
}

TEST(CurrentDate, FollowsTheLocalWallClock) {
  test::ScopedFakePlatform platform;
  platform.fake.localTime = {2007, 3, 25, 1, 59, 59};
  const DateValue before = CurrentDate();
  EXPECT_EQ(before, MakeDate(2007, 3, 25, 1, 59, 59));
  platform.fake.localTime = {2007, 3, 25, 3, 0, 0};  // the clock jumped forward an hour
  EXPECT_EQ(CurrentDate() - before, 3601);
  platform.fake.localTime = {2007, 2, 30, 0, 0, 0};
  EXPECT_EQ(CurrentDate(), kInvalidDate);
}

}  // namespace
}  // namespace rt
