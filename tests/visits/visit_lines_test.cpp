// A visit's charge lines in the Lineitem file: each pass is whole, touches
// only the visit's own lines, and a visit that did not take place keeps the
// lines a payer was billed for or paid.
#include "visits/visit_lines.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "tests/support/data_fixture.h"
#include "tests/support/station.h"

namespace vornel::visits {
namespace {

class VisitLinesTest : public data::StoresDataFixture {
 protected:
  void AddLine(std::int32_t log_no, const char* payer, double due, const char* status) {
    AddRecord<data::LineitemRecord>(data::LineitemFile(), [&](data::LineitemRecord& line) {
      line.LOG_NO = log_no;
      data::Set(line.VEN_CODE, payer);
      line.AMOUNT_DUE = due;
      data::Set(line.STATUS, status);
    });
  }
  std::vector<std::string> Payers(std::int32_t log_no) {
    std::vector<std::string> payers;
    for (const ChargeLine& line : VisitLines(*registry_, log_no).Read()) payers.push_back(line.payer + ":" + line.status);
    return payers;
  }
};

VORNEL_STORE_TESTS(VisitLinesTest);

TEST_P(VisitLinesTest, AddWritesOpenLinesStampedWithTheVisit) {
  AddLine(8, "SCA", 5, "O");  // another visit's
  const LineStamp stamp{42, platform::DateFromMdy(12, 1, 2026), "Zimmer"};
  ASSERT_TRUE(VisitLines(*registry_, 7).Add({{"MA1", "MA1", 0}, {"SCA", "INDV", 25}, {"", "INDV", 30}}, stamp));
  EXPECT_EQ(Payers(7), (std::vector<std::string>{"MA1:O", "SCA:O", ":O"}));
  EXPECT_EQ(Payers(8), (std::vector<std::string>{"SCA:O"}));
  data::FileManager& lines = Files(data::LineitemFile());
  lines.Open();
  ASSERT_EQ(lines.EnsurePhysicallyOpen(), 0);
  lines.file().ClearBuffer();
  lines.record<data::LineitemRecord>().LOG_NO = 7;
  ASSERT_EQ(lines.file().SetByKey(*lines.def().FindKey("LIN:LOG_KEY")), data::kStoreOk);
  ASSERT_EQ(lines.file().Next(), data::kStoreOk);
  const data::LineitemRecord& line = lines.record<data::LineitemRecord>();
  EXPECT_EQ(+line.CLCODE, 42);
  EXPECT_EQ(+line.SERV_DATE, platform::DateFromMdy(12, 1, 2026));
  EXPECT_EQ(platform::ReadField(line.CLI_XXX), "Zim");
  EXPECT_DOUBLE_EQ(+line.MA_UNITS, 1);
  lines.Close();
}

TEST_P(VisitLinesTest, AVisitThatDidNotTakePlaceKeepsItsBilledAndPaidLines) {
  AddLine(7, "SCA", 25, "O");
  AddLine(7, "AET", 30, "P");
  AddLine(7, "OSM", 10, "B");
  AddLine(7, "MA1", 0, "O");
  AddLine(9, "SCA", 5, "O");
  EXPECT_EQ(VisitLines(*registry_, 7).DeleteOpen(), 2);
  EXPECT_EQ(Payers(7), (std::vector<std::string>{"AET:P", "OSM:B"}));
  EXPECT_EQ(Payers(9), (std::vector<std::string>{"SCA:O"})) << "another visit's lines stay";
  EXPECT_EQ(VisitLines(*registry_, 5).DeleteOpen(), 0) << "a visit without lines";
}

TEST_P(VisitLinesTest, RestampMovesEveryLineToTheVisitsClientAndDate) {
  AddLine(7, "SCA", 25, "O");
  AddLine(7, "AET", 30, "P");
  ASSERT_TRUE(VisitLines(*registry_, 7).Restamp({12, platform::DateFromMdy(11, 2, 2026), "Abbott"}));
  data::FileManager& lines = Files(data::LineitemFile());
  lines.Open();
  ASSERT_EQ(lines.EnsurePhysicallyOpen(), 0);
  ASSERT_EQ(lines.file().SetOrder(nullptr), data::kStoreOk);
  int seen = 0;
  while (lines.file().Next() == data::kStoreOk) {
    const data::LineitemRecord& line = lines.record<data::LineitemRecord>();
    EXPECT_EQ(+line.CLCODE, 12);
    EXPECT_EQ(+line.SERV_DATE, platform::DateFromMdy(11, 2, 2026));
    EXPECT_EQ(platform::ReadField(line.CLI_XXX), "Abb");
    ++seen;
  }
  EXPECT_EQ(seen, 2);
  lines.Close();
}

// A station killed in the middle of its passes leaves every visit either
// untouched or wholly done: never some of a visit's open lines deleted.
TEST_P(VisitLinesTest, AKilledPassLeavesEachVisitWhole) {
  constexpr int kVisits = 60;
  std::mt19937 random(20261208);
  for (int round = 0; round < 4; ++round) {
    const std::int32_t first = 1000 * (round + 1);
    for (std::int32_t visit = first; visit < first + kVisits; ++visit) {
      for (const char* payer : {"SCA", "OSM", "MA1"}) AddLine(visit, payer, 10, "O");
      AddLine(visit, "AET", 30, "P");
    }
    const pid_t station = fork();
    ASSERT_GE(station, 0);
    if (station == 0) {
      // A station of its own on the same root: its own store and files.
      test::Station station(root_.path(), GetParam());
      data::FileRegistry& files = *station.files;
      for (std::int32_t visit = first; visit < first + kVisits; ++visit) {
        VisitLines(files, visit).DeleteOpen();
        VisitLines(files, visit).Restamp({7, 100, "Kil"});
      }
      _exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(5, 120)(random)));
    kill(station, SIGKILL);
    waitpid(station, nullptr, 0);
    test::AwaitSessionsEnded(GetParam(), station);
    int done = 0;
    for (std::int32_t visit = first; visit < first + kVisits; ++visit) {
      const std::vector<std::string> payers = Payers(visit);
      const bool untouched = payers == std::vector<std::string>{"SCA:O", "OSM:O", "MA1:O", "AET:P"};
      const bool deleted = payers == std::vector<std::string>{"AET:P"};
      EXPECT_TRUE(untouched || deleted) << "round " << round << " visit " << visit << " has " << payers.size() << " lines";
      done += deleted ? 1 : 0;
    }
    RecordProperty("deleted_round_" + std::to_string(round), done);
  }
}

}  // namespace
}  // namespace vornel::visits
