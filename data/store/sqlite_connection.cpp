#include "data/store/sqlite_connection.h"

#include <fcntl.h>
#include <pthread.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <system_error>

#include "data/store/sqlite_database.h"
#include "data/store/sqlite_error.h"
#include "data/store/sqlite_statement.h"
#include "data/store/store_answer.h"
#include "data/store/super_journals.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

thread_local std::weak_ptr<SqliteConnection> this_thread_connection;
// The page cache this thread's databases use, in KiB (0: SQLite's default).
thread_local int this_thread_cache_kib = 0;

// A commit over several databases writes a super-journal next to the main
// database with SQLite's default mode; the mask keeps it private like the
// data. The mutex keeps two threads from restoring each other's mask.
class PrivateFileMask {
 public:
  PrivateFileMask() : lock_(Mutex()) {
    old_ = ::umask(077);
    ::umask(old_ | 027);
  }
  ~PrivateFileMask() { ::umask(old_); }
  PrivateFileMask(const PrivateFileMask&) = delete;
  PrivateFileMask& operator=(const PrivateFileMask&) = delete;

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  std::lock_guard<std::mutex> lock_;
  mode_t old_ = 0;
};

// Directories are told apart by their canonical path, so that "dir" and
// "dir/." attach one database once.
std::string DirectoryKey(const std::filesystem::path& directory) {
  std::error_code ec;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(directory, ec);
  return (ec ? directory : canonical).lexically_normal().string();
}

// Left-over super-journals are looked for once per process and directory,
// when the directory's database is first opened: by then SQLite has rolled
// back the journal a dead station left in it.
void CleanOnFirstOpen(const std::string& key, const std::filesystem::path& file) {
  static std::mutex mutex;
  static std::set<std::string> cleaned;
  {
    std::lock_guard lock(mutex);
    if (!cleaned.insert(key).second) return;
  }
  RemoveLeftoverSuperJournals(file);
}

// The idle connections of this process, the most recently used last. The
// pool is never destroyed: a connection may go idle while the process ends.
// They are closed before a fork: a child process that opened a database
// while its parent's connection to it stayed open would share the parent's
// lock state of the file.
class IdleConnections {
 public:
  static constexpr std::size_t kMost = 4;

  static IdleConnections& Get() {
    static auto* pool = [] {
      // The pool stays locked across the fork, so that the child's copy of
      // it is not left locked by a thread the child does not have.
      ::pthread_atfork([] { Get().CloseAllAndLock(); }, [] { Get().mutex_.unlock(); },
                       [] { Get().mutex_.unlock(); });
      return new IdleConnections;
    }();
    return *pool;
  }
  SqliteConnection* Take() {
    std::lock_guard lock(mutex_);
    if (idle_.empty()) return nullptr;
    SqliteConnection* connection = idle_.back();
    idle_.pop_back();
    return connection;
  }
  bool Give(SqliteConnection* connection) {
    std::lock_guard lock(mutex_);
    if (idle_.size() >= kMost) return false;
    idle_.push_back(connection);
    return true;
  }

 private:
  void CloseAllAndLock() {
    mutex_.lock();
    for (SqliteConnection* connection : idle_) delete connection;
    idle_.clear();
  }

  std::mutex mutex_;
  std::vector<SqliteConnection*> idle_;
};

// Databases a thread no longer uses that stay attached for its next files.
constexpr std::size_t kLingering = 4;
// SQLite's limit of attached databases besides the main one.
constexpr std::size_t kMostAttached = 10;

}  // namespace

SqliteAttachment::SqliteAttachment(std::shared_ptr<SqliteConnection> connection, std::string key,
                                   std::string schema)
    : connection_(std::move(connection)), key_(std::move(key)), schema_(std::move(schema)) {}

SqliteAttachment::~SqliteAttachment() { connection_->Release(key_, schema_); }

std::shared_ptr<SqliteConnection> SqliteConnection::ForThisThread() {
  std::shared_ptr<SqliteConnection> connection = this_thread_connection.lock();
  if (connection) return connection;
  SqliteConnection* reused = nullptr;
  while ((reused = IdleConnections::Get().Take()) != nullptr && !reused->StillCurrent()) delete reused;
  connection.reset(reused != nullptr ? reused : new SqliteConnection(), &SqliteConnection::GoIdle);
  this_thread_connection = connection;
  return connection;
}

void SqliteConnection::GoIdle(SqliteConnection* connection) {
  if (connection->db_ != nullptr && !connection->InTransaction()) {
    connection->DetachSurplus(kLingering);
    if (IdleConnections::Get().Give(connection)) return;
  }
  delete connection;
}

