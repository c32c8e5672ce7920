#include "postgres_server.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

extern char** environ;

namespace pellaris::board {

namespace {

const std::filesystem::path kBinaries = "/usr/lib/postgresql/15/bin";

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// Stops the server and removes its folder once the test program is gone, however it ended.
void StartWatchdog(const std::string& stop) {
  const std::string script =
      "while kill -0 " + std::to_string(getpid()) + " 2>/dev/null; do sleep 1; done; " + stop;
  const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  posix_spawn(&pid, "/bin/sh", nullptr, &attributes, const_cast<char**>(argv), environ);
  posix_spawnattr_destroy(&attributes);
}

}  // namespace

PostgresServer* PostgresServer::Shared() {
  static std::unique_ptr<PostgresServer> server;
  static std::string problem;
  if (!server && problem.empty()) {
    std::unique_ptr<PostgresServer> starting(new PostgresServer);
    try {
      starting->Start();
      server = std::move(starting);
    } catch (const std::exception& failure) {
      problem = failure.what();
    }
  }
  if (!server) ADD_FAILURE() << "no PostgreSQL server for the test: " << problem;
  return server.get();
}

void PostgresServer::Start() {
  if (!std::filesystem::exists(kBinaries / "initdb")) {
    throw std::runtime_error("PostgreSQL 15 is not installed (scripts/install-deps --all installs it)");
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "pellaris-postgres-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
  folder_ = pattern;
  asPostgres_ = geteuid() == 0;
  if (asPostgres_) {
    const passwd* user = getpwnam("postgres");
    if (user == nullptr || chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0) {
      throw std::runtime_error("no postgres user to run the server as");
    }
  }
  const std::string data = Quoted((folder_ / "data").string());
  StartWatchdog((asPostgres_ ? "runuser -u postgres -- " : "") + (kBinaries / "pg_ctl").string() + " -D " +
                data + " -m immediate stop >/dev/null 2>&1; rm -rf " + Quoted(folder_.string()));
  std::string failure =
      Run((kBinaries / "initdb").string() + " -D " + data + " -A trust -U board -E UTF8 --no-sync");
  if (failure.empty()) {
    // Only its socket in the folder; nothing a test does needs the disk to keep it.
    failure = Run((kBinaries / "pg_ctl").string() + " -D " + data + " -l " +
                  Quoted((folder_ / "log").string()) + " -o \"-k " + folder_.string() +
                  " -c listen_addresses='' -c fsync=off -c max_connections=300\" -w start");
  }
  if (!failure.empty()) throw std::runtime_error(failure);
  started_ = true;
}

PostgresServer::~PostgresServer() {
  if (started_)
    Run((kBinaries / "pg_ctl").string() + " -D " + Quoted((folder_ / "data").string()) + " -m fast stop");
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string PostgresServer::Run(const std::string& command) const {
  const std::string line = (asPostgres_ ? "runuser -u postgres -- " : "") + command + " >" +
                           Quoted((folder_ / "command.log").string()) + " 2>&1";
  if (std::system(line.c_str()) == 0) return "";
  return "failed: " + command + " (its output is in " + (folder_ / "command.log").string() + ")";
}

std::string PostgresServer::NewDatabase() {
  const std::string host = "?host=" + folder_.string() + "&user=board";
  const std::string name = "board_" + std::to_string(++databases_);
  PGconn* connection = PQconnectdb(("postgresql:///postgres" + host).c_str());
  PGresult* result = PQexec(connection, ("CREATE DATABASE " + name).c_str());
  EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
  PQclear(result);
  PQfinish(connection);
  return "postgresql:///" + name + host;
}

}  // namespace pellaris::board
