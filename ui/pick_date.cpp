#include "ui/pick_date.h"

#include <array>
#include <string>

#include "ui/calendar.h"
#include "ui/window_manager.h"

namespace vornel::ui {
namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::Event;
using platform::EventKind;

constexpr std::array kNavigation = {
    std::pair{"?PreviousYear", "Previous Year"}, std::pair{"?PreviousMonth", "Previous Month"},
    std::pair{"?PreviousWeek", "Previous Week"}, std::pair{"?NextWeek", "Next Week"},
    std::pair{"?NextMonth", "Next Month"},       std::pair{"?NextYear", "Next Year"},
};

class CalendarWindow : public WindowManager {
 public:
  CalendarWindow(platform::WindowSystem& windows, errors::ErrorManager& errors, platform::DayNumber initial,
                 std::string_view caption, platform::Window* owner)
      : WindowManager(windows, errors),
        calendar_(initial, platform::Today()),
        caption_(caption),
        owner_(owner) {}

  platform::DayNumber result() const { return calendar_.Result(); }

  int Init() override {
    WindowManager::Init();
    platform::WindowSpec spec;
    spec.procedure = "PickDate";
    spec.title = caption_.empty() ? "Calendar" : caption_;
    spec.modal = true;
    spec.controls.push_back(Control("?Title", ControlKind::kString, calendar_.Title()));
    for (const std::string& name : calendar_.DayNames()) spec.controls.push_back(Control("", ControlKind::kPrompt, name));
    first_cell_ = static_cast<int>(spec.controls.size()) + 1;
    for (int cell = 0; cell < Calendar::kCells; ++cell)
      spec.controls.push_back(Control("?Day" + std::to_string(cell + 1), ControlKind::kButton, ""));
    first_navigation_ = static_cast<int>(spec.controls.size()) + 1;
    for (const auto& [name, text] : kNavigation) spec.controls.push_back(Control(name, ControlKind::kButton, text));
    spec.controls.push_back(Control("?Today", ControlKind::kButton, "&Today"));
    spec.controls.push_back(Control("?Close", ControlKind::kButton, "&Close"));
    Open(spec, owner_);
    return 0;
  }

  // The cells show the calendar, not bound values: each reset draws anew.
  void Reset(bool force) override {
    WindowManager::Reset(force);
    Draw();
  }

  int OnEvent(const Event& event) override {
    switch (event.kind) {
      case EventKind::kAccepted: return OnPressed(event.control);
      case EventKind::kAlertKey: return OnKey(event.key);
      case EventKind::kCloseWindow:
      case EventKind::kCloseDown: calendar_.Close(); return kEndLoop;
      default: return WindowManager::OnEvent(event);
    }
  }

 private:
  static ControlSpec Control(std::string name, ControlKind kind, std::string text) {
    ControlSpec c;
    c.name = std::move(name);
    c.kind = kind;
    c.text = std::move(text);
    return c;
  }

  int OnPressed(int control) {
    const int cell = control - first_cell_;
    if (cell >= 0 && cell < Calendar::kCells) {
      calendar_.Accept(cell);
    } else {
      // The buttons after the cells, in their declared order.
      switch (control - first_navigation_) {
        case 0: calendar_.PreviousYear(); break;
        case 1: calendar_.PreviousMonth(); break;
        case 2: calendar_.MoveDays(-7); break;
        case 3: calendar_.MoveDays(7); break;
        case 4: calendar_.NextMonth(); break;
        case 5: calendar_.NextYear(); break;
        case 6: calendar_.GoToday(); break;
        case 7: calendar_.Close(); break;
        default: return kContinue;
      }
    }
    if (calendar_.state() != Calendar::State::kOpen) return kEndLoop;
    Draw();
    return kHandled;
  }

  int OnKey(int key) {
    switch (key) {
      case kKeyLeft: calendar_.MoveDays(-1); break;
      case kKeyRight: calendar_.MoveDays(1); break;
      case kKeyUp: calendar_.MoveDays(-7); break;
      case kKeyDown: calendar_.MoveDays(7); break;
      default: return kContinue;
    }
    Draw();
    return kHandled;
  }

  // Cells before the 1st and after the month's last day are hidden; the
  // selected day takes the focus.
  void Draw() {
    platform::Window& w = *window();
    w.SetText(1, calendar_.Title());
    const auto cells = calendar_.Cells();
    for (int cell = 0; cell < Calendar::kCells; ++cell) {
      const Calendar::Cell& c = cells[static_cast<std::size_t>(cell)];
      w.SetHidden(first_cell_ + cell, !c.shown);
      if (c.shown) w.SetText(first_cell_ + cell, std::to_string(c.day));
      if (c.selected) w.Select(first_cell_ + cell);
    }
  }

  Calendar calendar_;
  std::string caption_;
  platform::Window* owner_;
  int first_cell_ = 0;
  int first_navigation_ = 0;
};

}  // namespace

platform::DayNumber PickDate(platform::WindowSystem& windows, errors::ErrorManager& errors,
                             platform::DayNumber initial, std::string_view caption, platform::Window* owner) {
  CalendarWindow window(windows, errors, initial, caption, owner);
  window.Run();
  return window.result();
}

}  // namespace vornel::ui
