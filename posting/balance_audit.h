#pragma once
// The balance audit and the purge of closed payment records, as functions
// of the files: the windows (posting/payment_batches.cpp) walk the records
// with the progress window and call them.
#include <cstdint>
#include <string>

#include "data/file_registry.h"

namespace vornel::posting {

struct AuditOutcome {
  bool ok = true;
  int deleted = 0;  // records of a missing client, empty records, duplicate charges
  int written = 0;
  std::string problem;  // why the client's audit was not applied
};

// Rebuilds one client's account from his records in CPY:CLI_KEY order, in
// one transaction (all of it or nothing): a client that does not exist
// loses his records, as does an empty first record; every record dated on
// or before the last posting date carries the running balance (records
// after it wait for their posting); a blank status becomes open, a record
// paid in full closed; a charge that repeats the visit number of the record
// before it is deleted (a payment or a write-off's adjustment of that visit
// is kept); CLI:BAL_DUE is the balance reached. Running it
// again changes nothing, so a run cut short is finished by the next one.
AuditOutcome AuditClient(data::FileRegistry& files, std::int16_t client, std::int32_t last_post_date);

}  // namespace vornel::posting
