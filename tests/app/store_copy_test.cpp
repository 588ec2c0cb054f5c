// A data root moved from its own store into a database on a server: every
// record with its position, the counts compared, and a copy killed at any
// moment leaving the database empty.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

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

TEST_F(StoreCopy, EveryRecordArrivesWithItsPositionAndNewOnesComeAfter) {
  if (!address_) return;
  const data::CopyResult result = data::CopyRootToServer(root_.path(), *address_, nullptr);
  ASSERT_TRUE(result.ok) << result.message;
  long long records = 0;
  ExpectSameRecords(root_.path(), *address_, &records);
  EXPECT_EQ(records, result.records);
  EXPECT_GT(result.files, 20);

  // A record added after the copy takes a position after every copied one.
  auto server = data::MakePgStore(*address_, root_.path());
  auto clients = server->MakeFile(data::ClientFile(), root_ / "VORNEL" / "1");
  ASSERT_EQ(clients->Open(data::kOpenNormal), data::kStoreOk);
  ASSERT_EQ(clients->SetOrderEnd(nullptr), data::kStoreOk);
  ASSERT_EQ(clients->Previous(), data::kStoreOk);
  const data::RecordPosition last = clients->Position();
  for (const data::FieldDef& field : data::ClientFile().fields) {
    if (field.name == "CLI:CLCODE") platform::StoreRaw<std::int16_t>(clients->buffer().data() + field.offset, 30000);
  }
  ASSERT_EQ(clients->Add(), data::kStoreOk);
  EXPECT_GT(clients->Position(), last);

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

}  // namespace
}  // namespace vornel::app
