#pragma once
// Where a report goes when no one is at the screen to preview it: the
// command line (and a scheduled job) names a PDF file; the report writes
// it instead of opening the preview and says how it ended.
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace vornel::reports {

class UnattendedOutput {
 public:
  static UnattendedOutput& Global();
  void Set(std::filesystem::path pdf);
  void Clear();  // reports preview again
  // The PDF file a report writes instead of previewing; nothing at a screen.
  std::optional<std::filesystem::path> pdf() const;
  // How the last report ended: "" once its PDF is written, else why not
  // (for example "There are no records available to process.").
  void Finished(std::string outcome);
  std::optional<std::string> outcome() const;

 private:
  mutable std::mutex mutex_;
  std::optional<std::filesystem::path> pdf_;
  std::optional<std::string> outcome_;
};

}  // namespace vornel::reports
