#pragma once
// Windows on the screen. A QtWindow is the procedure's side of an open
// window (its event queue and control state, on the procedure thread); its
// widgets live on the GUI thread under a WindowController. The two meet only
// through a shared WindowLink, so neither side ever touches the other after
// it has gone: the procedure's window may be destroyed while widget signals
// are still queued, and the widgets may be deleted (with the frame) while the
// procedure still holds its window.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/window/queued_window.h"

class QMainWindow;
class QMdiArea;
class QPrinter;

namespace vornel::platform::qt {

class QtWindow;
class QtWindowSystem;
class WindowController;

// What a control shows, read on the procedure thread for the GUI thread.
struct ControlSnapshot {
  int control = 0;
  QueuedWindow::ControlState state;
  int choice = -1;     // the choice a check, radio group or drop choice shows
  bool focus = false;  // the procedure selected it
};

// The window's own part: title, status bar parts, timer, and the states of
// the frame's standard tool buttons while it is the active window.
struct WindowSnapshot {
  std::string title;
  std::vector<std::string> status;  // part 1 first
  int timer = 0;                    // hundredths of a second, 0 = none
  std::vector<ToolState> tools;
  bool hidden = false;
};

struct WindowLink {
  std::mutex mutex;
  QtWindow* window = nullptr;              // nulled when the procedure closes it
  WindowController* controller = nullptr;  // nulled when the widgets go
  std::optional<WindowPosition> position;  // kept current by the GUI thread

  // Runs `action` on the procedure's window if it is still open.
  template <typename Action>
  void WithWindow(Action&& action) {
    std::lock_guard lock(mutex);
    if (window != nullptr) action(*window);
  }
};

class QtWindow : public QueuedWindow {
 public:
  QtWindow(const WindowSpec& spec, QtWindowSystem& system);
  ~QtWindow() override;

  void Select(int control) override;
  void Refuse(int control, std::string_view why) override;
  std::optional<WindowPosition> Position() const override;
  void Place(const WindowPosition& position) override;
  int PopupMenu(std::string_view title, const std::vector<PopupItem>& items) override;

  const std::shared_ptr<WindowLink>& link() const { return link_; }
  // Everything the window shows now (procedure thread).
  WindowSnapshot WindowNow() const;
  ControlSnapshot ControlNow(int control) const;

 protected:
  void Render(int control) override;
  void Closed() override;

 private:
  // Queues `apply` to the window's widgets; dropped when they are gone.
  void ToWidgets(std::function<void(WindowController&)> apply);

  QtWindowSystem& system_;
  std::shared_ptr<WindowLink> link_;
  int focus_request_ = 0;  // procedure thread only
};

class QtWindowSystem : public WindowSystem {
 public:
  QtWindowSystem();
  ~QtWindowSystem() override;

  std::unique_ptr<Window> Open(const WindowSpec& spec, Window* owner) override;
  void CloseDown() override;

  // GUI thread only.
  QMainWindow* frame() const;
  QMdiArea* area() const;
  WindowController* frame_controller() const;
  // The window the user works in: the frame's active sub-window, or without
  // a frame the active top-level window; none when it is the frame or closed.
  WindowController* active_controller() const;
  QPrinter& printer();  // kept for the whole run, so a page setup lasts
  // While Tile or Cascade moves the windows: the places they get are not
  // their own and are not saved.
  bool arranging = false;

 private:
  friend class QtWindow;
  void Forget(QtWindow* window);
  bool WithNewestNonFrame(const std::function<void(QueuedWindow&)>& with) override;
  void TakeTypedText() override;

  std::mutex mutex_;
  std::vector<QtWindow*> open_;  // for CloseDown
  bool closing_down_ = false;     // windows opened from now on close down at once

  // GUI thread only.
  QPointer<WindowController> frame_;
  std::unique_ptr<QPrinter> printer_;
  std::vector<QPointer<QWidget>> top_levels_;  // what is left of them goes with the system
};

}  // namespace vornel::platform::qt
