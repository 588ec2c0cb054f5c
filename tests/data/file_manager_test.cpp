#include "data/file_manager.h"

#include <future>
#include <thread>

#include "platform/program_stop.h"
#include "tests/support/data_fixture.h"

namespace vornel::data {
namespace {

using FileManagerTest = DataFixture;

void AddClient(DataFixture& f, std::int16_t code, std::string_view last_name = "SMITH") {
  f.AddRecord<ClientRecord>(ClientFile(),
                            [&](ClientRecord& c) { FillValidClient(c, code, last_name); });
}

TEST_F(FileManagerTest, MissingDepartmentFileIsCreatedAndMissingSharedFileStops) {
  FileManager& clients = Files(ClientFile());
  clients.Open();
  EXPECT_EQ(clients.Next(), errors::kNotified);
  EXPECT_TRUE(clients.at_eof()) << "an empty new file reads as at its end";
  EXPECT_TRUE(display_.shown().empty()) << "running off the end shows nothing";
  clients.Close();
  EXPECT_TRUE(std::filesystem::exists(root_ / "VORNEL/1/records.db"));

  FileManager& vendors = Files(VendorFile());
  vendors.Open();
  EXPECT_THROW(vendors.Next(), platform::ProgramStop);
  EXPECT_EQ(display_.last()->request.caption, "File Access Error");
  EXPECT_NE(display_.last()->request.text.find("File Vendor could not be opened."),
            std::string::npos);
}

TEST_F(FileManagerTest, NewClientsTakeTheHighestNumberPlusOne) {
  FileManager& clients = Files(ClientFile());
  clients.Open();
  ASSERT_EQ(clients.PrepareNewRecord(), errors::kGoOn);
  EXPECT_EQ(+clients.record<ClientRecord>().CLCODE, 1) << "the first client of a department";
  EXPECT_TRUE(clients.auto_number_done());
  EXPECT_EQ(clients.file().Records(), 1) << "the number is reserved by adding the record at once";
  FillValidClient(clients.record<ClientRecord>(), 1, "FIRST");
  ASSERT_EQ(clients.Insert(), errors::kGoOn);
  EXPECT_EQ(clients.file().Records(), 1) << "saving updates the reserved record in place";
  clients.Close();

  AddClient(*this, 2);
  AddClient(*this, 7);
  clients.Open();
  ASSERT_EQ(clients.PrepareNewRecord(), errors::kGoOn);
  EXPECT_EQ(+clients.record<ClientRecord>().CLCODE, 8);
  // Abandoning the new client removes the reserved record.
  ASSERT_EQ(clients.CancelAutoNumber(), errors::kGoOn);
  EXPECT_FALSE(clients.auto_number_done());
  EXPECT_EQ(clients.file().Records(), 3);
  clients.Close();
}

TEST_F(FileManagerTest, ClientNumbersStopAtTheHighestInt16) {
  AddClient(*this, 32767);
  FileManager& clients = Files(ClientFile());
  clients.Open();
  EXPECT_EQ(clients.PrepareNewRecord(), errors::kNotified);
  EXPECT_EQ(display_.last()->request.caption, "Record Insert Error");
  EXPECT_NE(display_.last()->request.text.find("no number left above 32767"), std::string::npos)
      << LastMessage();
  EXPECT_EQ(clients.file().Records(), 1) << "nothing wrapped into a negative number";
  clients.Close();
}

TEST_F(FileManagerTest, NewVisitsAreScheduledAndChecked) {
  FileManager& visits = Files(LogFile());
  visits.Open();
  ASSERT_EQ(visits.PrepareNewRecord(), errors::kGoOn);
  LogRecord& visit = visits.record<LogRecord>();
  EXPECT_EQ(+visit.LOG_NO, 1);
  EXPECT_EQ(std::string_view(visit.TRANS_TYPE, 5), "SCHED");
  Set(visit.TRANS_TYPE, "NOSHO");
  EXPECT_EQ(visits.Insert(), errors::kNotified);
  EXPECT_EQ(LastMessage(),
            "Value Error: The value of Log:TRANS_TYPE must be in the list : "
            "'SCHED','SHOW','NOSHOW','CANC','RESCH'.");
  Set(visit.TRANS_TYPE, "SHOW");
  EXPECT_EQ(visits.Insert(), errors::kGoOn);
  visits.Close();
}

TEST_F(FileManagerTest, DuplicateStaffCodeNamesTheKey) {
  CreateSharedFile(EmployeeFile());
  AddRecord<EmployeeRecord>(EmployeeFile(), [](EmployeeRecord& e) {
    Set(e.EMPCODE, "JS1");
    Set(e.STATUS, "A");
    Set(e.TYPE, "P");
  });
  FileManager& staff = Files(EmployeeFile());
  staff.Open();
  staff.PrepareNewRecord();
  Set(staff.record<EmployeeRecord>().EMPCODE, "js1");
  Set(staff.record<EmployeeRecord>().STATUS, "A");
  Set(staff.record<EmployeeRecord>().TYPE, "P");
  EXPECT_EQ(staff.Insert(), errors::kNotified);
  EXPECT_EQ(LastMessage(),
            "Duplicate Key Error: Adding this record creates a duplicate entry for the key: "
            "Emp:STAFF_KEY");
  EXPECT_EQ(staff.file().Records(), 1);
  EXPECT_EQ(staff.InsertQuiet(), errors::kNotified);
  EXPECT_EQ(staff.LastError(), errors::msg::kDuplicateKey);
  staff.Close();
}

TEST_F(FileManagerTest, UpdateOfARecordChangedElsewhereShowsTheOtherVersion) {
  AddClient(*this, 5, "BEFORE");
  FileManager& mine = Files(ClientFile());
  mine.Open();
  mine.file().SetWatch(true);
  mine.record<ClientRecord>().CLCODE = 5;
  ASSERT_EQ(mine.Fetch(*ClientFile().FindKey("CODE_KEY")), errors::kGoOn);

  std::thread other([&] {
    FileRegistry registry(context_);
    FileManager& theirs = registry.Get(ClientFile());
    theirs.Open();
    theirs.record<ClientRecord>().CLCODE = 5;
    ASSERT_EQ(theirs.Fetch(*ClientFile().FindKey("CODE_KEY")), errors::kGoOn);
    Set(theirs.record<ClientRecord>().CLLNAME, "THEIRS");
    EXPECT_EQ(theirs.Update(), errors::kGoOn);
    theirs.Close();
  });
  other.join();

  Set(mine.record<ClientRecord>().CLLNAME, "MINE");
  EXPECT_EQ(mine.Update(), errors::kNotified);
  EXPECT_EQ(LastMessage(), "Record Was Not Updated: This record was changed by another station.");
  EXPECT_EQ(platform::ReadField(mine.record<ClientRecord>().CLLNAME), "THEIRS");
  mine.Close();
}

TEST_F(FileManagerTest, InnerProcedureGivesTheOuterItsRecordAndPosition) {
  for (std::int16_t code = 1; code <= 20; ++code) AddClient(*this, code);
  const KeyDef& by_code = *ClientFile().FindKey("CODE_KEY");
  FileManager& clients = Files(ClientFile());

  errors_.PushProcedureName("BrowseClient");
  clients.Open();
  clients.CheckUse(kUseReadWrite);
  clients.file().SetOrder(&by_code);
  for (int i = 0; i < 12; ++i) ASSERT_EQ(clients.Next(), errors::kGoOn);
  ASSERT_EQ(+clients.record<ClientRecord>().CLCODE, 12);

  auto inner = [&](const char* name, int use) {
    errors_.PushProcedureName(name);
    clients.Open();
    clients.CheckUse(use);
    clients.record<ClientRecord>().CLCODE = 3;
    EXPECT_EQ(clients.Fetch(by_code), errors::kGoOn);
    clients.Close();
    errors_.PopProcedureName();
  };
  inner("UpdateLog", kUseReadWrite);
  EXPECT_EQ(+clients.record<ClientRecord>().CLCODE, 12) << "the outer record is back";
  ASSERT_EQ(clients.Next(), errors::kGoOn);
  EXPECT_EQ(+clients.record<ClientRecord>().CLCODE, 13) << "and so is the outer position";

  inner("SelectClient", kUseSelect);
  EXPECT_EQ(+clients.record<ClientRecord>().CLCODE, 3) << "a selection stays in the buffer";
  clients.Close();
  errors_.PopProcedureName();
}

TEST_F(FileManagerTest, FileOpenedDenyingWriteIsUsedReadOnly) {
  AddClient(*this, 1);
  std::promise<void> opened, done;
  std::thread batch([&] {
    FileRegistry registry(context_);
    FileManager& theirs = registry.Get(ClientFile());
    theirs.SetOpenMode(kOpenBatch);
    theirs.Open();
    theirs.CheckUse(kUseReadWrite);
    opened.set_value();
    done.get_future().wait();
    theirs.Close();
  });
  opened.get_future().wait();
  FileManager& clients = Files(ClientFile());
  clients.Open();
  EXPECT_EQ(clients.Next(), errors::kGoOn) << "reading works read only";
  EXPECT_EQ(display_.shown().front().request.text,
            "Could not get write access to Client so trying read-only.");
  EXPECT_EQ(clients.open_mode(), kOpenFallback);
  // Numbering a new client cannot add to a read-only file; "Try Again?"
  // answered Yes again and again still ends.
  EXPECT_EQ(clients.PrepareNewRecord(), errors::kNotified);
  EXPECT_EQ(display_.last()->request.caption, "Auto Increment Error");
  clients.Close();
  done.set_value();
  batch.join();
}

TEST_F(FileManagerTest, AClosedFileFollowsADepartmentSwitch) {
  AddClient(*this, 1);
  std::filesystem::create_directories(root_ / "VORNEL/2");
  paths_.SetWorkingDirectory("\\VORNEL\\2\\");
  EXPECT_EQ(Count(ClientFile()), 0) << "department 2 has its own, new Client file";
  paths_.SetWorkingDirectory("\\VORNEL\\1\\");
  EXPECT_EQ(Count(ClientFile()), 1);
}

TEST_F(FileManagerTest, SavedBuffersCompareAndRestore) {
  FileManager& clients = Files(ClientFile());
  clients.Open();
  clients.record<ClientRecord>().CLCODE = 4;
  int first = clients.SaveBuffer();
  EXPECT_TRUE(clients.EqualBuffer(first));
  clients.record<ClientRecord>().CLCODE = 9;
  EXPECT_FALSE(clients.EqualBuffer(first));
  int second = clients.SaveBuffer();
  EXPECT_EQ(second, first + 1);
  clients.RestoreBuffer(first);
  EXPECT_EQ(+clients.record<ClientRecord>().CLCODE, 4);
  clients.RestoreBuffer(second, false);
  EXPECT_EQ(+clients.record<ClientRecord>().CLCODE, 4) << "discarding without restoring";
  clients.Close();
}

}  // namespace
}  // namespace vornel::data
