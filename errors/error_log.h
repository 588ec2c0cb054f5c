#pragma once
// Where the error manager writes one line per message when logging is on.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>

namespace vornel::errors {

class ErrorLog {
 public:
  virtual ~ErrorLog() = default;
  // Each returns 0 or 5 (failed). Open and Close count: only the first open
  // and the last close (or a forced one) touch the file.
  virtual int Open(bool force = false) = 0;
  virtual int Write(std::string_view line) = 0;
  virtual int Close(bool force = false) = 0;
};

// The standard log: the text file "KIVError.Log" in the current directory,
// one line per record, created private when missing, opened so that other
// processes may write to it too (lines are appended, never interleaved).
class TextErrorLog : public ErrorLog {
 public:
  // `locate` gives the log file's path at each open (it follows the working
  // directory, which a department change moves).
  explicit TextErrorLog(std::function<std::filesystem::path()> locate);
  ~TextErrorLog() override;

  int Open(bool force = false) override;
  int Write(std::string_view line) override;
  int Close(bool force = false) override;

  static constexpr std::size_t kLineLength = 1024;

 private:
  std::function<std::filesystem::path()> locate_;
  int fd_ = -1;
  int open_count_ = 0;
};

}  // namespace vornel::errors
