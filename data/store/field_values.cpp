#include "data/store/field_values.h"

#include <cstring>
#include <limits>

#include "platform/raw_value.h"

namespace vornel::data {
namespace {

template <typename T>
bool StoreIfFits(std::int64_t value, char* at) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) return false;
  platform::StoreRaw(at, static_cast<T>(value));
  return true;
}

}  // namespace

std::vector<FieldSlot> FieldSlots(const FileDef& def) {
  std::vector<FieldSlot> slots;
  slots.reserve(def.fields.size());
  for (const FieldDef& field : def.fields) slots.push_back({field.type, field.offset, field.width});
  return slots;
}

std::string_view TextValue(const FieldSlot& slot, const char* record) {
  const char* text = record + slot.offset;
  std::size_t width = slot.width;
  while (width > 0 && (text[width - 1] == ' ' || text[width - 1] == '\0')) --width;
  return {text, width};
}

std::int64_t IntegerValue(const FieldSlot& slot, const char* record) {
  const char* at = record + slot.offset;
  switch (slot.type) {
    case FieldType::kUInt8:
      return static_cast<unsigned char>(*at);
    case FieldType::kInt16:
      return platform::LoadRaw<std::int16_t>(at);
    default:
      return platform::LoadRaw<std::int32_t>(at);
  }
}

double RealValue(const FieldSlot& slot, const char* record) {
  return platform::LoadRaw<double>(record + slot.offset);
}

bool PutText(const FieldSlot& slot, std::string_view text, char* record) {
  if (text.size() > slot.width) return false;
  char* at = record + slot.offset;
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  std::memset(at + text.size(), ' ', slot.width - text.size());
  return true;
}

bool PutInteger(const FieldSlot& slot, std::int64_t value, char* record) {
  char* at = record + slot.offset;
  switch (slot.type) {
    case FieldType::kUInt8:
      return StoreIfFits<std::uint8_t>(value, at);
    case FieldType::kInt16:
      return StoreIfFits<std::int16_t>(value, at);
    default:
      return StoreIfFits<std::int32_t>(value, at);
  }
}

void PutReal(const FieldSlot& slot, double value, char* record) {
  platform::StoreRaw(record + slot.offset, value);
}

std::string DoesNotFitText(const FileDef& def, std::size_t field) {
  return "the stored value of " + std::string(def.fields[field].name) + " does not fit the field";
}

}  // namespace vornel::data
