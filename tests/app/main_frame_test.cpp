// The frame and the script runner on a small generated root, driven the way
// `vornel --headless --script` drives them.
#include <gtest/gtest.h>

#include <sstream>

#include "app/demo_data/demo_generator.h"
#include "app/frame_texts.h"
#include "app/main_menu.h"
#include "app/program.h"
#include "app/script/headless_run.h"
#include "app/script/script_runner.h"
#include "platform/settings_file.h"
#include "tests/support/temp_dir.h"

namespace vornel::app {
namespace {

using script::ScriptResult;
using script::ScriptRunner;

constexpr const char* kTitle =
    "VORNEL for Windows  Riverbend Counseling Services      Current Dept:    1 - OUTPATIENT";

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    demo::DemoOptions options;
    options.root = root_.path();
    options.clients = 3;
    options.months = 1;
    options.today = platform::DateFromMdy(12, 7, 2026);
    ASSERT_TRUE(demo::GenerateDemoData(options).ok);
    // The revision history list is not built yet: keep it from opening.
    SetHistoryPopup("0");
  }

  void SetHistoryPopup(const char* value) {
    platform::SettingsFile(root_.path() / "VORNEL" / "vornel.ini").Set("Program Control", "History Popup", value);
  }

  platform::PathMap Paths() const { return platform::PathMap(root_.path(), root_.path() / "config"); }

  // Runs the program with the script and closes it as the runner does.
  ScriptResult RunScript(std::string_view text) {
    platform::HeadlessWindowSystem windows;
    Program program(Paths(), windows, display_);
    program.StartMain();
    ScriptRunner runner(program, windows, display_, std::chrono::seconds(2));
    ScriptResult result = runner.Run(text, "test.script");
    runner.CloseProgram();
    return result;
  }

  std::string HistoryPopupEntry() const {
    return platform::SettingsFile(root_.path() / "VORNEL" / "vornel.ini").Get("Program Control", "History Popup");
  }

  test::TempDir root_;
  platform::HeadlessMessageDisplay display_;
};

TEST_F(MainFrameTest, OpensWithTitleStatusBarAndASplashItsTimerCloses) {
  const std::string script = std::string(R"(
window "VORNEL for Windows"
expect value ?Version "VN-3.09b"
expect value ?Company "Riverbend Counseling Services"
frame
expect title ")") + kTitle + R"("
expect status 4 "VN-3.09b"
expect status 3 ")" + StatusDate(platform::Today()) + R"("
post timer
expect status 3 ")" + StatusDate(platform::Today()) + R"("
window "VORNEL for Windows"
post timer
expect closed
frame
menu "&Help" "&About"
window "VORNEL for Windows"
post timer
expect closed
)";
  ScriptResult result = RunScript(script);
  EXPECT_TRUE(result.ok) << result.report;
}

TEST_F(MainFrameTest, MenuItemsOfProceduresNotBuiltSayWhichProcedureIsMissing) {
  ScriptResult result = RunScript(R"(
frame
menu "Statistical Reports" "Calculate Monthly Stats"
expect message "Procedure not defined" "The Procedure calcstats has not been defined."
menu "&Billing Options" "&Medical Assistance  Billing" "FORM CMS-1500 - Any Vendor"
expect message "Procedure not defined" "The Procedure FORM_CMS_1500_RPT has not been defined."
expect title ")" + std::string(kTitle) + R"("
expect no message
)");
  EXPECT_TRUE(result.ok) << result.report;
}

TEST_F(MainFrameTest, OnlyTheToolbarsExitWritesTheHistoryPopupSetting) {
  // The first start writes 1 for the next start and keeps 0 for itself.
  platform::SettingsFile(root_.path() / "VORNEL" / "vornel.ini").Remove("Program Control", "History Popup");
  ASSERT_TRUE(RunScript("frame\nmenu \"&File\" \"E&xit\"\nexpect closed\n").ok);
  EXPECT_EQ(HistoryPopupEntry(), "1");
  SetHistoryPopup("5");
  ASSERT_TRUE(RunScript("frame\nmenu \"&File\" \"E&xit\"\nexpect closed\n").ok);
  EXPECT_EQ(HistoryPopupEntry(), "5");
  // Exit from the toolbar writes what the setting is now (5, read at start).
  ASSERT_TRUE(RunScript("frame\ntool \"Exit Application\"\nexpect closed\n").ok);
  EXPECT_EQ(HistoryPopupEntry(), "5");
}

