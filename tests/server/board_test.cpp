// Whole pellaris-board processes on loopback: rounds the game recorded are verified and ranked, and
// changed copies refused; hostile clients get clear refusals or closed connections while the board
// keeps serving; and a board killed under load loses no round it answered, on SQLite and on
// PostgreSQL, with two boards on one PostgreSQL verifying each round once.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <signal.h>
#include <atomic>
#include <boost/json.hpp>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <thread>

#include "board_process.h"
#include "http_client.h"
#include "postgres_server.h"
#include "recorded_round.h"
#include "server/daily.h"
#include "server/round_check.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::board {
namespace {

namespace json = boost::json;
using namespace std::chrono_literals;

// Short timeouts, so that the tests of slow clients end soon.
const std::vector<std::string> kQuick = {"--read-timeout", "1500", "--idle-timeout",     "1500",
                                         "--workers",      "2",    "--submission-burst", "100"};
// Rounds sent as fast as the clients go.
const std::vector<std::string> kBusy = {"--workers",       "2",   "--submission-burst", "1000",
                                        "--request-burst", "1000"};

std::string InstallId(int player) {
  char id[33];
  std::snprintf(id, sizeof id, "%032x", player);
  return id;
}

std::string Submit(const std::string& name, int player, const std::string& extra = "") {
  return "/api/rounds?name=" + name + "&install=" + InstallId(player) + extra;
}

json::value Json(const HttpAnswer& answer) {
  boost::system::error_code error;
  json::value value = json::parse(answer.body, error);
  EXPECT_FALSE(error) << answer.status << " " << answer.body;
  return value;
}

std::string Text(const json::value& value, const char* key) {
  const json::value* field = value.is_object() ? value.as_object().if_contains(key) : nullptr;
  return field && field->is_string() ? std::string(field->as_string()) : "";
}

std::int64_t Number(const json::value& value, const char* key) {
  const json::value* field = value.is_object() ? value.as_object().if_contains(key) : nullptr;
  return field && field->is_int64() ? field->as_int64() : -1;
}

json::array Lines(const std::string& address, const std::string& board) {
  const json::value value = Json(Fetch(address, "GET", "/api/boards/" + board));
  const json::value* lines = value.is_object() ? value.as_object().if_contains("lines") : nullptr;
  return lines && lines->is_array() ? lines->as_array() : json::array{};
}

// Asks for the round until it is settled, for up to a minute.
json::value Settled(const std::string& address, std::int64_t id) {
  json::value round;
  for (int attempt = 0; attempt < 600; ++attempt) {
    round = Json(Fetch(address, "GET", "/api/rounds/" + std::to_string(id)));
    if (Text(round, "state") != "pending") break;
    std::this_thread::sleep_for(100ms);
  }
  return round;
}

// The board's final answer to a round: a round still pending after the second the board waits (a
// crowded machine, the sanitizers) is asked for until it is settled, then sent again, which gets the
// same answer as the first sender.
HttpAnswer Answered(const std::string& address, const std::string& target, const std::string& body) {
  HttpAnswer answer = Fetch(address, "POST", target, body);
  if (answer.status != 202) return answer;
  Settled(address, Number(Json(answer), "id"));
  return Fetch(address, "POST", target, body);
}

// The same round, made distinct bytes by a comment.
std::string Variant(const std::string& recording, int n) {
  return recording + "# variant " + std::to_string(n) + "\n";
}

// A board for a test: one still running at the end stops cleanly (under the sanitizers too), and
// what it said is told when the test fails.
class TestBoard : public BoardProcess {
 public:
  using BoardProcess::BoardProcess;
  TestBoard(const TestBoard&) = delete;
  TestBoard& operator=(const TestBoard&) = delete;
  ~TestBoard() {
    if (Pid() > 0) {
      EXPECT_EQ(Stop(), 0);
    }
    if (::testing::Test::HasFailure()) std::cerr << "The board said:\n" << Log();
  }
};

class Board : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    recording_ = RecordRound(77);
    const Date today = play::UtcDateOf(NowMilliseconds() / 1000);
    daily_ = RecordRound(DailySeedOf(today, kRulesVersion));
    today_ = play::DateText(today);
    claimedScore_ = ReadRound(recording_).claimedScore.value_or(0);
  }

  static inline std::string recording_, daily_, today_;
  static inline std::int32_t claimedScore_ = 0;
  TemporaryFolder folder_;
};

