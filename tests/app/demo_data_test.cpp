#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/demo_data/demo_generator.h"
#include "app/demo_data/demo_options.h"
#include "data/data_context.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/field_rules.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "platform/headless/headless_message_display.h"
#include "platform/settings_file.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace vornel::app::demo {
namespace {

using platform::ReadField;

std::int64_t Cents(double amount) { return std::llround(amount * 100.0); }

// Reads a generated root through the store, the way the program would.
class RootReader {
 public:
  explicit RootReader(const std::filesystem::path& root)
      : errors_(display_, [root] { return root / "KIVError.Log"; }),
        store_(data::MakeSqliteStore()),
        paths_(root, root / "config"),
        context_{*store_, paths_, errors_} {}

  // Whether the file exists (in `department`, for department files).
  bool Exists(const data::FileDef& def, int department) {
    data::FileRegistry registry(Enter(department));
    return registry.Get(def).file().Exists();
  }
  // Every record in record order; false when the file does not exist.
  bool Each(const data::FileDef& def, int department,
            const std::function<void(std::span<const char>)>& visit) {
    data::FileRegistry registry(Enter(department));
    data::FileManager& file = registry.Get(def);
    if (!file.file().Exists()) return false;
    file.Open();
    bool usable = file.CheckUse(data::kUseReadWrite) == errors::kGoOn;
    file.file().SetOrder(nullptr);
    while (usable && file.NextQuiet() == errors::kGoOn) visit(file.buffer());
    file.Close();
    return usable;
  }
  template <typename Record>
  std::vector<Record> All(const data::FileDef& def, int department) {
    std::vector<Record> records;
    Each(def, department, [&](std::span<const char> b) {
      records.push_back(*reinterpret_cast<const Record*>(b.data()));
    });
    return records;
  }

  // Record count and a digest of the bytes of every record, per file and department.
  std::map<std::string, std::pair<std::int64_t, std::uint64_t>> Digest() {
    std::map<std::string, std::pair<std::int64_t, std::uint64_t>> digest;
    for (const data::FileDef& def : data::AllFiles()) {
      const bool per_department = def.location == data::FileLocation::kDepartment;
      for (int department : per_department ? std::vector<int>{1, 2} : std::vector<int>{0}) {
        std::pair<std::int64_t, std::uint64_t> entry{0, 1469598103934665603ull};
        Each(def, department, [&](std::span<const char> record) {
          ++entry.first;
          for (char c : record)
            entry.second = (entry.second ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        });
        digest[std::string(def.label) + "@" + std::to_string(department)] = entry;
      }
    }
    return digest;
  }

 private:
  data::DataContext& Enter(int department) {
    paths_.SetWorkingDirectory(
        department == 0 ? "\\" : platform::PathMap::DepartmentDirectory(department));
    return context_;
  }

  platform::HeadlessMessageDisplay display_;
  errors::ErrorManager errors_;
  std::unique_ptr<data::RecordStore> store_;
  platform::PathMap paths_;
  data::DataContext context_;
};

DemoOptions Small(const std::filesystem::path& root, std::uint64_t seed = 7) {
  DemoOptions options;
  options.root = root;
  options.clients = 30;
  options.months = 2;
  options.seed = seed;
  options.today = platform::DateFromMdy(3, 14, 2024);
  return options;
}

class DemoData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir;
    result_ = new DemoResult(GenerateDemoData(Small(dir_->path())));
  }
  static void TearDownTestSuite() {
    delete result_;
    delete dir_;
  }
  void SetUp() override { ASSERT_TRUE(result_->ok) << result_->message; }

  static inline test::TempDir* dir_ = nullptr;
  static inline DemoResult* result_ = nullptr;
};

TEST_F(DemoData, TheSameSeedMakesTheSameRecordsAndAnotherSeedOthers) {
  auto digest = RootReader(dir_->path()).Digest();
  EXPECT_EQ(digest["Log@1"].first, 180) << "clients x months x 3 visits";
  EXPECT_EQ(digest["Client@2"].first, 30);

  test::TempDir again, other;
  ASSERT_TRUE(GenerateDemoData(Small(again.path())).ok);
  EXPECT_EQ(RootReader(again.path()).Digest(), digest);
  ASSERT_TRUE(GenerateDemoData(Small(other.path(), 8)).ok);
  auto different = RootReader(other.path()).Digest();
  EXPECT_NE(different["Client@1"], digest["Client@1"]);
  EXPECT_NE(different["Log@1"], digest["Log@1"]);
}

