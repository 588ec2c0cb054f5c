#pragma once
// Windows without a screen, driven by tests and scripts: what a procedure
// shows is kept per control, and a driver types, presses and closes as a
// user would. The procedure runs on its own thread; the driver waits until
// it is idle (waiting for an event with none queued) before it looks. A
// driver's pointer to a window is valid while the window is open.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window/window.h"

namespace vornel::platform {

class HeadlessWindowSystem;

class HeadlessWindow : public Window {
 public:
  struct ControlState {
    std::string text;
    bool enabled = true;
    bool hidden = false;
  };

  HeadlessWindow(const WindowSpec& spec, HeadlessWindowSystem& system);
  ~HeadlessWindow() override;

  // The procedure's side.
  const WindowSpec& spec() const override { return spec_; }
  Event WaitEvent() override;
  void Post(Event event) override;
  void Display(int control = 0) override;
  void Select(int control) override;
  void SetEnabled(int control, bool enabled) override;
  void SetHidden(int control, bool hidden) override;
  void SetText(int control, std::string_view text) override;
  void SetTitle(std::string_view title) override;
  void AcceptAll() override;
  void Close() override;

  // The driver's side. Each returns false when the control does not exist
  // or cannot take the action (disabled, hidden, not of that kind).
  bool Type(std::string_view control, std::string_view text);  // types and accepts
  bool Press(std::string_view control);
  bool Choose(std::string_view control, std::string_view choice_text);
  void RequestClose();
  // Waits until the procedure waits for an event with none queued, or the
  // window closed; false after the timeout.
  bool WaitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  ControlState State(std::string_view control) const;
  std::string title() const;
  int selected() const;
  bool closed() const;

 private:
  ControlState& StateOf(int control);  // with mutex_ held
  void PostLocked(Event event);

  WindowSpec spec_;
  HeadlessWindowSystem& system_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Event> queue_;
  std::deque<Event> validate_all_;  // the accepts of validate-all mode, then kCompleted
  std::vector<ControlState> controls_;
  std::string title_;
  int selected_ = 0;
  bool waiting_ = false;
  bool closed_ = false;
};

class HeadlessWindowSystem : public WindowSystem {
 public:
  std::unique_ptr<Window> Open(const WindowSpec& spec, Window* owner) override;

  // The open window with that title (the newest when several), waiting up to
  // the timeout for it to open; nullptr when none did.
  HeadlessWindow* WaitForWindow(std::string_view title,
                                std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::vector<std::string> OpenTitles() const;

 private:
  friend class HeadlessWindow;
  void Closed(HeadlessWindow* window);
  void Changed();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<HeadlessWindow*> open_;
};

}  // namespace vornel::platform
