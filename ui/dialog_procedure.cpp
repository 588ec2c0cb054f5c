#include "ui/dialog_procedure.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "errors/error_manager.h"
#include "ui/window_manager.h"

namespace vornel::ui {
namespace {

class DialogProcedure : public WindowManager {
 public:
  DialogProcedure(const Services& services, DialogDeclaration declaration)
      : WindowManager(services.windows, services.errors), declaration_(std::move(declaration)) {}
  ~DialogProcedure() override { DialogProcedure::Shutdown(); }

  int Init() override {
    WindowManager::Init();
    if (declaration_.on_open) declaration_.on_open();
    if (declaration_.may_open && !declaration_.may_open()) {
      SetResponse(kCancelled);
      return 1;
    }
    Open(declaration_.window);
    for (const DialogButton& button : declaration_.buttons) AddButton(window()->Control(button.control), button.response);
    if (declaration_.add_parts) declaration_.add_parts(*this);
    return 0;
  }

  int OnAccepted(const platform::Event& event) override {
    for (const DialogButton& button : declaration_.buttons) {
      if (window()->Control(button.control) != event.control) continue;
      if (button.may_close && !button.may_close()) {
        window()->Display();
        return kHandled;
      }
      answered_ = true;
      if (button.on_press) button.on_press();
    }
    return WindowManager::OnAccepted(event);
  }

  int OnEvent(const platform::Event& event) override {
    const int result = WindowManager::OnEvent(event);
    if (result != kEndLoop && declaration_.after_event && window()) declaration_.after_event(*window());
    return result;
  }

  // Closed otherwise than by one of its buttons: as its cancel button.
  int OnCloseWindow() override {
    if (!answered_) {
      answered_ = true;
      const auto cancel = std::find_if(declaration_.buttons.begin(), declaration_.buttons.end(),
                                       [this](const DialogButton& b) { return b.control == declaration_.window.cancel_button; });
      if (cancel != declaration_.buttons.end()) {
        if (cancel->on_press) cancel->on_press();
        SetResponse(cancel->response);
      }
    }
    return WindowManager::OnCloseWindow();
  }

 private:
  DialogDeclaration declaration_;
  bool answered_ = false;
};

}  // namespace

namespace {

class AcceptedRules : public WindowComponent {
 public:
  AcceptedRules(WindowManager& manager, std::vector<std::pair<std::string, AcceptedRule>> rules)
      : manager_(manager), rules_(std::move(rules)) {
    manager_.AddItem(this);
  }
  int OnEvent(const platform::Event& event) override {
    if (event.kind != platform::EventKind::kAccepted) return kContinue;
    for (const auto& [control, rule] : rules_) {
      if (manager_.window()->Control(control) != event.control) continue;
      rule(*manager_.window());
      return kHandled;
    }
    return kContinue;
  }

 private:
  WindowManager& manager_;
  std::vector<std::pair<std::string, AcceptedRule>> rules_;
};

}  // namespace

void AddPart(DialogDeclaration& dialog, std::function<void(WindowManager&)> part) {
  dialog.add_parts = [before = std::move(dialog.add_parts), part = std::move(part)](WindowManager& manager) {
    if (before) before(manager);
    part(manager);
  };
}

void AddAcceptedRules(DialogDeclaration& dialog, std::vector<std::pair<std::string, AcceptedRule>> rules) {
  AddPart(dialog, [rules = std::move(rules)](WindowManager& manager) {
    manager.Own(std::make_unique<AcceptedRules>(manager, rules));
  });
}

int RunDialog(const Services& services, DialogDeclaration declaration) {
  return DialogProcedure(services, std::move(declaration)).Run();
}

void RegisterDialog(const Services& services, std::function<DialogDeclaration()> declare) {
  const std::string name = declare().window.procedure;
  services.procedures.Register(name, [&services, declare = std::move(declare), name] {
    errors::ProcedureName pushed(services.errors, name);
    const int response = DialogProcedure(services, declare()).Run();
    if (ThreadState* thread = CurrentThread()) thread->global_response = response;
  });
}

}  // namespace vornel::ui
