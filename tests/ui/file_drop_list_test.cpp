// A drop combo of staff codes over Employee, on a small window run on a
// procedure thread and driven through the headless backend.
#include "ui/file_drop_list.h"

#include <gtest/gtest.h>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "platform/headless/headless_window.h"
#include "platform/text.h"
#include "tests/support/data_fixture.h"

namespace vornel::ui {
namespace {

using data::EmployeeRecord;

// The window: the staff code with its drop list, and the chosen staff
// member's last name beside it.
class StaffPicker : public WindowManager {
 public:
  StaffPicker(platform::WindowSystem& windows, ThreadState& thread, errors::ErrorManager& errors,
              FileDropDeclaration declaration, std::string start)
      : WindowManager(windows, errors), thread_(thread), declaration_(std::move(declaration)) {
    platform::AssignPadded(code_, start);
  }
  int Init() override {
    WindowManager::Init();
    platform::WindowSpec spec;
    spec.procedure = "StaffPicker";
    spec.title = "Staff";
    spec.controls = {platform::DropCombo("?Staff", "Staff:", "@s5", platform::Ref(code_)),
                     platform::Shown("?Name", "", "@s30", platform::Ref(name_)), platform::Button("?Close", "Close")};
    Open(spec);
    declaration_.update = {{"EMP:EMPCODE", platform::Ref(code_)}, {"EMP:LASTNAME", platform::Ref(name_)}};
    list_ = std::make_unique<FileDropList>(*this, thread_, errors_, declaration_);
    AddButton(3, kCancelled);
    return 0;
  }
  int Shutdown() override {
    const int result = WindowManager::Shutdown();
    list_.reset();
    return result;
  }

 private:
  ThreadState& thread_;
  FileDropDeclaration declaration_;
  std::unique_ptr<FileDropList> list_;
  char code_[5] = {};
  char name_[30] = {};
};

// Staff codes with their last names, in the order of the staff key.
FileDropDeclaration StaffCodes() {
  return {.control = "?Staff",
          .view = data::ViewDef(data::EmployeeFile()),
          .key = "EMP:STAFF_KEY",
          .columns = {{"EMP:EMPCODE", "@s5"}, {"EMP:LASTNAME", "@s20"}}};
}

class FileDropListTest : public data::DataFixture {
 protected:
  void SetUp() override {
    CreateSharedFile(data::EmployeeFile());
    for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{
             {"KIM11", "Kim"}, {"JOR10", "Jordan"}, {"amo01", "Amos"}, {"JON12", "Jones"}})
      AddRecord<EmployeeRecord>(data::EmployeeFile(), [&](EmployeeRecord& e) {
        data::Set(e.EMPCODE, code);
        data::Set(e.LASTNAME, name);
        data::Set(e.STATUS, "A");
        data::Set(e.TYPE, "P");
      });
  }
  platform::HeadlessWindow& Start(FileDropDeclaration declaration = StaffCodes(), std::string start = "ZZZ") {
    threads_ = std::make_unique<ProcedureThreads>(context_);
    threads_->Start("StaffPicker", [this, declaration, start] {
      StaffPicker(windows_, *CurrentThread(), errors_, declaration, start).Run();
    });
    window_ = windows_.WaitForWindow("Staff");
    EXPECT_NE(window_, nullptr);
    EXPECT_TRUE(window_->WaitIdle());
    return *window_;
  }
  void TearDown() override {
    if (window_ && !window_->closed()) window_->Press("?Close");
    if (threads_) threads_->WaitAll();
  }
  std::string Shown(const char* control) { return std::string(platform::Clip(window_->State(control).text)); }
  std::vector<std::string> Codes() {
    std::vector<std::string> codes;
    for (const auto& row : window_->State("?Staff").rows) codes.push_back(row.at(0));
    return codes;
  }
  void Idle() { ASSERT_TRUE(window_->WaitIdle()); }

  platform::HeadlessWindowSystem windows_;
  std::unique_ptr<ProcedureThreads> threads_;
  std::shared_ptr<platform::HeadlessWindow> window_;
};

// The rows are sorted by their first column without case; a value that is
// in no row chooses the first one and takes its fields; choosing a row
// takes that row's.
TEST_F(FileDropListTest, RowsAreSortedAndAValueInNoRowChoosesTheFirst) {
  platform::HeadlessWindow& window = Start();
  EXPECT_EQ(Codes(), (std::vector<std::string>{"amo01", "JON12", "JOR10", "KIM11"}));
  EXPECT_EQ(window.State("?Staff").current_row, 1);
  EXPECT_EQ(Shown("?Staff"), "amo01");
  EXPECT_EQ(Shown("?Name"), "Amos");
  ASSERT_TRUE(window.ChooseRow(window.Control("?Staff"), 4));
  Idle();
  EXPECT_EQ(Shown("?Staff"), "KIM11");
  EXPECT_EQ(Shown("?Name"), "Kim");
}

// Typing the start of a value completes it from the first row that begins
// with it, whatever the case.
TEST_F(FileDropListTest, TypingJoCompletesToTheFirstValueBeginningWithJo) {
  platform::HeadlessWindow& window = Start(StaffCodes(), "KIM11");
  EXPECT_EQ(window.State("?Staff").current_row, 4);
  ASSERT_TRUE(window.Type("?Staff", "jo"));
  Idle();
  EXPECT_EQ(Shown("?Staff"), "JON12");
  EXPECT_EQ(Shown("?Name"), "Jones");
  EXPECT_EQ(window.State("?Staff").current_row, 2);
}

// A value in no row: answered No to "Add New Record?", the entry is emptied
// and no row is chosen. Answered Yes, the new record must still pass the
// file's rules: a staff member without a status is refused with the file's
// message, and nothing is added.
TEST_F(FileDropListTest, AValueInNoRowIsAddedOnlyWhenTheUserSaysYesAndTheFileTakesIt) {
  FileDropDeclaration declaration = StaffCodes();
  declaration.auto_add = true;
  platform::HeadlessWindow& window = Start(declaration);
  display_.Answer(platform::kButtonNo);
  ASSERT_TRUE(window.Type("?Staff", "XYZ"));
  Idle();
  EXPECT_EQ(display_.last()->request.caption, "Add New Record?");
  EXPECT_EQ(Shown("?Staff"), "");
  EXPECT_EQ(Shown("?Name"), "");
  EXPECT_EQ(window.State("?Staff").current_row, 0);

  display_.Answer(platform::kButtonYes);
  ASSERT_TRUE(window.Type("?Staff", "XYZ"));
  Idle();
  EXPECT_EQ(LastMessage(), "Value Error: The value of Emp:STATUS must be in the list : 'Active','Inactive'.");
  EXPECT_EQ(Count(data::EmployeeFile()), 4);
  EXPECT_EQ(Codes().size(), 4u);
  EXPECT_EQ(Shown("?Staff"), "");
}

}  // namespace
}  // namespace vornel::ui
