// Bulk receipts of a payer's lines over a range of service dates.
#include "posting/payer_payments.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "tests/support/data_fixture.h"
#include "tests/support/station.h"

namespace vornel::posting {
namespace {

using data::LineitemFile;
using data::LineitemRecord;
using data::Set;

class BulkReceipts : public data::StoresDataFixture {
 protected:
  void Line(std::int32_t visit, const char* payer, std::int32_t day, const char* status, double due,
            double paid = 0, std::int32_t paid_on = 0) {  // paid_on: a day like `day`
    AddRecord<LineitemRecord>(LineitemFile(), [&](LineitemRecord& r) {
      r.LOG_NO = visit;
      Set(r.VEN_CODE, payer);
      r.SERV_DATE = 80000 + day;
      Set(r.STATUS, status);
      r.AMOUNT_DUE = due;
      r.AMOUNT = paid;
      r.DATE_PAID = paid_on == 0 ? 0 : 80000 + paid_on;
    });
  }
  // "visit payer" -> "status amount paid-on", every line.
  std::multimap<std::string, std::string> Lines() {
    std::multimap<std::string, std::string> all;
    data::FileManager& lines = Files(LineitemFile());
    lines.Open();
    lines.CheckUse(data::kUseReadWrite);
    lines.file().SetOrder(nullptr);
    while (lines.file().Next() == data::kStoreOk) {
      const auto& l = lines.record<LineitemRecord>();
      all.emplace(std::to_string(l.LOG_NO) + " " + std::string(platform::ReadField(l.VEN_CODE)),
                  std::string(platform::ReadField(l.STATUS)) + " " + std::to_string(static_cast<int>(l.AMOUNT)) + " " +
                      std::to_string(l.DATE_PAID - 80000));
    }
    lines.Close();
    return all;
  }
};

// The payer's lines of the range, both ends included, are paid in full on
// the payment date whatever their status short of paid; paid lines keep
// their payment; with OSM, the OSM lines of the same visits are paid too,
// whatever their date, and no other payer's.
VORNEL_STORE_TESTS(BulkReceipts);

TEST_P(BulkReceipts, PayThePayersLinesOfTheRangeAndTheirVisitsOsmLines) {
  Line(1, "SCA", 1, "O", 10);
  Line(1, "OSM", 40, "O", 5);
  Line(2, "SCA", 30, "B", 20);
  Line(2, "MA1", 30, "O", 7);
  Line(3, "SCA", 15, "P", 12, 9, 3);
  Line(4, "SCA", 31, "R", 8);
  Line(4, "OSM", 31, "P", 4, 4, 2);
  Line(5, "SCA", 0, "O", 6);
  const BulkResult result =
      PayInBulk(*registry_, {.payer = "SCA", .from = 80001, .through = 80030, .paid_on = 80050, .with_osm = true});
  ASSERT_TRUE(result.done);
  EXPECT_EQ(result.lines_paid, 2);
  EXPECT_EQ(result.osm_lines_paid, 1);
  const std::multimap<std::string, std::string> expected = {
      {"1 SCA", "P 10 50"}, {"1 OSM", "P 5 50"}, {"2 SCA", "P 20 50"}, {"2 MA1", "O 0 -80000"},
      {"3 SCA", "P 9 3"},   {"4 SCA", "R 0 -80000"}, {"4 OSM", "P 4 2"}, {"5 SCA", "O 0 -80000"}};
  EXPECT_EQ(Lines(), expected);
}

// A station killed in the middle of bulk receipts (twenty times, at random
// moments of a run) leaves every line as it was or every line paid.
TEST_P(BulkReceipts, AKilledRunPaysAllOrNothing) {
  constexpr int kVisits = 200;
  std::mt19937 random(81226);
  int paid_rounds = 0;
  std::chrono::microseconds span{0};
  for (int round = 0; round < 21; ++round) {
    const std::int32_t first = 1000 * (round + 1);
    // A payer of its own each round, so that every run has the same work.
    const std::string payer = "P" + std::to_string(10 + round);
    for (std::int32_t visit = first; visit < first + kVisits; ++visit) {
      Line(visit, payer.c_str(), 1 + visit % 28, "O", 10);
      Line(visit, "OSM", 1, "O", 3);
    }
    const BulkReceipt receipt{.payer = payer, .from = 80001, .through = 80030, .paid_on = 80100 + round,
                              .with_osm = true};
    const auto started = std::chrono::steady_clock::now();
    const pid_t station = fork();
    ASSERT_GE(station, 0);
    if (station == 0) {
      test::Station station(root_.path(), GetParam());
      _exit(PayInBulk(*station.files, receipt).done ? 0 : 1);
    }
    // The first run is left alone: what it pays, and how long a run takes
    // (later ones vary up to about twice as long).
    if (round == 0) {
      int status = 0;
      waitpid(station, &status, 0);
      test::AwaitSessionsEnded(GetParam(), station);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started) * 2;
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(
          std::uniform_int_distribution<long>(0, static_cast<long>(span.count()))(random)));
      kill(station, SIGKILL);
      waitpid(station, nullptr, 0);
      test::AwaitSessionsEnded(GetParam(), station);
    }
    int paid = 0;
    int open = 0;
    for (const auto& [line, state] : Lines()) {
      const int visit = std::stoi(line);
      if (visit < first || visit >= first + kVisits) continue;
      (state.rfind("P ", 0) == 0 ? paid : open) += 1;
    }
    EXPECT_TRUE(paid == 0 || open == 0) << "round " << round << ": " << paid << " paid, " << open << " open";
    if (round == 0) {
      EXPECT_EQ(open, 0) << "the run left alone pays every line";
    }
    paid_rounds += paid > 0 ? 1 : 0;
  }
  RecordProperty("rounds_paid", paid_rounds);
}

}  // namespace
}  // namespace vornel::posting