TEST_F(DemoData, RecordsPassTheFieldRulesAndTheBooksBalance) {
  RootReader reader(dir_->path());
  const DemoPeriod& period = result_->summary.period;
  for (int department : {1, 2}) {
    SCOPED_TRACE("department " + std::to_string(department));
    for (const data::FileDef* def :
         {&data::ClientFile(), &data::LogFile(), &data::LineitemFile(), &data::ClipmtsFile()}) {
      reader.Each(*def, department, [&](std::span<const char> record) {
        auto check = data::CheckRecord(*def, record, nullptr);
        EXPECT_EQ(check.level, 0) << def->label << " " << (check.field ? check.field->name : "");
      });
    }
    std::map<std::int32_t, data::LogRecord> visits;
    std::set<std::string> outcomes, shares;
    for (const auto& v : reader.All<data::LogRecord>(data::LogFile(), department)) {
      visits[+v.LOG_NO] = v;
      const std::string outcome(ReadField(v.TRANS_TYPE));
      outcomes.insert(outcome);
      const int weekday = platform::WeekdayOf(v.LOG_DATE);
      EXPECT_TRUE(weekday != 0 && weekday != 6) << "visits fall on working days";
      if (outcome == "SCHED") {
        EXPECT_GT(+v.LOG_DATE, period.post_date) << "posted days have no appointments";
      }
      if (outcome != "SHOW") {
        EXPECT_EQ(Cents(+v.TOTAL_FEE) + Cents(+v.CLIFEEDUE) + Cents(+v.BALSCA) + Cents(+v.BILLINS), 0);
        continue;
      }
      EXPECT_EQ(Cents(+v.TOTAL_FEE), std::llround(v.UNITS * v.RATE * 100)) << v.LOG_NO;
      const double client = v.CLIFEEDUE != 0 ? v.CLIFEEDUE : v.CLIFEENC;
      EXPECT_EQ(Cents(client) + Cents(+v.BILLTOMA) + Cents(+v.BILLINS) + Cents(+v.OSMFEE) +
                    Cents(v.OTHERFEE) + Cents(v.BALSCA),
                Cents(v.TOTAL_FEE))
          << "shares of visit " << v.LOG_NO;
      EXPECT_GE(+v.BALSCA, 0);
      for (auto [name, amount] : {std::pair{"client", +v.CLIFEEDUE},
                                  {"MA", +v.BILLTOMA},
                                  {"insurance", +v.BILLINS},
                                  {"OSM", +v.OSMFEE},
                                  {"other", +v.OTHERFEE},
                                  {"SCA", +v.BALSCA}})
        if (amount > 0) shares.insert(name);
    }
    EXPECT_EQ(outcomes, (std::set<std::string>{"CANC", "NOSHW", "RESCH", "SCHED", "SHOW"}));
    EXPECT_EQ(shares.size(), 6u) << "every kind of share occurs";

    // Charge lines: each belongs to a shown visit of the same client, and
    // together they carry what the client and MA do not.
    std::map<std::int32_t, std::int64_t> line_sums;
    std::map<std::int32_t, std::set<std::string>> ma_lines;
    for (const auto& line : reader.All<data::LineitemRecord>(data::LineitemFile(), department)) {
      auto visit = visits.find(+line.LOG_NO);
      ASSERT_NE(visit, visits.end()) << "line of visit " << line.LOG_NO;
      EXPECT_EQ(+line.CLCODE, +visit->second.CLCODE);
      EXPECT_EQ(+line.SERV_DATE, +visit->second.LOG_DATE);
      EXPECT_EQ(ReadField(visit->second.TRANS_TYPE), "SHOW");
      EXPECT_FALSE(ReadField(line.VEN_CODE).empty());
      if (ReadField(line.STATUS) == "P") {
        EXPECT_GE(+line.DATE_PAID, +line.SERV_DATE);
        EXPECT_EQ(Cents(+line.AMOUNT), Cents(+line.AMOUNT_DUE));
      }
      line_sums[+line.LOG_NO] += Cents(line.AMOUNT_DUE);
      if (ReadField(line.VEN_CODE) == "MA1")
        ma_lines[+line.LOG_NO].insert(std::string(ReadField(line.LINE_SVC)));
    }
    for (const auto& [log_no, v] : visits) {
      if (ReadField(v.TRANS_TYPE) != "SHOW") continue;
      EXPECT_EQ(line_sums[log_no], Cents(+v.TOTAL_FEE) - Cents(+v.CLIFEEDUE) - Cents(+v.BILLTOMA))
          << log_no;
      if (v.BILLTOMA > 0) {
        EXPECT_EQ(ma_lines[log_no], (std::set<std::string>{"MA1", "MA2"})) << log_no;
      }
    }

    // Client totals are what posting made of the posted visits and payments.
    std::map<std::int16_t, std::int64_t> balance, shown;
    std::map<std::int16_t, std::int32_t> last_seen;
    for (const auto& [log_no, v] : visits) {
      if (ReadField(v.TRANS_TYPE) != "SHOW" || v.LOG_DATE > period.post_date) continue;
      ++shown[+v.CLCODE];
      last_seen[+v.CLCODE] = std::max(last_seen[+v.CLCODE], +v.LOG_DATE);
    }
    for (const auto& cpy : reader.All<data::ClipmtsRecord>(data::ClipmtsFile(), department)) {
      if (cpy.LOG_NO != 0) {
        const auto& v = visits.at(+cpy.LOG_NO);
        EXPECT_EQ(+v.CLCODE, +cpy.CLCODE);
        EXPECT_EQ(Cents(+cpy.CHARGES), Cents(+v.CLIFEEDUE));
        EXPECT_LE(+cpy.DATE, period.post_date) << "charges come from posting";
      }
      if (cpy.DATE <= period.post_date) {
        EXPECT_EQ(Cents(+cpy.PREVBAL) + Cents(+cpy.CHARGES) - Cents(+cpy.AMOUNT), Cents(+cpy.NEWBAL));
        balance[+cpy.CLCODE] += Cents(cpy.CHARGES) - Cents(cpy.AMOUNT);
      }
    }
    std::set<char> statuses;
    for (const auto& c : reader.All<data::ClientRecord>(data::ClientFile(), department)) {
      statuses.insert(c.CURRENT[0]);
      EXPECT_EQ(Cents(+c.BAL_DUE), balance[+c.CLCODE]) << "client " << c.CLCODE;
      EXPECT_EQ(+c.NUM_VSTS, shown[+c.CLCODE]) << "client " << c.CLCODE;
      EXPECT_EQ(+c.LAST_SEEN, last_seen[+c.CLCODE]) << "client " << c.CLCODE;
      EXPECT_EQ(c.PHONE[0], '(');
      EXPECT_EQ(ReadField(c.SOC_SEC_NO).size(), 11u);
    }
    EXPECT_EQ(statuses, (std::set<char>{'A', 'P', 'I', 'D'}));
  }
}

