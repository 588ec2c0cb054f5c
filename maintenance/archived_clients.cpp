// The archived clients: the list by last name or client number with the
// highlighted client's archived visits below it (BrowseArchived_Clients),
// and the review form (UpdateCliarc), which changes an archived client but
// never adds or deletes one.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "errors/message_table.h"
#include "maintenance/families.h"
#include "platform/window/window_spec.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {
namespace {

using platform::Beside;
using platform::Entry;

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
  std::vector<platform::ControlSpec> controls = {
      Entry("?CAR:CLCODE", "Client No:", "@n_8", VORNEL_FIELD(c, CLCODE)),
      Entry("?CAR:CLLNAME", "Last Name:", "@s30", VORNEL_FIELD(c, CLLNAME)),
      Entry("?CAR:CLFNAME", "First Name:", "@s15", VORNEL_FIELD(c, CLFNAME)),
      Beside(Entry("?CAR:CLMID", "Initial:", "@s1", VORNEL_FIELD(c, CLMID))),
      Entry("?CAR:SOC_SEC_NO", "Social Sec:", "@p###-##-####p", VORNEL_FIELD(c, SOC_SEC_NO)),
      Beside(Entry("?CAR:SEX", "Sex:", "@s1", VORNEL_FIELD(c, SEX))),
      Beside(Entry("?CAR:BIRTHDATE", "Birth Date:", "@d2", VORNEL_FIELD(c, BIRTHDATE))),
      Entry("?CAR:ADMDATE", "Admitted:", "@d2", VORNEL_FIELD(c, ADMDATE)),
      Beside(Entry("?CAR:CURRENT", "Status:", "@s1", VORNEL_FIELD(c, CURRENT))),
      Entry("?CAR:STAFF_ID", "Staff ID:", "@s5", VORNEL_FIELD(c, STAFF_ID)),
      Beside(Entry("?CAR:MARRYSTAT", "Married?:", "@s1", VORNEL_FIELD(c, MARRYSTAT))),
      Entry("?CAR:DIAG_CODE", "Diag Code:", "@s6", VORNEL_FIELD(c, DIAG_CODE)),
      Beside(Entry("?CAR:DIAGNOSIS", "Diagnosis:", "@s12", VORNEL_FIELD(c, DIAGNOSIS))),
      Entry("?CAR:PAYFLG", "Pay Flag:", "@s1", VORNEL_FIELD(c, PAYFLG)),
      Beside(Entry("?CAR:MED_ASSIST", "MA?:", "@s1", VORNEL_FIELD(c, MED_ASSIST))),
      Beside(Entry("?CAR:INCOME", "Income:", "@n$10.2", VORNEL_FIELD(c, INCOME))),
      Entry("?CAR:FIRST_SEEN", "First Seen:", "@d2", VORNEL_FIELD(c, FIRST_SEEN)),
      Beside(Entry("?CAR:LAST_SEEN", "Last Seen:", "@d2", VORNEL_FIELD(c, LAST_SEEN))),
      Entry("?CAR:INSDUE", "Insurance Due:", "@n-10.2", VORNEL_FIELD(c, INSDUE)),
      Beside(Entry("?CAR:FEE_DUE", "Client Fee Due:", "@n-10.2", VORNEL_FIELD(c, FEE_DUE))),
      Entry("?CAR:BAL_DUE", "Balance Due:", "@n-10.2", VORNEL_FIELD(c, BAL_DUE)),
      Entry("?CAR:ADDRESS1", "Address 1:", "@s30", VORNEL_FIELD(c, ADDRESS1)),
      Entry("?CAR:ADDRESS2", "Address 2:", "@s30", VORNEL_FIELD(c, ADDRESS2)),
      Entry("?CAR:CITY", "City / State:", "@s24", VORNEL_FIELD(c, CITY)),
      Beside(Entry("?CAR:ST", "", "@s2", VORNEL_FIELD(c, ST))),
      Beside(Entry("?CAR:ZIP", "Zip:", "@s5", VORNEL_FIELD(c, ZIP))),
      Entry("?CAR:PHONE", "Phone:", "@p(###)###-####p", VORNEL_FIELD(c, PHONE)),
      Beside(Entry("?CAR:CALLOK", "Call OK?", "@s1", VORNEL_FIELD(c, CALLOK))),
      Entry("?CAR:PHYS_CPT", "Physical Complete ?", "@s1", VORNEL_FIELD(c, PHYS_CPT)),
      Beside(Entry("?CAR:PHYS_DATE", "Date", "@d2", VORNEL_FIELD(c, PHYS_DATE))),
      Entry("?CAR:MINORITY", "Race:", "@s4", VORNEL_FIELD(c, MINORITY)),
      Beside(Entry("?CAR:INTAKE", "Intake/Primary Counselor:", "@s1", VORNEL_FIELD(c, INTAKE))),
      Entry("?CAR:OUT_COUNTY", "Out of County?", "@s1", VORNEL_FIELD(c, OUT_COUNTY)),
      Beside(Entry("?CAR:OUTR_STUDENT", "Outreach Student? ", "@s1", VORNEL_FIELD(c, OUTR_STUDENT))),
      Entry("?CAR:OUTR_FACILTY", "Outreach Facility:", "@s18", VORNEL_FIELD(c, OUTR_FACILTY)),
      Entry("?CAR:PRIINS", "Primary Insurance?", "@s1", VORNEL_FIELD(c, PRIINS)),
      Entry("?CAR:REF_BY", "Referred By:", "@s35", VORNEL_FIELD(c, REF_BY)),
      Entry("?CAR:REFER_DATE", "Referred Date:", "@d2", VORNEL_FIELD(c, REFER_DATE)),
      Entry("?CAR:CIS_NO", "CIS No. :", "@s14", VORNEL_FIELD(c, CIS_NO)),
      Entry("?CAR:NUM_VSTS", "Total Visits:", "@n-7", VORNEL_FIELD(c, NUM_VSTS)),
      Beside(Entry("?CAR:IND_VSTS", "Indiv. Visits:", "@n-7", VORNEL_FIELD(c, IND_VSTS)))};
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
