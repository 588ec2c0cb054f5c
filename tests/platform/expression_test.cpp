#include "platform/expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/text.h"

namespace vornel::platform {
namespace {

// Record buffers shaped like the ones the filters run over: fixed-width
// space-padded text fields, day numbers, money amounts, client numbers.
struct LogRecord {
  char trans_type[5];
  std::int32_t log_date;
  std::int16_t clcode;
  double billtoma;
  double balsca;
  double osmfee;
  char groupflag[1];
};

struct LineRecord {
  std::int32_t serv_date;
  char ven_code[3];
};

struct ClientRecord {
  char current[1];
  char payflg[1];
  double bal_due;
  char cllname[20];
};

struct PaymentRecord {
  std::int32_t date;
  char status[1];
};

struct CounselorRecord {
  std::int32_t statdate;
  char status[1];
};

template <std::size_t N>
void Put(char (&field)[N], std::string_view text) {
  ASSERT_TRUE(AssignPadded(field, text));
}

class ExpressionTest : public ::testing::Test {
 protected:
  ExpressionTest() {
    Put(log.trans_type, "SHOW");
    Put(log.groupflag, "N");
    Put(line.ven_code, "MA1");
    Put(client.current, "A");
    Put(client.payflg, "Y");
    Put(client.cllname, "O'NEIL");
    Put(payment.status, "O");
    Put(counselor.status, "A");
    Put(employee_code, "JS1");

    fields.BindText("LOG:TRANS_TYPE", log.trans_type);
    fields.BindInt32("LOG:LOG_DATE", &log.log_date);
    fields.BindInt16("LOG:CLCODE", &log.clcode);
    fields.BindDouble("LOG:BILLTOMA", &log.billtoma);
    fields.BindDouble("LOG:BALSCA", &log.balsca);
    fields.BindDouble("LOG:OSMFEE", &log.osmfee);
    fields.BindText("LOG:GROUPFLAG", log.groupflag);
    fields.BindInt32("LIN:SERV_DATE", &line.serv_date);
    fields.BindText("LIN:VEN_CODE", line.ven_code);
    fields.BindText("CLI:CURRENT", client.current);
    fields.BindText("CLI:PAYFLG", client.payflg);
    fields.BindDouble("CLI:BAL_DUE", &client.bal_due);
    fields.BindText("CLI:CLLNAME", client.cllname);
    fields.BindInt32("CPY:DATE", &payment.date);
    fields.BindText("CPY:STATUS", payment.status);
    fields.BindInt32("CZZ:STATDATE", &counselor.statdate);
    fields.BindText("CZZ:STATUS", counselor.status);
    fields.BindText("EMP:EMPCODE", employee_code);
    fields.BindText("VEN:VEN_CODE", vendor_code);

    variables.BindInt32("topdate", &topdate);
    variables.BindInt32("botdate", &botdate);
    variables.BindString("filter2", &filter2);
    variables.BindString("VAR1", &var1);
    variables.BindDouble("REALTEMP", &realtemp);
    variables.BindString("EmployeeFind", &employee_find);
    variables.BindString("FindCLient", &find_client);
    variables.BindText("Client_Filter", client_filter, 1);

    scope.Add(&fields);
    scope.Add(&variables);
  }

  std::variant<Expression, CompileError> Compile(std::string_view text) { return Expression::Compile(text, scope); }

  Expression MustCompile(std::string_view text) {
    auto result = Compile(text);
    if (auto* error = std::get_if<CompileError>(&result)) {
      ADD_FAILURE() << "'" << text << "' did not compile: " << error->message;
      return std::get<Expression>(Compile("0"));
    }
    return std::get<Expression>(std::move(result));
  }

  bool Test(std::string_view text) { return MustCompile(text).Test(); }
  ExprValue Value(std::string_view text) { return MustCompile(text).Evaluate(); }

  CompileError MustFail(std::string_view text) {
    auto result = Compile(text);
    if (auto* error = std::get_if<CompileError>(&result)) return *error;
    ADD_FAILURE() << "'" << text << "' compiled but should not";
    return {};
  }

  LogRecord log{};
  LineRecord line{};
  ClientRecord client{};
  PaymentRecord payment{};
  CounselorRecord counselor{};
  char employee_code[5];
  char vendor_code[3] = {'M', 'A', '1'};

  std::int32_t topdate = 80123;
  std::int32_t botdate = 80153;
  std::string filter2 = "MA1";
  std::string var1 = "O";
  double realtemp = 25.0;
  std::string employee_find;
  std::string find_client;
  char client_filter[1] = {'X'};

