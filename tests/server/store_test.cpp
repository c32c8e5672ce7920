// The store's behaviour, the same on SQLite and on PostgreSQL: each round's bytes stored once, the
// queue's bound, boards of each player's best, claims that hold a round until it is settled, and a
// schema migrated once.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <thread>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "postgres_server.h"
#include "server/postgres_store.h"
#include "server/sha256.h"
#include "server/sqlite_store.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::board {
namespace {

// Each kind opens its store, and changes its database behind the store's back.
struct SqliteKind {
  TemporaryFolder folder;
  std::unique_ptr<Store> Open() { return std::make_unique<SqliteStore>(folder.Path() / "board"); }
  void Execute(const std::string& sql) { EXPECT_TRUE(Accepts(sql)) << sql; }
  bool Accepts(const std::string& sql) {
    sqlite3* database = nullptr;
    sqlite3_open((folder.Path() / "board" / "board.sqlite").c_str(), &database);
    const bool done = sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(database);
    return done;
  }
};

struct PostgresKind {
  std::string database = PostgresServer::Shared() ? PostgresServer::Shared()->NewDatabase() : "";
  std::string error;  // the last statement's
  std::unique_ptr<Store> Open() { return std::make_unique<PostgresStore>(database); }
  void Execute(const std::string& sql) { EXPECT_TRUE(Accepts(sql)) << sql << ": " << error; }
  bool Accepts(const std::string& sql) {
    PGconn* connection = PQconnectdb(database.c_str());
    PGresult* result = PQexec(connection, sql.c_str());
    const bool done = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    error = PQerrorMessage(connection);
    PQclear(result);
    PQfinish(connection);
    return done;
  }
};

// The first schema's board: its lines came from the players and the rounds.
constexpr const char* kBackToTheFirstSchema =
    "DROP INDEX bests_lines; DROP INDEX bests_player; "
    "ALTER TABLE bests DROP COLUMN name; ALTER TABLE bests DROP COLUMN received_at; "
    "CREATE INDEX bests_order ON bests (board, score DESC, round_id); UPDATE schema_version SET version = 1";

template <typename Kind>
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store_ = kind_.Open(); }

  // A round of `player` (its install known by the name's first letter) claiming `score`, stored under
  // its own bytes.
  Round AddRound(const std::string& recording, const std::string& player, std::int32_t score,
                 std::uint32_t seed = 7, std::optional<Date> daily = std::nullopt) {
    return AddRoundOf(static_cast<char>(std::tolower(player[0])), recording, player, score, seed, daily);
  }

  // The same, of the install known by `install`, whatever its name.
  Round AddRoundOf(char install, const std::string& recording, const std::string& name, std::int32_t score,
                   std::uint32_t seed = 7, std::optional<Date> daily = std::nullopt) {
    RoundFacts facts{std::string(32, install), name, 1, seed, std::nullopt, score, daily, 1000};
    const AddOutcome outcome = store_->Add(Sha256Hex(recording), recording, facts, 100);
    EXPECT_TRUE(outcome.added && outcome.round) << recording;
    return outcome.round.value_or(Round{});
  }

  // Claims the next round and ranks it at its claimed score, or refuses it.
  std::int64_t SettleNext(bool rank, std::int32_t score) {
    std::unique_ptr<Claim> claim = store_->ClaimPending();
    EXPECT_TRUE(claim);
    if (!claim) return 0;
    if (rank) {
      claim->Rank(score, true);
    } else {
      claim->Refuse("does not verify", score);
    }
    return claim->Id();
  }

  Kind kind_;
  std::unique_ptr<Store> store_;
};

using Kinds = ::testing::Types<SqliteKind, PostgresKind>;
class KindNames {
 public:
  template <typename Kind>
  static std::string GetName(int) {
    return std::is_same_v<Kind, SqliteKind> ? "Sqlite" : "Postgres";
  }
};
TYPED_TEST_SUITE(StoreTest, Kinds, KindNames);

