// WhatDay takes the statistics date.
#include "tests/maintenance/program_fixture.h"

namespace vornel::visits {
namespace {

using DayPickers = maintenance::test::ProgramFixture;

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
