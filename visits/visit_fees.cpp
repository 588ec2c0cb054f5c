#include "visits/visit_fees.h"

#include <cmath>

#include "platform/money.h"
#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::visits {
namespace {

constexpr std::int32_t kHundredthsPerMinute = 6000;
constexpr std::int32_t kQuarterHour = 15;

}  // namespace

double Cents(double dollars) { return platform::Cents(dollars); }

bool NoVisitTookPlace(std::string_view outcome) {
  const std::string_view stored = platform::Clip(outcome);
  return stored == "CANC" || stored == "NOSHW" || stored == "RESCH";
}

bool Posted(platform::DayNumber visit_date, platform::DayNumber last_post_date) {
  return visit_date <= last_post_date;
}

Units UnitsFromTimes(std::int32_t time_in, std::int32_t time_out, std::int32_t unit_minutes) {
  if (time_out < time_in) return {0, "The time out lies before the time in."};
  if (unit_minutes <= 0)
    return {0, "The service has no minutes per unit: the units cannot be worked out from the times."};
  std::int32_t minutes = (time_out - time_in) / kHundredthsPerMinute;
  minutes = minutes / kQuarterHour * kQuarterHour;
  return {Cents(static_cast<double>(minutes) / unit_minutes), {}};
}

FeeResult ComputeFees(const FeeInputs& inputs, VisitShares shares) {
  FeeResult result;
  // Units: from the times once both are in, except for a service whose
  // units are typed.
  double units = inputs.typed_units;
  const bool timed = inputs.time_in != 0 && inputs.time_out != 0 &&
                     platform::Clip(inputs.service) != kTypedUnitsService;
  if (timed) {
    const Units worked = UnitsFromTimes(inputs.time_in, inputs.time_out, inputs.unit_minutes);
    if (worked.refusal.empty()) {
      units = worked.units;
    } else {
      result.refusal = worked.refusal;
    }
  }
  result.shown_units = units;
  const bool posted = Posted(inputs.visit_date, inputs.last_post_date);
  if (!posted) {
    shares.total_fee = Cents(units * inputs.service_rate);
    shares.units = units;
    shares.rate = inputs.service_rate;
  } else {
    // A posted visit keeps its rate and units; only what is shown is priced.
    shares.total_fee = Cents(shares.rate * units);
  }
  if (inputs.insert_mode) shares.clifeenc = shares.clifeedue - shares.cli_paid;
  if (NoVisitTookPlace(inputs.outcome)) {
    shares.total_fee = shares.clifeenc = shares.clifeedue = shares.billins = 0;
    shares.otherfee = shares.billtoma = shares.insfeenc = shares.osmfee = 0;
    result.delete_lines = !posted;
  }
  shares.balsca = ScaRemainder(shares);
  result.shares = shares;
  return result;
}

double ScaRemainder(const VisitShares& s) {
  const double client = s.clifeedue != 0 ? s.clifeedue : s.clifeenc;
  return s.total_fee - s.billtoma - s.billins - s.otherfee - client - s.osmfee;
}

std::string ScaCheck(VisitShares& shares, double sca_max_per_unit) {
  const double allowed = sca_max_per_unit * shares.units;
  if (shares.balsca > allowed && shares.balsca > 0.004) {
    return "SCA Amount is Greater Than The MAX Allowed of " + platform::FormatWith("N_9.2", sca_max_per_unit) +
           " X " + platform::FormatWith("N_5.1", shares.units) + " Units  = $" +
           platform::FormatWith("n_5.1", allowed);
  }
  if (shares.balsca > -0.01 && shares.balsca < 0) shares.balsca = 0;
  if (shares.balsca < 0) return "Balance SCA amount may not be less than ZERO.";
  return {};
}

std::string BalanceCheck(const VisitShares& shares, double line_total, std::string_view service,
                         std::string_view outcome, bool posted) {
  if (posted || platform::Clip(service) == kTypedUnitsService || platform::Clip(outcome) != "SHOW")
    return {};
  // Compared in cents: sums of amounts are not exact in binary.
  if (Cents(line_total) == Cents(shares.total_fee - shares.clifeedue)) return {};
  return "The sum of vendor charge line entries does not equal the Total Fee!   The Balance shown must be zero to save.";
}

std::string PostingDateCheck(platform::DayNumber& visit_date, platform::DayNumber opening_date,
                             platform::DayNumber last_post_date) {
  if (Posted(opening_date, last_post_date)) return "This record has already been posted and may not be changed.";
  if (Posted(visit_date, last_post_date)) {
    visit_date = last_post_date + 1;
    return "This date is before last posting date.";
  }
  return {};
}

}  // namespace vornel::visits
