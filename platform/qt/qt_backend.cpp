#include "platform/qt/qt_backend.h"

#include <QApplication>
#include <QTimer>

#include "platform/qt/qt_message_display.h"
#include "platform/qt/qt_window.h"

namespace vornel::platform::qt {

struct QtBackend::Impl {
  Impl(int& argc, char** argv) : app(argc, argv), display(windows) {}

  QApplication app;
  QtWindowSystem windows;  // before the application goes: it deletes widgets
  QtMessageDisplay display;
};

QtBackend::QtBackend(int& argc, char** argv) {
  QApplication::setApplicationName("VORNEL");
  impl_ = std::make_unique<Impl>(argc, argv);
  // Windows come and go under the procedures' control; the loop ends when
  // they have all finished, not when the last window is closed.
  QApplication::setQuitOnLastWindowClosed(false);
}

QtBackend::~QtBackend() = default;

WindowSystem& QtBackend::windows() { return impl_->windows; }

MessageDisplay& QtBackend::display() { return impl_->display; }


int QtBackend::Run(std::function<bool()> finished) {
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &impl_->app, [finished = std::move(finished)] {
    if (finished()) QCoreApplication::quit();
  });
  poll.start(50);
  return QApplication::exec();
}

}  // namespace vornel::platform::qt
