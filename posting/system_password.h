#pragma once
// The system password that guards the batches which change or delete what
// is already posted, and the control form that asks for it.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/window_spec.h"
#include "ui/dialog_procedure.h"
#include "ui/program_values.h"

namespace vornel::posting {

// "Password:", an entry whose text is not shown.
platform::ControlSpec PasswordEntry(std::string& typed, std::string picture = "@s255");
// Whether the typed text is the system password (trailing blanks do not count on either side).
bool IsSystemPassword(const ui::ProgramValues& values, std::string_view typed);

// A control form: "WARNING:" with its lines, the date the batch works to,
// "This Option Requires a System Password.", the password, Cancel and the
// button that goes on. Cancel, or a wrong password, sets the cancelled
// flag; `on_right` runs when the password is right, `on_wrong` (may be
// empty) when it is not.
struct PasswordForm {
  std::string procedure;
  std::string title;
  std::vector<std::string> warning;
  platform::ControlSpec date;
  std::string password_picture = "@s255";
  std::string go_button;  // "?Begin"
  std::string go_text;    // "&Begin Deletions"
  std::function<void()> on_right;
  std::function<void()> on_wrong = {};
};
ui::DialogDeclaration DeclarePasswordForm(ui::ProgramValues& values, PasswordForm form);

}  // namespace vornel::posting
