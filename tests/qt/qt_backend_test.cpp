// The Qt backend on the offscreen platform: a procedure thread opens windows
// and waits for their events while the test's main thread runs the GUI loop,
// as in the program. The procedure side inspects and drives the widgets by
// running code on the GUI thread (RunOnGui), never by waiting for time.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <atomic>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <utility>

#include "app/demo_data/demo_generator.h"
#include "app/program.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_gui_thread.h"
#include "platform/text.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/temp_dir.h"

namespace vornel::platform::qt {
namespace {

WindowSpec FrameSpec() {
  WindowSpec spec;
  spec.procedure = "Main";
  spec.title = "VORNEL";
  spec.frame = true;
  spec.status_parts = 4;
  MenuItem daily{"&Daily", "Daily report", kFirstCommand + 2, StandardAction::kNone, {}};
  MenuItem reports{"&Reports", "Reports", 0, StandardAction::kNone, {daily}};
  MenuItem open{"&Open", "Open a client", kFirstCommand + 1, StandardAction::kNone, {}};
  MenuItem separator{"-", "", 0, StandardAction::kNone, {}};
  MenuItem copy{"&Copy", "Copy", 0, StandardAction::kCopy, {}};
  MenuItem paste{"&Paste", "Paste", 0, StandardAction::kPaste, {}};
  spec.menu = {{"&File", "File things", 0, StandardAction::kNone, {open, separator, reports}},
               {"&Edit", "", 0, StandardAction::kNone, {copy, paste}}};
  spec.toolbar = {{"Exit Application", "Exit.ico", kFirstCommand + 3}, {"Plain", "", kFirstCommand + 4}};
  return spec;
}

std::unique_ptr<Window> OpenFrame() {
  auto frame = Backend().windows().Open(FrameSpec(), nullptr);
  EXPECT_EQ(frame->WaitEvent().kind, EventKind::kOpenWindow);
  return frame;
}

// A place inside the frame's area.
WindowPosition PlaceAt(int x, int y, int width, int height) {
  WindowPosition place;
  place.x = x;
  place.y = y;
  place.width = width;
  place.height = height;
  return place;
}

WindowSpec Plain(const std::string& title) {
  WindowSpec spec;
  spec.title = title;
  ControlSpec prompt;
  prompt.name = "?PROMPT";
  prompt.text = "Click anywhere";
  spec.controls = {prompt, Button("?OK", "OK")};
  return spec;
}

TEST(QtFrame, MenuToolbarStatusTitleAndCloseBox) {
  RunProcedure([&] {
    auto frame = OpenFrame();

    // A command two menus deep arrives as an accept of the command.
    QString hint;
    RunOnGui([&] {
      QAction* daily = ActionNamed(Frame(), "&Daily");
      ASSERT_NE(daily, nullptr);
      hint = daily->statusTip();
      daily->trigger();
    });
    EXPECT_EQ(hint, "Daily report");
    Event event = NextEvent(*frame);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, kFirstCommand + 2);

    QString tip;
    bool plain_has_no_icon = false;
    RunOnGui([&] {
      auto* tools = Frame()->findChild<QToolBar*>("toolbar");
      ASSERT_NE(tools, nullptr);
      QAction* exit = ActionNamed(tools, "Exit Application");
      ASSERT_NE(exit, nullptr);
      tip = exit->toolTip();
      plain_has_no_icon = ActionNamed(tools, "Plain")->icon().isNull() && !exit->icon().isNull();
      exit->trigger();
    });
    EXPECT_EQ(tip, "Exit Application");
    EXPECT_TRUE(plain_has_no_icon);
    event = NextEvent(*frame);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, kFirstCommand + 3);

    frame->SetStatus(1, "Ready");
    frame->SetStatus(3, "Dept 12");
    frame->SetTitle("VORNEL - Counselling");
    RunOnGui([&] {
      QMainWindow* main = Frame();
      EXPECT_EQ(main->windowTitle(), "VORNEL - Counselling");
      EXPECT_EQ(main->statusBar()->findChildren<QLabel*>(QRegularExpression("^status")).size(), 4);
      EXPECT_EQ(main->findChild<QLabel*>("status1")->text(), "Ready");
      EXPECT_EQ(main->findChild<QLabel*>("status2")->text(), "");
      EXPECT_EQ(main->findChild<QLabel*>("status3")->text(), "Dept 12");
    });

    // The close box only asks the procedure.
    bool closed = true;
    RunOnGui([&] { closed = Frame()->close(); });
    EXPECT_FALSE(closed);
    EXPECT_EQ(NextEvent(*frame).kind, EventKind::kCloseWindow);

    Backend().windows().CloseDown();
    EXPECT_EQ(NextEvent(*frame).kind, EventKind::kCloseDown);
    frame.reset();
    RunOnGui([&] { EXPECT_EQ(Frame(), nullptr); });
  });
}

TEST(QtSubWindow, EntriesChoicesAndButtonsReachTheProcedure) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    std::string name = "Adams";
    std::string active = "N";
    std::string status = "A";
    WindowSpec spec;
    spec.procedure = "UpdateClient";
    spec.title = "Client";
    ControlSpec check;
    check.name = "?ACTIVE";
    check.kind = ControlKind::kCheck;
    check.text = "Active";
    check.value = Ref(active);
    check.choices = {{"", "Y"}, {"", "N"}};
    spec.controls = {Entry("?NAME", "&Name:", "@s10", Ref(name)), Button("?OK", "&OK"), check,
                     DropChoice("?STATUS", "&Status:", Ref(status), {{"Active", "A"}, {"Inactive", "I"}}),
                     Button("?CANCEL", "Cancel")};
    auto window = Backend().windows().Open(spec, nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);

    QMdiSubWindow* sub = nullptr;
    QLineEdit* edit = nullptr;
    QPushButton* ok = nullptr;
    QCheckBox* box = nullptr;
    QComboBox* combo = nullptr;
    RunOnGui([&] {
      sub = SubWindow("Client");
      ASSERT_NE(sub, nullptr);
      edit = sub->findChild<QLineEdit*>("?NAME");
      ok = sub->findChild<QPushButton*>("?OK");
      box = sub->findChild<QCheckBox*>("?ACTIVE");
      combo = sub->findChild<QComboBox*>("?STATUS");
      ASSERT_TRUE(edit && ok && box && combo);
      EXPECT_EQ(edit->text(), "Adams");
      EXPECT_FALSE(box->isChecked());
      EXPECT_EQ(combo->currentText(), "Active");
    });
    ASSERT_NE(edit, nullptr);

    // Leaving a changed entry accepts it; the text is in the variable when
    // the procedure sees the event.
    RunOnGui([&] {
      edit->setText("Smith");
      emit edit->editingFinished();
    });
    Event event = NextEvent(*window);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, 1);
    EXPECT_EQ(name, "Smith");

    // Leaving it again unchanged is no second accept: the button's is next.
    RunOnGui([&] {
      emit edit->editingFinished();
      ok->click();
    });
    event = NextEvent(*window);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, 2);

    // Return accepts even unchanged text, once.
    RunOnGui([&] {
      emit edit->returnPressed();
      emit edit->editingFinished();
      ok->click();
    });
    event = NextEvent(*window);
    EXPECT_EQ(event.control, 1);
    EXPECT_EQ(NextEvent(*window).control, 2);

    RunOnGui([&] { box->click(); });
    event = NextEvent(*window);
    EXPECT_EQ(event.control, 3);
    EXPECT_EQ(active, "Y");
    RunOnGui([&] { emit combo->activated(1); });
    event = NextEvent(*window);
    EXPECT_EQ(event.control, 4);
    EXPECT_EQ(status, "I");

    // What the procedure changes reaches the widgets.
    name = "Jones";
    active = "N";
    status = "A";
    window->Display();
    window->SetEnabled(2, false);
    window->SetHidden(5, true);
    window->SetText(2, "&Save");
    window->SetTitle("Client: Jones");
    RunOnGui([&] {
      EXPECT_EQ(edit->text(), "Jones");
      EXPECT_FALSE(box->isChecked());
      EXPECT_EQ(combo->currentText(), "Active");
      EXPECT_FALSE(ok->isEnabled());
      EXPECT_EQ(ok->text(), "&Save");
      EXPECT_TRUE(sub->findChild<QPushButton*>("?CANCEL")->isHidden());
      EXPECT_EQ(sub->windowTitle(), "Client: Jones");
    });

    // The close box asks; the procedure's Close removes it from the frame.
    bool closed = true;
    RunOnGui([&] { closed = sub->close(); });
    EXPECT_FALSE(closed);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kCloseWindow);
    window.reset();
    RunOnGui([&] { EXPECT_EQ(SubWindow("Client: Jones"), nullptr); });
  });
}

