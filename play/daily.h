// The daily challenge: every player's rocks the same on a day. The seed of a day (by UTC) is the
// 32-bit FNV-1a hash (offset 2166136261, prime 16777619) of the text "pellaris-daily YYYY-MM-DD rules N",
// the date zero-padded and N the rules version in decimal: the same in the game, the page and the board,
// and a new one whenever the rules change.
#pragma once

#include <compare>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace pellaris::play {

struct UtcDate {
  int year = 1970, month = 1, day = 1;
  auto operator<=>(const UtcDate&) const = default;
};

std::uint32_t DailySeed(const UtcDate& date, int rulesVersion);

// The UTC date of a moment (seconds since 1970), and "YYYY-MM-DD" for it and back.
UtcDate UtcDateOf(std::time_t moment);
std::string DateText(const UtcDate& date);
std::optional<UtcDate> DateFromText(std::string_view text);

}  // namespace pellaris::play
