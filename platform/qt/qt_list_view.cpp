#include "platform/qt/qt_list_view.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <QAbstractItemModel>
#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

#include "platform/qt/qt_gui_thread.h"

namespace vornel::platform::qt {
namespace {

constexpr int kLinesPerNotch = 3;
constexpr int kNotch = 120;  // a wheel's angle delta per notch
constexpr int kShownRows = 10;  // rows a list has room for at the least

// What a key pressed in a list is to its procedure.
struct KeyInput {
  enum Kind {
    kNone,     // not the list's: Qt handles it (Tab, Escape, Left, Right, ...)
    kScroll,   // value = a ScrollKind
    kKey,      // value = a ListKey code or kKeyCharacter + character code
    kSwallow,  // a character the procedure cannot take; still not Qt's
  };
  Kind kind = kNone;
  int value = 0;
};

KeyInput InputFor(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
  const bool shift = modifiers.testFlag(Qt::ShiftModifier);
  const bool alt = modifiers.testFlag(Qt::AltModifier) || modifiers.testFlag(Qt::MetaModifier);
  const bool plain = !ctrl && !alt && !shift;
  const auto scroll = [&](ScrollKind kind) { return alt ? KeyInput{} : KeyInput{KeyInput::kScroll, kind}; };
  const auto code = [&](bool when, int value) { return when ? KeyInput{KeyInput::kKey, value} : KeyInput{}; };
  switch (key.key()) {
    case Qt::Key_Up:
      return scroll(kLineUp);
    case Qt::Key_Down:
      return scroll(kLineDown);
    case Qt::Key_PageUp:
      return scroll(kPageUp);
    case Qt::Key_PageDown:
      return scroll(kPageDown);
    case Qt::Key_Home:
      return scroll(kTop);
    case Qt::Key_End:
      return scroll(kBottom);
    case Qt::Key_Menu:
      return code(true, kKeyApplication);
    case Qt::Key_Insert:
      return code(plain, kKeyInsert);
    case Qt::Key_Delete:
      return code(plain, kKeyDelete);
    case Qt::Key_Backspace:
      return code(plain, kKeyBackspace);
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (alt) return {};
      if (ctrl) return code(true, kKeyCtrlEnter);
      return code(shift, kKeyShiftEnter);
    default:
      break;
  }
  const QString text = key.text();
  if (ctrl || alt || text.size() != 1 || !text[0].isPrint()) return {};
  const char16_t character = text[0].unicode();
  if (character >= 256) return {KeyInput::kSwallow, 0};
  return {KeyInput::kKey, kKeyCharacter + character};
}

}  // namespace

ListView::ListView(std::shared_ptr<WindowLink> link, int control, std::vector<std::string> columns,
                   QWidget* parent)
    : QWidget(parent), link_(std::move(link)), control_(control), columns_(std::move(columns)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  table_ = new QTableWidget(this);
  table_->setObjectName("rows");
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);
  table_->setAutoScroll(false);  // the page never scrolls inside the table
  table_->setWordWrap(false);
  table_->setShowGrid(false);
  table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->horizontalHeader()->setStretchLastSection(false);  // the last column keeps its width
  table_->horizontalHeader()->setHighlightSections(false);
  table_->setContextMenuPolicy(Qt::PreventContextMenu);
  table_->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
  if (columns_.empty()) {
    table_->horizontalHeader()->hide();
    table_->setColumnCount(1);
  } else {
    table_->setColumnCount(static_cast<int>(columns_.size()));
    QStringList headers;
    for (const std::string& column : columns_) headers << ToQt(column);
    table_->setHorizontalHeaderLabels(headers);
  }
  // Room for a useful number of rows, so that a list window opens large
  // enough; more rows show when the window is made taller.
  int header = table_->horizontalHeader()->isHidden() ? 0 : table_->horizontalHeader()->sizeHint().height();
  table_->setMinimumHeight(header + kShownRows * RowHeight() + 2 * table_->frameWidth());
  table_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  layout->addWidget(table_, 1);

  thumb_ = new QScrollBar(Qt::Vertical, this);
  thumb_->setObjectName("thumb");
  thumb_->setRange(0, 100);
  thumb_->setSingleStep(1);
  thumb_->setPageStep(10);
  thumb_->setFocusPolicy(Qt::NoFocus);
  QSizePolicy keep = thumb_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);  // the columns keep their width as it comes and goes
  thumb_->setSizePolicy(keep);
  thumb_->hide();
  layout->addWidget(thumb_);
  connect(thumb_, &QScrollBar::actionTriggered, this, [this](int action) { ThumbAction(action); });
  connect(thumb_, &QScrollBar::sliderReleased, this, [this] {
    const int position = thumb_->sliderPosition();
    ToWindow([&](QtWindow& window) { return window.DragThumb(control_, position); });
  });

  setFocusProxy(table_);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  table_->installEventFilter(this);
  table_->viewport()->installEventFilter(this);
  thumb_->installEventFilter(this);
}

