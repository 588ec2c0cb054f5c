#pragma once
// Double booking: a new or moved appointment that overlaps another visit of
// the same client or the same staff member on the same day. The receptionist
// is asked before it is saved; a clash of the client (he cannot be in two
// rooms) is answered No unless she says otherwise, a staff member's (a group
// may share him) Yes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "ui/procedure_catalog.h"
#include "visits/related_record.h"

namespace vornel::visits {

struct Booking {
  std::int32_t log_no = 0;
  std::int16_t client = 0;
  std::string staff;
  std::int32_t time_in = 0;
  std::int32_t time_out = 0;
  std::string outcome;
};

struct Clash {
  bool same_client = false;  // else the same staff member
  Booking other;
};

Booking BookingOf(const data::LogRecord& visit);

// The first of the day's visits that overlaps `visit` (the client's clashes
// before the staff member's); cancelled and rescheduled visits free their time.
std::optional<Clash> FindClash(const Booking& visit, const std::vector<Booking>& day);

// The visits of Log dated `date`; the file's buffer and place are kept.
std::vector<Booking> BookingsOfDay(data::FileRegistry& files, std::int32_t date);

// "Mary Jones already has an appointment from 9:00AM to 10:00AM. Book anyway?"
std::string ClashQuestion(const Clash& clash, const std::string& who);

// Asks about a clash of the visit; true when there is none or the user
// books anyway. `people` names the visit's client and staff member.
bool BookAnyway(const ui::Services& services, data::FileRegistry& files, const data::LogRecord& visit,
                const VisitPeople& people);

}  // namespace vornel::visits
