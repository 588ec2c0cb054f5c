#include "data/store/sqlite_codec.h"
#include "platform/raw_value.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace vornel::data {
namespace {

static_assert(std::endian::native == std::endian::little,
              "records are little-endian; this store copies their integers directly");

template <typename T>
bool StoreIfFits(std::int64_t value, char* at) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) return false;
  T narrow = static_cast<T>(value);
  std::memcpy(at, &narrow, sizeof narrow);
  return true;
}

// Text without trailing blanks (spaces and NULs), as comparisons ignore them.
int ClippedLength(const char* text, int width) {
  while (width > 0 && (text[width - 1] == ' ' || text[width - 1] == '\0')) --width;
  return width;
}

}  // namespace

RowCodec::RowCodec(const FileDef& def) : def_(def) {
  slots_.reserve(def.fields.size());
  for (const FieldDef& field : def.fields)
    slots_.push_back({field.type, field.offset, field.width});
}

void RowCodec::BindField(sqlite3_stmt* stmt, int index, std::size_t field,
                         const char* record) const {
  const Slot& slot = slots_[field];
  const char* at = record + slot.offset;
  switch (slot.type) {
    case FieldType::kText:
      sqlite3_bind_text(stmt, index, at, ClippedLength(at, slot.width), SQLITE_STATIC);
      break;
    case FieldType::kUInt8:
      sqlite3_bind_int(stmt, index, static_cast<unsigned char>(*at));
      break;
    case FieldType::kInt16:
      sqlite3_bind_int(stmt, index, platform::LoadRaw<std::int16_t>(at));
      break;
    case FieldType::kInt32:
    case FieldType::kDate:
    case FieldType::kTime:
      sqlite3_bind_int(stmt, index, platform::LoadRaw<std::int32_t>(at));
      break;
    case FieldType::kFloat64:
      sqlite3_bind_double(stmt, index, platform::LoadRaw<double>(at));
      break;
  }
}

void RowCodec::BindFields(sqlite3_stmt* stmt, const char* record) const {
  for (std::size_t i = 0; i < slots_.size(); ++i)
    BindField(stmt, static_cast<int>(i) + 1, i, record);
}

void RowCodec::BindKey(sqlite3_stmt* stmt, const KeyDef& key, const char* record) const {
  int index = 1;
  for (const KeyComponent& component : key.components)
    BindField(stmt, index++, component.field, record);
}

bool RowCodec::ReadField(sqlite3_stmt* stmt, int column, const Slot& slot, char* record) const {
  char* at = record + slot.offset;
  switch (slot.type) {
    case FieldType::kText: {
      const unsigned char* text = sqlite3_column_text(stmt, column);
      int length = sqlite3_column_bytes(stmt, column);
      if (length > slot.width) return false;
      if (length > 0) std::memcpy(at, text, static_cast<std::size_t>(length));
      std::memset(at + length, ' ', static_cast<std::size_t>(slot.width - length));
      return true;
    }
    case FieldType::kUInt8:
      return StoreIfFits<std::uint8_t>(sqlite3_column_int64(stmt, column), at);
    case FieldType::kInt16:
      return StoreIfFits<std::int16_t>(sqlite3_column_int64(stmt, column), at);
    case FieldType::kInt32:
    case FieldType::kDate:
    case FieldType::kTime:
      return StoreIfFits<std::int32_t>(sqlite3_column_int64(stmt, column), at);
    case FieldType::kFloat64: {
      double value = sqlite3_column_double(stmt, column);
      std::memcpy(at, &value, sizeof value);
      return true;
    }
  }
  return false;
}

bool RowCodec::ReadFields(sqlite3_stmt* stmt, char* record, std::string* problem) const {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!ReadField(stmt, static_cast<int>(i), slots_[i], record)) {
      if (problem != nullptr) {
        *problem =
            "the stored value of " + std::string(def_.fields[i].name) + " does not fit the field";
      }
      return false;
    }
  }
  return true;
}

}  // namespace vornel::data
