// The report parameter windows on a generated root whose department opens
// with the reference date 1 December 2026. The parameters are the program's
// single copy: a test sets what it relies on before the program starts.
#include <iterator>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "platform/text.h"
#include "tests/maintenance/program_fixture.h"

namespace vornel::reports {
namespace {

using platform::DateFromMdy;
using ReportParameters = maintenance::test::ProgramFixture;
ui::ProgramValues& values = ui::ProgramValues::Global();

std::string Open(const std::string& procedure, const std::string& title) {
  return "frame\nstart " + procedure + "\nwindow \"" + title + "\"\n";
}

struct Window {
  const char* procedure;
  const char* title;
};
constexpr Window kPeriods[] = {{"Date_Range", "Date Range Selection"},
                               {"Date_Range_SCABILL", "Date Range Selection - SCA Billing"},
                               {"Date_Range_Vendor", "Date Range Selection - SCA Billing"},
                               {"Date_Range_Vendor_Stat", "Date Range Selection - SCA Billing"},
                               {"Date_Range_CMS1500", "CMS1500 Date Range Selection"}};

// After the department opens: the reference day with an empty end, which OK
// makes a one-day period that the next window proposes. Without a start, the
// thirty days up to the reference date; Day_Select is always on that date.
TEST_F(ReportParameters, PeriodsStartFromTheReferenceDate) {
  EXPECT_EQ(Run(Open("Date_Range", "Date Range Selection") + R"(expect value ?topdate "12/01/2026"
expect value ?botdate "          "
press ?Ok
)" + Open("Date_Range_SCABILL", "Date Range Selection - SCA Billing") + R"(expect value ?botdate "12/01/2026"
type ?topdate ""
press ?Cancel
)" + Open("Date_Range_CMS1500", "CMS1500 Date Range Selection") + R"(expect value ?topdate "11/01/2026"
expect value ?botdate "12/01/2026"
type ?topdate "12/15/2026"
press ?Ok
)" + Open("Day_Select", "Date Selection Form") + "expect value ?topdate \"12/01/2026\"\n"),
            "");
}

// The end is raised to the start when the focus reaches it and on OK.
TEST_F(ReportParameters, AnEndBeforeTheStartIsRaised) {
  for (const auto& [procedure, title] : kPeriods) {
    EXPECT_EQ(Run(Open(procedure, title) + R"(type ?botdate "12/31/2026"
type ?topdate "12/20/2026"
type ?botdate "12/05/2026"
expect value ?botdate "12/20/2026"
type ?topdate "12/24/2026"
expect value ?botdate "12/20/2026"
post gainfocus ?botdate
expect value ?botdate "12/24/2026"
type ?topdate "12/28/2026"
press ?Ok
)",
                  [](app::Program& program) { EXPECT_EQ(program.values.botdate, DateFromMdy(12, 28, 2026)); }),
              "")
        << procedure;
  }
}

// Cancel and the close box set the flag; the next window clears it.
TEST_F(ReportParameters, CancelTellsTheCaller) {
  std::vector<Window> windows(std::begin(kPeriods), std::end(kPeriods));
  windows.insert(windows.end(), {{"Day_Select", "Date Selection Form"},
                                 {"Month_Select", "Date Selection Form"},
                                 {"Date_Range_apppointment", "Appointment Date Range Selection"},
                                 {"Select_STAFFID", "Employee Selection Form"}});
  platform::AssignPadded(values.var3, "AMO01");
  for (const auto& [procedure, title] : windows) {
    for (const char* how : {"press ?Cancel", "close"}) {
      EXPECT_EQ(Run(Open(procedure, title) + how + "\nexpect closed\n",
                    [&](app::Program& program) { EXPECT_EQ(program.values.cancelled, 1) << procedure << how; }),
                "");
    }
    EXPECT_EQ(Run(Open(procedure, title) + "press ?Ok\nexpect closed\n",
                  [&](app::Program& program) { EXPECT_EQ(program.values.cancelled, 0) << procedure; }),
              "");
  }
}

