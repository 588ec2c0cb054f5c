// Number pictures: @n[$][-][fill]width[.places][-][B].
#include <charconv>
#include <cmath>
#include <string>

#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::platform {
namespace {

constexpr int kMaxNumberWidth = 40;
constexpr int kMaxPlaces = 15;
// Values are shown to 15 significant digits: enough for any amount the system
// keeps, and few enough that binary noise (2.675 held as 2.67499999...) does
// not change how a value rounds.
constexpr int kSignificantDigits = 15;

// A decimal number as digit strings, so that rounding works on the digits a
// person sees rather than on the binary value.
struct Decimal {
  bool negative = false;
  std::string whole = "0";  // no leading zeros; "0" for zero
  std::string fraction;     // no trailing zeros until rounded to places
};

bool IsZero(const Decimal& d) {
  return d.whole == "0" && d.fraction.find_first_not_of('0') == std::string::npos;
}

void Normalize(Decimal& d) {
  std::size_t first = d.whole.find_first_not_of('0');
  d.whole = first == std::string::npos ? "0" : d.whole.substr(first);
}

Decimal DecimalOf(double value) {
  Decimal d;
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::scientific, kSignificantDigits - 1);
  std::string_view text(buffer, ec == std::errc() ? end - buffer : 0);
  if (!text.empty() && text.front() == '-') {
    d.negative = true;
    text.remove_prefix(1);
  }
  std::size_t e = text.find('e');
  if (e == std::string_view::npos) return {};
  std::string mantissa;
  for (char c : text.substr(0, e))
    if (c != '.') mantissa += c;
  int exponent = 0;
  std::string_view exp_text = text.substr(e + 1);
  if (!exp_text.empty() && exp_text.front() == '+') exp_text.remove_prefix(1);
  std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);
  const int digits = static_cast<int>(mantissa.size());
  if (exponent >= 0) {
    int whole_digits = exponent + 1;
    if (whole_digits >= digits) {
      d.whole = mantissa + std::string(static_cast<std::size_t>(whole_digits - digits), '0');
    } else {
      d.whole = mantissa.substr(0, static_cast<std::size_t>(whole_digits));
      d.fraction = mantissa.substr(static_cast<std::size_t>(whole_digits));
    }
  } else {
    d.whole = "0";
    d.fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
  }
  Normalize(d);
  std::size_t last = d.fraction.find_last_not_of('0');
  d.fraction.resize(last == std::string::npos ? 0 : last + 1);
  if (IsZero(d)) d.negative = false;
  return d;
}

// Rounds half away from zero to exactly `places` decimals.
void RoundTo(Decimal& d, int places) {
  const auto p = static_cast<std::size_t>(places);
  bool up = d.fraction.size() > p && d.fraction[p] >= '5';
  d.fraction.resize(p, '0');
  if (up) {
    std::string digits = d.whole + d.fraction;
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0)
      digits.insert(digits.begin(), '1');
    else
      ++digits[i - 1];
    d.whole = digits.substr(0, digits.size() - p);
    d.fraction = digits.substr(digits.size() - p);
  }
  Normalize(d);
  if (IsZero(d)) d.negative = false;
}

std::optional<double> ToDouble(const Decimal& d) {
  std::string text = (d.negative ? "-" : "") + d.whole;
  if (!d.fraction.empty()) text += "." + d.fraction;
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value == 0 ? 0.0 : value;  // never a negative zero
}

// How a typed number was written, beyond its digits.
struct ScannedNumber {
  Decimal value;
  bool has_digits = false;
};

// Reads typed number text: blanks around, '+' or '-' before or '-' after,
// '$', check-protection asterisks before the digits, grouping commas in
// threes, one decimal point. Returns a message when the text is none of that.
std::string ScanNumber(std::string_view typed, ScannedNumber& out) {
  std::string_view t = Trim(typed);
  const std::string quoted = "\"" + std::string(t) + "\"";
  const std::string misplaced_comma =
      quoted + " has a comma out of place; group the digits in threes or leave the commas out.";
  std::size_t i = 0;
  bool sign_seen = false;
  bool currency_seen = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c == '-' || c == '+') {
      if (sign_seen) return quoted + " has more than one sign.";
      sign_seen = true;
      out.value.negative = c == '-';
    } else if (c == '$') {
      if (currency_seen) return quoted + " has more than one currency sign.";
      currency_seen = true;
    } else if (c != ' ' && c != '*') {
      break;
    }
  }
  std::string whole;
  bool point = false;
  int group = -1;  // digits since the last grouping comma; -1 before any comma
  int first_group = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      out.has_digits = true;
      if (point) {
        out.value.fraction += c;
      } else {
        whole += c;
        if (group >= 0)
          ++group;
        else
          ++first_group;
      }
    } else if (c == ',') {
      if (point || first_group == 0 || first_group > 3 || (group >= 0 && group != 3))
        return misplaced_comma;
      group = 0;
    } else if (c == '.') {
      if (point) return quoted + " has more than one decimal point.";
      if (group >= 0 && group != 3) return misplaced_comma;
      point = true;
    } else {
      break;
    }
  }
  if (!point && group >= 0 && group != 3) return misplaced_comma;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c == '-' && !sign_seen) {
      sign_seen = true;
      out.value.negative = true;
    } else if (c == '.' && point) {
      return quoted + " has more than one decimal point.";
    } else if (c != ' ') {
      return quoted + " is not a number.";
    }
  }
  if (!out.has_digits) return quoted + " is not a number.";
  out.value.whole = whole.empty() ? "0" : whole;
  Normalize(out.value);
  return {};
}

