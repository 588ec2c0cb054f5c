// Two workstations as two real programs on one data root, each driven by its
// own headless script; the scripts meet at files (signal / await) so that the
// second station writes while the first one has the record open in its form.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <string>

#include "app/demo_data/demo_generator.h"
#include "platform/settings_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

extern char** environ;

namespace vornel::app {
namespace {

namespace fs = std::filesystem;

// The stations share the root's store: its own, or a database on a server
// that the root's settings name.
class Stations : public ::testing::TestWithParam<test::StoreKind> {
 protected:
  void SetUp() override {
    demo::DemoOptions options;
    if (GetParam() == test::StoreKind::kPostgres) {
      options.server = test::FreshTestDatabase();
      if (!options.server) return;
    }
    options.root = root_ / "root";
    options.clients = 3;
    options.months = 1;
    options.today = platform::DateFromMdy(12, 7, 2026);
    const demo::DemoResult made = demo::GenerateDemoData(options);
    ASSERT_TRUE(made.ok) << made.message;
    platform::SettingsFile(root_ / "root" / "VORNEL" / "vornel.ini").Set("Program Control", "History Popup", "0");
  }

  // Starts the program on the shared root with `script`; answers its pid.
  pid_t Start(const std::string& name, const std::string& script) {
    std::string text = script;
    for (std::string::size_type at; (at = text.find("$DIR")) != std::string::npos;)
      text.replace(at, 4, root_.path().string());
    const fs::path file = root_ / (name + ".script");
    std::ofstream(file) << text;
    const std::string program = VORNEL_PROGRAM;
    const std::string root = (root_ / "root").string();
    const std::string path = file.string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--root"), const_cast<char*>(root.c_str()),
                    const_cast<char*>("--headless"), const_cast<char*>("--script"), const_cast<char*>(path.c_str()),
                    nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ), 0);
    return pid;
  }

  static int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Station A opens the first record of `list` for a change and types
  // `field`; station B then does `b_action` to the same record; A presses OK.
  void RunPair(const std::string& menu, const std::string& list, const std::string& form,
               const std::string& field, const std::string& a_after_ok, const std::string& b_action) {
    const pid_t a = Start("a", "frame\nmenu \"Setup\" \"" + menu + "\"\nwindow \"" + list +
                                   "\"\nrow ?List 1\npress ?Change\nwindow \"" + form + "\"\ntype " + field +
                                   " \"Station A\"\nsignal $DIR/a-ready\nawait $DIR/b-done\npress ?OK\n" + a_after_ok);
    const pid_t b = Start("b", "await $DIR/a-ready\nframe\nmenu \"Setup\" \"" + menu + "\"\nwindow \"" + list +
                                   "\"\nrow ?List 1\n" + b_action + "signal $DIR/b-done\n");
    EXPECT_EQ(Wait(b), 0) << "station B's script failed";
    EXPECT_EQ(Wait(a), 0) << "station A's script failed";
  }

  // The program itself, in a third process, reads what is stored now.
  void ExpectStored(const std::string& menu, const std::string& list, const std::string& row) {
    const pid_t c = Start("c", "frame\nmenu \"Setup\" \"" + menu + "\"\nwindow \"" + list +
                                   "\"\nexpect highlighted ?List \"" + row + "\"\n");
    EXPECT_EQ(Wait(c), 0) << "the stored record is not " << row;
  }

  test::TempDir root_;
};

constexpr const char* kShownAgain =
    "expect message \"Record Was Not Updated\" \"This record was changed by another station. Those changes will now "
    "be displayed. Use the Ditto Button or Ctrl+H to recall your changes.\"\n";

TEST_P(Stations, ASaveAfterAnotherStationsChangeIsRefusedAndShowsTheOtherVersion) {
  // Staff live in COMMON.
  RunPair("Employee Lisiting", "Browse the Employee File", "Changing a Employee Record", "?EMP:TITLE",
          std::string(kShownAgain) +
              "expect value ?EMP:TITLE \"Station B\"\n"
              "key ?EMP:TITLE ditto\nexpect value ?EMP:TITLE \"Station A\"\n"
              "key ?EMP:TITLE ditto\npress ?Cancel\nanswer no\n",
          "press ?Change\nwindow \"Changing a Employee Record\"\ntype ?EMP:TITLE \"Station B\"\npress ?OK\n");
  ExpectStored("Employee Lisiting", "Browse the Employee File",
               "AMO01 | Amos | Ruth | Station B | MSW, LCSW | A | P");
}

TEST_P(Stations, TheSameHoldsForAFileOfTheDepartment) {
  RunPair("Services Listing", "Browse the Services File", "Changing a Services Record", "?SER:DESC",
          std::string(kShownAgain) + "expect value ?SER:DESC \"Station B\"\n",
          "press ?Change\nwindow \"Changing a Services Record\"\ntype ?SER:DESC \"Station B\"\npress ?OK\n");
}

TEST_P(Stations, ASaveOfARecordAnotherStationDeletedIsRefused) {
  RunPair("Employee Lisiting", "Browse the Employee File", "Changing a Employee Record", "?EMP:TITLE",
          "expect message \"Record Retrieval Error\" \"This record was changed or deleted by another station.|Error: "
          "(Record Not Available (33)) attempting to access a record from the Employee file.\"\n",
          "answer yes\npress ?Delete\nexpect message \"Confirm Delete\" \"Are you sure you want to delete the "
          "highlighted record?\"\n");
  ExpectStored("Employee Lisiting", "Browse the Employee File",
               "BEL02 | Bellamy | Marcus | Counselor | MA, LPC | A | P");
}

