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
#include "data/store/record_file.h"
#include "data/store/sqlite_codec.h"
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_cursor.h"
#include "data/store/sqlite_statement.h"
#include "data/store/sqlite_table.h"

namespace vornel::data {

class SqliteRecordFile final : public RecordFile {
 public:
  // Read-ahead counts: the default, and with QUICKSCAN=on.
  static constexpr int kDefaultReadAhead = 20;
  static constexpr int kQuickScanReadAhead = 500;
  static constexpr int kMaxReadAhead = 10000;

  SqliteRecordFile(const FileDef& def, std::filesystem::path directory);
  ~SqliteRecordFile() override;

  int Create() override;
  bool Exists() override;
  int Open(std::uint8_t mode) override;
  int Close() override;
  bool IsOpen() const override { return open_; }
  bool IsReadOnly() const override { return (mode_ & 0x0F) == kReadOnly; }
  std::int64_t Records() override;
  int BuildKeys() override;
  int Remove() override;

  int SetOrder(const KeyDef* key) override;
  int SetOrderEnd(const KeyDef* key) override;
  int SetByKey(const KeyDef& key) override;
  int SetByPosition(const KeyDef* key, RecordPosition position) override;
  int SetAfterRecord(const KeyDef* key, std::span<const char> record, RecordPosition position) override;
  int Next() override { return Step(true); }
  int Previous() override { return Step(false); }

  int GetByKey(const KeyDef& key) override;
  int GetByPosition(RecordPosition position) override;
  int Reget() override;
  RecordPosition Position() const override { return current_position_; }

  int Add() override;
  int Put() override;
  int Delete() override;
  bool DuplicatesKey(const KeyDef& key) override;

  int Hold() override;
  int Release() override;
  void SetWatch(bool on) override { watch_ = on; }
  bool Watched() const override { return watch_; }
  std::int64_t Revision() const override { return current_revision_; }

  int Stream() override;
  int Flush() override;
  int SendCommand(std::string_view command) override;
  void SetReadAhead(int records) override;
  void ExpectReads(int records) override;

  FileState SaveState() const override;
  int RestoreState(const FileState& state) override;
  std::string PositionString() const override;
  int SetByPositionString(std::string_view position) override;
  int GetByPositionString(std::string_view position) override;

  // The connection of the open file (for transactions over several files).
  SqliteConnection* connection() const { return open_ ? &attachment_->connection() : nullptr; }

 private:
  int CurrentWritable();
  int FindByPositionString(std::string_view position, RecordPosition* found,
                           std::int64_t* revision, bool* by_key);
  int Step(bool forward);
  int Usable(bool write) const;  // kStoreOk, kFileNotOpen or kAccessDenied
  bool OwnsKey(const KeyDef* key) const;
  int Borrow(bool create, std::shared_ptr<SqliteAttachment>* attachment);
  // The statement, prepared from make_sql() the first time: the text is
  // built only then, not on every use.
  int Ready(SqliteStatement& statement, const std::function<std::string()>& make_sql, sqlite3_stmt** stmt);
  // Reads into `record`: kRecordNotAvailable when there is no such record.
  int ReadByPosition(RecordPosition position, char* record, std::int64_t* revision);
  int ReadByKey(const KeyDef& key, const char* values, char* record, RecordPosition* position,
                std::int64_t* revision);
  // Makes a record read the current one, unless another opener holds it.
  int Deliver(const char* record, RecordPosition position, std::int64_t revision);
  int PageSize() const;
  int Missing();  // kChangedByOther when the current record still exists, else kRecordNotAvailable
  void CloseStatements();

  std::filesystem::path directory_;
  RowCodec codec_;
  std::shared_ptr<SqliteAttachment> attachment_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<SqliteTable> table_;
  std::unique_ptr<SqliteCursor> cursor_;
  FileLocks locks_;
  SqliteStatement select_position_;
  SqliteStatement insert_;
  SqliteStatement update_[2];
  SqliteStatement delete_[2];
  SqliteStatement count_;
  std::vector<SqliteStatement> select_key_;
  std::vector<SqliteStatement> duplicate_key_;
  std::vector<char> scratch_;
  std::vector<char> current_record_;  // the current record as read or written

  std::uint8_t mode_ = kOpenNormal;
  bool open_ = false;
  RecordPosition current_position_ = 0;
  std::int64_t current_revision_ = 0;
  bool watch_ = false;
  bool streaming_ = false;
  bool quick_scan_ = false;
  int read_ahead_ = 0;
  int recover_seconds_ = 10;  // as sent by Recover=; nothing stale is ever left to recover
};

}  // namespace vornel::data
