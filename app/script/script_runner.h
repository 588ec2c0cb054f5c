#pragma once
// Runs a headless script against the running program: starts procedures,
// chooses menu items, types, presses and answers message boxes as a user
// would, and checks what the windows show. Stops at the first step that
// fails, with a report naming the line. The syntax is in docs/scripts.md.
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "app/script/script_parser.h"
#include "platform/headless/headless_message_display.h"
#include "platform/headless/headless_window.h"

namespace vornel::app {
class Program;
}

namespace vornel::app::script {

struct ScriptResult {
  bool ok = false;
  int steps = 0;       // the steps that passed
  std::string report;  // "demo.txt:12: ..." on failure
};

class ScriptRunner {
 public:
  // `patience`: how long a step waits for a window, a message or an idle window.
  ScriptRunner(Program& program, platform::HeadlessWindowSystem& windows,
               platform::HeadlessMessageDisplay& display,
               std::chrono::milliseconds patience = std::chrono::seconds(10));

  ScriptResult Run(std::string_view text, std::string_view name);
  // Closes every window, once the frame has opened (a frame opening later
  // would start anew), and waits until every procedure has ended; a
  // question asked on the way out answers its default.
  void CloseProgram();

 private:
  // Each answers "" when the step passed, otherwise what went wrong.
  std::string Do(const Step& step);
  std::string Expect(const Step& step);
  std::string NeedWindow();
  // Waits until the current window is idle (or, with `or_new_window`, has
  // opened another window).
  std::string Settle(bool or_new_window);
  std::string NextMessage(platform::HeadlessMessageDisplay::Shown& shown);

  Program& program_;
  platform::HeadlessWindowSystem& windows_;
  platform::HeadlessMessageDisplay& display_;
  std::shared_ptr<platform::HeadlessWindow> current_;
  std::chrono::milliseconds patience_;
  std::size_t messages_seen_ = 0;
  int opened_before_ = 0;  // windows opened before the step being run  // message boxes already expected
};

}  // namespace vornel::app::script
