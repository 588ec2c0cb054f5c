#pragma once
// The program on a small generated root with report definitions of the
// test's own, and an output that keeps what it was asked to print or save.
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "platform/text.h"
#include "tests/maintenance/program_fixture.h"
#include "tests/support/station.h"

namespace vornel::reports::test {

// Keeps the page numbers of each PDF written and each print.
class RecordingOutput : public platform::page::PageOutput {
 public:
  std::string WritePdf(const platform::page::PageFolder& pages, const std::filesystem::path&,
                       std::string_view) override {
    std::lock_guard lock(mutex_);
    saved.push_back(Numbers(pages));
    return {};
  }
  platform::page::PrintOutcome Print(const platform::page::PageFolder& pages, std::string_view, std::string*) override {
    std::lock_guard lock(mutex_);
    printed.push_back(Numbers(pages));
    return platform::page::PrintOutcome::kPrinted;
  }
  std::vector<std::vector<int>> saved;
  std::vector<std::vector<int>> printed;

 private:
  static std::vector<int> Numbers(const platform::page::PageFolder& pages) {
    std::vector<int> numbers;
    for (int n = 1; n <= pages.count(); ++n) numbers.push_back(pages.NumberAt(n));
    return numbers;
  }
  std::mutex mutex_;
};

class ReportFixture : public maintenance::test::ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    output_ = &output;
  }

  // Replaces the report definitions by `count` of them, numbered 1, 2, ...
  void Definitions(int count) {
    vornel::test::Station station(root_.path());
    data::FileManager& file = station.files->Get(data::ReporterFile());
    file.Open();
    file.CheckUse(data::kUseReadWrite);
    for (file.file().SetOrder(nullptr); file.NextQuiet() == 0; file.file().SetOrder(nullptr)) file.DeleteRecord(false);
    for (int i = 1; i <= count; ++i) {
      auto& r = file.record<data::ReporterRecord>();
      std::fill(file.buffer().begin(), file.buffer().end(), '\0');
      r.SEQ = static_cast<std::int16_t>(i);
      platform::AssignPadded(r.NOTES, "Report " + std::to_string(i));
      platform::AssignPadded(r.REPORTDEF, "R" + std::to_string(i));
      platform::AssignPadded(r.BASIS, "What report " + std::to_string(i) + " is based on.");
      file.Insert();
    }
    file.Close();
  }

  RecordingOutput output;
};

}  // namespace vornel::reports::test
