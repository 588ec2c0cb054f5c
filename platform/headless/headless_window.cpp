#include "platform/headless/headless_window.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/window/shared_window.h"

namespace vornel::platform {
namespace {

// A menu text as the user reads it: without the access-key marks.
std::string Plain(std::string_view text) {
  std::string plain;
  for (char c : text) {
    if (c != '&') plain += c;
  }
  return plain;
}

bool SameItem(const std::string& text, const std::string& wanted) {
  return SameNoCase(text, wanted) || SameNoCase(Plain(text), Plain(wanted));
}

}  // namespace

HeadlessWindow::HeadlessWindow(const WindowSpec& spec, HeadlessWindowSystem& system)
    : QueuedWindow(spec), system_(system) {}

HeadlessWindow::~HeadlessWindow() { Close(); }

bool HeadlessWindow::Type(std::string_view name, std::string_view text) {
  return Type(Control(name), text);
}

bool HeadlessWindow::Press(std::string_view name) { return Press(Control(name)); }

bool HeadlessWindow::Choose(std::string_view name, std::string_view choice_text) {
  const int control = Control(name);
  if (control == 0) return false;
  const auto& choices = spec().controls[static_cast<std::size_t>(control - 1)].choices;
  auto choice = std::find_if(choices.begin(), choices.end(),
                             [&](const Choice& c) { return SameNoCase(c.text, choice_text); });
  return choice != choices.end() && ChooseValue(control, choice->value);
}

bool HeadlessWindow::Menu(const std::vector<std::string>& path) {
  const std::vector<MenuItem>* items = &spec().menu;
  const MenuItem* found = nullptr;
  for (const std::string& step : path) {
    auto it = std::find_if(items->begin(), items->end(),
                           [&](const MenuItem& item) { return SameItem(item.text, step); });
    if (it == items->end()) return false;
    found = &*it;
    items = &it->items;
  }
  if (found == nullptr || found->command == 0 || closed()) return false;
  Command(found->command);
  return true;
}

bool HeadlessWindow::Tool(std::string_view text) {
  for (const ToolButton& button : spec().toolbar) {
    if (!SameNoCase(button.text, text) || closed()) continue;
    if (!button.routed) {
      Command(button.command);
      return true;
    }
    std::shared_ptr<HeadlessWindow> active = system_.Active();
    if (!active || !active->ToolEnabled(button.command)) return false;
    active->Command(button.command);
    return true;
  }
  return false;
}

bool HeadlessWindow::TimerTick() {
  if (closed() || timer() == 0) return false;
  Post({EventKind::kTimer, 0, 0, {}});
  return true;
}

bool HeadlessWindow::Activate(int control) {
  if (closed() || (control != 0 && !State(control).enabled)) return false;
  if (std::shared_ptr<HeadlessWindow> was = system_.BringToFront(this)) was->Post({EventKind::kLoseFocus, 0, 0, {}});
  if (control != 0) Focus(control);
  Post({EventKind::kGainFocus, 0, 0, {}});
  return true;
}

HeadlessWindow::ControlState HeadlessWindow::State(std::string_view name) const {
  return State(Control(name));
}

int HeadlessWindow::PopupMenu(std::string_view, const std::vector<PopupItem>& items) {
  return system_.Popup(items);
}

void HeadlessWindow::Idle() {
  if (system_.timers_run() && TimerTick()) return;
  system_.Changed();
}

void HeadlessWindow::Closed() { system_.Closed(this); }

std::unique_ptr<Window> HeadlessWindowSystem::Open(const WindowSpec& spec, Window*) {
  auto window = std::make_shared<HeadlessWindow>(spec, *this);
  {
    std::lock_guard lock(mutex_);
    open_.push_back(window);
    ++opened_;
    if (spec.frame) {
      closing_down_ = false;  // a new frame starts the program anew
      frame_opened_ = true;
    }
    if (closing_down_) window->Post({EventKind::kCloseDown, 0, 0, {}});
  }
  Changed();
  return std::make_unique<SharedWindow>(window);
}

void HeadlessWindowSystem::CloseDown() {
  std::lock_guard lock(mutex_);
  closing_down_ = true;
  for (const auto& window : open_) window->Post({EventKind::kCloseDown, 0, 0, {}});
}

void HeadlessWindowSystem::Closed(HeadlessWindow* window) {
  {
    std::lock_guard lock(mutex_);
    open_.erase(std::remove_if(open_.begin(), open_.end(),
                               [window](const auto& open) { return open.get() == window; }),
                open_.end());
  }
  Changed();
}

std::shared_ptr<HeadlessWindow> HeadlessWindowSystem::BringToFront(HeadlessWindow* window) {
  std::shared_ptr<HeadlessWindow> was;
  {
    std::lock_guard lock(mutex_);
    was = FrontLocked();
    auto it = std::find_if(open_.begin(), open_.end(), [window](const auto& open) { return open.get() == window; });
    if (it == open_.end()) return nullptr;
    if (!window->spec().frame) std::rotate(it, it + 1, open_.end());
  }
  Changed();
  return was.get() == window ? nullptr : was;
}

void HeadlessWindowSystem::Changed() { changed_.notify_all(); }

std::shared_ptr<HeadlessWindow> HeadlessWindowSystem::WaitForWindow(
    std::string_view title, std::chrono::milliseconds timeout, int count) {
  // Titles change under each window's own lock, so this looks again every few
  // milliseconds rather than trusting a wake-up.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    std::shared_ptr<HeadlessWindow> newest;
    int found = 0;
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
      if ((*it)->title() != title) continue;
      if (found++ == 0) newest = *it;
    }
    if (found >= count) return newest;
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    changed_.wait_for(lock, std::chrono::milliseconds(5));
  }
}

