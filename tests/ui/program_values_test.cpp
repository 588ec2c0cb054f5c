#include "ui/program_values.h"

#include <gtest/gtest.h>

#include <variant>

#include "platform/expression.h"
#include "platform/text.h"

namespace vornel::ui {
namespace {

TEST(ProgramValues, FilterExpressionsReadTheReportParametersLive) {
  ProgramValues values;
  platform::VariableTable table;
  ASSERT_TRUE(BindProgramValues(values, table));
  auto compiled = platform::Expression::Compile(
      "topdate <= 10 and BOTDATE >= 20 and filter2 = 'ABC' and var1 = 'O' and VAR3 = '' and "
      "realtemp > 1.5",
      table);
  ASSERT_TRUE(std::holds_alternative<platform::Expression>(compiled))
      << std::get<platform::CompileError>(compiled).message;
  const auto& filter = std::get<platform::Expression>(compiled);

  values.topdate = 5;
  values.botdate = 25;
  platform::AssignPadded(values.filter2, "ABC");
  values.var1 = 'O';
  values.realtemp = 2;
  EXPECT_TRUE(filter.Test());
  platform::AssignPadded(values.var3, "EMP1");  // changed after compiling: the filter sees it
  EXPECT_FALSE(filter.Test());
}

}  // namespace
}  // namespace vornel::ui
