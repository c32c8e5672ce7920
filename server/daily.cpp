#include "server/daily.h"

#include <chrono>

#include "server/round_check.h"

namespace pellaris::board {

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr std::int64_t kSecondsADay = 24 * 60 * 60;

year_month_day Calendar(const Date& date) {
  return year_month_day{std::chrono::year{date.year}, std::chrono::month{static_cast<unsigned>(date.month)},
                        std::chrono::day{static_cast<unsigned>(date.day)}};
}

}  // namespace

std::int64_t NowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::int64_t StartOf(const Date& date) {
  return static_cast<std::int64_t>(sys_days{Calendar(date)}.time_since_epoch().count()) * kSecondsADay;
}

Date DayAfter(const Date& date) {
  return play::UtcDateOf(static_cast<std::time_t>(StartOf(date) + kSecondsADay));
}

std::uint32_t DailySeedOf(const Date& date, int rulesVersion) {
  return play::DailySeed(date, rulesVersion);
}

std::string DailyProblem(const Date& date, std::uint32_t seed, int rulesVersion, std::int64_t receivedAt) {
  const std::uint32_t daily = DailySeedOf(date, rulesVersion);
  if (seed != daily) {
    return "the daily of " + play::DateText(date) + " is played on seed " + std::to_string(daily) + ", not " +
           std::to_string(seed);
  }
  if (receivedAt < StartOf(date)) return "the daily of " + play::DateText(date) + " has not begun";
  if (receivedAt >= StartOf(DayAfter(date)) + kDailyGraceSeconds) {
    return "the daily of " + play::DateText(date) + " closed an hour after its day ended";
  }
  return "";
}

std::optional<Date> DailyFor(std::uint32_t seed, int rulesVersion, std::int64_t receivedAt) {
  const Date today = play::UtcDateOf(receivedAt);
  const Date yesterday = play::UtcDateOf(receivedAt - kSecondsADay);
  for (const Date& date : {today, yesterday}) {
    if (DailyProblem(date, seed, rulesVersion, receivedAt).empty()) return date;
  }
  return std::nullopt;
}

}  // namespace pellaris::board
