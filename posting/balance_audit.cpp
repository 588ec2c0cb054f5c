#include "posting/balance_audit.h"

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/money.h"
#include "platform/text.h"
#include "posting/posting_rules.h"

namespace vornel::posting {
namespace {

constexpr int kWaitSeconds = 10;

bool Empty(const data::ClipmtsRecord& r) {
  return r.AMOUNT == 0 && r.PREVBAL == 0 && r.CHARGES == 0 && r.NEWBAL == 0;
}

// Posting charges a visit once; a second charge record of the visit is a
// mistake. A payment recorded against the visit, or the adjustment of a
// write-off (which keeps the visit's number), belongs to the account.
bool DuplicateCharge(const data::ClipmtsRecord& r) { return r.CHARGES != 0 && !AdjustedAlready(r); }

}  // namespace

BalanceAudit::BalanceAudit(data::FileRegistry& files, std::int32_t last_post_date, int clients_per_commit)
    : files_(files),
      last_post_date_(last_post_date),
      groups_(files, {&data::ClipmtsFile(), &data::ClientFile()}, clients_per_commit, kWaitSeconds) {}

BalanceAudit::~BalanceAudit() { Finish(); }

AuditOutcome BalanceAudit::Fail(std::string why) {
  groups_.Undo();
  return {.ok = false, .problem = std::move(why)};
}

AuditOutcome BalanceAudit::Finish() {
  if (!groups_.Finish()) return Fail(Unchanged());
  return {};
}

std::string BalanceAudit::Unchanged() const {
  return "The accounts from client " + std::to_string(groups_.first_uncommitted()) +
         " on could not be written; they are unchanged.";
}

AuditOutcome BalanceAudit::Audit(std::int16_t client) {
  if (groups_.stopped()) return {.ok = false, .problem = "The audit has stopped."};
  switch (groups_.Begin(client)) {
    case ClientGroups::Start::kOk: break;
    case ClientGroups::Start::kCannotOpen: return Fail("The client or payment file cannot be opened.");
    case ClientGroups::Start::kInUse:
      return Fail("The payment records of client " + std::to_string(client) + " are in use on another station.");
  }
  groups_.Join();
  AuditOutcome outcome;
  if (!AuditAccount(client, outcome) || !groups_.CommitWhenFull()) return Fail(Unchanged());
  return outcome;
}

bool BalanceAudit::AuditAccount(std::int16_t client, AuditOutcome& outcome) {
  data::FileManager& clients = files_.Get(data::ClientFile());
  data::FileManager& payments = files_.Get(data::ClipmtsFile());
  data::RecordFile& client_file = clients.file();
  data::RecordFile& file = payments.file();

  bool done = true;
  client_file.ClearBuffer();
  auto& person = clients.record<data::ClientRecord>();
  person.CLCODE = client;
  const bool exists = client_file.GetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY")) == data::kStoreOk;

  auto& record = payments.record<data::ClipmtsRecord>();
  file.ClearBuffer();
  record.CLCODE = client;
  const auto next = [&] { return file.Next() == data::kStoreOk && record.CLCODE == client; };
  bool more = file.SetByKey(*data::ClipmtsFile().FindKey("CPY:CLI_KEY")) == data::kStoreOk && next();
  // The first record: a missing client's or an empty one goes, and the
  // next one is the first.
  while (done && more && (!exists || Empty(record))) {
    done = file.Delete() == data::kStoreOk;
    ++outcome.deleted;
    more = done && next();
  }
  if (!done || !exists) return done;
  double balance = 0;
  std::int32_t previous_visit = 0;
  while (done && more) {
    if (record.DATE <= last_post_date_) {
      ApplyToBalance(record, balance);
      if (platform::ReadField(record.STATUS).empty()) platform::AssignPadded(record.STATUS, "O");
      if (!AdjustedAlready(record) && platform::Cents(record.AMOUNT) == platform::Cents(record.CHARGES))
        platform::AssignPadded(record.STATUS, "C");
      done = file.Put() == data::kStoreOk;
      ++outcome.written;
    }
    previous_visit = record.LOG_NO;
    more = done && next();
    // A charge for the same visit as the record before is a duplicate
    // (a payment or the write-off's adjustment for that visit is not).
    while (done && more && previous_visit != 0 && record.LOG_NO == previous_visit && DuplicateCharge(record)) {
      done = file.Delete() == data::kStoreOk;
      ++outcome.deleted;
      more = done && next();
    }
  }
  if (!done) return false;
  person.BAL_DUE = platform::Cents(balance);
  return client_file.Put() == data::kStoreOk;
}

AuditOutcome AuditClient(data::FileRegistry& files, std::int16_t client, std::int32_t last_post_date) {
  BalanceAudit audit(files, last_post_date, 1);
  AuditOutcome outcome = audit.Audit(client);
  if (outcome.ok) {
    const AuditOutcome finished = audit.Finish();
    if (!finished.ok) return finished;
  }
  return outcome;
}

}  // namespace vornel::posting
