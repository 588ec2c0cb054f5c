#include <errno.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <vector>

#include "data/store/record_store.h"
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"

namespace vornel::data {
namespace {

using namespace test_files;
namespace fs = std::filesystem;

class StoreDamage : public ::testing::Test {
 protected:
  // The last failure: its answer, SQLite's code and the text.
  void ExpectDamage(int answer, const char* code, const std::string& words) {
    const platform::RuntimeError& error = platform::LastRuntimeError();
    EXPECT_EQ(answer, kDriverError);
    EXPECT_EQ(error.file_error_code, code);
    EXPECT_NE(error.file_error_text.find(words), std::string::npos) << error.file_error_text;
    EXPECT_NE(error.file_error_text.find((dir_ / "records.db").string()), std::string::npos)
        << "the text names the database: " << error.file_error_text;
  }

  test::TempDir dir_;
  std::unique_ptr<RecordStore> store_ = MakeSqliteStore();
};

TEST_F(StoreDamage, ATableThatLostAColumnIsRefusedNotReadWithItsName) {
  auto file = store_->MakeFile(kPatientFile, dir_.path());
  ASSERT_EQ(file->Create(), kStoreOk);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  SetPatient(*file, 1, "Ames", "Ann");
  ASSERT_EQ(file->Add(), kStoreOk);
  ASSERT_EQ(file->Close(), kStoreOk);
  RawSql(dir_.path(), "DROP INDEX \"Patient.NAME_KEY\"; ALTER TABLE \"Patient\" DROP COLUMN \"FIRST\"");
  const std::string before = test::ReadFile(dir_ / "records.db");

  ExpectDamage(file->Open(kOpenNormal), "11", "has no column FIRST");
  // A rebuild would index the missing column as a constant; it makes nothing.
  ExpectDamage(file->BuildKeys(), "11", "has no column FIRST");
  ExpectDamage(file->Create(), "11", "has no column FIRST");
  EXPECT_EQ(test::ReadFile(dir_ / "records.db"), before);

  // An unknown double-quoted name is an error on the store's connection, never
  // a text constant.
  auto staff = store_->MakeFile(kStaffFile, dir_.path());
  ASSERT_EQ(staff->Create(), kStoreOk);
  ASSERT_EQ(staff->Open(kOpenNormal), kStoreOk);
  sqlite3_stmt* stmt = nullptr;
  EXPECT_NE(sqlite3_prepare_v2(SqliteConnection::OfThisThread()->db(),
                               "SELECT \"FIRST\" FROM \"Patient\"", -1, &stmt, nullptr),
            SQLITE_OK);
  sqlite3_finalize(stmt);
}

TEST_F(StoreDamage, ATableOfAnotherShapeIsLeftExactlyAsItWas) {
  auto staff = store_->MakeFile(kStaffFile, dir_.path());
  ASSERT_EQ(staff->Create(), kStoreOk);  // the database is ours
  RawSql(dir_.path(),
         "CREATE TABLE \"Patient\" (\"CODE\" INTEGER, \"LABEL\" TEXT);"
         "INSERT INTO \"Patient\" VALUES (1, 'theirs')");
  const std::string before = test::ReadFile(dir_ / "records.db");
  auto file = store_->MakeFile(kPatientFile, dir_.path());
  ExpectDamage(file->Open(kOpenNormal), "11", "has no column NAME");
  ExpectDamage(file->BuildKeys(), "11", "has no column NAME");
  ExpectDamage(file->Create(), "11", "has no column NAME");
  ExpectDamage(file->Remove(), "11", "has no column NAME");
  EXPECT_EQ(test::ReadFile(dir_ / "records.db"), before);

  // Every field there, and one more: still not this file.
  RawSql(dir_.path(),
         "DROP TABLE \"Patient\"; CREATE TABLE \"Patient\" (\"~pos\" INTEGER PRIMARY KEY,"
         "\"CODE\",\"NAME\",\"FIRST\",\"BIRTH\",\"SEEN\",\"BALANCE\",\"FLAG\",\"~rev\",\"NOTE\")");
  ExpectDamage(file->Open(kOpenNormal), "11", "has a column NOTE");
}

TEST_F(StoreDamage, ADatabaseOfAnotherProgramIsRefusedAndLeftAsItWas) {
  RawSql(dir_.path(), "CREATE TABLE things (x); INSERT INTO things VALUES (1)");
  std::string before = test::ReadFile(dir_ / "records.db");
  auto file = store_->MakeFile(kPatientFile, dir_.path());
  EXPECT_FALSE(file->Exists());
  ExpectDamage(file->Open(kOpenNormal), "26", "database of another program");
  ExpectDamage(file->Create(), "26", "database of another program");
  EXPECT_EQ(test::ReadFile(dir_ / "records.db"), before);

  RawSql(dir_.path(), "DROP TABLE things; PRAGMA application_id=12345");
  before = test::ReadFile(dir_ / "records.db");
  ExpectDamage(file->Create(), "26", "application id 12345");
  EXPECT_EQ(test::ReadFile(dir_ / "records.db"), before);
}

TEST_F(StoreDamage, AnEmptyDatabaseFileIsDamagedNotNew) {
  test::WriteFile(dir_ / "records.db", "");
  auto file = store_->MakeFile(kPatientFile, dir_.path());
  ExpectDamage(file->Create(), "26", "is empty (0 bytes)");
  ExpectDamage(file->Open(kOpenNormal), "26", "is empty (0 bytes)");
  EXPECT_EQ(fs::file_size(dir_ / "records.db"), 0u) << "never made anew";

  // A database the store makes is never seen empty, even for a moment.
  fs::remove(dir_ / "records.db");
  ASSERT_EQ(file->Create(), kStoreOk);
  EXPECT_GT(fs::file_size(dir_ / "records.db"), 0u);
  for (const auto& entry : fs::directory_iterator(dir_.path()))
    EXPECT_EQ(entry.path().filename(), "records.db") << "nothing is left of the making";
}

TEST_F(StoreDamage, DiskFailuresAreSaidInWordsNamingTheFile) {
  EXPECT_EQ(FileFailureWords(SQLITE_FULL, 0, "/r/records.db"),
            "The disk is full: cannot write /r/records.db");
  EXPECT_EQ(FileFailureWords(SQLITE_IOERR_WRITE, ENOSPC, "/r/records.db"),
            "The disk is full: cannot write /r/records.db");
  EXPECT_EQ(FileFailureWords(SQLITE_IOERR_FSYNC, EDQUOT, "/r/records.db"),
            "The disk quota is used up: cannot write /r/records.db");
  EXPECT_EQ(FileFailureWords(SQLITE_IOERR_READ, EIO, "/r/records.db"),
            "The disk could not be read (Input/output error): cannot read /r/records.db");
  EXPECT_EQ(FileFailureWords(SQLITE_CONSTRAINT_UNIQUE, 0, "/r/records.db"), "");
}

TEST_F(StoreDamage, AForeignFileAsDatabaseGivesSQLitesAnswer) {
  std::mt19937 random(3);
  std::string junk(8192, '\0');
  for (char& c : junk) c = static_cast<char>(random());
  test::WriteFile(dir_ / "records.db", junk);
  auto file = store_->MakeFile(kPatientFile, dir_.path());
  EXPECT_FALSE(file->Exists());
  EXPECT_EQ(file->Open(kOpenNormal), kDriverError);
  const platform::RuntimeError& error = platform::LastRuntimeError();
  EXPECT_EQ(error.code, kDriverError);
  EXPECT_EQ(error.file_error_code, "26");
  EXPECT_NE(error.file_error_text.find("not a database"), std::string::npos)
      << error.file_error_text;
  EXPECT_EQ(file->Create(), kDriverError);
  EXPECT_EQ(file->BuildKeys(), kDriverError);
  EXPECT_EQ(test::ReadFile(dir_ / "records.db"), junk) << "a foreign file is left as it was";

  // A good database in another directory is not disturbed by it.
  fs::create_directory(dir_ / "good");
  auto good = store_->MakeFile(kPatientFile, dir_ / "good");
  ASSERT_EQ(good->Create(), kStoreOk);
  ASSERT_EQ(good->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(file->Open(kOpenNormal), kDriverError) << "nor does it attach next to a good one";
  SetPatient(*good, 1, "Fine");
  EXPECT_EQ(good->Add(), kStoreOk);
}

TEST_F(StoreDamage, ATruncatedDatabaseAnswersInsteadOfCrashing) {
  {
    auto file = store_->MakeFile(kPatientFile, dir_.path());
    ASSERT_EQ(file->Create(), kStoreOk);
    ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
    ASSERT_EQ(file->Stream(), kStoreOk);
    for (int code = 1; code <= 3000; ++code) {
      SetPatient(*file, code, "Patient number " + std::to_string(code), "First", 30000 + code % 97,
                 code, code * 0.25);
      ASSERT_EQ(file->Add(), kStoreOk);
    }
    ASSERT_EQ(file->Close(), kStoreOk);
  }
  const std::string intact = test::ReadFile(dir_ / "records.db");
  // Cut short (SQLite refuses such a file at once), or with pages in the
  // middle overwritten (found only when a read gets there).
  std::vector<std::string> damaged = {intact.substr(0, intact.size() * 9 / 10),
                                      intact.substr(0, intact.size() / 5)};
  std::mt19937 random(5);
  for (std::size_t at : {intact.size() / 2, intact.size() / 3, intact.size() * 3 / 4}) {
    std::string copy = intact;
    for (std::size_t i = at; i < at + 6000 && i < copy.size(); ++i)
      copy[i] = static_cast<char>(random());
    damaged.push_back(copy);
  }
  int opened = 0;
  for (const std::string& content : damaged) {
    test::WriteFile(dir_ / "records.db", content);
    auto file = store_->MakeFile(kPatientFile, dir_.path());
    int answer = file->Open(kOpenNormal);
    if (answer != kStoreOk) {
      EXPECT_TRUE(answer == kDriverError || answer == kInvalidKeyFile) << answer;
      EXPECT_FALSE(platform::LastRuntimeError().file_error_text.empty());
      continue;
    }
    ++opened;
    // Some reads may still work; a failure is a clear answer.
    for (const KeyDef* key : {static_cast<const KeyDef*>(nullptr), &kNameKey, &kVisitKey}) {
      ASSERT_EQ(file->SetOrder(key), kStoreOk);
      int read = 0;
      while ((answer = file->Next()) == kStoreOk) ++read;
      EXPECT_TRUE(answer == kDriverError || answer == kInvalidKeyFile ||
                  answer == kRecordNotAvailable)
          << answer;
      EXPECT_LE(read, 3000);
    }
    for (int code : {1, 1500, 2999}) {
      SetPatient(*file, code, "");
      answer = file->GetByKey(kCodeKey);
      EXPECT_TRUE(answer == kStoreOk || answer == kDriverError || answer == kInvalidKeyFile ||
                  answer == kRecordNotAvailable)
          << answer;
    }
    SetPatient(*file, 5000, "New");
    answer = file->Add();
    EXPECT_TRUE(answer == kStoreOk || answer == kDriverError || answer == kInvalidKeyFile)
        << answer;
  }
  EXPECT_GT(opened, 0) << "damage in the middle is found by reads, not by the open";
}

}  // namespace
}  // namespace vornel::data