// A drop combo shows every column of its rows, completes what is typed from
// the first column inline with the completed part selected, and tells the
// procedure which row was chosen.
TEST(QtSubWindow, ADropComboCompletesWhatIsTypedAndChoosesARow) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    std::string code;
    WindowSpec spec;
    spec.procedure = "PickStaff";
    spec.title = "Pick Staff";
    spec.controls = {DropCombo("?STAFF", "Staff:", "@s5", Ref(code)), Button("?OK", "&OK")};
    auto window = Backend().windows().Open(spec, nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);
    window->SetRows(1, {{"AMO01", "Amos"}, {"JON12", "Jones"}, {"JOR10", "Jordan"}});
    RunOnGui([&] {
      auto* combo = SubWindow("Pick Staff")->findChild<QComboBox*>("?STAFF");
      ASSERT_NE(combo, nullptr);
      EXPECT_EQ(combo->count(), 3);
      EXPECT_EQ(combo->model()->columnCount(), 2);
      QLineEdit* edit = combo->lineEdit();
      ASSERT_NE(edit, nullptr);
      edit->setFocus();
      for (const auto& [key, letter] : {std::pair{Qt::Key_J, "j"}, std::pair{Qt::Key_O, "o"}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, letter);
        QApplication::sendEvent(edit, &press);
      }
      EXPECT_EQ(edit->text().toUpper(), "JON12");
      EXPECT_EQ(edit->selectedText().toUpper(), "N12");
      emit edit->returnPressed();
      emit edit->editingFinished();
    });
    // Return chooses the row of the completed value, then takes the text.
    Event event = NextEvent(*window);
    EXPECT_EQ(event.kind, EventKind::kNewSelection);
    EXPECT_EQ(event.key, 2);
    event = NextEvent(*window);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, 1);
    EXPECT_EQ(platform::Upper(code), "JON12");
    RunOnGui([&] { emit SubWindow("Pick Staff")->findChild<QComboBox*>("?STAFF")->activated(2); });
    event = NextEvent(*window);
    EXPECT_EQ(event.kind, EventKind::kNewSelection);
    EXPECT_EQ(event.key, 3);
  });
}

TEST(QtSubWindow, TabsPlaceControlsOnTheirPages) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    std::string phone;
    WindowSpec spec;
    spec.title = "Tabs";
    ControlSpec entry = Entry("?PHONE", "Phone:", "@s12", Ref(phone));
    entry.tab = "Contact";
    spec.controls = {Tab("?TAB1", "General"), Tab("?TAB2", "Contact"), entry, Button("?OK", "OK")};
    auto window = Backend().windows().Open(spec, nullptr);
    window->Select(3);
    window->SetHidden(1, true);
    RunOnGui([&] {
      QMdiSubWindow* sub = SubWindow("Tabs");
      ASSERT_NE(sub, nullptr);
      auto* tabs = sub->findChild<QTabWidget*>();
      ASSERT_NE(tabs, nullptr);
      ASSERT_EQ(tabs->count(), 2);
      EXPECT_EQ(tabs->tabText(1), "Contact");
      EXPECT_NE(tabs->widget(1)->findChild<QLineEdit*>("?PHONE"), nullptr);
      EXPECT_EQ(tabs->currentIndex(), 1);  // the selected control's page
      EXPECT_FALSE(tabs->isTabVisible(0));
      // The buttons stay below the pages.
      EXPECT_EQ(tabs->findChild<QPushButton*>("?OK"), nullptr);
    });
  });
}

// A record form as the framework declares one: its fields on a "General"
// tab, the buttons below, OK the default and Cancel the cancel button.
WindowSpec TabbedForm(std::string& name, std::string& code, std::string& status) {
  WindowSpec spec;
  spec.title = "Adding a Record";
  spec.controls = {Tab("?General", "General"),
                   Entry("?NAME", "Last Name:", "@s30", Ref(name)),
                   Entry("?CODE", "Staff Code:", "@s5", Ref(code)),
                   Radio("?STATUS", "Status", Ref(status), {{"Active", "A"}, {"Inactive", "I"}}),
                   Button("?OK", "&OK"),
                   Button("?Cancel", "&Cancel")};
  for (std::size_t i = 1; i < 4; ++i) spec.controls[i].tab = "General";
  spec.default_button = "?OK";
  spec.cancel_button = "?Cancel";
  return spec;
}

