#pragma once
// The visit log list (BrowseLog, "Daily Log File"): every visit by date,
// staff member and time in, from which visits are added, changed and viewed
// with the visit form. A visit on or before the last posting date is not
// deleted. The appointment book lists the same visits the same way.
#include <functional>
#include <string>
#include <vector>

#include "data/view_def.h"
#include "ui/list_procedure.h"
#include "ui/procedure_catalog.h"

namespace vornel::visits {

// Visits joined to their staff member and client.
data::ViewDef VisitListView();
// Date, staff name, times, client name, service and outcome.
std::vector<ui::ListColumn> VisitListColumns(std::string staff_picture);
// Refuses to delete a visit dated on or before `post_date` (the highlighted
// visit in the buffer), saying why; `post_date` takes a later posting made
// at another station first.
std::function<bool(int request)> VisitDeleteGuard(const ui::Services& services, std::int32_t& post_date);

void RegisterVisitLog(const ui::Services& services);

}  // namespace vornel::visits
