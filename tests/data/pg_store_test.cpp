// What only the server store has to answer: a server that goes away in the
// middle of work, tables of another program in its schemas, a database of
// another store version, and what it keeps for the agency's own tools.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "data/store/pg_connection.h"
#include "data/store/pg_store.h"
#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"
#include "tests/data/store_test_files.h"
#include "tests/support/pg_cluster_suite.h"
#include "tests/support/temp_dir.h"

namespace vornel::data {
namespace {

using namespace test_files;
using ::testing::HasSubstr;

const platform::RuntimeError& Last() { return platform::LastRuntimeError(); }

// One server for the suite; the root is the test's directory, so that the
// schemas are named as in an agency's database ("DEPT1", "DEPT1/ARCS").
class PgStoreTest : public test::PgClusterSuite {
 protected:
  void SetUp() override {
    PgClusterSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    admin_ = PgConnection::Connect(cluster_->address());
    ASSERT_TRUE(admin_);
    // Each test starts from an empty database.
    for (const char* schema : {"DEPT1", "DEPT1/ARCS", "vornel_store"}) {
      ASSERT_EQ(admin_->Execute(std::string("DROP SCHEMA IF EXISTS \"") + schema + "\" CASCADE"), kStoreOk);
    }
    store_ = MakePgStore(cluster_->address(), dir_.path());
  }
  std::unique_ptr<RecordFile> Patients() { return store_->MakeFile(kPatientFile, dir_ / "DEPT1"); }
  std::unique_ptr<RecordFile> Notes() { return store_->MakeFile(kNoteFile, dir_ / "DEPT1" / "ARCS"); }
  std::string Sql(const std::string& sql) {
    PgResult result;
    EXPECT_EQ(admin_->Execute(sql, {}, &result), kStoreOk) << Last().file_error_text;
    return result.rows() > 0 ? std::string(result.Text(0, 0)) : "";
  }

