// Client consolidation: the selection window (Select_Consolidations) with
// the two client numbers and their names, and the merge that runs once it
// has closed.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "errors/message_entry.h"
#include "maintenance/client_merge.h"
#include "maintenance/families.h"
#include "platform/text.h"
#include "ui/dialog_procedure.h"
#include "ui/system_warning.h"

namespace vornel::maintenance {
namespace {

using platform::Beside;
using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;

struct Names {
  char from[40] = {};
  char to[40] = {};
};

// The client of `code` into the thread's Client buffer; when there is none
// the client selection list offers one, and the code chosen there replaces
// it. The name beside the number: "Last, First M", or blank.
void LookUpClient(const ui::Services& services, std::int32_t& code, std::span<char> name) {
  data::FileManager& clients = ui::CurrentThread()->files.Get(data::ClientFile());
  clients.Open();
  auto& client = clients.record<data::ClientRecord>();
  client.CLCODE = static_cast<std::int16_t>(code);
  bool found = code > 0 && code <= INT16_MAX &&
               clients.TryFetch(*data::ClientFile().FindKey("CLI:CODE_KEY")) == errors::kGoOn;
  if (!found && services.procedures.CallWith("LOV_Client", ui::kSelect) == ui::kCompleted) {
    code = client.CLCODE;
    found = true;
  }
  std::string shown;
  if (found)
    shown = std::string(platform::Clip(platform::ReadField(client.CLLNAME))) + ", " +
            std::string(platform::Clip(platform::ReadField(client.CLFNAME))) + " " +
            std::string(platform::ReadField(client.CLMID));
  platform::AssignPadded(name, platform::Cut(shown, name.size()));
  clients.Close();
}

ui::DialogDeclaration SelectionWindow(const ui::Services& services, Names& names) {
  ui::ProgramValues& values = services.values;
  ui::DialogDeclaration dialog;
  dialog.window.procedure = "Select_Consolidations";
  dialog.window.title = "Client consolidation selection form";
  dialog.window.controls = {Entry("?MergeFrom", "Merge this client no.:", "@n_14", Ref(values.merge_from)),
                            Beside(Shown("?FromName", "", "@s40", Ref(names.from))),
                            Entry("?MergeTo", "into this client no.:", "@n_14", Ref(values.merge_to)),
                            Beside(Shown("?ToName", "", "@s40", Ref(names.to))),
                            Entry("?filter2", "", "@s20", Ref(values.filter2)),
                            Button("?Start", "Start the Merge"),
                            Button("?Cancel", "Cancel")};
  dialog.window.default_button = "?Start";
  dialog.window.cancel_button = "?Cancel";
  dialog.on_open = [&values, &names] {
    values.merge_from = values.merge_to = 0;
    values.cancelled = 0;
    names = {};
  };
  const auto look_up = [&services](std::int32_t& code, std::span<char> name, const char* entry, const char* shown) {
    return [&services, &code, name, entry, shown](platform::Window& window) {
      LookUpClient(services, code, name);
      window.Display(window.Control(entry));
      window.Display(window.Control(shown));
    };
  };
  ui::AddAcceptedRules(dialog, {{"?MergeFrom", look_up(values.merge_from, names.from, "?MergeFrom", "?FromName")},
                                {"?MergeTo", look_up(values.merge_to, names.to, "?MergeTo", "?ToName")}});
  dialog.buttons = {{"?Start", ui::kCompleted, {}}, {"?Cancel", ui::kCancelled, [&values] { values.cancelled = 1; }}};
  return dialog;
}

}  // namespace

void RegisterClientConsolidation(const ui::Services& services) {
  services.procedures.Register("Select_Consolidations", [&services] {
    Names names;
    ui::RunDialog(services, SelectionWindow(services, names));
    if (services.values.cancelled != 0) return;
    const MergeOutcome outcome =
        MergeClients(ui::CurrentThread()->files, services.values.merge_from, services.values.merge_to);
    if (!outcome.ok) {
      ui::Warn(services, outcome.problem);
    } else if (outcome.kept > 0) {
      ui::Warn(services, std::to_string(outcome.kept) + " record(s) stay with client " +
                             std::to_string(services.values.merge_from) + ": client " +
                             std::to_string(services.values.merge_to) +
                             " has one already where only one is allowed (a drug and alcohol record, or a group "
                             "assignment).");
    }
  });
}

}  // namespace vornel::maintenance
