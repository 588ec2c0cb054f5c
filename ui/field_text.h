#pragma once
// A field of a record buffer as a list shows it: through its picture,
// clipped.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"
#include "platform/picture.h"

namespace vornel::ui {

std::string FieldText(const data::FileDef& file, const data::FieldDef& field, std::span<const char> record,
                      std::string_view picture);
// Ditto through a picture parsed once (a list's column); none: the plain value.
std::string FieldText(const data::FileDef& file, const data::FieldDef& field, std::span<const char> record,
                      const std::optional<platform::Picture>& picture);
// A column's picture as FieldText takes it: none when empty or not a picture.
std::optional<platform::Picture> ColumnPicture(std::string_view picture);

}  // namespace vornel::ui
