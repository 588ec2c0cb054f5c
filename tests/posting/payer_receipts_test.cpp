// A payer's receipts from the menu, on a generated root: payer SCA has open
// lines for client 5 Baker's visits 1 (2 December) and 2 (4 December).
#include <string>

#include "tests/maintenance/program_fixture.h"

namespace vornel::posting {
namespace {

using PayerReceipts = maintenance::test::ProgramFixture;

// No payer, no receipts; one line paid by hand with its amount due; the
// rest of the month in bulk on the payment date, the line paid by hand
// keeping its payment.
TEST_F(PayerReceipts, RecordsOneReceiptThenTheRestInBulk) {
  EXPECT_EQ(Run(R"(
frame
menu "Daily Entries" "Record Vendor Payments"
window "Vendor Charges File"
press ?Bulk
window "System Warning"
expect value ?MESSAGE "You must select a vendor prior to posting payments."
press ?Close
window "Vendor Charges File"
press ?SelectVendor
window "Select a Vendor Record"
row ?List 5
press ?Select
window "Vendor Charges File"
expect value ?SelectedVendor "SCA"
row ?List 1
press ?Change
window "Changing a Lineitem Record"
expect value ?VEN:NAME "Single County Authority"
type ?LIN:DATE_PAID "12/05/2026"
press ?AmountDue
expect value ?LIN:AMOUNT "     16.50"
choose ?LIN:STATUS "Paid"
press ?OK
expect closed
window "Vendor Charges File"
press ?Bulk
window "Vendor Payment Date Selection Form"
expect value ?Payer "SCA"
type ?LONGTEMP "12/09/2026"
press ?OK
expect closed
window "Date Range Selection"
type ?topdate "12/01/2026"
type ?botdate "11/15/2026"
expect value ?botdate "12/01/2026"
type ?botdate "12/31/2026"
press ?Ok
expect closed
window "Vendor Charges File"
expect rows ?List "        1 | 12/02/2026 | Baker |       5 |      16.50 |      16.50 | 12/05/2026 | P" "        2 | 12/04/2026 | Baker |       5 |      16.50 |      16.50 | 12/09/2026 | P"
)"),
            "");
}

}  // namespace
}  // namespace vornel::posting
