// The money rules of a visit, without a window: units from the times, the
// fee of posted and unposted visits, the outcome that clears the shares, the
// SCA remainder and the checks of a save.
#include "visits/visit_fees.h"

#include <gtest/gtest.h>

namespace vornel::visits {
namespace {

constexpr std::int32_t kNine = 9 * 60 * 6000;  // 9:00 in hundredths of a second

std::int32_t At(int hour, int minute) { return (hour * 60 + minute) * 6000; }

FeeInputs Visit(std::int32_t time_in, std::int32_t time_out, const char* service = "INDV") {
  FeeInputs inputs;
  inputs.time_in = time_in;
  inputs.time_out = time_out;
  inputs.service = service;
  inputs.service_rate = 18.50;
  inputs.unit_minutes = 15;
  inputs.visit_date = 100;
  inputs.last_post_date = 90;
  inputs.outcome = "SHOW";
  return inputs;
}

TEST(VisitUnits, WholeQuarterHoursPerUnitMinutes) {
  EXPECT_DOUBLE_EQ(UnitsFromTimes(kNine, At(9, 52), 15).units, 3.00) << "52 minutes are 45";
  EXPECT_DOUBLE_EQ(UnitsFromTimes(kNine, At(9, 14), 15).units, 0.00);
  EXPECT_DOUBLE_EQ(UnitsFromTimes(kNine, At(10, 0), 45).units, 1.33) << "rounded to 0.01";
  EXPECT_DOUBLE_EQ(UnitsFromTimes(kNine, At(10, 59) + 5999, 60).units, 1.75) << "seconds dropped";
}

TEST(VisitUnits, TimesOutOfOrderOrNoUnitMinutesAreRefusedWithAReason) {
  EXPECT_EQ(UnitsFromTimes(At(10, 0), kNine, 15).refusal, "The time out lies before the time in.");
  EXPECT_FALSE(UnitsFromTimes(kNine, At(10, 0), 0).refusal.empty());
  // The form keeps the units it had and does not divide by zero.
  FeeInputs inputs = Visit(kNine, At(10, 0));
  inputs.unit_minutes = 0;
  inputs.typed_units = 2;
  const FeeResult result = ComputeFees(inputs, {});
  EXPECT_FALSE(result.refusal.empty());
  EXPECT_DOUBLE_EQ(result.shown_units, 2);
  EXPECT_DOUBLE_EQ(result.shares.total_fee, 37.00);
}

TEST(VisitFee, UnpostedVisitsArePricedFromTheServiceAndPostedOnesKeepTheirRate) {
  FeeResult fresh = ComputeFees(Visit(kNine, At(9, 52)), {});
  EXPECT_DOUBLE_EQ(fresh.shown_units, 3.00);
  EXPECT_DOUBLE_EQ(fresh.shares.total_fee, 55.50);
  EXPECT_DOUBLE_EQ(fresh.shares.rate, 18.50);
  EXPECT_DOUBLE_EQ(fresh.shares.units, 3.00);

  FeeInputs posted = Visit(kNine, At(9, 52));
  posted.visit_date = posted.last_post_date;
  VisitShares stored;
  stored.rate = 16.00;
  stored.units = 2;
  const FeeResult frozen = ComputeFees(posted, stored);
  EXPECT_DOUBLE_EQ(frozen.shares.rate, 16.00);
  EXPECT_DOUBLE_EQ(frozen.shares.units, 2) << "stored units stay";
  EXPECT_DOUBLE_EQ(frozen.shares.total_fee, 48.00) << "rate x the units shown";
}

TEST(VisitFee, TypedUnitsServiceIgnoresTheTimes) {
  FeeInputs inputs = Visit(kNine, At(9, 52), "MA1");
  inputs.typed_units = 1.5;
  EXPECT_DOUBLE_EQ(ComputeFees(inputs, {}).shown_units, 1.5);
  EXPECT_DOUBLE_EQ(ComputeFees(inputs, {}).shares.total_fee, 27.75);
}

TEST(VisitFee, NewVisitsOweWhatWasNotPaidAndTheRemainderGoesToSca) {
  FeeInputs inputs = Visit(kNine, At(9, 52));
  inputs.insert_mode = true;
  VisitShares shares;
  shares.clifeedue = 10;
  shares.cli_paid = 4;
  shares.billins = 20;
  const FeeResult result = ComputeFees(inputs, shares);
  EXPECT_DOUBLE_EQ(result.shares.clifeenc, 6);
  EXPECT_DOUBLE_EQ(result.shares.balsca, 55.50 - 20 - 10);
  inputs.insert_mode = false;
  shares.clifeenc = 99;
  EXPECT_DOUBLE_EQ(ComputeFees(inputs, shares).shares.clifeenc, 99) << "changed visits keep it";
  // Nothing due: the uncollected share is what the remainder leaves out.
  VisitShares nothing_due;
  nothing_due.total_fee = 50;
  nothing_due.clifeenc = 10;
  EXPECT_DOUBLE_EQ(ScaRemainder(nothing_due), 40);
}

TEST(VisitFee, AVisitThatDidNotTakePlaceCarriesNoShares) {
  VisitShares shares;
  shares.clifeedue = shares.billtoma = shares.billins = shares.osmfee = shares.otherfee = 5;
  for (const char* outcome : {"CANC", "NOSHW", "RESCH"}) {
    FeeInputs inputs = Visit(kNine, At(9, 52));
    inputs.outcome = outcome;
    const FeeResult result = ComputeFees(inputs, shares);
    EXPECT_DOUBLE_EQ(result.shares.total_fee, 0) << outcome;
    EXPECT_DOUBLE_EQ(result.shares.balsca, 0) << outcome;
    EXPECT_DOUBLE_EQ(result.shares.billtoma + result.shares.billins + result.shares.osmfee, 0) << outcome;
    EXPECT_TRUE(result.delete_lines) << outcome;
    inputs.visit_date = inputs.last_post_date;
    EXPECT_FALSE(ComputeFees(inputs, shares).delete_lines) << "a posted visit keeps its lines";
  }
  EXPECT_FALSE(ComputeFees(Visit(kNine, At(9, 52)), shares).delete_lines);
}

TEST(VisitChecks, ScaRemainderWithinItsMaximumAndNotBelowZero) {
  VisitShares shares;
  shares.units = 3;
  shares.balsca = 20;
  EXPECT_EQ(ScaCheck(shares, 6.25),
            "SCA Amount is Greater Than The MAX Allowed of      6.25 X   3.0 Units  = $ 18.8");
  shares.balsca = 18.75;
  EXPECT_EQ(ScaCheck(shares, 6.25), "");
  shares.balsca = -0.005;
  EXPECT_EQ(ScaCheck(shares, 6.25), "");
  EXPECT_DOUBLE_EQ(shares.balsca, 0) << "a rounding remainder becomes zero";
  shares.balsca = -0.02;
  EXPECT_EQ(ScaCheck(shares, 6.25), "Balance SCA amount may not be less than ZERO.");
}

TEST(VisitChecks, TheLinesMustCarryTheFeeLessTheClientsShare) {
  VisitShares shares;
  shares.total_fee = 55.50;
  shares.clifeedue = 10;
  const std::string refused =
      "The sum of vendor charge line entries does not equal the Total Fee!   The Balance shown must be zero to save.";
  EXPECT_EQ(BalanceCheck(shares, 45.50, "INDV", "SHOW", false), "");
  EXPECT_EQ(BalanceCheck(shares, 0.1 + 0.2 + 45.2, "INDV", "SHOW", false), "") << "compared in cents";
  EXPECT_EQ(BalanceCheck(shares, 40, "INDV", "SHOW", false), refused);
  EXPECT_EQ(BalanceCheck(shares, 40, "MA1", "SHOW", false), "");
  EXPECT_EQ(BalanceCheck(shares, 40, "INDV", "CANC", false), "");
  EXPECT_EQ(BalanceCheck(shares, 40, "INDV", "SHOW", true), "") << "posted";
}

TEST(VisitChecks, OnlyDatesAfterTheLastPostingAreSaved) {
  platform::DayNumber date = 91;
  EXPECT_EQ(PostingDateCheck(date, 95, 90), "");
  date = 90;
  EXPECT_EQ(PostingDateCheck(date, 95, 90), "This date is before last posting date.");
  EXPECT_EQ(date, 91) << "moved to the day after";
  date = 95;
  EXPECT_EQ(PostingDateCheck(date, 88, 90), "This record has already been posted and may not be changed.");
  EXPECT_EQ(date, 95);
}

}  // namespace
}  // namespace vornel::visits
