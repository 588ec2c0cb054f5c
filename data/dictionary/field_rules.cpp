#include "data/dictionary/field_rules.h"

#include <string>

#include "data/dictionary/field_access.h"
#include "errors/message_table.h"
#include "platform/text.h"

namespace vornel::data {
namespace {

// The value wrapped as "]" value "[" must occur in the list text, which
// writes each code that way ("]SCHED[]SHOW[..."), so a part of a code
// ("SCH") does not pass.
bool InList(const ValueRule& rule, std::string_view value) {
  if (value.empty()) return false;
  std::string wrapped = "]" + std::string(value) + "[";
  return platform::Instring(wrapped, rule.list) != 0;
}

}  // namespace

int CheckField(const FileDef& file, const FieldDef& field, std::span<const char> record,
               errors::ErrorManager* errors) {
  if (field.rule == nullptr) return errors::kGoOn;
  // A buffer that does not hold a whole record reads as blank, which fails.
  if (InList(*field.rule, ReadText(file, field, record))) return errors::kGoOn;
  if (errors != nullptr) {
    errors->SetField(field.rule->label);
    errors->RaiseWithText(errors::msg::kNotInList, field.rule->display);
  }
  return errors::kNotified;
}

RecordCheck CheckRecord(const FileDef& file, std::span<const char> record, errors::ErrorManager* errors) {
  for (const FieldDef& field : file.fields) {
    int level = CheckField(file, field, record, errors);
    if (level != errors::kGoOn) return {level, &field};
  }
  return {};
}

}  // namespace vornel::data
