#include "data/view_manager.h"

#include "data/dictionary/field_access.h"
#include "data/view_text.h"
#include "tests/support/data_fixture.h"

namespace vornel::data {
namespace {

const FieldDef& F(const FileDef& file, std::string_view name) { return *file.FindField(name); }
const KeyDef* K(const FileDef& file, std::string_view name) { return file.FindKey(name); }

// Clients 1 ADAMS, 2 O'Neil (active) and 3 BAKER (inactive); visits 1..12 on
// days 80001..80012, of client n % 3 + 1, even ones shown; one charge line
// per visit dated the visit's day, and line 99 whose visit does not exist.
class ViewTest : public DataFixture {
 protected:
  void SetUp() override {
    const char* names[] = {"ADAMS", "O'Neil", "BAKER"};
    for (std::int16_t c = 1; c <= 3; ++c) {
      AddRecord<ClientRecord>(ClientFile(), [&](ClientRecord& r) {
        FillValidClient(r, c, names[c - 1]);
        Set(r.CURRENT, c == 3 ? "I" : "A");
      });
    }
    for (std::int32_t n = 1; n <= 12; ++n) {
      AddRecord<LogRecord>(LogFile(), [&](LogRecord& r) {
        r.LOG_NO = n;
        r.CLCODE = static_cast<std::int16_t>(n % 3 + 1);
        r.LOG_DATE = 80000 + n;
        Set(r.EMPL_CODE, n % 2 ? "S1" : "S2");
        Set(r.TRANS_TYPE, n % 2 ? "SCHED" : "SHOW");
      });
    }
    for (std::int32_t n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 99}) {
      AddRecord<LineitemRecord>(LineitemFile(), [&](LineitemRecord& r) {
        r.LOG_NO = n;
        r.CLCODE = static_cast<std::int16_t>(n % 3 + 1);
        r.SERV_DATE = r.DATE_PAID = 80000 + (n == 99 ? 4 : n);
        Set(r.STATUS, "O");
      });
    }
    vars_.BindInt32("topdate", &topdate_);
    vars_.BindInt32("botdate", &botdate_);
    vars_.BindString("name", &name_);
  }

  ViewManager& Init(const ViewDef& def) {
    view_ = std::make_unique<ViewManager>(*registry_);
    EXPECT_TRUE(view_->Init(def, Relations(def.primary()), &vars_).ok());
    return *view_;
  }
  platform::Binding Var(std::string_view name) { return *vars_.Find(name); }
  LogRecord& Log() { return Files(LogFile()).record<LogRecord>(); }

  // Reads on in one direction and collects a number field of every record.
  std::vector<int> ReadAll(bool forward, const FileDef& file, std::string_view field) {
    std::vector<int> got;
    ViewManager& v = *view_;
    while ((forward ? v.Next() : v.Previous()) == errors::kGoOn)
      got.push_back(static_cast<int>(ReadNumber(file, F(file, field), Files(file).buffer())));
    return got;
  }
  std::vector<int> Visits(bool forward = true) { return ReadAll(forward, LogFile(), "LOG_NO"); }

