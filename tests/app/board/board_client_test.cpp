// The game's side of the score board, against real pellaris-board processes on loopback: rounds the
// game records are sent, ranked and their rank shown; rounds wait in the outbox while the board is
// away and go when it is back; refusals are final, a busy board's wait is kept, and the program ends
// at once whatever the board does. And the board's answers as the game reads them.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/board/board_api.h"
#include "app/board/board_print.h"
#include "app/board/courier.h"
#include "board_process.h"
#include "game/game.h"
#include "play/daily.h"
#include "play/format/printable.h"
#include "recorded_round.h"
#include "runtime/display/screen.h"
#include "server/round_check.h"
#include "tests/play/session/session_run.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::app {
namespace {

using namespace std::chrono_literals;
using board::BoardProcess;
using board::RecordRound;
using play::BoardRank;

constexpr auto kPatience = 60s;  // for a board on a crowded machine, under the sanitizers
const std::vector<std::string> kLenient = {"--workers", "1", "--submission-burst", "100"};

std::string InstallId(int player) {
  char id[33];
  std::snprintf(id, sizeof id, "%032x", player);
  return id;
}

// The same round, made distinct bytes by a comment: another round to the board.
std::string Variant(const std::string& recording, int n) {
  return recording + "# variant " + std::to_string(n) + "\n";
}

// A board for a test, whose log is shown when the test fails.
class TestBoard : public BoardProcess {
 public:
  explicit TestBoard(const std::vector<std::string>& options) : BoardProcess(options) {
    EXPECT_TRUE(Listening()) << Log();
  }
  TestBoard(const TestBoard&) = delete;
  TestBoard& operator=(const TestBoard&) = delete;
  ~TestBoard() {
    if (::testing::Test::HasFailure()) std::cerr << "The board said:\n" << Log();
  }
  std::string Url() const { return "http://" + Address(); }
};

class BoardClient : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    today_ = play::UtcDateOf(std::time(nullptr));
    recording_ = RecordRound(77);
    daily_ = RecordRound(play::DailySeed(today_, kRulesVersion));
  }

  std::vector<std::string> Options(std::vector<std::string> more = {}) const {
    more.insert(more.begin(), kLenient.begin(), kLenient.end());
    more.insert(more.end(), {"--data", (folder_.Path() / "board").string()});
    return more;
  }
  BoardSetup SetupFor(const std::string& url, int player) const {
    BoardSetup setup;
    setup.url = url;
    setup.name = "Player " + std::to_string(player);
    setup.installId = InstallId(player);
    setup.replaysFolder = folder_.Path() / "replays";
    setup.outboxFolder = folder_.Path() / "outbox";
    return setup;
  }
  // A round in the replays folder, named as the recorder names them.
  std::string Recorded(int second, const std::string& text) const {
    const std::string name =
        "2026-01-02_03-04-" + std::string(second < 10 ? "0" : "") + std::to_string(second) + "_100.rec";
    std::filesystem::create_directories(folder_.Path() / "replays");
    WriteWhole(folder_.Path() / "replays" / name, text);
    return name;
  }
  std::vector<std::string> Waiting() const {
    std::error_code missing;
    return std::filesystem::exists(Outbox(), missing) ? FolderEntries(Outbox()) : std::vector<std::string>{};
  }
  std::filesystem::path Outbox() const { return folder_.Path() / "outbox"; }
  static std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  static inline play::UtcDate today_;
  static inline std::string recording_, daily_;
  TemporaryFolder folder_;
  std::ostringstream report_;
};

