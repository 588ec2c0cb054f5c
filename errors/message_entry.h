#pragma once
// One row of the message table, and what a raised message's fatality does.
#include <cstdint>
#include <string>

namespace vornel::errors {

enum class Fatality : std::uint8_t {
  kNoAction = 0,      // nothing is shown; the raiser gets 0
  kQuestion = 1,      // Yes/No: 0 after Yes, 4 otherwise
  kProgramError = 2,  // handled as fatal
  kFatal = 3,         // shown, then the program ends
  kCancelled = 4,     // asked exactly like a question
  kNotice = 5,        // shown with OK; the raiser gets 5
};

// The levels the framework's operations return.
enum Level : int {
  kGoOn = 0,          // carry on
  kFieldInvalid = 1,  // a field failed validation
  kNotUsable = 3,     // not usable, or fatal
  kDeclined = 4,      // the user declined
  kNotified = 5,      // failed, and a notice was shown
};

struct MessageEntry {
  std::int32_t id = 0;
  std::string message;  // may hold placeholders (%File ...) and '|' line breaks
  std::string title;
  std::uint8_t fatality = 0;
  std::string category;
};

}  // namespace vornel::errors
