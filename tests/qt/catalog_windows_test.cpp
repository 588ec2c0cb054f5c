// Every procedure of the catalog that opens a window, opened as the user
// would on a fresh settings folder and a 1280×800 screen: it shows all of
// its controls and texts whole and inside the frame, closes with Escape,
// comes back exactly where it was, and a list whose form is open drops
// clicks instead of replaying them after the form. New windows are covered
// as they are registered.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTabWidget>
#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "app/program.h"
#include "tests/qt/qt_test_support.h"

namespace vornel::platform::qt {
namespace {

using Clock = std::chrono::steady_clock;

// Polls `ready` on the GUI thread until it answers true; false after the
// patience.
bool WaitOnGui(const std::function<bool()>& ready, std::chrono::milliseconds patience = std::chrono::seconds(10)) {
  const auto until = Clock::now() + patience;
  while (Clock::now() < until) {
    bool done = false;
    RunOnGui([&] { done = ready(); });
    if (done) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

// The frame's visible sub-windows, oldest first.
std::vector<QMdiSubWindow*> OpenSubWindows() {
  std::vector<QMdiSubWindow*> open;
  if (QMainWindow* frame = Frame()) {
    for (QMdiSubWindow* sub : frame->findChild<QMdiArea*>()->subWindowList(QMdiArea::CreationOrder))
      if (sub->isVisible()) open.push_back(sub);
  }
  return open;
}

// Waits for a sub-window that was not open before, then for its place and
// size to settle; nullptr when none opened. A message box shown instead is closed,
// and its text is kept in `boxes`.
QPointer<QMdiSubWindow> WaitForNewWindow(const std::vector<QMdiSubWindow*>& before,
                                         std::vector<std::string>* boxes = nullptr) {
  QPointer<QMdiSubWindow> found;
  WaitOnGui([&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      const std::string text = box->text().toStdString();
      if (boxes != nullptr) {
        boxes->push_back(text);
      } else {
        ADD_FAILURE() << "a message box opened: " << text;
      }
      box->reject();
      if (boxes != nullptr) return true;
    }
    for (QMdiSubWindow* sub : OpenSubWindows())
      if (std::find(before.begin(), before.end(), sub) == before.end()) found = sub;
    return !found.isNull();
  });
  // Settled: the same place and size at three looks in a row (a loaded
  // machine places and sizes a new window a good while after showing it).
  QRect last;
  int same = 0;
  const auto until = Clock::now() + std::chrono::seconds(3);
  while (!found.isNull() && same < 3 && Clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QRect now;
    RunOnGui([&] {
      if (!found.isNull()) now = found->geometry();
    });
    same = now == last ? same + 1 : 0;
    last = now;
  }
  return found;
}

// GUI thread: every visible control and text of the window is at least its
// size hint and lies inside the window, the window lies inside the frame's
// area, and the frame inside the screen.
void ExpectWhole(QMdiSubWindow* sub) {
  const std::string title = sub->windowTitle().toStdString();
  EXPECT_FALSE(sub->isMinimized()) << title;
  QWidget* area = sub->mdiArea()->viewport();
  EXPECT_TRUE(QRect(QPoint(0, 0), area->size()).contains(sub->geometry()))
      << title << " at " << sub->geometry().x() << "," << sub->geometry().y() << " " << sub->width() << "x"
      << sub->height() << " in an area of " << area->width() << "x" << area->height();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_TRUE(screen.contains(Frame()->frameGeometry())) << "the frame leaves the screen";
  for (QWidget* widget : sub->findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    const auto* label = qobject_cast<QLabel*>(widget);
    const bool control = widget->objectName().startsWith('?');
    if (!control && (label == nullptr || label->text().isEmpty())) continue;
    const std::string what = title + " / " + (control ? widget->objectName() : label->text()).toStdString();
    const QSize least = label != nullptr && label->wordWrap() ? label->minimumSizeHint() : widget->minimumSizeHint();
    if (least.isValid()) {
      EXPECT_GE(widget->width(), least.width()) << what << " is cut";
      EXPECT_GE(widget->height(), least.height()) << what << " is cut";
    }
    const QRect at(widget->mapTo(sub, QPoint(0, 0)), widget->size());
    EXPECT_TRUE(sub->rect().contains(at)) << what << " lies outside its window";
  }
}

// GUI thread: Escape, sent where the user's focus is in the window.
void Escape(QMdiSubWindow* sub) {
  QWidget* focus = QApplication::focusWidget();
  PressEscape(focus != nullptr && sub->isAncestorOf(focus) ? focus : sub->widget());
}

// Soon, not by a window's own timer. A batch with nothing to do may say so
// only after its progress window has shown (a slow build); that box is
// answered and the window then closes with it.
bool Closes(const QPointer<QMdiSubWindow>& sub) {
  return WaitOnGui(
      [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
          auto* box = qobject_cast<QMessageBox*>(widget);
          if (box != nullptr && box->isVisible() && box->text() == "There are no records available to process.")
            box->reject();
        }
        return sub.isNull() || !sub->isVisible();
      },
      std::chrono::seconds(3));
}

void Click(QWidget* widget) {
  const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QApplication::sendEvent(widget, &release);
}

class CatalogWindows {
 public:
  explicit CatalogWindows(app::Program& program) : program_(program) {}

