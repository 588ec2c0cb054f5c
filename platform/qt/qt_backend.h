#pragma once
// The Qt 6 Widgets backend: the real screen. The GUI thread (the process's
// main thread) runs Qt's event loop and owns every widget; procedures run on
// their own threads and reach their windows only through the window and
// message-display interfaces, whose calls are marshalled to the GUI thread.
// The GUI thread never waits for a procedure thread.
#include <functional>
#include <memory>

#include "platform/message_box.h"
#include "platform/window/window.h"

namespace vornel::platform::qt {

class QtBackend {
 public:
  // Makes the application object; `argc` and `argv` must outlive the backend.
  QtBackend(int& argc, char** argv);
  ~QtBackend();
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  WindowSystem& windows();
  MessageDisplay& display();

  // Runs the GUI loop until `finished` answers true (asked on the GUI thread
  // whenever Wake is called, and a few times a second: every procedure has
  // ended). Answers the exit code.
  int Run(std::function<bool()> finished);
  // Has `finished` asked now; from any thread.
  void Wake();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vornel::platform::qt
