// Which charge lines auto insert writes, which go with a visit that did not
// take place, and the blank-payer check.
#include "visits/charge_lines.h"

#include <gtest/gtest.h>

namespace vornel::visits {
namespace {

std::vector<std::string> Described(const std::vector<ChargeLine>& lines) {
  std::vector<std::string> shown;
  for (const ChargeLine& line : lines) shown.push_back(line.payer + "/" + line.service + "/" + std::to_string(line.amount_due));
  return shown;
}

TEST(AutoInsert, WritesALinePerShareInOrderWithoutTheClientsShare) {
  VisitShares shares;
  shares.billtoma = 40;
  shares.balsca = 25;
  shares.osmfee = 10;
  shares.billins = 30;
  shares.otherfee = 5;
  shares.clifeedue = 12;
  EXPECT_EQ(Described(AutoInsertLines(shares, "INDV", "N", {})),
            (std::vector<std::string>{"MA1/MA1/0.000000", "MA1/MA2/0.000000", "SCA/INDV/25.000000",
                                      "OSM/INDV/10.000000", "/INDV/30.000000", "/INDV/5.000000"}));
  EXPECT_EQ(AutoInsertLines(shares, "GRP", "Y", {}).size(), 5u) << "a group service has no MA2 line";
  EXPECT_TRUE(AutoInsertLines(VisitShares{}, "INDV", "N", {}).empty());
}

TEST(AutoInsert, ASecondPressAddsOnlyTheLinesThatAreMissing) {
  VisitShares shares;
  shares.billtoma = 40;
  shares.balsca = 25;
  shares.billins = 30;
  const std::vector<ChargeLine> first = AutoInsertLines(shares, "INDV", "N", {});
  EXPECT_TRUE(AutoInsertLines(shares, "INDV", "N", first).empty());
  // A share that changed since keeps its line; the balance check tells.
  shares.balsca = 20;
  EXPECT_TRUE(AutoInsertLines(shares, "INDV", "N", first).empty());
  // The insurance line got its payer since: it still stands for its share.
  std::vector<ChargeLine> now = first;
  now[3].payer = "AET";
  EXPECT_TRUE(AutoInsertLines(shares, "INDV", "N", now).empty());
  now.erase(now.begin() + 1);  // the MA2 line was deleted by hand
  EXPECT_EQ(Described(AutoInsertLines(shares, "INDV", "N", now)), (std::vector<std::string>{"MA1/MA2/0.000000"}));
}

TEST(ChargeLineRules, OnlyOpenLinesGoAndEveryLineNeedsAPayer) {
  EXPECT_TRUE(GoesWithTheVisit({"SCA", "INDV", 25, "O"}));
  for (const char* status : {"B", "P", "R", "T"}) EXPECT_FALSE(GoesWithTheVisit({"SCA", "INDV", 25, status})) << status;
  EXPECT_EQ(BlankPayerCheck({{"SCA", "INDV", 25}, {"AET", "INDV", 30}}), "");
  EXPECT_EQ(BlankPayerCheck({{"SCA", "INDV", 25}, {"   ", "INDV", 30}}),
            "At least 1 Vendor ID on Bill To line entries is blank. Please complete before leaving");
}

}  // namespace
}  // namespace vornel::visits
