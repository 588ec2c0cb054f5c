#include "posting/balance_audit.h"

#include <array>

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

AuditOutcome AuditClient(data::FileRegistry& files, std::int16_t client, std::int32_t last_post_date) {
  AuditOutcome outcome;
  const auto fail = [&outcome](std::string why) {
    outcome.ok = false;
    outcome.problem = std::move(why);
    return outcome;
  };
  data::FileManager& clients = files.Get(data::ClientFile());
  data::FileManager& payments = files.Get(data::ClipmtsFile());
  if (clients.Open() != 0 || payments.Open() != 0 || clients.EnsurePhysicallyOpen() != 0 ||
      payments.EnsurePhysicallyOpen() != 0) {
    clients.Close();
    payments.Close();
    return fail("The client or payment file cannot be opened.");
  }
  data::RecordFile& client_file = clients.file();
  data::RecordFile& file = payments.file();
  std::array<data::RecordFile*, 2> involved = {&file, &client_file};
  if (files.BeginTransaction(involved, kWaitSeconds) != data::kStoreOk) {
    clients.Close();
    payments.Close();
    return fail("The payment records of client " + std::to_string(client) + " are in use on another station.");
  }

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
  if (done && exists) {
    double balance = 0;
    std::int32_t previous_visit = 0;
    while (done && more) {
      if (record.DATE <= last_post_date) {
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
    if (done) {
      person.BAL_DUE = platform::Cents(balance);
      done = client_file.Put() == data::kStoreOk;
    }
  }
  if (done) done = files.CommitTransaction();
  if (!done) files.RollbackTransaction();
  clients.Close();
  payments.Close();
  if (!done) return fail("The account of client " + std::to_string(client) + " could not be written; it is unchanged.");
  return outcome;
}

}  // namespace vornel::posting
