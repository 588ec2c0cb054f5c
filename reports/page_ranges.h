#pragma once
// The pages-to-print text of the print preview: page numbers and ranges
// separated by commas ("1-3,5", "7-" to the last page, "-2" from the first),
// blanks ignored. An empty text means every page.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornel::reports {

// The chosen page numbers in ascending order, each once; nothing (and why)
// for a text that is not a page list or names a page past `page_count`.
std::optional<std::vector<int>> ParsePageRanges(std::string_view text, int page_count, std::string* why);

}  // namespace vornel::reports
