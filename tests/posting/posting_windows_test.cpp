// Posting from the menu on a generated root last posted on 30 November 2026
// (clients 1 Bennett and 5 Baker have visits shown on 2, 4 and 7 December;
// 9 December is still scheduled). The system password is "demo".
#include <string>

#include "tests/maintenance/program_fixture.h"

namespace vornel::posting {
namespace {

using PostingWindows = maintenance::test::ProgramFixture;

constexpr const char* kOpenPosting = R"(
frame
menu "Daily Entries" "Post Daily Entries"
window "Transaction Posting"
)";

// The period starts the day after the last posting and ends no earlier; the
// posting shows its progress and its outcome; the posted visits are frozen,
// the next posting starts after them, and Day_Select still offers the first
// day of the period just posted.
TEST_F(PostingWindows, PostsTheWeekAndFreezesIt) {
  EXPECT_EQ(Run(std::string(kOpenPosting) + R"(
expect value ?Text1 "Posting of transactions willl prevent furthur editing of Log"
expect value ?POSTINGDATE "12/01/2026"
expect value ?botdate "12/01/2026"
type ?botdate "11/20/2026"
expect value ?botdate "12/01/2026"
type ?botdate "12/07/2026"
press ?Begin
window "Posting Progress Window"
expect value ?MESS1 "Posting successful !!"
expect enabled ?Close yes
press ?Close
expect closed
frame
menu "Browse Lists" "Browse the Daily Log File"
window "Daily Log File"
expect value ?LOCALPOSTDATE "12/07/2026"
type ?Locator "12/04/2026"
press ?Change
window "Changing a Log Record"
expect enabled ?OK no
press ?Cancel
expect closed
frame
menu "Daily Entries" "Post Daily Entries"
window "Transaction Posting"
expect value ?POSTINGDATE "12/08/2026"
press ?Cancel
expect closed
frame
start Day_Select
window "Date Selection Form"
expect value ?topdate "12/01/2026"
)"),
            "");
}

// A scheduled visit in the period refuses the posting, naming its day.
TEST_F(PostingWindows, AScheduledVisitRefusesThePosting) {
  EXPECT_EQ(Run(std::string(kOpenPosting) + R"(
type ?botdate "12/10/2026"
press ?Begin
window "System Warning"
expect value ?MESSAGE "PLEASE CLEAR LOG ENTRIES STILL IN ""SCHEDULE"" STATUS ON  - 12/09/26"
press ?Close
frame
menu "Daily Entries" "Post Daily Entries"
window "Transaction Posting"
expect value ?POSTINGDATE "12/01/2026"
)"),
            "");
}

// The posting date set back behind the system password, for this session:
// a wrong password changes nothing.
TEST_F(PostingWindows, TheSetBackDateNeedsThePassword) {
  EXPECT_EQ(Run(R"(
frame
menu "Data Maintenance" "Prior Post Date Set"
window "Enter Prior to Post  Control  Form"
expect value ?PWDCHK ""
type ?topdate "11/20/2026"
type ?PWDCHK "guess"
press ?Ok
window "System Warning"
expect value ?MESSAGE "The password is not correct. The posting date is unchanged."
press ?Close
frame
menu "Daily Entries" "Post Daily Entries"
window "Transaction Posting"
expect value ?POSTINGDATE "12/01/2026"
press ?Cancel
frame
menu "Data Maintenance" "Prior Post Date Set"
window "Enter Prior to Post  Control  Form"
type ?topdate "11/20/2026"
type ?PWDCHK "demo   "
press ?Ok
expect closed
frame
menu "Daily Entries" "Post Daily Entries"
window "Transaction Posting"
expect value ?POSTINGDATE "11/21/2026"
)"),
            "");
}

}  // namespace
}  // namespace vornel::posting
