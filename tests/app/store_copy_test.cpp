// A data root moved from its own store into a database on a server: every
// record with its position, the counts compared, and a copy killed at any
// moment leaving the database empty.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "app/demo_data/demo_generator.h"
#include "data/dictionary/dictionary.h"
#include "data/store/pg_store.h"
#include "data/store/store_answer.h"
#include "data/store/store_copy.h"
#include "platform/raw_value.h"
#include "tests/support/killed_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::app {
namespace {

namespace fs = std::filesystem;

class StoreCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    demo::DemoOptions options;
    options.root = root_.path();
    options.clients = 40;
    options.months = 3;
    options.force = true;
    options.today = platform::DateFromMdy(12, 7, 2026);
    const demo::DemoResult made = demo::GenerateDemoData(options);
    ASSERT_TRUE(made.ok) << made.message;
    address_ = test::FreshTestDatabase();
  }
  std::string Url() const {
    std::string host;
    for (char c : address_->host) host += c == '/' ? std::string("%2F") : std::string(1, c);
    return "postgresql://" + address_->user + "@" + host + ":" + std::to_string(address_->port) + "/" +
           address_->database;
  }

  test::TempDir root_;
  std::optional<data::PgAddress> address_;
};

// Every record of every file of every directory, as both stores read it.
void ExpectSameRecords(const fs::path& root, const data::PgAddress& address, long long* records) {
  auto sqlite = data::MakeSqliteStore();
  auto server = data::MakePgStore(address, root);
  *records = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const fs::path& directory = entry.path();
    if (!fs::exists(directory / "records.db")) continue;
    for (const data::FileDef& def : data::AllFiles()) {
      auto from = sqlite->MakeFile(def, directory);
      if (!from->Exists()) continue;
      auto to = server->MakeFile(def, directory);
      ASSERT_EQ(from->Open(data::kOpenFallback), data::kStoreOk);
      ASSERT_EQ(to->Open(data::kOpenFallback), data::kStoreOk) << def.label;
      ASSERT_EQ(from->SetOrder(nullptr), data::kStoreOk);
      ASSERT_EQ(to->SetOrder(nullptr), data::kStoreOk);
      while (from->Next() == data::kStoreOk) {
        ASSERT_EQ(to->Next(), data::kStoreOk) << def.label;
        EXPECT_EQ(to->Position(), from->Position()) << def.label;
        EXPECT_EQ(std::memcmp(to->buffer().data(), from->buffer().data(), def.record_size), 0) << def.label;
        ++*records;
      }
      EXPECT_EQ(to->Next(), data::kRecordNotAvailable) << def.label;
    }
  }
}

std::size_t ClientCodeOffset() {
  for (const data::FieldDef& field : data::ClientFile().fields) {
    if (field.name == "CLI:CLCODE") return field.offset;
  }
  return 0;
}

// A client added in `directory` takes a position after every copied one,
// and after `at_least`.
void ExpectNewRecordsComeAfter(data::RecordStore& store, const fs::path& directory, data::RecordPosition at_least) {
  auto clients = store.MakeFile(data::ClientFile(), directory);
  ASSERT_EQ(clients->Open(data::kOpenNormal), data::kStoreOk);
  ASSERT_EQ(clients->SetOrderEnd(nullptr), data::kStoreOk);
  ASSERT_EQ(clients->Previous(), data::kStoreOk);
  const data::RecordPosition last = std::max(clients->Position(), at_least);
  platform::StoreRaw<std::int16_t>(clients->buffer().data() + ClientCodeOffset(), 30000);
  ASSERT_EQ(clients->Add(), data::kStoreOk);
  EXPECT_GT(clients->Position(), last);
}

// No database of the embedded store anywhere under `root`.
bool HoldsNoRecords(const fs::path& root) {
  for (const fs::path& directory : data::RecordDirectories(root)) {
    if (directory.lexically_relative(root).begin()->string() != ".vornel-copy") return false;
  }
  return true;
}

