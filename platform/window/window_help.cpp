#include "platform/window/window_help.h"

#include <algorithm>

namespace vornel::platform {
namespace {

// A caption without its access-key marks ("&Change" → "Change").
std::string Plain(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
    plain += text[i];
  }
  return plain;
}

const ControlSpec* Named(const WindowSpec& spec, const std::string& name) {
  auto it = std::find_if(spec.controls.begin(), spec.controls.end(), [&](const ControlSpec& c) { return c.name == name; });
  return it != spec.controls.end() ? &*it : nullptr;
}

bool Has(const WindowSpec& spec, ControlKind kind) {
  return std::any_of(spec.controls.begin(), spec.controls.end(), [kind](const ControlSpec& c) { return c.kind == kind; });
}

}  // namespace

std::string HelpText(const WindowSpec& spec, const std::string& title) {
  std::string text = title + "||Keys:";
  auto line = [&text](const std::string& key, const std::string& what) { text += "|" + key + ": " + what; };
  if (const ControlSpec* button = Named(spec, spec.default_button)) line("Enter", Plain(button->text));
  if (const ControlSpec* button = Named(spec, spec.cancel_button)) {
    line("Escape", Plain(button->text));
  } else {
    line("Escape", "closes the window");
  }
  if (Has(spec, ControlKind::kEntry)) {
    line("Tab, Shift+Tab", "the next or the previous field");
    line("Ctrl+' (or Ctrl+H)", "the value this field had in the record saved last");
  }
  if (Has(spec, ControlKind::kList)) {
    line("Up, Down, Page Up, Page Down, Home, End", "move in the list");
    line("Letters and digits", "find a row by the order shown");
    line("Insert, Delete", "the list's Insert and Delete");
    line("Right button, menu key", "the list's menu");
  }
  if (Has(spec, ControlKind::kTab)) line("Ctrl+Tab", "the next page");
  line("F1", "this help");
  std::string buttons;
  for (const ControlSpec& control : spec.controls) {
    if (control.kind != ControlKind::kButton) continue;
    buttons += (buttons.empty() ? "" : ", ") + Plain(control.text);
  }
  if (!buttons.empty()) text += "||Buttons: " + buttons;
  return text;
}

}  // namespace vornel::platform
