#pragma once
// The browse manager: a scrolling list of a view's records that holds one
// page (LASTITEMS rows, never more), fills it from the view in either
// direction, scrolls by line, page, to either end and by the thumb, keeps
// the current sort order with its locator and step, starts the list's record
// form for insert, change, delete and view, refreshes itself when the form
// returns, and hands the highlighted record back when the list was called to
// select one. It is a component of its window: the window manager offers it
// every event.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/view_manager.h"
#include "platform/picture.h"
#include "ui/procedure_thread.h"
#include "ui/step_position.h"
#include "ui/toolbar.h"
#include "ui/window_component.h"
#include "ui/window_manager.h"

namespace vornel::ui {

class BrowseManager;

// Turns what the user types in or beside a list into a value of the sort
// order's free key element.
class Locator {
 public:
  virtual ~Locator() = default;
  void Attach(BrowseManager& browse) { browse_ = &browse; }
  // A key typed in the list; true when the list moved.
  virtual bool OnKey(int key) = 0;
  // A control of the window was accepted; true when it was this locator's.
  virtual bool OnAccepted(int control) { (void)control; return false; }
  virtual void Reset() {}
  virtual void RefreshWindow() {}

 protected:
  BrowseManager* browse_ = nullptr;
};

class BrowseManager : public data::ViewManager, public WindowComponent, public ToolbarTarget {
 public:
  struct Row {
    std::vector<std::string> cells;
    std::string position;      // the record's position in the primary file
    data::RecordPosition at = 0;  // and its place in the file's orders
    std::vector<char> record;  // the primary record as read
    std::int32_t colour = platform::Window::kDefaultColour;  // its background
  };
  enum Direction { kBackwards = 1, kForwards = 2 };
  enum RefillMode { kKeepPosition = 1, kFromBuffer = 2 };

  BrowseManager(WindowManager& window, ThreadState& thread);
  ~BrowseManager() override;

  // Set-up, by the list procedure's Init (after its window is open).
  // `variables`: names the filters may use besides the view's fields.
  data::ViewResult Init(int list_control, const data::ViewDef& view, data::RelationManager& primary,
                        const platform::NameScope* variables = nullptr);
  // A sort order read by `key`, with its step for the thumb (may be null)
  // and its locator (may be null); answers its number.
  int AddSortOrder(const data::KeyDef* key, std::unique_ptr<StepPosition> step = nullptr,
                   std::unique_ptr<Locator> locator = nullptr);
  // A column showing `field` (of any file of the view) through `picture`.
  void AddField(const data::FieldDef& field, std::string picture);
  // A column worked out from the records of the row (a name put together).
  void AddComputed(std::function<std::string()> cell);
  // The background of a row, from the records of the row (BGR; unset or
  // Window::kDefaultColour: the list's own).
  std::function<std::int32_t()> row_colour;
  // Opens the record form for a request on the caller's thread; answers
  // the response.
  std::function<int(int request)> update_form;
  // Asked with the highlighted record in the buffer before its form opens
  // for change or delete: false refuses the request (the rule has said why).
  std::function<bool(int request)> may_request;
  // The sort order (from 1) a refresh makes current, when the list chooses
  // it (by the tab shown, say); unset, the current one stays.
  std::function<int()> sort_order_choice;

  // Operations.
  virtual void Fetch(Direction direction);
  // `wanted`: in kFromBuffer mode, the position string of a record to
  // highlight when the page holds it (a saved record among equal keys).
  void RefillList(RefillMode mode, std::string_view wanted = {});
  void RefreshFromBuffer();  // from the key values now in the primary buffer
  void ClearAfterFreeElement();
  // From the record just read or written: the page from its key values,
  // that very record highlighted.
  void RefreshFromFile();
  int RequestRecord(int request);
  void RefreshAfterUpdate(int request, int response);
  virtual bool RefreshSortOrder(bool force);
  bool SelectSortOrder(int number, bool force);
  void ScrollOne(platform::ScrollKind kind);
  void ScrollPage(platform::ScrollKind kind);
  void ScrollEnd(platform::ScrollKind kind);
  void MoveThumbTo(int position);  // the user dragged the thumb
  void ResetThumbRange();
  void CopyRowToRecord();
  bool RefetchCurrentRow();
  void RefreshWindow();

  // WindowComponent.
  void Shutdown() override;
  bool NeedsReset() override;
  int OnEvent(const platform::Event& event) override;
  void Update() override { CopyRowToRecord(); }
  void Reset() override;

  // ToolbarTarget: the standard buttons act on the list.
  std::map<int, bool> Buttons() override;
  std::span<const std::uint8_t> Tips() override { return ListTips(); }
  void OnButton(int button) override;

  // What the locators use.
  const data::FieldDef* free_element() const;
  std::span<char> primary_buffer();
  const std::vector<Row>& rows() const { return rows_; }
  data::FileRegistry& files() { return thread_.files; }
  WindowManager& window_manager() { return window_; }

  // Settings (defaults as every list of the system has them).
  int LASTITEMS = 0;
  int CURRENTCHOICE = 0;
  int INSERTCONTROL = 0;
  int CHANGECONTROL = 0;
  int DELETECONTROL = 0;
  int VIEWCONTROL = 0;
  int SELECTCONTROL = 0;
  int PRINTCONTROL = 0;
  bool SELECTING = false;
  bool RETAINROW = true;
  bool ALLOWUNFILLED = false;
  bool STARTATCURRENT = false;
  bool HIDESELECT = false;
  bool SELECTWHOLERECORD = true;
  // Records read from the view since the list started (for measurements).
  long reads = 0;

 private:
  struct SortOrder {
    int view_order = 0;
    std::unique_ptr<StepPosition> step;
    std::unique_ptr<Locator> locator;
  };
  struct Column {
    const data::FileDef* file;
    const data::FieldDef* field;
    std::optional<platform::Picture> picture;  // parsed once for every row
    std::function<std::string()> compute;  // set for a computed column
  };

  SortOrder* current();
  int Read(Direction direction);
  Row MakeRow();
  int Fetched(Direction direction, int wanted);  // fetches `wanted` rows, answers how many came
  void OnScroll(platform::ScrollKind kind);
  int OnKey(int key);
  void ShowPopup();
  int OnAccepted(int control);  // a button or a locator's entry of the window
  bool Press(int control);
  bool Enabled(int control) const;
  bool Highlighted() const;  // a row of the page is highlighted
  void MoveThumb();
  void ShowRows();
  int KeyPercent() const;

  WindowManager& window_;
  ThreadState& thread_;
  data::RelationManager* primary_ = nullptr;
  int list_ = 0;
  std::vector<SortOrder> orders_;
  std::size_t current_order_ = 0;
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  std::vector<char> saved_for_caller_;  // the caller's record when selecting
  bool loaded_ = false;
  bool at_top_ = false;     // the view's first record is on the page
  bool at_bottom_ = false;  // the view's last record is on the page
  int thumb_ = 0;
};

}  // namespace vornel::ui
