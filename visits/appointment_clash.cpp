#include "visits/appointment_clash.h"

#include <algorithm>

#include "data/dictionary/dictionary.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/message_box.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "visits/visit_fees.h"

namespace vornel::visits {
namespace {

// A visit without a sensible time out takes at least its first moment.
std::int32_t EndOf(const Booking& b) { return std::max(b.time_out, b.time_in + 1); }

bool Overlap(const Booking& a, const Booking& b) { return a.time_in < EndOf(b) && b.time_in < EndOf(a); }

bool FreesItsTime(const std::string& outcome) { return outcome == "CANC" || outcome == "RESCH"; }

std::string Time(std::int32_t time) { return std::string(platform::Trim(platform::FormatWith("t3", time))); }

}  // namespace

Booking BookingOf(const data::LogRecord& visit) {
  return {.log_no = visit.LOG_NO,
          .client = visit.CLCODE,
          .staff = platform::Upper(platform::ReadField(visit.EMPL_CODE)),
          .time_in = visit.TIME_IN,
          .time_out = visit.TIME_OUT,
          .outcome = platform::Upper(platform::ReadField(visit.TRANS_TYPE))};
}

std::optional<Clash> FindClash(const Booking& visit, const std::vector<Booking>& day) {
  if (FreesItsTime(visit.outcome) || visit.time_in == 0) return std::nullopt;
  std::optional<Clash> staff_clash;
  for (const Booking& other : day) {
    if (other.log_no == visit.log_no || FreesItsTime(other.outcome) || other.time_in == 0 || !Overlap(visit, other))
      continue;
    if (visit.client != 0 && other.client == visit.client) return Clash{true, other};
    if (!staff_clash && !visit.staff.empty() && other.staff == visit.staff) staff_clash = Clash{false, other};
  }
  return staff_clash;
}

std::vector<Booking> BookingsOfDay(data::FileRegistry& files, std::int32_t date) {
  std::vector<Booking> day;
  data::FileManager& log = files.Get(data::LogFile());
  if (log.Open() != 0) return day;
  const int saved = log.SaveFile();
  data::RecordFile& file = log.file();
  data::LogRecord& record = log.record<data::LogRecord>();
  file.ClearBuffer();
  record.LOG_DATE = date;
  if (file.SetByKey(*log.def().FindKey("LOG:LOG_DAY")) == data::kStoreOk) {
    while (file.Next() == data::kStoreOk && record.LOG_DATE == date) day.push_back(BookingOf(record));
  }
  log.RestoreFile(saved);
  log.Close();
  return day;
}

std::string ClashQuestion(const Clash& clash, const std::string& who) {
  return who + " already has an appointment from " + Time(clash.other.time_in) + " to " +
         Time(clash.other.time_out) + ". Book anyway?";
}

bool BookAnyway(const ui::Services& services, data::FileRegistry& files, const data::LogRecord& visit,
                const VisitPeople& people) {
  const std::optional<Clash> clash = FindClash(BookingOf(visit), BookingsOfDay(files, visit.LOG_DATE));
  if (!clash) return true;
  const std::string_view client = platform::ReadField(people.client_name);
  const std::string_view staff = platform::ReadField(people.staff_name);
  const std::string who = clash->same_client ? std::string(client.empty() ? "The client" : client)
                                             : std::string(staff.empty() ? "The staff member" : staff);
  const int yes = platform::kButtonYes;
  return services.errors.ShowMessage(ClashQuestion(*clash, who), "Double Booking", platform::Icon::kExclamation,
                                     yes | platform::kButtonNo, clash->same_client ? platform::kButtonNo : yes,
                                     0) == yes;
}

}  // namespace vornel::visits
