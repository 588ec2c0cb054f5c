// The date questions: Day_Select starts on the first day of the next
// posting and tells its caller when it was cancelled (its button, Escape or
// the close box); WhatDay takes the statistics date.
#include "tests/maintenance/program_fixture.h"

namespace vornel::visits {
namespace {

using DayPickers = maintenance::test::ProgramFixture;

TEST_F(DayPickers, DaySelectStartsAfterTheLastPostingAndTellsACancel) {
  platform::DayNumber start = 0;
  EXPECT_EQ(Run(R"(
frame
start Day_Select
window "Date Selection Form"
type ?topdate "12/15/2026"
press ?Ok
expect closed
)",
                [&](app::Program& program) {
                  start = program.values.posting_start_date;
                  EXPECT_EQ(program.values.topdate, platform::DateFromMdy(12, 15, 2026));
                  EXPECT_EQ(program.values.cancelled, 0);
                }),
            "");
  ASSERT_NE(start, 0);
  const std::string shown = platform::FormatWith("d2", start);
  for (const char* how : {"press ?Cancel", "close"}) {
    EXPECT_EQ(Run(std::string(R"(
frame
start Day_Select
window "Date Selection Form"
expect value ?topdate ")") + shown + "\"\n" + how + "\nexpect closed\n",
                  [&](app::Program& program) { EXPECT_EQ(program.values.cancelled, 1) << how; }),
              "")
        << how;
  }
}

TEST_F(DayPickers, WhatDayTakesTheStatisticsDate) {
  EXPECT_EQ(Run(R"(
frame
start WhatDay
window "Vendor Payment Date Selection Form"
expect hidden ?OKnotused yes
type ?topdate "11/30/2026"
press ?OK
expect closed
)",
                [](app::Program& program) { EXPECT_EQ(program.values.topdate, platform::DateFromMdy(11, 30, 2026)); }),
            "");
}

}  // namespace
}  // namespace vornel::visits
