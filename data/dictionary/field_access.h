#pragma once
// Dictionary-driven access to the fields of a record buffer: reading and
// writing any field by its FieldDef, clearing and copying whole records, and
// binding a buffer's fields for filter expressions. `field` is one of
// `file`'s fields; a buffer shorter than the file's record is treated as
// holding nothing: reads give 0 or "", writes are refused.
#include <span>
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"
#include "platform/expression_scope.h"

namespace vornel::data {

// The field as a number. A text field counts as its number when it reads
// wholly as one ("  12.5 "), else 0.
double ReadNumber(const FileDef& file, const FieldDef& field, std::span<const char> record);

// The field as text: a text field clipped of trailing blanks, a number field
// as its plain decimal text ("12.5", "-3", "0"; dates and times as their
// day and time numbers).
std::string ReadText(const FileDef& file, const FieldDef& field, std::span<const char> record);

// Stores a number. Integer fields take the whole part (toward zero) and
// refuse a value outside their type's range; every field refuses NaN and
// infinities; a text field takes the number's plain text if it fits.
// Returns false and leaves the field unchanged when refused.
bool WriteNumber(const FileDef& file, const FieldDef& field, std::span<char> record, double value);

// Stores a text. A text field is padded with blanks and refuses text longer
// than the field (clipped); a number field takes the number the text reads
// as (blank text is 0) and refuses text that is not a number.
// Returns false and leaves the field unchanged when refused.
bool WriteText(const FileDef& file, const FieldDef& field, std::span<char> record,
               std::string_view text);

// Blanks in every text field, zero in every other field. Returns false (and
// changes nothing) when the buffer is shorter than the record.
bool ClearRecord(const FileDef& file, std::span<char> record);

// Whether two files have the same fields in the same order, with the same
// types, widths and offsets (Client and Cliarc, Log and Logarc).
bool SameLayout(const FileDef& a, const FileDef& b);

// Copies a record of `from` into a record of `to` field for field. Refused
// (false, target unchanged) unless the layouts are the same and both
// buffers hold a whole record.
bool CopyRecord(const FileDef& from, std::span<const char> source, const FileDef& to,
                std::span<char> target);

// Binds every field of the buffer under its dictionary name ("CLI:CLCODE"),
// so that compiled expressions read the buffer's current values. The buffer
// must outlive every expression compiled against the table. Returns false
// when the buffer is shorter than the record (nothing is bound then).
bool BindRecord(const FileDef& file, std::span<const char> record, platform::VariableTable& table);

}  // namespace vornel::data
