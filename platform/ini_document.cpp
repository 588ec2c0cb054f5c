#include "platform/ini_document.h"

#include <algorithm>

#include "platform/text.h"

namespace vornel::platform {
namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos;
}

// A value the reader would change (outer blanks trimmed, outer quotes removed)
// is written in quotes so that it reads back exactly.
std::string EncodeValue(std::string_view value) {
  bool needs_quotes = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') needs_quotes = true;
  if (!needs_quotes) return std::string(value);
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  out += value;
  out += '"';
  return out;
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    if (nl == npos) {
      lines_.push_back(Classify(std::string(text.substr(pos)), ""));
      break;
    }
    std::size_t content_end = nl;
    if (content_end > pos && text[content_end - 1] == '\r') --content_end;
    lines_.push_back(Classify(std::string(text.substr(pos, content_end - pos)),
                              std::string(text.substr(content_end, nl + 1 - content_end))));
    pos = nl + 1;
  }
  for (const Line& line : lines_) {
    if (!line.ending.empty()) {
      eol_ = line.ending;
      break;
    }
  }
}

IniDocument::Line IniDocument::Classify(std::string text, std::string ending) {
  Line line;
  line.text = std::move(text);
  line.ending = std::move(ending);
  std::string_view content = TrimBlanks(line.text);
  if (content.empty()) {
    line.kind = Kind::kBlank;
    return line;
  }
  if (content.front() == ';' || content.front() == '#') return line;
  if (content.front() == '[') {
    std::size_t close = content.find(']');
    if (close == npos) return line;
    line.kind = Kind::kSection;
    line.name = std::string(TrimBlanks(content.substr(1, close - 1)));
    return line;
  }
  std::size_t eq = line.text.find('=');
  if (eq == npos) return line;
  std::string_view name = TrimBlanks(std::string_view(line.text).substr(0, eq));
  if (name.empty()) return line;
  line.kind = Kind::kEntry;
  line.name = std::string(name);
  std::size_t value = eq + 1;
  while (value < line.text.size() && IsBlank(line.text[value])) ++value;
  line.value_begin = value;
  return line;
}

std::string IniDocument::Text() const {
  std::size_t size = 0;
  for (const Line& line : lines_) size += line.text.size() + line.ending.size();
  std::string out;
  out.reserve(size);
  for (const Line& line : lines_) {
    out += line.text;
    out += line.ending;
  }
  return out;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  section = TrimBlanks(section);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && SameNoCase(lines_[i].name, section)) return i;
  }
  return npos;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kSection) ++i;
  return i;
}

std::size_t IniDocument::FindEntry(std::size_t header, std::string_view entry) const {
  entry = TrimBlanks(entry);
  std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind == Kind::kEntry && SameNoCase(lines_[i].name, entry)) return i;
  }
  return npos;
}

std::optional<std::string> IniDocument::Find(std::string_view section,
                                             std::string_view entry) const {
  std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  std::size_t at = FindEntry(header, entry);
  if (at == npos) return std::nullopt;
  std::string_view value = TrimBlanks(std::string_view(lines_[at].text).substr(lines_[at].value_begin));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::vector<std::string> IniDocument::Sections() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind != Kind::kSection) continue;
    bool seen = std::any_of(names.begin(), names.end(),
                            [&](const std::string& n) { return SameNoCase(n, line.name); });
    if (!seen) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> IniDocument::Entries(std::string_view section) const {
  std::vector<std::string> names;
  std::size_t header = FindSection(section);
  if (header == npos) return names;
  std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind != Kind::kEntry) continue;
    bool seen = std::any_of(names.begin(), names.end(),
                            [&](const std::string& n) { return SameNoCase(n, lines_[i].name); });
    if (!seen) names.push_back(lines_[i].name);
  }
  return names;
}

bool IniDocument::ValidSectionName(std::string_view section) {
  section = TrimBlanks(section);
  return !section.empty() && !HasLineBreakOrNul(section) && section.find(']') == npos;
}

bool IniDocument::ValidEntryName(std::string_view entry) {
  entry = TrimBlanks(entry);
  // A leading '[', ';' or '#' would read back as a section header or a comment.
  return !entry.empty() && !HasLineBreakOrNul(entry) && entry.find('=') == npos &&
         entry.front() != '[' && entry.front() != ';' && entry.front() != '#';
}

bool IniDocument::ValidValue(std::string_view value) { return !HasLineBreakOrNul(value); }

void IniDocument::TerminateBefore(std::size_t pos) {
  if (pos > 0 && lines_[pos - 1].ending.empty()) lines_[pos - 1].ending = eol_;
}

bool IniDocument::Set(std::string_view section, std::string_view entry, std::string_view value) {
  if (!ValidSectionName(section) || !ValidEntryName(entry) || !ValidValue(value)) return false;
  section = TrimBlanks(section);
  entry = TrimBlanks(entry);
  std::string encoded = EncodeValue(value);

  std::size_t header = FindSection(section);
  if (header == npos) {
    TerminateBefore(lines_.size());
    lines_.push_back(Classify("[" + std::string(section) + "]", eol_));
    lines_.push_back(Classify(std::string(entry) + "=" + encoded, eol_));
    return true;
  }
  std::size_t at = FindEntry(header, entry);
  if (at != npos) {
    Line& line = lines_[at];
    line = Classify(line.text.substr(0, line.value_begin) + encoded, std::move(line.ending));
    return true;
  }
  std::size_t pos = SectionEnd(header);
  while (pos > header + 1 && lines_[pos - 1].kind == Kind::kBlank) --pos;
  TerminateBefore(pos);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos),
                Classify(std::string(entry) + "=" + encoded, eol_));
  return true;
}

bool IniDocument::Remove(std::string_view section, std::string_view entry) {
  if (!ValidSectionName(section) || !ValidEntryName(entry)) return false;
  std::size_t header = FindSection(section);
  if (header == npos) return true;
  entry = TrimBlanks(entry);
  std::size_t end = SectionEnd(header);
  auto first = lines_.begin() + static_cast<std::ptrdiff_t>(header + 1);
  auto last = lines_.begin() + static_cast<std::ptrdiff_t>(end);
  lines_.erase(std::remove_if(first, last,
                              [&](const Line& line) {
                                return line.kind == Kind::kEntry && SameNoCase(line.name, entry);
                              }),
               last);
  return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
  if (!ValidSectionName(section)) return false;
  for (std::size_t header = FindSection(section); header != npos; header = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
  }
  return true;
}

}  // namespace vornel::platform
