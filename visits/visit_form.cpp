#include "visits/visit_form.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "errors/message_table.h"
#include "platform/text.h"
#include "ui/form_list.h"
#include "ui/pick_date.h"
#include "ui/posting_date.h"
#include "ui/program_values.h"
#include "ui/record_form.h"
#include "ui/system_warning.h"
#include "visits/appointment_clash.h"
#include "visits/related_record.h"
#include "visits/visit_lines.h"

namespace vornel::visits {
namespace {

using platform::Beside;
using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;
using ui::kContinue;
using ui::kHandled;

constexpr const char* kVisitTab = "&Visit";
// The furthest ahead a visit may be booked: a later date is a typing slip.
constexpr int kDaysAhead = 2 * 365;

constexpr const char* kInsuranceTab = "I&nsur";

// What the form keeps besides the record, for as long as it is open.
struct VisitState {
  data::LogRecord* log = nullptr;
  VisitPeople people;  // the visit's client, staff member and service
  std::int32_t local_post_date = 0;  // the last posting date when the form opened
  std::int32_t opening_date = 0;
  std::int16_t opening_client = 0;
  std::int16_t accepted_client = 0;  // the client the staff member was last taken from
  bool insert_mode = false;          // a new visit whose lines were not auto-inserted yet
  double total_line = 0;             // the charges of the visit's lines
  double balance = 0;                // the fee less the lines and the client's share
  std::string units_refusal;         // why the units cannot come from the times
  ui::BrowseManager* lines = nullptr;
  // The appointment outcome form: the visit as it was booked, and its
  // "Schedule New Visit?" box.
  Booking booked;
  std::int32_t booked_date = 0;
  std::uint8_t schedule_next = 0;
};

// The visit recording form, or the appointment book's outcome form: the
// same visit with the same fee rules, without the charge lines, with the
// client's payments.
enum class VisitFormKind { kVisit, kOutcome };

std::string Initials(const data::ClientRecord& client) {
  return std::string(platform::ReadField(client.CLLNAME).substr(0, 3));
}

VisitShares SharesOf(const data::LogRecord& log) {
  return {.rate = log.RATE, .units = log.UNITS, .total_fee = log.TOTAL_FEE, .cli_paid = log.CLI_PAID,
          .clifeedue = log.CLIFEEDUE, .clifeenc = log.CLIFEENC, .billtoma = log.BILLTOMA, .billins = log.BILLINS,
          .osmfee = log.OSMFEE, .otherfee = log.OTHERFEE, .balsca = log.BALSCA, .insfeenc = log.INSFEENC};
}

void StoreShares(data::LogRecord& log, const VisitShares& s) {
  log.RATE = s.rate;
  log.UNITS = s.units;
  log.TOTAL_FEE = s.total_fee;
  log.CLI_PAID = s.cli_paid;
  log.CLIFEEDUE = s.clifeedue;
  log.CLIFEENC = s.clifeenc;
  log.BILLTOMA = s.billtoma;
  log.BILLINS = s.billins;
  log.OSMFEE = s.osmfee;
  log.OTHERFEE = s.otherfee;
  log.BALSCA = s.balsca;
  log.INSFEENC = s.insfeenc;
}

LineStamp StampOf(const VisitState& state) {
  return {state.log->CLCODE, state.log->LOG_DATE, Initials(state.people.client)};
}

class VisitForm : public std::enable_shared_from_this<VisitForm> {
 public:
  VisitForm(const ui::Services& services, ui::ThreadState& thread, VisitFormKind kind)
      : services_(services), values_(services.values), thread_(thread), kind_(kind) {
    state_.log = &thread.files.Get(data::LogFile()).record<data::LogRecord>();
  }

  ui::FormDeclaration Declare();

