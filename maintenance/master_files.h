#pragma once
// The master files of the agency: staff, diagnoses, services, payers, study
// groups and their members, client comments and insurance cards, the agency
// settings, the revision history, and the warning window. Each procedure is
// a declaration on the list and form framework, registered by name.
#include "ui/procedure_catalog.h"

namespace vornel::maintenance {

void RegisterMasterFiles(const ui::Services& services);

}  // namespace vornel::maintenance
