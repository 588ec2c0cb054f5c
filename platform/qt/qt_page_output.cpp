#include "platform/qt/qt_page_output.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/qt/qt_gui_thread.h"
#include "platform/qt/qt_page_painter.h"

namespace vornel::platform::qt {
namespace {

constexpr int kPdfDpi = 1200;

std::string Reason(const std::string& what) { return what + ": " + std::strerror(errno) + "."; }

// Texts are measured with the toolkit's fonts, which need an application.
bool FontsAvailable() { return QGuiApplication::instance() != nullptr; }

// The user can be shown a dialog: widgets on a real screen.
bool ScreenShowsDialogs() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

// The paper of the page, without margins: its corner is the painter's origin.
QPageLayout LayoutOf(const page::Page& page) {
  const bool landscape = page.width > page.height;
  const double shorter = (landscape ? page.height : page.width) / 1000.0;
  const double longer = (landscape ? page.width : page.height) / 1000.0;
  const QPageSize size(QSizeF(shorter, longer), QPageSize::Inch, QString(), QPageSize::FuzzyMatch);
  return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                     QPageLayout::Point);
}

// Paints the folder's pages in order on the painter (begun on `device`, set
// to the first page's layout), a device page each: "" or why.
std::string PaintPages(const page::PageFolder& pages, const page::Page& first, QPagedPaintDevice& device,
                       QPainter& painter) {
  const double scale = device.logicalDpiX() / 1000.0;
  PaintPage(painter, first, scale);
  for (int n = 2; n <= pages.count(); ++n) {
    std::string why;
    const std::optional<page::Page> page = pages.Read(n, &why);
    if (!page) return why;
    if (!device.newPage()) return "Page " + std::to_string(n) + " could not be started.";
    PaintPage(painter, *page, scale);
  }
  return {};
}

// Writes the PDF into the open file `fd` (which stays open): "" or why.
std::string WritePdfTo(int fd, const page::PageFolder& pages, const page::Page& first, std::string_view title,
                       const std::string& name) {
  QFile out;
  if (!out.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
    return "The PDF file " + name + " cannot be written: " + FromQt(out.errorString()) + ".";
  QPdfWriter writer(&out);
  writer.setResolution(kPdfDpi);
  writer.setTitle(ToQt(title));
  writer.setCreator("VORNEL");
  writer.setPageLayout(LayoutOf(first));
  QPainter painter;
  if (!painter.begin(&writer)) return "The PDF file " + name + " cannot be started.";
  const std::string why = PaintPages(pages, first, writer, painter);
  painter.end();
  if (!why.empty()) return why;
  if (!out.flush() || out.error() != QFileDevice::NoError)
    return "The PDF file " + name + " cannot be written: " + FromQt(out.errorString()) + ".";
  return {};
}

}  // namespace

std::string QtPageOutput::WritePdf(const page::PageFolder& pages, const std::filesystem::path& file,
                                   std::string_view title) {
  if (!FontsAvailable()) return "This program has no fonts to write PDF files with.";
  if (pages.count() == 0) return "The report has no pages to write.";
  std::string why;
  const std::optional<page::Page> first = pages.Read(1, &why);
  if (!first) return why;

  // A hidden name in the same folder, so that the finished file is renamed
  // into place and a failure leaves nothing behind.
  const std::string name = file.string();
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  std::string temporary = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
  if (fd < 0) return Reason("The PDF file " + name + " cannot be made");
  why = WritePdfTo(fd, pages, *first, title, name);
  if (why.empty() && ::fsync(fd) != 0) why = Reason("The PDF file " + name + " cannot be written");
  if (::close(fd) != 0 && why.empty()) why = Reason("The PDF file " + name + " cannot be written");
  if (why.empty() && std::rename(temporary.c_str(), name.c_str()) != 0)
    why = Reason("The PDF file " + name + " cannot be put in place");
  if (!why.empty()) ::unlink(temporary.c_str());
  return why;
}

page::PrintOutcome QtPageOutput::Print(const page::PageFolder& pages, std::string_view title, std::string* why) {
  if (!FontsAvailable()) {
    *why = "This program has no fonts to print with.";
    return page::PrintOutcome::kFailed;
  }
  if (pages.count() == 0) {
    *why = "The report has no pages to print.";
    return page::PrintOutcome::kFailed;
  }
  const std::optional<page::Page> first = pages.Read(1, why);
  if (!first) return page::PrintOutcome::kFailed;

  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(ToQt(title));
  printer.setFullPage(true);
  printer.setPageLayout(LayoutOf(*first));
  if (ScreenShowsDialogs()) {
    {
      std::lock_guard lock(mutex_);
      if (!last_printer_.isEmpty()) printer.setPrinterName(last_printer_);
    }
    // The caller waits while the dialog changes its printer; no lock is
    // held meanwhile, so a print asked for on the GUI thread cannot wait
    // for one asked for elsewhere.
    bool chosen = false;
    RunOnGui([&] {
      QPrintDialog dialog(&printer, QApplication::activeWindow());
      dialog.setObjectName("print");
      // The report's own window chooses the pages; here only where and how.
      dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintCollateCopies |
                        QAbstractPrintDialog::PrintShowPageSize);
      chosen = dialog.exec() == QDialog::Accepted;
    });
    if (!chosen) return page::PrintOutcome::kCancelled;
    std::lock_guard lock(mutex_);
    last_printer_ = printer.printerName();
  } else {
    const QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
    if (fallback.isNull()) {
      *why = "There is no printer to print on: this computer has no default printer.";
      return page::PrintOutcome::kFailed;
    }
    printer.setPrinterName(fallback.printerName());
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    *why = "The printer " + FromQt(printer.printerName()) + " cannot be used.";
    return page::PrintOutcome::kFailed;
  }
  *why = PaintPages(pages, *first, printer, painter);
  if (!why->empty()) printer.abort();
  painter.end();
  // Printed to a file from the print dialog: private, as every file of client data.
  if (!printer.outputFileName().isEmpty())
    QFile::setPermissions(printer.outputFileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  return why->empty() ? page::PrintOutcome::kPrinted : page::PrintOutcome::kFailed;
}

}  // namespace vornel::platform::qt
