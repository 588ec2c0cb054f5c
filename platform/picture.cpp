#include "platform/picture.h"

#include <charconv>

#include <cctype>

#include "platform/text.h"

namespace vornel::platform {

std::optional<Picture> Picture::Parse(std::string_view picture, std::string* error) {
  std::string reason;
  std::string_view written = Trim(picture);
  std::string_view rest = written;
  if (!rest.empty() && rest.front() == '@') rest.remove_prefix(1);
  Picture result;
  result.text_ = "@" + std::string(rest);
  bool ok = false;
  if (rest.empty()) {
    reason = "The picture is empty.";
  } else {
    std::string_view body = rest.substr(1);
    switch (std::tolower(static_cast<unsigned char>(rest.front()))) {
      case 'n':
        result.kind_ = PictureKind::kNumber;
        ok = ParseNumber(body, result, reason);
        break;
      case 'd':
        result.kind_ = PictureKind::kDate;
        ok = ParseDate(body, result, reason);
        break;
      case 't':
        result.kind_ = PictureKind::kTime;
        ok = ParseTime(body, result, reason);
        break;
      case 's':
        result.kind_ = PictureKind::kString;
        ok = ParseString(body, result, reason);
        break;
      case 'p':
        result.kind_ = PictureKind::kPattern;
        ok = ParsePattern(body, result, reason);
        break;
      default:
        reason = "Unknown picture kind '" + std::string(1, rest.front()) +
                 "' (expected n, d, t, s or p).";
    }
  }
  if (!ok) {
    if (error) *error = "Bad picture \"" + std::string(written) + "\": " + reason;
    return std::nullopt;
  }
  return result;
}

std::string Picture::Format(double value) const {
  switch (kind_) {
    case PictureKind::kNumber:
      return FormatNumber(value);
    case PictureKind::kDate:
      return FormatDate(value);
    case PictureKind::kTime:
      return FormatTime(value);
    case PictureKind::kString:
      return FormatString(PlainNumber(value));
    case PictureKind::kPattern:
      return FormatPatternNumber(value);
  }
  return {};
}

std::string Picture::FormatText(std::string_view text) const {
  switch (kind_) {
    case PictureKind::kString:
      return FormatString(text);
    case PictureKind::kPattern:
      return FormatPattern(text);
    case PictureKind::kNumber:
    case PictureKind::kDate:
    case PictureKind::kTime:
      break;
  }
  // A blank text is no value; text that is no number cannot be shown honestly.
  if (Trim(text).empty()) return Format(0);
  std::optional<double> number = ReadNumber(text);
  if (!number) return std::string(static_cast<std::size_t>(width_), '#');
  return Format(*number);
}

EntryResult Picture::Deformat(std::string_view typed) const {
  switch (kind_) {
    case PictureKind::kNumber:
      return DeformatNumber(typed);
    case PictureKind::kDate:
      return DeformatDate(typed);
    case PictureKind::kTime:
      return DeformatTime(typed);
    case PictureKind::kString:
      return DeformatString(typed);
    case PictureKind::kPattern:
      return DeformatPattern(typed);
  }
  return {};
}

std::string FormatWith(std::string_view picture, double value) {
  std::optional<Picture> parsed = Picture::Parse(picture);
  return parsed ? parsed->Format(value) : PlainNumber(value);
}

std::string FormatTextWith(std::string_view picture, std::string_view text) {
  std::optional<Picture> parsed = Picture::Parse(picture);
  return parsed ? parsed->FormatText(text) : std::string(text);
}

bool Picture::ParseForm(std::string_view body, int forms, Picture& p) {
  if (!body.empty() && (body.back() == 'B' || body.back() == 'b')) {
    p.blank_zero_ = true;
    body.remove_suffix(1);
  }
  int form = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), form);
  if (body.empty() || ec != std::errc() || end != body.data() + body.size() || form < 1 ||
      form > forms)
    return false;
  p.form_ = form;
  return true;
}

int Picture::DigitsValue(std::string_view digits) {
  int n = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), n);
  return n;
}

}  // namespace vornel::platform
