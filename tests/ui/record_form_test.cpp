#include "ui/record_form.h"

#include "platform/headless/headless_window.h"
#include "tests/support/data_fixture.h"
#include "tests/ui/staff_form.h"

namespace vornel::ui {
namespace {

using data::EmployeeRecord;
using platform::HeadlessWindow;

// A form that keeps adding records: a procedure sets its actions in its own
// Init, after the base has set the defaults.
class AddAnotherForm : public RecordForm {
 public:
  using RecordForm::RecordForm;
  int Init() override {
    int result = RecordForm::Init();
    INSERTACTION = 4;
    return result;
  }
};

// A staff form over Employee, run on a procedure thread as the program runs
// forms; the test drives it as a user would.
class RecordFormTest : public data::DataFixture {
 protected:
  void SetUp() override {
    CreateSharedFile(data::EmployeeFile());
    AddRecord<EmployeeRecord>(data::EmployeeFile(), [](EmployeeRecord& e) {
      data::Set(e.LASTNAME, "JONES");
      data::Set(e.EMPCODE, "JS1");
      data::Set(e.STATUS, "A");
      data::Set(e.TYPE, "P");
    });
  }

  FormDeclaration Declare(EmployeeRecord& e) { return test::StaffForm(e); }

  // Runs the form for `request` on a procedure thread; `prepare` runs there
  // first (reading the record to change, or priming a new one).
  void Start(int request, bool add_another = false) {
    threads_ = std::make_unique<ProcedureThreads>(context_);
    threads_->Start("BrowseEmployee", [this, request, add_another] {
      ThreadState& thread = *CurrentThread();
      data::FileManager& staff = thread.files.Get(data::EmployeeFile());
      staff.Open();
      staff.CheckUse(data::kUseReadWrite);
      staff.file().SetWatch(true);
      if (request == kInsert) {
        staff.PrepareNewRecord();
        data::Set(staff.record<EmployeeRecord>().STATUS, "A");
        data::Set(staff.record<EmployeeRecord>().TYPE, "P");
      } else {
        data::Set(staff.record<EmployeeRecord>().EMPCODE, "JS1");
        staff.TryFetch(*data::EmployeeFile().FindKey("STAFF_KEY"));
        thread.files.Relations(data::EmployeeFile()).SaveLinks();
      }
      std::unique_ptr<RecordForm> form =
          add_another ? std::make_unique<AddAnotherForm>(windows_, thread, errors_,
                                                         Declare(staff.record<EmployeeRecord>()))
                      : std::make_unique<RecordForm>(windows_, thread, errors_,
                                                     Declare(staff.record<EmployeeRecord>()));
      response_ = CallProcedure(request, [&] { form->RunForCaller(); });
      staff.Close();
    });
  }

  HeadlessWindow& Window(const char* title) {
    auto window = windows_.WaitForWindow(title);
    EXPECT_NE(window, nullptr) << title;
    EXPECT_TRUE(window->WaitIdle());
    return *window;
  }

  int Finish() {
    threads_->WaitAll();
    EXPECT_TRUE(threads_->stops().empty());
    return response_;
  }

  std::string StoredLastName() {
    data::FileManager& staff = Files(data::EmployeeFile());
    staff.Open();
    data::Set(staff.record<EmployeeRecord>().EMPCODE, "JS1");
    staff.TryFetch(*data::EmployeeFile().FindKey("STAFF_KEY"));
    std::string name(platform::ReadField(staff.record<EmployeeRecord>().LASTNAME));
    staff.Close();
    return name;
  }