TEST(QtSubWindow, AFormOpensShowingAllOfItsControlsAndTheKeysPressItsButtons) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    std::string name, code, status = "A";
    auto form = Backend().windows().Open(TabbedForm(name, code, status), nullptr);
    EXPECT_EQ(NextEvent(*form).kind, EventKind::kOpenWindow);
    form->Select(2);
    RunOnGui([] {});
    RunOnGui([&] {
      QMdiSubWindow* sub = SubWindow("Adding a Record");
      ASSERT_NE(sub, nullptr);
      const QRect window = sub->rect();
      for (const char* control : {"?NAME", "?CODE", "?STATUS", "?OK", "?Cancel"}) {
        QWidget* widget = sub->findChild<QWidget*>(control);
        ASSERT_NE(widget, nullptr) << control;
        const QRect at(widget->mapTo(sub, QPoint(0, 0)), widget->size());
        EXPECT_GE(widget->height(), widget->minimumSizeHint().height()) << control;
        EXPECT_GE(widget->width(), widget->minimumSizeHint().width()) << control;
        EXPECT_TRUE(window.contains(at)) << control << " lies outside its window";
      }
      // A five-character code is narrower than a thirty-character name.
      EXPECT_LT(sub->findChild<QWidget*>("?CODE")->width(), sub->findChild<QWidget*>("?NAME")->width());
      QWidget* area = Frame()->findChild<QMdiArea*>()->viewport();
      EXPECT_TRUE(QRect(QPoint(0, 0), area->size()).contains(sub->geometry()));
    });
    // Enter in an entry takes the text and presses OK; Escape presses Cancel.
    RunOnGui([] {
      auto* edit = SubWindow("Adding a Record")->findChild<QLineEdit*>("?NAME");
      edit->setText("Jones");
      SendKeyTo(edit, Qt::Key_Return);
    });
    Event typed = NextEvent(*form);
    EXPECT_EQ(typed.kind, EventKind::kAccepted);
    EXPECT_EQ(typed.control, 2);
    Event ok = NextEvent(*form);
    EXPECT_EQ(ok.kind, EventKind::kAccepted);
    EXPECT_EQ(ok.control, 5) << "Enter presses the default button";
    RunOnGui([] { PressEscape(SubWindow("Adding a Record")->findChild<QLineEdit*>("?CODE")); });
    Event cancel = NextEvent(*form);
    EXPECT_EQ(cancel.kind, EventKind::kAccepted);
    EXPECT_EQ(cancel.control, 6) << "Escape presses the cancel button";
  });
}

// Rows as declared: a control beside the one before shares its row, a long
// page splits into two columns, and an entry of several lines wraps its
// text and takes it on Return, which then presses the default button.
TEST(QtSubWindow, RowsBesideColumnsAndWrappedEntriesAreLaidOutAsDeclared) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    std::vector<std::string> values(20);
    WindowSpec spec;
    spec.title = "A Long Form";
    spec.controls = {Entry("?CITY", "City / State:", "@s24", Ref(values[0])),
                     Beside(Entry("?ST", "", "@s2", Ref(values[1]))),
                     Wrapped(Entry("?NOTE", "Note:", "@s255", Ref(values[2])), 4)};
    for (std::size_t i = 3; i < values.size(); ++i)
      spec.controls.push_back(Entry("?F" + std::to_string(i), "Field:", "@s10", Ref(values[i])));
    spec.controls.push_back(Button("?OK", "&OK"));
    spec.default_button = "?OK";
    auto form = Backend().windows().Open(spec, nullptr);
    EXPECT_EQ(NextEvent(*form).kind, EventKind::kOpenWindow);
    RunOnGui([] {});
    RunOnGui([] {
      QMdiSubWindow* sub = SubWindow("A Long Form");
      ASSERT_NE(sub, nullptr);
      auto at = [sub](const char* name) { return sub->findChild<QWidget*>(name)->mapTo(sub, QPoint(0, 0)); };
      EXPECT_EQ(at("?ST").y(), at("?CITY").y()) << "the state shares the city's row";
      EXPECT_GT(at("?ST").x(), at("?CITY").x());
      EXPECT_GT(sub->findChild<QWidget*>("?NOTE")->height(), 3 * sub->findChild<QWidget*>("?CITY")->height());
      EXPECT_GT(at("?F19").x(), at("?F3").x()) << "the last rows stand in a second column";
      EXPECT_LT(at("?F19").y(), at("?F10").y());
      // Tab goes through the fields as declared, beside and across columns.
      std::vector<QString> order;
      QWidget* field = sub->findChild<QWidget*>("?CITY");
      for (int steps = 0; steps < 200 && order.size() < 20; ++steps, field = field->nextInFocusChain()) {
        if ((field->focusPolicy() & Qt::TabFocus) && field->objectName().startsWith('?')) order.push_back(field->objectName());
      }
      ASSERT_GE(order.size(), 5u);
      EXPECT_EQ(order[0], "?CITY");
      EXPECT_EQ(order[1], "?ST");
      EXPECT_EQ(order[2], "?NOTE");
      EXPECT_EQ(order[3], "?F3");
      EXPECT_NE(std::find(order.begin(), order.end(), "?F19"), order.end());
      EXPECT_LT(std::find(order.begin(), order.end(), "?F10"), std::find(order.begin(), order.end(), "?F11"));
      auto* note = sub->findChild<QPlainTextEdit*>("?NOTE");
      note->setFocus();
      note->setPlainText("Moved to the new office on Main Street");
      SendKeyTo(note, Qt::Key_Return);
    });
    Event typed = NextEvent(*form);
    EXPECT_EQ(typed.kind, EventKind::kAccepted);
    EXPECT_EQ(typed.text, "Moved to the new office on Main Street");
    EXPECT_EQ(NextEvent(*form).control, static_cast<int>(values.size()) + 1) << "Return pressed OK";
  });
}

// Closing the program first gives the text still being typed to its form,
// then asks the form to close; a form that stays open keeps the program.
TEST(QtSubWindow, ClosingAllTakesTheTypedTextAndAFormThatStaysKeepsTheProgram) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    std::string name, code, status = "A";
    auto form = Backend().windows().Open(TabbedForm(name, code, status), nullptr);
    EXPECT_EQ(NextEvent(*form).kind, EventKind::kOpenWindow);
    RunOnGui([] {
      Frame()->activateWindow();
      auto* edit = SubWindow("Adding a Record")->findChild<QLineEdit*>("?NAME");
      edit->setFocus();
      edit->setText("Jones");  // typed, not yet left
    });
    std::atomic<int> answer{-1};
    std::thread asker([&] { answer = Backend().windows().AskAllToClose() ? 1 : 0; });
    Event typed = NextEvent(*form);
    EXPECT_EQ(typed.kind, EventKind::kAccepted);
    EXPECT_EQ(typed.control, 2);
    EXPECT_EQ(typed.text, "Jones");
    EXPECT_EQ(NextEvent(*form).kind, EventKind::kCloseDown);
    // The form waits for the user again: it stays, and so does the program.
    std::thread notifier([&] {
      asker.join();
      form->Post({EventKind::kNotify, 0, 0, {}});
    });
    EXPECT_EQ(NextEvent(*form).kind, EventKind::kNotify);
    notifier.join();
    EXPECT_EQ(answer.load(), 0);
    std::thread second([&] { answer = Backend().windows().AskAllToClose() ? 1 : 0; });
    EXPECT_EQ(NextEvent(*form).kind, EventKind::kCloseDown);
    form->Close();
    second.join();
    EXPECT_EQ(answer.load(), 1);
  });
}

TEST(QtSubWindow, APlaceIsRestoredExactlyAndKeptReachable) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto window = Backend().windows().Open(Plain("Placed"), nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);
    WindowPosition place = PlaceAt(40, 30, 320, 180);
    window->Place(place);
    for (int round = 0; round < 3; ++round) {  // saved, restored, saved again ...
      RunOnGui([] {});
      const std::optional<WindowPosition> at = window->Position();
      ASSERT_TRUE(at.has_value());
      EXPECT_EQ(at->x, 40);
      EXPECT_EQ(at->y, 30);
      EXPECT_EQ(at->width, 320);
      EXPECT_EQ(at->height, 180);
      window->Place(*at);
    }
    // Saved far off, or minimised, it comes back whole and in reach.
    place.x = -500;
    place.y = 5000;
    place.minimized = true;
    window->Place(place);
    RunOnGui([] {});
    RunOnGui([] {
      QMdiSubWindow* sub = SubWindow("Placed");
      EXPECT_FALSE(sub->isMinimized());
      QWidget* area = Frame()->findChild<QMdiArea*>()->viewport();
      EXPECT_TRUE(QRect(QPoint(0, 0), area->size()).contains(sub->geometry()));
    });
  });
}

