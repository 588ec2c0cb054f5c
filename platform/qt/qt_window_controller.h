#pragma once
// The GUI side of one open window: builds its widgets from the declaration,
// applies what the procedure shows, and turns what the user does into input
// on the procedure's window (through the shared link). Lives on the GUI
// thread as a child of the window's outermost widget, so it goes with it.
#include <QObject>
#include <QRect>
#include <QPointer>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_window.h"

class QAction;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QRadioButton;
class QTabWidget;
class QTimer;
class QToolBar;
class QVBoxLayout;
class QWidget;

namespace vornel::platform::qt {

class WindowController : public QObject {
 public:
  // Builds the widgets (not shown yet). `owner_link` (may be null) is the
  // window this one belongs to; it is disabled while this one is open when
  // given.
  WindowController(QtWindowSystem& system, const WindowSpec& spec, std::shared_ptr<WindowLink> link,
                   const std::shared_ptr<WindowLink>& owner_link);
  ~WindowController() override;
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  void Show();
  void ApplyWindow(const WindowSnapshot& snapshot);
  void ApplyControl(const ControlSnapshot& snapshot);
  // Typed text the control refused: a beep, and the reason at the field.
  void ShowRefusal(int control, const std::string& why);
  void Place(const WindowPosition& position);
  // The procedure closed the window: its widgets go.
  void Dispose();
  // When `focus` is one of this window's entries, its text is accepted as
  // leaving it would (before the window is asked to close).
  void TakeTypedText(QWidget* focus);

  // The frame's standard tool buttons show the active window's tool states
  // (GUI thread; nothing for a window other than the frame).
  void ApplyStandardTools();
  // The open window whose outermost widget that is; none for null, for other
  // widgets and for a window the procedure has closed.
  static WindowController* Of(QObject* container);

  QWidget* container() const { return container_; }
  QMainWindow* main_window() const { return main_window_; }
  QMdiArea* area() const { return area_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Gives the entry's text to the procedure's window: always after Return,
  // otherwise only when it differs from what the window holds.
  void AcceptEntry(int control, const QString& text, bool even_unchanged);
  void ConnectLineEdit(int control, QLineEdit* edit);
  void WatchEntry(int control, QWidget* field);
  QWidget* NewEntry(int control, const ControlSpec& spec);

  struct Page {
    QWidget* widget = nullptr;
    QVBoxLayout* box = nullptr;        // holds the columns (the tabs), a stretch and the buttons
    QHBoxLayout* columns = nullptr;    // the page's forms side by side
    QVBoxLayout* below = nullptr;      // lists of a few rows, under the forms across the page
    QFormLayout* form = nullptr;       // the form new rows go into
    QHBoxLayout* row = nullptr;        // the row last started: a control beside joins it
    int rows_before_next_column = -1;  // -1: one column
    QHBoxLayout* buttons = nullptr;
    int index = -1;
  };
  struct ControlWidgets {
    QPointer<QWidget> field;
    QPointer<QLabel> prompt;
    std::vector<QPointer<QRadioButton>> radios;
    int tab_index = -1;  // a kTab's page, or the page the control lies on
  };

  // A tool button whose command goes to the active window.
  struct StandardTool {
    QPointer<QAction> action;
    int command = 0;
    QString text;  // its tip when the active window gives none
  };

  void BuildFrame(const WindowSpec& spec);
  void AddTool(const ToolButton& button);
  // Posts a standard button's command to the active window when it enables it.
  void RunStandardTool(int command);
  // Tells the frame's standard buttons that this window's tool states or
  // its being the active window may have changed.
  void ToolsChanged();
  void AddMenu(QMenu* menu, QMenuBar* bar, const MenuItem& item);
  void RunStandardAction(StandardAction action);
  QWidget* BuildContent(const WindowSpec& spec);
  Page& PageNamed(const std::string& title);
  // The page's forms and buttons under its box.
  void BuildPage(Page& page, QVBoxLayout* box);
  // Puts the prompt (may be null) and field on a new row of the page, or on
  // the row before when `beside`.
  void PlaceInRow(Page& page, QLabel* prompt, QWidget* field, bool beside);
  // A row that takes the page's whole width (a list).
  void PlaceWide(Page& page, QWidget* field);
  QFormLayout* FormForNewRow(Page& page);
  // A list on the page takes the height the window gains.
  void GrowWithList(const Page& page);
  // A sub-window never shows less than its content: once the changes of
  // this turn of the event loop are laid out, it grows to its size hint
  // (kept inside the frame's area where it fits).
  void FitLater();
  // A window whose focus nothing claimed yet starts in its first list.
  void FocusFirstList();
  // The place moved and shrunk until the window fits its room (the frame's
  // area, or the screen for a window of its own) with its title bar inside.
  QRect Reachable(QRect place) const;
  // Presses the enabled, visible button of that name, as a click would.
  bool PressNamed(const std::string& name);
  void FitContent();
  void AddControl(int control, const ControlSpec& spec, Page& target);
  void Post(EventKind kind, int control = 0);
  void UpdatePosition();
  // Disables (delta 1) or enables again (-1) what the user reaches this
  // window with; nested owners count.
  void BlockInput(int delta);
  void ReleaseOwner();

  QtWindowSystem& system_;
  WindowSpec spec_;  // its values are never read here: they belong to the procedure
  std::shared_ptr<WindowLink> link_;
  QPointer<WindowController> owner_;
  bool blocks_owner_ = false;
  bool disposed_ = false;
  bool shown_ = false;  // Show has run: the window's visibility follows the procedure from then on
  bool fit_pending_ = false;
  // The window grows to its full size hint until the user sizes it (or the
  // frame arranges it, or it comes back at a saved size); after that only as
  // far as its content needs.
  bool fit_to_hint_ = true;
  bool own_geometry_change_ = false;  // a move or resize the program makes itself

  QPointer<QWidget> container_;  // the sub-window, the top-level widget or the frame
  QWidget* content_ = nullptr;    // the controls' widget (none for the frame)
  QMdiSubWindow* sub_window_ = nullptr;
  QMainWindow* main_window_ = nullptr;
  QMdiArea* area_ = nullptr;
  QPointer<QMenuBar> menu_bar_;
  QPointer<QToolBar> toolbar_;
  std::vector<QLabel*> status_parts_;
  QTimer* timer_ = nullptr;
  std::vector<StandardTool> standard_tools_;  // the frame's
  std::vector<ToolState> tool_states_;        // this window's, as last shown

  QTabWidget* tabs_ = nullptr;
  Page main_page_;
  std::deque<std::pair<std::string, Page>> pages_;  // references stay valid as it grows
  std::vector<ControlWidgets> controls_;
  std::map<int, bool> return_pressed_;
  std::map<QObject*, int> entry_controls_;  // an entry's widget and its control  // an entry's Return awaits its editingFinished
};

}  // namespace vornel::platform::qt
