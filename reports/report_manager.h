#pragma once
// The report manager: runs the small "Progress..." window of a report or a
// batch procedure. The window's timer drives the process: each tick takes
// records in passes whose size adapts so that one tick's work lasts about
// TIMESLICE hundredths of a second, starting with one record per pass, and
// hands each record to the process (the procedure's own computation and
// printing) and then to each further processor. At the end of the view the
// pages of a report go to the print preview (or straight to the printer,
// or to the PDF file of an unattended run); Cancel discards them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/page/page_folder.h"
#include "reports/process_manager.h"
#include "reports/report_layout.h"
#include "reports/report_writer.h"
#include "ui/procedure_catalog.h"
#include "ui/window_manager.h"

namespace vornel::reports {

class ReportManager : public ui::WindowManager {
 public:
  // `procedure` names the window (its position is kept under it); `report`
  // is the layout, or nullptr for a batch procedure.
  ReportManager(const ui::Services& services, std::string procedure, ProcessManager& process,
                const ReportLayout* report, FieldSource fields = {});
  ~ReportManager() override;

  int Init() override;
  int OnEvent(const platform::Event& event) override;
  int OnAccepted(const platform::Event& event) override;
  int OnCloseWindow() override;

  // What the process calls when its percentage changes.
  std::function<void(int)> ProgressDisplay();
  std::uint8_t* percentile() { return &percentile_; }
  void SetUserString(std::string text);

  int OpenReport();
  int OnRecord();  // one record: the process, the processors, then the next record
  int Next();
  void PreviewOrPrint();
  int EndReport();
  void PrintReport();
  void DiscardPreview();
  // The writer of the open report (nullptr before it opens or for a batch).
  ReportWriter* writer() { return writer_.get(); }
  platform::page::PageFolder* pages() { return pages_.get(); }

  // Hooks of the procedure: after the report opened, before each record,
  // and before the pages are finished (its closing band, grand totals).
  std::function<void()> after_open;
  std::function<void()> before_record;
  std::function<void()> before_closing;
  // Last, as the window closes: whether the run completed (a batch commits
  // its work or takes it back here).
  std::function<void(bool completed)> after_run;
  std::vector<ProcessManager*> PROCESSORS;
  // Hundredths of a second from any fixed point; the steady clock by default.
  std::function<long()> clock;

  bool DEFEROPENREPORT = false;
  bool KEEPVISIBLE = false;
  bool OPENFAILED = false;
  bool SKIPPREVIEW = false;
  long RECORDSPERCYCLE = 1;
  int TIMESLICE = 100;
  int ZOOM = -1;
  std::string title;  // the report's title for the PDF and the printer

 private:
  int OnTimer();
  int Pass();
  void End(int response);
  void Show(const char* control);

  const ui::Services& services_;
  std::string procedure_;
  ProcessManager& process_;
  const ReportLayout* report_;
  FieldSource fields_;
  std::unique_ptr<platform::page::PageFolder> pages_;
  std::unique_ptr<ReportWriter> writer_;
  std::uint8_t percentile_ = 0;
  std::string user_string_;
  std::string percent_text_;
  bool opened_ = false;
  bool closing_ = false;
};

}  // namespace vornel::reports