TYPED_TEST(StoreTest, KeepsEachRecordingOnceAndBoundsTheQueue) {
  const Round first = this->AddRound("recording one", "ann", 100);
  EXPECT_EQ(first.state, RoundState::Pending);
  EXPECT_EQ(first.facts.name, "ann");
  RoundFacts other{std::string(32, 'b'), "bob", 1, 9, std::nullopt, 5, std::nullopt, 2000};
  const AddOutcome again = this->store_->Add(Sha256Hex("recording one"), "recording one", other, 100);
  EXPECT_FALSE(again.added);
  ASSERT_TRUE(again.round);
  EXPECT_EQ(again.round->id, first.id);
  EXPECT_EQ(again.round->facts.name, "ann");  // the first sender's round, answered again

  this->AddRound("recording two", "bob", 5);
  const AddOutcome full = this->store_->Add(Sha256Hex("three"), "three", other, 2);
  EXPECT_TRUE(full.full);
  EXPECT_FALSE(full.round);
  EXPECT_FALSE(this->store_->Find(first.id + 2));
}

TYPED_TEST(StoreTest, BoardsShowEachPlayersBestByItsLatestName) {
  const Date day{2026, 12, 8};
  this->AddRound("a1", "ann", 300, 7, day);
  this->AddRound("b1", "bob", 500, 8);
  this->AddRound("a2", "ann", 200, 7);  // lower: not ann's best
  this->AddRound("c1", "cid", 500, 7);  // bob's 500 came first
  for (std::int32_t score : {300, 500, 200, 500}) this->SettleNext(true, score);
  this->AddRound("a3", "Ann <b>", 100, 9);  // a newer name, verified later
  this->SettleNext(true, 100);

  const std::vector<BoardLine> all = this->store_->Board(BoardKey::All(), 100);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].name, "bob");
  EXPECT_EQ(all[1].name, "cid");
  EXPECT_EQ(all[2].name, "Ann <b>");
  EXPECT_EQ(all[2].score, 300);
  EXPECT_EQ(all[2].rank, 3);
  EXPECT_EQ(this->store_->Board(BoardKey::All(), 2).size(), 2u);

  const std::vector<BoardLine> seven = this->store_->Board(BoardKey::OfSeed(7), 100);
  ASSERT_EQ(seven.size(), 2u);
  EXPECT_EQ(seven[0].score, 500);
  const std::vector<BoardLine> daily = this->store_->Board(BoardKey::Daily(day), 100);
  ASSERT_EQ(daily.size(), 1u);
  EXPECT_EQ(daily[0].score, 300);
  EXPECT_TRUE(this->store_->Board(BoardKey::Daily(DayAfter(day)), 100).empty());

  const std::optional<Round> annsBest = this->store_->Find(all[2].roundId);
  ASSERT_TRUE(annsBest);
  const Ranks ranks = this->store_->RanksOf(*annsBest);
  EXPECT_EQ(ranks.all, 3);
  EXPECT_EQ(ranks.seed, 2);
  EXPECT_EQ(ranks.daily, 1);
}

// Each line of `board` is one player's best round on it, at the rank RanksOf gives that round.
void ExpectLinesRankedOnce(Store& store, const BoardKey& board, std::optional<int> Ranks::*rankOn) {
  const std::vector<BoardLine> lines = store.Board(board, 1000);
  std::set<std::string> installs;
  for (const BoardLine& line : lines) {
    EXPECT_TRUE(installs.insert(line.installId).second) << board.Name() << ": " << line.installId;
    const std::optional<Round> round = store.Find(line.roundId);
    ASSERT_TRUE(round);
    EXPECT_EQ(round->facts.installId, line.installId);
    EXPECT_EQ(store.RanksOf(*round).*rankOn, line.rank) << board.Name() << ": " << line.name;
  }
}

TYPED_TEST(StoreTest, TiesKeepThePlayersFirstRoundWhateverTheOrderTheyAreVerifiedIn) {
  const Round annFirst = this->AddRound("a1", "ann", 500);
  const Round bob = this->AddRound("b1", "bob", 500);
  this->AddRound("a2", "ann", 500);  // the same score again, after bob's
  std::vector<std::unique_ptr<Claim>> claims;
  for (int round = 0; round < 3; ++round) claims.push_back(this->store_->ClaimPending());
  for (int round = 2; round >= 0; --round) claims[round]->Rank(500, true);  // the newest first

  const std::vector<BoardLine> all = this->store_->Board(BoardKey::All(), 100);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].roundId, annFirst.id);  // ann reached 500 before bob did
  EXPECT_EQ(all[1].roundId, bob.id);
  ExpectLinesRankedOnce(*this->store_, BoardKey::All(), &Ranks::all);
}

