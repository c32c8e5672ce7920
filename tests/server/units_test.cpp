// The board's parts on their own: digests, dates and the daily window, names and ids, reading
// requests, rate limits, the page, serving the game's files, the command line, and the adapter's view
// of a round the game recorded.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "recorded_round.h"
#include "server/board_page.h"
#include "server/daily.h"
#include "server/http_server.h"
#include "server/options.h"
#include "server/player.h"
#include "server/rate_limit.h"
#include "server/request.h"
#include "server/round_check.h"
#include "server/sha256.h"
#include "server/static_files.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::board {
namespace {

TEST(Sha256, MatchesKnownDigestsAcrossBlockEdges) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
      {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
      {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [bytes, digest] : cases) EXPECT_EQ(Sha256Hex(bytes), digest) << bytes.size() << " bytes";
}

// The seed and the dates' text are play/'s (tests/play/daily_test.cpp); the board adds days' bounds.
TEST(Daily, DaysBeginAtMidnightUtc) {
  EXPECT_EQ(play::DateText(play::UtcDateOf(StartOf({2026, 12, 8}) - 1)), "2026-12-07");
  EXPECT_EQ(play::DateText(play::UtcDateOf(StartOf({2026, 12, 8}))), "2026-12-08");
  EXPECT_EQ(play::DateText(DayAfter({2024, 12, 31})), "2025-01-01");
}

TEST(Daily, ARoundCountsOnItsDayAndAnHourAfter) {
  const Date day{2026, 12, 8};
  const std::uint32_t seed = DailySeedOf(day, kRulesVersion);
  const std::int64_t start = StartOf(day), end = StartOf(DayAfter(day));
  struct Case {
    std::int64_t at;
    std::optional<Date> counts;
  };
  const std::vector<Case> cases = {
      {start - 1, std::nullopt}, {start, day}, {end - 1, day}, {end + 3599, day}, {end + 3600, std::nullopt}};
  for (const Case& c : cases) {
    EXPECT_EQ(DailyFor(seed, kRulesVersion, c.at), c.counts) << c.at - start;
    EXPECT_EQ(DailyProblem(day, seed, kRulesVersion, c.at).empty(), c.counts.has_value()) << c.at - start;
  }
  EXPECT_EQ(DailyFor(seed + 1, kRulesVersion, start), std::nullopt);
  EXPECT_EQ(DailyFor(seed, kRulesVersion + 1, start), std::nullopt);
  EXPECT_NE(DailyProblem(day, seed + 1, kRulesVersion, start).find("is played on seed"), std::string::npos);
}

TEST(Player, NamesAreShortTextThatShows) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"Ann", "Ann"},
      {"  Ann Lee ", "Ann Lee"},
      {"<b>\"O'Neil\"&</b>", "<b>\"O'Neil\"&</b>"},  // shown escaped, not refused
      {std::string(24, 'x'), std::string(24, 'x')},
      {std::string(25, 'x'), std::nullopt},
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},  // été
      {[] {
         std::string s;
         for (int i = 0; i < 24; ++i) s += "\xF0\x9F\x9A\x80";
         return s;
       }(),  // 24 rockets
       [] {
         std::string s;
         for (int i = 0; i < 24; ++i) s += "\xF0\x9F\x9A\x80";
         return s;
       }()},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"a\x01"
       "b",
       std::nullopt},
      {"a\nb", std::nullopt},
      {"a\x7F", std::nullopt},
      {"a\xC2\x85", std::nullopt},  // a C1 control
      {"a\xE2\x80\xAE"
       "b",
       std::nullopt},               // right-to-left override
      {"a\xD8\x9C", std::nullopt},  // the Arabic letter mark, which turns the text's direction
      {"a\xFF", std::nullopt},
      {"a\xC0\xAF", std::nullopt},      // overlong '/'
      {"a\xED\xA0\x80", std::nullopt},  // a surrogate
      {"a\xE2\x82", std::nullopt},      // cut short
      {std::string("a\0b", 3), std::nullopt},
      {"\xE2\x80\x8B\xE2\x80\x8B", std::nullopt},        // zero-width spaces only
      {"\xC2\xA0\xE3\x80\x80\xE3\x85\xA4", std::nullopt},  // a no-break space, an ideographic one, a filler
      {"\xE2\x80\x8B" "a", "\xE2\x80\x8B" "a"},             // something shows
      // Characters that show as nothing at all, alone or together, are blanks too.
      {"\xCD\x8F", std::nullopt},                          // a combining grapheme joiner
      {"\xEF\xB8\x8F\xEF\xB8\x80", std::nullopt},          // variation selectors
      {"\xF3\xA0\x80\xA0\xF3\xA0\x81\xA1", std::nullopt},  // tag characters
      {"\xE2\x81\xA3\xE2\x81\xAA", std::nullopt},          // an invisible separator, a deprecated format
      {"\xE1\x9E\xB4\xE1\xA0\x8B", std::nullopt},          // a Khmer inherent vowel, a Mongolian selector
      {"\xF0\x9D\x85\xB3\xF0\x9B\xB2\xA0", std::nullopt},  // a musical format mark, a shorthand one
      // Names that show, however short or strange.
      {"0", "0"},
      {"\xCC\x81", "\xCC\x81"},                          // a lone combining mark
      {"\xED\x95\x9C", "\xED\x95\x9C"},                // a Hangul syllable
      {"\xE1\x84\x80\xE1\x85\xA0", "\xE1\x84\x80\xE1\x85\xA0"},  // a Hangul letter and a filler
      {"\xE2\x9D\xA4\xEF\xB8\x8F", "\xE2\x9D\xA4\xEF\xB8\x8F"},  // a heart drawn as emoji
      {"\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x9A\x80", "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x9A\x80"},
  };
  for (const auto& [name, expected] : cases) {
    std::string problem;
    EXPECT_EQ(ValidPlayerName(name, problem), expected) << name;
    if (!expected) {
      EXPECT_FALSE(problem.empty()) << name;
    }
  }
}