 private:
  // The client, service and staff member of the visit, and what is shown of them.
  void ReadRelated();
  void ComputeFees();
  void Refresh(ui::RecordForm& form);
  void Open(ui::RecordForm& form);
  int Accepted(ui::RecordForm& form, int control);
  bool Refuse(ui::RecordForm& form, const std::string& message, std::string_view control);
  std::string DateCheck(std::int32_t& date);
  bool Balanced(ui::RecordForm& form);
  bool SaveChecks(ui::RecordForm& form);
  void AfterSave();
  void AutoInsert(ui::RecordForm& form);
  std::vector<platform::ControlSpec> Controls();
  std::vector<platform::ControlSpec> OutcomeControls();
  bool OutcomeSaveChecks(ui::RecordForm& form);
  void AfterOutcomeSave();
  bool outcome() const { return kind_ == VisitFormKind::kOutcome; }

  const ui::Services& services_;
  ui::ProgramValues& values_;
  ui::ThreadState& thread_;
  VisitFormKind kind_;
  VisitState state_;
};

// Shows the controls' values again; a control the form does not have is
// passed over.
void Show(ui::RecordForm& form, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (const int control = form.ControlNumberOf(name); control != 0) form.window()->Display(control);
  }
}

ui::FormListDeclaration ChargeLines() {
  return {.name = "?Lines",
          .tab = kVisitTab,
          .view = data::ViewDef(data::LineitemFile()).Join(data::VendorFile(), "VEN:VEN_KEY", {"LIN:VEN_CODE"}),
          .key = "LIN:LOG_KEY",
          .columns = {{"Ven", "LIN:VEN_CODE", "@s3"},
                      {"Bill to  Name", "VEN:NAME", "@s25"},
                      {"Svc", "LIN:LINE_SVC", "@s4"},
                      {"Units", "LIN:MA_UNITS", "@n5.2"},
                      {"Charges", "LIN:AMOUNT_DUE", "@n8.2"},
                      {"Paid", "LIN:AMOUNT", "@n8.2"},
                      {"Date", "LIN:DATE_PAID", "@d2"},
                      {"St", "LIN:STATUS", "@s1"}},
          .update_procedure = "UpdateLineitem",
          .rows = 4};
}

ui::FormListDeclaration ClientComments() {
  return {.name = "?Comments",
          .tab = kVisitTab,
          .view = data::ViewDef(data::Cli_cmmtFile()),
          .key = "CMT:COM_KEY",
          .columns = {{"Comment", "CMT:COMMENT", "@s60"}},
          .parent = &data::ClientFile(),
          .rows = 2};
}

ui::FormListDeclaration InsuranceCards() {
  return {.name = "?Insurance",
          .tab = kInsuranceTab,
          .view = data::ViewDef(data::Ins_cardFile()).Join(data::VendorFile(), "VEN:VEN_KEY", {"INS:VEN_CODE"}),
          .key = "INS:CARD_KEY",
          .columns = {{"Vendor Code", "INS:VEN_CODE", "@s3"},
                      {"Type", "INS:VEN_TYPE", "@s2"},
                      {"Vendor Name", "VEN:NAME", "@s25"},
                      {"Client No.", "INS:CLCODE", "@n_7"}},
          .parent = &data::ClientFile()};
}

ui::FormListDeclaration ClientPayments() {
  return {.name = "?Payments",
          .tab = kVisitTab,
          .view = data::ViewDef(data::ClipmtsFile()),
          .key = "CPY:CLI_KEY",
          .columns = {{"Visit Date", "CPY:DATE", "@d2"},
                      {"Prev Bal", "CPY:PREVBAL", "@n-10.2"},
                      {"Charges", "CPY:CHARGES", "@n10.2"},
                      {"Amt Paid", "CPY:AMOUNT", "@n10.2"},
                      {"New Bal", "CPY:NEWBAL", "@n-10.2"},
                      {"Date Paid", "CPY:PAYDATE", "@d2"},
                      {"Status", "CPY:STATUS", "@s1"}},
          .update_procedure = "UpdateClipmts",
          .parent = &data::ClientFile(),
          .rows = 4,
          .change_text = "Record Client Payment On Account"};
}

std::vector<platform::ControlSpec> VisitForm::OutcomeControls() {
  data::LogRecord& log = *state_.log;
  data::ClientRecord& client = state_.people.client;
  std::vector<platform::ControlSpec> controls = {
      Entry("?LOG:CLCODE", "Client #:", "@n_7", VORNEL_FIELD(log, CLCODE)),
      Beside(Shown("?CLIENTNAME", "", "@s30", Ref(state_.people.client_name))),
      Shown("?CLIENT_AGE", "AGE:", "@n_3", Ref(state_.people.client_age)),
      Beside(Shown("?CLI:BIRTHDATE", "DOB:", "@d2", VORNEL_FIELD(client, BIRTHDATE))),
      Beside(Shown("?CLI:SOC_SEC_NO", "SS # :", "@p###-##-####p", VORNEL_FIELD(client, SOC_SEC_NO))),
      Entry("?LOG:EMPL_CODE", "Staff ID:", "@s5", VORNEL_FIELD(log, EMPL_CODE)),
      Beside(Shown("?EMP:LASTNAME", "", "@s20", VORNEL_FIELD(state_.people.staff, LASTNAME))),
      Entry("?LOG:SERV_CODE", "Service:", "@s4", VORNEL_FIELD(log, SERV_CODE)),
      Beside(Shown("?SER:DESC", "", "@s25", VORNEL_FIELD(state_.people.service, DESC))),
      Entry("?LOG:COMMENT", "Visit Comment:", "@s12", VORNEL_FIELD(log, COMMENT)),
      Entry("?LOG:LOG_DATE", "Date:", "@d2", VORNEL_FIELD(log, LOG_DATE)),
      Beside(Button("?Calendar", "...")),
      Beside(Shown("?LOCALPOSTDATE", "Last Post Date:", "@d2", Ref(state_.local_post_date))),
      Entry("?LOG:TIME_IN", "Time In/ Out", "@t3", VORNEL_FIELD(log, TIME_IN)),
      Beside(Entry("?LOG:TIME_OUT", "", "@t3", VORNEL_FIELD(log, TIME_OUT))),
      platform::Radio("?LOG:TRANS_TYPE", "Visit  Outcome", VORNEL_FIELD(log, TRANS_TYPE),
                      {{"SCHED", "SCHED"}, {"SHOW", "SHOW"}, {"NOSHOW", "NOSHW"}, {"CANC", "CANC"}, {"RESCH", "RESCH"}}),
      Entry("?LOG:CLIFEEDUE", "Client Fee Due:", "@n10.2", VORNEL_FIELD(log, CLIFEEDUE)),
      Beside(Entry("?LOG:CLI_PAID", "Client Paid:", "@n10.2", VORNEL_FIELD(log, CLI_PAID))),
      Shown("?CLI:BAL_DUE", "Client Payment History & Balance Due:", "@n-10.2", VORNEL_FIELD(client, BAL_DUE))};
  for (platform::ControlSpec& c : ui::FormListControls(ClientPayments())) controls.push_back(std::move(c));
  for (platform::ControlSpec& c :
       platform::OnTab(kVisitTab, {Shown("?ScheduleNext", "Schedule New Visit?"),
                                   Beside(platform::Check("?TEMPCHECK1", " Yes", Ref(state_.schedule_next), "1", "0"))}))
    controls.push_back(std::move(c));
  return controls;
}

std::vector<platform::ControlSpec> VisitForm::Controls() {
  data::LogRecord& log = *state_.log;
  data::ClientRecord& client = state_.people.client;
  data::ServicesRecord& service = state_.people.service;
  data::EmployeeRecord& staff = state_.people.staff;
  std::vector<platform::ControlSpec> controls = {
      Entry("?LOG:LOG_DATE", "Date:", "@d2", VORNEL_FIELD(log, LOG_DATE)),
      Beside(Button("?Calendar", "...")),
      Entry("?LOG:CLCODE", "Client #:", "@n_7", VORNEL_FIELD(log, CLCODE)),
      Beside(Shown("?CLIENTNAME", "", "@s30", Ref(state_.people.client_name))),
      Entry("?LOG:SERV_CODE", "Service:", "@s4", VORNEL_FIELD(log, SERV_CODE)),
      Beside(Shown("?SER:DESC", "", "@s25", VORNEL_FIELD(service, DESC))),
      Entry("?LOG:EMPL_CODE", "Staff ID:", "@s5", VORNEL_FIELD(log, EMPL_CODE)),
      Beside(Shown("?EMP:LASTNAME", "", "@s20", VORNEL_FIELD(staff, LASTNAME))),
      platform::Radio("?LOG:TRANS_TYPE", "Transaction Outcome", VORNEL_FIELD(log, TRANS_TYPE),
                      {{"SCHED", "SCHED"}, {"SHOW", "SHOW"}, {"NOSHOW", "NOSHW"}, {"CANC", "CANC"}, {"RESCH", "RESCH"}}),
      Shown("?LOG:LOG_NO", "Visit No.:", "@n_10", VORNEL_FIELD(log, LOG_NO)),
      Beside(Entry("?LOG:TIME_IN", "Time In/Out:", "@t3", VORNEL_FIELD(log, TIME_IN))),
      Beside(Entry("?LOG:TIME_OUT", "", "@t3", VORNEL_FIELD(log, TIME_OUT))),
      Shown("?LOG:RATE", "at", "@n9.2", VORNEL_FIELD(log, RATE)),
      Beside(Entry("?REALTEMP", "per Unit x", "@n10.4", Ref(values_.realtemp))),
      Beside(Shown("?UnitsEquals", "Units  =")),
      Beside(Shown("?LOG:TOTAL_FEE", "Total Fee:", "@n10.2", VORNEL_FIELD(log, TOTAL_FEE))),
      Entry("?LOG:COMMENT", "Visit Comment:", "@s12", VORNEL_FIELD(log, COMMENT)),
      Beside(Entry("?LOG:CLI_PAID", "Client Paid:", "@n10.2", VORNEL_FIELD(log, CLI_PAID))),
      Entry("?LOG:CLIFEEDUE", "CLT Fee Due:", "@n10.2", VORNEL_FIELD(log, CLIFEEDUE)),
      Beside(Entry("?LOG:CLIFEENC", "CLT Fee NC:", "@n-10.2", VORNEL_FIELD(log, CLIFEENC))),
      Entry("?LOG:BILLTOMA", "MA Amount:", "@n10.2", VORNEL_FIELD(log, BILLTOMA)),
      Beside(Entry("?LOG:BILLINS", "INS Amount:", "@n10.2", VORNEL_FIELD(log, BILLINS))),
      Entry("?LOG:OSMFEE", "OSM Fee:", "@n10.2", VORNEL_FIELD(log, OSMFEE)),
      Beside(Entry("?LOG:OTHERFEE", "Other Fees:", "@n10.2", VORNEL_FIELD(log, OTHERFEE))),
      Entry("?LOG:BALSCA", "Balance SCA:", "@n-10.2", VORNEL_FIELD(log, BALSCA)),
      Beside(Shown("?SER:SCA_MAX", "SCA  Pay Max:", "@n10.2", VORNEL_FIELD(service, SCA_MAX))),
      Shown("?CLI:SOC_SEC_NO", "SS # :", "@p###-##-####p", VORNEL_FIELD(client, SOC_SEC_NO)),
      Beside(Shown("?CLI:MED_ASSIST", "MA :", "@s1", VORNEL_FIELD(client, MED_ASSIST))),
      Beside(Shown("?CLI:PRIINS", "INS:", "@s1", VORNEL_FIELD(client, PRIINS))),
      Shown("?CLI:BIRTHDATE", "DOB:", "@d2", VORNEL_FIELD(client, BIRTHDATE)),
      Beside(Shown("?CLIENT_AGE", "AGE:", "@n_2", Ref(state_.people.client_age))),
      Shown("?LOCALPOSTDATE", "Last Post Date:", "@d2", Ref(state_.local_post_date)),
      Shown("?TOTAL_LINE", "Charge Lines:", "@n-10.2", Ref(state_.total_line)),
      Beside(Shown("?BALANCEVALUE", "Bal:", "@n-8.2", Ref(state_.balance)))};
  for (platform::ControlSpec& c : ui::FormListControls(ClientComments())) controls.push_back(std::move(c));
  for (platform::ControlSpec& c : ui::FormListControls(ChargeLines())) controls.push_back(std::move(c));
  controls.push_back(platform::OnTab(kVisitTab, {Button("?AutoInsert", "&Auto Insert")}).front());
  controls.push_back(platform::Tab("?InsurTab", kInsuranceTab));
  controls.push_back(
      platform::OnTab(kInsuranceTab, {Shown("?InsurHeading", "Client Insurance Information")}).front());
  for (platform::ControlSpec& c : ui::FormListControls(InsuranceCards())) controls.push_back(std::move(c));
  return controls;
}

ui::FormDeclaration VisitForm::Declare() {
  // A new visit is never dated on or before the last posting date.
  state_.local_post_date = ui::CurrentPostDate(thread_.files, values_);
  if (values_.botdate == 0) values_.botdate = values_.last_post_date + 1;

  // Every rule holds the form's state alive as long as the declaration.
  const std::shared_ptr<VisitForm> self = shared_from_this();
  ui::FormDeclaration form =
      outcome() ? ui::StandardForm("UpdateAppointment", "Appointment Visit Outcome Form", data::LogFile(),
                                   OutcomeControls(), "&Cancel", kVisitTab)
                : ui::StandardForm("UpdateLog", "Client Visit Recording Form", data::LogFile(), Controls(),
                                   "C&ancel", kVisitTab);
  form.description = "Log";
  form.lookups = {{"?LOG:CLCODE", "CLI:CODE_KEY", "LOV_Client", true},
                  {"?LOG:SERV_CODE", "SER:SERV_CODE", "LOV_Services"},
                  {"?LOG:EMPL_CODE", "EMP:STAFF_KEY", "LOV_STAFF"}};
  form.prime = [self] {
    self->state_.log->LOG_DATE = self->values_.botdate;
    platform::AssignPadded(self->state_.log->TRANS_TYPE, "SCHED");
    self->state_.opening_date = self->values_.botdate;
    self->state_.opening_client = 0;
  };
  form.on_open = [self](ui::RecordForm& open) { self->Open(open); };
  form.on_accepted = [self](ui::RecordForm& open, int control) { return self->Accepted(open, control); };
  form.after_event = [self](ui::RecordForm& open) { self->Refresh(open); };
  form.before_save = [self](ui::RecordForm& open) { return self->SaveChecks(open); };
  form.after_save = [self](ui::RecordForm&) { self->AfterSave(); };
  if (outcome()) {
    // Appointments are made in the appointment book's own form.
    form.refuse_insert = errors::msg::kNoInsertForm;
    form.change_title = "Updating Visit Outcome";
    for (platform::ControlSpec& control : form.window.controls) {
      if (control.name == "?OK") control.text = "&Save Changes";
    }
    form.before_save = [self](ui::RecordForm& open) { return self->OutcomeSaveChecks(open); };
    form.after_save = [self](ui::RecordForm&) { self->AfterOutcomeSave(); };
    return form;
  }
  // A changed visit whose lines do not carry its fee is put right before it
  // is left; a new visit that is cancelled takes its lines with it.
  form.before_cancel = [self](ui::RecordForm& open) { return open.request() != ui::kChange || self->Balanced(open); };
  return form;
}

void VisitForm::Open(ui::RecordForm& form) {
  data::LogRecord& log = *state_.log;
  state_.insert_mode = form.request() == ui::kInsert;
  if (!state_.insert_mode) {
    state_.opening_client = log.CLCODE;
    state_.opening_date = log.LOG_DATE;
    values_.realtemp = log.UNITS;
  }
  state_.accepted_client = log.CLCODE;
  if (outcome()) {
    values_.carry_over = 0;
    state_.booked = BookingOf(log);
    state_.booked_date = log.LOG_DATE;
    ui::OpenFormList(form, ClientPayments());
  } else {
    ui::OpenFormList(form, ClientComments());
    state_.lines = &ui::OpenFormList(form, ChargeLines());
    ui::OpenFormList(form, InsuranceCards());
  }
  // A posted visit is shown, never saved.
  if (Posted(state_.opening_date, state_.local_post_date)) form.window()->SetEnabled(form.OKCONTROL, false);
  Refresh(form);
}

void VisitForm::ReadRelated() {
  data::LogRecord& log = *state_.log;
  state_.people.Read(thread_.files, log);
  double total = 0;
  for (const ChargeLine& line : VisitLines(thread_.files, log.LOG_NO).Read()) total += line.amount_due;
  state_.total_line = Cents(total);
}

void VisitForm::ComputeFees() {
  data::LogRecord& log = *state_.log;
  const FeeInputs inputs{.time_in = log.TIME_IN,
                         .time_out = log.TIME_OUT,
                         .service = std::string(platform::ReadField(log.SERV_CODE)),
                         .service_rate = state_.people.service.RATE,
                         .unit_minutes = state_.people.service.UNITMINS,
                         .typed_units = values_.realtemp,
                         .visit_date = log.LOG_DATE,
                         .last_post_date = state_.local_post_date,
                         .insert_mode = state_.insert_mode,
                         .outcome = std::string(platform::ReadField(log.TRANS_TYPE))};
  const FeeResult result = visits::ComputeFees(inputs, SharesOf(log));
  StoreShares(log, result.shares);
  values_.realtemp = result.shown_units;
  // Without a service there is nothing to count units in yet.
  state_.units_refusal = platform::ReadField(log.SERV_CODE).empty() ? std::string() : result.refusal;
  state_.balance = Cents(log.TOTAL_FEE - state_.total_line - log.CLIFEEDUE);
}

// After every event: the related records, the fee and what is shown of them.
void VisitForm::Refresh(ui::RecordForm& form) {
  ReadRelated();
  ComputeFees();
  Show(form, {"?CLIENTNAME", "?SER:DESC", "?EMP:LASTNAME", "?LOG:LOG_NO", "?LOG:RATE", "?REALTEMP",
              "?LOG:TOTAL_FEE", "?LOG:CLIFEEDUE", "?LOG:CLIFEENC", "?LOG:BILLTOMA", "?LOG:BILLINS",
              "?LOG:OSMFEE", "?LOG:OTHERFEE", "?LOG:BALSCA", "?CLI:SOC_SEC_NO", "?CLI:MED_ASSIST",
              "?CLI:PRIINS", "?CLI:BIRTHDATE", "?CLIENT_AGE", "?SER:SCA_MAX", "?TOTAL_LINE",
              "?BALANCEVALUE", "?LOG:EMPL_CODE", "?LOG:LOG_DATE", "?CLI:BAL_DUE"});
}

// Shows the message (when there is one) and puts the cursor on the control;
// true when it refused.
bool VisitForm::Refuse(ui::RecordForm& form, const std::string& message, std::string_view control) {
  if (message.empty()) return false;
  ui::Warn(services_, message);
  form.window()->Select(form.ControlNumberOf(control));
  return true;
}

int VisitForm::Accepted(ui::RecordForm& form, int control) {
  data::LogRecord& log = *state_.log;
  const auto is = [&](std::string_view name) { return control == form.ControlNumberOf(name); };
  if (is("?Calendar")) {
    // A picked date is only shown; OK tests it.
    log.LOG_DATE = ui::PickDate(services_.windows, services_.errors, log.LOG_DATE, "Select a Date", form.window());
    form.window()->Display(form.ControlNumberOf("?LOG:LOG_DATE"));
    return kHandled;
  }
  if (is("?LOG:LOG_DATE")) {
    values_.topdate = log.LOG_DATE;
    std::int32_t date = log.LOG_DATE;
    const std::string refused = DateCheck(date);
    log.LOG_DATE = date;
    values_.botdate = log.LOG_DATE;  // the next new visit starts on this date
    form.window()->Display(control);
    return Refuse(form, refused, "?LOG:LOG_DATE") ? kHandled : kContinue;
  }
  if (is("?LOG:CLCODE")) {
    ReadRelated();
    // A client newly chosen brings his staff member and, on a new visit, his fee.
    if (log.CLCODE != state_.accepted_client && !platform::ReadField(state_.people.client.STAFF_ID).empty())
      std::memcpy(log.EMPL_CODE, state_.people.client.STAFF_ID, sizeof log.EMPL_CODE);
    state_.accepted_client = log.CLCODE;
    if (state_.insert_mode && log.CLIFEEDUE == 0) log.CLIFEEDUE = state_.people.client.FEE_DUE;
    return kContinue;
  }
  if (is("?LOG:SERV_CODE")) {
    ReadRelated();
    std::memcpy(log.GROUPFLAG, state_.people.service.GROUPFLAG, sizeof log.GROUPFLAG);
    return kContinue;
  }
  if (is("?LOG:TIME_OUT") || is("?LOG:TIME_IN")) {
    if (is("?LOG:TIME_OUT")) log.TOTAL_FEE = 0;
    ReadRelated();
    ComputeFees();
    return Refuse(form, state_.units_refusal, "?LOG:TIME_OUT") ? kHandled : kContinue;
  }
  if (is("?LOG:BALSCA")) {
    VisitShares shares = SharesOf(log);
    const std::string refused = ScaCheck(shares, state_.people.service.SCA_MAX);
    log.BALSCA = shares.balsca;
    values_.selection = ' ';
    return Refuse(form, refused, "?LOG:BALSCA") ? kHandled : kContinue;
  }
  if (is("?AutoInsert")) {
    AutoInsert(form);
    return kHandled;
  }
  return kContinue;
}

void VisitForm::AutoInsert(ui::RecordForm& form) {
  ReadRelated();
  ComputeFees();
  data::LogRecord& log = *state_.log;
  VisitLines lines(thread_.files, log.LOG_NO);
  const std::vector<ChargeLine> missing =
      AutoInsertLines(SharesOf(log), platform::ReadField(log.SERV_CODE), platform::ReadField(state_.people.service.GROUPFLAG),
                      lines.Read());
  if (!lines.Add(missing, StampOf(state_))) {
    Refuse(form, "The charge lines could not be written; none was added. Try Auto Insert again.", "?AutoInsert");
    return;
  }
  state_.insert_mode = false;  // the client's share is no longer primed here
  state_.lines->RefillList(ui::BrowseManager::kKeepPosition);
  state_.lines->RefreshWindow();
}

// The posting-date check, and no date beyond the booking horizon. A period
// posted at another station since the form opened counts as posted.
std::string VisitForm::DateCheck(std::int32_t& date) {
  state_.local_post_date = std::max(state_.local_post_date, ui::CurrentPostDate(thread_.files, values_));
  std::string refused = PostingDateCheck(date, state_.opening_date, state_.local_post_date);
  if (refused.empty() && date > platform::Today() + kDaysAhead)
    refused = "A visit may not be dated more than two years ahead.";
  return refused;
}

// The charge lines carry the fee less the client's share (says why not).
bool VisitForm::Balanced(ui::RecordForm& form) {
  const data::LogRecord& log = *state_.log;
  const std::string unbalanced =
      BalanceCheck(SharesOf(log), state_.total_line, platform::ReadField(log.SERV_CODE),
                   platform::ReadField(log.TRANS_TYPE), Posted(log.LOG_DATE, state_.local_post_date));
  values_.selection = ' ';
  return !Refuse(form, unbalanced, "?Lines");
}

// The checks of OK, in order; the first that fails keeps the form open.
bool VisitForm::SaveChecks(ui::RecordForm& form) {
  data::LogRecord& log = *state_.log;
  ReadRelated();
  ComputeFees();
  values_.selection = ' ';
  std::int32_t date = log.LOG_DATE;
  const std::string too_early = DateCheck(date);
  log.LOG_DATE = date;
  if (Refuse(form, too_early, "?LOG:LOG_DATE")) return false;
  if (Refuse(form, state_.units_refusal, "?LOG:TIME_OUT")) return false;
  VisitShares shares = SharesOf(log);
  const std::string over_max = ScaCheck(shares, state_.people.service.SCA_MAX);
  log.BALSCA = shares.balsca;
  if (Refuse(form, over_max, "?LOG:BALSCA")) return false;
  if (!Balanced(form)) return false;
  return !Refuse(form, BlankPayerCheck(VisitLines(thread_.files, log.LOG_NO).Read()), "?Lines");
}

// Once the visit is saved its lines follow it: a visit that did not take
// place loses its open lines, and every line carries the visit's client and
// date. Done after the save, so a refused save leaves the lines as they were.
void VisitForm::AfterSave() {
  data::LogRecord& log = *state_.log;
  VisitLines lines(thread_.files, log.LOG_NO);
  if (NoVisitTookPlace(platform::ReadField(log.TRANS_TYPE)) && !Posted(log.LOG_DATE, state_.local_post_date)) {
    const int kept = lines.DeleteOpen();
    if (kept > 0)
      ui::Warn(services_, std::to_string(kept) +
                              " charge line(s) of this visit were billed or paid and are kept; only the open "
                              "lines were deleted.");
  }
  if (log.CLCODE != state_.opening_client || log.LOG_DATE != state_.opening_date) lines.Restamp(StampOf(state_));
}

// The outcome form checks the date and the times; a visit moved onto
// another's time is asked about.
bool VisitForm::OutcomeSaveChecks(ui::RecordForm& form) {
  data::LogRecord& log = *state_.log;
  ReadRelated();
  ComputeFees();
  std::int32_t date = log.LOG_DATE;
  const std::string too_early = DateCheck(date);
  log.LOG_DATE = date;
  if (Refuse(form, too_early, "?LOG:LOG_DATE")) return false;
  if (Refuse(form, state_.units_refusal, "?LOG:TIME_OUT")) return false;
  const Booking now = BookingOf(log);
  const bool moved = log.LOG_DATE != state_.booked_date || now.client != state_.booked.client ||
                     now.staff != state_.booked.staff || now.time_in != state_.booked.time_in ||
                     now.time_out != state_.booked.time_out;
  if (moved && !BookAnyway(services_, thread_.files, log, state_.people)) {
    form.window()->Select(form.ControlNumberOf("?LOG:TIME_IN"));
    return false;
  }
  values_.selection = ' ';
  return true;
}

// Saved: the lines follow the visit, and the appointment book is asked for
// the client's next appointment when the box is ticked. A save refused or a
// form cancelled asks for none.
void VisitForm::AfterOutcomeSave() {
  AfterSave();
  data::LogRecord& log = *state_.log;
  values_.carry_over_client = 0;
  if (state_.schedule_next != 0) {
    values_.carry_over_client = log.CLCODE;
    platform::AssignPadded(values_.carry_over_code, platform::ReadField(log.SERV_CODE));
  }
  values_.carry_over = state_.schedule_next;
}

}  // namespace

void RegisterVisitForm(const ui::Services& services) {
  ui::RegisterForm(services, "UpdateLog", [&services](ui::ThreadState& thread) {
    return std::make_shared<VisitForm>(services, thread, VisitFormKind::kVisit)->Declare();
  });
  ui::RegisterForm(services, "UpdateAppointment", [&services](ui::ThreadState& thread) {
    return std::make_shared<VisitForm>(services, thread, VisitFormKind::kOutcome)->Declare();
  });
}

}  // namespace vornel::visits
