#include "data/store/sqlite_record_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cstring>

#include "data/store/position_string.h"
#include "data/store/sqlite_error.h"
#include "data/store/sqlite_schema.h"
#include "data/store/store_answer.h"
#include "platform/text.h"

namespace vornel::data {
namespace {

// The schema whose file a failure names (none before the file is open).
const char* SchemaOf(const std::unique_ptr<SqliteTable>& table) {
  return table ? table->schema().c_str() : nullptr;
}

}  // namespace

SqliteRecordFile::SqliteRecordFile(const FileDef& def, std::filesystem::path directory)
    : RecordFile(def),
      directory_(std::move(directory)),
      codec_(def),
      select_key_(def.keys.size()),
      duplicate_key_(def.keys.size()),
      scratch_(def.record_size),
      current_record_(def.record_size) {}

SqliteRecordFile::~SqliteRecordFile() { Close(); }

int SqliteRecordFile::Usable(bool write) const {
  if (!open_) return kFileNotOpen;
  const std::uint8_t access = mode_ & 0x0F;
  if (write ? access == kReadOnly : access == kWriteOnly) return kAccessDenied;
  return kStoreOk;
}

bool SqliteRecordFile::OwnsKey(const KeyDef* key) const {
  const auto keys = def().keys;
  return key == nullptr || (key >= keys.data() && key < keys.data() + keys.size());
}

int SqliteRecordFile::Borrow(bool create, std::shared_ptr<SqliteAttachment>* attachment) {
  if (open_) {
    *attachment = attachment_;
    return kStoreOk;
  }
  return SqliteConnection::ForThisThread()->Attach(directory_, create, attachment);
}

int SqliteRecordFile::Ready(SqliteStatement& statement, const std::function<std::string()>& make_sql,
                            sqlite3_stmt** stmt) {
  if (!statement) {
    int rc = attachment_->connection().Prepare(statement, make_sql());
    if (rc != SQLITE_OK) return ReportSqlite(db_, rc, false, SchemaOf(table_));
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
  if (open_) return ReportAnswer(kFileAlreadyOpen);
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
  cursor_ = std::make_unique<SqliteCursor>(*table_, codec_, connection);
  mode_ = mode;
  open_ = true;
  current_position_ = 0;
  current_revision_ = 0;
  streaming_ = false;
  return kStoreOk;
}

void SqliteRecordFile::CloseStatements() {
  if (cursor_) cursor_->Finalize();
  cursor_.reset();
  if (!attachment_) return;
  SqliteConnection& connection = attachment_->connection();
  for (SqliteStatement* statement : {&select_position_, &insert_, &update_[0], &update_[1], &delete_[0],
                                     &delete_[1], &count_})
    connection.Keep(*statement);
  for (auto& statement : select_key_) connection.Keep(statement);
  for (auto& statement : duplicate_key_) connection.Keep(statement);
}

int SqliteRecordFile::Close() {
  if (!open_) return kStoreOk;
  int answer = streaming_ ? Flush() : kStoreOk;
  locks_.Close();
  CloseStatements();
  table_.reset();
  db_ = nullptr;
  open_ = false;
  current_position_ = 0;
  attachment_.reset();
  return answer;
}

std::int64_t SqliteRecordFile::Records() {
  if (int answer = Usable(false)) {
    ReportAnswer(answer);
    return -1;
  }
  sqlite3_stmt* stmt = nullptr;
  if (Ready(count_, [this] { return table_->CountSql(); }, &stmt)) return -1;
  StatementReset reset(stmt);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) {
    ReportSqlite(db_, rc, false, SchemaOf(table_));
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
  if (open_) return ReportAnswer(kFileAlreadyOpen);
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

int SqliteRecordFile::SetOrder(const KeyDef* key) {
  if (!open_) return ReportAnswer(kFileNotOpen);
  if (!OwnsKey(key)) return ReportDriverText("the key is not a key of this file");
  cursor_->SetOrder(key, false);
  return kStoreOk;
}

int SqliteRecordFile::SetOrderEnd(const KeyDef* key) {
  if (!open_) return ReportAnswer(kFileNotOpen);
  if (!OwnsKey(key)) return ReportDriverText("the key is not a key of this file");
  cursor_->SetOrder(key, true);
  return kStoreOk;
}

int SqliteRecordFile::SetByKey(const KeyDef& key) {
  if (!open_) return ReportAnswer(kFileNotOpen);
  if (!OwnsKey(&key)) return ReportDriverText("the key is not a key of this file");
  cursor_->SetAtKey(key, buffer().data());
  return kStoreOk;
}

int SqliteRecordFile::SetByPosition(const KeyDef* key, RecordPosition position) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  if (!OwnsKey(key)) return ReportDriverText("the key is not a key of this file");
  std::int64_t revision = 0;
  if (int answer = ReadByPosition(position, scratch_.data(), &revision)) return answer;
  cursor_->SetAtRecord(key, scratch_.data(), position);
  return kStoreOk;
}

int SqliteRecordFile::SetAfterRecord(const KeyDef* key, std::span<const char> record, RecordPosition position) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  if (!OwnsKey(key)) return ReportDriverText("the key is not a key of this file");
  if (record.size() != def().record_size) return ReportDriverText("the record is not one of this file");
  cursor_->SetAtRecord(key, record.data(), position, false);
  return kStoreOk;
}

int SqliteRecordFile::PageSize() const {
  if (read_ahead_ > 0) return read_ahead_;
  return quick_scan_ ? kQuickScanReadAhead : kDefaultReadAhead;
}

int SqliteRecordFile::Step(bool forward) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  SqliteCursor::Row row{};
  // Reads go with the set read-ahead; by default they start small and grow.
  const int page = PageSize();
  const int max_page = read_ahead_ > 0 ? read_ahead_ : kQuickScanReadAhead;
  if (int answer =
          cursor_->Step(forward, page, max_page, attachment_->connection().generation(), &row)) {
    return answer;
  }
  return Deliver(row.record, row.position, row.revision);
}

