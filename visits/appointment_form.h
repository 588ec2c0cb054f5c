#pragma once
// The new appointment form of the appointment book (AddAppointment, "New
// Visit Entry Form"): a visit booked as "SCHED" for a client, a staff member
// chosen from a drop list, a service, a date after the last posting date and
// an hour from 8:00; the client and service an outcome form carried over.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

void RegisterAppointmentForms(const ui::Services& services);

}  // namespace vornel::visits
