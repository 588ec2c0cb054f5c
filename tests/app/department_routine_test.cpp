#include "app/department_routine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "app/agency_settings.h"
#include "platform/dates.h"
#include "platform/program_stop.h"
#include "platform/settings_file.h"
#include "tests/support/data_fixture.h"

namespace vornel::app {
namespace {

using data::DepartmentsFile;
using data::DepartmentsRecord;
using data::Set;
using data::SetupsFile;
using data::SetupsRecord;
using platform::ReadField;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

class DepartmentRoutineTest : public data::DataFixture {
 protected:
  // A Setups record for department 1 with the departments made, then `fill`.
  // The file is created here: the program never creates it.
  void AddSetups(const std::function<void(SetupsRecord&)>& fill = [](SetupsRecord&) {}) {
    CreateSharedFile(SetupsFile());
    AddRecord<SetupsRecord>(SetupsFile(), [&](SetupsRecord& s) {
      s.ACT_INDX = 1;
      s.MA_PER_PAGE = 7;
      fill(s);
    });
  }
  void AddDepartment(std::int16_t number, std::string_view activity, std::int32_t postdate = 0) {
    AddRecord<DepartmentsRecord>(DepartmentsFile(), [&](DepartmentsRecord& d) {
      d.DEPT_NO = number;
      Set(d.ACTIVITY, activity);
      d.POSTDATE = postdate;
    });
  }
  // The first Setups record, or department `number` (deleted with `erase`).
  SetupsRecord FirstSetups() { return Read<SetupsRecord>(SetupsFile(), nullptr); }
  DepartmentsRecord Department(std::int16_t number, bool erase = false) {
    return Read<DepartmentsRecord>(DepartmentsFile(), [&](data::RecordFile& f) {
      f.record<DepartmentsRecord>().DEPT_NO = number;
      EXPECT_EQ(f.GetByKey(*DepartmentsFile().PrimaryKey()), data::kStoreOk) << number;
      if (erase) f.Delete();
    });
  }
  template <typename Record>
  Record Read(const data::FileDef& def, const std::function<void(data::RecordFile&)>& read) {
    data::FileManager& fm = Files(def);
    fm.Open();
    fm.CheckUse(data::kUseReadWrite);
    fm.file().ClearBuffer();
    if (read) {
      read(fm.file());
    } else {
      fm.file().SetOrder(nullptr);
      EXPECT_EQ(fm.file().Next(), data::kStoreOk);
    }
    Record record = fm.record<Record>();
    fm.Close();
    return record;
  }
  std::string StopText(const std::function<void()>& run) {
    try {
      run();
    } catch (const platform::ProgramStop& stop) {
      return stop.what();
    }
    return "(the program went on)";
  }
  platform::SettingsFile ProgramSettings() { return platform::SettingsFile(root_ / "VORNEL/vornel.ini"); }
  // The stop text of a start in a child process in which no file may grow
  // past `limit` bytes, as on a full disk.
  std::string StopTextWithFileLimit(rlim_t limit) {
    int out[2];
    if (::pipe(out) != 0) return "(no pipe)";
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(out[0]);
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit rl{limit, limit};
      std::string text = ::setrlimit(RLIMIT_FSIZE, &rl) == 0
                             ? StopText([&] { routine_.RunAtStartup(); })
                             : "(no limit)";
      [[maybe_unused]] ssize_t n = ::write(out[1], text.data(), text.size());
      ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return text;
  }
  std::string CommonDatabase() const { return (root_ / "VORNEL/COMMON/records.db").string(); }

