#pragma once
// The money rules of one visit, as plain functions over plain values: units
// from the times, the fee, the outcome that clears the shares, the remainder
// the sliding-fee payer (SCA) carries and the checks a save must pass. The
// visit form gathers the values from its record and calls these; they know
// nothing of windows or files, so every rule is tested on its own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dates.h"

namespace vornel::visits {

// The service whose units are typed, never worked out from the times.
inline constexpr std::string_view kTypedUnitsService = "MA1";

// A visit's amounts in dollars, as the Log record keeps them.
struct VisitShares {
  double rate = 0;       // LOG:RATE, per unit
  double units = 0;      // LOG:UNITS
  double total_fee = 0;  // LOG:TOTAL_FEE
  double cli_paid = 0;   // LOG:CLI_PAID, paid at the visit
  double clifeedue = 0;  // LOG:CLIFEEDUE, the client's share
  double clifeenc = 0;   // LOG:CLIFEENC, the client's share not collected
  double billtoma = 0;   // LOG:BILLTOMA, Medical Assistance
  double billins = 0;    // LOG:BILLINS, insurance
  double osmfee = 0;     // LOG:OSMFEE
  double otherfee = 0;   // LOG:OTHERFEE
  double balsca = 0;     // LOG:BALSCA, the remainder
  double insfeenc = 0;   // LOG:INSFEENC
};

// What the fee depends on besides the shares themselves.
struct FeeInputs {
  std::int32_t time_in = 0;   // hundredths of a second since midnight; 0 = none
  std::int32_t time_out = 0;
  std::string service;        // LOG:SERV_CODE
  double service_rate = 0;    // SER:RATE
  std::int32_t unit_minutes = 0;  // SER:UNITMINS
  double typed_units = 0;     // what the form shows and the user may type
  platform::DayNumber visit_date = 0;
  platform::DayNumber last_post_date = 0;
  bool insert_mode = false;   // a new visit before its lines were auto-inserted
  std::string outcome;        // LOG:TRANS_TYPE
};

struct FeeResult {
  VisitShares shares;
  double shown_units = 0;     // what the form shows as units now
  bool delete_lines = false;  // the visit did not take place: its open lines go
  std::string refusal;        // why the units cannot be worked out; "" when they can
};

// Rounded to cents (halves away from zero).
double Cents(double dollars);
// The outcome says the visit did not take place (cancelled, no-show,
// rescheduled), so it carries no fee.
bool NoVisitTookPlace(std::string_view outcome);
// The visit lies on or before the last posting date: its fee is frozen.
bool Posted(platform::DayNumber visit_date, platform::DayNumber last_post_date);

// Units from the times: the minutes between them cut to whole quarter hours,
// then per unit minutes, rounded to 0.01. Nothing, with the reason, when the
// time out lies before the time in or the service has no unit minutes.
struct Units {
  double units = 0;
  std::string refusal;
};
Units UnitsFromTimes(std::int32_t time_in, std::int32_t time_out, std::int32_t unit_minutes);

// The whole fee computation of the form, in its order: units, fee, the
// client's uncollected share (new visits), the outcome rule, the remainder.
FeeResult ComputeFees(const FeeInputs& inputs, VisitShares shares);
// The SCA remainder: the fee less every other share, the client's share
// being what is due, or what was not collected when nothing is due.
double ScaRemainder(const VisitShares& shares);

// The checks a save passes; each answers "" or the message to show.
// The remainder may not exceed the service's SCA maximum per unit, nor lie
// below zero (a remainder above -0.01 becomes 0).
std::string ScaCheck(VisitShares& shares, double sca_max_per_unit);
// The charge lines must carry the whole fee less the client's share, on an
// unposted visit that took place, unless the service's units are typed.
std::string BalanceCheck(const VisitShares& shares, double line_total, std::string_view service,
                         std::string_view outcome, bool posted);
// A visit may be saved only after the last posting date, and only when it
// was not posted already when the form opened. `visit_date` moves to the day
// after the posting date when only the new date was too early.
std::string PostingDateCheck(platform::DayNumber& visit_date, platform::DayNumber opening_date,
                             platform::DayNumber last_post_date);

}  // namespace vornel::visits
