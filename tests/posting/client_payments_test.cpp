// A client's account in the payment window, on a generated root last
// posted on 30 November 2026; client 5 Baker has no records yet.
#include <string>

#include "tests/maintenance/program_fixture.h"

namespace vornel::posting {
namespace {

using ClientPayments = maintenance::test::ProgramFixture;

constexpr const char* kBakersAccount = R"(
frame
menu "Daily Entries" "Record Client Payments"
window "Browse Client Payments"
expect enabled ?Insert no
press ?SelectClient
window "Client Selection List"
row ?List 1
press ?Select
window "Browse Client Payments"
expect value ?CLIENTNAME "Baker, Donna"
)";

// A charge of 40 and a payment of 15 leave 25; the stored balance follows
// the posted records, a record after the posting date waits for its posting;
// a write-off closes the charge and adjusts the account by what was left,
// once only.
TEST_F(ClientPayments, KeepTheBalanceAndWriteOffOnce) {
  EXPECT_EQ(Run(std::string(kBakersAccount) + R"(
press ?Insert
window "Adding a Client Payment Record"
expect value ?CPY:CLCODE "      5"
type ?CPY:DATE "11/20/2026"
type ?CPY:CHARGES "40"
choose ?CPY:STATUS "Open"
press ?OK
expect closed
window "Browse Client Payments"
expect value ?GRANDBALANCE "       40.00"
expect value ?CLI:BAL_DUE "       40.00"
press ?Insert
window "Adding a Client Payment Record"
type ?CPY:DATE "11/21/2026"
type ?CPY:AMOUNT "15"
expect value ?CPY:PAYDATE "11/21/2026"
choose ?CPY:STATUS "Closed"
press ?OK
expect closed
window "Browse Client Payments"
expect value ?GRANDBALANCE "       25.00"
expect value ?CLI:BAL_DUE "       25.00"
press ?Insert
window "Adding a Client Payment Record"
type ?CPY:DATE "12/03/2026"
type ?CPY:AMOUNT "5"
choose ?CPY:STATUS "Closed"
press ?OK
expect closed
window "Browse Client Payments"
expect rows ?List "11/20/2026 |        0 |       5 |    40.00 |       0.00 |  | O |      40.00" "11/21/2026 |        0 |       5 |     0.00 |      15.00 | 11/21/2026 | C |     -15.00" "12/03/2026 |        0 |       5 |     0.00 |       5.00 | 12/03/2026 | C |      -5.00"
expect value ?GRANDBALANCE "       20.00"
expect value ?CLI:BAL_DUE "       25.00"
row ?List 1
press ?WriteOff
expect value ?GRANDBALANCE "      -20.00"
expect value ?CLI:BAL_DUE "      -15.00"
row ?List 1
press ?WriteOff
expect value ?GRANDBALANCE "      -20.00"
)"),
            "");
}

}  // namespace
}  // namespace vornel::posting
