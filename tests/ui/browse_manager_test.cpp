// A staff list over Employee by last name, run on a procedure thread with
// the staff form behind it, driven through the headless backend.
#include "ui/browse_manager.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_window.h"
#include "tests/support/data_fixture.h"
#include "ui/locators.h"
#include "tests/ui/staff_form.h"
#include "ui/record_form.h"

namespace vornel::ui {
namespace {

using data::EmployeeRecord;
using platform::HeadlessWindow;
using platform::ScrollKind;

class StaffList : public WindowManager {
 public:
  StaffList(platform::WindowSystem& windows, ThreadState& thread, errors::ErrorManager& errors,
            std::string filter)
      : WindowManager(windows, errors), thread_(thread), browse_(*this, thread), filter_(std::move(filter)) {}

  int Init() override {
    WindowManager::Init();
    request_ = thread_.global_request;
    platform::WindowSpec spec;
    spec.procedure = "BrowseEmployee";
    spec.title = "Browse the Employee File";
    platform::ControlSpec list;
    list.name = "?List";
    list.kind = platform::ControlKind::kList;
    list.columns = {"Last Name", "Code"};
    spec.controls = {list,
                     platform::Button("?Insert", "&Insert"),
                     platform::Button("?Change", "&Change"),
                     platform::Button("?Delete", "&Delete"),
                     platform::Button("?View", "&View"),
                     platform::Button("?Select", "&Select"),
                     platform::Button("?Close", "Close")};
    Open(spec);
    data::RelationManager& staff = thread_.files.Relations(data::EmployeeFile());
    browse_.Init(1, data::ViewDef(data::EmployeeFile()), staff);
    browse_.AddSortOrder(data::EmployeeFile().FindKey("ST_NAME"), nullptr, std::make_unique<StepLocator>());
    if (!filter_.empty()) browse_.SetFilter(filter_);
    browse_.AddField(*data::EmployeeFile().FindField("LASTNAME"), "@s20");
    browse_.AddField(*data::EmployeeFile().FindField("EMPCODE"), "@s5");
    browse_.INSERTCONTROL = 2;
    browse_.CHANGECONTROL = 3;
    browse_.DELETECONTROL = 4;
    browse_.VIEWCONTROL = 5;
    browse_.SELECTCONTROL = 6;
    AddButton(7, kCancelled);
    browse_.update_form = [this](int request) {
      return CallProcedure(request, [this] { RecordForm(windows_, thread_, errors_, StaffForm()).RunForCaller(); });
    };
    return 0;
  }

  BrowseManager& browse() { return browse_; }

 private:
  FormDeclaration StaffForm() {
    return test::StaffForm(thread_.files.Get(data::EmployeeFile()).record<EmployeeRecord>());
  }

  ThreadState& thread_;
  BrowseManager browse_;
  std::string filter_;
};

class BrowseTest : public data::DataFixture {
 protected:
  void SetUp() override { CreateSharedFile(data::EmployeeFile()); }

  void AddStaff(const std::string& name, const std::string& code, const char* status = "A") {
    AddRecord<EmployeeRecord>(data::EmployeeFile(), [&](EmployeeRecord& e) {
      data::Set(e.LASTNAME, name);
      data::Set(e.EMPCODE, code);
      data::Set(e.STATUS, status);
      data::Set(e.TYPE, "P");
    });
  }
  void AddNumbered(int count) {
    for (int i = 1; i <= count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "NAME%02d", i);
      AddStaff(name, "C" + std::to_string(i));
    }
  }