void ListView::Apply(const QueuedWindow::ControlState& state) {
  const bool new_rows = state.rows != rows_;
  if (new_rows) ShowRows(state.rows);
  // New rows' items are made without a colour.
  if (new_rows || state.row_colours != colours_) ShowColours(state.row_colours);
  ShowCurrent(state.current_row);
  thumb_position_ = state.thumb;
  // Not under the user's hand while a drag is on: its release reports it.
  if (!thumb_->isSliderDown()) thumb_->setValue(state.thumb);
  thumb_->setVisible(state.thumb_shown);
}

void ListView::ShowRows(const std::vector<std::vector<std::string>>& rows) {
  rows_ = rows;
  int columns = static_cast<int>(columns_.size());
  if (columns == 0) {
    for (const std::vector<std::string>& row : rows) columns = std::max(columns, static_cast<int>(row.size()));
    columns = std::max(columns, 1);
  }
  if (table_->columnCount() != columns) table_->setColumnCount(columns);
  table_->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (int c = 0; c < columns; ++c) {
      const std::size_t column = static_cast<std::size_t>(c);
      const QString text = column < rows[r].size() ? ToQt(rows[r][column]) : QString();
      QTableWidgetItem* item = table_->item(static_cast<int>(r), c);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table_->setItem(static_cast<int>(r), c, item);
      }
      if (item->text() != text) item->setText(text);
    }
  }
  // Widths fit the first page shown; later pages keep them, so that the
  // columns stand still while the list scrolls, and only widen a column
  // whose text would be cut (a date paid that the first page left empty).
  if (!columns_sized_ && !rows.empty()) {
    table_->resizeColumnsToContents();
    columns_sized_ = true;
    updateGeometry();
  } else if (columns_sized_) {
    const QFontMetrics metrics(table_->font());
    constexpr int kCellPadding = 12;
    for (int c = 0; c < columns; ++c) {
      bool cut = false;
      for (int r = 0; r < table_->rowCount() && !cut; ++r) {
        const QTableWidgetItem* item = table_->item(r, c);
        cut = item != nullptr && metrics.horizontalAdvance(item->text()) + kCellPadding > table_->columnWidth(c);
      }
      // Sized to what the page shows now, which is wider than the column.
      if (cut) table_->resizeColumnToContents(c);
    }
  }
  table_->verticalScrollBar()->setValue(0);
}

