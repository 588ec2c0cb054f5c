#include "data/relation_manager.h"

#include <thread>

#include "tests/support/data_fixture.h"

namespace vornel::data {
namespace {

class RelationManagerTest : public DataFixture {
 protected:
  // Client 1 with two visits, each with two charge lines, an insurance card
  // and a group assignment.
  void AddClientWithVisits() {
    AddRecord<ClientRecord>(ClientFile(), [](ClientRecord& c) { FillValidClient(c, 1, "DOE"); });
    for (std::int32_t visit = 1; visit <= 2; ++visit) {
      AddRecord<LogRecord>(LogFile(), [&](LogRecord& l) {
        l.LOG_NO = visit;
        l.CLCODE = 1;
        l.LOG_DATE = 80000 + visit;
        Set(l.TRANS_TYPE, "SHOW");
      });
      for (const char* vendor : {"MA1", "SCA"}) {
        AddRecord<LineitemRecord>(LineitemFile(), [&](LineitemRecord& line) {
          line.LOG_NO = visit;
          line.CLCODE = 1;
          Set(line.VEN_CODE, vendor);
          Set(line.STATUS, "O");
        });
      }
    }
    AddRecord<Ins_cardRecord>(Ins_cardFile(), [](Ins_cardRecord& card) {
      card.CLCODE = 1;
      Set(card.VEN_CODE, "MA1");
    });
    AddRecord<GrpassinRecord>(GrpassinFile(), [](GrpassinRecord& a) {
      a.CLI_CODE = 1;
      a.GRP_CODE = 4;
    });
  }

  // Reads client `code` into the Client buffer, watched, ready to change.
  RelationManager& ReadClient(std::int16_t code) {
    RelationManager& clients = Relations(ClientFile());
    clients.Open();
    clients.me().CheckUse(kUseReadWrite);
    clients.me().file().SetWatch(true);
    clients.me().record<ClientRecord>().CLCODE = code;
    EXPECT_EQ(clients.me().Fetch(*ClientFile().FindKey("CODE_KEY")), errors::kGoOn);
    clients.SaveLinks();
    return clients;
  }

