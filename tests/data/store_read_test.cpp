#include <gtest/gtest.h>
#include <sqlite3.h>

#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::data {
namespace {

using namespace test_files;

class StoreRead : public test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    file_ = store().MakeFile(kPatientFile, dir_.path());
    ASSERT_EQ(file_->Create(), kStoreOk);
    ASSERT_EQ(file_->Open(kOpenNormal), kStoreOk);
    const char* names[] = {"Adams", "Baker", "baker", "Cole", "Dunn", "Evans"};
    for (int i = 0; i < 6; ++i) {
      SetPatient(*file_, 10 + i, names[i], "Ann", 30000 + i, 360001, i * 1.5);
      ASSERT_EQ(file_->Add(), kStoreOk);
    }
  }
  PatientRecord& record() { return file_->record<PatientRecord>(); }
  std::string_view Name() { return Text(record().name, sizeof record().name); }

  test::TempDir dir_;
  std::unique_ptr<RecordFile> file_;
};

TEST_P(StoreRead, GetByKeyMatchesExactlyAndLeavesTheBufferWhenMissing) {
  file_->ClearBuffer();
  record().code = 13;
  ASSERT_EQ(file_->GetByKey(kCodeKey), kStoreOk);
  EXPECT_EQ(Name(), "Cole");
  EXPECT_EQ(file_->Position(), 4);

  // Text without trailing blanks, and without case where the key says so;
  // with duplicates the first in record order.
  SetPatient(*file_, 0, "BAKER   ", "ann");
  ASSERT_EQ(file_->GetByKey(kNameKey), kStoreOk);
  EXPECT_EQ(Name(), "Baker");
  EXPECT_EQ(file_->Position(), 2);

  SetPatient(*file_, 0, "Bake", "Ann");
  EXPECT_EQ(file_->GetByKey(kNameKey), kRecordNotAvailable);
  EXPECT_EQ(platform::LastRuntimeError().code, kRecordNotAvailable);
  EXPECT_EQ(Name(), "Bake") << "a failed read leaves the buffer alone";
  EXPECT_EQ(file_->Position(), 2) << "and the current record";

  // Case counts in a key without the flag.
  SetPatient(*file_, 0, "baker", "Ann", 0, 0, 3);
  ASSERT_EQ(file_->GetByKey(kNameBalanceKey), kStoreOk);
  EXPECT_EQ(file_->Position(), 3);
  SetPatient(*file_, 0, "BAKER", "Ann", 0, 0, 3);
  EXPECT_EQ(file_->GetByKey(kNameBalanceKey), kRecordNotAvailable);

  // Direct reads leave the sequential position alone.
  ASSERT_EQ(file_->SetOrder(&kCodeKey), kStoreOk);
  ASSERT_EQ(file_->Next(), kStoreOk);
  record().code = 15;
  ASSERT_EQ(file_->GetByKey(kCodeKey), kStoreOk);
  ASSERT_EQ(file_->Next(), kStoreOk);
  EXPECT_EQ(record().code, 11);
}

TEST_P(StoreRead, PositionsRegetAndDeletedRecords) {
  ASSERT_EQ(file_->GetByPosition(5), kStoreOk);
  EXPECT_EQ(Name(), "Dunn");
  EXPECT_EQ(file_->Position(), 5);
  SetPatient(*file_, 0, "scribble");
  ASSERT_EQ(file_->Reget(), kStoreOk);
  EXPECT_EQ(Name(), "Dunn");
  ASSERT_EQ(file_->Delete(), kStoreOk);
  EXPECT_EQ(file_->Position(), 0);
  EXPECT_EQ(file_->Reget(), kRecordNotAvailable);
  EXPECT_EQ(file_->Put(), kRecordNotAvailable);
  EXPECT_EQ(file_->GetByPosition(5), kRecordNotAvailable);
  EXPECT_EQ(file_->GetByPosition(0), kRecordNotAvailable);
  // Positions are never used again, so a stale one cannot find a stranger.
  SetPatient(*file_, 20, "Fox");
  ASSERT_EQ(file_->Add(), kStoreOk);
  EXPECT_EQ(file_->Position(), 7);
  EXPECT_EQ(file_->Records(), 6);

  // Put rewrites the current record in place.
  ASSERT_EQ(file_->GetByPosition(1), kStoreOk);
  SetText(record().name, sizeof record().name, "Addams");
  ASSERT_EQ(file_->Put(), kStoreOk);
  file_->ClearBuffer();
  ASSERT_EQ(file_->GetByPosition(1), kStoreOk);
  EXPECT_EQ(Name(), "Addams");
  EXPECT_EQ(record().code, 10);
}

