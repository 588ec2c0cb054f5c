#include "data/store/sqlite_record_file.h"

#include <sqlite3.h>

#include "data/store/sqlite_cursor.h"
#include "data/store/sqlite_error.h"
#include "data/store/sqlite_schema.h"
#include "data/store/store_answer.h"

namespace vornel::data {

SqliteRecordFile::SqliteRecordFile(const FileDef& def, std::filesystem::path directory)
    : SqlRecordFile(def),
      directory_(std::move(directory)),
      codec_(def),
      select_key_(def.keys.size()),
      duplicate_key_(def.keys.size()) {}

SqliteRecordFile::~SqliteRecordFile() { Close(); }

// The failure names the schema of the file (none before the file is open).
int SqliteRecordFile::Fail(int rc, bool through_key) const {
  return ReportSqlite(db_, rc, through_key, table_ ? table_->schema().c_str() : nullptr);
}

int SqliteRecordFile::Borrow(bool create, std::shared_ptr<SqliteAttachment>* attachment) {
  if (IsOpen()) {
    *attachment = attachment_;
    return kStoreOk;
  }
  return SqliteConnection::ForThisThread()->Attach(directory_, create, attachment);
}

int SqliteRecordFile::Ready(SqliteStatement& statement, const std::function<std::string()>& make_sql,
                            sqlite3_stmt** stmt) {
  if (!statement) {
    int rc = attachment_->connection().Prepare(statement, make_sql());
    if (rc != SQLITE_OK) return Fail(rc);
  }
  *stmt = statement.get();
  return kStoreOk;
}

int SqliteRecordFile::Create() {
  std::shared_ptr<SqliteAttachment> attachment;
  if (int answer = Borrow(true, &attachment)) return answer;
  return CreateTable(attachment->connection(), SqliteTable(def(), attachment->schema()));
}

bool SqliteRecordFile::Exists() {
  std::shared_ptr<SqliteAttachment> attachment;
  if (Borrow(false, &attachment) != kStoreOk) return false;
  bool exists = false;
  return TableExists(attachment->connection(), SqliteTable(def(), attachment->schema()), &exists) ==
             kStoreOk &&
         exists;
}

int SqliteRecordFile::Open(std::uint8_t mode) {
  if (IsOpen()) return ReportAnswer(kFileAlreadyOpen);
  std::shared_ptr<SqliteAttachment> attachment;
  if (int answer = Borrow(false, &attachment)) return answer;
  auto table = std::make_unique<SqliteTable>(def(), attachment->schema());
  SqliteConnection& connection = attachment->connection();
  bool exists = false;
  if (int answer = TableExists(connection, *table, &exists)) return answer;
  if (!exists) return ReportAnswer(kFileNotFound);
  if (int answer = CheckColumns(connection, *table)) return answer;
  if (int answer = CheckKeys(connection, *table)) return answer;
  if (int answer = locks_.Open(directory_, def().number, mode)) return answer;
  // Nobody else has the file open, so no hold of it can exist: a count left
  // by a holder that died is cleared here.
  if ((mode & 0xF0) == kDenyAll) locks_.ResetHoldCount();
  attachment_ = std::move(attachment);
  db_ = connection.db();
  table_ = std::move(table);
  streaming_ = false;
  Opened(std::make_unique<SqliteCursor>(*table_, codec_, connection), mode);
  return kStoreOk;
}

void SqliteRecordFile::KeepStatements() {
  SqliteConnection& connection = attachment_->connection();
  for (SqliteStatement* statement : {&select_position_, &insert_, &update_[0], &update_[1], &delete_[0],
                                     &delete_[1], &count_})
    connection.Keep(*statement);
  for (auto& statement : select_key_) connection.Keep(statement);
  for (auto& statement : duplicate_key_) connection.Keep(statement);
}

int SqliteRecordFile::Close() {
  if (!IsOpen()) return kStoreOk;
  int answer = streaming_ ? Flush() : kStoreOk;
  locks_.Close();
  Closed();
  KeepStatements();
  table_.reset();
  db_ = nullptr;
  attachment_.reset();
  return answer;
}

std::int64_t SqliteRecordFile::CountRows() {
  sqlite3_stmt* stmt = nullptr;
  if (Ready(count_, [this] { return table_->CountSql(); }, &stmt)) return -1;
  StatementReset reset(stmt);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) {
    Fail(rc);
    return -1;
  }
  return sqlite3_column_int64(stmt, 0);
}

int SqliteRecordFile::BuildKeys() {
  std::shared_ptr<SqliteAttachment> attachment;
  if (int answer = Borrow(false, &attachment)) return answer;
  SqliteTable table(def(), attachment->schema());
  bool exists = false;
  if (int answer = TableExists(attachment->connection(), table, &exists)) return answer;
  if (!exists) return ReportAnswer(kFileNotFound);
  return RebuildKeys(attachment->connection(), table);
}

int SqliteRecordFile::Remove() {
  if (IsOpen()) return ReportAnswer(kFileAlreadyOpen);
  std::shared_ptr<SqliteAttachment> attachment;
  if (int answer = Borrow(false, &attachment)) return answer;
  SqliteTable table(def(), attachment->schema());
  bool exists = false;
  if (int answer = TableExists(attachment->connection(), table, &exists)) return answer;
  if (!exists) return ReportAnswer(kFileNotFound);
  // A table of another shape is not this file: it stays.
  if (int answer = CheckColumns(attachment->connection(), table)) return answer;
  // Only a file that nobody has open may go.
  FileLocks exclusive;
  if (int answer = exclusive.Open(directory_, def().number, kReadWrite | kDenyAll)) return answer;
  exclusive.ResetHoldCount();
  return DropTable(attachment->connection(), table);
}

