#include "ui/calendar.h"

namespace vornel::ui {
namespace {

constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",
                                       "May",     "June",     "July",      "August",
                                       "September", "October", "November", "December"};
constexpr std::string_view kDayNames = "MonTueWedThuFriSatSun";

DayNumber FirstDay() { return platform::DateFromMdy(1, 1, 1801); }
DayNumber LastDay() { return platform::DateFromMdy(12, 31, 2099); }
bool InRange(DayNumber day) { return day >= FirstDay() && day <= LastDay(); }

}  // namespace

Calendar::Calendar(DayNumber initial, DayNumber today, int first_day_of_week)
    : initial_(InRange(initial) ? initial : today),
      today_(today),
      selected_(initial_),
      first_day_of_week_(first_day_of_week >= 1 && first_day_of_week <= 7 ? first_day_of_week
                                                                          : 7) {}

std::string Calendar::Title() const {
  platform::CivilDate d = platform::CivilFromDay(selected_);
  return std::string(kMonthNames[d.month - 1]) + " " + std::to_string(d.year);
}

std::array<std::string, 7> Calendar::DayNames() const {
  std::array<std::string, 7> names;
  for (int i = 0; i < 7; ++i) {
    int day = (first_day_of_week_ - 1 + i) % 7;  // 0 = Monday in kDayNames
    names[i] = std::string(kDayNames.substr(day * 3, 3));
  }
  return names;
}

int Calendar::FirstColumn() const {
  platform::CivilDate d = platform::CivilFromDay(selected_);
  // 3 January 1993 was a Sunday.
  const DayNumber first = platform::DateFromMdy(d.month, 1, d.year);
  const int offset = first - platform::DateFromMdy(1, 3, 1993) - first_day_of_week_ + 7;
  return ((offset % 7) + 7) % 7;
}

DayNumber Calendar::CellDate(int cell) const {
  platform::CivilDate d = platform::CivilFromDay(selected_);
  const int day = cell - FirstColumn() + 1;
  if (day < 1 || day > platform::DaysInMonth(d.month, d.year)) return 0;
  return platform::DateFromMdy(d.month, day, d.year);
}

std::array<Calendar::Cell, Calendar::kCells> Calendar::Cells() const {
  std::array<Cell, kCells> cells{};
  for (int i = 0; i < kCells; ++i) {
    const DayNumber date = CellDate(i);
    if (date == 0) continue;
    Cell& cell = cells[i];
    cell.shown = true;
    cell.day = platform::DayOf(date);
    cell.selected = date == selected_;
    const int weekday = platform::WeekdayOf(date);  // 0 = Sunday
    if (is_special_ && is_special_(date)) {
      cell.day_class = DayClass::kSpecial;
    } else if (weekday == 0) {
      cell.day_class = DayClass::kSunday;
    } else if (weekday == 6) {
      cell.day_class = DayClass::kSaturday;
    }
  }
  return cells;
}

void Calendar::Select(DayNumber day) {
  if (InRange(day)) selected_ = day;
}

void Calendar::MoveDays(int days) { Select(selected_ + days); }

void Calendar::MoveMonths(int months) {
  platform::CivilDate d = platform::CivilFromDay(selected_);
  int month0 = d.month - 1 + months;
  int year = d.year + (month0 >= 0 ? month0 / 12 : -((11 - month0) / 12));
  int month = ((month0 % 12) + 12) % 12 + 1;
  // The same day, or the 1st when the new month has no such day.
  int day = d.day <= platform::DaysInMonth(month, year) ? d.day : 1;
  Select(platform::DateFromMdy(month, day, year));
}

void Calendar::GoToday() { Select(today_); }

bool Calendar::Click(int cell) {
  if (cell < 0 || cell >= kCells || CellDate(cell) == 0) return false;
  Select(CellDate(cell));
  return true;
}

bool Calendar::Accept(int cell) {
  if (!Click(cell)) return false;
  state_ = State::kPicked;
  return true;
}

void Calendar::Close() {
  if (state_ == State::kOpen) state_ = State::kClosed;
}

DayNumber Calendar::Result() const {
  if (state_ == State::kPicked || close_returns_selection_) return selected_;
  return initial_;
}

}  // namespace vornel::ui
