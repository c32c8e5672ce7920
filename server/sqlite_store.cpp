#include "server/sqlite_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

namespace pellaris::board {

namespace {

constexpr SqlDialect kSqlite = {"INTEGER PRIMARY KEY", "BLOB", ""};
constexpr int kBusyMilliseconds = 10000;
constexpr std::size_t kReaders = 8;

class SqliteConnection : public SqlConnection {
 public:
  explicit SqliteConnection(const std::filesystem::path& file) {
    const int opened = sqlite3_open_v2(
        file.c_str(), &database_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (opened != SQLITE_OK) {
      const std::string why = database_ ? sqlite3_errmsg(database_) : sqlite3_errstr(opened);
      sqlite3_close(database_);
      throw StoreError("cannot open " + file.string() + ": " + why);
    }
    sqlite3_busy_timeout(database_, kBusyMilliseconds);
    // A round answered as stored is on the disk, also when the machine loses power.
    Script("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL");
  }
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;
  ~SqliteConnection() override {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close(database_);
  }

  std::vector<SqlRow> Query(std::string_view sql, SqlParameters parameters) override {
    sqlite3_stmt* statement = Prepared(sql);
    // Reset even when a step fails, so the statement can run again.
    struct Reset {
      sqlite3_stmt* statement;
      ~Reset() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
      }
    } reset{statement};
    int number = 0;
    for (const SqlValue& value : parameters) Bind(statement, ++number, value);
    std::vector<SqlRow> rows;
    for (;;) {
      const int stepped = sqlite3_step(statement);
      if (stepped == SQLITE_DONE) return rows;
      if (stepped != SQLITE_ROW) Fail(sql);
      rows.push_back(Row(statement));
    }
  }

  void Script(std::string_view sql) override {
    char* error = nullptr;
    if (sqlite3_exec(database_, std::string(sql).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string why = error ? error : "unknown error";
      sqlite3_free(error);
      throw StoreError("the database refused a statement: " + why);
    }
  }

  void Begin() override { Query("BEGIN IMMEDIATE", {}); }
  bool Usable() const override { return true; }

 private:
  sqlite3_stmt* Prepared(std::string_view sql) {
    const std::string key(sql);
    if (const auto found = statements_.find(key); found != statements_.end()) return found->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(database_, key.c_str(), static_cast<int>(key.size()), SQLITE_PREPARE_PERSISTENT,
                           &statement, nullptr) != SQLITE_OK) {
      Fail(sql);
    }
    statements_.emplace(key, statement);
    return statement;
  }

  // Parameters are named $1, $2, ... in the statements the store shares with PostgreSQL.
  void Bind(sqlite3_stmt* statement, int number, const SqlValue& value) {
    const int index = sqlite3_bind_parameter_index(statement, ("$" + std::to_string(number)).c_str());
    if (index == 0) throw StoreError("a statement has no parameter $" + std::to_string(number));
    int bound = SQLITE_OK;
    if (value.IsNull()) {
      bound = sqlite3_bind_null(statement, index);
    } else if (value.IsBytes()) {
      bound =
          sqlite3_bind_blob64(statement, index, value.Text().data(), value.Text().size(), SQLITE_TRANSIENT);
    } else if (const std::string* text = value.IsText() ? &value.Text() : nullptr) {
      bound =
          sqlite3_bind_text64(statement, index, text->data(), text->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    } else {
      bound = sqlite3_bind_int64(statement, index, value.Integer());
    }
    if (bound != SQLITE_OK) Fail("binding a parameter");
  }

  static SqlRow Row(sqlite3_stmt* statement) {
    SqlRow row;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      switch (sqlite3_column_type(statement, column)) {
        case SQLITE_NULL:
          row.emplace_back();
          break;
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
          break;
        default: {
          const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
          const int size = sqlite3_column_bytes(statement, column);
          row.emplace_back(std::string(bytes ? bytes : "", static_cast<std::size_t>(size)));
        }
      }
    }
    return row;
  }

  [[noreturn]] void Fail(std::string_view what) {
    throw StoreError("the database failed (" + std::string(sqlite3_errmsg(database_)) +
                     ") at: " + std::string(what.substr(0, 80)));
  }

  sqlite3* database_ = nullptr;
  std::map<std::string, sqlite3_stmt*> statements_;
};

int LockFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) {
    throw StoreError("cannot use " + folder.string() +
                     " for the board's data: " + (error ? error.message() : "it is not a folder"));
  }
  const std::filesystem::path file = folder / "board.lock";
  const int lock = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) throw StoreError("cannot open " + file.string() + ": " + std::strerror(errno));
  if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
    const int why = errno;
    close(lock);
    throw StoreError(why == EWOULDBLOCK ? "another board uses " + folder.string()
                                        : "cannot lock " + file.string() + ": " + std::strerror(why));
  }
  return lock;
}

}  // namespace

class SqliteStore::HeldRound : public Claim {
 public:
  HeldRound(SqliteStore& store, std::int64_t id, std::string recording, int failures)
      : Claim(id, std::move(recording), failures), store_(store) {}
  HeldRound(const HeldRound&) = delete;
  HeldRound& operator=(const HeldRound&) = delete;
  ~HeldRound() override { store_.Release(Id()); }

  void Rank(std::int32_t score, bool startsAsTheSeed) override {
    Settle([&](SqlConnection& connection) { RankRound(connection, Id(), score, startsAsTheSeed); });
  }
  void Refuse(const std::string& reason, std::optional<std::int32_t> replayedScore) override {
    Settle([&](SqlConnection& connection) { RefuseRound(connection, Id(), reason, replayedScore); });
  }
  void Retry() override {
    Settle([&](SqlConnection& connection) { CountFailure(connection, Id()); });
  }

 private:
  template <typename Change>
  void Settle(const Change& change) {
    const std::shared_ptr<SqlConnection> connection = store_.Connect(Use::Write);
    Transaction transaction(*connection);
    change(*connection);
    transaction.Commit();
  }

  SqliteStore& store_;
};

SqliteStore::FolderLock::~FolderLock() {
  close(file);
}

SqliteStore::SqliteStore(const std::filesystem::path& folder)
    : lock_{LockFolder(folder)},
      writer_([file = folder / "board.sqlite"] { return std::make_unique<SqliteConnection>(file); }, 1),
      readers_([file = folder / "board.sqlite"] { return std::make_unique<SqliteConnection>(file); },
               kReaders) {
  Migrate(kSqlite);
}

std::shared_ptr<SqlConnection> SqliteStore::Connect(Use use) {
  return use == Use::Write ? writer_.Take() : readers_.Take();
}

std::unique_ptr<Claim> SqliteStore::ClaimPending() {
  std::lock_guard lock(claimedMutex_);
  for (const SqlRow& row : Pending(*Connect(Use::Read), static_cast<std::int64_t>(claimed_.size()) + 1)) {
    const std::int64_t id = row[0].Integer();
    if (claimed_.insert(id).second) {
      return std::make_unique<HeldRound>(*this, id, row[1].Text(), static_cast<int>(row[2].Integer()));
    }
  }
  return nullptr;
}

void SqliteStore::Release(std::int64_t id) {
  std::lock_guard lock(claimedMutex_);
  claimed_.erase(id);
}

}  // namespace pellaris::board
