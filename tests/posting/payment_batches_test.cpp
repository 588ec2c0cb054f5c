// The balance audit and the purge of closed payment records as the office
// runs them, from the menu; and the purge killed at random points while it
// runs as the program itself.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <random>
#include <thread>

#include "platform/dates.h"
#include "platform/money.h"
#include "posting/client_payments.h"
#include "tests/maintenance/program_fixture.h"
#include "tests/posting/payment_records.h"
#include "tests/support/killed_process.h"

extern char** environ;

namespace vornel::posting {
namespace {

using test::Payment;

// The demo root is posted through 30 November 2026; its password is "demo".
const std::int32_t kNov = platform::DateFromMdy(11, 1, 2026) - 1;

class PaymentBatches : public maintenance::test::ProgramFixture {
 protected:
  void Accounts() {
    test::PaymentRecords records(root_.path());
    records.Add({{1, kNov + 10, 9001, 40, 0, "O", 1},
                 {1, kNov + 12, 0, 0, 15, "C", 2},
                 {1, kNov + 12, 0, 0, 15, "C", 2},  // a second payment, same day
                 {2, kNov + 5, 9002, 30, 30, "C"},
                 {2, kNov + 6, 9003, 20, 0, "W"},
                 {2, kNov + 6, 9003, 0, 20, "A"},
                 {2, kNov + 40, 9004, 25, 0, "C"}});  // after the cutoff
  }

  static long Count(const std::vector<data::ClipmtsRecord>& records, bool open) {
    return std::count_if(records.begin(), records.end(),
                         [open](const data::ClipmtsRecord& r) { return (platform::ReadField(r.STATUS) == "O") == open; });
  }
};

TEST_F(PaymentBatches, TheAuditSetsEveryBalanceFromTheRecords) {
  Accounts();
  // The progress window's timer is the script's, so the window waits to be
  // seen (a run this short would end within the first tick).
  EXPECT_EQ(Run(R"(
frame
menu "Billing Options" "Client Billing" "Client Balance Audit"
window "Progress..."
post timer
expect closed
)"),
            "");
  test::PaymentRecords records(root_.path());
  EXPECT_EQ(records.Balance(1), 10.0);  // 40 less two payments of 15
  EXPECT_EQ(records.Balance(2), 0.0);
}

// A payment written without its balance (the program stopped between the
// two): opening the client's account sets the balance right.
TEST_F(PaymentBatches, OpeningAnAccountMendsABalanceLeftBehind) {
  {
    test::PaymentRecords records(root_.path());
    records.Add({{5, kNov + 10, 9101, 40, 0, "O"}, {5, kNov + 12, 0, 0, 15, "C"}});
    records.SetBalance(5, 40);  // the payment never reached it
  }
  EXPECT_EQ(Run(R"(
frame
menu "Daily Entries" "Record Client Payments"
window "Browse Client Payments"
press ?SelectClient
window "Client Selection List"
row ?List 1
press ?Select
window "Browse Client Payments"
expect value ?CLIENTNAME "Baker, Donna"
expect value ?CLI:BAL_DUE "       25.00"
)"),
            "");
  EXPECT_EQ(test::PaymentRecords(root_.path()).Balance(5), 25.0);
}

TEST_F(PaymentBatches, ThePurgeNeedsThePasswordAndKeepsOpenRecords) {
  Accounts();
  const std::string purge = R"(
frame
menu "Data Maintenance" "Delete Old Client Payments"
window "Deletion Control  Form"
expect value ?Text3 "deleted if you continue.  "
type ?topdate "11/30/2026"
)";
  EXPECT_EQ(Run(purge + R"(
type ?PWDCHK "wrong"
press ?Begin
expect closed
frame
expect no message
)"),
            "");
  EXPECT_EQ(test::PaymentRecords(root_.path()).All().size(), 7u);

