#include "platform/message_box.h"

namespace vornel::platform {

std::string DisplayedText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '|') c = '\n';
  }
  return out;
}

}  // namespace vornel::platform
