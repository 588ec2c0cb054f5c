#include "platform/window/window.h"

#include "platform/text.h"

namespace vornel::platform {

int Window::Control(std::string_view name) const {
  const auto& controls = spec().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (SameNoCase(controls[i].name, name)) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace vornel::platform
