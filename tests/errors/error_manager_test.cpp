#include "errors/error_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>
#include <thread>

#include "errors/message_table.h"
#include "platform/headless/headless_message_display.h"
#include "platform/program_stop.h"
#include "platform/runtime_error.h"
#include "tests/support/temp_dir.h"

namespace vornel::errors {
namespace {

using platform::HeadlessMessageDisplay;

class ErrorManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearRuntimeError(); }

  std::filesystem::path LogPath() const { return dir_ / "KIVError.Log"; }

  test::TempDir dir_;
  HeadlessMessageDisplay display_;
  ErrorManager errors_{display_, [this] { return LogPath(); }};
};

TEST(MessageTable, StandardBlockHoldsTheExactTable) {
  bool complete = false;
  std::vector<MessageEntry> entries = UnpackMessageBlock(StandardMessageBlock(), &complete);
  ASSERT_TRUE(complete);
  ASSERT_EQ(entries.size(), 52u);
  EXPECT_EQ(entries.front().id, 30);
  EXPECT_EQ(entries.front().title, "Invalid Key");
  EXPECT_EQ(entries.back().id, 9);
  std::map<int, const MessageEntry*> by_id;
  std::map<std::string, int> titles;
  for (const MessageEntry& e : entries) {
    EXPECT_TRUE(by_id.emplace(e.id, &e).second) << "ID " << e.id << " twice";
    ++titles[e.title];
  }
  EXPECT_EQ(by_id[21]->message, "%File File Load Error.  Error: %ErrorText.");
  EXPECT_EQ(by_id[26]->message, "File %File could not be opened.  Error: %ErrorText.");
  EXPECT_EQ(by_id[26]->fatality, 3);
  EXPECT_NE(by_id[1]->message.find("file.  Returning to previous window."), std::string::npos);
  EXPECT_EQ(by_id[45]->message.back(), ' ');
  EXPECT_EQ(by_id[46]->message, "%Message ");
  EXPECT_EQ(by_id[42]->fatality, 2);
  EXPECT_EQ(by_id[52]->message, "Poorly Formed Comment String \"%Message\" at Position %Field.");
  EXPECT_EQ(titles["Record Was Not Updated"], 2);
  EXPECT_EQ(titles["Invalid Request"], 3);
  EXPECT_EQ(titles["Range Error"], 3);
  EXPECT_EQ(titles["WMF Parser Error"], 5);
  for (const MessageEntry& e : entries) EXPECT_TRUE(e.category.empty());
}

TEST(MessageTable, DamagedBlockKeepsTheWholeEntriesBeforeTheDamage) {
  std::span<const std::uint8_t> block = StandardMessageBlock();
  bool complete = true;
  std::vector<MessageEntry> entries = UnpackMessageBlock(block.first(80), &complete);
  EXPECT_FALSE(complete);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].id, 30);
  EXPECT_TRUE(UnpackMessageBlock(block.first(1), &complete).empty());
  EXPECT_FALSE(complete);
  EXPECT_TRUE(UnpackMessageBlock({}, &complete).empty());
}

TEST_F(ErrorManagerTest, FileAccessErrorShowsTheTextAndStopsTheProgram) {
  platform::SetFileError(90, "File system error", "2", "File Not Found");
  errors_.SetFile("\\vornel\\COMMON\\Vendor.dat   ");
  EXPECT_THROW(errors_.RaiseError(msg::kOpenError), platform::ProgramStop);
  auto shown = display_.last();
  ASSERT_TRUE(shown);
  EXPECT_TRUE(shown->stop);
  EXPECT_EQ(shown->request.caption, "File Access Error");
  EXPECT_EQ(shown->request.text,
            "File \\vornel\\COMMON\\Vendor.dat could not be opened.  Error: File Not Found (2)."
            "  Press OK to end this application");
  EXPECT_EQ(shown->request.buttons, platform::kButtonOk);
  EXPECT_EQ(shown->request.icon, platform::Icon::kInformation);
}

TEST_F(ErrorManagerTest, EachFatalityIsHandledAsDefined) {
  display_.Answer(platform::kButtonYes);
  EXPECT_EQ(errors_.RaiseError(msg::kConfirmDelete), kGoOn);
  display_.Answer(platform::kButtonNo);
  EXPECT_EQ(errors_.RaiseError(msg::kConfirmDelete), kDeclined);
  auto asked = display_.last();
  EXPECT_EQ(asked->request.buttons, platform::kButtonYes | platform::kButtonNo);
  EXPECT_EQ(asked->request.default_button, platform::kButtonYes);
  EXPECT_EQ(asked->request.icon, platform::Icon::kExclamation);

  errors_.AddMessage(900, "Really?", "Cancelled kind", 4);
  display_.Answer(platform::kButtonYes);
  EXPECT_EQ(errors_.RaiseError(900), kGoOn);
  display_.Answer(platform::kButtonCancel);
  EXPECT_EQ(errors_.RaiseError(900), kDeclined) << "any answer but Yes declines";

  EXPECT_EQ(errors_.RaiseError(msg::kNoRecords), kNotified);
  EXPECT_EQ(display_.last()->request.buttons, platform::kButtonOk);
  EXPECT_EQ(display_.last()->request.text, "There are no records available to process.");

  const std::size_t shown_before = display_.shown().size();
  errors_.AddMessage(901, "quiet", "NoAction kind", 0);
  EXPECT_EQ(errors_.RaiseError(901), kGoOn);
  EXPECT_EQ(errors_.RaiseError(777), kGoOn) << "an unknown ID shows nothing";
  EXPECT_EQ(display_.shown().size(), shown_before);

  EXPECT_THROW(errors_.RaiseError(msg::kFileNotOpened), platform::ProgramStop);
  errors_.AddMessage(902, "odd", "Odd fatality", 9);
  EXPECT_THROW(errors_.RaiseError(902), platform::ProgramStop);
  EXPECT_TRUE(display_.last()->stop);
}

