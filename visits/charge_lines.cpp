#include "visits/charge_lines.h"

#include <algorithm>

#include "platform/text.h"

namespace vornel::visits {
namespace {

bool FixedPayer(std::string_view payer) {
  const std::string_view code = platform::Clip(payer);
  return code == kMedicalAssistance || code == kSlidingFee || code == kOsmPayer;
}

// The existing line standing for the planned one: the same fixed payer and
// service, or for a line without a payer any other payer's line of the same
// amount (the user may have chosen its payer since).
bool Covers(const ChargeLine& existing, const ChargeLine& planned) {
  if (!planned.payer.empty())
    return platform::Clip(existing.payer) == planned.payer && platform::Clip(existing.service) == planned.service;
  return !FixedPayer(existing.payer) && Cents(existing.amount_due) == Cents(planned.amount_due);
}

}  // namespace

std::vector<ChargeLine> AutoInsertLines(const VisitShares& shares, std::string_view service,
                                        std::string_view group_flag, const std::vector<ChargeLine>& existing) {
  const std::string code(platform::Clip(service));
  std::vector<ChargeLine> planned;
  if (shares.billtoma > 0) {
    planned.push_back({std::string(kMedicalAssistance), "MA1", 0});
    if (platform::Clip(group_flag) == "N") planned.push_back({std::string(kMedicalAssistance), "MA2", 0});
  }
  if (shares.balsca > 0) planned.push_back({std::string(kSlidingFee), code, shares.balsca});
  if (shares.osmfee > 0) planned.push_back({std::string(kOsmPayer), code, shares.osmfee});
  if (shares.billins > 0) planned.push_back({"", code, shares.billins});
  if (shares.otherfee > 0) planned.push_back({"", code, shares.otherfee});

  std::vector<bool> used(existing.size(), false);
  std::vector<ChargeLine> missing;
  for (const ChargeLine& line : planned) {
    bool covered = false;
    for (std::size_t i = 0; i < existing.size() && !covered; ++i) {
      if (!used[i] && Covers(existing[i], line)) used[i] = covered = true;
    }
    if (!covered) missing.push_back(line);
  }
  return missing;
}

bool GoesWithTheVisit(const ChargeLine& line) { return platform::Clip(line.status) == kOpen; }

std::string BlankPayerCheck(const std::vector<ChargeLine>& lines) {
  const bool blank = std::any_of(lines.begin(), lines.end(),
                                 [](const ChargeLine& line) { return platform::Clip(line.payer).empty(); });
  return blank ? "At least 1 Vendor ID on Bill To line entries is blank. Please complete before leaving" : "";
}

}  // namespace vornel::visits
