#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterSetups(const ui::Services&) {}

}  // namespace vornel::maintenance
