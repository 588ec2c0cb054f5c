#include "platform/window/queued_window.h"

#include <algorithm>
#include <atomic>

#include "platform/text.h"

namespace vornel::platform {
namespace {

bool TakesValue(ControlKind kind) {
  return kind == ControlKind::kEntry || kind == ControlKind::kCheck || kind == ControlKind::kRadioGroup ||
         kind == ControlKind::kDropChoice || kind == ControlKind::kDropCombo;
}

// Typed into: the text goes through the control's picture.
bool IsTyped(ControlKind kind) { return kind == ControlKind::kEntry || kind == ControlKind::kDropCombo; }

// What a control shows of its value: a choice shows the text of the choice
// whose value is stored.
std::string Shown(const ControlSpec& control) {
  if (!control.value.bound()) return control.text;
  if (IsTyped(control.kind) || control.kind == ControlKind::kString ||
      control.kind == ControlKind::kProgress) return FormatValue(control.value, control.picture);
  const std::string stored = control.value.Text();
  for (const Choice& choice : control.choices) {
    if (EqualClipped(choice.value, stored)) return choice.text;
  }
  return stored;
}

std::uint64_t NextSerial() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

}  // namespace

QueuedWindow::QueuedWindow(const WindowSpec& spec)
    : spec_(spec), serial_(NextSerial()), controls_(spec.controls.size()), title_(spec.title) {
  for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
    const ControlSpec& control = spec_.controls[i];
    controls_[i].text = Shown(control);
    controls_[i].enabled = !control.disabled;
    controls_[i].hidden = control.hidden;
  }
  queue_.push_back({EventKind::kOpenWindow, 0, 0, {}});
}

QueuedWindow::~QueuedWindow() = default;

QueuedWindow::ControlState& QueuedWindow::StateOf(int control) {
  return controls_.at(static_cast<std::size_t>(control - 1));
}

bool QueuedWindow::Usable(int control) const {
  if (closed_ || control < 1 || control > static_cast<int>(controls_.size())) return false;
  const ControlState& state = controls_[static_cast<std::size_t>(control - 1)];
  return state.enabled && !state.hidden;
}

Event QueuedWindow::WaitEvent() {
  std::unique_lock lock(mutex_);
  if (queue_.empty() && validate_all_.empty()) {
    waiting_ = true;
    changed_.notify_all();
    lock.unlock();
    Idle();
    lock.lock();
  }
  changed_.wait(lock, [this] { return !queue_.empty() || !validate_all_.empty(); });
  waiting_ = false;
  std::deque<Event>& from = validate_all_.empty() ? queue_ : validate_all_;
  Event event = std::move(from.front());
  from.pop_front();
  if (event.kind != EventKind::kAccepted || event.control < 1 ||
      event.control > static_cast<int>(controls_.size()))
    return event;
  const ControlSpec& control = spec_.controls[static_cast<std::size_t>(event.control - 1)];
  if (!TakesValue(control.kind)) return event;
  // The accepted text goes into the control's variable here, on the
  // procedure's own thread, before the procedure sees the event.
  const std::string picture = IsTyped(control.kind) ? control.picture : "";
  std::string why;
  if (!StoreTyped(control.value, picture, event.text, &why)) {
    validate_all_.clear();
    return {EventKind::kRejected, event.control, 0, why};
  }
  StateOf(event.control).text = Shown(control);
  StateOf(event.control).refusal.clear();
  lock.unlock();
  Render(event.control);
  return event;
}

void QueuedWindow::PostLocked(Event event) {
  queue_.push_back(std::move(event));
  changed_.notify_all();
}

void QueuedWindow::Post(Event event) {
  std::lock_guard lock(mutex_);
  PostLocked(std::move(event));
}

void QueuedWindow::Display(int control) {
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
      if (control == 0 || control == static_cast<int>(i) + 1) controls_[i].text = Shown(spec_.controls[i]);
    }
  }
  if (control != 0) {
    Render(control);
    return;
  }
  for (std::size_t i = 1; i <= spec_.controls.size(); ++i) Render(static_cast<int>(i));
}

void QueuedWindow::Select(int control) {
  {
    std::lock_guard lock(mutex_);
    selected_ = control;
    validate_all_.clear();  // a control that takes the focus back ends validate-all mode
  }
  Render(control);
}