// Opens on this month; OK makes botdate the month's last day, February's by
// the leap year; a month outside 1 to 12 leaves it.
TEST_F(ReportParameters, MonthSelectEndsOnTheLastDayOfTheMonth) {
  values.month = values.year = 0;
  const platform::DayNumber today = platform::Today();
  EXPECT_EQ(Run(Open("Month_Select", "Date Selection Form") + "expect value ?month \"" +
                platform::FormatWith("n_2", platform::MonthOf(today)) + "\"\nexpect value ?year \"" +
                platform::FormatWith("n_4", platform::YearOf(today)) + "\"\n"),
            "");
  const struct {
    const char* month_year;
    platform::DayNumber last;
  } months[] = {{"2 2028", DateFromMdy(2, 29, 2028)},  {"2 2027", DateFromMdy(2, 28, 2027)},
                {"2 1900", DateFromMdy(2, 28, 1900)},  {"4 2027", DateFromMdy(4, 30, 2027)},
                {"12 2026", DateFromMdy(12, 31, 2026)}, {"13 2027", DateFromMdy(12, 31, 2026)},
                {"0 2027", DateFromMdy(12, 31, 2026)}};
  for (const auto& [month_year, last] : months) {
    const std::string text = month_year;
    const std::size_t blank = text.find(' ');
    EXPECT_EQ(Run(Open("Month_Select", "Date Selection Form") + "type ?month " + text.substr(0, blank) +
                      "\ntype ?year " + text.substr(blank + 1) + "\npress ?Ok\n",
                  [&](app::Program& program) { EXPECT_EQ(program.values.botdate, last) << month_year; }),
              "");
  }
}

// The claim form proposes "MA1" whatever payer was chosen last; the billing
// windows start on client numbers and first-time billing.
TEST_F(ReportParameters, ChoicesStartOnTheirDefaults) {
  platform::AssignPadded(values.filter2, "SCA");
  values.end_date_flag = 0;
  values.name_format = 'F';
  values.var1 = 'A';
  EXPECT_EQ(Run(Open("Date_Range_CMS1500", "CMS1500 Date Range Selection") + R"(expect value ?filter2 "MA1"
row ?filter2 2
expect value ?filter2 "BCB"
type ?filter2 "os"
choose ?end_date_flag "On"
press ?Ok
)" + Open("Date_Range_Vendor", "Date Range Selection - SCA Billing") + R"(expect value ?name_format "  Client Number Only"
expect value ?VAR1 "    First Time Billing"
choose ?name_format "  Client  Tracking Number Only"
choose ?VAR1 "    Re-Bill Vendor"
press ?Ok
expect closed
)",
                [](app::Program& program) {
                  EXPECT_EQ(platform::ReadField(program.values.filter2), "OSM");
                  EXPECT_EQ(program.values.end_date_flag, 1);
                  EXPECT_EQ(program.values.name_format, 'T');
                  EXPECT_EQ(program.values.var1, 'R');
                }),
            "");
}

// botdate is the start (opened on topdate; a start accepted becomes the end
// too) and topdate the end, kept no earlier. The calendars set either date
// (1 December 2026 is in cell 3); the staff member chosen is named.
TEST_F(ReportParameters, TheAppointmentPeriodRunsFromBotdateToTopdate) {
  platform::AssignPadded(values.filter2, "");
  const std::string open = Open("Date_Range_apppointment", "Appointment Date Range Selection");
  EXPECT_EQ(Run(open + R"(expect value ?botdate "12/01/2026"
expect value ?StaffName "Amos"
row ?filter2 3
expect value ?StaffName "Chen"
type ?botdate "12/10/2026"
expect value ?topdate "12/10/2026"
type ?topdate "12/03/2026"
expect value ?topdate "12/10/2026"
press ?EndCalendar
window "Select a Date"
press ?Day17
window "Appointment Date Range Selection"
expect value ?topdate "12/15/2026"
press ?StartCalendar
window "Select a Date"
press ?Day18
window "Appointment Date Range Selection"
press ?Ok
expect closed
)",
                [](app::Program& program) {
                  EXPECT_EQ(program.values.botdate, DateFromMdy(12, 16, 2026));
                  EXPECT_EQ(program.values.topdate, DateFromMdy(12, 16, 2026));
                  EXPECT_EQ(platform::ReadField(program.values.filter2), "CHE03");
                }),
            "");
  EXPECT_EQ(Run(open + "expect value ?filter2 \"CHE03\"\nexpect value ?StaffName \"Chen\"\n"), "");
}

// An unknown staff ID opens the staff selection list and the code chosen
// replaces it; a known one is taken as typed.
TEST_F(ReportParameters, AnUnknownStaffIdOpensTheStaffList) {
  EXPECT_EQ(Run(Open("Select_STAFFID", "Employee Selection Form") + R"(type ?VAR3 "ZZZ"
window "Staff Selection Listing"
scroll ?List top
row ?List 2
press ?Select
window "Employee Selection Form"
expect value ?VAR3 "BEL02"
type ?VAR3 "DUR04"
press ?Ok
expect closed
expect no message
)",
                [](app::Program& program) { EXPECT_EQ(platform::ReadField(program.values.var3), "DUR04"); }),
            "");
}

}  // namespace
}  // namespace vornel::reports
