// Date pictures @d1 .. @d18: the value is a day number, 0 = no date.
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "platform/dates.h"
#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::platform {
namespace {

// Each form is a layout of fields (YYYY, YY, MMM = month abbreviation, MONTH =
// month name, MM, DD, D = day without padding, WEEKDAY) and literal characters.
constexpr std::array<std::string_view, 18> kLayouts = {
    "MM/DD/YY",     "MM/DD/YYYY", "MMM DD,YYYY", "MONTH D, YYYY",
    "DD/MM/YY",     "DD/MM/YYYY", "DD MMM YY",   "DD MMM YYYY",
    "YY/MM/DD",     "YYYY/MM/DD", "YYMMDD",      "YYYYMMDD",
    "MM/YY",        "MM/YYYY",    "YY/MM",       "YYYY/MM",
    "MM/DD/YYYY",  // the short date form
    "WEEKDAY, MONTH D, YYYY",  // the long date form
};

constexpr std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kWeekdays = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

enum class Field { kYear4, kYear2, kMonthAbbrev, kMonthName, kMonth, kDay2, kDay, kWeekday };

struct Token {
  bool is_field = false;
  Field field = Field::kDay;
  char literal = 0;
};

std::vector<Token> Tokens(std::string_view layout) {
  static constexpr std::pair<std::string_view, Field> kFields[] = {
      {"WEEKDAY", Field::kWeekday}, {"MONTH", Field::kMonthName}, {"YYYY", Field::kYear4},
      {"YY", Field::kYear2},        {"MMM", Field::kMonthAbbrev}, {"MM", Field::kMonth},
      {"DD", Field::kDay2},         {"D", Field::kDay}};
  std::vector<Token> tokens;
  while (!layout.empty()) {
    bool matched = false;
    for (const auto& [name, field] : kFields) {
      if (layout.starts_with(name)) {
        tokens.push_back({true, field, 0});
        layout.remove_prefix(name.size());
        matched = true;
        break;
      }
    }
    if (!matched) {
      tokens.push_back({false, Field::kDay, layout.front()});
      layout.remove_prefix(1);
    }
  }
  return tokens;
}

int FieldWidth(Field field) {
  switch (field) {
    case Field::kYear4:
      return 4;
    case Field::kMonthAbbrev:
      return 3;
    case Field::kMonthName:
    case Field::kWeekday:
      return 9;  // "September", "Wednesday"
    case Field::kYear2:
    case Field::kMonth:
    case Field::kDay2:
    case Field::kDay:
      return 2;
  }
  return 0;
}

// The long forms (month names, unpadded day) are shown at their natural length.
bool VariableWidth(std::string_view layout) {
  for (const Token& t : Tokens(layout))
    if (t.is_field && (t.field == Field::kMonthName || t.field == Field::kDay)) return true;
  return false;
}

std::string TwoDigits(int n) {
  return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10);
}

// 1..12 for a month name or an abbreviation of at least three letters.
int MonthFromName(std::string_view word) {
  if (word.size() < 3) return 0;
  for (std::size_t m = 0; m < kMonths.size(); ++m)
    if (word.size() <= kMonths[m].size() && EqualNoCase(word, kMonths[m].substr(0, word.size())))
      return static_cast<int>(m) + 1;
  return 0;
}

int WeekdayFromName(std::string_view word) {
  if (word.size() < 3) return -1;
  for (std::size_t w = 0; w < kWeekdays.size(); ++w)
    if (word.size() <= kWeekdays[w].size() &&
        EqualNoCase(word, kWeekdays[w].substr(0, word.size())))
      return static_cast<int>(w);
  return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

DayNumber LastDay() { return DateFromMdy(12, 31, 9999); }

}  // namespace

bool Picture::ParseDate(std::string_view body, Picture& p, std::string& error) {
  if (!ParseForm(body, static_cast<int>(kLayouts.size()), p)) {
    error = "a date picture is @d1 to @d18.";
    return false;
  }
  p.width_ = 0;
  for (const Token& t : Tokens(kLayouts[static_cast<std::size_t>(p.form_ - 1)]))
    p.width_ += t.is_field ? FieldWidth(t.field) : 1;
  return true;
}

std::string Picture::FormatDate(double value) const {
  const std::string_view layout = kLayouts[static_cast<std::size_t>(form_ - 1)];
  const auto width = static_cast<std::size_t>(width_);
  if (!std::isfinite(value) || value < 0 || value >= LastDay() + 1.0)
    return std::string(width, '#');
  const auto day = static_cast<DayNumber>(value);
  if (day == 0) return VariableWidth(layout) ? std::string() : std::string(width, ' ');
  const CivilDate date = CivilFromDay(day);
  std::string out;
  for (const Token& t : Tokens(layout)) {
    if (!t.is_field) {
      out += t.literal;
      continue;
    }
    switch (t.field) {
      case Field::kYear4:
        out += TwoDigits(date.year / 100) + TwoDigits(date.year % 100);
        break;
      case Field::kYear2:
        out += TwoDigits(date.year % 100);
        break;
      case Field::kMonthAbbrev:
        out += Upper(kMonths[static_cast<std::size_t>(date.month - 1)].substr(0, 3));
        break;
      case Field::kMonthName:
        out += kMonths[static_cast<std::size_t>(date.month - 1)];
        break;
      case Field::kMonth:
        out += TwoDigits(date.month);
        break;
      case Field::kDay2:
        out += TwoDigits(date.day);
        break;
      case Field::kDay:
        out += std::to_string(date.day);
        break;
      case Field::kWeekday:
        out += kWeekdays[static_cast<std::size_t>(WeekdayOf(day))];
        break;
    }
  }
  return out;
}

