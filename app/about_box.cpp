#include "app/about_box.h"

#include "app/program.h"
#include "ui/window_manager.h"

namespace vornel::app {
namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::Event;
using platform::EventKind;

constexpr int kCloseAfter = 800;  // hundredths of a second

ControlSpec Shown(std::string name, std::string prompt, platform::ValueRef value) {
  ControlSpec c;
  c.name = std::move(name);
  c.kind = ControlKind::kString;
  c.text = std::move(prompt);
  c.value = value;
  return c;
}

class AboutBox : public ui::WindowManager {
 public:
  AboutBox(Program& program, std::shared_ptr<SplashHandle> splash)
      : WindowManager(program.windows, program.errors), program_(program), splash_(std::move(splash)) {}

  int Init() override {
    WindowManager::Init();
    ui::ProgramValues& v = program_.values;
    platform::WindowSpec spec;
    spec.procedure = "ABOUTPROC";
    spec.title = "VORNEL for Windows";
    spec.controls = {Shown("?Version", "Version :", platform::Ref(v.version_label)),
                     Shown("?Company", "Company:", platform::Ref(v.agency_name)),
                     Shown("?FedTaxId", "Fed. Tax ID:", platform::Ref(v.billing.FEDTAXNO)),
                     Shown("?NPI", "NPI:", platform::Ref(v.agency_npi))};
    Open(spec);
    window()->SetTimer(kCloseAfter);
    if (splash_) splash_->Attach(window());
    return 0;
  }

  int Shutdown() override {
    if (splash_) splash_->Detach();
    return WindowManager::Shutdown();
  }

  // The timer, a lost focus and a click on the box (an accepted event of the
  // window itself) close it.
  int OnWindowEvent(const Event& event) override {
    switch (event.kind) {
      case EventKind::kTimer:
      case EventKind::kLoseFocus:
      case EventKind::kAccepted:
      case EventKind::kCloseWindow:
      case EventKind::kCloseDown: return ui::kEndLoop;
      default: return WindowManager::OnWindowEvent(event);
    }
  }

 private:
  Program& program_;
  std::shared_ptr<SplashHandle> splash_;
};

}  // namespace

void SplashHandle::Attach(platform::Window* window) {
  std::lock_guard lock(mutex_);
  window_ = window;
  if (closing_) window_->Post({EventKind::kCloseWindow, 0, 0, {}});
}

void SplashHandle::Detach() {
  std::lock_guard lock(mutex_);
  window_ = nullptr;
}

void SplashHandle::Close() {
  std::lock_guard lock(mutex_);
  closing_ = true;
  if (window_) window_->Post({EventKind::kCloseWindow, 0, 0, {}});
}

void RunAboutBox(Program& program, std::shared_ptr<SplashHandle> splash) {
  errors::ProcedureName name(program.errors, "ABOUTPROC");
  AboutBox(program, std::move(splash)).Run();
}

}  // namespace vornel::app