TEST_P(StoreRead, PositionStringsOfEveryKindOfFile) {
  // With a primary key: its value.
  ASSERT_EQ(file_->GetByPosition(3), kStoreOk);
  EXPECT_EQ(file_->PositionString(), "12");
  SetPatient(*file_, 99, "changed in the buffer only");
  EXPECT_EQ(file_->PositionString(), "12") << "the string names the record read, not the buffer";
  ASSERT_EQ(file_->GetByPositionString("14"), kStoreOk);
  EXPECT_EQ(Name(), "Dunn");
  EXPECT_EQ(file_->GetByPositionString("99"), kRecordNotAvailable);
  EXPECT_EQ(file_->GetByPositionString("x"), kDriverError);
  EXPECT_EQ(file_->GetByPositionString("1|2"), kDriverError);
  EXPECT_EQ(file_->GetByPositionString("70000"), kDriverError) << "too big for an int16";
  ASSERT_EQ(file_->SetOrder(&kNameKey), kStoreOk);
  ASSERT_EQ(file_->SetByPositionString("12"), kStoreOk);
  ASSERT_EQ(file_->Next(), kStoreOk);
  EXPECT_EQ(record().code, 12);
  ASSERT_EQ(file_->Next(), kStoreOk);
  EXPECT_EQ(record().code, 13) << "and reading goes on in the current order";

  // A text primary key, with the separator and the escape in it.
  auto staff = store().MakeFile(kStaffFile, dir_.path());
  ASSERT_EQ(staff->Create(), kStoreOk);
  ASSERT_EQ(staff->Open(kOpenNormal), kStoreOk);
  SetStaff(*staff, "a|b\\", "Odd", 1);
  ASSERT_EQ(staff->Add(), kStoreOk);
  SetStaff(*staff, "zz", "Plain", 2);
  ASSERT_EQ(staff->Add(), kStoreOk);
  ASSERT_EQ(staff->GetByPosition(1), kStoreOk);
  const std::string odd = staff->PositionString();
  EXPECT_EQ(odd, "a\\|b\\\\");
  ASSERT_EQ(staff->GetByPosition(2), kStoreOk);
  ASSERT_EQ(staff->GetByPositionString(odd), kStoreOk);
  EXPECT_EQ(Text(staff->record<StaffRecord>().name, 20), "Odd");
  EXPECT_EQ(staff->GetByPositionString("toolong"), kDriverError);

  // Without keys: the record's position.
  auto notes = store().MakeFile(kNoteFile, dir_.path());
  ASSERT_EQ(notes->Create(), kStoreOk);
  ASSERT_EQ(notes->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(notes->PositionString(), "");
  for (int i = 1; i <= 3; ++i) {
    SetNote(*notes, "note", i);
    ASSERT_EQ(notes->Add(), kStoreOk);
  }
  EXPECT_EQ(notes->PositionString(), "3");
  ASSERT_EQ(notes->GetByPositionString("2"), kStoreOk);
  EXPECT_EQ(+notes->record<NoteRecord>().amount, 2);
  ASSERT_EQ(notes->SetByPositionString("2"), kStoreOk);
  ASSERT_EQ(notes->Previous(), kStoreOk);
  EXPECT_EQ(+notes->record<NoteRecord>().amount, 1);
  EXPECT_EQ(notes->GetByPositionString("0"), kDriverError);
}

TEST_P(StoreRead, RestoredStateContinuesWhereReadingWas) {
  file_->SetReadAhead(2);
  ASSERT_EQ(file_->SetOrder(&kNameKey), kStoreOk);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(file_->Next(), kStoreOk);
  const RecordPosition third = file_->Position();
  FileState state = file_->SaveState();
  EXPECT_TRUE(state.valid);
  EXPECT_EQ(state.order, &kNameKey);
  EXPECT_EQ(state.position, file_->PositionString());
  EXPECT_FALSE(state.at_start);

  // An inner procedure reads elsewhere in another order and deletes the
  // record the outer one stood on.
  ASSERT_EQ(file_->SetOrderEnd(&kBalanceKey), kStoreOk);
  ASSERT_EQ(file_->Previous(), kStoreOk);
  ASSERT_EQ(file_->GetByPosition(third), kStoreOk);
  ASSERT_EQ(file_->Delete(), kStoreOk);
  ASSERT_EQ(file_->GetByPosition(6), kStoreOk);

  ASSERT_EQ(file_->RestoreState(state), kStoreOk);
  EXPECT_EQ(file_->Position(), third);
  ASSERT_EQ(file_->Next(), kStoreOk);
  EXPECT_EQ(Name(), "Cole");
  ASSERT_EQ(file_->RestoreState(state), kStoreOk);
  ASSERT_EQ(file_->Previous(), kStoreOk);
  EXPECT_EQ(Name(), "Baker");

  EXPECT_EQ(file_->RestoreState(FileState{}), kDriverError);
  file_->Close();
  EXPECT_FALSE(file_->SaveState().valid);
}

TEST_P(StoreRead, ValuesThatDoNotFitTheirFieldAreAnErrorNotCut) {
  file_->Close();
  test::RawStoreSql(GetParam(), dir_.path(),
                    "UPDATE $S.\"Patient\" SET \"NAME\"='a name far longer than twenty' WHERE \"CODE\"=11");
  // The server's typed columns refuse a number out of the field's range.
  if (!on_server()) test::RawStoreSql(GetParam(), dir_.path(), "UPDATE \"Patient\" SET \"CODE\"=40000 WHERE \"CODE\"=12");
  ASSERT_EQ(file_->Open(kOpenNormal), kStoreOk);
  EXPECT_EQ(file_->GetByPosition(2), kDriverError);
  EXPECT_NE(platform::LastRuntimeError().file_error_text.find("PAT:NAME"), std::string::npos);
  if (!on_server()) {
    EXPECT_EQ(file_->GetByPosition(3), kDriverError);
  }
  ASSERT_EQ(file_->GetByPosition(1), kStoreOk);
}

VORNEL_STORE_TESTS(StoreRead);

}  // namespace
}  // namespace vornel::data
