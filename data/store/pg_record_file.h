#pragma once
// A record file kept as a table of its directory's schema in a database on
// a PostgreSQL server, used by one thread through that thread's session.
// See docs/record-store.md.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "data/store/pg_codec.h"
#include "data/store/pg_locks.h"
#include "data/store/pg_session.h"
#include "data/store/sql_record_file.h"
#include "data/store/sql_table.h"

namespace vornel::data {

class PgRecordFile final : public SqlRecordFile {
 public:
  // `schema` is the directory's schema; "" when the directory has none (a
  // failure recorded as `schema_problem` is answered to every call).
  PgRecordFile(const FileDef& def, PgAddress address, std::string schema, std::string schema_problem);
  ~PgRecordFile() override;

  int Create() override;
  bool Exists() override;
  int Open(std::uint8_t mode) override;
  int Close() override;
  int BuildKeys() override;
  int Remove() override;
  int Stream() override;
  int Flush() override;

  // The session of the open file (for transactions over several files).
  PgSession* session() const { return IsOpen() ? session_.get() : nullptr; }
  const std::string& table_name() const { return plain_table_.name(); }  // "schema"."label"

 private:
  int ReadByPosition(RecordPosition position, char* record, Found* found) override;
  int ReadByKey(const KeyDef& key, const char* values, char* record, Found* found) override;
  int InsertRow(RecordPosition* position) override;
  int UpdateRow(bool* done, std::int64_t* revision) override;
  int DeleteRow(bool* done) override;
  std::int64_t CountRows() override;
  bool FindDuplicate(const KeyDef& key) override;
  bool HeldByOther(RecordPosition position, bool may_be_held) override {
    return locks_.HeldByOther(position, may_be_held);
  }
  bool WritesRefuseHeldRows() const override { return true; }
  int HoldRow(RecordPosition position) override {
    if (int answer = Protected()) return answer;
    return locks_.Hold(position);
  }
  void ReleaseRows() override { locks_.ReleaseAll(); }
  std::uint64_t Generation() const override { return session_->generation(); }
  std::uint64_t MarkChanged() override { return session_->Changed(); }

  // kStoreOk while the file's locks hold; else the failure recorded.
  int Protected();
  // The thread's session and the file's table, for calls on a closed file too.
  int Borrow(std::shared_ptr<PgSession>* session);
  int Run(const std::string& sql, PgResult* result = nullptr);
  int AddKey(const KeyDef& key, const char* record);
  // Reads row 0 of result_ into `record`.
  int ReadRow(char* record, Found* found);
  // Runs `write(unless_marked)`, which sets *done, for the current record.
  int WriteUnlessHeld(const std::function<int(bool unless_marked)>& write, bool* done);

  PgAddress address_;
  std::string schema_;
  std::string schema_problem_;
  PgCodec codec_;
  SqlTable plain_table_;                // for the catalogue work
  std::unique_ptr<SqlTable> table_;     // of the open file, its reads marked with holds
  std::shared_ptr<PgSession> session_;  // while open
  PgFileLocks locks_;
  PgParams parameters_;
  PgResult result_;
  bool streaming_ = false;
  // The statements' texts, built once per open file.
  std::string select_position_;
  std::string insert_;
  std::string update_[2][2];  // [watched][unless_marked]
  std::string delete_[2][2];
  std::string count_;
  std::vector<std::string> select_key_;
  std::vector<std::string> duplicate_key_;
};

}  // namespace vornel::data