TEST_F(BoardClient, ARoundPlayedIsSentRankedAndItsRankShownOnItsGameOverScreen) {
  TestBoard board(Options());
  struct Case {
    bool daily;
    BoardRank rank;
  };
  int player = 0;
  for (const Case& c : {Case{false, {1, false}}, Case{true, {1, true}}}) {
    SCOPED_TRACE(c.daily ? "the daily" : "a round");
    play::SessionRun run;
    run.Setup().replaysFolder = run.Folder() / "replays";
    run.Setup().recording.program = "test";
    run.Setup().recording.seed = c.daily ? play::DailySeed(today_, kRulesVersion) : 77;
    BoardSetup setup = SetupFor(board.Url(), ++player);
    setup.replaysFolder = run.Setup().replaysFolder;
    if (c.daily) setup.daily = today_;
    BoardCourier courier(setup, report_);
    std::string ended;
    run.Setup().roundEnded = [&](std::int32_t, const std::string& recording) {
      ended = recording;
      courier.RoundEnded(recording);
    };
    run.Setup().boardRank = [&](const std::string& recording) { return courier.RankOf(recording); };
    run.Machine().SetKeptFrames(1);
    run.Press(2, play::kKeyEnter);
    run.Machine().At(50, play::Action::JumpClock(121));
    bool idle = false, rankShown = false;
    run.Run(70, [&](int frame, play::Session&) {
      if (frame == 60) idle = courier.WaitUntilIdle(kPatience);
      if (frame == 65)
        rankShown = play::ShownDiffersFromGame(run.Machine(), play::OverlayVideo::kRankTop,
                                         play::OverlayVideo::kRankTop + 20);
    });
    EXPECT_TRUE(idle);
    EXPECT_EQ(courier.RankOf(ended), c.rank);
    EXPECT_TRUE(rankShown);
    EXPECT_TRUE(Waiting().empty());
  }
}

TEST_F(BoardClient, WhileTheBoardIsAwayRoundsWaitInTheOutboxAndGoWhenItAnswersAfterTheNextRound) {
  std::string address;
  {
    TestBoard first(Options());
    address = first.Address();
  }  // stopped: nothing answers there now
  const std::string url = "http://" + address;
  std::vector<std::string> rounds;
  {
    BoardCourier courier(SetupFor(url, 1), report_);
    for (int round = 1; round <= 2; ++round) {
      rounds.push_back(Recorded(round, Variant(recording_, round)));
      courier.RoundEnded(rounds.back());
      ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
    }
    EXPECT_EQ(Waiting().size(), 2u);

    std::vector<std::string> options = Options({"--listen", address});
    TestBoard again(options);
    rounds.push_back(Recorded(3, Variant(recording_, 3)));
    courier.RoundEnded(rounds.back());
    ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
    EXPECT_TRUE(Waiting().empty());
    for (const std::string& round : rounds) EXPECT_EQ(courier.RankOf(round), (BoardRank{1, false})) << round;
  }
  EXPECT_EQ(Count(report_.str(), "did not answer"), 1u) << report_.str();
}