TYPED_TEST(StoreTest, ARoundOnlyOnTheBoardOfAllRoundsHasNoRankOnItsSeedsOrDaysBoard) {
  const Date day{2026, 12, 9};
  this->AddRound("b1", "bob", 900, 7, day);
  const Round ann = this->AddRound("a1", "ann", 100, 7, day);
  this->SettleNext(true, 900);
  std::unique_ptr<Claim> claim = this->store_->ClaimPending();
  ASSERT_TRUE(claim);
  claim->Rank(100, false);  // its rocks are not the seed's own: on no seed's or day's board
  const Ranks ranks = this->store_->RanksOf(*this->store_->Find(ann.id));
  EXPECT_EQ(ranks.all, 2);
  EXPECT_EQ(ranks.seed, std::nullopt);
  EXPECT_EQ(ranks.daily, std::nullopt);
}

// Players rename on every round, with names that SQL and text handling trip over, and their rounds are
// verified in an order of their own: every board shows each player once, by the latest round's name.
TYPED_TEST(StoreTest, RenamesOnEveryRoundVerifiedOutOfOrderLeaveOneLineAPlayerUnderTheLatestName) {
  std::string rockets;
  for (int i = 0; i < 24; ++i) rockets += "\xF0\x9F\x9A\x80";
  const std::vector<std::string> names = {"O'Brien \"the\" 2nd",
                                          "100% _a_",
                                          "back\\slash\\",
                                          rockets,
                                          "'); DELETE FROM bests; --",
                                          "ann",
                                          "%",
                                          "_"};
  const Date day{2026, 12, 9};
  std::map<char, std::string> latestName;
  for (std::size_t round = 0; round < 3 * names.size(); ++round) {
    const char install = "abc"[round % 3];
    const std::string& name = names[(round * 5) % names.size()];
    const std::uint32_t seed = round % 2 == 0 ? 7 : 8;
    const auto score = static_cast<std::int32_t>(round * 37 % 11);
    const std::optional<Date> daily = round % 4 == 0 ? std::optional<Date>(day) : std::nullopt;
    this->AddRoundOf(install, "round " + std::to_string(round), name, score, seed, daily);
    latestName[install] = name;
  }
  std::vector<std::unique_ptr<Claim>> claims;
  while (std::unique_ptr<Claim> claim = this->store_->ClaimPending()) claims.push_back(std::move(claim));
  ASSERT_EQ(claims.size(), 3 * names.size());
  for (std::size_t step = 0; step < claims.size(); ++step) {
    Claim& claim = *claims[(step * 7 + 3) % claims.size()];  // 7 and 24 share no factor: each once
    claim.Rank(static_cast<std::int32_t>((claim.Id() - claims[0]->Id()) * 37 % 11), claim.Id() % 3 != 0);
  }

  for (const BoardKey& board :
       {BoardKey::All(), BoardKey::OfSeed(7), BoardKey::OfSeed(8), BoardKey::Daily(day)}) {
    for (const BoardLine& line : this->store_->Board(board, 1000)) {
      EXPECT_EQ(line.name, latestName[line.installId[0]]) << board.Name();
    }
  }
  EXPECT_EQ(this->store_->Board(BoardKey::All(), 1000).size(), 3u);
  ExpectLinesRankedOnce(*this->store_, BoardKey::All(), &Ranks::all);
  ExpectLinesRankedOnce(*this->store_, BoardKey::OfSeed(7), &Ranks::seed);
  ExpectLinesRankedOnce(*this->store_, BoardKey::OfSeed(8), &Ranks::seed);
  ExpectLinesRankedOnce(*this->store_, BoardKey::Daily(day), &Ranks::daily);
}