// Tile and Cascade arrange the windows inside the frame, the frame keeps its
// size, and the places the windows keep (and save) are still their own; a
// new window opens below and right of the one in front.
TEST(QtFrame, TileAndCascadeStayInsideTheFrameAndAreNotSaved) {
  RunProcedure([&] {
    WindowSpec frame_spec = FrameSpec();
    MenuItem tile{"&Tile", "", 0, StandardAction::kTile, {}};
    MenuItem cascade{"&Cascade", "", 0, StandardAction::kCascade, {}};
    frame_spec.menu.push_back({"&Window", "", 0, StandardAction::kNone, {tile, cascade}});
    auto frame = Backend().windows().Open(frame_spec, nullptr);
    EXPECT_EQ(frame->WaitEvent().kind, EventKind::kOpenWindow);
    auto one = Backend().windows().Open(Plain("One"), nullptr);
    EXPECT_EQ(NextEvent(*one).kind, EventKind::kOpenWindow);
    auto two = Backend().windows().Open(Plain("Two"), nullptr);
    EXPECT_EQ(NextEvent(*two).kind, EventKind::kOpenWindow);
    RunOnGui([] {});
    RunOnGui([] {
      EXPECT_GT(SubWindow("Two")->x(), SubWindow("One")->x());
      EXPECT_GT(SubWindow("Two")->y(), SubWindow("One")->y());
    });
    WindowPosition place = PlaceAt(200, 100, 300, 150);
    one->Place(place);
    RunOnGui([] {});
    const std::optional<WindowPosition> own = one->Position();
    QSize frame_size;
    RunOnGui([&] { frame_size = Frame()->size(); });
    for (const char* arrange : {"&Tile", "&Cascade"}) {
      RunOnGui([&] { ActionNamed(Frame(), arrange)->trigger(); });
      RunOnGui([] {});
      RunOnGui([&] {
        EXPECT_EQ(Frame()->size(), frame_size) << arrange;
        QWidget* area = Frame()->findChild<QMdiArea*>()->viewport();
        for (const char* title : {"One", "Two"})
          EXPECT_TRUE(QRect(QPoint(0, 0), area->size()).contains(SubWindow(title)->geometry())) << arrange << title;
        EXPECT_NE(SubWindow("One")->geometry(), QRect(200, 100, 300, 150)) << arrange << " moved nothing";
      });
      const std::optional<WindowPosition> kept = one->Position();
      ASSERT_TRUE(kept.has_value());
      EXPECT_EQ(kept->x, own->x) << arrange;
      EXPECT_EQ(kept->width, own->width) << arrange;
    }
  });
}

TEST(QtSubWindow, OwnersAreDisabledWhileTheirWindowIsOpen) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto list = Backend().windows().Open(Plain("List"), nullptr);
    auto form = Backend().windows().Open(Plain("Form"), list.get());
    RunOnGui([&] {
      EXPECT_FALSE(SubWindow("List")->isEnabled());
      EXPECT_TRUE(SubWindow("Form")->isEnabled());
    });
    form.reset();
    RunOnGui([&] { EXPECT_TRUE(SubWindow("List")->isEnabled()); });

    // A modal window of its own holds the frame's menus and tools.
    WindowSpec modal = Plain("Password");
    modal.modal = true;
    auto password = Backend().windows().Open(modal, nullptr);
    RunOnGui([&] {
      EXPECT_FALSE(Frame()->menuBar()->isEnabled());
      EXPECT_FALSE(Frame()->findChild<QToolBar*>("toolbar")->isEnabled());
    });
    password.reset();
    RunOnGui([&] { EXPECT_TRUE(Frame()->menuBar()->isEnabled()); });
  });
}

TEST(QtSubWindow, PlacePositionClickTimerAndFocus) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto about = Backend().windows().Open(Plain("About"), nullptr);
    EXPECT_EQ(NextEvent(*about).kind, EventKind::kOpenWindow);
    EXPECT_TRUE(about->Position().has_value());

    WindowPosition place = PlaceAt(10, 20, 300, 200);
    about->Place(place);
    RunOnGui([] {});
    std::optional<WindowPosition> at = about->Position();
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(at->x, 10);
    EXPECT_EQ(at->y, 20);
    EXPECT_EQ(at->width, 300);
    EXPECT_EQ(at->height, 200);
    EXPECT_FALSE(at->maximized);

    // Maximized, it keeps the place it comes back to.
    place = {};
    place.maximized = true;
    about->Place(place);
    RunOnGui([] {});
    at = about->Position();
    EXPECT_TRUE(at->maximized);
    EXPECT_EQ(at->x, 10);
    EXPECT_EQ(at->width, 300);

    // A click on the window (here on its text) accepts the window.
    RunOnGui([] {
      QLabel* text = SubWindow("About")->findChild<QLabel*>("?PROMPT");
      QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), text->mapToGlobal(QPointF(2, 2)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(text, &press);
    });
    Event event = NextEvent(*about);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, 0);

    // Another window taking the focus and giving it back.
    auto other = Backend().windows().Open(Plain("Other"), nullptr);
    RunOnGui([] { Frame()->findChild<QMdiArea*>()->setActiveSubWindow(SubWindow("About")); });
    Event focus;
    do {
      focus = about->WaitEvent();
    } while (focus.kind == EventKind::kLoseFocus);
    EXPECT_EQ(focus.kind, EventKind::kGainFocus);

    about->SetTimer(1);
    EXPECT_EQ(NextEvent(*about).kind, EventKind::kTimer);
    about->SetTimer(0);
  });
}

TEST(QtFrame, CopyAndPasteWorkOnTheFocusedEntry) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    std::string from = "Copied";
    std::string to;
    WindowSpec spec;
    spec.title = "Edit";
    spec.controls = {Entry("?FROM", "From:", "@s20", Ref(from)), Entry("?TO", "To:", "@s20", Ref(to))};
    auto window = Backend().windows().Open(spec, nullptr);
    window->Select(1);
    RunOnGui([&] {
      QMdiSubWindow* sub = SubWindow("Edit");
      ASSERT_NE(sub, nullptr);
      Frame()->activateWindow();
      ASSERT_EQ(QApplication::focusWidget(), sub->findChild<QLineEdit*>("?FROM"));
      ActionNamed(Frame(), "&Copy")->trigger();
      sub->findChild<QLineEdit*>("?TO")->setFocus();
      ActionNamed(Frame(), "&Paste")->trigger();
      EXPECT_EQ(sub->findChild<QLineEdit*>("?TO")->text(), "Copied");
    });
  });
}

