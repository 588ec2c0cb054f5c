#include "app/department_routine.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>
#include <stdexcept>

#include "app/agency_settings.h"
#include "app/department_directories.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/field_access.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "errors/message_entry.h"
#include "platform/dates.h"
#include "platform/program_stop.h"
#include "platform/runtime_error.h"
#include "platform/settings_file.h"
#include "platform/text.h"

namespace vornel::app {

namespace {

using data::DepartmentsRecord;
using data::FileManager;
using data::kStoreOk;
using data::SetupsRecord;
using errors::kGoOn;

// Which Setups field of each of the four sets becomes which department field.
struct SetCopy {
  std::string_view department;
  std::string_view sets[4];
};

constexpr SetCopy kSetCopies[] = {
    {"ACTIVITY", {"ACTIVITY1", "ACTIVITY2", "ACTIVITY3", "ACTIVITY4"}},
    {"MA7_RESCODE", {"MA7_RESCODE", "MA7_RESCODE2", "MA7_RESCODE3", "MA7_RESCODE4"}},
    {"MA10_PROV", {"MA10_PROV", "MA10_PROV2", "MA10_PROV3", "MA10_PROV4"}},
    {"MA11_PROVTYP", {"MA11_PROVTYP", "MA11_PROVTY2", "MA11_PROVTY3", "MA11_PROVTY4"}},
    {"MA12_PROVID", {"MA12_PROVID", "MA12_PROVID2", "MA12_PROVID3", "MA12_PROVID4"}},
    {"MA13_PROVADD", {"MA13_PROVADD", "MA13_PROVAD2", "MA13_PROVAD3", "MA13_PROVAD4"}},
    {"MA17_PAYEE", {"MA17_PAYEE1", "MA17_PAYEE2", "MA17_PAYEE3", "MA17_PAYEE4"}},
    {"MA23_SUPDOC", {"MA23_SUPDOC", "MA23_SUPDOC2", "MA23_SUPDOC3", "MA23_SUPDOC4"}},
    {"MA24_PRELIC", {"MA24_PRELIC", "MA24_PRELIC2", "MA24_PRELIC3", "MA24_PRELIC4"}},
    {"MA29G_DX", {"MA29G_DX", "MA29G_DX2", "MA29G_DX3", "MA29G_DX4"}},
    {"MA29H_TYPE", {"MA29H_TYPE", "MA29H_TYPE2", "MA29H_TYPE3", "MA29H_TYPE4"}},
    {"MA29L_PLACE", {"MA29L_PLACE", "MA29L_PLACE2", "MA29L_PLACE3", "MA29L_PLACE4"}},
    {"POSTDATE", {"POSTDATE1", "POSTDATE2", "POSTDATE3", "POSTDATE4"}},
    {"FEDTAXNO", {"FEDTAXNO", "FEDTAXNO2", "FEDTAXNO3", "FEDTAXNO4"}},
};

// Fills a department record from Setups set `set` (1..4). Every Setups field
// fits its department field, so a refusal is a fault of the table above.
void FillDepartment(int set, std::span<const char> setups, std::span<char> department) {
  const data::FileDef& from_file = data::SetupsFile();
  const data::FileDef& to_file = data::DepartmentsFile();
  for (const SetCopy& copy : kSetCopies) {
    const data::FieldDef* to = to_file.FindField(copy.department);
    const data::FieldDef* from = from_file.FindField(copy.sets[set - 1]);
    bool copied = false;
    if (to && from) {
      copied = to->type == data::FieldType::kText
                   ? data::WriteText(to_file, *to, department,
                                     data::ReadText(from_file, *from, setups))
                   : data::WriteNumber(to_file, *to, department,
                                       data::ReadNumber(from_file, *from, setups));
    }
    if (!copied)
      throw std::logic_error("department set copy of " + std::string(copy.department) +
                             " does not match the dictionary");
  }
}

template <std::size_t N, std::size_t M>
void CopyText(char (&to)[N], const char (&from)[M]) {
  static_assert(M <= N, "the value must hold the whole field");
  platform::AssignPadded(to, platform::ReadField(from));
}

// Opens a file manager for the routine and closes it again, also when a
// stop unwinds the thread.
class FileUse {
 public:
  explicit FileUse(FileManager& file) : file_(file) { file_.Open(); }
  ~FileUse() { file_.Close(); }
  FileUse(const FileUse&) = delete;
  FileUse& operator=(const FileUse&) = delete;

 private:
  FileManager& file_;
};

// Closes a file the routine opened directly (not through its file manager).
class DirectOpen {
 public:
  explicit DirectOpen(data::RecordFile* file) : file_(file) {}
  ~DirectOpen() {
    if (file_) file_->Close();
  }
  DirectOpen(const DirectOpen&) = delete;
  DirectOpen& operator=(const DirectOpen&) = delete;

