#pragma once
// The visit log list (BrowseLog, "Daily Log File"): every visit by date,
// staff member and time in, from which visits are added, changed and viewed
// with the visit form. A visit on or before the last posting date is not
// deleted.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

void RegisterVisitLog(const ui::Services& services);

}  // namespace vornel::visits
