#include "data/store/pg_record_file.h"

#include "data/store/pg_cursor.h"
#include "data/store/pg_schema.h"
#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"

namespace vornel::data {
namespace {

// The statement's text, built the first time it is needed.
template <typename Make>
const std::string& Text(std::string& slot, Make make) {
  if (slot.empty()) slot = make();
  return slot;
}

}  // namespace

PgRecordFile::PgRecordFile(const FileDef& def, PgAddress address, std::string schema, std::string schema_problem)
    : SqlRecordFile(def),
      address_(std::move(address)),
      schema_(std::move(schema)),
      schema_problem_(std::move(schema_problem)),
      codec_(def),
      plain_table_(def, schema_, PostgresDialect()),
      select_key_(def.keys.size()),
      duplicate_key_(def.keys.size()) {}

PgRecordFile::~PgRecordFile() { Close(); }

int PgRecordFile::Borrow(std::shared_ptr<PgSession>* session) {
  if (!schema_problem_.empty()) return ReportDriverText(schema_problem_);
  if (IsOpen()) {
    *session = session_;
    return kStoreOk;
  }
  int answer = kStoreOk;
  *session = PgSession::ForThisThread(address_, &answer);
  return answer;
}

int PgRecordFile::Run(const std::string& sql, PgResult* result) {
  return session_->connection().Run(sql, parameters_, result);
}

int PgRecordFile::Create() {
  std::shared_ptr<PgSession> session;
  if (int answer = Borrow(&session)) return answer;
  return CreateTable(session->connection(), plain_table_);
}

bool PgRecordFile::Exists() {
  std::shared_ptr<PgSession> session;
  std::uint32_t oid = 0;
  return Borrow(&session) == kStoreOk && TableOid(session->connection(), plain_table_, &oid) == kStoreOk && oid != 0;
}

int PgRecordFile::Open(std::uint8_t mode) {
  if (IsOpen()) return ReportAnswer(kFileAlreadyOpen);
  std::shared_ptr<PgSession> session;
  if (int answer = Borrow(&session)) return answer;
  PgConnection& connection = session->connection();
  if (int answer = session->PrepareStore()) return answer;
  std::uint32_t oid = 0;
  if (int answer = TableOid(connection, plain_table_, &oid)) return answer;
  if (oid == 0) return ReportAnswer(kFileNotFound);
  if (int answer = CheckColumns(connection, plain_table_, oid)) return answer;
  if (int answer = CheckKeys(connection, plain_table_, oid)) return answer;
  if (int answer = locks_.Open(address_, oid, mode)) return answer;
  // Nobody else has the file open, so no hold of it can exist.
  if ((mode & 0xF0) == kDenyAll) locks_.ClearHolds();
  session_ = std::move(session);
  table_ = std::make_unique<SqlTable>(def(), schema_, PostgresDialect(), HoldMarkColumn(oid, plain_table_.name()));
  streaming_ = false;
  Opened(std::make_unique<PgCursor>(*table_, codec_, *session_), mode);
  return kStoreOk;
}

int PgRecordFile::Close() {
  if (!IsOpen()) return kStoreOk;
  int answer = streaming_ ? Flush() : kStoreOk;
  locks_.Close();
  Closed();
  table_.reset();
  for (std::string* text : {&select_position_, &insert_, &count_}) text->clear();
  for (auto* texts : {&update_, &delete_}) {
    for (auto& pair : *texts)
      for (std::string& text : pair) text.clear();
  }
  for (auto& text : select_key_) text.clear();
  for (auto& text : duplicate_key_) text.clear();
  session_.reset();
  return answer;
}

std::int64_t PgRecordFile::CountRows() {
  parameters_.Clear();
  if (Run(Text(count_, [this] { return table_->CountSql(); }), &result_)) return -1;
  return ResultInteger(result_, 0, 0);
}

int PgRecordFile::BuildKeys() {
  std::shared_ptr<PgSession> session;
  if (int answer = Borrow(&session)) return answer;
  std::uint32_t oid = 0;
  if (int answer = TableOid(session->connection(), plain_table_, &oid)) return answer;
  if (oid == 0) return ReportAnswer(kFileNotFound);
  return RebuildKeys(session->connection(), plain_table_, oid);
}

int PgRecordFile::Remove() {
  if (IsOpen()) return ReportAnswer(kFileAlreadyOpen);
  std::shared_ptr<PgSession> session;
  if (int answer = Borrow(&session)) return answer;
  std::uint32_t oid = 0;
  if (int answer = TableOid(session->connection(), plain_table_, &oid)) return answer;
  if (oid == 0) return ReportAnswer(kFileNotFound);
  // A table of another shape is not this file: it stays.
  if (int answer = CheckColumns(session->connection(), plain_table_, oid)) return answer;
  // Only a file that nobody has open may go.
  PgFileLocks exclusive;
  if (int answer = exclusive.Open(address_, oid, kReadWrite | kDenyAll)) return answer;
  exclusive.ClearHolds();
  return DropTable(session->connection(), plain_table_);
}

int PgRecordFile::AddKey(const KeyDef& key, const char* record) {
  std::string problem;
  return codec_.AddKey(parameters_, key, record, &problem) ? kStoreOk : ReportDriverText(problem);
}

int PgRecordFile::ReadRow(char* record, Found* found) {
  if (result_.rows() == 0) return ReportAnswer(kRecordNotAvailable);
  std::string problem;
  if (!codec_.ReadFields(result_, 0, record, &problem)) return ReportDriverText(problem);
  const int position_column = table_->field_count();
  found->position = ResultInteger(result_, 0, position_column);
  found->revision = ResultInteger(result_, 0, position_column + 1);
  found->may_be_held = result_.Text(0, position_column + 2) == "t";
  return kStoreOk;
}

int PgRecordFile::ReadByPosition(RecordPosition position, char* record, Found* found) {
  parameters_.Clear();
  parameters_.AddInteger(position);
  if (int answer = Run(Text(select_position_, [this] { return table_->SelectByPositionSql(); }), &result_)) {
    return answer;
  }
  return ReadRow(record, found);
}

int PgRecordFile::ReadByKey(const KeyDef& key, const char* values, char* record, Found* found) {
  parameters_.Clear();
  if (int answer = AddKey(key, values)) return answer;
  const std::size_t index = static_cast<std::size_t>(&key - def().keys.data());
  if (int answer = Run(Text(select_key_[index], [this, &key] { return table_->SelectByKeySql(key); }), &result_)) {
    return answer;
  }
  return ReadRow(record, found);
}

int PgRecordFile::Protected() {
  if (!locks_.Lost()) return kStoreOk;
  return ReportDriverText("The locks of the file " + std::string(def().label) + " on the database server at " +
                          DescribeServer(address_) +
                          " were lost with their connection, and another station has taken them since: close "
                          "the window and open it again before changing records");
}

int PgRecordFile::InsertRow(RecordPosition* position) {
  if (int answer = Protected()) return answer;
  parameters_.Clear();
  std::string problem;
  if (!codec_.AddFields(parameters_, buffer().data(), &problem)) return ReportDriverText(problem);
  if (int answer = Run(Text(insert_, [this] { return table_->InsertSql(); }), &result_)) return answer;
  // The insert does nothing on a unique key's conflict, so that a running
  // transaction goes on as it does in the embedded store.
  if (result_.rows() == 0) {
    return ReportAnswer(kDuplicateKey, "a record of " + std::string(def().label) +
                                           " has the same values of a unique key");
  }
  *position = ResultInteger(result_, 0, 0);
  return kStoreOk;
}

// A write tells another station's hold by itself, without a question to the
// lock session: it leaves the row as it is while the holds table names it.
// Only then is the lock asked; a mark that a holder who is gone left behind
// is no hold, and the write is made regardless. A row that this process
// holds is written plainly (another opener's hold was refused before).
int PgRecordFile::WriteUnlessHeld(const std::function<int(bool unless_marked)>& write, bool* done) {
  const bool held_here = locks_.HeldHere(Position());
  if (int answer = write(!held_here)) return answer;
  if (*done || held_here) return kStoreOk;
  if (locks_.HeldByOther(Position(), true)) return ReportAnswer(kRecordHeld);
  return write(false);
}

int PgRecordFile::UpdateRow(bool* done, std::int64_t* revision) {
  if (int answer = Protected()) return answer;
  parameters_.Clear();
  std::string problem;
  if (!codec_.AddFields(parameters_, buffer().data(), &problem)) return ReportDriverText(problem);
  parameters_.AddInteger(Position());
  const bool watched = Watched();
  if (watched) parameters_.AddInteger(Revision());
  return WriteUnlessHeld(
      [&](bool unless_marked) -> int {
        const std::string& sql = Text(update_[watched][unless_marked],
                                      [&] { return table_->UpdateSql(watched, unless_marked); });
        if (int answer = Run(sql, &result_)) return answer;
        *done = result_.rows() > 0;
        if (*done) *revision = ResultInteger(result_, 0, 0);
        return kStoreOk;
      },
      done);
}

int PgRecordFile::DeleteRow(bool* done) {
  if (int answer = Protected()) return answer;
  parameters_.Clear();
  parameters_.AddInteger(Position());
  const bool watched = Watched();
  if (watched) parameters_.AddInteger(Revision());
  return WriteUnlessHeld(
      [&](bool unless_marked) -> int {
        const std::string& sql = Text(delete_[watched][unless_marked],
                                      [&] { return table_->DeleteSql(watched, unless_marked); });
        if (int answer = Run(sql, &result_)) return answer;
        *done = result_.ChangedRows() > 0;
        return kStoreOk;
      },
      done);
}

bool PgRecordFile::FindDuplicate(const KeyDef& key) {
  parameters_.Clear();
  if (AddKey(key, buffer().data())) return false;
  parameters_.AddInteger(Position());
  const std::size_t index = static_cast<std::size_t>(&key - def().keys.data());
  return Run(Text(duplicate_key_[index], [this, &key] { return table_->DuplicateSql(key); }), &result_) ==
             kStoreOk &&
         result_.rows() > 0;
}

int PgRecordFile::Stream() {
  if (int answer = Usable(true)) return ReportAnswer(answer);
  // Inside a running transaction the writes are batched already.
  if (streaming_ || session_->connection().InTransaction()) return kStoreOk;
  if (int answer = session_->Begin(10000)) return answer;
  streaming_ = true;
  return kStoreOk;
}

int PgRecordFile::Flush() {
  if (!IsOpen()) return ReportAnswer(kFileNotOpen);
  if (!streaming_) return kStoreOk;
  streaming_ = false;
  return session_->Commit();
}

}  // namespace vornel::data
