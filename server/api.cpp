#include "server/api.h"

#include <atomic>

#include "server/board_page.h"
#include "server/round_check.h"
#include "server/sha256.h"

namespace pellaris::board {

namespace {

constexpr const char* kJson = "application/json";

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

HttpResponse Json(int status, std::string body) {
  return {status, kJson, std::move(body), {{"Cache-Control", "no-cache"}}};
}

HttpResponse NotFound() { return Refused({404, "not-found", "there is nothing here"}); }

bool Is(const std::vector<std::string>& path, std::initializer_list<std::string_view> start) {
  return path.size() >= start.size() && std::equal(start.begin(), start.end(), path.begin());
}

// The refusals of a submission that is never stored.
Refusal ReadingRefusal(const RoundCheck& check) {
  if (!check.readable) return {400, "malformed", "the recording cannot be read: " + check.problem};
  if (check.rulesVersion != kRulesVersion) {
    Refusal refusal{422, "unknown-rules",
                    "the recording was played under rules version " + std::to_string(check.rulesVersion) +
                        "; this board verifies version " + std::to_string(kRulesVersion)};
    refusal.rules = check.rulesVersion;
    return refusal;
  }
  return {422, "incomplete", "the recording was cut short: it has no end line with the round's score"};
}

}  // namespace

HttpResponse Refused(const Refusal& refusal) {
  HttpResponse response = Json(refusal.status, RefusalJson(refusal));
  if (refusal.retryAfterSeconds > 0) response.headers.emplace_back("Retry-After", std::to_string(refusal.retryAfterSeconds));
  return response;
}

Api::Api(Store& store, Verifier& verifier, const ApiSettings& settings, Log log)
    : store_(store),
      verifier_(verifier),
      settings_(settings),
      log_(std::move(log)),
      requests_(settings.requestsPerSecond, settings.requestBurst),
      submissions_(settings.submissionsPerMinute / 60.0, settings.submissionBurst) {
  if (settings.page) page_.emplace(*settings.page);
}

void Api::Handle(const HttpRequest& request, const Respond& respond) {
  int retryAfter = 0;
  if (!requests_.Allow(request.client, SteadyMilliseconds(), retryAfter)) {
    respond(Refused({429, "too-many-requests", "too many requests from your address; wait a moment", retryAfter}));
    return;
  }
  const std::optional<Target> target = ParseTarget(request.target);
  if (!target) {
    respond(Refused({400, "malformed", "the request's target cannot be read"}));
    return;
  }
  try {
    if (request.method == "POST" && target->path == std::vector<std::string>{"api", "rounds"}) {
      Submit(request, *target, respond);
    } else if (request.method != "GET") {
      HttpResponse refusal = Refused({405, "method-not-allowed", "only GET here, and POST to /api/rounds"});
      refusal.headers.emplace_back("Allow", "GET");
      respond(std::move(refusal));
    } else {
      respond(Get(*target));
    }
  } catch (const StoreError& error) {
    log_(error.what());
    respond(Refused({503, "unavailable", "the board's database is unavailable; try again later", 10}));
  }
}

HttpResponse Api::Get(const Target& target) {
  const std::vector<std::string>& path = target.path;
  if (path.empty()) return Page();
  if (path.size() == 1 && path[0] == "board.js") return {200, "text/javascript; charset=utf-8", std::string(BoardScript()), {}};
  if (Is(path, {"play"}) && page_) {
    std::optional<HttpResponse> file = page_->Serve({path.begin() + 1, path.end()});
    return file ? std::move(*file) : NotFound();
  }
  if (Is(path, {"api", "rounds"}) && (path.size() == 3 || (path.size() == 4 && path[3] == "recording"))) {
    const std::optional<std::int64_t> id = ParseRoundId(path[2]);
    if (!id) return NotFound();
    if (path.size() == 3) {
      const std::optional<Round> round = store_.Find(*id);
      return round ? Json(200, RoundJson(*round, store_.RanksOf(*round))) : NotFound();
    }
    std::optional<std::string> recording = store_.VerifiedRecording(*id);
    if (!recording) return NotFound();
    return {200, "text/plain; charset=utf-8", std::move(*recording), {{"Cache-Control", "max-age=86400"}}};
  }
  std::optional<BoardKey> key;
  if (path == std::vector<std::string>{"api", "boards", "all"}) {
    key = BoardKey::All();
  } else if (Is(path, {"api", "boards", "seed"}) && path.size() == 4) {
    if (const std::optional<std::uint32_t> seed = ParseSeed(path[3])) key = BoardKey::OfSeed(*seed);
  } else if (Is(path, {"api", "boards", "daily"}) && path.size() == 4) {
    if (const std::optional<Date> date = play::DateFromText(path[3])) key = BoardKey::Daily(*date);
  }
  if (!key) return NotFound();
  return Json(200, BoardJson(*key, store_.Board(*key, kBoardLines)));
}

HttpResponse Api::Page() {
  PageContents contents;
  contents.nowSeconds = NowMilliseconds() / 1000;
  contents.today = play::UtcDateOf(contents.nowSeconds);
  contents.dailySeed = DailySeedOf(contents.today, kRulesVersion);
  contents.daily = store_.Board(BoardKey::Daily(contents.today), kBoardLines);
  contents.all = store_.Board(BoardKey::All(), kBoardLines);
  contents.withGame = page_.has_value();
  return {200,
          "text/html; charset=utf-8",
          BoardPage(contents),
          {{"Cache-Control", "no-cache"},
           {"Content-Security-Policy",
            "default-src 'none'; script-src 'self'; style-src 'unsafe-inline'; img-src data:; base-uri 'none'"}}};
}

void Api::Submit(const HttpRequest& request, const Target& target, const Respond& respond) {
  int retryAfter = 0;
  if (!submissions_.Allow(request.client, SteadyMilliseconds(), retryAfter)) {
    respond(Refused({429, "too-many-requests", "too many rounds from your address; wait a moment", retryAfter}));
    return;
  }
  const std::variant<Submission, std::string> parsed = ParseSubmission(target.query);
  if (const std::string* problem = std::get_if<std::string>(&parsed)) {
    respond(Refused({400, "bad-submission", *problem}));
    return;
  }
  const Submission& submission = std::get<Submission>(parsed);
  if (request.body.size() > kLargestRecording) {
    respond(Refused({413, "too-large", "a recording has at most " + std::to_string(kLargestRecording) + " bytes"}));
    return;
  }
  const RoundCheck check = ReadRound(request.body);
  if (!check.readable || check.rulesVersion != kRulesVersion || !check.claimedScore) {
    respond(Refused(ReadingRefusal(check)));
    return;
  }
  const std::int64_t now = NowMilliseconds();
  RoundFacts facts{submission.installId, submission.name, check.rulesVersion, check.seed,
                   check.date,           *check.claimedScore, submission.daily, now};
  if (submission.daily) {
    const std::string problem = DailyProblem(*submission.daily, check.seed, check.rulesVersion, now / 1000);
    if (!problem.empty()) {
      respond(Refused({422, "wrong-daily", problem}));
      return;
    }
  } else {
    facts.daily = DailyFor(check.seed, check.rulesVersion, now / 1000);
  }
  const AddOutcome added = store_.Add(Sha256Hex(request.body), request.body, facts, settings_.pendingLimit);
  if (added.full) {
    respond(Refused({503, "busy", "too many rounds wait for verification; send it again later", 30}));
    return;
  }
  if (!added.added) {
    respond(Answer(*added.round));  // the same bytes, the same answer
    return;
  }
  // The round is answered once: when it is settled, or when the time to wait for that is up.
  const std::int64_t id = added.round->id;
  auto answered = std::make_shared<std::atomic<bool>>(false);
  const auto answer = [this, id, respond, answered] {
    if (answered->exchange(true)) return;
    try {
      respond(AnswerFor(id));
    } catch (const StoreError& error) {
      log_(error.what());
      Refusal refusal(503, "unavailable", "the board's database is unavailable; ask again later", 10);
      refusal.round = id;
      respond(Refused(refusal));
    }
  };
  verifier_.AwaitSettled(id, settings_.answerWithin, answer);
  verifier_.Wake();
}

HttpResponse Api::AnswerFor(std::int64_t id) {
  const std::optional<Round> round = store_.Find(id);
  return round ? Answer(*round) : NotFound();
}

HttpResponse Api::Answer(const Round& round) {
  if (round.state == RoundState::Refused) {
    Refusal refusal{422, "does-not-verify", round.reason};
    refusal.round = round.id;
    return Refused(refusal);
  }
  HttpResponse response = Json(round.state == RoundState::Verified ? 201 : 202, RoundJson(round, store_.RanksOf(round)));
  response.headers.emplace_back("Location", "/api/rounds/" + std::to_string(round.id));
  return response;
}

}  // namespace pellaris::board
