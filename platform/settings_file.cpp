#include "platform/settings_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "platform/ini_document.h"

namespace vornel::platform {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kNewFileMode = 0600;  // settings may hold a password
constexpr mode_t kNewDirMode = 0700;

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

std::string ErrnoText(int error) { return std::strerror(error); }

enum class ReadResult { kRead, kMissing, kFailed };

// What kind of file it is, for a file that is not a regular one.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// Reads the whole file; `mode` gets its permission bits, `problem` says why
// it could not be read. Only a regular file of at most kMostBytes is read:
// opening without blocking and checking the opened file keeps a FIFO from
// hanging the read and a device from filling memory.
ReadResult ReadWhole(const fs::path& file, std::string& text, mode_t& mode, std::string& problem,
                     struct stat* identity = nullptr) {
  text.clear();
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) {
    if (errno == ENOENT) return ReadResult::kMissing;
    problem = "cannot be read: " + ErrnoText(errno);
    return ReadResult::kFailed;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    problem = "cannot be read: " + ErrnoText(errno);
    return ReadResult::kFailed;
  }
  if (identity != nullptr) *identity = st;
  if (!S_ISREG(st.st_mode)) {
    problem = "is " + KindOf(st.st_mode) + ", not a settings file";
    return ReadResult::kFailed;
  }
  const auto too_large = [&](std::uintmax_t size) {
    problem = "is larger than " + std::to_string(SettingsFile::kMostBytes) +
              " bytes (" + std::to_string(size) + " bytes), too large for a settings file";
    return ReadResult::kFailed;
  };
  if (static_cast<std::uintmax_t>(st.st_size) > SettingsFile::kMostBytes) return too_large(st.st_size);
  mode = st.st_mode & 07777;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      problem = "cannot be read: " + ErrnoText(errno);
      return ReadResult::kFailed;
    }
    text.append(buffer, static_cast<std::size_t>(n));
    // It may grow while it is read.
    if (text.size() > SettingsFile::kMostBytes) return too_large(text.size());
  }
  return ReadResult::kRead;
}

// Parsed settings files by path, so that a file is read once while it stays
// as it is. A file is taken as unchanged when its identity, size and times
// are; one written within the last two seconds is read again on every use,
// since a change in the same tick of the file system's clock (or of a file
// server's clock a little off ours) would not show.
struct Cached {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  mode_t type = 0;
  timespec modified{};
  timespec changed{};
  bool settled = false;
  std::shared_ptr<const IniDocument> document;
  std::string problem;
};

std::mutex cache_mutex;
std::map<std::string, Cached> cache;

bool Same(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool Matches(const Cached& cached, const struct stat& st) {
  return cached.settled && cached.device == st.st_dev && cached.inode == st.st_ino &&
         cached.size == st.st_size && cached.type == (st.st_mode & S_IFMT) &&
         Same(cached.modified, st.st_mtim) && Same(cached.changed, st.st_ctim);
}

struct Loaded {
  std::shared_ptr<const IniDocument> document;
  std::string problem;  // "" when read or missing
};

// The document as it is on disk now; a missing file is empty, one that
// cannot be read is empty with its problem.
Loaded Load(const fs::path& file) {
  const std::string key = file.string();
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0) {
    std::lock_guard lock(cache_mutex);
    if (auto it = cache.find(key); it != cache.end() && Matches(it->second, st))
      return {it->second.document, it->second.problem};
  }
  std::string text, problem;
  mode_t mode = 0;
  struct stat identity {};
  ReadResult read = ReadWhole(file, text, mode, problem, &identity);
  Loaded loaded{std::make_shared<const IniDocument>(read == ReadResult::kRead ? text : ""),
                read == ReadResult::kFailed ? file.string() + " " + problem : ""};
  std::lock_guard lock(cache_mutex);
  if (read == ReadResult::kMissing) {
    cache.erase(key);
    return loaded;
  }
  const auto settled_before = std::chrono::system_clock::now() - std::chrono::seconds(2);
  const auto changed = std::chrono::system_clock::from_time_t(identity.st_mtim.tv_sec);
  cache[key] = Cached{identity.st_dev,     identity.st_ino,   identity.st_size,
                      identity.st_mode & S_IFMT, identity.st_mtim, identity.st_ctim,
                      changed < settled_before,  loaded.document, loaded.problem};
  return loaded;
}

