#pragma once
// The program on a small generated root, driven by headless scripts: what
// the master-file scenarios run on.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "app/demo_data/demo_generator.h"
#include "app/program.h"
#include "app/script/script_runner.h"
#include "platform/settings_file.h"
#include "tests/support/temp_dir.h"

namespace vornel::maintenance::test {

class ProgramFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    app::demo::DemoOptions options;
    options.root = root_.path();
    options.clients = 5;
    options.months = months_;
    options.today = platform::DateFromMdy(12, 7, 2026);
    ASSERT_TRUE(app::demo::GenerateDemoData(options).ok);
    platform::SettingsFile(root_ / "VORNEL" / "vornel.ini").Set("Program Control", "History Popup", "0");
  }

  // Runs the script against the program; answers the runner's report ("" when it passed).
  // `after` looks at the program once it has ended.
  std::string Run(std::string_view script, const std::function<void(app::Program&)>& after = {}) {
    platform::HeadlessWindowSystem windows;
    app::Program program(platform::PathMap(root_.path(), root_ / "config"), windows, display_, output_);
    if (prepare_) prepare_(program);
    program.StartMain();
    app::script::ScriptRunner runner(program, windows, display_, std::chrono::seconds(5));
    app::script::ScriptResult result = runner.Run(script, "test.script");
    runner.CloseProgram();
    if (after) after(program);
    return result.ok ? std::string() : result.report;
  }

  platform::page::PageOutput* output_ = nullptr;    // PDF files and the printer; none by default
  std::function<void(app::Program&)> prepare_;      // before the program starts (procedures of the test)
  int months_ = 1;  // of visits, ending with the month of 7 December 2026
  vornel::test::TempDir root_;
  platform::HeadlessMessageDisplay display_;
};

}  // namespace vornel::maintenance::test
