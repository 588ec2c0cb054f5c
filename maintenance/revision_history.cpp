#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterRevisionHistory(const ui::Services&) {}

}  // namespace vornel::maintenance
