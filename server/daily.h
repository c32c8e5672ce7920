// The daily challenge: one seed a UTC day, the same for everyone; a round counts for a day's board when
// it was played on that day's seed and arrives within that day or the hour after it.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "play/daily.h"

namespace pellaris::board {

using Date = play::UtcDate;

// Late rounds still count: a player who starts a round just before midnight finishes it after.
inline constexpr std::int64_t kDailyGraceSeconds = 60 * 60;

// The board's clock: milliseconds since 1970.
std::int64_t NowMilliseconds();

std::int64_t StartOf(const Date& date);  // its midnight, UTC, in seconds since 1970
Date DayAfter(const Date& date);

std::uint32_t DailySeedOf(const Date& date, int rulesVersion);

// The day whose board a round of this seed and rules counts for, arriving at `receivedAt`: nothing when
// it is no daily round or arrived too late.
std::optional<Date> DailyFor(std::uint32_t seed, int rulesVersion, std::int64_t receivedAt);

// Why a round that says it is the daily of `date` cannot count for it (empty when it can).
std::string DailyProblem(const Date& date, std::uint32_t seed, int rulesVersion, std::int64_t receivedAt);

}  // namespace pellaris::board
