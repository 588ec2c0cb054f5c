#include "platform/qt/qt_gui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace vornel::platform::qt {

bool OnGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

void RunOnGui(const std::function<void()>& work) {
  if (OnGuiThread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), [&work] { work(); },
                            Qt::BlockingQueuedConnection);
}

}  // namespace vornel::platform::qt
