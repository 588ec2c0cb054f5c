#pragma once
// The reports and batch procedures the program starts by name.
#include "ui/procedure_catalog.h"

namespace vornel::reports {

void RegisterReports(const ui::Services& services);
// Each report family registers its own.
void RegisterReportDefinitions(const ui::Services& services);
void RegisterDailyLists(const ui::Services& services);
void RegisterVisitListings(const ui::Services& services);

}  // namespace vornel::reports
