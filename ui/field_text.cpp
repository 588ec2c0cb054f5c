#include "ui/field_text.h"

#include "data/dictionary/field_access.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "platform/window/value_ref.h"

namespace vornel::ui {

std::string FieldText(const data::FileDef& file, const data::FieldDef& field, std::span<const char> record,
                      std::string_view picture) {
  std::string shown;
  if (field.type == data::FieldType::kText) {
    shown = data::ReadText(file, field, record);
    if (!picture.empty()) {
      std::string copy = shown;
      shown = platform::FormatValue(platform::Ref(copy), picture);
    }
  } else {
    double value = data::ReadNumber(file, field, record);
    shown = platform::FormatValue(platform::Ref(value), picture);
  }
  return std::string(platform::Clip(shown));
}

}  // namespace vornel::ui
