#include "data/view_values.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "data/dictionary/field_access.h"
#include "platform/expression_rules.h"
#include "platform/text.h"
#include "platform/raw_value.h"

namespace vornel::data {
namespace {

template <typename T>
double Load(const void* at) {
  return static_cast<double>(platform::LoadRaw<T>(at));
}

unsigned char Folded(char c) { return static_cast<unsigned char>(platform::LowerChar(c)); }

}  // namespace

platform::ExprValue ReadBinding(const platform::Binding& binding) {
  using Type = platform::Binding::Type;
  if (!binding.IsUsable()) return {};
  switch (binding.type) {
    case Type::kUInt8: return Load<std::uint8_t>(binding.address);
    case Type::kInt16: return Load<std::int16_t>(binding.address);
    case Type::kInt32: return Load<std::int32_t>(binding.address);
    case Type::kDouble: return Load<double>(binding.address);
    case Type::kFixedText:
      return std::string_view(static_cast<const char*>(binding.address), binding.width);
    case Type::kString: return *static_cast<const std::string*>(binding.address);
    case Type::kFunction: return binding.function();
  }
  return {};
}

bool StoreValue(const FileDef& file, const FieldDef& field, std::span<char> record,
                const platform::ExprValue& value) {
  if (value.IsNumber()) return WriteNumber(file, field, record, value.AsNumber());
  return WriteText(file, field, record, platform::Clip(value.TextView()));
}

bool CopyFieldValue(const FileDef& from_file, const FieldDef& from, std::span<const char> source,
                    const FileDef& to_file, const FieldDef& to, std::span<char> target) {
  const bool inside = source.size() >= from_file.record_size && target.size() >= to_file.record_size;
  if (inside && from.type == to.type && from.width == to.width) {
    std::memcpy(target.data() + to.offset, source.data() + from.offset, to.width);
    return true;
  }
  if (from.type != FieldType::kText)
    return WriteNumber(to_file, to, target, ReadNumber(from_file, from, source));
  return WriteText(to_file, to, target, ReadText(from_file, from, source));
}

int CompareKeyField(const FileDef& file, const FieldDef& field, bool no_case,
                    std::span<const char> a, std::span<const char> b) {
  if (field.type != FieldType::kText) {
    return platform::expr::CompareNumbers(ReadNumber(file, field, a), ReadNumber(file, field, b));
  }
  if (a.size() < file.record_size || b.size() < file.record_size) return 0;
  const std::string_view x = platform::Clip({a.data() + field.offset, field.width});
  const std::string_view y = platform::Clip({b.data() + field.offset, field.width});
  if (!no_case) return platform::expr::CompareTexts(x, y);
  const std::size_t n = std::min(x.size(), y.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (Folded(x[i]) != Folded(y[i])) return Folded(x[i]) < Folded(y[i]) ? -1 : 1;
  }
  return x.size() == y.size() ? 0 : x.size() < y.size() ? -1 : 1;
}

}  // namespace vornel::data