TEST_F(MainFrameTest, FailedStepsAreReportedWithTheirLine) {
  ScriptResult result = RunScript("frame\n\n# a comment\nexpect title \"Nothing\"\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.report, "test.script:4: the title is \"" + std::string(kTitle) + "\"");

  result = RunScript("frame\nmenu \"&File\" \"No such item\"\n");
  EXPECT_EQ(result.report, "test.script:2: the window \"" + std::string(kTitle) +
                               "\" does not take 'menu' on &File");
  result = RunScript("frame\nexpect message \"Save Record\" \"x\"\n");
  EXPECT_EQ(result.report, "test.script:2: no message box was shown");
  result = RunScript("frame\ntype ?X \"unclosed\n");
  EXPECT_EQ(result.report, "test.script: line 2: a quote is not closed");
  result = RunScript("bogus\n");
  EXPECT_EQ(result.report, "test.script:1: unknown step 'bogus'");
}

TEST_F(MainFrameTest, HeadlessRunAnswersTheExitCodeAndReport) {
  test::WriteFile(root_.path() / "ok.script", "frame\nexpect status 4 \"VN-3.09b\"\n");
  test::WriteFile(root_.path() / "bad.script", "frame\nexpect status 4 \"other\"\n");
  std::ostringstream report;
  EXPECT_EQ(script::RunHeadless(Paths(), root_.path() / "ok.script", report), 0);
  EXPECT_EQ(report.str(), "ok.script: 2 steps passed\n");
  report.str("");
  EXPECT_EQ(script::RunHeadless(Paths(), root_.path() / "bad.script", report), 1);
  EXPECT_EQ(report.str(), "bad.script:2: status part 4 shows \"VN-3.09b\"\n");
  EXPECT_EQ(script::RunHeadless(Paths(), root_.path() / "missing.script", report), 2);
}

TEST_F(MainFrameTest, MissingDataRootStopsTheProgramWithTheReason) {
  std::filesystem::remove_all(root_.path() / "VORNEL" / "COMMON");
  ScriptResult result = RunScript("expect stopped \"x\"\n");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.report.find("expected the program to stop with \"x\", was the stop"), std::string::npos)
      << result.report;
}

TEST(MainMenu, MenusInOrderWithTheirSubmenus) {
  platform::WindowSpec spec = MainFrameSpec();
  std::vector<std::string> menus;
  for (const platform::MenuItem& menu : spec.menu) menus.push_back(menu.text);
  EXPECT_EQ(menus, (std::vector<std::string>{"&File", "&Edit", "Browse &Lists", "&Daily Entries",
                                             "&Billing Options", "&Statistical Reports",
                                             "Data &Maintenance", "&Setup", "&Window", "&Help"}));
  const platform::MenuItem& billing = spec.menu[4];
  std::vector<std::string> items;
  for (const platform::MenuItem& item : billing.items) items.push_back(item.text);
  EXPECT_EQ(items, (std::vector<std::string>{"&SCA Billing", "&Medical Assistance  Billing",
                                             "&Vendor BIlling",
                                             "&UB-92 Form Billing - (Dot Matrix) Any Vendor",
                                             "U&B-92 Form Billing (Laser) - Any Vendor",
                                             "UB-0&4 Form Billing (Laser) - Any Vendor", "&Client Billing"}));
  EXPECT_EQ(billing.hint, "Billing Options");
  EXPECT_EQ(billing.items[0].items.size(), 4u);
  // Every command leads back to its row; platform actions carry none.
  for (const MainMenuItem& row : MainMenuItems()) {
    EXPECT_EQ(row.action == ItemAction::kPlatform, row.platform_action != platform::StandardAction::kNone)
        << row.item;
  }
  EXPECT_EQ(MenuItemOfCommand(spec.menu[0].items[1].command)->action, ItemAction::kExit);
  EXPECT_EQ(ToolItemOfCommand(spec.toolbar[4].command)->text, "Exit Application");
}

}  // namespace
}  // namespace vornel::app