TEST_F(StoreCopy, EveryRecordArrivesWithItsPositionAndNewOnesComeAfter) {
  if (!address_) return;
  const data::CopyResult result = data::CopyRootToServer(root_.path(), *address_, nullptr);
  ASSERT_TRUE(result.ok) << result.message;
  long long records = 0;
  ExpectSameRecords(root_.path(), *address_, &records);
  EXPECT_EQ(records, result.records);
  EXPECT_GT(result.files, 20);

  auto server = data::MakePgStore(*address_, root_.path());
  ExpectNewRecordsComeAfter(*server, root_ / "VORNEL" / "1", 0);

  // A second copy into the same database is refused.
  const data::CopyResult again = data::CopyRootToServer(root_.path(), *address_, nullptr);
  EXPECT_FALSE(again.ok);
  EXPECT_NE(again.message.find("holds record files already"), std::string::npos) << again.message;
}

TEST_F(StoreCopy, ACopyKilledAtAnyMomentLeavesTheDatabaseEmpty) {
  if (!address_) return;
  std::mt19937 random(11);
  for (int round = 0; round < 8; ++round) {
    pid_t copier = 0;
    test::RunProgram(VORNEL_STORE_TOOL, {"copy", "--from", root_.path().string(), "--to", Url()},
                     std::uniform_real_distribution<double>(5, 400)(random), &copier);
    test::AwaitSessionsEnded(test::StoreKind::kPostgres, copier);
    // Either nothing is there, or the whole copy: then the round is over.
    const std::string empty = data::CheckEmptyDatabase(*address_);
    if (!empty.empty()) {
      long long records = 0;
      ExpectSameRecords(root_.path(), *address_, &records);
      EXPECT_GT(records, 0);
      return;
    }
  }
  test::RunProgram(VORNEL_STORE_TOOL, {"copy", "--from", root_.path().string(), "--to", Url(), "--use"}, 0);
  long long records = 0;
  ExpectSameRecords(root_.path(), *address_, &records);
  EXPECT_GT(records, 0);
  const std::string settings = test::ReadFile(root_ / "VORNEL" / "vornel.ini");
  EXPECT_NE(settings.find("Kind=PostgreSQL"), std::string::npos) << settings;
}

TEST_F(StoreCopy, TheDatabaseCopiedBackIntoANewRootIsTheSameRecordByRecord) {
  if (!address_) return;
  ASSERT_TRUE(data::CopyRootToServer(root_.path(), *address_, nullptr).ok);
  // The last client goes on the server: its position is never used again.
  const fs::path department = root_ / "VORNEL" / "1";
  auto server = data::MakePgStore(*address_, root_.path());
  data::RecordPosition deleted = 0;
  {
    auto clients = server->MakeFile(data::ClientFile(), department);
    ASSERT_EQ(clients->Open(data::kOpenNormal), data::kStoreOk);
    ASSERT_EQ(clients->SetOrderEnd(nullptr), data::kStoreOk);
    ASSERT_EQ(clients->Previous(), data::kStoreOk);
    deleted = clients->Position();
    ASSERT_EQ(clients->Delete(), data::kStoreOk);
  }

  test::TempDir back;
  const fs::path root = back / "agency";
  const data::CopyResult result = data::CopyServerToRoot(*address_, root, nullptr);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_GT(result.files, 20);
  EXPECT_FALSE(fs::exists(root / ".vornel-copy"));
  long long records = 0;
  ExpectSameRecords(root, *address_, &records);
  EXPECT_EQ(records, result.records);
  auto sqlite = data::MakeSqliteStore();
  ExpectNewRecordsComeAfter(*sqlite, root / "VORNEL" / "1", deleted);

  // Not over records that are there: neither the root copied back nor the
  // one the records came from is touched.
  const fs::path original = department / "records.db";
  const fs::file_time_type written = fs::last_write_time(original);
  for (const fs::path& full : {root, root_.path()}) {
    const data::CopyResult again = data::CopyServerToRoot(*address_, full, nullptr);
    EXPECT_FALSE(again.ok);
    EXPECT_NE(again.message.find("holds records already"), std::string::npos) << again.message;
  }
  EXPECT_EQ(fs::last_write_time(original), written);
}

