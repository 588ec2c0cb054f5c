#include "visits/day_pickers.h"

#include "platform/window/window_spec.h"
#include "ui/dialog_procedure.h"

namespace vornel::visits {

using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;

void RegisterDayPickers(const ui::Services& services) {
  // WhatDay: the statistics batches work on the month of the date given.
  ui::RegisterDialog(services, [&values = services.values] {
    ui::DialogDeclaration dialog;
    dialog.window.procedure = "WhatDay";
    dialog.window.title = "Vendor Payment Date Selection Form";
    platform::ControlSpec unused = Button("?OKnotused", "OKnotused");
    unused.hidden = true;
    dialog.window.controls = {Entry("?topdate", "Statistics Date:", "@d2", Ref(values.topdate)),
                              Shown("?Explain1", "Enter a Date to base statistical calculation on."),
                              Shown("?Explain2", "The last day of the month selected will be used."), unused,
                              Button("?OK", "&OK")};
    dialog.window.default_button = "?OK";
    dialog.buttons = {{"?OK", ui::kCompleted, {}}};
    return dialog;
  });
}

}  // namespace vornel::visits
