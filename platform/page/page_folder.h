#pragma once
// The finished pages of one report: each page in a file of its own in a
// private folder (mode 0700, files 0600), written as it is finished so that
// a report of any length keeps memory flat. The folder and what is left in
// it go when the object goes.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/page/page_model.h"

namespace vornel::platform::page {

class PageFolder {
 public:
  // A new empty folder under `parent` (the system's temporary folder when
  // empty); nothing and why when it cannot be made.
  static std::unique_ptr<PageFolder> Make(std::string* why, const std::filesystem::path& parent = {});
  ~PageFolder();
  PageFolder(const PageFolder&) = delete;
  PageFolder& operator=(const PageFolder&) = delete;

  // Writes the page as the last one (numbered by its place). A page that
  // cannot be written leaves no file: false and why.
  bool Add(Page page, std::string* why);
  int count() const { return static_cast<int>(files_.size()); }
  const std::filesystem::path& path() const { return path_; }
  // The report page number of the n-th page kept (from 1).
  int NumberAt(int n) const { return numbers_.at(static_cast<std::size_t>(n - 1)); }
  const std::filesystem::path& FileAt(int n) const { return files_.at(static_cast<std::size_t>(n - 1)); }
  // The n-th page kept (from 1), with the report's page count in place;
  // nothing and why when its file is gone or damaged.
  std::optional<Page> Read(int n, std::string* why) const;
  // Keeps only the pages of these report page numbers, deleting the others'
  // files (the pages chosen to print).
  void KeepOnly(const std::vector<int>& numbers);
  // Deletes every page.
  void Discard();
  // The page count the pages show ("Page N of M"): every page made, kept or not.
  int made() const { return made_; }

 private:
  explicit PageFolder(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
  std::vector<std::filesystem::path> files_;
  std::vector<int> numbers_;
  int made_ = 0;
};

}  // namespace vornel::platform::page
