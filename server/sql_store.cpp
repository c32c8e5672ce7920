#include "server/sql_store.h"

#include <array>

#include "server/round_check.h"

namespace pellaris::board {

namespace {

// Each schema change is one more entry, never an edit of an old one: a database at version N gets the
// entries after N. "{rowid}" and "{bytes}" stand for the database's own words.
constexpr std::array<std::string_view, 2> kMigrations = {
    R"(CREATE TABLE rounds (
         id {rowid},
         digest TEXT NOT NULL UNIQUE,
         recording {bytes} NOT NULL,
         install_id TEXT NOT NULL,
         name TEXT NOT NULL,
         rules INTEGER NOT NULL,
         seed BIGINT NOT NULL,
         played_at BIGINT,
         claimed_score BIGINT NOT NULL,
         daily TEXT,
         received_at BIGINT NOT NULL,
         state TEXT NOT NULL,
         reason TEXT NOT NULL,
         replayed_score BIGINT,
         failures INTEGER NOT NULL,
         settled_at BIGINT);
       CREATE INDEX rounds_pending ON rounds (id) WHERE state = 'pending';
       CREATE TABLE players (
         install_id TEXT PRIMARY KEY,
         name TEXT NOT NULL,
         named_by BIGINT NOT NULL);
       CREATE TABLE bests (
         board TEXT NOT NULL,
         install_id TEXT NOT NULL,
         score BIGINT NOT NULL,
         round_id BIGINT NOT NULL,
         PRIMARY KEY (board, install_id));
       CREATE INDEX bests_order ON bests (board, score DESC, round_id);)",
    // A board is read from one index, whose pages stay few however many rounds arrive meanwhile: each
    // line keeps its player's latest name and its round's arrival. No defaults: a board of an older
    // build still running on the database fails to rank, loudly, rather than write nameless lines.
    R"(CREATE TABLE board_lines (
         board TEXT NOT NULL,
         install_id TEXT NOT NULL,
         score BIGINT NOT NULL,
         round_id BIGINT NOT NULL,
         name TEXT NOT NULL,
         received_at BIGINT NOT NULL,
         PRIMARY KEY (board, install_id));
       INSERT INTO board_lines (board, install_id, score, round_id, name, received_at)
         SELECT b.board, b.install_id, b.score, b.round_id,
                (SELECT p.name FROM players p WHERE p.install_id = b.install_id),
                (SELECT r.received_at FROM rounds r WHERE r.id = b.round_id) FROM bests b;
       DROP TABLE bests;
       ALTER TABLE board_lines RENAME TO bests;
       CREATE INDEX bests_lines ON bests (board, score DESC, round_id, install_id, name, received_at);
       CREATE INDEX bests_player ON bests (install_id);)",
};

constexpr std::string_view kRoundColumns =
    "id, state, reason, install_id, name, rules, seed, played_at, claimed_score, replayed_score, daily, "
    "received_at, settled_at";

std::string Replaced(std::string text, std::string_view word, std::string_view by) {
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + by.size())) {
    text.replace(at, word.size(), by);
  }
  return text;
}

RoundState StateNamed(const std::string& name) {
  for (RoundState state : {RoundState::Pending, RoundState::Verified, RoundState::Refused}) {
    if (StateName(state) == name) return state;
  }
  throw StoreError("a round in the database has the unknown state '" + name + "'");
}

template <typename Number>
std::optional<Number> Maybe(const SqlValue& value) {
  if (value.IsNull()) return std::nullopt;
  return static_cast<Number>(value.Integer());
}

Round RoundFrom(const SqlRow& row) {
  Round round;
  round.id = row[0].Integer();
  round.state = StateNamed(row[1].Text());
  round.reason = row[2].Text();
  round.facts.installId = row[3].Text();
  round.facts.name = row[4].Text();
  round.facts.rulesVersion = static_cast<int>(row[5].Integer());
  round.facts.seed = static_cast<std::uint32_t>(row[6].Integer());
  round.facts.playedAt = Maybe<std::int64_t>(row[7]);
  round.facts.claimedScore = static_cast<std::int32_t>(row[8].Integer());
  round.replayedScore = Maybe<std::int32_t>(row[9]);
  if (!row[10].IsNull()) round.facts.daily = play::DateFromText(row[10].Text());
  round.facts.receivedAt = row[11].Integer();
  round.settledAt = Maybe<std::int64_t>(row[12]);
  return round;
}

std::optional<Round> FindRound(SqlConnection& connection, std::string_view where, const SqlValue& key) {
  const std::vector<SqlRow> rows = connection.Query(
      "SELECT " + std::string(kRoundColumns) + " FROM rounds WHERE " + std::string(where), {key});
  if (rows.empty()) return std::nullopt;
  return RoundFrom(rows.front());
}