  // Runs the list on a procedure thread; `request` 4 calls it to select.
  HeadlessWindow& Start(int request = 0, std::string filter = "") {
    threads_ = std::make_unique<ProcedureThreads>(context_);
    threads_->Start("BrowseEmployee", [this, request, filter] {
      ThreadState& thread = *CurrentThread();
      data::FileManager& staff = thread.files.Get(data::EmployeeFile());
      staff.Open();
      data::Set(staff.record<EmployeeRecord>().LASTNAME, "CALLER");
      response_ = CallProcedure(request, [&] {
        StaffList list(windows_, thread, errors_, filter);
        thread.global_response = list.Run();
      });
      caller_name_ = std::string(platform::ReadField(staff.record<EmployeeRecord>().LASTNAME));
      staff.Close();
    });
    list_ = windows_.WaitForWindow("Browse the Employee File");
    EXPECT_NE(list_, nullptr);
    EXPECT_TRUE(list_->WaitIdle());
    return *list_;
  }
  void Finish() {
    if (list_ && !list_->closed()) {
      list_->Press("?Close");
    }
    threads_->WaitAll();
    EXPECT_TRUE(threads_->stops().empty());
  }
  // The first column of every row shown, and the highlighted row.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& row : list_->State(1).rows) names.push_back(row.at(0));
    return names;
  }
  int Current() { return list_->State(1).current_row; }
  void Do(bool done) {
    ASSERT_TRUE(done);
    ASSERT_TRUE(list_->WaitIdle());
  }
  HeadlessWindow& Form(const char* title) {
    auto form = windows_.WaitForWindow(title);
    if (form == nullptr) return *form_;
    EXPECT_NE(form, nullptr) << title;
    EXPECT_TRUE(form->WaitIdle());
    form_ = form;
    return *form;
  }

  platform::HeadlessWindowSystem windows_;
  std::unique_ptr<ProcedureThreads> threads_;
  std::shared_ptr<HeadlessWindow> list_;
  std::shared_ptr<HeadlessWindow> form_;
  std::atomic<int> response_{0};
  std::string caller_name_;
};

TEST_F(BrowseTest, AnEmptyListOffersOnlyInsertAndShowsTheNewRecord) {
  HeadlessWindow& list = Start();
  EXPECT_TRUE(Names().empty());
  EXPECT_FALSE(list.State("?Change").enabled);
  EXPECT_FALSE(list.State("?Delete").enabled);
  EXPECT_FALSE(list.State("?View").enabled);
  EXPECT_TRUE(list.State("?Insert").enabled);
  ASSERT_TRUE(list.Key(1, platform::kKeyInsert));  // the Insert key still opens the form
  HeadlessWindow& form = Form("Adding a Employee Record");
  ASSERT_TRUE(form.Type("?EMP:LASTNAME", "BAKER"));
  ASSERT_TRUE(form.Type("?EMP:EMPCODE", "BK1"));
  ASSERT_TRUE(form.Choose("?EMP:STATUS", "Active"));
  ASSERT_TRUE(form.Choose("?EMP:TYPE", "Primary"));
  ASSERT_TRUE(form.Press("?OK"));
  ASSERT_TRUE(list.WaitIdle());
  EXPECT_EQ(Names(), std::vector<std::string>{"BAKER"});
  EXPECT_EQ(Current(), 1);
  EXPECT_TRUE(list.State("?Change").enabled);
  Finish();
}

TEST_F(BrowseTest, AfterAnInsertOrAChangeTheListShowsTheSavedRecord) {
  AddNumbered(25);
  HeadlessWindow& list = Start();
  ASSERT_TRUE(list.Press("?Insert"));
  HeadlessWindow& form = Form("Adding a Employee Record");
  ASSERT_TRUE(form.Type("?EMP:LASTNAME", "NAME13A"));
  ASSERT_TRUE(form.Type("?EMP:EMPCODE", "N13A"));
  ASSERT_TRUE(form.Choose("?EMP:STATUS", "Active"));
  ASSERT_TRUE(form.Choose("?EMP:TYPE", "Primary"));
  ASSERT_TRUE(form.Press("?OK"));
  ASSERT_TRUE(list.WaitIdle());
  EXPECT_EQ(list.State(1).rows.at(static_cast<std::size_t>(Current() - 1)).at(0), "NAME13A");

  Do(list.ChooseRow(1, 1));
  ASSERT_TRUE(list.Press("?Change"));
  HeadlessWindow& change = Form("Changing a Employee Record");
  ASSERT_TRUE(change.Type("?EMP:LASTNAME", "NAME20B"));
  ASSERT_TRUE(change.Press("?OK"));
  ASSERT_TRUE(list.WaitIdle());
  EXPECT_EQ(list.State(1).rows.at(static_cast<std::size_t>(Current() - 1)).at(0), "NAME20B");
  Finish();
}

