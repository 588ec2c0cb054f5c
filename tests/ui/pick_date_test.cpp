#include "ui/pick_date.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/headless/headless_message_display.h"
#include "platform/headless/headless_window.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace vornel::ui {
namespace {

using platform::DateFromMdy;

// The calendar window on a thread of its own, driven as a user would.
class PickDateTest : public ::testing::Test {
 protected:
  void Open(platform::DayNumber initial) {
    picker_ = std::thread([this, initial] { result_ = PickDate(windows_, errors_, initial, "Visit Date"); });
    window_ = windows_.WaitForWindow("Visit Date");
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(window_->WaitIdle());
  }
  platform::DayNumber Finish() {
    picker_.join();
    return result_;
  }
  void Press(const char* control) {
    ASSERT_TRUE(window_->Press(control)) << control;
    ASSERT_TRUE(window_->WaitIdle());
  }
  std::string Shown(const char* control) { return window_->State(control).text; }

  test::TempDir dir_;
  platform::HeadlessMessageDisplay display_;
  errors::ErrorManager errors_{display_, [this] { return dir_ / "KIVError.Log"; }};
  platform::HeadlessWindowSystem windows_;
  std::shared_ptr<platform::HeadlessWindow> window_;
  std::thread picker_;
  platform::DayNumber result_ = -1;
};

TEST_F(PickDateTest, NavigatesAndPicksTheDayPressed) {
  Open(DateFromMdy(1, 31, 2026));
  EXPECT_EQ(Shown("?Title"), "January 2026");
  // January 2026 starts on a Thursday: weeks start on Sunday, so cells 1-4
  // are blank and cannot be pressed, but keep their columns.
  EXPECT_FALSE(window_->State("?Day4").enabled);
  EXPECT_EQ(platform::Clip(Shown("?Day4")), "");
  EXPECT_FALSE(window_->State("?Day4").hidden);
  EXPECT_EQ(Shown("?Day5"), "1");
  EXPECT_EQ(window_->selected(), window_->Control("?Day35"));  // the 31st
  Press("?NextMonth");                                         // 31 January -> 1 February
  EXPECT_EQ(Shown("?Title"), "February 2026");
  EXPECT_EQ(Shown("?Day1"), "1");  // February 2026 starts on a Sunday
  EXPECT_EQ(window_->selected(), window_->Control("?Day1"));
  window_->Post({platform::EventKind::kAlertKey, 0, kKeyDown, {}});
  ASSERT_TRUE(window_->WaitIdle());
  EXPECT_EQ(window_->selected(), window_->Control("?Day8"));
  Press("?PreviousYear");
  EXPECT_EQ(Shown("?Title"), "February 2025");
  Press("?Day20");  // the 1st, a Saturday, is in cell 7, so cell 20 holds the 14th
  EXPECT_EQ(Finish(), DateFromMdy(2, 14, 2025));
}

TEST_F(PickDateTest, ClosingWithoutPickingAnswersTheOpeningDate) {
  Open(DateFromMdy(7, 4, 2026));
  Press("?NextYear");
  window_->RequestClose();
  EXPECT_EQ(Finish(), DateFromMdy(7, 4, 2026));

  Open(DateFromMdy(7, 4, 2026));
  Press("?Today");
  Press("?Close");
  EXPECT_EQ(Finish(), DateFromMdy(7, 4, 2026));
}

}  // namespace
}  // namespace vornel::ui
