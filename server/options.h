// pellaris-board's command line: one table gives the parser and --help.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "server/api.h"
#include "server/http_server.h"
#include "server/round_check.h"
#include "server/worker.h"

namespace pellaris::board {

struct BoardOptions {
  std::string listen = "127.0.0.1:8080";
  std::optional<std::filesystem::path> data;  // SQLite in this folder
  std::optional<std::string> database;        // or PostgreSQL
  int workers = 0;                            // 0: as many as the machine has cores
  WorkerLimits limits;
  HttpLimits http = [] {
    HttpLimits limits;
    limits.bodyBytes = kLargestRecording;  // a request's body is a recording
    return limits;
  }();
  ApiSettings api;
  bool worker = false;  // this process is a worker (the board starts them so)
  bool help = false, version = false;
};

// The options, or nothing with the reason (and the usage) in `error`.
std::optional<BoardOptions> ParseBoardOptions(int argc, const char* const* argv, std::string& error);
std::string BoardHelp();

}  // namespace pellaris::board
