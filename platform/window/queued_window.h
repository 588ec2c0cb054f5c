#pragma once
// The part of a window that every backend shares: the event queue the
// procedure waits on, what each control shows, and the input side that a
// screen (or a test driver) uses to type, choose, press and close. A backend
// adds only how the window looks: Render is called after every change the
// procedure makes, without the lock held, and input arrives from any thread.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window/window.h"

namespace vornel::platform {

class QueuedWindow : public Window {
 public:
  struct ControlState {
    std::string text;
    bool enabled = true;
    bool hidden = false;
    // Lists only.
    std::vector<std::vector<std::string>> rows;
    std::vector<std::int32_t> row_colours;  // BGR backgrounds; Window::kDefaultColour keeps the list's
    int current_row = 0;
    int thumb = 0;
    bool thumb_shown = false;
    int visible_rows = kDefaultVisibleRows;
    PageViewState pages;  // page views only
    std::string refusal;  // why the text typed last was refused; "" when it was taken
  };
  static constexpr int kDefaultVisibleRows = 10;

  explicit QueuedWindow(const WindowSpec& spec);
  ~QueuedWindow() override;

  // The procedure's side.
  const WindowSpec& spec() const override { return spec_; }
  Event WaitEvent() override;
  void Post(Event event) override;
  void Display(int control = 0) override;
  void Select(int control) override;
  int Focused() const override { return selected(); }
  void Refuse(int control, std::string_view why) override;
  void SetEnabled(int control, bool enabled) override;
  void SetHidden(int control, bool hidden) override;
  void SetText(int control, std::string_view text) override;
  void SetTitle(std::string_view title) override;
  std::string Title() const override { return title(); }
  void SetStatus(int part, std::string_view text) override;
  void SetTimer(int hundredths) override;
  std::optional<WindowPosition> Position() const override { return std::nullopt; }
  void Place(const WindowPosition&) override {}
  void SetRows(int control, std::vector<std::vector<std::string>> rows) override;
  void SetCurrentRow(int control, int row) override;
  void SetRowColours(int control, std::vector<std::int32_t> colours) override;
  void SetThumb(int control, int position, bool shown) override;
  void SetPages(int control, PageViewState pages) override;
  int VisibleRows(int control) const override;
  void SetToolButtons(std::vector<ToolState> states) override;
  void AcceptAll() override;
  void Close() override;

  // The input side. Each answers false when the control does not exist or
  // cannot take the action (disabled, hidden, read-only, not of that kind).
  bool Type(int control, std::string_view text);  // types and accepts
  bool Press(int control);
  bool ChooseValue(int control, std::string_view value);  // a check, radio or drop choice
  // A menu item's or tool button's command.
  void Command(int command);
  // Lists: the user moved to a row (from 1), scrolled, dragged the thumb
  // (0 to 100) or pressed a key; the screen's list shows that many rows.
  bool ChooseRow(int control, int row);
  bool Scroll(int control, ScrollKind kind);
  bool DragThumb(int control, int position);
  bool Key(int control, int key);
  // A tab's page was brought to the front: kNewSelection of its kTab control.
  bool ShowTab(int control);
  void SetVisibleRows(int control, int rows);
  // The user moved the focus to the control (a click, the Tab key).
  void Focus(int control);
  void RequestClose();

  // Waits until the procedure waits for an event with none queued, or the
  // window closed; false after the timeout.
  bool WaitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  ControlState State(int control) const;
  std::string title() const;
  std::string status(int part) const;
  int timer() const;
  bool hidden() const;  // the whole window
  std::vector<ToolState> tool_buttons() const;
  bool ToolEnabled(int command) const;
  int selected() const;
  bool closed() const;
  // The procedure waits for an event and none is queued.
  bool WaitsForUser() const;
  // Tells this window from every other one opened in this run, even one at
  // the same address later.
  std::uint64_t serial() const { return serial_; }

 protected:
  // A control (0: the window's title, status or timer) changed.
  virtual void Render(int control) { (void)control; }
  virtual void Idle() {}    // the procedure waits with no event queued
  virtual void Closed() {}  // once, when the procedure closes the window

 private:
  ControlState& StateOf(int control);  // with mutex_ held
  bool Usable(int control) const;      // with mutex_ held
  bool WaitsForUserLocked() const;     // with mutex_ held
  void PostLocked(Event event);

  WindowSpec spec_;
  const std::uint64_t serial_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Event> queue_;
  std::deque<Event> validate_all_;  // the accepts of validate-all mode, then kCompleted
  std::vector<ControlState> controls_;
  std::map<int, std::string> status_;
  std::vector<ToolState> tools_;
  std::string title_;
  int timer_ = 0;
  bool hidden_ = false;
  int selected_ = 0;
  bool waiting_ = false;
  bool closing_ = false;
  bool closed_ = false;
};

}  // namespace vornel::platform
