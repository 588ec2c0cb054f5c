// The departments: the list (BrowseDepartments) with "Copy a  &Department",
// the form (Update_departments) that makes a department's directories on
// save, and the switch of the current department (SwitchDepartments).
#include "app/departments.h"

#include <memory>
#include <optional>

#include "app/department_directories.h"
#include "app/department_routine.h"
#include "data/data_context.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "platform/text.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"
#include "ui/system_warning.h"

namespace vornel::app {
namespace {

using platform::Entry;
using platform::Ref;

// "Current Department:" as the lists show it: "1 - OUTPATIENT".
struct CurrentDepartment {
  explicit CurrentDepartment(const ui::ProgramValues& values) {
    platform::AssignPadded(text, std::to_string(values.department) + " - " +
                                     std::string(platform::Clip(platform::ReadField(values.activity))));
  }
  char text[40] = {};
};

// The department "Copy a  &Department" took, until the form it opens is primed.
thread_local std::optional<data::DepartmentsRecord> copied;

data::DepartmentsRecord& Department(ui::ThreadState& thread) {
  return thread.files.Get(data::DepartmentsFile()).record<data::DepartmentsRecord>();
}

ui::ListDeclaration DepartmentList(const ui::Services& services, std::string procedure, bool switching) {
  auto current = std::make_shared<CurrentDepartment>(services.values);
  ui::ListDeclaration list{
      .procedure = std::move(procedure),
      .title = "Browse the Departments File",
      .view = data::ViewDef(data::DepartmentsFile()),
      .orders = {{"Departments by  Number", "DEPT:Dept_No_Key"}},
      .selection = switching,
      .update_procedure = switching ? "" : "Update_departments",
      .close_text = "Close",
      .above = {platform::Shown("?CurrentDepartment", "Current Department:", "@s40", Ref(current->text))},
      // The department current as the list opens (the declaration outlives switches).
      .on_open = [&values = services.values, current](ui::ListProcedure& open) {
        *current = CurrentDepartment(values);
        open.window()->Display(open.ControlNumber("?CurrentDepartment"));
      }};
  if (switching) {
    list.columns = {{"Dept No", "DEPT:DEPT_NO", "@n_6"},
                    {"Name", "DEPT:ACTIVITY", "@s20"},
                    {"Last Posted", "DEPT:POSTDATE", "@d2"},
                    {"FED Tax No", "DEPT:FEDTAXNO", "@s12"}};
    list.controls = {platform::Button("?ChangeDepartment", "Change Departments to Selected Dept No.")};
    // The highlighted department becomes the current one (nothing happens
    // for the current one itself); the frame shows it in its title.
    list.actions = {{"?ChangeDepartment", [&services, current](ui::ListProcedure& open) {
                       open.browse().CopyRowToRecord();
                       DepartmentRoutine(open.thread().files, services.display, services.values)
                           .SwitchTo(Department(open.thread()).DEPT_NO);
                       open.window()->Post({.kind = platform::EventKind::kCloseWindow});
                     }}};
    return list;
  }
  list.columns = {{"Dept No", "DEPT:DEPT_NO", "@n_6"},       {"Name", "DEPT:ACTIVITY", "@s20"},
                  {"MA 7 Res Code", "DEPT:MA7_RESCODE", "@s1"}, {"MA 12 Provider", "DEPT:MA12_PROVID", "@s13"},
                  {"MA 10  Provider", "DEPT:MA10_PROV", "@s20"}, {"Prov Type", "DEPT:MA11_PROVTYP", "@s2"},
                  {"Last Posted", "DEPT:POSTDATE", "@d2"},      {"FED Tax No", "DEPT:FEDTAXNO", "@s12"}};
  list.controls = {platform::Button("?CopyDepartment", "Copy a  &Department")};
  // The highlighted department as the start of a new one: the form takes it
  // when it primes the new record.
  list.actions = {{"?CopyDepartment", [](ui::ListProcedure& open) {
                     open.browse().CopyRowToRecord();
                     copied = Department(open.thread());
                     open.window()->Post({.kind = platform::EventKind::kAccepted,
                                          .control = open.ControlNumber("?Insert")});
                   }}};
  // A copy the form did not take (its insert refused) is not the next insert's.
  list.after_request = [](ui::ListProcedure&, int, int) { copied.reset(); };
  return list;
}

ui::FormDeclaration DepartmentForm(const ui::Services& services, ui::ThreadState& thread) {
  data::DepartmentsRecord& d = Department(thread);
  std::vector<platform::ControlSpec> controls = {
      Entry("?DEPT:DEPT_NO", "Dept No:", "@n_6", VORNEL_FIELD(d, DEPT_NO)),
      Entry("?DEPT:ACTIVITY", "ACTIVITY:", "@s20", VORNEL_FIELD(d, ACTIVITY)),
      Entry("?DEPT:MA7_RESCODE", "MA7_RESCODE:", "@s1", VORNEL_FIELD(d, MA7_RESCODE)),
      Entry("?DEPT:MA10_PROV", "MA10_PROV:", "@s20", VORNEL_FIELD(d, MA10_PROV)),
      Entry("?DEPT:MA11_PROVTYP", "MA11_PROVTYP:", "@s2", VORNEL_FIELD(d, MA11_PROVTYP)),
      Entry("?DEPT:MA12_PROVID", "MA12_PROVID:", "@s13", VORNEL_FIELD(d, MA12_PROVID)),
      Entry("?DEPT:MA13_PROVADD", "MA13_PROVADD:", "@s2", VORNEL_FIELD(d, MA13_PROVADD)),
      Entry("?DEPT:MA17_PAYEE", "MA17_PAYEE:", "@s8", VORNEL_FIELD(d, MA17_PAYEE)),
      Entry("?DEPT:MA23_SUPDOC", "MA23_SUPDOC:", "@s25", VORNEL_FIELD(d, MA23_SUPDOC)),
      platform::Shown("?Block17", "= CMS1500 block 17"),
      Entry("?DEPT:MA24_PRELIC", "MA24_PRELIC:", "@s13", VORNEL_FIELD(d, MA24_PRELIC)),
      platform::Shown("?Block17a", "= CMS1500 block 17a"),
      Entry("?DEPT:MA29G_DX", "MA29G_DX:", "@s2", VORNEL_FIELD(d, MA29G_DX)),
      Entry("?DEPT:MA29H_TYPE", "MA29H_TYPE:", "@s2", VORNEL_FIELD(d, MA29H_TYPE)),
      Entry("?DEPT:MA29L_PLACE", "MA29L_PLACE:", "@s2", VORNEL_FIELD(d, MA29L_PLACE)),
      Entry("?DEPT:FEDTAXNO", "FEDTAXNO:", "@s12", VORNEL_FIELD(d, FEDTAXNO)),
      Entry("?DEPT:POSTDATE", "Last Post:", "@d2", VORNEL_FIELD(d, POSTDATE))};
  ui::FormDeclaration form =
      ui::StandardForm("Update_departments", "Update the Departments File", data::DepartmentsFile(), std::move(controls));
  // A new department: a copy of the one "Copy a  Department" took (under
  // its own new number), with no name and never posted.
  form.prime = [&d] {
    if (copied) {
      const std::int16_t number = d.DEPT_NO;
      d = *copied;
      d.DEPT_NO = number;
      copied.reset();
    }
    platform::AssignPadded(d.ACTIVITY, "");
    d.POSTDATE = 0;
  };
  // Its directories are made (private, as every data directory) when it is
  // saved; one that cannot be made is said, the record is kept.
  form.after_save = [&services, &d](ui::RecordForm&) {
    const std::string problem = MakeDepartmentDirectories(services.data.paths, d.DEPT_NO);
    if (!problem.empty()) ui::Warn(services, "The directories of department " + std::to_string(d.DEPT_NO) +
                                                 " could not all be made: " + problem);
  };
  return form;
}

}  // namespace

void RegisterDepartments(const ui::Services& services) {
  ui::RegisterList(services, DepartmentList(services, "BrowseDepartments", false));
  ui::RegisterForm(services, "Update_departments",
                   [&services](ui::ThreadState& thread) { return DepartmentForm(services, thread); });
  ui::RegisterList(services, DepartmentList(services, "SwitchDepartments", true));
}

}  // namespace vornel::app
