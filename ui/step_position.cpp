#include "ui/step_position.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/text.h"

namespace vornel::ui {
namespace {

constexpr int kComputedWidth = 4;

// Start of surnames, spread so that each entry begins about one percent of a
// typical list of last names. The first entry is blank.
constexpr std::array<const char*, TextStep::kEntries> kSurnameTable = {
    "   ", "ALB", "AME", "ARN", "BAK", "BAT", "BEN", "BIA", "BOB", "BRA", "BRO", "BUA", "CAC",
    "CAR", "CEN", "CHR", "COE", "CON", "COR", "CRU", "DAS", "DEL", "DIA", "DON", "DUR", "ELD",
    "EVE", "FEL", "FIS", "FLO", "FRE", "FUT", "GAR", "GIB", "GOL", "GOS", "GRE", "GUT", "HAM",
    "HEM", "HOB", "HOT", "ING", "JAS", "JON", "KAG", "KEA", "KIR", "KOR", "KYO", "LAT", "LEO",
    "LIG", "LOU", "MAC", "MAQ", "MAR", "MAU", "MCK", "MER", "MIL", "MON", "MOR", "NAT", "NOL",
    "OKE", "PAG", "PAU", "PET", "PIN", "POR", "PUL", "RAU", "REY", "ROB", "ROS", "RUB", "SAL",
    "SCA", "SCH", "SCR", "SHA", "SIG", "SKI", "SNA", "SOU", "STE", "STI", "SUN", "TAY", "TIR",
    "TUC", "VAN", "WAC", "WAS", "WEI", "WIE", "WIM", "WOL", "YOR"};

// The punctuation a step may cover, in its documented order (the percent sign
// is listed twice; the set keeps each code once). '\xA3' is the pound sign.
constexpr std::string_view kPunctuation = "`!\"\xA3$%%^&*()'-=_+][#;~@:/.,?\\| ";

// Two blanks; then each letter followed by blank, "F", "N" and "T", except
// that A has no "A " (the blank entry stands first) and Q and Z have only
// the blank and "N" entries.
std::vector<std::string> TwoCharacterTable() {
  std::vector<std::string> table{"  "};
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string_view seconds = letter == 'A'                     ? "FNT"
                               : letter == 'Q' || letter == 'Z' ? " N"
                                                                : " FNT";
    for (char second : seconds) table.push_back(std::string{letter, second});
  }
  return table;
}

std::string CharacterSet(int flags) {
  std::string set;
  for (int code = 1; code <= 255; ++code) {
    const char c = static_cast<char>(code);
    const bool letter = (code >= 'A' && code <= 'Z') ||
                        ((flags & kStepCaseSensitive) != 0 && code >= 'a' && code <= 'z');
    const bool digit = code >= '0' && code <= '9';
    const bool punctuation = kPunctuation.find(c) != std::string_view::npos;
    if (((flags & kStepLetters) != 0 && letter) || ((flags & kStepDigits) != 0 && digit) ||
        ((flags & kStepPunctuation) != 0 && punctuation)) {
      set.push_back(c);
    }
  }
  return set;
}

// The digit a character stands for: its position in the set, or that of the
// nearest set character below it (0 when there is none).
std::int64_t Digit(const std::string& set, char c) {
  std::int64_t below_or_equal = 0;
  for (char s : set) {
    if (static_cast<unsigned char>(s) <= static_cast<unsigned char>(c)) ++below_or_equal;
  }
  return std::max<std::int64_t>(0, below_or_equal - 1);
}

// The first four characters of `text` (padded with `fill`) read in base N.
std::int64_t ReadNumber(const std::string& set, std::string_view text, char fill) {
  const auto base = static_cast<std::int64_t>(set.size());
  std::int64_t number = 0;
  for (std::size_t i = 0; i < kComputedWidth; ++i) {
    number = number * base + Digit(set, i < text.size() ? text[i] : fill);
  }
  return number;
}

std::string WriteNumber(const std::string& set, std::int64_t number) {
  const auto base = static_cast<std::int64_t>(set.size());
  std::string text(kComputedWidth, set.front());
  for (std::size_t i = kComputedWidth; i-- > 0;) {
    text[i] = set[static_cast<std::size_t>(number % base)];
    number /= base;
  }
  return text;
}

int ClampPercentage(int percentage) { return std::clamp(percentage, 0, 100); }

// Whole numbers: rounded, with NaN as 0 and the int64 range as the bounds.
std::int64_t ToWhole(double number) {
  if (std::isnan(number)) return 0;
  constexpr double kTop = 9.2e18;  // just inside the int64 range
  if (number >= kTop) return std::numeric_limits<std::int64_t>::max();
  if (number <= -kTop) return std::numeric_limits<std::int64_t>::min();
  return std::llround(number);
}

// 128 bits keep (high - low) * 100 exact for any pair of 64-bit limits.
__extension__ typedef unsigned __int128 Wide;

// The distance from low to value, which must not be below low.
Wide Distance(std::int64_t low, std::int64_t value) {
  return static_cast<Wide>(static_cast<std::uint64_t>(value) - static_cast<std::uint64_t>(low));
}

}  // namespace

// --- Base step --------------------------------------------------------------

