// The client archive, the visit purge and the archived-client list as the
// office uses them from the menu, on clients of the tests' own; and the
// archive killed at random points while it runs as the program itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>

#include "data/dictionary/field_access.h"
#include "platform/dates.h"
#include "posting/client_archive.h"
#include "tests/maintenance/program_fixture.h"
#include "tests/posting/archive_records.h"
#include "tests/support/killed_process.h"
#include "tests/support/other_station.h"

namespace vornel::posting {
namespace {

using test::ArchiveRecords;

const std::int32_t kCutoff = platform::DateFromMdy(11, 15, 2026);

struct Client {
  std::int16_t code;
  const char* status;
  double balance;
  std::int32_t last_seen;
};

struct Visit {
  std::int16_t client;
  std::int32_t date;
  const char* outcome;
  const char* line_status;  // its one charge line; nullptr: none
};

class ClientArchiveTest : public maintenance::test::ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    ArchiveRecords(root_.path()).ClearAll();
  }

  void Write(const std::vector<Client>& clients, const std::vector<Visit>& visits) {
    ArchiveRecords records(root_.path());
    records.Add<data::ClientRecord>(data::ClientFile(), static_cast<int>(clients.size()), [&](auto& r, int n) {
      const Client& c = clients[static_cast<std::size_t>(n)];
      r.CLCODE = c.code;
      platform::AssignPadded(r.CURRENT, c.status);
      r.BAL_DUE = c.balance;
      r.LAST_SEEN = c.last_seen;
      platform::AssignPadded(r.CLLNAME, "Client" + std::to_string(c.code));
      platform::AssignPadded(r.CLFNAME, "Pat");
      platform::AssignPadded(r.PHONE, "(555)123-4567");
      platform::AssignPadded(r.SOC_SEC_NO, "123-45-6789");
    });
    records.Add<data::LogRecord>(data::LogFile(), static_cast<int>(visits.size()), [&](auto& r, int n) {
      const Visit& v = visits[static_cast<std::size_t>(n)];
      r.LOG_NO = 1000 + n;
      r.CLCODE = v.client;
      r.LOG_DATE = v.date;
      platform::AssignPadded(r.TRANS_TYPE, v.outcome);
      platform::AssignPadded(r.COMMENT, "visit " + std::to_string(n));
      r.TOTAL_FEE = 40 + n;
    });
    std::vector<std::pair<int, const Visit*>> lines;
    for (std::size_t n = 0; n < visits.size(); ++n)
      if (visits[n].line_status != nullptr) lines.push_back({static_cast<int>(n), &visits[n]});
    records.Add<data::LineitemRecord>(data::LineitemFile(), static_cast<int>(lines.size()), [&](auto& r, int n) {
      const auto& [number, v] = lines[static_cast<std::size_t>(n)];
      r.LOG_NO = 1000 + number;
      r.CLCODE = v->client;
      r.SERV_DATE = v->date;
      platform::AssignPadded(r.STATUS, v->line_status);
      platform::AssignPadded(r.VEN_CODE, "MA");
    });
  }

  // One record in each of the other files the archive empties, for `client`.
  void Belongings(std::int16_t client) {
    ArchiveRecords records(root_.path());
    records.Add<data::UdcsRecord>(data::UdcsFile(), 1, [&](auto& r, int) { r.CLCODE = client; });
    records.Add<data::DischargRecord>(data::DischargFile(), 1, [&](auto& r, int) { r.CLCODE = client; });
    records.Add<data::Cli_cmmtRecord>(data::Cli_cmmtFile(), 2, [&](auto& r, int n) {
      r.CLI_CODE = client;
      r.COM_DATE = n == 0 ? 0 : kCutoff - 40;  // an undated comment goes too
    });
    records.Add<data::ClipmtsRecord>(data::ClipmtsFile(), 1, [&](auto& r, int) { r.CLCODE = client; });
    records.Add<data::GrpassinRecord>(data::GrpassinFile(), 1, [&](auto& r, int) { r.CLI_CODE = client; });
    records.Add<data::Ins_cardRecord>(data::Ins_cardFile(), 1, [&](auto& r, int) { r.CLCODE = client; });
  }

