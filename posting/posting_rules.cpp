#include "posting/posting_rules.h"

#include <cmath>

#include "platform/dates.h"
#include "platform/money.h"
#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::posting {
namespace {

bool Outcome(const data::LogRecord& visit, std::string_view outcome) {
  return platform::EqualNoCase(platform::ReadField(visit.TRANS_TYPE), outcome);
}

}  // namespace

bool Counted(const data::LogRecord& visit) { return Outcome(visit, "SHOW"); }

bool StillScheduled(const data::LogRecord& visit) { return Outcome(visit, "SCHED"); }

void CountVisit(const data::LogRecord& visit, ClientTally& client) {
  ++client.visits;
  if (platform::EqualNoCase(platform::ReadField(visit.SERV_CODE), "INDV")) ++client.individual;
  client.last_seen = visit.LOG_DATE;
}

std::optional<data::ClipmtsRecord> VisitCharge(const data::LogRecord& visit, std::int32_t posting_start) {
  if (!(visit.CLIFEEDUE > 0)) return std::nullopt;
  data::ClipmtsRecord charge{};
  charge.CLCODE = visit.CLCODE;
  charge.LOG_NO = visit.LOG_NO;
  charge.CHARGES = visit.CLIFEEDUE;
  charge.DATE = visit.LOG_DATE;
  charge.AMOUNT = visit.CLI_PAID;
  const bool closed = visit.CLIFEENC <= 0;
  platform::AssignPadded(charge.STATUS, closed ? "C" : "O");
  charge.PAYDATE = closed ? posting_start : 0;
  return charge;
}

void ApplyToBalance(data::ClipmtsRecord& record, double& balance) {
  record.PREVBAL = balance;
  balance = platform::Cents(balance - record.AMOUNT + record.CHARGES);
  record.NEWBAL = balance;
}

std::string ScheduledVisitMessage(std::int32_t date) {
  return "PLEASE CLEAR LOG ENTRIES STILL IN \"SCHEDULE\" STATUS ON  - " + platform::FormatWith("D1", date);
}

std::int32_t NeverPostedDate() { return platform::DateFromMdy(1, 1, 3); }

bool AdjustedAlready(const data::ClipmtsRecord& record) {
  const std::string_view status = platform::ReadField(record.STATUS);
  return status == "W" || status == "A";
}

}  // namespace vornel::posting