TYPED_TEST(StoreTest, ClaimsHoldARoundUntilItIsSettledOnce) {
  const Round a = this->AddRound("a", "ann", 10);
  const Round b = this->AddRound("b", "bob", 20);
  std::unique_ptr<Claim> first = this->store_->ClaimPending();
  std::unique_ptr<Claim> second = this->store_->ClaimPending();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->Id(), a.id);
  EXPECT_EQ(first->Recording(), "a");
  EXPECT_EQ(second->Id(), b.id);
  EXPECT_FALSE(this->store_->ClaimPending());

  second.reset();  // dropped unsettled: b waits again
  first->Retry();  // a stopped a worker: counted, and waits again
  first.reset();
  first = this->store_->ClaimPending();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Id(), a.id);
  EXPECT_EQ(first->Failures(), 1);
  first->Refuse("it stopped the verifier twice", std::nullopt);
  first.reset();

  const std::optional<Round> refused = this->store_->Find(a.id);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->state, RoundState::Refused);
  EXPECT_EQ(refused->reason, "it stopped the verifier twice");
  EXPECT_FALSE(this->store_->VerifiedRecording(a.id));

  EXPECT_EQ(this->SettleNext(true, 20), b.id);
  EXPECT_EQ(this->store_->VerifiedRecording(b.id), "b");
  EXPECT_FALSE(this->store_->ClaimPending());
  EXPECT_EQ(this->store_->Find(b.id)->replayedScore, 20);
  EXPECT_EQ(this->store_->Board(BoardKey::All(), 100).size(), 1u);
}

TYPED_TEST(StoreTest, OpensAgainWhereItWasAndRefusesANewerSchema) {
  const Round round = this->AddRound("kept", "ann", 10);
  this->SettleNext(true, 10);
  this->store_.reset();
  this->store_ = this->kind_.Open();
  EXPECT_EQ(this->store_->Find(round.id)->state, RoundState::Verified);
  EXPECT_EQ(this->store_->Board(BoardKey::All(), 100).size(), 1u);

  this->store_.reset();
  this->kind_.Execute("UPDATE schema_version SET version = 99");
  try {
    this->kind_.Open();
    FAIL() << "opened a database of schema 99";
  } catch (const StoreError& error) {
    EXPECT_NE(std::string(error.what()).find("schema version 99"), std::string::npos) << error.what();
  }
}

TYPED_TEST(StoreTest, ABoardOfTheFirstSchemaKeepsItsLinesWhenMigrated) {
  this->AddRound("a1", "ann", 300);
  this->AddRound("b1", "bob", 500);
  this->AddRound("a2", "Ann II", 100);  // a newer name, on a lower score
  for (std::int32_t score : {300, 500, 100}) this->SettleNext(true, score);
  const std::vector<BoardLine> before = this->store_->Board(BoardKey::All(), 100);
  this->store_.reset();
  this->kind_.Execute(kBackToTheFirstSchema);
  this->store_ = this->kind_.Open();
  const std::vector<BoardLine> after = this->store_->Board(BoardKey::All(), 100);
  ASSERT_EQ(after.size(), 2u);
  for (std::size_t line = 0; line < after.size(); ++line) {
    EXPECT_EQ(after[line].name, before[line].name);
    EXPECT_EQ(after[line].score, before[line].score);
    EXPECT_EQ(after[line].roundId, before[line].roundId);
    EXPECT_EQ(after[line].receivedAt, 1000);
  }
  EXPECT_EQ(after[1].name, "Ann II");
  // A board of the first schema's build, still running on the database, cannot add a nameless line.
  EXPECT_FALSE(this->kind_.Accepts(
      "INSERT INTO bests (board, install_id, score, round_id) VALUES ('all', '" + std::string(32, 'c') +
      "', 1, 1)"));
}

TYPED_TEST(StoreTest, AMigrationThatFailsLeavesTheFirstSchemaAsItWas) {
  this->AddRound("a1", "ann", 300);
  this->SettleNext(true, 300);
  this->store_.reset();
  this->kind_.Execute(kBackToTheFirstSchema);
  this->kind_.Execute("DELETE FROM players");  // a line of nobody's: it has no name to copy
  EXPECT_THROW(this->kind_.Open(), StoreError);
  // Nothing of the failed step stayed: the first schema's board is whole, and migrates once mended.
  this->kind_.Execute(
      "INSERT INTO players (install_id, name, named_by) SELECT install_id, 'ann', round_id FROM bests "
      "WHERE board = 'all'");
  this->store_ = this->kind_.Open();
  const std::vector<BoardLine> all = this->store_->Board(BoardKey::All(), 100);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].name, "ann");
  EXPECT_EQ(all[0].receivedAt, 1000);
}

// SQLite: one board process a folder, and a folder it is.
TEST(SqliteStore, RefusesAFolderInUseAndAFileForAFolder) {
  TemporaryFolder folder;
  SqliteStore first(folder.Path() / "board");
  EXPECT_THROW(SqliteStore second(folder.Path() / "board"), StoreError);
  WriteWhole(folder.Path() / "file", "x");
  EXPECT_THROW(SqliteStore onAFile(folder.Path() / "file"), StoreError);
}

