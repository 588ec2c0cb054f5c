#include "platform/headless/headless_message_display.h"

#include "platform/program_stop.h"

namespace vornel::platform {

void HeadlessMessageDisplay::Answer(int button) {
  std::lock_guard lock(mutex_);
  answers_.push_back(button);
}

int HeadlessMessageDisplay::Record(Shown shown) {
  std::lock_guard lock(mutex_);
  shown.answer = unanswered_ ? unanswered_(shown.request) : shown.request.default_button;
  if (!answers_.empty()) {
    shown.answer = answers_.front();
    answers_.pop_front();
  }
  shown_.push_back(shown);
  return shown.answer;
}

void HeadlessMessageDisplay::AnswerUnqueued(std::function<int(const MessageBoxRequest&)> unanswered) {
  std::lock_guard lock(mutex_);
  unanswered_ = std::move(unanswered);
}

void HeadlessMessageDisplay::AnswerFile(std::string path) {
  std::lock_guard lock(mutex_);
  files_.push_back(std::move(path));
}

std::string HeadlessMessageDisplay::AskSaveFile(std::string_view, std::string_view, std::string_view) {
  std::lock_guard lock(mutex_);
  if (files_.empty()) return {};
  std::string path = std::move(files_.front());
  files_.pop_front();
  return path;
}

int HeadlessMessageDisplay::ShowMessage(const MessageBoxRequest& request) {
  return Record({request, {}, false, false, 0});
}

int HeadlessMessageDisplay::ShowHistory(const MessageBoxRequest& request,
                                        const std::vector<HistoryRow>& rows) {
  return Record({request, rows, true, false, 0});
}

void HeadlessMessageDisplay::StopProgram(const MessageBoxRequest& request) {
  Record({request, {}, false, true, 0});
  throw ProgramStop(request.text);
}

std::vector<HeadlessMessageDisplay::Shown> HeadlessMessageDisplay::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

std::optional<HeadlessMessageDisplay::Shown> HeadlessMessageDisplay::last() const {
  std::lock_guard lock(mutex_);
  if (shown_.empty()) return std::nullopt;
  return shown_.back();
}

void HeadlessMessageDisplay::Clear() {
  std::lock_guard lock(mutex_);
  shown_.clear();
  answers_.clear();
}

}  // namespace vornel::platform