// An idle connection taken up again: its main database must be the file now
// at its path; a lingering one that is not is detached.
bool SqliteConnection::StillCurrent() {
  if (Replaced("main")) return false;
  for (auto it = lingering_.begin(); it != lingering_.end();) {
    if (Replaced(it->schema) && Detach(it->schema)) {
      files_.erase(it->schema);
      it = lingering_.erase(it);
    } else {
      ++it;
    }
  }
  if (cache_kib_ != this_thread_cache_kib) {
    for (const auto& [schema, file] : files_) ApplyCache(schema);
  }
  return true;
}

bool SqliteConnection::Record(const std::string& schema, const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return false;
  files_[schema] = {file, status.st_dev, status.st_ino};
  return true;
}

bool SqliteConnection::Replaced(const std::string& schema) const {
  const auto it = files_.find(schema);
  struct stat status {};
  return it == files_.end() || ::stat(it->second.path.c_str(), &status) != 0 ||
         status.st_dev != it->second.device || status.st_ino != it->second.inode;
}

std::shared_ptr<SqliteConnection> SqliteConnection::OfThisThread() {
  return this_thread_connection.lock();
}

void SqliteConnection::SetThreadCache(int kib) {
  this_thread_cache_kib = kib;
  const std::shared_ptr<SqliteConnection> connection = OfThisThread();
  if (!connection || connection->db_ == nullptr) return;
  for (const auto& [schema, file] : connection->files_) connection->ApplyCache(schema);
  if (kib == 0) sqlite3_db_release_memory(connection->db_);
}

void SqliteConnection::ApplyCache(const std::string& schema) {
  constexpr int kDefaultKib = 2000;
  const std::string pragma = "PRAGMA \"" + schema + "\".cache_size=-" +
                             std::to_string(this_thread_cache_kib > 0 ? this_thread_cache_kib : kDefaultKib);
  sqlite3_exec(db_, pragma.c_str(), nullptr, nullptr, nullptr);
  cache_kib_ = this_thread_cache_kib;
}

SqliteConnection::~SqliteConnection() {
  kept_.clear();
  // Closing rolls back a transaction that is still running.
  if (db_ != nullptr) sqlite3_close_v2(db_);
}

int SqliteConnection::Prepare(SqliteStatement& statement, const std::string& sql) {
  if (auto kept = kept_.find(sql); kept != kept_.end()) {
    statement = std::move(kept->second);
    kept_.erase(kept);
    return SQLITE_OK;
  }
  return statement.Prepare(db_, sql);
}

void SqliteConnection::Keep(SqliteStatement& statement) {
  constexpr std::size_t kMostKept = 256;
  if (!statement) return;
  if (kept_.size() >= kMostKept) kept_.clear();
  // A second statement of the same text (two files of one table) is finalized.
  kept_.try_emplace(sqlite3_sql(statement.get()), std::move(statement));
  statement.Finalize();
}

int SqliteConnection::Attach(const std::filesystem::path& directory, bool create,
                             std::shared_ptr<SqliteAttachment>* out) {
  std::string key = DirectoryKey(directory);
  if (auto it = attached_.find(key); it != attached_.end()) {
    if (std::shared_ptr<SqliteAttachment> existing = it->second.lock()) {
      *out = std::move(existing);
      return kStoreOk;
    }
  }
  const std::filesystem::path file = directory / kDatabaseName;
  int checked = CheckDatabaseFile(file);
  if (checked == kFileNotFound && create) checked = MakeDatabaseFile(file);
  if (checked != kStoreOk) return checked;
  std::string schema;
  if (db_ == nullptr) {
    if (int answer = OpenMain(file)) return answer;
    schema = "main";
    main_key_ = key;
  } else if (key == main_key_) {
    schema = "main";
  } else {
    const auto lingering =
        std::find_if(lingering_.begin(), lingering_.end(), [&key](const Lingering& l) { return l.key == key; });
    if (lingering != lingering_.end()) {
      schema = lingering->schema;
      lingering_.erase(lingering);
      // A database file put in place of the one attached is attached anew.
      if (Replaced(schema) && !InTransaction() && Detach(schema)) {
        files_.erase(schema);
        schema.clear();
      }
    }
    if (schema.empty()) {
      std::size_t in_use = 0;
      for (const auto& [other, attachment] : attached_) in_use += other != main_key_ && !attachment.expired();
      DetachSurplus(std::min(kLingering, kMostAttached - 1 - std::min(in_use, kMostAttached - 1)));
      schema = "d" + std::to_string(next_schema_++);
      if (int answer = AttachFile(file, schema)) return answer;
    }
  }
  CleanOnFirstOpen(key, file);
  auto attachment = std::make_shared<SqliteAttachment>(shared_from_this(), key, schema);
  attached_[key] = attachment;
  *out = std::move(attachment);
  return kStoreOk;
}