  platform::VariableTable vars_;
  std::int32_t topdate_ = 0;
  std::int32_t botdate_ = 0;
  std::string name_;
  std::unique_ptr<ViewManager> view_;
};

TEST_F(ViewTest, OrderExpressionsComeFromTheKeys) {
  struct Case {
    const FileDef& file;
    std::string_view key;
    std::string_view order;
  } cases[] = {
      {LogFile(), "LOG_DAY", "LOG:LOG_DATE,UPPER(LOG:EMPL_CODE),LOG:TIME_IN"},
      {AppRevsFile(), "REV_KEY", "-APP:REVISION_NUMBER"},
      {ClientFile(), "LNAME", "UPPER(CLI:CURRENT),UPPER(CLI:CLLNAME),UPPER(CLI:CLFNAME)"},
      {Lin1statFile(), "LIN1KEY", "LN1:STATDATE,LN1:EMP_CODE,LN1:VEN_CODE"},  // a key with case
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyOrderExpression(c.file, *K(c.file, c.key)), c.order);
    EXPECT_EQ(KeyForOrder(c.file, c.order, nullptr), K(c.file, c.key)) << c.order;
  }
  EXPECT_EQ(KeyForOrder(LogFile(), "log:log_date", nullptr), K(LogFile(), "LOG_DAY"))
      << "a key that goes on past the text serves it";
  EXPECT_EQ(KeyForOrder(LogFile(), "-LOG:LOG_DATE", nullptr), std::nullopt);
  EXPECT_EQ(KeyForOrder(LogFile(), "LOG:LOG_DATE,LOG:EMPL_CODE", nullptr), std::nullopt)
      << "a key without case needs UPPER( on its text";
  EXPECT_EQ(KeyForOrder(LogFile(), "LOG:LOG_NO,LOG:CLCODE", nullptr), K(LogFile(), "LOG_KEY"));
  EXPECT_EQ(KeyForOrder(LogFile(), "", nullptr), nullptr);

  ViewManager& v = Init(ViewDef(LogFile()));
  EXPECT_EQ(v.AddSortOrder(K(LogFile(), "LOG_CUST")), 1);
  EXPECT_EQ(v.AddSortOrder(K(LogFile(), "LOG_DAY")), 2);
  EXPECT_EQ(v.AddSortOrder(K(ClientFile(), "CODE_KEY")), 0) << "not a key of the primary file";
  EXPECT_FALSE(v.SetOrder(2));
  EXPECT_TRUE(v.SetOrder(0));
  EXPECT_EQ(v.order_text(), "LOG:CLCODE,LOG:LOG_DATE");
  EXPECT_EQ(&F(LogFile(), "CLCODE"), v.FreeElement());
  v.AppendOrder("LOG:LOG_NO");
  EXPECT_EQ(v.order_text(), "LOG:CLCODE,LOG:LOG_DATE,LOG:LOG_NO");
  v.AppendOrder("*-LOG:TIME_IN");
  EXPECT_EQ(v.order_text(), "-LOG:TIME_IN");
  EXPECT_TRUE(v.SortDirection(F(LogFile(), "TIME_IN")));
  EXPECT_FALSE(v.SortDirection(F(LogFile(), "LOG_DATE")));
}

