#include "ui/window_manager.h"

#include <algorithm>

#include "errors/message_table.h"
#include "platform/window/window_help.h"
#include "ui/window_positions.h"

namespace vornel::ui {
namespace msg = errors::msg;
using platform::Event;
using platform::EventKind;

WindowManager::WindowManager(platform::WindowSystem& windows, errors::ErrorManager& errors)
    : windows_(windows), errors_(errors) {}

WindowManager::~WindowManager() { Shutdown(); }

int WindowManager::Run() {
  if (Init() == 0) EventLoop();
  Shutdown();
  return response_ == 0 ? kCancelled : response_;
}

int WindowManager::Init() {
  original_request_ = request_;
  INSERTACTION = 2;
  DELETEACTION = 2;
  CHANGEACTION = 2;
  CANCELACTION = 3;
  AUTOREFRESH = true;
  inited_ = true;
  killed_ = false;
  return 0;
}

int WindowManager::Shutdown() {
  if (!inited_ || killed_) return errors::kNotified;
  for (WindowComponent* component : components_) component->Shutdown();
  components_.clear();
  buttons_.clear();
  ditto_.clear();
  RestoreFileBuffers();
  files_.clear();
  if (primary_ && saved_ != 0) primary_->me().RestoreBuffer(saved_, false);
  saved_ = 0;
  if (window_) {
    if (WindowPositions* positions = WindowPositions::Global()) positions->SaveWindow(*window_);
    window_->Close();
    if (ThreadState* thread = CurrentThread()) std::erase(thread->open_windows, window_.get());
  }
  killed_ = true;
  return 0;
}

void WindowManager::ReloadSavedRecord() {
  if (primary_ && response_ == kCompleted && !saved_position_.empty())
    primary_->me().file().GetByPositionString(saved_position_);
  saved_position_.clear();
}

void WindowManager::Open(const platform::WindowSpec& spec, platform::Window* owner) {
  ThreadState* thread = CurrentThread();
  if (owner == nullptr && thread != nullptr && !thread->open_windows.empty()) owner = thread->open_windows.back();
  window_ = windows_.Open(spec, owner);
  if (thread != nullptr) thread->open_windows.push_back(window_.get());
  if (WindowPositions* positions = WindowPositions::Global()) positions->RestoreWindow(*window_);
}

Toolbar& WindowManager::toolbar() {
  if (!toolbar_) {
    toolbar_ = std::make_unique<Toolbar>(*this);
    AddItem(toolbar_.get());
  }
  return *toolbar_;
}

void WindowManager::AddDittoField(int control) {
  if (control != 0) ditto_.push_back(control);
}

void WindowManager::EventLoop() {
  if (DEAD || !window_) return;
  last_inserted_position_.clear();
  for (;;) {
    if (OnEvent(window_->WaitEvent()) == kEndLoop) return;
  }
}

void WindowManager::InitialReset() {
  Reset(false);
  first_reset_done_ = true;
}

void WindowManager::SelectFirstField() {
  if (window_ && FIRSTFIELD != 0) window_->Select(FIRSTFIELD);
}

void WindowManager::SaveFileBuffers() {
  for (SavedFile& saved : files_) saved.buffer = saved.file->SaveBuffer();
}

void WindowManager::RestoreFileBuffers() {
  for (SavedFile& saved : files_) {
    if (saved.buffer != 0) saved.file->RestoreBuffer(saved.buffer, true);
    saved.buffer = 0;
  }
}

void WindowManager::TakeSavedCopy() {
  if (!primary_) return;
  if (saved_ != 0) primary_->me().RestoreBuffer(saved_, false);
  saved_ = primary_->me().SaveBuffer();
}

bool WindowManager::RecordChanged() {
  return primary_ && saved_ != 0 && !primary_->me().EqualBuffer(saved_);
}

int WindowManager::PrepareRequest() {
  if (primary_) {
    primary_->me().CheckUse(data::kUseReadWrite);
    SaveFileBuffers();
  }
  int result = 0;
  switch (request_) {
    case kInsert:
      if (INSERTACTION != 0) {
        response_ = kCompleted;
        PrimeNewRecord();
        if (response_ == kCancelled) return kEndLoop;
        response_ = kCancelled;
      }
      break;
    case kDelete:
      if (DELETEACTION == 2 || DELETEACTION == 4) {
        int level = primary_ ? primary_->Delete(DELETEACTION == 2) : errors::kNotified;
        response_ = level == errors::kGoOn ? kCompleted : kCancelled;
        result = kEndLoop;
      }
      break;
    default:
      break;
  }
  TakeSavedCopy();
  return result;
}

void WindowManager::Reset(bool) {
  for (WindowComponent* component : components_) component->Reset();
  if (window_) window_->Display();
}

void WindowManager::RestoreFieldValue(int control) {
  if (!window_) return;
  if (std::find(ditto_.begin(), ditto_.end(), control) == ditto_.end()) return;
  const auto saved = ditto_values_->find(control);
  if (saved == ditto_values_->end()) return;
  const platform::ControlSpec& spec = window_->spec().controls.at(static_cast<std::size_t>(control - 1));
  platform::StoreTyped(spec.value, "", saved->second, nullptr);
  window_->Display(control);
}

void WindowManager::SetResponse(int response) {
  response_ = response;
  if (window_) window_->Post({EventKind::kCloseWindow, 0, 0, {}});
}

int WindowManager::OnEvent(const Event& event) {
  int result = kContinue;
  if (event.control == 0) {
    result = OnWindowEvent(event);
    if (result != kContinue) return result;
  }
  switch (event.kind) {
    case EventKind::kAccepted: result = OnAccepted(event); break;
    case EventKind::kNewSelection: result = OnNewSelection(event); break;
    case EventKind::kAlertKey:
      if (event.key == platform::kKeyHelp) return ShowHelp();
      if (HISTORYKEY != 0 && event.key == HISTORYKEY) RestoreFieldValue(event.control);
      break;
    case EventKind::kRejected: result = OnRejected(event); break;
    case EventKind::kSelected: result = OnSelected(event); break;
    default: break;
  }
  if (result != kContinue) return result;
  if (event.control != 0) {
    result = OnFieldEvent(event);
    if (result != kContinue) return result;
  }
  for (WindowComponent* component : components_) {
    result = component->OnEvent(event);
    if (result != kContinue) return result;
  }
  if (AUTOREFRESH) {
    for (WindowComponent* component : components_) {
      if (component->NeedsReset()) {
        Reset(false);
        break;
      }
    }
  }
  return kContinue;
}

int WindowManager::OnWindowEvent(const Event& event) {
  switch (event.kind) {
    case EventKind::kCloseWindow:
    case EventKind::kCloseDown: return OnCloseWindow();
    case EventKind::kOpenWindow:
      if (!first_reset_done_) InitialReset();
      SelectFirstField();
      return kContinue;
    case EventKind::kGainFocus:
      if (!first_reset_done_) {
        InitialReset();
      } else {
        Reset(false);
      }
      return kContinue;
    case EventKind::kCompleted: return OnCompleted();
    case EventKind::kResized: Reset(false); return kContinue;  // a list fills to its new height
    default: return kContinue;
  }
}

int WindowManager::RequestAccepted() {
  if (original_request_ == kInsert || original_request_ == kChange || original_request_ == kView) {
    if (original_request_ == kView) {
      window_->Post({EventKind::kCompleted, 0, 0, {}});
    } else {
      window_->AcceptAll();
    }
  } else {
    window_->Post({EventKind::kCompleted, 0, 0, {}});
  }
  return kContinue;
}

int WindowManager::ShowHelp() {
  const std::string title = window_->Title();
  errors_.ShowMessageBox(platform::HelpText(window_->spec(), title), "Help: " + title, platform::Icon::kInformation,
                         platform::kButtonOk, platform::kButtonOk, 0);
  return kHandled;
}

int WindowManager::OnAccepted(const Event& event) {
  // Every window's Help button shows the window's help.
  const auto& controls = window_->spec().controls;
  if (event.control > 0 && event.control <= static_cast<int>(controls.size()) &&
      controls[static_cast<std::size_t>(event.control - 1)].name == "?Help")
    return ShowHelp();
  for (const Button& button : buttons_) {
    if (button.control == event.control) {
      SetResponse(button.response);
      return kHandled;
    }
  }
  if (OKCONTROL != 0 && event.control == OKCONTROL) return RequestAccepted();
  if (SAVECONTROL != 0 && event.control == SAVECONTROL) {
    if (request_ == kView) return kHandled;
    before_save_request_ = request_;
    request_ = kSave;
    return RequestAccepted();
  }
  return kContinue;
}

int WindowManager::OnCompleted() {
  for (int control : ditto_)
    (*ditto_values_)[control] = window_->spec().controls.at(static_cast<std::size_t>(control - 1)).value.Text();
  switch (request_) {
    case kInsert: return DoInsert();
    case kChange: return DoChange();
    case kDelete: return DoDelete();
    case kSave: return original_request_ == kInsert ? SaveInserted() : SaveChanged();
    default: return kContinue;
  }
}

int WindowManager::DoInsert() {
  if (!primary_ || primary_->me().Insert() != errors::kGoOn) {
    SelectFirstField();
    return kHandled;
  }
  saved_position_ = primary_->me().file().PositionString();
  if (INSERTACTION == 2) {
    SetResponse(kCompleted);
    return kContinue;
  }
  if (INSERTACTION == 4 && errors_.RaiseError(msg::kRecordAdded) != errors::kGoOn) {
    SetResponse(kCompleted);
    return kContinue;
  }
  if (INSERTACTION != 3 && INSERTACTION != 4) return kContinue;
  // Another record is wanted: primed like the first one.
  data::FileManager& file = primary_->me();
  last_inserted_position_ = file.file().PositionString();
  RestoreFileBuffers();
  SaveFileBuffers();
  if (saved_ != 0) {
    file.RestoreBuffer(saved_, true);
    saved_ = 0;
  }
  if (file.PrepareNewRecord(true) != errors::kGoOn) {
    window_->Post({EventKind::kCloseWindow, 0, 0, {}});
  } else {
    PrimeNewRecord();
    response_ = kCancelled;
  }
  TakeSavedCopy();
  window_->Display();
  SelectFirstField();
  return kHandled;
}

int WindowManager::DoChange() {
  for (;;) {
    response_ = kCancelled;
    int level = errors::kGoOn;
    const bool changed = RecordChanged();
    if (changed) level = primary_->Update(HISTORYKEY != 0);
    if (level == errors::kFieldInvalid) {
      const int answer = errors_.AskById(
          msg::kUpdateRetry, platform::kButtonYes | platform::kButtonNo | platform::kButtonCancel,
          platform::kButtonCancel);
      if (answer == platform::kButtonYes) continue;
      if (answer == platform::kButtonNo) {
        if (original_request_ != kInsert) window_->Post({EventKind::kCloseWindow, 0, 0, {}});
      } else {
        window_->Display();
        SelectFirstField();
      }
      return kHandled;
    }
    if (level != errors::kGoOn) {
      ShowStoredAfterRefusal();
      return kHandled;
    }
    if (changed) {
      response_ = kCompleted;
      saved_position_ = primary_->me().file().PositionString();
    }
    if (original_request_ == kChange) {
      if (CHANGEACTION == 2) window_->Post({EventKind::kCloseWindow, 0, 0, {}});
    } else if (original_request_ == kInsert && response_ == kCompleted) {
      request_ = kInsert;
      if (CHANGEACTION == 2) window_->Post({EventKind::kCloseWindow, 0, 0, {}});
    }
    return kHandled;
  }
}

int WindowManager::DoDelete() {
  // The relation manager confirms, tries again as the user asks and says why
  // a delete failed; the form only shows what is left.
  response_ = kCancelled;
  const int level = primary_ ? primary_->Delete(DELETEACTION == 2) : errors::kNotified;
  if (level == errors::kGoOn) {
    SetResponse(kCompleted);
  } else if (level == errors::kDeclined || !primary_ ||
             primary_->me().LastError() == msg::kChangedOrDeleted) {
    SetResponse(kCancelled);  // declined, or the record is gone: nothing left to delete
  } else {
    ShowStoredAfterRefusal();
  }
  return kHandled;
}

int WindowManager::SaveInserted() {
  if (before_save_request_ != kInsert) {
    request_ = kChange;
    return RecordChanged() ? SaveChanged() : kHandled;
  }
  if (!primary_ || primary_->me().Insert() != errors::kGoOn) {
    request_ = kInsert;
    return kHandled;
  }
  request_ = kChange;
  SelectFirstField();
  TakeSavedCopy();
  return kHandled;
}

int WindowManager::SaveChanged() {
  request_ = kChange;
  if (!RecordChanged()) return kHandled;
  if (primary_->Update(HISTORYKEY != 0) == errors::kGoOn) {
    response_ = kCompleted;
    TakeSavedCopy();
  } else {
    ShowStoredAfterRefusal();
  }
  return kHandled;
}

// After a refused save: when another station changed the record, the buffer
// now holds its version, which the form shows as the record to change (the
// user's own values stay in the ditto fields).
void WindowManager::ShowStoredAfterRefusal() {
  const int cause = primary_->me().LastError();
  if (cause == msg::kChangedByOther || cause == msg::kChangedByOtherShown) TakeSavedCopy();
  window_->Display();
  SelectFirstField();
}

int WindowManager::OnCloseWindow() {
  if (response_ == kCompleted || !primary_) return kEndLoop;
  if (CANCELACTION != 0 && (request_ == kInsert || request_ == kChange) && RecordChanged()) {
    if ((CANCELACTION & 1) != 0 && (CANCELACTION & 2) == 0) {
      window_->Post({EventKind::kAccepted, OKCONTROL, 0, {}});
      return kHandled;
    }
    if ((CANCELACTION & 3) == 3) {
      const int answer = errors_.AskById(
          msg::kSaveRecord, platform::kButtonYes | platform::kButtonNo | platform::kButtonCancel,
          platform::kButtonCancel);
      if (answer == platform::kButtonYes) {
        window_->Post({EventKind::kAccepted, OKCONTROL, 0, {}});
        return kHandled;
      }
      if (answer != platform::kButtonNo) {
        SelectFirstField();
        return kHandled;
      }
    } else if (errors_.RaiseError(msg::kConfirmCancel) != errors::kGoOn) {
      SelectFirstField();
      return kHandled;
    }
  }
  if (original_request_ == kInsert && response_ != kCompleted &&
      primary_->CancelAutoNumber() != errors::kGoOn) {
    SelectFirstField();
    return kHandled;
  }
  if (!last_inserted_position_.empty()) {
    response_ = kCompleted;
    primary_->me().file().GetByPositionString(last_inserted_position_);
  }
  return kEndLoop;
}

int WindowManager::OnNewSelection(const Event&) { return kContinue; }

// The control keeps what was typed (the variable keeps its old value), so
// nothing typed is lost and a save re-reads it until it is put right.
int WindowManager::OnRejected(const Event& event) {
  window_->Refuse(event.control, event.text);
  return kContinue;
}

}  // namespace vornel::ui
