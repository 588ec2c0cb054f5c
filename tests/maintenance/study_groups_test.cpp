#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using StudyGroupsTest = ProgramFixture;

// In the demo root group 3 has clients 3 (Morales) and 5 (Baker), group 4
// client 4 (Turner).
TEST_F(StudyGroupsTest, TheGroupFormListsItsMembersWithTheirClients) {
  EXPECT_EQ(Run(R"(
frame
menu "Browse Lists" "Browse Client Study Groups"
window "Browse the Study Group File"
row ?List 3
press ?Change
window "Changing a Studygrp Record"
expect value ?Cancel "Cancel"
tab ?MembersTab
expect rows ?Members "      3 |       3 | Morales | Mark | E |       0.00" "      5 |       3 | Baker | Donna | X |       0.00"
press ?Cancel
expect closed
window "Browse the Study Group File"
row ?List 1
press ?Change
window "Changing a Studygrp Record"
expect rows ?Members
)"),
            "");
}

// A member added from the group: the group code comes from the group; an
// unknown one opens the group selection and, closed without a choice,
// leaves the focus on the code. The last name follows the client.
TEST_F(StudyGroupsTest, AMemberWithAnUnknownGroupCodeKeepsTheFocusOnTheCode) {
  EXPECT_EQ(Run(R"(
frame
menu "Browse Lists" "Browse Client Study Groups"
window "Browse the Study Group File"
row ?List 3
press ?Change
window "Changing a Studygrp Record"
press ?MembersInsert
window "Adding a Grpassin Record"
expect value ?SIN:GRP_CODE "      3"
type ?SIN:CLI_CODE "1"
type ?SIN:GRP_CODE "9"
window "Study Group Selection Form"
expect rows ?List "   1 | Monday Relapse Prevention" "   2 | Wednesday Women's Recovery Group" "   3 | Thursday Teen Coping Skills" "   4 | Family Education Evening"
close
expect closed
window "Adding a Grpassin Record"
expect focus ?SIN:GRP_CODE
type ?SIN:GRP_CODE "3"
expect focus ?SIN:GRP_CODE
post gainfocus
expect value ?SIN:LASTNAME "Bennett"
press ?OK
expect closed
window "Changing a Studygrp Record"
expect rows ?Members "      3 |       3 | Morales | Mark | E |       0.00" "      5 |       3 | Baker | Donna | X |       0.00" "      1 |       3 | Bennett | Robert | S |       0.00"
)"),
            "");
}

// An unknown client code opens the client selection (by last name); closed
// without a choice, the focus stays on the code.
TEST_F(StudyGroupsTest, AMemberOfTheGroupNeedsAKnownClient) {
  EXPECT_EQ(Run(R"(
frame
menu "Browse Lists" "Browse Client Study Groups"
window "Browse the Study Group File"
row ?List 4
press ?Change
window "Changing a Studygrp Record"
row ?Members 1
press ?MembersChange
window "Changing a Grpassin Record"
expect value ?SIN:LASTNAME "Turner"
type ?SIN:CLI_CODE "77"
window "Client Selection List"
close
expect closed
window "Changing a Grpassin Record"
expect focus ?SIN:CLI_CODE
type ?SIN:CLI_CODE "2"
post gainfocus
expect value ?SIN:LASTNAME "Cooper"
press ?OK
expect closed
window "Changing a Studygrp Record"
expect rows ?Members "      2 |       4 | Cooper | Jeffrey | M |       0.00"
)"),
            "");
}

// Every reset reads the client again: the last name is the client's, or
// blank when the code names no client.
TEST_F(StudyGroupsTest, TheMemberFormTakesTheLastNameFromTheClient) {
  EXPECT_EQ(Run(R"(
frame
start UpdateGrpassin
window "Update the Grpassin File"
type ?SIN:CLI_CODE "4"
type ?SIN:LASTNAME "Somebody"
post gainfocus
expect value ?SIN:LASTNAME "Turner"
type ?SIN:CLI_CODE "77"
post gainfocus
expect value ?SIN:LASTNAME ""
press ?Cancel
expect closed
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
