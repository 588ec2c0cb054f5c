#include "reports/page_ranges.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vornel::reports {
namespace {

// A page number, or 0 for an empty text; -1 when it is not a number.
int PageNumber(std::string_view text) {
  if (text.empty()) return 0;
  int value = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1) return -1;
  return value;
}

}  // namespace

std::optional<std::vector<int>> ParsePageRanges(std::string_view text, int page_count, std::string* why) {
  std::string compact;
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) compact += c;
  }
  std::vector<int> pages;
  if (compact.empty()) {
    for (int page = 1; page <= page_count; ++page) pages.push_back(page);
    return pages;
  }
  std::string_view rest = compact;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    const std::size_t dash = part.find('-');
    int from = PageNumber(part.substr(0, dash));
    int to = dash == std::string_view::npos ? from : PageNumber(part.substr(dash + 1));
    if (dash != std::string_view::npos) {
      if (from == 0) from = 1;
      if (to == 0) to = page_count;
    }
    if (part.empty() || part == "-" || from < 1 || to < 1 || (dash == std::string_view::npos && from == 0)) {
      *why = "\"" + std::string(part) + "\" is not a page or a range of pages (for example 1-3,5).";
      return std::nullopt;
    }
    if (from > to) std::swap(from, to);
    if (to > page_count) {
      *why = "The report has " + std::to_string(page_count) + (page_count == 1 ? " page." : " pages.");
      return std::nullopt;
    }
    for (int page = from; page <= to; ++page) pages.push_back(page);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  std::sort(pages.begin(), pages.end());
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  return pages;
}

}  // namespace vornel::reports