int SqliteConnection::OpenMain(const std::filesystem::path& file) {
  // The database files are made by MakeDatabaseFile, never by SQLite, so
  // that they get the private mode; journals take the mode of their database.
  int rc =
      sqlite3_open_v2(file.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db_, kDefaultBusyMs);
    // A double-quoted name is always a name: without this SQLite reads the
    // name of a missing column as a text constant, so a table without a
    // field would show the field's name as its value.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // A rollback journal (not a write-ahead log) is what makes a commit over
    // several attached databases atomic.
    rc = sqlite3_exec(db_, "PRAGMA main.journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (this_thread_cache_kib > 0) ApplyCache("main");
    Record("main", file);
  }
  int answer = rc == SQLITE_OK ? CheckOurDatabase(db_, "main") : ReportSqlite(db_, rc, false, "main");
  if (answer != kStoreOk) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  return answer;
}

int SqliteConnection::AttachFile(const std::filesystem::path& file, const std::string& schema) {
  SqliteStatement attach;
  int rc = attach.Prepare(db_, "ATTACH DATABASE ?1 AS ?2");
  if (rc == SQLITE_OK) {
    const std::string name = file.string();
    sqlite3_bind_text(attach.get(), 1, name.c_str(), static_cast<int>(name.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_text(attach.get(), 2, schema.c_str(), static_cast<int>(schema.size()),
                      SQLITE_TRANSIENT);
    rc = sqlite3_step(attach.get());
    if (rc == SQLITE_DONE) rc = SQLITE_OK;
  }
  if (rc != SQLITE_OK) return ReportSqlite(db_, rc);
  const std::string pragma = "PRAGMA \"" + schema + "\".journal_mode=DELETE";
  rc = sqlite3_exec(db_, pragma.c_str(), nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK && this_thread_cache_kib > 0) ApplyCache(schema);
  if (rc == SQLITE_OK) Record(schema, file);
  int answer =
      rc == SQLITE_OK ? CheckOurDatabase(db_, schema.c_str()) : ReportSqlite(db_, rc, false, schema.c_str());
  if (answer != kStoreOk) {
    const platform::RuntimeError saved = platform::LastRuntimeError();
    Detach(schema);
    files_.erase(schema);
    platform::SetFileError(saved.code, saved.text, saved.file_error_code, saved.file_error_text);
  }
  return answer;
}

void SqliteConnection::Release(const std::string& key, const std::string& schema) {
  if (auto it = attached_.find(key); it != attached_.end() && it->second.expired()) {
    attached_.erase(it);
  }
  // The main database stays until the connection closes: SQLite cannot
  // detach it.
  if (schema == "main" || db_ == nullptr) return;
  lingering_.push_back({key, schema});
  DetachSurplus(kLingering);
}

bool SqliteConnection::Detach(const std::string& schema) {
  kept_.clear();  // some may read the database
  SqliteStatement detach;
  if (detach.Prepare(db_, "DETACH DATABASE ?1") != SQLITE_OK) return false;
  sqlite3_bind_text(detach.get(), 1, schema.c_str(), static_cast<int>(schema.size()),
                    SQLITE_TRANSIENT);
  return sqlite3_step(detach.get()) == SQLITE_DONE;
}

// Detaches the oldest lingering databases down to `keep`; a transaction
// keeps them until it ends.
void SqliteConnection::DetachSurplus(std::size_t keep) {
  while (lingering_.size() > keep && !InTransaction() && Detach(lingering_.front().schema)) {
    files_.erase(lingering_.front().schema);
    lingering_.erase(lingering_.begin());
  }
}

int SqliteConnection::Execute(const char* sql, const char* schema) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? kStoreOk : ReportSqlite(db_, rc, false, schema);
}

bool SqliteConnection::InTransaction() const {
  return db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
}

int SqliteConnection::Begin(int wait_ms) {
  if (db_ == nullptr) return ReportAnswer(kFileNotOpen);
  if (InTransaction()) return ReportDriverText("a transaction is already running on this thread");
  // BEGIN IMMEDIATE write-locks every attached database: the lingering ones
  // go first, so that other stations are not held off files nobody here uses.
  DetachSurplus(0);
  sqlite3_busy_timeout(db_, wait_ms);
  int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  int answer = rc == SQLITE_OK ? kStoreOk : ReportSqlite(db_, rc);
  sqlite3_busy_timeout(db_, kDefaultBusyMs);
  return answer;
}

int SqliteConnection::Commit() {
  if (!InTransaction()) return ReportDriverText("no transaction is running on this thread");
  int rc;
  {
    PrivateFileMask mask;
    rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  }
  // A commit that could not take its lock leaves the transaction running;
  // the caller may try again or roll back.
  if (rc != SQLITE_OK) return ReportSqlite(db_, rc);
  Changed();
  DetachSurplus(kLingering);
  return kStoreOk;
}

int SqliteConnection::Rollback() {
  int answer = kStoreOk;
  if (InTransaction()) answer = Execute("ROLLBACK");
  Changed();
  DetachSurplus(kLingering);
  return answer;
}

}  // namespace vornel::data
