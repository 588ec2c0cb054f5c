#include "platform/qt/qt_window.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QPrinter>
#include <QTimer>
#include <algorithm>

#include "platform/qt/qt_gui_thread.h"
#include "platform/qt/qt_window_controller.h"
#include "platform/text.h"

namespace vornel::platform::qt {
namespace {

bool ShowsChoice(ControlKind kind) {
  return kind == ControlKind::kCheck || kind == ControlKind::kRadioGroup ||
         kind == ControlKind::kDropChoice;
}

// The choice a check, radio group or drop choice shows: the one whose value
// the variable holds, else the one whose text the control shows; -1 for none.
int ChoiceShown(const ControlSpec& control, const std::string& shown) {
  const std::vector<Choice>& choices = control.choices;
  if (control.value.bound()) {
    const std::string stored = control.value.Text();
    for (std::size_t i = 0; i < choices.size(); ++i) {
      if (EqualClipped(choices[i].value, stored)) return static_cast<int>(i);
    }
  }
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (EqualClipped(choices[i].text, shown)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

// ---------------------------------------------------------------------------
// QtWindow: the procedure's side.

QtWindow::QtWindow(const WindowSpec& spec, QtWindowSystem& system)
    : QueuedWindow(spec), system_(system), link_(std::make_shared<WindowLink>()) {
  link_->window = this;
}

QtWindow::~QtWindow() { Close(); }

void QtWindow::Select(int control) {
  focus_request_ = control;
  QueuedWindow::Select(control);
}

void QtWindow::Refuse(int control, std::string_view why) {
  QueuedWindow::Refuse(control, why);
  if (closed()) return;
  ToWidgets([control, why = State(control).refusal](WindowController& widgets) { widgets.ShowRefusal(control, why); });
}

WindowSnapshot QtWindow::WindowNow() const {
  WindowSnapshot snapshot;
  snapshot.title = title();
  for (int part = 1; part <= spec().status_parts; ++part) snapshot.status.push_back(status(part));
  snapshot.timer = timer();
  snapshot.tools = tool_buttons();
  snapshot.hidden = hidden();
  return snapshot;
}

ControlSnapshot QtWindow::ControlNow(int control) const {
  ControlSnapshot snapshot;
  snapshot.control = control;
  snapshot.state = State(control);
  if (control >= 1 && control <= static_cast<int>(spec().controls.size())) {
    const ControlSpec& spec_of = spec().controls[static_cast<std::size_t>(control - 1)];
    if (ShowsChoice(spec_of.kind)) snapshot.choice = ChoiceShown(spec_of, snapshot.state.text);
  }
  return snapshot;
}

void QtWindow::Render(int control) {
  if (closed()) return;
  if (control == 0) {
    ToWidgets([snapshot = WindowNow()](WindowController& widgets) { widgets.ApplyWindow(snapshot); });
    return;
  }
  ControlSnapshot snapshot = ControlNow(control);
  if (focus_request_ == control) {
    snapshot.focus = true;
    focus_request_ = 0;
  }
  ToWidgets([snapshot](WindowController& widgets) { widgets.ApplyControl(snapshot); });
}

std::optional<WindowPosition> QtWindow::Position() const {
  std::lock_guard lock(link_->mutex);
  return link_->position;
}

void QtWindow::Place(const WindowPosition& position) {
  if (closed()) return;
  ToWidgets([position](WindowController& widgets) { widgets.Place(position); });
}

int QtWindow::PopupMenu(std::string_view title, const std::vector<PopupItem>& items) {
  if (closed()) return 0;
  int chosen = 0;
  RunOnGui([&] {
    QMenu menu;
    menu.setTitle(ToQt(title));
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].text.empty()) {
        menu.addSeparator();
        continue;
      }
      QAction* action = menu.addAction(ToQt(items[i].text));
      action->setEnabled(items[i].enabled);
      action->setData(static_cast<int>(i) + 1);
    }
    if (QAction* picked = menu.exec(QCursor::pos())) chosen = picked->data().toInt();
  });
  return chosen;
}

void QtWindow::ToWidgets(std::function<void(WindowController&)> apply) {
  std::lock_guard lock(link_->mutex);
  WindowController* controller = link_->controller;
  if (controller == nullptr) return;
  // Queued to the controller itself: when its widgets go first, Qt drops the
  // call.
  QMetaObject::invokeMethod(
      controller, [controller, apply = std::move(apply)] { apply(*controller); }, Qt::QueuedConnection);
}

void QtWindow::Closed() {
  system_.Forget(this);
  std::lock_guard lock(link_->mutex);
  link_->window = nullptr;
  if (WindowController* controller = link_->controller) {
    QMetaObject::invokeMethod(controller, [controller] { controller->Dispose(); }, Qt::QueuedConnection);
  }
}

// ---------------------------------------------------------------------------
// QtWindowSystem

QtWindowSystem::QtWindowSystem() = default;

QtWindowSystem::~QtWindowSystem() {
  // Widgets of windows whose removal was still queued when the GUI loop
  // ended, and the frame with whatever is still inside it.
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  for (QPointer<QWidget>& widget : top_levels_) delete widget.data();
}

std::unique_ptr<Window> QtWindowSystem::Open(const WindowSpec& spec, Window* owner) {
  auto window = std::make_unique<QtWindow>(spec, *this);
  const WindowSnapshot shown = window->WindowNow();
  std::vector<ControlSnapshot> controls;
  for (std::size_t i = 1; i <= spec.controls.size(); ++i) controls.push_back(window->ControlNow(static_cast<int>(i)));
  std::shared_ptr<WindowLink> owner_link;
  if (auto* owner_window = dynamic_cast<QtWindow*>(owner)) owner_link = owner_window->link();
  const std::shared_ptr<WindowLink> link = window->link();
  const WindowSpec& declared = window->spec();

  RunOnGui([&] {
    auto* controller = new WindowController(*this, declared, link, owner_link);
    controller->ApplyWindow(shown);
    for (const ControlSnapshot& control : controls) controller->ApplyControl(control);
    controller->Show();
    top_levels_.erase(std::remove(top_levels_.begin(), top_levels_.end(), nullptr), top_levels_.end());
    if (controller->container()->isWindow()) top_levels_.emplace_back(controller->container());
    if (declared.frame) frame_ = controller;
  });

  std::lock_guard lock(mutex_);
  open_.push_back(window.get());
  if (declared.frame) closing_down_ = false;  // a new frame starts the program anew
  if (closing_down_) window->Post({EventKind::kCloseDown, 0, 0, {}});
  return window;
}

void QtWindowSystem::CloseDown() {
  std::lock_guard lock(mutex_);
  closing_down_ = true;
  for (QtWindow* window : open_) window->Post({EventKind::kCloseDown, 0, 0, {}});
}

bool QtWindowSystem::WithNewestNonFrame(const std::function<void(QueuedWindow&)>& with) {
  // A window leaves open_ (under this lock) before it is destroyed.
  std::lock_guard lock(mutex_);
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if ((*it)->spec().frame) continue;
    with(**it);
    return true;
  }
  return false;
}