TEST(QtMessages, MessageBoxesAnswerTheButtonPressed) {
  RunProcedure([&] {
    MessageBoxRequest request;
    request.text = "Delete this visit?|It cannot be undone.";
    request.caption = "Delete";
    request.icon = Icon::kExclamation;
    request.buttons = kButtonYes | kButtonNo;
    request.default_button = kButtonNo;

    QString text;
    bool shows_ok = true;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenShown<QMessageBox>("message", [&](QMessageBox* box) {
      text = box->text();
      icon = box->icon();
      shows_ok = box->button(QMessageBox::Ok) != nullptr;
      box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(Backend().display().ShowMessage(request), kButtonYes);
    EXPECT_EQ(text, "Delete this visit?\nIt cannot be undone.");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_FALSE(shows_ok);

    // Escape answers the default when there is no Cancel ...
    WhenShown<QMessageBox>("message", [](QMessageBox* box) { PressEscape(box); });
    EXPECT_EQ(Backend().display().ShowMessage(request), kButtonNo);

    // ... and Cancel when there is one; asked on the GUI thread itself.
    request.buttons = kButtonOk | kButtonCancel;
    request.default_button = kButtonOk;
    WhenShown<QMessageBox>("message", [](QMessageBox* box) { PressEscape(box); });
    int answer = 0;
    RunOnGui([&] { answer = Backend().display().ShowMessage(request); });
    EXPECT_EQ(answer, kButtonCancel);
  });
}

TEST(QtMessages, HistoryWindowListsTheRows) {
  RunProcedure([&] {
    MessageBoxRequest request;
    request.text = "Messages so far";
    request.caption = "Message History";
    request.buttons = kButtonOk | kButtonCancel;
    request.default_button = kButtonOk;
    const std::vector<HistoryRow> rows = {{"Record changed by another station", "Warning"},
                                          {"File not found", "Error"}};
    int shown_rows = 0;
    QString second;
    QString caption;
    WhenShown<QDialog>("history", [&](QDialog* dialog) {
      auto* table = dialog->findChild<QTableWidget*>("rows");
      shown_rows = table->rowCount();
      second = table->item(1, 0)->text() + "/" + table->item(1, 1)->text();
      caption = dialog->windowTitle();
      dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(Backend().display().ShowHistory(request, rows), kButtonOk);
    EXPECT_EQ(shown_rows, 2);
    EXPECT_EQ(second, "File not found/Error");
    EXPECT_EQ(caption, "Message History");

    WhenShown<QDialog>("history", [](QDialog* dialog) { PressEscape(dialog); });
    EXPECT_EQ(Backend().display().ShowHistory(request, rows), kButtonCancel);
  });
}

// The program itself on a small generated root: the frame opens with its
// title, menus and status bar; "&About" opens the About box, which closes
// with its close box; the frame's close box ends the program.
TEST(QtProgram, FrameOpensOnADemoRootAndAWindowOpensAndCloses) {
  // The About boxes shown now.
  auto about_boxes = [] {
    std::vector<QMdiSubWindow*> boxes;
    RunOnGui([&] {
      if (QMainWindow* frame = Frame()) {
        for (QMdiSubWindow* sub : frame->findChild<QMdiArea*>()->subWindowList())
          if (sub->windowTitle() == "VORNEL for Windows" && sub->isVisible()) boxes.push_back(sub);
      }
    });
    return boxes;
  };
  RunProgramAsUser([&](app::Program&) {
    while (about_boxes().size() != 1) std::this_thread::yield();
    QPointer<QMdiSubWindow> splash;
    RunOnGui([&] { splash = about_boxes()[0]; });
    RunOnGui([&] {
      QMainWindow* frame = Frame();
      ASSERT_NE(frame, nullptr);
      EXPECT_EQ(frame->windowTitle().toStdString(),
                "VORNEL for Windows  Riverbend Counseling Services      Current Dept:    1 - OUTPATIENT");
      QStringList menus;
      for (QAction* action : frame->menuBar()->actions()) menus << action->text();
      EXPECT_EQ(menus.join(","), "&File,&Edit,Browse &Lists,&Daily Entries,&Billing Options,"
                                 "&Statistical Reports,Data &Maintenance,&Setup,&Window,&Help");
      EXPECT_EQ(frame->findChild<QLabel*>("status4")->text(), "VN-3.09b");
      EXPECT_FALSE(frame->findChild<QLabel*>("status3")->text().isEmpty());
      ActionNamed(frame, "&About")->trigger();
    });
    // The splash closes at the first action; the box from the menu opens.
    auto splash_gone = [&] {
      bool gone = false;
      RunOnGui([&] { gone = splash.isNull() || !splash->isVisible(); });
      return gone;
    };
    std::vector<QMdiSubWindow*> boxes;
    while (!splash_gone() || (boxes = about_boxes()).size() != 1) std::this_thread::yield();
    RunOnGui([&] { boxes[0]->close(); });
    while (!about_boxes().empty()) std::this_thread::yield();
    RunOnGui([] { Frame()->close(); });
  });
}


// Lists: the procedure shows one page of rows, its current row and the thumb;
// what the user does with the list comes back as list events, and nothing the
// procedure shows does.

WindowSpec ListWindow(const std::string& title, std::vector<std::string> columns) {
  WindowSpec spec;
  spec.procedure = "BrowseClients";
  spec.title = title;
  ControlSpec list;
  list.name = "?LIST";
  list.kind = ControlKind::kList;
  list.columns = std::move(columns);
  spec.controls = {list, Button("?CLOSE", "Close")};
  return spec;
}

const std::vector<std::vector<std::string>> kThreeClients = {
    {"Adams, Ann", "1001"}, {"Baker, Bob", "1002"}, {"Clark, Cy", "1003"}};

// GUI thread: the list of the sub-window with that title.
QTableWidget* ListTable(const QString& title) {
  QMdiSubWindow* sub = SubWindow(title);
  if (sub == nullptr) return nullptr;
  QWidget* list = sub->findChild<QWidget*>("?LIST");
  return list != nullptr ? list->findChild<QTableWidget*>("rows") : nullptr;
}

QScrollBar* ListThumb(const QString& title) {
  QMdiSubWindow* sub = SubWindow(title);
  return sub != nullptr ? sub->findChild<QScrollBar*>("thumb") : nullptr;
}

// The rows (from 1) the table shows selected.
std::vector<int> SelectedRows(QTableWidget* table) {
  std::vector<int> rows;
  for (const QModelIndex& index : table->selectionModel()->selectedRows()) rows.push_back(index.row() + 1);
  return rows;
}

void SendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(to, &press);
}

// A mouse event on a row (from 1) of the table.
void SendMouse(QTableWidget* table, QEvent::Type type, int row, Qt::MouseButton button) {
  QWidget* viewport = table->viewport();
  const QPointF at = QRectF(table->visualRect(table->model()->index(row - 1, 0))).center();
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(viewport, &event);
}

void SendWheel(QTableWidget* table, int delta) {
  QWidget* viewport = table->viewport();
  const QPointF at(5, 5);
  QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &wheel);
}

// The events of control 1 queued now are exactly `expected` (kind, key).
void ExpectListEvents(Window& window, const std::vector<std::pair<EventKind, int>>& expected) {
  window.Post({EventKind::kNotify, 0, 0, {}});
  for (const auto& [kind, key] : expected) {
    const Event event = NextEvent(window);
    EXPECT_EQ(event.kind, kind);
    EXPECT_EQ(event.key, key);
    if (event.kind == EventKind::kNotify) return;
    EXPECT_EQ(event.control, 1);
  }
  const Event last = NextEvent(window);
  EXPECT_EQ(last.kind, EventKind::kNotify) << "an event more, key " << last.key;
}

// Row colours come as BGR values and stay with the rows of later pages
// (the appointment book shades the visits of even days).
TEST(QtList, ShadesTheRowsItIsGivenColoursForInEveryColumn) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto window = Backend().windows().Open(ListWindow("Days", {"Name", "Number"}), nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);
    constexpr std::int32_t kPaleGreen = 14942171;  // 0xE3FFDB: blue E3, green FF, red DB
    window->SetRows(1, kThreeClients);
    window->SetRowColours(1, {kPaleGreen, Window::kDefaultColour, kPaleGreen});
    const QColor green(0xDB, 0xFF, 0xE3);
    RunOnGui([&] {
      QTableWidget* table = ListTable("Days");
      ASSERT_TRUE(table);
      for (int column = 0; column < 2; ++column) {
        EXPECT_EQ(table->item(0, column)->background().color(), green);
        EXPECT_EQ(table->item(1, column)->background().style(), Qt::NoBrush);
        EXPECT_EQ(table->item(2, column)->background().color(), green);
      }
    });
    // A longer page with the colours of its own rows.
    window->SetRows(1, {{"Dunn, Di", "1004"}, {"Eve, Ed", "1005"}, {"Fry, Fa", "1006"}, {"Gray, Gi", "1007"}});
    window->SetRowColours(1, {Window::kDefaultColour, kPaleGreen, Window::kDefaultColour, kPaleGreen});
    RunOnGui([&] {
      QTableWidget* table = ListTable("Days");
      EXPECT_EQ(table->item(0, 1)->background().style(), Qt::NoBrush);
      EXPECT_EQ(table->item(1, 1)->background().color(), green);
      EXPECT_EQ(table->item(3, 0)->background().color(), green);
    });
  });
}

