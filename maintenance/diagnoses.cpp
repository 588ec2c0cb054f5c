// Diagnoses: the list and the form of Diaglist.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "maintenance/families.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {


void RegisterDiagnoses(const ui::Services& services) {
  ui::RegisterList(services, {.procedure = "BrowseDiaglist",
                              .title = "Diagnosis File Maintenance",
                              .view = data::ViewDef(data::DiaglistFile()),
                              .orders = {{"Sorted by Code", "DIA:DIAG_KEY"}},
                              .columns = {{"Code", "DIA:CODE", "@s6"},
                                          {"BC Code", "DIA:BC_CODE", "@s4"},
                                          {"Description", "DIA:DESC", "@s70"}},
                              .update_procedure = "UpdateDiaglist"});

  ui::RegisterForm(services, "UpdateDiaglist", [](ui::ThreadState& thread) {
    auto& d = thread.files.Get(data::DiaglistFile()).record<data::DiaglistRecord>();
    return ui::StandardForm("UpdateDiaglist", "Update the Diagnosis File Entry", data::DiaglistFile(),
                            {platform::Entry("?DIA:CODE", "Code:", "@s6", VORNEL_FIELD(d, CODE)),
                             platform::Entry("?DIA:BC_CODE", "BC Code:", "@s4", VORNEL_FIELD(d, BC_CODE)),
                             platform::Entry("?DIA:DESC", "Description:", "@s70", VORNEL_FIELD(d, DESC))});
  });
}

}  // namespace vornel::maintenance
