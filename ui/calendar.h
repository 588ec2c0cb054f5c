#pragma once
// The date picker's behaviour: the month grid it shows, its navigation and
// what it answers. The window that draws it comes with the window layer;
// this model holds every rule, so it runs and is tested without a screen.
#include <array>
#include <functional>
#include <string>

#include "platform/dates.h"

namespace vornel::ui {

using platform::DayNumber;

class Calendar {
 public:
  enum class DayClass { kWeekday, kSaturday, kSunday, kSpecial };
  struct Cell {
    bool shown = false;  // cells before the 1st and after the month's last day are hidden
    int day = 0;
    DayClass day_class = DayClass::kWeekday;
    bool selected = false;
  };
  enum class State { kOpen, kPicked, kClosed };
  static constexpr int kCells = 42;

  // `initial` 0, or outside 1 January 1801 .. 31 December 2099, means today.
  // `first_day_of_week`: 1 = Monday .. 7 = Sunday; anything else is 7.
  Calendar(DayNumber initial, DayNumber today, int first_day_of_week = 7);

  // Whether a day is drawn as special (the base: none).
  void SetSpecialDays(std::function<bool(DayNumber)> is_special) { is_special_ = std::move(is_special); }
  // With this on, Close answers the selected date instead of the initial one.
  void SetCloseReturnsSelection(bool on) { close_returns_selection_ = on; }

  std::string Title() const;                   // "February 2026"
  std::array<std::string, 7> DayNames() const; // "Sun", "Mon", ... from the first day of the week
  std::array<Cell, kCells> Cells() const;
  int FirstColumn() const;  // the column of the 1st, 0 = the first column
  DayNumber selected() const { return selected_; }
  State state() const { return state_; }

  // Navigation; each selects the new date. Moves out of the calendar's years
  // are ignored.
  void MoveDays(int days);  // arrows: -1, +1, -7, +7; the week buttons
  void PreviousMonth() { MoveMonths(-1); }
  void NextMonth() { MoveMonths(1); }
  void PreviousYear() { MoveMonths(-12); }
  void NextYear() { MoveMonths(12); }
  void GoToday();
  // A click on a cell selects its date; accepting a cell picks it and closes.
  bool Click(int cell);
  bool Accept(int cell);
  // The close button: closes without picking.
  void Close();
  // What the calendar answers: the picked date, else the initial date (or the
  // selected one when close returns the selection).
  DayNumber Result() const;

 private:
  void MoveMonths(int months);
  void Select(DayNumber day);
  DayNumber CellDate(int cell) const;

  DayNumber initial_;
  DayNumber today_;
  DayNumber selected_;
  int first_day_of_week_;
  State state_ = State::kOpen;
  bool close_returns_selection_ = false;
  std::function<bool(DayNumber)> is_special_;
};

}  // namespace vornel::ui
