#include "visits/appointment_form.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "errors/message_table.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "ui/file_drop_list.h"
#include "ui/list_procedure.h"
#include "ui/pick_date.h"
#include "ui/posting_date.h"
#include "ui/record_form.h"
#include "ui/system_warning.h"
#include "visits/appointment_clash.h"
#include "visits/related_record.h"
#include "visits/visit_fees.h"

namespace vornel::visits {
namespace {

using platform::Beside;
using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;
using ui::kContinue;
using ui::kHandled;

// A new appointment runs from 8:00 to 9:00; a time in moves the time out
// one hour on.
constexpr std::int32_t kEightOClock = 2880001;
constexpr std::int32_t kNineOClock = 3240001;
constexpr std::int32_t kOneHour = 360000;
constexpr int kOneWeek = 7;

// What the form shows besides the record.
struct AppointmentState {
  data::LogRecord* log = nullptr;
  VisitPeople people;  // the visit's client, staff member and service
  std::int32_t last_post_date = 0;
  // What was last taken of the user's input, so that OK's pass over every
  // field does not take it again (the client's staff member, the time out).
  std::int16_t accepted_client = 0;
  std::int32_t accepted_time_in = 0;
};

class AppointmentForm : public std::enable_shared_from_this<AppointmentForm> {
 public:
  AppointmentForm(const ui::Services& services, ui::ThreadState& thread)
      : services_(services), values_(services.values), thread_(thread) {
    state_.log = &thread.files.Get(data::LogFile()).record<data::LogRecord>();
  }
  ui::FormDeclaration Declare();

 private:
  void ReadRelated();
  void Refresh(ui::RecordForm& form);
  int Accepted(ui::RecordForm& form, int control);
  void ClientChosen(ui::RecordForm& form);
  void TakeClientsStaff();
  bool Refuse(ui::RecordForm& form, const std::string& message, std::string_view control);
  bool Checks(ui::RecordForm& form);
  bool TimesInOrder(ui::RecordForm& form);
  bool NoClash(ui::RecordForm& form);

