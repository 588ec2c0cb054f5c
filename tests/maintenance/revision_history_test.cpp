#include "tests/maintenance/program_fixture.h"

#include "platform/text.h"
#include "ui/program_values.h"

namespace vornel::maintenance::test {
namespace {

class RevisionHistoryTest : public ProgramFixture {
 protected:
  platform::SettingsFile ProgramSettings() const { return platform::SettingsFile(root_ / "VORNEL" / "vornel.ini"); }
};

constexpr std::string_view kLatest =
    "The current department can be changed from the toolbar without leaving the program.";
constexpr std::string_view kPrevious =
    "Claims can be printed on the UB-04 form by a laser printer; the provider NPI is printed on every claim.";

TEST_F(RevisionHistoryTest, TheDescriptionFollowsTheHighlightedRevision) {
  EXPECT_EQ(Run(std::string(R"(
frame
menu "&Help" "&Review Revision History"
window "Review Revision History"
expect rows ?List "  3.09 | Department switch" "  3.08 | UB-04 laser form" "  3.07 | Client consolidation"
expect value ?VersionLabel "VN-3.09b"
expect value ?APP:DESCRIPTION ")") + std::string(kLatest) + R"("
row ?List 2
expect value ?APP:DESCRIPTION ")" + std::string(kPrevious) + R"("
press ?Insert
window "Adding a AppRevs Record"
type ?APP:REVISION_NUMBER "3.10"
type ?APP:TITLE "Revision history"
type ?APP:DESCRIPTION "The revisions are listed with their descriptions."
press ?OK
expect closed
window "Review Revision History"
expect highlighted ?List "  3.10 | Revision history"
expect value ?APP:DESCRIPTION "The revisions are listed with their descriptions."
scroll ?List down
expect value ?APP:DESCRIPTION ")" + std::string(kLatest) + R"("
press ?Close
expect closed
)"),
            "");
}

// The list opens at start-up while the setting is 1; its check box changes
// the setting, which the toolbar's Exit writes.
TEST_F(RevisionHistoryTest, TheCheckBoxDecidesWhatTheToolbarsExitWrites) {
  ProgramSettings().Set("Program Control", "History Popup", "1");
  EXPECT_EQ(Run(R"(
window "Review Revision History"
expect value ?HistoryPopup "On"
choose ?HistoryPopup "Off"
frame
tool "Exit Application"
expect closed
)"),
            "");
  EXPECT_EQ(ProgramSettings().Get("Program Control", "History Popup"), "0");

  EXPECT_EQ(Run(R"(
frame
menu "&Help" "&Review Revision History"
window "Review Revision History"
expect value ?HistoryPopup "Off"
choose ?HistoryPopup "On"
frame
tool "Exit Application"
expect closed
)"),
            "");
  EXPECT_EQ(ProgramSettings().Get("Program Control", "History Popup"), "1");
}

using DisplayErrorTest = ProgramFixture;

TEST_F(DisplayErrorTest, ShowsTheWarningTextAndClosesWithClose) {
  ui::ProgramValues& values = ui::ProgramValues::Global();
  ASSERT_TRUE(platform::AssignPadded(values.warning_text, "Units must be greater than zero."));
  EXPECT_EQ(Run(R"(
frame
start DisplayError
window "System Warning"
expect value ?MESSAGE "Units must be greater than zero."
press ?Close
expect closed
expect no message
)"),
            "");
  platform::AssignPadded(values.warning_text, "");
}

}  // namespace
}  // namespace vornel::maintenance::test
