#include "platform/qt/qt_message_display.h"

#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "platform/qt/qt_gui_thread.h"
#include "platform/qt/qt_window.h"

namespace vornel::platform::qt {
namespace {

// The button bits and Qt's buttons, in the order they are offered.
constexpr std::array<std::pair<int, QMessageBox::StandardButton>, 8> kButtons = {{
    {kButtonOk, QMessageBox::Ok},
    {kButtonYes, QMessageBox::Yes},
    {kButtonNo, QMessageBox::No},
    {kButtonAbort, QMessageBox::Abort},
    {kButtonRetry, QMessageBox::Retry},
    {kButtonIgnore, QMessageBox::Ignore},
    {kButtonCancel, QMessageBox::Cancel},
    {kButtonHelp, QMessageBox::Help},
}};

QMessageBox::StandardButtons ToQtButtons(int buttons) {
  QMessageBox::StandardButtons qt_buttons;
  for (const auto& [bit, button] : kButtons) {
    if ((buttons & bit) != 0) qt_buttons |= button;
  }
  return qt_buttons == QMessageBox::NoButton ? QMessageBox::Ok : qt_buttons;
}

int ToBit(int qt_button) {
  for (const auto& [bit, button] : kButtons) {
    if (button == qt_button) return bit;
  }
  return 0;
}

QMessageBox::StandardButton ToQtButton(int bit) {
  for (const auto& [known, button] : kButtons) {
    if (known == bit) return button;
  }
  return QMessageBox::NoButton;
}

// What a box answers when it is closed without a button: Cancel when it has
// one, else its default.
int Dismissed(const MessageBoxRequest& request) {
  if ((request.buttons & kButtonCancel) != 0) return kButtonCancel;
  return request.default_button != 0 ? request.default_button : kButtonOk;
}

QWidget* Parent(QtWindowSystem& windows) {
  if (QWidget* active = QApplication::activeWindow()) return active;
  return windows.frame();
}

int RunMessageBox(QtWindowSystem& windows, const MessageBoxRequest& request, QMessageBox::Icon icon) {
  QPointer<QWidget> parent = Parent(windows);
  QMessageBox box(icon, ToQt(request.caption), ToQt(DisplayedText(request.text)),
                  ToQtButtons(request.buttons), parent);
  box.setObjectName("message");
  const QMessageBox::StandardButton fallback = ToQtButton(Dismissed(request));
  if (QAbstractButton* escape = box.button(fallback)) box.setEscapeButton(escape);
  const QMessageBox::StandardButton preferred = ToQtButton(request.default_button);
  if (box.button(preferred) != nullptr) box.setDefaultButton(preferred);
  box.exec();
  // The window the box stood over takes the keys again, whatever closed
  // meanwhile (a progress window of the report that said why it stopped).
  if (!parent.isNull()) parent->activateWindow();
  QAbstractButton* clicked = box.clickedButton();
  const int bit = clicked != nullptr ? ToBit(box.standardButton(clicked)) : 0;
  return bit != 0 ? bit : Dismissed(request);
}

}  // namespace

int QtMessageDisplay::ShowMessage(const MessageBoxRequest& request) {
  int answer = 0;
  RunOnGui([&] {
    const QMessageBox::Icon icon =
        request.icon == Icon::kExclamation ? QMessageBox::Warning : QMessageBox::Information;
    answer = RunMessageBox(windows_, request, icon);
  });
  return answer;
}

int QtMessageDisplay::ShowHistory(const MessageBoxRequest& request, const std::vector<HistoryRow>& rows) {
  int answer = 0;
  RunOnGui([&] {
    QDialog dialog(Parent(windows_));
    dialog.setObjectName("history");
    dialog.setWindowTitle(ToQt(request.caption));
    auto* layout = new QVBoxLayout(&dialog);

    auto* top = new QHBoxLayout;
    auto* icon = new QLabel;
    const QStyle::StandardPixmap pixmap =
        request.icon == Icon::kExclamation ? QStyle::SP_MessageBoxWarning : QStyle::SP_MessageBoxInformation;
    icon->setPixmap(dialog.style()->standardIcon(pixmap).pixmap(32, 32));
    top->addWidget(icon);
    auto* text = new QLabel(ToQt(DisplayedText(request.text)));
    text->setWordWrap(true);
    top->addWidget(text, 1);
    layout->addLayout(top);

    auto* table = new QTableWidget(static_cast<int>(rows.size()), 2);
    table->setObjectName("rows");
    table->setHorizontalHeaderLabels({"Text", "Category"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const int row = static_cast<int>(i);
      table->setItem(row, 0, new QTableWidgetItem(ToQt(rows[i].text)));
      table->setItem(row, 1, new QTableWidgetItem(ToQt(rows[i].category)));
    }
    layout->addWidget(table, 1);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::StandardButtons::fromInt(ToQtButtons(request.buttons).toInt()));
    if (QPushButton* preferred =
            buttons->button(static_cast<QDialogButtonBox::StandardButton>(ToQtButton(request.default_button))))
      preferred->setDefault(true);
    layout->addWidget(buttons);

    int pressed = 0;
    QObject::connect(buttons, &QDialogButtonBox::clicked, &dialog, [&](QAbstractButton* button) {
      pressed = ToBit(buttons->standardButton(button));
      dialog.accept();
    });
    dialog.resize(520, 360);
    dialog.exec();  // Escape rejects: no button pressed
    answer = pressed != 0 ? pressed : Dismissed(request);
  });
  return answer;
}

std::string QtMessageDisplay::AskSaveFile(std::string_view title, std::string_view filter,
                                          std::string_view suggested) {
  std::string chosen;
  RunOnGui([&] {
    // A bare file name is proposed in the user's documents folder, not in
    // wherever the program was started.
    QString proposed = ToQt(suggested);
    if (QFileInfo(proposed).isRelative()) {
      const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
      const QString folder = QDir(documents).exists() ? documents : QDir::homePath();
      proposed = QDir(folder).filePath(proposed);
    }
    QFileDialog dialog(Parent(windows_), ToQt(title), proposed, ToQt(filter));
    dialog.setObjectName("save");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // "PDF files (*.pdf)": a name typed without an extension gets ".pdf".
    const QRegularExpressionMatch extension = QRegularExpression(R"(\*\.(\w+))").match(ToQt(filter));
    if (extension.hasMatch()) dialog.setDefaultSuffix(extension.captured(1));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = FromQt(dialog.selectedFiles().constFirst());
  });
  return chosen;
}

void QtMessageDisplay::Beep() {
  MessageDisplay::Beep();
  RunOnGui([] { QApplication::beep(); });
}

void QtMessageDisplay::StopProgram(const MessageBoxRequest& request) {
  RunOnGui([&] {
    MessageBoxRequest stop = request;
    stop.buttons = kButtonOk;
    stop.default_button = kButtonOk;
    RunMessageBox(windows_, stop, QMessageBox::Critical);
  });
  _exit(1);
}

}  // namespace vornel::platform::qt