int SqliteRecordFile::ReadByPosition(RecordPosition position, char* record, Found* found) {
  sqlite3_stmt* stmt = nullptr;
  if (int answer = Ready(select_position_, [this] { return table_->SelectByPositionSql(); }, &stmt)) return answer;
  StatementReset reset(stmt);
  sqlite3_bind_int64(stmt, 1, position);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) return ReportAnswer(kRecordNotAvailable);
  if (rc != SQLITE_ROW) return Fail(rc);
  std::string problem;
  if (!codec_.ReadFields(stmt, record, &problem)) return ReportDriverText(problem);
  found->revision = sqlite3_column_int64(stmt, table_->field_count() + 1);
  return kStoreOk;
}

int SqliteRecordFile::ReadByKey(const KeyDef& key, const char* values, char* record, Found* found) {
  sqlite3_stmt* stmt = nullptr;
  const std::size_t index = static_cast<std::size_t>(&key - def().keys.data());
  if (int answer = Ready(select_key_[index], [this, &key] { return table_->SelectByKeySql(key); }, &stmt)) return answer;
  StatementReset reset(stmt);
  codec_.BindKey(stmt, key, values);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) return ReportAnswer(kRecordNotAvailable);
  if (rc != SQLITE_ROW) return Fail(rc, true);
  std::string problem;
  if (!codec_.ReadFields(stmt, record, &problem)) return ReportDriverText(problem);
  found->position = sqlite3_column_int64(stmt, table_->field_count());
  found->revision = sqlite3_column_int64(stmt, table_->field_count() + 1);
  return kStoreOk;
}

int SqliteRecordFile::InsertRow(RecordPosition* position) {
  sqlite3_stmt* stmt = nullptr;
  if (int answer = Ready(insert_, [this] { return table_->InsertSql(); }, &stmt)) return answer;
  StatementReset reset(stmt);
  codec_.BindFields(stmt, buffer().data());
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_DONE) return Fail(rc);
  *position = sqlite3_last_insert_rowid(db_);
  return kStoreOk;
}

int SqliteRecordFile::UpdateRow(bool* done, std::int64_t* revision) {
  sqlite3_stmt* stmt = nullptr;
  const bool watched = Watched();
  if (int answer = Ready(update_[watched], [this, watched] { return table_->UpdateSql(watched); }, &stmt)) {
    return answer;
  }
  StatementReset reset(stmt);
  codec_.BindFields(stmt, buffer().data());
  const int position_parameter = table_->field_count() + 1;
  sqlite3_bind_int64(stmt, position_parameter, Position());
  if (watched) sqlite3_bind_int64(stmt, position_parameter + 1, Revision());
  int rc = sqlite3_step(stmt);
  *done = rc == SQLITE_ROW;
  if (*done) {
    *revision = sqlite3_column_int64(stmt, 0);
    // Stepping to the end commits the statement's own transaction, and
    // reports when that fails.
    rc = sqlite3_step(stmt);
  }
  return rc == SQLITE_DONE ? kStoreOk : Fail(rc);
}

int SqliteRecordFile::DeleteRow(bool* done) {
  sqlite3_stmt* stmt = nullptr;
  const bool watched = Watched();
  if (int answer = Ready(delete_[watched], [this, watched] { return table_->DeleteSql(watched); }, &stmt)) {
    return answer;
  }
  StatementReset reset(stmt);
  sqlite3_bind_int64(stmt, 1, Position());
  if (watched) sqlite3_bind_int64(stmt, 2, Revision());
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_DONE) return Fail(rc);
  *done = sqlite3_changes(db_) > 0;
  return kStoreOk;
}

bool SqliteRecordFile::FindDuplicate(const KeyDef& key) {
  sqlite3_stmt* stmt = nullptr;
  const std::size_t index = static_cast<std::size_t>(&key - def().keys.data());
  if (Ready(duplicate_key_[index], [this, &key] { return table_->DuplicateSql(key); }, &stmt)) return false;
  StatementReset reset(stmt);
  codec_.BindKey(stmt, key, buffer().data());
  sqlite3_bind_int64(stmt, static_cast<int>(key.components.size()) + 1, Position());
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail(rc, true);
  return rc == SQLITE_ROW;
}

int SqliteRecordFile::HoldRow(RecordPosition position) {
  if (int answer = locks_.Hold(position)) return ReportAnswer(answer);
  return kStoreOk;
}

int SqliteRecordFile::Stream() {
  if (int answer = Usable(true)) return ReportAnswer(answer);
  SqliteConnection& connection = attachment_->connection();
  // Inside a running transaction the writes are batched already.
  if (streaming_ || connection.InTransaction()) return kStoreOk;
  if (int answer = connection.Begin(SqliteConnection::kDefaultBusyMs)) return answer;
  streaming_ = true;
  return kStoreOk;
}

int SqliteRecordFile::Flush() {
  if (!IsOpen()) return ReportAnswer(kFileNotOpen);
  if (!streaming_) return kStoreOk;
  streaming_ = false;
  return attachment_->connection().Commit();
}

}  // namespace vornel::data
