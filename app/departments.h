#pragma once
// The department list, its form and the switch of the current department.
#include "ui/procedure_catalog.h"

namespace vornel::app {

void RegisterDepartments(const ui::Services& services);

}  // namespace vornel::app
