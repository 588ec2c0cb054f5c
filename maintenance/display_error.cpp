// DisplayError: the small "System Warning" window that shows the text a
// caller put into the program's warning text, for a warning that needs no
// answer. It ends only through its Close button, always completed.
#include "errors/error_manager.h"
#include "maintenance/families.h"
#include "ui/window_manager.h"

namespace vornel::maintenance {
namespace {

constexpr const char* kProcedure = "DisplayError";

class DisplayError : public ui::WindowManager {
 public:
  explicit DisplayError(const ui::Services& services)
      : WindowManager(services.windows, services.errors), values_(services.values) {}
  ~DisplayError() override { DisplayError::Shutdown(); }

  int Init() override {
    WindowManager::Init();
    platform::WindowSpec spec;
    spec.procedure = kProcedure;
    spec.title = "System Warning";
    spec.controls = {platform::Shown("?MESSAGE", "", "@s255", platform::Ref(values_.warning_text)),
                     platform::Button("?Close", "&Close")};
    // Nothing to answer: Enter and Escape both close it.
    spec.default_button = spec.cancel_button = "?Close";
    Open(spec);
    AddButton(window()->Control("?Close"), ui::kCompleted);
    return 0;
  }

 private:
  ui::ProgramValues& values_;
};

}  // namespace

void RegisterDisplayError(const ui::Services& services) {
  services.procedures.Register(kProcedure, [&services] {
    errors::ProcedureName name(services.errors, kProcedure);
    const int response = DisplayError(services).Run();
    if (ui::ThreadState* thread = ui::CurrentThread()) thread->global_response = response;
  });
}

}  // namespace vornel::maintenance
