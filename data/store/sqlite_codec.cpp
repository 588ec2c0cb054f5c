#include "data/store/sqlite_codec.h"

namespace vornel::data {

RowCodec::RowCodec(const FileDef& def) : def_(def), slots_(FieldSlots(def)) {}

void RowCodec::BindField(sqlite3_stmt* stmt, int index, std::size_t field, const char* record) const {
  const FieldSlot& slot = slots_[field];
  if (slot.is_text()) {
    std::string_view text = TextValue(slot, record);
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
  } else if (slot.is_real()) {
    sqlite3_bind_double(stmt, index, RealValue(slot, record));
  } else {
    sqlite3_bind_int64(stmt, index, IntegerValue(slot, record));
  }
}

void RowCodec::BindFields(sqlite3_stmt* stmt, const char* record) const {
  for (std::size_t i = 0; i < slots_.size(); ++i) BindField(stmt, static_cast<int>(i) + 1, i, record);
}

void RowCodec::BindKey(sqlite3_stmt* stmt, const KeyDef& key, const char* record) const {
  int index = 1;
  for (const KeyComponent& component : key.components) BindField(stmt, index++, component.field, record);
}

bool RowCodec::ReadField(sqlite3_stmt* stmt, int column, const FieldSlot& slot, char* record) const {
  if (slot.is_text()) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    const int length = sqlite3_column_bytes(stmt, column);
    return PutText(slot, {text != nullptr ? text : "", static_cast<std::size_t>(length)}, record);
  }
  if (slot.is_real()) {
    PutReal(slot, sqlite3_column_double(stmt, column), record);
    return true;
  }
  return PutInteger(slot, sqlite3_column_int64(stmt, column), record);
}

bool RowCodec::ReadFields(sqlite3_stmt* stmt, char* record, std::string* problem) const {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!ReadField(stmt, static_cast<int>(i), slots_[i], record)) {
      if (problem != nullptr) *problem = DoesNotFitText(def_, i);
      return false;
    }
  }
  return true;
}

}  // namespace vornel::data
