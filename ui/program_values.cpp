#include "ui/program_values.h"

#include <cstring>

#include "platform/text.h"

namespace vornel::ui {

namespace {
constexpr const char* kVersionLabel = "VN-3.09b";

template <std::size_t N>
void Blank(char (&field)[N]) {
  std::memset(field, ' ', N);
}

// The billing identifiers are blanked as one block: only text in it.
static_assert(sizeof(ProgramValues::BillingIds) == 1 + 20 + 2 + 13 + 2 + 8 + 25 + 13 + 2 + 2 + 2 + 12);
}  // namespace

ProgramValues::ProgramValues() {
  Blank(agency_name);
  Blank(agency_npi);
  Blank(activity);
  std::memset(&billing, ' ', sizeof billing);  // all of it fixed-width text
  Blank(collector);
  Blank(password);
  Blank(receipt_payer);
  Blank(address1);
  Blank(address2);
  Blank(address3);
  Blank(version_label);
  platform::AssignPadded(version_label, kVersionLabel);
  Blank(filter2);
  Blank(var3);
  Blank(warning_text);
  Blank(carry_over_code);
}

ProgramValues& ProgramValues::Global() {
  static ProgramValues values;
  return values;
}

bool BindProgramValues(const ProgramValues& values, platform::VariableTable& table) {
  bool ok = table.BindInt32("topdate", &values.topdate);
  ok = table.BindInt32("botdate", &values.botdate) && ok;
  ok = table.BindText("filter2", values.filter2, sizeof values.filter2) && ok;
  ok = table.BindText("VAR1", &values.var1, 1) && ok;
  ok = table.BindText("VAR3", values.var3, sizeof values.var3) && ok;
  ok = table.BindDouble("REALTEMP", &values.realtemp) && ok;
  return ok;
}

}  // namespace vornel::ui
