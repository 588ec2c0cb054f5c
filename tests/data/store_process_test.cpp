// Stations as real processes: the test binary starts itself again with
// VORNEL_STORE_HELPER set, and that process plays one station's part before
// the test framework starts (see RunStation below).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "data/store/super_journals.h"
#include "platform/runtime_error.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

extern char** environ;

namespace vornel::data {
namespace {

using namespace test_files;
namespace fs = std::filesystem;

// ---- the station process ----

void Say(const std::string& line) {
  std::string text = line + "\n";
  [[maybe_unused]] ssize_t written = ::write(1, text.data(), text.size());
}

std::string Hear() {
  std::string line;
  char c;
  while (::read(0, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

int RunStation(const std::string& mode) {
  auto store = test::MakeTestStore(test::StoreKindOfEnvironment());
  if (!store) return 5;
  const fs::path dir = Env("VORNEL_STORE_DIR");
  const int arg = std::atoi(Env("VORNEL_STORE_ARG").c_str());
  auto patients = store->MakeFile(kPatientFile, dir);
  if (mode == "open") {
    Say(std::to_string(patients->Open(static_cast<std::uint8_t>(arg))));
    Hear();
    return 0;
  }
  if (patients->Open(kOpenNormal) != kStoreOk) return 2;
  if (mode == "full") {
    // No file of this process may grow past `arg` bytes, as on a full disk.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(arg), static_cast<rlim_t>(arg)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
    int answer = kStoreOk;
    for (int code = 100; answer == kStoreOk && code < 30000; ++code) {
      SetPatient(*patients, code, "Filling the disk", "", code, code, code);
      answer = patients->Add();
    }
    Say(std::to_string(answer) + " " + platform::LastRuntimeError().file_error_text);
    return 0;
  }
  if (mode == "put") {
    patients->GetByPosition(arg);
    patients->record<PatientRecord>().balance = 999;
    Say(std::to_string(patients->Put()));
    return 0;
  }
  if (mode == "hold") {
    patients->GetByPosition(arg);
    Say(std::to_string(patients->Hold()));
    Hear();
    return 0;  // ends without releasing: the holds go with the process
  }
  if (mode == "race") {
    Hear();
    std::string outcome;
    for (int code = 1; code <= arg; ++code) {
      SetPatient(*patients, code, "Racer " + std::to_string(::getpid()));
      int answer = patients->Add();
      outcome += answer == kStoreOk ? '1' : answer == kDuplicateKey ? '0' : 'E';
    }
    Say(outcome);
    return 0;
  }
  auto notes = store->MakeFile(kNoteFile, Env("VORNEL_STORE_DIR2"));
  if (notes->Open(kOpenNormal) != kStoreOk) return 2;
  RecordFile* both[] = {patients.get(), notes.get()};
  if (mode == "transaction-held") {
    patients->GetByPosition(1);
    if (patients->Hold() != kStoreOk || store->BeginTransaction(both, 5) != kStoreOk) return 3;
    SetPatient(*patients, 500, "Never");
    patients->Add();
    SetNote(*notes, "never", 500);
    notes->Add();
    Say("ready");
    Hear();
    return 0;
  }
  if (mode == "transaction-loop") {
    for (int n = 1000; n < 30000; ++n) {
      if (store->BeginTransaction(both, 5) != kStoreOk) return 3;
      SetPatient(*patients, n, "Looped");
      SetNote(*notes, "looped", n);
      if (patients->Add() != kStoreOk || notes->Add() != kStoreOk || store->Commit() != kStoreOk)
        return 4;
      if (n == 1000) Say("ready");
    }
    return 0;
  }
  return 1;
}

// Runs before main in a station process, and ends it there.
const bool station_ran = [] {
  const char* mode = std::getenv("VORNEL_STORE_HELPER");
  if (mode == nullptr) return false;
  std::_Exit(RunStation(mode));
}();

// ---- the test side ----

class Station {
 public:
  Station(test::StoreKind kind, const std::string& mode, const fs::path& dir, const fs::path& dir2 = {},
          int arg = 0)
      : kind_(kind) {
    std::vector<std::string> env = test::StoreEnvironment(kind);
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    env.push_back("VORNEL_STORE_HELPER=" + mode);
    env.push_back("VORNEL_STORE_DIR=" + dir.string());
    env.push_back("VORNEL_STORE_DIR2=" + dir2.string());
    env.push_back("VORNEL_STORE_ARG=" + std::to_string(arg));
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    char* argv[] = {const_cast<char*>(self.c_str()), nullptr};
    int to_child[2], from_child[2];
    if (::pipe2(to_child, O_CLOEXEC) != 0 || ::pipe2(from_child, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(to_child[0], 0);
      ::dup2(from_child[1], 1);
      ::execve(argv[0], argv, envp.data());
      ::_exit(127);
    }
    ::close(to_child[0]);
    ::close(from_child[1]);
    in_ = to_child[1];
    out_ = from_child[0];
  }
  ~Station() {
    if (pid_ > 0) Kill();
    if (in_ >= 0) ::close(in_);
    if (out_ >= 0) ::close(out_);
  }
  // One line from the station; "" when it says nothing for 20 seconds.
  std::string Hear() {
    std::string line;
    char c;
    pollfd poll_fd{out_, POLLIN, 0};
    while (::poll(&poll_fd, 1, 20000) == 1 && ::read(out_, &c, 1) == 1) {
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }
  void Say(const std::string& line) {
    std::string text = line + "\n";
    [[maybe_unused]] ssize_t written = ::write(in_, text.data(), text.size());
  }
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    test::AwaitSessionsEnded(kind_, pid_);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Kill() {
    ::kill(pid_, SIGKILL);
    Wait();
  }

 private:
  test::StoreKind kind_;
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
};

class StoreProcesses : public test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    fs::create_directory(dir_ / "ARCS");
    auto patients = store().MakeFile(kPatientFile, dir_.path());
    auto notes = store().MakeFile(kNoteFile, dir_ / "ARCS");
    ASSERT_EQ(patients->Create(), kStoreOk);
    ASSERT_EQ(notes->Create(), kStoreOk);
    ASSERT_EQ(patients->Open(kOpenNormal), kStoreOk);
    for (int code = 1; code <= 3; ++code) {
      SetPatient(*patients, code, "Resident");
      ASSERT_EQ(patients->Add(), kStoreOk);
    }
  }
  std::unique_ptr<RecordFile> Open(const FileDef& def, const fs::path& dir) {
    auto file = store().MakeFile(def, dir);
    EXPECT_EQ(file->Open(kOpenNormal), kStoreOk);
    return file;
  }

  test::TempDir dir_;
};

// What only the embedded store has: super-journals and database files.
class SqliteProcesses : public StoreProcesses {};

TEST_P(StoreProcesses, ChangeWatchAndHoldsWorkBetweenProcesses) {
  auto mine = Open(kPatientFile, dir_.path());
  mine->SetWatch(true);
  ASSERT_EQ(mine->GetByPosition(2), kStoreOk);
  Station writer(GetParam(), "put", dir_.path(), {}, 2);
  EXPECT_EQ(writer.Hear(), "0");
  EXPECT_EQ(writer.Wait(), 0);
  EXPECT_EQ(mine->Put(), kChangedByOther);
  ASSERT_EQ(mine->Reget(), kStoreOk);
  EXPECT_EQ(+mine->record<PatientRecord>().balance, 999);

  Station holder(GetParam(), "hold", dir_.path(), {}, 2);
  ASSERT_EQ(holder.Hear(), "0");
  // Read before the hold was taken: the save and the delete still see it.
  EXPECT_EQ(mine->Put(), kRecordHeld);
  EXPECT_EQ(mine->Delete(), kRecordHeld);
  EXPECT_EQ(mine->GetByPosition(2), kRecordHeld);
  ASSERT_EQ(mine->SetOrder(nullptr), kStoreOk);
  EXPECT_EQ(mine->Next(), kStoreOk);
  EXPECT_EQ(mine->Next(), kRecordHeld);
  EXPECT_EQ(mine->Next(), kStoreOk);
  EXPECT_EQ(mine->Position(), 3);
  holder.Say("end");
  EXPECT_EQ(holder.Wait(), 0);
  ASSERT_EQ(mine->GetByPosition(2), kStoreOk) << "the holds of an ended process are gone";
  EXPECT_EQ(mine->Put(), kStoreOk) << "and so are the marks they left";
  EXPECT_EQ(mine->Hold(), kStoreOk);
  EXPECT_EQ(mine->Put(), kStoreOk) << "a record this opener holds";
}

TEST_P(StoreProcesses, DenyWriteAgainstAnotherProcessesOpen) {
  {
    Station normal(GetParam(), "open", dir_.path(), {}, kOpenNormal);
    ASSERT_EQ(normal.Hear(), "0");
    auto mine = store().MakeFile(kPatientFile, dir_.path());
    EXPECT_EQ(mine->Open(kOpenBatch), kAccessDenied);
    EXPECT_EQ(mine->Open(kOpenFallback), kStoreOk);
    EXPECT_TRUE(mine->IsReadOnly());
  }
  Station batch(GetParam(), "open", dir_.path(), {}, kOpenBatch);
  ASSERT_EQ(batch.Hear(), "0");
  auto mine = store().MakeFile(kPatientFile, dir_.path());
  EXPECT_EQ(mine->Open(kOpenNormal), kAccessDenied);
  batch.Kill();
  EXPECT_EQ(mine->Open(kOpenNormal), kStoreOk) << "a killed opener's sharing mode is gone";
}

TEST_P(StoreProcesses, OneProcessWinsEachUniqueKeyOfARace) {
  {
    auto patients = Open(kPatientFile, dir_.path());
    RecordFile* files[] = {patients.get()};
    ASSERT_EQ(store().BeginTransaction(files, 1), kStoreOk);
    for (int code = 1; code <= 3; ++code) {
      ASSERT_EQ(patients->GetByPosition(code), kStoreOk);
      ASSERT_EQ(patients->Delete(), kStoreOk);
    }
    ASSERT_EQ(store().Commit(), kStoreOk);
  }
  constexpr int kKeys = 150;
  Station first(GetParam(), "race", dir_.path(), {}, kKeys);
  Station second(GetParam(), "race", dir_.path(), {}, kKeys);
  first.Say("go");
  second.Say("go");
  const std::string a = first.Hear();
  const std::string b = second.Hear();
  ASSERT_EQ(a.size(), static_cast<std::size_t>(kKeys));
  ASSERT_EQ(b.size(), static_cast<std::size_t>(kKeys));
  for (int i = 0; i < kKeys; ++i) {
    EXPECT_TRUE((a[i] == '1' && b[i] == '0') || (a[i] == '0' && b[i] == '1'))
        << "key " << i + 1 << ": " << a[i] << b[i];
  }
  auto patients = Open(kPatientFile, dir_.path());
  EXPECT_EQ(patients->Records(), kKeys);
  ASSERT_EQ(patients->SetOrder(&kCodeKey), kStoreOk);
  for (int code = 1; code <= kKeys; ++code) {
    ASSERT_EQ(patients->Next(), kStoreOk);
    EXPECT_EQ(+patients->record<PatientRecord>().code, code);
  }
  EXPECT_EQ(patients->Next(), kRecordNotAvailable);
}

// The super-journals of commits over several databases in `dir`.
int SuperJournals(const fs::path& dir) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir))
    count += entry.path().filename().string().starts_with("records.db-mj");
  return count;
}

TEST_P(StoreProcesses, AKilledTransactionOverTwoDirectoriesIsWhollyUndone) {
  {
    Station station(GetParam(), "transaction-held", dir_.path(), dir_ / "ARCS");
    ASSERT_EQ(station.Hear(), "ready");
    station.Kill();
  }
  auto patients = Open(kPatientFile, dir_.path());
  auto notes = Open(kNoteFile, dir_ / "ARCS");
  EXPECT_EQ(patients->Records(), 3);
  EXPECT_EQ(notes->Records(), 0);
  ASSERT_EQ(patients->GetByPosition(1), kStoreOk) << "the dead process's hold is gone";
  EXPECT_EQ(patients->Hold(), kStoreOk);
  ASSERT_EQ(patients->Release(), kStoreOk);

  // Killed at any moment, even inside a commit: every transaction is there
  // in both directories or in neither, and the super-journals of the killed
  // commits do not pile up: the next station to open the directory removes
  // those that no journal names.
  for (int round = 0; round < 16; ++round) {
    {
      Station station(GetParam(), "transaction-loop", dir_.path(), dir_ / "ARCS");
      ASSERT_EQ(station.Hear(), "ready");
      std::this_thread::sleep_for(std::chrono::milliseconds(3 + (round * 9) % 40));
      station.Kill();
    }
    Station next(GetParam(), "open", dir_.path(), {}, kOpenNormal);
    ASSERT_EQ(next.Hear(), "0");
    next.Say("end");
    EXPECT_EQ(next.Wait(), 0);
    // At most the last killed commit's, whose journal in ARCS still names it.
    if (!on_server()) {
      EXPECT_LE(SuperJournals(dir_.path()), 1) << "round " << round;
    }
    std::set<int> codes, amounts;
    ASSERT_EQ(patients->SetOrder(nullptr), kStoreOk);
    while (patients->Next() == kStoreOk) {
      if (patients->record<PatientRecord>().code >= 1000)
        codes.insert(+patients->record<PatientRecord>().code);
    }
    ASSERT_EQ(notes->SetOrder(nullptr), kStoreOk);
    int answer;
    while ((answer = notes->Next()) == kStoreOk) amounts.insert(+notes->record<NoteRecord>().amount);
    EXPECT_EQ(answer, kRecordNotAvailable);
    EXPECT_FALSE(codes.empty());
    EXPECT_EQ(codes, amounts) << "round " << round;
    // Start the next round from empty files again.
    RecordFile* both[] = {patients.get(), notes.get()};
    ASSERT_EQ(store().BeginTransaction(both, 5), kStoreOk);
    for (RecordFile* file : both) {
      ASSERT_EQ(file->SetOrder(nullptr), kStoreOk);
      while (file->Next() == kStoreOk) {
        if (file == notes.get() || file->record<PatientRecord>().code >= 1000) {
          ASSERT_EQ(file->Delete(), kStoreOk);
        }
      }
    }
    ASSERT_EQ(store().Commit(), kStoreOk);
  }
  // Both databases have been read since the last kill: no commit needs one.
  Station last(GetParam(), "open", dir_.path(), {}, kOpenNormal);
  ASSERT_EQ(last.Hear(), "0");
  last.Say("end");
  EXPECT_EQ(last.Wait(), 0);
  if (!on_server()) {
    EXPECT_EQ(SuperJournals(dir_.path()), 0);
  }
}

// A commit killed before its super-journal's list is written leaves a file
// that lists nothing or only the first journal; no journal names it yet.
// While the main database is write-locked a running commit may be writing
// such a file, so it stays; once no station holds that lock it goes at once.
TEST_P(SqliteProcesses, AnUnwrittenSuperJournalStaysOnlyWhileItsCommitMayRun) {
  const fs::path database = dir_ / "records.db";
  {
    Station station(GetParam(), "transaction-held", dir_.path(), dir_ / "ARCS");
    ASSERT_EQ(station.Hear(), "ready");
    // Made after the station's own first open, which would remove them.
    const std::string first = (dir_ / "records.db-journal").string();
    std::ofstream(dir_ / "records.db-mj0000019A1", std::ios::binary);
    std::ofstream(dir_ / "records.db-mj0000019A2", std::ios::binary)
        << first << std::string(1, '\0');
    EXPECT_EQ(RemoveLeftoverSuperJournals(database), 0) << "another station is inside a transaction";
    station.Kill();
  }
  {
    auto patients = Open(kPatientFile, dir_.path());
    RecordFile* files[] = {patients.get()};
    ASSERT_EQ(store().BeginTransaction(files, 1), kStoreOk);
    EXPECT_EQ(RemoveLeftoverSuperJournals(database), 0) << "this process is inside a transaction";
    EXPECT_EQ(store().Rollback(), kStoreOk);
  }
  EXPECT_EQ(SuperJournals(dir_.path()), 2);
  EXPECT_EQ(RemoveLeftoverSuperJournals(database), 2);
  EXPECT_EQ(SuperJournals(dir_.path()), 0);
}

TEST_P(SqliteProcesses, AFullDiskIsSaidInWordsAndLosesNothing) {
  const auto size = fs::file_size(dir_ / "records.db");
  Station station(GetParam(), "full", dir_.path(), dir_ / "ARCS", static_cast<int>(size + 64 * 1024));
  const std::string said = station.Hear();
  EXPECT_EQ(station.Wait(), 0);
  EXPECT_EQ(said.substr(0, 3), "90 ") << said;
  EXPECT_NE(said.find("cannot write " + (dir_ / "records.db").string()), std::string::npos) << said;
  EXPECT_NE(said.find("largest size allowed"), std::string::npos) << said;

  // Every record added before the disk filled is there, and the file reads.
  auto patients = Open(kPatientFile, dir_.path());
  ASSERT_EQ(patients->SetOrder(&kCodeKey), kStoreOk);
  int expected = 1;
  while (patients->Next() == kStoreOk) {
    EXPECT_EQ(+patients->record<PatientRecord>().code, expected) << "no gaps";
    expected = expected == 3 ? 100 : expected + 1;
  }
  EXPECT_GT(expected, 100);
  SetPatient(*patients, 5, "Room again");
  EXPECT_EQ(patients->Add(), kStoreOk);
}

VORNEL_STORE_TESTS(StoreProcesses);
INSTANTIATE_TEST_SUITE_P(Store, SqliteProcesses, ::testing::Values(test::StoreKind::kSqlite), test::StoreKindName);

}  // namespace
}  // namespace vornel::data
