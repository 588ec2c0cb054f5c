#pragma once
// Windows without a screen, driven by tests and scripts: what a procedure
// shows is kept per control, and a driver types, presses, chooses menu items
// and closes as a user would. The procedure runs on its own thread; the
// driver waits until it is idle (waiting for an event with none queued)
// before it looks. A driver may keep a window after it closed.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window/queued_window.h"

namespace vornel::platform {

class HeadlessWindowSystem;

class HeadlessWindow : public QueuedWindow {
 public:
  HeadlessWindow(const WindowSpec& spec, HeadlessWindowSystem& system);
  ~HeadlessWindow() override;

  // The driver's side, naming controls as procedures do ("?OK").
  using QueuedWindow::Press;
  using QueuedWindow::State;
  using QueuedWindow::Type;
  bool Type(std::string_view control, std::string_view text);
  bool Press(std::string_view control);
  // Picks the choice shown as `choice_text` (any letter case).
  bool Choose(std::string_view control, std::string_view choice_text);
  // Chooses the menu item at the end of `path` ("&File", "E&xit"); the
  // access-key marks may be left out. False when there is none or it has
  // no command.
  bool Menu(const std::vector<std::string>& path);
  // Presses the tool button with that text; a standard button acts on the
  // active window, when that window enables it.
  bool Tool(std::string_view text);
  ControlState State(std::string_view control) const;
  // A tick of the window's timer, as the platform posts it: only while the
  // procedure keeps a timer running. False when none runs.
  bool TimerTick();
  // The user brings the window to the front (and into `control`, when not
  // 0): the window that was in front loses the focus, this one gains it.
  bool Activate(int control = 0);

  // A popup menu answers the item queued on the window system (0 when none).
  int PopupMenu(std::string_view title, const std::vector<PopupItem>& items) override;

 protected:
  void Idle() override;
  void Closed() override;

 private:
  HeadlessWindowSystem& system_;
};

class HeadlessWindowSystem : public WindowSystem {
 public:
  std::unique_ptr<Window> Open(const WindowSpec& spec, Window* owner) override;
  void CloseDown() override;

  // The open window with that title (the newest when several), waiting up to
  // the timeout until `count` windows of that title are open; nullptr when
  // they did not open.
  std::shared_ptr<HeadlessWindow> WaitForWindow(
      std::string_view title, std::chrono::milliseconds timeout = std::chrono::seconds(10), int count = 1);
  std::shared_ptr<HeadlessWindow> Frame() const;  // the open frame, if any
  bool frame_opened() const;                       // whether a frame has opened yet
  int opened_count() const;                        // windows opened so far
  // The item the next popup menu answers (from 1; 0 closes it unchosen), and
  // the items of the last popup shown.
  void AnswerPopup(int item);
  std::vector<PopupItem> last_popup() const;
  // The window the user works in: the newest open window other than the frame.
  std::shared_ptr<HeadlessWindow> Active() const;
  std::vector<std::string> OpenTitles() const;
  // Whether a window's timer ticks by itself, as on a screen, whenever its
  // procedure waits with nothing queued (reports run through to their end);
  // off, a driver posts each tick.
  void RunTimers(bool on) { timers_run_ = on; }
  bool timers_run() const { return timers_run_; }

 private:
  friend class HeadlessWindow;
  void Closed(HeadlessWindow* window);
  bool WithNewestNonFrame(const std::function<void(QueuedWindow&)>& with) override;
  // Puts the window in front; answers the one that was (nullptr when it
  // was this one, the frame, or none).
  std::shared_ptr<HeadlessWindow> BringToFront(HeadlessWindow* window);
  void Changed();
  std::shared_ptr<HeadlessWindow> FrontLocked() const;  // Active(), the lock held
  int Popup(const std::vector<PopupItem>& items);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::shared_ptr<HeadlessWindow>> open_;
  bool closing_down_ = false;  // windows opened from now on close down at once
  bool frame_opened_ = false;
  int opened_ = 0;
  std::deque<int> popup_answers_;
  std::vector<PopupItem> last_popup_;
  std::atomic<bool> timers_run_ = false;
};

}  // namespace vornel::platform
