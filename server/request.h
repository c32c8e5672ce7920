// What a request's target and a submission's query say, read strictly: anything malformed is refused,
// never guessed at.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "server/daily.h"

namespace pellaris::board {

struct Target {
  std::vector<std::string> path;              // its segments, as sent: "/api/rounds/7" is api, rounds, 7
  std::map<std::string, std::string> query;   // names and values, percent-decoded
};

// Nothing for a target that is not an absolute path, or a query with a broken escape or a name given
// twice.
std::optional<Target> ParseTarget(std::string_view target);

// A submission's query: name=NAME&install=ID, and daily=YYYY-MM-DD for a round of that day's challenge.
struct Submission {
  std::string name, installId;
  std::optional<Date> daily;
};
// The submission, or what is wrong with it.
std::variant<Submission, std::string> ParseSubmission(const std::map<std::string, std::string>& query);

// A round's id (1 to 10^18) or a seed (0 to 4294967295) in decimal, without signs or leading zeros.
std::optional<std::int64_t> ParseRoundId(std::string_view text);
std::optional<std::uint32_t> ParseSeed(std::string_view text);

}  // namespace pellaris::board
