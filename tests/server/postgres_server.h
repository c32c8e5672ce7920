// A PostgreSQL server of the test program's own, in a temporary folder, reached by a Unix socket
// there: started when a test first asks for it, stopped when the program ends, also when it fails or
// crashes (a watchdog process stops it then). PostgreSQL refuses to run as root: as root it runs as
// the postgres user its package makes. Not installed, it fails the tests that need it.
#pragma once

#include <filesystem>
#include <string>

namespace pellaris::board {

class PostgresServer {
 public:
  // The program's server, started on first use; a test that gets none fails with the reason.
  static PostgresServer* Shared();
  // A new, empty database on it: its connection URI.
  std::string NewDatabase();

  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;
  ~PostgresServer();

 private:
  PostgresServer() = default;
  void Start();
  std::string Run(const std::string& command) const;  // as the server's user; the reason when it fails

  std::filesystem::path folder_;
  bool asPostgres_ = false;
  bool started_ = false;
  int databases_ = 0;
};

}  // namespace pellaris::board
