#include "reports/report_manager.h"

#include <chrono>

#include "errors/message_table.h"
#include "platform/window/window_spec.h"
#include "reports/print_preview.h"
#include "reports/report_output.h"
#include "ui/system_warning.h"

namespace vornel::reports {
namespace {

using platform::EventKind;

long SteadyHundredths() {
  using namespace std::chrono;
  return static_cast<long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / 10);
}

constexpr int kFatal = 3;
constexpr int kEndOfView = 5;

}  // namespace

ReportManager::ReportManager(const ui::Services& services, std::string procedure, ProcessManager& process,
                             const ReportLayout* report, FieldSource fields)
    : WindowManager(services.windows, services.errors),
      clock(SteadyHundredths),
      services_(services),
      procedure_(std::move(procedure)),
      process_(process),
      report_(report),
      fields_(std::move(fields)) {}

ReportManager::~ReportManager() { ReportManager::Shutdown(); }

int ReportManager::Init() {
  WindowManager::Init();
  platform::WindowSpec spec;
  spec.procedure = procedure_;
  spec.title = "Progress...";
  platform::ControlSpec thermometer;
  thermometer.name = "?PROGRESS:THERMOMETER";
  thermometer.kind = platform::ControlKind::kProgress;
  thermometer.picture = "@n3";
  thermometer.value = platform::Ref(percentile_);
  spec.controls = {thermometer, platform::Shown("?PROGRESS:USERSTRING", "", "@s60", platform::Ref(user_string_)),
                   platform::Shown("?PROGRESS:PCTTEXT", "", "@s20", platform::Ref(percent_text_)),
                   platform::Button("?PROGRESS:CANCEL", "Cancel")};
  spec.cancel_button = "?PROGRESS:CANCEL";
  Open(spec);
  window()->SetTimer(10);
  return 0;
}

std::function<void(int)> ReportManager::ProgressDisplay() {
  return [this](int percentage) {
    percent_text_ = std::to_string(percentage) + "% Complete";
    Show("?PROGRESS:PCTTEXT");
    Show("?PROGRESS:THERMOMETER");
  };
}

void ReportManager::Show(const char* control) {
  if (window() != nullptr) window()->Display(window()->Control(control));
}

void ReportManager::SetUserString(std::string text) {
  user_string_ = std::move(text);
  Show("?PROGRESS:USERSTRING");
}

int ReportManager::OnEvent(const platform::Event& event) {
  if (event.control == 0 && event.kind == EventKind::kOpenWindow && !opened_) {
    opened_ = true;
    WindowManager::OnEvent(event);
    if (!DEFEROPENREPORT) {
      OpenReport();
      if (!OPENFAILED && after_open) after_open();
    }
    return ui::kHandled;
  }
  if (event.control == 0 && event.kind == EventKind::kTimer) return OnTimer();
  return WindowManager::OnEvent(event);
}

int ReportManager::OnAccepted(const platform::Event& event) {
  if (event.control == window()->Control("?PROGRESS:CANCEL")) {
    End(ui::kCancelled);
    return ui::kHandled;
  }
  return WindowManager::OnAccepted(event);
}

// The run stops: the timer with it, and the window closes with the response.
void ReportManager::End(int response) {
  window()->SetTimer(0);
  SetResponse(response);
  if (!closing_) window()->Post({EventKind::kCloseWindow, 0, 0, {}});
  closing_ = true;
}

int ReportManager::OpenReport() {
  const int reset = process_.Reset();
  DEFEROPENREPORT = false;
  if (reset != 0 || process_.Next() != 0) {
    OPENFAILED = true;
    // "No Records": there is nothing to process.
    UnattendedOutput::Global().Finished("No Records: there are no records available to process.");
    errors_.RaiseError(errors::msg::kNoRecords);
    if (!KEEPVISIBLE) End(ui::kCancelled);
    return 1;
  }
  OPENFAILED = false;
  if (report_ == nullptr) return 0;
  std::string why;
  pages_ = platform::page::PageFolder::Make(&why);
  if (pages_ != nullptr) {
    writer_ = std::make_unique<ReportWriter>(*report_, *pages_, fields_);
    why = writer_->problem();
  }
  if (!why.empty()) {
    OPENFAILED = true;
    ui::Warn(services_, why);
    UnattendedOutput::Global().Finished(why);
    End(ui::kCancelled);
    return 1;
  }
  return 0;
}

