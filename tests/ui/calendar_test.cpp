#include "ui/calendar.h"

#include <gtest/gtest.h>

namespace vornel::ui {
namespace {

using platform::DateFromMdy;

TEST(Calendar, OpensOnTodayWhenGivenNoDateOrAnOutOfRangeOne) {
  const DayNumber today = DateFromMdy(12, 7, 2026);
  for (DayNumber initial : {0, DateFromMdy(1, 1, 2100), -5}) {
    Calendar calendar(initial, today);
    EXPECT_EQ(calendar.selected(), today);
    EXPECT_EQ(calendar.Title(), "December 2026");
  }
  Calendar calendar(DateFromMdy(3, 15, 2025), today);
  EXPECT_EQ(calendar.Title(), "March 2025");
}

TEST(Calendar, GridStartsOnSundayAndHidesDaysOutsideTheMonth) {
  // February 2026 begins on a Sunday: the 1st is in the first column.
  Calendar calendar(DateFromMdy(2, 10, 2026), 0);
  EXPECT_EQ(calendar.FirstColumn(), 0);
  EXPECT_EQ(calendar.DayNames()[0], "Sun");
  EXPECT_EQ(calendar.DayNames()[6], "Sat");
  auto cells = calendar.Cells();
  EXPECT_EQ(cells[0].day, 1);
  EXPECT_EQ(cells[0].day_class, Calendar::DayClass::kSunday);
  EXPECT_EQ(cells[6].day_class, Calendar::DayClass::kSaturday);
  EXPECT_EQ(cells[27].day, 28);
  EXPECT_FALSE(cells[28].shown);
  EXPECT_TRUE(cells[9].selected);

  // December 2026 begins on a Tuesday; weeks starting on Monday move it left.
  EXPECT_EQ(Calendar(DateFromMdy(12, 1, 2026), 0).FirstColumn(), 2);
  Calendar monday_first(DateFromMdy(12, 1, 2026), 0, 1);
  EXPECT_EQ(monday_first.FirstColumn(), 1);
  EXPECT_EQ(monday_first.DayNames()[0], "Mon");
  EXPECT_EQ(Calendar(DateFromMdy(12, 1, 2026), 0, 9).DayNames()[0], "Sun") << "9 is taken as 7";
}

TEST(Calendar, NavigationKeepsTheDayOrFallsBackToTheFirst) {
  Calendar calendar(DateFromMdy(1, 31, 2026), 0);
  calendar.NextMonth();
  EXPECT_EQ(calendar.selected(), DateFromMdy(2, 1, 2026)) << "February has no 31st";
  calendar.PreviousMonth();
  EXPECT_EQ(calendar.selected(), DateFromMdy(1, 1, 2026));
  calendar.PreviousMonth();
  EXPECT_EQ(calendar.selected(), DateFromMdy(12, 1, 2025)) << "months wrap across years";
  calendar.MoveDays(-1);
  EXPECT_EQ(calendar.selected(), DateFromMdy(11, 30, 2025));
  calendar.MoveDays(7);
  EXPECT_EQ(calendar.selected(), DateFromMdy(12, 7, 2025));

  Calendar leap(DateFromMdy(2, 29, 2024), 0);
  leap.NextYear();
  EXPECT_EQ(leap.selected(), DateFromMdy(2, 1, 2025));
  leap.PreviousYear();
  EXPECT_EQ(leap.selected(), DateFromMdy(2, 1, 2024));

  Calendar edge(DateFromMdy(12, 31, 2099), DateFromMdy(6, 1, 2026));
  edge.MoveDays(1);
  EXPECT_EQ(edge.selected(), DateFromMdy(12, 31, 2099)) << "no move past the last year";
  edge.GoToday();
  EXPECT_EQ(edge.selected(), DateFromMdy(6, 1, 2026));
}

TEST(Calendar, AnswersThePickedDateElseTheInitialOne) {
  const DayNumber opened = DateFromMdy(5, 20, 2026);
  Calendar closed(opened, 0);
  closed.MoveDays(3);
  closed.Close();
  EXPECT_EQ(closed.state(), Calendar::State::kClosed);
  EXPECT_EQ(closed.Result(), opened);

  Calendar keeps(opened, 0);
  keeps.SetCloseReturnsSelection(true);
  keeps.MoveDays(3);
  keeps.Close();
  EXPECT_EQ(keeps.Result(), opened + 3);

  Calendar picked(opened, 0);  // May 2026 begins on a Friday (column 5)
  EXPECT_FALSE(picked.Accept(2)) << "a hidden cell picks nothing";
  ASSERT_TRUE(picked.Accept(5 + 9));
  EXPECT_EQ(picked.state(), Calendar::State::kPicked);
  EXPECT_EQ(picked.Result(), DateFromMdy(5, 10, 2026));
}

TEST(Calendar, SpecialDaysHaveTheirOwnClass) {
  Calendar calendar(DateFromMdy(7, 1, 2026), 0);
  calendar.SetSpecialDays([](DayNumber d) { return d == DateFromMdy(7, 4, 2026); });
  auto cells = calendar.Cells();
  const int column = calendar.FirstColumn();
  EXPECT_EQ(cells[column + 3].day_class, Calendar::DayClass::kSpecial);
  EXPECT_EQ(cells[column + 4].day_class, Calendar::DayClass::kSunday);
}

}  // namespace
}  // namespace vornel::ui
