#pragma once
// The texts the main frame shows: its title after every reset and the date
// and time of its status bar.
#include <string>

#include "ui/program_values.h"
#include "platform/dates.h"

namespace vornel::app {

// "VORNEL for Windows  " + agency + "      Current Dept:    " + number + " - " + activity.
std::string FrameTitle(const ui::ProgramValues& values);
// Status bar part 3: "Sunday, December 6, 2026".
std::string StatusDate(platform::DayNumber today);
// Status bar part 2: the time of day with AM or PM ("5:30PM").
std::string StatusTime(platform::TimeOfDay now);

}  // namespace vornel::app
