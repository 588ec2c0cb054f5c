#include "platform/dates.h"

#include <gtest/gtest.h>

namespace vornel::platform {
namespace {

TEST(DayNumbers, AnchorDaysAndWeekdays) {
  EXPECT_EQ(DateFromMdy(1, 1, 1801), 4);
  EXPECT_EQ(CivilFromDay(4), (CivilDate{1801, 1, 1}));
  // 3 January 1993 was a Sunday, 1 January 2026 a Thursday.
  EXPECT_EQ(WeekdayOf(DateFromMdy(1, 3, 1993)), 0);
  EXPECT_EQ(WeekdayOf(DateFromMdy(1, 1, 2026)), 4);
  EXPECT_EQ(DateFromMdy(12, 31, 1800), 0) << "before the first day is no date";
  EXPECT_EQ(CivilFromDay(0), CivilDate{});
  EXPECT_EQ(CivilFromDay(-5), CivilDate{});
}

TEST(DayNumbers, RoundTripOverManyYears) {
  for (DayNumber d = 4; d < 4 + 366 * 300; d += 17) {
    CivilDate c = CivilFromDay(d);
    ASSERT_EQ(DateFromMdy(c.month, c.day, c.year), d) << c.year << "-" << c.month << "-" << c.day;
    ASSERT_EQ(DayOf(d), c.day);
    ASSERT_EQ(MonthOf(d), c.month);
    ASSERT_EQ(YearOf(d), c.year);
  }
}

TEST(DayNumbers, MonthAndDayRollOver) {
  EXPECT_EQ(DateFromMdy(13, 1, 2025), DateFromMdy(1, 1, 2026));
  EXPECT_EQ(DateFromMdy(0, 1, 2026), DateFromMdy(12, 1, 2025));
  EXPECT_EQ(DateFromMdy(3, 0, 2024), DateFromMdy(2, 29, 2024)) << "day 0 is the previous month's last";
  EXPECT_EQ(DateFromMdy(1, 32, 2026), DateFromMdy(2, 1, 2026));
  EXPECT_EQ(DateFromMdy(-11, 1, 2026), DateFromMdy(1, 1, 2025));
}

TEST(DayNumbers, TwoDigitYearsUseTheCenturyWindow) {
  EXPECT_EQ(DateFromMdy(1, 1, 2), DateFromMdy(1, 1, 2002));
  EXPECT_EQ(DateFromMdy(1, 1, 3), DateFromMdy(1, 1, 2003));
  EXPECT_EQ(TwoDigitYear(36, 2026), 2036);
  EXPECT_EQ(TwoDigitYear(37, 2026), 1937);
  EXPECT_EQ(TwoDigitYear(44, 2026), 1944);
  EXPECT_EQ(TwoDigitYear(0, 2026), 2000);
  EXPECT_EQ(TwoDigitYear(99, 2026), 1999);
}

TEST(DayNumbers, LeapYearsAndMonthEnds) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2026));
  EXPECT_EQ(DaysInMonth(2, 2024), 29);
  EXPECT_EQ(DaysInMonth(2, 2100), 28);
  EXPECT_EQ(DaysInMonth(13, 2024), 0);
  EXPECT_EQ(LastDayOfMonth(DateFromMdy(2, 10, 2024)), DateFromMdy(2, 29, 2024));
  EXPECT_EQ(LastDayOfMonth(DateFromMdy(12, 1, 2026)), DateFromMdy(12, 31, 2026));
  EXPECT_EQ(LastDayOfMonth(0), 0);
}

TEST(TimesOfDay, HundredthsPlusOne) {
  EXPECT_EQ(TimeFromHms(8, 0), 2880001);
  EXPECT_EQ(TimeFromHms(9, 0), 3240001);
  EXPECT_EQ(TimeFromHms(0, 0), 1) << "midnight is a time, distinct from no time";
  EXPECT_EQ(TimeFromHms(24, 0), 0);
  EXPECT_EQ(TimeFromHms(10, 60), 0);
  ClockParts p = PartsOfTime(TimeFromHms(17, 45, 12, 34));
  EXPECT_EQ(p.hours, 17);
  EXPECT_EQ(p.minutes, 45);
  EXPECT_EQ(p.seconds, 12);
  EXPECT_EQ(p.hundredths, 34);
  EXPECT_EQ(PartsOfTime(0).hours, 0);
}

TEST(TimesOfDay, TodayAndClockAreSane) {
  DayNumber today = Today();
  EXPECT_GE(YearOf(today), 2024);
  TimeOfDay now = Clock();
  EXPECT_GE(now, 1);
  EXPECT_LE(now, 24 * kOneHour);
}

}  // namespace
}  // namespace vornel::platform
