#include "ui/browse_manager.h"

#include <algorithm>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "errors/message_table.h"
#include "platform/text.h"
#include "platform/window/value_ref.h"
#include "ui/field_text.h"

namespace vornel::ui {
namespace {

using platform::Event;
using platform::EventKind;
using platform::ScrollKind;

// Navigation requests a form leaves for its list (the frame's standard
// toolbar buttons).
enum Navigation : int {
  kNavInsert = 3001,
  kNavLast = 3005,
  kNavFirst = 3006,
  kNavPageDown = 3007,
  kNavPageUp = 3008,
  kNavNext = 3009,
  kNavPrevious = 3010,
};

bool IsText(const data::FieldDef& field) { return field.type == data::FieldType::kText; }

double LowestValue(data::FieldType type) {
  switch (type) {
    case data::FieldType::kUInt8: return 0;
    case data::FieldType::kInt16: return -32768;
    case data::FieldType::kFloat64: return -1e300;
    default: return -2147483648.0;
  }
}

}  // namespace

BrowseManager::BrowseManager(WindowManager& window, ThreadState& thread)
    : data::ViewManager(thread.files), window_(window), thread_(thread) {}

BrowseManager::~BrowseManager() = default;

data::ViewResult BrowseManager::Init(int list_control, const data::ViewDef& view,
                                     data::RelationManager& primary, const platform::NameScope* variables) {
  data::ViewResult result = data::ViewManager::Init(view, primary, variables);
  primary_ = &primary;
  list_ = list_control;
  SELECTING = window_.request() == kSelect;
  if (SELECTING) {
    saved_for_caller_.assign(primary_buffer().begin(), primary_buffer().end());
    // The caller's own use of the file must not give it its old record back
    // when the list closes: the list returns a selection.
    primary.me().CheckUse(data::kUseSelect);
  }
  window_.AddItem(this);
  window_.toolbar().AddTarget(*this, list_control);
  return result;
}

int BrowseManager::AddSortOrder(const data::KeyDef* key, std::unique_ptr<StepPosition> step,
                                std::unique_ptr<Locator> locator) {
  SortOrder order;
  order.view_order = data::ViewManager::AddSortOrder(key);
  order.step = std::move(step);
  order.locator = std::move(locator);
  if (order.locator) order.locator->Attach(*this);
  orders_.push_back(std::move(order));
  current_order_ = orders_.size() - 1;
  return static_cast<int>(orders_.size());
}

void BrowseManager::AddField(const data::FieldDef& field, std::string picture) {
  for (const data::FileDef& file : data::AllFiles()) {
    for (const data::FieldDef& candidate : file.fields) {
      if (&candidate == &field) columns_.push_back({&file, &field, ColumnPicture(picture)});
    }
  }
}

void BrowseManager::AddComputed(std::function<std::string()> cell) {
  columns_.push_back({nullptr, nullptr, {}, std::move(cell)});
}

BrowseManager::SortOrder* BrowseManager::current() {
  return orders_.empty() ? nullptr : &orders_[current_order_];
}

const data::FieldDef* BrowseManager::free_element() const { return FreeElement(); }

std::span<char> BrowseManager::primary_buffer() { return primary_->me().buffer(); }

// The record now in the buffers as a row: its columns as shown, its
// position and the primary record itself.
BrowseManager::Row BrowseManager::MakeRow() {
  Row row;
  for (const Column& column : columns_) {
    if (column.compute) {
      row.cells.emplace_back(platform::Clip(column.compute()));
      continue;
    }
    row.cells.push_back(FieldText(*column.file, *column.field, thread_.files.Get(*column.file).buffer(), column.picture));
  }
  if (row_colour) row.colour = row_colour();
  row.position = primary_->me().file().PositionString();
  row.at = primary_->me().file().Position();
  row.record.assign(primary_buffer().begin(), primary_buffer().end());
  return row;
}

int BrowseManager::Read(Direction direction) {
  ++reads;
  return direction == kForwards ? Next() : Previous();
}

// Fetches up to `wanted` rows beyond the page's end in that direction; rows
// that no longer fit drop off the far end. Answers how many rows came.
int BrowseManager::Fetched(Direction direction, int wanted) {
  const bool forwards = direction == kForwards;
  if (!rows_.empty()) {
    // On from the edge row as it was read, even when another station has
    // changed or deleted it since.
    const Row& edge = forwards ? rows_.back() : rows_.front();
    if (ResetAfter(edge.record, edge.at) != errors::kGoOn) return 0;  // the view has said why
  }
  Expect(wanted);
  int fetched = 0;
  while (fetched < wanted) {
    const int level = Read(direction);
    if (level != errors::kGoOn) {
      (forwards ? at_bottom_ : at_top_) = true;
      break;
    }
    Row row = MakeRow();
    if (static_cast<int>(rows_.size()) >= LASTITEMS) {
      if (forwards) {
        rows_.erase(rows_.begin());
        at_top_ = false;
      } else {
        rows_.pop_back();
        at_bottom_ = false;
      }
    }
    if (forwards) {
      rows_.push_back(std::move(row));
    } else {
      rows_.insert(rows_.begin(), std::move(row));
    }
    ++fetched;
  }
  return fetched;
}

void BrowseManager::Fetch(Direction direction) { Fetched(direction, LASTITEMS); }

void BrowseManager::RefillList(RefillMode mode, std::string_view wanted) {
  loaded_ = true;
  LASTITEMS = std::max(1, window_.window()->VisibleRows(list_));
  std::string highlighted;
  int screen_row = std::clamp(CURRENTCHOICE, 1, LASTITEMS);  // a smaller window has fewer rows
  if (mode == kKeepPosition && !rows_.empty()) {
    // From the top row, so the page stays; the highlight finds its record again.
    const std::size_t at = static_cast<std::size_t>(std::clamp(CURRENTCHOICE, 1, static_cast<int>(rows_.size())) - 1);
    highlighted = rows_[at].position;
    std::copy(rows_.front().record.begin(), rows_.front().record.end(), primary_buffer().begin());
    ResetToBuffer();
  } else if (mode == kKeepPosition) {
    data::ViewManager::Reset();
  } else {
    ResetToBuffer();
  }
  rows_.clear();
  at_top_ = at_bottom_ = false;
  Fetched(kForwards, LASTITEMS);
  int choice = 0;
  const auto find = [this](std::string_view position) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (rows_[i].position == position) return static_cast<int>(i) + 1;
    }
    return 0;
  };
  if (mode == kFromBuffer) {
    if (!wanted.empty()) choice = find(wanted);
    if (choice == 0 && !rows_.empty()) choice = 1;
  } else if (highlighted.empty()) {
    choice = rows_.empty() ? 0 : std::min(screen_row, static_cast<int>(rows_.size()));
  } else {
    // A highlighted record that has gone leaves no row highlighted: the
    // buttons that act on a row wait until the user chooses one.
    choice = find(highlighted);
  }
  const bool highlight_lost = mode == kKeepPosition && !highlighted.empty() && choice == 0;
  // Nothing from there on (a blank record in a descending order, a value past
  // the last): the page shows the view's end.
  if (rows_.empty() && !ALLOWUNFILLED) {
    Fetched(kBackwards, LASTITEMS);
    choice = highlight_lost ? 0 : static_cast<int>(rows_.size());
  }
  // A page that is not full is filled backwards unless it may stay unfilled.
  if (!ALLOWUNFILLED && static_cast<int>(rows_.size()) < LASTITEMS && !rows_.empty()) {
    const int added = Fetched(kBackwards, LASTITEMS - static_cast<int>(rows_.size()));
    if (choice > 0) choice += added;
  }
  // The highlighted record stays on the screen row it was on.
  if (RETAINROW && mode == kFromBuffer && choice > 0 && choice < screen_row && !at_top_) {
    choice += Fetched(kBackwards, screen_row - choice);
  }
  CURRENTCHOICE = choice;
  if (rows_.empty()) {
    data::ClearRecord(primary_->me().def(), primary_buffer());
  } else {
    CopyRowToRecord();
  }
}

