// The posting run on a small root: department 1 last posted on day 80000,
// clients 1 ADAMS (balance 5.00), 2 BAKER and 3 COLE, and the visits and
// payments each test adds.
#include "posting/post_period.h"

#include <vector>

#include "platform/dates.h"
#include "platform/picture.h"
#include "tests/support/data_fixture.h"

namespace vornel::posting {
namespace {

using data::ClientFile;
using data::ClientRecord;
using data::ClipmtsFile;
using data::ClipmtsRecord;
using data::LogFile;
using data::LogRecord;
using data::Set;

constexpr std::int32_t kLastPosted = 80000;

class PostPeriodTest : public data::DataFixture {
 protected:
  void SetUp() override {
    CreateSharedFile(data::SetupsFile());
    CreateSharedFile(data::DepartmentsFile());
    AddRecord<data::SetupsRecord>(data::SetupsFile(), [](data::SetupsRecord& s) { s.REF_DATE = kLastPosted + 1; });
    AddRecord<data::DepartmentsRecord>(data::DepartmentsFile(), [](data::DepartmentsRecord& d) {
      d.DEPT_NO = 1;
      d.POSTDATE = kLastPosted;
    });
    const char* names[] = {"ADAMS", "BAKER", "COLE"};
    for (std::int16_t c = 1; c <= 3; ++c) {
      AddRecord<ClientRecord>(ClientFile(), [&](ClientRecord& r) {
        data::FillValidClient(r, c, names[c - 1]);
        r.BAL_DUE = c == 1 ? 5.0 : 0.0;
        r.NUM_VSTS = 10;
        r.IND_VSTS = 4;
        r.LAST_SEEN = kLastPosted - 3;
      });
    }
  }

  void Visit(std::int32_t no, std::int16_t client, std::int32_t day, const char* outcome, const char* service,
             double fee_due = 0, double paid = 0, double not_collected = 0) {
    AddRecord<LogRecord>(LogFile(), [&](LogRecord& r) {
      r.LOG_NO = no;
      r.CLCODE = client;
      r.LOG_DATE = kLastPosted + day;
      Set(r.TRANS_TYPE, outcome);
      Set(r.SERV_CODE, service);
      Set(r.EMPL_CODE, "S1");
      r.CLIFEEDUE = fee_due;
      r.CLI_PAID = paid;
      r.CLIFEENC = not_collected;
    });
  }
  void Payment(std::int16_t client, std::int32_t day, double amount) {
    AddRecord<ClipmtsRecord>(ClipmtsFile(), [&](ClipmtsRecord& r) {
      r.CLCODE = client;
      r.DATE = kLastPosted + day;
      r.AMOUNT = amount;
      Set(r.STATUS, "C");
    });
  }

  PostingResult Post(std::int32_t through_day, std::int32_t last_posted = kLastPosted, bool override = false) {
    return PostPeriod(*registry_, {.department = 1, .last_post_date = last_posted, .end = kLastPosted + through_day,
                                   .override_in_force = override},
                      {});
  }

