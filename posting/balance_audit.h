#pragma once
// The balance audit and the purge of closed payment records, as functions
// of the files: the windows (posting/payment_batches.cpp) walk the records
// with the progress window and call them.
#include <cstdint>
#include <string>

#include "data/file_registry.h"
#include "posting/client_groups.h"

namespace vornel::posting {

struct AuditOutcome {
  bool ok = true;
  int deleted = 0;  // records of a missing client, empty records, duplicate charges
  int written = 0;
  std::string problem;  // why the audit stopped
};

// Rebuilds client accounts from their records in CPY:CLI_KEY order: a
// client that does not exist loses his records, as does an empty first
// record; every record dated on or before the last posting date carries the
// running balance (records after it wait for their posting); a blank status
// becomes open, a record paid in full closed; a charge that repeats the
// visit number of the record before it is deleted (a payment or a
// write-off's adjustment of that visit is kept); CLI:BAL_DUE is the balance
// reached.
//
// The client and payment files stay open for the whole run, and the
// accounts are committed in groups of whole clients: a failure, or a
// process that dies, undoes the clients since the last commit, so every
// client is wholly audited or untouched. Running the audit again changes
// nothing, so a run cut short is finished by the next one.
class BalanceAudit {
 public:
  static constexpr int kClientsPerCommit = 1000;

  BalanceAudit(data::FileRegistry& files, std::int32_t last_post_date, int clients_per_commit = kClientsPerCommit);
  ~BalanceAudit();  // commits what Finish has not
  BalanceAudit(const BalanceAudit&) = delete;
  BalanceAudit& operator=(const BalanceAudit&) = delete;

  // Audits one client's account; after a failure the run has stopped and
  // the clients since the last commit are unchanged.
  AuditOutcome Audit(std::int16_t client);
  // Commits the clients audited since the last commit and closes the files.
  AuditOutcome Finish();

 private:
  AuditOutcome Fail(std::string why);
  std::string Unchanged() const;
  bool AuditAccount(std::int16_t client, AuditOutcome& outcome);

  data::FileRegistry& files_;
  std::int32_t last_post_date_;
  ClientGroups groups_;
};

// One client audited and committed on its own.
AuditOutcome AuditClient(data::FileRegistry& files, std::int16_t client, std::int32_t last_post_date);

}  // namespace vornel::posting