// What a run left in the outbox goes when the next starts; the board's refusals are final, said once
// each, and files in the outbox that are not the game's stay as they are.
TEST_F(BoardClient, RoundsLeftWaitingGoAtTheNextStartAndARefusalIsFinal) {
  TestBoard board(Options());
  std::filesystem::create_directories(Outbox());
  const std::string daily = "daily-" + play::DateText(today_) + "_2026-01-02_03-04-01_100.rec";
  WriteWhole(Outbox() / "2026-01-02_03-04-02_100.rec", recording_);
  WriteWhole(Outbox() / "2026-01-02_03-04-03_100.rec",
             board::Changed(recording_, "\ngame 0 ", "\ngame 5000 "));
  WriteWhole(Outbox() / "2026-01-02_03-04-04_100.rec", "hello board\n");
  WriteWhole(Outbox() / daily, daily_);
  WriteWhole(Outbox() / "notes.txt", "mine");
  {
    BoardCourier courier(SetupFor(board.Url(), 1), report_);
    ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
    EXPECT_EQ(Waiting(), std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(courier.RankOf("2026-01-02_03-04-01_100.rec"), (BoardRank{1, true}));
    EXPECT_EQ(courier.RankOf("2026-01-02_03-04-02_100.rec"), (BoardRank{1, false}));
    EXPECT_FALSE(courier.RankOf("2026-01-02_03-04-03_100.rec"));
  }
  const std::string report = report_.str();
  EXPECT_EQ(Count(report, "refused the round 2026-01-02_03-04-03_100.rec: "), 1u) << report;
  EXPECT_EQ(Count(report, "refused the round 2026-01-02_03-04-04_100.rec: "), 1u) << report;
  EXPECT_EQ(Count(report, "\n"), 2u) << report;
}

// Whatever else the outbox holds (by mistake, another program, or someone meaning harm) is neither
// read nor sent nor deleted, and costs no wait: only the rounds the game put there go.
TEST_F(BoardClient, WhatElseTheOutboxHoldsIsLeftAloneAndTheRoundsStillGo) {
  TestBoard board(Options());
  std::filesystem::create_directories(Outbox());
  const std::vector<std::string> others = {"2026-01-02_03-04-05_100.rec",  // a symlink to an endless file
                                           "2026-01-02_03-04-06_100.rec",  // a FIFO no one writes to
                                           "2026-01-02_03-04-07_100.rec",  // a folder
                                           "2026-01-02_03-04-08_100.rec",  // larger than any recording
                                           "2026-01-02_03-04-09_100.rec\nx", "my round.rec"};
  std::filesystem::create_symlink("/dev/zero", Outbox() / others[0]);
  ASSERT_EQ(mkfifo((Outbox() / others[1]).c_str(), 0600), 0);
  std::filesystem::create_directory(Outbox() / others[2]);
  WriteWhole(Outbox() / others[3], "");
  std::filesystem::resize_file(Outbox() / others[3], play::kLargestRecording + 1);
  WriteWhole(Outbox() / others[4], recording_);
  WriteWhole(Outbox() / others[5], recording_);
  const std::string round = Recorded(1, recording_);
  {
    BoardCourier courier(SetupFor(board.Url(), 1), report_);
    courier.RoundEnded(round);
    ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
    EXPECT_EQ(courier.RankOf(round), (BoardRank{1, false}));
  }
  std::vector<std::string> left = Waiting(), expected = others;
  std::sort(left.begin(), left.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

// An outbox that cannot be written says why once per round, and the program goes on.
TEST_F(BoardClient, AnOutboxThatIsAFileSaysWhyTheRoundCannotWait) {
  WriteWhole(Outbox(), "not a folder");
  {
    BoardCourier courier(SetupFor("http://127.0.0.1:1", 1), report_);
    courier.RoundEnded(Recorded(1, recording_));
    ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
  }
  EXPECT_EQ(Count(report_.str(), "the round 2026-01-02_03-04-01_100.rec cannot wait for the score board: "),
            1u)
      << report_.str();
  EXPECT_EQ(ReadWhole(Outbox()), "not a folder");
}

// Two games at once share the outbox: a round both send is one round to the board, and none is lost
// or refused.
TEST_F(BoardClient, TwoGamesSendingTheSameOutboxLoseAndRefuseNothing) {
  TestBoard board(Options());
  std::filesystem::create_directories(Outbox());
  std::vector<std::string> rounds;
  for (int round = 1; round <= 6; ++round) {
    rounds.push_back(Recorded(round, Variant(recording_, round)));
    WriteWhole(Outbox() / rounds.back(), Variant(recording_, round));
  }
  std::ostringstream otherReport;
  {
    BoardCourier one(SetupFor(board.Url(), 1), report_), other(SetupFor(board.Url(), 1), otherReport);
    ASSERT_TRUE(one.WaitUntilIdle(kPatience));
    ASSERT_TRUE(other.WaitUntilIdle(kPatience));
    for (const std::string& round : rounds) {
      EXPECT_TRUE(one.RankOf(round) || other.RankOf(round)) << round;
    }
  }
  EXPECT_TRUE(Waiting().empty());
  EXPECT_EQ(report_.str() + otherReport.str(), "");
}

// A listening socket on loopback that answers by hand: a board that is busy, or that never answers.
class HandBoard {
 public:
  HandBoard() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(listener_, 4), 0);
    EXPECT_EQ(getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length), 0);
    port_ = ntohs(address.sin_port);
  }
  ~HandBoard() { close(listener_); }
  HandBoard(const HandBoard&) = delete;
  HandBoard& operator=(const HandBoard&) = delete;

  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // Takes the next request whole and returns its connection, still open.
  int TakeRequest() {
    const int connection = accept(listener_, nullptr, nullptr);
    std::string request;
    char bytes[4096];
    for (std::size_t end = std::string::npos;
         end == std::string::npos || request.size() < end + BodySize(request);) {
      const ssize_t got = read(connection, bytes, sizeof bytes);
      if (got <= 0) break;
      request.append(bytes, static_cast<std::size_t>(got));
      end = request.find("\r\n\r\n");
      if (end != std::string::npos) end += 4;
    }
    return connection;
  }
  // Whether a connection waits to be taken.
  bool Called() {
    pollfd waiting{listener_, POLLIN, 0};
    return poll(&waiting, 1, 0) == 1;
  }

 private:
  static std::size_t BodySize(const std::string& request) {
    const std::size_t at = request.find("Content-Length: ");
    return at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
  }

  int listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int port_ = 0;
};

