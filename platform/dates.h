#pragma once
// Dates and times as the system counts them.
//
// A date is a day number: day 0 is Sunday 28 December 1800, so day 4 is
// 1 January 1801 and day % 7 is the weekday with 0 = Sunday; 0 also means
// "no date". A time is hundredths of a second since midnight plus one
// (8:00 is 2880001); 0 means "no time".
#include <cstdint>

namespace vornel::platform {

using DayNumber = std::int32_t;
using TimeOfDay = std::int32_t;

inline constexpr TimeOfDay kOneHour = 360000;
inline constexpr TimeOfDay kOneMinute = 6000;
inline constexpr TimeOfDay kOneSecond = 100;

struct CivilDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Day number of a calendar date. Month and day outside their ranges roll over
// the way date arithmetic expects: month 13 is January of the next year, day 0
// is the last day of the previous month. A two-digit year (0..99) goes through
// the century window of TwoDigitYear. Dates before 1 January 1801 give 0.
DayNumber DateFromMdy(int month, int day, int year);

// The full year of a two-digit year: the one year ending in those digits that
// lies within 89 years before and 10 years after the current year.
int TwoDigitYear(int yy);
int TwoDigitYear(int yy, int current_year);

// Calendar date of a day number; a day number <= 0 gives {0, 0, 0}.
CivilDate CivilFromDay(DayNumber day);
int DayOf(DayNumber day);
int MonthOf(DayNumber day);
int YearOf(DayNumber day);
int WeekdayOf(DayNumber day);  // 0 = Sunday

bool IsLeapYear(int year);
int DaysInMonth(int month, int year);
DayNumber LastDayOfMonth(DayNumber day);

// Today's date and the clock (local time).
DayNumber Today();
// Whole years from `birth` to `on` (0 when either is not a date or birth is later).
int AgeInYears(DayNumber birth, DayNumber on);
TimeOfDay Clock();

// A time of day from its parts; parts out of range give 0 (no time).
TimeOfDay TimeFromHms(int hours, int minutes, int seconds = 0, int hundredths = 0);

struct ClockParts {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  int hundredths = 0;
};
// Parts of a time of day; a time <= 0 gives all zero.
ClockParts PartsOfTime(TimeOfDay time);

}  // namespace vornel::platform
