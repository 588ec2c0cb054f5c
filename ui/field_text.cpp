#include "ui/field_text.h"

#include "data/dictionary/field_access.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "platform/window/value_ref.h"

namespace vornel::ui {

namespace {

std::string Shown(const platform::ValueRef& value, const std::optional<platform::Picture>& picture) {
  if (!picture) return value.Text();
  switch (picture->kind()) {
    case platform::PictureKind::kString:
    case platform::PictureKind::kPattern: return picture->FormatText(value.Text());
    default: return picture->Format(value.Number());
  }
}

}  // namespace

std::optional<platform::Picture> ColumnPicture(std::string_view picture) {
  if (picture.empty()) return std::nullopt;
  return platform::Picture::Parse(picture);
}

std::string FieldText(const data::FileDef& file, const data::FieldDef& field, std::span<const char> record,
                      const std::optional<platform::Picture>& picture) {
  std::string shown;
  if (field.type == data::FieldType::kText) {
    std::string text = data::ReadText(file, field, record);
    shown = Shown(platform::Ref(text), picture);
  } else {
    double value = data::ReadNumber(file, field, record);
    shown = Shown(platform::Ref(value), picture);
  }
  return std::string(platform::Clip(shown));
}

std::string FieldText(const data::FileDef& file, const data::FieldDef& field, std::span<const char> record,
                      std::string_view picture) {
  return FieldText(file, field, record, ColumnPicture(picture));
}

}  // namespace vornel::ui
