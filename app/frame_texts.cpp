#include "app/frame_texts.h"

#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::app {
namespace {
constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
}  // namespace

std::string FrameTitle(const ui::ProgramValues& values) {
  return "VORNEL for Windows  " + std::string(platform::ReadField(values.agency_name)) +
         "      Current Dept:    " + std::to_string(values.department) + " - " +
         std::string(platform::ReadField(values.activity));
}

std::string StatusDate(platform::DayNumber today) {
  return std::string(kWeekdays[platform::WeekdayOf(today)]) + ", " +
         platform::FormatWith("D4", today);
}

std::string StatusTime(platform::TimeOfDay now) {
  return std::string(platform::Trim(platform::FormatWith("T3", now)));
}

}  // namespace vornel::app
