#include "app/program.h"

#include "app/about_box.h"
#include "app/department_routine.h"
#include "app/departments.h"
#include "data/store/store_choice.h"
#include "app/main_frame.h"
#include "maintenance/master_files.h"
#include "posting/posting_windows.h"
#include "reports/reports.h"
#include "reports/report_parameters.h"
#include "visits/appointment_book.h"
#include "visits/appointment_form.h"
#include "visits/day_pickers.h"
#include "visits/visit_form.h"
#include "visits/visit_log.h"

namespace vornel::app {
namespace {

constexpr std::string_view kPositionsFile = "vornelwn.INI";

// The record store that the root's program settings choose.
std::unique_ptr<data::RecordStore> ChosenStore(const platform::PathMap& paths) {
  auto path = paths.Resolve(kProgramSettingsFile);
  if (!path) return data::MakeSqliteStore();
  return data::MakeChosenStore(data::ReadStoreChoice(platform::SettingsFile(*path)), paths.root());
}

platform::SettingsFile PositionsFile(const platform::PathMap& paths) {
  auto path = paths.ResolveSettingsFile(kPositionsFile);
  return platform::SettingsFile(path ? *path : paths.settings_dir() / kPositionsFile);
}

}  // namespace

Program::Program(platform::PathMap paths_in, platform::WindowSystem& windows_in,
                 platform::MessageDisplay& display_in, platform::page::PageOutput* output_in)
    : paths(std::move(paths_in)),
      windows(windows_in),
      display(display_in),
      output(output_in != nullptr ? *output_in : no_output),
      errors(display, [this] {
        auto path = paths.Resolve("KIVError.Log");
        return path ? *path : paths.root() / "KIVError.Log";
      }),
      positions(PositionsFile(paths)),
      store(ChosenStore(paths)),
      data{*store, paths, errors},
      values(ui::ProgramValues::Global()),
      threads(data),
      procedures(threads, errors),
      services{windows, display, errors, data, values, procedures, output} {
  errors::ErrorManager::SetGlobal(&errors);
  ui::WindowPositions::SetGlobal(&positions);
  procedures.Register("Main", [this] { RunMain(*this); });
  procedures.Register("ABOUTPROC", [this] { RunAboutBox(*this, nullptr); });
  maintenance::RegisterMasterFiles(services);
  visits::RegisterDayPickers(services);
  reports::RegisterReportParameters(services);
  visits::RegisterVisitForm(services);
  visits::RegisterVisitLog(services);
  visits::RegisterAppointmentForms(services);
  visits::RegisterAppointmentBook(services);
  posting::RegisterPosting(services);
  reports::RegisterReports(services);
  RegisterDepartments(services);
}

Program::~Program() {
  threads.WaitAll();
  positions.Shutdown();
  ui::WindowPositions::SetGlobal(nullptr);
  errors::ErrorManager::SetGlobal(nullptr);
}

bool Program::StartMain() { return Start("Main"); }

}  // namespace vornel::app
