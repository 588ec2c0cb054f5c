#pragma once
// The appointment book (Appointment_window, "Appointments Selection"): the
// visits by date, staff member and time, narrowed to one staff member or one
// client, positioned by date; rows of even days shaded. From it the
// receptionist books appointments (AddAppointment), records their outcome
// (UpdateAppointment), deletes visits that are not posted, and prints the
// day's schedule and a visit's signature confirmation form.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

// The background of the rows of visits on an even day of the month (BGR).
inline constexpr std::int32_t kEvenDayColour = 14942171;

void RegisterAppointmentBook(const ui::Services& services);

}  // namespace vornel::visits
