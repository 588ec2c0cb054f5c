#pragma once
// The rules of posting a period, as functions of the records they read: what
// a shown visit does to its client, the client charge it leaves, and how a
// payment or charge record moves the client's balance. The posting run
// (post_period.h) applies them in its passes; they hold no state.
#include <cstdint>
#include <optional>
#include <string>

#include "data/dictionary/records.h"

namespace vornel::posting {

// The posting's effect on one client, gathered over the passes.
struct ClientTally {
  std::int16_t visits = 0;       // added to CLI:NUM_VSTS
  std::int16_t individual = 0;   // added to CLI:IND_VSTS ("INDV" visits)
  std::int32_t last_seen = 0;    // CLI:LAST_SEEN when a visit was counted; 0 = unchanged
  double balance = 0;            // CLI:BAL_DUE as it runs through the balance pass
};

// Whether posting counts the visit: only visits that took place ("SHOW").
bool Counted(const data::LogRecord& visit);
// "SCHED": a period holding one is not posted.
bool StillScheduled(const data::LogRecord& visit);

// Counts a shown visit on its client: one visit more, one individual visit
// more for the "INDV" service, last seen on the visit's date.
void CountVisit(const data::LogRecord& visit, ClientTally& client);

// The client charge record of a shown visit with a client fee due above 0:
// the fee charged, what the client paid, closed at the posting start date
// when nothing is left uncollected ("CLT Fee NC" 0 or less), else open.
std::optional<data::ClipmtsRecord> VisitCharge(const data::LogRecord& visit, std::int32_t posting_start);

// A payment or charge record of the period applied to the client's running
// balance: the record keeps the balance before and after, to the cent.
void ApplyToBalance(data::ClipmtsRecord& record, double& balance);

// A record written off ("W") or the adjustment that wrote it off ("A"):
// never written off again, never closed by the audit.
bool AdjustedAlready(const data::ClipmtsRecord& record);

// The refusal of a period with a visit still scheduled on `date`.
std::string ScheduledVisitMessage(std::int32_t date);

// The last posting date a department that was never posted starts from:
// 1 January of two-digit year 3.
std::int32_t NeverPostedDate();

}  // namespace vornel::posting
