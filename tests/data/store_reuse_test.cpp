// What a thread's connection keeps for the next window once its files are
// closed (the databases attached, the statements prepared), and that what it
// keeps never outlives the files it stands for.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"

namespace vornel::data {
namespace {

using namespace test_files;

class StoreReuse : public ::testing::Test {
 protected:
  std::filesystem::path Dir(const char* name) {
    const std::filesystem::path dir = root_.path() / name;
    std::filesystem::create_directories(dir);
    return dir;
  }
  // The directory's patients, written in a file that is closed again.
  void Write(const std::filesystem::path& dir, const std::vector<std::string>& names) {
    auto file = store_->MakeFile(kPatientFile, dir);
    ASSERT_EQ(file->Create(), kStoreOk);
    ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
    int code = 1;
    for (const std::string& name : names) {
      SetPatient(*file, code++, name);
      ASSERT_EQ(file->Add(), kStoreOk);
    }
    file->Close();
  }
  // The names in name order, read by a file object opened for it, and the
  // name of patient 1 read by its key.
  std::string Read(const std::filesystem::path& dir) {
    auto file = store_->MakeFile(kPatientFile, dir);
    if (file->Open(kOpenNormal) != kStoreOk) return "(not open)";
    std::string names;
    file->SetOrder(&kNameKey);
    while (file->Next() == kStoreOk) names += std::string(platform::Clip(file->record<PatientRecord>().name)) + " ";
    file->ClearBuffer();
    file->record<PatientRecord>().code = 1;
    names += file->GetByKey(kCodeKey) == kStoreOk ? std::string(platform::Clip(file->record<PatientRecord>().name))
                                                 : "(no 1)";
    file->Close();
    return names;
  }
  std::string ReadOnNewThread(const std::filesystem::path& dir) {
    return std::async(std::launch::async, [&] { return Read(dir); }).get();
  }

  test::TempDir root_;
  std::unique_ptr<RecordStore> store_ = MakeSqliteStore();
};

// A database put in place of another (a restore, a copied root) is read as
// it is now: by the same thread, whose connection kept the old one
// attached, and by a new thread that takes up that connection.
TEST_F(StoreReuse, ADatabaseFileReplacedWhileNoFileIsOpenIsReadAsItIsNow) {
  const auto first = Dir("1");
  const auto second = Dir("2");
  const auto spare = Dir("spare");
  Write(first, {"Adams", "Baker"});
  Write(second, {"Clark"});
  Write(spare, {"Young", "Zane"});
  // One thread's reads of both: the first directory's database is its
  // connection's main one, the second's is attached.
  const auto both = [&] { return Read(first) + " | " + Read(second); };
  EXPECT_EQ(both(), "Adams Baker Adams | Clark Clark");
  EXPECT_EQ(both(), "Adams Baker Adams | Clark Clark");

  std::filesystem::copy_file(spare / "records.db", root_.path() / "copy.db");
  std::filesystem::rename(root_.path() / "copy.db", second / "records.db");
  EXPECT_EQ(both(), "Adams Baker Adams | Young Zane Young");
  std::filesystem::rename(spare / "records.db", first / "records.db");
  EXPECT_EQ(ReadOnNewThread(first), "Young Zane Young");
  EXPECT_EQ(both(), "Young Zane Young | Young Zane Young");
}

// Statements kept from a closed file are not the table's any more once
// another station has dropped the table and made it again; and a file
// whose database has been removed is not found.
TEST_F(StoreReuse, KeptStatementsFollowTheTableAsItIsNow) {
  const auto dir = Dir("1");
  Write(dir, {"Adams", "Baker"});
  EXPECT_EQ(Read(dir), "Adams Baker Adams");
  std::async(std::launch::async, [&] {
    auto file = store_->MakeFile(kPatientFile, dir);
    EXPECT_EQ(file->Remove(), kStoreOk);
    Write(dir, {"Clark"});
  }).get();
  EXPECT_EQ(Read(dir), "Clark Clark");
  std::filesystem::remove(dir / "records.db");
  EXPECT_EQ(Read(dir), "(not open)");
  EXPECT_EQ(ReadOnNewThread(dir), "(not open)");
}

// A transaction write-locks the directories this thread has files open
// in, never one whose files it has closed: another station may write there.
TEST_F(StoreReuse, ATransactionLeavesADirectoryWhoseFilesAreClosedToOthers) {
  const auto first = Dir("1");
  const auto second = Dir("2");
  Write(first, {"Adams"});
  Write(second, {"Baker"});
  auto working = store_->MakeFile(kPatientFile, first);
  auto done_with = store_->MakeFile(kPatientFile, second);
  ASSERT_EQ(working->Open(kOpenNormal), kStoreOk);
  ASSERT_EQ(done_with->Open(kOpenNormal), kStoreOk);
  done_with->Close();
  std::array<RecordFile*, 1> files = {working.get()};
  ASSERT_EQ(store_->BeginTransaction(files, 0), kStoreOk);
  const auto other_station_begins = [&](const std::filesystem::path& dir) {
    return std::async(std::launch::async, [&] {
      auto file = store_->MakeFile(kPatientFile, dir);
      EXPECT_EQ(file->Open(kOpenNormal), kStoreOk);
      std::array<RecordFile*, 1> theirs = {file.get()};
      const int answer = store_->BeginTransaction(theirs, 0);
      if (answer == kStoreOk) store_->Rollback();
      return answer;
    }).get();
  };
  EXPECT_EQ(other_station_begins(second), kStoreOk);
  EXPECT_NE(other_station_begins(first), kStoreOk);
  EXPECT_EQ(store_->Rollback(), kStoreOk);
  working->Close();
}

// Going on from a record that is no longer there, in either direction, and
// a first request of one row: the reads run on as they would from the start.
TEST_F(StoreReuse, ReadingOnFromARecordThatHasGone) {
  const auto dir = Dir("1");
  Write(dir, {"Adams", "Baker", "Clark", "Dunn", "Evans"});
  auto file = store_->MakeFile(kPatientFile, dir);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  SetPatient(*file, 3, "Clark");
  const std::vector<char> clark(file->buffer().begin(), file->buffer().end());
  ASSERT_EQ(file->GetByKey(kCodeKey), kStoreOk);
  const RecordPosition at = file->Position();
  ASSERT_EQ(file->Delete(), kStoreOk);
  const auto names = [&](bool forward) {
    std::string read;
    while ((forward ? file->Next() : file->Previous()) == kStoreOk)
      read += std::string(platform::Clip(file->record<PatientRecord>().name)) + " ";
    return read;
  };
  ASSERT_EQ(file->SetAfterRecord(&kNameKey, clark, at), kStoreOk);
  file->ExpectReads(1);
  EXPECT_EQ(names(true), "Dunn Evans ");
  ASSERT_EQ(file->SetAfterRecord(&kNameKey, clark, at), kStoreOk);
  file->ExpectReads(1);
  EXPECT_EQ(names(false), "Baker Adams ");
  EXPECT_EQ(file->SetAfterRecord(&kNameKey, std::span<const char>(clark).first(3), at), kDriverError);
  file->Close();
}

}  // namespace
}  // namespace vornel::data
