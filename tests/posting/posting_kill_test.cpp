// A posting killed at random moments, each time on a fresh copy of the same
// root: afterwards every file opens and the period is either wholly posted
// or wholly not (the posting date, the clients' counts and balances and the
// payment records agree with one or the other). Both stores: on the server
// each round's root is filled anew, its directories being schemas of their own.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "platform/text.h"
#include "posting/post_period.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::posting {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kLastPosted = 80000;
constexpr std::int16_t kClients = 50;
constexpr int kVisits = 3000;
constexpr int kDays = 20;

using test::Station;

// Opens the file of the station for a pass of the caller's; closed by the caller.
data::FileManager& Use(Station& station, const data::FileDef& def) {
  data::FileManager& file = station.files->Get(def);
  file.Open();
  file.CheckUse(data::kUseReadWrite);
  return file;
}

// What a posting changes, summed.
struct Outcome {
  std::int32_t post_date = 0;
  std::int32_t reference_date = 0;
  long visits = 0;
  long individual = 0;
  long last_seen = 0;
  long balance_cents = 0;
  long payments = 0;
  long running_balances_cents = 0;  // the sum of every payment record's new balance
  bool operator==(const Outcome&) const = default;
};

void Fill(const fs::path& root, test::StoreKind kind) {
  Station station(root, kind);
  for (const data::FileDef* shared : {&data::SetupsFile(), &data::DepartmentsFile()})
    ASSERT_EQ(station.files->Get(*shared).file().Create(), data::kStoreOk);
  data::FileManager& setups = Use(station, data::SetupsFile());
  setups.file().ClearBuffer();
  setups.record<data::SetupsRecord>().REF_DATE = kLastPosted + 1;
  ASSERT_EQ(setups.file().Add(), data::kStoreOk);
  data::FileManager& departments = Use(station, data::DepartmentsFile());
  departments.file().ClearBuffer();
  departments.record<data::DepartmentsRecord>().DEPT_NO = 1;
  departments.record<data::DepartmentsRecord>().POSTDATE = kLastPosted;
  ASSERT_EQ(departments.file().Add(), data::kStoreOk);

  data::FileManager& clients = Use(station, data::ClientFile());
  for (std::int16_t code = 1; code <= kClients; ++code) {
    clients.file().ClearBuffer();
    auto& client = clients.record<data::ClientRecord>();
    client.CLCODE = code;
    platform::AssignPadded(client.CLLNAME, "CLIENT" + std::to_string(code));
    client.BAL_DUE = code;
    ASSERT_EQ(clients.file().Add(), data::kStoreOk);
  }
  std::mt19937 random(8122026);
  data::FileManager& log = Use(station, data::LogFile());
  data::FileManager& payments = Use(station, data::ClipmtsFile());
  for (int n = 1; n <= kVisits; ++n) {
    log.file().ClearBuffer();
    auto& visit = log.record<data::LogRecord>();
    visit.LOG_NO = n;
    visit.CLCODE = static_cast<std::int16_t>(random() % kClients + 1);
    visit.LOG_DATE = kLastPosted + 1 + static_cast<std::int32_t>(n * kDays / (kVisits + 1));
    platform::AssignPadded(visit.TRANS_TYPE, n % 7 == 0 ? "NOSHW" : "SHOW");
    platform::AssignPadded(visit.SERV_CODE, n % 3 == 0 ? "INDV" : "GRP");
    platform::AssignPadded(visit.EMPL_CODE, "S1");
    visit.CLIFEEDUE = n % 4 == 0 ? 0 : 10 + n % 13;
    visit.CLI_PAID = n % 2 == 0 ? visit.CLIFEEDUE : 0;
    visit.CLIFEENC = visit.CLIFEEDUE - visit.CLI_PAID;
    ASSERT_EQ(log.file().Add(), data::kStoreOk);
    if (n % 10 == 0) {
      payments.file().ClearBuffer();
      auto& payment = payments.record<data::ClipmtsRecord>();
      payment.CLCODE = visit.CLCODE;
      payment.DATE = visit.LOG_DATE;
      payment.AMOUNT = 5 + n % 11;
      platform::AssignPadded(payment.STATUS, "C");
      ASSERT_EQ(payments.file().Add(), data::kStoreOk);
    }
  }
  for (data::FileManager* file : {&setups, &departments, &clients, &log, &payments}) file->Close();
}

long Cents(double dollars) { return std::lround(dollars * 100); }

