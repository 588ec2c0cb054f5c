#include "data/store/sql_record_file.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "data/store/position_string.h"
#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"
#include "platform/text.h"

namespace vornel::data {

SqlRecordFile::SqlRecordFile(const FileDef& def)
    : RecordFile(def), scratch_(def.record_size), current_record_(def.record_size) {}

void SqlRecordFile::Opened(std::unique_ptr<RecordCursor> cursor, std::uint8_t mode) {
  cursor_ = std::move(cursor);
  mode_ = mode;
  open_ = true;
  current_position_ = 0;
  current_revision_ = 0;
}

void SqlRecordFile::Closed() {
  if (cursor_) cursor_->Finalize();
  cursor_.reset();
  open_ = false;
  current_position_ = 0;
}

int SqlRecordFile::Usable(bool write) const {
  if (!open_) return kFileNotOpen;
  const std::uint8_t access = mode_ & 0x0F;
  if (write ? access == kReadOnly : access == kWriteOnly) return kAccessDenied;
  return kStoreOk;
}

bool SqlRecordFile::OwnsKey(const KeyDef* key) const {
  const auto keys = def().keys;
  return key == nullptr || (key >= keys.data() && key < keys.data() + keys.size());
}

// Setting an order needs an open file; a read, a file open for reading.
int SqlRecordFile::Positionable(const KeyDef* key, bool read) const {
  if (int answer = read ? Usable(false) : (open_ ? kStoreOk : kFileNotOpen)) return ReportAnswer(answer);
  if (!OwnsKey(key)) return ReportDriverText("the key is not a key of this file");
  return kStoreOk;
}

std::int64_t SqlRecordFile::Records() {
  if (int answer = Usable(false)) {
    ReportAnswer(answer);
    return -1;
  }
  return CountRows();
}

int SqlRecordFile::SetOrder(const KeyDef* key) {
  if (int answer = Positionable(key, false)) return answer;
  cursor_->SetOrder(key, false);
  return kStoreOk;
}

int SqlRecordFile::SetOrderEnd(const KeyDef* key) {
  if (int answer = Positionable(key, false)) return answer;
  cursor_->SetOrder(key, true);
  return kStoreOk;
}

int SqlRecordFile::SetByKey(const KeyDef& key) {
  if (int answer = Positionable(&key, false)) return answer;
  cursor_->SetAtKey(key, buffer().data());
  return kStoreOk;
}

int SqlRecordFile::SetByPosition(const KeyDef* key, RecordPosition position) {
  if (int answer = Positionable(key, true)) return answer;
  Found found;
  if (int answer = ReadByPosition(position, scratch_.data(), &found)) return answer;
  cursor_->SetAtRecord(key, scratch_.data(), position);
  return kStoreOk;
}

int SqlRecordFile::SetAfterRecord(const KeyDef* key, std::span<const char> record, RecordPosition position) {
  if (int answer = Positionable(key, true)) return answer;
  if (record.size() != def().record_size) return ReportDriverText("the record is not one of this file");
  cursor_->SetAtRecord(key, record.data(), position, false);
  return kStoreOk;
}

int SqlRecordFile::PageSize() const {
  if (read_ahead_ > 0) return read_ahead_;
  return quick_scan_ ? kQuickScanReadAhead : kDefaultReadAhead;
}

int SqlRecordFile::Step(bool forward) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  RecordCursor::Row row{};
  // Reads go with the set read-ahead; by default they start small and grow.
  const int page = PageSize();
  const int max_page = read_ahead_ > 0 ? read_ahead_ : kQuickScanReadAhead;
  if (int answer = cursor_->Step(forward, page, max_page, Generation(), &row)) return answer;
  return Deliver(row.record, {row.position, row.revision, row.marked});
}

int SqlRecordFile::Deliver(const char* record, const Found& found) {
  if (HeldByOther(found.position, found.may_be_held)) return ReportAnswer(kRecordHeld);
  const std::size_t size = def().record_size;
  std::memcpy(buffer().data(), record, size);
  std::memcpy(current_record_.data(), record, size);
  current_position_ = found.position;
  current_revision_ = found.revision;
  return kStoreOk;
}

int SqlRecordFile::GetByKey(const KeyDef& key) {
  if (int answer = Positionable(&key, true)) return answer;
  Found found;
  if (int answer = ReadByKey(key, buffer().data(), scratch_.data(), &found)) return answer;
  return Deliver(scratch_.data(), found);
}

int SqlRecordFile::GetByPosition(RecordPosition position) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  Found found;
  if (int answer = ReadByPosition(position, scratch_.data(), &found)) return answer;
  found.position = position;
  return Deliver(scratch_.data(), found);
}

int SqlRecordFile::Reget() {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  if (current_position_ == 0) return ReportAnswer(kRecordNotAvailable);
  return GetByPosition(current_position_);
}

