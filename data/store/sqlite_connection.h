#pragma once
// The calling thread's SQLite connection. The database of every directory
// that the thread's open files live in is attached to it, so that one
// transaction can span files of several directories.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/types.h>

#include "data/store/sqlite_statement.h"

namespace vornel::data {

class SqliteConnection;

// One directory's database as attached to a connection; shared by the files
// of that directory and detached when the last of them lets go.
class SqliteAttachment {
 public:
  SqliteAttachment(std::shared_ptr<SqliteConnection> connection, std::string key,
                   std::string schema);
  ~SqliteAttachment();
  SqliteAttachment(const SqliteAttachment&) = delete;
  SqliteAttachment& operator=(const SqliteAttachment&) = delete;

  SqliteConnection& connection() const { return *connection_; }
  const std::string& schema() const { return schema_; }  // "main", "d1", ...

 private:
  std::shared_ptr<SqliteConnection> connection_;
  std::string key_;
  std::string schema_;
};

class SqliteConnection : public std::enable_shared_from_this<SqliteConnection> {
 public:
  static constexpr int kDefaultBusyMs = 10000;
  static constexpr const char* kDatabaseName = "records.db";

  // This thread's connection, made when there is none. When the last
  // attachment and file object using it are gone it waits, idle, for the
  // next thread that needs one (a window opened next), with its databases
  // still attached, their schemas read and their pages cached; a few wait
  // at most, and one whose database files have been replaced is closed.
  static std::shared_ptr<SqliteConnection> ForThisThread();
  // This thread's connection when one is in use, else nullptr.
  static std::shared_ptr<SqliteConnection> OfThisThread();
  // The page cache of each database of this thread's connection, in KiB (0:
  // SQLite's default); databases attached later get it too.
  static void SetThreadCache(int kib);

  SqliteConnection() = default;
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  // The directory's database, attached. Without `create` a missing database
  // answers kFileNotFound; with it a new database file is made, mode 0640.
  // An existing file that is empty, not a regular file or a database of
  // another program answers kDriverError and is left as it is.
  int Attach(const std::filesystem::path& directory, bool create,
             std::shared_ptr<SqliteAttachment>* out);

  sqlite3* db() const { return db_; }
  // An answer, recorded on failure; a failure of the database file names the
  // file of `schema` (every attached one when none is given).
  int Execute(const char* sql, const char* schema = nullptr);

  // One transaction at a time per connection; BEGIN IMMEDIATE takes the write
  // lock of every attached database at once, waiting up to `wait_ms` (the
  // lingering ones are detached first).
  bool InTransaction() const;
  int Begin(int wait_ms);
  int Commit();
  int Rollback();

  // Statements that file objects let go of, kept by their text for the
  // next file object of the same table: a window opened again does not
  // prepare its reads again. Prepare takes a kept one or prepares anew (an
  // SQLite result code); Keep takes the statement over.
  int Prepare(SqliteStatement& statement, const std::string& sql);
  void Keep(SqliteStatement& statement);

  // Counts data changes made through this connection and transaction ends,
  // so that rows read ahead can tell that they may be stale.
  std::uint64_t generation() const { return generation_; }
  std::uint64_t Changed() { return ++generation_; }

 private:
  friend class SqliteAttachment;
  struct Lingering {
    std::string key;
    std::string schema;
  };
  static void GoIdle(SqliteConnection* connection);
  bool StillCurrent();
  void Release(const std::string& key, const std::string& schema);
  void DetachSurplus(std::size_t keep);
  bool Detach(const std::string& schema);
  int OpenMain(const std::filesystem::path& file);
  int AttachFile(const std::filesystem::path& file, const std::string& schema);
  void ApplyCache(const std::string& schema);

  sqlite3* db_ = nullptr;
  std::string main_key_;
  std::map<std::string, std::weak_ptr<SqliteAttachment>> attached_;
  // Databases no file uses any more, attached still for the next file of
  // their directory, oldest first.
  std::vector<Lingering> lingering_;
  struct DatabaseFile {
    std::filesystem::path path;
    dev_t device = 0;
    ino_t inode = 0;
  };
  bool Record(const std::string& schema, const std::filesystem::path& file);
  bool Replaced(const std::string& schema) const;
  std::map<std::string, DatabaseFile> files_;  // schema -> its database file
  int cache_kib_ = 0;  // the page cache its databases were given
  std::map<std::string, SqliteStatement, std::less<>> kept_;
  int next_schema_ = 1;
  std::uint64_t generation_ = 0;
};

}  // namespace vornel::data