// Columns keep the widths of the first page, but one whose text a later page
// would cut widens to show it (a date paid the first page left empty).
TEST(QtList, AColumnWidensForALaterPagesText) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto window = Backend().windows().Open(ListWindow("Paid", {"Name", "Paid"}), nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);
    window->SetRows(1, {{"Adams, Al", ""}});
    int first = 0;
    RunOnGui([&] { first = ListTable("Paid")->columnWidth(1); });
    window->SetRows(1, {{"Adams, Al", "12/08/2026 paid in full at the desk"}});
    RunOnGui([&] {
      QTableWidget* table = ListTable("Paid");
      EXPECT_GT(table->columnWidth(1), first);
      EXPECT_GE(table->columnWidth(1), table->fontMetrics().horizontalAdvance(table->item(0, 1)->text()));
    });
  });
}

TEST(QtList, ShowsThePageCurrentRowAndThumbWithoutPostingBack) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto window = Backend().windows().Open(ListWindow("Clients", {"Name", "Number"}), nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);
    window->SetRows(1, kThreeClients);
    window->SetCurrentRow(1, 2);
    window->SetThumb(1, 40, true);
    RunOnGui([&] {
      QTableWidget* table = ListTable("Clients");
      QScrollBar* thumb = ListThumb("Clients");
      ASSERT_TRUE(table && thumb);
      EXPECT_EQ(table->rowCount(), 3);
      ASSERT_EQ(table->columnCount(), 2);
      EXPECT_FALSE(table->horizontalHeader()->isHidden());
      EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Name");
      EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Number");
      EXPECT_EQ(table->item(2, 0)->text(), "Clark, Cy");
      EXPECT_EQ(table->item(2, 1)->text(), "1003");
      EXPECT_EQ(SelectedRows(table), std::vector<int>{2});
      EXPECT_EQ(table->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
      EXPECT_EQ(thumb->minimum(), 0);
      EXPECT_EQ(thumb->maximum(), 100);
      EXPECT_EQ(thumb->value(), 40);
      EXPECT_TRUE(thumb->isVisible());
    });
    ExpectListEvents(*window, {});

    // A shorter page, no current row, no thumb; and the next page in place
    // of the first.
    window->SetRows(1, {{"Dunn, Di", "1004"}});
    window->SetCurrentRow(1, 0);
    window->SetThumb(1, 0, false);
    RunOnGui([&] {
      QTableWidget* table = ListTable("Clients");
      EXPECT_EQ(table->rowCount(), 1);
      EXPECT_EQ(table->item(0, 0)->text(), "Dunn, Di");
      EXPECT_TRUE(SelectedRows(table).empty());
      EXPECT_TRUE(ListThumb("Clients")->isHidden());
    });
    window->SetRows(1, kThreeClients);
    window->SetCurrentRow(1, 3);
    RunOnGui([&] { EXPECT_EQ(SelectedRows(ListTable("Clients")), std::vector<int>{3}); });
    ExpectListEvents(*window, {});

    // Without headers a list shows as many columns as its widest row.
    auto plain = Backend().windows().Open(ListWindow("Codes", {}), nullptr);
    plain->SetRows(1, {{"A"}, {"B", "Billing", "x"}});
    RunOnGui([&] {
      QTableWidget* table = ListTable("Codes");
      ASSERT_NE(table, nullptr);
      EXPECT_EQ(table->columnCount(), 3);
      EXPECT_TRUE(table->horizontalHeader()->isHidden());
      EXPECT_EQ(table->item(1, 1)->text(), "Billing");
      EXPECT_EQ(table->item(0, 2)->text(), "");
    });
  });
}

