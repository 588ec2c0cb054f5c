#include "errors/error_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace vornel::errors {

TextErrorLog::TextErrorLog(std::function<std::filesystem::path()> locate)
    : locate_(std::move(locate)) {}

TextErrorLog::~TextErrorLog() { Close(true); }

int TextErrorLog::Open(bool force) {
  if (open_count_ == 0 || force) {
    if (fd_ >= 0) ::close(fd_);
    std::filesystem::path path = locate_();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0) return 5;
  }
  ++open_count_;
  return 0;
}

int TextErrorLog::Write(std::string_view line) {
  if (fd_ < 0) return 0;
  // One record is one line of at most the record's length; a single write
  // with O_APPEND keeps lines of several processes whole.
  std::string record(line.substr(0, kLineLength));
  for (char& c : record) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  record += '\n';
  ssize_t written = ::write(fd_, record.data(), record.size());
  return written == static_cast<ssize_t>(record.size()) ? 0 : 5;
}

int TextErrorLog::Close(bool force) {
  if (open_count_ <= 1 || force) {
    int result = 0;
    if (fd_ >= 0 && ::close(fd_) != 0) result = 5;
    fd_ = -1;
    open_count_ = 0;
    return result;
  }
  --open_count_;
  return 0;
}

}  // namespace vornel::errors
