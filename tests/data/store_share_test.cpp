#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::data {
namespace {

using namespace test_files;

// Two stations in one process: each thread has its own file object (and so
// its own connection and its own locks).
class StoreShare : public test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    auto file = Make();
    ASSERT_EQ(file->Create(), kStoreOk);
    ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
    for (int code = 1; code <= 5; ++code) {
      SetPatient(*file, code, "Name" + std::to_string(code), "", 0, 0, code);
      ASSERT_EQ(file->Add(), kStoreOk);
    }
  }
  std::unique_ptr<RecordFile> Make() { return store_->MakeFile(kPatientFile, dir_.path()); }
  // Runs `work` on a thread of its own with a file object of its own.
  template <typename Work>
  auto OnOtherThread(Work work) {
    return std::async(std::launch::async,
                      [this, work] {
                        auto file = Make();
                        EXPECT_EQ(file->Open(kOpenNormal), kStoreOk);
                        return work(*file);
                      })
        .get();
  }

  test::TempDir dir_;
};

TEST_P(StoreShare, ChangeWatchTellsAnotherStationsChangeAndDelete) {
  auto mine = Make();
  ASSERT_EQ(mine->Open(kOpenNormal), kStoreOk);
  mine->SetWatch(true);
  ASSERT_EQ(mine->GetByPosition(2), kStoreOk);
  EXPECT_EQ(OnOtherThread([](RecordFile& file) {
              EXPECT_EQ(file.GetByPosition(2), kStoreOk);
              file.record<PatientRecord>().balance = 200;
              return file.Put();
            }),
            kStoreOk);
  mine->record<PatientRecord>().balance = 100;
  EXPECT_EQ(mine->Put(), kChangedByOther);
  EXPECT_EQ(mine->Delete(), kChangedByOther);
  // Read again, the other station's version is there and may be changed.
  ASSERT_EQ(mine->Reget(), kStoreOk);
  EXPECT_EQ(+mine->record<PatientRecord>().balance, 200);
  mine->record<PatientRecord>().balance = 100;
  ASSERT_EQ(mine->Put(), kStoreOk);
  mine->record<PatientRecord>().balance = 101;
  ASSERT_EQ(mine->Put(), kStoreOk) << "a station's own rewrite is no change by another";

  // Deleted meanwhile.
  ASSERT_EQ(mine->GetByPosition(3), kStoreOk);
  EXPECT_EQ(OnOtherThread([](RecordFile& file) {
              EXPECT_EQ(file.GetByPosition(3), kStoreOk);
              return file.Delete();
            }),
            kStoreOk);
  EXPECT_EQ(mine->Put(), kRecordNotAvailable);

  // Without the watch the last writer wins.
  mine->SetWatch(false);
  ASSERT_EQ(mine->GetByPosition(4), kStoreOk);
  OnOtherThread([](RecordFile& file) {
    EXPECT_EQ(file.GetByPosition(4), kStoreOk);
    file.record<PatientRecord>().balance = 7;
    return file.Put();
  });
  mine->record<PatientRecord>().balance = 8;
  ASSERT_EQ(mine->Put(), kStoreOk);
  ASSERT_EQ(mine->Reget(), kStoreOk);
  EXPECT_EQ(+mine->record<PatientRecord>().balance, 8);
}