  ClientRecord Client(std::int16_t code) {
    data::FileManager& clients = Files(ClientFile());
    clients.Open();
    clients.CheckUse(data::kUseReadWrite);
    clients.file().ClearBuffer();
    clients.record<ClientRecord>().CLCODE = code;
    EXPECT_EQ(clients.file().GetByKey(*ClientFile().FindKey("CLI:CODE_KEY")), data::kStoreOk);
    const ClientRecord client = clients.record<ClientRecord>();
    clients.Close();
    return client;
  }
  std::vector<ClipmtsRecord> Payments() {
    std::vector<ClipmtsRecord> all;
    data::FileManager& payments = Files(ClipmtsFile());
    payments.Open();
    payments.CheckUse(data::kUseReadWrite);
    payments.file().SetOrder(ClipmtsFile().FindKey("CPY:LINE_DAY"));
    while (payments.file().Next() == data::kStoreOk) all.push_back(payments.record<ClipmtsRecord>());
    payments.Close();
    return all;
  }
  std::int32_t PostDate() {
    data::FileManager& departments = Files(data::DepartmentsFile());
    departments.Open();
    departments.CheckUse(data::kUseReadWrite);
    departments.file().SetOrder(nullptr);
    departments.file().Next();
    const std::int32_t date = departments.record<data::DepartmentsRecord>().POSTDATE;
    departments.Close();
    return date;
  }
};

// Shown visits count on their clients ("INDV" twice over); a fee due leaves
// a charge, closed at the posting start when nothing is left uncollected;
// no fee, no charge; a no-show changes nothing; payments and charges of the
// period run through the balances by date; the dates move.
TEST_F(PostPeriodTest, CountsChargesAndBalancesThePeriod) {
  Visit(1, 1, 1, "SHOW", "INDV", 20, 20, 0);
  Visit(2, 1, 2, "SHOW", "GRP", 15, 5, 10);
  Visit(3, 2, 2, "SHOW", "INDV");
  Visit(4, 3, 3, "NOSHW", "INDV", 30);
  Visit(5, 1, 9, "SHOW", "INDV", 50);  // after the period
  Payment(2, 1, 12.5);
  Payment(1, 3, 7.25);

  const PostingResult result = Post(5);
  ASSERT_EQ(result.outcome, PostingOutcome::kPosted) << result.message;
  EXPECT_EQ(result.visits_counted, 3);
  EXPECT_EQ(result.charges_written, 2);
  EXPECT_EQ(result.balance_records, 4);

  const ClientRecord adams = Client(1);
  EXPECT_EQ(+adams.NUM_VSTS, 12);
  EXPECT_EQ(+adams.IND_VSTS, 5);
  EXPECT_EQ(+adams.LAST_SEEN, kLastPosted + 2);
  EXPECT_DOUBLE_EQ(+adams.BAL_DUE, 5 + 20 - 20 + 15 - 5 - 7.25);
  const ClientRecord baker = Client(2);
  EXPECT_EQ(+baker.NUM_VSTS, 11);
  EXPECT_EQ(+baker.IND_VSTS, 5);
  EXPECT_DOUBLE_EQ(+baker.BAL_DUE, -12.5);
  const ClientRecord cole = Client(3);
  EXPECT_EQ(+cole.NUM_VSTS, 10) << "a no-show is not counted";
  EXPECT_EQ(+cole.LAST_SEEN, kLastPosted - 3);

  const std::vector<ClipmtsRecord> payments = Payments();
  ASSERT_EQ(payments.size(), 4u);
  // Day 1: the 20.00 charge paid in full, closed at the posting start; the payment.
  const auto& first_charge = payments[0].LOG_NO == 1 ? payments[0] : payments[1];
  EXPECT_EQ(platform::ReadField(first_charge.STATUS), "C");
  EXPECT_EQ(+first_charge.PAYDATE, kLastPosted + 1);
  EXPECT_DOUBLE_EQ(+first_charge.PREVBAL, 5);
  EXPECT_DOUBLE_EQ(+first_charge.NEWBAL, 5);
  // Day 2: 15.00 charged, 5.00 paid, 10.00 left open.
  EXPECT_EQ(+payments[2].LOG_NO, 2);
  EXPECT_EQ(platform::ReadField(payments[2].STATUS), "O");
  EXPECT_EQ(+payments[2].PAYDATE, 0);
  EXPECT_DOUBLE_EQ(+payments[2].NEWBAL, 15);
  // Day 3: the payment of 7.25.
  EXPECT_DOUBLE_EQ(+payments[3].PREVBAL, 15);
  EXPECT_DOUBLE_EQ(+payments[3].NEWBAL, 7.75);

  EXPECT_EQ(PostDate(), kLastPosted + 5);
}

// A visit still scheduled in the period, a client who is not there, nothing
// to post and a department posted elsewhere meanwhile: each changes nothing.
TEST_F(PostPeriodTest, RefusalsChangeNothing) {
  Visit(1, 1, 1, "SHOW", "INDV", 20);
  Visit(2, 2, 4, "SCHED", "INDV");
  PostingResult result = Post(4);
  EXPECT_EQ(result.outcome, PostingOutcome::kScheduled);
  EXPECT_EQ(result.message, "PLEASE CLEAR LOG ENTRIES STILL IN \"SCHEDULE\" STATUS ON  - " +
                                platform::FormatWith("D1", kLastPosted + 4));
  EXPECT_EQ(+Client(1).NUM_VSTS, 10);
  EXPECT_TRUE(Payments().empty());
  EXPECT_EQ(PostDate(), kLastPosted);

  Visit(3, 7, 2, "SHOW", "INDV");
  result = Post(3);  // the scheduled visit lies after the period now
  EXPECT_EQ(result.outcome, PostingOutcome::kMissingClient);
  EXPECT_NE(result.message.find("Visit 3 of"), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("client 7"), std::string::npos) << result.message;
  EXPECT_EQ(+Client(1).NUM_VSTS, 10) << "visit 1 was counted before the missing client was met, and undone";
  EXPECT_TRUE(Payments().empty());
  EXPECT_EQ(PostDate(), kLastPosted);

  EXPECT_EQ(Post(3, kLastPosted + 10).outcome, PostingOutcome::kNothingToPost);
  EXPECT_EQ(PostDate(), kLastPosted);

  result = Post(3, kLastPosted - 5);
  EXPECT_EQ(result.outcome, PostingOutcome::kPostedElsewhere);
  EXPECT_EQ(result.posted_through, kLastPosted);
  EXPECT_EQ(+Client(1).NUM_VSTS, 10);
}

// With the posting date set back on purpose the period starts the day after
// the date set, over days posted before.
TEST_F(PostPeriodTest, ASetBackDatePostsFromTheDayAfterIt) {
  Visit(1, 1, -1, "SHOW", "INDV");
  Visit(2, 1, 1, "SHOW", "INDV");
  const PostingResult result = Post(1, kLastPosted - 2, true);
  ASSERT_EQ(result.outcome, PostingOutcome::kPosted) << result.message;
  EXPECT_EQ(+Client(1).NUM_VSTS, 12);
  EXPECT_EQ(PostDate(), kLastPosted + 1);
}

}  // namespace
}  // namespace vornel::posting
