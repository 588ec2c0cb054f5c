#pragma once
// Step objects: each sort order of a list may carry one. It maps the key
// values of the view onto the 1..100 scale of the list's scroll thumb
// (Percentile) and a thumb position back to a key value to refill the list
// from (TextAt / NumberAt). The list itself only ever holds one page, so the
// step object is what lets a drag of the thumb land near the right record.
//
// Text is handled as Latin-1 bytes; comparisons follow the system's rule that
// trailing blanks do not count, and case changes touch ASCII letters only.
//
// Limits. A step that needs limits (NeedsLimits) is given the key values of
// the view's first and last records through SetLimit whenever the list's
// thumb range is reset. The two values may come in either order: a
// descending list reads its highest value first, and each step sorts the pair
// itself. The computed text step needs them to build its table; the number
// steps need them as well, because the lists of this system over client and
// staff numbers have no fixed range: a number step answers true to
// NeedsLimits and keeps low = high = 0 (every value at 50) until it gets
// them.
//
// Descending orders (kStepDescending) mirror the percentage: p becomes
// 100 - p, both ways.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vornel::ui {

// Flags of a step (bit values).
enum StepFlags : int {
  kStepLetters = 1,        // A..Z (a..z too with kStepCaseSensitive)
  kStepPunctuation = 2,    // the punctuation list below, space included
  kStepDigits = 4,         // 0..9
  kStepCaseSensitive = 8,  // without it values are compared in upper case
  kStepDescending = 16,    // the order runs from high to low: percentages mirrored
};

// The base step: no data; the thumb sits at 50 and the value is empty.
class StepPosition {
 public:
  explicit StepPosition(int flags = 0) : flags_(flags) {}
  virtual ~StepPosition() = default;

  // The thumb position (1..100) of a key value.
  virtual int Percentile(std::string_view text) const;
  virtual int Percentile(double number) const;
  // The key value for a thumb position (0..100; values outside are clamped).
  virtual std::string TextAt(int percentage) const;
  virtual double NumberAt(int percentage) const;

  // The lowest and highest key values of the view (in either order).
  virtual void SetLimit(std::string_view low, std::string_view high);
  virtual void SetLimit(double low, double high);
  virtual bool NeedsLimits() const;

  int flags() const { return flags_; }
  bool descending() const { return (flags_ & kStepDescending) != 0; }
  bool case_sensitive() const { return (flags_ & kStepCaseSensitive) != 0; }

 protected:
  // 100 - p for descending orders, p otherwise.
  int Mirror(int percentage) const { return descending() ? 100 - percentage : percentage; }

 private:
  int flags_;
};

enum class TextStepKind : int {
  kSurnames = 1,       // fixed table of 100 three-character surname starts
  kTwoCharacters = 2,  // fixed table of 100 two-character entries
  kComputed = 3,       // table computed from the view's limits (SetLimit)
};

// A step over text keys: a sorted table of 100 boundary values. Thumb
// position p stands for the p-th entry; a value's position is the number of
// entries not greater than it (at least 1).
//
// The computed table (kind 3) is built by SetLimit: the characters allowed by
// the flags (codes 1..255 in code order) form a base-N digit set; the common
// prefix of the two limits (at most 40 characters) is kept aside, the next
// four characters of each limit are read as base-N numbers (the lower limit
// padded with the first character of the set, the higher with the last), and
// the 100 entries step evenly from one to the other, written back as four
// characters. A character outside the set counts as the nearest set
// character below it (the first one if there is none), which keeps the
// numbers in the order of the text. For ascending orders the table starts at
// the lower limit; for descending ones it is filled from its last entry
// down, starting at the higher limit (the first record of such a list), so
// the table stays sorted and only the percentages are mirrored.
//
// Until SetLimit has built a table (and when the flags allow no character at
// all) the computed step answers as the base step: 50 and empty text.
//
// The punctuation list has 31 entries with the percent sign twice; the set is
// one of distinct character codes, so it holds 30 punctuation characters,
// space included. The pound sign is Latin-1 code 163.
class TextStep : public StepPosition {
 public:
  static constexpr int kEntries = 100;
  static constexpr std::size_t kMaxPrefix = 40;

  TextStep(TextStepKind kind, int flags);

  using StepPosition::NumberAt;
  using StepPosition::Percentile;
  using StepPosition::SetLimit;
  int Percentile(std::string_view text) const override;
  std::string TextAt(int percentage) const override;
  void SetLimit(std::string_view low, std::string_view high) override;
  bool NeedsLimits() const override;

  TextStepKind kind() const { return kind_; }
  int entry_width() const { return width_; }
  const std::string& prefix() const { return prefix_; }
  // The boundary table: 100 entries once known, empty before.
  const std::vector<std::string>& entries() const { return entries_; }
  // The computed table's characters, in code order.
  const std::string& characters() const { return characters_; }

 private:
  TextStepKind kind_;
  int width_;
  std::string characters_;
  std::string prefix_;
  std::vector<std::string> entries_;
};

// A step over whole-number keys between the view's limits, in integer
// arithmetic: NumberAt(p) = low + (high - low) * p / 100 and
// Percentile(v) = (v - low) * 100 / (high - low), truncated, clamped to the
// range, mirrored for descending orders, at least 1; 50 when low == high.
// Numbers are rounded to whole ones on the way in.
class WholeNumberStep : public StepPosition {
 public:
  explicit WholeNumberStep(int flags = 0) : StepPosition(flags) {}

  using StepPosition::Percentile;
  using StepPosition::SetLimit;
  using StepPosition::TextAt;
  int Percentile(double number) const override;
  double NumberAt(int percentage) const override;
  void SetLimit(double low, double high) override;
  bool NeedsLimits() const override { return true; }

  std::int64_t low() const { return low_; }
  std::int64_t high() const { return high_; }

 private:
  std::int64_t low_ = 0;
  std::int64_t high_ = 0;
};

// The same over real-number keys, in real arithmetic. A value that is not a
// number, or limits that are not finite, leave the thumb at 50.
class RealNumberStep : public StepPosition {
 public:
  explicit RealNumberStep(int flags = 0) : StepPosition(flags) {}

  using StepPosition::Percentile;
  using StepPosition::SetLimit;
  using StepPosition::TextAt;
  int Percentile(double number) const override;
  double NumberAt(int percentage) const override;
  void SetLimit(double low, double high) override;
  bool NeedsLimits() const override { return true; }

  double low() const { return low_; }
  double high() const { return high_; }

 private:
  double low_ = 0;
  double high_ = 0;
};

}  // namespace vornel::ui
