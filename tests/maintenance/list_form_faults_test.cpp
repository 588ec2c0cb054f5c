// What a receptionist relies on in every list and form: the order of the tab
// shown, the new record highlighted, no stale highlight, the ditto key and
// refused input that says why.
#include "tests/maintenance/program_fixture.h"

namespace vornel::maintenance::test {
namespace {

using ListAndForm = ProgramFixture;

constexpr const char* kOpenStaff = R"(
frame
menu "&Setup" "&Employee Lisiting"
window "Browse the Employee File"
)";

TEST_F(ListAndForm, OpensInTheShownTabsOrderAndHighlightsTheNewRecordAmongEqualNames) {
  EXPECT_EQ(Run(std::string(kOpenStaff) + R"(
press ?Insert
window "Adding a Employee Record"
type ?EMP:LASTNAME "Zulu"
type ?EMP:EMPCODE "AAA"
press ?OK
window "Browse the Employee File"
expect highlighted ?List "AAA | Zulu |  |  |  | A | P"
tab ?Tab2
press ?Insert
window "Adding a Employee Record"
type ?EMP:LASTNAME "Hall"
type ?EMP:EMPCODE "ZZZ"
press ?OK
window "Browse the Employee File"
expect highlighted ?List "ZZZ | Hall |  |  |  | A | P"
press ?Close
)" + kOpenStaff + R"(
expect highlighted ?List "AAA | Zulu |  |  |  | A | P"
)"),
            "");
}

TEST_F(ListAndForm, DittoRecallsTheLastSavedRecordInTheFocusedControl) {
  EXPECT_EQ(Run(std::string(kOpenStaff) + R"(
press ?Insert
window "Adding a Employee Record"
type ?EMP:LASTNAME "Ziegler"
type ?EMP:TITLE "Therapist"
type ?EMP:EMPCODE "ZA1"
press ?OK
window "Browse the Employee File"
press ?Insert
window "Adding a Employee Record"
key ?EMP:TITLE ditto
expect value ?EMP:TITLE "Therapist"
expect value ?EMP:LASTNAME ""
type ?EMP:EMPCODE "ZA2"
frame
tool "History"
window "Adding a Employee Record"
expect value ?EMP:EMPCODE "ZA1"
expect value ?EMP:LASTNAME ""
press ?Cancel
answer yes
)"),
            "");
}

TEST_F(ListAndForm, HistoryIsOfferedOnFormsThatNameNoDittoFields) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Diagnosis Listing"
window "Diagnosis File Maintenance"
press ?Insert
window "Adding a Diaglist Record"
type ?DIA:CODE "F43.1"
press ?OK
window "Diagnosis File Maintenance"
press ?Insert
window "Adding a Diaglist Record"
frame
tool "History"
window "Adding a Diaglist Record"
expect value ?DIA:CODE "F43.1"
press ?Cancel
answer yes
)"),
            "");
}

TEST_F(ListAndForm, RefusedInputStaysWithItsReasonAndIsNotSaved) {
  EXPECT_EQ(Run(std::string(kOpenStaff) + R"(
press ?Insert
window "Adding a Employee Record"
type ?EMP:LASTNAME "Ziegler"
type ?EMP:EMPCODE "TOOLONG"
expect value ?EMP:EMPCODE "TOOLONG"
expect refused ?EMP:EMPCODE "The text is 7 characters long; at most 5 fit here (picture @s5)."
expect focus ?EMP:EMPCODE
press ?OK
expect value ?EMP:EMPCODE "TOOLONG"
expect focus ?EMP:EMPCODE
type ?EMP:EMPCODE "ZA1"
expect refused ?EMP:EMPCODE ""
press ?OK
window "Browse the Employee File"
expect highlighted ?List "ZA1 | Ziegler |  |  |  | A | P"
)"),
            "");
}

