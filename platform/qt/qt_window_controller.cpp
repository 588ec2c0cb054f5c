#include "platform/qt/qt_window_controller.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QKeyEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <utility>

#include "platform/picture.h"
#include "platform/qt/qt_drop_combo.h"
#include "platform/qt/qt_gui_thread.h"
#include "platform/qt/qt_list_view.h"
#include "platform/qt/qt_page_view.h"
#include "platform/text.h"

namespace vornel::platform::qt {
namespace {

// The most letters of all choices that still put a radio group in one line.
constexpr std::size_t kLettersInALine = 28;

constexpr const char* kBlockCount = "vornelBlockCount";

struct KnownIcon {
  const char* word;
  QStyle::StandardPixmap pixmap;
};

// A drawn icon for a tool button, chosen by words of its picture's name; no
// icon (the button shows its text) when it names none.
QIcon ToolIcon(const std::string& name) {
  if (name.empty()) return {};
  static constexpr KnownIcon kKnown[] = {
      {"exit", QStyle::SP_DialogCloseButton},   {"edit", QStyle::SP_FileDialogDetailedView},
      {"log", QStyle::SP_FileDialogContentsView}, {"client", QStyle::SP_DirHomeIcon},
      {"appt", QStyle::SP_FileDialogInfoView},  {"print", QStyle::SP_FileDialogListView},
      {"help", QStyle::SP_DialogHelpButton},
  };
  const std::string lower = Lower(name);
  QStyle::StandardPixmap pixmap = QStyle::SP_FileIcon;
  for (const KnownIcon& known : kKnown) {
    if (lower.find(known.word) != std::string::npos) {
      pixmap = known.pixmap;
      break;
    }
  }
  return QApplication::style()->standardIcon(pixmap);
}

// The icon of a standard button, which names what it does ("pagedown"); a
// name it does not know is taken as a picture's name.
QIcon StandardToolIcon(const std::string& name) {
  static constexpr KnownIcon kStandard[] = {
      {"insert", QStyle::SP_FileDialogNewFolder},    {"change", QStyle::SP_FileDialogDetailedView},
      {"delete", QStyle::SP_TrashIcon},              {"select", QStyle::SP_DialogApplyButton},
      {"first", QStyle::SP_MediaSkipBackward},       {"last", QStyle::SP_MediaSkipForward},
      {"pageup", QStyle::SP_MediaSeekBackward},      {"pagedown", QStyle::SP_MediaSeekForward},
      {"previous", QStyle::SP_ArrowUp},              {"next", QStyle::SP_ArrowDown},
      {"locate", QStyle::SP_FileDialogContentsView}, {"history", QStyle::SP_BrowserReload},
      {"help", QStyle::SP_DialogHelpButton},
  };
  for (const KnownIcon& known : kStandard) {
    if (SameNoCase(name, known.word)) return QApplication::style()->standardIcon(known.pixmap);
  }
  return ToolIcon(name);
}

// What a standard button shows for that command: the first enabled state
// of it, else the first state of it; none when the window lists it not.
const ToolState* StateOf(const std::vector<ToolState>& states, int command) {
  const ToolState* found = nullptr;
  for (const ToolState& state : states) {
    if (state.command != command) continue;
    if (state.enabled) return &state;
    if (found == nullptr) found = &state;
  }
  return found;
}

bool SameStates(const std::vector<ToolState>& a, const std::vector<ToolState>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ToolState& x, const ToolState& y) {
    return x.command == y.command && x.enabled == y.enabled && x.tip == y.tip;
  });
}

bool IsSeparator(const MenuItem& item) {
  return item.items.empty() && item.command == 0 && item.action == StandardAction::kNone &&
         (item.text.empty() || item.text == "-");
}

// Entries keep the width their picture asks for when the window grows;
// lists grow with it.
// More rows than this on a page, and it is laid out in two columns.
constexpr int kRowsPerColumn = 14;

// How many characters the picture shows, kept between the bounds.
int PictureCharacters(const std::string& picture, int unknown, int least, int most) {
  const std::optional<Picture> parsed = Picture::Parse(picture);
  return std::clamp(parsed ? parsed->width() : unknown, least, most);
}

// The text an entry shows now, of one line or several.
QString EntryText(const QObject* entry) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(entry)) return edit->text();
  if (const auto* box = qobject_cast<const QPlainTextEdit*>(entry)) return box->toPlainText();
  return {};
}

QFormLayout* NewForm() {
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
  return form;
}


// Input widgets of a read-only control show their value but take no input.
void MakeReadOnly(QWidget* widget) {
  widget->setAttribute(Qt::WA_TransparentForMouseEvents);
  widget->setFocusPolicy(Qt::NoFocus);
}

}  // namespace