int SqliteRecordFile::Deliver(const char* record, RecordPosition position, std::int64_t revision) {
  if (locks_.HeldByOther(position)) return ReportAnswer(kRecordHeld);
  const std::size_t size = def().record_size;
  std::memcpy(buffer().data(), record, size);
  std::memcpy(current_record_.data(), record, size);
  current_position_ = position;
  current_revision_ = revision;
  return kStoreOk;
}

int SqliteRecordFile::ReadByPosition(RecordPosition position, char* record,
                                     std::int64_t* revision) {
  sqlite3_stmt* stmt = nullptr;
  if (int answer = Ready(select_position_, [this] { return table_->SelectByPositionSql(); }, &stmt)) return answer;
  StatementReset reset(stmt);
  sqlite3_bind_int64(stmt, 1, position);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) return ReportAnswer(kRecordNotAvailable);
  if (rc != SQLITE_ROW) return ReportSqlite(db_, rc, false, SchemaOf(table_));
  std::string problem;
  if (!codec_.ReadFields(stmt, record, &problem)) return ReportDriverText(problem);
  *revision = sqlite3_column_int64(stmt, table_->field_count() + 1);
  return kStoreOk;
}

int SqliteRecordFile::ReadByKey(const KeyDef& key, const char* values, char* record,
                                RecordPosition* position, std::int64_t* revision) {
  sqlite3_stmt* stmt = nullptr;
  const std::size_t index = static_cast<std::size_t>(&key - def().keys.data());
  if (int answer = Ready(select_key_[index], [this, &key] { return table_->SelectByKeySql(key); }, &stmt)) return answer;
  StatementReset reset(stmt);
  codec_.BindKey(stmt, key, values);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) return ReportAnswer(kRecordNotAvailable);
  if (rc != SQLITE_ROW) return ReportSqlite(db_, rc, true, SchemaOf(table_));
  std::string problem;
  if (!codec_.ReadFields(stmt, record, &problem)) return ReportDriverText(problem);
  *position = sqlite3_column_int64(stmt, table_->field_count());
  *revision = sqlite3_column_int64(stmt, table_->field_count() + 1);
  return kStoreOk;
}

int SqliteRecordFile::GetByKey(const KeyDef& key) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  if (!OwnsKey(&key)) return ReportDriverText("the key is not a key of this file");
  RecordPosition position = 0;
  std::int64_t revision = 0;
  if (int answer = ReadByKey(key, buffer().data(), scratch_.data(), &position, &revision)) {
    return answer;
  }
  return Deliver(scratch_.data(), position, revision);
}

int SqliteRecordFile::GetByPosition(RecordPosition position) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  std::int64_t revision = 0;
  if (int answer = ReadByPosition(position, scratch_.data(), &revision)) return answer;
  return Deliver(scratch_.data(), position, revision);
}

int SqliteRecordFile::Reget() {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  if (current_position_ == 0) return ReportAnswer(kRecordNotAvailable);
  return GetByPosition(current_position_);
}

