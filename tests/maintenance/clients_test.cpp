// The client list and form on the small generated root (clients 1 to 5:
// Bennett A, Cooper P, Morales I, Turner D, Baker A).
#include <gtest/gtest.h>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "tests/maintenance/program_fixture.h"
#include "tests/support/station.h"

namespace vornel::maintenance {
namespace {

using ClientMaintenance = test::ProgramFixture;

constexpr const char* kOpenList = R"(
frame
menu "Browse Lists" "Browse the Client File"
window "Browse the Client File"
)";

// The status filters show their clients in the file's order with their
// titles; F5 (the key as well as the button) brings back the name order,
// on the client highlighted before.
TEST_F(ClientMaintenance, TheStatusFiltersNarrowTheListAndF5BringsBackTheNameOrder) {
  EXPECT_EQ(Run(std::string(kOpenList) + R"(
expect value ?ClientFilterTitle "All Clients Selected"
expect highlighted ?List "      5 | Baker | Donna | X | A | 07/26/2026 | 05/02/2003 | 304.20 | F | Y |  |       0.00 |   0"
press ?F7
expect value ?ClientFilterTitle "In-Active Clients Selected"
expect rows ?List "      3 | Morales | Mark | E | I | 02/26/2025 | 02/23/1965 | 305.20 | M | Y |  |       0.00 |   0"
key ?List F6
expect value ?ClientFilterTitle "Active & Potential Clients Selected"
expect rows ?List "      1 | Bennett | Robert | S | A | 04/16/2026 | 05/27/1995 | 305.00 | M | N |  |       0.00 |   0" "      2 | Cooper | Jeffrey | M | P |  | 04/24/1995 | 304.20 | M | Y |  |       0.00 |   0" "      5 | Baker | Donna | X | A | 07/26/2026 | 05/02/2003 | 304.20 | F | Y |  |       0.00 |   0"
key ?List F8
expect value ?ClientFilterTitle "Discharged Clients Selected"
key ?List F5
expect value ?ClientFilterTitle "All Clients Selected"
expect highlighted ?List "      4 | Turner | Daniel | D | D | 01/25/2025 | 11/22/1959 | 304.80 | M | Y |  |       0.00 |   0"
expect row ?List 5
)"),
            "");
}

// A new client is pending, male, white, with call and pay flags set and
// the other flags not; a client's billing tracking number is his code plus
// 3333; his staff member's name shows beside the code.
TEST_F(ClientMaintenance, TheFormPrimesANewClientAndShowsTheTrackingNumber) {
  EXPECT_EQ(Run(std::string(kOpenList) + R"(
press ?Insert
window "Adding a Client Record"
expect value ?CLI:CURRENT "Pending"
expect value ?CLI:SEX "M"
expect value ?CLI:MINORITY "WHIT"
expect value ?CLI:CALLOK "Y"
expect value ?CLI:PAYFLG "Y"
expect value ?CLI:MED_ASSIST "N"
expect value ?CLI:PHYS_CPT "N"
expect value ?CLI:PRIINS "N"
expect value ?CLI:INTAKE "I"
press ?Cancel
window "Browse the Client File"
press ?F7
press ?Change
window "Changing a Client Record"
expect value ?Tracking "          3336"
expect value ?CLI:CLLNAME "Morales"
)"),
            "");
}

// The records of `client` in the file, by its client field.
int Records(const std::filesystem::path& root, const data::FileDef& def, const char* client_field, int client) {
  vornel::test::Station station(root);
  data::FileManager& file = station.files->Get(def);
  file.Open();
  file.EnsurePhysicallyOpen();
  int n = 0;
  for (file.file().SetOrder(nullptr); file.file().Next() == data::kStoreOk;)
    n += data::ReadNumber(def, *def.FindField(client_field), file.buffer()) == client ? 1 : 0;
  file.Close();
  return n;
}

// Deleting a client takes his visits, charge lines, cards and group
// assignments with him; a client with a comment (or payment records) is
// refused, and nothing of his goes.
TEST_F(ClientMaintenance, DeletingAClientCascadesOrIsRefusedWhole) {
  const std::vector<std::pair<const data::FileDef*, const char*>> dependents = {
      {&data::LogFile(), "LOG:CLCODE"}, {&data::LineitemFile(), "LIN:CLCODE"},
      {&data::Ins_cardFile(), "INS:CLCODE"}, {&data::GrpassinFile(), "SIN:CLI_CODE"}};
  for (const auto& [def, field] : dependents) ASSERT_GT(Records(root_.path(), *def, field, 5), 0) << def->label;
  {
    vornel::test::Station station(root_.path());
    data::FileManager& comments = station.files->Get(data::Cli_cmmtFile());
    comments.Open();
    comments.EnsurePhysicallyOpen();
    comments.file().ClearBuffer();
    data::WriteNumber(data::Cli_cmmtFile(), *data::Cli_cmmtFile().FindField("CMT:CLI_CODE"), comments.buffer(), 1);
    ASSERT_EQ(comments.file().Add(), data::kStoreOk);
    comments.Close();
  }
  const int visits_of_1 = Records(root_.path(), data::LogFile(), "LOG:CLCODE", 1);
  // Baker (5) is highlighted first; Bennett (1) is the second by name.
  // The refusal, then the question whether to try again, which its default
  // (Cancel) answers: no endless retries.
  EXPECT_EQ(Run(std::string(kOpenList) + R"(
answer yes
press ?Delete
expect message "Confirm Delete" "Are you sure you want to delete the highlighted record?"
type ?Locator "Bennett"
answer yes
press ?Delete
expect message "Confirm Delete" "Are you sure you want to delete the highlighted record?"
expect message "Referential Integrity Delete Error" "This record is referenced from the file Cli_cmmt. This record cannot be deleted while these references exist."
expect message "Record Delete Error" "An error was experienced deleting this record. Do you want to try to delete it again?"
expect no message
)"),
            "");
  for (const auto& [def, field] : dependents) EXPECT_EQ(Records(root_.path(), *def, field, 5), 0) << def->label;
  EXPECT_EQ(Records(root_.path(), data::ClientFile(), "CLI:CLCODE", 5), 0);
  EXPECT_EQ(Records(root_.path(), data::ClientFile(), "CLI:CLCODE", 1), 1);
  EXPECT_EQ(Records(root_.path(), data::LogFile(), "LOG:CLCODE", 1), visits_of_1);
}

}  // namespace
}  // namespace vornel::maintenance
