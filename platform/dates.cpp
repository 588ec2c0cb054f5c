#include "platform/dates.h"

#include <chrono>
#include <ctime>

namespace vornel::platform {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr sys_days kDayZero = sys_days{std::chrono::year{1800} / 12 / 28};
constexpr DayNumber kFirstDay = 4;  // 1 January 1801
constexpr TimeOfDay kDayLength = 24 * kOneHour;

int CurrentYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

}  // namespace

int TwoDigitYear(int yy, int current_year) {
  int year = current_year - current_year % 100 + yy;
  if (year > current_year + 10) year -= 100;
  if (year < current_year - 89) year += 100;
  return year;
}

int TwoDigitYear(int yy) { return TwoDigitYear(yy, CurrentYear()); }

DayNumber DateFromMdy(int month, int day, int year) {
  if (year >= 0 && year < 100) year = TwoDigitYear(year);
  // Roll the month into 1..12, carrying whole years.
  int m0 = month - 1;
  year += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
  m0 = ((m0 % 12) + 12) % 12;
  if (year < 1800 || year > 9999) return 0;
  sys_days first = sys_days{std::chrono::year{year} / (m0 + 1) / 1};
  long long number = (first - kDayZero).count() + (day - 1);
  if (number < kFirstDay || number > INT32_MAX) return 0;
  return static_cast<DayNumber>(number);
}

CivilDate CivilFromDay(DayNumber day) {
  if (day <= 0) return {};
  year_month_day ymd{kDayZero + days{day}};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

int DayOf(DayNumber day) { return CivilFromDay(day).day; }
int MonthOf(DayNumber day) { return CivilFromDay(day).month; }
int YearOf(DayNumber day) { return CivilFromDay(day).year; }
int WeekdayOf(DayNumber day) { return ((day % 7) + 7) % 7; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

DayNumber LastDayOfMonth(DayNumber day) {
  CivilDate d = CivilFromDay(day);
  if (d.year == 0) return 0;
  return DateFromMdy(d.month, DaysInMonth(d.month, d.year), d.year);
}

int AgeInYears(DayNumber birth, DayNumber on) {
  if (birth <= 0 || on < birth) return 0;
  int years = YearOf(on) - YearOf(birth);
  if (MonthOf(on) < MonthOf(birth) || (MonthOf(on) == MonthOf(birth) && DayOf(on) < DayOf(birth))) --years;
  return years;
}

DayNumber Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateFromMdy(local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
}

TimeOfDay Clock() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  return TimeFromHms(local.tm_hour, local.tm_min, local.tm_sec,
                     static_cast<int>(ts.tv_nsec / 10000000));
}

TimeOfDay TimeFromHms(int hours, int minutes, int seconds, int hundredths) {
  if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 ||
      hundredths < 0 || hundredths > 99)
    return 0;
  return hours * kOneHour + minutes * kOneMinute + seconds * kOneSecond + hundredths + 1;
}

ClockParts PartsOfTime(TimeOfDay time) {
  if (time <= 0) return {};
  int t = (time - 1) % kDayLength;
  return {t / kOneHour, t % kOneHour / kOneMinute, t % kOneMinute / kOneSecond, t % kOneSecond};
}

}  // namespace vornel::platform
