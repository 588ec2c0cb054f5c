#pragma once
// Position strings: a record's position as text, kept by callers across
// reads (saved file states, the file manager's update retry).
//
// For a file with a primary key the string is the key's values, joined by
// '|': whole numbers, dates and times in decimal, float64 in shortest
// round-trip form, text without trailing blanks with '\' and '|' escaped by
// a '\'. For a file without one it is the record's position in decimal.
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"
#include "data/store/record_file.h"

namespace vornel::data {

std::string FormatPositionString(const FileDef& def, const char* record, RecordPosition position);

// Reads a position string of `def`: with a primary key, writes the key's
// values into `record`; without one, sets `position`. False when the text is
// no position of this file (wrong count of values, a value that is not a
// number or does not fit its field).
bool ParsePositionString(const FileDef& def, std::string_view text, char* record,
                         RecordPosition* position);

}  // namespace vornel::data
