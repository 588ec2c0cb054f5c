#include "data/store/sqlite_connection.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

SqliteAttachment::SqliteAttachment(std::shared_ptr<SqliteConnection> connection, std::string key,
                                   std::string schema)
    : connection_(std::move(connection)), key_(std::move(key)), schema_(std::move(schema)) {}

SqliteAttachment::~SqliteAttachment() { connection_->Release(key_, schema_); }

std::shared_ptr<SqliteConnection> SqliteConnection::ForThisThread() {
  std::shared_ptr<SqliteConnection> connection = this_thread_connection.lock();
  if (!connection) {
    connection = std::make_shared<SqliteConnection>();
    this_thread_connection = connection;
  }
  return connection;
}

std::shared_ptr<SqliteConnection> SqliteConnection::OfThisThread() {
  return this_thread_connection.lock();
}

void SqliteConnection::SetThreadCache(int kib) {
  this_thread_cache_kib = kib;
  const std::shared_ptr<SqliteConnection> connection = OfThisThread();
  if (!connection || connection->db_ == nullptr) return;
  connection->ApplyCache("main");
  for (const auto& [key, attachment] : connection->attached_)
    if (const auto open = attachment.lock(); open && open->schema() != "main") connection->ApplyCache(open->schema());
  if (kib == 0) sqlite3_db_release_memory(connection->db_);
}

void SqliteConnection::ApplyCache(const std::string& schema) {
  constexpr int kDefaultKib = 2000;
  const std::string pragma = "PRAGMA \"" + schema + "\".cache_size=-" +
                             std::to_string(this_thread_cache_kib > 0 ? this_thread_cache_kib : kDefaultKib);
  sqlite3_exec(db_, pragma.c_str(), nullptr, nullptr, nullptr);
}

SqliteConnection::~SqliteConnection() {
  // Closing rolls back a transaction that is still running.
  if (db_ != nullptr) sqlite3_close_v2(db_);
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
  } else if (auto waiting = detach_waiting_.find(key); waiting != detach_waiting_.end()) {
    schema = waiting->second;
    detach_waiting_.erase(waiting);
  } else {
    schema = "d" + std::to_string(next_schema_++);
    if (int answer = AttachFile(file, schema)) return answer;
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
  int answer =
      rc == SQLITE_OK ? CheckOurDatabase(db_, schema.c_str()) : ReportSqlite(db_, rc, false, schema.c_str());
  if (answer != kStoreOk) {
    const platform::RuntimeError saved = platform::LastRuntimeError();
    Detach(schema);
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
  if (InTransaction() || !Detach(schema)) detach_waiting_[key] = schema;
}

bool SqliteConnection::Detach(const std::string& schema) {
  SqliteStatement detach;
  if (detach.Prepare(db_, "DETACH DATABASE ?1") != SQLITE_OK) return false;
  sqlite3_bind_text(detach.get(), 1, schema.c_str(), static_cast<int>(schema.size()),
                    SQLITE_TRANSIENT);
  return sqlite3_step(detach.get()) == SQLITE_DONE;
}

void SqliteConnection::DetachWaiting() {
  for (auto it = detach_waiting_.begin(); it != detach_waiting_.end();) {
    if (Detach(it->second))
      it = detach_waiting_.erase(it);
    else
      ++it;
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
  DetachWaiting();
  return kStoreOk;
}

int SqliteConnection::Rollback() {
  int answer = kStoreOk;
  if (InTransaction()) answer = Execute("ROLLBACK");
  Changed();
  DetachWaiting();
  return answer;
}

}  // namespace vornel::data
