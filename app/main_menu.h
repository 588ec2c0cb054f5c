#pragma once
// The main frame's menu and toolbar as one table each: texts, hints, and
// what every item does. The frame's window is built from these tables, and
// a chosen item's command leads back to its row.
#include <span>
#include <string_view>

#include "platform/window/window_spec.h"

namespace vornel::app {

enum class ItemAction {
  kStart,     // starts `procedure` on a new thread
  kCallHere,  // runs `procedure` on the frame's own thread
  kPlatform,  // the platform does it (clipboard, printer set-up, arranging windows)
  kExit,      // closes the frame
  kExternal,  // runs the external program `procedure` without waiting for it
};

struct MainMenuItem {
  std::string_view menu;  // the menu path, submenus after '|': "&Billing Options|&SCA Billing"
  std::string_view item;
  std::string_view hint;
  std::string_view procedure;
  int stack = 25000;  // the new thread's stack, as asked
  ItemAction action = ItemAction::kStart;
  platform::StandardAction platform_action = platform::StandardAction::kNone;
  char selection = 0;  // the selection character set before starting, when not 0
};

struct MainToolItem {
  std::string_view text;  // tooltip and status hint
  std::string_view icon;
  std::string_view procedure;
  ItemAction action = ItemAction::kStart;
};

std::span<const MainMenuItem> MainMenuItems();
std::span<const MainToolItem> MainToolItems();

// The frame "Main": titled "VORNEL", its menu built from the table in
// order (menus and submenus appear where their first item is), the toolbar
// and four status bar parts.
platform::WindowSpec MainFrameSpec();

// The row a command of the frame names; nullptr for any other control.
const MainMenuItem* MenuItemOfCommand(int command);
const MainToolItem* ToolItemOfCommand(int command);

}  // namespace vornel::app
