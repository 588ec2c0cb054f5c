#include "app/program.h"

#include "app/about_box.h"
#include "app/main_frame.h"
#include "errors/message_table.h"

namespace vornel::app {
namespace {

constexpr std::string_view kPositionsFile = "vornelwn.INI";

platform::SettingsFile PositionsFile(const platform::PathMap& paths) {
  auto path = paths.ResolveSettingsFile(kPositionsFile);
  return platform::SettingsFile(path ? *path : paths.settings_dir() / kPositionsFile);
}

}  // namespace

Program::Program(platform::PathMap paths_in, platform::WindowSystem& windows_in,
                 platform::MessageDisplay& display_in)
    : paths(std::move(paths_in)),
      windows(windows_in),
      display(display_in),
      errors(display, [this] {
        auto path = paths.Resolve("KIVError.Log");
        return path ? *path : paths.root() / "KIVError.Log";
      }),
      positions(PositionsFile(paths)),
      store(data::MakeSqliteStore()),
      data{*store, paths, errors},
      values(ProgramValues::Global()),
      threads(data) {
  errors::ErrorManager::SetGlobal(&errors);
  ui::WindowPositions::SetGlobal(&positions);
  Register("Main", RunMain);
  Register("ABOUTPROC", [](Program& program) { RunAboutBox(program, nullptr); });
}

Program::~Program() {
  threads.WaitAll();
  positions.Shutdown();
  ui::WindowPositions::SetGlobal(nullptr);
  errors::ErrorManager::SetGlobal(nullptr);
}

bool Program::StartMain() { return Start("Main"); }

void Program::Register(std::string name, Procedure procedure) {
  procedures_[std::move(name)] = std::move(procedure);
}

bool Program::Known(std::string_view name) const { return procedures_.contains(name); }

const Procedure* Program::Find(std::string_view name) {
  auto it = procedures_.find(name);
  if (it != procedures_.end()) return &it->second;
  errors.RaiseWithText(errors::msg::kProcedureNotDefined, name);
  return nullptr;
}

bool Program::Start(std::string_view name, std::size_t stack_bytes) {
  const Procedure* procedure = Find(name);
  if (procedure == nullptr) return false;
  return threads.Start(std::string(name), [this, procedure] { (*procedure)(*this); }, stack_bytes);
}

bool Program::Call(std::string_view name) {
  const Procedure* procedure = Find(name);
  if (procedure == nullptr) return false;
  (*procedure)(*this);
  return true;
}

}  // namespace vornel::app
