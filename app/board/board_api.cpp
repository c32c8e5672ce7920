#include "app/board/board_api.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace pellaris::app {

namespace {

using Json = nlohmann::json;

Json Parsed(const std::string& body) {
  return Json::parse(body, nullptr, /*allow_exceptions=*/false);
}

std::optional<std::int64_t> Integer(const Json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_number_integer()) return std::nullopt;
  return found->get<std::int64_t>();
}

std::optional<int> Rank(const Json& ranks, const char* key) {
  const std::optional<std::int64_t> rank = ranks.is_object() ? Integer(ranks, key) : std::nullopt;
  if (!rank || *rank < 1 || *rank > INT32_MAX) return std::nullopt;
  return static_cast<int>(*rank);
}

std::string Text(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// A round as the board describes it: its state says what became of it.
std::optional<RoundAnswer> FromRound(const Json& round) {
  RoundAnswer answer;
  const std::string state = Text(round, "state");
  if (state == "verified") {
    answer.kind = RoundAnswer::Kind::Ranked;
    const auto ranks = round.find("rank");
    if (ranks != round.end()) answer.allRank = Rank(*ranks, "all"), answer.dailyRank = Rank(*ranks, "daily");
  } else if (state == "pending" && Integer(round, "id").value_or(0) > 0) {
    answer.kind = RoundAnswer::Kind::Pending;
    answer.id = *Integer(round, "id");
  } else if (state == "refused") {
    answer.kind = RoundAnswer::Kind::Refused;
    answer.reason = Text(round, "reason");
  } else {
    return std::nullopt;
  }
  return answer;
}

RoundAnswer Unanswered(std::string reason) {
  RoundAnswer answer;
  answer.reason = std::move(reason);
  return answer;
}

std::string PercentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : text) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      encoded += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return encoded;
}

std::string Under(std::string_view board, std::string_view path) {
  while (board.ends_with('/')) board.remove_suffix(1);
  return std::string(board) + std::string(path);
}

}  // namespace

// A refusal is final only when the board refuses the round itself, in its own words (400, 413, 422
// with its "error"): a 404 from a web server at a wrong address is no reason to throw rounds away.
RoundAnswer ReadRoundAnswer(const HttpReply& reply) {
  if (reply.status == 0) return Unanswered(reply.error);
  if (reply.status == 429 || reply.status == 503) {
    RoundAnswer answer;
    answer.kind = RoundAnswer::Kind::Later;
    answer.waitSeconds =
        std::clamp(reply.retryAfterSeconds.value_or(kDefaultWaitSeconds), 1, kLongestWaitSeconds);
    return answer;
  }
  const Json body = Parsed(reply.body);
  const bool object = body.is_object();
  if (object && reply.status >= 200 && reply.status < 300) {
    if (std::optional<RoundAnswer> answer = FromRound(body)) return *answer;
  }
  const bool refusal = reply.status == 400 || reply.status == 413 || reply.status == 422;
  if (object && refusal && !Text(body, "error").empty()) {
    RoundAnswer answer;
    answer.kind = RoundAnswer::Kind::Refused;
    answer.reason = Text(body, "message").empty() ? Text(body, "error") : Text(body, "message");
    return answer;
  }
  return Unanswered("it answered HTTP " + std::to_string(reply.status) + ", not as a Pellaris score board");
}

std::optional<std::vector<BoardLine>> ReadBoard(const HttpReply& reply) {
  if (reply.status != 200) return std::nullopt;
  const Json body = Parsed(reply.body);
  const auto lines = body.is_object() ? body.find("lines") : body.end();
  if (!body.is_object() || lines == body.end() || !lines->is_array()) return std::nullopt;
  std::vector<BoardLine> board;
  for (const Json& line : *lines) {
    if (!line.is_object()) return std::nullopt;
    const std::optional<std::int64_t> rank = Integer(line, "rank"), score = Integer(line, "score");
    if (!rank || !score) return std::nullopt;
    board.push_back({*rank, *score, Text(line, "name")});
  }
  return board;
}

std::string SubmitUrl(std::string_view board, std::string_view name, std::string_view installId,
                      const std::optional<play::UtcDate>& daily) {
  std::string url =
      Under(board, "/api/rounds?name=" + PercentEncoded(name) + "&install=" + PercentEncoded(installId));
  if (daily) url += "&daily=" + play::DateText(*daily);
  return url;
}

std::string RoundUrl(std::string_view board, std::int64_t id) {
  return Under(board, "/api/rounds/" + std::to_string(id));
}

std::string AllRoundsBoardUrl(std::string_view board) {
  return Under(board, "/api/boards/all");
}

std::string DailyBoardUrl(std::string_view board, const play::UtcDate& date) {
  return Under(board, "/api/boards/daily/" + play::DateText(date));
}

}  // namespace pellaris::app