TEST_P(StoreShare, AHeldRecordIsRefusedToOtherOpenersUntilReleasedOrClosed) {
  auto holder = Make();
  auto reader = Make();
  ASSERT_EQ(holder->Open(kOpenNormal), kStoreOk);
  ASSERT_EQ(reader->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(holder->Hold(), kRecordNotAvailable) << "nothing read yet";
  ASSERT_EQ(holder->GetByPosition(3), kStoreOk);
  ASSERT_EQ(holder->Hold(), kStoreOk);
  ASSERT_EQ(holder->Hold(), kStoreOk) << "holding again is harmless";

  EXPECT_EQ(reader->GetByPosition(3), kRecordHeld);
  ASSERT_EQ(reader->GetByPosition(2), kStoreOk);
  EXPECT_EQ(reader->Hold(), kStoreOk);
  ASSERT_EQ(reader->Release(), kStoreOk);
  // Reading on meets the held record and then passes it.
  ASSERT_EQ(reader->SetOrder(&kCodeKey), kStoreOk);
  EXPECT_EQ(reader->Next(), kStoreOk);
  EXPECT_EQ(reader->Next(), kStoreOk);
  EXPECT_EQ(reader->Next(), kRecordHeld);
  EXPECT_EQ(reader->Position(), 2) << "the held record does not become the current one";
  EXPECT_EQ(reader->Next(), kStoreOk);
  EXPECT_EQ(+reader->record<PatientRecord>().code, 4);
  EXPECT_EQ(reader->Previous(), kRecordHeld);
  // The other thread is another station as well.
  EXPECT_EQ(OnOtherThread([](RecordFile& file) { return file.GetByPosition(3); }), kRecordHeld);

  // Writes and holds of the held record are refused; the holder may write.
  ASSERT_EQ(reader->GetByPosition(4), kStoreOk);
  ASSERT_EQ(reader->GetByPosition(3), kRecordHeld);
  EXPECT_EQ(holder->Put(), kStoreOk);
  ASSERT_EQ(reader->Release(), kStoreOk);

  ASSERT_EQ(holder->Release(), kStoreOk);
  ASSERT_EQ(reader->GetByPosition(3), kStoreOk);
  ASSERT_EQ(reader->Hold(), kStoreOk);
  EXPECT_EQ(holder->Hold(), kRecordHeld);
  EXPECT_EQ(holder->Put(), kRecordHeld);
  EXPECT_EQ(holder->Delete(), kRecordHeld);
  reader->Close();
  EXPECT_EQ(holder->Hold(), kStoreOk) << "closing releases the holds";
  EXPECT_EQ(OnOtherThread([](RecordFile& file) { return file.GetByPosition(3); }), kRecordHeld);
  holder->Close();
  EXPECT_EQ(OnOtherThread([](RecordFile& file) { return file.GetByPosition(3); }), kStoreOk);
}

TEST_P(StoreShare, SharingModesOfOpenersExcludeEachOther) {
  auto normal = Make();
  auto batch = Make();
  auto third = Make();
  ASSERT_EQ(normal->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(batch->Open(kOpenBatch), kAccessDenied) << "deny-write while another writes";
  ASSERT_EQ(batch->Open(kOpenFallback), kStoreOk) << "the read-only fallback";
  batch->Close();
  normal->Close();

  ASSERT_EQ(batch->Open(kOpenBatch), kStoreOk);
  EXPECT_EQ(normal->Open(kOpenNormal), kAccessDenied) << "write access while another denies write";
  EXPECT_EQ(std::async(std::launch::async, [this] { return Make()->Open(kOpenNormal); }).get(),
            kAccessDenied);
  ASSERT_EQ(normal->Open(kOpenFallback), kStoreOk);
  EXPECT_EQ(third->Open(kReadOnly | kDenyAll), kAccessDenied);
  normal->Close();
  batch->Close();

  ASSERT_EQ(third->Open(kReadWrite | kDenyAll), kStoreOk);
  EXPECT_EQ(normal->Open(kOpenFallback), kAccessDenied) << "deny-all refuses even readers";
  third->Close();
  ASSERT_EQ(third->Open(kReadWrite | kDenyRead), kStoreOk);
  EXPECT_EQ(normal->Open(kOpenFallback), kAccessDenied);
  EXPECT_EQ(normal->Open(kWriteOnly | kDenyNone), kStoreOk) << "deny-read lets writers in";
  EXPECT_EQ(normal->Next(), kAccessDenied) << "a write-only opener does not read";
}

VORNEL_STORE_TESTS(StoreShare);

}  // namespace
}  // namespace vornel::data