int SqlRecordFile::Add() {
  if (int answer = Usable(true)) return ReportAnswer(answer);
  RecordPosition position = 0;
  if (int answer = InsertRow(&position)) {
    if (answer == kDuplicateKey) current_position_ = 0;
    return answer;
  }
  MarkChanged();
  std::memcpy(current_record_.data(), buffer().data(), def().record_size);
  current_position_ = position;
  current_revision_ = 0;
  return kStoreOk;
}

int SqlRecordFile::Missing() {
  Found found;
  int answer = ReadByPosition(current_position_, scratch_.data(), &found);
  if (answer == kRecordNotAvailable) current_position_ = 0;
  return answer == kStoreOk ? ReportAnswer(kChangedByOther) : answer;
}

// Put and Delete act on the current record, which another opener must not hold.
int SqlRecordFile::CurrentWritable() {
  if (int answer = Usable(true)) return ReportAnswer(answer);
  if (current_position_ == 0) return ReportAnswer(kRecordNotAvailable);
  if (HeldByOther(current_position_, !WritesRefuseHeldRows())) return ReportAnswer(kRecordHeld);
  return kStoreOk;
}

int SqlRecordFile::Put() {
  if (int answer = CurrentWritable()) return answer;
  bool done = false;
  std::int64_t revision = 0;
  if (int answer = UpdateRow(&done, &revision)) return answer;
  if (!done) return Missing();
  std::uint64_t before = Generation();
  cursor_->KeepPage(before, MarkChanged());
  std::memcpy(current_record_.data(), buffer().data(), def().record_size);
  current_revision_ = revision;
  return kStoreOk;
}

int SqlRecordFile::Delete() {
  if (int answer = CurrentWritable()) return answer;
  bool done = false;
  if (int answer = DeleteRow(&done)) return answer;
  if (!done) return Missing();
  std::uint64_t before = Generation();
  cursor_->KeepPage(before, MarkChanged());
  current_position_ = 0;
  return kStoreOk;
}

bool SqlRecordFile::DuplicatesKey(const KeyDef& key) {
  return Positionable(&key, true) == kStoreOk && FindDuplicate(key);
}

int SqlRecordFile::Hold() {
  if (!open_) return ReportAnswer(kFileNotOpen);
  if (current_position_ == 0) return ReportAnswer(kRecordNotAvailable);
  return HoldRow(current_position_);
}

int SqlRecordFile::Release() {
  if (!open_) return ReportAnswer(kFileNotOpen);
  ReleaseRows();
  return kStoreOk;
}

int SqlRecordFile::SendCommand(std::string_view command) {
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
    // Holds vanish with their holder, so there is nothing to recover; the
    // number is only checked.
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

void SqlRecordFile::ExpectReads(int records) {
  if (cursor_) cursor_->Expect(std::clamp(records, 0, kMaxReadAhead));
}

void SqlRecordFile::SetReadAhead(int records) { read_ahead_ = std::clamp(records, 0, kMaxReadAhead); }

FileState SqlRecordFile::SaveState() const {
  FileState state;
  if (!open_) return state;
  state.order = cursor_->order();
  state.position = PositionString();
  state.at_start = cursor_->at_start();
  state.store_state = cursor_->Save();
  state.store_state.append(reinterpret_cast<const char*>(&current_position_), sizeof current_position_);
  state.store_state.append(reinterpret_cast<const char*>(&current_revision_), sizeof current_revision_);
  state.store_state.append(current_record_.data(), current_record_.size());
  state.valid = true;
  return state;
}

int SqlRecordFile::RestoreState(const FileState& state) {
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

std::string SqlRecordFile::PositionString() const {
  if (!open_ || current_position_ == 0) return "";
  return FormatPositionString(def(), current_record_.data(), current_position_);
}

// Reads a position string into scratch_: by the primary key when the file has
// one (the record is looked up), else by position. *by_key tells which.
int SqlRecordFile::FindByPositionString(std::string_view position, Found* found, bool* by_key) {
  if (int answer = Usable(false)) return ReportAnswer(answer);
  std::memcpy(scratch_.data(), buffer().data(), def().record_size);
  if (!ParsePositionString(def(), position, scratch_.data(), &found->position)) {
    return ReportDriverText("not a position string of this file");
  }
  const KeyDef* primary = def().PrimaryKey();
  *by_key = primary != nullptr;
  if (!*by_key) return kStoreOk;
  std::vector<char> values(scratch_);
  return ReadByKey(*primary, values.data(), scratch_.data(), found);
}

int SqlRecordFile::SetByPositionString(std::string_view position) {
  Found found;
  bool by_key = false;
  if (int answer = FindByPositionString(position, &found, &by_key)) return answer;
  if (!by_key) return SetByPosition(cursor_->order(), found.position);
  cursor_->SetAtRecord(cursor_->order(), scratch_.data(), found.position);
  return kStoreOk;
}

int SqlRecordFile::GetByPositionString(std::string_view position) {
  Found found;
  bool by_key = false;
  if (int answer = FindByPositionString(position, &found, &by_key)) return answer;
  if (!by_key) return GetByPosition(found.position);
  return Deliver(scratch_.data(), found);
}

}  // namespace vornel::data
