#include "data/dictionary/dictionary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "data/dictionary/field_access.h"
#include "data/dictionary/field_rules.h"
#include "data/dictionary/records.h"
#include "errors/error_manager.h"
#include "errors/message_table.h"
#include "platform/expression.h"
#include "platform/headless/headless_message_display.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace vornel::data {
namespace {

const FieldDef& Field(const FileDef& file, std::string_view name) {
  const FieldDef* field = file.FindField(name);
  EXPECT_NE(field, nullptr) << name;
  static const FieldDef kNone{};
  return field ? *field : kNone;
}

const KeyDef& Key(const FileDef& file, std::string_view name) {
  const KeyDef* key = file.FindKey(name);
  EXPECT_NE(key, nullptr) << name;
  static const KeyDef kNone{};
  return key ? *key : kNone;
}

std::vector<char> Blank(const FileDef& file) {
  std::vector<char> record(file.record_size, 'x');
  EXPECT_TRUE(ClearRecord(file, record));
  return record;
}

TEST(DictionarySummary, EveryFileAsListedInOrder) {
  struct Row {
    const char* label;
    const char* prefix;
    const char* file_name;
    FileLocation location;
    int record_size, fields, keys;
    bool create;
  };
  using enum FileLocation;
  const Row rows[] = {
      {"Client", "Cli", "Client.dat", kDepartment, 328, 41, 3, true},
      {"Log", "Log", "Log.dat", kDepartment, 143, 24, 5, true},
      {"Lineitem", "Lin", "Lineitem.dat", kDepartment, 49, 11, 7, true},
      {"Clipmts", "CPY", "Clipmts.dat", kDepartment, 51, 10, 3, true},
      {"Services", "Ser", "Services.dat", kDepartment, 58, 10, 1, true},
      {"Ins_card", "Ins", "Ins_card.dat", kDepartment, 115, 17, 1, true},
      {"Studygrp", "Stu", "Studygrp.dat", kDepartment, 72, 2, 1, true},
      {"Grpassin", "SIN", "Grpassin.dat", kDepartment, 34, 3, 3, true},
      {"Cli_cmmt", "CMT", "Cli_cmmt.dat", kDepartment, 66, 3, 1, true},
      {"Discharg", "Dis", "Discharg.dat", kDepartment, 59, 36, 1, true},
      {"Udcs", "Udc", "Udcs.dat", kDepartment, 74, 50, 1, true},
      {"Cliarc", "car", "ARCS\\Cliarc.dat", kDepartment, 328, 41, 2, true},
      {"Logarc", "lac", "ARCS\\Logarc.dat", kDepartment, 143, 24, 1, true},
      {"Vendor", "Ven", "\\vornel\\COMMON\\Vendor.dat", kCommon, 388, 20, 1, false},
      {"Employee", "Emp", "\\vornel\\COMMON\\Employee.dat", kCommon, 97, 7, 2, false},
      {"Diaglist", "Dia", "\\vornel\\COMMON\\Diaglist.dat", kCommon, 80, 3, 1, false},
      {"Setups", "SET", "\\vornel\\COMMON\\Setups.dat", kCommon, 804, 80, 0, false},
      {"Departments", "DEPT", "\\vornel\\common\\depts.dat", kCommon, 128, 15, 1, true},
      {"Reporter", "Rep", "\\vornel\\COMMON\\Reporter.dat", kCommon, 484, 9, 1, false},
      {"AppRevs", "App", "\\VORNEL\\AppRevs.rev", kProduct, 748, 18, 1, false},
      {"Vis1stat", "VS1", "STATS\\Vis1stat.dat", kDepartment, 32, 8, 1, true},
      {"Vis2stat", "VS2", "STATS\\Vis2stat.dat", kDepartment, 33, 8, 1, true},
      {"Vis3stat", "VS3", "STATS\\Vis3stat.dat", kDepartment, 16, 5, 1, true},
      {"V1temp", "V1T", "STATS\\V1temp.dat", kDepartment, 34, 6, 2, true},
      {"Cliestat", "cst", "STATS\\Cliestat.dat", kDepartment, 56, 27, 1, true},
      {"Orstats", "Ors", "STATS\\Orstats.dat", kDepartment, 45, 8, 1, true},
      {"Lin1stat", "LN1", "STATS\\Lin1stat.dat", kDepartment, 28, 5, 1, true},
      {"Lin0temp", "LN0", "STATS\\Lin0temp.dat", kDepartment, 32, 6, 1, true},
      {"Coutemp", "CZZ", "STATS\\Coutemp.dat", kDepartment, 15, 5, 2, true},
      {"Rpt_temp_1", "TPT", "Rpttmp1", kDepartment, 16, 4, 1, true},
  };
  std::span<const FileDef> files = AllFiles();
  ASSERT_EQ(files.size(), std::size(rows));
  for (std::size_t i = 0; i < files.size(); ++i) {
    const FileDef& file = files[i];
    const Row& row = rows[i];
    SCOPED_TRACE(row.label);
    EXPECT_EQ(file.label, row.label);
    EXPECT_EQ(file.prefix, row.prefix);
    EXPECT_EQ(file.file_name, row.file_name);
    EXPECT_EQ(file.location, row.location);
    EXPECT_EQ(file.record_size, row.record_size);
    EXPECT_EQ(file.fields.size(), static_cast<std::size_t>(row.fields));
    EXPECT_EQ(file.keys.size(), static_cast<std::size_t>(row.keys));
    EXPECT_EQ(file.create_when_missing, row.create);
    EXPECT_EQ(file.number, i);
    EXPECT_EQ(FindFile(platform::Lower(row.label)), &file);
  }
  EXPECT_EQ(&ClientFile(), &files.front());
  EXPECT_EQ(&Rpt_temp_1File(), &files.back());
  EXPECT_EQ(FindFile("Clients"), nullptr);
  EXPECT_EQ(FindFile(""), nullptr);
}

TEST(DictionaryLayout, FieldsFillTheRecordAndKeysNameRealFields) {
  for (const FileDef& file : AllFiles()) {
    SCOPED_TRACE(std::string(file.label));
    const std::string field_prefix = platform::Upper(file.prefix) + ":";
    const std::string key_prefix = std::string(file.prefix) + ":";
    std::size_t next = 0;
    std::set<std::string> names;
    for (const FieldDef& field : file.fields) {
      EXPECT_EQ(field.offset, next) << field.name;
      next = field.offset + field.width;
      EXPECT_TRUE(field.name.starts_with(field_prefix)) << field.name;
      EXPECT_TRUE(names.insert(std::string(field.name)).second) << field.name << " twice";
      EXPECT_EQ(file.FindField(field.name.substr(field_prefix.size())), &field);
      if (field.rule) {
        EXPECT_EQ(field.rule->label, key_prefix + std::string(field.name.substr(field_prefix.size())));
      }
    }
    EXPECT_EQ(next, file.record_size);
    for (const KeyDef& key : file.keys) {
      EXPECT_TRUE(key.name.starts_with(key_prefix)) << key.name;
      ASSERT_FALSE(key.components.empty()) << key.name;
      for (const KeyComponent& part : key.components) EXPECT_LT(part.field, file.fields.size());
      if (key.auto_number) {
        EXPECT_EQ(key.components.size(), 1u) << key.name;
      }
    }
  }
  // The packed structs and the descriptors describe the same bytes.
  EXPECT_EQ(sizeof(ClientRecord), ClientFile().record_size);
  EXPECT_EQ(offsetof(LogRecord, TRANS_TYPE), Field(LogFile(), "TRANS_TYPE").offset);
  EXPECT_EQ(sizeof(SetupsRecord), SetupsFile().record_size);
}

TEST(DictionaryKeys, OrderUniquenessAndFlagsAsDeclared) {
  const FileDef& log = LogFile();
  std::vector<std::string_view> log_keys;
  for (const KeyDef& key : log.keys) log_keys.push_back(key.name);
  EXPECT_EQ(log_keys, (std::vector<std::string_view>{"Log:LOG_KEY", "Log:LOG_DAY", "Log:LOG_DAY_IDX",
                                                     "Log:LOG_CUST", "Log:LOG_SUM"}));
  EXPECT_EQ(Key(log, "LOG_DAY_IDX").description, "Changed from index to Key  3/19/00");
  EXPECT_EQ(Key(log, "LOG_DAY").description, "Log:LOG_DAY");
  EXPECT_EQ(Key(Rpt_temp_1File(), "CLI_CODE_KEY").description, "CLient Code Key");
  EXPECT_EQ(CliarcFile().keys[1].name, "car:CODE_KEY");
  EXPECT_EQ(LogarcFile().keys[0].name, "lac:LOG_CUST");

  const KeyDef& lname = Key(ClientFile(), "cli:lname");
  ASSERT_EQ(lname.components.size(), 3u);
  EXPECT_EQ(ClientFile().fields[lname.components[0].field].name, "CLI:CURRENT");
  EXPECT_EQ(ClientFile().fields[lname.components[2].field].name, "CLI:CLFNAME");
  EXPECT_FALSE(lname.unique);
  EXPECT_FALSE(Key(ClientFile(), "LNAMEONLY").unique);
  EXPECT_TRUE(Key(EmployeeFile(), "STAFF_KEY").unique);
  EXPECT_FALSE(Key(EmployeeFile(), "ST_NAME").unique);
  for (const KeyDef& key : LineitemFile().keys) EXPECT_FALSE(key.unique) << key.name;

  const KeyDef& revisions = Key(AppRevsFile(), "REV_KEY");
  ASSERT_EQ(revisions.components.size(), 1u);
  EXPECT_FALSE(revisions.components[0].ascending);

  std::set<std::string_view> primary, numbered, case_sensitive;
  int descending = 0;
  for (const FileDef& file : AllFiles()) {
    for (const KeyDef& key : file.keys) {
      if (key.primary) primary.insert(key.name);
      if (key.auto_number) numbered.insert(key.name);
      if (!key.no_case) case_sensitive.insert(key.name);
      for (const KeyComponent& part : key.components) descending += part.ascending ? 0 : 1;
    }
  }
  EXPECT_EQ(primary, (std::set<std::string_view>{"Cli:CODE_KEY", "Log:LOG_KEY", "DEPT:Dept_No_Key"}));
  EXPECT_EQ(numbered, (std::set<std::string_view>{"Cli:CODE_KEY", "Log:LOG_KEY", "DEPT:Dept_No_Key",
                                                  "Stu:STUD_KEY"}));
  EXPECT_EQ(case_sensitive, (std::set<std::string_view>{"LN1:LIN1KEY", "Rep:BYREPORT", "LN0:LIN0KEY",
                                                        "CZZ:TEMPKEY", "CZZ:TEMPKEY2"}));
  EXPECT_EQ(descending, 1);
  EXPECT_EQ(ClientFile().PrimaryKey(), &Key(ClientFile(), "CODE_KEY"));
  EXPECT_EQ(SetupsFile().PrimaryKey(), nullptr);
}

TEST(DictionaryFields, PicturesFormLabelsAndRules) {
  std::set<std::string> pictured;
  for (const FileDef& file : AllFiles()) {
    for (const FieldDef& field : file.fields) {
      if (!field.picture.empty()) pictured.insert(std::string(field.name) + " " + std::string(field.picture));
    }
  }
  EXPECT_EQ(pictured, (std::set<std::string>{"CLI:PHONE @p(###)###-####p", "CAR:PHONE @p(###)###-####p",
                                             "VEN:PHONE @P(###)###-####P", "CLI:SOC_SEC_NO @p###-##-####p",
                                             "CAR:SOC_SEC_NO @p###-##-####p"}));
  EXPECT_EQ(Field(LogFile(), "CLIFEEDUE").form_label, "CLT Fee Due:");
  EXPECT_EQ(Field(CliarcFile(), "CLCODE").form_label, "Client Name:");
  EXPECT_EQ(Field(ClientFile(), "SEX").form_label, "");
  EXPECT_EQ(Field(SetupsFile(), "DRIVE").form_label, "Installed Drive::");

  struct Rule {
    const char* field;
    const char* list;
    const char* display;
    const char* label;
  };
  const Rule rules[] = {
      {"CLI:PAYFLG", "]Y[]N[", "'Y','N'", "Cli:PAYFLG"},
      {"CLI:SEX", "]M[]F[", "'M','F'", "Cli:SEX"},
      {"CLI:CALLOK", "]Y[]N[", "'Y','N'", "Cli:CALLOK"},
      {"CLI:MED_ASSIST", "]Y[]N[", "'Y','N'", "Cli:MED_ASSIST"},
      {"CLI:PRIINS", "]Y[]N[", "'Y','N'", "Cli:PRIINS"},
      {"CLI:CURRENT", "]A[]P[]I[]D[", "'Active','Pending','Inactive','Discharged'", "Cli:CURRENT"},
      {"CLI:OUT_COUNTY", "]Y[]N[", "'Y','N'", "Cli:OUT_COUNTY"},
      {"CLI:MARRYSTAT", "]M[]S[]D[", "'M','S','D'", "Cli:MARRYSTAT"},
      {"CLI:PHYS_CPT", "]Y[]N[", "'Y','N'", "Cli:PHYS_CPT"},
      {"CLI:OUTR_STUDENT", "]Y[]N[", "'Y','N'", "Cli:OUTR_STUDENT"},
      {"CLI:MINORITY", "]WHIT[]BLAC[]ASIA[]HISP[]OTHR[", "'WHIT','BLAC','ASIA','HISP','OTHR'", "Cli:MINORITY"},
      {"CLI:INTAKE", "]I[]P[", "'I','P'", "Cli:INTAKE"},
      {"LOG:TRANS_TYPE", "]SCHED[]SHOW[]NOSHW[]CANC[]RESCH[", "'SCHED','SHOW','NOSHOW','CANC','RESCH'",
       "Log:TRANS_TYPE"},
      {"LIN:STATUS", "]O[]B[]P[]R[]T[", "'Open','Billed','Paid','Re-Billed','Transfered'", "Lin:STATUS"},
      {"CPY:STATUS", "]O[]C[", "'Open','Closed'", "CPY:STATUS"},
      {"EMP:STATUS", "]A[]I[", "'Active','Inactive'", "Emp:STATUS"},
      {"EMP:TYPE", "]P[]I[]O[", "'Primary','Intake','Other'", "Emp:TYPE"},
      {"SER:GROUPFLAG", "]Y[]N[", "'Yes','No'", "Ser:GROUPFLAG"},
      {"SER:OUTREACH", "]Y[]N[", "'Yes','No'", "Ser:OUTREACH"},
  };
  std::size_t with_rule = 0;
  for (const FileDef& file : AllFiles()) {
    for (const FieldDef& field : file.fields) with_rule += field.rule ? 1 : 0;
  }
  EXPECT_EQ(with_rule, std::size(rules));
  for (const Rule& rule : rules) {
    std::string_view name = rule.field;
    const FileDef* file = nullptr;
    for (const FileDef& f : AllFiles()) {
      if (f.FindField(name)) file = &f;
    }
    ASSERT_NE(file, nullptr) << name;
    const ValueRule* value_rule = file->FindField(name)->rule;
    ASSERT_NE(value_rule, nullptr) << name;
    EXPECT_EQ(value_rule->list, rule.list);
    EXPECT_EQ(value_rule->display, rule.display);
    EXPECT_EQ(value_rule->label, rule.label);
  }
}

TEST(DictionaryArchive, CliarcAndLogarcCopyClientAndLogFieldForField) {
  EXPECT_TRUE(SameLayout(ClientFile(), CliarcFile()));
  EXPECT_TRUE(SameLayout(LogFile(), LogarcFile()));
  EXPECT_FALSE(SameLayout(ClientFile(), LogFile()));
  EXPECT_FALSE(SameLayout(Lin0tempFile(), Vis1statFile())) << "same length, other fields";
  for (const FileDef* archive : {&CliarcFile(), &LogarcFile()}) {
    for (const FieldDef& field : archive->fields) EXPECT_EQ(field.rule, nullptr) << field.name;
  }

  std::vector<char> client = Blank(ClientFile());
  ASSERT_TRUE(WriteNumber(ClientFile(), Field(ClientFile(), "CLCODE"), client, 812));
  ASSERT_TRUE(WriteText(ClientFile(), Field(ClientFile(), "CLLNAME"), client, "Okafor"));
  ASSERT_TRUE(WriteNumber(ClientFile(), Field(ClientFile(), "FEE_DUE"), client, 12.5));
  ASSERT_TRUE(WriteText(ClientFile(), Field(ClientFile(), "INTAKE"), client, "P"));
  std::vector<char> archived(CliarcFile().record_size, 'x');
  ASSERT_TRUE(CopyRecord(ClientFile(), client, CliarcFile(), archived));
  EXPECT_EQ(archived, client);
  EXPECT_EQ(ReadNumber(CliarcFile(), Field(CliarcFile(), "CAR:CLCODE"), archived), 812);
  EXPECT_EQ(ReadText(CliarcFile(), Field(CliarcFile(), "CAR:CLLNAME"), archived), "Okafor");
  EXPECT_EQ(ReadText(CliarcFile(), Field(CliarcFile(), "CAR:INTAKE"), archived), "P");

  std::vector<char> log = Blank(LogFile());
  const std::vector<char> before = log;
  EXPECT_FALSE(CopyRecord(ClientFile(), client, LogFile(), log));
  EXPECT_EQ(log, before);
  EXPECT_FALSE(CopyRecord(ClientFile(), std::span<const char>(client).first(100), CliarcFile(), archived));
}

TEST(DictionaryFieldAccess, WritesAreCheckedAndReadBack) {
  struct Case {
    const FileDef& file;
    const char* field;
    double value;
    bool stored;
    const char* text;  // what ReadText gives afterwards
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {ClientFile(), "CLCODE", 32767, true, "32767"},
      {ClientFile(), "CLCODE", -32768, true, "-32768"},
      {ClientFile(), "CLCODE", 32768, false, "0"},
      {ClientFile(), "CLCODE", -32769, false, "0"},
      {ClientFile(), "CLCODE", 12.9, true, "12"},
      {ClientFile(), "CLCODE", -12.9, true, "-12"},
      {ClientFile(), "CLCODE", nan, false, "0"},
      {DischargFile(), "REASON", 255, true, "255"},
      {DischargFile(), "REASON", 256, false, "0"},
      {DischargFile(), "REASON", -1, false, "0"},
      {LogFile(), "LOG_NO", 2147483647.0, true, "2147483647"},
      {LogFile(), "LOG_NO", 2147483648.0, false, "0"},
      {LogFile(), "TIME_IN", 2880001, true, "2880001"},
      {LogFile(), "BILLTOMA", 45.25, true, "45.25"},
      {LogFile(), "BILLTOMA", std::numeric_limits<double>::infinity(), false, "0"},
      {ClientFile(), "ZIP", 12345, true, "12345"},
      {ClientFile(), "ZIP", 123456, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " <- " + std::to_string(c.value));
    std::vector<char> record = Blank(c.file);
    const FieldDef& field = Field(c.file, c.field);
    EXPECT_EQ(WriteNumber(c.file, field, record, c.value), c.stored);
    EXPECT_EQ(ReadText(c.file, field, record), c.text);
  }

  const FieldDef& name = Field(ClientFile(), "CLLNAME");
  std::vector<char> client = Blank(ClientFile());
  ASSERT_TRUE(WriteText(ClientFile(), name, client, "Smith"));
  EXPECT_EQ(std::string(client.data() + name.offset, name.width), "Smith" + std::string(25, ' '));
  EXPECT_FALSE(WriteText(ClientFile(), name, client, std::string(31, 'A')));
  EXPECT_EQ(ReadText(ClientFile(), name, client), "Smith") << "a refused write leaves the field as it was";
  EXPECT_TRUE(WriteText(ClientFile(), name, client, std::string(30, 'B') + "   ")) << "trailing blanks do not count";
  EXPECT_EQ(client[name.offset + name.width], ' ') << "the next field is untouched";

  const FieldDef& code = Field(ClientFile(), "CLCODE");
  EXPECT_TRUE(WriteText(ClientFile(), code, client, " 42 "));
  EXPECT_EQ(ReadNumber(ClientFile(), code, client), 42);
  EXPECT_FALSE(WriteText(ClientFile(), code, client, "4x2"));
  EXPECT_FALSE(WriteText(ClientFile(), code, client, "40000"));
  EXPECT_EQ(ReadNumber(ClientFile(), code, client), 42);
  EXPECT_TRUE(WriteText(ClientFile(), code, client, ""));
  EXPECT_EQ(ReadNumber(ClientFile(), code, client), 0);

  const FieldDef& zip = Field(ClientFile(), "ZIP");
  ASSERT_TRUE(WriteText(ClientFile(), zip, client, " 017"));
  EXPECT_EQ(ReadNumber(ClientFile(), zip, client), 17);
  ASSERT_TRUE(WriteText(ClientFile(), zip, client, "AB"));
  EXPECT_EQ(ReadNumber(ClientFile(), zip, client), 0);

  // The struct view and the descriptors see the same bytes.
  ClientRecord view;
  std::memcpy(&view, client.data(), sizeof view);
  EXPECT_EQ(std::string(view.CLLNAME, 3), "BBB");

  // A buffer shorter than the record, even where the field itself would fit,
  // and a field of a longer file: nothing is read or written.
  std::vector<char> short_buffer(100, '7');
  const FieldDef& first = Field(ClientFile(), "CLCODE");
  EXPECT_FALSE(WriteNumber(ClientFile(), first, short_buffer, 1));
  EXPECT_FALSE(WriteText(ClientFile(), first, short_buffer, "1"));
  EXPECT_EQ(ReadNumber(ClientFile(), first, short_buffer), 0);
  EXPECT_EQ(ReadText(ClientFile(), Field(ClientFile(), "CLLNAME"), short_buffer), "");
  EXPECT_FALSE(ClearRecord(ClientFile(), short_buffer));
  EXPECT_EQ(short_buffer, std::vector<char>(100, '7'));
  EXPECT_FALSE(WriteText(ClientFile(), Field(SetupsFile(), "BCOPT"), client, "1"));
}

TEST(DictionaryFieldAccess, ClearedRecordHasBlankTextAndZeroNumbers) {
  for (const FileDef* file : {&ClientFile(), &DischargFile(), &SetupsFile()}) {
    std::vector<char> record = Blank(*file);
    for (const FieldDef& field : file->fields) {
      const char fill = field.type == FieldType::kText ? ' ' : '\0';
      EXPECT_EQ(std::string(record.data() + field.offset, field.width), std::string(field.width, fill))
          << field.name;
    }
  }
}

TEST(DictionaryFieldAccess, BoundFieldsFollowTheBufferInFilters) {
  const FileDef& log = LogFile();
  std::vector<char> record = Blank(log);
  platform::VariableTable table;
  ASSERT_TRUE(BindRecord(log, record, table));
  auto compiled = platform::Expression::Compile("log:trans_type = 'SHOW' and log:billtoma > 0", table);
  ASSERT_TRUE(std::holds_alternative<platform::Expression>(compiled));
  const platform::Expression& filter = std::get<platform::Expression>(compiled);
  EXPECT_FALSE(filter.Test());
  ASSERT_TRUE(WriteText(log, Field(log, "TRANS_TYPE"), record, "SHOW"));
  EXPECT_FALSE(filter.Test());
  ASSERT_TRUE(WriteNumber(log, Field(log, "BILLTOMA"), record, 30));
  EXPECT_TRUE(filter.Test());
  ASSERT_TRUE(WriteText(log, Field(log, "TRANS_TYPE"), record, "NOSHW"));
  EXPECT_FALSE(filter.Test());

  // Every field type reads through its binding.
  ASSERT_TRUE(WriteNumber(log, Field(log, "CLCODE"), record, -7));
  ASSERT_TRUE(WriteNumber(log, Field(log, "LOG_NO"), record, 100000));
  ASSERT_TRUE(WriteNumber(log, Field(log, "TIME_IN"), record, 3240001));
  auto values = platform::Expression::Compile(
      "LOG:CLCODE = -7 and Log:Log_No = 100000 and log:time_in > log:time_out", table);
  ASSERT_TRUE(std::holds_alternative<platform::Expression>(values));
  EXPECT_TRUE(std::get<platform::Expression>(values).Test());

  std::vector<char> discharge = Blank(DischargFile());
  ASSERT_TRUE(WriteNumber(DischargFile(), Field(DischargFile(), "REASON"), discharge, 200));
  ASSERT_TRUE(BindRecord(DischargFile(), discharge, table));
  auto reason = platform::Expression::Compile("dis:reason = 200", table);
  ASSERT_TRUE(std::holds_alternative<platform::Expression>(reason));
  EXPECT_TRUE(std::get<platform::Expression>(reason).Test());

  platform::VariableTable untouched;
  EXPECT_FALSE(BindRecord(log, std::span<const char>(record).first(50), untouched));
  EXPECT_FALSE(untouched.Find("LOG:LOG_NO").has_value());
}

class FieldRuleTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  platform::HeadlessMessageDisplay display_;
  errors::ErrorManager errors_{display_, [this] { return dir_ / "KIVError.Log"; }};
};

