// The archived clients: the list by last name or client number with the
// highlighted client's archived visits below it (BrowseArchived_Clients),
// and the review form (UpdateCliarc), which changes an archived client but
// never adds or deletes one.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "errors/message_table.h"
#include "maintenance/client_fields.h"
#include "maintenance/families.h"
#include "platform/window/window_spec.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {
namespace {

ui::ListDeclaration ArchivedClientList() {
  return {.procedure = "BrowseArchived_Clients",
          .title = "Browse the Archived Client File",
          .view = data::ViewDef(data::CliarcFile()),
          .orders = {{"By Last Name", "CAR:LNAMEONLY", ui::LocatorKind::kStep},
                     {"By Client No", "CAR:CODE_KEY", ui::LocatorKind::kStep}},
          .columns = {{"Client No", "CAR:CLCODE", "@n_7"},   {"Last Name", "CAR:CLLNAME", "@s30"},
                      {"First Name", "CAR:CLFNAME", "@s15"}, {"Init", "CAR:CLMID", "@s1"},
                      {"Admitted", "CAR:ADMDATE", "@d2"},    {"First Seen", "CAR:FIRST_SEEN", "@d2"},
                      {"Last Seen", "CAR:LAST_SEEN", "@d2"}, {"Status", "CAR:CURRENT", "@s1"},
                      {"Visit Count", "CAR:NUM_VSTS", "@n_5"}, {"Diag Code", "CAR:DIAG_CODE", "@s6"},
                      {"Birthdate", "CAR:BIRTHDATE", "@d2"}},
          .update_procedure = "UpdateCliarc",
          .controls = {platform::Shown("?VisitHeading", "Visit History")},
          .record_lists = {{.name = "?Visits",
                            .view = data::ViewDef(data::LogarcFile()),
                            .key = "LAC:LOG_CUST",
                            .columns = {{"Log Date", "LAC:LOG_DATE", "@d2"},
                                        {"Log No", "LAC:LOG_NO", "@n_8"},
                                        {"Staff Code", "LAC:EMPL_CODE", "@s5"},
                                        {"Transaction", "LAC:TRANS_TYPE", "@s5"},
                                        {"Service Code", "LAC:SERV_CODE", "@s4"},
                                        {"Visit Comment", "LAC:COMMENT", "@s12"}},
                            .rows = 6}}};
}

ui::FormDeclaration ArchivedClientForm(ui::ThreadState& thread) {
  auto& c = thread.files.Get(data::CliarcFile()).record<data::CliarcRecord>();
  std::vector<platform::ControlSpec> controls = ClientFieldControls("CAR", c);
  ui::FormDeclaration form = ui::StandardForm("UpdateCliarc", "Review Archived Client Details", data::CliarcFile(),
                                              std::move(controls));
  form.description = "Cliarc";
  form.refuse_insert = errors::msg::kNoInsertForm;
  form.refuse_delete = errors::msg::kNoDeleteForm;
  return form;
}

}  // namespace

void RegisterArchivedClients(const ui::Services& services) {
  ui::RegisterList(services, ArchivedClientList());
  ui::RegisterForm(services, "UpdateCliarc", [](ui::ThreadState& thread) { return ArchivedClientForm(thread); });
}

}  // namespace vornel::maintenance