TEST_F(BrowseTest, ASmallerWindowKeepsTheHighlightedRecordOnThePage) {
  AddNumbered(25);
  HeadlessWindow& list = Start();
  Do(list.ChooseRow(1, 8));
  list.SetVisibleRows(1, 3);
  ASSERT_TRUE(list.WaitIdle());
  ASSERT_EQ(Names().size(), 3u);
  ASSERT_LE(Current(), 3);
  EXPECT_EQ(Names()[static_cast<std::size_t>(Current() - 1)], "NAME08");
  Finish();
}

TEST_F(BrowseTest, ScrollsByLinePageEndsAndThumbHoldingOnePage) {
  AddNumbered(25);
  HeadlessWindow& list = Start();
  EXPECT_EQ(Names().front(), "NAME01");
  EXPECT_EQ(Names().size(), 10u);
  Do(list.Scroll(1, ScrollKind::kPageDown));
  EXPECT_EQ(Names().front(), "NAME11");
  EXPECT_EQ(Current(), 1);
  Do(list.Scroll(1, ScrollKind::kPageDown));  // only five more: the highlight moves by the shortfall
  EXPECT_EQ(Names().front(), "NAME16");
  EXPECT_EQ(Names().back(), "NAME25");
  EXPECT_EQ(Current(), 6);
  Do(list.Scroll(1, ScrollKind::kTop));
  EXPECT_EQ(Names().front(), "NAME01");
  EXPECT_EQ(list.State(1).thumb, 0);
  Do(list.DragThumb(1, 100));
  EXPECT_EQ(Names().back(), "NAME25");
  EXPECT_EQ(Current(), 10);
  EXPECT_EQ(list.State(1).thumb, 100);
  Do(list.Scroll(1, ScrollKind::kLineDown));  // at the end: nothing moves
  EXPECT_EQ(Names().back(), "NAME25");
  Do(list.DragThumb(1, 0));
  EXPECT_EQ(Names().front(), "NAME01");
  for (int i = 0; i < 10; ++i) Do(list.Scroll(1, ScrollKind::kLineDown));
  EXPECT_EQ(Names().front(), "NAME02");  // the page slid by one row
  EXPECT_EQ(Current(), 10);
  list.SetVisibleRows(1, 15);  // the window was made taller
  ASSERT_TRUE(list.WaitIdle());
  EXPECT_EQ(Names().size(), 15u);
  Finish();
}

// Another station (here the test's own thread and connection) renames or
// deletes the record at the page's edge: the next page goes on from where
// that row was, neither skipping a record nor showing one twice.
TEST_F(BrowseTest, APageGoesOnFromItsEdgeRowAfterAnotherStationMovedOrDeletedIt) {
  AddNumbered(25);
  HeadlessWindow& list = Start();
  const auto other_station = [this](const std::string& name, const char* renamed) {
    data::FileManager& staff = Files(data::EmployeeFile());
    staff.Open();
    staff.CheckUse(data::kUseReadWrite);
    data::RecordFile& file = staff.file();
    file.SetOrder(nullptr);
    while (file.Next() == data::kStoreOk) {
      if (platform::ReadField(staff.record<EmployeeRecord>().LASTNAME) != name) continue;
      if (renamed == nullptr) {
        EXPECT_EQ(file.Delete(), data::kStoreOk);
      } else {
        data::Set(staff.record<EmployeeRecord>().LASTNAME, renamed);
        EXPECT_EQ(file.Put(), data::kStoreOk);
      }
      break;
    }
    staff.Close();
  };
  ASSERT_EQ(Names().back(), "NAME10");
  other_station("NAME10", "NAME30");  // moved past the end
  Do(list.Scroll(1, ScrollKind::kPageDown));
  EXPECT_EQ(Names().front(), "NAME11");
  EXPECT_EQ(Names().back(), "NAME20");
  other_station("NAME20", nullptr);
  other_station("NAME11", nullptr);
  Do(list.Scroll(1, ScrollKind::kPageDown));
  // Six more came: the page slid by six, ending with the moved record.
  EXPECT_EQ(Names(), (std::vector<std::string>{"NAME17", "NAME18", "NAME19", "NAME20", "NAME21", "NAME22",
                                                "NAME23", "NAME24", "NAME25", "NAME30"}));
  Do(list.Scroll(1, ScrollKind::kPageUp));
  EXPECT_EQ(Names(), (std::vector<std::string>{"NAME05", "NAME06", "NAME07", "NAME08", "NAME09", "NAME12",
                                                "NAME13", "NAME14", "NAME15", "NAME16"}));
  Finish();
}