int SqliteRecordFile::Add() {
  if (int answer = Usable(true)) return ReportAnswer(answer);
  sqlite3_stmt* stmt = nullptr;
  if (int answer = Ready(insert_, [this] { return table_->InsertSql(); }, &stmt)) return answer;
  StatementReset reset(stmt);
  codec_.BindFields(stmt, buffer().data());
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_DONE) {
    int answer = ReportSqlite(db_, rc, false, SchemaOf(table_));
    if (answer == kDuplicateKey) current_position_ = 0;
    return answer;
  }
  attachment_->connection().Changed();
  std::memcpy(current_record_.data(), buffer().data(), def().record_size);
  current_position_ = sqlite3_last_insert_rowid(db_);
  current_revision_ = 0;
  return kStoreOk;
}

int SqliteRecordFile::Missing() {
  std::int64_t revision = 0;
  int answer = ReadByPosition(current_position_, scratch_.data(), &revision);
  if (answer == kRecordNotAvailable) current_position_ = 0;
  return answer == kStoreOk ? ReportAnswer(kChangedByOther) : answer;
}

// Put and Delete act on the current record, which another opener must not hold.
int SqliteRecordFile::CurrentWritable() {
  if (int answer = Usable(true)) return ReportAnswer(answer);
  if (current_position_ == 0) return ReportAnswer(kRecordNotAvailable);
  if (locks_.HeldByOther(current_position_)) return ReportAnswer(kRecordHeld);
  return kStoreOk;
}

int SqliteRecordFile::Put() {
  if (int answer = CurrentWritable()) return answer;
  sqlite3_stmt* stmt = nullptr;
  if (int answer = Ready(update_[watch_], [this] { return table_->UpdateSql(watch_); }, &stmt)) return answer;
  StatementReset reset(stmt);
  codec_.BindFields(stmt, buffer().data());
  const int position_parameter = table_->field_count() + 1;
  sqlite3_bind_int64(stmt, position_parameter, current_position_);
  if (watch_) sqlite3_bind_int64(stmt, position_parameter + 1, current_revision_);
  int rc = sqlite3_step(stmt);
  std::int64_t revision = 0;
  const bool changed = rc == SQLITE_ROW;
  if (changed) {
    revision = sqlite3_column_int64(stmt, 0);
    // Stepping to the end commits the statement's own transaction, and
    // reports when that fails.
    rc = sqlite3_step(stmt);
  }
  if (rc != SQLITE_DONE) return ReportSqlite(db_, rc, false, SchemaOf(table_));
  if (!changed) return Missing();
  SqliteConnection& connection = attachment_->connection();
  std::uint64_t before = connection.generation();
  cursor_->KeepPage(before, connection.Changed());
  std::memcpy(current_record_.data(), buffer().data(), def().record_size);
  current_revision_ = revision;
  return kStoreOk;
}

int SqliteRecordFile::Delete() {
  if (int answer = CurrentWritable()) return answer;
  sqlite3_stmt* stmt = nullptr;
  if (int answer = Ready(delete_[watch_], [this] { return table_->DeleteSql(watch_); }, &stmt)) return answer;
  StatementReset reset(stmt);
  sqlite3_bind_int64(stmt, 1, current_position_);
  if (watch_) sqlite3_bind_int64(stmt, 2, current_revision_);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_DONE) return ReportSqlite(db_, rc, false, SchemaOf(table_));
  if (sqlite3_changes(db_) == 0) return Missing();
  SqliteConnection& connection = attachment_->connection();
  std::uint64_t before = connection.generation();
  cursor_->KeepPage(before, connection.Changed());
  current_position_ = 0;
  return kStoreOk;
}

bool SqliteRecordFile::DuplicatesKey(const KeyDef& key) {
  if (int answer = Usable(false)) {
    ReportAnswer(answer);
    return false;
  }
  if (!OwnsKey(&key)) {
    ReportDriverText("the key is not a key of this file");
    return false;
  }
  sqlite3_stmt* stmt = nullptr;
  const std::size_t index = static_cast<std::size_t>(&key - def().keys.data());
  if (Ready(duplicate_key_[index], [this, &key] { return table_->DuplicateSql(key); }, &stmt)) return false;
  StatementReset reset(stmt);
  codec_.BindKey(stmt, key, buffer().data());
  sqlite3_bind_int64(stmt, static_cast<int>(key.components.size()) + 1, current_position_);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) ReportSqlite(db_, rc, true, SchemaOf(table_));
  return rc == SQLITE_ROW;
}

int SqliteRecordFile::Hold() {
  if (!open_) return ReportAnswer(kFileNotOpen);
  if (current_position_ == 0) return ReportAnswer(kRecordNotAvailable);
  if (int answer = locks_.Hold(current_position_)) return ReportAnswer(answer);
  return kStoreOk;
}

