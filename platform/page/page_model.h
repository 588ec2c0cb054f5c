#pragma once
// A printed page as the report engine lays it out, without any toolkit:
// texts, lines and boxes at positions. Positions and sizes are thousandths
// of an inch from the page's top-left corner. Texts are the records' own
// Latin-1 bytes; the renderer turns them into what it draws.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vornel::platform::page {

enum class Face : std::uint8_t { kProportional, kFixed };
enum class Align : std::uint8_t { kLeft, kRight, kCenter };

struct Font {
  Face face = Face::kProportional;
  int size = 100;  // tenths of a point
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const Font&) const = default;
};

// A text on one line. Its box starts at (x, y) (top-left) and is `width`
// wide: the text is aligned in it. A width of 0 aligns at x itself (the
// text starts, ends or is centred there).
struct TextRun {
  int x = 0;
  int y = 0;
  int width = 0;
  Align align = Align::kLeft;
  Font font;
  std::string text;
  bool operator==(const TextRun&) const = default;
};

struct Line {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int thickness = 10;
  bool operator==(const Line&) const = default;
};

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  int thickness = 10;  // 0: no border
  int fill = -1;       // grey level 0 (black) to 255 (white); -1: not filled
  bool operator==(const Box&) const = default;
};

struct Page {
  int width = 8500;  // US Letter
  int height = 11000;
  int number = 0;  // from 1, in the report
  std::vector<Box> boxes;  // drawn first, under the lines and texts
  std::vector<Line> lines;
  std::vector<TextRun> texts;
  bool operator==(const Page&) const = default;
};

// Stands in a text for the report's page count, which is known only when
// the last page is done; reading a page back puts the count in its place.
inline constexpr std::string_view kPageCount = "\x1FPAGES\x1F";

// The page as the text of its file, and back. Decode answers false (and
// why) for a text that is not a whole page.
std::string Encode(const Page& page);
bool Decode(std::string_view text, Page& page, std::string* why);
// Every kPageCount of the page's texts replaced by the count.
void FillPageCount(Page& page, int count);

}  // namespace vornel::platform::page
