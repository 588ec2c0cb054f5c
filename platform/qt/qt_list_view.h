#pragma once
// A list on the screen: a table showing the one page of rows its procedure
// holds, with a scroll bar beside it as the thumb. It decides nothing itself:
// what the user does (a click, a key, the wheel, the thumb) goes to the
// procedure as input, and the procedure answers with the page, the current
// row and the thumb to show. Nothing shown from the procedure comes back as
// input. GUI thread only.
#include <QEvent>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_window.h"

class QKeyEvent;
class QMouseEvent;
class QScrollBar;
class QTableWidget;
class QWheelEvent;

namespace vornel::platform::qt {

class ListView : public QWidget {
 public:
  // `columns` are the headers; none gives one column per cell and no header.
  ListView(std::shared_ptr<WindowLink> link, int control, std::vector<std::string> columns,
           QWidget* parent = nullptr);

  // Shows the procedure's page, current row and thumb.
  void Apply(const QueuedWindow::ControlState& state);

  QTableWidget* table() const { return table_; }
  QScrollBar* thumb() const { return thumb_; }
  QSize sizeHint() const override;
  // Keeps the list at the height that shows `rows` rows.
  void FixRows(int rows);
  QSize minimumSizeHint() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Each answers true when it took the event.
  bool KeyPressed(const QKeyEvent& key);
  bool MouseEvent(QEvent::Type type, const QMouseEvent& mouse);
  void Wheel(const QWheelEvent& wheel);
  void ThumbAction(int action);
  void ShowRows(const std::vector<std::vector<std::string>>& rows);
  void ShowColours(const std::vector<std::int32_t>& colours);
  void ShowCurrent(int row);
  void UpdateVisibleRows();
  int RowHeight() const;

  // Runs `input` on the procedure's window while it is open; answers what
  // the input answered (false when the window has gone).
  template <typename Input>
  bool ToWindow(Input&& input) {
    bool taken = false;
    link_->WithWindow([&](QtWindow& window) { taken = input(window); });
    return taken;
  }
  bool ChooseRow(int row);
  bool Scroll(ScrollKind kind);
  bool Key(int key);

  std::shared_ptr<WindowLink> link_;
  int control_;
  int fixed_height_ = 0;  // set by FixRows
  std::vector<std::string> columns_;
  QTableWidget* table_ = nullptr;
  QScrollBar* thumb_ = nullptr;

  std::vector<std::vector<std::string>> rows_;  // the page shown
  std::vector<std::int32_t> colours_;           // their backgrounds
  int thumb_position_ = 0;                      // as the procedure last set it
  int wheel_ = 0;                               // wheel turn not yet a whole notch
  int visible_rows_ = 0;                        // as last told to the window
  bool columns_sized_ = false;
};

}  // namespace vornel::platform::qt
