#include "data/store/super_journals.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace vornel::data {
namespace {

namespace fs = std::filesystem;

// A super-journal holds the names of its databases' journals, each ended by
// a NUL; it is a few names long.
constexpr std::size_t kMostRead = 1 << 20;
// The tail of a rollback journal that names its super-journal: the name,
// its length (4 bytes, big-endian), a checksum (4) and the journal magic (8).
constexpr unsigned char kJournalMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool ReadAt(int fd, void* buffer, std::size_t size, off_t at) {
  return ::pread(fd, buffer, size, at) == static_cast<ssize_t>(size);
}

std::uint32_t BigEndian(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

// The complete names the super-journal lists; false when it cannot be read.
bool ListedJournals(const fs::path& super, std::vector<std::string>* names) {
  Fd fd(::open(super.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (static_cast<std::size_t>(info.st_size) > kMostRead) return false;
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  if (!text.empty() && !ReadAt(fd.get(), text.data(), text.size(), 0)) return false;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1) {
    if (end > start) names->push_back(text.substr(start, end - start));
  }
  return true;
}

// Whether the journal's tail names the file `super` (same file, whatever
// spelling of its path the journal holds). A journal that is missing or
// names nothing does not.
bool JournalNames(const std::string& journal, const struct stat& super) {
  Fd fd(::open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || info.st_size < 16) return false;
  unsigned char tail[16];
  if (!ReadAt(fd.get(), tail, sizeof tail, info.st_size - 16)) return false;
  if (std::memcmp(tail + 8, kJournalMagic, sizeof kJournalMagic) != 0) return false;
  const std::uint32_t length = BigEndian(tail);
  if (length == 0 || length > info.st_size - 16 || length > 65536) return false;
  std::string name(length, '\0');
  if (!ReadAt(fd.get(), name.data(), length, info.st_size - 16 - length)) return false;
  std::uint32_t sum = BigEndian(tail + 4);
  for (unsigned char c : name) sum -= c;
  if (sum != 0) return false;
  name.resize(std::strlen(name.c_str()));
  struct stat named {};
  return ::stat(name.c_str(), &named) == 0 && named.st_dev == super.st_dev &&
         named.st_ino == super.st_ino;
}

// Whether a station holds the write lock of the database: it is inside a
// transaction, maybe the very commit the super-journal belongs to. Asked
// through SQLite, whose lock bookkeeping keeps this process's own locks
// (a plain open and close of the file would drop them).
bool WriteLocked(const std::string& database) {
  if (::access(database.c_str(), F_OK) != 0) return false;
  sqlite3* db = nullptr;
  bool locked = true;  // when in doubt, keep the super-journal
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                      nullptr) == SQLITE_OK) {
    sqlite3_file* file = nullptr;
    int reserved = 1;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK &&
        file != nullptr && file->pMethods != nullptr &&
        file->pMethods->xCheckReservedLock(file, &reserved) == SQLITE_OK) {
      locked = reserved != 0;
    }
  }
  sqlite3_close_v2(db);
  return locked;
}

// Whether a commit may still need `super`, a super-journal beside the
// database `main`. Its list is read before any lock is asked about: a live
// commit holds the locks from before it makes the file to after it removes
// it, so a lock found free after the file was seen means no live commit.
bool Needed(const fs::path& super, const fs::path& main) {
  struct stat info {};
  if (::stat(super.c_str(), &info) != 0) return false;
  std::vector<std::string> journals;
  if (!ListedJournals(super, &journals)) return true;
  // A super-journal carries the name of its commit's main database, and a
  // commit here begins with BEGIN IMMEDIATE, which write-locks every
  // attached database, the main one too. So the main database's lock tells
  // whether the commit is still running even while the list is not (or not
  // wholly) written; no journal can name the file before its list is
  // complete and synced.
  if (WriteLocked(main.string())) return true;
  constexpr std::string_view kJournalSuffix = "-journal";
  for (const std::string& journal : journals) {
    if (!journal.ends_with(kJournalSuffix)) return true;  // not a list SQLite wrote
    if (JournalNames(journal, info)) return true;         // a rollback will read it
    if (WriteLocked(journal.substr(0, journal.size() - kJournalSuffix.size()))) return true;
  }
  return false;
}

}  // namespace

int RemoveLeftoverSuperJournals(const fs::path& database) {
  const std::string prefix = database.filename().string() + "-mj";
  std::error_code ec;
  int removed = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(database.parent_path(), ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(prefix) || Needed(entry.path(), database)) continue;
    if (::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace vornel::data