 private:
  data::RecordFile* file_;
};

}  // namespace

DepartmentRoutine::DepartmentRoutine(data::FileRegistry& files, platform::MessageDisplay& display,
                                     ui::ProgramValues& values)
    : files_(files), display_(display), values_(values) {}

bool DepartmentRoutine::RunAtStartup() {
  values_.selection = '0';
  return Run();
}

bool DepartmentRoutine::SwitchTo(std::int16_t department) {
  if (department == values_.department) return false;
  values_.selection = 'C';
  values_.department = department;
  Run();
  values_.selection = '2';
  return true;
}

bool DepartmentRoutine::Run() {
  {
    FileUse setups(files_.Get(data::SetupsFile()));
    FileUse departments(files_.Get(data::DepartmentsFile()));
    KeepOneSetupsRecord();
    ReadSetupsRecord();
    CreateDepartments();
    CopySetupsValues();
    ChooseDepartment();
    ReadDepartment();
    EnterDepartmentDirectory();
    auto& setup = files_.Get(data::SetupsFile()).record<SetupsRecord>();
    CopyText(setup.LASTACT, values_.activity);
    WriteSetups();
    TakeAgencySettings();
  }
  ReadHistoryPopup();
  return values_.history_popup == 1 && values_.selection != 'C';
}

// Only the first Setups record is used; extra ones are removed so that every
// procedure reads the same settings.
void DepartmentRoutine::KeepOneSetupsRecord() {
  constexpr std::string_view kFailure = "  on setups 109 next record 1";
  FileManager& setups = files_.Get(data::SetupsFile());
  // A missing Setups is not created: the file manager stops the program.
  if (setups.CheckUse(data::kUseReadWrite) != kGoOn) Stop(LastFileError() + std::string(kFailure));
  data::RecordFile& file = setups.file();
  const std::int64_t count = file.Records();
  if (count < 0) Stop(LastFileError() + std::string(kFailure));
  if (count <= 1) return;
  if (file.SetOrder(nullptr) != kStoreOk || file.Next() != kStoreOk)
    Stop(LastFileError() + std::string(kFailure));
  for (std::int64_t extra = 1; extra < count; ++extra) {
    if (file.Next() != kStoreOk) Stop(LastFileError() + std::string(kFailure));
    // An extra record that cannot go is reported and left: the first one
    // is the one in use either way.
    if (setups.DeleteRecord(false) != kGoOn) setups.Raise();
  }
}

void DepartmentRoutine::ReadSetupsRecord() {
  data::RecordFile& file = files_.Get(data::SetupsFile()).file();
  if (file.SetOrder(nullptr) != kStoreOk || file.Next() != kStoreOk)
    Stop(LastFileError() + "  on setups get record 1");
}

// The one-time move from the four department sets of Setups to the
// departments file, marked done by SET:MA_PER_PAGE 7.
void DepartmentRoutine::CreateDepartments() {
  auto& setup = files_.Get(data::SetupsFile()).record<SetupsRecord>();
  if (setup.MA_PER_PAGE != 6) return;
  FileManager& departments = files_.Get(data::DepartmentsFile());
  data::RecordFile& file = departments.file();
  data::RecordFile* opened_here = nullptr;
  if (!departments.IsPhysicallyOpen()) {
    if (file.Create() != kStoreOk) Stop("Error on Department File Creation: " + LastFileError());
    // Read and write, denying others write access while the departments are made.
    if (file.Open(data::kOpenBatch) != kStoreOk)
      Stop("Error on Opening New Department File: " + LastFileError());
    opened_here = &file;
  }
  DirectOpen close_after(opened_here);
  const data::KeyDef& key = *data::DepartmentsFile().PrimaryKey();
  auto& department = departments.record<DepartmentsRecord>();
  std::span<const char> setups = files_.Get(data::SetupsFile()).buffer();
  for (std::int16_t number = 1; number <= 4; ++number) {
    file.ClearBuffer();
    department.DEPT_NO = number;
    // A start that stopped before writing Setups back left its departments
    // behind: keep them rather than fail on their numbers.
    if (file.GetByKey(key) == kStoreOk) continue;
    file.ClearBuffer();
    FillDepartment(number, setups, departments.buffer());
    department.DEPT_NO = number;
    if (file.Add() != kStoreOk)
      Stop("Error on Adding Department " + std::to_string(number) + ": " + LastFileError());
  }
  setup.MA_PER_PAGE = 7;  // written back with the record
}

void DepartmentRoutine::CopySetupsValues() {
  const auto& setup = files_.Get(data::SetupsFile()).record<SetupsRecord>();
  values_.reference_date = setup.REF_DATE;
  values_.topdate = setup.REF_DATE;
  values_.posting_start_date = setup.REF_DATE;
  CopyText(values_.collector, setup.COLLECTOR);
  values_.billing_amount_option = setup.BCOPT;
  CopyText(values_.password, setup.PW);
  std::string line1 = std::string(platform::ReadField(setup.NAME)) + " " +
                      std::string(platform::ReadField(setup.ADDRESS1));
  // Both fields full to the last character make 61: the line holds 60.
  platform::AssignCut(values_.address1, line1);
  CopyText(values_.address2, setup.ADDRESS2);
  std::string line3 = std::string(platform::ReadField(setup.CITYETC)) + "," +
                      std::string(setup.ZIP, sizeof setup.ZIP);
  platform::AssignPadded(values_.address3, line3);  // at most 24 + 1 + 5
}

void DepartmentRoutine::ChooseDepartment() {
  auto& setup = files_.Get(data::SetupsFile()).record<SetupsRecord>();
  if (values_.selection == 'C') {
    setup.ACT_INDX = values_.department;
  } else {
    values_.department = setup.ACT_INDX;
  }
  // The file manager creates a missing departments file and reports its own
  // failures; this stop covers a report that returns.
  if (files_.Get(data::DepartmentsFile()).CheckUse(data::kUseReadWrite) != kGoOn)
    Stop("Error on Opening Departments File: " + LastFileError());
}

// The chosen department, or the next higher one when it no longer exists.
void DepartmentRoutine::ReadDepartment() {
  FileManager& departments = files_.Get(data::DepartmentsFile());
  auto& department = departments.record<DepartmentsRecord>();
  departments.file().ClearBuffer();
  department.DEPT_NO = values_.department;
  if (departments.file().SetByKey(*data::DepartmentsFile().PrimaryKey()) != kStoreOk ||
      departments.NextQuiet() != kGoOn) {
    const bool none = platform::LastRuntimeError().code == data::kRecordNotAvailable;
    Stop("Error on Getting Last Department Used: " +
         (none ? LastFileError() + ": no department numbered " +
                     std::to_string(values_.department) + " or higher in " + departments.GetName()
               : LastFileError()));
  }
  values_.department = department.DEPT_NO;
  // Keep SET:ACT_INDX naming the department actually in use.
  files_.Get(data::SetupsFile()).record<SetupsRecord>().ACT_INDX = department.DEPT_NO;
  CopyText(values_.activity, department.ACTIVITY);
  ui::ProgramValues::BillingIds& ids = values_.billing;
  CopyText(ids.MA7_RESCODE, department.MA7_RESCODE);
  CopyText(ids.MA10_PROV, department.MA10_PROV);
  CopyText(ids.MA11_PROVTYP, department.MA11_PROVTYP);
  CopyText(ids.MA12_PROVID, department.MA12_PROVID);
  CopyText(ids.MA13_PROVADD, department.MA13_PROVADD);
  CopyText(ids.MA17_PAYEE, department.MA17_PAYEE);
  CopyText(ids.MA23_SUPDOC, department.MA23_SUPDOC);
  CopyText(ids.MA24_PRELIC, department.MA24_PRELIC);
  CopyText(ids.MA29G_DX, department.MA29G_DX);
  CopyText(ids.MA29H_TYPE, department.MA29H_TYPE);
  CopyText(ids.MA29L_PLACE, department.MA29L_PLACE);
  CopyText(ids.FEDTAXNO, department.FEDTAXNO);
  // Never posted: 1 January of two-digit year 2, through the century window.
  values_.last_post_date =
      department.POSTDATE != 0 ? department.POSTDATE : platform::DateFromMdy(1, 1, 2);
  values_.post_date_override = 0;
}

// Relative file names resolve in the department's directory from now on;
// the process's own working directory is never changed.
void DepartmentRoutine::EnterDepartmentDirectory() {
  platform::PathMap& paths = files_.context().paths;
  if (std::string error = MakeDepartmentDirectories(paths, values_.department); !error.empty())
    Stop("Error on Creating Department Directory: " + error);
  const std::string directory = platform::PathMap::DepartmentDirectory(values_.department);
  if (!paths.SetWorkingDirectory(directory))
    Stop("Error on Setting Department Directory: " + directory);
  CheckDepartmentDatabases();
}

// A damaged database of the department (empty, of another program, not a
// database) stops here, named, rather than at the first procedure that uses
// it; it is never replaced by a new empty one. A missing database is made
// when a file in it is first used.
void DepartmentRoutine::CheckDepartmentDatabases() {
  const platform::PathMap& paths = files_.context().paths;
  std::set<std::filesystem::path> checked;
  for (const data::FileDef& def : data::AllFiles()) {
    if (def.location != data::FileLocation::kDepartment) continue;
    auto path = paths.Resolve(def.file_name);
    if (!path || !checked.insert(path->parent_path()).second) continue;
    // Read only and denying nobody: the probe never stands in another's way.
    std::unique_ptr<data::RecordFile> file = files_.context().store.MakeFile(def, path->parent_path());
    const int answer = file->Open(data::kOpenFallback);
    if (answer == data::kDriverError)
      Stop("Error on Opening Department " + std::to_string(values_.department) + ": " +
           LastFileError());
    file->Close();
  }
}

void DepartmentRoutine::WriteSetups() {
  if (files_.Get(data::SetupsFile()).UpdateQuiet() != kGoOn)
    Stop("Error on Writing Setups: " + LastFileError());
}

void DepartmentRoutine::TakeAgencySettings() {
  AgencySettingsResult agency = ReadAgencySettings(files_.context().paths);
  if (!agency.ok()) Stop(agency.error);
  auto& setup = files_.Get(data::SetupsFile()).record<SetupsRecord>();
  if (!agency.unreadable.empty()) {
    // The settings record keeps what it holds (blanks would overwrite the
    // agency's name in it) and the name shown comes from there.
    Notify(agency.unreadable + "|The agency name, facility and signature stay as the settings "
                               "record has them; the NPI is blank until the file is readable.");
    CopyText(values_.agency_name, setup.COMPANY);
    platform::AssignPadded(values_.agency_npi, "");
    return;
  }
  // The widths were checked on reading, so none of these can be refused.
  platform::AssignPadded(values_.agency_name, agency.settings.name);
  platform::AssignPadded(values_.agency_npi, agency.settings.npi);
  platform::AssignPadded(setup.COMPANY, agency.settings.name);
  platform::AssignPadded(setup.FACILITY, agency.settings.facility);
  platform::AssignPadded(setup.BC_SGNAME, agency.settings.signature);
  WriteSetups();
}

// A missing entry reads as 0 and is written as 1, so the revision history
// list first opens at the next start.
void DepartmentRoutine::ReadHistoryPopup() {
  values_.history_popup = 0;
  auto path = files_.context().paths.Resolve(kProgramSettingsFile);
  if (!path) return;
  platform::SettingsFile settings(*path);
  if (std::string problem = settings.Problem(); !problem.empty()) {
    // The list stays closed and the file untouched until it can be read.
    Notify("Program settings: " + problem + ".|The revision history list is not opened.");
    return;
  }
  if (!settings.Find(kProgramControlSection, kHistoryPopupEntry)) {
    settings.SetInt(kProgramControlSection, kHistoryPopupEntry, 1);  // a failed write is not reported
    return;
  }
  long value = settings.GetInt(kProgramControlSection, kHistoryPopupEntry, 0);
  values_.history_popup = static_cast<std::int16_t>(
      std::clamp<long>(value, std::numeric_limits<std::int16_t>::min(),
                       std::numeric_limits<std::int16_t>::max()));
}

void WriteHistoryPopup(const platform::PathMap& paths, int value) {
  auto path = paths.Resolve(kProgramSettingsFile);
  if (!path) return;
  platform::SettingsFile(*path).SetInt(kProgramControlSection, kHistoryPopupEntry, value);
}

std::string DepartmentRoutine::LastFileError() {
  const platform::RuntimeError& last = platform::LastRuntimeError();
  const std::string code = std::to_string(last.code) + "  ";
  // A failure of the store itself is said in its words, naming the file.
  if (last.code == data::kDriverError && !last.file_error_text.empty())
    return code + last.file_error_text;
  return code + last.text + (last.file_error_text.empty() ? "" : ": " + last.file_error_text);
}

void DepartmentRoutine::Notify(std::string_view text) {
  display_.ShowMessage({std::string(text), "VORNEL", platform::Icon::kExclamation,
                        platform::kButtonOk, platform::kButtonOk, 0});
}

void DepartmentRoutine::Stop(std::string_view text) {
  display_.StopProgram({std::string(text), "VORNEL", platform::Icon::kExclamation,
                        platform::kButtonOk, platform::kButtonOk, 0});
  // A display must not return from a stop; should one do so, unwind anyway
  // rather than carry on with the department half settled.
  throw platform::ProgramStop(std::string(text));
}

}  // namespace vornel::app
