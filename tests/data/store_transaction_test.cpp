#include "data/store/store_transaction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::data {
namespace {

using namespace test_files;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// Files of two directories (a department and its archive) in one transaction.
class StoreTransactions : public test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    fs::create_directory(dir_ / "ARCS");
    patients_ = store().MakeFile(kPatientFile, dir_.path());
    notes_ = store().MakeFile(kNoteFile, dir_ / "ARCS");
    for (RecordFile* file : {patients_.get(), notes_.get()}) {
      ASSERT_EQ(file->Create(), kStoreOk);
      ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
    }
  }
  void AddBoth(int n) {
    SetPatient(*patients_, n, "Name");
    ASSERT_EQ(patients_->Add(), kStoreOk);
    SetNote(*notes_, "for patient", n);
    ASSERT_EQ(notes_->Add(), kStoreOk);
  }

  test::TempDir dir_;
  std::unique_ptr<RecordFile> patients_;
  std::unique_ptr<RecordFile> notes_;
  RecordFile* both_[2] = {nullptr, nullptr};
  std::span<RecordFile* const> Both() {
    both_[0] = patients_.get();
    both_[1] = notes_.get();
    return both_;
  }
};

TEST_P(StoreTransactions, CommitAndRollbackCoverFilesOfTwoDirectories) {
  ASSERT_EQ(store().BeginTransaction(Both(), 1), kStoreOk);
  AddBoth(1);
  EXPECT_EQ(patients_->Records(), 1) << "the transaction sees its own writes";
  EXPECT_EQ(store().BeginTransaction(Both(), 1), kDriverError) << "one at a time";
  ASSERT_EQ(store().Rollback(), kStoreOk);
  EXPECT_EQ(patients_->Records(), 0);
  EXPECT_EQ(notes_->Records(), 0);
  ASSERT_EQ(patients_->SetOrder(nullptr), kStoreOk);
  EXPECT_EQ(patients_->Next(), kRecordNotAvailable)
      << "rows read ahead before the rollback are gone";

  ASSERT_EQ(store().BeginTransaction(Both(), 1), kStoreOk);
  AddBoth(1);
  AddBoth(2);
  ASSERT_EQ(store().Commit(), kStoreOk);
  EXPECT_EQ(patients_->Records(), 2);
  EXPECT_EQ(notes_->Records(), 2);
  EXPECT_EQ(store().Commit(), kDriverError);
  EXPECT_EQ(store().Rollback(), kStoreOk);

  // A failing step: the guard rolls back what was done before it.
  {
    StoreTransaction transaction(*store_, Both(), 1);
    ASSERT_EQ(transaction.begin_answer(), kStoreOk);
    AddBoth(3);
    SetPatient(*patients_, 1, "Duplicate");
    EXPECT_EQ(patients_->Add(), kDuplicateKey);
  }
  EXPECT_EQ(patients_->Records(), 2);
  EXPECT_EQ(notes_->Records(), 2);
  {
    StoreTransaction transaction(*store_, Both(), 1);
    AddBoth(3);
    EXPECT_EQ(transaction.Commit(), kStoreOk);
    EXPECT_FALSE(transaction.active());
  }
  EXPECT_EQ(notes_->Records(), 3);

  // Everything the commit over two databases made stays private.
  for (const fs::path& directory : {dir_.path(), dir_ / "ARCS"}) {
    for (const auto& entry : fs::directory_iterator(directory)) {
      if (!entry.is_regular_file()) continue;
      struct stat status {};
      ASSERT_EQ(::stat(entry.path().c_str(), &status), 0);
      EXPECT_EQ(status.st_mode & 0777 & ~0640u, 0u) << entry.path();
    }
  }

  patients_->Close();
  EXPECT_EQ(store().BeginTransaction(Both(), 1), kFileNotOpen);
}

// A transaction takes its files for writing from its start: a wait of 0
// gives up at once while another station's transaction has them, and says so.
TEST_P(StoreTransactions, WaitOfZeroDoesNotWaitForAnotherStationsTransaction) {
  AddBoth(1);
  std::promise<void> started, finish;
  auto other = std::async(std::launch::async, [&] {
    auto file = store().MakeFile(kPatientFile, dir_.path());
    EXPECT_EQ(file->Open(kOpenNormal), kStoreOk);
    RecordFile* files[] = {file.get()};
    EXPECT_EQ(store().BeginTransaction(files, 0), kStoreOk);
    EXPECT_EQ(file->GetByPosition(1), kStoreOk);
    EXPECT_EQ(file->Put(), kStoreOk);
    started.set_value();
    finish.get_future().wait();
    return store().Rollback();
  });
  started.get_future().wait();
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(store().BeginTransaction(Both(), 0), kDriverError);
  EXPECT_THAT(platform::LastRuntimeError().file_error_text, HasSubstr("another station"));
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
  // Reading is still possible while the other station writes.
  EXPECT_EQ(patients_->Records(), 1);
  finish.set_value();
  EXPECT_EQ(other.get(), kStoreOk);
  ASSERT_EQ(store().BeginTransaction(Both(), 0), kStoreOk);
  ASSERT_EQ(patients_->GetByPosition(1), kStoreOk);
  EXPECT_EQ(patients_->Put(), kStoreOk);
  EXPECT_EQ(store().Commit(), kStoreOk);
}

TEST_P(StoreTransactions, StreamBatchesWritesUntilFlushOrClose) {
  ASSERT_EQ(patients_->Stream(), kStoreOk);
  for (int code = 1; code <= 50; ++code) {
    SetPatient(*patients_, code, "Batch");
    ASSERT_EQ(patients_->Add(), kStoreOk);
  }
  ASSERT_EQ(patients_->Flush(), kStoreOk);
  EXPECT_EQ(patients_->Flush(), kStoreOk);
  ASSERT_EQ(patients_->Stream(), kStoreOk);
  SetPatient(*patients_, 51, "Batch");
  ASSERT_EQ(patients_->Add(), kStoreOk);
  EXPECT_EQ(patients_->Close(), kStoreOk);
  ASSERT_EQ(patients_->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(patients_->Records(), 51);
}

VORNEL_STORE_TESTS(StoreTransactions);

}  // namespace
}  // namespace vornel::data
