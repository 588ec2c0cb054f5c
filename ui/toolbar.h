#pragma once
// The frame's standard tool buttons as a window sees them. Each window has a
// toolbar with its targets (each list of the window, and the form itself);
// the current target decides which buttons are enabled, sets their tips and
// turns a press into its own action: a list scrolls or presses its own
// button, a form saves and lets the list behind it move to another record.
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/window.h"
#include "ui/window_component.h"

namespace vornel::ui {

class WindowManager;

enum StandardButton : int {
  kToolInsert = 3001,
  kToolChange,
  kToolDelete,
  kToolSelect,
  kToolLast,
  kToolFirst,
  kToolPageDown,
  kToolPageUp,
  kToolNext,
  kToolPrevious,
  kToolLocate,
  kToolHistory,
  kToolHelp,
};
using platform::kKeyHelp;

// Tips are kept as packed blocks: a one-byte count, then per entry the
// button (2 bytes, little-endian), a one-byte length and the text.
std::vector<std::uint8_t> PackTips(std::initializer_list<std::pair<int, std::string_view>> tips);
std::map<int, std::string> UnpackTips(std::span<const std::uint8_t> block);
std::span<const std::uint8_t> FormChangeTips();
std::span<const std::uint8_t> FormInsertTips();
std::span<const std::uint8_t> ListTips();

class ToolbarTarget {
 public:
  virtual ~ToolbarTarget() = default;
  // The buttons 3001 to 3013 as this target shows them (without tips).
  virtual std::map<int, bool> Buttons() = 0;
  virtual std::span<const std::uint8_t> Tips() = 0;
  // A standard button was pressed while this target is current.
  virtual void OnButton(int button) = 0;
};

class Toolbar : public WindowComponent {
 public:
  explicit Toolbar(WindowManager& window) : window_(window) {}
  // Adds a target for `control` (a list control, or -1 for the form); the
  // first one added becomes current.
  void AddTarget(ToolbarTarget& target, int control);
  void SetTarget(int control);
  // Tells the frame the current target's buttons and tips.
  void Display();

  int OnEvent(const platform::Event& event) override;
  void Reset() override { Display(); }

 private:
  struct Target {
    ToolbarTarget* target;
    int control;
  };
  WindowManager& window_;
  std::vector<Target> targets_;
  ToolbarTarget* current_ = nullptr;
};

}  // namespace vornel::ui
