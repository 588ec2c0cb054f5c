#pragma once
// A part of a window that takes part in its event handling (a list, a
// toolbar, the resizer): every event is offered to the components in the
// order they were added.
#include "platform/window/window.h"

namespace vornel::ui {

// What an event handler answers.
enum EventResult : int {
  kContinue = 0,  // go on with the normal handling
  kEndLoop = 3,   // end the event loop
  kHandled = 5,   // fully handled: wait for the next event
};

class WindowComponent {
 public:
  virtual ~WindowComponent() = default;
  virtual void Shutdown() {}
  virtual bool NeedsReset() { return false; }
  virtual void RegisterKeys() {}
  virtual int OnEvent(const platform::Event&) { return kContinue; }
  virtual void Update() {}
  virtual void Reset() {}
};

}  // namespace vornel::ui