TEST_F(Board, VerifiesRanksAndServesARecordedRound) {
  std::filesystem::create_directories(folder_.Path() / "page");
  WriteWhole(folder_.Path() / "page" / "index.html", "<p>the game</p>");
  WriteWhole(folder_.Path() / "page" / "pellaris.wasm", "\x00asm");
  std::vector<std::string> options = kQuick;
  options.insert(options.end(), {"--data", (folder_.Path() / "board").string(), "--page",
                                 (folder_.Path() / "page").string()});
  TestBoard board(options);
  ASSERT_TRUE(board.Listening()) << board.Log();
  const std::string at = board.Address();
  EXPECT_EQ(Fetch(at, "GET", "/play/").body, "<p>the game</p>");
  EXPECT_EQ(Fetch(at, "GET", "/play/pellaris.wasm").headers["content-type"], "application/wasm");
  EXPECT_EQ(Fetch(at, "GET", "/play/../board/board.sqlite").status, 404);

  ASSERT_GT(claimedScore_, 0) << "no round recorded:\n" << recording_;
  const HttpAnswer first = Fetch(at, "POST", Submit("Ann+%3Cb%3E%22", 1), recording_);
  ASSERT_TRUE(first.status == 201 || first.status == 202) << first.body;
  const HttpAnswer answer = Answered(at, Submit("Ann+%3Cb%3E%22", 1), recording_);
  ASSERT_EQ(answer.status, 201) << answer.body;
  const json::value round = Json(answer);
  EXPECT_EQ(Text(round, "state"), "verified");
  EXPECT_EQ(Text(round, "name"), "Ann <b>\"");
  EXPECT_EQ(Number(round, "score"), claimedScore_);
  EXPECT_EQ(round.at("rank").at("all").as_int64(), 1);
  EXPECT_EQ(answer.headers.at("location"), "/api/rounds/" + std::to_string(Number(round, "id")));

  const HttpAnswer again = Fetch(at, "POST", Submit("Bob", 2), recording_);  // the same bytes
  EXPECT_EQ(again.status, 201);
  EXPECT_EQ(Number(Json(again), "id"), Number(round, "id"));
  EXPECT_EQ(Text(Json(again), "name"), "Ann <b>\"");

  const std::string changed = Changed(recording_, "38 key down 29\n", "38 key down 29\n39 key up 29\n");
  const HttpAnswer refused = Answered(at, Submit("Cid", 3), changed);
  EXPECT_EQ(refused.status, 422) << refused.body;
  EXPECT_EQ(Text(Json(refused), "error"), "does-not-verify");
  const std::int64_t refusedId = Number(Json(refused), "id");
  EXPECT_EQ(Text(Json(Fetch(at, "GET", "/api/rounds/" + std::to_string(refusedId))), "state"), "refused");
  EXPECT_EQ(Fetch(at, "GET", "/api/rounds/" + std::to_string(refusedId) + "/recording").status, 404);

  const json::array all = Lines(at, "all");
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(Text(all[0], "name"), "Ann <b>\"");
  EXPECT_EQ(Lines(at, "seed/77").size(), 1u);
  const HttpAnswer ghost =
      Fetch(at, "GET", "/api/rounds/" + std::to_string(Number(round, "id")) + "/recording");
  EXPECT_EQ(ghost.status, 200);
  EXPECT_EQ(ghost.body, recording_);
  const HttpAnswer page = Fetch(at, "GET", "/");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("Ann &lt;b&gt;&quot;"), std::string::npos);
  EXPECT_EQ(page.body.find("<b>\""), std::string::npos);
  EXPECT_NE(page.body.find("Daily challenge, " + today_), std::string::npos);
  EXPECT_NE(page.body.find("href=\"/play/\""), std::string::npos);
  EXPECT_EQ(Fetch(at, "GET", "/board.js").status, 200);
}