  test::TempDir dir_;
  std::unique_ptr<PgConnection> admin_;
  std::unique_ptr<RecordStore> store_;
};

TEST_F(PgStoreTest, RecordsAreTypedRowsOfTheDirectorysSchema) {
  auto file = Patients();
  ASSERT_EQ(file->Create(), kStoreOk);
  ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  SetPatient(*file, 7, "O'Hara; DROP TABLE x", "Zoë", 45000, 360000, -12.25);
  ASSERT_EQ(file->Add(), kStoreOk);
  EXPECT_EQ(Sql("SELECT \"NAME\" || '|' || \"FIRST\" || '|' || \"BALANCE\" FROM \"DEPT1\".\"Patient\""),
            "O'Hara; DROP TABLE x|Zoë|-12.25");
  EXPECT_EQ(Sql("SELECT data_type FROM information_schema.columns WHERE table_schema='DEPT1' AND "
                "column_name='CODE'"),
            "smallint");
  // A NUL in a text field is refused, not cut at it.
  auto& record = file->record<PatientRecord>();
  record.first[2] = '\0';
  record.first[3] = 'x';
  EXPECT_EQ(file->Put(), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("NUL"));
  ASSERT_EQ(file->Reget(), kStoreOk);
  EXPECT_EQ(Text(record.first, sizeof record.first), "Zoë");

  // Positions are never used again, not even after the last record went.
  ASSERT_EQ(file->Delete(), kStoreOk);
  SetPatient(*file, 8, "Next");
  ASSERT_EQ(file->Add(), kStoreOk);
  EXPECT_EQ(file->Position(), 2);
}

TEST_F(PgStoreTest, TablesOfAnotherShapeAreRefusedAndLeftAsTheyWere) {
  ASSERT_EQ(Notes()->Create(), kStoreOk);  // the store's schema and a directory's exist
  Sql("CREATE SCHEMA \"DEPT1\"");
  Sql("CREATE TABLE \"DEPT1\".\"Patient\" (\"CODE\" integer, \"LABEL\" text)");
  Sql("INSERT INTO \"DEPT1\".\"Patient\" VALUES (1, 'theirs')");
  auto file = Patients();
  for (int answer : {file->Open(kOpenNormal), file->BuildKeys(), file->Create(), file->Remove()}) {
    EXPECT_EQ(answer, kDriverError);
    EXPECT_EQ(Last().file_error_code, "11");
    EXPECT_THAT(Last().file_error_text, HasSubstr("has no column NAME"));
    EXPECT_THAT(Last().file_error_text, HasSubstr("schema DEPT1 of the database vornel_test"));
  }
  EXPECT_EQ(Sql("SELECT \"LABEL\" FROM \"DEPT1\".\"Patient\""), "theirs");
  EXPECT_EQ(Sql("SELECT count(*) FROM pg_indexes WHERE schemaname='DEPT1'"), "0");
}

TEST_F(PgStoreTest, ADatabaseOfAnotherStoreVersionSaysWhatToDo) {
  ASSERT_EQ(Patients()->Create(), kStoreOk);
  Sql("UPDATE \"vornel_store\".\"version\" SET version = 0");
  auto file = Patients();
  EXPECT_EQ(file->Open(kOpenNormal), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("store version 0"));
  EXPECT_THAT(Last().file_error_text, HasSubstr("vornel-store copy"));
}

TEST_F(PgStoreTest, AServerThatGoesAwayUndoesTheTransactionAndWorkGoesOnWhenItIsBack) {
  auto patients = Patients();
  auto notes = Notes();
  for (RecordFile* file : {patients.get(), notes.get()}) {
    ASSERT_EQ(file->Create(), kStoreOk);
    ASSERT_EQ(file->Open(kOpenNormal), kStoreOk);
  }
  SetPatient(*patients, 1, "Before");
  ASSERT_EQ(patients->Add(), kStoreOk);
  ASSERT_EQ(patients->Hold(), kStoreOk);

  RecordFile* both[] = {patients.get(), notes.get()};
  ASSERT_EQ(store_->BeginTransaction(both, 5), kStoreOk);
  SetPatient(*patients, 2, "Inside");
  ASSERT_EQ(patients->Add(), kStoreOk);
  ASSERT_TRUE(cluster_->Stop()) << cluster_->reason();
  SetNote(*notes, "inside", 2);
  EXPECT_EQ(notes->Add(), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("was lost"));
  ASSERT_TRUE(cluster_->Start()) << cluster_->reason();
  // Until the transaction is ended nothing runs outside it.
  SetNote(*notes, "after the loss", 3);
  EXPECT_EQ(notes->Add(), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("undone"));
  EXPECT_NE(store_->Commit(), kStoreOk) << "a lost transaction never commits";
  EXPECT_EQ(store_->Rollback(), kStoreOk);

  // The server is back: reading and writing go on without reopening.
  EXPECT_EQ(patients->Records(), 1);
  EXPECT_EQ(notes->Records(), 0);
  SetPatient(*patients, 3, "After");
  EXPECT_EQ(patients->Add(), kStoreOk);
  EXPECT_EQ(patients->GetByPosition(1), kStoreOk);
  EXPECT_EQ(patients->Hold(), kStoreOk);
  admin_ = PgConnection::Connect(cluster_->address());
  ASSERT_TRUE(admin_);
  EXPECT_EQ(Sql("SELECT count(*) FROM \"DEPT1\".\"Patient\""), "2");
}

TEST_F(PgStoreTest, LocksAreTakenAgainAfterARestartUnlessAnotherStationTookThem) {
  auto patients = Patients();
  ASSERT_EQ(patients->Create(), kStoreOk);
  ASSERT_EQ(patients->Open(kOpenNormal), kStoreOk);
  SetPatient(*patients, 1, "Held");
  ASSERT_EQ(patients->Add(), kStoreOk);
  ASSERT_EQ(patients->Hold(), kStoreOk);
  const std::string key = "('\"DEPT1\".\"Patient\"'::regclass::oid::bigint::int4, ";

  ASSERT_TRUE(cluster_->Stop() && cluster_->Start()) << cluster_->reason();
  SetPatient(*patients, 2, "After one restart");
  EXPECT_EQ(patients->Add(), kStoreOk);
  EXPECT_EQ(Sql("SELECT pg_try_advisory_lock" + key + "1)"), "f") << "the hold is taken again";
  EXPECT_EQ(Sql("SELECT pg_try_advisory_lock" + key + "-2)"), "f") << "and the sharing mode";

  // Another station takes the file for a batch (deny-write) before this
  // one takes its locks again: this one writes no more until it reopens.
  ASSERT_TRUE(cluster_->Stop() && cluster_->Start()) << cluster_->reason();
  auto batch = PgConnection::Connect(cluster_->address());
  ASSERT_TRUE(batch);
  ASSERT_EQ(batch->Execute("SELECT pg_advisory_lock" + key + "-2)"), kStoreOk);
  SetPatient(*patients, 3, "Unprotected");
  EXPECT_EQ(patients->Add(), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("open it again"));
  EXPECT_EQ(patients->GetByPosition(2), kStoreOk) << "reading goes on";
  batch.reset();
  ASSERT_EQ(patients->Close(), kStoreOk);
  ASSERT_EQ(patients->Open(kOpenNormal), kStoreOk);
  SetPatient(*patients, 3, "Protected again");
  EXPECT_EQ(patients->Add(), kStoreOk);
  EXPECT_EQ(patients->Records(), 3);
}

TEST_F(PgStoreTest, AServerThatIsNotThereIsSaidInWords) {
  ASSERT_TRUE(cluster_->Stop()) << cluster_->reason();
  auto file = Patients();
  EXPECT_EQ(file->Open(kOpenNormal), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("cannot be reached"));
  EXPECT_FALSE(file->Exists());
  ASSERT_TRUE(cluster_->Start()) << cluster_->reason();
  EXPECT_EQ(file->Open(kOpenNormal), kFileNotFound);

  // A directory whose schema name the server could not keep.
  auto deep = store_->MakeFile(kPatientFile, dir_ / std::string(70, 'd'));
  EXPECT_EQ(deep->Create(), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("longer than the 63 characters"));
}

}  // namespace
}  // namespace vornel::data
