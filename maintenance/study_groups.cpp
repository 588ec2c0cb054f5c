#include "maintenance/families.h"

namespace vornel::maintenance {

void RegisterStudyGroups(const ui::Services&) {}

}  // namespace vornel::maintenance
