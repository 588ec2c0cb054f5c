#include "reports/visit_buffers.h"

#include "data/dictionary/dictionary.h"
#include "data/file_manager.h"
#include "errors/message_entry.h"
#include "platform/text.h"
#include "ui/procedure_thread.h"

namespace vornel::reports {
namespace {

template <typename Record>
const Record& Buffer(const data::FileDef& file) {
  return ui::CurrentThread()->files.Get(file).record<Record>();
}

}  // namespace

data::ViewDef VisitsWithNames() {
  return data::ViewDef(data::LogFile())
      .Join(data::EmployeeFile(), "EMP:STAFF_KEY", {"LOG:EMPL_CODE"})
      .Join(data::ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"});
}

const data::LogRecord& CurrentVisit() { return Buffer<data::LogRecord>(data::LogFile()); }
const data::EmployeeRecord& VisitStaff() { return Buffer<data::EmployeeRecord>(data::EmployeeFile()); }
const data::ClientRecord& VisitClient() { return Buffer<data::ClientRecord>(data::ClientFile()); }

std::optional<data::EmployeeRecord> FindStaffMember(data::FileRegistry& files, std::string_view code) {
  data::FileManager& staff = files.Get(data::EmployeeFile());
  staff.Open();
  auto& employee = staff.record<data::EmployeeRecord>();
  std::optional<data::EmployeeRecord> found;
  if (!platform::Clip(code).empty() && platform::AssignPadded(employee.EMPCODE, code) &&
      staff.TryFetch(*data::EmployeeFile().FindKey("EMP:STAFF_KEY")) == errors::kGoOn)
    found = employee;
  staff.Close();
  return found;
}

std::optional<data::EmployeeRecord> FindStaffMember(std::string_view code) {
  return FindStaffMember(ui::CurrentThread()->files, code);
}

}  // namespace vornel::reports
