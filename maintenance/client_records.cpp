#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterClientRecords(const ui::Services&) {}

}  // namespace vornel::maintenance
