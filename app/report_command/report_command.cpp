#include "app/report_command/report_command.h"

#include <array>
#include <chrono>
#include <thread>

#include "app/program.h"
#include "app/script/script_runner.h"
#include "platform/headless/headless_message_display.h"
#include "platform/headless/headless_window.h"
#include "platform/text.h"
#include "reports/report_output.h"

namespace vornel::app {
namespace {

using std::chrono::steady_clock;

// Which control of a parameter window takes each parameter. The
// appointment list's window holds its period the other way round: its
// start in botdate and its end in topdate.
struct ParameterControl {
  std::string_view parameter;
  std::string_view control;
  std::string_view reversed;  // in the appointment window
};
constexpr std::array<ParameterControl, 12> kControls{{
    {"from", "?topdate", "?botdate"},
    {"to", "?botdate", "?topdate"},
    {"date", "?topdate", "?topdate"},
    {"payer", "?filter2", "?filter2"},
    {"staff", "?VAR3", "?filter2"},
    {"month", "?month", "?month"},
    {"year", "?year", "?year"},
    {"option", "?VAR1", "?VAR1"},
    {"names", "?name_format", "?name_format"},
    {"names", "?NameFormat", "?NameFormat"},
    {"end-dates", "?end_date_flag", "?end_date_flag"},
    {"password", "?PWDCHK", "?PWDCHK"},
}};
constexpr std::string_view kReversedWindow = "Date_Range_apppointment";

bool WaitFor(std::chrono::milliseconds patience, const std::function<bool()>& ready) {
  const auto until = steady_clock::now() + patience;
  while (!ready()) {
    if (steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Fills the window's parameter controls and presses its default button;
// false when it cannot be answered (then its text says why it opened).
bool Answer(platform::HeadlessWindow& window, const ReportCommand& command) {
  const platform::WindowSpec& spec = window.spec();
  const bool reversed = spec.procedure == kReversedWindow;
  for (const ParameterControl& p : kControls) {
    const auto given = command.parameters.find(p.parameter);
    if (given == command.parameters.end()) continue;
    const int control = window.Control(reversed ? p.reversed : p.control);
    if (control == 0) continue;
    const platform::ControlKind kind = spec.controls[static_cast<std::size_t>(control - 1)].kind;
    if (kind == platform::ControlKind::kEntry || kind == platform::ControlKind::kDropCombo) {
      window.Type(control, given->second);
    } else {
      window.ChooseValue(control, given->second);
    }
    window.WaitIdle();
  }
  if (spec.default_button.empty()) return false;
  return window.Press(spec.default_button);
}

}  // namespace

bool IsReportParameter(std::string_view name) {
  for (const ParameterControl& p : kControls) {
    if (p.parameter == name) return true;
  }
  return false;
}

int RunReportCommand(platform::PathMap paths, const ReportCommand& command, platform::page::PageOutput& output,
                     std::ostream& out) {
  platform::HeadlessWindowSystem windows;
  platform::HeadlessMessageDisplay display;
  windows.RunTimers(true);
  reports::UnattendedOutput::Global().Set(command.pdf);
  Program program(std::move(paths), windows, display, &output);
  script::ScriptRunner runner(program, windows, display);
  const auto fail = [&](const std::string& why) {
    runner.CloseProgram();
    reports::UnattendedOutput::Global().Clear();
    out << "vornel: " << command.report << ": " << why << "\n";
    return 1;
  };
  program.StartMain();
  if (!WaitFor(std::chrono::seconds(30), [&] { return windows.Frame() != nullptr && windows.Frame()->WaitsForUser(); }))
    return fail("the program did not start");
  if (!program.procedures.Known(command.report)) return fail("there is no report of that name");
  // The option is also the selection character a menu item sets before
  // its report starts (the session listing's "F" or "E").
  if (const auto option = command.parameters.find("option"); option != command.parameters.end() && !option->second.empty())
    program.values.selection = platform::UpperChar(option->second.front());
  const int before = windows.opened_count();
  program.Start(command.report);

  // Each window the report opens is a parameter window to answer, until
  // the report has an outcome. A System Warning tells why it stopped.
  int answered = before;
  const auto deadline = steady_clock::now() + std::chrono::hours(2);
  while (!reports::UnattendedOutput::Global().outcome()) {
    if (steady_clock::now() > deadline) return fail("the report did not finish");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (windows.opened_count() == answered) {
      // The report's thread ended without an outcome: a parameter window was
      // cancelled. The outcome is looked at again: the report may have given
      // it and ended while this loop slept.
      if (program.threads.running() <= 1 && windows.Active() == nullptr &&
          !reports::UnattendedOutput::Global().outcome())
        return fail("the report was cancelled");
      continue;
    }
    const std::shared_ptr<platform::HeadlessWindow> window = windows.Active();
    if (window == nullptr || !window->WaitIdle() || window->closed()) continue;
    // The frame's About box opens as the frame does, and may come after the
    // report has started: it is closed, and the report's window looked for again.
    if (window->spec().procedure == "ABOUTPROC") {
      window->RequestClose();
      WaitFor(std::chrono::seconds(10), [&] { return window->closed(); });
      continue;
    }
    answered = windows.opened_count();
    if (window->title() == "Progress...") continue;
    if (window->title() == "System Warning") return fail(std::string(platform::ReadField(program.values.warning_text)));
    if (!Answer(*window, command) || !WaitFor(std::chrono::seconds(10), [&] { return window->closed(); }))
      return fail("the window \"" + window->title() + "\" did not take the parameters given");
  }
  const std::string outcome = *reports::UnattendedOutput::Global().outcome();
  if (!outcome.empty()) return fail(outcome);
  runner.CloseProgram();
  reports::UnattendedOutput::Global().Clear();
  out << command.pdf.string() << ": written\n";
  return 0;
}

}  // namespace vornel::app
