// Where the board keeps its rounds, its players and their best scores, behind one interface: SQLite in
// a folder for one board process, PostgreSQL for several processes, on one machine or many, serving
// one board.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "server/daily.h"

namespace pellaris::board {

// A failed statement, a lost connection, a database that cannot be opened.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class RoundState { Pending, Verified, Refused };
std::string_view StateName(RoundState state);  // "pending", "verified", "refused"

// What the board knows of a round before re-playing it.
struct RoundFacts {
  std::string installId, name;
  int rulesVersion = 0;
  std::uint32_t seed = 0;
  std::optional<std::int64_t> playedAt;  // seconds since 1970, when the recording says
  std::int32_t claimedScore = 0;
  std::optional<Date> daily;    // the daily board it counts for
  std::int64_t receivedAt = 0;  // milliseconds since 1970
};

struct Round {
  std::int64_t id = 0;
  RoundState state = RoundState::Pending;
  std::string reason;  // why it was refused
  RoundFacts facts;
  std::optional<std::int32_t> replayedScore;
  std::optional<std::int64_t> settledAt;  // when it was verified or refused, in milliseconds
};

// A board: every round, the rounds of one seed, or one day's daily challenge.
struct BoardKey {
  enum class Kind { All, Seed, Daily };
  Kind kind = Kind::All;
  std::uint32_t seed = 0;
  Date date;

  static BoardKey All() { return {}; }
  static BoardKey OfSeed(std::uint32_t seed) { return {Kind::Seed, seed, {}}; }
  static BoardKey Daily(const Date& date) { return {Kind::Daily, 0, date}; }
  std::string Name() const;  // "all", "seed 123", "daily 2026-12-08"
};

// A player's best round on a board, and its place there.
struct BoardLine {
  int rank = 0;
  std::string installId, name;  // the player's latest name
  std::int32_t score = 0;
  std::int64_t roundId = 0;
  std::int64_t receivedAt = 0;
};

// The places a verified round's player holds on the boards the round counts for.
struct Ranks {
  std::optional<int> all, seed, daily;
};

// A pending round one verifier holds until it settles it; dropped unsettled, it goes back to waiting.
class Claim {
 public:
  virtual ~Claim() = default;
  std::int64_t Id() const { return id_; }
  const std::string& Recording() const { return recording_; }
  int Failures() const { return failures_; }  // workers it stopped before
  // Verified at the score it claims: it is ranked, once, on the board of every round, and on its seed's
  // and its day's when it starts with the seed's own rocks.
  virtual void Rank(std::int32_t score, bool startsAsTheSeed) = 0;
  virtual void Refuse(const std::string& reason, std::optional<std::int32_t> replayedScore) = 0;
  // It stopped the worker that re-played it: counted, and back to waiting.
  virtual void Retry() = 0;

 protected:
  Claim(std::int64_t id, std::string recording, int failures)
      : id_(id), recording_(std::move(recording)), failures_(failures) {}

 private:
  std::int64_t id_;
  std::string recording_;
  int failures_;
};

struct AddOutcome {
  std::optional<Round> round;  // the round with those bytes: stored before, or now
  bool added = false;          // stored now
  bool full = false;           // nothing stored: too many rounds wait already
};

class Store {
 public:
  virtual ~Store() = default;
  // The round whose recording has this digest, or, with fewer than `pendingLimit` rounds waiting, this
  // one stored as pending.
  virtual AddOutcome Add(const std::string& digest, const std::string& recording, const RoundFacts& facts,
                         int pendingLimit) = 0;
  virtual std::optional<Round> Find(std::int64_t id) = 0;
  // A verified round's recording: the ghost others race.
  virtual std::optional<std::string> VerifiedRecording(std::int64_t id) = 0;
  virtual std::vector<BoardLine> Board(const BoardKey& key, int count) = 0;
  virtual Ranks RanksOf(const Round& round) = 0;
  // The longest-waiting pending round nobody holds, held for the caller; nothing when none waits.
  virtual std::unique_ptr<Claim> ClaimPending() = 0;
};

}  // namespace pellaris::board
