#include "ui/system_warning.h"

#include "platform/text.h"

namespace vornel::ui {

void Warn(const Services& services, std::string_view text) {
  services.display.Beep();
  platform::AssignCut(services.values.warning_text, text);
  services.procedures.Call("DisplayError");
}

}  // namespace vornel::ui