void BrowseManager::RefreshFromBuffer() { RefillList(kFromBuffer); }

void BrowseManager::RefreshFromFile() { RefillList(kFromBuffer, primary_->me().file().PositionString()); }

// The key parts after the free element start from their lowest values, so a
// located value is reached from its first record on.
void BrowseManager::ClearAfterFreeElement() {
  const data::KeyDef* key = order_key();
  const data::FieldDef* free = FreeElement();
  if (key == nullptr || free == nullptr) return;
  const data::FileDef& file = primary_->me().def();
  bool after = false;
  for (const data::KeyComponent& component : key->components) {
    const data::FieldDef& field = file.fields[component.field];
    if (after && !SortDirection(field)) {
      if (IsText(field)) {
        data::WriteText(file, field, primary_buffer(), "");
      } else {
        data::WriteNumber(file, field, primary_buffer(), LowestValue(field.type));
      }
    }
    if (&field == free) after = true;
  }
}

void BrowseManager::CopyRowToRecord() {
  if (CURRENTCHOICE < 1 || CURRENTCHOICE > static_cast<int>(rows_.size())) return;
  const Row& row = rows_[static_cast<std::size_t>(CURRENTCHOICE - 1)];
  std::copy(row.record.begin(), row.record.end(), primary_buffer().begin());
}