TEST(Player, InstallIdsAre32HexDigitsAndTagsHideThem) {
  const std::string id = "0123456789abcdefABCDEF0123456789";
  EXPECT_EQ(ValidInstallId(id), "0123456789abcdefabcdef0123456789");
  for (const std::string& bad :
       {std::string(31, 'a'), std::string(33, 'a'), std::string(31, 'a') + "g", std::string()}) {
    EXPECT_FALSE(ValidInstallId(bad)) << bad;
  }
  const std::string tag = PlayerTag("0123456789abcdefabcdef0123456789");
  EXPECT_EQ(tag.size(), 16u);
  EXPECT_EQ(id.find(tag), std::string::npos);
  EXPECT_NE(PlayerTag(std::string(32, 'a')), PlayerTag(std::string(32, 'b')));
}

TEST(Request, TargetsAndSubmissionsAreReadStrictly) {
  const std::optional<Target> target =
      ParseTarget("/api/rounds?name=Ann+Lee%21&install=" + std::string(32, 'a') + "&daily=2026-12-08");
  ASSERT_TRUE(target);
  EXPECT_EQ(target->path, (std::vector<std::string>{"api", "rounds"}));
  const auto submission = ParseSubmission(target->query);
  ASSERT_TRUE(std::holds_alternative<Submission>(submission));
  EXPECT_EQ(std::get<Submission>(submission).name, "Ann Lee!");
  EXPECT_EQ(std::get<Submission>(submission).daily, (Date{2026, 12, 8}));
  EXPECT_EQ(ParseTarget("/")->path.size(), 0u);

  for (const char* bad : {"", "api", "http://x/", "/a?name=%4", "/a?name=%zz", "/a?x=1&x=2"}) {
    EXPECT_FALSE(ParseTarget(bad)) << bad;
  }
  const std::string install = "&install=" + std::string(32, 'a');
  const std::vector<std::string> badQueries = {"name=" + install.substr(1),
                                               "name=Ann",
                                               "name=Ann&install=12",
                                               "name=%01" + install,
                                               "name=Ann" + install + "&daily=2026-02-30",
                                               "name=Ann" + install + "&extra=1"};
  for (const std::string& query : badQueries) {
    const std::optional<Target> parsed = ParseTarget("/api/rounds?" + query);
    ASSERT_TRUE(parsed) << query;
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseSubmission(parsed->query))) << query;
  }
  EXPECT_EQ(ParseRoundId("42"), 42);
  EXPECT_EQ(ParseSeed("4294967295"), 4294967295u);
  for (const char* bad : {"0", "042", "-1", "1e3", "", "1000000000000000001"})
    EXPECT_FALSE(ParseRoundId(bad)) << bad;
  for (const char* bad : {"4294967296", "+1", "01", " 1"}) EXPECT_FALSE(ParseSeed(bad)) << bad;
}

