#pragma once
// Where finished pages go besides the screen: a PDF file and a printer. The
// screen's toolkit provides the real one; a program without it says so.
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/page/page_folder.h"

namespace vornel::platform::page {

enum class PrintOutcome { kPrinted, kCancelled, kFailed };

class PageOutput {
 public:
  virtual ~PageOutput() = default;
  // Writes the folder's pages, in order, to one PDF file (its fonts
  // embedded): "" when done, else why. A file that could not be finished is
  // not left behind; an existing file is replaced only by a finished one.
  virtual std::string WritePdf(const PageFolder& pages, const std::filesystem::path& file,
                               std::string_view title) = 0;
  // Sends the pages to a printer: on a screen the user chooses it (and may
  // cancel) in the platform's print dialog; without one the default printer
  // takes them. kFailed comes with why.
  virtual PrintOutcome Print(const PageFolder& pages, std::string_view title, std::string* why) = 0;
};

// A program that cannot render pages: every call fails and says so.
class NoPageOutput : public PageOutput {
 public:
  std::string WritePdf(const PageFolder&, const std::filesystem::path&, std::string_view) override {
    return "This program cannot write PDF files.";
  }
  PrintOutcome Print(const PageFolder&, std::string_view, std::string* why) override {
    *why = "This program cannot print.";
    return PrintOutcome::kFailed;
  }
};

}  // namespace vornel::platform::page
