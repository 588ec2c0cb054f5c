#include "reports/report_parameters.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "platform/dates.h"
#include "platform/text.h"
#include "platform/window/window_spec.h"
#include "reports/visit_buffers.h"
#include "ui/dialog_procedure.h"
#include "ui/file_drop_list.h"
#include "ui/pick_date.h"
#include "ui/window_manager.h"

namespace vornel::reports {
namespace {

using platform::Beside;
using platform::Button;
using platform::Choice;
using platform::ControlSpec;
using platform::Entry;
using platform::Ref;
using platform::Shown;

platform::ValueRef CharRef(char& value) { return {platform::ValueRef::Type::kText, &value, 1}; }

// What every parameter window shares: OK and Cancel under its controls, the
// cancelled flag cleared as it opens and set by Cancel (its button, Escape
// or the close box). `on_open` and `on_ok` add the window's own work.
ui::DialogDeclaration ParameterWindow(ui::ProgramValues& values, std::string procedure, std::string title,
                                      std::vector<ControlSpec> controls, std::function<void()> on_open = {},
                                      std::function<void()> on_ok = {}) {
  ui::DialogDeclaration dialog;
  dialog.window.procedure = std::move(procedure);
  dialog.window.title = std::move(title);
  controls.push_back(Button("?Ok", "&OK"));
  controls.push_back(Button("?Cancel", "&Cancel"));
  dialog.window.controls = std::move(controls);
  dialog.window.default_button = "?Ok";
  dialog.window.cancel_button = "?Cancel";
  dialog.on_open = [&values, on_open = std::move(on_open)] {
    values.cancelled = 0;
    if (on_open) on_open();
  };
  dialog.buttons = {{"?Ok", ui::kCompleted, std::move(on_ok)},
                    {"?Cancel", ui::kCancelled, [&values] { values.cancelled = 1; }}};
  return dialog;
}

// A period whose end is never before its start: the end is raised to the
// start when the focus reaches the end's entry and when OK is pressed.
void KeepEndAfterStart(ui::DialogDeclaration& dialog, std::int32_t& start, std::int32_t& end,
                       std::string end_control) {
  std::function<void()>& ok = dialog.buttons.front().on_press;
  ok = [&start, &end, then = std::move(ok)] {
    if (end < start) end = start;
    if (then) then();
  };
  dialog.after_event = [&start, &end, end_control = std::move(end_control)](platform::Window& window) {
    const int control = window.Control(end_control);
    if (end >= start || window.Focused() != control) return;
    end = start;
    window.Display(control);
  };
}

void AddDropList(ui::DialogDeclaration& dialog, const ui::Services& services, ui::FileDropDeclaration declaration) {
  ui::AddPart(dialog, [&services, declaration = std::move(declaration)](ui::WindowManager& manager) {
    manager.Own(std::make_unique<ui::FileDropList>(manager, *ui::CurrentThread(), services.errors, declaration));
  });
}

// The staff member with this code, read into the thread's Employee buffer;
// false when there is none. The key ignores case.
bool FindStaff(data::FileRegistry& files, std::string_view code, std::string* last_name = nullptr) {
  const std::optional<data::EmployeeRecord> staff = FindStaffMember(files, code);
  if (staff && last_name) *last_name = platform::ReadField(staff->LASTNAME);
  return staff.has_value();
}

// No period chosen yet (the department had no reference date): the thirty
// days up to the reference date.
void ProposePeriod(ui::ProgramValues& values) {
  if (values.topdate > 0) return;
  values.topdate = values.reference_date - 30;
  values.botdate = values.reference_date;
}

std::vector<ControlSpec> DateRange(ui::ProgramValues& values, std::vector<ControlSpec> more = {}) {
  std::vector<ControlSpec> controls = {Shown("?Prompt", "Enter Date Range"),
                                       Entry("?topdate", "Starting:", "@d2", Ref(values.topdate)),
                                       Entry("?botdate", "Ending:", "@d2", Ref(values.botdate))};
  for (ControlSpec& control : more) controls.push_back(std::move(control));
  return controls;
}

// How clients are named on a bill; every window that asks starts on the
// client number.
ControlSpec NameFormat(ui::ProgramValues& values, bool with_tracking_number) {
  std::vector<Choice> choices = {
      {"  Full Names Displayed", "F"}, {"  Last Name Initial Only", "I"}, {"  Client Number Only", "N"}};
  if (with_tracking_number) choices.push_back({"  Client  Tracking Number Only", "T"});
  return platform::Radio("?name_format", "Client Name Format", CharRef(values.name_format), std::move(choices));
}

// A billing window: the period (its end not before its start), the name
// format and perhaps a billing option, which starts on "O".
ui::DialogDeclaration BillingWindow(ui::ProgramValues& values, std::string procedure, bool with_tracking_number,
                                    std::vector<ControlSpec> option) {
  const bool with_option = !option.empty();
  std::vector<ControlSpec> more = {NameFormat(values, with_tracking_number)};
  for (ControlSpec& control : option) more.push_back(std::move(control));
  ui::DialogDeclaration dialog =
      ParameterWindow(values, std::move(procedure), "Date Range Selection - SCA Billing",
                      DateRange(values, std::move(more)), [&values, with_option] {
                        values.name_format = 'N';
                        if (with_option) values.var1 = 'O';
                      });
  KeepEndAfterStart(dialog, values.topdate, values.botdate, "?botdate");
  return dialog;
}

ui::DialogDeclaration DateRangeWindow(ui::ProgramValues& values) {
  ui::DialogDeclaration dialog = ParameterWindow(values, "Date_Range", "Date Range Selection", DateRange(values),
                                                 [&values] { ProposePeriod(values); });
  KeepEndAfterStart(dialog, values.topdate, values.botdate, "?botdate");
  return dialog;
}

ui::DialogDeclaration VendorWindow(ui::ProgramValues& values) {
  return BillingWindow(values, "Date_Range_Vendor", true,
                       {platform::Radio("?VAR1", "Billing Option", CharRef(values.var1),
                                        {{"    First Time Billing", "O"}, {"    Re-Bill Vendor", "R"}, {"    Bill All", "A"}}),
                        Shown("?Note", "Transfers rebilled with 'R' option.")});
}

ui::DialogDeclaration VendorStatusWindow(ui::ProgramValues& values) {
  return BillingWindow(values, "Date_Range_Vendor_Stat", false,
                       {platform::Radio("?VAR1", "Billing Status Option", CharRef(values.var1),
                                        {{"    All Activity", "A"},
                                         {"    Open Items Only", "O"},
                                         {"    Billed Items Only", "B"},
                                         {"    Re-Billed Items Only", "R"},
                                         {"    Paid Items Only", "P"}})});
}

// The claim form's period and payer: "MA1" until another payer is chosen.
ui::DialogDeclaration ClaimFormWindow(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  ui::DialogDeclaration dialog = ParameterWindow(
      values, "Date_Range_CMS1500", "CMS1500 Date Range Selection",
      {Entry("?topdate", "Visits Starting:", "@d2", Ref(values.topdate)),
       Entry("?botdate", "Visitis Ending:", "@d2", Ref(values.botdate)),
       platform::DropCombo("?filter2", "Vendor Code", "@s3", Ref(values.filter2)),
       platform::Check("?end_date_flag", "  Use as Visit End Dates Also", Ref(values.end_date_flag), "1", "0")},
      [&values] {
        ProposePeriod(values);
        platform::AssignPadded(values.filter2, "MA1");
      });
  KeepEndAfterStart(dialog, values.topdate, values.botdate, "?botdate");
  AddDropList(dialog, services,
              {.control = "?filter2",
               .view = data::ViewDef(data::VendorFile()),
               .key = "VEN:VEN_KEY",
               .columns = {{"VEN:VEN_CODE", "@s3"}, {"VEN:NAME", "@s25"}},
               .update = {{"VEN:VEN_CODE", Ref(values.filter2)}}});
  return dialog;
}

ui::DialogDeclaration DayWindow(ui::ProgramValues& values) {
  return ParameterWindow(values, "Day_Select", "Date Selection Form",
                         {Shown("?Prompt", "Enter Date of Interest"), Entry("?topdate", "Date:", "@d2", Ref(values.topdate))},
                         [&values] { values.topdate = values.reference_date; });
}

// The month of interest; OK makes botdate its last day (a month outside 1
// to 12, or a year before the calendar's, leaves it as it was).
ui::DialogDeclaration MonthWindow(ui::ProgramValues& values) {
  return ParameterWindow(
      values, "Month_Select", "Date Selection Form",
      {Shown("?Prompt", "Enter Month and Year of Interest"), Entry("?month", "Month:", "@n_2", Ref(values.month)),
       Entry("?year", "Year:", "@n_4", Ref(values.year))},
      [&values] {
        const platform::DayNumber today = platform::Today();
        if (values.month == 0) values.month = static_cast<std::int16_t>(platform::MonthOf(today));
        if (values.year == 0) values.year = static_cast<std::int16_t>(platform::YearOf(today));
      },
      [&values] {
        if (values.month < 1 || values.month > 12) return;
        // February ends on the 29th in a leap year.
        const platform::DayNumber first = platform::DateFromMdy(values.month, 1, values.year);
        if (first > 0) values.botdate = platform::LastDayOfMonth(first);
      });
}

// The appointment list's staff member and period, held the other way
// round: botdate is the start and topdate the end.
ui::DialogDeclaration AppointmentWindow(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  auto staff_name = std::make_shared<std::string>();
  ui::DialogDeclaration dialog = ParameterWindow(
      values, "Date_Range_apppointment", "Appointment Date Range Selection",
      {platform::DropCombo("?filter2", "Staff Code Selection:", "@s5", Ref(values.filter2)),
       Shown("?StaffName", "Staff Name:", "@s30", Ref(*staff_name)),
       Entry("?botdate", "Starting:", "@d2", Ref(values.botdate)), Beside(Button("?StartCalendar", "...")),
       Entry("?topdate", "Ending:", "@d2", Ref(values.topdate)), Beside(Button("?EndCalendar", "..."))},
      [&values, staff_name] {
        // The appointment book hands over the highlighted visit's staff member.
        if (!platform::Clip(platform::ReadField(values.carry_over_code)).empty())
          platform::AssignPadded(values.filter2, platform::ReadField(values.carry_over_code));
        values.botdate = values.topdate;
        FindStaff(ui::CurrentThread()->files, platform::ReadField(values.filter2), staff_name.get());
      });
  KeepEndAfterStart(dialog, values.botdate, values.topdate, "?topdate");
  const auto calendar = [&services](std::int32_t& date, std::string entry) -> ui::AcceptedRule {
    return [&services, &date, entry = std::move(entry)](platform::Window& window) {
      const platform::DayNumber chosen = ui::PickDate(services.windows, services.errors, date, "Select a Date", &window);
      if (chosen == 0) return;
      date = chosen;
      window.Display(window.Control(entry));
    };
  };
  AddDropList(dialog, services,
              {.control = "?filter2",
               .view = data::ViewDef(data::EmployeeFile()),
               .key = "EMP:STAFF_KEY",
               .columns = {{"EMP:EMPCODE", "@s5"}, {"EMP:LASTNAME", "@s20"}},
               .update = {{"EMP:EMPCODE", Ref(values.filter2)}, {"EMP:LASTNAME", Ref(*staff_name)}}});
  ui::AddAcceptedRules(dialog, {{"?botdate",
                     [&values](platform::Window& window) {
                       values.topdate = values.botdate;
                       window.Display(window.Control("?topdate"));
                     }},
                    {"?StartCalendar", calendar(values.botdate, "?botdate")},
                    {"?EndCalendar", calendar(values.topdate, "?topdate")}});
  return dialog;
}

// A staff ID that is no one's opens the staff selection list; the code
// chosen there replaces it.
ui::DialogDeclaration StaffWindow(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  ui::DialogDeclaration dialog =
      ParameterWindow(values, "Select_STAFFID", "Employee Selection Form",
                      {Shown("?Prompt", "Enter the Staff ID of the Employee of Interest."),
                       Entry("?VAR3", "Staff ID:", "@s5", Ref(values.var3))});
  ui::AddAcceptedRules(dialog, {{"?VAR3", [&services, &values](platform::Window& window) {
                       data::FileRegistry& files = ui::CurrentThread()->files;
                       if (FindStaff(files, platform::ReadField(values.var3))) return;
                       data::FileManager& staff = files.Get(data::EmployeeFile());
                       staff.Open();
                       if (services.procedures.CallWith("LOV_STAFF", ui::kSelect) == ui::kCompleted)
                         platform::AssignPadded(values.var3,
                                                platform::ReadField(staff.record<data::EmployeeRecord>().EMPCODE));
                       staff.Close();
                       window.Display(window.Control("?VAR3"));
                     }}});
  return dialog;
}

}  // namespace

void RegisterReportParameters(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  ui::RegisterDialog(services, [&values] { return DateRangeWindow(values); });
  ui::RegisterDialog(services, [&values] { return BillingWindow(values, "Date_Range_SCABILL", true, {}); });
  ui::RegisterDialog(services, [&values] { return VendorWindow(values); });
  ui::RegisterDialog(services, [&values] { return VendorStatusWindow(values); });
  ui::RegisterDialog(services, [&services] { return ClaimFormWindow(services); });
  ui::RegisterDialog(services, [&values] { return DayWindow(values); });
  ui::RegisterDialog(services, [&values] { return MonthWindow(values); });
  ui::RegisterDialog(services, [&services] { return AppointmentWindow(services); });
  ui::RegisterDialog(services, [&services] { return StaffWindow(services); });
}

}  // namespace vornel::reports