// Re-reads the highlighted row's record with the change watch set, so that a
// form's save or delete of it is refused once another station has written it
// since; when it has gone, says so and refills.
bool BrowseManager::RefetchCurrentRow() {
  if (CURRENTCHOICE < 1 || CURRENTCHOICE > static_cast<int>(rows_.size())) return false;
  const Row& row = rows_[static_cast<std::size_t>(CURRENTCHOICE - 1)];
  data::RecordFile& file = primary_->me().file();
  file.SetWatch(true);
  if (file.GetByPositionString(row.position) == data::kStoreOk) return true;
  primary_->me().RaiseMessage(errors::msg::kChangedOrDeleted);
  RefillList(kKeepPosition);
  RefreshWindow();
  return false;
}

void BrowseManager::ScrollOne(ScrollKind kind) {
  const bool down = kind == ScrollKind::kLineDown;
  if (down && CURRENTCHOICE < static_cast<int>(rows_.size())) {
    ++CURRENTCHOICE;
  } else if (!down && CURRENTCHOICE > 1) {
    --CURRENTCHOICE;
  } else {
    Fetched(down ? kForwards : kBackwards, 1);
  }
}

void BrowseManager::ScrollPage(ScrollKind kind) {
  const bool down = kind == ScrollKind::kPageDown;
  const int shortfall = LASTITEMS - Fetched(down ? kForwards : kBackwards, LASTITEMS);
  const int rows = static_cast<int>(rows_.size());
  CURRENTCHOICE = std::clamp(CURRENTCHOICE + (down ? shortfall : -shortfall), rows > 0 ? 1 : 0, rows);
}

void BrowseManager::ScrollEnd(ScrollKind kind) {
  const bool top = kind == ScrollKind::kTop;
  rows_.clear();
  data::ViewManager::Reset();
  at_top_ = at_bottom_ = false;
  Fetched(top ? kForwards : kBackwards, LASTITEMS);
  (top ? at_top_ : at_bottom_) = true;
  CURRENTCHOICE = rows_.empty() ? 0 : (top ? 1 : static_cast<int>(rows_.size()));
}

void BrowseManager::MoveThumbTo(int position) {
  if (position <= 1) return OnScroll(ScrollKind::kTop);
  if (position >= 100) return OnScroll(ScrollKind::kBottom);
  SortOrder* order = current();
  const data::FieldDef* free = FreeElement();
  if (order && order->step && free) {
    const data::FileDef& file = primary_->me().def();
    if (IsText(*free)) {
      data::WriteText(file, *free, primary_buffer(), order->step->TextAt(position));
    } else {
      data::WriteNumber(file, *free, primary_buffer(), order->step->NumberAt(position));
    }
    ClearAfterFreeElement();
    RefreshFromBuffer();
    thumb_ = position;
    RefreshWindow();
    return;
  }
  OnScroll(position < 50 ? ScrollKind::kPageUp : ScrollKind::kPageDown);
}

