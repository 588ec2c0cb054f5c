#pragma once
// A report's layout as a declaration: the page and its margins, the bands
// (page header and footer, a header and footer per group break, the detail,
// the report's closing band) and the totals. Items sit at positions inside
// their band, in thousandths of an inch from the band's top-left corner
// (the left margin). The report writer prints the bands onto pages.
#include <functional>
#include <string>
#include <vector>

#include "platform/page/page_model.h"

namespace vornel::reports {

using platform::page::Align;
using platform::page::Face;
using platform::page::Font;

struct LayoutItem {
  enum class Kind { kText, kField, kComputed, kTotal, kLine, kBox };
  Kind kind = Kind::kText;
  int x = 0, y = 0, width = 0, height = 0;
  Align align = Align::kLeft;
  Font font;
  // kText: the text (kPageNumber and kPageCount stand for the numbers);
  // kField: the field of the view ("REP:NOTES"); kTotal: the total's name.
  std::string text;
  std::string picture;                  // kField, kComputed, kTotal
  std::function<std::string()> value;   // kComputed: the text at print time
  // A text over several lines: its words wrapped at `wrap` characters a
  // line, at most `lines` lines (what is left over is not printed).
  int wrap = 0;
  int lines = 1;
  int thickness = 10;                   // kLine, kBox
  int fill = -1;                        // kBox: grey level, -1 none
};

// In a text, the number of the page it is printed on, and the report's
// page count ("Page N of M").
inline constexpr std::string_view kPageNumber = "\x1FPAGE\x1F";
inline constexpr std::string_view kPageCount = platform::page::kPageCount;

// Compact declarations of the usual items.
LayoutItem Text(int x, int y, std::string text, Font font = {}, Align align = Align::kLeft, int width = 0);
LayoutItem FieldAt(int x, int y, int width, std::string field, std::string picture, Align align = Align::kLeft,
                   Font font = {});
LayoutItem Computed(int x, int y, int width, std::function<std::string()> value, Align align = Align::kLeft,
                    Font font = {});
LayoutItem TotalAt(int x, int y, int width, std::string total, std::string picture, Font font = {});
LayoutItem HLine(int x, int y, int width, int thickness = 10);
LayoutItem BoxAt(int x, int y, int width, int height, int thickness = 10, int fill = -1);
inline LayoutItem Wrapped(LayoutItem item, int wrap, int lines) {
  item.wrap = wrap;
  item.lines = lines;
  return item;
}
inline Font Fixed(Font font = {}) {
  font.face = Face::kFixed;
  return font;
}
inline Font Bold(Font font = {}) {
  font.bold = true;
  return font;
}
inline Font Sized(int tenths, Font font = {}) {
  font.size = tenths;
  return font;
}

struct Band {
  int height = 0;
  std::vector<LayoutItem> items;
  bool empty() const { return items.empty() && height == 0; }
};

// A group: its header is printed before the first record of each value of
// the break, its footer after the last.
struct GroupBreak {
  std::string field;                  // the break field of the view, or
  std::function<std::string()> key;   // the break value worked out
  Band header;
  Band footer;
};

enum class TotalKind { kSum, kCount };
enum class TotalReset { kGroup, kPage, kReport };

// A total of the records printed as detail: the sum of a field (or of an
// amount worked out) or their count, started again at each value of a
// group's break, on each page, or never.
struct TotalDef {
  std::string name;
  TotalKind kind = TotalKind::kSum;
  std::string field;               // kSum: the field summed, or
  std::function<double()> amount;  // the amount worked out
  TotalReset reset = TotalReset::kReport;
  int group = 0;  // kGroup: the group (from 0, outermost first)
};

struct ReportLayout {
  int page_width = 8500;  // US Letter
  int page_height = 11000;
  int left = 500, top = 500, right = 500, bottom = 500;
  Band page_header;
  Band page_footer;
  std::vector<GroupBreak> groups;  // outermost first
  Band detail;
  Band closing;  // after the last record (report totals)
  std::vector<TotalDef> totals;
  // Bands a report prints by name from its own rules.
  std::vector<std::pair<std::string, Band>> named;
};

}  // namespace vornel::reports
