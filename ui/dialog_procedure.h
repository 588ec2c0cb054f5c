#pragma once
// A small window of fixed controls whose buttons end it (a date question, a
// warning): the procedure declares its window, what it does when the window
// opens, and the response and the work of each button. The close box and
// Escape count as the window's cancel button when it has one.
#include <functional>
#include <string>
#include <vector>

#include "platform/window/window_spec.h"
#include "ui/procedure_catalog.h"

namespace vornel::ui {

class WindowManager;

struct DialogButton {
  std::string control;            // "?Ok"
  int response = kCompleted;      // what the caller is answered
  std::function<void()> on_press; // may be empty
  // Asked first when given: false keeps the window open (the button did
  // its work in the window, or refused; it has said why).
  std::function<bool()> may_close = {};
};

struct DialogDeclaration {
  platform::WindowSpec window;  // procedure, title, controls, default and cancel buttons
  std::vector<DialogButton> buttons;
  std::function<void()> on_open;  // before the window opens; may be empty
  // Asked after on_open: false, and the window does not open at all (the
  // rule has said why); the caller is answered cancelled. May be empty.
  std::function<bool()> may_open;
  // After every event the window took (values worked out from others); may be empty.
  std::function<void(platform::Window&)> after_event;
  // Once the window is open: the parts that take its events with it (a drop
  // list, a component for buttons that do not end the window), kept by
  // WindowManager::Own. May be empty.
  std::function<void(WindowManager&)> add_parts;
};

// Controls that do their work without ending the window (a calendar button,
// an entry checked against a file): each rule runs when its control is
// accepted.
using AcceptedRule = std::function<void(platform::Window&)>;
void AddAcceptedRules(DialogDeclaration& dialog, std::vector<std::pair<std::string, AcceptedRule>> rules);
// A part the window owns once it is open, after those added before.
void AddPart(DialogDeclaration& dialog, std::function<void(WindowManager&)> part);

// Runs the dialog on the caller's thread now and answers its response (a
// dialog that belongs to its caller's own state, not to the catalog).
int RunDialog(const Services& services, DialogDeclaration declaration);

// Registers the dialog under its window's procedure name; it runs on the
// caller's thread and leaves its response in the thread's global response.
void RegisterDialog(const Services& services, std::function<DialogDeclaration()> declare);

}  // namespace vornel::ui
