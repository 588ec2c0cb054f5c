#include "platform/page/page_model.h"

#include <charconv>

namespace vornel::platform::page {
namespace {

constexpr std::string_view kHeader = "VPG1";
constexpr std::string_view kEnd = "END";

// A text on one line of the file: backslash, CR and LF escaped.
void PutText(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
}

std::string GetText(std::string_view in) {
  std::string text;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\' || i + 1 == in.size()) {
      text += in[i];
      continue;
    }
    const char next = in[++i];
    text += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return text;
}

// Reads whole numbers separated by single blanks from the front of `in`,
// leaving the rest (after the blank that ends the last one).
bool Numbers(std::string_view& in, std::initializer_list<int*> into) {
  for (int* value : into) {
    if (in.empty() || in.front() != ' ') return false;
    in.remove_prefix(1);
    const auto [end, error] = std::from_chars(in.data(), in.data() + in.size(), *value);
    if (error != std::errc()) return false;
    in.remove_prefix(static_cast<std::size_t>(end - in.data()));
  }
  return true;
}

void Put(std::string& out, std::initializer_list<int> values) {
  for (int v : values) {
    out += ' ';
    out += std::to_string(v);
  }
}

enum FontFlags : int { kBold = 1, kItalic = 2, kUnderline = 4 };

}  // namespace

std::string Encode(const Page& page) {
  std::string out(kHeader);
  Put(out, {page.width, page.height, page.number});
  out += '\n';
  for (const Box& b : page.boxes) {
    out += 'B';
    Put(out, {b.x, b.y, b.width, b.height, b.thickness, b.fill});
    out += '\n';
  }
  for (const Line& l : page.lines) {
    out += 'L';
    Put(out, {l.x1, l.y1, l.x2, l.y2, l.thickness});
    out += '\n';
  }
  for (const TextRun& t : page.texts) {
    const int flags = (t.font.bold ? kBold : 0) | (t.font.italic ? kItalic : 0) | (t.font.underline ? kUnderline : 0);
    out += 'T';
    Put(out, {t.x, t.y, t.width, static_cast<int>(t.align), static_cast<int>(t.font.face), t.font.size, flags});
    out += ' ';
    PutText(out, t.text);
    out += '\n';
  }
  out += kEnd;
  out += '\n';
  return out;
}

bool Decode(std::string_view text, Page& page, std::string* why) {
  const auto fail = [why](std::string reason) {
    if (why != nullptr) *why = std::move(reason);
    return false;
  };
  page = Page{};
  bool ended = false;
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    if (eol == std::string_view::npos) return fail("the page file ends in the middle of a line");
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol + 1);
    ++line_number;
    const std::string where = "line " + std::to_string(line_number) + " of the page file";
    if (line_number == 1) {
      if (!line.starts_with(kHeader)) return fail("not a page file");
      line.remove_prefix(kHeader.size());
      if (!Numbers(line, {&page.width, &page.height, &page.number}) || !line.empty()) return fail(where + " is damaged");
      continue;
    }
    if (ended) return fail("text after the end of the page file");
    if (line == kEnd) {
      ended = true;
      continue;
    }
    if (line.empty()) return fail(where + " is empty");
    const char kind = line.front();
    line.remove_prefix(1);
    bool ok = false;
    if (kind == 'B') {
      Box b;
      ok = Numbers(line, {&b.x, &b.y, &b.width, &b.height, &b.thickness, &b.fill}) && line.empty();
      page.boxes.push_back(b);
    } else if (kind == 'L') {
      Line l;
      ok = Numbers(line, {&l.x1, &l.y1, &l.x2, &l.y2, &l.thickness}) && line.empty();
      page.lines.push_back(l);
    } else if (kind == 'T') {
      TextRun t;
      int align = 0, face = 0, flags = 0;
      ok = Numbers(line, {&t.x, &t.y, &t.width, &align, &face, &t.font.size, &flags}) && !line.empty() &&
           line.front() == ' ' && align >= 0 && align <= 2 && face >= 0 && face <= 1;
      if (ok) {
        t.align = static_cast<Align>(align);
        t.font.face = static_cast<Face>(face);
        t.font.bold = (flags & kBold) != 0;
        t.font.italic = (flags & kItalic) != 0;
        t.font.underline = (flags & kUnderline) != 0;
        t.text = GetText(line.substr(1));
      }
      page.texts.push_back(std::move(t));
    }
    if (!ok) return fail(where + " is damaged");
  }
  if (!ended) return fail("the page file is not complete");
  return true;
}

void FillPageCount(Page& page, int count) {
  const std::string total = std::to_string(count);
  for (TextRun& t : page.texts) {
    for (std::size_t at = t.text.find(kPageCount); at != std::string::npos; at = t.text.find(kPageCount, at)) {
      t.text.replace(at, kPageCount.size(), total);
      at += total.size();
    }
  }
}

}  // namespace vornel::platform::page
