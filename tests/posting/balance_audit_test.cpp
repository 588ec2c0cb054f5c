// The balance audit of one client, on a root of its own: the running
// balance over the posted records, statuses, duplicate charges, empty
// records and the records of clients that no longer exist.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/text.h"
#include "posting/balance_audit.h"
#include "posting/client_payments.h"
#include "tests/posting/payment_records.h"
#include "tests/support/temp_dir.h"

namespace vornel::posting {
namespace {

constexpr std::int32_t kPosted = 80'030;

using test::Payment;

class Audit : public ::testing::Test {
 protected:
  // "visit:status prev>new" per record of the client.
  std::vector<std::string> Account(std::int16_t code) {
    std::vector<std::string> shown;
    for (const data::ClipmtsRecord& r : ClientRecords(records_.files(), code)) {
      const double prev = r.PREVBAL;
      const double next = r.NEWBAL;
      shown.push_back(std::to_string(r.LOG_NO) + ":" + std::string(platform::ReadField(r.STATUS)) + " " +
                      std::string(platform::Trim(platform::FormatWith("n_8.2", prev))) + ">" +
                      std::string(platform::Trim(platform::FormatWith("n_8.2", next))));
    }
    return shown;
  }

  vornel::test::TempDir root_;
  test::PaymentRecords records_{root_.path()};
};

TEST_F(Audit, RebuildsTheRunningBalanceOfThePostedRecords) {
  records_.Client(7, 999);
  records_.Add({{7, kPosted - 20, 101, 40, 0, "", 3},
           {7, kPosted - 20, 101, 40, 0, "O"},    // the same visit charged twice
           {7, kPosted - 10, 0, 0, 15, "C"},      // a payment
           {7, kPosted - 5, 102, 30, 30, "O"},    // paid in full: closed
           {7, kPosted - 4, 103, 20, 0, "W"},     // written off ...
           {7, kPosted - 4, 103, 0, 20, "A"},     // ... and its adjustment, of the same visit
           {7, kPosted - 3, 105, 15, 0, "O"},
           {7, kPosted - 3, 105, 0, 15, "C"},     // a payment of visit 105
           {7, kPosted + 2, 104, 50, 0, "O", 77}}); // not posted yet: waits
  const AuditOutcome outcome = AuditClient(records_.files(), 7, kPosted);
  ASSERT_TRUE(outcome.ok) << outcome.problem;
  EXPECT_EQ(records_.Balance(7), 25.0);
  EXPECT_EQ(Account(7), (std::vector<std::string>{"101:O 0.00>40.00", "0:C 40.00>25.00", "102:C 25.00>25.00",
                                                  "103:W 25.00>45.00", "103:A 45.00>25.00", "105:O 25.00>40.00",
                                                  "105:C 40.00>25.00", "104:O 0.00>77.00"}));
  EXPECT_EQ(outcome.deleted, 1);

  // Again: nothing changes.
  const AuditOutcome again = AuditClient(records_.files(), 7, kPosted);
  EXPECT_EQ(again.deleted, 0);
  EXPECT_EQ(records_.Balance(7), 25.0);
  EXPECT_EQ(Account(7).size(), 8u);
}

TEST_F(Audit, DropsTheRecordsOfAMissingClientAndEmptyFirstRecords) {
  records_.Client(8, 12);
  records_.Add({{3, kPosted - 9, 201, 40, 0, "O"}, {3, kPosted - 8, 202, 10, 0, "O"},
           {8, kPosted - 9, 0, 0, 0, "O"}, {8, kPosted - 8, 301, 12, 2, "O"}});
  EXPECT_EQ(AuditClient(records_.files(), 3, kPosted).deleted, 2);
  EXPECT_TRUE(Account(3).empty());
  EXPECT_EQ(AuditClient(records_.files(), 8, kPosted).deleted, 1);
  EXPECT_EQ(Account(8), (std::vector<std::string>{"301:O 0.00>10.00"}));
  EXPECT_EQ(records_.Balance(8), 10.0);
}

// A run commits whole clients in groups; a group cut short by the end of
// the run is committed by Finish.
TEST_F(Audit, ARunCommitsWholeClientsInGroups) {
  for (std::int16_t code = 1; code <= 5; ++code) {
    records_.Client(code, 0);
    records_.Add({{code, kPosted - 9, 400 + code, 10.0 * code, 0, "O"}, {code, kPosted - 8, 0, 0, 1, "O"}});
  }
  BalanceAudit run(records_.files(), kPosted, 2);
  int written = 0;
  for (std::int16_t code = 1; code <= 5; ++code) {
    const AuditOutcome outcome = run.Audit(code);
    ASSERT_TRUE(outcome.ok) << outcome.problem;
    written += outcome.written;
  }
  ASSERT_TRUE(run.Finish().ok);
  EXPECT_EQ(written, 10);
  test::PaymentRecords other(root_.path());  // another connection sees every group
  for (std::int16_t code = 1; code <= 5; ++code) EXPECT_EQ(other.Balance(code), 10.0 * code - 1) << code;
}

}  // namespace
}  // namespace vornel::posting