  void SetUp() override {
    CreateSharedFile(VendorFile());
    AddClientWithVisits();
  }
};

TEST_F(RelationManagerTest, DeletingAClientTakesItsVisitsAndChargeLines) {
  RelationManager& clients = ReadClient(1);
  EXPECT_EQ(clients.Delete(false), errors::kGoOn);
  clients.Close();
  EXPECT_EQ(Count(ClientFile()), 0);
  EXPECT_EQ(Count(LogFile()), 0);
  EXPECT_EQ(Count(LineitemFile()), 0);
  EXPECT_EQ(Count(Ins_cardFile()), 0);
  EXPECT_EQ(Count(GrpassinFile()), 0);
}

TEST_F(RelationManagerTest, AClientWithACommentIsNotDeletedAndTheTransactionUndoesTheRest) {
  AddRecord<Cli_cmmtRecord>(Cli_cmmtFile(), [](Cli_cmmtRecord& c) { c.CLI_CODE = 1; });
  display_.Answer(platform::kButtonOk);  // the refusal
  display_.Answer(platform::kButtonNo);  // "Record Delete Error": do not try again
  RelationManager& clients = ReadClient(1);
  EXPECT_EQ(clients.Delete(false), errors::kNotified);
  clients.Close();
  auto shown = display_.shown();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[0].request.caption, "Referential Integrity Delete Error");
  EXPECT_EQ(shown[0].request.text,
            "This record is referenced from the file Cli_cmmt. This record cannot be deleted "
            "while these references exist.");
  EXPECT_EQ(shown[1].request.caption, "Record Delete Error");
  EXPECT_EQ(Count(ClientFile()), 1);
  EXPECT_EQ(Count(LogFile()), 2) << "the visits deleted before the refusal are back";
  EXPECT_EQ(Count(LineitemFile()), 4);
  EXPECT_EQ(Count(Ins_cardFile()), 1);
}

TEST_F(RelationManagerTest, WithoutATransactionTheDependentsBeforeTheRefusalStayDeleted) {
  AddRecord<ClipmtsRecord>(ClipmtsFile(), [](ClipmtsRecord& p) {
    p.CLCODE = 1;
    Set(p.STATUS, "O");
  });
  display_.Answer(platform::kButtonOk);
  display_.Answer(platform::kButtonNo);
  RelationManager& clients = ReadClient(1);
  clients.SetUseTransactions(false);
  EXPECT_EQ(clients.Delete(false), errors::kNotified);
  clients.Close();
  EXPECT_EQ(display_.shown().front().request.caption, "Referential Integrity Delete Error");
  EXPECT_EQ(Count(ClientFile()), 1);
  EXPECT_EQ(Count(LogFile()), 0);
  EXPECT_EQ(Count(Ins_cardFile()), 0);
}

TEST_F(RelationManagerTest, ConfirmDeclinedDeletesNothing) {
  display_.Answer(platform::kButtonNo);
  RelationManager& clients = ReadClient(1);
  EXPECT_EQ(clients.Delete(true), errors::kDeclined);
  clients.Close();
  EXPECT_EQ(display_.last()->request.caption, "Confirm Delete");
  EXPECT_EQ(Count(LogFile()), 2);
}

// Another station, on its own connection, rewrites or deletes client 1
// between this station's read and its delete.
void OtherStation(DataContext& context, bool remove) {
  std::thread other([&] {
    FileRegistry registry(context);
    RelationManager& theirs = registry.Relations(ClientFile());
    theirs.Open();
    theirs.me().record<ClientRecord>().CLCODE = 1;
    ASSERT_EQ(theirs.me().Fetch(*ClientFile().FindKey("CODE_KEY")), errors::kGoOn);
    if (remove) {
      EXPECT_EQ(theirs.Delete(false), errors::kGoOn);
    } else {
      Set(theirs.me().record<ClientRecord>().CLLNAME, "THEIRS");
      EXPECT_EQ(theirs.me().Update(), errors::kGoOn);
    }
    theirs.Close();
  });
  other.join();
}

TEST_F(RelationManagerTest, ADeleteAfterAnotherStationsChangeIsRefusedWithoutARetryQuestion) {
  RelationManager& clients = ReadClient(1);
  OtherStation(context_, false);
  EXPECT_EQ(clients.Delete(false), errors::kNotified);
  clients.Close();
  ASSERT_EQ(display_.shown().size(), 1u) << "no \"Record Delete Error\" question after the refusal";
  EXPECT_EQ(LastMessage(), "Record Was Not Updated: This record was changed by another station.");
  EXPECT_EQ(Count(ClientFile()), 1);
  EXPECT_EQ(Count(LogFile()), 2) << "nothing of the cascade is done";
}

TEST_F(RelationManagerTest, ADeleteOfARecordAnotherStationDeletedIsRefusedWithoutARetryQuestion) {
  RelationManager& clients = ReadClient(1);
  OtherStation(context_, true);
  EXPECT_EQ(clients.Delete(false), errors::kNotified);
  clients.Close();
  ASSERT_EQ(display_.shown().size(), 1u);
  EXPECT_EQ(display_.last()->request.caption, "Record Retrieval Error");
}

TEST_F(RelationManagerTest, ANewClientNumberIsCarriedIntoItsDependents) {
  RelationManager& clients = ReadClient(1);
  clients.me().record<ClientRecord>().CLCODE = 9;
  EXPECT_EQ(clients.Update(true), errors::kGoOn);
  clients.Close();
  FileManager& visits = Files(LogFile());
  visits.Open();
  visits.CheckUse(kUseReadWrite);
  int seen = 0;
  while (visits.NextQuiet() == errors::kGoOn) {
    EXPECT_EQ(+visits.record<LogRecord>().CLCODE, 9);
    ++seen;
  }
  visits.Close();
  EXPECT_EQ(seen, 2);
  FileManager& lines = Files(LineitemFile());
  lines.Open();
  lines.CheckUse(kUseReadWrite);
  while (lines.NextQuiet() == errors::kGoOn) EXPECT_EQ(+lines.record<LineitemRecord>().CLCODE, 9);
  lines.Close();
}

TEST_F(RelationManagerTest, AChangedNumberIsRefusedWhileAdmissionDataExists) {
  AddRecord<UdcsRecord>(UdcsFile(), [](UdcsRecord& u) { u.CLCODE = 1; });
  RelationManager& clients = ReadClient(1);
  clients.me().record<ClientRecord>().CLCODE = 9;
  EXPECT_EQ(clients.Update(true), errors::kNotified);
  EXPECT_EQ(display_.last()->request.caption, "Referential Integrity Update Error");
  EXPECT_EQ(+clients.me().record<ClientRecord>().CLCODE, 1) << "the old number is back";

  // The refused save leaves the form usable: a second save of other fields
  // goes through (it is not taken for another station's change).
  Set(clients.me().record<ClientRecord>().CLLNAME, "DOE-SMITH");
  EXPECT_EQ(clients.Update(true), errors::kGoOn) << LastMessage();
  clients.Close();

  FileManager& visits = Files(LogFile());
  visits.Open();
  visits.CheckUse(kUseReadWrite);
  ASSERT_EQ(visits.NextQuiet(), errors::kGoOn);
  EXPECT_EQ(+visits.record<LogRecord>().CLCODE, 1) << "rolled back";
  visits.Close();
}

TEST_F(RelationManagerTest, RenumberingAStudyGroupRenumbersItsAssignments) {
  AddRecord<StudygrpRecord>(StudygrpFile(), [](StudygrpRecord& g) { g.CODE = 4; });
  RelationManager& groups = Relations(StudygrpFile());
  groups.Open();
  groups.me().CheckUse(kUseReadWrite);
  groups.me().file().SetWatch(true);
  groups.me().record<StudygrpRecord>().CODE = 4;
  ASSERT_EQ(groups.me().Fetch(*StudygrpFile().FindKey("STUD_KEY")), errors::kGoOn);
  groups.SaveLinks();
  groups.me().record<StudygrpRecord>().CODE = 6;
  EXPECT_EQ(groups.Update(), errors::kGoOn);
  groups.me().record<StudygrpRecord>().CODE = 7;  // renumbered again in the same form
  EXPECT_EQ(groups.Update(), errors::kGoOn);
  groups.Close();
  FileManager& assignments = Files(GrpassinFile());
  assignments.Open();
  assignments.CheckUse(kUseReadWrite);
  ASSERT_EQ(assignments.NextQuiet(), errors::kGoOn);
  EXPECT_EQ(+assignments.record<GrpassinRecord>().GRP_CODE, 7);
  assignments.Close();
}

TEST_F(RelationManagerTest, OpenAndClosePassesCountEveryRelatedFileOnce) {
  RelationManager& clients = Relations(ClientFile());
  clients.Open();
  EXPECT_EQ(Files(ClientFile()).opened(), 1);
  EXPECT_EQ(Files(LogFile()).opened(), 1) << "Log names Client back: still one open";
  EXPECT_EQ(Files(LineitemFile()).opened(), 1);
  EXPECT_EQ(Files(VendorFile()).opened(), 1) << "opened through Lineitem's parent entry";
  clients.Close();
  EXPECT_EQ(Files(ClientFile()).opened(), 0);
  EXPECT_EQ(Files(LogFile()).opened(), 0);
  EXPECT_EQ(Files(VendorFile()).opened(), 0);

  // Two related files opened side by side (a visit form over a client list)
  // and closed in any order leave nothing open.
  RelationManager& visits = Relations(LogFile());
  clients.Open();
  visits.Open();
  EXPECT_EQ(Files(LogFile()).opened(), 2);
  clients.Close();
  visits.Close();
  for (const FileDef* def : {&ClientFile(), &LogFile(), &LineitemFile(), &VendorFile()})
    EXPECT_EQ(Files(*def).opened(), 0) << def->label;
}

}  // namespace
}  // namespace vornel::data
