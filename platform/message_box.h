#pragma once
// Message boxes and the stop window, as the core asks the screen for them.
// The Qt backend shows real dialogs; the headless backend answers from a
// script and records what was shown.
#include <atomic>
#include <string_view>
#include <string>
#include <vector>

namespace vornel::platform {

// Buttons form a bit set; a display answers the value of the button pressed.
enum Button : int {
  kButtonOk = 1,
  kButtonYes = 2,
  kButtonNo = 4,
  kButtonAbort = 8,
  kButtonRetry = 16,
  kButtonIgnore = 32,
  kButtonCancel = 64,
  kButtonHelp = 128,
};

enum class Icon { kExclamation, kInformation };

struct MessageBoxRequest {
  std::string text;  // a '|' in the text starts a new line when shown
  std::string caption;
  Icon icon = Icon::kInformation;
  int buttons = kButtonOk;
  int default_button = kButtonOk;
  int style = 0;
};

struct HistoryRow {
  std::string text;
  std::string category;
};

// The text as shown on screen: each '|' becomes a line break.
std::string DisplayedText(std::string_view text);

class MessageDisplay {
 public:
  virtual ~MessageDisplay() = default;
  // A plain message box; answers the button pressed.
  virtual int ShowMessage(const MessageBoxRequest& request) = 0;
  // The history message window: the request's caption, icon and buttons
  // above a list of the message history; answers the button pressed.
  virtual int ShowHistory(const MessageBoxRequest& request, const std::vector<HistoryRow>& rows) = 0;
  // The stop window: shows the request with OK, then ends the program.
  // Never returns (the headless backend unwinds the calling thread).
  [[noreturn]] virtual void StopProgram(const MessageBoxRequest& request) = 0;
  // Asks where to save a file of the kind `filter` names ("PDF files
  // (*.pdf)"), proposing `suggested`: the path chosen, "" when cancelled.
  virtual std::string AskSaveFile(std::string_view title, std::string_view filter, std::string_view suggested) = 0;
  // A short beep before a business message; a screenless run counts them.
  virtual void Beep() { ++beeps; }
  std::atomic<int> beeps = 0;
};

}  // namespace vornel::platform
