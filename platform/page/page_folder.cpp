#include "platform/page/page_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vornel::platform::page {
namespace {

std::string Reason(const std::string& what) { return what + ": " + std::strerror(errno); }

// Writes the whole text into a new private file, or leaves none.
bool WriteNew(const std::filesystem::path& file, const std::string& text, std::string* why) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    *why = Reason("The page file " + file.string() + " cannot be made");
    return false;
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *why = Reason("The page file " + file.string() + " cannot be written");
      ::close(fd);
      ::unlink(file.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    *why = Reason("The page file " + file.string() + " cannot be written");
    ::unlink(file.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<PageFolder> PageFolder::Make(std::string* why, const std::filesystem::path& parent) {
  std::error_code error;
  std::filesystem::path base = parent.empty() ? std::filesystem::temp_directory_path(error) : parent;
  if (base.empty()) base = "/tmp";
  std::string pattern = (base / "vornel-pages-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {  // mkdtemp makes it 0700
    *why = Reason("The folder for the report's pages cannot be made in " + base.string());
    return nullptr;
  }
  return std::unique_ptr<PageFolder>(new PageFolder(pattern));
}

PageFolder::~PageFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool PageFolder::Add(Page page, std::string* why) {
  page.number = made_ + 1;
  char name[32];
  std::snprintf(name, sizeof name, "page-%06d.vpg", page.number);
  const std::filesystem::path file = path_ / name;
  if (!WriteNew(file, Encode(page), why)) return false;
  files_.push_back(file);
  numbers_.push_back(page.number);
  ++made_;
  return true;
}

std::optional<Page> PageFolder::Read(int n, std::string* why) const {
  if (n < 1 || n > count()) {
    *why = "There is no page " + std::to_string(n) + ".";
    return std::nullopt;
  }
  const std::filesystem::path& file = files_[static_cast<std::size_t>(n - 1)];
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  Page page;
  std::string reason;
  if (!in || !Decode(text.str(), page, &reason)) {
    *why = "The page file " + file.string() + " cannot be read: " + (in ? reason : std::string("it is gone"));
    return std::nullopt;
  }
  FillPageCount(page, made_);
  return page;
}

void PageFolder::KeepOnly(const std::vector<int>& numbers) {
  std::vector<std::filesystem::path> files;
  std::vector<int> kept;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (std::find(numbers.begin(), numbers.end(), numbers_[i]) != numbers.end()) {
      files.push_back(files_[i]);
      kept.push_back(numbers_[i]);
    } else {
      ::unlink(files_[i].c_str());
    }
  }
  files_ = std::move(files);
  numbers_ = std::move(kept);
}

void PageFolder::Discard() { KeepOnly({}); }

}  // namespace vornel::platform::page
