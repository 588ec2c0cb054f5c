#include "visits/related_record.h"

#include <cstring>
#include <string>
#include <string_view>

#include "data/dictionary/dictionary.h"
#include "data/file_manager.h"
#include "platform/dates.h"
#include "platform/text.h"

namespace vornel::visits {
namespace {

// Reads into `record` the record whose key `key` has the values `record`
// holds; blank when there is none.
template <typename Record>
void FetchByKey(data::FileRegistry& files, const data::FileDef& file, std::string_view key, Record& record) {
  data::FileManager& manager = files.Get(file);
  manager.Open();
  std::memcpy(manager.buffer().data(), &record, sizeof record);
  manager.Fetch(*file.FindKey(key));
  std::memcpy(&record, manager.buffer().data(), sizeof record);
  manager.Close();
}

template <std::size_t N, std::size_t F, std::size_t L>
void FullName(char (&name)[N], const char (&first)[F], const char (&last)[L]) {
  std::string full(platform::ReadField(first));
  if (!full.empty()) full += ' ';
  full += platform::ReadField(last);
  platform::AssignCut(name, full);
}

}  // namespace

void VisitPeople::Read(data::FileRegistry& files, const data::LogRecord& visit) {
  client.CLCODE = visit.CLCODE;
  FetchByKey(files, data::ClientFile(), "CLI:CODE_KEY", client);
  std::memcpy(staff.EMPCODE, visit.EMPL_CODE, sizeof visit.EMPL_CODE);
  FetchByKey(files, data::EmployeeFile(), "EMP:STAFF_KEY", staff);
  std::memcpy(service.SERVICE, visit.SERV_CODE, sizeof visit.SERV_CODE);
  FetchByKey(files, data::ServicesFile(), "SER:SERV_CODE", service);
  FullName(client_name, client.CLFNAME, client.CLLNAME);
  FullName(staff_name, staff.FIRSTNAME, staff.LASTNAME);
  client_age = static_cast<std::int16_t>(platform::AgeInYears(client.BIRTHDATE, platform::Today()));
}

}  // namespace vornel::visits
