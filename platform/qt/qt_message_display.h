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
  // The file dialog in save mode; it asks itself before an existing file
  // is replaced, and adds the filter's extension to a name typed without one.
  std::string AskSaveFile(std::string_view title, std::string_view filter, std::string_view suggested) override;
  // Shows the stop box and ends the process at once: every log line is
  // already on disk, and the record store survives a killed process.
  [[noreturn]] void StopProgram(const MessageBoxRequest& request) override;
  void Beep() override;

 private:
  QtWindowSystem& windows_;
};

}  // namespace vornel::platform::qt