std::string Grouped(const std::string& whole) {
  std::string out;
  const std::size_t n = whole.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += whole[i];
  }
  return out;
}

}  // namespace

bool Picture::ParseNumber(std::string_view body, Picture& p, std::string& error) {
  std::size_t i = 0;
  for (; i < body.size(); ++i) {
    if (body[i] == '$' && !p.currency_) {
      p.currency_ = true;
    } else if (body[i] == '-' && p.sign_ == Sign::kNone) {
      p.sign_ = Sign::kLeading;
    } else {
      break;
    }
  }
  if (i < body.size()) {
    char c = body[i];
    if (c == '_') {
      p.fill_ = Fill::kBlank;
      ++i;
    } else if (c == '*') {
      p.fill_ = Fill::kAsterisk;
      ++i;
    } else if (c == '0' && i + 1 < body.size() && body[i + 1] >= '1' && body[i + 1] <= '9') {
      p.fill_ = Fill::kZero;
      ++i;
    }
  }
  auto read_count = [&](int& value) {
    std::size_t start = i;
    value = 0;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9' && i - start < 4)
      value = value * 10 + (body[i++] - '0');
    return i > start;
  };
  if (!read_count(p.width_)) {
    error = "a number picture needs a width, as in @n10.2.";
    return false;
  }
  if (i < body.size() && body[i] == '.') {
    ++i;
    if (!read_count(p.places_)) {
      error = "the decimal point must be followed by the number of decimals.";
      return false;
    }
  }
  if (i < body.size() && body[i] == '-') {
    if (p.sign_ != Sign::kNone) {
      error = "a number picture has either a leading or a trailing minus, not both.";
      return false;
    }
    p.sign_ = Sign::kTrailing;
    ++i;
  }
  if (i < body.size() && (body[i] == 'B' || body[i] == 'b')) {
    p.blank_zero_ = true;
    ++i;
  }
  if (i != body.size()) {
    error = "unexpected '" + std::string(1, body[i]) + "' in a number picture.";
    return false;
  }
  if (p.width_ < 1 || p.width_ > kMaxNumberWidth) {
    error = "the width must be 1 to " + std::to_string(kMaxNumberWidth) + ".";
    return false;
  }
  if (p.places_ > kMaxPlaces || (p.places_ > 0 && p.width_ < p.places_ + 2)) {
    error = "the width has no room for a digit, the point and the decimals.";
    return false;
  }
  return true;
}

std::string Picture::FormatNumber(double value) const {
  const auto width = static_cast<std::size_t>(width_);
  const std::string overflow(width, '#');
  if (!std::isfinite(value)) return overflow;
  Decimal d = DecimalOf(value);
  RoundTo(d, places_);
  if (blank_zero_ && IsZero(d)) return std::string(width, ' ');
  // A negative value always shows its minus, even where the picture has no
  // sign position: a debit must never look like a credit.
  std::string prefix = d.negative && sign_ != Sign::kTrailing ? "-" : "";
  if (currency_) prefix += '$';
  std::string body = fill_ == Fill::kGrouped ? Grouped(d.whole) : d.whole;
  if (places_ > 0) body += "." + d.fraction;
  // A trailing-sign picture keeps the sign column blank for positive values so
  // that the decimal points of a column line up.
  std::string suffix = sign_ == Sign::kTrailing ? (d.negative ? "-" : " ") : "";
  std::size_t used = prefix.size() + body.size() + suffix.size();
  if (used > width) return overflow;
  std::size_t pad = width - used;
  switch (fill_) {
    case Fill::kZero:
      return prefix + std::string(pad, '0') + body + suffix;
    case Fill::kAsterisk:
      return prefix + std::string(pad, '*') + body + suffix;
    case Fill::kGrouped:
    case Fill::kBlank:
      break;
  }
  return std::string(pad, ' ') + prefix + body + suffix;
}

EntryResult Picture::DeformatNumber(std::string_view typed) const {
  EntryResult result;
  std::string_view t = Trim(typed);
  if (t.empty()) {
    result.ok = true;
    return result;
  }
  ScannedNumber scanned;
  result.message = ScanNumber(t, scanned);
  if (!result.message.empty()) return result;
  Decimal& d = scanned.value;
  if (d.negative && sign_ == Sign::kNone && !IsZero(d)) {
    result.message = "A negative value is not allowed here (picture " + text_ + ").";
    return result;
  }
  const std::string does_not_fit = "The value " + std::string(t) + " does not fit the picture " +
                                   text_ + " (at most " + std::to_string(width_) + " characters).";
  if (d.whole.size() > static_cast<std::size_t>(width_)) {
    result.message = does_not_fit;
    return result;
  }
  RoundTo(d, places_);
  std::optional<double> value = ToDouble(d);
  if (!value || FormatNumber(*value) == std::string(static_cast<std::size_t>(width_), '#')) {
    result.message = does_not_fit;
    return result;
  }
  result.ok = true;
  result.number = *value;
  return result;
}

std::string PlainNumber(double value) {
  if (!std::isfinite(value)) {
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, ec == std::errc() ? end : buffer);
  }
  Decimal d = DecimalOf(value);
  std::string text = (d.negative ? "-" : "") + d.whole;
  if (!d.fraction.empty()) text += "." + d.fraction;
  return text;
}

std::optional<double> ReadNumber(std::string_view text) {
  ScannedNumber scanned;
  if (!ScanNumber(text, scanned).empty()) return std::nullopt;
  return ToDouble(scanned.value);
}

}  // namespace vornel::platform
