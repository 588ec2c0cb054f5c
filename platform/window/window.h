#pragma once
// An open window as its procedure sees it: events to wait for, and calls that
// change what the window shows. Controls are numbered from 1 in the order of
// the window's declaration; 0 means the window itself.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/window_spec.h"

namespace vornel::platform {

class QueuedWindow;

enum class EventKind {
  kAccepted,      // a control's entry was accepted, or a button pressed
  kSelected,      // a control got the focus
  kNewSelection,  // a list or drop choice moved to another row
  kAlertKey,      // a registered key was pressed
  kRejected,      // typed text the control's picture does not read
  kTimer,
  kCloseWindow,
  kCloseDown,
  kOpenWindow,
  kLoseFocus,
  kGainFocus,
  kNotify,
  kCompleted,  // every control accepted (validate-all mode), or posted
  kScroll,     // a list scrolled: key = a ScrollKind
  kThumb,      // a list's thumb dragged: key = its position, 0 to 100
  kResized,    // the window's size changed so that a list shows another number of rows
};

enum ScrollKind : int { kLineUp = 1, kLineDown, kPageUp, kPageDown, kTop, kBottom };

// Key codes a list takes as alert keys (kAlertKey: key = the code).
enum ListKey : int {
  kKeyDoubleClick = 5,
  kKeyApplication = 93,  // the context-menu key
  kKeyRightButtonUp = 130,
  kKeyInsert = 45,
  kKeyDelete = 46,
  kKeyShiftEnter = 269,
  kKeyCtrlEnter = 525,
  kKeyBackspace = 8,
  kKeyDitto = 734,  // Ctrl + the quote key, in a form's entry: the history key
  kKeyHelp = 112,   // F1, in any window: its help
  kKeyF2 = 113,     // F2 to F12 follow: a button's function key (ControlSpec::key)
  kKeyF12 = 123,
  // A printable character typed in a list arrives as kKeyCharacter + its code
  // (a locator takes it), so it never meets the codes above.
  kKeyCharacter = 0x10000,
};

// What a page view shows: the pages in view (their files, in order) drawn
// `across` by `down` at `zoom` (percent of their real size; kPageWidth fits a
// page to the view's width; kTilePages fits the whole grid in the view).
// Only these pages are read and drawn: a report of any length opens at once.
struct PageViewState {
  static constexpr int kPageWidth = -1;
  static constexpr int kTilePages = -2;
  std::vector<std::string> files;
  std::vector<int> numbers;  // their page numbers
  int page_count = 0;        // the report's, for "Page N of M"
  int current = 0;           // the page number highlighted in a grid (0: none)
  int zoom = kPageWidth;
  int across = 1;
  int down = 1;
  bool operator==(const PageViewState&) const = default;
};

struct Event {
  EventKind kind = EventKind::kOpenWindow;
  int control = 0;  // 0 for window events
  int key = 0;      // kAlertKey: the key code; kNewSelection of a list: the row (from 1)
  std::string text; // kAccepted of an entry: the typed text; kRejected: why
};

// Where a window is on the screen; unknown values stay empty.
struct WindowPosition {
  bool maximized = false;
  bool minimized = false;
  std::optional<long> x, y, width, height;
};

class Window {
 public:
  virtual ~Window() = default;
  virtual const WindowSpec& spec() const = 0;
  // The number of the control of that name (any letter case), 0 when none.
  int Control(std::string_view name) const;

  // Waits for the next event. An accepted entry's text has already been read
  // through its picture into its variable when the event arrives; text the
  // picture refuses arrives as kRejected with the reason.
  virtual Event WaitEvent() = 0;
  virtual void Post(Event event) = 0;
  // Shows the current values of the bound variables (0 = every control).
  virtual void Display(int control = 0) = 0;
  virtual void Select(int control) = 0;
  // The control with the keyboard focus: the one the procedure selected
  // last or the user moved to since (0: none).
  virtual int Focused() const = 0;
  // Typed text the control's picture refused: the control keeps it and the
  // focus, and the user is told why (a beep and the reason).
  virtual void Refuse(int control, std::string_view why) = 0;
  virtual void SetEnabled(int control, bool enabled) = 0;
  // Control 0 hides the whole window (it keeps running; the user cannot
  // reach it until it is shown again).
  virtual void SetHidden(int control, bool hidden) = 0;
  virtual void SetText(int control, std::string_view text) = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual std::string Title() const = 0;  // as shown now
  // A frame's status bar part (from 1).
  virtual void SetStatus(int part, std::string_view text) = 0;
  // kTimer every that many hundredths of a second; 0 stops the timer.
  virtual void SetTimer(int hundredths) = 0;
  // Where the window is now; nothing when the backend has no screen.
  virtual std::optional<WindowPosition> Position() const = 0;
  virtual void Place(const WindowPosition& position) = 0;
  // Lists. Rows hold one text per column, as shown; the list shows at most
  // VisibleRows of them at a time and never holds more. The thumb is the
  // list's scroll position from 0 to 100, not a count of rows.
  virtual void SetRows(int control, std::vector<std::vector<std::string>> rows) = 0;
  virtual void SetCurrentRow(int control, int row) = 0;  // from 1; 0 = none
  // The background of each row of the page, as a BGR value (0x00BBGGRR);
  // kDefaultColour, or a row past the end, keeps the list's own colour.
  static constexpr std::int32_t kDefaultColour = -1;
  virtual void SetRowColours(int control, std::vector<std::int32_t> colours) = 0;
  virtual void SetThumb(int control, int position, bool shown) = 0;
  virtual void SetPages(int control, PageViewState pages) = 0;
  virtual int VisibleRows(int control) const = 0;
  // Shows a popup menu at the mouse (or at the control with the focus) and
  // waits for the user; answers the chosen item (from 1), 0 when none.
  virtual int PopupMenu(std::string_view title, const std::vector<PopupItem>& items) = 0;
  // The frame's standard tool buttons while this window is active: a
  // command not listed is disabled.
  virtual void SetToolButtons(std::vector<ToolState> states) = 0;
  // Validate-all mode: every entry control is accepted in turn; a control
  // that refuses selects itself, which ends the mode; when all have been
  // accepted a kCompleted event follows.
  virtual void AcceptAll() = 0;
  virtual void Close() = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // Opens a window for the calling procedure thread; `owner` (may be null)
  // is the window it belongs to. The window posts kOpenWindow first.
  virtual std::unique_ptr<Window> Open(const WindowSpec& spec, Window* owner) = 0;
  // Posts kCloseDown to every open window and to every window opened from
  // now on, until a frame opens again: the frame has closed and the program
  // ends once every procedure has.
  virtual void CloseDown() = 0;
  // Asks every open window but the frame, the newest first, to close as the
  // frame's close does: the text still being typed in an entry is taken,
  // then the window gets kCloseDown, and its procedure may ask about its
  // changes. False as soon as one stays open and waits for the user again
  // (the user answered Cancel); true when only the frame is left.
  bool AskAllToClose();

 protected:
  // Runs `with` on the newest open window that is not a frame, under the
  // lock that keeps it open; false when there is none.
  virtual bool WithNewestNonFrame(const std::function<void(QueuedWindow&)>& with) = 0;
  // The entry with the focus takes its typed text, as leaving it would.
  virtual void TakeTypedText() {}
};

}  // namespace vornel::platform