TEST_F(Board, DailyRoundsCountOnTheirDaysBoardOnly) {
  TestBoard board({"--data", (folder_.Path() / "board").string(), "--submission-burst", "100"});
  ASSERT_TRUE(board.Listening()) << board.Log();
  const std::string at = board.Address();
  const HttpAnswer wrongSeed = Fetch(at, "POST", Submit("Ann", 1, "&daily=" + today_), recording_);
  EXPECT_EQ(wrongSeed.status, 422);
  EXPECT_EQ(Text(Json(wrongSeed), "error"), "wrong-daily");
  const HttpAnswer closed = Fetch(at, "POST", Submit("Ann", 1, "&daily=2020-01-01"), daily_);
  EXPECT_EQ(closed.status, 422);

  const HttpAnswer daily = Answered(at, Submit("Ann", 1, "&daily=" + today_), daily_);
  ASSERT_EQ(daily.status, 201) << daily.body;
  EXPECT_EQ(Text(Json(daily), "daily"), today_);
  EXPECT_EQ(Json(daily).at("rank").at("daily").as_int64(), 1);
  // Played again (other bytes, the same score), it stays one line: the player's best.
  EXPECT_EQ(Answered(at, Submit("Ann", 1), Variant(daily_, 1)).status, 201);
  const json::array lines = Lines(at, "daily/" + today_);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Number(lines[0], "round"), Number(Json(daily), "id"));
  EXPECT_TRUE(Lines(at, "daily/2020-01-01").empty());
}

