#pragma once
// The one error manager: looks messages up by ID, expands their placeholders
// and shows, asks or stops according to their fatality. It also keeps the
// error log, the message history and the stack of running procedure names.
// Shared by all threads; the values of the message being raised (the error
// status) are kept per thread.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "errors/error_log.h"
#include "errors/error_status.h"
#include "errors/message_entry.h"
#include "platform/message_box.h"

namespace vornel::errors {

class ErrorManager {
 public:
  struct HistoryEntry {
    std::string category;
    std::string text;  // the expanded text, at most 1024 bytes
    std::int32_t id = 0;
  };

  // `display` shows message boxes; it must outlive the manager. Init runs
  // here with the standard log writing "KIVError.Log" found by `locate_log`.
  ErrorManager(platform::MessageDisplay& display,
               std::function<std::filesystem::path()> locate_log);
  virtual ~ErrorManager();
  ErrorManager(const ErrorManager&) = delete;
  ErrorManager& operator=(const ErrorManager&) = delete;

  // The program's error manager, once the program has made one.
  static ErrorManager* Global();
  static void SetGlobal(ErrorManager* manager);

  // Replaceable operations, in their fixed order.
  virtual void Shutdown();
  virtual void AddMessage(std::int32_t id, std::string_view text, std::string_view title,
                          std::uint8_t fatality, std::string_view category = {});
  // Appends every entry of a packed block; false when the block was damaged
  // (the whole entries before the damage are kept).
  virtual bool LoadMessageTable(std::span<const std::uint8_t> block);
  virtual void AddHistory(HistoryEntry entry);
  virtual int ShowWithHistory(std::string_view caption, platform::Icon icon, int buttons,
                              int default_button, int style);
  virtual int ShowMessage(std::string_view text, std::string_view caption, platform::Icon icon,
                          int buttons, int default_button, int style);
  virtual int ShowMessageBox(std::string_view text, std::string_view caption, platform::Icon icon,
                             int buttons, int default_button, int style);
  virtual void RemoveMessage(std::int32_t id);
  virtual void Init(std::unique_ptr<ErrorLog> log);
  virtual int HandleNoAction();
  // The three stops end the program; should a replacement return, the
  // raiser gets 3 (not usable).
  virtual void StopProgram();
  virtual void NotifyUser();
  virtual void HandleOtherFatality();
  virtual void HandleProgramError();
  virtual int AskUser();
  virtual void ViewHistory();

  // Raising. Each returns the level of the handling: 0 go on, 4 declined,
  // 5 notice shown; fatal messages do not return.
  int RaiseError(std::int32_t id);
  int RaiseWithText(std::int32_t id, std::string_view text);  // fills %Message
  int RaiseFileError(std::int32_t id, std::string_view file_name);
  int HandleByFatality(std::int32_t id);
  // Shows a message with the caller's buttons; answers the button pressed.
  // Neither logged nor kept in the history.
  int AskById(std::int32_t id, int buttons, int default_button);

  void SetField(std::string_view value);
  void SetFile(std::string_view value);
  void SetKey(std::string_view value);
  void SetMessageText(std::string_view value);
  void CaptureErrorState();
  std::string ExpandPlaceholders();

  void SetCategory(std::int32_t id, std::string_view category);
  std::string GetCategory(std::int32_t id);

  void PushProcedureName(std::string_view name);
  void PopProcedureName();
  std::string CurrentProcedureName();

  // The switches, each read and written under the lock.
  bool silent() { return Read(silent_); }
  void set_silent(bool on) { Write(silent_, on); }
  bool log_errors() { return Read(log_errors_); }
  void set_log_errors(bool on) { Write(log_errors_, on); }
  std::int32_t history_threshold() { return Read(history_threshold_); }
  void set_history_threshold(std::int32_t threshold) { Write(history_threshold_, threshold); }
  std::int32_t history_view_level() { return Read(history_view_level_); }
  void set_history_view_level(std::int32_t level) { Write(history_view_level_, level); }
  bool history_reset_on_view() { return Read(history_reset_on_view_); }
  void set_history_reset_on_view(bool on) { Write(history_reset_on_view_, on); }
  std::string default_category() { return Read(default_category_); }
  void set_default_category(std::string_view category) { SetCategory(-1, category); }
  std::int16_t msg_style() { return Read(msg_style_); }
  void set_msg_style(std::int16_t style) { Write(msg_style_, style); }

  // This thread's error status.
  ErrorStatus& status();
  std::vector<HistoryEntry> history();
  std::size_t message_count();

 protected:
  // Makes `id` the current entry of this thread's status.
  void SetCurrentEntry(std::int32_t id);
  platform::MessageDisplay& display() { return display_; }

 private:
  struct ProcName {
    int thread = 0;
    std::string name;
  };
  MessageEntry* FindLocked(std::int32_t id);
  // Log and history of a message about to be shown (under the lock).
  void RecordMessage(std::string_view text);
  template <typename T>
  T Read(const T& member) {
    std::lock_guard guard(lock_);
    return member;
  }
  template <typename T, typename V>
  void Write(T& member, V value) {
    std::lock_guard guard(lock_);
    member = value;
  }

  platform::MessageDisplay& display_;
  std::function<std::filesystem::path()> locate_log_;
  const std::uint64_t serial_;  // tells this manager's per-thread statuses apart

  std::mutex lock_;  // guards the lists, the log and the switches
  std::string default_category_;
  std::vector<MessageEntry> errors_;
  std::unique_ptr<ErrorLog> error_log_;
  std::list<HistoryEntry> history_;
  std::vector<ProcName> proc_names_;
  bool silent_ = false;
  bool log_errors_ = false;
  std::int32_t history_threshold_ = 0;
  std::int32_t history_view_level_ = 3;
  bool history_reset_on_view_ = false;
  std::int16_t msg_style_ = 0;
};

// Registers a running procedure's name for the length of a scope.
class ProcedureName {
 public:
  ProcedureName(ErrorManager& errors, std::string_view name) : errors_(errors) {
    errors_.PushProcedureName(name);
  }
  ~ProcedureName() { errors_.PopProcedureName(); }
  ProcedureName(const ProcedureName&) = delete;
  ProcedureName& operator=(const ProcedureName&) = delete;

 private:
  ErrorManager& errors_;
};

}  // namespace vornel::errors
