#pragma once
// One department of the demo root: its services, study groups, clients with
// their cards, comments and group places, and months of visits with their
// charge lines and client payments, as posting would have left them.
#include <cstdint>
#include <string>

#include "app/demo_data/demo_catalog.h"
#include "app/demo_data/demo_options.h"
#include "data/file_registry.h"
#include "platform/dates.h"

namespace vornel::app::demo {

// The time line of the data.
struct DemoPeriod {
  platform::DayNumber first_day = 0;  // first day of the first month with visits
  platform::DayNumber last_day = 0;   // last day of the month of `today`
  platform::DayNumber post_date = 0;  // last posting date: the end of the month before
  platform::DayNumber today = 0;      // visits after it are appointments still to come
};

// `months` whole months ending with the month of `today`.
DemoPeriod MakeDemoPeriod(platform::DayNumber today, int months);

struct DepartmentCounts {
  std::int64_t clients = 0;
  std::int64_t visits = 0;
  std::int64_t charge_lines = 0;
  std::int64_t client_payments = 0;
};

// Writes the department's files through `registry`, whose paths must have the
// department's directory as the working directory (with ARCS and STATS made).
// Returns "" on success, else what went wrong.
std::string WriteDemoDepartment(const DepartmentEntry& department, const DemoOptions& options,
                                const DemoPeriod& period, data::FileRegistry& registry,
                                DepartmentCounts* counts);

}  // namespace vornel::app::demo