Outcome Read(const fs::path& root, test::StoreKind kind) {
  Station station(root, kind);
  Outcome outcome;
  data::FileManager& departments = Use(station, data::DepartmentsFile());
  departments.file().SetOrder(nullptr);
  EXPECT_EQ(departments.file().Next(), data::kStoreOk) << "the departments file opens";
  outcome.post_date = departments.record<data::DepartmentsRecord>().POSTDATE;
  data::FileManager& setups = Use(station, data::SetupsFile());
  setups.file().SetOrder(nullptr);
  EXPECT_EQ(setups.file().Next(), data::kStoreOk) << "the settings open";
  outcome.reference_date = setups.record<data::SetupsRecord>().REF_DATE;
  data::FileManager& clients = Use(station, data::ClientFile());
  clients.file().SetOrder(nullptr);
  while (clients.file().Next() == data::kStoreOk) {
    const auto& client = clients.record<data::ClientRecord>();
    outcome.visits += client.NUM_VSTS;
    outcome.individual += client.IND_VSTS;
    outcome.last_seen += client.LAST_SEEN;
    outcome.balance_cents += Cents(client.BAL_DUE);
  }
  data::FileManager& payments = Use(station, data::ClipmtsFile());
  payments.file().SetOrder(nullptr);
  while (payments.file().Next() == data::kStoreOk) {
    ++outcome.payments;
    outcome.running_balances_cents += Cents(payments.record<data::ClipmtsRecord>().NEWBAL);
  }
  for (data::FileManager* file : {&departments, &setups, &clients, &payments}) file->Close();
  return outcome;
}

// Posts the copy in a process of its own; answers its pid.
pid_t StartPosting(const fs::path& root, test::StoreKind kind) {
  const pid_t station = fork();
  if (station == 0) {
    Station poster(root, kind);
    const PostingResult result =
        PostPeriod(*poster.files, {.department = 1, .last_post_date = kLastPosted, .end = kLastPosted + kDays}, {});
    switch (result.outcome) {
      case PostingOutcome::kPosted: _exit(0);
      case PostingOutcome::kPostedElsewhere: _exit(2);
      case PostingOutcome::kBusy: _exit(3);
      default: _exit(1);
    }
  }
  return station;
}

// The station's process ended, and with it (on the server, a moment
// later) its sessions: its answer.
int ExitCode(pid_t station, test::StoreKind kind) {
  int status = 0;
  waitpid(station, &status, 0);
  test::AwaitSessionsEnded(kind, station);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PostingKilled : public test::StoreTest {
 protected:
  // A root of `name` as `pristine` is: copied, or on the server filled anew.
  fs::path Copy(const fs::path& pristine, const std::string& name) {
    const fs::path root = pristine.parent_path() / name;
    if (on_server()) {
      Fill(root, GetParam());
    } else {
      fs::copy(pristine, root, fs::copy_options::recursive);
    }
    return root;
  }
};
using PostingTwice = PostingKilled;
VORNEL_STORE_TESTS(PostingKilled);
VORNEL_STORE_TESTS(PostingTwice);

TEST_P(PostingKilled, LeavesThePeriodWhollyPostedOrWhollyNot) {
  const test::StoreKind kind = GetParam();
  test::TempDir dir;
  const fs::path pristine = dir / "pristine";
  Fill(pristine, kind);
  const Outcome before = Read(pristine, kind);
  ASSERT_EQ(before.post_date, kLastPosted);

  const auto copy = [&](int round) { return Copy(pristine, "round" + std::to_string(round)); };
  // A posting left alone: what wholly posted looks like, and how long it takes.
  const fs::path whole = copy(0);
  const auto started = std::chrono::steady_clock::now();
  const int first = ExitCode(StartPosting(whole, kind), kind);
  const auto took = std::chrono::steady_clock::now() - started;
  ASSERT_EQ(first, 0) << "the posting left alone did not post";
  const Outcome after = Read(whole, kind);
  ASSERT_EQ(after.post_date, kLastPosted + kDays);
  ASSERT_NE(after.visits, before.visits);

  std::mt19937 random(20261208);
  const long span = std::max<long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count() * 6 / 5, 1000);
  int posted = 0;
  int not_posted = 0;
  for (int round = 1; round <= 24; ++round) {
    const fs::path root = copy(round);
    const pid_t station = StartPosting(root, kind);
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<long>(0, span)(random)));
    kill(station, SIGKILL);
    ExitCode(station, kind);
    const Outcome found = Read(root, kind);
    EXPECT_TRUE(found == before || found == after) << "round " << round << ": the period is half posted";
    posted += found == after ? 1 : 0;
    not_posted += found == before ? 1 : 0;
    fs::remove_all(root);
  }
  RecordProperty("posted", posted);
  RecordProperty("not_posted", not_posted);
  RecordProperty("posting_ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

// Two stations posting the same department at once: one posts, the other is
// told and changes nothing, so the period is posted once.
TEST_P(PostingTwice, AtTheSameTimePostsThePeriodOnce) {
  const test::StoreKind kind = GetParam();
  test::TempDir dir;
  Fill(dir / "twice", kind);
  const fs::path once = Copy(dir / "twice", "once");
  ASSERT_EQ(ExitCode(StartPosting(once, kind), kind), 0);
  const Outcome posted = Read(once, kind);
  for (int round = 0; round < 3; ++round) {
    const fs::path root = Copy(dir / "twice", "twice" + std::to_string(round));
    const pid_t a = StartPosting(root, kind);
    const pid_t b = StartPosting(root, kind);
    const int first = ExitCode(a, kind);
    const int second = ExitCode(b, kind);
    EXPECT_EQ((first == 0) + (second == 0), 1) << "exit codes " << first << " and " << second;
    EXPECT_TRUE(first == 2 || first == 3 || second == 2 || second == 3) << "the other station was told";
    EXPECT_EQ(Read(root, kind), posted) << "round " << round;
  }
}

}  // namespace
}  // namespace vornel::posting