void BrowseManager::OnScroll(ScrollKind kind) {
  switch (kind) {
    case ScrollKind::kLineUp:
    case ScrollKind::kLineDown: ScrollOne(kind); break;
    case ScrollKind::kPageUp:
    case ScrollKind::kPageDown: ScrollPage(kind); break;
    case ScrollKind::kTop:
    case ScrollKind::kBottom: ScrollEnd(kind); break;
  }
  if (SortOrder* order = current(); order && order->locator) order->locator->Reset();
  CopyRowToRecord();
  MoveThumb();
  ShowRows();
}

// The thumb: from the step for the highlighted key value, else 0 at the top,
// 100 at the bottom and 50 between.
void BrowseManager::MoveThumb() {
  SortOrder* order = current();
  const data::FieldDef* free = FreeElement();
  if (order && order->step && free && CURRENTCHOICE > 0) {
    thumb_ = KeyPercent();
    if (static_cast<int>(rows_.size()) == LASTITEMS) {
      if (thumb_ == 1) thumb_ = 0;
      if (thumb_ == 99) thumb_ = 100;
    }
  } else if (at_top_ && CURRENTCHOICE <= 1) {
    thumb_ = 0;
  } else if (at_bottom_ && CURRENTCHOICE == static_cast<int>(rows_.size())) {
    thumb_ = 100;
  } else {
    thumb_ = 50;
  }
}

int BrowseManager::KeyPercent() const {
  const StepPosition& step = *orders_[current_order_].step;
  const data::FieldDef& free = *FreeElement();
  const Row& row = rows_[static_cast<std::size_t>(CURRENTCHOICE - 1)];
  const data::FileDef& file = primary_->me().def();
  return IsText(free) ? step.Percentile(data::ReadText(file, free, row.record))
                      : step.Percentile(data::ReadNumber(file, free, row.record));
}

// The step's limits: the free key element of the view's first and last records.
void BrowseManager::ResetThumbRange() {
  SortOrder* order = current();
  const data::FieldDef* free = FreeElement();
  if (!order || !order->step || !free || !order->step->NeedsLimits()) return;
  if (static_cast<int>(rows_.size()) < LASTITEMS && !ALLOWUNFILLED) return;
  const data::FileDef& file = primary_->me().def();
  const std::vector<char> kept(primary_buffer().begin(), primary_buffer().end());
  data::ViewManager::Reset();
  Expect(1);
  const bool has_first = Read(kForwards) == errors::kGoOn;
  const std::vector<char> first(primary_buffer().begin(), primary_buffer().end());
  data::ViewManager::Reset();
  Expect(1);
  const bool has_last = Read(kBackwards) == errors::kGoOn;
  const std::vector<char> last(primary_buffer().begin(), primary_buffer().end());
  std::copy(kept.begin(), kept.end(), primary_buffer().begin());
  if (!has_first || !has_last) return;
  const bool descending = SortDirection(*free);
  const std::vector<char>& low = descending ? last : first;
  const std::vector<char>& high = descending ? first : last;
  if (IsText(*free)) {
    order->step->SetLimit(data::ReadText(file, *free, low), data::ReadText(file, *free, high));
  } else {
    order->step->SetLimit(data::ReadNumber(file, *free, low), data::ReadNumber(file, *free, high));
  }
}

bool BrowseManager::RefreshSortOrder(bool force) {
  return SelectSortOrder(sort_order_choice ? sort_order_choice() : static_cast<int>(current_order_) + 1, force);
}

