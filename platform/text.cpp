#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace vornel::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\0'; }

}  // namespace

char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Clip(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && IsBlank(text[n - 1])) --n;
  return text.substr(0, n);
}

std::string_view Trim(std::string_view text) {
  text = Clip(text);
  std::size_t i = 0;
  while (i < text.size() && (IsBlank(text[i]) || text[i] == '\t')) ++i;
  return text.substr(i);
}

std::string Upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), UpperChar);
  return out;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), LowerChar);
  return out;
}

int CompareClipped(std::string_view a, std::string_view b) {
  int c = Clip(a).compare(Clip(b));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool EqualClipped(std::string_view a, std::string_view b) { return Clip(a) == Clip(b); }

int CompareNoCase(std::string_view a, std::string_view b) {
  a = Clip(a);
  b = Clip(b);
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(UpperChar(a[i]));
    unsigned char y = static_cast<unsigned char>(UpperChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

std::string_view ReadField(std::span<const char> field) {
  return Clip(std::string_view(field.data(), field.size()));
}

bool AssignPadded(std::span<char> field, std::string_view text) {
  text = Clip(text);
  if (text.size() > field.size()) return false;
  std::memcpy(field.data(), text.data(), text.size());
  std::memset(field.data() + text.size(), ' ', field.size() - text.size());
  return true;
}

void AssignCut(std::span<char> field, std::string_view text) {
  AssignPadded(field, Cut(Clip(text), field.size()));
}

std::size_t Instring(std::string_view needle, std::string_view haystack, std::size_t step,
                     std::size_t start) {
  if (needle.empty() || step == 0 || start == 0) return 0;
  for (std::size_t pos = start - 1; pos + needle.size() <= haystack.size(); pos += step) {
    if (haystack.compare(pos, needle.size(), needle) == 0) return pos + 1;
  }
  return 0;
}

std::string_view Cut(std::string_view text, std::size_t max) {
  return text.substr(0, std::min(max, text.size()));
}

}  // namespace vornel::platform