  // Opens the procedure alone as its menu item (or, for a form, its list's
  // Insert) would, and answers its window; a message box shown instead is
  // kept in `boxes`.
  QPointer<QMdiSubWindow> Open(const std::string& name, ui::ProcedureKind kind,
                               std::vector<std::string>* boxes = nullptr) {
    std::vector<QMdiSubWindow*> before;
    RunOnGui([&] { before = OpenSubWindows(); });
    if (kind == ui::ProcedureKind::kRecordForm) {
      program_.threads.Start(name, [this, name] { program_.procedures.CallWith(name, ui::kInsert); });
    } else {
      program_.procedures.Start(name);
    }
    return WaitForNewWindow(before, boxes);
  }

  void Check(const std::string& name, ui::ProcedureKind kind) {
    SCOPED_TRACE(name);
    std::vector<std::string> boxes;
    QPointer<QMdiSubWindow> sub = Open(name, kind, &boxes);
    // A form that takes no inserts is checked as its list opens it.
    if (boxes == std::vector<std::string>{"This form cannot be used to insert a record"}) return;
    // A batch with nothing to do on the demo root says so and opens nothing.
    if (boxes == std::vector<std::string>{"There are no records available to process."}) return;
    ASSERT_TRUE(boxes.empty()) << "a message box opened: " << boxes.front();
    // The About box closes itself on its timer and when it loses the focus;
    // on a loaded machine that may come before it is looked at.
    if (sub.isNull() && name == "ABOUTPROC") return;
    ASSERT_FALSE(sub.isNull()) << "no window opened";
    QRect place;
    RunOnGui([&] {
      ExpectWhole(sub);
      place = sub->geometry();
    });
    if (kind == ui::ProcedureKind::kStarted) CheckCalledForm(sub);
    RunOnGui([&] { Escape(sub); });
    ASSERT_TRUE(Closes(sub)) << "Escape did not close the window";
    // Saved at the close, restored at the next open: the same place.
    sub = Open(name, kind);
    ASSERT_FALSE(sub.isNull()) << "no window opened the second time";
    // A loaded machine (the checking build) may place the window a good
    // while after it settled at its first size: give it time to come back.
    WaitOnGui([&] { return sub.isNull() || sub->geometry() == place; }, std::chrono::seconds(3));
    RunOnGui([&] {
      EXPECT_EQ(sub->geometry(), place) << "the window moved between two opens: " << name;
      Escape(sub);
    });
    ASSERT_TRUE(Closes(sub));
  }

 private:
  // A maintenance list with rows: Enter opens the highlighted record's form,
  // and while it is open the list is disabled and a click on its Close
  // button is dropped, not run after the form has closed.
  void CheckCalledForm(const QPointer<QMdiSubWindow>& list) {
    QPointer<QWidget> rows;
    QPointer<QPushButton> close;
    RunOnGui([&] {
      auto* change = list->findChild<QPushButton*>("?Change");
      auto* table = list->findChild<QTableWidget*>("rows");
      if (change == nullptr || !change->isEnabled() || table == nullptr || table->rowCount() == 0) return;
      rows = table;
      close = list->findChild<QPushButton*>("?Close");
    });
    if (rows.isNull() || close.isNull()) return;
    std::vector<QMdiSubWindow*> before;
    RunOnGui([&] {
      before = OpenSubWindows();
      EXPECT_EQ(QApplication::focusWidget(), rows.data()) << "the list opens with the focus in its rows";
      SendKeyTo(rows, Qt::Key_Return);
    });
    QPointer<QMdiSubWindow> form = WaitForNewWindow(before);
    ASSERT_FALSE(form.isNull()) << "Enter in the list opened no form";
    RunOnGui([&] {
      ExpectWhole(form);
      EXPECT_TRUE(form->windowTitle().startsWith("Changing") || form->windowTitle().startsWith("Updating"))
          << form->windowTitle().toStdString();
      EXPECT_FALSE(list->widget()->isEnabled()) << "the list takes input while its form is open";
      Click(close);
      Escape(form);
    });
    ASSERT_TRUE(Closes(form)) << "Escape did not close the form";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    RunOnGui([&] {
      ASSERT_FALSE(list.isNull());
      EXPECT_TRUE(list->isVisible()) << "a click made while the form was open closed the list afterwards";
    });
  }

  app::Program& program_;
};

TEST(QtCatalog, EveryWindowOpensWholeClosesWithEscapeAndComesBackInPlace) {
  RunProgramAsUser([](app::Program& program) {
    RunOnGui([] { EXPECT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1280, 800)); });
    WaitOnGui([] {
      for (QMdiSubWindow* splash : OpenSubWindows()) splash->close();
      return OpenSubWindows().empty();
    });
    CatalogWindows windows(program);
    for (const auto& [name, kind] : program.procedures.Kinds()) {
      if (name != "Main") windows.Check(name, kind);
    }
    RunOnGui([] { Frame()->close(); });
  });
}

}  // namespace
}  // namespace vornel::platform::qt