  platform::HeadlessWindowSystem windows_;
  std::unique_ptr<ProcedureThreads> threads_;
  std::atomic<int> response_{0};
};

TEST_F(RecordFormTest, AnUnchangedFormClosesWithoutAQuestion) {
  Start(kChange);
  HeadlessWindow& form = Window("Changing a Employee Record");
  EXPECT_EQ(form.State("?EMP:LASTNAME").text, "JONES");
  EXPECT_EQ(form.State("?EMP:STATUS").text, "Active");
  form.RequestClose();
  EXPECT_EQ(Finish(), kCancelled);
  EXPECT_TRUE(display_.shown().empty());
}

TEST_F(RecordFormTest, AChangedFormAsksSaveRecord) {
  // Cancel keeps the form; No then closes it without saving.
  Start(kChange);
  HeadlessWindow& form = Window("Changing a Employee Record");
  ASSERT_TRUE(form.Type("?EMP:LASTNAME", "JONES-SMITH"));
  display_.Answer(platform::kButtonCancel);
  form.RequestClose();
  ASSERT_TRUE(form.WaitIdle());
  EXPECT_EQ(display_.last()->request.caption, "Save Record");
  EXPECT_EQ(form.selected(), form.Control("?EMP:LASTNAME")) << "back on the first field";
  display_.Answer(platform::kButtonNo);
  form.RequestClose();
  EXPECT_EQ(Finish(), kCancelled);
  EXPECT_EQ(StoredLastName(), "JONES");

  // Yes saves and closes.
  Start(kChange);
  HeadlessWindow& again = Window("Changing a Employee Record");
  ASSERT_TRUE(again.Type("?EMP:LASTNAME", "JONES-SMITH"));
  display_.Answer(platform::kButtonYes);
  again.RequestClose();
  EXPECT_EQ(Finish(), kCompleted);
  EXPECT_EQ(StoredLastName(), "JONES-SMITH");
}

TEST_F(RecordFormTest, AddAnotherPrimesAFreshRecordAndTheDittoKeyRecallsTheLast) {
  Start(kInsert, true);
  HeadlessWindow& form = Window("Adding a Employee Record");
  ASSERT_TRUE(form.Type("?EMP:LASTNAME", "BROWN"));
  ASSERT_TRUE(form.Type("?EMP:EMPCODE", "BR1"));
  display_.Answer(platform::kButtonYes);  // "Record Added": add another
  ASSERT_TRUE(form.Press("?OK"));
  ASSERT_TRUE(form.WaitIdle());
  EXPECT_EQ(LastMessage(), "Record Added: This record has been added to the file. Do you want to add another record?");
  EXPECT_EQ(form.State("?EMP:LASTNAME").text, "") << "a fresh record";
  form.Post({platform::EventKind::kAlertKey, form.Control("?EMP:LASTNAME"), RecordForm::kDittoKey, {}});
  ASSERT_TRUE(form.WaitIdle());
  EXPECT_EQ(form.State("?EMP:LASTNAME").text, "BROWN") << "the ditto key recalls the last value";
  display_.Answer(platform::kButtonNo);  // "Save Record" for the half-filled second record
  form.RequestClose();
  EXPECT_EQ(Finish(), kCompleted) << "a record was added in the cycle";
  EXPECT_EQ(Count(data::EmployeeFile()), 2);
}

TEST_F(RecordFormTest, ViewModeHasNoOkAndNeverAsks) {
  Start(kView);
  HeadlessWindow& form = Window("View Record");
  ASSERT_TRUE(form.Type("?EMP:LASTNAME", "CHANGED"));
  ASSERT_TRUE(form.Press("?OK"));
  ASSERT_TRUE(form.WaitIdle());
  form.RequestClose();
  EXPECT_EQ(Finish(), kCancelled);
  EXPECT_TRUE(display_.shown().empty());
  EXPECT_EQ(StoredLastName(), "JONES");
}

TEST_F(RecordFormTest, ADeleteRequestAsksWithoutShowingTheForm) {
  display_.Answer(platform::kButtonYes);
  Start(kDelete);
  EXPECT_EQ(Finish(), kCompleted);
  EXPECT_EQ(display_.last()->request.caption, "Confirm Delete");
  EXPECT_TRUE(windows_.OpenTitles().empty());
  EXPECT_EQ(Count(data::EmployeeFile()), 0);
}

TEST_F(RecordFormTest, ADeclinedDeleteKeepsTheRecordAndCompletesNothing) {
  display_.Answer(platform::kButtonNo);
  Start(kDelete);
  EXPECT_EQ(Finish(), kCancelled);
  EXPECT_EQ(display_.shown().size(), 1u) << "only the confirmation was asked";
  EXPECT_EQ(Count(data::EmployeeFile()), 1);
}

}  // namespace
}  // namespace vornel::ui
