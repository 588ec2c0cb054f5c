#pragma once
// What a visit's forms show of the visit's client, staff member and
// service: copies of their records, read by the visit's codes, with the
// names and the age worked out. The forms' controls show the copies, which
// stay where they are while those files open and close.
#include <cstdint>

#include "data/dictionary/records.h"
#include "data/file_registry.h"

namespace vornel::visits {

struct VisitPeople {
  data::ClientRecord client{};
  data::EmployeeRecord staff{};
  data::ServicesRecord service{};
  char client_name[30] = {};  // "First Last"
  char staff_name[30] = {};   // "First Last"
  std::int16_t client_age = 0;  // in years, today

  // Reads them for the visit; a code that names no record leaves its copy blank.
  void Read(data::FileRegistry& files, const data::LogRecord& visit);
};

}  // namespace vornel::visits
