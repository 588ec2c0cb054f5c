#include "reports/reports.h"

namespace vornel::reports {

void RegisterReports(const ui::Services& services) {
  RegisterReportDefinitions(services);
  RegisterDailyLists(services);
  RegisterVisitListings(services);
}

}  // namespace vornel::reports