bool BrowseManager::SelectSortOrder(int number, bool force) {
  if (number < 1 || number > static_cast<int>(orders_.size())) return false;
  const bool changed_order = current_order_ != static_cast<std::size_t>(number - 1);
  current_order_ = static_cast<std::size_t>(number - 1);
  const int visible = std::max(1, window_.window()->VisibleRows(list_));
  if (!force && !changed_order && loaded_ && visible == LASTITEMS && !RangeChanged()) {
    CopyRowToRecord();
    return false;
  }
  SetOrder(orders_[current_order_].view_order);
  ApplyOrder();
  ApplyFilter();
  if (!loaded_ && (SELECTING || STARTATCURRENT)) {
    RefillList(kFromBuffer);
  } else if (!rows_.empty()) {
    CopyRowToRecord();
    RefillList(kFromBuffer);
  } else {
    RefillList(kKeepPosition);
  }
  ResetThumbRange();
  MoveThumb();
  CopyRowToRecord();
  return true;
}

int BrowseManager::RequestRecord(int request) {
  int response = kCancelled;
  do {
    thread_.navigation_request = 0;
    if (request == kInsert) {
      if (PrepareNewRecord() != errors::kGoOn) return kCancelled;
    } else if (!RefetchCurrentRow() || (may_request && !may_request(request))) {
      return kCancelled;
    } else {
      primary_->SaveLinks();  // what a changed key must carry to the dependents
    }
    response = update_form ? update_form(request) : kCancelled;
    const int navigation = thread_.navigation_request;
    RefreshAfterUpdate(request, response);
    if (navigation == 0) break;
    request = (navigation == kNavInsert || (navigation == kNavNext && request == kInsert)) ? kInsert : request;
  } while (true);
  return response;
}

void BrowseManager::RefreshAfterUpdate(int request, int response) {
  if (response == kCompleted) {
    if (request == kDelete) {
      if (CURRENTCHOICE >= 1 && CURRENTCHOICE <= static_cast<int>(rows_.size()))
        rows_.erase(rows_.begin() + (CURRENTCHOICE - 1));
      RefillList(kKeepPosition);
    } else {
      // A changed record that has left the view's filter is not read again.
      RefreshFromFile();
    }
  } else {
    RefillList(kKeepPosition);
  }
  switch (thread_.navigation_request) {
    case 0: break;
    case kNavInsert: data::ClearRecord(primary_->me().def(), primary_buffer()); break;
    case kNavLast: OnScroll(ScrollKind::kBottom); break;
    case kNavFirst: OnScroll(ScrollKind::kTop); break;
    case kNavPageDown: OnScroll(ScrollKind::kPageDown); break;
    case kNavPageUp: OnScroll(ScrollKind::kPageUp); break;
    case kNavNext:
      if (request != kInsert) OnScroll(ScrollKind::kLineDown);
      break;
    case kNavPrevious: OnScroll(ScrollKind::kLineUp); break;
    default: thread_.navigation_request = 0; break;
  }
  MoveThumb();
  RefreshWindow();
  window_.window()->Select(list_);
}

bool BrowseManager::Highlighted() const {
  return CURRENTCHOICE >= 1 && CURRENTCHOICE <= static_cast<int>(rows_.size());
}

bool BrowseManager::Enabled(int control) const { return control != 0 && (control == INSERTCONTROL || Highlighted()); }

// Presses a button that exists and is enabled, as the user would.
bool BrowseManager::Press(int control) {
  if (!Enabled(control)) return false;
  window_.window()->Post({EventKind::kAccepted, control, 0, {}});
  return true;
}

void BrowseManager::ShowRows() {
  std::vector<std::vector<std::string>> shown;
  std::vector<std::int32_t> colours;
  shown.reserve(rows_.size());
  for (const Row& row : rows_) {
    shown.push_back(row.cells);
    colours.push_back(row.colour);
  }
  platform::Window& window = *window_.window();
  window.SetRows(list_, std::move(shown));
  if (row_colour) window.SetRowColours(list_, std::move(colours));
  window.SetCurrentRow(list_, CURRENTCHOICE);
  window.SetThumb(list_, thumb_, ALLOWUNFILLED || static_cast<int>(rows_.size()) == LASTITEMS);
}

