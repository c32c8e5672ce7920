#include "server/store.h"

namespace pellaris::board {

std::string_view StateName(RoundState state) {
  switch (state) {
    case RoundState::Verified:
      return "verified";
    case RoundState::Refused:
      return "refused";
    case RoundState::Pending:
      break;
  }
  return "pending";
}

std::string BoardKey::Name() const {
  switch (kind) {
    case Kind::Seed:
      return "seed " + std::to_string(seed);
    case Kind::Daily:
      return "daily " + play::DateText(date);
    case Kind::All:
      break;
  }
  return "all";
}

}  // namespace pellaris::board
