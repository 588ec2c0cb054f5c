#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using ServicesTest = ProgramFixture;

TEST_F(ServicesTest, ANewServiceIsNeitherGroupNorOutreachAndIsFoundInTheList) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Services Listing"
window "Browse the Services File"
press ?Insert
window "Adding a Services Record"
expect value ?SER:GROUPFLAG "No"
expect value ?SER:OUTREACH "No"
type ?SER:SERVICE "ZFAM"
type ?SER:DESC "Family Session"
type ?SER:RATE "42.50"
type ?SER:UNITMINS "30"
type ?SER:SCA_MAX "40"
type ?SER:PROC_NAME "H0006"
press ?OK
expect closed
window "Browse the Services File"
key ?List Z
expect highlighted ?List "ZFAM | Family Session |      42.50 |      30 |      40.00 | N | N |  | H0006"
press ?Change
window "Changing a Services Record"
expect value ?SER:GROUPFLAG "No"
choose ?SER:GROUPFLAG "Yes"
press ?OK
expect closed
window "Browse the Services File"
expect highlighted ?List "ZFAM | Family Session |      42.50 |      30 |      40.00 | Y | N |  | H0006"
)"),
            "");
}

TEST_F(ServicesTest, TheSelectionListFindsTheCodeTyped) {
  EXPECT_EQ(Run(R"(
frame
start LOV_Services
window "Services Selection Form"
expect highlighted ?List "GRP | Group Counseling | Y |       6.25 |      15"
type ?Locator "MA"
expect highlighted ?List "MA1 | MA Individual Therapy | N |      72.00 |      60"
type ?Locator "OU"
expect highlighted ?List "OUTR | Outreach / Prevention | N |      22.50 |      30"
press ?Close
expect closed
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