// Answers the next `requests` requests with `answer` on a thread of its own, then closes each: a board
// gone wrong in the way the answer shows.
class BadBoard {
 public:
  BadBoard(std::string answer, int requests)
      : server_([this, answer = std::move(answer), requests] {
          for (int i = 0; i < requests; ++i) {
            const int connection = hand_.TakeRequest();
            // The client may hang up once it has seen enough; no signal for that.
            send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
            close(connection);
          }
        }) {}
  ~BadBoard() { server_.join(); }
  BadBoard(const BadBoard&) = delete;
  BadBoard& operator=(const BadBoard&) = delete;

  std::string Url() const { return hand_.Url(); }

 private:
  HandBoard hand_;
  std::thread server_;
};

std::string Answer(const std::string& status, const std::string& headers, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers +
         "\r\n" + body;
}

// What a score board can answer that is no board's answer: `pellaris --board` says so in one line, of
// printable text, and fails; and a round sent to it waits on in the outbox.
struct BadAnswer {
  std::string what, answer, reason;
};

std::vector<BadAnswer> BadAnswers() {
  const std::string huge(HttpClient::kLargestAnswer + 1, ' ');
  return {
      {"a body past the limit, said", Answer("200 OK", "", "{\"lines\":[]}" + huge),
       "its answer is larger than"},
      {"a body past the limit, unsaid", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n{\"lines\":[]}" + huge,
       "its answer is larger than"},
      {"invalid JSON", Answer("200 OK", "", "{\"lines\":[{\"rank\":1,"), "(HTTP 200)"},
      {"deeply nested JSON", Answer("200 OK", "", std::string(400000, '[') + std::string(400000, ']')),
       "(HTTP 200)"},
      {"a redirection to a file", Answer("302 Found", "Location: file:///etc/passwd\r\n", ""), "(HTTP 302)"},
      {"a redirection to another host", Answer("301 Moved", "Location: http://127.0.0.2:1/\r\n", ""),
       "(HTTP 301)"},
      {"an answer cut short", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n{\"lines\":[",
       "cannot be reached"},
      {"control characters in the status line", Answer("200 \x1b[2J\x07OK", "", "<html>"), "(HTTP 200)"},
      {"nothing at all", "", "cannot be reached"},
  };
}

TEST_F(BoardClient, TheBoardsPrintedFromABadBoardFailWithOneLineSayingWhy) {
  const play::UtcDate today{2026, 1, 2};
  for (const BadAnswer& c : BadAnswers()) {
    SCOPED_TRACE(c.what);
    BadBoard board(c.answer, 1);
    std::ostringstream out, error;
    EXPECT_EQ(PrintBoards(board.Url(), today, out, error), 1);
    EXPECT_EQ(out.str(), "");
    const std::string said = error.str();
    EXPECT_EQ(said.rfind("pellaris: the score board at " + board.Url() + " ", 0), 0u) << said;
    EXPECT_NE(said.find(c.reason), std::string::npos) << said;
    EXPECT_EQ(Count(said, "\n"), 1u) << said;
    EXPECT_TRUE(play::IsPlainText(said)) << said;
  }
}

TEST_F(BoardClient, ARoundSentToABadBoardWaitsInTheOutbox) {
  for (const BadAnswer& c : BadAnswers()) {
    SCOPED_TRACE(c.what);
    BadBoard board(c.answer, 1);
    const std::string round = Recorded(1, recording_);
    {
      BoardCourier courier(SetupFor(board.Url(), 1), report_);
      courier.RoundEnded(round);
      ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
      EXPECT_FALSE(courier.RankOf(round));
    }
    EXPECT_EQ(Waiting(), std::vector<std::string>{round});
    std::filesystem::remove(Outbox() / round);  // so that the next start sends nothing
  }
}

// A busy board's Retry-After holds back every round, also one that ends meanwhile.
TEST_F(BoardClient, ABusyBoardsWaitIsKept) {
  HandBoard board;
  BoardCourier courier(SetupFor(board.Url(), 1), report_);
  courier.RoundEnded(Recorded(1, recording_));
  const int connection = board.TakeRequest();
  const std::string busy = "HTTP/1.1 429 Too Many Requests\r\nRetry-After: 60\r\nContent-Length: 0\r\n\r\n";
  EXPECT_EQ(write(connection, busy.data(), busy.size()), static_cast<ssize_t>(busy.size()));
  ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
  courier.RoundEnded(Recorded(2, Variant(recording_, 2)));
  ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
  EXPECT_FALSE(board.Called());
  EXPECT_EQ(Waiting(),
            (std::vector<std::string>{"2026-01-02_03-04-01_100.rec", "2026-01-02_03-04-02_100.rec"}));
  close(connection);
}

// So does it hold back the questions after a round it has not verified yet: one a second would keep
// the board busy, and spend the round's tries.
TEST_F(BoardClient, ABusyBoardsWaitHoldsBackTheQuestionsAfterAPendingRound) {
  HandBoard board;
  BoardCourier courier(SetupFor(board.Url(), 1), report_);
  courier.RoundEnded(Recorded(1, recording_));
  const auto reply = [](int connection, const std::string& answer) {
    EXPECT_EQ(write(connection, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    close(connection);
  };
  reply(board.TakeRequest(), Answer("202 Accepted", "", R"({"id":7,"state":"pending"})"));
  reply(board.TakeRequest(), Answer("429 Too Many Requests", "Retry-After: 60\r\n", ""));
  std::this_thread::sleep_for(3 * BoardCourier::kAskEvery);
  EXPECT_FALSE(board.Called());
}

// A board that takes the request and never answers holds the courier until its limit; a program that
// ends meanwhile does not wait for it (were it to, this test would not end), and the round stays for
// the next start.
TEST_F(BoardClient, TheProgramEndsAtOnceWhileTheBoardKeepsItWaiting) {
  HandBoard board;
  BoardSetup setup = SetupFor(board.Url(), 1);
  setup.limits.whole = 10min;
  int connection = -1;
  {
    BoardCourier courier(setup, report_);
    courier.RoundEnded(Recorded(1, recording_));
    connection = board.TakeRequest();  // the courier waits for the answer
  }
  close(connection);
  EXPECT_EQ(Waiting(), std::vector<std::string>{"2026-01-02_03-04-01_100.rec"});
}

TEST_F(BoardClient, TheBoardsArePrintedWithTheirNamesEscaped) {
  TestBoard board(Options());
  BoardSetup setup = SetupFor(board.Url(), 1);
  setup.name = "back\\slash";
  {
    BoardCourier courier(setup, report_);
    courier.RoundEnded(Recorded(1, recording_));
    ASSERT_TRUE(courier.WaitUntilIdle(kPatience));
  }
  std::ostringstream out, error;
  EXPECT_EQ(PrintBoards(board.Url(), today_, out, error), 0) << error.str();
  const std::string score = std::to_string(board::ReadRound(recording_).claimedScore.value_or(-1));
  EXPECT_EQ(out.str(), "Today's daily challenge (" + play::DateText(today_) +
                           "):\n  no rounds yet\n\nAll rounds:\n" + "    1" +
                           std::string(9 - score.size(), ' ') + score + "  back\\\\slash\n");
  EXPECT_EQ(error.str(), "");

  const std::string url = board.Url();
  board.Stop();
  std::ostringstream none;
  EXPECT_EQ(PrintBoards(url, today_, none, error), 1);
  EXPECT_EQ(none.str(), "");
  EXPECT_EQ(error.str().rfind("pellaris: the score board at " + url + " cannot be reached: ", 0), 0u)
      << error.str();
}

// The board's answers as the game reads them: only the board's own refusal of a round drops it.
TEST(BoardAnswers, EachAnswerSaysWhatBecomesOfTheRound) {
  using Kind = RoundAnswer::Kind;
  struct Case {
    HttpReply reply;
    Kind kind;
    std::string detail;  // the reason, the id, the wait or the ranks, as text
  };
  const auto reply = [](int status, std::string body, std::optional<int> retryAfter = {}) {
    return HttpReply{status, std::move(body), retryAfter, status == 0 ? "Couldn't connect to server" : ""};
  };
  const Case cases[] = {
      {reply(0, ""), Kind::Unanswered, "Couldn't connect to server"},
      {reply(201, R"({"id":4,"state":"verified","rank":{"all":3,"seed":1,"daily":null}})"), Kind::Ranked,
       "3 -"},
      {reply(201, R"({"id":4,"state":"verified","rank":{"all":3,"seed":1,"daily":2}})"), Kind::Ranked, "3 2"},
      {reply(202, R"({"id":7,"state":"pending"})"), Kind::Pending, "7"},
      {reply(200, R"({"id":7,"state":"refused","reason":"it does not reach 100"})"), Kind::Refused,
       "it does not reach 100"},
      {reply(422, R"({"error":"does-not-verify","message":"why"})"), Kind::Refused, "why"},
      {reply(400, R"({"error":"malformed"})"), Kind::Refused, "malformed"},
      {reply(413, R"({"error":"too-large","message":"too long"})"), Kind::Refused, "too long"},
      {reply(429, R"({"error":"too-many-requests"})", 12), Kind::Later, "12"},
      {reply(503, "", {}), Kind::Later, "30"},
      {reply(503, "", 999999), Kind::Later, "3600"},
      // Not the board refusing the round: a wrong address, another server, a proxy's page.
      {reply(404, R"({"error":"not-found","message":"there is nothing here"})"), Kind::Unanswered, ""},
      {reply(404, "<html>Not Found</html>"), Kind::Unanswered, ""},
      {reply(422, "<html>no</html>"), Kind::Unanswered, ""},
      {reply(301, ""), Kind::Unanswered, ""},
      {reply(201, "{\"state\":\"verified\""), Kind::Unanswered, ""},
      {reply(202, R"({"state":"pending"})"), Kind::Unanswered, ""},
      {reply(200, R"([1,2,3])"), Kind::Unanswered, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.reply.status) + " " + c.reply.body);
    const RoundAnswer answer = ReadRoundAnswer(c.reply);
    EXPECT_EQ(answer.kind, c.kind);
    switch (answer.kind) {
      case Kind::Ranked:
        EXPECT_EQ(std::to_string(answer.allRank.value_or(0)) + " " +
                      (answer.dailyRank ? std::to_string(*answer.dailyRank) : "-"),
                  c.detail);
        break;
      case Kind::Pending:
        EXPECT_EQ(std::to_string(answer.id), c.detail);
        break;
      case Kind::Later:
        EXPECT_EQ(std::to_string(answer.waitSeconds), c.detail);
        break;
      case Kind::Refused:
      case Kind::Unanswered:
        if (!c.detail.empty()) {
          EXPECT_EQ(answer.reason, c.detail);
        }
        break;
    }
  }
}

TEST(BoardAnswers, ANameIsSentAsItIsWrittenWhateverItHolds) {
  EXPECT_EQ(SubmitUrl("https://b.example/x/", "Ann & Bo=1+\xC3\xA9", InstallId(1), play::UtcDate{2026, 1, 2}),
            "https://b.example/x/api/rounds?name=Ann%20%26%20Bo%3D1%2B%C3%A9&install=" + InstallId(1) +
                "&daily=2026-01-02");
  EXPECT_EQ(SubmitUrl("http://b", "a", "id", std::nullopt), "http://b/api/rounds?name=a&install=id");
}

}  // namespace
}  // namespace pellaris::app
