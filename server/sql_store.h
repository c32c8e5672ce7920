// The store's queries, the same on SQLite and PostgreSQL; each database adds how it opens, the types of
// its schema, and how a verifier holds a pending round.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "server/sql.h"
#include "server/store.h"

namespace pellaris::board {

// The words of a schema that differ between databases.
struct SqlDialect {
  std::string_view rowId;       // an integer key the database numbers
  std::string_view bytes;       // a column of bytes
  std::string_view lockSchema;  // a statement that keeps other processes out of a migration, or empty
};

class SqlStore : public Store {
 public:
  AddOutcome Add(const std::string& digest, const std::string& recording, const RoundFacts& facts,
                 int pendingLimit) override;
  std::optional<Round> Find(std::int64_t id) override;
  std::optional<std::string> VerifiedRecording(std::int64_t id) override;
  std::vector<BoardLine> Board(const BoardKey& key, int count) override;
  Ranks RanksOf(const Round& round) override;

  // The newest schema this build knows; a database of a newer one is not opened.
  static int SchemaVersion();

 protected:
  enum class Use { Read, Write };
  virtual std::shared_ptr<SqlConnection> Connect(Use use) = 0;

  // Brings the database's schema up to this build's, once, whoever else starts at the same time.
  void Migrate(const SqlDialect& dialect);

  // The first pending rounds of this build's rules, by age: id, recording, failures.
  static std::vector<SqlRow> Pending(SqlConnection& connection, std::int64_t count,
                                     std::string_view lock = "");
  // A pending round settled, inside a transaction begun on the connection.
  static void RankRound(SqlConnection& connection, std::int64_t id, std::int32_t score, bool startsAsTheSeed);
  static void RefuseRound(SqlConnection& connection, std::int64_t id, const std::string& reason,
                          std::optional<std::int32_t> replayedScore);
  static void CountFailure(SqlConnection& connection, std::int64_t id);
};

}  // namespace pellaris::board
