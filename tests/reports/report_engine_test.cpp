// The process and the progress window: the percentage from the step, the
// record count or the bytes read; the adaptive records per pass; no
// records, Cancel and a fatal rule; the preview's paging, zoom, tiling,
// dialogs and page choice; a report run from the command line.
#include <gtest/gtest.h>

#include <sstream>

#include "app/report_command/report_command.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "reports/report_manager.h"
#include "reports/report_output.h"
#include "tests/reports/report_fixture.h"

namespace vornel::reports {
namespace {

using test::ReportFixture;

// A process whose rule costs `cost` hundredths of a fake clock per record
// and notes the records per pass it was taken with.
class TimedProcess : public ProcessManager {
 public:
  TimedProcess(data::FileRegistry& files, long& clock, long cost) : ProcessManager(files), clock_(clock), cost_(cost) {}
  ReportManager* manager = nullptr;
  std::vector<long> passes;
  int fatal_at = 0;
  int OnRecord() override {
    clock_ += cost_;
    passes.push_back(manager->RECORDSPERCYCLE);
    return static_cast<int>(passes.size()) == fatal_at ? 3 : 0;
  }

 private:
  long& clock_;
  long cost_;
};

struct TimedRun {
  long cost = 0;
  long first_cycle = 1;
  int fatal_at = 0;
  std::vector<long> passes;
  std::vector<int> shown;  // the percentages shown
  int response = 0;
};

class ReportEngine : public ReportFixture {
 protected:
  // Registers "TimedRun": a batch over the report definitions by sequence.
  void Timed(TimedRun& run) {
    prepare_ = [&run](app::Program& program) {
      program.procedures.Register("TimedRun", [&run, &program] {
        long clock = 0;
        data::FileRegistry& files = ui::CurrentThread()->files;
        TimedProcess process(files, clock, run.cost);
        ReportManager manager(program.services, "TimedRun", process, nullptr);
        process.manager = &manager;
        process.fatal_at = run.fatal_at;
        manager.clock = [&clock] { return clock; };
        manager.RECORDSPERCYCLE = run.first_cycle;
        const data::FileDef& reporter = data::ReporterFile();
        auto show = [&run, display = manager.ProgressDisplay()](int p) {
          run.shown.push_back(p);
          display(p);
        };
        process.Init(data::ViewDef(reporter), files.Relations(reporter), show, 0, manager.percentile());
        process.AddSortOrder(reporter.FindKey("REP:BYREPORT"));
        run.response = manager.Run();
        run.passes = process.passes;
      });
    };
  }
};

TEST_F(ReportEngine, AFastWalkDoublesItsPassesAndCountsToAHundred) {
  Definitions(40);
  TimedRun run;
  Timed(run);
  EXPECT_EQ(Run(R"S(
frame
start TimedRun
window "Progress..."
post timer
expect closed
)S"),
            "");
  EXPECT_EQ(run.response, ui::kCompleted);
  ASSERT_EQ(run.passes.size(), 40u);  // every record once, in one tick
  EXPECT_EQ(std::vector<long>(run.passes.begin(), run.passes.begin() + 15),
            (std::vector<long>{1, 2, 2, 4, 4, 4, 4, 8, 8, 8, 8, 8, 8, 8, 8}));
  // 40 records counted from the file: every 2.5 % a new whole number.
  EXPECT_EQ(run.shown.front(), 2);
  EXPECT_EQ(run.shown.back(), 100);
  EXPECT_TRUE(std::is_sorted(run.shown.begin(), run.shown.end()));
}

TEST_F(ReportEngine, ASlowWalkHalvesItsPassesDownToOne) {
  Definitions(20);
  TimedRun run{.cost = 200, .first_cycle = 8};
  Timed(run);
  EXPECT_EQ(Run(R"S(
frame
start TimedRun
window "Progress..."
post timer
post timer
post timer
post timer
post timer
expect value ?PROGRESS:PCTTEXT "85% Complete"
press ?PROGRESS:CANCEL
expect closed
)S"),
            "");
  // 8 records (16 s) halve the pass to 4, then 2, then 1, and never below.
  EXPECT_EQ(run.passes, (std::vector<long>{8, 8, 8, 8, 8, 8, 8, 8, 4, 4, 4, 4, 2, 2, 1, 1}));
  EXPECT_EQ(run.response, ui::kCancelled);
}

TEST_F(ReportEngine, AFatalRuleOrNoRecordsEndTheRunCancelled) {
  Definitions(10);
  TimedRun fatal{.fatal_at = 3};
  Timed(fatal);
  EXPECT_EQ(Run(R"S(
frame
start TimedRun
window "Progress..."
post timer
expect closed
)S"),
            "");
  EXPECT_EQ(fatal.passes.size(), 3u);
  EXPECT_EQ(fatal.response, ui::kCancelled);

  Definitions(0);
  TimedRun none;
  Timed(none);
  EXPECT_EQ(Run(R"S(
frame
start TimedRun
expect message "No Records" "There are no records available to process."
)S"),
            "");
  EXPECT_TRUE(none.passes.empty());
  EXPECT_EQ(none.response, ui::kCancelled);
}

// The listing of 30 definitions takes 5 pages of 7 (and 2 on the last).
TEST_F(ReportEngine, ThePreviewPagesZoomsTilesAndPrintsThePagesChosen) {
  Definitions(30);
  EXPECT_EQ(Run(R"S(
frame
timers on
menu "Help" "Report Definitions Listing"
window "Report Preview"
expect value ?PageOf "Page 1 of 5"
expect value ?Status "Zoom: Page Width"
expect pages ?Pages "1 @-1 1x1"
expect text ?Pages 1 "VORNEL Report Definitions Listing"
expect text ?Pages 1 "Page 1 of 5"
menu "View" "Next Page(s)"
expect pages ?Pages "2 @-1 1x1"
expect text ?Pages 2 "Report 8"
choose ?Zoom "75% Zoom"
expect value ?Status "Zoom: 75%"
menu "View" "Zoom" "Tile pages"
expect value ?Status "Zoom: Tile Pages"
menu "View" "Change Display"
window "Change the Report Display"
type ?Across "3"
type ?Down "2"
press ?OK
expect title "Change the Report Display"
type ?Down "1"
press ?OK
expect closed
window "Report Preview"
expect pages ?Pages "2 3 4 @-2 3x1"
menu "View" "Next Page(s)"
expect pages ?Pages "5 @-2 3x1"
menu "View" "Jump to a page"
window "Jump to a Report Page"
expect value ?Page "    5"
type ?Page "1"
press ?OK
expect closed
window "Report Preview"
expect value ?PageOf "Page 1 of 5"
menu "File" "Pages to Print..."
window "Pages to Print"
press ?Reset
expect value ?PagesToPrint "1-5"
type ?PagesToPrint "2,4-5"
press ?Ok
expect closed
window "Report Preview"
menu "File" "Pages to Print..."
window "Pages to Print"
expect value ?PagesToPrint "2,4-5"
type ?PagesToPrint "3"
press ?Cancel
expect closed
window "Report Preview"
answer file "out.pdf"
menu "File" "Save As - PDF"
menu "File" "Print"
expect closed
)S"),
            "");
  ASSERT_EQ(output.saved.size(), 1u);
  EXPECT_EQ(output.saved[0], (std::vector<int>{1, 2, 3, 4, 5}));
  ASSERT_EQ(output.printed.size(), 1u);
  EXPECT_EQ(output.printed[0], (std::vector<int>{2, 4, 5}));
}

TEST_F(ReportEngine, OnePageDisablesThePageControls) {
  Definitions(1);
  EXPECT_EQ(Run(R"S(
frame
timers on
menu "Help" "Report Definitions Listing"
window "Report Preview"
expect value ?PageOf "Page 1 of 1"
expect enabled ?Page no
expect enabled ?Across no
expect enabled ?Down no
menu "File" "Exit"
expect closed
)S"),
            "");
}

TEST_F(ReportEngine, CancelDuringTheRunDiscardsThePages) {
  Definitions(30);
  EXPECT_EQ(Run(R"S(
frame
menu "Help" "Report Definitions Listing"
window "Progress..."
press ?PROGRESS:CANCEL
expect closed
frame
)S"),
            "");
  EXPECT_TRUE(output.printed.empty());
  EXPECT_TRUE(output.saved.empty());
}

TEST_F(ReportEngine, ExitLeavesWithoutPrintingOrSaving) {
  Definitions(3);
  EXPECT_EQ(Run(R"S(
frame
timers on
menu "Help" "Report Definitions Listing"
window "Report Preview"
menu "File" "Exit"
expect closed
)S"),
            "");
  EXPECT_TRUE(output.printed.empty());
  EXPECT_TRUE(output.saved.empty());
}

TEST_F(ReportEngine, TheCommandLineWritesThePdfOrSaysWhyNot) {
  Definitions(12);
  const platform::PathMap paths(root_.path(), root_ / "config");
  std::ostringstream said;
  app::ReportCommand command{.report = "Report_Definitions", .pdf = root_ / "defs.pdf"};
  EXPECT_EQ(app::RunReportCommand(paths, command, output, said), 0) << said.str();
  ASSERT_EQ(output.saved.size(), 1u);
  EXPECT_EQ(output.saved[0], (std::vector<int>{1, 2}));
  EXPECT_TRUE(output.printed.empty());

  command.report = "NoSuchReport";
  EXPECT_EQ(app::RunReportCommand(paths, command, output, said), 1);
  EXPECT_NE(said.str().find("there is no report of that name"), std::string::npos);

  Definitions(0);
  command.report = "Report_Definitions";
  said.str("");
  EXPECT_EQ(app::RunReportCommand(paths, command, output, said), 1);
  EXPECT_NE(said.str().find("No Records"), std::string::npos) << said.str();
  EXPECT_FALSE(UnattendedOutput::Global().pdf());  // the next report at a screen previews again
}

}  // namespace
}  // namespace vornel::reports
