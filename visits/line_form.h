#pragma once
// The form of one charge line (a Lineitem record): what a payer is billed for
// a visit and what it has paid. The payer form, the client form and the visit
// form open it from their lists of lines.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

// Registers UpdateLineitem.
void RegisterLineForm(const ui::Services& services);

}  // namespace vornel::visits