void Forget(const fs::path& file) {
  std::lock_guard lock(cache_mutex);
  cache.erase(file.string());
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Creates the missing directories of `dir` with mode 0700 (existing ones are left alone).
bool MakeDirectories(const fs::path& dir, std::string& message) {
  if (dir.empty()) return true;
  fs::path partial;
  for (const fs::path& part : dir) {
    partial /= part;
    if (::mkdir(partial.c_str(), kNewDirMode) == 0 || errno == EEXIST) continue;
    message = "cannot create directory " + partial.string() + ": " + ErrnoText(errno);
    return false;
  }
  if (!fs::is_directory(dir)) {
    message = dir.string() + " is not a directory";
    return false;
  }
  return true;
}

// The file a write really replaces: renaming over a symbolic link would
// replace the link, not the settings it points to.
fs::path WriteTarget(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  fs::path target = fs::weakly_canonical(path, ec);
  return ec ? path : target;
}

// Writes `text` to a temporary file beside `file` and renames it over `file`.
bool ReplaceFile(const fs::path& file, std::string_view text, mode_t mode, std::string& message) {
  fs::path dir = file.parent_path();
  std::string temp = (dir / ("." + file.filename().string() + ".XXXXXX")).string();
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    message = "cannot create a temporary file in " + dir.string() + ": " + ErrnoText(errno);
    return false;
  }
  bool ok = WriteAll(fd.get(), text) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
  int error = errno;
  if (::close(fd.Release()) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    message = "cannot write " + file.string() + ": " + ErrnoText(error);
    return false;
  }
  // The directory is not synced: a rename lost in a crash leaves the previous
  // settings, which is acceptable, and saves a disk flush per write.
  return true;
}

bool ParseLong(std::string_view text, long& value) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::size_t end = text.size();
  while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  text = text.substr(i, end - i);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size();
}

}  // namespace

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

SettingsFile& SettingsFile::operator=(const SettingsFile& other) {
  if (this != &other) {
    path_ = other.path_;
    std::lock_guard lock(error_mutex_);
    last_error_.clear();
  }
  return *this;
}

std::string SettingsFile::LastError() const {
  std::lock_guard lock(error_mutex_);
  return last_error_;
}

bool SettingsFile::Record(std::string message) {
  std::lock_guard lock(error_mutex_);
  last_error_ = std::move(message);
  return last_error_.empty();
}

std::string SettingsFile::Get(std::string_view section, std::string_view entry,
                              std::string_view default_value) const {
  std::optional<std::string> value = Find(section, entry);
  return value ? std::move(*value) : std::string(default_value);
}

std::optional<std::string> SettingsFile::Find(std::string_view section,
                                              std::string_view entry) const {
  return Load(path_).document->Find(section, entry);
}

std::string SettingsFile::Problem() const { return Load(path_).problem; }

long SettingsFile::GetInt(std::string_view section, std::string_view entry,
                          long default_value) const {
  std::optional<std::string> text = Find(section, entry);
  long value = 0;
  return text && ParseLong(*text, value) ? value : default_value;
}

std::vector<std::string> SettingsFile::Sections() const {
  return Load(path_).document->Sections();
}

std::vector<std::string> SettingsFile::Entries(std::string_view section) const {
  return Load(path_).document->Entries(section);
}

bool SettingsFile::Set(std::string_view section, std::string_view entry, std::string_view value) {
  if (!IniDocument::ValidSectionName(section)) return Record("unusable section name");
  if (!IniDocument::ValidEntryName(entry)) return Record("unusable entry name");
  if (!IniDocument::ValidValue(value)) return Record("a value may not hold a line break or NUL");
  return Modify([&](IniDocument& doc) { return doc.Set(section, entry, value); });
}

bool SettingsFile::SetInt(std::string_view section, std::string_view entry, long value) {
  return Set(section, entry, std::to_string(value));
}

bool SettingsFile::Remove(std::string_view section, std::string_view entry) {
  if (!IniDocument::ValidSectionName(section)) return Record("unusable section name");
  if (!IniDocument::ValidEntryName(entry)) return Record("unusable entry name");
  return Modify([&](IniDocument& doc) { return doc.Remove(section, entry); });
}

bool SettingsFile::RemoveSection(std::string_view section) {
  if (!IniDocument::ValidSectionName(section)) return Record("unusable section name");
  return Modify([&](IniDocument& doc) { return doc.RemoveSection(section); });
}

bool SettingsFile::Modify(const std::function<bool(IniDocument&)>& edit) {
  fs::path target = WriteTarget(path_);
  std::string message;
  if (!MakeDirectories(target.parent_path(), message)) return Record(std::move(message));

  // The lock lives in its own file because the settings file itself is
  // replaced by rename, so a lock on it would not be seen by the next writer.
  fs::path lock_path = target;
  lock_path += ".lock";
  Fd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kNewFileMode));
  if (lock.get() < 0) return Record("cannot open " + lock_path.string() + ": " + ErrnoText(errno));
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return Record("cannot lock " + lock_path.string() + ": " + ErrnoText(errno));
  }

  std::string before, problem;
  mode_t mode = kNewFileMode;
  ReadResult read = ReadWhole(target, before, mode, problem);
  if (read == ReadResult::kFailed) {
    // Writing now would replace settings we could not see.
    return Record(target.string() + " " + problem + "; nothing was written");
  }
  IniDocument doc(before);
  if (!edit(doc)) return Record("the change was refused");
  std::string after = doc.Text();
  bool unchanged = after == before && (read == ReadResult::kRead || after.empty());
  if (!unchanged) {
    // Reads after this write see it, whatever the file's times say.
    Forget(path_);
    Forget(target);
    if (!ReplaceFile(target, after, mode, message)) return Record(std::move(message));
  }
  return Record("");
}

}  // namespace vornel::platform
