#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using StaffTest = ProgramFixture;

TEST_F(StaffTest, ANewStaffMemberIsActivePrimaryAndADuplicateCodeIsRefused) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Employee Lisiting"
window "Browse the Employee File"
press ?Insert
window "Adding a Employee Record"
expect value ?EMP:STATUS "Active"
expect value ?EMP:TYPE "Primary"
type ?EMP:LASTNAME "ZIEGLER"
type ?EMP:FIRSTNAME "ANNA"
type ?EMP:EMPCODE "ZA1"
press ?OK
expect closed
window "Browse the Employee File"
tab ?Tab2
key ?List Z
expect highlighted ?List "ZA1 | ZIEGLER | ANNA |  |  | A | P"
press ?Insert
window "Adding a Employee Record"
type ?EMP:LASTNAME "ZANE"
type ?EMP:EMPCODE "ZA1"
press ?OK
expect message "Duplicate Key Error" "Adding this record creates a duplicate entry for the key: Emp:STAFF_KEY"
answer no
press ?Cancel
expect closed
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