void QueuedWindow::Refuse(int control, std::string_view why) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).refusal = why.empty() ? std::string("The value is not valid here.") : std::string(why);
  }
  Select(control);
}

void QueuedWindow::Focus(int control) {
  std::lock_guard lock(mutex_);
  if (Usable(control)) selected_ = control;
}

void QueuedWindow::SetEnabled(int control, bool enabled) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).enabled = enabled;
  }
  Render(control);
}

void QueuedWindow::SetHidden(int control, bool hidden) {
  {
    std::lock_guard lock(mutex_);
    if (control == 0) {
      hidden_ = hidden;
    } else if (control < 1 || control > static_cast<int>(controls_.size())) {
      return;
    } else {
      StateOf(control).hidden = hidden;
    }
  }
  Render(control);
}

bool QueuedWindow::hidden() const {
  std::lock_guard lock(mutex_);
  return hidden_;
}

void QueuedWindow::SetText(int control, std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).text = text;
  }
  Render(control);
}

void QueuedWindow::SetTitle(std::string_view title) {
  {
    std::lock_guard lock(mutex_);
    title_ = title;
  }
  Render(0);
}

void QueuedWindow::SetStatus(int part, std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    status_[part] = text;
  }
  Render(0);
}

void QueuedWindow::SetTimer(int hundredths) {
  {
    std::lock_guard lock(mutex_);
    timer_ = std::max(0, hundredths);
  }
  Render(0);
}

void QueuedWindow::SetRows(int control, std::vector<std::vector<std::string>> rows) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).rows = std::move(rows);
  }
  Render(control);
}

void QueuedWindow::SetRowColours(int control, std::vector<std::int32_t> colours) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).row_colours = std::move(colours);
  }
  Render(control);
}

void QueuedWindow::SetPages(int control, PageViewState pages) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).pages = std::move(pages);
  }
  Render(control);
}

void QueuedWindow::SetCurrentRow(int control, int row) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).current_row = row;
  }
  Render(control);
}

void QueuedWindow::SetThumb(int control, int position, bool shown) {
  {
    std::lock_guard lock(mutex_);
    if (control < 1 || control > static_cast<int>(controls_.size())) return;
    StateOf(control).thumb = std::clamp(position, 0, 100);
    StateOf(control).thumb_shown = shown;
  }
  Render(control);
}

int QueuedWindow::VisibleRows(int control) const {
  std::lock_guard lock(mutex_);
  if (control < 1 || control > static_cast<int>(controls_.size())) return 0;
  return controls_[static_cast<std::size_t>(control - 1)].visible_rows;
}

void QueuedWindow::SetVisibleRows(int control, int rows) {
  std::lock_guard lock(mutex_);
  if (control < 1 || control > static_cast<int>(controls_.size())) return;
  int& visible = StateOf(control).visible_rows;
  if (visible == std::max(1, rows)) return;
  visible = std::max(1, rows);
  PostLocked({EventKind::kResized, 0, 0, {}});
}

bool QueuedWindow::ChooseRow(int control, int row) {
  std::lock_guard lock(mutex_);
  if (!Usable(control) || row < 1 || row > static_cast<int>(StateOf(control).rows.size())) return false;
  // The row the user moved to is the one shown highlighted, as on a screen.
  StateOf(control).current_row = row;
  PostLocked({EventKind::kNewSelection, control, row, {}});
  return true;
}

bool QueuedWindow::Scroll(int control, ScrollKind kind) {
  std::lock_guard lock(mutex_);
  if (!Usable(control)) return false;
  PostLocked({EventKind::kScroll, control, kind, {}});
  return true;
}

bool QueuedWindow::DragThumb(int control, int position) {
  std::lock_guard lock(mutex_);
  if (!Usable(control)) return false;
  PostLocked({EventKind::kThumb, control, std::clamp(position, 0, 100), {}});
  return true;
}

bool QueuedWindow::Key(int control, int key) {
  std::lock_guard lock(mutex_);
  // A function key presses the button it belongs to, wherever the focus is.
  if (key >= kKeyF2 && key <= kKeyF12) {
    for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
      const int button = static_cast<int>(i) + 1;
      if (spec_.controls[i].key != key || !Usable(button)) continue;
      PostLocked({EventKind::kAccepted, button, 0, {}});
      return true;
    }
  }
  if (!Usable(control)) return false;
  selected_ = control;
  PostLocked({EventKind::kAlertKey, control, key, {}});
  return true;
}

