#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterDisplayError(const ui::Services&) {}

}  // namespace vornel::maintenance
