#pragma once
// Display and entry pictures: how a value is shown in a control, list column
// or report, and how text typed into a control is read back into the value.
// docs/pictures.md lists the syntax and behaviour of every kind.
#include <optional>
#include <string>
#include <string_view>

namespace vornel::platform {

enum class PictureKind { kNumber, kDate, kTime, kString, kPattern };

// The result of reading typed text through a picture.
struct EntryResult {
  bool ok = false;
  double number = 0;    // numbers, dates (day number), times (hundredths + 1)
  std::string text;     // strings and patterns: the value to store (patterns: formatted)
  std::string message;  // when !ok: the reason, worded for the user
};

// A parsed picture such as "@n-10.2", "@d2", "@t3", "@s30" or "@p###-##-####p";
// the '@' is optional and the kind letter may be in either case.
class Picture {
 public:
  static std::optional<Picture> Parse(std::string_view picture, std::string* error = nullptr);

  PictureKind kind() const { return kind_; }
  // Characters of the displayed text; for the long date forms, the longest one.
  int width() const { return width_; }
  int places() const { return places_; }
  // The picture as written, with a leading '@' (used in messages).
  const std::string& text() const { return text_; }

  // Numbers, dates and times; strings show the number as plain text, patterns
  // fill its digits into the '#' positions.
  std::string Format(double value) const;
  // Strings and patterns; the numeric kinds read the text as a number first.
  std::string FormatText(std::string_view text) const;
  // Reads typed text; never cuts or guesses: text that does not fit is refused.
  EntryResult Deformat(std::string_view typed) const;

 private:
  enum class Fill { kGrouped, kBlank, kZero, kAsterisk };
  enum class Sign { kNone, kLeading, kTrailing };

  static bool ParseNumber(std::string_view body, Picture& picture, std::string& error);
  static bool ParseDate(std::string_view body, Picture& picture, std::string& error);
  static bool ParseTime(std::string_view body, Picture& picture, std::string& error);
  static bool ParseString(std::string_view body, Picture& picture, std::string& error);
  static bool ParsePattern(std::string_view body, Picture& picture, std::string& error);
  // The numbered forms of dates and times: "2", "17B" -> form 2, 17 (B: blank when zero).
  static bool ParseForm(std::string_view body, int forms, Picture& picture);
  // The value of a run of decimal digits (0 when empty).
  static int DigitsValue(std::string_view digits);

  std::string FormatNumber(double value) const;
  EntryResult DeformatNumber(std::string_view typed) const;
  std::string FormatDate(double value) const;
  EntryResult DeformatDate(std::string_view typed) const;
  std::string FormatTime(double value) const;
  EntryResult DeformatTime(std::string_view typed) const;
  std::string FormatString(std::string_view text) const;
  EntryResult DeformatString(std::string_view typed) const;
  std::string FormatPattern(std::string_view text) const;
  std::string FormatPatternNumber(double value) const;
  EntryResult DeformatPattern(std::string_view typed) const;

  PictureKind kind_ = PictureKind::kString;
  std::string text_;
  int width_ = 0;
  int places_ = 0;
  int form_ = 0;  // the number of a date or time picture (@d2 -> 2)
  Fill fill_ = Fill::kGrouped;
  Sign sign_ = Sign::kNone;
  bool currency_ = false;
  bool blank_zero_ = false;
  std::string pattern_;  // between the pattern's opening and closing letters
  int digit_positions_ = 0;
};

// The value as plain text: up to 15 significant digits, no grouping, no
// exponent, no trailing zeros ("5", "-2.5", "0.3").
std::string PlainNumber(double value);
// The text read as a plain number (blanks around, sign, '$', grouping commas
// allowed); nullopt when it is not one.
std::optional<double> ReadNumber(std::string_view text);

// Convenience: an unparseable picture gives the value's plain text.
std::string FormatWith(std::string_view picture, double value);
std::string FormatTextWith(std::string_view picture, std::string_view text);

}  // namespace vornel::platform
