#pragma once
// The About box: the program's name, version label, agency, federal tax
// number and provider identifier. It closes itself after eight seconds, when
// it loses the focus or when it is clicked; the frame shows it as a splash
// when it opens and closes it at the user's first action.
#include <memory>
#include <mutex>

#include "platform/window/window.h"

namespace vornel::app {

class Program;

// How the frame reaches the splash on its own thread: the box attaches its
// window while it is open; Close asks it to close (at once, or as soon as it
// opens).
class SplashHandle {
 public:
  void Attach(platform::Window* window);
  void Detach();
  void Close();

 private:
  std::mutex mutex_;
  platform::Window* window_ = nullptr;
  bool closing_ = false;
};

void RunAboutBox(Program& program, std::shared_ptr<SplashHandle> splash);

}  // namespace vornel::app
