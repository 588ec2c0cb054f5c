// DisplayError: the small "System Warning" window that shows the text a
// caller put into the program's warning text, for a warning that needs no
// answer. It ends through its Close button (or Enter or Escape), always
// completed.
#include "maintenance/families.h"
#include "ui/dialog_procedure.h"

namespace vornel::maintenance {

void RegisterDisplayError(const ui::Services& services) {
  ui::RegisterDialog(services, [&values = services.values] {
    ui::DialogDeclaration dialog;
    dialog.window.procedure = "DisplayError";
    dialog.window.title = "System Warning";
    dialog.window.controls = {platform::Shown("?MESSAGE", "", "@s255", platform::Ref(values.warning_text)),
                              platform::Button("?Close", "&Close")};
    dialog.window.default_button = dialog.window.cancel_button = "?Close";
    dialog.buttons = {{"?Close", ui::kCompleted, {}}};
    return dialog;
  });
}

}  // namespace vornel::maintenance
