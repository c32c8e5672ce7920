#include "server/sql.h"

namespace pellaris::board {

SqlValue SqlValue::Bytes(std::string_view bytes) {
  SqlValue value{bytes};
  value.bytes_ = true;
  return value;
}

std::int64_t SqlValue::Integer() const {
  if (const auto* number = std::get_if<std::int64_t>(&value_)) return *number;
  throw StoreError("the database gave something else where a number belongs");
}

const std::string& SqlValue::Text() const {
  if (const auto* text = std::get_if<std::string>(&value_)) return *text;
  throw StoreError("the database gave something else where text belongs");
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    if (connection_.Usable()) connection_.Query("ROLLBACK");
  } catch (const StoreError&) {
    // The connection is gone, and its transaction with it.
  }
}

void Transaction::Commit() {
  connection_.Query("COMMIT");
  open_ = false;
}

}  // namespace pellaris::board

namespace pellaris::board {

ConnectionPool::ConnectionPool(Opener open, std::size_t most) : open_(std::move(open)), most_(most) {}

ConnectionPool::~ConnectionPool() {
  std::unique_lock lock(mutex_);
  returned_.wait(lock, [this] { return out_ == 0; });
}

std::shared_ptr<SqlConnection> ConnectionPool::Take() {
  std::unique_lock lock(mutex_);
  returned_.wait(lock, [this] { return out_ < most_; });
  std::unique_ptr<SqlConnection> connection;
  if (!idle_.empty()) {
    connection = std::move(idle_.back());
    idle_.pop_back();
  }
  ++out_;
  if (!connection) {
    lock.unlock();
    try {
      connection = open_();
    } catch (...) {
      lock.lock();
      --out_;
      returned_.notify_one();
      throw;
    }
  }
  return {connection.release(), [this](SqlConnection* taken) { GiveBack(taken); }};
}

void ConnectionPool::GiveBack(SqlConnection* connection) {
  std::unique_ptr<SqlConnection> owned(connection);
  std::lock_guard lock(mutex_);
  if (owned->Usable()) idle_.push_back(std::move(owned));
  --out_;
  returned_.notify_one();
}

}  // namespace pellaris::board
