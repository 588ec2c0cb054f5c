#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::data {
namespace {

using namespace test_files;
namespace fs = std::filesystem;

unsigned Mode(const fs::path& file) {
  struct stat status {};
  return ::stat(file.c_str(), &status) == 0 ? (status.st_mode & 0777) : 0xFFFF;
}

class StoreFile : public test::StoreTest {
 protected:
  test::TempDir dir_;
};

TEST_P(StoreFile, CreateOpenExistsCloseAndPrivateModes) {
  auto file = store().MakeFile(kPatientFile, dir_.path());
  EXPECT_FALSE(file->Exists());
  EXPECT_EQ(file->Open(kOpenNormal), kFileNotFound);
  EXPECT_EQ(platform::LastRuntimeError().code, kFileNotFound);
  EXPECT_EQ(platform::LastRuntimeError().text, "File Not Found");
  EXPECT_FALSE(fs::exists(dir_ / "records.db")) << "looking for a file must not make a database";

  ASSERT_EQ(file->Create(), kStoreOk);
  EXPECT_TRUE(file->Exists());
  EXPECT_EQ(file->Create(), kStoreOk) << "creating an existing file changes nothing";
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  EXPECT_TRUE(file->IsOpen());
  EXPECT_FALSE(file->IsReadOnly());
  EXPECT_EQ(file->Open(kOpenNormal), kFileAlreadyOpen);
  EXPECT_EQ(file->Records(), 0);
  SetPatient(*file, 1, "Adams");
  ASSERT_EQ(file->Add(), kStoreOk);
  EXPECT_EQ(file->Records(), 1);
  EXPECT_EQ(file->Close(), kStoreOk);
  EXPECT_FALSE(file->IsOpen());
  EXPECT_EQ(file->Records(), -1);
  EXPECT_EQ(platform::LastRuntimeError().code, kFileNotOpen);

  // Another file of the same directory is another table of the same database.
  auto notes = store().MakeFile(kNoteFile, dir_.path());
  EXPECT_FALSE(notes->Exists());
  EXPECT_EQ(notes->Open(kOpenNormal), kFileNotFound) << "the database is there, the table is not";
  ASSERT_EQ(notes->Create(), kStoreOk);
  EXPECT_TRUE(notes->Exists());

  // The server store keeps nothing in the directory, and needs none.
  if (on_server()) return;
  // Client data: nothing the store makes is readable by others.
  for (const char* name : {"records.db", "records.lock", "records.db-journal"}) {
    if (fs::exists(dir_ / name)) {
      EXPECT_EQ(Mode(dir_ / name) & ~0640u, 0u) << name;
    }
  }
  EXPECT_TRUE(fs::exists(dir_ / "records.lock"));

  auto elsewhere = store().MakeFile(kPatientFile, dir_ / "missing");
  EXPECT_EQ(elsewhere->Create(), kFileNotFound);
  EXPECT_EQ(elsewhere->Open(kOpenNormal), kFileNotFound);
}

TEST_P(StoreFile, CallsOnAClosedOrReadOnlyFileAreRefused) {
  auto file = store().MakeFile(kPatientFile, dir_.path());
  ASSERT_EQ(file->Create(), kStoreOk);
  EXPECT_EQ(file->Next(), kFileNotOpen);
  EXPECT_EQ(file->Add(), kFileNotOpen);
  EXPECT_EQ(file->SetOrder(nullptr), kFileNotOpen);
  EXPECT_EQ(file->Hold(), kFileNotOpen);
  EXPECT_EQ(file->Close(), kStoreOk) << "closing a closed file is harmless";

  ASSERT_EQ(file->Open(kOpenFallback), kStoreOk);
  EXPECT_TRUE(file->IsReadOnly());
  SetPatient(*file, 1, "Adams");
  EXPECT_EQ(file->Add(), kAccessDenied);
  EXPECT_EQ(file->Stream(), kAccessDenied);
  EXPECT_EQ(file->Next(), kRecordNotAvailable);
  EXPECT_EQ(file->Put(), kAccessDenied);
  EXPECT_EQ(file->Reget(), kRecordNotAvailable);
}

TEST_P(StoreFile, DriverCommands) {
  auto file = store().MakeFile(kPatientFile, dir_.path());
  ASSERT_EQ(file->Create(), kStoreOk);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(file->SendCommand("QUICKSCAN=on"), kStoreOk);
  EXPECT_EQ(file->SendCommand("quickscan = OFF"), kStoreOk);
  EXPECT_EQ(file->SendCommand("Recover=10"), kStoreOk);
  EXPECT_EQ(file->SendCommand("QUICKSCAN=maybe"), kDriverError);
  EXPECT_EQ(file->SendCommand("Recover=soon"), kDriverError);
  EXPECT_EQ(file->SendCommand("FULLBUILD=1"), kDriverError);
  EXPECT_EQ(platform::LastRuntimeError().code, kDriverError);
  EXPECT_EQ(file->SendCommand("nonsense"), kDriverError);
}

TEST_P(StoreFile, RemoveDropsTheFileOnlyWhenNobodyHasItOpen) {
  auto file = store().MakeFile(kPatientFile, dir_.path());
  auto other = store().MakeFile(kPatientFile, dir_.path());
  EXPECT_EQ(file->Remove(), kFileNotFound);
  ASSERT_EQ(file->Create(), kStoreOk);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(file->Remove(), kFileAlreadyOpen);
  EXPECT_EQ(other->Remove(), kAccessDenied);
  file->Close();
  EXPECT_EQ(other->Remove(), kStoreOk);
  EXPECT_FALSE(file->Exists());
  EXPECT_EQ(file->Open(kOpenNormal), kFileNotFound);
}

TEST_P(StoreFile, DamagedOrChangedKeysAnswerInvalidKeyFileUntilRebuilt) {
  auto file = store().MakeFile(kPatientFile, dir_.path());
  ASSERT_EQ(file->Create(), kStoreOk);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  for (int code = 1; code <= 5; ++code) {
    SetPatient(*file, code, "Name" + std::to_string(6 - code));
    ASSERT_EQ(file->Add(), kStoreOk);
  }
  file->Close();

  test::RawStoreSql(GetParam(), dir_.path(), "DROP INDEX $S.\"Patient.NAME_KEY\"");
  EXPECT_EQ(file->Open(kOpenNormal), kInvalidKeyFile);
  EXPECT_EQ(file->BuildKeys(), kStoreOk);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  ASSERT_EQ(file->SetOrder(&kNameKey), kStoreOk);
  ASSERT_EQ(file->Next(), kStoreOk);
  EXPECT_EQ(+file->record<PatientRecord>().code, 5);
  file->Close();

  // An index made from another definition of the key (here: not unique).
  test::RawStoreSql(GetParam(), dir_.path(),
                    "DROP INDEX $S.\"Patient.CODE_KEY\"; CREATE INDEX \"Patient.CODE_KEY\" ON $S.\"Patient\" "
                    "(\"CODE\")");
  EXPECT_EQ(file->Open(kOpenNormal), kInvalidKeyFile);
  // Rows that break a unique key cannot be rebuilt into it.
  test::RawStoreSql(GetParam(), dir_.path(), "INSERT INTO $S.\"Patient\" (\"CODE\",\"NAME\") VALUES (1,'Twin')");
  EXPECT_EQ(file->BuildKeys(), kDuplicateKey);
  test::RawStoreSql(GetParam(), dir_.path(), "DELETE FROM $S.\"Patient\" WHERE \"NAME\"='Twin'");
  EXPECT_EQ(file->BuildKeys(), kStoreOk);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  SetPatient(*file, 3, "Again");
  EXPECT_EQ(file->Add(), kDuplicateKey);
}

VORNEL_STORE_TESTS(StoreFile);

}  // namespace
}  // namespace vornel::data
