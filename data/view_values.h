#pragma once
// How a view moves values between program variables, linking fields and key
// components, and how it compares them the way the store orders keys.
#include <span>

#include "data/dictionary/file_def.h"
#include "platform/expression_scope.h"
#include "platform/expression_value.h"

namespace vornel::data {

// The current value of a bound program variable (a number or a text).
platform::ExprValue ReadBinding(const platform::Binding& binding);

// Stores a value into a field as its type takes it: a number field takes a
// number or a text that reads as one, a text field takes a text that fits
// or a number's plain text. False (field unchanged) when refused.
bool StoreValue(const FileDef& file, const FieldDef& field, std::span<char> record,
                const platform::ExprValue& value);

// Copies a field's value into a field of another (or the same) file,
// converting between number and text fields. False when the target refuses.
bool CopyFieldValue(const FileDef& from_file, const FieldDef& from, std::span<const char> source,
                    const FileDef& to_file, const FieldDef& to, std::span<char> target);

// Compares one field of two records of `file` as the store orders a key
// component: numbers as numbers; text without trailing blanks, byte for
// byte, or with ASCII letters folded to lower case for keys without case.
int CompareKeyField(const FileDef& file, const FieldDef& field, bool no_case,
                    std::span<const char> a, std::span<const char> b);

}  // namespace vornel::data
