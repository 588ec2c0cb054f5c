#include "data/store/sqlite_error.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

// The files of every database attached to `db`, joined by ", ".
std::string AttachedFiles(sqlite3* db) {
  std::string files;
  for (int i = 0;; ++i) {
    const char* schema = sqlite3_db_name(db, i);
    if (schema == nullptr) break;
    const char* file = sqlite3_db_filename(db, schema);
    if (file == nullptr || *file == '\0') continue;  // the temporary database
    if (!files.empty()) files += ", ";
    files += file;
  }
  return files;
}

// The system's error number behind a failed write or read. SQLite's own
// record of it is often overwritten by the calls of the rollback that
// follows; then the database file's last error, and failing that the
// state of the disk and of the process's file size limit, tell.
int SystemError(sqlite3* db, int rc, const char* schema, const std::string& file) {
  int error = sqlite3_system_errno(db);
  if (error != 0 || ((rc & 0xff) != SQLITE_IOERR && (rc & 0xff) != SQLITE_FULL)) return error;
  if (schema != nullptr) sqlite3_file_control(db, schema, SQLITE_FCNTL_LAST_ERRNO, &error);
  if (error != 0 || rc == SQLITE_IOERR_READ || rc == SQLITE_IOERR_SHORT_READ) return error;
  struct statvfs disk {};
  const std::string directory = std::filesystem::path(file).parent_path().string();
  if (::statvfs(directory.c_str(), &disk) == 0 &&
      static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize < (1u << 20)) {
    return ENOSPC;
  }
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) return EFBIG;
  return 0;
}

}  // namespace

int ReportAnswer(int answer, std::string_view detail) {
  platform::SetFileError(answer, StoreAnswerText(answer), "", detail);
  return answer;
}

int ReportDriverText(std::string_view text) {
  platform::SetFileError(kDriverError, StoreAnswerText(kDriverError), "", text);
  return kDriverError;
}

int ReportDamage(int sqlite_code, std::string_view text) {
  platform::SetFileError(kDriverError, StoreAnswerText(kDriverError), std::to_string(sqlite_code),
                         text);
  return kDriverError;
}

std::string FileFailureWords(int rc, int error, std::string_view file_view) {
  const std::string file(file_view);
  const auto no_room = [&]() -> std::string {
    switch (error) {
      case EDQUOT: return "The disk quota is used up: cannot write " + file;
      case EFBIG: return "The file has reached the largest size allowed: cannot write " + file;
      default: return "The disk is full: cannot write " + file;
    }
  };
  const std::string reason = error != 0 ? std::string(" (") + std::strerror(error) + ")" : "";
  switch (rc & 0xff) {
    case SQLITE_FULL:
      return no_room();
    case SQLITE_IOERR:
      if (error == ENOSPC || error == EDQUOT || error == EFBIG) return no_room();
      if (rc == SQLITE_IOERR_READ || rc == SQLITE_IOERR_SHORT_READ)
        return "The disk could not be read" + reason + ": cannot read " + file;
      return "The disk failed" + reason + ": cannot use " + file;
    case SQLITE_CORRUPT:
      return file + " is damaged";
    case SQLITE_NOTADB:
      return file + " is not a database";
    case SQLITE_CANTOPEN:
      return "Cannot open " + file + reason;
    case SQLITE_READONLY:
      return file + " is read-only: cannot write it";
    case SQLITE_PERM:
      return "No permission to use " + file;
    case SQLITE_BUSY:
      return file + " is locked by another station";
    default:
      return {};
  }
}

int ReportSqlite(sqlite3* db, int rc, bool through_key, const char* schema) {
  int answer = kDriverError;
  switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
      if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        answer = kDuplicateKey;
      break;
    case SQLITE_CORRUPT:
      if (through_key) answer = kInvalidKeyFile;
      break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      answer = kAccessDenied;
      break;
    default:
      break;
  }
  const char* message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  std::string text = message != nullptr ? message : sqlite3_errstr(rc);
  std::string file;
  if (db != nullptr) {
    const char* named = schema != nullptr ? sqlite3_db_filename(db, schema) : nullptr;
    file = named != nullptr && *named != '\0' ? std::string(named) : AttachedFiles(db);
  }
  if (!file.empty()) {
    const std::string one_file = schema != nullptr ? file : file.substr(0, file.find(", "));
    std::string words = FileFailureWords(rc, SystemError(db, rc, schema, one_file), file);
    // SQLite's own text stays after the words: it tells damage apart.
    if (!words.empty()) text = words + ": " + text;
  }
  platform::SetFileError(answer, StoreAnswerText(answer), std::to_string(rc), text);
  return answer;
}

}  // namespace vornel::data