std::shared_ptr<HeadlessWindow> HeadlessWindowSystem::Frame() const {
  std::lock_guard lock(mutex_);
  for (const auto& window : open_) {
    if (window->spec().frame) return window;
  }
  return nullptr;
}

std::shared_ptr<HeadlessWindow> HeadlessWindowSystem::Active() const {
  std::lock_guard lock(mutex_);
  return FrontLocked();
}

bool HeadlessWindowSystem::WithNewestNonFrame(const std::function<void(QueuedWindow&)>& with) {
  std::shared_ptr<HeadlessWindow> front;
  {
    std::lock_guard lock(mutex_);
    front = FrontLocked();
  }
  if (front) with(*front);  // held by its own count, not the lock
  return front != nullptr;
}

std::shared_ptr<HeadlessWindow> HeadlessWindowSystem::FrontLocked() const {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if (!(*it)->spec().frame && !(*it)->closed()) return *it;
  }
  return nullptr;
}

void HeadlessWindowSystem::AnswerPopup(int item) {
  std::lock_guard lock(mutex_);
  popup_answers_.push_back(item);
}

std::vector<PopupItem> HeadlessWindowSystem::last_popup() const {
  std::lock_guard lock(mutex_);
  return last_popup_;
}

int HeadlessWindowSystem::Popup(const std::vector<PopupItem>& items) {
  std::lock_guard lock(mutex_);
  last_popup_ = items;
  if (popup_answers_.empty()) return 0;
  const int answer = popup_answers_.front();
  popup_answers_.pop_front();
  const bool usable = answer >= 1 && answer <= static_cast<int>(items.size()) &&
                      items[static_cast<std::size_t>(answer - 1)].enabled &&
                      !items[static_cast<std::size_t>(answer - 1)].text.empty();
  return usable ? answer : 0;
}

int HeadlessWindowSystem::opened_count() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

bool HeadlessWindowSystem::frame_opened() const {
  std::lock_guard lock(mutex_);
  return frame_opened_;
}

std::vector<std::string> HeadlessWindowSystem::OpenTitles() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> titles;
  for (const auto& window : open_) titles.push_back(window->title());
  return titles;
}

}  // namespace vornel::platform