  VariableTable fields;
  VariableTable variables;
  ScopeChain scope;
};

TEST_F(ExpressionTest, DateRangeFiltersFollowTheRecordBuffer) {
  // One compiled filter, evaluated as the buffer moves from record to record.
  Expression vendor_bill =
      MustCompile("lin:serv_date >= topdate and lin:serv_date <= botdate and log:trans_type = 'SHOW'");
  line.serv_date = 80123;
  EXPECT_TRUE(vendor_bill.Test()) << "first day of the range";
  line.serv_date = 80153;
  EXPECT_TRUE(vendor_bill.Test()) << "last day of the range";
  line.serv_date = 80122;
  EXPECT_FALSE(vendor_bill.Test());
  line.serv_date = 80154;
  EXPECT_FALSE(vendor_bill.Test());
  line.serv_date = 80130;
  Put(log.trans_type, "NOSHW");
  EXPECT_FALSE(vendor_bill.Test());
  Put(log.trans_type, "SHOW");
  EXPECT_TRUE(vendor_bill.Test());
  botdate = 80125;
  EXPECT_FALSE(vendor_bill.Test()) << "program variables are read at evaluation time too";
  botdate = 80153;

  for (const char* text : {"lin:serv_date>=topdate and lin:serv_date <= botdate",
                           "lin:serv_date >= topdate and lin:serv_date<= botdate"}) {
    Expression range = MustCompile(text);
    line.serv_date = 80140;
    EXPECT_TRUE(range.Test()) << text;
    line.serv_date = 80100;
    EXPECT_FALSE(range.Test()) << text;
  }

  Expression claim_totals =
      MustCompile("lin:serv_date>=topdate and lin:serv_date <= botdate and lin:ven_code = clip(filter2)");
  line.serv_date = 80140;
  filter2 = "MA1   ";
  EXPECT_TRUE(claim_totals.Test());
  filter2 = "MA2";
  EXPECT_FALSE(claim_totals.Test());

  Expression claim_form =
      MustCompile("lin:serv_date>=topdate and lin:serv_date <= botdate and lin:ven_code = ven:ven_code");
  EXPECT_TRUE(claim_form.Test());
  std::memcpy(vendor_code, "BC ", 3);
  EXPECT_FALSE(claim_form.Test());

  for (const char* text : {"log:log_date >= topdate and log:log_date <= botdate",
                           "log:log_date >= topdate and log:log_date <= Botdate",
                           "log:trans_type = 'SHOW' AND LOG:LOG_DATE >= TOPDATE AND LOG:LOG_DATE <= BOTDATE"}) {
    Expression visits = MustCompile(text);
    log.log_date = 80153;
    EXPECT_TRUE(visits.Test()) << text;
    log.log_date = 80154;
    EXPECT_FALSE(visits.Test()) << text;
  }

  Expression client_bill =
      MustCompile("cpy:date >=topdate and cpy:date <= botdate and cli:payFLG='Y' and Cli:bal_due>0.0");
  payment.date = 80130;
  client.bal_due = 0.01;
  EXPECT_TRUE(client_bill.Test());
  client.bal_due = 0;
  EXPECT_FALSE(client_bill.Test());
  client.bal_due = 12.5;
  Put(client.payflg, "N");
  EXPECT_FALSE(client_bill.Test());

  Expression month = MustCompile("czz:statdate= botdate and (czz:status = 'A' or czz:status = 'P')");
  counselor.statdate = 80153;
  EXPECT_TRUE(month.Test());
  Put(counselor.status, "P");
  EXPECT_TRUE(month.Test());
  Put(counselor.status, "I");
  EXPECT_FALSE(month.Test());
  Put(counselor.status, "A");
  counselor.statdate = 80152;
  EXPECT_FALSE(month.Test());
}

TEST_F(ExpressionTest, VisitBillingFilters) {
  Expression sca = MustCompile("log:trans_type = 'SHOW' and log:billtoma=0 and (log:balsca+log:osmfee > 0)");
  log.balsca = 0;
  log.osmfee = 5;
  EXPECT_TRUE(sca.Test());
  log.osmfee = -5;
  log.balsca = 5;
  EXPECT_FALSE(sca.Test()) << "the sum is 0";
  log.balsca = 5.01;
  EXPECT_TRUE(sca.Test());
  log.billtoma = 40;
  EXPECT_FALSE(sca.Test());

  Expression group = MustCompile("log:trans_type = 'SHOW' and log:billtoma > 0 and log:groupflag = 'Y'");
  Expression single = MustCompile("log:trans_type = 'SHOW' and log:billtoma > 0 and log:groupflag <> 'Y'");
  Put(log.groupflag, "Y");
  EXPECT_TRUE(group.Test());
  EXPECT_FALSE(single.Test());
  Put(log.groupflag, "N");
  EXPECT_FALSE(group.Test());
  EXPECT_TRUE(single.Test());
  log.billtoma = 0;
  EXPECT_FALSE(single.Test());

  Expression shown = MustCompile("log:trans_type = 'SHOW'");
  EXPECT_TRUE(shown.Test());
  Put(log.trans_type, "SHOWX");
  EXPECT_FALSE(shown.Test());
  Put(log.trans_type, "show");
  EXPECT_FALSE(shown.Test()) << "text compares with case";
}

TEST_F(ExpressionTest, ClientStatusFilters) {
  Expression active = MustCompile("(Cli:CURRENT<>'D' and Cli:CURRENT<> 'I')");
  Expression active_or_pending = MustCompile("(Cli:current = 'A' or Cli:current='P')");
  Expression discharged = MustCompile("(cli:current = 'D')");
  Expression inactive = MustCompile("(cli:current = 'I')");
  struct Case {
    const char* status;
    bool active, active_or_pending, discharged, inactive;
  };
  for (const Case& c : {Case{"A", true, true, false, false}, Case{"P", true, true, false, false},
                        Case{"I", false, false, false, true}, Case{"D", false, false, true, false},
                        Case{" ", true, false, false, false}}) {
    Put(client.current, c.status);
    EXPECT_EQ(active.Test(), c.active) << c.status;
    EXPECT_EQ(active_or_pending.Test(), c.active_or_pending) << c.status;
    EXPECT_EQ(discharged.Test(), c.discharged) << c.status;
    EXPECT_EQ(inactive.Test(), c.inactive) << c.status;
  }

  Expression archivable = MustCompile("cli:bal_due=0 and (cli:current = 'I' or cli:current='D')");
  Put(client.current, "D");
  client.bal_due = 0;
  EXPECT_TRUE(archivable.Test());
  client.bal_due = -0.01;
  EXPECT_FALSE(archivable.Test());
  client.bal_due = 0;
  Put(client.current, "A");
  EXPECT_FALSE(archivable.Test());

  Expression writeoffs = MustCompile("(cli:bal_due > 0 and cli:bal_due <= realtemp)");
  client.bal_due = 25;
  EXPECT_TRUE(writeoffs.Test()) << "up to the limit inclusive";
  client.bal_due = 25.01;
  EXPECT_FALSE(writeoffs.Test());
  client.bal_due = 0;
  EXPECT_FALSE(writeoffs.Test());

  Expression payments = MustCompile("cpy:status <>'O'");
  EXPECT_FALSE(payments.Test());
  Put(payment.status, "C");
  EXPECT_TRUE(payments.Test());

  Expression by_filter_variable = MustCompile("Client_Filter = 'X' or cli:current = Client_Filter");
  EXPECT_TRUE(by_filter_variable.Test());
  client_filter[0] = 'I';
  EXPECT_FALSE(by_filter_variable.Test());
  Put(client.current, "I");
  EXPECT_TRUE(by_filter_variable.Test());
}

TEST_F(ExpressionTest, LookupFiltersCompareFieldsWithEnteredText) {
  Expression by_staff = MustCompile("(Emp:EMPCODE = EmployeeFind)");
  employee_find = "JS1";
  EXPECT_TRUE(by_staff.Test()) << "the field's padding does not count";
  employee_find = "JS2";
  EXPECT_FALSE(by_staff.Test());

  // A client number typed into a text variable compares as a number.
  Expression by_client = MustCompile("(Log:CLCODE = FindCLient)");
  log.clcode = 17;
  find_client = "17";
  EXPECT_TRUE(by_client.Test());
  find_client = " 17 ";
  EXPECT_TRUE(by_client.Test());
  find_client = "017.0";
  EXPECT_TRUE(by_client.Test());
  find_client = "18";
  EXPECT_FALSE(by_client.Test());
  log.clcode = -3;
  find_client = "-3";
  EXPECT_TRUE(by_client.Test()) << "int16 fields are signed";
}

TEST_F(ExpressionTest, FiltersBuiltFromKeyRanges) {
  Expression range = MustCompile("LOG:LOG_DATE >= 80123 AND LOG:LOG_DATE <= 80153 AND (log:trans_type = 'SHOW')");
  log.log_date = 80140;
  EXPECT_TRUE(range.Test());
  log.log_date = 80154;
  EXPECT_FALSE(range.Test());

  Expression by_name = MustCompile("UPPER(CLI:CLLNAME) = UPPER('O''NEIL') AND CLI:CURRENT = 'A'");
  EXPECT_TRUE(by_name.Test());
  Put(client.cllname, "O'Neil");
  EXPECT_TRUE(by_name.Test()) << "UPPER on both sides ignores case";
  Put(client.cllname, "ONEIL");
  EXPECT_FALSE(by_name.Test());
  Put(client.cllname, "o'neil");
  Put(client.current, "P");
  EXPECT_FALSE(by_name.Test());

  Expression by_payer = MustCompile("LIN:VEN_CODE = 'MA1' AND (lin:serv_date>=topdate and lin:serv_date <= botdate)");
  line.serv_date = 80123;
  EXPECT_TRUE(by_payer.Test());
}

TEST_F(ExpressionTest, PrecedenceAndAssociativity) {
  EXPECT_EQ(Value("2+3*4").AsNumber(), 14);
  EXPECT_EQ(Value("(2+3)*4").AsNumber(), 20);
  EXPECT_EQ(Value("10-4-3").AsNumber(), 3) << "left to right";
  EXPECT_EQ(Value("24/4/3").AsNumber(), 2) << "left to right";
  EXPECT_EQ(Value("-2*3").AsNumber(), -6);
  EXPECT_EQ(Value("2*-3").AsNumber(), -6);
  EXPECT_EQ(Value("- -3").AsNumber(), 3);
  EXPECT_EQ(Value("-(2+3)").AsNumber(), -5);
  EXPECT_EQ(Value("8-2*3+1").AsNumber(), 3);
  EXPECT_EQ(Value(".5*4").AsNumber(), 2);
  EXPECT_TRUE(Test("1+2 > 2")) << "arithmetic before comparison";
  EXPECT_TRUE(Test("NOT 1 = 2")) << "NOT applies to the whole comparison";
  EXPECT_FALSE(Test("NOT 0 AND 0")) << "NOT binds tighter than AND";
  EXPECT_TRUE(Test("1 OR 0 AND 0")) << "AND binds tighter than OR";
  EXPECT_FALSE(Test("(1 OR 0) AND 0"));
  EXPECT_TRUE(Test("0 and 1 or 1"));
  EXPECT_TRUE(Test("NOT NOT 1"));
  EXPECT_TRUE(Test("1 < 2 = 1")) << "comparisons chain left to right: (1 < 2) = 1";
  EXPECT_TRUE(Test("UpPeR('a') = 'A' aNd not lower('B') = 'B'")) << "keywords and functions in any case";
}

TEST_F(ExpressionTest, TextRules) {
  EXPECT_TRUE(Test("'SHOW  ' = 'SHOW'")) << "trailing blanks do not count";
  EXPECT_FALSE(Test("' SHOW' = 'SHOW'")) << "leading blanks do";
  EXPECT_FALSE(Test("'Show' = 'SHOW'"));
  EXPECT_TRUE(Test("'ABC' < 'ABD' and 'AB' < 'ABC' and 'B' > 'ABC' and 'a' > 'Z'"));
  EXPECT_TRUE(Test("'' = '   '"));
  EXPECT_EQ(Value("'O''NEIL'").AsText(), "O'NEIL");
  EXPECT_EQ(Value("''''").AsText(), "'");
  EXPECT_EQ(Value("'a''''b'").AsText(), "a''b");
  EXPECT_EQ(Value("''").AsText(), "");
  EXPECT_EQ(Value("'and (or'").AsText(), "and (or") << "keywords and operators inside quotes are text";
  EXPECT_EQ(Value("UPPER('mIx 1')").AsText(), "MIX 1");
  EXPECT_EQ(Value("LOWER('mIx 1')").AsText(), "mix 1");
  EXPECT_EQ(Value("CLIP('ab  ')").AsText(), "ab");
  EXPECT_EQ(Value("UPPER(12.5)").AsText(), "12.5") << "a number in a text function is its plain text";
  EXPECT_EQ(Value("CLIP(3)").AsText(), "3");
  EXPECT_EQ(Value("log:trans_type").AsText(), "SHOW ") << "a field evaluates to its stored width";
  EXPECT_EQ(Value("clip(log:trans_type)").AsText(), "SHOW");
}

TEST_F(ExpressionTest, NumbersAgainstTexts) {
  EXPECT_TRUE(Test("5 = '5'"));
  EXPECT_TRUE(Test("5 = ' 5.0 '")) << "blanks around a number are allowed";
  EXPECT_TRUE(Test("10 > '9'")) << "compared as numbers, not as texts";
  EXPECT_TRUE(Test("'9' < 10"));
  EXPECT_TRUE(Test("-2.5 = '-2.5' and 0.5 = '.5' and 2 = '+2'"));
  EXPECT_TRUE(Test("5 < 'ABC'")) << "not a number: '5' against 'ABC' as text";
  EXPECT_TRUE(Test("12 = '12abc' = 0 and 12 < '12abc'")) << "'12' against '12abc' as text";
  EXPECT_TRUE(Test("1000 <> '1e3'")) << "exponents are not read";
  EXPECT_TRUE(Test("12.5 < '12.5x'"));
  EXPECT_TRUE(Test("0.1 = '0.1'")) << "the number's text is its shortest form";
  EXPECT_TRUE(Test("'' <> 0")) << "blank text is not a number";
  EXPECT_TRUE(Test("'' < 0"));

  // Arithmetic reads text as a number, non-numeric text as 0.
  EXPECT_EQ(Value("'12' + 3").AsNumber(), 15);
  EXPECT_EQ(Value("'2' + '3'").AsNumber(), 5) << "+ adds texts, it does not join them";
  EXPECT_EQ(Value("'abc' + 1").AsNumber(), 1);
  EXPECT_EQ(Value("-'4'").AsNumber(), -4);
  EXPECT_EQ(Value("' 2.5 ' * 2").AsNumber(), 5);
  EXPECT_EQ(Value("5/0").AsNumber(), 0) << "division by zero gives 0";
  EXPECT_EQ(Value("0/0").AsNumber(), 0);
  EXPECT_EQ(Value("5/'x'").AsNumber(), 0);
  EXPECT_EQ(Value("1/3").AsText(), "0.3333333333333333");
  EXPECT_EQ(Value("-0*1").AsText(), "0");
  EXPECT_TRUE(Value("1 = 1").IsNumber());
  EXPECT_EQ(Value("2 > 1").AsNumber(), 1);
  EXPECT_EQ(Value("2 < 1").AsNumber(), 0);
}

TEST_F(ExpressionTest, Truth) {
  EXPECT_TRUE(Test("'A'"));
  EXPECT_FALSE(Test("'   '"));
  EXPECT_FALSE(Test("0"));
  EXPECT_TRUE(Test("0.5"));
  EXPECT_TRUE(Test("-1"));
  EXPECT_TRUE(Test("'0'")) << "a text is true when it is not blank, whatever it reads as";
  Put(client.current, " ");
  EXPECT_FALSE(Test("cli:current"));
  EXPECT_FALSE(Test("cli:current and 1"));
  EXPECT_TRUE(Test("not cli:current"));
  EXPECT_TRUE(Test("cli:current or 'x'"));
  EXPECT_TRUE(Value("'x' or 0").IsNumber()) << "logical operators give 1 or 0";
  EXPECT_EQ(Value("'x' and 2").AsNumber(), 1);
}

TEST_F(ExpressionTest, EveryBindingTypeIsReadAtEvaluation) {
  VariableTable table;
  // Unaligned fields inside a packed record.
  alignas(8) unsigned char record[32] = {};
  std::uint8_t flag = 200;
  double amount = 0;
  std::string name = "Smith";
  int calls = 0;
  ASSERT_TRUE(table.BindUInt8("flag", &flag));
  ASSERT_TRUE(table.BindInt16("code", reinterpret_cast<const std::int16_t*>(record + 1)));
  ASSERT_TRUE(table.BindInt32("day", reinterpret_cast<const std::int32_t*>(record + 3)));
  ASSERT_TRUE(table.BindDouble("amount", &amount));
  ASSERT_TRUE(table.BindText("initials", reinterpret_cast<const char*>(record + 7), 3));
  ASSERT_TRUE(table.BindString("name", &name));
  ASSERT_TRUE(table.BindFunction("counter", [&calls] { return ExprValue(++calls); }));
  ASSERT_TRUE(table.BindFunction("label", [] { return ExprValue("ab  "); }));

  auto compiled = Expression::Compile(
      "flag = 200 and code = -2 and day = 80123 and amount = 1.5 and initials = 'JS' and name = 'Smith'", table);
  ASSERT_TRUE(std::holds_alternative<Expression>(compiled));
  const Expression& all = std::get<Expression>(compiled);
  EXPECT_FALSE(all.Test());
  std::int16_t code = -2;
  std::int32_t day = 80123;
  std::memcpy(record + 1, &code, 2);
  std::memcpy(record + 3, &day, 4);
  std::memcpy(record + 7, "JS ", 3);
  amount = 1.5;
  EXPECT_TRUE(all.Test());
  name = "Smithers";
  EXPECT_FALSE(all.Test());

  auto counter = Expression::Compile("counter * 10", table);
  ASSERT_TRUE(std::holds_alternative<Expression>(counter));
  EXPECT_EQ(std::get<Expression>(counter).Evaluate().AsNumber(), 10);
  EXPECT_EQ(std::get<Expression>(counter).Evaluate().AsNumber(), 20) << "a function is called at every evaluation";
  auto label = Expression::Compile("label = 'ab' and upper(label) = 'AB  ' and label <> 0", table);
  ASSERT_TRUE(std::holds_alternative<Expression>(label));
  EXPECT_TRUE(std::get<Expression>(label).Test());

  // A corrupt double (NaN) reads as 0 rather than breaking comparisons.
  amount = std::numeric_limits<double>::quiet_NaN();
  auto nan = Expression::Compile("amount = 0 and not (amount < 0) and amount * 2 = 0", table);
  ASSERT_TRUE(std::holds_alternative<Expression>(nan));
  EXPECT_TRUE(std::get<Expression>(nan).Test());
  amount = std::numeric_limits<double>::infinity();
  auto huge = Expression::Compile("amount > 1 and amount * 2 = amount and amount - amount = 0", table);
  ASSERT_TRUE(std::holds_alternative<Expression>(huge));
  EXPECT_TRUE(std::get<Expression>(huge).Test()) << "overflow stops at the largest double";

  // Copies evaluate on their own work space and see the same variables.
  Expression copy = std::get<Expression>(label);
  EXPECT_TRUE(copy.Test());
  EXPECT_EQ(copy.Text(), "label = 'ab' and upper(label) = 'AB  ' and label <> 0");
}

TEST_F(ExpressionTest, ScopesResolveNamesWithoutRegardToCase) {
  VariableTable first;
  VariableTable second;
  double one = 1;
  double two = 2;
  ASSERT_TRUE(first.BindDouble("Amount", &one));
  ASSERT_TRUE(second.BindDouble("AMOUNT", &two));
  ASSERT_TRUE(second.BindDouble("other", &two));
  ScopeChain chain{&first, nullptr, &second};
  auto value = [&chain](std::string_view text) {
    return std::get<Expression>(Expression::Compile(text, chain)).Evaluate().AsNumber();
  };
  EXPECT_EQ(value("amount"), 1) << "the first scope that knows a name wins";
  EXPECT_EQ(value("aMoUnT + OTHER"), 3);

  ASSERT_TRUE(first.BindDouble("amount", &two)) << "binding again replaces";
  EXPECT_EQ(value("AMOUNT"), 2);
  EXPECT_TRUE(first.Unbind("AMOUNT"));
  EXPECT_FALSE(first.Unbind("AMOUNT"));
  EXPECT_EQ(value("amount"), 2) << "now found in the second scope";

  EXPECT_FALSE(first.BindDouble("1abc", &one)) << "not a name the language can spell";
  EXPECT_FALSE(first.BindDouble("a b", &one));
  EXPECT_FALSE(first.BindDouble("", &one));
  EXPECT_FALSE(first.BindDouble("and", &one)) << "keywords cannot be bound";
  EXPECT_FALSE(first.BindDouble("x", nullptr));
  EXPECT_FALSE(first.BindFunction("f", nullptr));
  EXPECT_TRUE(first.BindDouble("_x:y_1", &one));
}

// A scope whose bindings point nowhere, as a careless scope implementation might.
class BrokenScope : public NameScope {
 public:
  std::optional<Binding> Find(std::string_view) const override { return Binding{}; }
};

TEST_F(ExpressionTest, CompileErrorsGiveThePosition) {
  struct Case {
    const char* text;
    std::size_t position;
    const char* message;
  };
  const Case cases[] = {
      {"cli:bal_due > xyz", 15, "Unknown name 'xyz' at position 15"},
      {"FOO(cli:current)", 1, "Unknown function 'FOO' at position 1"},
      {"(cli:bal_due > 0", 17, "Missing ')' at position 17 to close the '(' at position 1, found end of text"},
      {"upper(cli:current 'A'", 19, "Missing ')' at position 19 to close UPPER( at position 1, found ''A''"},
      {"cli:bal_due > 0)", 16, "Unexpected ')' at position 16 (no '(' to close)"},
      {"cli:bal_due >", 14, "Missing operand at position 14, found end of text"},
      {"cli:bal_due > > 0", 15, "Missing operand at position 15, found '>'"},
      {"and cli:bal_due", 1, "Missing operand at position 1, found 'and'"},
      {"()", 2, "Missing operand at position 2, found ')'"},
      {"cli:bal_due = not 1", 15, "Missing operand at position 15, found 'not'"},
      {"UPPER()", 7, "Missing operand at position 7, found ')'"},
      {"cli:current = 'A", 15, "Unterminated text (no closing quote) at position 15"},
      {"cli:current = 'A''", 15, "Unterminated text (no closing quote) at position 15"},
      {"cli:bal_due # 0", 13, "Unexpected '#' at position 13"},
      {"cli:current = \"A\"", 15, "Unexpected '\"' at position 15"},
      {"cli:bal_due > 0 1", 17, "Unexpected '1' at position 17 (an operator or the end was expected)"},
      {"cli:bal_due > 0 topdate", 17, "Unexpected 'topdate' at position 17 (an operator or the end was expected)"},
      {"", 1, "The expression is empty at position 1"},
      {"   ", 1, "The expression is empty at position 1"},
      {"1.2.3 = 1", 1, "Invalid number '1.2.3' at position 1"},
      {"log:log_date >= 80123abc", 17, "Invalid number '80123abc' at position 17"},
      {"UPPER('a', 'b')", 10, "UPPER takes one argument; unexpected ',' at position 10"},
      {"topdate(1)", 1, "Unknown function 'topdate' at position 1"},
      {"a\x01", 2, "Unexpected character 0x01 at position 2"},
  };
  for (const Case& c : cases) {
    CompileError error = MustFail(c.text);
    EXPECT_EQ(error.position, c.position) << c.text;
    EXPECT_EQ(error.message, c.message) << c.text;
  }
  EXPECT_EQ(MustFail(std::string(400, '9')).message.find("is out of range at position 1") != std::string::npos,
            true);

  BrokenScope broken;
  auto result = Expression::Compile("  x = 1", broken);
  ASSERT_TRUE(std::holds_alternative<CompileError>(result));
  EXPECT_EQ(std::get<CompileError>(result).position, 3u);
  EXPECT_EQ(std::get<CompileError>(result).message, "Name 'x' is bound to nothing readable at position 3");
}

TEST_F(ExpressionTest, NestingIsLimited) {
  auto nested = [](std::size_t levels) {
    return std::string(levels, '(') + "1" + std::string(levels, ')');
  };
  EXPECT_TRUE(Test(nested(256)));
  CompileError too_deep = MustFail(nested(257));
  EXPECT_EQ(too_deep.position, 257u);
  EXPECT_EQ(too_deep.message, "The expression is nested too deeply at position 257 (more than 256 levels)");
  EXPECT_EQ(MustFail(nested(100000)).position, 257u) << "no stack overflow on absurd input";

  std::string minus(300, '-');
  EXPECT_EQ(MustFail(minus + "1").position, 257u);
  std::string nots;
  for (int i = 0; i < 300; ++i) nots += "not ";
  EXPECT_EQ(MustFail(nots + "1").position, 257u * 4 - 3);
  std::string uppers;
  for (int i = 0; i < 300; ++i) uppers += "upper(";
  EXPECT_FALSE(MustFail(uppers + "'a'" + std::string(300, ')')).message.empty());

  // Long chains of AND and OR are flat and do not count as nesting.
  std::string clauses = "cli:current = 'A'";
  for (int i = 0; i < 2000; ++i) clauses += " and topdate = 80123 or 0";
  EXPECT_TRUE(Test(clauses));

  // A long chain of arithmetic over fields builds a deep tree: refused, not a crash.
  std::string sum = "cli:bal_due";
  for (int i = 0; i < 1500; ++i) sum += "+cli:bal_due";
  CompileError chain = MustFail(sum);
  EXPECT_NE(chain.message.find("too deeply nested"), std::string::npos) << chain.message;
  std::string constants = "1";
  for (int i = 0; i < 1500; ++i) constants += "+1";
  EXPECT_EQ(Value(constants).AsNumber(), 1501) << "constant parts are folded as they are read";
}

TEST(ExprValue, ConversionsAndComparison) {
  EXPECT_TRUE(ExprValue().IsNumber());
  EXPECT_EQ(ExprValue().AsNumber(), 0);
  EXPECT_EQ(ExprValue(" 42 ").AsNumber(), 42);
  EXPECT_EQ(ExprValue("4x").AsNumber(), 0);
  EXPECT_EQ(ExprValue("-").AsNumber(), 0);
  EXPECT_EQ(ExprValue(".").AsNumber(), 0);
  EXPECT_EQ(ExprValue("1.").AsNumber(), 1);
  EXPECT_EQ(ExprValue("nan").AsNumber(), 0);
  EXPECT_EQ(ExprValue("inf").AsNumber(), 0);
  EXPECT_EQ(ExprValue(std::string(400, '9')).AsNumber(), 0) << "beyond a double: not a number";
  EXPECT_EQ(ExprValue(100.0).AsText(), "100");
  EXPECT_EQ(ExprValue(-0.25).AsText(), "-0.25");
  EXPECT_EQ(ExprValue(1e21).AsText(), "1000000000000000000000") << "no exponent in a number's text";
  EXPECT_EQ(ExprValue(123456789.125).AsText(), "123456789.125");
  EXPECT_FALSE(ExprValue("  ").IsTrue());
  EXPECT_TRUE(ExprValue("0").IsTrue());
  EXPECT_FALSE(ExprValue(0.0).IsTrue());
  EXPECT_EQ(ExprValue::Compare(ExprValue("ab "), ExprValue("ab")), 0);
  EXPECT_EQ(ExprValue::Compare(ExprValue(9), ExprValue("10")), -1);
  EXPECT_EQ(ExprValue::Compare(ExprValue("10"), ExprValue(9)), 1);
  EXPECT_EQ(ExprValue::Compare(ExprValue("B"), ExprValue(9)), 1);
  EXPECT_EQ(ExprValue::Compare(ExprValue("10"), ExprValue("9")), -1) << "two texts compare as text";
  EXPECT_NE(ExprValue(1), ExprValue("1")) << "equality of values keeps the kind";
}

// A random expression that the grammar accepts, over the fixture's names.
std::string RandomExpression(std::mt19937& random, int depth) {
  static const char* const kOperands[] = {
      "cli:bal_due", "CLI:CURRENT", "log:trans_type", "lin:serv_date", "topdate", "BotDate", "filter2",
      "FindCLient", "realtemp", "Client_Filter", "log:clcode", "0", "0.0", "12.5", ".5", "80123", "'SHOW'",
      "'O''NEIL'", "''", "'  12 '", "'A'"};
  static const char* const kOperators[] = {"+", "-", "*", "/", "=", "<>", "<", ">", "<=", ">=", " AND ", " or "};
  auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  int choice = depth <= 0 ? 0 : pick(8);
  switch (choice) {
    case 0:
    case 1: return kOperands[pick(std::size(kOperands))];
    case 2: return "(" + RandomExpression(random, depth - 1) + ")";
    case 3: return "-" + RandomExpression(random, depth - 1);
    case 4: return "(NOT " + RandomExpression(random, depth - 1) + ")";
    case 5: {
      static const char* const kFunctions[] = {"UPPER(", "lower(", "Clip("};
      return kFunctions[pick(3)] + RandomExpression(random, depth - 1) + ")";
    }
    default:
      return RandomExpression(random, depth - 1) + kOperators[pick(std::size(kOperators))] +
             RandomExpression(random, depth - 1);
  }
}

// Random input must compile or fail cleanly, and evaluate without crashing
// when it compiles: token soup from the language's alphabet, random bytes,
// expressions the grammar accepts (which must compile) and such expressions
// with one character damaged.
TEST_F(ExpressionTest, RandomInputNeverCrashes) {
  const std::vector<std::string> pieces = {
      "cli:bal_due", "CLI:CURRENT", "log:trans_type", "topdate", "filter2", "unknown", "x:y", "0", "12.5",
      ".5", "1.2.3", "9e9", "'SHOW'", "'O''NEIL'", "''", "'", "'ab", "=", "<>", "<", ">", "<=", ">=", "+",
      "-", "*", "/", "AND", "or", "Not", "(", ")", "(", ")", "UPPER(", "lower(", "Clip(", "foo(", ",", " ",
      "#", "\"", "\t", "!"};
  std::mt19937 random(20240607);
  auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  employee_find = "JS1";
  find_client = "17";
  client.bal_due = 12.5;
  line.serv_date = 80130;
  int compiled = 0;
  for (int round = 0; round < 100000; ++round) {
    std::string text;
    const int kind = round % 4;
    if (kind == 0) {
      for (std::size_t i = pick(25); i > 0; --i) text += pieces[pick(pieces.size())];
    } else if (kind == 1) {
      for (std::size_t i = pick(25); i > 0; --i) {
        text.push_back(pick(2) == 0 ? static_cast<char>(pick(256)) : "( )'=<>"[pick(7)]);
      }
    } else {
      text = RandomExpression(random, 6);
      if (kind == 3 && !text.empty()) {
        std::size_t at = pick(text.size());
        switch (pick(3)) {
          case 0: text.erase(at, 1); break;
          case 1: text.insert(at, pieces[pick(pieces.size())]); break;
          default: text[at] = static_cast<char>(pick(256)); break;
        }
      }
    }
    auto result = Compile(text);
    if (auto* error = std::get_if<CompileError>(&result)) {
      ASSERT_NE(kind, 2) << "the grammar accepts " << text << " -> " << error->message;
      ASSERT_GE(error->position, 1u) << text;
      ASSERT_LE(error->position, text.size() + 1) << text;
      ASSERT_NE(error->message.find("at position " + std::to_string(error->position)), std::string::npos)
          << text << " -> " << error->message;
    } else {
      const Expression& expression = std::get<Expression>(result);
      ExprValue value = expression.Evaluate();
      ASSERT_EQ(expression.Test(), value.IsTrue()) << text;
      if (value.IsNumber()) {
        ASSERT_TRUE(std::isfinite(value.AsNumber())) << text;
      }
      ++compiled;
    }
  }
  EXPECT_GT(compiled, 25000) << "a good share of the inputs must get as far as evaluation";
}

}  // namespace
}  // namespace vornel::platform