EntryResult Picture::DeformatDate(std::string_view typed) const {
  EntryResult result;
  const std::string_view t = Trim(typed);
  if (t.empty()) {
    result.ok = true;
    return result;
  }
  const std::string_view layout = kLayouts[static_cast<std::size_t>(form_ - 1)];
  const std::string quoted = "\"" + std::string(t) + "\"";
  const std::string not_a_date =
      quoted + " is not a date; type it as " + Lower(layout) + " (picture " + text_ + ").";

  // The parts in the picture's order; a weekday is only checked, never needed.
  std::vector<char> order;  // 'y', 'm', 'd'
  bool has_weekday = false;
  for (const Token& tok : Tokens(layout)) {
    if (!tok.is_field) continue;
    switch (tok.field) {
      case Field::kYear4:
      case Field::kYear2:
        order.push_back('y');
        break;
      case Field::kMonthAbbrev:
      case Field::kMonthName:
      case Field::kMonth:
        order.push_back('m');
        break;
      case Field::kDay2:
      case Field::kDay:
        order.push_back('d');
        break;
      case Field::kWeekday:
        has_weekday = true;
        break;
    }
  }

  std::vector<std::string_view> words;
  for (std::size_t i = 0; i < t.size();) {
    char c = t[i];
    if (c == '/' || c == '-' || c == '.' || c == ' ' || c == ',') {
      ++i;
      continue;
    }
    std::size_t start = i;
    if (IsDigit(c)) {
      while (i < t.size() && IsDigit(t[i])) ++i;
    } else if (IsLetter(c)) {
      while (i < t.size() && IsLetter(t[i])) ++i;
    } else {
      result.message = not_a_date;
      return result;
    }
    words.push_back(t.substr(start, i - start));
  }

  int weekday = -1;
  if (has_weekday && !words.empty() && IsLetter(words.front()[0]) && words.size() > order.size()) {
    weekday = WeekdayFromName(words.front());
    if (weekday < 0) {
      result.message = not_a_date;
      return result;
    }
    words.erase(words.begin());
  }

  // One run of digits is split by position: two digits a part, the year two or four.
  if (words.size() == 1 && order.size() > 1 && IsDigit(words[0][0])) {
    const std::string_view run = words[0];
    const int year_digits = static_cast<int>(run.size()) - 2 * static_cast<int>(order.size() - 1);
    if (year_digits != 2 && year_digits != 4) {
      result.message = not_a_date;
      return result;
    }
    words.clear();
    std::size_t at = 0;
    for (char part : order) {
      std::size_t len = part == 'y' ? static_cast<std::size_t>(year_digits) : 2;
      words.push_back(run.substr(at, len));
      at += len;
    }
  }
  if (words.size() != order.size()) {
    result.message = not_a_date;
    return result;
  }

  int month = 0;
  int day = 1;  // the month/year forms mean the first of the month
  int year = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::string_view w = words[k];
    const bool digits = IsDigit(w[0]);
    if (order[k] == 'm' && !digits) {
      month = MonthFromName(w);
      if (month == 0) {
        result.message = quoted + " is not a date: \"" + std::string(w) + "\" is not a month.";
        return result;
      }
      continue;
    }
    if (!digits || (order[k] != 'y' && w.size() > 2) ||
        (order[k] == 'y' && w.size() != 1 && w.size() != 2 && w.size() != 4)) {
      result.message = not_a_date;
      return result;
    }
    const int n = DigitsValue(w);
    if (order[k] == 'm') month = n;
    if (order[k] == 'd') day = n;
    if (order[k] == 'y') year = w.size() <= 2 ? TwoDigitYear(n) : n;
  }
  if (month < 1 || month > 12) {
    result.message =
        quoted + " is not a valid date: there is no month " + std::to_string(month) + ".";
    return result;
  }
  if (year < 1801) {
    result.message = quoted + " is not a valid date: dates before 1801 cannot be kept.";
    return result;
  }
  const int days = DaysInMonth(month, year);
  if (day < 1 || day > days) {
    result.message = quoted + " is not a valid date: " +
                     std::string(kMonths[static_cast<std::size_t>(month - 1)]) + " " +
                     std::to_string(year) + " has " + std::to_string(days) + " days.";
    return result;
  }
  const DayNumber number = DateFromMdy(month, day, year);
  if (weekday >= 0 && WeekdayOf(number) != weekday) {
    result.message = quoted + " is not a valid date: " +
                     std::string(kMonths[static_cast<std::size_t>(month - 1)]) + " " +
                     std::to_string(day) + ", " + std::to_string(year) + " is a " +
                     std::string(kWeekdays[static_cast<std::size_t>(WeekdayOf(number))]) + ".";
    return result;
  }
  result.ok = true;
  result.number = number;
  return result;
}

}  // namespace vornel::platform
