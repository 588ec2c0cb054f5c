#pragma once
// The rules for a visit's charge lines (one per payer billed), as plain
// functions: which lines auto insert writes from the visit's shares, which
// lines go when the visit did not take place, and the blank-payer check.
#include <string>
#include <string_view>
#include <vector>

#include "visits/visit_fees.h"

namespace vornel::visits {

// The agency's fixed payer codes.
inline constexpr std::string_view kMedicalAssistance = "MA1";
inline constexpr std::string_view kSlidingFee = "SCA";
inline constexpr std::string_view kOsmPayer = "OSM";
inline constexpr std::string_view kOpen = "O";

// What of a Lineitem record these rules look at.
struct ChargeLine {
  std::string payer;    // LIN:VEN_CODE; "" = not chosen yet
  std::string service;  // LIN:LINE_SVC
  double amount_due = 0;
  std::string status = std::string(kOpen);
};

// The lines auto insert writes, in this order: Medical Assistance (a second
// one for the "MA2" service unless the service is a group's), SCA, OSM, then
// insurance and other without a payer, for each share above zero. A line
// the visit already has is not written again, so a second press adds only
// what is missing (each existing line answers for one planned line).
std::vector<ChargeLine> AutoInsertLines(const VisitShares& shares, std::string_view service,
                                        std::string_view group_flag, const std::vector<ChargeLine>& existing);

// A visit that did not take place loses only its open lines: a line billed,
// paid, re-billed or transferred records what a payer was sent or paid.
bool GoesWithTheVisit(const ChargeLine& line);

// The message when a line still has no payer; "" when every line has one.
std::string BlankPayerCheck(const std::vector<ChargeLine>& lines);

}  // namespace vornel::visits
