#pragma once
// Message boxes without a screen: answers come from a script, every box shown
// is recorded, and a stop unwinds the calling thread with ProgramStop.
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace vornel::platform {

class HeadlessMessageDisplay : public MessageDisplay {
 public:
  struct Shown {
    MessageBoxRequest request;
    std::vector<HistoryRow> history;  // filled for the history window only
    bool history_window = false;
    bool stop = false;
    int answer = 0;
  };

  // Queue the answer for the next box shown; without one a box answers its
  // default button, or what `unanswered` says when it is set.
  void Answer(int button);
  void AnswerUnqueued(std::function<int(const MessageBoxRequest&)> unanswered);

  // Queue the path the next save question answers ("" cancels it); without
  // one the question is cancelled.
  void AnswerFile(std::string path);

  int ShowMessage(const MessageBoxRequest& request) override;
  std::string AskSaveFile(std::string_view title, std::string_view filter, std::string_view suggested) override;
  int ShowHistory(const MessageBoxRequest& request, const std::vector<HistoryRow>& rows) override;
  [[noreturn]] void StopProgram(const MessageBoxRequest& request) override;

  std::vector<Shown> shown() const;
  std::optional<Shown> last() const;
  void Clear();

 private:
  int Record(Shown shown);

  mutable std::mutex mutex_;
  std::deque<int> answers_;
  std::deque<std::string> files_;
  std::function<int(const MessageBoxRequest&)> unanswered_;
  std::vector<Shown> shown_;
};

}  // namespace vornel::platform
