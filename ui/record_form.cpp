#include "ui/record_form.h"

#include "data/dictionary/dictionary.h"
#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "platform/picture.h"
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

void RecordForm::PrimeNewRecord() {
  if (declaration_.prime) declaration_.prime();
}

void RecordForm::Reset(bool force) {
  if (declaration_.on_reset) declaration_.on_reset(*this);
  WindowManager::Reset(force);
}

int RecordForm::OnAccepted(const platform::Event& event) {
  // A plain OK moves no list, whatever an earlier refused tool button asked.
  if (OKCONTROL != 0 && event.control == OKCONTROL) thread_.navigation_request = 0;
  if (!LookUp(event.control)) return kHandled;  // the field keeps the focus, validate-all ends
  if (event.control == ControlNumber(declaration_.cancel) && declaration_.before_cancel &&
      !declaration_.before_cancel(*this))
    return kHandled;
  if (declaration_.on_accepted && event.control != OKCONTROL &&
      declaration_.on_accepted(*this, event.control) != kContinue)
    return kHandled;
  return WindowManager::OnAccepted(event);
}

int RecordForm::OnEvent(const platform::Event& event) {
  const int result = WindowManager::OnEvent(event);
  if (result != kEndLoop && declaration_.after_event && window_) declaration_.after_event(*this);
  return result;
}

int RecordForm::OnCompleted() {
  const bool saving = request_ == kInsert || request_ == kChange || request_ == kSave;
  if (saving && declaration_.before_save && !declaration_.before_save(*this)) return kHandled;
  const int result = WindowManager::OnCompleted();
  if (saving && response_ == kCompleted && declaration_.after_save) declaration_.after_save(*this);
  return result;
}

bool RecordForm::LookUp(int control) {
  const auto lookup = std::find_if(declaration_.lookups.begin(), declaration_.lookups.end(),
                                   [&](const FormLookup& l) { return ControlNumber(l.control) == control; });
  if (lookup == declaration_.lookups.end() || control == 0) return true;
  const platform::ValueRef& value = declaration_.window.controls[static_cast<std::size_t>(control - 1)].value;
  const std::string text = value.Text();
  if (!lookup->required && (platform::Clip(text).empty() || text == "0")) return true;
  const auto colon = lookup->key.find(':');
  const data::FileDef* other = nullptr;
  for (const data::FileDef& file : data::AllFiles()) {
    if (platform::SameNoCase(file.prefix, std::string_view(lookup->key).substr(0, colon))) other = &file;
  }
  const data::KeyDef* key = other ? other->FindKey(lookup->key) : nullptr;
  if (key == nullptr || key->components.empty()) return true;
  const data::FieldDef& code = other->fields[key->components[0].field];
  data::FileManager& file = thread_.files.Get(*other);
  file.Open();
  bool found = false;
  if (code.type == data::FieldType::kText ? data::WriteText(*other, code, file.buffer(), text)
                                          : data::WriteNumber(*other, code, file.buffer(), value.Number()))
    found = file.TryFetch(*key) == errors::kGoOn;
  if (!found && call_procedure && call_procedure(lookup->list, kSelect) == kCompleted) {
    const std::string chosen = code.type == data::FieldType::kText
                                   ? data::ReadText(*other, code, file.buffer())
                                   : platform::PlainNumber(data::ReadNumber(*other, code, file.buffer()));
    found = platform::StoreTyped(value, "", chosen, nullptr);
    window_->Display(control);
  }
  file.Close();
  if (!found) window_->Select(control);
  return found;
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
  buttons[kToolHistory] = request_ != kView && HasDittoFields();
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
    RestoreFieldValue(window_->Focused());
    return;
  }
  // Save first: the list behind the form moves once the form has completed.
  thread_.navigation_request = button;
  if (request_ == kChange && !RecordChanged()) {
    // Nothing to save: the form completes as it is and the list moves.
    saved_position_ = primary_->me().file().PositionString();
    SetResponse(kCompleted);
    return;
  }
  RequestAccepted();
}

int RecordForm::Init() {
  errors_.PushProcedureName(declaration_.procedure);
  name_pushed_ = true;
  request_ = thread_.global_request != 0 ? thread_.global_request : declaration_.request;
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
  KeepDittoIn(thread_.ditto_values[declaration_.procedure]);
  if (declaration_.ditto_fields.empty()) {
    for (std::size_t i = 0; i < declaration_.window.controls.size(); ++i) {
      if (declaration_.window.controls[i].kind == platform::ControlKind::kEntry) AddDittoField(static_cast<int>(i) + 1);
    }
  }
  for (const std::string& name : declaration_.ditto_fields) AddDittoField(ControlNumber(name));
  const int refusal = request_ == kInsert ? declaration_.refuse_insert
                      : request_ == kDelete ? declaration_.refuse_delete
                                            : 0;
  if (refusal != 0) {
    errors_.RaiseError(refusal);
    response_ = kCancelled;
    return kEndLoop;
  }
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
  if (declaration_.on_open) {
    declaration_.on_open(*this);
    // What the form works out as it opens is not a change the user made.
    if (request_ == kInsert || request_ == kChange) TakeSavedCopy();
  }
  switch (request_) {
    case kView: window_->SetTitle("View Record"); break;
    case kInsert:
      window_->SetTitle(declaration_.insert_title.empty() ? "Adding a " + declaration_.description + " Record"
                                                          : declaration_.insert_title);
      break;
    case kChange:
      window_->SetTitle(declaration_.change_title.empty() ? "Changing a " + declaration_.description + " Record"
                                                          : declaration_.change_title);
      break;
    default: break;
  }
  return 0;
}

int RecordForm::Shutdown() {
  int result = WindowManager::Shutdown();
  if (files_opened_ && primary_) primary_->Close();
  if (files_opened_) ReloadSavedRecord();
  files_opened_ = false;
  if (name_pushed_) errors_.PopProcedureName();
  name_pushed_ = false;
  return result;
}

FormDeclaration StandardForm(std::string procedure, std::string title, const data::FileDef& file,
                             std::vector<platform::ControlSpec> controls, std::string cancel_text,
                             std::string first_tab) {
  FormDeclaration form;
  form.procedure = procedure;
  form.description = std::string(file.label);
  form.primary = &file;
  form.window.procedure = std::move(procedure);
  form.window.title = std::move(title);
  form.window.controls.push_back(platform::Tab("?General", first_tab));
  for (platform::ControlSpec& control : controls) {
    if (control.tab.empty() && control.kind != platform::ControlKind::kTab) control.tab = first_tab;
    form.window.controls.push_back(std::move(control));
  }
  form.window.controls.push_back(platform::Button("?OK", "&OK"));
  form.window.controls.push_back(platform::Button("?Cancel", std::move(cancel_text)));
  form.window.controls.push_back(platform::Button("?Help", "Help"));
  form.window.default_button = "?OK";
  form.window.cancel_button = "?Cancel";
  return form;
}

void RegisterForm(const Services& services, std::string name,
                  std::function<FormDeclaration(ThreadState& thread)> declare) {
  services.procedures.Register(std::move(name), [&services, declare = std::move(declare)] {
    ThreadState& thread = *CurrentThread();
    RecordForm form(services.windows, thread, services.errors, declare(thread));
    form.call_procedure = [&services](std::string_view procedure, int request) {
      return services.procedures.CallWith(procedure, request);
    };
    form.RunForCaller();
  }, ProcedureKind::kRecordForm);
}

}  // namespace vornel::ui
