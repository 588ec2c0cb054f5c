#pragma once
// A field of a record buffer as a list shows it: through its picture,
// clipped.
#include <span>
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"

namespace vornel::ui {

std::string FieldText(const data::FileDef& file, const data::FieldDef& field, std::span<const char> record,
                      std::string_view picture);

}  // namespace vornel::ui
