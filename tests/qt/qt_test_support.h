#pragma once
// What the Qt tests share: one backend on the offscreen platform (a
// 1280×800 screen) for the whole run, a procedure thread beside the GUI
// loop, and GUI-thread helpers that find and drive widgets.
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QString>
#include <QTimer>
#include <QApplication>
#include <functional>

#include "app/program.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_gui_thread.h"
#include "tests/support/temp_dir.h"

class QAction;

namespace vornel::platform::qt {

QtBackend& Backend();

// Runs `procedure` on a thread of its own while the GUI loop runs here, until
// it returns.
void RunProcedure(const std::function<void()>& procedure);

// The next event that is not about the focus moving between windows or a
// window's size settling.
Event NextEvent(Window& window);

// A small generated root with the revision history kept from opening.
void MakeDemoRoot(const test::TempDir& root);

// The program on such a root: `user` runs on a thread of its own once the
// frame is ready, as the person at the desk (and closes the frame at the
// end); the GUI loop runs here until the user is done and every procedure
// has ended, which must end the loop cleanly.
void RunProgramAsUser(const std::function<void(app::Program&)>& user);

// GUI thread helpers.
QMainWindow* Frame();
QMdiSubWindow* SubWindow(const QString& title);
QAction* ActionNamed(QWidget* root, const QString& text);
void SendKeyTo(QWidget* widget, int key);
void PressEscape(QWidget* widget);

// Acts on the dialog of type W with that object name once it shows (it is
// looked for on every turn of the GUI loop, inside the dialog's own loop).
template <typename W>
void WhenShown(const QString& name, std::function<void(W*)> act) {
  RunOnGui([&] {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name, act] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<W*>(widget);
        if (dialog == nullptr || !dialog->isVisible() || dialog->objectName() != name) continue;
        poll->stop();
        poll->deleteLater();
        act(dialog);
        return;
      }
    });
    poll->start(1);
  });
}

}  // namespace vornel::platform::qt
