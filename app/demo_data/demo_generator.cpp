#include "app/demo_data/demo_generator.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/demo_data/demo_catalog.h"
#include "app/demo_data/record_batch.h"
#include "app/department_directories.h"
#include "data/data_context.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "data/store/pg_store.h"
#include "data/store/store_choice.h"
#include "errors/error_manager.h"
#include "platform/headless/headless_message_display.h"
#include "platform/paths.h"
#include "platform/program_stop.h"
#include "platform/settings_file.h"
#include "platform/text.h"

namespace vornel::app::demo {
namespace {

namespace fs = std::filesystem;

// The agency settings file (relative to the root) and the demo agency's values.
constexpr std::string_view kAgencyFile = "VORNEL/agency.ini";
constexpr std::string_view kAgencySection = "Agency";
constexpr std::string_view kAgencyName = "Riverbend Counseling Services";
constexpr std::string_view kFacility = "0421387";
constexpr std::string_view kSignature = "Dana Whitfield, Director";
constexpr std::string_view kNpi = "1234567893";

struct Revision {
  double number;
  std::string_view title, description;
};
constexpr Revision kRevisions[] = {
    {3.07, "Client consolidation",
     "Clients entered twice can be merged into one record with all of their visits, payments and "
     "charge lines."},
    {3.08, "UB-04 laser form",
     "Claims can be printed on the UB-04 form by a laser printer; the provider NPI is printed on "
     "every claim."},
    {3.09, "Department switch",
     "The current department can be changed from the toolbar without leaving the program."},
};

template <std::size_t N>
bool Set(RecordBatch& batch, char (&field)[N], std::string_view text) {
  if (platform::AssignPadded(field, text)) return true;
  return batch.Fail("\"" + std::string(text) + "\" does not fit a field of " + std::to_string(N));
}

// The root must be new or empty; with force only ROOT/VORNEL is replaced.
std::string PrepareRoot(const DemoOptions& options) {
  std::error_code ec;
  const fs::path& root = options.root;
  if (fs::exists(root, ec)) {
    if (!fs::is_directory(root, ec)) return root.string() + " exists and is not a directory";
    const bool empty = fs::directory_iterator(root, ec) == fs::directory_iterator();
    if (ec) return "cannot read " + root.string() + ": " + ec.message();
    if (!empty && !options.force)
      return root.string() + " is not empty; give --force to replace " + (root / "VORNEL").string();
    if (!empty) fs::remove_all(root / "VORNEL", ec);
    if (ec) return "cannot remove " + (root / "VORNEL").string() + ": " + ec.message();
  }
  for (const DepartmentEntry& department : Departments()) {
    const fs::path directory = root / "VORNEL" / std::to_string(department.number);
    for (const char* sub : {"ARCS", "STATS"}) {
      if (std::string error = MakePrivateDirectory(directory / sub); !error.empty())
        return "cannot make " + error;
    }
  }
  if (std::string error = MakePrivateDirectory(root / "VORNEL" / "COMMON"); !error.empty())
    return "cannot make " + error;
  return "";
}

void WriteSetups(RecordBatch& batch, const DemoPeriod& period) {
  auto& s = batch.Fresh<data::SetupsRecord>(data::SetupsFile());
  Set(batch, s.NAME, "Riverbend Counseling Center");
  Set(batch, s.DRIVE, "C");
  Set(batch, s.ADDRESS1, "412 Front Street");
  Set(batch, s.ADDRESS2, "Suite 200");
  Set(batch, s.CITYETC, "Millbrook, PA");
  Set(batch, s.ZIP, "17001");
  Set(batch, s.PROJ_TITLE, "Drug and Alcohol Services");
  Set(batch, s.FACILITY, kFacility);
  Set(batch, s.COMPANY, kAgencyName);
  const auto departments = Departments();
  Set(batch, s.ACTIVITY1, departments[0].activity);
  Set(batch, s.ACTIVITY2, departments[1].activity);
  s.ACT_INDX = 1;
  Set(batch, s.LASTACT, departments[0].activity);
  // Four numbered sets of billing identifiers; the third and fourth are
  // spares for departments the agency may add.
  auto billing = [&](int set, const DepartmentEntry& d) {
    const std::string suffix = std::to_string(set + 1);
    const std::string id = std::string(d.provider_id.substr(0, 7)) + suffix;
    const std::string payee = std::string(d.payee.substr(0, 7)) + suffix;
    char* const rescode[] = {s.MA7_RESCODE, s.MA7_RESCODE2, s.MA7_RESCODE3, s.MA7_RESCODE4};
    char* const prov[] = {s.MA10_PROV, s.MA10_PROV2, s.MA10_PROV3, s.MA10_PROV4};
    char* const type[] = {s.MA11_PROVTYP, s.MA11_PROVTY2, s.MA11_PROVTY3, s.MA11_PROVTY4};
    char* const provid[] = {s.MA12_PROVID, s.MA12_PROVID2, s.MA12_PROVID3, s.MA12_PROVID4};
    char* const payees[] = {s.MA17_PAYEE1, s.MA17_PAYEE2, s.MA17_PAYEE3, s.MA17_PAYEE4};
    char* const addr[] = {s.MA13_PROVADD, s.MA13_PROVAD2, s.MA13_PROVAD3, s.MA13_PROVAD4};
    char* const doc[] = {s.MA23_SUPDOC, s.MA23_SUPDOC2, s.MA23_SUPDOC3, s.MA23_SUPDOC4};
    char* const lic[] = {s.MA24_PRELIC, s.MA24_PRELIC2, s.MA24_PRELIC3, s.MA24_PRELIC4};
    char* const dx[] = {s.MA29G_DX, s.MA29G_DX2, s.MA29G_DX3, s.MA29G_DX4};
    char* const htype[] = {s.MA29H_TYPE, s.MA29H_TYPE2, s.MA29H_TYPE3, s.MA29H_TYPE4};
    char* const place[] = {s.MA29L_PLACE, s.MA29L_PLACE2, s.MA29L_PLACE3, s.MA29L_PLACE4};
    char* const tax[] = {s.FEDTAXNO, s.FEDTAXNO2, s.FEDTAXNO3, s.FEDTAXNO4};
    auto put = [&](char* field, std::size_t width, std::string_view text) {
      if (!platform::AssignPadded(std::span<char>(field, width), text))
        batch.Fail("\"" + std::string(text) + "\" does not fit a Setups field");
    };
    put(rescode[set], sizeof s.MA7_RESCODE, std::string_view(&d.residence_code, 1));
    put(prov[set], sizeof s.MA10_PROV, d.provider_name);
    put(type[set], sizeof s.MA11_PROVTYP, d.provider_type);
    put(provid[set], sizeof s.MA12_PROVID, id);
    put(payees[set], sizeof s.MA17_PAYEE1, payee);
    put(addr[set], sizeof s.MA13_PROVADD, d.address_code);
    put(doc[set], sizeof s.MA23_SUPDOC, d.supervising_doctor);
    put(lic[set], sizeof s.MA24_PRELIC, d.license);
    put(dx[set], sizeof s.MA29G_DX, d.dx);
    put(htype[set], sizeof s.MA29H_TYPE, d.type);
    put(place[set], sizeof s.MA29L_PLACE, d.place);
    put(tax[set], sizeof s.FEDTAXNO, d.tax_number);
  };
  for (int set = 0; set < 4; ++set) billing(set, departments[set < 2 ? set : 1]);
  s.REF_DATE = period.post_date + 1;
  s.POSTDATE1 = period.post_date;
  s.POSTDATE2 = period.post_date;
  s.MA_PER_PAGE = 7;  // the departments file exists already
  s.BC_PER_PAGE = 6;
  Set(batch, s.BC_SGNAME, kSignature);
  Set(batch, s.BC_SGADDR1, "412 Front St.");
  Set(batch, s.BC_SGADDR2, "Millbrook PA");
  Set(batch, s.DEVICE, "Default printer");
  Set(batch, s.LPERPAGE, "6");
  Set(batch, s.LPERINCH, "6");
  Set(batch, s.COLLECTOR, "Janet Ruiz");
  Set(batch, s.PW, "demo");
  s.WRTOFFLIM = 5.0;
  s.BCOPT = 1;
  batch.Add(data::SetupsFile());
}

void WriteDepartments(RecordBatch& batch, const DemoPeriod& period) {
  for (const DepartmentEntry& d : Departments()) {
    auto& r = batch.Fresh<data::DepartmentsRecord>(data::DepartmentsFile());
    r.DEPT_NO = static_cast<std::int16_t>(d.number);
    Set(batch, r.ACTIVITY, d.activity);
    Set(batch, r.MA7_RESCODE, std::string_view(&d.residence_code, 1));
    Set(batch, r.MA10_PROV, d.provider_name);
    Set(batch, r.MA11_PROVTYP, d.provider_type);
    Set(batch, r.MA12_PROVID, d.provider_id);
    Set(batch, r.MA17_PAYEE, d.payee);
    Set(batch, r.MA13_PROVADD, d.address_code);
    Set(batch, r.MA23_SUPDOC, d.supervising_doctor);
    Set(batch, r.MA24_PRELIC, d.license);
    Set(batch, r.MA29G_DX, d.dx);
    Set(batch, r.MA29H_TYPE, d.type);
    Set(batch, r.MA29L_PLACE, d.place);
    r.POSTDATE = period.post_date;
    Set(batch, r.FEDTAXNO, d.tax_number);
    batch.Add(data::DepartmentsFile());
  }
}

void WriteStaff(RecordBatch& batch) {
  for (const StaffEntry& e : Staff()) {
    auto& r = batch.Fresh<data::EmployeeRecord>(data::EmployeeFile());
    Set(batch, r.LASTNAME, e.last_name);
    Set(batch, r.FIRSTNAME, e.first_name);
    Set(batch, r.TITLE, e.title);
    Set(batch, r.DEGREES, e.degrees);
    Set(batch, r.EMPCODE, e.code);
    Set(batch, r.STATUS, std::string_view(&e.status, 1));
    Set(batch, r.TYPE, std::string_view(&e.type, 1));
    batch.Add(data::EmployeeFile());
  }
}

void WriteVendors(RecordBatch& batch) {
  for (const VendorEntry& v : Vendors()) {
    auto& r = batch.Fresh<data::VendorRecord>(data::VendorFile());
    Set(batch, r.VEN_CODE, v.code);
    Set(batch, r.NAME, v.name);
    Set(batch, r.ADDR1, v.address1);
    Set(batch, r.ADDR2, v.address2);
    Set(batch, r.CITY, v.city);
    Set(batch, r.STATE, v.state);
    Set(batch, r.ZIP, v.zip);
    Set(batch, r.CONTACT, v.contact);
    Set(batch, r.PHONE, v.phone);
    Set(batch, r.RCODE, "100");
    Set(batch, r.PROTECT, "N");
    Set(batch, r.UB92_51, v.provider_number);
    Set(batch, r.UB92_50A, v.claim_name);
    Set(batch, r.UB92_84B, v.remark);
    Set(batch, r.UB92_82A, "DR. ALAN MERCER");
    Set(batch, r.UB92_82B, "MD048213");
    batch.Add(data::VendorFile());
  }
}

void WriteDiagnoses(RecordBatch& batch) {
  for (const DiagnosisEntry& e : Diagnoses()) {
    auto& r = batch.Fresh<data::DiaglistRecord>(data::DiaglistFile());
    Set(batch, r.CODE, e.code);
    Set(batch, r.BC_CODE, e.bc_code);
    Set(batch, r.DESC, e.description);
    batch.Add(data::DiaglistFile());
  }
}

// The report definitions an agency starts with: the built-in reports.
void WriteReportDefinitions(RecordBatch& batch) {
  struct Definition {
    const char* code;
    const char* title;
    const char* basis;
    const char* inputs;
  };
  static constexpr Definition kDefinitions[] = {
      {"D1", "Daily Entry Detail Report", "Every visit of the log in the period, by date and staff member, with the fees and their split.", "Starting and ending dates"},
      {"D2", "Daily Entry Summary Report by Day", "One line per day of the period with the money columns of the visits of that day.", "Starting and ending dates"},
      {"D3", "Session Schedule Report", "Every visit outcome of one day, grouped by staff member.", "Date of interest"},
      {"VE2", "Vendor Activity Over Time Period", "The charge lines of the payers in the period.", "Starting and ending dates"},
      {"M1", "Services Listing", "The services the agency offers with their fees.", "None"},
      {"MGMT1", "FACILITY VISIT SUMMARY REPORT", "The visits of the period counted by outcome and service.", "Starting and ending dates"},
      {"ST5", "Monthly Statistics", "The month's statistics of the statistics files.", "Month and year"},
  };
  std::int16_t sequence = 0;
  for (const Definition& d : kDefinitions) {
    auto& r = batch.Fresh<data::ReporterRecord>(data::ReporterFile());
    r.SEQ = sequence += 10;
    Set(batch, r.NOTES, d.title);
    Set(batch, r.REPORTDEF, d.code);
    Set(batch, r.HARDCODE, "Y");
    Set(batch, r.BASIS, d.basis);
    Set(batch, r.PARAMETER_INPUTS, d.inputs);
    batch.Add(data::ReporterFile());
  }
}

void WriteRevisions(RecordBatch& batch) {
  for (const Revision& revision : kRevisions) {
    auto& r = batch.Fresh<data::AppRevsRecord>(data::AppRevsFile());
    r.REVISION_NUMBER = revision.number;
    Set(batch, r.TITLE, revision.title);
    Set(batch, r.DESCRIPTION, revision.description);
    batch.Add(data::AppRevsFile());
  }
}

std::string WriteSharedFiles(data::DataContext& context, const DemoPeriod& period) {
  data::FileRegistry registry(context);
  RecordBatch batch(registry);
  for (const data::FileDef* def :
       {&data::SetupsFile(), &data::DepartmentsFile(), &data::EmployeeFile(), &data::VendorFile(),
        &data::DiaglistFile(), &data::ReporterFile(), &data::AppRevsFile()}) {
    if (!batch.Open(*def)) break;
  }
  if (batch.ok()) WriteSetups(batch, period);
  if (batch.ok()) WriteDepartments(batch, period);
  if (batch.ok()) WriteStaff(batch);
  if (batch.ok()) WriteVendors(batch);
  if (batch.ok()) WriteDiagnoses(batch);
  if (batch.ok()) WriteReportDefinitions(batch);
  if (batch.ok()) WriteRevisions(batch);
  return batch.Finish() ? "" : "shared files: " + batch.error();
}

std::string WriteAgencySettings(const fs::path& root) {
  platform::SettingsFile settings(root / kAgencyFile);
  const std::pair<std::string_view, std::string_view> entries[] = {
      {"Name", kAgencyName}, {"Facility", kFacility}, {"Signature", kSignature}, {"NPI", kNpi}};
  for (const auto& [entry, value] : entries) {
    if (!settings.Set(kAgencySection, entry, value))
      return "cannot write " + settings.path().string() + ": " + settings.LastError();
  }
  return "";
}

}  // namespace

std::uintmax_t DirectoryBytes(const fs::path& directory) {
  std::error_code ec;
  std::uintmax_t bytes = 0;
  for (auto it = fs::recursive_directory_iterator(directory, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code size_error;
    if (it->is_regular_file(size_error)) {
      const std::uintmax_t size = it->file_size(size_error);
      if (!size_error) bytes += size;
    }
  }
  return bytes;
}

DemoResult GenerateDemoData(const DemoOptions& options,
                            const std::function<void(std::string_view)>& progress) {
  const auto started = std::chrono::steady_clock::now();
  DemoResult result;
  auto tell = [&](std::string_view line) {
    if (progress) progress(line);
  };
  result.message = CheckDemoOptions(options);
  if (result.message.empty()) result.message = PrepareRoot(options);
  if (!result.message.empty()) return result;

  const platform::DayNumber today = options.today != 0 ? options.today : platform::Today();
  result.summary.period = MakeDemoPeriod(today, options.months);
  const DemoPeriod& period = result.summary.period;

  // The root's own store, or the server's empty database that the root's
  // settings are made to name.
  std::unique_ptr<data::RecordStore> store = data::MakeSqliteStore();
  if (options.server) {
    result.message = data::CheckEmptyDatabase(*options.server);
    platform::SettingsFile settings(options.root / "VORNEL" / "vornel.ini");
    if (result.message.empty() && !data::WriteStoreChoice(settings, *options.server)) {
      result.message = settings.LastError();
    }
    if (!result.message.empty()) return result;
    store = data::MakePgStore(*options.server, options.root);
  }
  // File managers over the store; messages go to the headless display,
  // whose stop unwinds to the catch blocks below.
  platform::HeadlessMessageDisplay display;
  errors::ErrorManager errors(display,
                              [root = options.root] { return root / "VORNEL" / "KIVError.Log"; });
  platform::PathMap paths(options.root, options.root / "VORNEL");
  data::DataContext context{*store, paths, errors};
  try {
    result.message = WriteSharedFiles(context, period);
  } catch (const platform::ProgramStop& stop) {
    result.message = std::string("stopped: ") + stop.what();
  }
  if (result.message.empty()) result.message = WriteAgencySettings(options.root);
  if (result.message.empty()) tell("shared files written");

  // The departments live in separate databases, so each is written on a
  // thread of its own (with its own working directory and file managers).
  const auto departments = Departments();
  std::vector<std::string> failures(departments.size());
  result.summary.departments.resize(departments.size());
  std::mutex progress_lock;
  auto write_department = [&](std::size_t i) {
    const DepartmentEntry& department = departments[i];
    platform::PathMap department_paths(paths);
    department_paths.SetWorkingDirectory(platform::PathMap::DepartmentDirectory(department.number));
    data::DataContext department_context{*store, department_paths, errors};
    DepartmentCounts& counts = result.summary.departments[i];
    try {
      const data::BatchCache cache(*store);  // a writer of many records
      data::FileRegistry registry(department_context);
      failures[i] = WriteDemoDepartment(department, options, period, registry, &counts);
    } catch (const platform::ProgramStop& stop) {
      failures[i] = "department " + std::to_string(department.number) + " stopped: " + stop.what();
    }
    if (failures[i].empty()) {
      std::lock_guard guard(progress_lock);
      tell("department " + std::to_string(department.number) +
           " written: " + std::to_string(counts.clients) + " clients, " +
           std::to_string(counts.visits) + " visits, " + std::to_string(counts.charge_lines) +
           " charge lines, " + std::to_string(counts.client_payments) + " client payment records");
    }
  };
  if (result.message.empty()) {
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < departments.size(); ++i) {
      try {
        threads.emplace_back(write_department, i);
      } catch (const std::system_error&) {
        write_department(i);  // no thread to be had: write it here instead
      }
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::string& failure : failures)
      if (result.message.empty()) result.message = failure;
  }
  result.ok = result.message.empty();
  result.summary.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  result.summary.root_bytes = DirectoryBytes(options.root);
  return result;
}

}  // namespace vornel::app::demo