TEST_F(BrowseTest, ACancelledChangeKeepsThePageAndAChangeLeavingTheFilterDrops) {
  AddNumbered(25);
  HeadlessWindow& list = Start(0, "EMP:STATUS = 'A'");
  Do(list.Scroll(1, ScrollKind::kPageDown));
  Do(list.ChooseRow(1, 4));
  ASSERT_TRUE(list.Press("?Change"));  // the form runs on the list's thread
  HeadlessWindow& form = Form("Changing a Employee Record");
  EXPECT_EQ(form.State("?EMP:LASTNAME").text, "NAME14");
  ASSERT_TRUE(form.Press("?Cancel"));
  ASSERT_TRUE(list.WaitIdle());
  EXPECT_EQ(Names().front(), "NAME11");
  EXPECT_EQ(Current(), 4);

  ASSERT_TRUE(list.Press("?Change"));
  HeadlessWindow& again = Form("Changing a Employee Record");
  ASSERT_TRUE(again.Choose("?EMP:STATUS", "Inactive"));
  ASSERT_TRUE(again.Press("?OK"));
  ASSERT_TRUE(list.WaitIdle());
  const std::vector<std::string> names = Names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "NAME14"), 0);
  EXPECT_EQ(names.size(), 10u);
  Finish();
}

TEST_F(BrowseTest, ASelectingListHandsBackTheHighlightedRecordOrNothing) {
  AddNumbered(3);
  HeadlessWindow& list = Start(kSelect);
  EXPECT_TRUE(list.State("?Select").enabled);
  Do(list.ChooseRow(1, 2));
  Do(list.Press("?Select"));
  threads_->WaitAll();
  EXPECT_EQ(response_, kCompleted);
  EXPECT_EQ(caller_name_, "NAME02");

  HeadlessWindow& again = Start(kSelect);
  Do(again.ChooseRow(1, 3));
  again.RequestClose();
  threads_->WaitAll();
  EXPECT_EQ(response_, kCancelled);
  EXPECT_EQ(caller_name_, "CALLER");
}

TEST_F(BrowseTest, TypingALetterGoesToTheFirstNameFromThereAndAgainWalksDown) {
  for (const char* name : {"ADAMS", "BAKER", "SAUNDERS", "SMITH", "STONE", "TURNER"})
    AddStaff(name, std::string(name).substr(0, 3));
  HeadlessWindow& list = Start();
  Do(list.Key(1, platform::kKeyCharacter + 's'));
  EXPECT_EQ(list.State(1).rows.at(static_cast<std::size_t>(Current() - 1)).at(0), "SAUNDERS");
  Do(list.Key(1, platform::kKeyCharacter + 'S'));
  EXPECT_EQ(list.State(1).rows.at(static_cast<std::size_t>(Current() - 1)).at(0), "SMITH");
  Finish();
}

// The tool states a window gives the frame's standard buttons.
std::map<int, platform::ToolState> Tools(const HeadlessWindow& window) {
  std::map<int, platform::ToolState> tools;
  for (const platform::ToolState& tool : window.tool_buttons()) tools[tool.command] = tool;
  return tools;
}

