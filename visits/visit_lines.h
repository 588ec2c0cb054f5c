#pragma once
// The charge lines of one visit in the Lineitem file. Each pass (auto
// insert, the delete of a visit that did not take place, the update after
// the visit's client or date changed) runs in one transaction: a pass that
// fails, or a process killed in the middle, leaves either all of it done or
// none of it.
#include <cstdint>
#include <string>
#include <functional>
#include <vector>

#include "data/file_registry.h"
#include "platform/dates.h"
#include "visits/charge_lines.h"

namespace vornel::visits {

// What every line of a visit repeats of the visit.
struct LineStamp {
  std::int16_t client = 0;
  platform::DayNumber date = 0;
  std::string initials;  // the first three letters of the client's last name
};

class VisitLines {
 public:
  VisitLines(data::FileRegistry& files, std::int32_t log_no);

  // The visit's lines in key order; empty when it has none or they cannot
  // be read.
  std::vector<ChargeLine> Read();
  // Writes the lines as new open lines of the visit, each with one unit.
  // False when the file refused one: then none was written.
  bool Add(const std::vector<ChargeLine>& lines, const LineStamp& stamp);
  // Deletes the visit's open lines and keeps the others; answers how many it
  // kept, or -1 when the file refused (then nothing was deleted).
  int DeleteOpen();
  // Gives every line the visit's client, date and initials. False when the
  // file refused (then no line changed).
  bool Restamp(const LineStamp& stamp);

 private:
  // Runs `act` on each line of the visit inside one transaction; `act`
  // answers false to stop and roll back.
  template <typename Act>
  bool EachLine(Act act);
  bool Framed(const std::function<bool()>& pass);

  data::FileRegistry& files_;
  data::FileManager& lines_;
  std::int32_t log_no_;
};

}  // namespace vornel::visits