void QueuedWindow::SetToolButtons(std::vector<ToolState> states) {
  {
    std::lock_guard lock(mutex_);
    tools_ = std::move(states);
  }
  Render(0);
}

std::vector<ToolState> QueuedWindow::tool_buttons() const {
  std::lock_guard lock(mutex_);
  return tools_;
}

bool QueuedWindow::ToolEnabled(int command) const {
  std::lock_guard lock(mutex_);
  return std::any_of(tools_.begin(), tools_.end(),
                     [command](const ToolState& tool) { return tool.command == command && tool.enabled; });
}

bool QueuedWindow::ShowTab(int control) {
  std::lock_guard lock(mutex_);
  if (!Usable(control) || spec_.controls[static_cast<std::size_t>(control - 1)].kind != ControlKind::kTab)
    return false;
  PostLocked({EventKind::kNewSelection, control, 0, {}});
  return true;
}

void QueuedWindow::AcceptAll() {
  std::lock_guard lock(mutex_);
  validate_all_.clear();
  for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
    const ControlSpec& control = spec_.controls[i];
    if (!IsTyped(control.kind) || !controls_[i].enabled || controls_[i].hidden) continue;
    validate_all_.push_back({EventKind::kAccepted, static_cast<int>(i) + 1, 0, controls_[i].text});
  }
  validate_all_.push_back({EventKind::kCompleted, 0, 0, {}});
  changed_.notify_all();
}

void QueuedWindow::Close() {
  {
    std::lock_guard lock(mutex_);
    if (closing_) return;
    closing_ = true;
  }
  // The backend lets go of the window first, so whoever sees it closed no
  // longer finds it among the open windows.
  Closed();
  std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

bool QueuedWindow::Type(int control, std::string_view text) {
  std::lock_guard lock(mutex_);
  if (!Usable(control)) return false;
  const ControlSpec& spec = spec_.controls[static_cast<std::size_t>(control - 1)];
  if (!IsTyped(spec.kind) || spec.read_only) return false;
  StateOf(control).text = text;
  selected_ = control;
  PostLocked({EventKind::kAccepted, control, 0, std::string(text)});
  return true;
}

bool QueuedWindow::Press(int control) {
  std::lock_guard lock(mutex_);
  if (!Usable(control) ||
      spec_.controls[static_cast<std::size_t>(control - 1)].kind != ControlKind::kButton)
    return false;
  PostLocked({EventKind::kAccepted, control, 0, {}});
  return true;
}

bool QueuedWindow::ChooseValue(int control, std::string_view value) {
  std::lock_guard lock(mutex_);
  if (!Usable(control)) return false;
  const ControlSpec& spec = spec_.controls[static_cast<std::size_t>(control - 1)];
  const bool known = std::any_of(spec.choices.begin(), spec.choices.end(),
                                 [&](const Choice& c) { return c.value == value; });
  if (!known || spec.read_only) return false;
  selected_ = control;
  PostLocked({EventKind::kAccepted, control, 0, std::string(value)});
  return true;
}

void QueuedWindow::Command(int command) { Post({EventKind::kAccepted, command, 0, {}}); }

void QueuedWindow::RequestClose() { Post({EventKind::kCloseWindow, 0, 0, {}}); }

bool QueuedWindow::WaitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return closed_ || WaitsForUserLocked(); });
}

QueuedWindow::ControlState QueuedWindow::State(int control) const {
  std::lock_guard lock(mutex_);
  if (control < 1 || control > static_cast<int>(controls_.size())) return {};
  return controls_[static_cast<std::size_t>(control - 1)];
}

std::string QueuedWindow::title() const {
  std::lock_guard lock(mutex_);
  return title_;
}

std::string QueuedWindow::status(int part) const {
  std::lock_guard lock(mutex_);
  auto it = status_.find(part);
  return it == status_.end() ? std::string() : it->second;
}

int QueuedWindow::timer() const {
  std::lock_guard lock(mutex_);
  return timer_;
}

int QueuedWindow::selected() const {
  std::lock_guard lock(mutex_);
  return selected_;
}

bool QueuedWindow::closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

bool QueuedWindow::WaitsForUser() const {
  std::lock_guard lock(mutex_);
  return WaitsForUserLocked();
}

bool QueuedWindow::WaitsForUserLocked() const { return waiting_ && queue_.empty() && validate_all_.empty(); }

}  // namespace vornel::platform
