#include "server/api_json.h"

// Boost.JSON's sources, compiled here once rather than linked from a library.
#include <boost/json/src.hpp>

#include "server/player.h"
#include "server/round_check.h"

namespace pellaris::board {

namespace json = boost::json;

namespace {

template <typename Value>
json::value Maybe(const std::optional<Value>& value) {
  return value ? json::value(*value) : json::value(nullptr);
}

json::value DateOrNull(const std::optional<Date>& date) {
  return date ? json::value(play::DateText(*date)) : json::value(nullptr);
}

}  // namespace

std::string RefusalJson(const Refusal& refusal) {
  json::object object{{"error", refusal.error}, {"message", refusal.message}};
  if (refusal.rules) {
    object["rules"] = *refusal.rules;
    object["known"] = json::array{kRulesVersion};
  }
  if (refusal.round) object["id"] = *refusal.round;
  return json::serialize(object);
}

std::string RoundJson(const Round& round, const Ranks& ranks) {
  const std::string location = "/api/rounds/" + std::to_string(round.id);
  json::object object{
      {"id", round.id},
      {"state", std::string(StateName(round.state))},
      {"location", location},
      {"player", PlayerTag(round.facts.installId)},
      {"name", round.facts.name},
      {"rules", round.facts.rulesVersion},
      {"seed", round.facts.seed},
      {"played", Maybe(round.facts.playedAt)},
      {"claimedScore", round.facts.claimedScore},
      {"score", Maybe(round.replayedScore)},
      {"daily", DateOrNull(round.facts.daily)},
      {"received", round.facts.receivedAt},
      {"settled", Maybe(round.settledAt)},
  };
  if (round.state == RoundState::Refused) object["reason"] = round.reason;
  if (round.state == RoundState::Verified) {
    object["recording"] = location + "/recording";
    object["rank"] = json::object{{"all", Maybe(ranks.all)}, {"seed", Maybe(ranks.seed)}, {"daily", Maybe(ranks.daily)}};
  }
  return json::serialize(object);
}

std::string BoardJson(const BoardKey& key, const std::vector<BoardLine>& lines) {
  json::object object;
  switch (key.kind) {
    case BoardKey::Kind::All:
      object["board"] = "all";
      break;
    case BoardKey::Kind::Seed:
      object["board"] = "seed";
      object["seed"] = key.seed;
      break;
    case BoardKey::Kind::Daily:
      object["board"] = "daily";
      object["date"] = play::DateText(key.date);
      object["seed"] = DailySeedOf(key.date, kRulesVersion);
      object["rules"] = kRulesVersion;
      object["closes"] = StartOf(DayAfter(key.date)) + kDailyGraceSeconds;
      break;
  }
  json::array rows;
  for (const BoardLine& line : lines) {
    rows.push_back(json::object{{"rank", line.rank},
                                {"player", PlayerTag(line.installId)},
                                {"name", line.name},
                                {"score", line.score},
                                {"round", line.roundId},
                                {"received", line.receivedAt}});
  }
  object["lines"] = std::move(rows);
  return json::serialize(object);
}

}  // namespace pellaris::board
