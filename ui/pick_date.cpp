#include "ui/pick_date.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

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
    // A grid of seven columns: the day names over the weeks' day buttons,
    // each row started by an empty prompt (a button of its own would go to
    // the window's button row). The names are buttons too, shown disabled,
    // so that they stand over their columns.
    const auto row_of_seven = [&](const std::string& prefix, const auto& text) {
      spec.controls.push_back(Control("", ControlKind::kPrompt, ""));
      for (int day = 0; day < 7; ++day) {
        ControlSpec button = Control(prefix + std::to_string(spec.controls.size()), ControlKind::kButton, text(day));
        button.beside = true;
        spec.controls.push_back(button);
      }
    };
    const auto names = calendar_.DayNames();
    row_of_seven("?DayName", [&](int day) { return names[static_cast<std::size_t>(day)]; });
    for (std::size_t i = 0; i < spec.controls.size(); ++i) {
      if (spec.controls[i].kind == ControlKind::kButton) name_controls_.push_back(static_cast<int>(i) + 1);
    }
    for (int week = 0; week < Calendar::kCells / 7; ++week) {
      row_of_seven("?Cell", [](int) { return std::string(); });
      for (int day = 0; day < 7; ++day) {
        const int control = static_cast<int>(spec.controls.size()) - 6 + day;
        spec.controls[static_cast<std::size_t>(control - 1)].name = "?Day" + std::to_string(cells_.size() + 1);
        cells_.push_back(control);
      }
    }
    first_navigation_ = static_cast<int>(spec.controls.size()) + 1;
    for (const auto& [name, text] : kNavigation) spec.controls.push_back(Control(name, ControlKind::kButton, text));
    spec.controls.push_back(Control("?Today", ControlKind::kButton, "&Today"));
    spec.controls.push_back(Control("?Close", ControlKind::kButton, "&Close"));
    Open(spec, owner_);
    for (int name : name_controls_) window()->SetEnabled(name, false);
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
    const auto found = std::find(cells_.begin(), cells_.end(), control);
    if (found != cells_.end()) {
      calendar_.Accept(static_cast<int>(found - cells_.begin()));
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

  // Cells before the 1st and after the month's last day are blank and
  // disabled, keeping the columns in place; a week without a day of the
  // month is hidden. The selected day takes the focus.
  void Draw() {
    platform::Window& w = *window();
    w.SetText(1, calendar_.Title());
    const auto cells = calendar_.Cells();
    for (std::size_t cell = 0; cell < cells_.size(); ++cell) {
      const Calendar::Cell& c = cells[cell];
      const std::size_t week = cell / 7 * 7;
      const bool week_shown = std::any_of(cells.begin() + static_cast<std::ptrdiff_t>(week),
                                          cells.begin() + static_cast<std::ptrdiff_t>(week + 7),
                                          [](const Calendar::Cell& other) { return other.shown; });
      w.SetHidden(cells_[cell], !week_shown);
      w.SetEnabled(cells_[cell], c.shown);
      // A blank cell keeps a day button's width.
      w.SetText(cells_[cell], c.shown ? std::to_string(c.day) : std::string(" "));
      if (c.selected) w.Select(cells_[cell]);
    }
  }

  Calendar calendar_;
  std::string caption_;
  platform::Window* owner_;
  std::vector<int> name_controls_;  // the day names over the columns
  std::vector<int> cells_;          // the day buttons, week by week
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
