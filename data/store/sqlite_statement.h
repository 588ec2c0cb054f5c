#pragma once
// A prepared SQLite statement owned by one file object, finalized with it.
#include <sqlite3.h>

#include <string_view>
#include <utility>

namespace vornel::data {

class SqliteStatement {
 public:
  SqliteStatement() = default;
  ~SqliteStatement() { Finalize(); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;
  SqliteStatement(SqliteStatement&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)) {}
  SqliteStatement& operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
      Finalize();
      stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
  }

  // SQLite's result code; the statement stays empty on failure.
  int Prepare(sqlite3* db, std::string_view sql) {
    Finalize();
    return sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  }
  void Finalize() {
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when a read or write is done with it, so that no read
// lock outlives the call that took it.
class StatementReset {
 public:
  explicit StatementReset(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~StatementReset() { sqlite3_reset(stmt_); }
  StatementReset(const StatementReset&) = delete;
  StatementReset& operator=(const StatementReset&) = delete;

 private:
  sqlite3_stmt* stmt_;
};

}  // namespace vornel::data
