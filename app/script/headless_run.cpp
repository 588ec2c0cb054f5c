#include "app/script/headless_run.h"

#include <fstream>
#include <ostream>
#include <sstream>

#include "app/program.h"
#include "app/script/script_runner.h"

namespace vornel::app::script {

int RunHeadless(platform::PathMap paths, const std::filesystem::path& script, std::ostream& report) {
  std::ifstream in(script, std::ios::binary);
  if (!in) {
    report << script.string() << ": cannot be read\n";
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();

  platform::HeadlessWindowSystem windows;
  platform::HeadlessMessageDisplay display;
  Program program(std::move(paths), windows, display);
  program.StartMain();
  ScriptResult result = ScriptRunner(program, windows, display).Run(text.str(), script.filename().string());
  // The end of the script closes every window, those still opening too; a
  // question asked on the way out answers its default.
  windows.CloseDown();
  program.WaitForEnd();
  if (!result.ok) {
    report << result.report << "\n";
    return 1;
  }
  report << script.filename().string() << ": " << result.steps << " steps passed\n";
  return 0;
}

}  // namespace vornel::app::script
