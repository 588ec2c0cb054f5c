#include "app/script/headless_run.h"

#include <fstream>
#include <ostream>
#include <sstream>

#include "app/program.h"
#include "app/script/script_runner.h"

namespace vornel::app::script {

int RunHeadless(platform::PathMap paths, const std::filesystem::path& script, std::ostream& report,
                platform::page::PageOutput* output) {
  std::ifstream in(script, std::ios::binary);
  if (!in) {
    report << script.string() << ": cannot be read\n";
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();

  platform::HeadlessWindowSystem windows;
  platform::HeadlessMessageDisplay display;
  Program program(std::move(paths), windows, display, output);
  program.StartMain();
  ScriptRunner runner(program, windows, display);
  ScriptResult result = runner.Run(text.str(), script.filename().string());
  runner.CloseProgram();
  if (!result.ok) {
    report << result.report << "\n";
    return 1;
  }
  report << script.filename().string() << ": " << result.steps << " steps passed\n";
  return 0;
}

}  // namespace vornel::app::script
