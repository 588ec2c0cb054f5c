// Time pictures @t1 .. @t8: the value is hundredths since midnight + 1, 0 = no time.
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "platform/dates.h"
#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::platform {
namespace {

struct TimeForm {
  std::string_view shape;  // for messages
  int width;
  bool twelve_hour;
  bool seconds;
  bool colons;
};

constexpr std::array<TimeForm, 8> kForms = {{
    {"hh:mm", 5, false, false, true},
    {"hhmm", 4, false, false, false},
    {"h:mmAM", 7, true, false, true},
    {"hh:mm:ss", 8, false, true, true},
    {"hhmmss", 6, false, true, false},
    {"h:mm:ssAM", 10, true, true, true},
    {"h:mmAM", 7, true, false, true},    // the short time form
    {"hh:mm:ss", 8, false, true, true},  // the long time form
}};

constexpr TimeOfDay kLastTime = 24 * kOneHour;  // 23:59:59.99 + 1

std::string TwoDigits(int n) {
  return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10);
}

bool AllDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return !s.empty();
}

}  // namespace

bool Picture::ParseTime(std::string_view body, Picture& p, std::string& error) {
  if (!ParseForm(body, static_cast<int>(kForms.size()), p)) {
    error = "a time picture is @t1 to @t8.";
    return false;
  }
  p.width_ = kForms[static_cast<std::size_t>(p.form_ - 1)].width;
  return true;
}

std::string Picture::FormatTime(double value) const {
  const TimeForm& form = kForms[static_cast<std::size_t>(form_ - 1)];
  const auto width = static_cast<std::size_t>(width_);
  if (!std::isfinite(value) || value < 0 || value >= kLastTime + 1.0)
    return std::string(width, '#');
  const auto time = static_cast<TimeOfDay>(value);
  if (time == 0) return std::string(width, ' ');
  const ClockParts parts = PartsOfTime(time);
  const std::string sep = form.colons ? ":" : "";
  std::string out;
  if (form.twelve_hour) {
    int h = parts.hours % 12 == 0 ? 12 : parts.hours % 12;
    out = std::to_string(h) + sep + TwoDigits(parts.minutes);
    if (form.seconds) out += sep + TwoDigits(parts.seconds);
    out += parts.hours < 12 ? "AM" : "PM";
  } else {
    out = TwoDigits(parts.hours) + sep + TwoDigits(parts.minutes);
    if (form.seconds) out += sep + TwoDigits(parts.seconds);
  }
  return std::string(width - out.size(), ' ') + out;
}

EntryResult Picture::DeformatTime(std::string_view typed) const {
  EntryResult result;
  const TimeForm& form = kForms[static_cast<std::size_t>(form_ - 1)];
  const std::string_view trimmed = Trim(typed);
  if (trimmed.empty()) {
    result.ok = true;
    return result;
  }
  const std::string quoted = "\"" + std::string(trimmed) + "\"";
  const std::string example = form.seconds ? "5:30:00PM or 17:30:00" : "5:30PM or 17:30";
  const std::string not_a_time =
      quoted + " is not a time; type it as " + example + " (picture " + text_ + ").";

  std::string t = Lower(trimmed);
  // An AM/PM mark: "am", "pm", "a", "p", "a.m.", "p.m.", with or without a blank.
  char half = 0;
  for (std::string_view mark : {"a.m.", "p.m.", "am", "pm", "a", "p"}) {
    if (t.size() > mark.size() && t.ends_with(mark)) {
      half = mark[0];
      t.resize(t.size() - mark.size());
      t = std::string(Trim(t));
      break;
    }
  }

  std::string_view hours_text, minutes_text = "00", seconds_text = "00";
  bool has_seconds = false;
  std::size_t first = t.find_first_of(":.");
  if (first != std::string::npos) {
    std::size_t second = t.find_first_of(":.", first + 1);
    std::string_view view = t;
    hours_text = view.substr(0, first);
    if (second == std::string::npos) {
      minutes_text = view.substr(first + 1);
    } else {
      minutes_text = view.substr(first + 1, second - first - 1);
      seconds_text = view.substr(second + 1);
      has_seconds = true;
    }
    if (!AllDigits(hours_text) || hours_text.size() > 2 || !AllDigits(minutes_text) ||
        minutes_text.size() != 2 || !AllDigits(seconds_text) || seconds_text.size() != 2) {
      result.message = not_a_time;
      return result;
    }
  } else {
    // Digits alone: h, hh, hmm, hhmm, hmmss, hhmmss.
    std::string_view view = t;
    if (!AllDigits(view) || view.size() > 6) {
      result.message = not_a_time;
      return result;
    }
    std::size_t hour_digits = view.size() <= 2 ? view.size() : 2 - view.size() % 2;
    hours_text = view.substr(0, hour_digits);
    if (view.size() > 2) minutes_text = view.substr(hour_digits, 2);
    if (view.size() > 4) {
      seconds_text = view.substr(hour_digits + 2, 2);
      has_seconds = true;
    }
  }
  if (has_seconds && !form.seconds) {
    result.message = quoted + " has seconds, which the picture " + text_ + " does not keep.";
    return result;
  }
  int hours = DigitsValue(hours_text);
  const int minutes = DigitsValue(minutes_text);
  const int seconds = DigitsValue(seconds_text);
  if (half != 0) {
    if (hours < 1 || hours > 12) {
      result.message = quoted + " is not a valid time: with AM or PM the hour is 1 to 12.";
      return result;
    }
    hours = hours % 12 + (half == 'p' ? 12 : 0);
  }
  if (hours > 23 || minutes > 59 || seconds > 59) {
    result.message =
        quoted + " is not a valid time: hours run 0 to 23, minutes and seconds 0 to 59.";
    return result;
  }
  result.ok = true;
  result.number = TimeFromHms(hours, minutes, seconds);
  return result;
}

}  // namespace vornel::platform
