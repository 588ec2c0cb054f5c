#include "visits/day_pickers.h"

#include "platform/window/window_spec.h"
#include "ui/dialog_procedure.h"

namespace vornel::visits {

using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;

void RegisterDayPickers(const ui::Services& services) {
  // Day_Select starts on the first day of the next posting; the caller reads
  // the cancelled flag.
  ui::RegisterDialog(services, [&values = services.values] {
    ui::DialogDeclaration dialog;
    dialog.window.procedure = "Day_Select";
    dialog.window.title = "Date Selection Form";
    dialog.window.controls = {Shown("?Prompt", "Enter Date of Interest"), Entry("?topdate", "Date:", "@d2", Ref(values.topdate)),
                              Button("?Ok", "&Ok"), Button("?Cancel", "&Cancel")};
    dialog.window.default_button = "?Ok";
    dialog.window.cancel_button = "?Cancel";
    dialog.on_open = [&values] {
      values.topdate = values.posting_start_date;
      values.cancelled = 0;
    };
    dialog.buttons = {{"?Ok", ui::kCompleted, {}}, {"?Cancel", ui::kCancelled, [&values] { values.cancelled = 1; }}};
    return dialog;
  });

  // Date_Range: a period of service dates, proposed as the last thirty days
  // before the reference date until one was chosen; the end never before
  // the start.
  ui::RegisterDialog(services, [&values = services.values] {
    ui::DialogDeclaration dialog;
    dialog.window.procedure = "Date_Range";
    dialog.window.title = "Date Range Selection";
    dialog.window.controls = {Shown("?Prompt", "Enter Date Range"), Entry("?topdate", "Starting:", "@d2", Ref(values.topdate)),
                              Entry("?botdate", "Ending:", "@d2", Ref(values.botdate)), Button("?Ok", "&OK"),
                              Button("?Cancel", "&Cancel")};
    dialog.window.default_button = "?Ok";
    dialog.window.cancel_button = "?Cancel";
    dialog.on_open = [&values] {
      values.cancelled = 0;
      if (values.topdate <= 0) {
        values.topdate = values.reference_date - 30;
        values.botdate = values.reference_date;
      }
    };
    const auto end_after_start = [&values] {
      if (values.botdate < values.topdate) values.botdate = values.topdate;
    };
    dialog.after_event = [&values, end_after_start](platform::Window& window) {
      if (values.botdate >= values.topdate || window.Focused() != window.Control("?botdate")) return;
      end_after_start();
      window.Display(window.Control("?botdate"));
    };
    dialog.buttons = {{"?Ok", ui::kCompleted, end_after_start},
                      {"?Cancel", ui::kCancelled, [&values] { values.cancelled = 1; }}};
    return dialog;
  });

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