  ui::ProgramValues values_;
  DepartmentRoutine routine_{*registry_, display_, values_};
};

TEST_F(DepartmentRoutineTest, FirstStartMakesTheFourDepartmentsFromTheSetupsSetsOnce) {
  AddDepartment(2, "Kept");  // left by a start that stopped before writing Setups back
  AddSetups([](SetupsRecord& s) {
    s.MA_PER_PAGE = 6;
    Set(s.ACTIVITY1, "Outpatient");
    Set(s.ACTIVITY2, "Partial");
    Set(s.MA11_PROVTY3, "03");
    Set(s.MA12_PROVID4, "44444444");
    Set(s.MA29L_PLACE3, "33");
    s.POSTDATE1 = 70000;
    s.POSTDATE4 = 70400;
    Set(s.FEDTAXNO4, "23-0000004");
  });
  EXPECT_FALSE(routine_.RunAtStartup());
  ASSERT_EQ(Count(DepartmentsFile()), 4);
  DepartmentsRecord d1 = Department(1), d3 = Department(3), d4 = Department(4);
  EXPECT_EQ(ReadField(d1.ACTIVITY), "Outpatient");
  EXPECT_EQ(+d1.POSTDATE, 70000);
  EXPECT_EQ(ReadField(Department(2).ACTIVITY), "Kept");
  EXPECT_EQ(ReadField(d3.MA11_PROVTYP), "03");
  EXPECT_EQ(ReadField(d3.MA29L_PLACE), "33");
  EXPECT_EQ(ReadField(d4.MA12_PROVID), "44444444");
  EXPECT_EQ(+d4.POSTDATE, 70400);
  EXPECT_EQ(ReadField(d4.FEDTAXNO), "23-0000004");
  EXPECT_EQ(+FirstSetups().MA_PER_PAGE, 7);

  Department(3, /*erase=*/true);  // the next start makes none again
  routine_.RunAtStartup();
  EXPECT_EQ(Count(DepartmentsFile()), 3);
}

TEST_F(DepartmentRoutineTest, MissingDepartmentGivesTheNextHigherOneAndItsDirectory) {
  AddDepartment(1, "Outpatient");
  AddDepartment(2, "Partial");
  AddRecord<DepartmentsRecord>(DepartmentsFile(), [](DepartmentsRecord& d) {
    d.DEPT_NO = 4;
    Set(d.ACTIVITY, "Family");
    Set(d.FEDTAXNO, "99-1234567");
  });
  AddSetups([](SetupsRecord& s) {
    s.ACT_INDX = 3;
    Set(s.NAME, "Hill Agency");
    Set(s.ADDRESS1, "12 Main St");
    Set(s.ADDRESS2, "Suite 4");
    Set(s.CITYETC, "Harrisburg, PA");
    Set(s.ZIP, "17101");
    s.REF_DATE = 75000;
  });
  const fs::path process_directory = fs::current_path();
  routine_.RunAtStartup();

  EXPECT_EQ(values_.department, 4);
  EXPECT_EQ(ReadField(values_.activity), "Family");
  EXPECT_EQ(ReadField(values_.billing.FEDTAXNO), "99-1234567");
  EXPECT_EQ(paths_.WorkingDirectory(), "\\VORNEL\\4\\");
  EXPECT_EQ(fs::current_path(), process_directory);
  for (const char* dir : {"VORNEL/4", "VORNEL/4/ARCS", "VORNEL/4/STATS"}) {
    ASSERT_TRUE(fs::is_directory(root_ / dir)) << dir;
    EXPECT_EQ(fs::status(root_ / dir).permissions() & fs::perms::others_all, fs::perms::none);
  }
  EXPECT_EQ(ReadField(FirstSetups().LASTACT), "Family");
  EXPECT_EQ(values_.last_post_date, platform::DateFromMdy(1, 1, 2002));  // POSTDATE 0
  EXPECT_EQ(ReadField(values_.address1), "Hill Agency 12 Main St");
  EXPECT_EQ(ReadField(values_.address2), "Suite 4");
  EXPECT_EQ(ReadField(values_.address3), "Harrisburg, PA,17101");
  EXPECT_EQ(values_.topdate, 75000);
  EXPECT_EQ(values_.posting_start_date, 75000);
}

TEST_F(DepartmentRoutineTest, OnlyTheFirstSetupsRecordIsKept) {
  AddDepartment(1, "Outpatient");
  for (const char* name : {"first", "second", "third"})
    AddSetups([&](SetupsRecord& s) { Set(s.NAME, name); });
  routine_.RunAtStartup();
  EXPECT_EQ(Count(SetupsFile()), 1);
  EXPECT_EQ(ReadField(FirstSetups().NAME), "first");
}

TEST_F(DepartmentRoutineTest, FailuresStopTheProgramWithTheirTexts) {
  StopText([&] { routine_.RunAtStartup(); });
  EXPECT_THAT(LastMessage(), HasSubstr("File Access Error"));  // no Setups file

  CreateSharedFile(SetupsFile());
  EXPECT_EQ(StopText([&] { routine_.RunAtStartup(); }),
            "33  Record Not Available  on setups get record 1");

  AddDepartment(1, "Outpatient");
  AddSetups([](SetupsRecord& s) { s.ACT_INDX = 5; });
  EXPECT_EQ(StopText([&] { routine_.RunAtStartup(); }),
            "Error on Getting Last Department Used: 33  Record Not Available: no department "
            "numbered 5 or higher in Departments");

  // An agency name too long for SET:COMPANY is refused, not cut; a switch
  // stops the same way as a start.
  test::WriteFile(root_ / "VORNEL/agency.ini", "[Agency]\nName=" + std::string(31, 'N') + "\n");
  EXPECT_THAT(StopText([&] { routine_.SwitchTo(1); }),
              AllOf(HasSubstr("\"Name\""), HasSubstr("31 characters"), HasSubstr("at most 30")));
  EXPECT_EQ(ReadField(FirstSetups().COMPANY), "");
}

TEST_F(DepartmentRoutineTest, StopsNameTheFileAndSayWhatIsWrong) {
  AddDepartment(1, "Outpatient");
  AddSetups([](SetupsRecord& s) { Set(s.NAME, "Kept"); });
  // The disk fills while the settings record is written back.
  EXPECT_THAT(StopTextWithFileLimit(4096),
              AllOf(HasSubstr("Error on Writing Setups: 90  "),
                    HasSubstr("cannot write " + CommonDatabase())));
  EXPECT_EQ(ReadField(FirstSetups().NAME), "Kept") << "nothing lost";

  // A department database cut to nothing is damaged, not new.
  test::WriteFile(root_ / "VORNEL/1/records.db", "");
  EXPECT_THAT(StopText([&] { routine_.RunAtStartup(); }),
              AllOf(HasSubstr("Error on Opening Department 1: 90  "),
                    HasSubstr((root_ / "VORNEL/1/records.db").string() + " is empty (0 bytes)")));
  EXPECT_EQ(fs::file_size(root_ / "VORNEL/1/records.db"), 0u);
  fs::remove(root_ / "VORNEL/1/records.db");
  EXPECT_EQ(StopText([&] { routine_.RunAtStartup(); }), "(the program went on)");
}

TEST_F(DepartmentRoutineTest, AnEmptyOrForeignSharedDatabaseStopsNamingIt) {
  for (bool foreign : {false, true}) {
    fs::create_directories(root_ / "VORNEL/COMMON");
    fs::remove(CommonDatabase());
    if (foreign) {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(CommonDatabase().c_str(), &db), SQLITE_OK);
      ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE photos (x)", nullptr, nullptr, nullptr), SQLITE_OK);
      sqlite3_close(db);
    } else {
      test::WriteFile(CommonDatabase(), "");
    }
    const std::string before = test::ReadFile(CommonDatabase());
    // The open error of Setups ends the program.
    EXPECT_THAT(StopText([&] { routine_.RunAtStartup(); }),
                AllOf(HasSubstr("File Setups could not be opened."),
                      HasSubstr(CommonDatabase() + (foreign ? " is a database of another program"
                                                            : " is empty (0 bytes)"))));
    EXPECT_EQ(test::ReadFile(CommonDatabase()), before) << "left as it was";
  }
}

TEST_F(DepartmentRoutineTest, UnreadableSettingsFilesAreNamedAndTheStartGoesOn) {
  AddDepartment(1, "Outpatient");
  AddSetups([](SetupsRecord& s) {
    Set(s.COMPANY, "Hill Agency");
    Set(s.FACILITY, "1234567");
  });
  // A FIFO would hang the start, a device fill memory.
  ASSERT_EQ(::mkfifo((root_ / "VORNEL/agency.ini").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", root_ / "VORNEL/vornel.ini");
  EXPECT_FALSE(routine_.RunAtStartup());
  std::vector<std::string> texts;
  for (const auto& shown : display_.shown()) texts.push_back(shown.request.text);
  EXPECT_THAT(texts, ::testing::Contains(AllOf(
                         HasSubstr((root_ / "VORNEL/agency.ini").string()), HasSubstr("FIFO"))));
  EXPECT_THAT(texts, ::testing::Contains(AllOf(
                         HasSubstr((root_ / "VORNEL/vornel.ini").string()), HasSubstr("device"))));
  EXPECT_EQ(ReadField(FirstSetups().COMPANY), "Hill Agency") << "not blanked";
  EXPECT_EQ(ReadField(FirstSetups().FACILITY), "1234567");
  EXPECT_EQ(ReadField(values_.agency_name), "Hill Agency");
  EXPECT_TRUE(fs::is_symlink(root_ / "VORNEL/vornel.ini")) << "not written over";

  // A huge file is refused at once rather than read entry by entry.
  fs::remove(root_ / "VORNEL/agency.ini");
  test::WriteFile(root_ / "VORNEL/agency.ini", "[Agency]\nName=Big\n" + std::string(50 << 20, ';'));
  display_.Clear();
  const auto started = std::chrono::steady_clock::now();
  routine_.RunAtStartup();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  ASSERT_TRUE(display_.last());
  EXPECT_THAT(display_.shown().front().request.text, HasSubstr("larger than 1048576 bytes"));
  EXPECT_EQ(ReadField(values_.agency_name), "Hill Agency");
}

TEST_F(DepartmentRoutineTest, AgencySettingsGoToSetupsAndMemory) {
  AddDepartment(1, "Outpatient");
  AddSetups([](SetupsRecord& s) { Set(s.COMPANY, "Old name"); });
  EXPECT_THAT(WriteAgencySettings(paths_, {"Hill Agency", "12345678", "", ""}),
              HasSubstr("\"Facility\""));
  EXPECT_FALSE(fs::exists(root_ / "VORNEL/agency.ini"));  // nothing written when refused
  ASSERT_EQ(WriteAgencySettings(paths_, {"Hill Agency", "1234567", "Dr. Pat Doe", "1234567890"}), "");
  routine_.RunAtStartup();
  SetupsRecord setups = FirstSetups();
  EXPECT_EQ(ReadField(setups.COMPANY), "Hill Agency");
  EXPECT_EQ(ReadField(setups.FACILITY), "1234567");
  EXPECT_EQ(ReadField(setups.BC_SGNAME), "Dr. Pat Doe");
  EXPECT_EQ(ReadField(values_.agency_name), "Hill Agency");
  EXPECT_EQ(ReadField(values_.agency_npi), "1234567890");

  fs::remove(root_ / "VORNEL/agency.ini");  // missing settings read as blank
  routine_.RunAtStartup();
  EXPECT_EQ(ReadField(FirstSetups().COMPANY), "");
}

TEST_F(DepartmentRoutineTest, HistoryPopupOpensFromTheSecondStartAndNeverOnASwitch) {
  AddDepartment(1, "Outpatient");
  AddDepartment(2, "Partial");
  AddSetups();
  EXPECT_FALSE(routine_.RunAtStartup());
  EXPECT_EQ(ProgramSettings().Find("Program Control", "History Popup"), "1");
  EXPECT_TRUE(routine_.RunAtStartup());
  values_.selection = 'C';  // the routine as a switch runs it
  values_.department = 2;
  EXPECT_FALSE(routine_.Run());
  ProgramSettings().SetInt("Program Control", "History Popup", 0);
  EXPECT_FALSE(routine_.RunAtStartup());
}

TEST_F(DepartmentRoutineTest, SwitchMakesTheChosenDepartmentCurrent) {
  AddDepartment(1, "Outpatient", 70000);
  AddDepartment(2, "Partial", 71000);
  AddSetups();
  routine_.RunAtStartup();
  ASSERT_EQ(values_.department, 1);

  EXPECT_TRUE(routine_.SwitchTo(2));
  SetupsRecord setups = FirstSetups();
  EXPECT_EQ(+setups.ACT_INDX, 2);
  EXPECT_EQ(ReadField(setups.LASTACT), "Partial");
  EXPECT_EQ(paths_.WorkingDirectory(), "\\VORNEL\\2\\");
  EXPECT_TRUE(fs::is_directory(root_ / "VORNEL/2/STATS"));
  EXPECT_EQ(ReadField(values_.activity), "Partial");
  EXPECT_EQ(values_.last_post_date, 71000);
  EXPECT_EQ(values_.selection, '2');

  values_.last_post_date = 0;  // switching to the current department runs nothing
  EXPECT_FALSE(routine_.SwitchTo(2));
  EXPECT_EQ(values_.last_post_date, 0);
}

}  // namespace
}  // namespace vornel::app
