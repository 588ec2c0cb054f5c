#pragma once
// Thrown by a backend that cannot end the process (the headless one) to
// unwind the procedure thread that stopped the program. Procedure thread
// entry points catch it; nothing else should.
#include <stdexcept>
#include <string>

namespace vornel::platform {

class ProgramStop : public std::runtime_error {
 public:
  explicit ProgramStop(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace vornel::platform
