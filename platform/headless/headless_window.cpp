#include "platform/headless/headless_window.h"

#include <algorithm>

#include "platform/text.h"

namespace vornel::platform {
namespace {

bool TakesValue(ControlKind kind) {
  return kind == ControlKind::kEntry || kind == ControlKind::kCheck ||
         kind == ControlKind::kRadioGroup || kind == ControlKind::kDropChoice;
}

// What a control shows of its value: a choice shows the text of the choice
// whose value is stored.
std::string Shown(const ControlSpec& control) {
  if (!control.value.bound()) return control.text;
  if (control.kind == ControlKind::kEntry || control.kind == ControlKind::kString)
    return FormatValue(control.value, control.picture);
  const std::string stored = control.value.Text();
  for (const Choice& choice : control.choices) {
    if (EqualClipped(choice.value, stored)) return choice.text;
  }
  return stored;
}

}  // namespace

HeadlessWindow::HeadlessWindow(const WindowSpec& spec, HeadlessWindowSystem& system)
    : spec_(spec), system_(system), controls_(spec.controls.size()), title_(spec.title) {
  for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
    const ControlSpec& control = spec_.controls[i];
    controls_[i] = {Shown(control), !control.disabled, control.hidden};
  }
  queue_.push_back({EventKind::kOpenWindow, 0, 0, {}});
}

HeadlessWindow::~HeadlessWindow() { Close(); }

HeadlessWindow::ControlState& HeadlessWindow::StateOf(int control) {
  return controls_.at(static_cast<std::size_t>(control - 1));
}

Event HeadlessWindow::WaitEvent() {
  std::unique_lock lock(mutex_);
  waiting_ = true;
  changed_.notify_all();
  system_.Changed();
  changed_.wait(lock, [this] { return !queue_.empty() || !validate_all_.empty(); });
  waiting_ = false;
  std::deque<Event>& from = validate_all_.empty() ? queue_ : validate_all_;
  Event event = std::move(from.front());
  from.pop_front();
  if (event.kind != EventKind::kAccepted || event.control < 1) return event;
  const ControlSpec& control = spec_.controls[static_cast<std::size_t>(event.control - 1)];
  if (!TakesValue(control.kind)) return event;
  // The accepted text goes into the control's variable here, on the
  // procedure's own thread, before the procedure sees the event.
  const std::string picture = control.kind == ControlKind::kEntry ? control.picture : "";
  std::string why;
  if (!StoreTyped(control.value, picture, event.text, &why)) {
    validate_all_.clear();
    return {EventKind::kRejected, event.control, 0, why};
  }
  StateOf(event.control).text = Shown(control);
  return event;
}

void HeadlessWindow::PostLocked(Event event) {
  queue_.push_back(std::move(event));
  changed_.notify_all();
}

void HeadlessWindow::Post(Event event) {
  std::lock_guard lock(mutex_);
  PostLocked(std::move(event));
}

void HeadlessWindow::Display(int control) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
    if (control == 0 || control == static_cast<int>(i) + 1) controls_[i].text = Shown(spec_.controls[i]);
  }
}

void HeadlessWindow::Select(int control) {
  std::lock_guard lock(mutex_);
  selected_ = control;
  validate_all_.clear();  // a control that takes the focus back ends validate-all mode
}

void HeadlessWindow::SetEnabled(int control, bool enabled) {
  std::lock_guard lock(mutex_);
  if (control >= 1 && control <= static_cast<int>(controls_.size())) StateOf(control).enabled = enabled;
}

void HeadlessWindow::SetHidden(int control, bool hidden) {
  std::lock_guard lock(mutex_);
  if (control >= 1 && control <= static_cast<int>(controls_.size())) StateOf(control).hidden = hidden;
}

void HeadlessWindow::SetText(int control, std::string_view text) {
  std::lock_guard lock(mutex_);
  if (control >= 1 && control <= static_cast<int>(controls_.size())) StateOf(control).text = text;
}

void HeadlessWindow::SetTitle(std::string_view title) {
  std::lock_guard lock(mutex_);
  title_ = title;
}

