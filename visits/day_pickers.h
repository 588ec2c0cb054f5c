#pragma once
// WhatDay: the small window that asks the statistics batches for the date
// (the program's topdate) whose month they work on.
#include "ui/procedure_catalog.h"

namespace vornel::visits {

void RegisterDayPickers(const ui::Services& services);

}  // namespace vornel::visits
