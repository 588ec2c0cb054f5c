#pragma once
// The two small windows that ask for one date (the program's topdate) for
// the daily reports and the statistics batches: Day_Select and WhatDay.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

void RegisterDayPickers(const ui::Services& services);

}  // namespace vornel::visits
