#pragma once
// The system password that guards the batches which change or delete what
// is already posted.
#include <string>
#include <string_view>

#include "platform/window/window_spec.h"
#include "ui/program_values.h"

namespace vornel::posting {

// "Password:", an entry whose text is not shown.
platform::ControlSpec PasswordEntry(std::string& typed, std::string picture = "@s255");
// Whether the typed text is the system password (trailing blanks do not count on either side).
bool IsSystemPassword(const ui::ProgramValues& values, std::string_view typed);

}  // namespace vornel::posting