WindowController::WindowController(QtWindowSystem& system, const WindowSpec& spec,
                                   std::shared_ptr<WindowLink> link,
                                   const std::shared_ptr<WindowLink>& owner_link)
    : system_(system), spec_(spec), link_(std::move(link)), controls_(spec.controls.size()) {
  if (owner_link) {
    std::lock_guard lock(owner_link->mutex);
    owner_ = owner_link->controller;
  }
  if (spec.frame) {
    BuildFrame(spec);
  } else {
    content_ = BuildContent(spec);
    content_->installEventFilter(this);
    if (!spec.menu.empty()) {
      // A window's own menu bar, at the top of its content.
      menu_bar_ = new QMenuBar(content_);
      menu_bar_->setObjectName("menu");
      menu_bar_->setNativeMenuBar(false);  // in the window, never the desktop's global menu
      for (const MenuItem& item : spec.menu) AddMenu(nullptr, menu_bar_, item);
      content_->layout()->setMenuBar(menu_bar_);
    }
    if (QMdiArea* area = system.area()) {
      sub_window_ = area->addSubWindow(content_);
      // The procedure closes its windows; a close box only asks it to.
      sub_window_->setAttribute(Qt::WA_DeleteOnClose, false);
      container_ = sub_window_;
      connect(sub_window_, &QMdiSubWindow::windowStateChanged, this,
              [this](Qt::WindowStates before, Qt::WindowStates now) {
                const bool was = before.testFlag(Qt::WindowActive);
                const bool is = now.testFlag(Qt::WindowActive);
                if (was != is && !disposed_) Post(is ? EventKind::kGainFocus : EventKind::kLoseFocus);
              });
    } else {
      container_ = content_;
      if (spec.modal && owner_ == nullptr) content_->setWindowModality(Qt::ApplicationModal);
    }
    // A modal window without an owner inside the frame holds the frame's
    // menus and tools while it is open.
    if (owner_ == nullptr && spec.modal) owner_ = system.frame_controller();
  }
  setParent(container_);
  container_->installEventFilter(this);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { Post(EventKind::kTimer); });
  if (owner_ != nullptr) {
    owner_->BlockInput(1);
    blocks_owner_ = true;
  }
  std::lock_guard lock(link_->mutex);
  link_->controller = this;
}

WindowController::~WindowController() {
  ReleaseOwner();
  std::lock_guard lock(link_->mutex);
  if (link_->controller == this) link_->controller = nullptr;
}

void WindowController::BuildFrame(const WindowSpec& spec) {
  main_window_ = new QMainWindow;
  main_window_->setObjectName("frame");
  // The controller is the frame's first child, so that when the frame is
  // deleted it goes, with its connections to the area, before the area does.
  setParent(main_window_);
  area_ = new QMdiArea(main_window_);
  area_->setObjectName("area");
  // Windows larger than the frame scroll inside it instead of growing it.
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  main_window_->setCentralWidget(area_);
  menu_bar_ = main_window_->menuBar();
  for (const MenuItem& item : spec.menu) AddMenu(nullptr, menu_bar_, item);
  if (!spec.toolbar.empty()) {
    toolbar_ = main_window_->addToolBar("Tools");
    toolbar_->setObjectName("toolbar");
    for (std::size_t i = 0; i < spec.toolbar.size(); ++i) {
      // The standard buttons stand apart from the frame's own.
      if (spec.toolbar[i].routed && i > 0 && !spec.toolbar[i - 1].routed) toolbar_->addSeparator();
      AddTool(spec.toolbar[i]);
    }
  }
  if (!standard_tools_.empty()) {
    connect(area_, &QMdiArea::subWindowActivated, this, [this] { ApplyStandardTools(); });
    ApplyStandardTools();
  }
  // The first status part gives way to hints and messages while they show;
  // the other parts stay.
  QStatusBar* bar = main_window_->statusBar();
  for (int part = 1; part <= spec.status_parts; ++part) {
    auto* label = new QLabel;
    label->setObjectName(QString("status%1").arg(part));
    if (part == 1) {
      bar->addWidget(label, 1);
    } else {
      bar->addPermanentWidget(label);
    }
    status_parts_.push_back(label);
  }
  main_window_->resize(1024, 720);
  container_ = main_window_;
}

void WindowController::AddTool(const ToolButton& button) {
  const QString text = ToQt(button.text);
  const QIcon icon = button.routed ? StandardToolIcon(button.icon) : ToolIcon(button.icon);
  QAction* action = icon.isNull() ? toolbar_->addAction(text) : toolbar_->addAction(icon, text);
  action->setToolTip(text);
  action->setStatusTip(text);
  const int command = button.command;
  if (button.routed) {
    standard_tools_.push_back({action, command, text});
    connect(action, &QAction::triggered, this, [this, command] { RunStandardTool(command); });
    return;
  }
  connect(action, &QAction::triggered, this, [this, command] {
    if (command != 0) link_->WithWindow([&](QtWindow& window) { window.Command(command); });
  });
}

void WindowController::RunStandardTool(int command) {
  WindowController* active = system_.active_controller();
  if (active == nullptr) return;
  // The procedure's own states decide: what the button shows may lag behind.
  active->link_->WithWindow([command](QtWindow& window) {
    if (window.ToolEnabled(command)) window.Command(command);
  });
}

void WindowController::ApplyStandardTools() {
  if (disposed_ || standard_tools_.empty()) return;
  const WindowController* active = system_.active_controller();
  for (const StandardTool& tool : standard_tools_) {
    if (tool.action == nullptr) continue;
    const ToolState* state = active != nullptr ? StateOf(active->tool_states_, tool.command) : nullptr;
    const QString tip = state != nullptr && !state->tip.empty() ? ToQt(state->tip) : tool.text;
    tool.action->setEnabled(state != nullptr && state->enabled);
    tool.action->setToolTip(tip);
    tool.action->setStatusTip(tip);
  }
}

WindowController* WindowController::Of(QObject* container) {
  if (container == nullptr) return nullptr;
  for (QObject* child : container->children()) {
    auto* controller = dynamic_cast<WindowController*>(child);
    if (controller != nullptr && controller->container_ == container) {
      return controller->disposed_ ? nullptr : controller;
    }
  }
  return nullptr;
}

