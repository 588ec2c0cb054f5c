#pragma once
// The list rules of the dictionary's fields: a field with a ValueRule accepts
// only the values of its list.
#include <span>

#include "data/dictionary/file_def.h"
#include "errors/error_manager.h"

namespace vornel::data {

// Checks one field of a record of `file` against its rule. Returns
// errors::kGoOn (0) when the value is in the list or the field has no rule,
// errors::kNotified (5) when it is not; then, when `errors` is given, message
// 17 ("Value Error") is raised with %Field the rule's label and %Message its
// display list. A blank value, or a buffer shorter than the file's record,
// is never in the list; the search is exact, so "noshw" is not "NOSHW".
int CheckField(const FileDef& file, const FieldDef& field, std::span<const char> record,
               errors::ErrorManager* errors);

// The first field of a record that fails its rule, with the level it failed
// with; {kGoOn, nullptr} when every rule passes. Only that first failure is
// raised.
struct RecordCheck {
  int level = 0;
  const FieldDef* field = nullptr;
};
RecordCheck CheckRecord(const FileDef& file, std::span<const char> record, errors::ErrorManager* errors);

}  // namespace vornel::data
