#include "app/frame_texts.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace vornel::app {
namespace {

TEST(FrameTexts, TitleNamesTheAgencyAndTheCurrentDepartment) {
  ui::ProgramValues values;
  platform::AssignPadded(values.agency_name, "Riverbend Counseling");
  values.department = 2;
  platform::AssignPadded(values.activity, "PREVENTION");
  EXPECT_EQ(FrameTitle(values),
            "VORNEL for Windows  Riverbend Counseling      Current Dept:    2 - PREVENTION");
}

TEST(FrameTexts, StatusBarShowsTheWeekdayTheLongDateAndTheTime) {
  EXPECT_EQ(StatusDate(platform::DateFromMdy(12, 6, 2026)), "Sunday, December 6, 2026");
  EXPECT_EQ(StatusDate(platform::DateFromMdy(12, 7, 2026)), "Monday, December 7, 2026");
  EXPECT_EQ(StatusTime(platform::TimeFromHms(17, 30)), "5:30PM");
  EXPECT_EQ(StatusTime(platform::TimeFromHms(8, 5)), "8:05AM");
}

}  // namespace
}  // namespace vornel::app