int ReportManager::OnTimer() {
  if (closing_) return ui::kHandled;
  if (DEFEROPENREPORT) {
    OpenReport();
    if (!OPENFAILED && after_open) after_open();
  }
  if (OPENFAILED) return ui::kHandled;
  const long start = clock();
  for (;;) {
    const int result = Pass();
    if (result != 0) return ui::kHandled;
    const long elapsed = clock() - start;
    if (elapsed * 5 < TIMESLICE * 4) RECORDSPERCYCLE *= 2;
    if (elapsed * 2 < TIMESLICE) continue;
    if (elapsed * 2 > TIMESLICE * 3 && RECORDSPERCYCLE > 1) RECORDSPERCYCLE /= 2;
    return ui::kHandled;
  }
}

// Takes RECORDSPERCYCLE records; a non-zero result ends the timer event.
int ReportManager::Pass() {
  const long first = process_.RECORDSPROCESSED;
  while (process_.RECORDSPROCESSED - first < RECORDSPERCYCLE) {
    const int result = OnRecord();
    if (result != 0) return result;
  }
  return 0;
}

int ReportManager::OnRecord() {
  if (writer_ != nullptr && before_record) before_record();
  // The process first, then each further processor.
  for (std::size_t i = 0; i <= PROCESSORS.size(); ++i) {
    const int result = (i == 0 ? &process_ : PROCESSORS[i - 1])->OnRecord();
    if (result == kFatal) End(ui::kCancelled);
    if (result != 0) return result;
  }
  if (writer_ != nullptr && !writer_->problem().empty()) {
    ui::Warn(services_, writer_->problem());
    UnattendedOutput::Global().Finished(writer_->problem());
    End(ui::kCancelled);
    return kFatal;
  }
  return Next() != 0 ? kEndOfView : 0;
}

int ReportManager::Next() {
  const int level = process_.Next();
  if (level == 0) return 0;
  End(level == kEndOfView && process_.RECORDSPROCESSED != 0 ? ui::kCompleted : ui::kCancelled);
  return level;
}

int ReportManager::OnCloseWindow() {
  window()->SetTimer(0);
  if (!OPENFAILED && !KEEPVISIBLE) PreviewOrPrint();
  if (response_ != ui::kCompleted) {
    DiscardPreview();
    UnattendedOutput::Global().Finished("The report was cancelled.");
  } else if (report_ == nullptr) {
    UnattendedOutput::Global().Finished("");  // a batch procedure prints nothing
  }
  writer_.reset();
  if (after_run) after_run(response_ == ui::kCompleted && !OPENFAILED);
  return ui::kEndLoop;
}

void ReportManager::PreviewOrPrint() {
  if (report_ == nullptr || writer_ == nullptr || response_ != ui::kCompleted || OPENFAILED) return;
  if (before_closing) before_closing();
  if (EndReport() != 0) return;
  if (const auto pdf = UnattendedOutput::Global().pdf()) {
    const std::string why = services_.output.WritePdf(*pages_, *pdf, title);
    UnattendedOutput::Global().Finished(why);
    return;
  }
  if (SKIPPREVIEW) {
    PrintReport();
    return;
  }
  // The progress window stays out of the way while its pages are looked at.
  window()->SetHidden(0, true);
  if (ShowPreview(services_, *pages_, title, ZOOM) == 1) {
    PrintReport();
  } else {
    DiscardPreview();
  }
  window()->SetHidden(0, false);
}

int ReportManager::EndReport() {
  const std::string why = writer_->Finish();
  if (why.empty()) return 0;
  ui::Warn(services_, why);
  UnattendedOutput::Global().Finished(why);
  DiscardPreview();
  return 1;
}

void ReportManager::PrintReport() {
  std::string why;
  if (services_.output.Print(*pages_, title, &why) == platform::page::PrintOutcome::kFailed)
    ui::Warn(services_, why);
}

void ReportManager::DiscardPreview() {
  if (pages_ != nullptr) pages_->Discard();
}

}  // namespace vornel::reports