void QtWindowSystem::TakeTypedText() {
  RunOnGui([] {
    for (QWidget* focus = QApplication::focusWidget(), *widget = focus; widget != nullptr; widget = widget->parentWidget()) {
      if (WindowController* controller = WindowController::Of(widget)) {
        controller->TakeTypedText(focus);
        return;
      }
    }
  });
}

void QtWindowSystem::Forget(QtWindow* window) {
  std::lock_guard lock(mutex_);
  open_.erase(std::remove(open_.begin(), open_.end(), window), open_.end());
}

QMainWindow* QtWindowSystem::frame() const { return frame_ != nullptr ? frame_->main_window() : nullptr; }

QMdiArea* QtWindowSystem::area() const { return frame_ != nullptr ? frame_->area() : nullptr; }

WindowController* QtWindowSystem::frame_controller() const { return frame_; }

WindowController* QtWindowSystem::active_controller() const {
  QWidget* window = nullptr;
  if (QMdiArea* mdi = area()) {
    window = mdi->activeSubWindow();
  } else {
    window = QApplication::activeWindow();
  }
  WindowController* controller = WindowController::Of(window);
  return controller != frame_ ? controller : nullptr;
}

QPrinter& QtWindowSystem::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>();
  return *printer_;
}

}  // namespace vornel::platform::qt
