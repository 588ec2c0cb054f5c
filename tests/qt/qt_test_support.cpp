#include "tests/qt/qt_test_support.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMdiArea>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include <unistd.h>

#include "app/demo_data/demo_generator.h"

namespace vornel::platform::qt {
namespace {

std::unique_ptr<QtBackend> backend;

// The offscreen platform with one 1280×800 screen, the smallest an office
// desk has: windows that fit here fit everywhere.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && std::string(platform) == "offscreen") {
      screen_file_ = std::filesystem::temp_directory_path() / ("vornel-qt-screen-" + std::to_string(getpid()) + ".json");
      test::WriteFile(screen_file_,
                      R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1280, "height": 800,)"
                      R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
      const std::string choice = "offscreen:configfile=" + screen_file_.string();
      setenv("QT_QPA_PLATFORM", choice.c_str(), 1);
    }
    backend = std::make_unique<QtBackend>(argc_, argv_);
  }
  void TearDown() override {
    backend.reset();
    if (!screen_file_.empty()) std::filesystem::remove(screen_file_);
  }

 private:
  int argc_ = 1;
  char name_[9] = "qt_tests";
  char* argv_[2] = {name_, nullptr};
  std::filesystem::path screen_file_;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QtBackend& Backend() { return *backend; }

void RunProcedure(const std::function<void()>& procedure) {
  std::atomic<bool> done{false};
  std::thread thread([&] {
    procedure();
    done = true;
  });
  backend->Run([&] { return done.load(); });
  thread.join();
}

Event NextEvent(Window& window) {
  for (;;) {
    Event event = window.WaitEvent();
    if (event.kind != EventKind::kGainFocus && event.kind != EventKind::kLoseFocus &&
        event.kind != EventKind::kResized)
      return event;
  }
}

void MakeDemoRoot(const test::TempDir& root) {
  app::demo::DemoOptions options;
  options.root = root.path();
  options.clients = 3;
  options.months = 1;
  ASSERT_TRUE(app::demo::GenerateDemoData(options).ok);
  test::WriteFile(root / "VORNEL" / "vornel.ini", "[Program Control]\nHistory Popup=0\n");
}

void RunProgramAsUser(const std::function<void(app::Program&)>& user) {
  test::TempDir root;
  ASSERT_NO_FATAL_FAILURE(MakeDemoRoot(root));
  app::Program program(PathMap(root.path(), root / "config"), backend->windows(), backend->display());
  std::atomic<bool> ready{false};
  std::atomic<bool> done{false};
  program.on_frame_ready = [&] { ready = true; };
  ASSERT_TRUE(program.StartMain());
  std::thread person([&] {
    while (!ready) std::this_thread::yield();
    user(program);
    done = true;
  });
  const int code = backend->Run([&] { return done && program.threads.running() == 0; });
  person.join();
  EXPECT_EQ(code, 0);
}

QMainWindow* Frame() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == "frame" && widget->isVisible()) return qobject_cast<QMainWindow*>(widget);
  }
  return nullptr;
}

QMdiSubWindow* SubWindow(const QString& title) {
  QMainWindow* frame = Frame();
  if (frame == nullptr) return nullptr;
  for (QMdiSubWindow* sub : frame->findChild<QMdiArea*>()->subWindowList()) {
    if (sub->windowTitle() == title) return sub;
  }
  return nullptr;
}

QAction* ActionNamed(QWidget* root, const QString& text) {
  for (QAction* action : root->findChildren<QAction*>()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

void SendKeyTo(QWidget* widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

void PressEscape(QWidget* widget) { SendKeyTo(widget, Qt::Key_Escape); }

}  // namespace vornel::platform::qt
