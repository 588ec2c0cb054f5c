#pragma once
// A column of a list: its header and the field it shows through a picture.
#include <functional>
#include <string>
#include <string_view>

#include "data/view_def.h"

namespace vornel::ui {

struct ListColumn {
  std::string header;
  std::string field;  // "EMP:EMPCODE", of any file of the view
  std::string picture;
  // A column worked out from the row's records instead of one field.
  std::function<std::string()> compute = {};
};

// The field "PRE:NAME" among the files of the view; nullptr when none has it.
const data::FieldDef* ViewField(const data::ViewDef& view, std::string_view name);

}  // namespace vornel::ui
