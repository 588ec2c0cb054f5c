// Text pictures: strings @sN and patterns @p...p.
#include <charconv>
#include <cmath>
#include <string>

#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::platform {
namespace {

constexpr int kMaxStringWidth = 65535;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// At most `max` bytes of the text, never ending inside a UTF-8 sequence.
std::string CutForDisplay(std::string_view text, std::size_t max) {
  if (text.size() <= max) return std::string(text);
  std::size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

// Literals in place and a digit at every '#'.
bool Matches(std::string_view text, std::string_view pattern) {
  if (text.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (pattern[i] == '#' ? !IsDigit(text[i]) : text[i] != pattern[i]) return false;
  }
  return true;
}

std::string FillDigits(std::string_view digits, std::string_view pattern) {
  std::string out(pattern);
  std::size_t next = 0;
  for (char& c : out)
    if (c == '#') c = digits[next++];
  return out;
}

}  // namespace

bool Picture::ParseString(std::string_view body, Picture& p, std::string& error) {
  int width = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), width);
  if (body.empty() || ec != std::errc() || end != body.data() + body.size() || width < 1 ||
      width > kMaxStringWidth) {
    error = "a string picture is @s followed by a length of 1 to " +
            std::to_string(kMaxStringWidth) + ".";
    return false;
  }
  p.width_ = width;
  return true;
}

std::string Picture::FormatString(std::string_view text) const {
  return CutForDisplay(text, static_cast<std::size_t>(width_));
}

EntryResult Picture::DeformatString(std::string_view typed) const {
  EntryResult result;
  const std::string_view text = Clip(typed);
  if (text.size() > static_cast<std::size_t>(width_)) {
    result.message = "The text is " + std::to_string(text.size()) + " characters long; at most " +
                     std::to_string(width_) + " fit here (picture " + text_ + ").";
    return result;
  }
  result.ok = true;
  result.text = std::string(text);
  return result;
}

bool Picture::ParsePattern(std::string_view body, Picture& p, std::string& error) {
  std::size_t close = body.find_first_of("pP");
  if (close == std::string_view::npos) {
    error = "a pattern picture must end with the letter p, as in @p###-##-####p.";
    return false;
  }
  if (close + 1 != body.size()) {
    error = "text after the closing p of a pattern picture.";
    return false;
  }
  p.pattern_ = std::string(body.substr(0, close));
  for (char c : p.pattern_)
    if (c == '#') ++p.digit_positions_;
  if (p.digit_positions_ == 0) {
    error = "a pattern picture needs at least one # digit position.";
    return false;
  }
  p.width_ = static_cast<int>(p.pattern_.size());
  return true;
}

std::string Picture::FormatPattern(std::string_view text) const {
  if (Matches(text, pattern_)) return std::string(text);
  if (Matches(Clip(text), pattern_)) return std::string(Clip(text));
  // Text kept in another layout of the same digits, e.g. a phone number
  // stored as "(555)123-4567" and printed as " 555  123-4567": the digits are
  // filled in unless letters show it is not such a number.
  std::string digits;
  bool letters = false;
  for (char c : text) {
    if (IsDigit(c)) digits += c;
    if (IsLetter(c) || static_cast<unsigned char>(c) >= 0x80) letters = true;
  }
  if (!letters && digits.size() == static_cast<std::size_t>(digit_positions_))
    return FillDigits(digits, pattern_);
  return CutForDisplay(text, static_cast<std::size_t>(width_));
}

std::string Picture::FormatPatternNumber(double value) const {
  const std::string overflow(static_cast<std::size_t>(width_), '#');
  if (!std::isfinite(value)) return overflow;
  // Only whole non-negative numbers have a place in digit positions.
  const std::string digits = PlainNumber(std::round(value));
  if (digits.front() == '-' || digits.size() > static_cast<std::size_t>(digit_positions_))
    return overflow;
  std::string out = pattern_;
  std::size_t remaining = digits.size();
  for (std::size_t i = out.size(); i-- > 0;) {
    if (out[i] != '#') continue;
    out[i] = remaining > 0 ? digits[--remaining] : ' ';
  }
  return out;
}

EntryResult Picture::DeformatPattern(std::string_view typed) const {
  EntryResult result;
  if (Trim(typed).empty()) {
    result.ok = true;
    return result;
  }
  for (std::string_view candidate : {typed, Clip(typed), Trim(typed)}) {
    if (Matches(candidate, pattern_)) {
      result.ok = true;
      result.text = std::string(candidate);
      return result;
    }
  }
  // Otherwise the digits alone, with blanks and the pattern's own literal
  // characters ignored; anything else is a typing mistake.
  std::string digits;
  bool stray = false;
  for (char c : typed) {
    if (IsDigit(c)) {
      digits += c;
    } else if (c != ' ' && (c == '#' || pattern_.find(c) == std::string::npos)) {
      stray = true;
    }
  }
  if (!stray && digits.size() == static_cast<std::size_t>(digit_positions_)) {
    result.ok = true;
    result.text = FillDigits(digits, pattern_);
    return result;
  }
  result.message = "\"" + std::string(Trim(typed)) + "\" does not fit the picture " + text_ +
                   ": type " + std::to_string(digit_positions_) + " digits, as in " + pattern_ +
                   ".";
  return result;
}

}  // namespace vornel::platform
