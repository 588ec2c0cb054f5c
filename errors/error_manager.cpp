#include "errors/error_manager.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>

#include "errors/message_table.h"
#include "platform/dates.h"
#include "platform/picture.h"
#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/threads.h"

namespace vornel::errors {
namespace {

constexpr std::size_t kStatusTextLength = 255;
constexpr std::size_t kExpandBuffer = 2000;
constexpr std::size_t kHistoryTextLength = 1024;

std::atomic<ErrorManager*> global_manager{nullptr};
std::atomic<std::uint64_t> next_serial{1};

// Each thread keeps one status per error manager; a thread's statuses go
// with it when it ends.
thread_local std::unordered_map<std::uint64_t, ErrorStatus> thread_statuses;

std::string StatusText(std::string_view value) {
  return std::string(platform::Cut(platform::Clip(value), kStatusTextLength));
}

struct Placeholder {
  std::string_view name;
  std::string value;
};

// Replaces placeholders in one pass from left to right: at each '%' the first
// placeholder of the list that matches (any letter case) is replaced. The list
// puts longer names before the ones they begin with. Inserted values are never
// searched again, so a value holding a '%' word stays as it is.
std::string Expand(std::string_view text, const std::vector<Placeholder>& placeholders) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Placeholder* match = nullptr;
    if (text[i] == '%') {
      for (const Placeholder& p : placeholders) {
        if (text.size() - i >= p.name.size() &&
            platform::SameNoCase(text.substr(i, p.name.size()), p.name)) {
          match = &p;
          break;
        }
      }
    }
    if (match) {
      out += match->value;
      i += match->name.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

ErrorManager::ErrorManager(platform::MessageDisplay& display,
                           std::function<std::filesystem::path()> locate_log)
    : display_(display), locate_log_(std::move(locate_log)), serial_(next_serial++) {
  status() = ErrorStatus{};
  Init(nullptr);
}

ErrorManager::~ErrorManager() {
  ErrorManager* self = this;
  global_manager.compare_exchange_strong(self, nullptr);
  Shutdown();
}

ErrorManager* ErrorManager::Global() { return global_manager.load(); }
void ErrorManager::SetGlobal(ErrorManager* manager) { global_manager.store(manager); }

void ErrorManager::Shutdown() {
  std::lock_guard guard(lock_);
  errors_.clear();
  history_.clear();
  proc_names_.clear();
  if (error_log_) error_log_->Close(true);
}

void ErrorManager::AddMessage(std::int32_t id, std::string_view text, std::string_view title,
                              std::uint8_t fatality, std::string_view category) {
  std::lock_guard guard(lock_);
  errors_.push_back({id, std::string(text), std::string(title), fatality, std::string(category)});
}

bool ErrorManager::LoadMessageTable(std::span<const std::uint8_t> block) {
  bool complete = true;
  std::vector<MessageEntry> entries = UnpackMessageBlock(block, &complete);
  std::lock_guard guard(lock_);
  for (MessageEntry& entry : entries) errors_.push_back(std::move(entry));
  return complete;
}

void ErrorManager::AddHistory(HistoryEntry entry) {
  std::lock_guard guard(lock_);
  history_.push_back(std::move(entry));
}

int ErrorManager::ShowWithHistory(std::string_view caption, platform::Icon icon, int buttons,
                                  int default_button, int style) {
  std::vector<platform::HistoryRow> rows;
  {
    std::lock_guard guard(lock_);
    for (const HistoryEntry& h : history_) rows.push_back({h.text, h.category});
  }
  platform::MessageBoxRequest request{"", caption.empty() ? "Error" : std::string(caption), icon,
                                      buttons, default_button, style};
  return display_.ShowHistory(request, rows);
}

void ErrorManager::RecordMessage(std::string_view text) {
  const std::int32_t id = status().error_buffer.id;
  const std::string category = GetCategory(id);
  std::lock_guard guard(lock_);
  if (log_errors_ && error_log_ && error_log_->Open(false) == 0) {
    // A failing log is never reported and never stops the message.
    error_log_->Write(platform::FormatWith("D17", platform::Today()) + "@" +
                      platform::FormatWith("T8", platform::Clock()) + " --> " + std::string(text));
    error_log_->Close(false);
  }
  if (history_threshold_ != 0) {
    if (history_threshold_ > 0) {
      while (!history_.empty() && history_.size() >= static_cast<std::size_t>(history_threshold_))
        history_.pop_front();
    }
    history_.push_back({category, std::string(platform::Cut(text, kHistoryTextLength)), id});
  }
}

int ErrorManager::ShowMessage(std::string_view text, std::string_view caption,
                              platform::Icon icon, int buttons, int default_button, int style) {
  RecordMessage(text);
  if (silent()) return default_button;
  if (history_threshold() != 0) {
    if (status().error_buffer.fatality != history_view_level()) return default_button;
    int button = ShowWithHistory(caption, icon, buttons, default_button, style);
    if (history_reset_on_view()) {
      std::lock_guard guard(lock_);
      history_.clear();
    }
    return button;
  }
  return ShowMessageBox(text, caption, icon, buttons, default_button, style);
}

int ErrorManager::ShowMessageBox(std::string_view text, std::string_view caption,
                                 platform::Icon icon, int buttons, int default_button, int style) {
  return display_.ShowMessage(
      {std::string(text), std::string(caption), icon, buttons, default_button, style});
}

void ErrorManager::RemoveMessage(std::int32_t id) {
  std::lock_guard guard(lock_);
  auto it = std::find_if(errors_.rbegin(), errors_.rend(),
                         [id](const MessageEntry& e) { return e.id == id; });
  if (it != errors_.rend()) errors_.erase(std::next(it).base());
}

void ErrorManager::Init(std::unique_ptr<ErrorLog> log) {
  {
    std::lock_guard guard(lock_);
    error_log_ = log ? std::move(log) : std::make_unique<TextErrorLog>(locate_log_);
    default_category_ = "KIV";
    history_threshold_ = 0;
    history_view_level_ = 3;
    history_reset_on_view_ = false;
  }
  LoadMessageTable(StandardMessageBlock());
}

int ErrorManager::HandleNoAction() { return kGoOn; }

void ErrorManager::StopProgram() {
  std::string text = ExpandPlaceholders() + "  Press OK to end this application";
  RecordMessage(text);
  display_.StopProgram({text, status().error_buffer.title, platform::Icon::kInformation,
                        platform::kButtonOk, platform::kButtonOk, msg_style()});
}

void ErrorManager::NotifyUser() {
  ShowMessage(ExpandPlaceholders(), status().error_buffer.title, platform::Icon::kInformation,
              platform::kButtonOk, platform::kButtonOk, msg_style());
}

void ErrorManager::HandleOtherFatality() { HandleProgramError(); }

void ErrorManager::HandleProgramError() { StopProgram(); }

int ErrorManager::AskUser() {
  int button = ShowMessage(ExpandPlaceholders(), status().error_buffer.title,
                           platform::Icon::kExclamation, platform::kButtonYes | platform::kButtonNo,
                           platform::kButtonYes, msg_style());
  return button == platform::kButtonYes ? kGoOn : kDeclined;
}

void ErrorManager::ViewHistory() {
  ShowWithHistory("Errors History", platform::Icon::kInformation,
                  platform::kButtonOk | platform::kButtonHelp, platform::kButtonOk, msg_style());
}

int ErrorManager::RaiseError(std::int32_t id) {
  CaptureErrorState();
  return HandleByFatality(id);
}

int ErrorManager::RaiseWithText(std::int32_t id, std::string_view text) {
  SetMessageText(text);
  return RaiseError(id);
}

int ErrorManager::RaiseFileError(std::int32_t id, std::string_view file_name) {
  SetFile(file_name);
  return RaiseError(id);
}

int ErrorManager::HandleByFatality(std::int32_t id) {
  SetCurrentEntry(id);
  switch (status().error_buffer.fatality) {
    case static_cast<std::uint8_t>(Fatality::kNoAction):
      return HandleNoAction();
    case static_cast<std::uint8_t>(Fatality::kQuestion):
    case static_cast<std::uint8_t>(Fatality::kCancelled):
      return AskUser();
    case static_cast<std::uint8_t>(Fatality::kProgramError):
      HandleProgramError();
      return kNotUsable;
    case static_cast<std::uint8_t>(Fatality::kFatal):
      StopProgram();
      return kNotUsable;
    case static_cast<std::uint8_t>(Fatality::kNotice):
      NotifyUser();
      return kNotified;
    default:
      HandleOtherFatality();
      return kNotUsable;
  }
}

int ErrorManager::AskById(std::int32_t id, int buttons, int default_button) {
  if (silent()) return default_button;
  SetCurrentEntry(id);
  return ShowMessageBox(ExpandPlaceholders(), status().error_buffer.title,
                        platform::Icon::kExclamation, buttons, default_button, msg_style());
}

void ErrorManager::SetField(std::string_view value) { status().field_name = StatusText(value); }
void ErrorManager::SetFile(std::string_view value) { status().file_name = StatusText(value); }
void ErrorManager::SetKey(std::string_view value) { status().key_name = StatusText(value); }
void ErrorManager::SetMessageText(std::string_view value) {
  status().message_text = StatusText(value);
}

void ErrorManager::CaptureErrorState() {
  const platform::RuntimeError& last = platform::LastRuntimeError();
  ErrorStatus& s = status();
  s.save_error_code = last.code;
  s.save_error = StatusText(last.text);
  s.save_file_error_code = StatusText(last.file_error_code);
  s.save_file_error = StatusText(last.file_error_text);
}

std::string ErrorManager::ExpandPlaceholders() {
  const ErrorStatus& s = status();
  std::string_view text = platform::Cut(s.error_buffer.message, kExpandBuffer);
  const std::string error_text =
      s.save_error_code == 90 || s.save_error_code == 100
          ? s.save_file_error + " (" + s.save_file_error_code + ")"
          : s.save_error + " (" + std::to_string(s.save_error_code) + ")";
  std::string previous;
  if (platform::Upper(text).find("%PREVIOUS") != std::string::npos) {
    std::lock_guard guard(lock_);
    if (const MessageEntry* entry = FindLocked(s.prev_error_id)) previous = entry->message;
  }
  return Expand(text, {{"%FileErrorCode", s.save_file_error_code},
                       {"%FileError", s.save_file_error},
                       {"%File", s.file_name},
                       {"%Key", s.key_name},
                       {"%ErrorCode", std::to_string(s.save_error_code)},
                       {"%ErrorText", error_text},
                       {"%Error", s.save_error},
                       {"%Message", s.message_text},
                       {"%Field", s.field_name},
                       {"%Procedure", CurrentProcedureName()},
                       {"%Category", GetCategory(s.error_buffer.id)},
                       {"%Previous", previous}});
}

void ErrorManager::SetCategory(std::int32_t id, std::string_view category) {
  std::lock_guard guard(lock_);
  if (id == -1) {
    default_category_ = category;
    return;
  }
  if (MessageEntry* entry = FindLocked(id)) entry->category = category;
}

std::string ErrorManager::GetCategory(std::int32_t id) {
  std::lock_guard guard(lock_);
  if (id != -1) {
    const MessageEntry* entry = FindLocked(id);
    if (entry && !entry->category.empty()) return entry->category;
  }
  return default_category_;
}

void ErrorManager::PushProcedureName(std::string_view name) {
  std::lock_guard guard(lock_);
  proc_names_.push_back({platform::CurrentThreadNumber(), std::string(platform::Clip(name))});
}

void ErrorManager::PopProcedureName() {
  std::lock_guard guard(lock_);
  const int thread = platform::CurrentThreadNumber();
  auto it = std::find_if(proc_names_.rbegin(), proc_names_.rend(),
                         [thread](const ProcName& p) { return p.thread == thread; });
  if (it != proc_names_.rend()) proc_names_.erase(std::next(it).base());
}

std::string ErrorManager::CurrentProcedureName() {
  std::lock_guard guard(lock_);
  const int thread = platform::CurrentThreadNumber();
  auto it = std::find_if(proc_names_.rbegin(), proc_names_.rend(),
                         [thread](const ProcName& p) { return p.thread == thread; });
  return it == proc_names_.rend() ? std::string() : it->name;
}

ErrorStatus& ErrorManager::status() { return thread_statuses[serial_]; }

std::vector<ErrorManager::HistoryEntry> ErrorManager::history() {
  std::lock_guard guard(lock_);
  return {history_.begin(), history_.end()};
}

std::size_t ErrorManager::message_count() {
  std::lock_guard guard(lock_);
  return errors_.size();
}

void ErrorManager::SetCurrentEntry(std::int32_t id) {
  ErrorStatus& s = status();
  s.prev_error_id = s.error_buffer.id;
  std::lock_guard guard(lock_);
  const MessageEntry* entry = FindLocked(id);
  s.error_buffer = entry ? *entry : MessageEntry{};
}

MessageEntry* ErrorManager::FindLocked(std::int32_t id) {
  for (auto it = errors_.rbegin(); it != errors_.rend(); ++it) {
    if (it->id == id) return &*it;
  }
  return nullptr;
}

}  // namespace vornel::errors