void WindowController::ToolsChanged() {
  WindowController* frame = system_.frame_controller();
  if (frame != nullptr && frame != this) frame->ApplyStandardTools();
}

void WindowController::AddMenu(QMenu* menu, QMenuBar* bar, const MenuItem& item) {
  if (IsSeparator(item)) {
    if (menu != nullptr) menu->addSeparator();
    return;
  }
  const QString text = ToQt(item.text);
  if (!item.items.empty()) {
    QMenu* submenu = menu != nullptr ? menu->addMenu(text) : bar->addMenu(text);
    submenu->menuAction()->setStatusTip(ToQt(item.hint));
    for (const MenuItem& child : item.items) AddMenu(submenu, nullptr, child);
    return;
  }
  QAction* action = menu != nullptr ? menu->addAction(text) : bar->addAction(text);
  action->setStatusTip(ToQt(item.hint));
  const int command = item.command;
  const StandardAction standard = item.action;
  connect(action, &QAction::triggered, this, [this, command, standard] {
    if (command != 0) link_->WithWindow([&](QtWindow& window) { window.Command(command); });
    if (standard != StandardAction::kNone) RunStandardAction(standard);
  });
}

void WindowController::RunStandardAction(StandardAction action) {
  QWidget* focus = QApplication::focusWidget();
  auto* line = qobject_cast<QLineEdit*>(focus);
  auto* text = qobject_cast<QTextEdit*>(focus);
  auto* plain = qobject_cast<QPlainTextEdit*>(focus);
  switch (action) {
    case StandardAction::kCut:
      if (line != nullptr) line->cut();
      if (text != nullptr) text->cut();
      if (plain != nullptr) plain->cut();
      break;
    case StandardAction::kCopy:
      if (line != nullptr) line->copy();
      if (text != nullptr) text->copy();
      if (plain != nullptr) plain->copy();
      break;
    case StandardAction::kPaste:
      if (line != nullptr) line->paste();
      if (text != nullptr) text->paste();
      if (plain != nullptr) plain->paste();
      break;
    case StandardAction::kTile:
    case StandardAction::kCascade:
      if (area_ == nullptr) break;
      system_.arranging = true;
      action == StandardAction::kTile ? area_->tileSubWindows() : area_->cascadeSubWindows();
      system_.arranging = false;
      for (QMdiSubWindow* sub : area_->subWindowList()) {
        if (WindowController* controller = Of(sub)) controller->fit_to_hint_ = false;
      }
      break;
    case StandardAction::kArrangeIcons: {
      // Minimized windows in a row along the bottom of the frame.
      if (area_ == nullptr) break;
      int x = 0;
      const int bottom = area_->viewport()->height();
      for (QMdiSubWindow* sub : area_->subWindowList()) {
        if (!sub->isMinimized()) continue;
        sub->move(x, bottom - sub->height());
        x += sub->width();
      }
      break;
    }
    case StandardAction::kPrintSetup: {
      QPageSetupDialog dialog(&system_.printer(), main_window_);
      dialog.exec();
      break;
    }
    case StandardAction::kNone:
      break;
  }
}

QWidget* WindowController::BuildContent(const WindowSpec& spec) {
  auto* content = new QWidget;
  content->setObjectName("content");
  auto* outer = new QVBoxLayout(content);
  outer->setSizeConstraint(QLayout::SetMinimumSize);
  const bool tabbed = std::any_of(spec.controls.begin(), spec.controls.end(), [](const ControlSpec& c) {
    return c.kind == ControlKind::kTab || !c.tab.empty();
  });
  BuildPage(main_page_, outer);
  if (tabbed) {
    tabs_ = new QTabWidget(content);
    // Tabs that hold no controls (a list's sort orders) are only their
    // strip, above the list they order.
    const bool pages_hold_controls = std::any_of(spec.controls.begin(), spec.controls.end(),
                                                 [](const ControlSpec& c) { return !c.tab.empty(); });
    if (pages_hold_controls) {
      outer->insertWidget(1, tabs_);
    } else {
      tabs_->setDocumentMode(true);
      tabs_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
      outer->insertWidget(0, tabs_);
    }
  }
  // A page of many rows is laid out in two columns, so that large forms fit
  // the screen.
  std::map<std::string, int> rows;
  for (const ControlSpec& control : spec.controls) {
    const bool below = control.kind == ControlKind::kList && control.lines > 1;
    if (control.kind != ControlKind::kTab && control.kind != ControlKind::kButton && !control.beside && !below)
      ++rows[control.tab];
  }
  for (const auto& [tab, count] : rows) {
    if (count <= kRowsPerColumn) continue;
    Page& page = tab.empty() ? main_page_ : PageNamed(tab);
    page.rows_before_next_column = (count + 1) / 2;
  }

  for (std::size_t i = 0; i < spec.controls.size(); ++i) {
    const ControlSpec& control = spec.controls[i];
    const int number = static_cast<int>(i) + 1;
    if (control.kind == ControlKind::kTab) {
      controls_[i].tab_index = PageNamed(control.text).index;
      continue;
    }
    AddControl(number, control, control.tab.empty() ? main_page_ : PageNamed(control.tab));
  }
  if (tabs_ != nullptr && tabs_->documentMode()) tabs_->setMaximumHeight(tabs_->tabBar()->sizeHint().height());
  if (tabs_ != nullptr) {
    // The tab shown tells the procedure through its page's control.
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
      for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (spec_.controls[i].kind == ControlKind::kTab && controls_[i].tab_index == index)
          Post(EventKind::kNewSelection, static_cast<int>(i) + 1);
      }
    });
  }
  return content;
}

