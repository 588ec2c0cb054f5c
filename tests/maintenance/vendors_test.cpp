#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using VendorsTest = ProgramFixture;

// The demo root bills visits 1 and 2 of client 5 to AET and to SCA, among
// others, and nothing to OSM.
TEST_F(VendorsTest, ThePayerFormListsOnlyThatPayersChargeLines) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Vendor Listing"
window "Browse the Vendor File"
row ?List 1
press ?Change
window "Changing a Vendor Record"
expect value ?VEN:VEN_CODE "AET"
tab ?LinesTab
expect rows ?Lines "        1 | AET |       5 |  |       0.00 |      16.50 | O | 12/02/2026" "        2 | AET |       5 |  |       0.00 |      16.50 | O | 12/04/2026"
press ?Cancel
expect closed
window "Browse the Vendor File"
row ?List 5
press ?Change
window "Changing a Vendor Record"
expect value ?VEN:VEN_CODE "SCA"
expect rows ?Lines "        1 | SCA |       5 |  |       0.00 |      16.50 | O | 12/02/2026" "        2 | SCA |       5 |  |       0.00 |      16.50 | O | 12/04/2026"
)"),
            "");
}

TEST_F(VendorsTest, ADeleteRequestIsRefusedAndThePayerKept) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Vendor Listing"
window "Browse the Vendor File"
row ?List 2
press ?Delete
expect message "Invalid Request" "This form cannot be used to delete a record"
expect highlighted ?List "BCB | Blue Crest Benefit Plan | Claims Service | (555)301-7700 | Camp Ridge | PA"
expect rows ?List "AET | Aetos Health Insurance | Member Services | (555)401-2288 | Laurel Bay | PA" "BCB | Blue Crest Benefit Plan | Claims Service | (555)301-7700 | Camp Ridge | PA" "MA1 | Medical Assistance | Provider Services | (555)201-4400 | Harrisford | PA" "OSM | OSM Program Fund | Grant Manager | (555)201-6330 | Millbrook | PA" "SCA | Single County Authority | Fiscal Office | (555)201-5120 | Millbrook | PA"
)"),
            "");
}

TEST_F(VendorsTest, ANewChargeLineOfThePayerIsOpenWithOneUnit) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Vendor Listing"
window "Browse the Vendor File"
row ?List 4
press ?Change
window "Changing a Vendor Record"
press ?LinesInsert
window "Adding a Payment Record"
expect value ?LIN:VEN_CODE "OSM"
expect value ?LIN:STATUS "Open"
expect value ?LIN:MA_UNITS "  1.00"
type ?LIN:LOG_NO "7"
type ?LIN:AMOUNT_DUE "12.25"
type ?LIN:SERV_DATE "12/03/2026"
press ?OK
expect closed
window "Changing a Vendor Record"
expect rows ?Lines "        7 | OSM |       0 |  |       0.00 |      12.25 | O | 12/03/2026"
)"),
            "");
}

// The line form's payer is looked up: an unknown code opens the vendor
// selection and keeps the focus when none is chosen. A line moved to another
// payer leaves this payer's list, and the payer's form keeps its own record.
TEST_F(VendorsTest, ALineMovedToAnotherPayerLeavesThePayersList) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Vendor Listing"
window "Browse the Vendor File"
row ?List 1
press ?Change
window "Changing a Vendor Record"
row ?Lines 2
press ?LinesChange
window "Changing a Payment Record"
type ?LIN:VEN_CODE "ZZZ"
window "Vendor Code Selection Form"
close
expect closed
window "Changing a Payment Record"
expect focus ?LIN:VEN_CODE
type ?LIN:VEN_CODE "OSM"
expect value ?LIN:VEN_CODE "OSM"
choose ?LIN:STATUS "Billed"
press ?OK
expect closed
window "Changing a Vendor Record"
expect value ?VEN:VEN_CODE "AET"
expect value ?VEN:NAME "Aetos Health Insurance"
expect rows ?Lines "        1 | AET |       5 |  |       0.00 |      16.50 | O | 12/02/2026"
press ?Cancel
expect closed
window "Browse the Vendor File"
row ?List 4
press ?Change
window "Changing a Vendor Record"
expect rows ?Lines "        2 | OSM |       5 |  |       0.00 |      16.50 | B | 12/04/2026"
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