TEST_F(ViewTest, FilterTextsOfEveryLimitType) {
  ViewManager& v = Init(ViewDef(LogFile()));
  topdate_ = 80123;
  botdate_ = 80153;
  Log().CLCODE = 12;
  Log().LOG_DATE = 80100;
  Set(Log().EMPL_CODE, "O'N");

  v.AddSortOrder(K(LogFile(), "LOG_DAY"));
  EXPECT_TRUE(v.AddRange(F(LogFile(), "EMPL_CODE")).ok());
  v.ApplyFilter();
  EXPECT_EQ(v.filter_text(), "LOG:LOG_DATE = 80100 AND UPPER(LOG:EMPL_CODE) = UPPER('O''N')");
  EXPECT_EQ(v.limit_type(), LimitType::kCurrent);
  EXPECT_EQ(v.FreeElement(), &F(LogFile(), "TIME_IN"));

  v.AddSortOrder(K(LogFile(), "LOG_CUST"));
  EXPECT_TRUE(v.AddRange(F(LogFile(), "LOG_DATE"), Var("topdate")).ok());
  v.ApplyFilter();
  EXPECT_EQ(v.filter_text(), "LOG:CLCODE = 12 AND LOG:LOG_DATE = 80123");

  v.AddSortOrder(K(LogFile(), "LOG_DAY"));
  EXPECT_TRUE(v.AddRange(F(LogFile(), "LOG_DATE"), Var("topdate"), Var("botdate")).ok());
  v.SetFilter("log:trans_type = 'SHOW'");
  v.ApplyFilter();
  EXPECT_EQ(v.filter_text(),
            "LOG:LOG_DATE >= 80123 AND LOG:LOG_DATE <= 80153 AND (log:trans_type = 'SHOW')");
  EXPECT_EQ(v.FreeElement(), &F(LogFile(), "LOG_DATE"));
  v.SetFilter("log:units > 1", "units");
  v.SetFilter("log:trans_type = 'CANC'");
  v.ApplyFilter();
  EXPECT_EQ(v.filter_text(), "LOG:LOG_DATE >= 80123 AND LOG:LOG_DATE <= 80153 AND "
                             "(log:trans_type = 'CANC') AND (log:units > 1)")
      << "setting a named filter again replaces it in its place";
  v.SetFilter("", "5 Standard");
  v.ApplyFilter();
  EXPECT_EQ(v.filter_text(), "LOG:LOG_DATE >= 80123 AND LOG:LOG_DATE <= 80153 AND (log:units > 1)");

  Files(ClientFile()).record<ClientRecord>().CLCODE = 7;
  v.AddSortOrder(K(LogFile(), "LOG_CUST"));
  EXPECT_TRUE(v.AddRange(Relations(ClientFile())).ok());
  v.ApplyFilter();
  EXPECT_EQ(v.filter_text(), "LOG:CLCODE = 7");
  EXPECT_EQ(v.limit_type(), LimitType::kParent);

  v.AddSortOrder(nullptr);
  v.SetFilter("(log:trans_type = 'SHOW')");
  v.ApplyFilter();
  EXPECT_EQ(v.filter_text(), "((log:trans_type = 'SHOW'))");

  ViewManager& c = Init(ViewDef(ClientFile()));
  name_ = "O'Neil";
  c.AddSortOrder(K(ClientFile(), "LNAMEONLY"));
  EXPECT_TRUE(c.AddRange(F(ClientFile(), "CLLNAME"), Var("name")).ok());
  c.ApplyFilter();
  EXPECT_EQ(c.filter_text(), "UPPER(CLI:CLLNAME) = UPPER('O''Neil')");
  EXPECT_EQ(c.Next(), errors::kGoOn);
  EXPECT_EQ(+Files(ClientFile()).record<ClientRecord>().CLCODE, 2);
  name_ = "o'neil";
  EXPECT_TRUE(c.RangeChanged());
  c.Reset();
  EXPECT_EQ(ReadAll(true, ClientFile(), "CLCODE"), std::vector<int>{2}) << "the key has no case";

  EXPECT_EQ(c.AddRange(F(LogFile(), "CLCODE")).problem, "LOG:CLCODE is no component of Cli:LNAMEONLY");
}