TEST(FieldRule, ValuesPassOnlyWhenWrappedInTheList) {
  struct Case {
    const FileDef& file;
    const char* field;
    const char* value;
    int level;
  };
  const Case cases[] = {
      {LogFile(), "TRANS_TYPE", "SHOW", errors::kGoOn},
      {LogFile(), "TRANS_TYPE", "NOSHW", errors::kGoOn},
      {LogFile(), "TRANS_TYPE", "NOSHO", errors::kNotified},  // "NOSHOW" as five characters hold it
      {LogFile(), "TRANS_TYPE", "noshw", errors::kNotified},
      {LogFile(), "TRANS_TYPE", "SCH", errors::kNotified},
      {LogFile(), "TRANS_TYPE", "", errors::kNotified},
      {ClientFile(), "SEX", "", errors::kNotified},
      {ClientFile(), "SEX", "F", errors::kGoOn},
      {ClientFile(), "MINORITY", "WH", errors::kNotified},
      {ClientFile(), "MINORITY", "HISP", errors::kGoOn},
      {ClientFile(), "CURRENT", "D", errors::kGoOn},
      {ServicesFile(), "GROUPFLAG", "Y", errors::kGoOn},
      {LineitemFile(), "STATUS", "X", errors::kNotified},
      {ClientFile(), "CLLNAME", "", errors::kGoOn},
      {CliarcFile(), "SEX", "", errors::kGoOn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " = '" + c.value + "'");
    std::vector<char> record = Blank(c.file);
    const FieldDef& field = Field(c.file, c.field);
    ASSERT_TRUE(WriteText(c.file, field, record, c.value));
    EXPECT_EQ(CheckField(c.file, field, record, nullptr), c.level);
  }
  std::vector<char> log = Blank(LogFile());
  EXPECT_FALSE(WriteText(LogFile(), Field(LogFile(), "TRANS_TYPE"), log, "NOSHOW")) << "six characters in a text(5)";
  ASSERT_TRUE(WriteText(LogFile(), Field(LogFile(), "TRANS_TYPE"), log, "SHOW"));
  EXPECT_EQ(CheckField(LogFile(), Field(LogFile(), "TRANS_TYPE"), std::span<const char>(log).first(30), nullptr),
            errors::kNotified)
      << "a partial record holds no value";
}

