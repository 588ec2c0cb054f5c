#pragma once
// A window as a procedure declares it: its title and its controls, each with
// its kind, text, picture and the variable or field it shows. The backend
// lays the controls out; no coordinates.
#include <string>
#include <vector>

#include "platform/window/value_ref.h"

namespace vornel::platform {

enum class ControlKind {
  kPrompt,      // a label
  kEntry,       // typed text through a picture
  kButton,
  kCheck,       // choices[0] = the value when checked, choices[1] = unchecked
  kRadioGroup,  // one choice per radio button
  kDropChoice,  // one choice per entry of the drop list
  kDropCombo,   // typed text through a picture, with a drop list of rows to choose from (SetRows)
  kList,
  kTab,         // a page of a sheet; controls name their tab
  kString,      // a text shown, bound or fixed
  kPageView,    // finished report pages, drawn at a zoom (SetPages)
  kProgress,    // a bar showing its value, 0 to 100
};

struct Choice {
  std::string text;   // what the user sees ("Active")
  std::string value;  // what is stored ("A")
};

struct ControlSpec {
  std::string name;  // "?OK", "?CLI:CLLNAME": how procedures and scripts name it
  ControlKind kind = ControlKind::kPrompt;
  std::string text;     // caption, prompt or tab title
  std::string picture;  // "@s30", "@n_8", "@d2"
  ValueRef value;
  std::vector<Choice> choices;
  std::string tab;  // the tab it lies on ("" = none)
  std::vector<std::string> columns;  // a list's column headers
  bool disabled = false;
  bool hidden = false;
  bool read_only = false;
  bool beside = false;  // on the same row as the control before it ("City / State:" and zip)
  // An entry or shown text of several lines, its words wrapped; a list of
  // that many rows, below the other controls of its page.
  int lines = 1;
  bool secret = false;  // an entry whose text is not shown (a password)
  int key = 0;          // a button's function key (kKeyF2 ... kKeyF12): pressing it presses the button
};

// Compact declarations of the usual controls.
inline ControlSpec Entry(std::string name, std::string prompt, std::string picture, ValueRef value) {
  ControlSpec c;
  c.name = std::move(name);
  c.kind = ControlKind::kEntry;
  c.text = std::move(prompt);
  c.picture = std::move(picture);
  c.value = value;
  return c;
}
inline ControlSpec Button(std::string name, std::string text) {
  ControlSpec c;
  c.name = std::move(name);
  c.kind = ControlKind::kButton;
  c.text = std::move(text);
  return c;
}
inline ControlSpec DropChoice(std::string name, std::string prompt, ValueRef value,
                              std::vector<Choice> choices) {
  ControlSpec c;
  c.name = std::move(name);
  c.kind = ControlKind::kDropChoice;
  c.text = std::move(prompt);
  c.value = value;
  c.choices = std::move(choices);
  return c;
}

// An entry with a drop list of rows the procedure sets; choosing row N posts
// kNewSelection with key N. Read-only, it only chooses.
inline ControlSpec DropCombo(std::string name, std::string prompt, std::string picture, ValueRef value) {
  ControlSpec c = Entry(std::move(name), std::move(prompt), std::move(picture), value);
  c.kind = ControlKind::kDropCombo;
  return c;
}

inline ControlSpec Radio(std::string name, std::string prompt, ValueRef value, std::vector<Choice> choices) {
  ControlSpec c = DropChoice(std::move(name), std::move(prompt), value, std::move(choices));
  c.kind = ControlKind::kRadioGroup;
  return c;
}
inline ControlSpec Check(std::string name, std::string text, ValueRef value, std::string checked,
                         std::string unchecked) {
  // The choices read "On" and "Off" where a check box's state is shown as text.
  ControlSpec c = DropChoice(std::move(name), std::move(text), value, {{"On", std::move(checked)}, {"Off", std::move(unchecked)}});
  c.kind = ControlKind::kCheck;
  return c;
}
// A text shown: fixed (no value) or a value through a picture.
inline ControlSpec Shown(std::string name, std::string prompt, std::string picture = {}, ValueRef value = {}) {
  ControlSpec c;
  c.name = std::move(name);
  c.kind = value.bound() ? ControlKind::kString : ControlKind::kPrompt;
  c.text = std::move(prompt);
  c.picture = std::move(picture);
  c.value = value;
  return c;
}
// The control on the row of the one declared before it.
inline ControlSpec WithKey(ControlSpec c, int key) {
  c.key = key;
  return c;
}
inline ControlSpec Beside(ControlSpec c) {
  c.beside = true;
  return c;
}
// The entry or shown text over that many lines, its words wrapped.
inline ControlSpec Wrapped(ControlSpec c, int lines) {
  c.lines = lines;
  return c;
}
// A page of the window's sheet; controls name it by its title.
inline ControlSpec Tab(std::string name, std::string title) {
  ControlSpec c;
  c.name = std::move(name);
  c.kind = ControlKind::kTab;
  c.text = std::move(title);
  return c;
}
// The controls, each put on the tab of that title.
inline std::vector<ControlSpec> OnTab(const std::string& tab, std::vector<ControlSpec> controls) {
  for (ControlSpec& c : controls) c.tab = tab;
  return controls;
}

// What the platform does by itself for a menu item, without the procedure.
enum class StandardAction { kNone, kPrintSetup, kCut, kCopy, kPaste, kTile, kCascade, kArrangeIcons };

// A menu item, or a menu when it has items. Choosing an item with a command
// posts kAccepted with that command as the control number; commands start at
// kFirstCommand so that they never meet a control's number.
struct MenuItem {
  std::string text;  // "&" marks the access key
  std::string hint;  // shown in the status bar while the item is highlighted
  int command = 0;
  StandardAction action = StandardAction::kNone;
  std::vector<MenuItem> items;
};

struct ToolButton {
  std::string text;  // tooltip and status hint
  std::string icon;  // the picture's name ("Exit.ico"); the backend may draw its own
  int command = 0;
  // A standard button (insert, next, ...): its command goes to the active
  // window, which also decides whether it is enabled and what its tip says.
  bool routed = false;
};

// An item of a popup menu; an empty text is a separator.
struct PopupItem {
  std::string text;
  bool enabled = true;
};

// What a standard tool button shows while a window is active.
struct ToolState {
  int command = 0;
  bool enabled = false;
  std::string tip;  // "" keeps the button's own text
};

inline constexpr int kFirstCommand = 1000;

struct WindowSpec {
  std::string procedure;  // the procedure it belongs to (window positions are kept under it)
  std::string title;
  std::vector<ControlSpec> controls;
  bool modal = false;  // a dialog of its procedure
  // The buttons Enter and Escape press (control names, "" for none).
  std::string default_button;
  std::string cancel_button;
  // The program's frame: the window the others open inside, with a menu, a
  // toolbar and a status bar of that many parts (part 1 shows the hints).
  bool frame = false;
  std::vector<MenuItem> menu;
  std::vector<ToolButton> toolbar;
  int status_parts = 0;
};

}  // namespace vornel::platform
