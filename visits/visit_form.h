#pragma once
// The visit recording form (UpdateLog): one visit of the Log file with its
// client, staff member, service, outcome, times and fee split over the
// client and the payers, the visit's charge lines, the client's comments and
// insurance cards. The money rules it applies are those of visit_fees.h and
// charge_lines.h; this file gathers the values and shows the results.
// The appointment book's outcome form (UpdateAppointment) is the same visit
// under the same rules, without the charge lines and with the client's
// payments and the "Schedule New Visit?" box.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

// Registers UpdateLog and UpdateAppointment.
void RegisterVisitForm(const ui::Services& services);

}  // namespace vornel::visits