TEST(QtList, UserInputBecomesListEvents) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto window = Backend().windows().Open(ListWindow("Browse", {"Name", "Number"}), nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);
    window->SetRows(1, kThreeClients);
    window->SetCurrentRow(1, 2);
    window->SetThumb(1, 40, true);
    QTableWidget* table = nullptr;
    QScrollBar* thumb = nullptr;
    RunOnGui([&] {
      table = ListTable("Browse");
      thumb = ListThumb("Browse");
    });
    ASSERT_TRUE(table && thumb);

    {
      SCOPED_TRACE("clicks");
      std::vector<int> selected;
      RunOnGui([&] {
        SendMouse(table, QEvent::MouseButtonPress, 3, Qt::LeftButton);
        SendMouse(table, QEvent::MouseButtonRelease, 3, Qt::LeftButton);
        selected = SelectedRows(table);
      });
      EXPECT_EQ(selected, std::vector<int>{3});
      ExpectListEvents(*window, {{EventKind::kNewSelection, 3}});
      RunOnGui([&] { SendMouse(table, QEvent::MouseButtonDblClick, 1, Qt::LeftButton); });
      ExpectListEvents(*window, {{EventKind::kNewSelection, 1}, {EventKind::kAlertKey, kKeyDoubleClick}});
      RunOnGui([&] {
        SendMouse(table, QEvent::MouseButtonPress, 2, Qt::RightButton);
        SendMouse(table, QEvent::MouseButtonRelease, 2, Qt::RightButton);
      });
      ExpectListEvents(*window, {{EventKind::kNewSelection, 2}, {EventKind::kAlertKey, kKeyRightButtonUp}});
    }
    {
      SCOPED_TRACE("moving keys scroll; Qt moves nothing itself");
      window->SetCurrentRow(1, 2);
      std::vector<int> selected;
      RunOnGui([&] {
        SendKey(table, Qt::Key_Down);
        SendKey(table, Qt::Key_Up);
        SendKey(table, Qt::Key_PageDown);
        SendKey(table, Qt::Key_PageUp);
        SendKey(table, Qt::Key_End, Qt::ControlModifier);
        SendKey(table, Qt::Key_Home, Qt::ControlModifier);
        selected = SelectedRows(table);
      });
      EXPECT_EQ(selected, std::vector<int>{2});
      ExpectListEvents(*window, {{EventKind::kScroll, kLineDown},
                                 {EventKind::kScroll, kLineUp},
                                 {EventKind::kScroll, kPageDown},
                                 {EventKind::kScroll, kPageUp},
                                 {EventKind::kScroll, kBottom},
                                 {EventKind::kScroll, kTop}});
    }
    {
      SCOPED_TRACE("the wheel, three lines a notch, half notches adding up");
      RunOnGui([&] {
        SendWheel(table, -120);
        SendWheel(table, 60);
        SendWheel(table, 60);
      });
      ExpectListEvents(*window, {{EventKind::kScroll, kLineDown},
                                 {EventKind::kScroll, kLineDown},
                                 {EventKind::kScroll, kLineDown},
                                 {EventKind::kScroll, kLineUp},
                                 {EventKind::kScroll, kLineUp},
                                 {EventKind::kScroll, kLineUp}});
    }
    {
      SCOPED_TRACE("alert keys");
      RunOnGui([&] {
        SendKey(table, Qt::Key_Insert);
        SendKey(table, Qt::Key_Delete);
        SendKey(table, Qt::Key_Backspace);
        SendKey(table, Qt::Key_Menu);
        SendKey(table, Qt::Key_Return, Qt::ControlModifier);
        SendKey(table, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        SendKey(table, Qt::Key_Return);  // plain Return is not the list's
      });
      ExpectListEvents(*window, {{EventKind::kAlertKey, kKeyInsert},
                                 {EventKind::kAlertKey, kKeyDelete},
                                 {EventKind::kAlertKey, kKeyBackspace},
                                 {EventKind::kAlertKey, kKeyApplication},
                                 {EventKind::kAlertKey, kKeyCtrlEnter},
                                 {EventKind::kAlertKey, kKeyShiftEnter}});
    }
    {
      SCOPED_TRACE("typed characters");
      std::vector<int> selected;
      RunOnGui([&] {
        SendKey(table, Qt::Key_S, Qt::ShiftModifier, "S");
        SendKey(table, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
        SendKey(table, Qt::Key_Space, Qt::NoModifier, " ");
        SendKey(table, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x416)));  // beyond Latin-1
        SendKey(table, Qt::Key_S, Qt::ControlModifier, QString(QChar(0x13)));
        SendKey(table, Qt::Key_A, Qt::AltModifier, "a");
        selected = SelectedRows(table);
      });
      EXPECT_EQ(selected, std::vector<int>{2});  // no search by Qt
      ExpectListEvents(*window, {{EventKind::kAlertKey, kKeyCharacter + 'S'},
                                 {EventKind::kAlertKey, kKeyCharacter + 0xE9},
                                 {EventKind::kAlertKey, kKeyCharacter + ' '}});
    }
    {
      SCOPED_TRACE("the thumb");
      int after_step = 0;
      RunOnGui([&] {
        thumb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        thumb->triggerAction(QAbstractSlider::SliderSingleStepSub);
        thumb->triggerAction(QAbstractSlider::SliderPageStepAdd);
        thumb->triggerAction(QAbstractSlider::SliderPageStepSub);
        after_step = thumb->value();
        thumb->setSliderDown(true);
        thumb->setValue(37);
        thumb->setSliderDown(false);
      });
      EXPECT_EQ(after_step, 40);  // it moves only when the procedure says so
      ExpectListEvents(*window, {{EventKind::kScroll, kLineDown},
                                 {EventKind::kScroll, kLineUp},
                                 {EventKind::kScroll, kPageDown},
                                 {EventKind::kScroll, kPageUp},
                                 {EventKind::kThumb, 37}});
      window->SetThumb(1, 55, true);
      RunOnGui([&] { EXPECT_EQ(thumb->value(), 55); });
      ExpectListEvents(*window, {});
    }
  });
}

TEST(QtList, VisibleRowsFollowTheListsHeight) {
  RunProcedure([&] {
    auto frame = OpenFrame();
    auto window = Backend().windows().Open(ListWindow("Sized", {"Name", "Number"}), nullptr);
    window->SetRows(1, kThreeClients);
    int fit = 0;
    int height = 0;
    RunOnGui([&] {
      QTableWidget* table = ListTable("Sized");
      ASSERT_NE(table, nullptr);
      fit = table->viewport()->height() / table->verticalHeader()->defaultSectionSize();
      height = SubWindow("Sized")->height();
    });
    const int opened = window->VisibleRows(1);
    EXPECT_EQ(opened, fit);
    EXPECT_GE(opened, 8);  // it opens with room for a useful page
    RunOnGui([&] {
      QMdiSubWindow* sub = SubWindow("Sized");
      sub->resize(sub->width(), height + 400);
    });
    const int taller = window->VisibleRows(1);
    RunOnGui([&] {
      QTableWidget* table = ListTable("Sized");
      EXPECT_EQ(taller, table->viewport()->height() / table->verticalHeader()->defaultSectionSize());
    });
    EXPECT_GT(taller, opened + 5);
  });
}

// The frame's standard tool buttons: their commands go to the window the user
// works in, which also decides whether they are enabled and what they say.

constexpr int kInsertTool = 3001;
constexpr int kNextTool = 3009;

WindowSpec StandardToolFrameSpec() {
  WindowSpec spec = FrameSpec();
  spec.toolbar = {{"Exit Application", "Exit.ico", kFirstCommand + 3, false},
                  {"Insert", "insert", kInsertTool, true},
                  {"Next", "next", kNextTool, true}};
  return spec;
}

