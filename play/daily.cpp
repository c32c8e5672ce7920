#include "play/daily.h"

#include <chrono>
#include <cstdio>

namespace pellaris::play {

std::uint32_t DailySeed(const UtcDate& date, int rulesVersion) {
  char text[64];
  const int length =
      std::snprintf(text, sizeof text, "pellaris-daily %s rules %d", DateText(date).c_str(), rulesVersion);
  std::uint32_t hash = 2166136261u;
  for (int i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(text[i]);
    hash *= 16777619u;
  }
  return hash;
}

UtcDate UtcDateOf(std::time_t moment) {
  using namespace std::chrono;
  const year_month_day date{floor<days>(sys_seconds{seconds{moment}})};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day()))};
}

std::string DateText(const UtcDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::optional<UtcDate> DateFromText(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto number = [&](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  const UtcDate date{number(0, 4), number(5, 2), number(8, 2)};
  using namespace std::chrono;
  const year_month_day checked{year{date.year}, month{static_cast<unsigned>(date.month)},
                               day{static_cast<unsigned>(date.day)}};
  if (date.year < 1970 || date.month < 0 || date.day < 0 || !checked.ok()) return std::nullopt;
  return date;
}

}  // namespace pellaris::play
