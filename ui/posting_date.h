#pragma once
// The department's last posting date as the files hold it now. A station
// loads it when a department opens; another station's posting moves it on
// later, and the visit forms and lists take the later date before they let
// a visit be added, changed or deleted, so that nobody edits a period that
// was posted elsewhere. A date set back on purpose (the posting date
// override) stays until the next department switch.
#include <cstdint>

#include "data/file_registry.h"
#include "ui/program_values.h"

namespace vornel::ui {

// Reads DEPT:POSTDATE of the current department and takes it into `values`
// when it is later than the date held; answers the date held afterwards.
std::int32_t CurrentPostDate(data::FileRegistry& files, ProgramValues& values);

}  // namespace vornel::ui