TEST_F(Board, RefusesHostileSubmissionsAndKeepsServing) {
  std::vector<std::string> options = kQuick;
  options.insert(options.end(), {"--data", (folder_.Path() / "board").string(), "--request-burst", "1000",
                                 "--header-limit", "2048"});
  TestBoard board(options);
  ASSERT_TRUE(board.Listening()) << board.Log();
  const std::string at = board.Address();
  const std::string end = " end " + std::to_string(claimedScore_);
  struct Case {
    const char* what;
    std::string target, body;
    std::set<int> statuses;  // 0: closed
  };
  const std::vector<Case> cases = {
      {"malformed", Submit("Ann", 1), "hello board\n", {400}},
      {"truncated mid-line",
       Submit("Ann", 1),
       recording_.substr(0, recording_.find(" key down 29") + 6),
       {422}},  // the partial last line is left out: what remains has no end
      {"cut short",
       Submit("Ann", 1),
       recording_.substr(0, recording_.rfind('\n', recording_.find(end)) + 1),
       {422}},
      {"binary",
       Submit("Ann", 1),
       std::string("\x7f"
                   "ELF\0\1\2\xff\xfe",
                   9) +
           recording_,
       {400}},
      {"10 MB", Submit("Ann", 1), std::string(10 << 20, 'x'), {413, 0}},
      {"a newer format", Submit("Ann", 1), "pellaris-recording 3\nrules 2\nseed 1\n", {400}},
      {"other rules", Submit("Ann", 1), Changed(recording_, "\nrules 1\n", "\nrules 2\n"), {422}},
      {"a whole session (format 1)",
       Submit("Ann", 1),
       "pellaris-recording 1\nseed 1\nround 3\n5 end 10\n",
       {400}},
      {"pass 2,000,000,000", Submit("Ann", 1), recording_ + "2000000000 key up 29\n", {400}},
      {"a daily of another seed", Submit("Ann", 1, "&daily=" + today_), recording_, {422}},
      {"control bytes in the name", Submit("A%01n", 1), recording_, {400}},
      {"a newline in the name", Submit("A%0D%0ASet-Cookie:+x", 1), recording_, {400}},
      {"a name too long", Submit(std::string(25, 'n'), 1), recording_, {400}},
      {"no install id", "/api/rounds?name=Ann", recording_, {400}},
      {"a broken escape", "/api/rounds?name=%E", recording_, {400}},
      {"headers too large", Submit("Ann", 1) + "&x=" + std::string(4000, 'x'), recording_, {431, 400}},
  };
  for (const Case& c : cases) {
    const HttpAnswer answer = Fetch(at, "POST", c.target, c.body);
    EXPECT_TRUE(c.statuses.count(answer.status)) << c.what << ": " << answer.status << " " << answer.body;
    if (answer.status != 0 && answer.status != 431) {
      EXPECT_FALSE(Text(Json(answer), "error").empty()) << c.what;
    }
  }
  EXPECT_EQ(Fetch(at, "GET", "/api/rounds/1").status, 404);  // none of them stored

  // A forged score, or a forged start, is stored only as refused, never ranked.
  const HttpAnswer forged = Answered(at, Submit("Ann", 1), Changed(recording_, end, end + "0"));
  EXPECT_EQ(forged.status, 422) << forged.body;
  const HttpAnswer forgedStart =
      Answered(at, Submit("Ann", 1), Changed(recording_, "\ngame 0 ", "\ngame 5000 "));
  EXPECT_EQ(forgedStart.status, 422) << forgedStart.body;
  EXPECT_NE(forgedStart.body.find("no game of its seed starts a round as it does"), std::string::npos)
      << forgedStart.body;
  EXPECT_EQ(Fetch(at, "GET", "/api/rounds/1/recording").status, 404);
  EXPECT_TRUE(Lines(at, "all").empty());
  EXPECT_EQ(Fetch(at, "GET", "/api/boards/daily/2026-02-30").status, 404);
  EXPECT_EQ(Fetch(at, "DELETE", "/api/rounds/1").status, 405);
  EXPECT_EQ(Answered(at, Submit("Ann", 1), recording_).status, 201);  // and it still serves
}

TEST_F(Board, SlowAndCrowdingClientsCannotHoldIt) {
  std::vector<std::string> options = kQuick;
  options.insert(options.end(), {"--data", (folder_.Path() / "board").string(), "--max-connections", "200",
                                 "--max-connections-per-address", "100", "--request-burst", "100000"});
  TestBoard board(options);
  ASSERT_TRUE(board.Listening()) << board.Log();
  const std::string at = board.Address();
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8192);
  setrlimit(RLIMIT_NOFILE, &files);

  // A byte a second, in the headers and in the body: cut off by the read timeout.
  std::vector<std::thread> slow;
  std::atomic<int> cutOff = 0;
  const std::vector<std::string> starts = {
      "GET / HTTP/1.1\r\n", "POST " + Submit("Ann", 1) + " HTTP/1.1\r\nContent-Length: 90\r\n\r\n"};
  for (const std::string& start : starts) {
    slow.emplace_back([&, start] {
      HttpConnection connection(at, 6s);
      bool open = connection.Send(start);
      for (int second = 0; second < 6 && open; ++second) {
        std::this_thread::sleep_for(1s);
        open = connection.Send("x");
      }
      if (!open || connection.ClosedByServer()) ++cutOff;
    });
  }
  // Thousands of connections at once: those over the caps are closed at once, the rest when idle.
  std::vector<std::unique_ptr<HttpConnection>> crowd;
  for (int i = 0; i < 3000; ++i) crowd.push_back(std::make_unique<HttpConnection>(at, 4s));
  int closed = 0;
  for (auto& connection : crowd) closed += !connection->Connected() || connection->ClosedByServer();
  EXPECT_EQ(closed, 3000);
  for (std::thread& thread : slow) thread.join();
  EXPECT_EQ(cutOff, 2);
  EXPECT_EQ(Fetch(at, "GET", "/api/boards/all").status, 200);
  crowd.clear();
  EXPECT_EQ(Fetch(at, "GET", "/").status, 200);
}