void WindowController::BuildPage(Page& page, QVBoxLayout* box) {
  page.box = box;
  page.columns = new QHBoxLayout;
  page.form = NewForm();
  page.columns->addLayout(page.form);
  box->addLayout(page.columns);
  page.below = new QVBoxLayout;
  box->addLayout(page.below);
  box->addStretch();
  page.buttons = new QHBoxLayout;
  page.buttons->addStretch();
  box->addLayout(page.buttons);
}

WindowController::Page& WindowController::PageNamed(const std::string& title) {
  for (auto& [name, page] : pages_) {
    if (name == title) return page;
  }
  for (auto& [name, page] : pages_) {
    if (SameNoCase(name, title)) return page;
  }
  Page page;
  page.widget = new QWidget;
  BuildPage(page, new QVBoxLayout(page.widget));
  page.index = tabs_->addTab(page.widget, ToQt(title));
  pages_.emplace_back(title, page);
  return pages_.back().second;
}

void WindowController::GrowWithList(const Page& page) {
  page.box->setStretchFactor(page.columns, 1);
  if (page.index >= 0 && tabs_ != nullptr) main_page_.box->setStretchFactor(tabs_, 1);
}

QFormLayout* WindowController::FormForNewRow(Page& page) {
  if (page.rows_before_next_column == 0) {
    page.columns->addSpacing(QFontMetrics(page.widget != nullptr ? page.widget->font() : QApplication::font())
                                 .averageCharWidth() * 3);
    page.form = NewForm();
    page.columns->addLayout(page.form);
  }
  if (page.rows_before_next_column >= 0) --page.rows_before_next_column;
  return page.form;
}

void WindowController::PlaceInRow(Page& page, QLabel* prompt, QWidget* field, bool beside) {
  if (beside && page.row != nullptr) {
    // Before the row's closing stretch.
    if (prompt != nullptr) page.row->insertWidget(page.row->count() - 1, prompt);
    page.row->insertWidget(page.row->count() - 1, field);
    return;
  }
  page.row = new QHBoxLayout;
  page.row->setContentsMargins(0, 0, 0, 0);
  page.row->addWidget(field);
  page.row->addStretch(1);
  if (page.below->count() > 0) {
    // After a list of a few rows the page goes on below it, in the order
    // declared: a heading between two lists stays between them.
    if (prompt != nullptr) page.row->insertWidget(0, prompt);
    page.below->addLayout(page.row);
    return;
  }
  QFormLayout* form = FormForNewRow(page);
  if (prompt != nullptr) {
    form->addRow(prompt, page.row);
  } else {
    form->addRow(page.row);
  }
}

void WindowController::PlaceWide(Page& page, QWidget* field) {
  FormForNewRow(page)->addRow(field);
  page.row = nullptr;
}

QWidget* WindowController::NewEntry(int control, const ControlSpec& spec) {
  const int characters = PictureCharacters(spec.picture, 20, 3, 60);
  QWidget* field = nullptr;
  if (spec.lines > 1) {
    // Text of several lines: the words wrap, Return takes the text and
    // presses the default button, leaving the field takes it too.
    auto* box = new QPlainTextEdit;
    box->setTabChangesFocus(true);
    box->setReadOnly(spec.read_only);
    const QFontMetrics metrics(box->font());
    box->setFixedSize(metrics.averageCharWidth() * (std::min(characters, 50) + 1) + 24,
                      metrics.lineSpacing() * spec.lines + 12);
    field = box;
  } else {
    auto* edit = new QLineEdit;
    edit->setReadOnly(spec.read_only);
    if (spec.secret) edit->setEchoMode(QLineEdit::Password);
    edit->setFixedWidth(QFontMetrics(edit->font()).averageCharWidth() * (characters + 1) + 16);
    ConnectLineEdit(control, edit);
    field = edit;
  }
  WatchEntry(control, field);
  return field;
}

// Return accepts even unchanged text; leaving the field accepts only a
// change, so that Return followed by the focus moving on is one accept, not
// two.
void WindowController::ConnectLineEdit(int control, QLineEdit* edit) {
  connect(edit, &QLineEdit::returnPressed, this, [this, control] { return_pressed_[control] = true; });
  connect(edit, &QLineEdit::editingFinished, this, [this, control, edit] {
    AcceptEntry(control, edit->text(), std::exchange(return_pressed_[control], false));
  });
}

// The focus and the ditto key of an entry go to the procedure's window.
void WindowController::WatchEntry(int control, QWidget* field) {
  entry_controls_[field] = control;
  field->installEventFilter(this);
}

