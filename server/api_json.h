// The API's answers as JSON. The one part of the board that includes Boost.JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/store.h"

namespace pellaris::board {

// A request turned away: its status, a short code for programs and a sentence for people.
struct Refusal {
  Refusal(int status, std::string error, std::string message, int retryAfterSeconds = 0)
      : status(status), error(std::move(error)), message(std::move(message)), retryAfterSeconds(retryAfterSeconds) {}

  int status;
  std::string error;    // malformed, too-large, does-not-verify, unknown-rules, ...
  std::string message;
  int retryAfterSeconds;              // too-many-requests, busy: when to ask again
  std::optional<int> rules;           // unknown-rules: the recording's rules version
  std::optional<std::int64_t> round;  // a round stored and refused
};

std::string RefusalJson(const Refusal& refusal);
// A round, with its player's places for a verified one.
std::string RoundJson(const Round& round, const Ranks& ranks);
std::string BoardJson(const BoardKey& key, const std::vector<BoardLine>& lines);

}  // namespace pellaris::board