TEST_F(Board, BehindAProxyEachClientIsLimitedByTheAddressItNames) {
  TestBoard board({"--data", (folder_.Path() / "board").string(), "--proxy-header", "X-Real-IP",
                   "--requests-per-second", "1", "--request-burst", "2"});
  ASSERT_TRUE(board.Listening()) << board.Log();
  const auto get = [&](const std::string& client) {
    HttpConnection connection(board.Address());
    connection.Send("GET /api/boards/all HTTP/1.1\r\nHost: board\r\nX-Real-IP: " + client + "\r\n\r\n");
    return connection.Receive().status;
  };
  EXPECT_EQ(get("192.0.2.1"), 200);
  EXPECT_EQ(get("192.0.2.1"), 200);
  EXPECT_EQ(get("192.0.2.1"), 429);
  EXPECT_EQ(get("2001:db8::1"), 200);
  EXPECT_EQ(get("2001:db8::1"), 200);
  EXPECT_EQ(get("2001:db8::2"), 429);     // the same /64
  EXPECT_EQ(get("not an address"), 200);  // the proxy itself, then
}

// The board's worker processes: its children.
std::vector<pid_t> WorkersOf(pid_t board) {
  std::vector<pid_t> workers;
  std::error_code error;
  for (const auto& task :
       std::filesystem::directory_iterator("/proc/" + std::to_string(board) + "/task", error)) {
    std::ifstream children(task.path() / "children");
    for (pid_t child = 0; children >> child;) workers.push_back(child);
  }
  return workers;
}

TEST_F(Board, RoundsThatStopWorkersAreRefusedWithTheReason) {
  TestBoard board({"--data", (folder_.Path() / "board").string(), "--workers", "1"});
  ASSERT_TRUE(board.Listening()) << board.Log();
  // Every worker is killed as soon as it is seen, until the round is settled: it is refused once it has
  // stopped two of them (a worker killed between rounds costs no round anything).
  std::atomic<bool> settled = false;
  std::thread killer([&] {
    for (const auto until = std::chrono::steady_clock::now() + 20s;
         !settled && std::chrono::steady_clock::now() < until;) {
      for (const pid_t worker : WorkersOf(board.Pid())) kill(worker, SIGKILL);
      std::this_thread::sleep_for(2ms);
    }
  });
  const HttpAnswer answer = Fetch(board.Address(), "POST", Submit("Ann", 1), recording_);
  const json::value round = answer.status == 202 || answer.status == 422
                                ? Settled(board.Address(), Number(Json(answer), "id"))
                                : json::value();
  settled = true;
  killer.join();
  ASSERT_TRUE(answer.status == 202 || answer.status == 422) << answer.body;
  EXPECT_EQ(Text(round, "state"), "refused");
  EXPECT_NE(Text(round, "reason").find("2 times"), std::string::npos) << Text(round, "reason");
  // Its workers were replaced: the next round (the same, in other bytes) verifies.
  EXPECT_EQ(Answered(board.Address(), Submit("Bob", 2), recording_ + "# sent again\n").status, 201);
}

// Sends the rounds from several clients at once, killing `victim` after `killAfter` answers; returns
// the ids of the rounds answered 201 or 202.
std::set<std::int64_t> SendKilling(const std::vector<std::string>& addresses,
                                   const std::vector<std::string>& rounds, BoardProcess& victim,
                                   std::size_t killAfter) {
  std::mutex mutex;
  std::set<std::int64_t> answered;
  std::atomic<std::size_t> next = 0;
  std::vector<std::thread> clients;
  for (int client = 0; client < 4; ++client) {
    clients.emplace_back([&] {
      for (std::size_t i = next++; i < rounds.size(); i = next++) {
        const HttpAnswer answer =
            Fetch(addresses[i % addresses.size()], "POST",
                  Submit("p" + std::to_string(i), 100 + static_cast<int>(i)), rounds[i]);
        std::lock_guard lock(mutex);
        if (answer.status == 201 || answer.status == 202) answered.insert(Number(Json(answer), "id"));
        if (answered.size() == killAfter) victim.Kill();
      }
    });
  }
  for (std::thread& client : clients) client.join();
  return answered;
}

