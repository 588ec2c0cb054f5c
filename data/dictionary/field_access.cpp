#include "data/dictionary/field_access.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/expression_rules.h"
#include "platform/text.h"
#include "platform/raw_value.h"

namespace vornel::data {
namespace {

// Whether the buffer holds a whole record and the field lies inside it (a
// field of another file may not).
bool Fits(const FileDef& file, const FieldDef& field, std::size_t buffer_size) {
  return buffer_size >= file.record_size &&
         static_cast<std::size_t>(field.offset) + field.width <= file.record_size;
}

// The whole part of `value` when it lies in T's range.
template <typename T>
std::optional<T> WholeIn(double value) {
  double whole = std::trunc(value);
  if (whole < static_cast<double>(std::numeric_limits<T>::min()) ||
      whole > static_cast<double>(std::numeric_limits<T>::max())) {
    return std::nullopt;
  }
  return static_cast<T>(whole);
}

template <typename T>
bool StoreWhole(char* at, double value) {
  std::optional<T> whole = WholeIn<T>(value);
  if (!whole) return false;
  platform::StoreRaw(at, *whole);
  return true;
}

}  // namespace

double ReadNumber(const FileDef& file, const FieldDef& field, std::span<const char> record) {
  if (!Fits(file, field, record.size())) return 0;
  const char* at = record.data() + field.offset;
  switch (field.type) {
    case FieldType::kText:
      return platform::expr::TextToNumber(std::string_view(at, field.width));
    case FieldType::kUInt8:
      return platform::LoadRaw<std::uint8_t>(at);
    case FieldType::kInt16:
      return platform::LoadRaw<std::int16_t>(at);
    case FieldType::kInt32:
    case FieldType::kDate:
    case FieldType::kTime:
      return platform::LoadRaw<std::int32_t>(at);
    case FieldType::kFloat64:
      return platform::LoadRaw<double>(at);
  }
  return 0;
}

std::string ReadText(const FileDef& file, const FieldDef& field, std::span<const char> record) {
  if (!Fits(file, field, record.size())) return {};
  if (field.type == FieldType::kText) {
    return std::string(platform::Clip(std::string_view(record.data() + field.offset, field.width)));
  }
  char buffer[platform::expr::kNumberTextSize];
  return std::string(platform::expr::FormatNumber(ReadNumber(file, field, record), buffer));
}

bool WriteNumber(const FileDef& file, const FieldDef& field, std::span<char> record, double value) {
  if (!Fits(file, field, record.size()) || !std::isfinite(value)) return false;
  char* at = record.data() + field.offset;
  switch (field.type) {
    case FieldType::kText: {
      char buffer[platform::expr::kNumberTextSize];
      return platform::AssignPadded(std::span<char>(at, field.width),
                                    platform::expr::FormatNumber(value, buffer));
    }
    case FieldType::kUInt8:
      return StoreWhole<std::uint8_t>(at, value);
    case FieldType::kInt16:
      return StoreWhole<std::int16_t>(at, value);
    case FieldType::kInt32:
    case FieldType::kDate:
    case FieldType::kTime:
      return StoreWhole<std::int32_t>(at, value);
    case FieldType::kFloat64:
      platform::StoreRaw(at, value);
      return true;
  }
  return false;
}

bool WriteText(const FileDef& file, const FieldDef& field, std::span<char> record,
               std::string_view text) {
  if (!Fits(file, field, record.size())) return false;
  if (field.type == FieldType::kText) {
    return platform::AssignPadded(record.subspan(field.offset, field.width), text);
  }
  if (platform::Trim(text).empty()) return WriteNumber(file, field, record, 0);
  std::optional<double> number = platform::expr::ReadNumber(text);
  return number && WriteNumber(file, field, record, *number);
}

bool ClearRecord(const FileDef& file, std::span<char> record) {
  if (record.size() < file.record_size) return false;
  for (const FieldDef& field : file.fields) {
    std::memset(record.data() + field.offset, field.type == FieldType::kText ? ' ' : 0, field.width);
  }
  return true;
}

bool SameLayout(const FileDef& a, const FileDef& b) {
  if (a.record_size != b.record_size || a.fields.size() != b.fields.size()) return false;
  for (std::size_t i = 0; i < a.fields.size(); ++i) {
    const FieldDef& x = a.fields[i];
    const FieldDef& y = b.fields[i];
    if (x.type != y.type || x.offset != y.offset || x.width != y.width) return false;
  }
  return true;
}

bool CopyRecord(const FileDef& from, std::span<const char> source, const FileDef& to,
                std::span<char> target) {
  if (!SameLayout(from, to) || source.size() < from.record_size || target.size() < to.record_size) {
    return false;
  }
  for (std::size_t i = 0; i < from.fields.size(); ++i) {
    std::memcpy(target.data() + to.fields[i].offset, source.data() + from.fields[i].offset,
                from.fields[i].width);
  }
  return true;
}

bool BindRecord(const FileDef& file, std::span<const char> record, platform::VariableTable& table) {
  if (record.size() < file.record_size) return false;
  bool all = true;
  for (const FieldDef& field : file.fields) {
    using Type = platform::Binding::Type;
    platform::Binding binding;
    binding.address = record.data() + field.offset;
    binding.width = field.width;
    switch (field.type) {
      case FieldType::kText:
        binding.type = Type::kFixedText;
        break;
      case FieldType::kUInt8:
        binding.type = Type::kUInt8;
        break;
      case FieldType::kInt16:
        binding.type = Type::kInt16;
        break;
      case FieldType::kInt32:
      case FieldType::kDate:
      case FieldType::kTime:
        binding.type = Type::kInt32;
        break;
      case FieldType::kFloat64:
        binding.type = Type::kDouble;
        break;
    }
    all = table.Bind(field.name, binding) && all;
  }
  return all;
}

}  // namespace vornel::data