void HeadlessWindow::AcceptAll() {
  std::lock_guard lock(mutex_);
  validate_all_.clear();
  for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
    const ControlSpec& control = spec_.controls[i];
    if (control.kind != ControlKind::kEntry || !controls_[i].enabled || controls_[i].hidden) continue;
    validate_all_.push_back({EventKind::kAccepted, static_cast<int>(i) + 1, 0, controls_[i].text});
  }
  validate_all_.push_back({EventKind::kCompleted, 0, 0, {}});
  changed_.notify_all();
}

void HeadlessWindow::Close() {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    closed_ = true;
    changed_.notify_all();
  }
  system_.Closed(this);
}

bool HeadlessWindow::Type(std::string_view name, std::string_view text) {
  std::lock_guard lock(mutex_);
  const int control = Control(name);
  if (control == 0 || closed_) return false;
  const ControlSpec& spec = spec_.controls[static_cast<std::size_t>(control - 1)];
  ControlState& state = StateOf(control);
  if (spec.kind != ControlKind::kEntry || !state.enabled || state.hidden || spec.read_only)
    return false;
  state.text = text;
  PostLocked({EventKind::kAccepted, control, 0, std::string(text)});
  return true;
}

bool HeadlessWindow::Press(std::string_view name) {
  std::lock_guard lock(mutex_);
  const int control = Control(name);
  if (control == 0 || closed_) return false;
  const ControlState& state = StateOf(control);
  if (spec_.controls[static_cast<std::size_t>(control - 1)].kind != ControlKind::kButton ||
      !state.enabled || state.hidden)
    return false;
  PostLocked({EventKind::kAccepted, control, 0, {}});
  return true;
}

bool HeadlessWindow::Choose(std::string_view name, std::string_view choice_text) {
  std::lock_guard lock(mutex_);
  const int control = Control(name);
  if (control == 0 || closed_) return false;
  const ControlSpec& spec = spec_.controls[static_cast<std::size_t>(control - 1)];
  const ControlState& state = StateOf(control);
  if (!state.enabled || state.hidden) return false;
  auto choice = std::find_if(spec.choices.begin(), spec.choices.end(),
                             [&](const Choice& c) { return SameNoCase(c.text, choice_text); });
  if (choice == spec.choices.end()) return false;
  PostLocked({EventKind::kAccepted, control, 0, choice->value});
  return true;
}

void HeadlessWindow::RequestClose() { Post({EventKind::kCloseWindow, 0, 0, {}}); }

bool HeadlessWindow::WaitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] {
    return closed_ || (waiting_ && queue_.empty() && validate_all_.empty());
  });
}

HeadlessWindow::ControlState HeadlessWindow::State(std::string_view name) const {
  std::lock_guard lock(mutex_);
  const int control = Control(name);
  return control == 0 ? ControlState{} : controls_[static_cast<std::size_t>(control - 1)];
}

std::string HeadlessWindow::title() const {
  std::lock_guard lock(mutex_);
  return title_;
}

int HeadlessWindow::selected() const {
  std::lock_guard lock(mutex_);
  return selected_;
}

bool HeadlessWindow::closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

std::unique_ptr<Window> HeadlessWindowSystem::Open(const WindowSpec& spec, Window*) {
  auto window = std::make_unique<HeadlessWindow>(spec, *this);
  {
    std::lock_guard lock(mutex_);
    open_.push_back(window.get());
  }
  Changed();
  return window;
}

void HeadlessWindowSystem::Closed(HeadlessWindow* window) {
  {
    std::lock_guard lock(mutex_);
    open_.erase(std::remove(open_.begin(), open_.end(), window), open_.end());
  }
  Changed();
}

void HeadlessWindowSystem::Changed() { changed_.notify_all(); }

HeadlessWindow* HeadlessWindowSystem::WaitForWindow(std::string_view title,
                                                    std::chrono::milliseconds timeout) {
  // Titles change under each window's own lock, so this looks again every few
  // milliseconds rather than trusting a wake-up.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
      if ((*it)->title() == title) return *it;
    }
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    changed_.wait_for(lock, std::chrono::milliseconds(5));
  }
}

std::vector<std::string> HeadlessWindowSystem::OpenTitles() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> titles;
  for (HeadlessWindow* window : open_) titles.push_back(window->title());
  return titles;
}

}  // namespace vornel::platform
