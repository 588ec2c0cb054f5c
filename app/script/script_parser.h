#pragma once
// The steps of a headless script: one step per line, a verb and its
// arguments, separated by blanks; an argument with blanks is quoted with
// double quotes (a doubled quote inside stands for one). '#' starts a
// comment line; blank lines are skipped.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornel::app::script {

struct Step {
  int line = 0;
  std::string verb;  // lower case
  std::vector<std::string> args;
};

struct ParsedScript {
  std::vector<Step> steps;
  std::optional<std::string> error;  // "line 4: unterminated quote"
};

ParsedScript ParseScript(std::string_view text);

}  // namespace vornel::app::script
