// The board's HTTP API and pages, on any transport that hands it HttpRequests:
//   POST /api/rounds?name=NAME&install=ID[&daily=YYYY-MM-DD]   the recording as the body
//   GET  /api/rounds/ID, /api/rounds/ID/recording
//   GET  /api/boards/all, /api/boards/seed/N, /api/boards/daily/YYYY-MM-DD
//   GET  / (the board as a page), /board.js, and /play/... (the game's page, with --page)
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "server/api_json.h"
#include "server/http_types.h"
#include "server/rate_limit.h"
#include "server/request.h"
#include "server/static_files.h"
#include "server/store.h"
#include "server/verifier.h"

namespace pellaris::board {

struct ApiSettings {
  int pendingLimit = 1000;  // rounds waiting for verification, at most; beyond, submissions wait
  double submissionsPerMinute = 10, submissionBurst = 5;  // a client address's
  double requestsPerSecond = 20, requestBurst = 100;      // a client address's, of every kind
  std::chrono::milliseconds answerWithin{1000};  // a round verified by then is answered with its rank
  std::optional<std::filesystem::path> page;     // the game's page, served at /play/
};

// The most lines a board shows: one a player.
inline constexpr int kBoardLines = 100;

class Api {
 public:
  using Log = std::function<void(const std::string&)>;
  // Throws std::runtime_error for a --page folder that is none.
  Api(Store& store, Verifier& verifier, const ApiSettings& settings, Log log);
  void Handle(const HttpRequest& request, const Respond& respond);

 private:
  HttpResponse Get(const Target& target);
  void Submit(const HttpRequest& request, const Target& target, const Respond& respond);
  HttpResponse Answer(const Round& round);
  HttpResponse AnswerFor(std::int64_t id);
  HttpResponse Page();

  Store& store_;
  Verifier& verifier_;
  const ApiSettings settings_;
  const Log log_;
  RateLimit requests_, submissions_;
  std::optional<StaticFiles> page_;
};

// An answer saying no, as JSON.
HttpResponse Refused(const Refusal& refusal);

}  // namespace pellaris::board