// What the screen does, the script does: a message box's buttons can be
// read, the focus moves by bringing a window to the front (the about box
// closes when it loses it), and a window without a timer gets no tick.
TEST_F(ListAndForm, MessageButtonsFocusAndTimerComeAsOnScreen) {
  EXPECT_EQ(Run(std::string(kOpenStaff) + R"(
answer no
press ?Delete
expect message "Confirm Delete" "Are you sure you want to delete the highlighted record?"
expect buttons yes no default yes
frame
menu "&Help" "&About"
window "VORNEL for Windows"
window "Browse the Employee File"
post gainfocus
expect closed "VORNEL for Windows"
post timer
)"),
            "test.script:16: the window \"Browse the Employee File\" runs no timer");
}

// Closing the frame asks each changed form what closing the form would ask:
// Cancel keeps the program and the typed record; Yes saves it on the way out.
TEST_F(ListAndForm, ClosingTheFrameAsksEachChangedFormAndCancelKeepsTheProgram) {
  EXPECT_EQ(Run(std::string(kOpenStaff) + R"(
press ?Insert
window "Adding a Employee Record"
type ?EMP:LASTNAME "Ziegler"
type ?EMP:EMPCODE "ZA1"
answer cancel
frame
post closewindow
expect message "Save Record" "Do you want to save the changes to this record?"
expect buttons yes no cancel default cancel
window "Adding a Employee Record"
wait
expect value ?EMP:LASTNAME "Ziegler"
frame
menu "&Help" "&About"
window "VORNEL for Windows"
close
answer yes
frame
post closewindow
expect message "Save Record" "Do you want to save the changes to this record?"
expect closed "Adding a Employee Record"
expect closed "Browse the Employee File"
)"),
            "");
  EXPECT_EQ(Run(std::string(kOpenStaff) + R"(
scroll ?List bottom
expect highlighted ?List "ZA1 | Ziegler |  |  |  | A | P"
)"),
            "");
}

// Every window's help (its Help button, F1) names the window as it is titled
// now and tells its own keys and buttons.
TEST_F(ListAndForm, HelpTellsTheWindowsOwnKeysAndButtons) {
  EXPECT_EQ(Run(std::string(kOpenStaff) + R"(
press ?Help
expect message "Help: Browse the Employee File" "Browse the Employee File||Keys:|Enter: Change|Escape: Close|Up, Down, Page Up, Page Down, Home, End: move in the list|Letters and digits: find a row by the order shown|Insert, Delete: the list's Insert and Delete|Right button, menu key: the list's menu|Ctrl+Tab: the next page|F1: this help||Buttons: Insert, Change, Delete, Close, Help"
press ?Insert
window "Adding a Employee Record"
key ?EMP:LASTNAME help
expect message "Help: Adding a Employee Record" "Adding a Employee Record||Keys:|Enter: OK|Escape: Cancel|Tab, Shift+Tab: the next or the previous field|Ctrl+' (or Ctrl+H): the value this field had in the record saved last|Ctrl+Tab: the next page|F1: this help||Buttons: OK, Cancel, Help"
expect focus ?EMP:LASTNAME
)"),
            "");
}

// The thumb tells where the highlight is: at the top on the first row, at
// the bottom on the last, and not shown when every row fits.
TEST_F(ListAndForm, TheThumbStandsAtTheEndsOnTheFirstAndLastRows) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Diagnosis Listing"
window "Diagnosis File Maintenance"
expect thumb ?List 0
scroll ?List bottom
expect thumb ?List 100
scroll ?List top
expect thumb ?List 0
press ?Close
frame
menu "&Setup" "&Vendor Listing"
window "Browse the Vendor File"
expect thumb ?List hidden
)"),
            "");
}

// The list keeps the highlighted record when its window changes height (a
// resize, a restore from maximised), and Change acts on that record.
TEST_F(ListAndForm, TheHighlightedRecordStaysThroughAResizeAndIsTheOneChanged) {
  EXPECT_EQ(Run(R"(
frame
menu "&Setup" "&Diagnosis Listing"
window "Diagnosis File Maintenance"
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
scroll ?List down
expect highlighted ?List "V71.09 | V710 | Observation for other suspected mental condition"
expect row ?List 10
resize ?List 4
expect highlighted ?List "V71.09 | V710 | Observation for other suspected mental condition"
resize ?List 20
expect highlighted ?List "V71.09 | V710 | Observation for other suspected mental condition"
press ?Change
window "Changing a Diaglist Record"
expect value ?DIA:CODE "V71.09"
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
