#include "ui/window_positions.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vornel::ui {
namespace {

TEST(WindowPositions, SavedUnderTheProcedureAndRestored) {
  test::TempDir dir;
  const auto path = dir / "vornelwn.INI";
  WindowPositions positions{platform::SettingsFile(path)};
  EXPECT_FALSE(positions.Restore("Main"));
  positions.Save("Main", {true, false, 10, 20, 800, 600});
  positions.Save("BrowseClient", {false, false, 5, std::nullopt, 300, 200});
  positions.Shutdown();

  WindowPositions again{platform::SettingsFile(path)};
  auto main = again.Restore("main");
  ASSERT_TRUE(main);
  EXPECT_TRUE(main->maximized);
  EXPECT_EQ(main->width, 800);
  auto list = again.Restore("BrowseClient");
  ASSERT_TRUE(list);
  EXPECT_FALSE(list->y) << "an unknown value is not stored";
  EXPECT_EQ(list->x, 5);
  const std::string text = test::ReadFile(path);
  EXPECT_NE(text.find("Maximize=Yes"), std::string::npos);
  EXPECT_NE(text.find("[__Dont_Touch_Me__]"), std::string::npos);
  EXPECT_NE(text.find("Sectors=BrowseClient,Main"), std::string::npos);
}

}  // namespace
}  // namespace vornel::ui
