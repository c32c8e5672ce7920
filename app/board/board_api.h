// What the score board's API means to the game: the addresses of its requests, and its answers read.
// Nothing an answer holds is trusted further than its shape: a board's texts are escaped where shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/board/http.h"
#include "play/daily.h"

namespace pellaris::app {

// The board's answer about a round, sent to it or asked after.
struct RoundAnswer {
  enum class Kind {
    Ranked,      // verified, with its ranks
    Pending,     // taken, not verified yet: ask after it by `id`
    Refused,     // for good, for `reason`
    Later,       // the board is busy: try again in `waitSeconds`
    Unanswered,  // no board answered (down, unreachable, another server in its place): `reason`
  };
  Kind kind = Kind::Unanswered;
  std::optional<int> allRank, dailyRank;  // when Ranked
  std::int64_t id = 0;                    // when Pending
  int waitSeconds = 0;                    // when Later
  std::string reason;                     // when Refused or Unanswered, not escaped
};

inline constexpr int kDefaultWaitSeconds = 30;  // a busy board that does not say how long
inline constexpr int kLongestWaitSeconds = 3600;

RoundAnswer ReadRoundAnswer(const HttpReply& reply);

struct BoardLine {
  std::int64_t rank = 0, score = 0;
  std::string name;  // not escaped
};

// The lines of a board's answer, best first; nothing when the answer is not a board.
std::optional<std::vector<BoardLine>> ReadBoard(const HttpReply& reply);

// The requests' addresses under the board's address (with or without a '/' at its end).
std::string SubmitUrl(std::string_view board, std::string_view name, std::string_view installId,
                      const std::optional<play::UtcDate>& daily);
std::string RoundUrl(std::string_view board, std::int64_t id);
std::string AllRoundsBoardUrl(std::string_view board);
std::string DailyBoardUrl(std::string_view board, const play::UtcDate& date);

}  // namespace pellaris::app