// Every answered round verified, each once on the board.
void ExpectAllRanked(const std::string& address, const std::set<std::int64_t>& answered) {
  for (std::int64_t id : answered) EXPECT_EQ(Text(Settled(address, id), "state"), "verified") << id;
  const json::array lines = Lines(address, "all");
  std::set<std::int64_t> ranked;
  for (const json::value& line : lines) EXPECT_TRUE(ranked.insert(Number(line, "round")).second);
  for (std::int64_t id : answered) EXPECT_TRUE(ranked.count(id)) << id;
}

std::vector<std::string> Variants(const std::string& recording, int count) {
  std::vector<std::string> rounds;
  for (int i = 0; i < count; ++i) rounds.push_back(Variant(recording, i));
  return rounds;
}

TEST_F(Board, KilledUnderLoadLosesNoRoundOnSqlite) {
  std::vector<std::string> options = kBusy;
  options.insert(options.end(), {"--data", (folder_.Path() / "board").string()});
  std::set<std::int64_t> answered;
  {
    TestBoard board(options);
    ASSERT_TRUE(board.Listening()) << board.Log();
    answered = SendKilling({board.Address()}, Variants(recording_, 16), board, 6);
  }
  EXPECT_GE(answered.size(), 6u);
  {
    TestBoard again(options);
    ASSERT_TRUE(again.Listening()) << again.Log();
    ExpectAllRanked(again.Address(), answered);
  }
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open((folder_.Path() / "board" / "board.sqlite").c_str(), &database), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  sqlite3_prepare_v2(database, "PRAGMA integrity_check", -1, &check, nullptr);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(database);
}

TEST_F(Board, KilledUnderLoadLosesNoRoundOnPostgres) {
  PostgresServer* server = PostgresServer::Shared();
  ASSERT_TRUE(server);
  std::vector<std::string> options = kBusy;
  options.insert(options.end(), {"--database", server->NewDatabase()});
  std::set<std::int64_t> answered;
  {
    TestBoard board(options);
    ASSERT_TRUE(board.Listening()) << board.Log();
    answered = SendKilling({board.Address()}, Variants(recording_, 16), board, 6);
  }
  TestBoard again(options);
  ASSERT_TRUE(again.Listening()) << again.Log();
  ExpectAllRanked(again.Address(), answered);
}

TEST_F(Board, TwoBoardsOnOnePostgresVerifyEachRoundOnce) {
  PostgresServer* server = PostgresServer::Shared();
  ASSERT_TRUE(server);
  std::vector<std::string> options = kBusy;
  options.insert(options.end(), {"--database", server->NewDatabase()});
  TestBoard one(options), two(options);
  ASSERT_TRUE(one.Listening() && two.Listening()) << one.Log() << two.Log();
  // Rounds go to both; one of them dies halfway, with rounds under way.
  const std::set<std::int64_t> answered =
      SendKilling({one.Address(), two.Address()}, Variants(recording_, 24), one, 10);
  ExpectAllRanked(two.Address(), answered);
  std::map<std::string, int> settled;
  for (const std::string& log : {one.Log(), two.Log()}) {
    for (std::size_t at = log.find("round "); at != std::string::npos; at = log.find("round ", at + 1)) {
      const std::string line = log.substr(at, log.find('\n', at) - at);
      if (line.find(" ranked") != std::string::npos) ++settled[line.substr(0, line.find(" ranked"))];
    }
  }
  for (std::int64_t id : answered) EXPECT_EQ(settled["round " + std::to_string(id)], 1) << id;
}

}  // namespace
}  // namespace pellaris::board
