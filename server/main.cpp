// pellaris-board: the score board server. Also its own verification worker, when started with
// --worker, so that every worker is a fresh process of the very same build.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include "server/api.h"
#include "server/http_server.h"
#include "server/options.h"
#include "server/postgres_store.h"
#include "server/sqlite_store.h"
#include "server/verifier.h"
#include "server/worker.h"

namespace {

using namespace pellaris::board;

void Say(const std::string& line) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::cerr << "pellaris-board: " << line << std::endl;
}

// Descriptors 0 to 2 are open, so that no pipe or database takes one and meets a stray write.
void OpenStandardDescriptors() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) < 0) open("/dev/null", O_RDWR);
  }
}

// Each connection holds a descriptor: allow as many as the system lets this process have.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

std::unique_ptr<Store> OpenStore(const BoardOptions& options) {
  if (options.data) return std::make_unique<SqliteStore>(*options.data);
  return std::make_unique<PostgresStore>(*options.database);
}

int Serve(const BoardOptions& options) {
  OpenStandardDescriptors();
  RaiseDescriptorLimit();
  signal(SIGPIPE, SIG_IGN);  // a worker that died is noticed by its pipe, not by a signal
  const std::unique_ptr<Store> store = OpenStore(options);
  Api* api = nullptr;
  HttpServer server(
      options.http, [&api](const HttpRequest& request, const Respond& respond) { api->Handle(request, respond); },
      Say);
  const std::string address = server.Listen(options.listen);
  VerifierSettings verifying;
  verifying.program = "/proc/self/exe";
  verifying.workers = options.workers > 0 ? options.workers : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  verifying.limits = options.limits;
  Verifier verifier(*store, verifying, Say);
  Api board(*store, verifier, options.api, Say);
  api = &board;
  Say("listening on http://" + address + "/ with " + std::to_string(verifying.workers) + " workers");
  server.Run();
  Say("stopping");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const std::optional<BoardOptions> options = ParseBoardOptions(argc, argv, error);
  if (!options) {
    std::cerr << error;
    return 2;
  }
  if (options->worker) return RunWorker(options->limits);
  if (options->help) {
    std::cout << BoardHelp();
    return 0;
  }
  if (options->version) {
    std::cout << "pellaris-board " PELLARIS_VERSION "\n";
    return 0;
  }
  try {
    return Serve(*options);
  } catch (const std::exception& failure) {
    Say(failure.what());
    return 1;
  }
}
