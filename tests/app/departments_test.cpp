// The departments on the small generated root (1 OUTPATIENT, 2 PREVENTION):
// the switch from the toolbar, and a department copied from another with
// its directories made on save.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "platform/text.h"
#include "tests/maintenance/program_fixture.h"
#include "tests/support/station.h"

namespace vornel::app {
namespace {

using Departments = maintenance::test::ProgramFixture;

TEST_F(Departments, TheToolbarSwitchesTheCurrentDepartmentAndTheTitleFollows) {
  EXPECT_EQ(Run(R"(
frame
tool "Change Departments"
window "Browse the Departments File"
expect value ?CurrentDepartment "1 - OUTPATIENT"
row ?List 2
press ?ChangeDepartment
expect closed
frame
expect title "VORNEL for Windows  Riverbend Counseling Services      Current Dept:    2 - PREVENTION"
tool "Change Departments"
window "Browse the Departments File"
expect value ?CurrentDepartment "2 - PREVENTION"
)"),
            "");
}

// A list open when the department changes keeps its department's files
// (and so does the form it opens); a list opened afterwards shows the new
// department's clients.
TEST_F(Departments, OpenListsKeepTheirFilesAcrossASwitch) {
  EXPECT_EQ(Run(R"(
frame
menu "Browse Lists" "Browse the Client File"
window "Browse the Client File"
expect highlighted ?List "      5 | Baker | Donna | X | A | 07/26/2026 | 05/02/2003 | 304.20 | F | Y |  |       0.00 |   0"
frame
tool "Change Departments"
window "Browse the Departments File"
row ?List 2
press ?ChangeDepartment
expect closed
frame
menu "Browse Lists" "Browse the Client File"
window "Browse the Client File" 2
expect highlighted ?List "      3 | Allen | Carol | M | I | 03/16/2024 | 10/02/1970 | 304.00 | F | Y |  |       0.00 |   0"
close
expect closed
window "Browse the Client File"
expect highlighted ?List "      5 | Baker | Donna | X | A | 07/26/2026 | 05/02/2003 | 304.20 | F | Y |  |       0.00 |   0"
press ?Change
window "Changing a Client Record"
expect value ?CLI:CLLNAME "Baker"
press ?Cancel
window "Browse the Client File"
key ?List F5
expect highlighted ?List "      5 | Baker | Donna | X | A | 07/26/2026 | 05/02/2003 | 304.20 | F | Y |  |       0.00 |   0"
)"),
            "");
}

// A copy of department 2 takes the next number and department 2's billing
// identifiers, with no name and no last posting; saving it makes its three
// directories, private.
TEST_F(Departments, ACopiedDepartmentGetsTheNextNumberAndItsDirectories) {
  std::string provider;
  {
    vornel::test::Station station(root_.path());
    data::FileManager& departments = station.files->Get(data::DepartmentsFile());
    departments.Open();
    departments.record<data::DepartmentsRecord>().DEPT_NO = 2;
    ASSERT_EQ(departments.TryFetch(*data::DepartmentsFile().FindKey("DEPT:Dept_No_Key")), 0);
    provider = platform::Clip(platform::ReadField(departments.record<data::DepartmentsRecord>().MA10_PROV));
    departments.Close();
  }
  EXPECT_EQ(Run(R"(
frame
menu "Setup" "Department Listing"
window "Browse the Departments File"
row ?List 2
press ?CopyDepartment
window "Adding a Departments Record"
expect value ?DEPT:ACTIVITY ""
expect value ?DEPT:POSTDATE "          "
expect value ?DEPT:MA10_PROV ")" + provider + R"("
type ?DEPT:ACTIVITY "YOUTH SERVICES"
press ?OK
window "Browse the Departments File"
)"),
            "");
  for (const char* dir : {"VORNEL/3", "VORNEL/3/ARCS", "VORNEL/3/STATS"}) {
    struct stat made {};
    ASSERT_EQ(::stat((root_ / dir).c_str(), &made), 0) << dir;
    EXPECT_EQ(made.st_mode & 027, 0u) << dir << " is open to others";
  }
}

}  // namespace
}  // namespace vornel::app
