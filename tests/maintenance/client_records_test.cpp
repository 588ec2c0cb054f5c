#include <string>

#include "platform/dates.h"
#include "platform/picture.h"
#include "tests/maintenance/program_fixture.h"
#include "ui/procedure_thread.h"

namespace vornel::maintenance::test {
namespace {

// The client's sub-records are kept from the client form; here a stand-in
// caller calls the form with the request the client form's lists make.
class ClientRecordsTest : public ProgramFixture {
 protected:
  std::string RunCalling(std::string_view procedure, int request, std::string_view script) {
    platform::HeadlessWindowSystem windows;
    app::Program program(platform::PathMap(root_.path(), root_ / "config"), windows, display_);
    program.procedures.Register("CallerOfTheForm", [&program, name = std::string(procedure), request] {
      program.procedures.CallWith(name, request);
    });
    program.StartMain();
    app::script::ScriptRunner runner(program, windows, display_, std::chrono::seconds(5));
    app::script::ScriptResult result = runner.Run(script, "test.script");
    runner.CloseProgram();
    return result.ok ? std::string() : result.report;
  }
};

TEST_F(ClientRecordsTest, ANewCommentIsDatedToday) {
  const std::string today = platform::FormatWith("@d2", platform::Today());
  EXPECT_EQ(RunCalling("UpdateCli_cmmt", ui::kInsert, R"(
frame
start CallerOfTheForm
window "Adding a Cli_cmmt Record"
expect value ?CMT:COM_DATE ")" + today + R"("
type ?CMT:CLI_CODE "2"
type ?CMT:COMMENT "Asked for an evening slot"
press ?OK
expect closed
)"),
            "");
}

// The payer of a card must be known: an unknown code opens the vendor
// selection and, closed without a choice, leaves the focus on the code.
TEST_F(ClientRecordsTest, AnInsuranceCardNeedsAKnownPayer) {
  EXPECT_EQ(RunCalling("UpdateIns_card", ui::kInsert, R"(
frame
start CallerOfTheForm
window "Adding a Ins_card Record"
type ?INS:CLCODE "1"
type ?INS:VEN_CODE "XYZ"
window "Vendor Code Selection Form"
expect rows ?List "AET | Aetos Health Insurance" "BCB | Blue Crest Benefit Plan" "MA1 | Medical Assistance" "OSM | OSM Program Fund" "SCA | Single County Authority"
close
expect closed
window "Adding a Ins_card Record"
expect focus ?INS:VEN_CODE
type ?INS:VEN_CODE "BCB"
expect value ?INS:VEN_CODE "BCB"
type ?INS:WILL_PAY "80"
press ?OK
expect closed
)"),
            "");
}

// Choosing the payer in the selection list gives the card that payer.
TEST_F(ClientRecordsTest, APayerChosenInTheSelectionListFillsTheCode) {
  EXPECT_EQ(RunCalling("UpdateIns_card", ui::kInsert, R"(
frame
start CallerOfTheForm
window "Adding a Ins_card Record"
type ?INS:CLCODE "1"
type ?INS:VEN_CODE "Q"
window "Vendor Code Selection Form"
row ?List 4
press ?Select
expect closed
window "Adding a Ins_card Record"
expect value ?INS:VEN_CODE "OSM"
press ?OK
expect closed
)"),
            "");
}

TEST_F(ClientRecordsTest, TheClientSelectionListIsByLastName) {
  EXPECT_EQ(Run(R"(
frame
start LOV_Client
window "Client Selection List"
expect rows ?List "Baker | Donna | X |       5 | 967-97-2909 |     0 | A |       0.00" "Bennett | Robert | S |       1 | 960-26-3541 |     0 | A |       0.00" "Cooper | Jeffrey | M |       2 | 904-78-9989 |     0 | P |       0.00" "Morales | Mark | E |       3 | 980-97-9806 |     0 | I |       0.00" "Turner | Daniel | D |       4 | 938-56-7266 |     0 | D |       0.00"
)"),
            "");
}

}  // namespace
}  // namespace vornel::maintenance::test