// A BGR value (0x00BBGGRR) as the row's background; the list's own
// colour where none is given.
void ListView::ShowColours(const std::vector<std::int32_t>& colours) {
  colours_ = colours;
  for (int r = 0; r < table_->rowCount(); ++r) {
    const std::size_t row = static_cast<std::size_t>(r);
    const std::int32_t bgr = row < colours.size() ? colours[row] : Window::kDefaultColour;
    const QBrush brush = bgr == Window::kDefaultColour
                             ? QBrush()
                             : QBrush(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
    for (int c = 0; c < table_->columnCount(); ++c) {
      if (QTableWidgetItem* item = table_->item(r, c)) item->setBackground(brush);
    }
  }
}

// Wide enough for the first page's columns, so that the window holding the
// list opens without a sideways scroll bar.
QSize ListView::sizeHint() const {
  QSize hint = QWidget::sizeHint();
  const int columns = table_->horizontalHeader()->length() + 2 * table_->frameWidth() + thumb_->sizeHint().width();
  hint.setWidth(std::max(hint.width(), columns));
  return hint;
}

void ListView::ShowCurrent(int row) {
  QItemSelectionModel* selection = table_->selectionModel();
  if (row < 1 || row > table_->rowCount()) {
    selection->clearSelection();
    selection->clearCurrentIndex();
    return;
  }
  const int column = std::max(0, table_->currentColumn());
  selection->setCurrentIndex(table_->model()->index(row - 1, column),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::FixRows(int rows) {
  const int header = table_->horizontalHeader()->isVisible() || !table_->horizontalHeader()->isHidden()
                         ? table_->horizontalHeader()->sizeHint().height()
                         : 0;
  fixed_height_ = header + rows * RowHeight() + 2 * table_->frameWidth();
  setFixedHeight(fixed_height_);
}

// A list kept at a few rows needs no more height than those rows.
QSize ListView::minimumSizeHint() const {
  QSize least = QWidget::minimumSizeHint();
  if (fixed_height_ > 0) least.setHeight(std::min(least.height(), fixed_height_));
  return least;
}

int ListView::RowHeight() const { return std::max(1, table_->verticalHeader()->defaultSectionSize()); }

void ListView::UpdateVisibleRows() {
  const int rows = std::max(1, table_->viewport()->height() / RowHeight());
  if (rows == visible_rows_) return;
  visible_rows_ = rows;
  link_->WithWindow([&](QtWindow& window) { window.SetVisibleRows(control_, rows); });
}

bool ListView::ChooseRow(int row) {
  return ToWindow([&](QtWindow& window) { return window.ChooseRow(control_, row); });
}

bool ListView::Scroll(ScrollKind kind) {
  return ToWindow([&](QtWindow& window) { return window.Scroll(control_, kind); });
}

bool ListView::Key(int key) {
  return ToWindow([&](QtWindow& window) { return window.Key(control_, key); });
}

bool ListView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == table_) {
    if (type == QEvent::ShortcutOverride) {
      // The list's keys reach the list even when a menu item has them.
      if (InputFor(static_cast<QKeyEvent&>(*event)).kind != KeyInput::kNone) {
        event->accept();
        return true;
      }
    } else if (type == QEvent::KeyPress) {
      return KeyPressed(static_cast<QKeyEvent&>(*event));
    }
  } else if (watched == table_->viewport()) {
    switch (type) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return MouseEvent(type, static_cast<QMouseEvent&>(*event));
      case QEvent::Wheel: {
        const auto& wheel = static_cast<QWheelEvent&>(*event);
        if (wheel.angleDelta().y() == 0) break;  // sideways: the table's own
        Wheel(wheel);
        return true;
      }
      case QEvent::Resize:
        UpdateVisibleRows();
        break;
      default:
        break;
    }
  } else if (watched == thumb_ && type == QEvent::Wheel) {
    Wheel(static_cast<QWheelEvent&>(*event));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool ListView::KeyPressed(const QKeyEvent& key) {
  const KeyInput input = InputFor(key);
  switch (input.kind) {
    case KeyInput::kNone:
      return false;
    case KeyInput::kScroll:
      Scroll(static_cast<ScrollKind>(input.value));
      break;
    case KeyInput::kKey:
      Key(input.value);
      break;
    case KeyInput::kSwallow:
      break;
  }
  return true;
}

bool ListView::MouseEvent(QEvent::Type type, const QMouseEvent& mouse) {
  // Every click is the procedure's: Qt neither selects nor drags here.
  const int at = table_->rowAt(static_cast<int>(mouse.position().y()));
  const int row = at >= 0 && at < static_cast<int>(rows_.size()) ? at + 1 : 0;
  const Qt::MouseButton button = mouse.button();
  if (type == QEvent::MouseButtonPress && (button == Qt::LeftButton || button == Qt::RightButton)) {
    table_->setFocus(Qt::MouseFocusReason);
    // Shown at once; the procedure's answer confirms it.
    if (row != 0 && ChooseRow(row)) ShowCurrent(row);
  } else if (type == QEvent::MouseButtonRelease && button == Qt::RightButton) {
    Key(kKeyRightButtonUp);
  } else if (type == QEvent::MouseButtonDblClick && button == Qt::LeftButton && row != 0) {
    if (ChooseRow(row)) ShowCurrent(row);
    Key(kKeyDoubleClick);
  }
  return true;
}

void ListView::Wheel(const QWheelEvent& wheel) {
  wheel_ += wheel.angleDelta().y();
  for (; wheel_ >= kNotch; wheel_ -= kNotch) {
    for (int i = 0; i < kLinesPerNotch; ++i) Scroll(kLineUp);
  }
  for (; wheel_ <= -kNotch; wheel_ += kNotch) {
    for (int i = 0; i < kLinesPerNotch; ++i) Scroll(kLineDown);
  }
}

void ListView::ThumbAction(int action) {
  ScrollKind kind;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      kind = kLineUp;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      kind = kLineDown;
      break;
    case QAbstractSlider::SliderPageStepSub:
      kind = kPageUp;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      kind = kPageDown;
      break;
    case QAbstractSlider::SliderToMinimum:
      kind = kTop;
      break;
    case QAbstractSlider::SliderToMaximum:
      kind = kBottom;
      break;
    default:
      return;  // a drag: reported when the slider is let go
  }
  // The thumb stays where the procedure put it until it says otherwise.
  thumb_->setSliderPosition(thumb_position_);
  Scroll(kind);
}

}  // namespace vornel::platform::qt
