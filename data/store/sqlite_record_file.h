#pragma once
// A record file kept as a table of its directory's SQLite database, used by
// one thread through that thread's connection. See docs/record-store.md.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/store/file_locks.h"
#include "data/store/sql_record_file.h"
#include "data/store/sqlite_codec.h"
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_statement.h"
#include "data/store/sqlite_table.h"

namespace vornel::data {

class SqliteRecordFile final : public SqlRecordFile {
 public:
  SqliteRecordFile(const FileDef& def, std::filesystem::path directory);
  ~SqliteRecordFile() override;

  int Create() override;
  bool Exists() override;
  int Open(std::uint8_t mode) override;
  int Close() override;
  int BuildKeys() override;
  int Remove() override;
  int Stream() override;
  int Flush() override;

  // The connection of the open file (for transactions over several files).
  SqliteConnection* connection() const { return IsOpen() ? &attachment_->connection() : nullptr; }

 private:
  int ReadByPosition(RecordPosition position, char* record, Found* found) override;
  int ReadByKey(const KeyDef& key, const char* values, char* record, Found* found) override;
  int InsertRow(RecordPosition* position) override;
  int UpdateRow(bool* done, std::int64_t* revision) override;
  int DeleteRow(bool* done) override;
  std::int64_t CountRows() override;
  bool FindDuplicate(const KeyDef& key) override;
  bool HeldByOther(RecordPosition position, bool) override { return locks_.HeldByOther(position); }
  int HoldRow(RecordPosition position) override;
  void ReleaseRows() override { locks_.ReleaseAll(); }
  std::uint64_t Generation() const override { return attachment_->connection().generation(); }
  std::uint64_t MarkChanged() override { return attachment_->connection().Changed(); }

  int Borrow(bool create, std::shared_ptr<SqliteAttachment>* attachment);
  // The statement, prepared from make_sql() the first time: the text is
  // built only then, not on every use.
  int Ready(SqliteStatement& statement, const std::function<std::string()>& make_sql, sqlite3_stmt** stmt);
  int Fail(int rc, bool through_key = false) const;  // SQLite's `rc`, recorded
  void KeepStatements();

  std::filesystem::path directory_;
  RowCodec codec_;
  std::shared_ptr<SqliteAttachment> attachment_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<SqliteTable> table_;
  FileLocks locks_;
  SqliteStatement select_position_;
  SqliteStatement insert_;
  SqliteStatement update_[2];
  SqliteStatement delete_[2];
  SqliteStatement count_;
  std::vector<SqliteStatement> select_key_;
  std::vector<SqliteStatement> duplicate_key_;
  bool streaming_ = false;
};

}  // namespace vornel::data
