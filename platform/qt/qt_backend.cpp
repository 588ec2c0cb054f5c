#include "platform/qt/qt_backend.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "platform/qt/qt_message_display.h"
#include "platform/qt/qt_window.h"

namespace vornel::platform::qt {
namespace {

// The program's own icon, drawn here so that no image file has to travel
// with it: a white "V" on a teal rounded square, at the sizes title bars and
// task bars ask for.
QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x7a, 0x8c));
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 5.0, size / 5.0);
    QFont font;
    font.setBold(true);
    font.setPixelSize(size * 3 / 4);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, "V");
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

struct QtBackend::Impl {
  Impl(int& argc, char** argv) : app(argc, argv), display(windows) {}

  QApplication app;
  QtWindowSystem windows;  // before the application goes: it deletes widgets
  QtMessageDisplay display;
  std::function<bool()> finished;  // while Run runs
};

QtBackend::QtBackend(int& argc, char** argv) {
  QApplication::setApplicationName("VORNEL");
  impl_ = std::make_unique<Impl>(argc, argv);
  // Windows come and go under the procedures' control; the loop ends when
  // they have all finished, not when the last window is closed.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(ProgramIcon());
}

QtBackend::~QtBackend() = default;

WindowSystem& QtBackend::windows() { return impl_->windows; }

MessageDisplay& QtBackend::display() { return impl_->display; }


int QtBackend::Run(std::function<bool()> finished) {
  impl_->finished = std::move(finished);
  // Wake asks at once; the timer only catches a condition nobody woke for.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &impl_->app, [this] {
    if (impl_->finished()) QCoreApplication::quit();
  });
  poll.start(250);
  const int code = QApplication::exec();
  impl_->finished = nullptr;
  return code;
}

void QtBackend::Wake() {
  QMetaObject::invokeMethod(
      &impl_->app,
      [this] {
        if (impl_->finished && impl_->finished()) QCoreApplication::quit();
      },
      Qt::QueuedConnection);
}

}  // namespace vornel::platform::qt
