#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterDiagnoses(const ui::Services&) {}

}  // namespace vornel::maintenance
