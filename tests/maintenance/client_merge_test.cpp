// Client consolidation on the small generated root with records of the
// test's own added to the eight files: what moves and what stays, the
// refusals, Cancel, and a merge killed part-way, each time with every
// record wholly under one number.
#include "maintenance/client_merge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "tests/maintenance/program_fixture.h"
#include "tests/support/killed_process.h"
#include "tests/support/other_station.h"
#include "tests/support/station.h"

namespace vornel::maintenance {
namespace {

// A file of the merge with its client field and its date field (none: "").
struct Merged {
  const data::FileDef& (*def)();
  const char* client;
  const char* date;
};
const Merged kFiles[] = {{data::LogFile, "LOG:CLCODE", "LOG:LOG_DATE"},   {data::LineitemFile, "LIN:CLCODE", ""},
                         {data::Ins_cardFile, "INS:CLCODE", ""},          {data::GrpassinFile, "SIN:CLI_CODE", ""},
                         {data::LogarcFile, "LAC:CLCODE", "LAC:LOG_DATE"}, {data::Cli_cmmtFile, "CMT:CLI_CODE", "CMT:COM_DATE"},
                         {data::ClipmtsFile, "CPY:CLCODE", ""},           {data::UdcsFile, "UDC:CLCODE", ""}};

class ClientMerge : public test::ProgramFixture {
 protected:
  // Adds `count` records of the client to the file, dated from day 80,000
  // (`undated` more with no date), numbered apart where a key is unique.
  void Add(const Merged& merged, int client, int count, int undated = 0) {
    vornel::test::Station station(root_.path());
    const data::FileDef& def = merged.def();
    data::FileManager& file = station.files->Get(def);
    ASSERT_EQ(file.Open(), 0);
    ASSERT_EQ(file.EnsurePhysicallyOpen(), 0);
    ASSERT_EQ(file.file().Stream(), data::kStoreOk);
    for (int i = 0; i < count + undated; ++i) {
      file.file().ClearBuffer();
      data::WriteNumber(def, *def.FindField(merged.client), file.buffer(), client);
      if (*merged.date) data::WriteNumber(def, *def.FindField(merged.date), file.buffer(), i < count ? 80'000 + i : 0);
      if (&def == &data::LogFile()) data::WriteNumber(def, *def.FindField("LOG:LOG_NO"), file.buffer(), next_visit_++);
      if (&def == &data::GrpassinFile()) data::WriteNumber(def, *def.FindField("SIN:GRP_CODE"), file.buffer(), 900 + i);
      ASSERT_EQ(file.file().Add(), data::kStoreOk) << def.label;
    }
    ASSERT_EQ(file.file().Flush(), data::kStoreOk);
    file.Close();
  }

  // The client's records per file.
  std::vector<int> Counts(int client) {
    vornel::test::Station station(root_.path());
    std::vector<int> counts;
    for (const Merged& merged : kFiles) {
      const data::FileDef& def = merged.def();
      data::FileManager& file = station.files->Get(def);
      file.Open();
      file.EnsurePhysicallyOpen();
      int n = 0;
      for (file.file().SetOrder(nullptr); file.file().Next() == data::kStoreOk;)
        n += data::ReadNumber(def, *def.FindField(merged.client), file.buffer()) == client ? 1 : 0;
      counts.push_back(n);
      file.Close();
    }
    return counts;
  }

  MergeOutcome Merge(int from, int to) {
    vornel::test::Station station(root_.path());
    return MergeClients(*station.files, from, to);
  }

  double Balance(int client) {
    vornel::test::Station station(root_.path());
    data::FileManager& clients = station.files->Get(data::ClientFile());
    clients.Open();
    clients.record<data::ClientRecord>().CLCODE = static_cast<std::int16_t>(client);
    const bool found = clients.TryFetch(*data::ClientFile().FindKey("CLI:CODE_KEY")) == 0;
    const double balance = found ? clients.record<data::ClientRecord>().BAL_DUE : -1;
    clients.Close();
    return balance;
  }

  static std::vector<int> Sum(const std::vector<int>& a, const std::vector<int>& b) {
    std::vector<int> sum;
    for (std::size_t i = 0; i < a.size(); ++i) sum.push_back(a[i] + b[i]);
    return sum;
  }

  std::int32_t next_visit_ = 500'000;
};

// Every dated record moves; an undated visit, archived visit or comment
// stays (it lies before the walk's start), and so does a drug-and-alcohol
// record when the target has one. The source's Client record keeps its
// balance.
TEST_F(ClientMerge, MovesEveryDatedRecordAndKeepsTheClientRecords) {
  for (const Merged& merged : kFiles) Add(merged, 1, &merged.def() == &data::UdcsFile() ? 1 : 3, *merged.date ? 1 : 0);
  Add(kFiles[7], 2, 1);  // the target's own drug-and-alcohol record
  const std::vector<int> from = Counts(1), to = Counts(2);
  const double balance = Balance(1);

  const MergeOutcome outcome = Merge(1, 2);
  ASSERT_TRUE(outcome.ok) << outcome.problem;
  EXPECT_EQ(outcome.kept, 1);
  // Left with client 1: the undated Log, Logarc and Cli_cmmt records and the Udcs record.
  const std::vector<int> left = {1, 0, 0, 0, 1, 1, 0, 1};
  EXPECT_EQ(Counts(1), left);
  std::vector<int> moved;
  for (std::size_t i = 0; i < from.size(); ++i) moved.push_back(from[i] - left[i]);
  EXPECT_EQ(Counts(2), Sum(to, moved));
  int total = 0;
  for (int n : moved) total += n;
  EXPECT_EQ(outcome.moved, total);
  EXPECT_EQ(Balance(1), balance);
}

TEST_F(ClientMerge, RefusesWhatIsNoMergeAndRewritesEqualNumbersInPlace) {
  const std::vector<int> before = Counts(1);
  EXPECT_NE(Merge(0, 2).problem.find("Choose both client numbers"), std::string::npos);
  EXPECT_NE(Merge(1, 0).problem.find("Choose both client numbers"), std::string::npos);
  const MergeOutcome stranger = Merge(1, 777);
  EXPECT_FALSE(stranger.ok);
  EXPECT_EQ(stranger.problem, "Client 777 is not in the client file; nothing was merged.");
  EXPECT_EQ(Counts(1), before);

  const MergeOutcome same = Merge(1, 1);
  ASSERT_TRUE(same.ok) << same.problem;
  EXPECT_EQ(Counts(1), before);
}

// Another station (a process of its own) writing to the payment records
// past the wait: the whole merge is refused with a message after waiting,
// nothing moved.
TEST_F(ClientMerge, AnotherStationsWritesRefuseTheWholeMerge) {
  const std::vector<int> before = Counts(1);
  MergeOutcome outcome;
  std::chrono::steady_clock::duration waited{};
  {
    const vornel::test::OtherStationWriting other(root_.path(), data::ClipmtsFile());
    ASSERT_TRUE(other.holding());
    const auto start = std::chrono::steady_clock::now();
    vornel::test::Station station(root_.path());
    outcome = MergeClients(*station.files, 1, 2, 1);
    waited = std::chrono::steady_clock::now() - start;
  }
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.problem.find("in use on another station; nothing was merged"), std::string::npos)
      << outcome.problem;
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  EXPECT_EQ(Counts(1), before);
}

// Cancel in the selection window changes nothing; the names show beside
// the numbers.
TEST_F(ClientMerge, TheSelectionWindowShowsTheNamesAndCancelChangesNothing) {
  const std::vector<int> before = Counts(1);
  EXPECT_EQ(Run(R"(
frame
menu "Data Maintenance" "Consolidate Client Records"
window "Client consolidation selection form"
expect value ?MergeFrom "             0"
type ?MergeFrom "1"
type ?MergeTo "2"
expect value ?FromName "Bennett, Robert S"
expect value ?ToName "Cooper, Jeffrey M"
press ?Cancel
expect closed
)"),
            "");
  EXPECT_EQ(Counts(1), before);
}

// A merge of a client with thousands of records, killed ever later until a
// run completes (at least ten kills): after each, the records are all under
// one number or all under the other.
TEST_F(ClientMerge, AKilledMergeLeavesEveryRecordWhollyUnderOneNumber) {
  constexpr int kEach = 3000;
  for (std::size_t f : {0u, 1u, 6u}) Add(kFiles[f], 1, kEach);
  const std::vector<int> from = Counts(1), to = Counts(2);
  const std::vector<int> merged = Sum(from, to);
  const std::filesystem::path script = root_ / "merge.script";
  std::ofstream(script) << R"(frame
menu "Data Maintenance" "Consolidate Client Records"
window "Client consolidation selection form"
type ?MergeFrom "1"
type ?MergeTo "2"
press ?Start
expect closed
)";
  const std::vector<std::string> args = {"--root", root_.path().string(), "--headless", "--script", script.string()};
  std::mt19937 random(9122026);
  int kills = 0;
  double after = 40;
  for (; kills < 60; ++kills, after *= 1.12) {
    vornel::test::RunProgram(VORNEL_PROGRAM, args, after * std::uniform_real_distribution<double>(0.9, 1.1)(random));
    const std::vector<int> now = Counts(2);
    if (now == merged) break;
    ASSERT_EQ(now, to) << "a merge killed after " << after << " ms is half done";
    ASSERT_EQ(Counts(1), from);
  }
  EXPECT_GE(kills, 10);
  EXPECT_EQ(Counts(2), merged);
}

}  // namespace
}  // namespace vornel::maintenance
