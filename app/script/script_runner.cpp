#include "app/script/script_runner.h"

#include <algorithm>
#include <cstdlib>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>
#include <thread>

#include "app/program.h"
#include "platform/page/page_model.h"
#include "platform/text.h"

namespace vornel::app::script {
namespace {

using platform::EventKind;
using platform::HeadlessMessageDisplay;
using namespace std::chrono_literals;

// The words a script uses for buttons, events, scrolls and keys.
template <typename Value>
struct Named {
  std::string_view name;
  Value value;
};

template <typename Value, std::size_t N>
std::optional<Value> Lookup(const std::array<Named<Value>, N>& table, std::string_view name) {
  for (const Named<Value>& entry : table) {
    if (platform::SameNoCase(entry.name, name)) return entry.value;
  }
  return std::nullopt;
}

constexpr std::array<Named<int>, 8> kButtons = {{
    {"ok", platform::kButtonOk},         {"yes", platform::kButtonYes},
    {"no", platform::kButtonNo},         {"abort", platform::kButtonAbort},
    {"retry", platform::kButtonRetry},   {"ignore", platform::kButtonIgnore},
    {"cancel", platform::kButtonCancel}, {"help", platform::kButtonHelp},
}};

constexpr std::array<Named<EventKind>, 9> kEvents = {{
    {"accepted", EventKind::kAccepted},       {"selected", EventKind::kSelected},
    {"newselection", EventKind::kNewSelection}, {"timer", EventKind::kTimer},
    {"closewindow", EventKind::kCloseWindow}, {"closedown", EventKind::kCloseDown},
    {"losefocus", EventKind::kLoseFocus},     {"gainfocus", EventKind::kGainFocus},
    {"completed", EventKind::kCompleted},
}};

constexpr std::array<Named<platform::ScrollKind>, 6> kScrolls = {{
    {"up", platform::kLineUp},     {"down", platform::kLineDown}, {"pageup", platform::kPageUp},
    {"pagedown", platform::kPageDown}, {"top", platform::kTop},   {"bottom", platform::kBottom},
}};

constexpr std::array<Named<int>, 10> kKeys = {{
    {"ditto", platform::kKeyDitto}, {"help", platform::kKeyHelp},
    {"insert", platform::kKeyInsert},          {"delete", platform::kKeyDelete},
    {"ctrl-enter", platform::kKeyCtrlEnter},   {"shift-enter", platform::kKeyShiftEnter},
    {"double-click", platform::kKeyDoubleClick}, {"backspace", platform::kKeyBackspace},
    {"right-click", platform::kKeyRightButtonUp}, {"menu-key", platform::kKeyApplication},
}};

// A key named in a script: one of kKeys, or a single character typed.
std::optional<int> KeyNamed(std::string_view name) {
  if (std::optional<int> key = Lookup(kKeys, name)) return key;
  // F2 to F12: a button's function key.
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    const int n = std::atoi(std::string(name.substr(1)).c_str());
    if (n >= 2 && n <= 12) return platform::kKeyF2 + n - 2;
  }
  if (name.size() == 1) return platform::kKeyCharacter + static_cast<unsigned char>(name[0]);
  return std::nullopt;
}

// A list row as a script writes it: the cells joined by " | ".
std::string Joined(const std::vector<std::string>& cells) {
  std::string joined;
  for (const std::string& cell : cells) joined += (joined.empty() ? "" : " | ") + cell;
  return joined;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// "yes no cancel": the names of the buttons in a set, as steps name them.
std::string ButtonNames(int buttons) {
  std::string names;
  for (const Named<int>& button : kButtons) {
    if ((buttons & button.value) != 0) names += (names.empty() ? "" : " ") + std::string(button.name);
  }
  return names.empty() ? "(none)" : names;
}

std::string Wrong(const Step& step, std::string_view usage) {
  return "'" + step.verb + "' takes " + std::string(usage);
}

std::optional<bool> YesNo(std::string_view word) {
  if (platform::SameNoCase(word, "yes")) return true;
  if (platform::SameNoCase(word, "no")) return false;
  return std::nullopt;
}

// Polls `ready` until it answers true or the patience runs out.
template <typename Ready>
bool WaitFor(std::chrono::milliseconds patience, Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

}  // namespace

ScriptRunner::ScriptRunner(Program& program, platform::HeadlessWindowSystem& windows,
                           HeadlessMessageDisplay& display, std::chrono::milliseconds patience)
    : program_(program), windows_(windows), display_(display), patience_(patience) {}

ScriptResult ScriptRunner::Run(std::string_view text, std::string_view name) {
  ScriptResult result;
  ParsedScript parsed = ParseScript(text);
  if (parsed.error) {
    result.report = std::string(name) + ": " + *parsed.error;
    return result;
  }
  for (const Step& step : parsed.steps) {
    std::string failure = Do(step);
    if (!failure.empty()) {
      result.report = std::string(name) + ":" + std::to_string(step.line) + ": " + failure;
      return result;
    }
    ++result.steps;
  }
  result.ok = true;
  return result;
}

void ScriptRunner::CloseProgram() {
  // On the way out nothing is saved: a form's "Save Record" is answered No
  // and "Changes will be lost!" Yes; any other box takes its default.
  display_.AnswerUnqueued([](const platform::MessageBoxRequest& request) {
    if (request.caption == "Save Record" && (request.buttons & platform::kButtonNo)) return int{platform::kButtonNo};
    if (request.caption == "Changes will be lost!" && (request.buttons & platform::kButtonYes))
      return int{platform::kButtonYes};
    return request.default_button;
  });
  WaitFor(patience_, [this] { return windows_.frame_opened() || program_.threads.running() == 0; });
  // A window that stayed open after a question hears the close-down again.
  const auto round = std::max(patience_ / 10, std::chrono::milliseconds(10));
  for (int tries = 0; tries < 100 && program_.threads.running() > 0; ++tries) {
    windows_.CloseDown();
    WaitFor(round, [this] { return program_.threads.running() == 0; });
  }
  program_.WaitForEnd();
  display_.AnswerUnqueued(nullptr);
}

std::string ScriptRunner::NeedWindow() {
  if (current_ == nullptr) return "no window is current (name one with 'window' or 'frame')";
  return {};
}

// Waits until the current window's procedure has handled what was posted,
// or has opened another window (a form called from a list keeps the list
// busy until the form closes).
std::string ScriptRunner::Settle(bool or_new_window) {
  if (!current_) return {};
  const bool settled = WaitFor(patience_, [this, or_new_window] {
    return current_->WaitIdle(std::chrono::milliseconds(1)) ||
           (or_new_window && windows_.opened_count() > opened_before_);
  });
  if (!settled) return "the window " + Quoted(current_->title()) + " stays busy";
  return {};
}

// The next message box not yet expected, waiting for it a while.
std::string ScriptRunner::NextMessage(HeadlessMessageDisplay::Shown& shown) {
  if (!WaitFor(patience_, [this] { return display_.shown().size() > messages_seen_; }))
    return "no message box was shown";
  shown = display_.shown()[messages_seen_++];
  return {};
}

std::string ScriptRunner::Do(const Step& step) {
  opened_before_ = windows_.opened_count();
  const auto& a = step.args;
  const std::string& verb = step.verb;
  if (verb == "expect") return Expect(step);
  if (verb == "start") {
    if (a.size() != 1) return Wrong(step, "a procedure name");
    // As from the frame's menu: once the frame has settled the department.
    std::shared_ptr<platform::HeadlessWindow> frame;
    if (!WaitFor(patience_, [&] { return (frame = windows_.Frame()) != nullptr; }) || !frame->WaitIdle(patience_))
      return "the frame is not ready";
    program_.Start(a[0]);
    return {};
  }
  if (verb == "window") {
    const int count = a.size() == 2 ? std::atoi(a[1].c_str()) : 1;
    if (a.empty() || a.size() > 2 || count < 1) return Wrong(step, "a window title and maybe how many are open");
    current_ = windows_.WaitForWindow(a[0], patience_, count);
    if (!current_) {
      std::string open;
      for (const std::string& title : windows_.OpenTitles()) open += (open.empty() ? "" : ", ") + Quoted(title);
      return "no window " + Quoted(a[0]) + " opened (open: " + (open.empty() ? "none" : open) + ")";
    }
    return Settle(false);
  }
  if (verb == "frame") {
    if (!WaitFor(patience_, [this] { return windows_.Frame() != nullptr; })) return "the frame is not open";
    current_ = windows_.Frame();
    return Settle(false);
  }
  if (verb == "answer" && !a.empty() && a[0] == "file") {
    if (a.size() != 2) return Wrong(step, "file and the path the next save question answers");
    display_.AnswerFile(a[1]);
    return {};
  }
  if (verb == "timers") {
    if (a.size() != 1 || (a[0] != "on" && a[0] != "off")) return Wrong(step, "on or off");
    windows_.RunTimers(a[0] == "on");
    return {};
  }
  if (verb == "answer") {
    if (a.size() != 1) return Wrong(step, "a button name");
    std::optional<int> button = Lookup(kButtons, a[0]);
    if (!button) return "unknown button " + Quoted(a[0]);
    display_.Answer(*button);
    return {};
  }
  if (verb == "popup") {
    if (a.size() != 1) return Wrong(step, "the item the next popup menu answers (from 1; 0 none)");
    windows_.AnswerPopup(std::atoi(a[0].c_str()));
    return {};
  }
  if (verb == "wait") return NeedWindow().empty() ? Settle(false) : NeedWindow();
  // Two stations run by two scripts meet at files: one signals, the other awaits.
  if (verb == "signal") {
    if (a.size() != 1) return Wrong(step, "a file to make");
    std::FILE* made = std::fopen(a[0].c_str(), "w");
    if (made == nullptr) return "cannot make " + Quoted(a[0]);
    std::fclose(made);
    return {};
  }
  if (verb == "await") {
    if (a.size() != 1) return Wrong(step, "a file to wait for");
    if (!WaitFor(patience_, [&] { return std::filesystem::exists(a[0]); })) return "no " + Quoted(a[0]) + " appeared";
    return {};
  }
  constexpr std::array kWindowVerbs = {"type", "choose", "press", "menu", "tool", "close", "post",
                                      "row", "scroll", "thumb", "key", "tab", "resize"};
  if (std::find(kWindowVerbs.begin(), kWindowVerbs.end(), verb) == kWindowVerbs.end())
    return "unknown step '" + verb + "'";
  if (std::string missing = NeedWindow(); !missing.empty()) return missing;
  bool done = false;
  if (verb == "type") {
    if (a.size() != 2) return Wrong(step, "a control and a text");
    done = current_->Type(a[0], a[1]);
  } else if (verb == "choose") {
    if (a.size() != 2) return Wrong(step, "a control and a choice");
    done = current_->Choose(a[0], a[1]);
  } else if (verb == "press") {
    if (a.size() != 1) return Wrong(step, "a control");
    done = current_->Press(a[0]);
  } else if (verb == "menu") {
    if (a.empty()) return Wrong(step, "the menu texts down to the item");
    done = current_->Menu(a);
  } else if (verb == "tool") {
    if (a.size() != 1) return Wrong(step, "a tool button's text");
    // A standard button acts on the active window: wait for that one.
    std::shared_ptr<platform::HeadlessWindow> active = windows_.Active();
    done = current_->Tool(a[0]);
    if (done && active && active != current_) {
      if (!WaitFor(patience_, [&] {
            return active->WaitIdle(std::chrono::milliseconds(1)) || windows_.opened_count() > opened_before_;
          }))
        return "the window " + Quoted(active->title()) + " stays busy";
    }
  } else if (verb == "row" || verb == "thumb") {
    if (a.size() != 2) return Wrong(step, "a list and a number");
    const int number = std::atoi(a[1].c_str());
    done = verb == "row" ? current_->ChooseRow(current_->Control(a[0]), number)
                         : current_->DragThumb(current_->Control(a[0]), number);
  } else if (verb == "resize") {
    // The window changed height: the list shows that many rows now.
    if (a.size() != 2) return Wrong(step, "a list and its rows");
    const int list = current_->Control(a[0]);
    const int rows = std::atoi(a[1].c_str());
    if (list == 0 || rows < 1) return "no list " + a[0] + " or no rows";
    current_->SetVisibleRows(list, rows);
    current_->Post({EventKind::kResized, 0, 0, {}});
    done = true;
  } else if (verb == "scroll") {
    if (a.size() != 2) return Wrong(step, "a list and up, down, pageup, pagedown, top or bottom");
    std::optional<platform::ScrollKind> scroll = Lookup(kScrolls, a[1]);
    done = scroll && current_->Scroll(current_->Control(a[0]), *scroll);
  } else if (verb == "key") {
    if (a.size() != 2) return Wrong(step, "a list and a key");
    std::optional<int> key = KeyNamed(a[1]);
    if (!key) return "unknown key " + Quoted(a[1]);
    done = current_->Key(current_->Control(a[0]), *key);
  } else if (verb == "tab") {
    if (a.size() != 1) return Wrong(step, "a tab");
    done = current_->ShowTab(current_->Control(a[0]));
  } else if (verb == "close") {
    current_->RequestClose();
    done = true;
  } else if (verb == "post") {
    if (a.empty() || a.size() > 2) return Wrong(step, "an event and maybe a control");
    const int control = a.size() == 2 ? current_->Control(a[1]) : 0;
    if (a.size() == 2 && control == 0) return "no control " + a[1];
    std::optional<EventKind> kind = Lookup(kEvents, a[0]);
    if (!kind) return "unknown event " + Quoted(a[0]);
    // A timer tick and a gained focus come as the platform sends them: a
    // tick only while the window's timer runs, the focus with the window
    // brought to the front and the one before it losing the focus.
    if (*kind == EventKind::kTimer) {
      if (!current_->TimerTick()) return "the window " + Quoted(current_->title()) + " runs no timer";
      done = true;
    } else if (*kind == EventKind::kGainFocus) {
      done = current_->Activate(control);
    } else {
      current_->Post({*kind, control, 0, {}});
      done = true;
    }
  }
  if (!done) return "the window " + Quoted(current_->title()) + " does not take '" + verb + "' on " + (a.empty() ? "it" : a[0]);
  return Settle(true);
}

std::string ScriptRunner::Expect(const Step& step) {
  const auto& a = step.args;
  if (a.empty()) return Wrong(step, "what to expect");
  std::string what = platform::Lower(a[0]);
  if (what == "no" && a.size() == 2 && platform::SameNoCase(a[1], "message")) what = "nomessage";
  if (what == "message") {
    if (a.size() != 3) return Wrong(step, "message, a caption and a text");
    HeadlessMessageDisplay::Shown shown;
    if (std::string failure = NextMessage(shown); !failure.empty()) return failure;
    if (shown.request.caption != a[1] || shown.request.text != a[2])
      return "expected the message " + Quoted(a[1]) + ": " + Quoted(a[2]) + ", was " +
             Quoted(shown.request.caption) + ": " + Quoted(shown.request.text);
    return {};
  }
  if (what == "stopped") {
    if (a.size() != 2) return Wrong(step, "stopped and the stop's text");
    HeadlessMessageDisplay::Shown shown;
    if (std::string failure = NextMessage(shown); !failure.empty()) return "the program did not stop";
    if (!shown.stop || shown.request.text != a[1])
      return "expected the program to stop with " + Quoted(a[1]) + ", was the " +
             (shown.stop ? "stop " : "message ") + Quoted(shown.request.text);
    return {};
  }
  if (what == "buttons") {
    // The buttons of the message box last expected, in the order given,
    // and after "default" the button Enter presses.
    if (a.size() < 2) return Wrong(step, "buttons, the button names and maybe default and a name");
    if (messages_seen_ == 0) return "no message box was expected yet";
    const platform::MessageBoxRequest request = display_.shown()[messages_seen_ - 1].request;  // shown() is a copy
    int buttons = 0;
    std::optional<int> default_button;
    for (std::size_t i = 1; i < a.size(); ++i) {
      const bool is_default = platform::SameNoCase(a[i], "default");
      if (is_default && ++i == a.size()) return Wrong(step, "a button name after default");
      std::optional<int> button = Lookup(kButtons, a[i]);
      if (!button) return "unknown button " + Quoted(a[i]);
      if (is_default) {
        default_button = *button;
      } else {
        buttons |= *button;
      }
    }
    if (request.buttons != buttons) return "the message box has the buttons " + ButtonNames(request.buttons);
    if (default_button && request.default_button != *default_button)
      return "the default button is " + ButtonNames(request.default_button);
    return {};
  }
  if (what == "nomessage") {
    if (display_.shown().size() > messages_seen_)
      return "an unexpected message was shown: " + Quoted(display_.shown()[messages_seen_].request.text);
    return {};
  }
  if (std::string missing = NeedWindow(); !missing.empty()) return missing;
  if (what == "title") {
    if (a.size() != 2) return Wrong(step, "title and a text");
    if (current_->title() != a[1]) return "the title is " + Quoted(current_->title());
    return {};
  }
  if (what == "closed" && a.size() == 2) {
    const auto open = [&] {
      const std::vector<std::string> titles = windows_.OpenTitles();
      return std::find(titles.begin(), titles.end(), a[1]) != titles.end();
    };
    if (!WaitFor(patience_, [&] { return !open(); })) return "a window " + Quoted(a[1]) + " is still open";
    return {};
  }
  if (what == "closed") {
    if (!WaitFor(patience_, [this] { return current_->closed(); })) return "the window " + Quoted(current_->title()) + " is still open";
    return {};
  }
  if (what == "status") {
    if (a.size() != 3) return Wrong(step, "status, a part number and a text");
    const std::string shown = current_->status(std::atoi(a[1].c_str()));
    if (shown != a[2]) return "status part " + a[1] + " shows " + Quoted(shown);
    return {};
  }
  if (what == "rows") {
    if (a.size() < 2) return Wrong(step, "rows, a list and its rows");
    const auto& shown = current_->State(current_->Control(a[1])).rows;
    std::vector<std::string> rows;
    for (const auto& row : shown) rows.push_back(Joined(row));
    const std::vector<std::string> wanted(a.begin() + 2, a.end());
    if (rows != wanted) {
      std::string listed;
      for (const std::string& row : rows) listed += (listed.empty() ? "" : ", ") + Quoted(row);
      return a[1] + " shows " + std::to_string(rows.size()) + " rows: " + (listed.empty() ? "none" : listed);
    }
    return {};
  }
  if (what == "text") {
    // A page in view holds the text in one of its lines (the page count filled in).
    if (a.size() != 4) return Wrong(step, "text, a page view, a page number and a text");
    const platform::PageViewState pages = current_->State(current_->Control(a[1])).pages;
    const int number = std::atoi(a[2].c_str());
    const auto at = std::find(pages.numbers.begin(), pages.numbers.end(), number);
    if (at == pages.numbers.end()) return a[1] + " does not show page " + a[2];
    std::ifstream in(pages.files[static_cast<std::size_t>(at - pages.numbers.begin())], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    platform::page::Page page;
    std::string why;
    if (!platform::page::Decode(text.str(), page, &why)) return "page " + a[2] + " cannot be read: " + why;
    platform::page::FillPageCount(page, pages.page_count);
    for (const platform::page::TextRun& run : page.texts) {
      if (run.text.find(a[3]) != std::string::npos) return {};
    }
    return "page " + a[2] + " has no text " + Quoted(a[3]);
  }
  if (what == "focus") {
    if (a.size() != 2) return Wrong(step, "focus and a control");
    const int control = current_->Control(a[1]);
    if (control == 0) return "no control " + a[1] + " in " + Quoted(current_->title());
    const int selected = current_->selected();
    if (selected != control) {
      const auto& controls = current_->spec().controls;
      const bool named = selected >= 1 && selected <= static_cast<int>(controls.size());
      return "the focus is on " + (named ? controls[static_cast<std::size_t>(selected - 1)].name : std::string("no control"));
    }
    return {};
  }
  if (a.size() != 3) return Wrong(step, what + ", a control and the value");
  if (current_->Control(a[1]) == 0) return "no control " + a[1] + " in " + Quoted(current_->title());
  const platform::QueuedWindow::ControlState state = current_->State(a[1]);
  if (what == "value") {
    if (state.text != a[2]) return a[1] + " shows " + Quoted(state.text);
    return {};
  }
  if (what == "refused") {
    if (state.refusal != a[2]) return a[1] + (state.refusal.empty() ? " refused nothing" : " refused with " + Quoted(state.refusal));
    return {};
  }
  if (what == "highlighted") {
    const int row = state.current_row;
    const std::string shown =
        row >= 1 && row <= static_cast<int>(state.rows.size()) ? Joined(state.rows[static_cast<std::size_t>(row - 1)]) : "";
    if (shown != a[2]) return a[1] + " highlights " + Quoted(shown);
    return {};
  }
  if (what == "row") {
    if (std::to_string(state.current_row) != a[2]) return a[1] + " highlights row " + std::to_string(state.current_row);
    return {};
  }
  if (what == "thumb") {
    const std::string shown = state.thumb_shown ? std::to_string(state.thumb) : "hidden";
    if (shown != a[2]) return a[1] + "'s thumb is " + shown;
    return {};
  }
  if (what == "pages") {
    // The page numbers in view, then the zoom and the grid: "2 3 @-2 3x1".
    std::string shown;
    for (int number : state.pages.numbers) shown += std::to_string(number) + " ";
    shown += "@" + std::to_string(state.pages.zoom) + " " + std::to_string(state.pages.across) + "x" +
             std::to_string(state.pages.down);
    if (shown != a[2]) return a[1] + " shows the pages " + Quoted(shown);
    return {};
  }
  if (what == "colours") {
    std::string shown;
    for (std::size_t row = 0; row < state.rows.size(); ++row) {
      const std::int32_t colour =
          row < state.row_colours.size() ? state.row_colours[row] : platform::Window::kDefaultColour;
      shown += (shown.empty() ? "" : " ") +
               (colour == platform::Window::kDefaultColour ? std::string("default") : std::to_string(colour));
    }
    if (shown != a[2]) return a[1] + "'s rows are coloured " + Quoted(shown);
    return {};
  }
  std::optional<bool> wanted = YesNo(a[2]);
  if (!wanted) return "expected yes or no, not " + Quoted(a[2]);
  if (what == "enabled" && state.enabled != *wanted) return a[1] + (state.enabled ? " is enabled" : " is disabled");
  if (what == "hidden" && state.hidden != *wanted) return a[1] + (state.hidden ? " is hidden" : " is shown");
  if (what != "enabled" && what != "hidden") return "unknown expectation " + Quoted(a[0]);
  return {};
}

}  // namespace vornel::app::script
