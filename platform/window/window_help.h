#pragma once
// The help a window gives for itself (F1, its Help button, the toolbar's
// help): its title, the keys it answers and its buttons, read from its
// declaration, so that every window has help that is true of it.
#include <string>

#include "platform/window/window_spec.h"

namespace vornel::platform {

// The help of the window declared so and titled so now, its lines separated
// by '|' as message boxes show them.
std::string HelpText(const WindowSpec& spec, const std::string& title);

}  // namespace vornel::platform