// The boards a verified round counts for: everyone's rocks are the same on a seed's and a day's board
// only for rounds that start as a game of the seed starts its first.
std::vector<BoardKey> BoardsOf(std::uint32_t seed, const std::optional<Date>& daily, bool startsAsTheSeed) {
  std::vector<BoardKey> boards = {BoardKey::All()};
  if (!startsAsTheSeed) return boards;
  boards.push_back(BoardKey::OfSeed(seed));
  if (daily) boards.push_back(BoardKey::Daily(*daily));
  return boards;
}

}  // namespace

int SqlStore::SchemaVersion() {
  return static_cast<int>(kMigrations.size());
}

void SqlStore::Migrate(const SqlDialect& dialect) {
  const std::shared_ptr<SqlConnection> connection = Connect(Use::Write);
  Transaction transaction(*connection);
  if (!dialect.lockSchema.empty()) connection->Query(dialect.lockSchema);
  connection->Script("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
  const std::vector<SqlRow> rows = connection->Query("SELECT version FROM schema_version");
  const std::int64_t version = rows.empty() ? 0 : rows.front()[0].Integer();
  if (version > SchemaVersion()) {
    throw StoreError("the database has schema version " + std::to_string(version) +
                     "; this board knows up to " + std::to_string(SchemaVersion()) + ": start a newer board");
  }
  for (std::int64_t next = version; next < SchemaVersion(); ++next) {
    connection->Script(Replaced(Replaced(std::string(kMigrations[next]), "{rowid}", dialect.rowId), "{bytes}",
                                dialect.bytes));
  }
  if (rows.empty()) {
    connection->Query("INSERT INTO schema_version (version) VALUES ($1)", {std::int64_t{SchemaVersion()}});
  } else {
    connection->Query("UPDATE schema_version SET version = $1", {std::int64_t{SchemaVersion()}});
  }
  transaction.Commit();
}

AddOutcome SqlStore::Add(const std::string& digest, const std::string& recording, const RoundFacts& facts,
                         int pendingLimit) {
  const std::shared_ptr<SqlConnection> connection = Connect(Use::Write);
  Transaction transaction(*connection);
  AddOutcome outcome;
  outcome.round = FindRound(*connection, "digest = $1", digest);
  if (outcome.round) return outcome;
  const std::vector<SqlRow> waiting =
      connection->Query("SELECT count(*) FROM rounds WHERE state = 'pending'");
  if (waiting.front()[0].Integer() >= pendingLimit) {
    outcome.full = true;
    return outcome;
  }
  // Another board process may store the same bytes at the same moment: one of them is stored.
  const std::vector<SqlRow> added = connection->Query(
      "INSERT INTO rounds (digest, recording, install_id, name, rules, seed, played_at, claimed_score, "
      "daily, "
      "received_at, state, reason, failures) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, 'pending', '', "
      "0) "
      "ON CONFLICT (digest) DO NOTHING RETURNING id",
      {digest, SqlValue::Bytes(recording), facts.installId, facts.name, std::int64_t{facts.rulesVersion},
       std::int64_t{facts.seed}, SqlValue::Maybe(facts.playedAt), std::int64_t{facts.claimedScore},
       facts.daily ? SqlValue(play::DateText(*facts.daily)) : SqlValue(), facts.receivedAt});
  outcome.added = !added.empty();
  outcome.round = FindRound(*connection, "digest = $1", digest);
  transaction.Commit();
  return outcome;
}

std::optional<Round> SqlStore::Find(std::int64_t id) {
  return FindRound(*Connect(Use::Read), "id = $1", id);
}

std::optional<std::string> SqlStore::VerifiedRecording(std::int64_t id) {
  const std::vector<SqlRow> rows =
      Connect(Use::Read)->Query("SELECT recording FROM rounds WHERE id = $1 AND state = 'verified'", {id});
  if (rows.empty()) return std::nullopt;
  return rows.front()[0].Text();
}

std::vector<BoardLine> SqlStore::Board(const BoardKey& key, int count) {
  const std::vector<SqlRow> rows = Connect(Use::Read)->Query(
      "SELECT install_id, name, score, round_id, received_at FROM bests "
      "WHERE board = $1 ORDER BY score DESC, round_id LIMIT $2",
      {key.Name(), std::int64_t{count}});
  std::vector<BoardLine> lines;
  for (const SqlRow& row : rows) {
    lines.push_back({static_cast<int>(lines.size()) + 1, row[0].Text(), row[1].Text(),
                     static_cast<std::int32_t>(row[2].Integer()), row[3].Integer(), row[4].Integer()});
  }
  return lines;
}

Ranks SqlStore::RanksOf(const Round& round) {
  Ranks ranks;
  if (round.state != RoundState::Verified) return ranks;
  const std::shared_ptr<SqlConnection> connection = Connect(Use::Read);
  // The player's line on a board, counting the lines above it; none on a board they are not on (a round
  // that does not start as its seed's first is on the board of all rounds only).
  const auto rank = [&](const BoardKey& key) -> std::optional<int> {
    const std::vector<SqlRow> rows = connection->Query(
        "SELECT (SELECT count(*) + 1 FROM bests o WHERE o.board = me.board "
        "AND (o.score > me.score OR (o.score = me.score AND o.round_id < me.round_id))) "
        "FROM bests me WHERE me.board = $1 AND me.install_id = $2",
        {key.Name(), round.facts.installId});
    if (rows.empty()) return std::nullopt;
    return static_cast<int>(rows.front()[0].Integer());
  };
  ranks.all = rank(BoardKey::All());
  ranks.seed = rank(BoardKey::OfSeed(round.facts.seed));
  if (round.facts.daily) ranks.daily = rank(BoardKey::Daily(*round.facts.daily));
  return ranks;
}

std::vector<SqlRow> SqlStore::Pending(SqlConnection& connection, std::int64_t count, std::string_view lock) {
  // Boards of other builds may share the database: each verifies the rounds of its own rules.
  return connection.Query(
      "SELECT id, recording, failures FROM rounds WHERE state = 'pending' AND rules = $2 ORDER BY id LIMIT "
      "$1 " +
          std::string(lock),
      {count, std::int64_t{kRulesVersion}});
}

void SqlStore::RankRound(SqlConnection& connection, std::int64_t id, std::int32_t score,
                         bool startsAsTheSeed) {
  const std::vector<SqlRow> rows = connection.Query(
      "UPDATE rounds SET state = 'verified', replayed_score = $2, settled_at = $3 "
      "WHERE id = $1 AND state = 'pending' RETURNING install_id, name, seed, daily, received_at",
      {id, std::int64_t{score}, NowMilliseconds()});
  if (rows.empty()) return;  // settled already: ranked once
  const SqlRow& round = rows.front();
  // The player is shown by the name of their latest round, on every line of theirs.
  const std::vector<SqlRow> renamed = connection.Query(
      "INSERT INTO players (install_id, name, named_by) VALUES ($1, $2, $3) "
      "ON CONFLICT (install_id) DO UPDATE SET name = excluded.name, named_by = excluded.named_by "
      "WHERE excluded.named_by > players.named_by RETURNING name",
      {round[0], round[1], id});
  if (!renamed.empty()) {
    connection.Query("UPDATE bests SET name = $2 WHERE install_id = $1 AND name <> $2", {round[0], round[1]});
  }
  const std::optional<Date> daily = round[3].IsNull() ? std::nullopt : play::DateFromText(round[3].Text());
  // A best is the first round to reach the score, also when a later one was verified before it.
  for (const BoardKey& board :
       BoardsOf(static_cast<std::uint32_t>(round[2].Integer()), daily, startsAsTheSeed)) {
    connection.Query(
        "INSERT INTO bests (board, install_id, score, round_id, name, received_at) "
        "VALUES ($1, $2, $3, $4, (SELECT name FROM players WHERE install_id = $2), $5) "
        "ON CONFLICT (board, install_id) DO UPDATE SET score = excluded.score, round_id = excluded.round_id, "
        "received_at = excluded.received_at WHERE excluded.score > bests.score "
        "OR (excluded.score = bests.score AND excluded.round_id < bests.round_id)",
        {board.Name(), round[0], std::int64_t{score}, id, round[4]});
  }
}

void SqlStore::RefuseRound(SqlConnection& connection, std::int64_t id, const std::string& reason,
                           std::optional<std::int32_t> replayedScore) {
  // A refused round keeps its answer, not its recording.
  connection.Query(
      "UPDATE rounds SET state = 'refused', reason = $2, replayed_score = $3, settled_at = $4, recording = "
      "$5 "
      "WHERE id = $1 AND state = 'pending'",
      {id, reason, SqlValue::Maybe(replayedScore), NowMilliseconds(), SqlValue::Bytes("")});
}

void SqlStore::CountFailure(SqlConnection& connection, std::int64_t id) {
  connection.Query("UPDATE rounds SET failures = failures + 1 WHERE id = $1 AND state = 'pending'", {id});
}

}  // namespace pellaris::board
