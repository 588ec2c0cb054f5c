#include "ui/record_form.h"

#include "platform/text.h"

namespace vornel::ui {

RecordForm::RecordForm(platform::WindowSystem& windows, ThreadState& thread,
                       errors::ErrorManager& errors, FormDeclaration declaration)
    : WindowManager(windows, errors), thread_(thread), declaration_(std::move(declaration)) {}

int RecordForm::ControlNumber(std::string_view name) const {
  const auto& controls = declaration_.window.controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (platform::SameNoCase(controls[i].name, name)) return static_cast<int>(i) + 1;
  }
  return 0;
}

int RecordForm::RunForCaller() {
  int response = Run();
  thread_.global_response = response;
  if (response != kCompleted) thread_.navigation_request = 0;  // a cancelled form moves no list
  return response;
}

std::map<int, bool> RecordForm::Buttons() {
  std::map<int, bool> buttons;
  for (int button = kToolInsert; button <= kToolHelp; ++button) buttons[button] = false;
  if (request_ == kInsert) {
    buttons[kToolInsert] = buttons[kToolNext] = true;
  } else if (request_ == kChange) {
    buttons[kToolInsert] = true;
    for (int button = kToolLast; button <= kToolPrevious; ++button) buttons[button] = true;
  }
  buttons[kToolHistory] = request_ != kView && !declaration_.ditto_fields.empty();
  return buttons;
}

std::span<const std::uint8_t> RecordForm::Tips() {
  if (request_ == kInsert) return FormInsertTips();
  if (request_ == kChange) return FormChangeTips();
  return {};
}

void RecordForm::OnButton(int button) {
  if (!Buttons()[button]) return;
  if (button == kToolHistory) {
    RestoreFieldValue(FIRSTFIELD);
    return;
  }
  // Save first: the list behind the form moves once the form has completed.
  thread_.navigation_request = button;
  RequestAccepted();
}

int RecordForm::Init() {
  errors_.PushProcedureName(declaration_.procedure);
  name_pushed_ = true;
  request_ = thread_.global_request;
  WindowManager::Init();
  for (const platform::ControlSpec& control : declaration_.window.controls) {
    if (control.kind == platform::ControlKind::kEntry) {
      FIRSTFIELD = ControlNumber(control.name);
      break;
    }
  }
  thread_.global_request = 0;
  thread_.global_response = 0;
  HISTORYKEY = kDittoKey;
  for (const std::string& name : declaration_.ditto_fields) AddDittoField(ControlNumber(name));
  data::RelationManager& primary = thread_.files.Relations(*declaration_.primary);
  AddFileToSave(&primary.me());
  AddButton(ControlNumber(declaration_.cancel), kCancelled);
  primary.Open();
  files_opened_ = true;
  primary_ = &primary;
  if (request_ != kView) {
    CHANGEACTION = 2;
    OKCONTROL = ControlNumber(declaration_.ok);
    if (int result = PrepareRequest(); result != 0) return result;
  } else {
    INSERTACTION = DELETEACTION = CHANGEACTION = 1;
    CANCELACTION = 0;
    OKCONTROL = 0;
  }
  Open(declaration_.window);
  toolbar().AddTarget(*this, -1);
  switch (request_) {
    case kView: window_->SetTitle("View Record"); break;
    case kInsert: window_->SetTitle("Adding a " + declaration_.description + " Record"); break;
    case kChange: window_->SetTitle("Changing a " + declaration_.description + " Record"); break;
    default: break;
  }
  return 0;
}

int RecordForm::Shutdown() {
  int result = WindowManager::Shutdown();
  if (files_opened_ && primary_) primary_->Close();
  files_opened_ = false;
  if (name_pushed_) errors_.PopProcedureName();
  name_pushed_ = false;
  return result;
}

}  // namespace vornel::ui