void BrowseManager::RefreshWindow() {
  platform::Window& window = *window_.window();
  const bool has_row = Highlighted();
  for (int control : {CHANGECONTROL, DELETECONTROL, PRINTCONTROL, VIEWCONTROL}) {
    if (control != 0) window.SetEnabled(control, has_row);
  }
  if (SELECTCONTROL != 0) {
    if (SELECTING) {
      window.SetEnabled(SELECTCONTROL, has_row);
    } else if (HIDESELECT) {
      window.SetEnabled(SELECTCONTROL, false);
      window.SetHidden(SELECTCONTROL, true);
    }
  }
  if (SortOrder* order = current(); order && order->locator) order->locator->RefreshWindow();
  window_.toolbar().Display();
  ShowRows();
}

void BrowseManager::Reset() {
  if (!loaded_ || NeedsReset()) RefreshSortOrder(!loaded_);
  RefreshWindow();
}

bool BrowseManager::NeedsReset() {
  return loaded_ && (window_.window()->VisibleRows(list_) != LASTITEMS || RangeChanged());
}

std::map<int, bool> BrowseManager::Buttons() {
  std::map<int, bool> buttons;
  for (int button = kToolInsert; button <= kToolHelp; ++button) buttons[button] = false;
  for (int button = kToolLast; button <= kToolPrevious; ++button) buttons[button] = true;
  buttons[kToolInsert] = Enabled(INSERTCONTROL);
  buttons[kToolChange] = Enabled(CHANGECONTROL);
  buttons[kToolDelete] = Enabled(DELETECONTROL);
  buttons[kToolSelect] = SELECTING && Enabled(SELECTCONTROL);
  return buttons;
}

void BrowseManager::OnButton(int button) {
  platform::Window& window = *window_.window();
  switch (button) {
    case kToolSelect:
      CopyRowToRecord();
      window_.SetResponse(kCompleted);
      break;
    case kToolLast: window.Post({EventKind::kScroll, list_, ScrollKind::kBottom, {}}); break;
    case kToolFirst: window.Post({EventKind::kScroll, list_, ScrollKind::kTop, {}}); break;
    case kToolPageDown: window.Post({EventKind::kScroll, list_, ScrollKind::kPageDown, {}}); break;
    case kToolPageUp: window.Post({EventKind::kScroll, list_, ScrollKind::kPageUp, {}}); break;
    case kToolNext: window.Post({EventKind::kScroll, list_, ScrollKind::kLineDown, {}}); break;
    case kToolPrevious: window.Post({EventKind::kScroll, list_, ScrollKind::kLineUp, {}}); break;
    case kToolInsert: Press(INSERTCONTROL); break;
    case kToolChange: Press(CHANGECONTROL); break;
    case kToolDelete: Press(DELETECONTROL); break;
    case kToolHelp: window.Post({EventKind::kAlertKey, list_, kKeyHelp, {}}); break;
    default: break;
  }
}

// The list's popup menu: an item for each of its buttons, enabled as the
// button is; choosing one presses it.
void BrowseManager::ShowPopup() {
  struct Mimic {
    int control;
    const char* text;
  };
  const Mimic mimics[] = {{INSERTCONTROL, "&Insert"}, {CHANGECONTROL, "&Change"}, {DELETECONTROL, "&Delete"},
                          {VIEWCONTROL, "&View"},     {PRINTCONTROL, "&Print"},   {SELECTING ? SELECTCONTROL : 0, "&Select"}};
  std::vector<platform::PopupItem> items;
  std::vector<int> controls;
  for (const Mimic& mimic : mimics) {
    if (mimic.control == 0) continue;
    items.push_back({mimic.text, Enabled(mimic.control)});
    controls.push_back(mimic.control);
  }
  if (items.empty()) return;
  const int chosen = window_.window()->PopupMenu("Browse Actions", items);
  if (chosen >= 1 && chosen <= static_cast<int>(controls.size())) Press(controls[static_cast<std::size_t>(chosen - 1)]);
}