  EXPECT_EQ(Run(purge + R"(
type ?PWDCHK "demo   "
press ?Begin
expect closed
window "Progress..."
post timer
expect closed
)"),
            "");
  const std::vector<data::ClipmtsRecord> left = test::PaymentRecords(root_.path()).All();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(Count(left, true), 1);  // the open charge
  EXPECT_EQ(+left[1].LOG_NO, 9004);  // after the cutoff
}

void RunProgram(std::vector<std::string> args, double after) {
  vornel::test::RunProgram(VORNEL_PROGRAM, std::move(args), after);
}

// The audit is killed ever later until a run completes: after each kill
// every client is audited wholly or not at all; the completed run leaves
// every balance equal to its records, and running it again changes nothing.
TEST_F(PaymentBatches, AKilledAuditLeavesEachClientWhollyAuditedOrUntouched) {
  constexpr int kClients = 5;  // the demo root's
  constexpr int kEach = 4000;
  {
    test::PaymentRecords records(root_.path());
    std::vector<Payment> many;
    for (int i = 0; i < kClients * kEach; ++i)
      many.push_back({static_cast<std::int16_t>(i % kClients + 1), kNov - 300 + i / kClients % 300, 0, i % 3 ? 10.0 : 0.0,
                      i % 3 ? 0.0 : 20.0, "O", 5});
    records.Add(many);
  }
  const auto audited = [this](int client) {
    test::PaymentRecords records(root_.path());
    const std::vector<data::ClipmtsRecord> account = ClientRecords(records.files(), static_cast<std::int16_t>(client));
    double balance = 0;
    int chained = 0;
    for (const data::ClipmtsRecord& r : account) {
      balance += r.CHARGES - r.AMOUNT;
      const double newbal = r.NEWBAL;
      if (platform::Cents(newbal) == platform::Cents(balance)) ++chained;
    }
    const bool whole = chained == static_cast<int>(account.size()) && records.Balance(client) == platform::Cents(balance);
    const bool untouched = chained <= 1 && records.Balance(client) != platform::Cents(balance);
    EXPECT_TRUE(whole || untouched) << "client " << client << " is half audited";
    return whole;
  };
  const std::string root = root_.path().string();
  const std::vector<std::string> audit = {"--root", root, "--report", "CilentBalanceAudit", "--pdf", root + "/none.pdf"};
  std::mt19937 random(8122026);
  int kills = 0;
  double after = 40;
  for (; kills < 30; ++kills, after *= 1.25) {
    RunProgram(audit, after * std::uniform_real_distribution<double>(0.9, 1.1)(random));
    int done = 0;
    for (int client = 1; client <= kClients; ++client) done += audited(client) ? 1 : 0;
    if (done == kClients) break;
  }
  EXPECT_GE(kills, 3);
  RunProgram(audit, 0);
  const std::vector<data::ClipmtsRecord> before = test::PaymentRecords(root_.path()).All();
  RunProgram(audit, 0);
  const std::vector<data::ClipmtsRecord> again = test::PaymentRecords(root_.path()).All();
  ASSERT_EQ(before.size(), again.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(std::memcmp(&before[i], &again[i], sizeof before[i]), 0);
}

// The purge runs as the program from the command line and is killed ever
// later (from 10 ms on, half as late again each time, with some jitter)
// until a run completes: after each kill every closed record of the period
// is gone, or none is.
TEST_F(PaymentBatches, AKilledPurgeDeletesAllOrNothing) {
  constexpr int kClosed = 40000;
  {
    test::PaymentRecords records(root_.path());
    std::vector<Payment> many;
    for (int i = 0; i < kClosed; ++i)
      many.push_back({static_cast<std::int16_t>(i % 5 + 1), kNov - 300 + i % 300, 10000 + i, 10, 10, "C"});
    for (int i = 0; i < 50; ++i) many.push_back({1, kNov - 100 + i, 20000 + i, 10, 0, "O"});
    records.Add(many);
  }
  std::mt19937 random(20261208);
  int all = 0, none = 0;
  double after = 10;
  for (int round = 0; round < 30; ++round, after *= 1.3) {
    const std::string root = root_.path().string();
    const double jitter = std::uniform_real_distribution<double>(0.9, 1.1)(random);
    RunProgram({"--root", root, "--report", "DelCliPayments", "--date", "11/30/2026", "--password", "demo", "--pdf",
                root + "/none.pdf"},
               after * jitter);

    const std::vector<data::ClipmtsRecord> left = test::PaymentRecords(root_.path()).All();
    const long closed = Count(left, false);
    EXPECT_EQ(Count(left, true), 50);
    EXPECT_TRUE(closed == 0 || closed == kClosed) << "round " << round << ": " << closed << " closed records left";
    if (closed == 0) {
      ++all;
      break;  // done: nothing more to kill
    }
    ++none;
  }
  EXPECT_EQ(all, 1);   // a run completed in the end
  EXPECT_GE(none, 3);  // and several were killed before it
}

}  // namespace
}  // namespace vornel::posting
