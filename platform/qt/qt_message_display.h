#pragma once
// Message boxes, the message history window and the stop window on the
// screen. Each may be asked for from any thread; the box is shown on the GUI
// thread while the asking procedure thread waits for the answer.
#include "platform/message_box.h"

namespace vornel::platform::qt {

class QtWindowSystem;

class QtMessageDisplay : public MessageDisplay {
 public:
  explicit QtMessageDisplay(QtWindowSystem& windows) : windows_(windows) {}

  int ShowMessage(const MessageBoxRequest& request) override;
  int ShowHistory(const MessageBoxRequest& request, const std::vector<HistoryRow>& rows) override;
  std::string AskSaveFile(std::string_view, std::string_view, std::string_view) override { return {}; }  // TODO(qt helper): the save dialog
  // Shows the stop box and ends the process at once: every log line is
  // already on disk, and the record store survives a killed process.
  [[noreturn]] void StopProgram(const MessageBoxRequest& request) override;
  void Beep() override;

 private:
  QtWindowSystem& windows_;
};

}  // namespace vornel::platform::qt