// Clients added in the same transaction in both departments: a copy taken
// at one moment has as many of them in one as in the other.
TEST_F(StoreCopy, ACopyBackWhileAStationWritesIsOneMomentOfTheDatabase) {
  if (!address_) return;
  ASSERT_TRUE(data::CopyRootToServer(root_.path(), *address_, nullptr).ok);
  const fs::path departments[] = {root_ / "VORNEL" / "1", root_ / "VORNEL" / "2"};
  std::atomic<int> added{0};
  std::atomic<bool> stop{false};
  std::thread station([&] {
    auto server = data::MakePgStore(*address_, root_.path());
    std::unique_ptr<data::RecordFile> files[2];
    data::RecordFile* both[2];
    for (int i = 0; i < 2; ++i) {
      files[i] = server->MakeFile(data::ClientFile(), departments[i]);
      ASSERT_EQ(files[i]->Open(data::kOpenNormal), data::kStoreOk);
      ASSERT_EQ(files[i]->SetOrder(nullptr), data::kStoreOk);
      ASSERT_EQ(files[i]->Next(), data::kStoreOk);
      both[i] = files[i].get();
    }
    for (std::int16_t code = 20000; !stop; ++code) {
      ASSERT_EQ(server->BeginTransaction(both, 2), data::kStoreOk);
      for (data::RecordFile* file : both) {
        platform::StoreRaw<std::int16_t>(file->buffer().data() + ClientCodeOffset(), code);
        ASSERT_EQ(file->Add(), data::kStoreOk);
      }
      ASSERT_EQ(server->Commit(), data::kStoreOk);
      ++added;
    }
  });
  for (int wait = 0; added < 5 && wait < 20000; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  test::TempDir back;
  const data::CopyResult result = data::CopyServerToRoot(*address_, back / "agency", nullptr);
  stop = true;
  station.join();
  ASSERT_TRUE(result.ok) << result.message << " (a station writing does not stop the copy)";
  auto sqlite = data::MakeSqliteStore();
  int copied[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    auto clients = sqlite->MakeFile(data::ClientFile(), back / "agency" / departments[i].lexically_relative(root_.path()));
    ASSERT_EQ(clients->Open(data::kOpenFallback), data::kStoreOk);
    ASSERT_EQ(clients->SetOrder(nullptr), data::kStoreOk);
    while (clients->Next() == data::kStoreOk) {
      copied[i] += platform::LoadRaw<std::int16_t>(clients->buffer().data() + ClientCodeOffset()) >= 20000;
    }
  }
  EXPECT_GE(copied[0], 5);
  EXPECT_EQ(copied[0], copied[1]);
}

TEST_F(StoreCopy, ASchemaThatIsNoDirectoryBelowTheRootIsRefused) {
  if (!address_) return;
  ASSERT_TRUE(data::CopyRootToServer(root_.path(), *address_, nullptr).ok);
  auto connection = data::PgConnection::Connect(*address_);
  ASSERT_TRUE(connection);
  ASSERT_EQ(connection->Execute("CREATE SCHEMA \"../outside\""), data::kStoreOk);
  test::TempDir back;
  const data::CopyResult result = data::CopyServerToRoot(*address_, back / "agency", nullptr);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("\"../outside\", which is not a directory"), std::string::npos) << result.message;
  EXPECT_TRUE(HoldsNoRecords(back.path()));
  EXPECT_FALSE(fs::exists(back / "outside"));
}

TEST_F(StoreCopy, ACopyBackKilledAtAnyMomentLeavesTheRootEmptyOrIsFinishedByTheNext) {
  if (!address_) return;
  ASSERT_TRUE(data::CopyRootToServer(root_.path(), *address_, nullptr).ok);
  test::TempDir back;
  const fs::path root = back / "agency";
  std::mt19937 random(5);
  for (int round = 0; round < 8; ++round) {
    pid_t copier = 0;
    test::RunProgram(VORNEL_STORE_TOOL, {"copy", "--from", Url(), "--to", root.string()},
                     std::uniform_real_distribution<double>(5, 300)(random), &copier);
    test::AwaitSessionsEnded(test::StoreKind::kPostgres, copier);
    // Records are in place only once the copy was complete.
    if (!HoldsNoRecords(root)) {
      const bool complete = fs::exists(root / ".vornel-copy" / "complete");
      EXPECT_TRUE(complete || !fs::exists(root / ".vornel-copy")) << "round " << round;
      if (!complete) break;  // the copy ended whole
    }
  }
  if (HoldsNoRecords(root) || fs::exists(root / ".vornel-copy")) {
    test::RunProgram(VORNEL_STORE_TOOL, {"copy", "--from", Url(), "--to", root.string()}, 0);
  }
  EXPECT_FALSE(fs::exists(root / ".vornel-copy"));
  long long records = 0;
  ExpectSameRecords(root, *address_, &records);
  EXPECT_GT(records, 0);
}

}  // namespace
}  // namespace vornel::app