  const ui::Services& services_;
  ui::ProgramValues& values_;
  ui::ThreadState& thread_;
  AppointmentState state_;
};

ui::FormDeclaration AppointmentForm::Declare() {
  state_.last_post_date = ui::CurrentPostDate(thread_.files, values_);
  if (values_.botdate == 0) values_.botdate = values_.last_post_date + 1;
  data::LogRecord& log = *state_.log;
  const std::vector<platform::ControlSpec> controls = {
      Shown("?LOG:LOG_NO", "Visit No.", "@n_10", VORNEL_FIELD(log, LOG_NO)),
      Beside(Shown("?LOCALPOSTDATE", "Last Posting Date:", "@d2", Ref(state_.last_post_date))),
      Entry("?LOG:CLCODE", "Client #:", "@n_7", VORNEL_FIELD(log, CLCODE)),
      Beside(Button("?ClientLookup", "...")),
      Beside(Shown("?CLIENTNAME", "", "@s30", Ref(state_.people.client_name))),
      Shown("?CLIENT_AGE", "Age:", "@n_3", Ref(state_.people.client_age)),
      Beside(Shown("?CLI:BIRTHDATE", "DOB:", "@d2", VORNEL_FIELD(state_.people.client, BIRTHDATE))),
      Beside(Shown("?CLI:SOC_SEC_NO", "SS # :", "@p###-##-####p", VORNEL_FIELD(state_.people.client, SOC_SEC_NO))),
      platform::DropCombo("?LOG:EMPL_CODE", "Staff ID:", "@s5", VORNEL_FIELD(log, EMPL_CODE)),
      Beside(Shown("?STAFF_NAME", "", "@s30", Ref(state_.people.staff_name))),
      Entry("?LOG:SERV_CODE", "Service Code:", "@s4", VORNEL_FIELD(log, SERV_CODE)),
      Beside(Button("?ServiceLookup", "...")),
      Beside(Shown("?SER:DESC", "", "@s25", VORNEL_FIELD(state_.people.service, DESC))),
      Entry("?LOG:LOG_DATE", "Date:", "@d2", VORNEL_FIELD(log, LOG_DATE)),
      Beside(Button("?Calendar", "...")),
      Beside(Button("?NextWeek", "+7 Days")),
      Entry("?LOG:TIME_IN", "Time In:", "@t3", VORNEL_FIELD(log, TIME_IN)),
      Entry("?LOG:TIME_OUT", "Time Out:", "@t3", VORNEL_FIELD(log, TIME_OUT)),
      Entry("?LOG:COMMENT", "Visit Comment:", "@s12", VORNEL_FIELD(log, COMMENT))};
  ui::FormDeclaration form = ui::StandardForm("AddAppointment", "New Visit Entry Form", data::LogFile(), controls);
  for (platform::ControlSpec& control : form.window.controls) {
    if (control.name == "?OK") control.text = "&Ok";
  }
  // Started from the appointment book, it adds.
  form.request = ui::kInsert;
  form.insert_title = "Adding a New Appointment";
  form.refuse_delete = errors::msg::kNoDeleteForm;
  form.lookups = {{"?LOG:CLCODE", "CLI:CODE_KEY", "LOV_Client_app", true},
                  {"?LOG:SERV_CODE", "SER:SERV_CODE", "LOV_Services"}};
  const std::shared_ptr<AppointmentForm> self = shared_from_this();
  form.prime = [self] {
    data::LogRecord& visit = *self->state_.log;
    ui::ProgramValues& values = self->values_;
    visit.LOG_DATE = values.botdate;
    platform::AssignPadded(visit.TRANS_TYPE, "SCHED");
    visit.TIME_IN = kEightOClock;
    visit.TIME_OUT = kNineOClock;
    self->state_.accepted_time_in = kEightOClock;
    // The client handed over by an outcome form primes this one
    // appointment; the next is booked for whoever comes.
    if (values.carry_over_client > 0) {
      visit.CLCODE = values.carry_over_client;
      platform::AssignCut(visit.SERV_CODE, platform::ReadField(values.carry_over_code).substr(0, 4));
      values.carry_over_client = 0;
      self->TakeClientsStaff();
    }
  };
  form.on_open = [self, &services = services_](ui::RecordForm& open) {
    open.Own(std::make_unique<ui::FileDropList>(
        open, self->thread_, services.errors,
        ui::FileDropDeclaration{.control = "?LOG:EMPL_CODE",
                                .view = data::ViewDef(data::EmployeeFile()),
                                .key = "EMP:STAFF_KEY",
                                .columns = {{"EMP:EMPCODE", "@s5"}, {"EMP:LASTNAME", "@s20"}},
                                .update = {{"EMP:EMPCODE", VORNEL_FIELD(*self->state_.log, EMPL_CODE)}},
                                // The client brings his staff member; nobody is chosen for him.
                                .default_fill = false}));
    self->Refresh(open);
  };
  form.on_accepted = [self](ui::RecordForm& open, int control) { return self->Accepted(open, control); };
  form.after_event = [self](ui::RecordForm& open) { self->Refresh(open); };
  form.before_save = [self](ui::RecordForm& open) {
    return self->Checks(open) && self->TimesInOrder(open) && self->NoClash(open);
  };
  return form;
}

void AppointmentForm::ReadRelated() { state_.people.Read(thread_.files, *state_.log); }

void AppointmentForm::Refresh(ui::RecordForm& form) {
  ReadRelated();
  std::memcpy(state_.log->GROUPFLAG, state_.people.service.GROUPFLAG, sizeof state_.log->GROUPFLAG);
  for (const char* shown : {"?CLIENTNAME", "?CLIENT_AGE", "?CLI:BIRTHDATE", "?CLI:SOC_SEC_NO", "?STAFF_NAME",
                            "?SER:DESC", "?LOG:LOG_NO", "?LOG:CLCODE", "?LOG:EMPL_CODE", "?LOG:SERV_CODE",
                            "?LOG:LOG_DATE", "?LOG:TIME_OUT"})
    form.window()->Display(form.ControlNumberOf(shown));
}

bool AppointmentForm::Refuse(ui::RecordForm& form, const std::string& message, std::string_view control) {
  if (message.empty()) return false;
  ui::Warn(services_, message);
  form.window()->Select(form.ControlNumberOf(control));
  return true;
}

// The client's staff member comes with him; the service is next.
void AppointmentForm::ClientChosen(ui::RecordForm& form) {
  TakeClientsStaff();
  form.window()->Select(form.ControlNumberOf("?LOG:SERV_CODE"));
}

void AppointmentForm::TakeClientsStaff() {
  ReadRelated();
  state_.accepted_client = state_.log->CLCODE;
  if (!platform::ReadField(state_.people.client.STAFF_ID).empty())
    std::memcpy(state_.log->EMPL_CODE, state_.people.client.STAFF_ID, sizeof state_.log->EMPL_CODE);
}

int AppointmentForm::Accepted(ui::RecordForm& form, int control) {
  data::LogRecord& log = *state_.log;
  const auto is = [&](std::string_view name) { return control == form.ControlNumberOf(name); };
  const auto chosen = [&](std::string_view list, const data::FileDef& file) {
    return form.call_procedure && form.call_procedure(list, ui::kSelect) == ui::kCompleted
               ? &thread_.files.Get(file)
               : nullptr;
  };
  if (is("?ClientLookup")) {
    if (data::FileManager* clients = chosen("LOV_Client_app", data::ClientFile())) {
      log.CLCODE = clients->record<data::ClientRecord>().CLCODE;
      ClientChosen(form);
    }
    return kHandled;
  }
  if (is("?ServiceLookup")) {
    if (data::FileManager* services = chosen("LOV_Services", data::ServicesFile()))
      std::memcpy(log.SERV_CODE, services->record<data::ServicesRecord>().SERVICE, sizeof log.SERV_CODE);
    return kHandled;
  }
  if (is("?LOG:CLCODE")) {
    if (log.CLCODE != state_.accepted_client) ClientChosen(form);
    return kContinue;
  }
  if (is("?Calendar")) {
    log.LOG_DATE = ui::PickDate(services_.windows, services_.errors, log.LOG_DATE, "Select a Date", form.window());
    return kHandled;
  }
  if (is("?NextWeek")) {
    log.LOG_DATE = log.LOG_DATE + kOneWeek;
    return kHandled;
  }
  if (is("?LOG:TIME_IN") && log.TIME_IN != state_.accepted_time_in) {
    log.TIME_OUT = log.TIME_IN + kOneHour;
    state_.accepted_time_in = log.TIME_IN;
    return kContinue;
  }
  if (is("?LOG:LOG_DATE")) return Checks(form) ? kContinue : kHandled;
  return kContinue;
}

// The date after the last posting date, a service and a staff member.
bool AppointmentForm::Checks(ui::RecordForm& form) {
  data::LogRecord& log = *state_.log;
  // A posting at another station since the form opened moves the date on.
  state_.last_post_date = std::max(state_.last_post_date, ui::CurrentPostDate(thread_.files, values_));
  form.window()->Display(form.ControlNumberOf("?LOCALPOSTDATE"));
  values_.botdate = log.LOG_DATE > state_.last_post_date ? log.LOG_DATE : values_.botdate;
  if (Posted(log.LOG_DATE, state_.last_post_date)) {
    log.LOG_DATE = state_.last_post_date + 1;
    form.window()->Display(form.ControlNumberOf("?LOG:LOG_DATE"));
    return !Refuse(form,
                   "The new visit date must be greater than the last posting date of: " +
                       platform::FormatWith("d2", state_.last_post_date),
                   "?LOG:LOG_DATE");
  }
  if (platform::ReadField(log.SERV_CODE).empty())
    return !Refuse(form, "The Service Code field cannot be left blank!", "?LOG:SERV_CODE");
  if (platform::ReadField(log.EMPL_CODE).empty())
    return !Refuse(form, "The Employee Code field cannot be left blank!", "?LOG:EMPL_CODE");
  return true;
}

bool AppointmentForm::TimesInOrder(ui::RecordForm& form) {
  return state_.log->TIME_OUT >= state_.log->TIME_IN ||
         !Refuse(form, "The time out lies before the time in.", "?LOG:TIME_OUT");
}

// Another appointment of the client or the staff member at that time is
// asked about; No keeps the form open at the time.
bool AppointmentForm::NoClash(ui::RecordForm& form) {
  ReadRelated();
  if (BookAnyway(services_, thread_.files, *state_.log, state_.people))
    return true;
  form.window()->Select(form.ControlNumberOf("?LOG:TIME_IN"));
  return false;
}

}  // namespace

void RegisterAppointmentForms(const ui::Services& services) {
  ui::RegisterForm(services, "AddAppointment", [&services](ui::ThreadState& thread) {
    return std::make_shared<AppointmentForm>(services, thread)->Declare();
  });
}

}  // namespace vornel::visits