void WindowController::AddControl(int control, const ControlSpec& spec, Page& target) {
  ControlWidgets& widgets = controls_[static_cast<std::size_t>(control - 1)];
  widgets.tab_index = target.index;
  const QString text = ToQt(spec.text);
  QWidget* field = nullptr;
  switch (spec.kind) {
    case ControlKind::kPrompt:
    case ControlKind::kString: {
      auto* label = new QLabel(spec.kind == ControlKind::kPrompt ? text : QString());
      if (spec.lines > 1) {
        // Long text over several lines, as wide as its picture allows.
        const QFontMetrics metrics(label->font());
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFixedSize(metrics.averageCharWidth() * PictureCharacters(spec.picture, 40, 10, 50),
                            metrics.lineSpacing() * spec.lines);
      }
      if (spec.kind == ControlKind::kString && spec.value.bound()) widgets.prompt = new QLabel(text);
      field = label;
      break;
    }
    case ControlKind::kDropCombo: {
      auto* combo = new DropCombo(link_, control, PictureCharacters(spec.picture, 20, 3, 60), spec.read_only);
      if (QLineEdit* edit = combo->lineEdit()) {
        ConnectLineEdit(control, edit);
        WatchEntry(control, edit);
      }
      widgets.prompt = new QLabel(text);
      widgets.prompt->setBuddy(combo);
      field = combo;
      break;
    }
    case ControlKind::kEntry:
      field = NewEntry(control, spec);
      // An entry beside another without a prompt of its own just follows it.
      if (!spec.beside || !text.isEmpty()) {
        widgets.prompt = new QLabel(text);
        widgets.prompt->setBuddy(field);
      }
      break;
    case ControlKind::kButton: {
      auto* button = new QPushButton(text);
      // A button beside a field (a calendar's "...") stays in its row and is
      // a mouse's help: Tab goes on from field to field.
      if (spec.beside) {
        button->setFocusPolicy(Qt::ClickFocus);
      } else {
        target.buttons->addWidget(button);
      }
      connect(button, &QPushButton::clicked, this,
              [this, control] { link_->WithWindow([&](QtWindow& window) { window.Press(control); }); });
      field = button;
      break;
    }
    case ControlKind::kCheck: {
      auto* box = new QCheckBox(text);
      const std::vector<Choice> choices = spec.choices;
      connect(box, &QCheckBox::clicked, this, [this, control, choices](bool checked) {
        const std::size_t index = checked ? 0 : 1;
        if (index >= choices.size()) return;
        link_->WithWindow([&](QtWindow& window) { window.ChooseValue(control, choices[index].value); });
      });
      if (spec.read_only) MakeReadOnly(box);
      field = box;
      break;
    }
    case ControlKind::kRadioGroup: {
      auto* group = new QGroupBox(text);
      // A few choices, or short ones, stand in a line (Yes / No; the five
      // outcomes of a visit), more in a column.
      std::size_t letters = 0;
      for (const Choice& choice : spec.choices) letters += choice.text.size();
      const bool in_line = spec.choices.size() <= 3 || letters <= kLettersInALine;
      QBoxLayout* layout = in_line ? static_cast<QBoxLayout*>(new QHBoxLayout(group))
                                   : static_cast<QBoxLayout*>(new QVBoxLayout(group));
      for (const Choice& choice : spec.choices) {
        auto* radio = new QRadioButton(ToQt(choice.text));
        layout->addWidget(radio);
        if (spec.read_only) MakeReadOnly(radio);
        const std::string value = choice.value;
        connect(radio, &QRadioButton::clicked, this, [this, control, value] {
          link_->WithWindow([&](QtWindow& window) { window.ChooseValue(control, value); });
        });
        widgets.radios.emplace_back(radio);
      }
      field = group;
      break;
    }
    case ControlKind::kDropChoice: {
      auto* combo = new QComboBox;
      for (const Choice& choice : spec.choices) combo->addItem(ToQt(choice.text));
      widgets.prompt = new QLabel(text);
      widgets.prompt->setBuddy(combo);
      const std::vector<Choice> choices = spec.choices;
      connect(combo, &QComboBox::activated, this, [this, control, choices](int index) {
        if (index < 0 || index >= static_cast<int>(choices.size())) return;
        link_->WithWindow([&](QtWindow& window) {
          window.ChooseValue(control, choices[static_cast<std::size_t>(index)].value);
        });
      });
      if (spec.read_only) MakeReadOnly(combo);
      field = combo;
      break;
    }
    case ControlKind::kList: {
      // A list takes the whole width; its text is the hint the status bar
      // shows while the pointer is on it.
      auto* list = new ListView(link_, control, spec.columns);
      list->setStatusTip(text);
      list->table()->setAccessibleName(text);
      if (spec.lines > 1) {
        // A list of a few rows lies below the fields, across the page.
        list->FixRows(spec.lines);
        target.below->addWidget(list);
      } else {
        PlaceWide(target, list);
        GrowWithList(target);
      }
      field = list;
      break;
    }
    case ControlKind::kProgress: {
      auto* bar = new QProgressBar;
      bar->setRange(0, 100);
      bar->setMinimumWidth(QFontMetrics(bar->font()).averageCharWidth() * 40);
      field = bar;
      break;
    }
    case ControlKind::kPageView: {
      // Pages take the whole width and the height the window gains.
      auto* view = new PageView;
      view->setAccessibleName(text);
      PlaceWide(target, view);
      GrowWithList(target);
      field = view;
      break;
    }
    case ControlKind::kTab:
      break;
  }
  if (field == nullptr) return;
  if ((spec.kind != ControlKind::kButton || spec.beside) && spec.kind != ControlKind::kList &&
      spec.kind != ControlKind::kPageView)
    PlaceInRow(target, widgets.prompt, field, spec.beside);
  field->setObjectName(ToQt(spec.name));
  widgets.field = field;
}

