// What the report windows ask of the screen besides their pages: a menu bar
// of their own, and the question where to save a file.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>

#include "tests/qt/qt_test_support.h"
#include "tests/support/temp_dir.h"

namespace vornel::platform::qt {
namespace {

std::unique_ptr<Window> OpenPlainFrame() {
  WindowSpec spec;
  spec.frame = true;
  spec.title = "VORNEL";
  spec.menu = {{"&File", "", 0, StandardAction::kNone, {{"E&xit", "", kFirstCommand + 1, StandardAction::kNone, {}}}}};
  auto frame = Backend().windows().Open(spec, nullptr);
  EXPECT_EQ(frame->WaitEvent().kind, EventKind::kOpenWindow);
  return frame;
}

TEST(QtReportWindows, AWindowsOwnMenuPostsItsCommandsToIt) {
  RunProcedure([&] {
    auto frame = OpenPlainFrame();
    WindowSpec spec;
    spec.procedure = "Preview";
    spec.title = "Preview";
    MenuItem width{"Page &Width", "Fit the page to the width", kFirstCommand + 7, StandardAction::kNone, {}};
    MenuItem four{"&Four Pages", "", kFirstCommand + 8, StandardAction::kNone, {}};
    spec.menu = {{"&Zoom", "", 0, StandardAction::kNone, {width, four}}};
    spec.controls = {Button("?CLOSE", "&Close")};
    auto window = Backend().windows().Open(spec, nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);

    RunOnGui([&] {
      QMdiSubWindow* sub = SubWindow("Preview");
      ASSERT_NE(sub, nullptr);
      auto* bar = sub->findChild<QMenuBar*>("menu");
      ASSERT_NE(bar, nullptr);
      auto* close = sub->findChild<QPushButton*>("?CLOSE");
      EXPECT_LT(bar->mapTo(sub, QPoint(0, 0)).y(), close->mapTo(sub, QPoint(0, 0)).y());
      EXPECT_TRUE(bar->isVisible());
      // The frame's menu stays the frame's.
      EXPECT_EQ(ActionNamed(sub, "E&xit"), nullptr);
      QAction* item = ActionNamed(sub, "&Four Pages");
      ASSERT_NE(item, nullptr);
      item->trigger();
    });
    Event event = NextEvent(*window);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, kFirstCommand + 8);

    // A window without a menu has no bar.
    WindowSpec plain;
    plain.title = "Plain";
    plain.controls = {Button("?OK", "OK")};
    auto other = Backend().windows().Open(plain, nullptr);
    EXPECT_EQ(NextEvent(*other).kind, EventKind::kOpenWindow);
    RunOnGui([&] { EXPECT_EQ(SubWindow("Plain")->findChild<QMenuBar*>(), nullptr); });
  });
}

TEST(QtReportWindows, TheSaveQuestionAnswersThePathChosenOrNothing) {
  RunProcedure([&] {
    test::TempDir dir;
    QString offered;
    WhenShown<QFileDialog>("save", [&](QFileDialog* dialog) {
      offered = dialog->selectedFiles().value(0);
      dialog->selectFile(QString::fromStdString((dir / "march").string()));
      static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    const std::string suggested = (dir / "statement.pdf").string();
    const std::string chosen = Backend().display().AskSaveFile("Save as PDF", "PDF files (*.pdf)", suggested);
    EXPECT_EQ(offered.toStdString(), suggested);
    // A name without an extension gets the filter's.
    EXPECT_EQ(chosen, (dir / "march.pdf").string());

    WhenShown<QFileDialog>("save", [](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(Backend().display().AskSaveFile("Save as PDF", "PDF files (*.pdf)", suggested), "");
  });
}

}  // namespace
}  // namespace vornel::platform::qt
