#pragma once
// The visit recording form (UpdateLog): one visit of the Log file with its
// client, staff member, service, outcome, times and fee split over the
// client and the payers, the visit's charge lines, the client's comments and
// insurance cards. The money rules it applies are those of visit_fees.h and
// charge_lines.h; this file gathers the values and shows the results.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

// Registers UpdateLog.
void RegisterVisitForm(const ui::Services& services);

}  // namespace vornel::visits