int BrowseManager::OnKey(int key) {
  switch (key) {
    case platform::kKeyRightButtonUp:
    case platform::kKeyApplication: ShowPopup(); return kHandled;
    case platform::kKeyDoubleClick: Press(SELECTING ? SELECTCONTROL : CHANGECONTROL); return kHandled;
    case platform::kKeyInsert: Press(INSERTCONTROL); return kHandled;
    case platform::kKeyCtrlEnter: Press(CHANGECONTROL); return kHandled;
    case platform::kKeyDelete: Press(DELETECONTROL); return kHandled;
    case platform::kKeyShiftEnter: Press(VIEWCONTROL); return kHandled;
    default: break;
  }
  SortOrder* order = current();
  if (order && order->locator && order->locator->OnKey(key)) {
    MoveThumb();
    RefreshWindow();
    return kHandled;
  }
  return kContinue;
}

int BrowseManager::OnAccepted(int control) {
  if (control == SELECTCONTROL && SELECTING) {
    window_.SetResponse(kCompleted);
    return kHandled;
  }
  const int request = control == INSERTCONTROL   ? kInsert
                      : control == CHANGECONTROL ? kChange
                      : control == DELETECONTROL ? kDelete
                      : control == VIEWCONTROL   ? kView
                                                 : 0;
  if (request != 0) {
    RequestRecord(request);
    return kHandled;
  }
  SortOrder* order = current();
  if (order && order->locator && order->locator->OnAccepted(control)) {
    MoveThumb();
    RefreshWindow();
    return kHandled;
  }
  return kContinue;
}

int BrowseManager::OnEvent(const Event& event) {
  if (event.control == list_) {
    switch (event.kind) {
      case EventKind::kNewSelection: {
        const bool had_row = Highlighted();
        CURRENTCHOICE = std::clamp(event.key, rows_.empty() ? 0 : 1, static_cast<int>(rows_.size()));
        CopyRowToRecord();
        MoveThumb();
        if (!had_row) {
          RefreshWindow();  // the buttons that act on a row come back
        } else {
          window_.window()->SetThumb(list_, thumb_, ALLOWUNFILLED || static_cast<int>(rows_.size()) == LASTITEMS);
        }
        return kHandled;
      }
      case EventKind::kScroll: OnScroll(static_cast<ScrollKind>(event.key)); return kHandled;
      case EventKind::kThumb: MoveThumbTo(event.key); return kHandled;
      case EventKind::kAlertKey: return OnKey(event.key);
      default: return kContinue;
    }
  }
  if (event.kind == EventKind::kAccepted && event.control != 0) return OnAccepted(event.control);
  // Back in front, the page shows what other windows and stations wrote
  // meanwhile (an appointment booked in a form of its own).
  if (event.kind == EventKind::kGainFocus && loaded_) {
    RefillList(kKeepPosition);
    RefreshWindow();
  }
  return kContinue;
}

// The caller of a selecting list gets the highlighted record when the list
// ended with Select, and its own record back otherwise.
void BrowseManager::Shutdown() {
  if (SELECTING && !saved_for_caller_.empty()) {
    bool selected = window_.response() == kCompleted && CURRENTCHOICE >= 1 &&
                    CURRENTCHOICE <= static_cast<int>(rows_.size());
    if (selected && SELECTWHOLERECORD) {
      // The chosen record must still be there; another station may have
      // deleted it meanwhile.
      const Row& row = rows_[static_cast<std::size_t>(CURRENTCHOICE - 1)];
      if (primary_->me().file().GetByPositionString(row.position) != data::kStoreOk) {
        primary_->me().RaiseMessage(errors::msg::kChangedOrDeleted);
        window_.SetResponse(kCancelled);
        selected = false;
      }
    } else if (selected) {
      CopyRowToRecord();
    }
    if (!selected) std::copy(saved_for_caller_.begin(), saved_for_caller_.end(), primary_buffer().begin());
  }
  orders_.clear();
  rows_.clear();
  data::ViewManager::Shutdown();
}

}  // namespace vornel::ui
