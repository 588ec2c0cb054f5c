#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using FormNavigationTest = ProgramFixture;

// The frame's Next on a payer form saves it and opens the next payer; the
// charge-line list on its tab must not take the button.
TEST_F(FormNavigationTest, NextOnAFormWithATabListMovesThePayerList) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Vendor Listing"
window "Browse the Vendor File"
row ?List 1
press ?Change
window "Changing a Vendor Record"
type ?VEN:CONTACT "New Contact"
frame
tool Next
window "Changing a Vendor Record"
press ?Cancel
window "Browse the Vendor File"
expect row ?List 2
)"),
            "");
}

// Next on a change form with nothing changed still goes to the next record.
TEST_F(FormNavigationTest, NextWithoutChangesGoesToTheNextRecord) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Diagnosis Listing"
window "Diagnosis File Maintenance"
row ?List 1
press ?Change
window "Changing a Diaglist Record"
frame
tool Next
window "Changing a Diaglist Record"
press ?Cancel
window "Diagnosis File Maintenance"
expect row ?List 2
)"),
            "");
}

// A Next refused by a field's check must not act on a later OK.
TEST_F(FormNavigationTest, ARefusedNextDoesNotMoveTheListOnALaterOk) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Vendor Listing"
window "Browse the Vendor File"
row ?List 1
press ?Change
window "Changing a Vendor Record"
row ?Lines 1
press ?LinesChange
window "Changing a Payment Record"
type ?LIN:VEN_CODE "ZZZ"
window "Vendor Code Selection Form"
close
expect closed
frame
tool Next
window "Vendor Code Selection Form"
close
expect closed
window "Changing a Payment Record"
type ?LIN:VEN_CODE "AET"
choose ?LIN:STATUS "Billed"
press ?OK
expect closed
window "Changing a Vendor Record"
expect row ?Lines 1
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
