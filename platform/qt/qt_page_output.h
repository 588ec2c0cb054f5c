#pragma once
// Finished pages to a PDF file and to a printer, drawn by the page painter.
//
// Threads: both calls may come from any thread, a procedure's or the GUI
// thread itself, while a QGuiApplication exists (the headless run makes one
// on the offscreen platform). The pages are painted on the calling thread.
// Only the print dialog needs the GUI thread: it is shown there (the caller
// waits) when the program runs a QApplication on a real screen, whose GUI
// loop is running; without a screen the default printer takes the pages and
// nothing waits for the GUI thread.
#include <QString>
#include <mutex>

#include "platform/page/page_output.h"

namespace vornel::platform::qt {

class QtPageOutput : public page::PageOutput {
 public:
  // The PDF file (mode 0600) is written beside its place under a temporary
  // name and renamed into place once it is complete.
  std::string WritePdf(const page::PageFolder& pages, const std::filesystem::path& file,
                       std::string_view title) override;
  page::PrintOutcome Print(const page::PageFolder& pages, std::string_view title, std::string* why) override;

 private:
  std::mutex mutex_;
  QString last_printer_;  // the one the user chose last: offered first the next time
};

}  // namespace vornel::platform::qt