// PostgreSQL: several board processes share a database; a claim one holds, the others pass over, and
// one whose process went away is free again.
TEST(PostgresStore, ProcessesSharingADatabaseClaimDifferentRounds) {
  PostgresKind kind;
  PostgresStore one(kind.database + "&application_name=one");
  PostgresStore two(kind.database);
  for (const char* recording : {"a", "b"}) {
    RoundFacts facts{std::string(32, 'a'), "ann", 1, 7, std::nullopt, 10, std::nullopt, 1000};
    one.Add(Sha256Hex(recording), recording, facts, 100);
  }
  std::unique_ptr<Claim> held = one.ClaimPending();
  std::unique_ptr<Claim> other = two.ClaimPending();
  ASSERT_TRUE(held && other);
  EXPECT_NE(held->Id(), other->Id());
  EXPECT_FALSE(two.ClaimPending());

  // The holder's process dies: its connections end, and the lock with them.
  kind.Execute("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = 'one'");
  std::unique_ptr<Claim> again;
  for (int attempt = 0; attempt < 50 && !again; ++attempt) {
    again = two.ClaimPending();
    if (!again) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Id(), held->Id());
  EXPECT_THROW(held->Rank(10, true), StoreError);  // its connection is gone: nothing settled there
}

// Boards started at one moment on a database of the first schema: all come up, and one migrated it.
TEST(PostgresStore, BoardsStartingAtOnceOnTheFirstSchemaMigrateItOnce) {
  PostgresKind kind;
  {
    PostgresStore board(kind.database);
    RoundFacts facts{std::string(32, 'a'), "ann", 1, 7, std::nullopt, 10, std::nullopt, 1000};
    board.Add(Sha256Hex("a"), "a", facts, 100);
    board.ClaimPending()->Rank(10, true);
  }
  kind.Execute(kBackToTheFirstSchema);
  std::atomic<int> started = 0;
  std::vector<std::thread> boards;
  for (int board = 0; board < 4; ++board) {
    boards.emplace_back([&] {
      try {
        PostgresStore store(kind.database);
        if (store.Board(BoardKey::All(), 10).at(0).name == "ann") ++started;
      } catch (const std::exception& error) {
        ADD_FAILURE() << error.what();
      }
    });
  }
  for (std::thread& board : boards) board.join();
  EXPECT_EQ(started, 4);
  kind.Execute(
      "DO $$ BEGIN IF (SELECT array_agg(version) FROM schema_version) <> ARRAY[2] THEN "
      "RAISE EXCEPTION 'schema versions %', (SELECT array_agg(version) FROM schema_version); END IF; END $$");
}

// Two boards rank rounds of one player at one moment, each round under a new name: none waits for
// ever, and every line ends under the latest name, at the first round of the best score.
TEST(PostgresStore, BoardsRankingOnePlayersRenamedRoundsAtOnceKeepTheLatestName) {
  PostgresKind kind;
  PostgresStore one(kind.database), two(kind.database);
  constexpr int kRounds = 60;
  for (int round = 0; round < kRounds; ++round) {
    const std::string recording = std::to_string(round);
    RoundFacts facts{
        std::string(32, 'a'), "ann " + recording, 1, 7, std::nullopt, round % 5, std::nullopt, 1000};
    one.Add(Sha256Hex(recording), recording, facts, kRounds);
  }
  const auto verify = [](Store& store) {
    try {
      while (std::unique_ptr<Claim> claim = store.ClaimPending())
        claim->Rank(std::stoi(claim->Recording()) % 5, true);
    } catch (const StoreError& error) {
      ADD_FAILURE() << error.what();
    }
  };
  std::thread first(verify, std::ref(one)), second(verify, std::ref(two));
  first.join();
  second.join();
  for (const BoardKey& board : {BoardKey::All(), BoardKey::OfSeed(7)}) {
    const std::vector<BoardLine> lines = one.Board(board, 10);
    ASSERT_EQ(lines.size(), 1u) << board.Name();
    EXPECT_EQ(lines[0].name, "ann " + std::to_string(kRounds - 1));
    EXPECT_EQ(lines[0].score, 4);
    EXPECT_EQ(one.Find(lines[0].roundId)->facts.name, "ann 4");
  }
}

}  // namespace
}  // namespace pellaris::board