TEST_F(DemoData, EveryFileExistsInBothDepartmentsWithTheSharedFilesFilled) {
  RootReader reader(dir_->path());
  for (const data::FileDef& def : data::AllFiles()) {
    if (def.location == data::FileLocation::kDepartment) {
      EXPECT_TRUE(reader.Exists(def, 1)) << def.label;
      EXPECT_TRUE(reader.Exists(def, 2)) << def.label;
    } else {
      EXPECT_TRUE(reader.Exists(def, 0)) << def.label;
    }
  }
  auto setups = reader.All<data::SetupsRecord>(data::SetupsFile(), 0);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(+setups[0].MA_PER_PAGE, 7);
  EXPECT_EQ(+setups[0].ACT_INDX, 1);
  auto departments = reader.All<data::DepartmentsRecord>(data::DepartmentsFile(), 0);
  ASSERT_EQ(departments.size(), 2u);
  EXPECT_EQ(ReadField(departments[1].ACTIVITY), "PREVENTION");
  EXPECT_EQ(+departments[0].POSTDATE, result_->summary.period.post_date);
  std::set<std::string> vendors;
  for (const auto& v : reader.All<data::VendorRecord>(data::VendorFile(), 0))
    vendors.insert(std::string(ReadField(v.VEN_CODE)));
  EXPECT_TRUE(vendors.contains("MA1") && vendors.contains("SCA") && vendors.contains("OSM"));
  EXPECT_EQ(reader.All<data::EmployeeRecord>(data::EmployeeFile(), 0).size(), 12u);
  EXPECT_EQ(reader.All<data::DiaglistRecord>(data::DiaglistFile(), 0).size(), 12u);
  EXPECT_FALSE(reader.All<data::AppRevsRecord>(data::AppRevsFile(), 0).empty());

  platform::SettingsFile agency(dir_->path() / "VORNEL" / "agency.ini");
  for (const char* entry : {"Name", "Facility", "Signature", "NPI"})
    EXPECT_FALSE(agency.Get("Agency", entry).empty()) << entry;
}