TEST_F(ErrorManagerTest, PlaceholdersExpandInOrderAndIgnoreCase) {
  platform::SetRuntimeError(35, "Record Not Available");
  errors_.SetFile("Client.dat");
  errors_.SetKey("Cli:CODE_KEY");
  errors_.SetField("Log:TRANS_TYPE  ");
  errors_.SetMessageText("'SCHED','SHOW'");
  errors_.AddMessage(910,
                     "%FILE|%key|%ErrorCode|%ErrorText|%Error|%Message|%Field|%Category|%Fileish",
                     "T", 5);
  errors_.RaiseError(910);
  EXPECT_EQ(display_.last()->request.text,
            "Client.dat|Cli:CODE_KEY|35|Record Not Available (35)|Record Not Available|"
            "'SCHED','SHOW'|Log:TRANS_TYPE|KIV|Client.datish");

  // Driver errors (90, 100) show the driver's text and code.
  platform::SetFileError(100, "runtime", "43", "Record Is Already Held");
  errors_.AddMessage(911, "%ErrorText / %FileErrorCode / %FileError", "T", 5);
  errors_.RaiseError(911);
  EXPECT_EQ(display_.last()->request.text,
            "Record Is Already Held (43) / 43 / Record Is Already Held");
}

TEST_F(ErrorManagerTest, InsertedValuesAreNotExpandedAgain) {
  errors_.SetFile("100%Field");
  errors_.SetField("%file");
  errors_.AddMessage(912, "%File and %Field", "T", 5);
  errors_.RaiseError(912);
  EXPECT_EQ(display_.last()->request.text, "100%Field and %file");
}

TEST_F(ErrorManagerTest, StatusValuesAreClippedAndCut) {
  errors_.SetMessageText(std::string(300, 'x') + "   ");
  EXPECT_EQ(errors_.status().message_text.size(), 255u);
  errors_.SetKey("KEY   ");
  EXPECT_EQ(errors_.status().key_name, "KEY");
}

TEST_F(ErrorManagerTest, PreviousNamesTheMessageRaisedBefore) {
  errors_.RaiseError(msg::kChangedByOther);
  errors_.AddMessage(913, "Before: %Previous", "T", 5);
  errors_.RaiseError(913);
  EXPECT_EQ(display_.last()->request.text, "Before: This record was changed by another station.");
  EXPECT_EQ(errors_.status().prev_error_id, msg::kChangedByOther);
}

TEST_F(ErrorManagerTest, SilentAnswersTheDefaultWithoutShowing) {
  errors_.set_silent(true);
  EXPECT_EQ(errors_.AskById(msg::kConfirmDelete,
                            platform::kButtonYes | platform::kButtonNo | platform::kButtonCancel,
                            platform::kButtonCancel),
            platform::kButtonCancel);
  EXPECT_EQ(errors_.RaiseError(msg::kNoRecords), kNotified);
  EXPECT_EQ(errors_.RaiseError(msg::kConfirmDelete), kGoOn) << "silent Yes/No takes Yes";
  EXPECT_TRUE(display_.shown().empty());
}

