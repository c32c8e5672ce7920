// The store in PostgreSQL, so that several board processes, on one machine or many, serve one board: a
// verifier holds a pending round by locking its row (FOR UPDATE SKIP LOCKED) until it settles it, so
// each round is verified by one process, and one that dies lets its rounds go back to waiting.
#pragma once

#include <memory>
#include <string>

#include "server/sql_store.h"

namespace pellaris::board {

class PostgresStore : public SqlStore {
 public:
  // Connects to the database named by a libpq connection string or URI (postgresql://...) and brings
  // its schema up to date. Throws StoreError, saying why.
  explicit PostgresStore(const std::string& database);
  std::unique_ptr<Claim> ClaimPending() override;

 private:
  class HeldRound;
  std::shared_ptr<SqlConnection> Connect(Use use) override;

  ConnectionPool pool_;
};

}  // namespace pellaris::board