TEST_P(Stations, ARecordGoneUnderTheHighlightLeavesNoRowChosen) {
  const pid_t a = Start("a", R"(frame
menu "Setup" "Employee Lisiting"
window "Browse the Employee File"
row ?List 2
signal $DIR/a-ready
await $DIR/b-done
press ?Change
expect message "Record Retrieval Error" "This record was changed or deleted by another station.|Error: (Record Not Available (33)) attempting to access a record from the Employee file."
expect row ?List 0
expect enabled ?Change no
expect enabled ?Delete no
row ?List 1
expect enabled ?Change yes
)");
  const pid_t b = Start("b", R"(await $DIR/a-ready
frame
menu "Setup" "Employee Lisiting"
window "Browse the Employee File"
row ?List 2
answer yes
press ?Delete
signal $DIR/b-done
)");
  EXPECT_EQ(Wait(b), 0) << "station B's script failed";
  EXPECT_EQ(Wait(a), 0) << "station A's script failed";
}

// The same visit changed at two stations: the later save is refused and the
// form shows the other station's version; the user's text is kept for ditto.
TEST_P(Stations, TheSecondStationChangingTheSameVisitGetsTheChangedRecordMessage) {
  const std::string open_visit =
      "frame\nmenu \"Browse Lists\" \"Browse the Daily Log File\"\nwindow \"Daily Log File\"\nrow ?List 1\n"
      "press ?Change\nwindow \"Changing a Log Record\"\n";
  const pid_t a = Start("a", open_visit + "type ?LOG:COMMENT \"Station A\"\nsignal $DIR/a-ready\nawait $DIR/b-done\n"
                                          "press ?OK\n" + kShownAgain +
                                          "expect value ?LOG:COMMENT \"Station B\"\n"
                                          "key ?LOG:COMMENT ditto\nexpect value ?LOG:COMMENT \"Station A\"\n");
  const pid_t b = Start("b", "await $DIR/a-ready\n" + open_visit +
                                 "type ?LOG:COMMENT \"Station B\"\npress ?OK\nexpect closed\nsignal $DIR/b-done\n");
  EXPECT_EQ(Wait(b), 0) << "station B's script failed";
  EXPECT_EQ(Wait(a), 0) << "station A's script failed";
}

// An appointment booked at another station shows in the book once it is in
// front again, and booking the same client over it is asked about.
TEST_P(Stations, AnAppointmentBookedElsewhereShowsAndIsNotBookedTwice) {
  const std::string open_book = "frame\ntool \"Appointment Management\"\nwindow \"Appointments Selection\"\n";
  const std::string book = "press ?AddNew\nwindow \"Adding a New Appointment\"\ntype ?LOG:CLCODE \"1\"\n"
                           "type ?LOG:SERV_CODE \"INDV\"\ntype ?LOG:LOG_DATE \"12/11/2026\"\n";
  const pid_t a = Start("a", open_book + "type ?StaffFilter \"ELL05\"\nsignal $DIR/a-ready\nawait $DIR/b-done\n"
                                         "post gainfocus\ntype ?Locator \"12/11/2026\"\nexpect highlighted ?List \"12/11/2026 | "
                                         "Ellison | 10:00AM | 11:00AM | Bennett, Robert S | INDV | SCHED\"\n" +
                                         book + "type ?LOG:TIME_IN \"10:30\"\npress ?OK\n"
                                         "expect message \"Double Booking\" \"Robert Bennett already has an "
                                         "appointment from 10:00AM to 11:00AM. Book anyway?\"\n"
                                         "expect focus ?LOG:TIME_IN\n");
  const pid_t b = Start("b", "await $DIR/a-ready\n" + open_book + book +
                                 "type ?LOG:TIME_IN \"10:00\"\npress ?OK\nexpect closed\nsignal $DIR/b-done\n");
  EXPECT_EQ(Wait(b), 0) << "station B's script failed";
  EXPECT_EQ(Wait(a), 0) << "station A's script failed";
}

// A visit form open at one station while another posts its period: the
// posting goes through, and the form's save is refused, not written into
// the posted period.
TEST_P(Stations, AVisitOpenWhileAnotherStationPostsIsNotSavedIntoThePostedPeriod) {
  const pid_t a = Start("a", "frame\nmenu \"Browse Lists\" \"Browse the Daily Log File\"\nwindow \"Daily Log File\"\n"
                             "row ?List 1\nexpect highlighted ?List \"12/03/2026 | Ellison |  8:15AM |  9:05AM | "
                             "Bennett, Robert S | MA1 | SHOW\"\npress ?Change\nwindow \"Changing a Log Record\"\n"
                             "type ?LOG:COMMENT \"Station A\"\nsignal $DIR/a-ready\nawait $DIR/b-done\npress ?OK\n"
                             "window \"System Warning\"\nexpect value ?MESSAGE \"This record has already been posted "
                             "and may not be changed.\"\n");
  const pid_t b = Start("b", "await $DIR/a-ready\nframe\nmenu \"Daily Entries\" \"Post Daily Entries\"\n"
                             "window \"Transaction Posting\"\ntype ?botdate \"12/05/2026\"\npress ?Begin\n"
                             "window \"Posting Progress Window\"\nexpect value ?MESS1 \"Posting successful !!\"\n"
                             "signal $DIR/b-done\n");
  EXPECT_EQ(Wait(b), 0) << "station B's script failed";
  EXPECT_EQ(Wait(a), 0) << "station A's script failed";
}

VORNEL_STORE_TESTS(Stations);

}  // namespace
}  // namespace vornel::app
