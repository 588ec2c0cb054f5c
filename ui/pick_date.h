#pragma once
// PickDate: the calendar window. Shows one month as a grid of day buttons
// with its title, the day names, "&Today", "&Close" and the six navigation
// buttons; answers the date the user picked (pressing a day), or the date
// it was opened with when closed without picking. Runs on the caller's
// thread as a dialog of the caller's window.
#include <string_view>

#include "errors/error_manager.h"
#include "platform/dates.h"
#include "platform/window/window.h"

namespace vornel::ui {

// Arrow keys as the calendar window takes them (kAlertKey events).
enum CalendarKey : int { kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40 };

// `initial` 0 (or out of the calendar's years) means today; a caption that
// is not empty becomes the window's title.
platform::DayNumber PickDate(platform::WindowSystem& windows, errors::ErrorManager& errors,
                             platform::DayNumber initial, std::string_view caption,
                             platform::Window* owner = nullptr);

}  // namespace vornel::ui