int StepPosition::Percentile(std::string_view) const { return 50; }
int StepPosition::Percentile(double) const { return 50; }
std::string StepPosition::TextAt(int) const { return {}; }
double StepPosition::NumberAt(int) const { return 0; }
void StepPosition::SetLimit(std::string_view, std::string_view) {}
void StepPosition::SetLimit(double, double) {}
bool StepPosition::NeedsLimits() const { return false; }

// --- Text step --------------------------------------------------------------

TextStep::TextStep(TextStepKind kind, int flags)
    : StepPosition(flags), kind_(kind), characters_(CharacterSet(flags)) {
  switch (kind_) {
    case TextStepKind::kSurnames:
      width_ = 3;
      entries_.assign(kSurnameTable.begin(), kSurnameTable.end());
      break;
    case TextStepKind::kTwoCharacters:
      width_ = 2;
      entries_ = TwoCharacterTable();
      break;
    case TextStepKind::kComputed:
      width_ = kComputedWidth;
      break;
  }
}

bool TextStep::NeedsLimits() const { return kind_ == TextStepKind::kComputed; }

void TextStep::SetLimit(std::string_view low, std::string_view high) {
  if (kind_ != TextStepKind::kComputed) return;
  entries_.clear();
  prefix_.clear();
  if (characters_.empty()) return;

  std::string lower(platform::Clip(low));
  std::string higher(platform::Clip(high));
  if (!case_sensitive()) {
    lower = platform::Upper(lower);
    higher = platform::Upper(higher);
  }
  if (platform::CompareClipped(lower, higher) > 0) std::swap(lower, higher);

  std::size_t common = 0;
  while (common < kMaxPrefix && common < lower.size() && common < higher.size() &&
         lower[common] == higher[common]) {
    ++common;
  }
  prefix_ = lower.substr(0, common);

  const std::int64_t from =
      ReadNumber(characters_, std::string_view(lower).substr(common), characters_.front());
  const std::int64_t to = std::max(
      from, ReadNumber(characters_, std::string_view(higher).substr(common), characters_.back()));
  const std::int64_t step = (to - from) / kEntries;

  entries_.resize(kEntries);
  for (int i = 0; i < kEntries; ++i) {
    if (descending()) {
      entries_[static_cast<std::size_t>(kEntries - 1 - i)] = WriteNumber(characters_, to - i * step);
    } else {
      entries_[static_cast<std::size_t>(i)] = WriteNumber(characters_, from + i * step);
    }
  }
}

std::string TextStep::TextAt(int percentage) const {
  if (entries_.empty()) return StepPosition::TextAt(percentage);
  const int p = std::max(1, Mirror(ClampPercentage(percentage)));
  return std::string(platform::Clip(prefix_ + entries_[static_cast<std::size_t>(p - 1)]));
}

int TextStep::Percentile(std::string_view text) const {
  if (entries_.empty()) return StepPosition::Percentile(text);
  const std::string value = case_sensitive() ? std::string(text) : platform::Upper(text);
  const std::string_view view = value;

  int count = 0;
  const int against_prefix = platform::CompareClipped(view.substr(0, prefix_.size()), prefix_);
  if (against_prefix > 0) {
    count = kEntries;  // beyond every value that shares the prefix
  } else if (against_prefix == 0) {
    const std::string_view part =
        view.size() > prefix_.size()
            ? view.substr(prefix_.size(), static_cast<std::size_t>(width_) + 1)
            : std::string_view();
    const auto end = std::upper_bound(
        entries_.begin(), entries_.end(), part,
        [](std::string_view v, const std::string& entry) {
          return platform::CompareClipped(v, entry) < 0;
        });
    count = static_cast<int>(end - entries_.begin());
  }
  return std::max(1, Mirror(count));
}

// --- Whole-number step ------------------------------------------------------

void WholeNumberStep::SetLimit(double low, double high) {
  low_ = ToWhole(low);
  high_ = ToWhole(high);
  if (low_ > high_) std::swap(low_, high_);
}

int WholeNumberStep::Percentile(double number) const {
  if (low_ == high_) return 50;
  const std::int64_t value = std::clamp(ToWhole(number), low_, high_);
  const Wide percent = Distance(low_, value) * 100 / Distance(low_, high_);
  return std::max(1, Mirror(static_cast<int>(percent)));
}

double WholeNumberStep::NumberAt(int percentage) const {
  const auto p = static_cast<unsigned>(Mirror(ClampPercentage(percentage)));
  const Wide offset = Distance(low_, high_) * p / 100;
  // low + offset stays within [low, high]; unsigned arithmetic wraps back
  // into range for negative limits.
  const auto result = static_cast<std::int64_t>(static_cast<std::uint64_t>(low_) +
                                                static_cast<std::uint64_t>(offset));
  return static_cast<double>(result);
}

// --- Real-number step -------------------------------------------------------

void RealNumberStep::SetLimit(double low, double high) {
  low_ = low;
  high_ = high;
  if (low_ > high_) std::swap(low_, high_);
}

int RealNumberStep::Percentile(double number) const {
  const double range = high_ - low_;
  if (!(range > 0) || !std::isfinite(range) || std::isnan(number)) return 50;
  const double percent = std::clamp((number - low_) * 100 / range, 0.0, 100.0);
  return std::max(1, Mirror(static_cast<int>(percent)));
}

double RealNumberStep::NumberAt(int percentage) const {
  const int p = Mirror(ClampPercentage(percentage));
  return low_ + (high_ - low_) * p / 100;
}

}  // namespace vornel::ui
