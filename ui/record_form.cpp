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
  return response;
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