TEST(RateLimit, LetsABurstThroughThenTheRate) {
  RateLimit limit(2.0, 3.0);  // two a second, three at once
  int retry = 0;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.Allow("a", 0, retry)) << i;
  EXPECT_FALSE(limit.Allow("a", 0, retry));
  EXPECT_EQ(retry, 1);
  EXPECT_TRUE(limit.Allow("b", 0, retry));  // each address its own
  EXPECT_TRUE(limit.Allow("a", 500, retry));
  EXPECT_FALSE(limit.Allow("a", 500, retry));
  for (int i = 0; i < 5000; ++i)
    limit.Allow("client " + std::to_string(i), 10000, retry);  // many, forgotten when full
  EXPECT_TRUE(limit.Allow("a", 10000, retry));
}

TEST(BoardPage, ShowsNamesEscapedAndTheTimeToTheNextDaily) {
  EXPECT_EQ(HtmlEscaped("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
  PageContents contents;
  contents.today = {2026, 12, 8};
  contents.nowSeconds = StartOf(contents.today) + 3600 + 60 + 5;
  contents.dailySeed = 99;
  contents.daily = {{1, std::string(32, 'a'), "<script>alert(1)</script>", 4200, 7, 0}};
  const std::string page = BoardPage(contents);
  EXPECT_EQ(page.find("<script>alert"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(page.find(">22:58:55<"), std::string::npos);
  EXPECT_NE(page.find("Seed 99"), std::string::npos);
  EXPECT_EQ(page.find("/play/"), std::string::npos);
}

TEST(StaticFiles, ServesFilesInsideTheFolderOnly) {
  TemporaryFolder folder;
  const auto root = folder.Path() / "page";
  std::filesystem::create_directories(root / "sub");
  WriteWhole(root / "index.html", "<p>game</p>");
  WriteWhole(root / "pellaris.wasm", std::string("\0asm", 4));
  WriteWhole(root / "sub" / "a.js", "js");
  WriteWhole(folder.Path() / "secret", "secret");
  std::filesystem::create_symlink(folder.Path() / "secret", root / "link");
  std::filesystem::create_symlink(root / "index.html", root / "inside");
  mkfifo((root / "pipe").c_str(), 0600);
  const StaticFiles files(root);
  struct Case {
    std::vector<std::string> path;
    std::optional<std::string> type;
  };
  const std::vector<Case> cases = {
      {{}, "text/html; charset=utf-8"},
      {{""}, "text/html; charset=utf-8"},
      {{"pellaris.wasm"}, "application/wasm"},
      {{"sub", "a.js"}, "text/javascript; charset=utf-8"},
      {{"sub"}, std::nullopt},  // a folder without index.html
      {{"inside"}, "text/html; charset=utf-8"},
      {{".."}, std::nullopt},
      {{"..", "secret"}, std::nullopt},
      {{"sub", "..", "..", "secret"}, std::nullopt},
      {{"%2e%2e", "secret"}, std::nullopt},
      {{"link"}, std::nullopt},
      {{"pipe"}, std::nullopt},
      {{"missing"}, std::nullopt},
      {{"sub\\..\\..\\secret"}, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<HttpResponse> served = files.Serve(c.path);
    EXPECT_EQ(served ? std::optional(served->contentType) : std::nullopt, c.type)
        << testing::PrintToString(c.path);
    if (served) {
      EXPECT_EQ(served->body.find("secret"), std::string::npos);
    }
  }
  EXPECT_EQ(files.Serve({"pellaris.wasm"})->body.size(), 4u);
  EXPECT_THROW(StaticFiles(folder.Path() / "secret"), std::runtime_error);
}

TEST(HttpParsing, RefusesWhatIsNoRequestOrTooLarge) {
  HttpLimits limits;
  limits.headerBytes = 1024;
  limits.bodyBytes = 100;
  const ParsedRequest fine = ParseHttpRequest(
      "POST /api/rounds?name=a HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello", limits);
  ASSERT_TRUE(fine.request);
  EXPECT_EQ(fine.request->method, "POST");
  EXPECT_EQ(fine.request->target, "/api/rounds?name=a");
  EXPECT_EQ(fine.request->body, "hello");
  const ParsedRequest chunked = ParseHttpRequest(
      "POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n",
      limits);
  ASSERT_TRUE(chunked.request);
  EXPECT_EQ(chunked.request->body, "abcde");
  const std::vector<std::pair<std::string, int>> refused = {
      {"GET / HTTP/1.1\r\nHost: x\r\nX: " + std::string(2000, 'a') + "\r\n\r\n", 431},
      {"POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 101\r\n\r\n", 413},
      {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n65\r\n" + std::string(101, 'a') +
           "\r\n0\r\n\r\n",
       413},
      {"GARBAGE\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nHost: x\r\n", 400},  // cut short
      {"POST / HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc", 400},
      {std::string("\0\1\2\3", 4), 400},
  };
  for (const auto& [bytes, status] : refused) {
    const ParsedRequest parsed = ParseHttpRequest(bytes, limits);
    EXPECT_FALSE(parsed.request) << bytes.substr(0, 60);
    EXPECT_EQ(parsed.refusal, status) << bytes.substr(0, 60);
  }
}

TEST(Options, DefaultsRangesAndTheStoreToUse) {
  std::string error;
  const char* sqlite[] = {"pellaris-board", "--data", "/tmp/x", "--workers=3", "--read-timeout", "1500"};
  const std::optional<BoardOptions> options = ParseBoardOptions(6, sqlite, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->listen, "127.0.0.1:8080");
  EXPECT_EQ(options->workers, 3);
  EXPECT_EQ(options->http.readTimeout, std::chrono::milliseconds(1500));
  const std::vector<std::vector<const char*>> refused = {
      {"pellaris-board"},
      {"pellaris-board", "--data", "a", "--database", "b"},
      {"pellaris-board", "--data", "a", "--workers", "0"},
      {"pellaris-board", "--data", "a", "--workers", "2x"},
      {"pellaris-board", "--data", "a", "--queue"},
      {"pellaris-board", "--data", "a", "--help=1"},
      {"pellaris-board", "--data", "a", "--frobnicate"},
      {"pellaris-board", "--data", ""},
      {"pellaris-board", "data"},
  };
  for (const auto& words : refused) {
    error.clear();
    EXPECT_FALSE(ParseBoardOptions(static_cast<int>(words.size()), words.data(), error)) << words.back();
    EXPECT_NE(error.find("usage:"), std::string::npos);
  }
  const std::string help = BoardHelp();
  for (const char* option : {"--listen", "--data", "--database", "--page", "--workers", "--worker-cpu",
                             "--queue", "--max-connections", "--header-limit", "--read-timeout",
                             "--idle-timeout", "--submissions-per-minute", "--requests-per-second"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(help.find("--worker "), std::string::npos);  // how the board starts workers: not for people
}

TEST(RoundCheck, ReadsAndReplaysARoundTheGameRecorded) {
  const std::string recording = RecordRound(77);
  const RoundCheck read = ReadRound(recording);
  ASSERT_TRUE(read.readable) << read.problem;
  EXPECT_EQ(read.rulesVersion, kRulesVersion);
  EXPECT_EQ(read.seed, 77u);
  EXPECT_TRUE(read.date);
  ASSERT_TRUE(read.claimedScore);
  const RoundCheck checked = CheckRound(recording);
  EXPECT_TRUE(checked.verified);
  EXPECT_EQ(checked.replayedScore, *read.claimedScore);

  const std::string claimed = " end " + std::to_string(*read.claimedScore);
  const RoundCheck forged =
      CheckRound(Changed(recording, claimed, " end " + std::to_string(*read.claimedScore + 50)));
  EXPECT_TRUE(forged.readable);
  EXPECT_FALSE(forged.verified);
  EXPECT_EQ(forged.replayedScore, *read.claimedScore);

  // A start that no game of the seed has: the score it begins with, or one rock moved.
  const std::size_t game = recording.find("\ngame 0 ");
  ASSERT_NE(game, std::string::npos) << recording;
  for (const std::string& forgedStart :
       {Changed(recording, "\ngame 0 ", "\ngame 5000 "), Changed(recording, "\nentity 0 ", "\nentity 0 1")}) {
    const RoundCheck start = CheckRound(forgedStart);
    EXPECT_FALSE(start.verified);
    EXPECT_EQ(start.unverified, "no game of its seed starts a round as it does");
  }
  EXPECT_TRUE(checked.startsAsTheSeed);

  const RoundCheck tooLong = ReadRound(Changed(recording, "38 key down 29", "2000000000 key down 29"));
  EXPECT_FALSE(tooLong.readable);
  EXPECT_NE(tooLong.problem.find("pass 2000000000"), std::string::npos) << tooLong.problem;
  EXPECT_FALSE(ReadRound("pellaris-recording 1\nseed 1\n5 key sideways 3\n").readable);
  const RoundCheck session = ReadRound("pellaris-recording 1\nseed 1\nround 3\n5 key down 28\n");
  EXPECT_FALSE(session.readable);
  EXPECT_NE(session.problem.find("rounds that stand alone"), std::string::npos) << session.problem;
  EXPECT_FALSE(ReadRound(std::string("\x89PNG\r\n\x1a\n\0\0", 10)).readable);
}

}  // namespace
}  // namespace pellaris::board
