#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using SetupsTest = ProgramFixture;

// The form is never opened for insert or delete: the list's thread would be
// held by it, so the Change that follows would not open its own form.
TEST_F(SetupsTest, InsertAndDeleteAreRefusedAndChangeKeepsTheSettings) {
  EXPECT_EQ(Run(R"script(
frame
menu "&Setup" "&Facility Constants"
window "Browse the Setups File"
expect rows ?List "Riverbend Counseling Center | C | 412 Front Street | Suite 200 | Millbrook, PA | 17001 | Drug and Alcohol Services | 0421387 | OUTPATIENT"
press ?Insert
expect message "Invalid Request" "This form cannot be used to insert a record"
press ?Delete
expect message "Invalid Request" "This form cannot be used to delete a record"
press ?Change
window "Changing a Setups Record"
expect value ?SET:FACILITY "0421387"
expect value ?SET:PW "demo"
expect value ?SET:WRTOFFLIM "      5.00"
tab ?Tab2
expect value ?SET:BCOPT "  1"
expect value ?BCOPT:Total "( 0 = TOTAL FEE BILLED )"
type ?SET:BCOPT "0"
tab ?Tab1
type ?SET:PROJ_TITLE "Prevention Services"
press ?OK
expect closed
window "Browse the Setups File"
expect rows ?List "Riverbend Counseling Center | C | 412 Front Street | Suite 200 | Millbrook, PA | 17001 | Prevention Services | 0421387 | OUTPATIENT"
press ?Change
window "Changing a Setups Record"
expect value ?SET:BCOPT "  0"
press ?Cancel
expect closed
expect no message
)script"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
