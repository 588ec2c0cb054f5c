#include "platform/expression_rules.h"

#include <charconv>

#include "platform/text.h"

namespace vornel::platform::expr {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  bool negative = false;
  if (begin < end && (text[begin] == '-' || text[begin] == '+')) {
    negative = text[begin] == '-';
    ++begin;
  }
  std::size_t digits = 0;
  std::size_t points = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (IsDigit(text[i])) {
      ++digits;
    } else if (text[i] == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double value = 0;
  auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end, value,
                                   std::chars_format::fixed);
  if (ec != std::errc() || ptr != text.data() + end) return std::nullopt;
  return negative ? -value : value;
}

double TextToNumber(std::string_view text) { return ReadNumber(text).value_or(0.0); }

std::string_view FormatNumber(double number, char* buffer) {
  number = Sane(number);
  if (number == 0) number = 0;  // no "-0"
  auto [ptr, ec] = std::to_chars(buffer, buffer + kNumberTextSize, number, std::chars_format::fixed);
  if (ec != std::errc()) {
    buffer[0] = '0';
    return std::string_view(buffer, 1);
  }
  return std::string_view(buffer, static_cast<std::size_t>(ptr - buffer));
}

int CompareNumberWithText(double number, std::string_view text) {
  if (std::optional<double> other = ReadNumber(text)) return CompareNumbers(number, *other);
  char buffer[kNumberTextSize];
  return CompareTexts(FormatNumber(number, buffer), text);
}

bool IsBlankText(std::string_view text) { return Clip(text).empty(); }

}  // namespace vornel::platform::expr
