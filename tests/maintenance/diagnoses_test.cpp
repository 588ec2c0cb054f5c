#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using DiagnosesTest = ProgramFixture;

TEST_F(DiagnosesTest, ADiagnosisAddedAndThenChangedShowsInTheList) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Diagnosis Listing"
window "Diagnosis File Maintenance"
expect highlighted ?List "296.30 | 2963 | Major depressive disorder, recurrent episode"
press ?Insert
window "Adding a Diaglist Record"
type ?DIA:CODE "F43.10"
type ?DIA:BC_CODE "F431"
type ?DIA:DESC "Intermittent explosive disorder"
press ?OK
expect closed
window "Diagnosis File Maintenance"
key ?List F
expect highlighted ?List "F43.10 | F431 | Intermittent explosive disorder"
press ?Change
window "Changing a Diaglist Record"
expect value ?DIA:CODE "F43.10"
type ?DIA:DESC "Impulse control disorder"
press ?OK
expect closed
window "Diagnosis File Maintenance"
expect highlighted ?List "F43.10 | F431 | Impulse control disorder"
key ?List V
expect highlighted ?List "V71.09 | V710 | Observation for other suspected mental condition"
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
