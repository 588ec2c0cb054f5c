#pragma once
// The value rules of the filter expression language, on plain views so that
// the evaluator can apply them to record fields without copying.
#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>

namespace vornel::platform::expr {

// Room for the plain text of any double (the longest fixed-notation form of a
// double has under 350 characters).
inline constexpr std::size_t kNumberTextSize = 400;

// The number a text holds when it reads wholly as one: blanks around, an
// optional sign, digits with at most one decimal point. No exponents, no
// "inf" or "nan": text that looks otherwise is not a number.
std::optional<double> ReadNumber(std::string_view text);

// A text's value in arithmetic: its number, or 0 when it is not a number.
double TextToNumber(std::string_view text);

// Writes the plain decimal text of a number (shortest form that reads back to
// the same value, never an exponent; -0 is "0") into `buffer`, which must hold
// kNumberTextSize characters. Returns the view of what was written.
std::string_view FormatNumber(double number, char* buffer);

inline int CompareNumbers(double a, double b) { return a < b ? -1 : a > b ? 1 : 0; }

// Text against text: trailing blanks (spaces and NULs) do not count, case
// does. Inline because it is the inner loop of most filters.
inline int CompareTexts(std::string_view a, std::string_view b) {
  std::size_t an = a.size();
  while (an > 0 && (a[an - 1] == ' ' || a[an - 1] == '\0')) --an;
  std::size_t bn = b.size();
  while (bn > 0 && (b[bn - 1] == ' ' || b[bn - 1] == '\0')) --bn;
  int c = a.substr(0, an).compare(b.substr(0, bn));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}
// Number against text: as numbers when the text reads as one, else the
// number's plain text against the text.
int CompareNumberWithText(double number, std::string_view text);

bool IsBlankText(std::string_view text);

// Numbers in the evaluation are always finite: NaN (a corrupt field, 0 times
// an overflow) reads as 0 and an overflow stops at the largest double, so
// comparisons stay a total order and every number has a plain text.
inline double Sane(double number) {
  constexpr double kMax = std::numeric_limits<double>::max();
  if (number != number) return 0.0;
  return number > kMax ? kMax : number < -kMax ? -kMax : number;
}

}  // namespace vornel::platform::expr
