#pragma once
// The small modal windows a report calls before it reads anything: they set
// the program-wide report parameters (the period, the payer or staff code,
// the month, the name format and billing options) and tell the caller
// through the cancelled flag when the user gave up.
#include "ui/procedure_catalog.h"

namespace vornel::reports {

// Date_Range, Date_Range_SCABILL, Date_Range_Vendor, Date_Range_Vendor_Stat,
// Date_Range_CMS1500, Day_Select, Month_Select, Date_Range_apppointment and
// Select_STAFFID.
void RegisterReportParameters(const ui::Services& services);

}  // namespace vornel::reports
