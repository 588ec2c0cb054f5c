#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterServices(const ui::Services&) {}

}  // namespace vornel::maintenance