TEST_F(DemoData, ANonEmptyRootIsReplacedOnlyWhenForced) {
  test::TempDir root;
  test::WriteFile(root.path() / "notes.txt", "keep me");
  DemoResult refused = GenerateDemoData(Small(root.path()));
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.message.find("--force"), std::string::npos) << refused.message;
  EXPECT_FALSE(std::filesystem::exists(root.path() / "VORNEL"));

  DemoOptions forced = Small(root.path());
  forced.force = true;
  ASSERT_TRUE(GenerateDemoData(forced).ok);
  ASSERT_TRUE(GenerateDemoData(forced).ok) << "a second forced run replaces the first";
  EXPECT_EQ(RootReader(root.path()).Digest(), RootReader(dir_->path()).Digest());
  EXPECT_EQ(test::ReadFile(root.path() / "notes.txt"), "keep me");
}

ParsedArguments Parse(std::vector<std::string_view> arguments) {
  return ParseDemoArguments(arguments);
}

TEST(DemoDataOptions, CommandLineValuesAreChecked) {
  ParsedArguments good = Parse({"--root", "/tmp/x", "--clients=5000", "--months", "24", "--seed",
                                "42", "--visits", "1000000", "--today", "2024-02-29", "--force"});
  ASSERT_TRUE(good.options) << good.message;
  EXPECT_EQ(good.options->clients, 5000);
  EXPECT_EQ(good.options->VisitsPerDepartment(), 1000000);
  EXPECT_EQ(good.options->today, platform::DateFromMdy(2, 29, 2024));
  EXPECT_TRUE(good.options->force);
  EXPECT_EQ(
      Parse({"--root", "r", "--clients", "10", "--months", "4"}).options->VisitsPerDepartment(),
      120);

  const std::pair<std::vector<std::string_view>, std::string> refused[] = {
      {{"--clients", "5"}, "--root is required"},
      {{"--root", "r", "--clients", "ten"}, "whole number"},
      {{"--root", "r", "--clients", "12x"}, "whole number"},
      {{"--root", "r", "--clients", "-3"}, "may not be negative"},
      {{"--root", "r", "--clients", "32768"}, "16-bit"},
      {{"--root", "r", "--months", "0"}, "between 1 and 120"},
      {{"--root", "r", "--seed", "99999999999999999999"}, "between"},
      {{"--root", "r", "--visits"}, "needs a value"},
      {{"--root", "r", "--clients", "2", "--visits", "20000"}, "at most 5000 per client"},
      {{"--root", "r", "--clients", "0", "--visits", "1"}, "at least one client"},
      {{"--root", "r", "--today", "2023-02-29"}, "YYYY-MM-DD"},
      {{"--root", "r", "--months", "3", "--months", "4"}, "given twice"},
      {{"--root", "r", "--colour", "red"}, "unknown argument"},
  };
  for (const auto& [arguments, expected] : refused) {
    ParsedArguments parsed = Parse(arguments);
    EXPECT_FALSE(parsed.options) << expected;
    EXPECT_NE(parsed.message.find(expected), std::string::npos) << parsed.message;
  }
}

}  // namespace
}  // namespace vornel::app::demo