TEST_F(FieldRuleTest, FailureRaisesValueErrorWithLabelAndDisplayList) {
  std::vector<char> log = Blank(LogFile());
  const FieldDef& type = Field(LogFile(), "TRANS_TYPE");
  ASSERT_TRUE(WriteText(LogFile(), type, log, "SHOW"));
  EXPECT_EQ(CheckField(LogFile(), type, log, &errors_), errors::kGoOn);
  EXPECT_TRUE(display_.shown().empty());

  ASSERT_TRUE(WriteText(LogFile(), type, log, "noshw"));
  EXPECT_EQ(CheckField(LogFile(), type, log, &errors_), errors::kNotified);
  auto shown = display_.last();
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->request.caption, "Value Error");
  EXPECT_EQ(shown->request.text,
            "The value of Log:TRANS_TYPE must be in the list : 'SCHED','SHOW','NOSHOW','CANC','RESCH'.");
  EXPECT_EQ(errors_.status().error_buffer.id, errors::msg::kNotInList);
}

TEST_F(FieldRuleTest, RecordCheckStopsAtTheFirstFailingField) {
  const FileDef& client = ClientFile();
  std::vector<char> record = Blank(client);
  // Every rule field holds the first code of its list.
  for (const FieldDef& field : client.fields) {
    if (!field.rule) continue;
    std::string_view list = field.rule->list;
    ASSERT_TRUE(WriteText(client, field, record, list.substr(1, list.find('[') - 1))) << field.name;
  }
  RecordCheck passed = CheckRecord(client, record, &errors_);
  EXPECT_EQ(passed.level, errors::kGoOn);
  EXPECT_EQ(passed.field, nullptr);
  EXPECT_TRUE(display_.shown().empty());

  ASSERT_TRUE(WriteText(client, Field(client, "MINORITY"), record, "WH"));
  ASSERT_TRUE(WriteText(client, Field(client, "INTAKE"), record, "X"));
  RecordCheck failed = CheckRecord(client, record, &errors_);
  EXPECT_EQ(failed.level, errors::kNotified);
  EXPECT_EQ(failed.field, &Field(client, "MINORITY"));
  ASSERT_EQ(display_.shown().size(), 1u) << "only the first failure is raised";
  EXPECT_EQ(display_.last()->request.text,
            "The value of Cli:MINORITY must be in the list : 'WHIT','BLAC','ASIA','HISP','OTHR'.");

  RecordCheck blank = CheckRecord(client, Blank(client), nullptr);
  EXPECT_EQ(blank.field, &Field(client, "PAYFLG"));
  EXPECT_EQ(CheckRecord(SetupsFile(), Blank(SetupsFile()), nullptr).level, errors::kGoOn);
}

}  // namespace
}  // namespace vornel::data
