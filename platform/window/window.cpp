#include "platform/window/window.h"

#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/text.h"
#include "platform/window/queued_window.h"

namespace vornel::platform {

int Window::Control(std::string_view name) const {
  const auto& controls = spec().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (SameNoCase(controls[i].name, name)) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool WindowSystem::AskAllToClose() {
  TakeTypedText();
  std::uint64_t asked = 0;
  for (;;) {
    bool stays = false;
    const bool any = WithNewestNonFrame([&](QueuedWindow& window) {
      if (window.serial() != asked) {
        asked = window.serial();
        window.Post({EventKind::kCloseDown, 0, 0, {}});
      } else {
        stays = window.WaitsForUser();
      }
    });
    if (!any) return true;
    if (stays) return false;
    // The window's procedure may be asking the user: look again shortly.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace vornel::platform
