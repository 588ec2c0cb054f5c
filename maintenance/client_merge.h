#pragma once
// Client consolidation as a function of the files: every record of one
// client number in the eight files that carry a client (visits, charge
// lines, insurance cards, group assignments, archived visits, comments,
// payment records, drug-and-alcohol records) is given another client
// number. The Client records themselves stay as they are.
#include <cstdint>
#include <string>

#include "data/file_registry.h"

namespace vornel::maintenance {

struct MergeOutcome {
  bool ok = false;
  int moved = 0;
  // Records that stay with the source client because the target has one
  // already where a file allows only one (a drug-and-alcohol record, a
  // group assignment under the same name and group).
  int kept = 0;
  std::string problem;  // why nothing was merged
};

// Merges in one transaction over the eight files: every record moved, or
// (after a refused write, another station holding the files past the wait,
// or a process that dies) none. Each file is walked by its client key from
// its starting values (the dated files from day 10, so that an undated
// record stays where it is), its records are collected first and rewritten
// afterwards, so that each is reached once. Refused with a message: a
// source or target of 0, or a target that is no client. Equal numbers
// rewrite every record in place.
// Another station's writes are waited for up to `wait_seconds`.
MergeOutcome MergeClients(data::FileRegistry& files, std::int32_t from, std::int32_t to, int wait_seconds = 10);

}  // namespace vornel::maintenance
