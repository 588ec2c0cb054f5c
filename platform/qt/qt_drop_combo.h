#pragma once
// The drop combo on screen: an entry with a drop list of rows (all their
// columns shown, the first one the value), completing what is typed from the
// first column inline, the completed part selected. Choosing a row tells the
// procedure's window which row; the typed text is accepted as an entry's.
#include <QComboBox>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_window.h"
#include "platform/window/queued_window.h"

namespace vornel::platform::qt {

class DropCombo : public QComboBox {
 public:
  DropCombo(std::shared_ptr<WindowLink> link, int control, int characters, bool read_only);

  // Shows the procedure's rows, chosen row and text.
  void Apply(const QueuedWindow::ControlState& state);

 private:
  std::shared_ptr<WindowLink> link_;
  int control_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace vornel::platform::qt