int SqliteRecordFile::Release() {
  if (!open_) return ReportAnswer(kFileNotOpen);
  locks_.ReleaseAll();
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
  if (!open_) return ReportAnswer(kFileNotOpen);
  if (!streaming_) return kStoreOk;
  streaming_ = false;
  return attachment_->connection().Commit();
}

int SqliteRecordFile::SendCommand(std::string_view command) {
  std::string_view text = platform::Trim(command);
  std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return ReportDriverText("unknown driver command");
  std::string_view name = platform::Trim(text.substr(0, equals));
  std::string_view value = platform::Trim(text.substr(equals + 1));
  if (platform::SameNoCase(name, "QUICKSCAN")) {
    if (platform::SameNoCase(value, "on"))
      quick_scan_ = true;
    else if (platform::SameNoCase(value, "off"))
      quick_scan_ = false;
    else
      return ReportDriverText("QUICKSCAN takes on or off");
    return kStoreOk;
  }
  if (platform::SameNoCase(name, "Recover")) {
    // Open-file-description locks leave nothing stale behind a dead opener,
    // so there is nothing to recover; the number is only checked.
    int seconds = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size() || seconds < 0) {
      return ReportDriverText("Recover takes a number of seconds");
    }
    recover_seconds_ = seconds;
    return kStoreOk;
  }
  return ReportDriverText("unknown driver command");
}

void SqliteRecordFile::ExpectReads(int records) { cursor_->Expect(std::clamp(records, 0, kMaxReadAhead)); }

void SqliteRecordFile::SetReadAhead(int records) {
  read_ahead_ = std::clamp(records, 0, kMaxReadAhead);
}

FileState SqliteRecordFile::SaveState() const {
  FileState state;
  if (!open_) return state;
  state.order = cursor_->order();
  state.position = PositionString();
  state.at_start = cursor_->at_start();
  state.store_state = cursor_->Save();
  state.store_state.append(reinterpret_cast<const char*>(&current_position_),
                           sizeof current_position_);
  state.store_state.append(reinterpret_cast<const char*>(&current_revision_),
                           sizeof current_revision_);
  state.store_state.append(current_record_.data(), current_record_.size());
  state.valid = true;
  return state;
}

int SqliteRecordFile::RestoreState(const FileState& state) {
  if (!open_) return ReportAnswer(kFileNotOpen);
  const std::size_t tail = 2 * sizeof(std::int64_t) + def().record_size;
  if (!state.valid || state.store_state.size() < tail) {
    return ReportDriverText("the saved state is not one of this file");
  }
  std::string_view saved = state.store_state;
  if (!cursor_->Restore(saved.substr(0, saved.size() - tail))) {
    return ReportDriverText("the saved state is not one of this file");
  }
  const char* rest = saved.data() + saved.size() - tail;
  std::memcpy(&current_position_, rest, sizeof current_position_);
  std::memcpy(&current_revision_, rest + sizeof current_position_, sizeof current_revision_);
  std::memcpy(current_record_.data(), rest + 2 * sizeof(std::int64_t), def().record_size);
  return kStoreOk;
}

std::string SqliteRecordFile::PositionString() const {
  if (!open_ || current_position_ == 0) return "";
  return FormatPositionString(def(), current_record_.data(), current_position_);
}

// Reads a position string into scratch_: by the primary key when the file has
// one (the record is looked up), else by position. *by_key tells which.
int SqliteRecordFile::FindByPositionString(std::string_view position, RecordPosition* found,
                                           std::int64_t* revision, bool* by_key) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  std::memcpy(scratch_.data(), buffer().data(), def().record_size);
  if (!ParsePositionString(def(), position, scratch_.data(), found)) {
    return ReportDriverText("not a position string of this file");
  }
  const KeyDef* primary = def().PrimaryKey();
  *by_key = primary != nullptr;
  if (!*by_key) return kStoreOk;
  std::vector<char> values(scratch_);
  return ReadByKey(*primary, values.data(), scratch_.data(), found, revision);
}

int SqliteRecordFile::SetByPositionString(std::string_view position) {
  RecordPosition found = 0;
  std::int64_t revision = 0;
  bool by_key = false;
  if (int answer = FindByPositionString(position, &found, &revision, &by_key)) return answer;
  if (!by_key) return SetByPosition(cursor_->order(), found);
  cursor_->SetAtRecord(cursor_->order(), scratch_.data(), found);
  return kStoreOk;
}

int SqliteRecordFile::GetByPositionString(std::string_view position) {
  RecordPosition found = 0;
  std::int64_t revision = 0;
  bool by_key = false;
  if (int answer = FindByPositionString(position, &found, &revision, &by_key)) return answer;
  if (!by_key) return GetByPosition(found);
  return Deliver(scratch_.data(), found, revision);
}

}  // namespace vornel::data