TEST_F(BrowseTest, StandardButtonsFollowTheListAndTheForm) {
  HeadlessWindow& list = Start();
  auto tools = Tools(list);
  EXPECT_FALSE(tools[kToolChange].enabled) << "an empty list has nothing to change";
  EXPECT_FALSE(tools[kToolHistory].enabled);
  EXPECT_TRUE(tools[kToolInsert].enabled);
  EXPECT_EQ(tools[kToolNext].tip, "Go to the Next Record");
  list.Command(kToolInsert);  // the list's own Insert button
  HeadlessWindow& form = Form("Adding a Employee Record");
  tools = Tools(form);
  for (int button = kToolInsert; button <= kToolHelp; ++button) {
    const bool expected = button == kToolInsert || button == kToolNext || button == kToolHistory;
    EXPECT_EQ(tools[button].enabled, expected) << button;
  }
  EXPECT_EQ(tools[kToolNext].tip, "Save record and add another");
  ASSERT_TRUE(form.Press("?Cancel"));
  ASSERT_TRUE(list.WaitIdle());
  Finish();
}

TEST_F(BrowseTest, NextOnTheFormSavesAndShowsTheNextRecordOfTheList) {
  AddNumbered(5);
  HeadlessWindow& list = Start();
  Do(list.ChooseRow(1, 2));
  ASSERT_TRUE(list.Press("?Change"));
  HeadlessWindow& form = Form("Changing a Employee Record");
  EXPECT_EQ(form.State("?EMP:LASTNAME").text, "NAME02");
  ASSERT_TRUE(form.Type("?EMP:LASTNAME", "NAME02X"));
  ASSERT_TRUE(form.WaitIdle());
  form.Command(kToolNext);
  ASSERT_TRUE(form.WaitIdle());
  ASSERT_TRUE(form.closed()) << "saved and closed";
  HeadlessWindow& next = Form("Changing a Employee Record");  // the same form, for the next record
  EXPECT_EQ(next.State("?EMP:LASTNAME").text, "NAME03");
  ASSERT_TRUE(next.Press("?Cancel"));
  ASSERT_TRUE(list.WaitIdle());
  EXPECT_EQ(Names()[1], "NAME02X");
  EXPECT_EQ(Current(), 3);
  Finish();
}

TEST_F(BrowseTest, ThePopupMimicsTheButtonsAndAVanishedRecordIsReported) {
  AddNumbered(3);
  HeadlessWindow& list = Start();
  Do(list.ChooseRow(1, 2));
  // Another station deletes the highlighted record.
  data::FileManager& staff = Files(data::EmployeeFile());
  staff.Open();
  data::Set(staff.record<EmployeeRecord>().EMPCODE, "C2");
  ASSERT_EQ(staff.TryFetch(*data::EmployeeFile().FindKey("STAFF_KEY")), errors::kGoOn);
  ASSERT_EQ(staff.file().Delete(), data::kStoreOk);
  staff.Close();
  windows_.AnswerPopup(2);  // "&Change"
  Do(list.Key(1, platform::kKeyRightButtonUp));
  const auto popup = windows_.last_popup();
  ASSERT_EQ(popup.size(), 4u);
  EXPECT_EQ(popup[1].text, "&Change");
  EXPECT_TRUE(popup[1].enabled);
  ASSERT_TRUE(list.WaitIdle());
  EXPECT_EQ(display_.last()->request.caption, "Record Retrieval Error");
  EXPECT_EQ(Names(), (std::vector<std::string>{"NAME01", "NAME03"}));
  Finish();
}

TEST(ToolTips, PackedBlocksReadBackAndADamagedOneKeepsItsWholeEntries) {
  const auto tips = UnpackTips(FormChangeTips());
  EXPECT_EQ(tips.size(), 7u);
  EXPECT_EQ(tips.at(kToolInsert), "Save this record and add a new one");
  EXPECT_EQ(UnpackTips(ListTips()).at(kToolPrevious), "Go to the Prior Record");
  std::vector<std::uint8_t> damaged(FormInsertTips().begin(), FormInsertTips().end());
  damaged.resize(damaged.size() - 3);
  EXPECT_EQ(UnpackTips(damaged).size(), 1u);
}

}  // namespace
}  // namespace vornel::ui