struct ToolShown {
  bool enabled = false;
  std::string tip;
  bool operator==(const ToolShown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ToolShown& shown) {
  return out << (shown.enabled ? "enabled" : "disabled") << " \"" << shown.tip << "\"";
}

// GUI thread: the frame's tool button with that text.
QAction* Tool(const QString& text) {
  QMainWindow* frame = Frame();
  return frame != nullptr ? ActionNamed(frame->findChild<QToolBar*>("toolbar"), text) : nullptr;
}

// What the Insert and Next buttons show; their status tips follow their tips.
std::pair<ToolShown, ToolShown> StandardToolsShown() {
  std::pair<ToolShown, ToolShown> shown;
  RunOnGui([&] {
    auto read = [](const QString& text, ToolShown& into) {
      QAction* action = Tool(text);
      ASSERT_NE(action, nullptr);
      EXPECT_EQ(action->statusTip(), action->toolTip());
      into = {action->isEnabled(), FromQt(action->toolTip())};
    };
    read("Insert", shown.first);
    read("Next", shown.second);
  });
  return shown;
}

const ToolShown kInsertOff{false, "Insert"};
const ToolShown kNextOff{false, "Next"};

// Nothing is queued on `window` now but focus changes.
void ExpectNothingQueued(Window& window) {
  window.Post({EventKind::kNotify, 0, 0, {}});
  const Event event = NextEvent(window);
  EXPECT_EQ(event.kind, EventKind::kNotify) << "control " << event.control;
}

void ActivateSubWindow(const QString& title) {
  RunOnGui([&] { Frame()->findChild<QMdiArea*>()->setActiveSubWindow(SubWindow(title)); });
}

TEST(QtStandardTools, FollowTheActiveWindowAndPostToIt) {
  RunProcedure([&] {
    auto frame = Backend().windows().Open(StandardToolFrameSpec(), nullptr);
    EXPECT_EQ(frame->WaitEvent().kind, EventKind::kOpenWindow);
    {
      SCOPED_TRACE("laid out after the frame's own buttons, with drawn icons");
      RunOnGui([&] {
        QStringList texts;
        for (QAction* action : Frame()->findChild<QToolBar*>("toolbar")->actions())
          texts << (action->isSeparator() ? "|" : action->text());
        EXPECT_EQ(texts.join(","), "Exit Application,|,Insert,Next");
        const QImage insert = Tool("Insert")->icon().pixmap(16).toImage();
        const QImage next = Tool("Next")->icon().pixmap(16).toImage();
        EXPECT_FALSE(insert.isNull());
        EXPECT_FALSE(next.isNull());
        EXPECT_NE(insert, next);
      });
    }
    EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, kNextOff)) << "no window open";

    auto a = Backend().windows().Open(Plain("A"), nullptr);
    EXPECT_EQ(NextEvent(*a).kind, EventKind::kOpenWindow);
    EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, kNextOff)) << "A gives no states yet";
    a->SetToolButtons({{kNextTool, true, "Go to the Next Record"}});
    EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, ToolShown{true, "Go to the Next Record"}));
    {
      SCOPED_TRACE("a standard button posts to the active window, not to the frame");
      RunOnGui([&] { Tool("Next")->trigger(); });
      const Event event = NextEvent(*a);
      EXPECT_EQ(event.kind, EventKind::kAccepted);
      EXPECT_EQ(event.control, kNextTool);
      ExpectNothingQueued(*frame);
    }

    auto b = Backend().windows().Open(Plain("B"), nullptr);
    EXPECT_EQ(NextEvent(*b).kind, EventKind::kOpenWindow);
    EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, kNextOff)) << "B, opened, is active";
    {
      SCOPED_TRACE("a command the active window does not enable goes nowhere");
      RunOnGui([&] { emit Tool("Next")->triggered(false); });
      ExpectNothingQueued(*b);
      ExpectNothingQueued(*a);
      ExpectNothingQueued(*frame);
    }
    {
      SCOPED_TRACE("an inactive window's states wait until it is active again");
      a->SetToolButtons({{kNextTool, true, ""}, {kInsertTool, true, "Add a Visit"}});
      EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, kNextOff));
      ActivateSubWindow("A");
      EXPECT_EQ(StandardToolsShown(), std::make_pair(ToolShown{true, "Add a Visit"}, ToolShown{true, "Next"}));
      ActivateSubWindow("B");
      EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, kNextOff));
      ActivateSubWindow("A");
      RunOnGui([&] { Tool("Insert")->trigger(); });
      EXPECT_EQ(NextEvent(*a).control, kInsertTool);
    }
    {
      SCOPED_TRACE("the active window's new states show at once");
      a->SetToolButtons({{kNextTool, false, "No more records"}, {kInsertTool, true, ""}});
      EXPECT_EQ(StandardToolsShown(), std::make_pair(ToolShown{true, "Insert"}, ToolShown{false, "No more records"}));
    }
    RunOnGui([&] { Frame()->findChild<QMdiArea*>()->setActiveSubWindow(nullptr); });
    EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, kNextOff)) << "no active window";

    ActivateSubWindow("A");
    EXPECT_TRUE(StandardToolsShown().first.enabled);
    a.reset();
    EXPECT_EQ(StandardToolsShown(), std::make_pair(kInsertOff, kNextOff)) << "A closed";

    // The frame's own button still posts to the frame.
    RunOnGui([&] { Tool("Exit Application")->trigger(); });
    const Event event = NextEvent(*frame);
    EXPECT_EQ(event.kind, EventKind::kAccepted);
    EXPECT_EQ(event.control, kFirstCommand + 3);
    ExpectNothingQueued(*b);
  });
}

// The staff list of the real program: a staff member added through its form
// shows in the list.
TEST(QtProgram, AStaffMemberAddedThroughTheFormShowsInTheList) {
  // Waits until the sub-window of that title shows, then acts on it.
  auto when_open = [](const QString& title, const std::function<void(QMdiSubWindow*)>& act) {
    for (bool acted = false; !acted; std::this_thread::yield()) {
      RunOnGui([&] {
        QMdiSubWindow* sub = SubWindow(title);
        if (sub != nullptr && sub->isVisible() && sub->isEnabled()) {
          act(sub);
          acted = true;
        }
      });
    }
  };
  auto list_has = [](const QString& name) {
    bool found = false;
    RunOnGui([&] {
      QMdiSubWindow* sub = SubWindow("Browse the Employee File");
      auto* table = sub ? sub->findChild<QTableWidget*>("rows") : nullptr;
      for (int row = 0; table && row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
          if (table->item(row, column) && table->item(row, column)->text() == name) found = true;
        }
      }
    });
    return found;
  };
  RunProgramAsUser([&](app::Program&) {
    RunOnGui([] { ActionNamed(Frame(), "&Employee Lisiting")->trigger(); });
    when_open("Browse the Employee File", [](QMdiSubWindow* sub) {
      for (QPushButton* button : sub->findChildren<QPushButton*>())
        if (button->text() == "&Insert") button->click();
    });
    when_open("Adding a Employee Record", [](QMdiSubWindow* sub) {
      for (const char* field : {"?EMP:LASTNAME", "?EMP:EMPCODE"}) {
        auto* edit = sub->findChild<QLineEdit*>(field);
        edit->setText(std::string_view(field) == "?EMP:LASTNAME" ? "AARDVARK" : "AA1");
        emit edit->editingFinished();
      }
      for (QPushButton* button : sub->findChildren<QPushButton*>())
        if (button->text() == "&OK") button->click();
    });
    while (!list_has("AARDVARK")) std::this_thread::yield();
    RunOnGui([] { Frame()->close(); });
  });
}

}  // namespace
}  // namespace vornel::platform::qt