TEST_F(ViewTest, ReadsARangeBothWaysStoppingAtItsEnds) {
  ViewManager& v = Init(ViewDef(LogFile()).Join(ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"}));
  v.AddSortOrder(K(LogFile(), "LOG_CUST"));
  Log().CLCODE = 2;
  v.AddRange(F(LogFile(), "CLCODE"));
  v.Open();
  EXPECT_EQ(Visits(), (std::vector<int>{1, 4, 7, 10}));
  EXPECT_EQ(v.Next(), errors::kNotified) << "the end stays the end";
  v.Reset();
  EXPECT_EQ(Visits(false), (std::vector<int>{10, 7, 4, 1}));
  EXPECT_FALSE(v.RangeChanged());
  Log().CLCODE = 3;
  EXPECT_TRUE(v.RangeChanged());

  // Days 3 to 9 through LOG_DAY, without the inactive client's visits.
  v.AddSortOrder(K(LogFile(), "LOG_DAY"));
  topdate_ = 80003;
  botdate_ = 80009;
  v.AddRange(F(LogFile(), "LOG_DATE"), Var("topdate"), Var("botdate"));
  v.SetFilter("cli:current = 'A'");
  v.Reset();
  EXPECT_EQ(Visits(), (std::vector<int>{3, 4, 6, 7, 9}));
  v.Reset();
  EXPECT_EQ(Visits(false), (std::vector<int>{9, 7, 6, 4, 3}));
  EXPECT_EQ(v.Previous(), errors::kNotified);
  EXPECT_EQ(v.Next(), errors::kGoOn) << "turning round at the start";
  EXPECT_EQ(+Log().LOG_NO, 3);
  botdate_ = 80010;
  EXPECT_TRUE(v.RangeChanged());

  // From the key values in the buffer, brought inside the range.
  auto at = [this](int day) {
    Log().LOG_DATE = day;
    Set(Log().EMPL_CODE, "");
    Log().TIME_IN = 0;
  };
  for (auto [day, next, previous] : {std::tuple{80006, 6, 4}, {80001, 3, 0}, {80020, 0, 9}}) {
    at(day);
    v.ResetToBuffer();
    EXPECT_EQ(v.Next() == errors::kGoOn ? Log().LOG_NO : 0, next) << day;
    at(day);
    v.ResetToBuffer();
    EXPECT_EQ(v.Previous() == errors::kGoOn ? Log().LOG_NO : 0, previous) << day;
  }
  EXPECT_EQ(v.Reset("7"), errors::kGoOn);
  EXPECT_EQ(Visits(), (std::vector<int>{7, 9}));
}

TEST_F(ViewTest, JoinsFetchTheLinkedRecordOrClearTheBuffer) {
  const ViewDef lines =
      ViewDef(LineitemFile()).Join(LogFile(), "LOG:LOG_KEY", {"LIN:LOG_NO"}).Join(ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"});
  ViewManager& v = Init(lines);
  v.AddSortOrder(K(LineitemFile(), "LOG_KEY"));
  topdate_ = 80002;
  botdate_ = 80006;
  v.SetFilter("lin:serv_date >= topdate and lin:serv_date <= botdate and log:trans_type = 'SHOW'");
  v.Open();
  EXPECT_EQ(ReadAll(true, LineitemFile(), "LOG_NO"), (std::vector<int>{2, 4, 6}));

  v.SetFilter("lin:serv_date = 80004");
  v.Reset();
  ASSERT_EQ(ReadAll(true, LineitemFile(), "LOG_NO"), (std::vector<int>{4, 99}));
  EXPECT_EQ(+Log().LOG_NO, 0) << "no visit 99: the outer join clears the buffer";
  EXPECT_EQ(+Files(ClientFile()).record<ClientRecord>().CLCODE, 0);

  ViewManager& inner = Init(ViewDef(LineitemFile()).Join(LogFile(), "LOG:LOG_KEY", {"LIN:LOG_NO"}, JoinType::kInner));
  inner.AddSortOrder(K(LineitemFile(), "LOG_KEY"));
  inner.SetFilter("lin:serv_date = 80004");
  EXPECT_EQ(ReadAll(true, LineitemFile(), "LOG_NO"), std::vector<int>{4});

  // Through fewer linking fields than the key has: the first match in key order.
  ViewManager& first = Init(ViewDef(LogFile()).Join(LineitemFile(), "LIN:CLI_KEY", {"LOG:CLCODE"}));
  first.AddSortOrder(K(LogFile(), "LOG_KEY"));
  std::vector<int> got;
  while (first.Next() == errors::kGoOn && got.size() < 4)
    got.push_back(Files(LineitemFile()).record<LineitemRecord>().LOG_NO);
  EXPECT_EQ(got, (std::vector<int>{1, 2, 3, 1}));
}

// A filter of the primary record alone is tested before the joins; one that
// reads a joined record, by its fields or through a variable worked out
// from it, sees that record as joined to the record tested.
TEST_F(ViewTest, FiltersSeeTheJoinedRecordsTheyName) {
  const ViewDef visits = ViewDef(LogFile()).Join(ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"});
  vars_.BindFunction("joined_name", [this] {
    return platform::ExprValue(std::string(platform::ReadField(Files(ClientFile()).record<ClientRecord>().CLLNAME)));
  });
  ViewManager& v = Init(visits);
  v.AddSortOrder(K(LogFile(), "LOG_KEY"));
  v.SetFilter("joined_name = 'BAKER'");
  v.Open();
  EXPECT_EQ(Visits(), (std::vector<int>{2, 5, 8, 11}));
  v.SetFilter("cli:cllname = 'ADAMS' and log:trans_type = 'SHOW'");
  v.Reset();
  EXPECT_EQ(Visits(), (std::vector<int>{6, 12}));
  v.SetFilter("log:clcode = 2");
  v.Reset();
  EXPECT_EQ(Visits(), (std::vector<int>{1, 4, 7, 10}));
  EXPECT_EQ(platform::ReadField(Files(ClientFile()).record<ClientRecord>().CLLNAME), "O'Neil")
      << "the record taken has its client joined";
}

TEST_F(ViewTest, DescendingKeysReadTheRangeInTheirOrder) {
  CreateSharedFile(AppRevsFile());
  for (double revision : {1.0, 2.0, 3.0, 4.0, 5.0})
    AddRecord<AppRevsRecord>(AppRevsFile(), [&](AppRevsRecord& r) { r.REVISION_NUMBER = revision; });
  ViewManager& v = Init(ViewDef(AppRevsFile()));
  v.AddSortOrder(K(AppRevsFile(), "REV_KEY"));
  topdate_ = 2;
  botdate_ = 4;
  v.AddRange(F(AppRevsFile(), "REVISION_NUMBER"), Var("topdate"), Var("botdate"));
  v.Open();
  EXPECT_EQ(ReadAll(true, AppRevsFile(), "REVISION_NUMBER"), (std::vector<int>{4, 3, 2}));
  v.Reset();
  EXPECT_EQ(ReadAll(false, AppRevsFile(), "REVISION_NUMBER"), (std::vector<int>{2, 3, 4}));
}

TEST_F(ViewTest, RecordTestsSkipAndStop) {
  ViewManager& v = Init(ViewDef(LogFile()));
  v.AddSortOrder(K(LogFile(), "LOG_KEY"));
  v.SetRecordTest([this] {
    if (Log().LOG_NO > 6) return kOutOfRange;
    return Log().LOG_NO % 2 ? kSkipRecord : kTakeRecord;
  });
  EXPECT_EQ(Visits(), (std::vector<int>{2, 4, 6}));

  ViewManager& natural = Init(ViewDef(ClientFile()));
  natural.AddSortOrder(nullptr);
  natural.SetFilter("(cli:current = 'I')");
  EXPECT_EQ(ReadAll(true, ClientFile(), "CLCODE"), std::vector<int>{3}) << "no key: natural order";
}

TEST_F(ViewTest, ANewRecordFromALimitedListTakesTheRangeValues) {
  ViewManager& v = Init(ViewDef(LogFile()));
  v.AddSortOrder(K(LogFile(), "LOG_CUST"));
  Log().CLCODE = 2;
  v.AddRange(F(LogFile(), "CLCODE"));
  v.Open();
  ASSERT_EQ(v.Next(), errors::kGoOn);
  Set(Log().COMMENT, "stale");
  ASSERT_EQ(v.PrepareNewRecord(), errors::kGoOn);
  EXPECT_EQ(+Log().CLCODE, 2);
  EXPECT_EQ(+Log().LOG_NO, 13);
  EXPECT_EQ(platform::ReadField(Log().TRANS_TYPE), "SCHED");
  EXPECT_EQ(platform::ReadField(Log().COMMENT), "");
  EXPECT_EQ(Count(LogFile()), 13) << "the number is reserved";

  v.AddSortOrder(K(LogFile(), "LOG_DAY"));
  topdate_ = 80003;
  botdate_ = 80009;
  v.AddRange(F(LogFile(), "LOG_DATE"), Var("topdate"), Var("botdate"));
  ASSERT_EQ(v.PrepareNewRecord(), errors::kGoOn);
  EXPECT_EQ(+Log().LOG_DATE, 0) << "the bounds of a range are not stored";
}

TEST_F(ViewTest, AFilterThatDoesNotCompileIsReportedAndReadingGoesOn) {
  ViewManager& v = Init(ViewDef(LogFile()));
  v.AddSortOrder(K(LogFile(), "LOG_CUST"));
  Log().CLCODE = 2;
  v.AddRange(F(LogFile(), "CLCODE"));
  v.SetFilter("log:nothing = 1");
  EXPECT_EQ(v.Open(), errors::kGoOn);
  EXPECT_EQ(LastMessage(),
            "View Open Error: Error: (Unknown name 'log:nothing' at position 21 (filter)) attempting "
            "to open the current VIEW. Filter and Range Limits ignored.");
  EXPECT_FALSE(v.filtering());
  EXPECT_EQ(Visits().size(), 12u);

  // Neither can an order that no key gives, nor a range value that does not fit.
  v.AppendOrder("*LOG:TOTAL_FEE");
  v.SetFilter("");
  display_.Clear();
  v.Reset();
  EXPECT_NE(LastMessage().find("no key of Log reads in the order LOG:TOTAL_FEE (order)"), std::string::npos);
  EXPECT_EQ(v.read_key(), nullptr);
  EXPECT_EQ(Visits(), (std::vector<int>{2, 5, 8, 11}))
      << "in record order, the range held to the last client read only by the filter";

  ViewManager& c = Init(ViewDef(ClientFile()));
  c.AddSortOrder(K(ClientFile(), "LNAMEONLY"));
  name_ = std::string(31, 'X');
  c.AddRange(F(ClientFile(), "CLLNAME"), Var("name"));
  c.ApplyFilter();
  EXPECT_NE(LastMessage().find("does not fit CLI:CLLNAME"), std::string::npos);
}

TEST_F(ViewTest, ReadErrorsAndBadDefinitions) {
  ViewManager& v = Init(ViewDef(LogFile()));
  v.AddSortOrder(K(LogFile(), "LOG_KEY"));
  ASSERT_EQ(v.Next(), errors::kGoOn);
  Files(LogFile()).file().Close();  // the store fails under the view
  EXPECT_EQ(v.Next(), errors::kNotUsable);
  EXPECT_EQ(display_.last()->request.caption, "Record Retrieval Error");

  struct Case {
    ViewDef def;
    std::string_view problem;
  } cases[] = {
      {ViewDef(LogFile()).Join(ClientFile(), "CLI:NOKEY", {"LOG:CLCODE"}), "Client has no key CLI:NOKEY"},
      {ViewDef(LogFile()).Join(ClientFile(), "CLI:CODE_KEY", {"LIN:CLCODE"}),
       "LIN:CLCODE is no field of a file before Client in the view"},
      {ViewDef(LogFile()).Join(LogFile(), "LOG:LOG_KEY", {"LOG:LOG_NO"}), "Log occurs twice in the view"},
      {ViewDef(LogFile()).Join(ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE", "LOG:LOG_NO"}),
       "the join of Client through CLI:CODE_KEY names 2 linking fields for a key of 1 components"},
  };
  for (const Case& c : cases) {
    ViewManager bad(*registry_);
    EXPECT_EQ(bad.Init(c.def, Relations(LogFile())).problem, c.problem);
    EXPECT_EQ(bad.Next(), errors::kNotUsable);
  }
}

TEST_F(ViewTest, SavedBuffersComeBack) {
  ViewManager& v = Init(ViewDef(LogFile()).Join(ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"}));
  Log().LOG_NO = 5;
  Files(ClientFile()).record<ClientRecord>().CLCODE = 9;
  v.SaveBuffers();
  Log().LOG_NO = 6;
  Files(ClientFile()).record<ClientRecord>().CLCODE = 1;
  v.RestoreBuffers();
  EXPECT_EQ(+Log().LOG_NO, 5);
  EXPECT_EQ(+Files(ClientFile()).record<ClientRecord>().CLCODE, 9);
  v.Shutdown();
  EXPECT_TRUE(v.killed());
  EXPECT_EQ(Files(LogFile()).opened(), 0) << "every file the view opened is closed";
}

}  // namespace
}  // namespace vornel::data
