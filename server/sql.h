// The little the board's store asks of an SQL database: statements with numbered parameters ($1, $2,
// ...) that SQLite and PostgreSQL both read, rows of integers and text, and transactions.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "server/store.h"

namespace pellaris::board {

// A parameter or a column: null, an integer, or text; bytes are text marked as such, so that a
// database with a text encoding takes them as they are.
class SqlValue {
 public:
  SqlValue() = default;
  SqlValue(std::nullptr_t) {}
  SqlValue(std::int64_t number) : value_(number) {}
  SqlValue(std::string text) : value_(std::move(text)) {}
  SqlValue(std::string_view text) : value_(std::string(text)) {}
  SqlValue(const char* text) : value_(std::string(text)) {}
  static SqlValue Bytes(std::string_view bytes);
  template <typename Number>
  static SqlValue Maybe(const std::optional<Number>& number) {
    return number ? SqlValue(static_cast<std::int64_t>(*number)) : SqlValue();
  }

  bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsBytes() const { return bytes_; }
  bool IsText() const { return std::holds_alternative<std::string>(value_); }
  std::int64_t Integer() const;  // throws StoreError when it holds no integer
  const std::string& Text() const;

 private:
  std::variant<std::monostate, std::int64_t, std::string> value_;
  bool bytes_ = false;
};

using SqlRow = std::vector<SqlValue>;
using SqlParameters = std::initializer_list<SqlValue>;

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;
  // One statement; its rows. Throws StoreError.
  virtual std::vector<SqlRow> Query(std::string_view sql, SqlParameters parameters = {}) = 0;
  // Statements without parameters, separated by semicolons (a schema).
  virtual void Script(std::string_view sql) = 0;
  // A transaction that writes: it waits for the one writer a database has at a time.
  virtual void Begin() = 0;
  // False when the connection is lost and of no further use.
  virtual bool Usable() const = 0;
};

// Commits when asked, rolls back otherwise (an exception on the way out included).
class Transaction {
 public:
  explicit Transaction(SqlConnection& connection) : connection_(connection) { connection_.Begin(); }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();
  void Commit();

 private:
  SqlConnection& connection_;
  bool open_ = true;
};

}  // namespace pellaris::board

namespace pellaris::board {

// Connections kept open for reuse: a caller takes one for a while and it comes back by itself when
// the last copy is dropped (a lost one is closed instead). Taking waits while `most` are out.
class ConnectionPool {
 public:
  using Opener = std::function<std::unique_ptr<SqlConnection>()>;
  ConnectionPool(Opener open, std::size_t most);
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;
  ~ConnectionPool();  // after every connection taken has come back
  std::shared_ptr<SqlConnection> Take();

 private:
  void GiveBack(SqlConnection* connection);

  Opener open_;
  std::size_t most_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<SqlConnection>> idle_;
  std::size_t out_ = 0;
};

}  // namespace pellaris::board
