#include "platform/qt/qt_drop_combo.h"

#include <QCompleter>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStyle>
#include <QTreeView>

#include "platform/qt/qt_gui_thread.h"

namespace vornel::platform::qt {

DropCombo::DropCombo(std::shared_ptr<WindowLink> link, int control, int characters, bool read_only)
    : link_(std::move(link)), control_(control) {
  setEditable(!read_only);
  setInsertPolicy(QComboBox::NoInsert);
  setModel(new QStandardItemModel(this));
  // The rows drop down with all their columns; the entry shows the first.
  auto* rows = new QTreeView(this);
  rows->setHeaderHidden(true);
  rows->setRootIsDecorated(false);
  rows->setItemsExpandable(false);
  rows->setAllColumnsShowFocus(true);
  setView(rows);
  setMinimumContentsLength(characters);
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  if (isEditable()) {
    auto* completer = new QCompleter(model(), this);
    completer->setCompletionColumn(0);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::InlineCompletion);
    setCompleter(completer);
  }
  connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    link_->WithWindow([&](QtWindow& window) { window.ChooseRow(control_, index + 1); });
  });
}

void DropCombo::Apply(const QueuedWindow::ControlState& state) {
  const QSignalBlocker quiet(this);
  if (state.rows != rows_) {
    rows_ = state.rows;
    auto* items = static_cast<QStandardItemModel*>(model());
    items->clear();
    for (const std::vector<std::string>& row : rows_) {
      QList<QStandardItem*> cells;
      for (const std::string& cell : row) cells.append(new QStandardItem(ToQt(cell)));
      items->appendRow(cells);
    }
    if (auto* rows = qobject_cast<QTreeView*>(view())) {
      int width = 2 * rows->frameWidth() + rows->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
      for (int column = 0; column < items->columnCount(); ++column) {
        rows->resizeColumnToContents(column);
        width += rows->columnWidth(column);
      }
      // The drop list is as wide as its columns, however narrow the entry.
      rows->setMinimumWidth(width);
    }
  }
  setCurrentIndex(state.current_row - 1);
  const QString text = ToQt(state.text);
  if (isEditable() && currentText() != text) setEditText(text);
}

}  // namespace vornel::platform::qt
