#pragma once
// The three locators of the lists: what the user types moves the list to
// the first record whose free key element is at least that value.
// - StepLocator: a letter typed in the list goes to the first record from
//   that letter on; the same letter again walks down one row.
// - EntryLocator: an entry beside the list ("Find:"); a letter typed in the
//   list moves the focus there; accepting the entry moves the list.
// - IncrementalLocator: each key typed in the list extends (Backspace
//   shortens) the text shown in a display control, and the list follows.
#include <string>

#include "platform/window/value_ref.h"
#include "ui/browse_manager.h"

namespace vornel::ui {

class StepLocator : public Locator {
 public:
  explicit StepLocator(bool no_case = true) : no_case_(no_case) {}
  bool OnKey(int key) override;

 private:
  bool no_case_;
};

class EntryLocator : public Locator {
 public:
  // `entry` is the entry control, bound to `value`.
  EntryLocator(int entry, platform::ValueRef value, bool no_case = true)
      : entry_(entry), value_(value), no_case_(no_case) {}
  bool OnKey(int key) override;
  bool OnAccepted(int control) override;
  void RefreshWindow() override;

 private:
  int entry_;
  platform::ValueRef value_;
  bool no_case_;
};

class IncrementalLocator : public Locator {
 public:
  static constexpr std::size_t kMaxShadow = 40;
  explicit IncrementalLocator(int display, bool no_case = true) : display_(display), no_case_(no_case) {}
  bool OnKey(int key) override;
  void Reset() override { shadow_.clear(); }
  void RefreshWindow() override;
  const std::string& shadow() const { return shadow_; }

 private:
  int display_;
  bool no_case_;
  std::string shadow_;
};

}  // namespace vornel::ui
