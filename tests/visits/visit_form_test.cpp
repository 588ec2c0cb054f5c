// The visit form and the visit log as a user drives them, on a generated
// root whose last posting date is 30 November 2026.
#include <string>

#include "tests/maintenance/program_fixture.h"

namespace vornel::visits {
namespace {

using VisitForm = maintenance::test::ProgramFixture;

// Opens a new visit from the log and records client 1 for INDV (18.50 per
// 15 minutes) on 1 December with the outcome SHOW.
constexpr const char* kNewShowVisit = R"(
frame
menu "Browse Lists" "Browse the Daily Log File"
window "Daily Log File"
press ?Insert
window "Adding a Log Record"
type ?LOG:LOG_DATE "12/01/2026"
type ?LOG:CLCODE "1"
type ?LOG:SERV_CODE "INDV"
choose ?LOG:TRANS_TYPE "SHOW"
)";

// The whole road of one visit: units and fee from the times, the split,
// auto insert (twice: the second adds nothing), the blank payer refused and
// then filled in, the save, and the visit found again by its date.
TEST_F(VisitForm, AVisitIsRecordedSplitAutoInsertedAndFoundByItsDate) {
  EXPECT_EQ(Run(std::string(kNewShowVisit) + R"(
expect value ?CLIENTNAME "Robert Bennett"
expect value ?EMP:LASTNAME "Ellison"
type ?LOG:TIME_IN "9:00"
type ?LOG:TIME_OUT "9:52"
expect value ?REALTEMP "    3.0000"
expect value ?LOG:TOTAL_FEE "     55.50"
type ?LOG:CLIFEEDUE "5.50"
type ?LOG:BILLINS "30"
expect value ?LOG:BALSCA "     20.00"
expect value ?BALANCEVALUE "   50.00"
press ?AutoInsert
expect rows ?Lines "SCA | Single County Authority | INDV |  1.00 |    20.00 |     0.00 |  | O" "INDV |  1.00 |    30.00 |     0.00 |  | O"
expect value ?BALANCEVALUE "    0.00"
press ?AutoInsert
expect rows ?Lines "SCA | Single County Authority | INDV |  1.00 |    20.00 |     0.00 |  | O" "INDV |  1.00 |    30.00 |     0.00 |  | O"
press ?OK
window "System Warning"
expect value ?MESSAGE "At least 1 Vendor ID on Bill To line entries is blank. Please complete before leaving"
press ?Close
window "Adding a Log Record"
row ?Lines 2
press ?LinesChange
window "Changing a Payment Record"
type ?LIN:VEN_CODE "AET"
press ?OK
window "Adding a Log Record"
press ?OK
expect closed
window "Daily Log File"
type ?Locator "12/01/2026"
expect highlighted ?List "12/01/2026 | Ellison |  9:00AM |  9:52AM | Bennett, Robert S | INDV | SHOW"
press ?Change
window "Changing a Log Record"
row ?Lines 1
press ?LinesChange
window "Changing a Payment Record"
expect value ?LIN:CLCODE "      1"
expect value ?LIN:SERV_DATE "12/01/2026"
expect value ?LIN:CLI_XXX "Ben"
)"),
            "");
}

// A new visit cancelled after its lines were written takes them with it,
// so nothing is left for billing to find: the next new visit gets the same
// number and finds no lines.
TEST_F(VisitForm, CancellingANewVisitLeavesNoChargeLines) {
  EXPECT_EQ(Run(std::string(kNewShowVisit) + R"(
type ?LOG:TIME_IN "9:00"
type ?LOG:TIME_OUT "10:00"
press ?AutoInsert
expect rows ?Lines "SCA | Single County Authority | INDV |  1.00 |    74.00 |     0.00 |  | O"
answer no
press ?Cancel
expect message "Save Record" "Do you want to save the changes to this record?"
expect closed
window "Daily Log File"
press ?Insert
window "Adding a Log Record"
expect value ?LOG:LOG_NO "        16"
expect rows ?Lines
)"),
            "");
}

// Each refusal says why and keeps the form open with the cursor on the field.
TEST_F(VisitForm, BadDatesTimesAndSharesAreRefusedWithTheirMessages) {
  EXPECT_EQ(Run(R"(
frame
menu "Browse Lists" "Browse the Daily Log File"
window "Daily Log File"
press ?Insert
window "Adding a Log Record"
type ?LOG:LOG_DATE "11/30/2026"
window "System Warning"
expect value ?MESSAGE "This date is before last posting date."
press ?Close
window "Adding a Log Record"
expect value ?LOG:LOG_DATE "12/01/2026"
expect focus ?LOG:LOG_DATE
type ?LOG:LOG_DATE "12/31/2030"
window "System Warning"
expect value ?MESSAGE "A visit may not be dated more than two years ahead."
press ?Close
window "Adding a Log Record"
type ?LOG:LOG_DATE "12/03/2026"
type ?LOG:CLCODE "1"
type ?LOG:SERV_CODE "INDV"
type ?LOG:TIME_IN "10:00"
type ?LOG:TIME_OUT "9:00"
window "System Warning"
expect value ?MESSAGE "The time out lies before the time in."
press ?Close
window "Adding a Log Record"
type ?LOG:TIME_OUT "11:00"
type ?LOG:CLI_PAID "10.005"
expect value ?LOG:CLI_PAID "     10.01"
type ?LOG:BILLINS "100"
expect value ?LOG:BALSCA "    -15.99"
press ?OK
window "System Warning"
expect value ?MESSAGE "Balance SCA amount may not be less than ZERO."
press ?Close
window "Adding a Log Record"
expect focus ?LOG:BALSCA
type ?LOG:BILLINS "0"
type ?LOG:CLIFEEDUE "1"
type ?LOG:OSMFEE "2"
choose ?LOG:TRANS_TYPE "SHOW"
expect value ?BALANCEVALUE "   73.00"
press ?OK
window "System Warning"
expect value ?MESSAGE "The sum of vendor charge line entries does not equal the Total Fee!   The Balance shown must be zero to save."
press ?Close
window "Adding a Log Record"
press ?AutoInsert
expect value ?BALANCEVALUE "    0.00"
press ?OK
expect closed
)"),
            "");
  EXPECT_GE(display_.beeps, 5);
}

// A visit that did not take place loses its open lines only: a line a payer
// was billed for or has paid stays, and the user is told so.
TEST_F(VisitForm, ACancelledVisitKeepsItsPaidLines) {
  EXPECT_EQ(Run(std::string(kNewShowVisit) + R"(
type ?LOG:TIME_IN "9:00"
type ?LOG:TIME_OUT "10:00"
type ?LOG:BILLINS "30"
press ?AutoInsert
row ?Lines 2
press ?LinesChange
window "Changing a Payment Record"
type ?LIN:VEN_CODE "AET"
type ?LIN:AMOUNT "30"
choose ?LIN:STATUS "Paid"
press ?OK
window "Adding a Log Record"
press ?OK
expect closed
window "Daily Log File"
type ?Locator "12/01/2026"
press ?Change
window "Changing a Log Record"
choose ?LOG:TRANS_TYPE "CANC"
expect value ?LOG:TOTAL_FEE "      0.00"
expect value ?LOG:BALSCA "      0.00"
press ?OK
window "System Warning"
expect value ?MESSAGE "1 charge line(s) of this visit were billed or paid and are kept; only the open lines were deleted."
press ?Close
window "Daily Log File"
press ?Change
window "Changing a Log Record"
expect rows ?Lines "AET | Aetos Health Insurance | INDV |  1.00 |    30.00 |    30.00 |  | P"
)"),
            "");
}

class PostedVisits : public VisitForm {
 protected:
  PostedVisits() { months_ = 2; }  // November is posted
};

// A visit of the posted period is shown but not saved, and not deleted.
TEST_F(PostedVisits, AreShownWithoutOkAndRefuseTheDelete) {
  EXPECT_EQ(Run(R"(
frame
menu "Browse Lists" "Browse the Daily Log File"
window "Daily Log File"
type ?Locator "11/30/2026"
scroll ?List up
press ?Delete
window "System Warning"
expect value ?MESSAGE "Visits may not be deleted if prior to the last posting date of 11/30/2026"
press ?Close
window "Daily Log File"
press ?Change
window "Changing a Log Record"
expect enabled ?OK no
)"),
            "");
}

}  // namespace
}  // namespace vornel::visits
