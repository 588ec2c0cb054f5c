#include "platform/window/value_ref.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/text.h"
#include "platform/raw_value.h"

namespace vornel::platform {
namespace {

template <typename T>
bool StoreInteger(void* at, double value, std::string* message) {
  const double whole = std::trunc(value);
  if (!std::isfinite(whole) || whole < std::numeric_limits<T>::min() ||
      whole > std::numeric_limits<T>::max()) {
    if (message) *message = "The value is out of range.";
    return false;
  }
  T v = static_cast<T>(whole);
  std::memcpy(at, &v, sizeof v);
  return true;
}

}  // namespace

double ValueRef::Number() const {
  switch (type) {
    case Type::kUInt8: return LoadRaw<std::uint8_t>(address);
    case Type::kInt16: return LoadRaw<std::int16_t>(address);
    case Type::kInt32: return LoadRaw<std::int32_t>(address);
    case Type::kDouble: return LoadRaw<double>(address);
    case Type::kText:
    case Type::kString: return ReadNumber(Text()).value_or(0);
    case Type::kNone: return 0;
  }
  return 0;
}

std::string ValueRef::Text() const {
  switch (type) {
    case Type::kText: return std::string(Clip({static_cast<const char*>(address), width}));
    case Type::kString: return *static_cast<const std::string*>(address);
    case Type::kNone: return {};
    default: return PlainNumber(Number());
  }
}

std::string FormatValue(const ValueRef& value, std::string_view picture) {
  if (!value.bound()) return {};
  auto parsed = Picture::Parse(picture);
  if (!parsed) return value.Text();
  switch (parsed->kind()) {
    case PictureKind::kString:
    case PictureKind::kPattern: return parsed->FormatText(value.Text());
    default: return parsed->Format(value.Number());
  }
}

bool StoreTyped(const ValueRef& value, std::string_view picture, std::string_view typed,
                std::string* message) {
  if (!value.bound()) return true;
  const std::optional<Picture> parsed = Picture::Parse(picture);
  const bool text_entry = !parsed || parsed->kind() == PictureKind::kString ||
                          parsed->kind() == PictureKind::kPattern;
  EntryResult entry;
  if (parsed) {
    entry = parsed->Deformat(typed);
  } else {
    entry.ok = true;
    entry.text = std::string(typed);
  }
  if (!entry.ok) {
    if (message) *message = entry.message;
    return false;
  }
  const std::string text = text_entry ? entry.text : PlainNumber(entry.number);
  double number = entry.number;
  if (text_entry && value.type != ValueRef::Type::kText && value.type != ValueRef::Type::kString) {
    std::optional<double> read = ReadNumber(entry.text);
    if (!read && !Trim(entry.text).empty()) {
      if (message) *message = "The value must be a number.";
      return false;
    }
    number = read.value_or(0);
  }
  switch (value.type) {
    case ValueRef::Type::kText:
      if (!AssignPadded({static_cast<char*>(value.address), value.width}, text)) {
        if (message) *message = "The text is longer than its field.";
        return false;
      }
      return true;
    case ValueRef::Type::kString:
      *static_cast<std::string*>(value.address) = text;
      return true;
    case ValueRef::Type::kUInt8: return StoreInteger<std::uint8_t>(value.address, number, message);
    case ValueRef::Type::kInt16: return StoreInteger<std::int16_t>(value.address, number, message);
    case ValueRef::Type::kInt32: return StoreInteger<std::int32_t>(value.address, number, message);
    case ValueRef::Type::kDouble:
      if (!std::isfinite(number)) return false;
      std::memcpy(value.address, &number, sizeof number);
      return true;
    case ValueRef::Type::kNone: return true;
  }
  return true;
}

}  // namespace vornel::platform
