#include "app/main_frame.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "app/about_box.h"
#include "app/department_routine.h"
#include "app/frame_texts.h"
#include "app/main_menu.h"
#include "app/program.h"
#include "errors/message_table.h"
#include "platform/text.h"
#include "ui/window_manager.h"

extern char** environ;

namespace vornel::app {
namespace {

using platform::Event;
using platform::EventKind;

enum StatusPart { kHints = 1, kTime = 2, kDate = 3, kVersion = 4 };
constexpr int kTimerInterval = 100;  // hundredths: once a second

// Starts an external program without a shell and without waiting for it; a
// thread of its own collects its exit. False when it cannot be started.
bool StartExternal(const std::filesystem::path& program) {
  std::string file = program.string();
  char* argv[] = {file.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  return true;
}

class MainFrame : public ui::WindowManager {
 public:
  explicit MainFrame(Program& program)
      : WindowManager(program.windows, program.errors), program_(program) {}

  int Init() override {
    WindowManager::Init();
    ui::ThreadState& thread = *ui::CurrentThread();
    Open(MainFrameSpec());
    thread.global_request = 0;
    thread.global_response = 0;
    DepartmentRoutine routine(thread.files, program_.display, program_.values);
    if (routine.RunAtStartup()) program_.Start("BrowseRevisionHistory", 25000);
    window()->SetStatus(kVersion, platform::ReadField(program_.values.version_label));
    ResetFrame();
    window()->SetTimer(kTimerInterval);
    ShowClock();
    return 0;
  }

  int Shutdown() override {
    const int result = WindowManager::Shutdown();
    program_.windows.CloseDown();
    return result;
  }

  int OnEvent(const Event& event) override {
    switch (event.kind) {
      case EventKind::kOpenWindow:
        splash_ = std::make_shared<SplashHandle>();
        // The box may outlive this frame object: it holds the program, not the frame.
        program_.threads.Start("ABOUTPROC", [&program = program_, splash = splash_] {
          RunAboutBox(program, splash);
        });
        if (program_.on_frame_ready) program_.on_frame_ready();
        return ui::kHandled;
      case EventKind::kTimer: ShowClock(); return ui::kHandled;
      case EventKind::kCloseWindow: return Exit();
      case EventKind::kCloseDown: return ui::kEndLoop;
      case EventKind::kAccepted:
        if (splash_) {
          splash_->Close();
          splash_.reset();
        }
        if (const MainMenuItem* item = MenuItemOfCommand(event.control)) return OnMenuItem(*item);
        if (const MainToolItem* tool = ToolItemOfCommand(event.control)) return OnToolButton(*tool);
        return ui::kHandled;
      default: return WindowManager::OnEvent(event);
    }
  }

 private:
  int OnMenuItem(const MainMenuItem& item) {
    switch (item.action) {
      case ItemAction::kExit: return Exit();
      case ItemAction::kExternal: {
        auto program = program_.paths.Resolve(item.procedure);
        if (!program || !StartExternal(*program))
          program_.errors.RaiseWithText(errors::msg::kProcedureNotDefined, item.procedure);
        return ui::kHandled;
      }
      default:
        if (item.selection != 0) program_.values.selection = item.selection;
        program_.Start(item.procedure, static_cast<std::size_t>(item.stack));
        return ui::kHandled;
    }
  }

  int OnToolButton(const MainToolItem& tool) {
    switch (tool.action) {
      case ItemAction::kExit:
        WriteHistoryPopup(program_.paths, program_.values.history_popup);
        return Exit();
      case ItemAction::kCallHere:
        if (program_.Call(tool.procedure)) ResetFrame();
        return ui::kHandled;
      default: program_.Start(tool.procedure); return ui::kHandled;
    }
  }

  // The program ends once every open window has closed as its own close
  // would, each asking about its changes; one kept open keeps it running.
  int Exit() { return program_.windows.AskAllToClose() ? ui::kEndLoop : ui::kHandled; }

  // Every reset sets the title anew (after start-up and a department switch).
  void ResetFrame() {
    window()->SetTitle(FrameTitle(program_.values));
    Reset(true);
  }

  void ShowClock() {
    window()->SetStatus(kDate, StatusDate(platform::Today()));
    window()->SetStatus(kTime, StatusTime(platform::Clock()));
  }

  Program& program_;
  std::shared_ptr<SplashHandle> splash_;
};

}  // namespace

void RunMain(Program& program) {
  errors::ProcedureName name(program.errors, "Main");
  MainFrame(program).Run();
}

}  // namespace vornel::app