  // The client numbers of the file's records, by the field's name.
  template <typename Record>
  std::set<int> Clients(const data::FileDef& def, const char* field) {
    std::set<int> codes;
    for (const Record& r : ArchiveRecords(root_.path()).All<Record>(def))
      codes.insert(static_cast<int>(data::ReadNumber(def, *def.FindField(field),
                                                     {reinterpret_cast<const char*>(&r), sizeof r})));
    return codes;
  }
};

// Discharged or inactive, nothing owed, last seen on or before the cutoff
// and no later visit: archived whole. Last seen 0, a cent owed, an active
// client, a later visit or a line a payer may still pay keep him working.
TEST_F(ClientArchiveTest, ArchivesWholeClientsByTheRules) {
  Write({{11, "D", 0, kCutoff - 1},
         {12, "D", 0, kCutoff - 1},
         {13, "I", 0, 0},
         {14, "I", 0.01, kCutoff - 20},
         {15, "D", 0, kCutoff - 5},
         {16, "A", 0, kCutoff - 50},
         {17, "I", 0, kCutoff}},
        {{11, kCutoff - 30, "SHOW", "P"},
         {11, kCutoff - 1, "SHOW", "T"},
         {12, kCutoff - 10, "SHOW", "P"},
         {12, kCutoff + 5, "SCHED", nullptr},
         {15, kCutoff - 5, "SHOW", "B"},
         {17, kCutoff, "NOSHW", nullptr}});
  Belongings(11);
  Belongings(12);
  const std::vector<data::ClientRecord> before = ArchiveRecords(root_.path()).All<data::ClientRecord>(data::ClientFile());
  const std::vector<data::LogRecord> visits = ArchiveRecords(root_.path()).All<data::LogRecord>(data::LogFile());

  EXPECT_EQ(Run(R"(
timers on
frame
menu "Data Maintenance" "Archive Clients"
window "Archival Cutoff Date Selection Form"
expect value ?topdate "12/01/2026"
type ?topdate "11/15/2026"
press ?Ok
window "System Warning"
expect value ?MESSAGE "1 client(s) were not archived: a payer may still pay their open or billed charge lines."
)"),
            "");

  EXPECT_EQ(Clients<data::ClientRecord>(data::ClientFile(), "CLCODE"), (std::set<int>{12, 13, 14, 15, 16}));
  const auto archived = ArchiveRecords(root_.path()).All<data::CliarcRecord>(data::CliarcFile());
  ASSERT_EQ(archived.size(), 2u);
  // Field for field, the phone and social security number as shown.
  EXPECT_EQ(std::memcmp(&archived[0], &before[0], sizeof archived[0]), 0);
  EXPECT_EQ(platform::ReadField(archived[0].PHONE), "(555)123-4567");
  EXPECT_EQ(archived[1].CLCODE, 17);

  const auto moved = ArchiveRecords(root_.path()).All<data::LogarcRecord>(data::LogarcFile());
  ASSERT_EQ(moved.size(), 3u);
  for (const data::LogarcRecord& visit : moved) {
    const auto original = std::find_if(visits.begin(), visits.end(), [&](const auto& v) { return v.LOG_NO == visit.LOG_NO; });
    ASSERT_NE(original, visits.end());
    EXPECT_EQ(std::memcmp(&visit, &*original, sizeof visit), 0);
  }
  EXPECT_EQ(Clients<data::LogRecord>(data::LogFile(), "CLCODE"), (std::set<int>{12, 15}));
  EXPECT_EQ(Clients<data::LineitemRecord>(data::LineitemFile(), "CLCODE"), (std::set<int>{12, 15}));
  EXPECT_EQ(Clients<data::UdcsRecord>(data::UdcsFile(), "CLCODE"), (std::set<int>{12}));
  EXPECT_EQ(Clients<data::DischargRecord>(data::DischargFile(), "CLCODE"), (std::set<int>{12}));
  EXPECT_EQ(Clients<data::Cli_cmmtRecord>(data::Cli_cmmtFile(), "CLI_CODE"), (std::set<int>{12}));
  EXPECT_EQ(Clients<data::ClipmtsRecord>(data::ClipmtsFile(), "CLCODE"), (std::set<int>{12}));
  EXPECT_EQ(Clients<data::GrpassinRecord>(data::GrpassinFile(), "CLI_CODE"), (std::set<int>{12}));
  EXPECT_EQ(Clients<data::Ins_cardRecord>(data::Ins_cardFile(), "CLCODE"), (std::set<int>{12}));

  // The archived client under review, his visits below the list; the
  // review form neither adds nor deletes.
  EXPECT_EQ(Run(R"(
frame
menu "Browse Lists" "Browse Archived Client Listing"
window "Browse the Archived Client File"
expect highlighted ?List "     11 | Client11 | Pat |  |  |  | 11/14/2026 | D |     0 |  | "
expect rows ?Visits "10/16/2026 |     1000 |  | SHOW |  | visit 0" "11/14/2026 |     1001 |  | SHOW |  | visit 1"
row ?List 2
expect rows ?Visits "11/15/2026 |     1005 |  | NOSHW |  | visit 5"
press ?Change
window "Changing a Cliarc Record"
expect value ?CAR:CLLNAME "Client17"
press ?Cancel
window "Browse the Archived Client File"
press ?Insert
expect message "Invalid Request" "This form cannot be used to insert a record"
answer ok
press ?Delete
expect message "Invalid Request" "This form cannot be used to delete a record"
answer ok
)"),
            "");
}

