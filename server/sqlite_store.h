// The store in an SQLite file in a folder: the embedded default, for one board process (a lock on the
// folder keeps a second one out). Write-ahead logging lets boards be read while a round is written;
// one connection writes.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

#include "server/sql_store.h"

namespace pellaris::board {

class SqliteStore : public SqlStore {
 public:
  // Opens (making it if need be) the board in `folder`. Throws StoreError, saying why.
  explicit SqliteStore(const std::filesystem::path& folder);
  std::unique_ptr<Claim> ClaimPending() override;

 private:
  class HeldRound;
  std::shared_ptr<SqlConnection> Connect(Use use) override;
  void Release(std::int64_t id);

  // The folder's lock, held while the database is open: made first, let go last.
  struct FolderLock {
    int file;
    ~FolderLock();
  } lock_;
  ConnectionPool writer_, readers_;
  std::mutex claimedMutex_;
  std::set<std::int64_t> claimed_;  // rounds held by this process's verifiers
};

}  // namespace pellaris::board
