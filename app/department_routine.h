#pragma once
// The department routine: settles the current department at start-up and on
// a department switch. It keeps one Setups record, creates the departments
// once from the Setups sets, reads the chosen department into the
// program-wide values, makes its directory the working directory of the path
// map (never the process's) and takes the agency settings and the history
// popup setting.
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/program_values.h"
#include "data/file_registry.h"
#include "platform/message_box.h"

namespace vornel::app {

// The program-level switches: "History Popup" 1 opens the revision history
// list at start-up.
inline constexpr std::string_view kProgramSettingsFile = "\\vornel\\vornel.ini";
inline constexpr std::string_view kProgramControlSection = "Program Control";
inline constexpr std::string_view kHistoryPopupEntry = "History Popup";

// Writes the history popup setting, as the toolbar's Exit does; a failed
// write is not reported.
void WriteHistoryPopup(const platform::PathMap& paths, int value);

// Runs on the calling thread through that thread's file managers. Every
// failure stops the program through `display` (the headless display throws
// platform::ProgramStop); there is no retry.
class DepartmentRoutine {
 public:
  DepartmentRoutine(data::FileRegistry& files, platform::MessageDisplay& display,
                    ui::ProgramValues& values);

  // Start-up: selection character '0', department from SET:ACT_INDX. Answers
  // whether the revision history list should be opened now.
  bool RunAtStartup();

  // A department switch: selection character 'C', `department` stored into
  // SET:ACT_INDX, then '2'. Nothing happens (false) when `department` is
  // already the current one.
  bool SwitchTo(std::int16_t department);

  // The routine itself, with the selection character and (for 'C') the
  // department number already set in the values. Answers whether the
  // revision history list should be opened: the setting is 1 and this is
  // not a switch.
  bool Run();

 private:
  void KeepOneSetupsRecord();
  void ReadSetupsRecord();
  void CreateDepartments();
  void CopySetupsValues();
  void ChooseDepartment();
  void ReadDepartment();
  void EnterDepartmentDirectory();
  void CheckDepartmentDatabases();
  void WriteSetups();
  void TakeAgencySettings();
  void ReadHistoryPopup();

  // "<code>  <text>" of this thread's last file error, with what is wrong
  // in words and the file it concerns when the store said so.
  static std::string LastFileError();
  [[noreturn]] void Stop(std::string_view text);
  // A notice; the routine goes on.
  void Notify(std::string_view text);

  data::FileRegistry& files_;
  platform::MessageDisplay& display_;
  ui::ProgramValues& values_;
};

}  // namespace vornel::app
