#include "platform/headless/headless_window.h"

#include <gtest/gtest.h>

#include <thread>

namespace vornel::platform {
namespace {

// A small form on its own thread: a name, an amount, a status and OK.
class HeadlessWindowTest : public ::testing::Test {
 protected:
  WindowSpec Form() {
    WindowSpec spec;
    spec.procedure = "UpdateThing";
    spec.title = "Update the Thing";
    ControlSpec code = Entry("?Code", "Code:", "@n_4", Ref(code_));
    code.disabled = true;
    spec.controls = {
        Entry("?Name", "Name:", "@s10", Ref(name_)),
        Entry("?Amount", "Amount:", "@n-10.2", Ref(amount_)),
        DropChoice("?Status", "Status:", Ref(status_), {{"Active", "A"}, {"Inactive", "I"}}),
        code,
        Button("?OK", "OK"),
    };
    return spec;
  }

  // Runs the form: OK validates every entry; an amount above 1000 is refused
  // by the procedure (it takes the focus back).
  void Run() {
    std::unique_ptr<Window> window = system_.Open(Form(), nullptr);
    for (;;) {
      Event event = window->WaitEvent();
      events_.push_back(event.kind);
      if (event.kind == EventKind::kOpenWindow) window->Display();
      if (event.kind == EventKind::kRejected) rejected_ = event.text;
      if (event.kind == EventKind::kAccepted && event.control == window->Control("?OK"))
        window->AcceptAll();
      if (event.kind == EventKind::kAccepted && event.control == window->Control("?Amount") &&
          amount_ > 1000)
        window->Select(event.control);
      if (event.kind == EventKind::kCompleted) completed_ = true;
      if (event.kind == EventKind::kCompleted || event.kind == EventKind::kCloseWindow) break;
    }
    window->Close();
  }

  HeadlessWindow& Start() {
    procedure_ = std::thread([this] { Run(); });
    auto window = system_.WaitForWindow("Update the Thing");
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(window->WaitIdle());
    return *window;
  }

  void TearDown() override {
    if (procedure_.joinable()) procedure_.join();
  }

  HeadlessWindowSystem system_;
  std::thread procedure_;
  char name_[10] = {'A', 'B', 'C', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  double amount_ = 12.5;
  char status_[1] = {'I'};
  std::int16_t code_ = 7;
  std::vector<EventKind> events_;
  std::string rejected_;
  bool completed_ = false;
};

TEST_F(HeadlessWindowTest, ShowsBoundValuesThroughTheirPictures) {
  HeadlessWindow& window = Start();
  EXPECT_EQ(window.State("?Name").text, "ABC");
  EXPECT_EQ(window.State("?Amount").text, "     12.50");
  EXPECT_EQ(window.State("?Status").text, "Inactive");
  EXPECT_FALSE(window.State("?Code").enabled);
  EXPECT_FALSE(window.Type("?Code", "9")) << "a disabled control takes no typing";
  EXPECT_FALSE(window.Type("?Nothing", "9"));
  EXPECT_FALSE(window.Press("?Name")) << "an entry is not a button";
  window.RequestClose();
}

TEST_F(HeadlessWindowTest, TypedTextReachesTheVariableBeforeTheEvent) {
  HeadlessWindow& window = Start();
  ASSERT_TRUE(window.Type("?Amount", "1,234.5"));
  ASSERT_TRUE(window.Choose("?Status", "active"));
  ASSERT_TRUE(window.WaitIdle());
  EXPECT_EQ(window.State("?Amount").text, "  1,234.50");
  ASSERT_TRUE(window.Type("?Name", "much too long"));
  ASSERT_TRUE(window.WaitIdle());
  window.RequestClose();
  procedure_.join();
  EXPECT_DOUBLE_EQ(amount_, 1234.5);
  EXPECT_EQ(status_[0], 'A');
  EXPECT_EQ(std::string(name_, 3), "ABC") << "refused text leaves the variable as it was";
  EXPECT_FALSE(rejected_.empty());
}

TEST_F(HeadlessWindowTest, ValidateAllAcceptsEveryEntryThenCompletes) {
  HeadlessWindow& window = Start();
  ASSERT_TRUE(window.Type("?Amount", "5000"));
  ASSERT_TRUE(window.Press("?OK"));
  ASSERT_TRUE(window.WaitIdle());
  EXPECT_FALSE(completed_) << "the refused amount stopped validate-all mode";
  EXPECT_EQ(window.selected(), window.Control("?Amount"));
  ASSERT_TRUE(window.Type("?Amount", "50"));
  ASSERT_TRUE(window.Press("?OK"));
  procedure_.join();
  EXPECT_TRUE(completed_);
  EXPECT_TRUE(system_.OpenTitles().empty()) << "the closed window is gone";
  EXPECT_EQ(events_.back(), EventKind::kCompleted);
}

}  // namespace
}  // namespace vornel::platform
