#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterVendors(const ui::Services&) {}

}  // namespace vornel::maintenance
