#include "visits/appointment_book.h"

#include <charconv>
#include <cstdint>
#include <memory>
#include <string>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "platform/dates.h"
#include "platform/expression_scope.h"
#include "platform/text.h"
#include "ui/file_drop_list.h"
#include "ui/list_procedure.h"
#include "ui/pick_date.h"
#include "ui/posting_date.h"
#include "visits/visit_log.h"

namespace vornel::visits {
namespace {

using platform::Beside;
using platform::Button;
using ui::kContinue;
using ui::kHandled;

// The sort orders: by date, staff member and time in; a client's visits by
// his key, by date (read without passing over everyone else's).
enum Order { kStaffOrder = 1, kClientOrder = 2, kAllOrder = 3 };

class AppointmentBook : public std::enable_shared_from_this<AppointmentBook> {
 public:
  AppointmentBook(const ui::Services& services, ui::ThreadState& thread)
      : services_(services), values_(services.values), thread_(thread) {
    names_.BindString("EmployeeFind", &employee_find_);
    names_.BindString("FindCLient", &find_client_);
    names_.BindInt16("FindClientCode", &client_code_);
  }
  ui::ListDeclaration Declare();

 private:
  // "Find a Client:" read as a number; 0 when it is none.
  int ClientFound() const;
  int ChooseOrder() const;
  std::string Narrowing() const { return employee_find_ + '\n' + std::to_string(ClientFound()); }
  data::LogRecord& Highlighted(ui::ListProcedure& list);
  void Open(ui::ListProcedure& list);
  int Accepted(ui::ListProcedure& list, int control);
  void AfterEvent(ui::ListProcedure& list);

