#pragma once
// A business message of a procedure (a refused save, a value out of bounds):
// a short beep, then the small "System Warning" window with the text. Every
// procedure says such things this one way.
#include <string_view>

#include "ui/procedure_catalog.h"

namespace vornel::ui {

void Warn(const Services& services, std::string_view text);

}  // namespace vornel::ui
