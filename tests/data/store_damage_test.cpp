#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "data/store/record_store.h"
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
  test::TempDir dir_;
  std::unique_ptr<RecordStore> store_ = MakeSqliteStore();
};

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
