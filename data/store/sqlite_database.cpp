#include "data/store/sqlite_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "data/store/sqlite_error.h"
#include "data/store/sqlite_statement.h"
#include "data/store/sqlite_table.h"
#include "data/store/store_answer.h"

namespace vornel::data {
namespace {

constexpr mode_t kDatabaseMode = 0640;

std::string SystemText(int error) { return std::strerror(error); }

// Writes the header of a new database into the empty file `temp`.
int WriteHeader(const std::string& temp) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(temp.c_str(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE,
                           nullptr);
  if (rc == SQLITE_OK) {
    const std::string sql = "PRAGMA journal_mode=DELETE; PRAGMA application_id=" +
                            std::to_string(kApplicationId);
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  int answer = rc == SQLITE_OK ? kStoreOk : ReportSqlite(db, rc);
  sqlite3_close_v2(db);
  return answer;
}

}  // namespace

int MakeDatabaseFile(const std::filesystem::path& file) {
  std::string temp = (file.parent_path() / ("." + file.filename().string() + ".new-XXXXXX")).string();
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) return ReportAnswer(kFileNotFound);
    if (error == EACCES || error == EPERM || error == EROFS) return ReportAnswer(kAccessDenied);
    return ReportDriverText(
        FileFailureWords(error == ENOSPC ? SQLITE_FULL : SQLITE_CANTOPEN, error, file.string()));
  }
  const bool private_mode = ::fchmod(fd, kDatabaseMode) == 0;
  ::close(fd);
  int answer = private_mode ? WriteHeader(temp) : ReportDriverText("cannot set the mode of " + temp);
  if (answer == kStoreOk && ::link(temp.c_str(), file.c_str()) != 0 && errno != EEXIST) {
    // A file system without hard links: a rename that refuses to replace
    // does the same.
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) != 0 &&
        errno != EEXIST) {
      answer = ReportDriverText("cannot make " + file.string() + ": " + SystemText(errno));
    }
  }
  ::unlink(temp.c_str());
  return answer;
}

int CheckDatabaseFile(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    if (errno == ENOENT) return ReportAnswer(kFileNotFound);
    return ReportDriverText("cannot use " + file.string() + ": " + SystemText(errno));
  }
  if (!S_ISREG(info.st_mode)) {
    return ReportDamage(SQLITE_NOTADB, file.string() +
                                           " is not a database: it is not a regular file; it is "
                                           "left as it is");
  }
  if (info.st_size == 0) {
    return ReportDamage(SQLITE_NOTADB,
                        file.string() +
                            " is empty (0 bytes): the database was lost or cut short; it is left "
                            "as it is (restore it from a backup, or remove it to start afresh)");
  }
  return kStoreOk;
}

int CheckOurDatabase(sqlite3* db, const char* schema) {
  const std::string quoted = QuoteName(schema);
  const char* file_name = sqlite3_db_filename(db, schema);
  const std::string file = file_name != nullptr ? file_name : schema;
  SqliteStatement id;
  int rc = id.Prepare(db, "PRAGMA " + quoted + ".application_id");
  if (rc == SQLITE_OK) rc = sqlite3_step(id.get());
  if (rc != SQLITE_ROW) return ReportSqlite(db, rc, false, schema);
  const std::int32_t application = sqlite3_column_int(id.get(), 0);
  if (application == kApplicationId) return kStoreOk;
  if (application != 0) {
    return ReportDamage(SQLITE_NOTADB, file + " is a database of another program (application id " +
                                           std::to_string(application) + "); it is left as it is");
  }
  // Made before databases carried the id: ours when it is empty or one of its
  // tables has the hidden position column of a record file.
  SqliteStatement tables;
  rc = tables.Prepare(db,
                      "SELECT count(*), sum(EXISTS (SELECT 1 FROM pragma_table_info(m.name, ?1) AS c "
                      "WHERE c.name='~pos')) FROM " +
                          quoted +
                          ".sqlite_master AS m WHERE m.type='table' AND m.name NOT LIKE "
                          "'sqlite\\_%' ESCAPE '\\'");
  if (rc == SQLITE_OK) {
    sqlite3_bind_text(tables.get(), 1, schema, -1, SQLITE_STATIC);
    rc = sqlite3_step(tables.get());
  }
  if (rc != SQLITE_ROW) return ReportSqlite(db, rc, false, schema);
  const std::int64_t count = sqlite3_column_int64(tables.get(), 0);
  const std::int64_t ours = sqlite3_column_int64(tables.get(), 1);
  if (count > 0 && ours == 0) {
    return ReportDamage(SQLITE_NOTADB, file +
                                           " is a database of another program (none of its " +
                                           std::to_string(count) +
                                           " tables is a record file); it is left as it is");
  }
  return kStoreOk;
}

}  // namespace vornel::data