void WindowController::Show() {
  if (sub_window_ != nullptr) {
    // Large enough for its controls as they are filled now, and for its
    // title; a title bar's height below and right of the window in front,
    // so that both titles show.
    own_geometry_change_ = true;
    QMdiArea* area = sub_window_->mdiArea();
    QMdiSubWindow* front = area != nullptr ? area->activeSubWindow() : nullptr;
    sub_window_->adjustSize();
    const int title_width = sub_window_->fontMetrics().horizontalAdvance(sub_window_->windowTitle()) + 120;
    sub_window_->resize(std::max(sub_window_->width(), title_width), sub_window_->height());
    sub_window_->show();
    if (area != nullptr) {
      const int step = sub_window_->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub_window_) + 4;
      const QPoint at = front != nullptr && front != sub_window_ && !front->isMaximized() ? front->pos() + QPoint(step, step)
                                                                                         : QPoint(0, 0);
      sub_window_->setGeometry(Reachable(QRect(at, sub_window_->size())));
    }
    own_geometry_change_ = false;
    if (area != nullptr) area->setActiveSubWindow(sub_window_);
    FocusFirstList();
    FitLater();
  } else {
    container_->show();
  }
  shown_ = true;
  UpdatePosition();
}

void WindowController::FocusFirstList() {
  QWidget* focus = content_->focusWidget();
  if (focus != nullptr && focus != tabs_ && !qobject_cast<QTabBar*>(focus)) return;
  for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
    if (spec_.controls[i].kind == ControlKind::kList && controls_[i].field != nullptr) {
      controls_[i].field->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

void WindowController::FitLater() {
  if (sub_window_ == nullptr || fit_pending_) return;
  fit_pending_ = true;
  QTimer::singleShot(0, this, [this] {
    fit_pending_ = false;
    FitContent();
  });
}

void WindowController::FitContent() {
  if (disposed_ || sub_window_ == nullptr || !sub_window_->isVisible() || sub_window_->isMaximized() ||
      sub_window_->isMinimized())
    return;
  if (QLayout* layout = content_->layout()) layout->activate();
  const QSize now = sub_window_->size();
  QSize wanted = now.expandedTo(fit_to_hint_ ? sub_window_->sizeHint() : sub_window_->minimumSizeHint());
  QMdiArea* area = sub_window_->mdiArea();
  if (area != nullptr) wanted = wanted.boundedTo(area->viewport()->size()).expandedTo(now);
  if (wanted == now) return;
  own_geometry_change_ = true;
  sub_window_->resize(wanted);
  // Moved back into the area as far as it fits, its title bar first.
  if (area != nullptr) {
    const QSize room = area->viewport()->size();
    QPoint at = sub_window_->pos();
    at.setX(std::max(0, std::min(at.x(), room.width() - wanted.width())));
    at.setY(std::max(0, std::min(at.y(), room.height() - wanted.height())));
    sub_window_->move(at);
  }
  own_geometry_change_ = false;
  UpdatePosition();
}

void WindowController::ApplyWindow(const WindowSnapshot& snapshot) {
  if (disposed_ || container_ == nullptr) return;
  container_->setWindowTitle(ToQt(snapshot.title));
  for (std::size_t i = 0; i < status_parts_.size(); ++i) {
    status_parts_[i]->setText(i < snapshot.status.size() ? ToQt(snapshot.status[i]) : QString());
  }
  const int interval = snapshot.timer * 10;
  if (interval == 0) {
    timer_->stop();
  } else if (!timer_->isActive() || timer_->interval() != interval) {
    timer_->start(interval);
  }
  if (!SameStates(snapshot.tools, tool_states_)) {
    tool_states_ = snapshot.tools;
    if (system_.active_controller() == this) ToolsChanged();
  }
  // Hidden on purpose (a progress window while its report is previewed);
  // a window not shown yet is shown by Show.
  if (shown_ && container_->isHidden() != snapshot.hidden) container_->setVisible(!snapshot.hidden);
}

void WindowController::ApplyControl(const ControlSnapshot& snapshot) {
  if (disposed_ || snapshot.control < 1 || snapshot.control > static_cast<int>(controls_.size())) return;
  const std::size_t index = static_cast<std::size_t>(snapshot.control - 1);
  const ControlSpec& spec = spec_.controls[index];
  ControlWidgets& widgets = controls_[index];
  const QueuedWindow::ControlState& state = snapshot.state;
  const QString text = ToQt(state.text);

  if (spec.kind == ControlKind::kTab) {
    if (tabs_ == nullptr || widgets.tab_index < 0) return;
    tabs_->setTabText(widgets.tab_index, text);
    tabs_->setTabEnabled(widgets.tab_index, state.enabled);
    tabs_->setTabVisible(widgets.tab_index, !state.hidden);
    if (snapshot.focus) tabs_->setCurrentIndex(widgets.tab_index);
    return;
  }
  QWidget* field = widgets.field;
  if (field == nullptr) return;
  switch (spec.kind) {
    case ControlKind::kPrompt:
    case ControlKind::kString:
      static_cast<QLabel*>(field)->setText(text);
      break;
    case ControlKind::kEntry:
      if (auto* edit = qobject_cast<QLineEdit*>(field); edit != nullptr && edit->text() != text) edit->setText(text);
      if (auto* box = qobject_cast<QPlainTextEdit*>(field); box != nullptr && box->toPlainText() != text)
        box->setPlainText(text);
      break;
    case ControlKind::kButton:
      static_cast<QPushButton*>(field)->setText(text);
      break;
    case ControlKind::kCheck:
      static_cast<QCheckBox*>(field)->setChecked(snapshot.choice == 0);
      break;
    case ControlKind::kRadioGroup:
      for (std::size_t i = 0; i < widgets.radios.size(); ++i) {
        QRadioButton* radio = widgets.radios[i];
        if (radio == nullptr) continue;
        // None checked needs the group's exclusiveness off for a moment.
        radio->setAutoExclusive(false);
        radio->setChecked(static_cast<int>(i) == snapshot.choice);
        radio->setAutoExclusive(true);
      }
      break;
    case ControlKind::kDropChoice:
      static_cast<QComboBox*>(field)->setCurrentIndex(snapshot.choice);
      break;
    case ControlKind::kList:
      static_cast<ListView*>(field)->Apply(state);
      break;
    case ControlKind::kDropCombo:
      static_cast<DropCombo*>(field)->Apply(state);
      break;
    case ControlKind::kPageView:
      static_cast<PageView*>(field)->Apply(state.pages);
      break;
    case ControlKind::kProgress:
      // The value as its picture shows it: a whole percentage.
      static_cast<QProgressBar*>(field)->setValue(std::clamp(text.trimmed().toInt(), 0, 100));
      break;
    case ControlKind::kTab:
      break;
  }
  field->setEnabled(state.enabled);
  if (widgets.prompt != nullptr) {
    widgets.prompt->setEnabled(state.enabled);
    widgets.prompt->setVisible(!state.hidden);
  }
  // A row whose controls are all hidden takes no room.
  field->setVisible(!state.hidden);
  if (snapshot.focus) {
    if (tabs_ != nullptr && widgets.tab_index >= 0) tabs_->setCurrentIndex(widgets.tab_index);
    if (sub_window_ != nullptr && sub_window_->mdiArea() != nullptr)
      sub_window_->mdiArea()->setActiveSubWindow(sub_window_);
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  }
  FitLater();
}

void WindowController::Place(const WindowPosition& position) {
  if (disposed_ || container_ == nullptr) return;
  QWidget* window = container_;
  if (window->isMaximized() || window->isMinimized()) window->showNormal();
  // Saved and restored as the inside of the window (without the window
  // manager's frame), so that the round trip does not move it.
  QRect place = window->geometry();
  if (position.x) place.moveLeft(static_cast<int>(*position.x));
  if (position.y) place.moveTop(static_cast<int>(*position.y));
  if (position.width) place.setWidth(static_cast<int>(*position.width));
  if (position.height) place.setHeight(static_cast<int>(*position.height));
  own_geometry_change_ = true;
  window->setGeometry(Reachable(place));
  // A window never comes back minimised: the user would not find it.
  if (position.maximized) window->showMaximized();
  own_geometry_change_ = false;
  if (position.width || position.height) fit_to_hint_ = false;
  UpdatePosition();
}

QRect WindowController::Reachable(QRect place) const {
  QRect room;
  if (sub_window_ != nullptr && sub_window_->mdiArea() != nullptr) {
    room = QRect(QPoint(0, 0), sub_window_->mdiArea()->viewport()->size());
  } else if (const QScreen* screen = QGuiApplication::screenAt(place.center())) {
    room = screen->availableGeometry();
  } else if (const QScreen* primary = QGuiApplication::primaryScreen()) {
    room = primary->availableGeometry();
  }
  if (room.isEmpty()) return place;
  // No larger than the room, and the title bar inside it.
  constexpr int kTitleBar = 32;
  place.setWidth(std::min(place.width(), room.width()));
  place.setHeight(std::min(place.height(), room.height() - (sub_window_ != nullptr ? 0 : kTitleBar)));
  const int top = room.top() + (sub_window_ != nullptr ? 0 : kTitleBar);
  place.moveLeft(std::clamp(place.left(), room.left(), room.right() + 1 - place.width()));
  place.moveTop(std::clamp(place.top(), top, std::max(top, room.bottom() + 1 - place.height())));
  return place;
}

void WindowController::Dispose() {
  if (disposed_) return;
  disposed_ = true;
  ReleaseOwner();
  timer_->stop();
  if (container_ == nullptr) return;
  container_->removeEventFilter(this);
  if (content_ != nullptr) content_->removeEventFilter(this);
  container_->hide();
  if (sub_window_ != nullptr && sub_window_->mdiArea() != nullptr)
    sub_window_->mdiArea()->removeSubWindow(sub_window_);
  container_->deleteLater();
  // Whichever window the user works in now (or none) gives the standard
  // buttons their states.
  ToolsChanged();
}

bool WindowController::eventFilter(QObject* watched, QEvent* event) {
  if (disposed_) return QObject::eventFilter(watched, event);
  if (watched == container_) {
    switch (event->type()) {
      case QEvent::Close:
        // The procedure decides whether the window closes, knowing what
        // was typed last.
        event->ignore();
        TakeTypedText(QApplication::focusWidget());
        link_->WithWindow([](QtWindow& window) { window.RequestClose(); });
        return true;
      case QEvent::Resize:
        if (!own_geometry_change_ && !system_.arranging) fit_to_hint_ = false;  // the user sized it
        UpdatePosition();
        break;
      case QEvent::Move:
      case QEvent::Show:
      case QEvent::WindowStateChange:
        UpdatePosition();
        break;
      case QEvent::WindowActivate:
        if (sub_window_ == nullptr) Post(EventKind::kGainFocus);
        break;
      case QEvent::WindowDeactivate:
        if (sub_window_ == nullptr) Post(EventKind::kLoseFocus);
        break;
      default:
        break;
    }
  }
  if (watched == content_ && event->type() == QEvent::MouseButtonPress) Post(EventKind::kAccepted);
  // Keys no control took: Enter presses the default button, Escape the
  // cancel or close button.
  if ((watched == content_ || watched == container_) && event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const std::string* button = nullptr;
    if (plain && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) button = &spec_.default_button;
    if (plain && key.key() == Qt::Key_Escape) button = &spec_.cancel_button;
    if (button != nullptr && PressNamed(*button)) return true;
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages, wherever the focus is.
    if (tabs_ != nullptr && tabs_->count() > 1 && (key.modifiers() & Qt::ControlModifier) &&
        (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)) {
      const int step = key.key() == Qt::Key_Backtab ? tabs_->count() - 1 : 1;
      tabs_->setCurrentIndex((tabs_->currentIndex() + step) % tabs_->count());
      return true;
    }
    // A button's function key presses it.
    if (plain && key.key() >= Qt::Key_F2 && key.key() <= Qt::Key_F12) {
      const int code = kKeyF2 + (key.key() - Qt::Key_F2);
      for (const ControlSpec& control : spec_.controls)
        if (control.key == code && PressNamed(control.name)) return true;
    }
    if (plain && key.key() == Qt::Key_F1) {
      link_->WithWindow([](QtWindow& window) { window.Post({EventKind::kAlertKey, 0, kKeyHelp, {}}); });
      return true;
    }
    // A window without a cancel or close button closes as its close box does.
    if (plain && key.key() == Qt::Key_Escape && spec_.cancel_button.empty() && sub_window_ != nullptr) {
      sub_window_->close();
      return true;
    }
  }
  if (auto entry = entry_controls_.find(watched); entry != entry_controls_.end()) {
    const int control = entry->second;
    auto* box = qobject_cast<QPlainTextEdit*>(watched);
    if (event->type() == QEvent::FocusIn) {
      link_->WithWindow([control](QtWindow& window) { window.Focus(control); });
    } else if (event->type() == QEvent::FocusOut && box != nullptr) {
      AcceptEntry(control, EntryText(box), false);
    } else if (event->type() == QEvent::KeyPress) {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      if (box != nullptr && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
        AcceptEntry(control, EntryText(box), true);
        PressNamed(spec_.default_button);
        return true;
      }
      // Ctrl+' is the history key; the messages also name Ctrl+H.
      if (key.modifiers() == Qt::ControlModifier && (key.key() == Qt::Key_Apostrophe || key.key() == Qt::Key_H)) {
        link_->WithWindow([control](QtWindow& window) { window.Key(control, kKeyDitto); });
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void WindowController::AcceptEntry(int control, const QString& text, bool even_unchanged) {
  const std::string typed = FromQt(text);
  link_->WithWindow([&](QtWindow& window) {
    if (even_unchanged || window.State(control).text != typed) window.Type(control, typed);
  });
}

void WindowController::TakeTypedText(QWidget* focus) {
  auto entry = entry_controls_.find(focus);
  if (entry == entry_controls_.end()) return;
  AcceptEntry(entry->second, EntryText(focus), false);
}

bool WindowController::PressNamed(const std::string& name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
    QWidget* field = controls_[i].field;
    if (spec_.controls[i].name != name || field == nullptr) continue;
    if (!field->isEnabled() || !field->isVisible()) return false;
    const int control = static_cast<int>(i) + 1;
    link_->WithWindow([control](QtWindow& window) { window.Press(control); });
    return true;
  }
  return false;
}

void WindowController::ShowRefusal(int control, const std::string& why) {
  if (disposed_ || control < 1 || control > static_cast<int>(controls_.size())) return;
  QWidget* field = controls_[static_cast<std::size_t>(control - 1)].field;
  QApplication::beep();
  if (field == nullptr) return;
  field->setFocus();
  QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), ToQt(why), field);
  if (QMainWindow* frame = system_.frame(); frame != nullptr && frame->statusBar() != nullptr)
    frame->statusBar()->showMessage(ToQt(why), 8000);
}

void WindowController::Post(EventKind kind, int control) {
  link_->WithWindow([&](QtWindow& window) { window.Post({kind, control, 0, {}}); });
}

void WindowController::UpdatePosition() {
  if (container_ == nullptr || !container_->isVisible() || system_.arranging) return;
  std::lock_guard lock(link_->mutex);
  WindowPosition position = link_->position.value_or(WindowPosition{});
  position.maximized = container_->isMaximized();
  position.minimized = container_->isMinimized();
  // A maximized or minimized window keeps the place it comes back to.
  if (!position.maximized && !position.minimized) {
    const QRect place = container_->geometry();
    position.x = place.x();
    position.y = place.y();
    position.width = place.width();
    position.height = place.height();
  }
  link_->position = position;
}

void WindowController::BlockInput(int delta) {
  std::vector<QWidget*> targets;
  if (main_window_ != nullptr) {
    targets = {menu_bar_, toolbar_};
  } else {
    targets = {container_};
  }
  for (QWidget* target : targets) {
    if (target == nullptr) continue;
    const int count = std::max(0, target->property(kBlockCount).toInt() + delta);
    target->setProperty(kBlockCount, count);
    target->setEnabled(count == 0);
  }
}

void WindowController::ReleaseOwner() {
  if (!blocks_owner_) return;
  blocks_owner_ = false;
  if (owner_ != nullptr) owner_->BlockInput(-1);
}

}  // namespace vornel::platform::qt