TEST_F(ClientArchiveTest, CancellingTheCutoffArchivesNothing) {
  Write({{11, "D", 0, kCutoff - 1}}, {{11, kCutoff - 30, "SHOW", "P"}});
  EXPECT_EQ(Run(R"(
frame
menu "Data Maintenance" "Archive Clients"
window "Archival Cutoff Date Selection Form"
press ?Cancel
expect closed
)"),
            "");
  EXPECT_EQ(ArchiveRecords(root_.path()).Count(data::CliarcFile()), 0);
  EXPECT_EQ(ArchiveRecords(root_.path()).Count(data::LogFile()), 1);
}

// Another station (a process of its own) writing to the archive past the
// wait: the client stays working, with a message.
TEST_F(ClientArchiveTest, AnotherStationsWritesStopTheArchiveBeforeAnythingMoves) {
  Write({{11, "D", 0, kCutoff - 1}}, {{11, kCutoff - 30, "SHOW", "P"}});
  ArchiveOutcome outcome;
  {
    const vornel::test::OtherStationWriting other(root_.path(), data::LogarcFile());
    ASSERT_TRUE(other.holding());
    const auto clients = ArchiveRecords(root_.path()).All<data::ClientRecord>(data::ClientFile());
    vornel::test::Station station(root_.path());
    ClientArchive archive(*station.files, kCutoff, ClientArchive::kClientsPerCommit, 1);
    outcome = archive.Consider(clients.front());
  }
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.problem.find("in use on another station"), std::string::npos) << outcome.problem;
  EXPECT_EQ(ArchiveRecords(root_.path()).Count(data::ClientFile()), 1);
  EXPECT_EQ(ArchiveRecords(root_.path()).Count(data::LogarcFile()), 0);
}

// With cutoff 1 January a visit of 31 December goes with its lines; a
// visit with a line a payer may still pay stays with its lines; closed
// lines before the cutoff go, open ones stay; nothing from 1 January on
// is touched. A wrong password deletes nothing.
TEST_F(ClientArchiveTest, ThePurgeDeletesClosedVisitsBeforeTheCutoff) {
  const std::int32_t jan1 = platform::DateFromMdy(1, 1, 2026);
  Write({{1, "A", 0, jan1}},
        {{1, jan1 - 1, "SHOW", "P"},    // 1000: goes, with its line
         {1, jan1 - 1, "SHOW", "B"},    // 1001: billed: stays
         {1, jan1 - 20, "SHOW", "O"},   // 1002: open: stays
         {1, jan1, "SHOW", "P"},        // 1003: the cutoff's day: stays
         {1, jan1 + 3, "SCHED", nullptr}});
  // A paid line of the billed visit, dated before the cutoff, goes on its own.
  ArchiveRecords(root_.path()).Add<data::LineitemRecord>(data::LineitemFile(), 1, [&](auto& r, int) {
    r.LOG_NO = 1001;
    r.CLCODE = 1;
    r.SERV_DATE = jan1 - 1;
    platform::AssignPadded(r.STATUS, "P");
  });
  const std::string purge = R"(
timers on
frame
menu "Data Maintenance" "Delete Visits"
window "Deletion Control  Form"
type ?topdate "01/01/2026"
type ?PWDCHK "PASSWORD"
press ?Begin
)";
  EXPECT_EQ(Run(purge + "expect closed\n"), "");
  EXPECT_EQ(ArchiveRecords(root_.path()).Count(data::LogFile()), 5);

  std::string right = purge;
  right.replace(right.find("PASSWORD"), 8, "demo");
  right.replace(right.find("timers on\n"), 10, "");
  EXPECT_EQ(Run(right + "window \"Progress...\"\npost timer\nexpect closed\n"), "");
  std::set<int> kept, lines;
  for (const auto& v : ArchiveRecords(root_.path()).All<data::LogRecord>(data::LogFile())) kept.insert(int{v.LOG_NO});
  for (const auto& l : ArchiveRecords(root_.path()).All<data::LineitemRecord>(data::LineitemFile()))
    lines.insert(l.LOG_NO * 10 + (platform::ReadField(l.STATUS) == "P" ? 1 : 0));
  EXPECT_EQ(kept, (std::set<int>{1001, 1002, 1003, 1004}));
  EXPECT_EQ(lines, (std::set<int>{10010, 10020, 10031}));  // billed 1001, open 1002, paid 1003
}

