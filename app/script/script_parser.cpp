#include "app/script/script_parser.h"

#include "platform/text.h"

namespace vornel::app::script {
namespace {

// Splits one line into words; false when a quote is not closed.
bool SplitWords(std::string_view line, std::vector<std::string>& words) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      ++i;
      for (;;) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            word += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        word += line[i++];
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return true;
}

}  // namespace

ParsedScript ParseScript(std::string_view text) {
  ParsedScript parsed;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string trimmed(platform::Trim(line));
    if (trimmed.empty() || trimmed[0] == '#') continue;
    std::vector<std::string> words;
    if (!SplitWords(trimmed, words)) {
      parsed.error = "line " + std::to_string(number) + ": a quote is not closed";
      return parsed;
    }
    Step step{number, platform::Lower(words[0]), {words.begin() + 1, words.end()}};
    parsed.steps.push_back(std::move(step));
  }
  return parsed;
}

}  // namespace vornel::app::script
