#pragma once
// The records a visit report reads, from this thread's record buffers: the
// visit with its staff member and client (joined by the view), and a staff
// member looked up by his code.
#include <optional>
#include <string_view>

#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "data/view_def.h"

namespace vornel::reports {

// The visit log with each visit's staff member and client.
data::ViewDef VisitsWithNames();

const data::LogRecord& CurrentVisit();
const data::EmployeeRecord& VisitStaff();
const data::ClientRecord& VisitClient();

// The staff member of that code, none for a blank or unknown code.
std::optional<data::EmployeeRecord> FindStaffMember(data::FileRegistry& files, std::string_view code);
std::optional<data::EmployeeRecord> FindStaffMember(std::string_view code);  // on this thread's files

}  // namespace vornel::reports