// The archive killed at growing delays: every client is wholly working or
// wholly archived, no visit is lost or doubled, and every file opens.
TEST_F(ClientArchiveTest, AKilledArchiveLeavesEveryClientWhole) {
  constexpr int kClients = 2000;
  constexpr int kVisitsEach = 12;
  std::vector<Client> clients;
  std::vector<Visit> visits;
  for (int c = 0; c < kClients; ++c) {
    const auto code = static_cast<std::int16_t>(100 + c);
    clients.push_back({code, c % 2 ? "D" : "I", 0, kCutoff - 10});
    for (int v = 0; v < kVisitsEach; ++v) visits.push_back({code, kCutoff - 10 - v * 7, "SHOW", "P"});
  }
  Write(clients, visits);
  const int total_visits = kClients * kVisitsEach;

  std::mt19937 random(20261209);
  int kills = 0, part_way = 0;  // part-way: killed between two commits
  double after = 20;
  bool finished = false;
  const std::string root = root_.path().string();
  for (int round = 0; round < 150 && !finished; ++round, after *= 1.06) {
    const double jitter = std::uniform_real_distribution<double>(0.8, 1.2)(random);
    vornel::test::RunProgram(VORNEL_PROGRAM,
                             {"--root", root, "--report", "ArchiveClients", "--date", "11/15/2026", "--pdf",
                              root + "/none.pdf"},
                             after * jitter);
    ArchiveRecords records(root_.path());
    const auto working = records.All<data::ClientRecord>(data::ClientFile());
    const auto archived = records.All<data::CliarcRecord>(data::CliarcFile());
    const auto log = records.All<data::LogRecord>(data::LogFile());
    const auto logarc = records.All<data::LogarcRecord>(data::LogarcFile());
    ASSERT_EQ(working.size() + archived.size(), static_cast<std::size_t>(kClients)) << "round " << round;
    ASSERT_EQ(log.size() + logarc.size(), static_cast<std::size_t>(total_visits)) << "round " << round;
    std::map<int, int> in_log, in_archive;
    for (const auto& v : log) ++in_log[v.CLCODE];
    for (const auto& v : logarc) ++in_archive[v.CLCODE];
    for (const auto& c : working) ASSERT_EQ(in_log[c.CLCODE], kVisitsEach) << "round " << round << " client " << c.CLCODE;
    for (const auto& c : archived) {
      ASSERT_EQ(in_archive[c.CLCODE], kVisitsEach) << "round " << round << " client " << c.CLCODE;
      ASSERT_EQ(in_log[c.CLCODE], 0) << "round " << round << " client " << c.CLCODE;
    }
    ASSERT_EQ(records.Count(data::LineitemFile()), static_cast<int>(working.size()) * kVisitsEach);
    finished = working.empty();
    if (!finished) ++kills;
    if (!finished && !archived.empty()) ++part_way;
  }
  EXPECT_TRUE(finished);
  EXPECT_GE(kills, 20);
  std::printf("%d kills, %d part-way\n", kills, part_way);
}

}  // namespace
}  // namespace vornel::posting
