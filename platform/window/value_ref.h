#pragma once
// What a control shows and edits: a procedure variable or a record field,
// read and written through the control's picture.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/picture.h"

namespace vornel::platform {

struct ValueRef {
  enum class Type { kNone, kText, kUInt8, kInt16, kInt32, kDouble, kString };
  Type type = Type::kNone;
  void* address = nullptr;
  std::size_t width = 0;  // kText: the field's bytes

  bool bound() const { return type != Type::kNone && address != nullptr; }
  // The value as a number (texts read as numbers, 0 when not one).
  double Number() const;
  // The value as text, clipped (numbers in plain form).
  std::string Text() const;
};

template <std::size_t N>
ValueRef Ref(char (&field)[N]) {
  return {ValueRef::Type::kText, field, N};
}
inline ValueRef Ref(std::uint8_t& v) { return {ValueRef::Type::kUInt8, &v, 1}; }
inline ValueRef Ref(std::int16_t& v) { return {ValueRef::Type::kInt16, &v, 2}; }
inline ValueRef Ref(std::int32_t& v) { return {ValueRef::Type::kInt32, &v, 4}; }
inline ValueRef Ref(double& v) { return {ValueRef::Type::kDouble, &v, 8}; }
inline ValueRef Ref(std::string& v) { return {ValueRef::Type::kString, &v, 0}; }

// A field at a byte address, typed by its declared type. The fields of the
// stored records are packed: a reference or pointer of the field's own type
// to one of them is misaligned, so they are bound through their bytes.
template <typename Field>
ValueRef RefAt(char* at) {
  if constexpr (std::is_array_v<Field>) {
    static_assert(std::is_same_v<std::remove_extent_t<Field>, char>, "a text field is a char array");
    return {ValueRef::Type::kText, at, std::extent_v<Field>};
  } else if constexpr (std::is_same_v<Field, std::uint8_t>) {
    return {ValueRef::Type::kUInt8, at, 1};
  } else if constexpr (std::is_same_v<Field, std::int16_t>) {
    return {ValueRef::Type::kInt16, at, 2};
  } else if constexpr (std::is_same_v<Field, std::int32_t>) {
    return {ValueRef::Type::kInt32, at, 4};
  } else {
    static_assert(std::is_same_v<Field, double>, "a field is text, a byte, an integer or a real");
    return {ValueRef::Type::kDouble, at, 8};
  }
}

// The ValueRef of `field` of the packed record `record`: VORNEL_FIELD(s, RATE).
#define VORNEL_FIELD(record, field)                                               \
  ::vornel::platform::RefAt<decltype(std::remove_reference_t<decltype(record)>::field)>( \
      reinterpret_cast<char*>(&(record)) + offsetof(std::remove_reference_t<decltype(record)>, field))

// The value shown through `picture` ("" picture: plain text).
std::string FormatValue(const ValueRef& value, std::string_view picture);

// Reads typed text through `picture` into the value. On failure the value is
// unchanged and *message says why (a text too long for its field, a number
// out of its type's range, text the picture does not read).
bool StoreTyped(const ValueRef& value, std::string_view picture, std::string_view typed,
                std::string* message);

}  // namespace vornel::platform
