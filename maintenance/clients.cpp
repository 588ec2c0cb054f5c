// The client list (BrowseClient): by last name or number, or the clients of
// one status (F5 to F8); and the client form (UpdateClientN) with the
// client's comments, insurance cards, group assignments, visit history,
// payer distribution and payment record on its tabs.
#include <memory>
#include <span>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "errors/message_entry.h"
#include "maintenance/client_fields.h"
#include "maintenance/families.h"
#include "platform/text.h"
#include "ui/form_list.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {

platform::ControlSpec YesNo(std::string name, std::string prompt, platform::ValueRef value) {
  return platform::DropChoice(std::move(name), std::move(prompt), value, {{"Y", "Y"}, {"N", "N"}});
}

namespace {

using platform::Beside;
using platform::Button;
using platform::DropChoice;
using platform::Entry;
using platform::Ref;
using platform::Shown;

// The list's status filter: "X" all, "Z" active and pending, "I" inactive,
// "D" discharged; and the title shown beside "Client Filter:".
struct ClientFilter {
  char filter = 'X';
  char title[40] = {};
  const ui::ListProcedure* list = nullptr;
};

// The orders: the two tabs' (by name, by number), then the three statuses'
// in the file's own order.
enum Order { kByName = 1, kByNumber, kActiveAndPending, kDischarged, kInactive };

int ChooseOrder(const ClientFilter& state) {
  switch (state.filter) {
    case 'Z':
      return kActiveAndPending;
    case 'D':
      return kDischarged;
    case 'I':
      return kInactive;
    default:
      return state.list != nullptr && state.list->shown_tab() == 1 ? kByNumber : kByName;
  }
}

ui::ListDeclaration ClientList() {
  auto state = std::make_shared<ClientFilter>();
  platform::AssignPadded(state->title, "All Clients Selected");
  const auto status = [](std::string filter) {
    return ui::ListOrder{"", "", ui::LocatorKind::kNone, "", "", std::move(filter)};
  };
  // A filter button: the status, its title, and the list refilled in the order it asks for.
  const auto filter_button = [state](char filter, const char* title) {
    return [state, filter, title](ui::ListProcedure& list) {
      state->filter = filter;
      platform::AssignPadded(state->title, title);
      list.window()->Display(list.ControlNumber("?ClientFilterTitle"));
      list.browse().RefreshSortOrder(true);
      list.browse().RefreshWindow();
    };
  };
  return {.procedure = "BrowseClient",
          .title = "Browse the Client File",
          .view = data::ViewDef(data::ClientFile()),
          .orders = {{"   By &Last Name", "CLI:LNAMEONLY", ui::LocatorKind::kEntry, "@s30", "ind Last Name:"},
                     {"   By Client &No.   ", "CLI:CODE_KEY", ui::LocatorKind::kEntry, "@n_8", "ind Client No:"},
                     status("(Cli:current = 'A' or Cli:current='P')"),
                     status("(cli:current = 'D')"),
                     status("(cli:current = 'I')")},
          .columns = {{"Client No", "CLI:CLCODE", "@n_7"},       {"Last Name", "CLI:CLLNAME", "@s30"},
                      {"First Name", "CLI:CLFNAME", "@s15"},     {"Init", "CLI:CLMID", "@s1"},
                      {"Status", "CLI:CURRENT", "@s1"},          {"Admitted Date", "CLI:ADMDATE", "@d2"},
                      {"Birth Date", "CLI:BIRTHDATE", "@d2"},    {"Diag Code", "CLI:DIAG_CODE", "@s6"},
                      {"Sex", "CLI:SEX", "@s1"},                 {"Pay Flag", "CLI:PAYFLG", "@s1"},
                      {"Last Seen", "CLI:LAST_SEEN", "@d2"},     {"Bal Due", "CLI:BAL_DUE", "@n-10.2"},
                      {"Visit Count", "CLI:NUM_VSTS", "@n_3"}},
          .update_procedure = "UpdateClientN",
          .close_text = "&Exit",
          .order_for_tab = [](int tab) { return tab == 1 ? kByNumber : kByName; },
          .choose_order = [state] { return ChooseOrder(*state); },
          .controls = {Shown("?ClientFilterTitle", "Client Filter:", "@s40", Ref(state->title)),
                       Beside(WithKey(Button("?F5", "F5 - All"), platform::kKeyF2 + 3)),
                       Beside(WithKey(Button("?F6", "F6 - Active + Pending"), platform::kKeyF2 + 4)),
                       Beside(WithKey(Button("?F7", "F7 - Inactive"), platform::kKeyF2 + 5)),
                       Beside(WithKey(Button("?F8", "F8- Discharged"), platform::kKeyF2 + 6))},
          .actions = {{"?F5", filter_button('X', "All Clients Selected")},
                      {"?F6", filter_button('Z', "Active & Potential Clients Selected")},
                      {"?F7", filter_button('I', "In-Active Clients Selected")},
                      {"?F8", filter_button('D', "Discharged Clients Selected")}},
          .on_open = [state](ui::ListProcedure& list) { state->list = &list; }};
}

// The lists on the form's tabs, each held to the client's code.
std::vector<ui::FormListDeclaration> ClientTabs() {
  return {
      {.name = "?Comments",
       .tab = "Co&mments",
       .view = data::ViewDef(data::Cli_cmmtFile()),
       .key = "CMT:COM_KEY",
       .columns = {{"Client Comment", "CMT:COMMENT", "@s60"}, {"Date", "CMT:COM_DATE", "@d2"}},
       .update_procedure = "UpdateCli_cmmt"},
      {.name = "?Cards",
       .tab = "I&nsurance Card",
       .view = data::ViewDef(data::Ins_cardFile()),
       .key = "INS:CARD_KEY",
       .columns = {{"Vendor", "INS:VEN_CODE", "@s3"},
                   {"Type", "INS:VEN_TYPE", "@s2"},
                   {"Recipient", "INS:RECIPIENT", "@s14"},
                   {"SSN", "INS:SSN", "@s15"},
                   {"Will Pay", "INS:WILL_PAY", "@n10.2"},
                   {"Co Prel", "INS:CO_PREL", "@s2"}},
       .update_procedure = "UpdateIns_card"},
      {.name = "?Groups",
       .tab = "Group &Assignments",
       .view = data::ViewDef(data::GrpassinFile()).Join(data::StudygrpFile(), "STU:STUD_KEY", {"SIN:GRP_CODE"}),
       .key = "SIN:CLI_KEY",
       .columns = {{"Study Group Name", "STU:DESC", "@s70"},
                   {"Group Code", "SIN:GRP_CODE", "@n_4"},
                   {"Client Last Name", "SIN:LASTNAME", "@s30"}},
       .update_procedure = "UpdateGrpassin"},
      {.name = "?Visits",
       .tab = "&Visit History",
       .view = data::ViewDef(data::LogFile()),
       .key = "LOG:LOG_CUST",
       .columns = {{"Visit No.", "LOG:LOG_NO", "@n_8"},
                   {"Date", "LOG:LOG_DATE", "@d2"},
                   {"Service", "LOG:SERV_CODE", "@s4"},
                   {"Staff ID", "LOG:EMPL_CODE", "@s5"},
                   {"Outcome", "LOG:TRANS_TYPE", "@s5"},
                   {"Units", "LOG:UNITS", "@n6.2"},
                   {"Client Paid", "LOG:CLI_PAID", "@n-10.2"},
                   {"Total Fee", "LOG:TOTAL_FEE", "@n-10.2"},
                   {"Group", "LOG:GROUPFLAG", "@s1"}},
       .rows = 6},
      {.name = "?Lines",
       .tab = "&Visit History",
       .view = data::ViewDef(data::LineitemFile()),
       .key = "LIN:CLI_KEY",
       .columns = {{"Visit No.", "LIN:LOG_NO", "@n_8"},
                   {"Vendor", "LIN:VEN_CODE", "@s3"},
                   {"Date Paid", "LIN:DATE_PAID", "@d2"},
                   {"Amount Due", "LIN:AMOUNT_DUE", "@n-10.2"},
                   {"Amount Paid", "LIN:AMOUNT", "@n-10.2"},
                   {"Status", "LIN:STATUS", "@s1"},
                   {"Service Date", "LIN:SERV_DATE", "@d2"}},
       .update_procedure = "UpdateLineitem",
       .rows = 6},
      {.name = "?Payments",
       .tab = "&Payment Record",
       .view = data::ViewDef(data::ClipmtsFile()),
       .key = "CPY:CLI_KEY",
       .columns = {{"Visit No.", "CPY:LOG_NO", "@n_8"},
                   {"Charges", "CPY:CHARGES", "@n10.2"},
                   {"Previous Balance", "CPY:PREVBAL", "@n-10.2"},
                   {"Amount Paid", "CPY:AMOUNT", "@n-10.2"},
                   {"New Balance", "CPY:NEWBAL", "@n-10.2"},
                   {"Date Paid", "CPY:DATE", "@d2"},
                   {"Status", "CPY:STATUS", "@s1"}},
       .update_procedure = "UpdateClipmts"}};
}

// The client's staff member into the Employee buffer, so that the name
// beside "Staff ID:" is current; a blank one when there is none.
void ReadStaff(ui::ThreadState& thread, const data::ClientRecord& client) {
  data::FileManager& staff = thread.files.Get(data::EmployeeFile());
  auto& employee = staff.record<data::EmployeeRecord>();
  staff.file().ClearBuffer();
  platform::AssignPadded(employee.EMPCODE, platform::ReadField(client.STAFF_ID));
  if (platform::Clip(platform::ReadField(client.STAFF_ID)).empty() ||
      staff.TryFetch(*data::EmployeeFile().FindKey("EMP:STAFF_KEY")) != errors::kGoOn)
    staff.file().ClearBuffer();
}

ui::FormDeclaration ClientForm(const ui::Services& services, ui::ThreadState& thread) {
  auto& c = thread.files.Get(data::ClientFile()).record<data::ClientRecord>();
  auto& staff = thread.files.Get(data::EmployeeFile()).record<data::EmployeeRecord>();
  auto tracking = std::make_shared<std::int32_t>(0);
  std::vector<platform::ControlSpec> controls =
      ClientFieldControls("CLI", c, Shown("?EMP:LASTNAME", "", "@s15", VORNEL_FIELD(staff, LASTNAME)));
  controls.push_back(Shown("?Tracking", "Client Billing Tracking Number:", "@n_14", Ref(*tracking)));
  const std::vector<ui::FormListDeclaration> tabs = ClientTabs();
  std::string tab_shown;
  for (const ui::FormListDeclaration& list : tabs) {
    if (list.tab != tab_shown) {
      tab_shown = list.tab;
      controls.push_back(platform::Tab("?Tab" + std::to_string(controls.size()), list.tab));
    }
    if (list.name == "?Visits")
      controls.push_back(platform::OnTab(list.tab, {Shown("?VisitHeading", "Visit History Overview")}).front());
    if (list.name == "?Lines")
      controls.push_back(platform::OnTab(list.tab, {Shown("?LineHeading", "Vendor Payment Distribution")}).front());
    if (list.name == "?Payments")
      controls.push_back(platform::OnTab(list.tab, {Shown("?PaymentHeading", "Client Payment History")}).front());
    for (platform::ControlSpec& control : ui::FormListControls(list)) controls.push_back(std::move(control));
    if (list.name == "?Lines")
      controls.push_back(platform::OnTab(list.tab, {Button("?PrintHistory", "&Print Visit History")}).front());
  }

  ui::FormDeclaration form = ui::StandardForm("UpdateClientN", "Update the Client File", data::ClientFile(),
                                              std::move(controls), "&Cancel", "&General");
  form.description = "Client";
  form.lookups = {{"?CLI:STAFF_ID", "EMP:STAFF_KEY", "LOV_STAFF"}};
  form.prime = [&c] {
    const std::pair<std::span<char>, const char*> values[] = {
        {c.CURRENT, "P"},    {c.CALLOK, "Y"},     {c.PAYFLG, "Y"},       {c.SEX, "M"},
        {c.MED_ASSIST, "N"}, {c.OUT_COUNTY, "N"}, {c.OUTR_FACILTY, "N"}, {c.OUTR_STUDENT, "N"},
        {c.MINORITY, "WHIT"}, {c.PHYS_CPT, "N"},  {c.PRIINS, "N"},       {c.INTAKE, "I"}};
    for (const auto& [field, value] : values) platform::AssignPadded(field, value);
  };
  form.on_reset = [&thread, &c, tracking](ui::RecordForm&) {
    ReadStaff(thread, c);
    *tracking = c.CLCODE + 3333;
  };
  form.on_open = [tabs](ui::RecordForm& open) {
    for (const ui::FormListDeclaration& list : tabs) ui::OpenFormList(open, list);
  };
  // The client's visit history printed: his code for the report, which asks its period.
  form.on_accepted = [&services, &c](ui::RecordForm& open, int control) {
    if (control != open.ControlNumberOf("?PrintHistory")) return ui::kContinue;
    services.values.history_client = c.CLCODE;
    services.procedures.Call("PrintVisitHistory");
    services.values.history_client = 0;
    return ui::kHandled;
  };
  return form;
}

}  // namespace

void RegisterClients(const ui::Services& services) {
  // Each open list has a filter of its own.
  ui::RegisterList(services, "BrowseClient", [](ui::ThreadState&) { return ClientList(); });
  ui::RegisterForm(services, "UpdateClientN",
                   [&services](ui::ThreadState& thread) { return ClientForm(services, thread); });
}

}  // namespace vornel::maintenance
