#pragma once
// A record's fields as the values a table row holds: text without trailing
// blanks (so that SQL comparison equals the system's comparison without
// trailing blanks), whole numbers, dates and times as integers, float64 as
// real numbers. Both stores' codecs move values through these; a stored
// value that does not fit its field is refused, never cut.
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/dictionary/file_def.h"

namespace vornel::data {

static_assert(std::endian::native == std::endian::little,
              "records are little-endian; the stores copy their integers directly");

struct FieldSlot {
  FieldType type;
  std::uint16_t offset;
  std::uint16_t width;

  bool is_text() const { return type == FieldType::kText; }
  bool is_real() const { return type == FieldType::kFloat64; }
};

std::vector<FieldSlot> FieldSlots(const FileDef& def);

// The field's value in `record`.
std::string_view TextValue(const FieldSlot& slot, const char* record);  // trailing blanks and NULs cut
std::int64_t IntegerValue(const FieldSlot& slot, const char* record);
double RealValue(const FieldSlot& slot, const char* record);

// Writes a stored value into the field: false when it does not fit.
bool PutText(const FieldSlot& slot, std::string_view text, char* record);  // padded with blanks
bool PutInteger(const FieldSlot& slot, std::int64_t value, char* record);
void PutReal(const FieldSlot& slot, double value, char* record);

// The text for a stored value of field `field` that does not fit it.
std::string DoesNotFitText(const FileDef& def, std::size_t field);

}  // namespace vornel::data