  const ui::Services& services_;
  ui::ProgramValues& values_;
  ui::ThreadState& thread_;
  std::string employee_find_;  // "Only Show Visits for Staff Code:"
  std::string find_client_;    // "Find a Client:"
  std::int16_t client_code_ = 0;  // "Find a Client:" as the list reads it
  std::string narrowed_;          // what the list was last narrowed to
  std::int32_t local_post_date_ = 0;
  platform::VariableTable names_;
};

int AppointmentBook::ClientFound() const {
  const std::string_view text = platform::Trim(find_client_);
  int code = 0;
  std::from_chars(text.data(), text.data() + text.size(), code);
  return code;
}

// A staff member chosen wins over a client.
int AppointmentBook::ChooseOrder() const {
  if (!platform::Clip(employee_find_).empty()) return kStaffOrder;
  if (ClientFound() != 0) return kClientOrder;
  return kAllOrder;
}

ui::ListDeclaration AppointmentBook::Declare() {
  local_post_date_ = ui::CurrentPostDate(thread_.files, values_);
  narrowed_ = Narrowing();
  const std::shared_ptr<AppointmentBook> self = shared_from_this();
  const auto order = [](std::string key, std::string filter, std::string range = {}) {
    return ui::ListOrder{"", std::move(key), ui::LocatorKind::kEntry, "@d2", "Find a Date:", std::move(filter),
                         std::move(range)};
  };
  return {
      .procedure = "Appointment_window",
      .title = "Appointments Selection",
      .view = VisitListView(),
      // The staff code as the visit has it, in either case: tested before
      // the visit's staff member and client are read.
      .orders = {order("LOG:LOG_DAY", "(UPPER(Log:EMPL_CODE) = UPPER(EmployeeFind))"),
                 order("LOG:LOG_CUST", "(Log:CLCODE = FindCLient)", "FindClientCode"),
                 order("LOG:LOG_DAY", "")},
      .columns = VisitListColumns("@s30"),
      .update_procedure = "UpdateAppointment",
      .insert_text = "&Schedule New Visit",
      .change_text = "&Record Visit Outcome",
      .delete_text = "&Delete Visit",
      .choose_order = [self] { return self->ChooseOrder(); },
      .above = {Beside(Button("?Calendar", "...")), Beside(Button("?Today", "Today")),
                Beside(platform::Shown("?LOCALPOSTDATE", "Last Posting Date:", "@d2", platform::Ref(local_post_date_))),
                platform::Entry("?FindClient", "Find a Client:", "@s7", platform::Ref(find_client_)),
                Beside(Button("?ClientLookup", "...")),
                Beside(platform::DropCombo("?StaffFilter", "Only Show Visits for Staff Code:", "@s5",
                                           platform::Ref(employee_find_))),
                Beside(Button("?ShowAll", "Show All"))},
      .controls = {Beside(Button("?DailySchedule", "Daily Schedule")), Beside(Button("?AddNew", "Add New Appointment")),
                   Beside(Button("?Signature", "Signature Confirmation Form"))},
      .variables = &names_,
      .row_colour =
          [self] {
            const auto& log = self->thread_.files.Get(data::LogFile()).record<data::LogRecord>();
            return log.LOG_DATE > 0 && platform::DayOf(log.LOG_DATE) % 2 == 0 ? kEvenDayColour
                                                                              : platform::Window::kDefaultColour;
          },
      .may_request = VisitDeleteGuard(services_, local_post_date_),
      .on_open = [self](ui::ListProcedure& list) { self->Open(list); },
      .on_accepted = [self](ui::ListProcedure& list, int control) { return self->Accepted(list, control); },
      .after_event = [self](ui::ListProcedure& list) { self->AfterEvent(list); }};
}

void AppointmentBook::Open(ui::ListProcedure& list) {
  // The rows have the focus, not the client entry above them.
  list.window()->Select(list.ControlNumber("?List"));
  list.Own(std::make_unique<ui::FileDropList>(
      list, thread_, services_.errors,
      ui::FileDropDeclaration{.control = "?StaffFilter",
                              .view = data::ViewDef(data::EmployeeFile()),
                              .key = "EMP:STAFF_KEY",
                              .columns = {{"EMP:EMPCODE", "@s5"}, {"EMP:LASTNAME", "@s20"}},
                              .update = {{"EMP:EMPCODE", platform::Ref(employee_find_)}},
                              // Every staff member's visits until one is chosen.
                              .default_fill = false}));
}

// The highlighted visit, in the Log buffer.
data::LogRecord& AppointmentBook::Highlighted(ui::ListProcedure& list) {
  list.browse().CopyRowToRecord();
  return thread_.files.Get(data::LogFile()).record<data::LogRecord>();
}

int AppointmentBook::Accepted(ui::ListProcedure& list, int control) {
  const auto is = [&](std::string_view name) { return control == list.ControlNumber(name); };
  platform::Window& window = *list.window();
  if (is("?Calendar")) {
    const auto shown = static_cast<platform::DayNumber>(list.located());
    const platform::DayNumber date = ui::PickDate(services_.windows, services_.errors,
                                                  shown > 0 ? shown : platform::Today(), "Select a Date", &window);
    if (date != 0) list.Locate(date);
    return kHandled;
  }
  if (is("?Today")) {
    list.Locate(platform::Today());
    return kHandled;
  }
  if (is("?ClientLookup")) {
    if (services_.procedures.CallWith("LOV_Client_app", ui::kSelect) == ui::kCompleted) {
      find_client_ = std::to_string(thread_.files.Get(data::ClientFile()).record<data::ClientRecord>().CLCODE);
      window.Display(list.ControlNumber("?FindClient"));
    }
    return kHandled;
  }
  if (is("?ShowAll")) {
    employee_find_.clear();
    find_client_.clear();
    window.Display(list.ControlNumber("?FindClient"));
    window.Display(list.ControlNumber("?StaffFilter"));
    return kHandled;
  }
  if (is("?DailySchedule")) {
    const data::LogRecord& visit = Highlighted(list);
    values_.topdate = visit.LOG_DATE;
    platform::AssignPadded(values_.carry_over_code, platform::ReadField(visit.EMPL_CODE));
    services_.procedures.Start("DailyAppointmentRpt");
    return kHandled;
  }
  if (is("?Signature")) {
    Highlighted(list);
    services_.procedures.Call("App_Agreement_Rpt");
    return kHandled;
  }
  if (is("?AddNew")) {
    services_.procedures.Start("AddAppointment");
    return kHandled;
  }
  return kContinue;
}

// An outcome form that asked for the client's next appointment opens it; a
// staff member or client chosen narrows the list.
void AppointmentBook::AfterEvent(ui::ListProcedure& list) {
  if (values_.carry_over == 1) {
    values_.carry_over = 0;
    list.window()->Post({.kind = platform::EventKind::kAccepted, .control = list.ControlNumber("?AddNew")});
  }
  if (const std::string now = Narrowing(); now != narrowed_) {
    narrowed_ = now;
    // A number no client code can be narrows to nobody.
    const int code = ClientFound();
    client_code_ = code >= INT16_MIN && code <= INT16_MAX ? static_cast<std::int16_t>(code) : -1;
    // The list stays at the date it showed, in whichever order it reads now.
    const std::int32_t date = list.browse().rows().empty() ? 0 : Highlighted(list).LOG_DATE;
    list.browse().RefreshSortOrder(true);
    if (date != 0) list.Locate(date);
    list.browse().RefreshWindow();
  }
}

}  // namespace

void RegisterAppointmentBook(const ui::Services& services) {
  ui::RegisterList(services, "Appointment_window", [&services](ui::ThreadState& thread) {
    return std::make_shared<AppointmentBook>(services, thread)->Declare();
  });
}

}  // namespace vornel::visits
