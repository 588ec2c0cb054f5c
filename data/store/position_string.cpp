#include "data/store/position_string.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

#include "platform/text.h"
#include "platform/raw_value.h"

namespace vornel::data {
namespace {

void AppendValue(const FieldDef& field, const char* record, std::string* out) {
  const char* at = record + field.offset;
  char number[32];
  std::to_chars_result result{number, {}};
  switch (field.type) {
    case FieldType::kText:
      for (char c : platform::Clip(std::string_view(at, field.width))) {
        if (c == '\\' || c == '|') *out += '\\';
        *out += c;
      }
      return;
    case FieldType::kUInt8:
      result = std::to_chars(number, number + sizeof number, static_cast<unsigned char>(*at));
      break;
    case FieldType::kInt16:
      result = std::to_chars(number, number + sizeof number, platform::LoadRaw<std::int16_t>(at));
      break;
    case FieldType::kInt32:
    case FieldType::kDate:
    case FieldType::kTime:
      result = std::to_chars(number, number + sizeof number, platform::LoadRaw<std::int32_t>(at));
      break;
    case FieldType::kFloat64:
      result = std::to_chars(number, number + sizeof number, platform::LoadRaw<double>(at));
      break;
  }
  out->append(number, result.ptr);
}

template <typename T>
bool StoreInteger(std::string_view text, char* at) {
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) return false;
  T narrow = static_cast<T>(value);
  std::memcpy(at, &narrow, sizeof narrow);
  return true;
}

bool StoreValue(const FieldDef& field, std::string_view text, char* record) {
  char* at = record + field.offset;
  switch (field.type) {
    case FieldType::kText:
      return platform::AssignPadded(std::span<char>(at, field.width), text);
    case FieldType::kUInt8:
      return StoreInteger<std::uint8_t>(text, at);
    case FieldType::kInt16:
      return StoreInteger<std::int16_t>(text, at);
    case FieldType::kInt32:
    case FieldType::kDate:
    case FieldType::kTime:
      return StoreInteger<std::int32_t>(text, at);
    case FieldType::kFloat64: {
      double value = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
      if (error != std::errc() || end != text.data() + text.size()) return false;
      std::memcpy(at, &value, sizeof value);
      return true;
    }
  }
  return false;
}

// The '|'-separated parts with their escapes undone.
std::vector<std::string> SplitParts(std::string_view text) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      parts.back() += text[++i];
    } else if (text[i] == '|') {
      parts.emplace_back();
    } else {
      parts.back() += text[i];
    }
  }
  return parts;
}

}  // namespace

std::string FormatPositionString(const FileDef& def, const char* record, RecordPosition position) {
  const KeyDef* primary = def.PrimaryKey();
  if (primary == nullptr) return std::to_string(position);
  std::string text;
  bool first = true;
  for (const KeyComponent& component : primary->components) {
    if (!first) text += '|';
    first = false;
    AppendValue(def.fields[component.field], record, &text);
  }
  return text;
}

bool ParsePositionString(const FileDef& def, std::string_view text, char* record,
                         RecordPosition* position) {
  const KeyDef* primary = def.PrimaryKey();
  if (primary == nullptr) {
    RecordPosition value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) return false;
    *position = value;
    return true;
  }
  std::vector<std::string> parts = SplitParts(text);
  if (parts.size() != primary->components.size()) return false;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!StoreValue(def.fields[primary->components[i].field], parts[i], record)) return false;
  }
  return true;
}

}  // namespace vornel::data