TEST_F(ErrorManagerTest, AskByIdUsesTheCallersButtonsAndKeepsNoRecord) {
  errors_.set_log_errors(true);
  errors_.set_history_threshold(-1);
  display_.Answer(platform::kButtonNo);
  EXPECT_EQ(errors_.AskById(msg::kSaveRecord,
                            platform::kButtonYes | platform::kButtonNo | platform::kButtonCancel,
                            platform::kButtonCancel),
            platform::kButtonNo);
  auto shown = display_.last();
  EXPECT_EQ(shown->request.caption, "Save Record");
  EXPECT_EQ(shown->request.default_button, platform::kButtonCancel);
  EXPECT_TRUE(errors_.history().empty());
  EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(ErrorManagerTest, LoggingWritesOneLinePerMessageToAPrivateFile) {
  errors_.set_log_errors(true);
  errors_.SetFile("Log.dat");
  errors_.RaiseError(msg::kRecordHeld);
  errors_.RaiseError(msg::kNoRecords);
  std::string log = test::ReadFile(LogPath());
  std::regex line(R"(\d\d/\d\d/\d{4}@\d\d:\d\d:\d\d --> (.*)\n)");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(log, m, line)) << log;
  EXPECT_EQ(m[1], "A record held by another station was encountered reading from the Log.dat file.");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
  struct stat st {};
  ASSERT_EQ(stat(LogPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ErrorManagerTest, AFailingLogDoesNotStopTheMessage) {
  HeadlessMessageDisplay display;
  ErrorManager errors(display, [this] { return dir_ / "missing" / "KIVError.Log"; });
  errors.set_log_errors(true);
  EXPECT_EQ(errors.RaiseError(msg::kNoRecords), kNotified);
  EXPECT_EQ(display.shown().size(), 1u);
}

TEST_F(ErrorManagerTest, HistoryKeepsTheLastMessagesAndShowsAtItsLevel) {
  errors_.set_history_threshold(2);
  errors_.set_history_view_level(5);
  errors_.RaiseError(msg::kNoRecords);
  errors_.RaiseError(msg::kChangedByOther);
  errors_.RaiseError(msg::kAddNewRecord);
  auto history = errors_.history();
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[0].id, msg::kChangedByOther);
  EXPECT_EQ(history[1].id, msg::kAddNewRecord);
  EXPECT_EQ(history[1].category, "KIV");
  auto shown = display_.last();
  ASSERT_TRUE(shown->history_window);
  EXPECT_EQ(shown->history.size(), 2u);
  EXPECT_EQ(shown->request.caption, "Add New Record?");

  // A message of another fatality is kept but not shown.
  const std::size_t before = display_.shown().size();
  EXPECT_EQ(errors_.RaiseError(msg::kConfirmDelete), kGoOn);
  EXPECT_EQ(display_.shown().size(), before);

  errors_.set_history_reset_on_view(true);
  errors_.RaiseError(msg::kNoRecords);
  EXPECT_TRUE(errors_.history().empty());

  errors_.ViewHistory();
  EXPECT_EQ(display_.last()->request.caption, "Errors History");
  EXPECT_EQ(display_.last()->request.buttons, platform::kButtonOk | platform::kButtonHelp);
}

TEST_F(ErrorManagerTest, TheEntryAddedLastWinsAndRemovingRevealsTheOlder) {
  errors_.AddMessage(msg::kNoRecords, "Nothing to do.", "Empty", 5);
  errors_.RaiseError(msg::kNoRecords);
  EXPECT_EQ(display_.last()->request.caption, "Empty");
  errors_.RemoveMessage(msg::kNoRecords);
  errors_.RaiseError(msg::kNoRecords);
  EXPECT_EQ(display_.last()->request.caption, "No Records");
}

TEST_F(ErrorManagerTest, CategoriesFallBackToTheDefault) {
  EXPECT_EQ(errors_.GetCategory(-1), "KIV");
  EXPECT_EQ(errors_.GetCategory(msg::kNoRecords), "KIV");
  errors_.SetCategory(msg::kNoRecords, "Data");
  EXPECT_EQ(errors_.GetCategory(msg::kNoRecords), "Data");
  errors_.SetCategory(-1, "APP");
  EXPECT_EQ(errors_.GetCategory(msg::kOpenError), "APP");
  EXPECT_EQ(errors_.GetCategory(12345), "APP");
}

TEST_F(ErrorManagerTest, ProcedureNamesAndStatusBelongToTheirThread) {
  errors_.AddMessage(920, "[%Procedure] %File", "T", 5);
  errors_.PushProcedureName("Main");
  errors_.PushProcedureName("BrowseClient  ");
  errors_.SetFile("Client.dat");
  std::thread other([&] {
    errors_.RaiseError(920);
    EXPECT_EQ(display_.last()->request.text, "[] ") << "nothing pushed or set on this thread";
    errors_.PushProcedureName("UpdateLog");
    errors_.PopProcedureName();
    errors_.PopProcedureName();  // nothing of this thread left: no effect elsewhere
  });
  other.join();
  errors_.RaiseError(920);
  EXPECT_EQ(display_.last()->request.text, "[BrowseClient] Client.dat");
  errors_.PopProcedureName();
  EXPECT_EQ(errors_.CurrentProcedureName(), "Main");
  errors_.PopProcedureName();
  EXPECT_EQ(errors_.CurrentProcedureName(), "");
}

TEST_F(ErrorManagerTest, ConcurrentRaisingKeepsEachThreadsValues) {
  errors_.set_silent(true);
  errors_.set_history_threshold(-1);
  errors_.AddMessage(930, "%File", "T", 5);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        errors_.SetFile("file" + std::to_string(t));
        errors_.RaiseError(930);
      }
    });
  }
  for (auto& th : threads) th.join();
  auto history = errors_.history();
  ASSERT_EQ(history.size(), 800u);
  std::map<std::string, int> counts;
  for (const auto& h : history) ++counts[h.text];
  for (int t = 0; t < 4; ++t) EXPECT_EQ(counts["file" + std::to_string(t)], 200);
}

}  // namespace
}  // namespace vornel::errors
