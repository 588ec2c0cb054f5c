// A data root's records copied from a database on a server back into the
// root's own store. Every file is read in one read-only snapshot of the
// database and written into a staging directory of the root; only when all
// of it is there, and every count agrees, is a mark written and each
// directory's database moved into its place. A copy killed before the mark
// leaves the root as it was (the next copy clears the staging directory); one
// killed after it is finished by the next copy.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/store/pg_session.h"
#include "data/store/pg_store.h"
#include "data/store/sqlite_codec.h"
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_error.h"
#include "data/store/sqlite_schema.h"
#include "data/store/sqlite_statement.h"
#include "data/store/sqlite_table.h"
#include "data/store/store_answer.h"
#include "data/store/store_copy.h"

namespace vornel::data {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStaging = ".vornel-copy";
constexpr const char* kCompleteMark = "complete";  // lists the directories to move, one a line

// The schemas that hold record files, each a directory's path under the root.
bool StoreSchemas(PgConnection& connection, std::vector<std::string>* schemas, std::string* message) {
  PgResult result;
  if (connection.Run("SELECT nspname FROM pg_namespace WHERE nspname NOT LIKE 'pg\\_%' AND nspname NOT IN "
                     "('information_schema', 'public', 'vornel_store') ORDER BY 1",
                     PgParams(), &result) != kStoreOk) {
    *message = LastFailureText();
    return false;
  }
  for (int row = 0; row < result.rows(); ++row) {
    const std::string name(result.Text(row, 0));
    // A schema that is not a plain path below the root is no directory of
    // ours: copying it would write outside the root.
    const fs::path path(name);
    const bool plain = !name.empty() && path.is_relative() &&
                       std::none_of(path.begin(), path.end(), [](const fs::path& part) {
                         return part == ".." || part == "." || part.empty();
                       });
    if (!plain) {
      *message = "the database holds the schema \"" + name + "\", which is not a directory of a data root";
      return false;
    }
    schemas->push_back(name);
  }
  return true;
}

// Writes one directory's files into its staging database, each record with
// its position and revision.
class StagedDirectory {
 public:
  int Open(const fs::path& directory) {
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (ec) return ReportDriverText("cannot make " + directory.string() + ": " + ec.message());
    return SqliteConnection::ForThisThread()->Attach(directory, true, &attachment_);
  }

  // Copies the open `source` into a new table; its record count, or -1.
  long long Copy(const FileDef& def, RecordFile& source, PgConnection& server, const std::string& server_table) {
    SqliteConnection& connection = attachment_->connection();
    const SqliteTable table(def, attachment_->schema());
    if (CreateTable(connection, table) != kStoreOk) return -1;
    std::string sql = "INSERT INTO " + table.name() + " (" + table.columns() + ") VALUES (";
    const std::size_t columns = def.fields.size() + 2;
    for (std::size_t i = 1; i <= columns; ++i) sql += (i == 1 ? "" : ",") + table.Parameter(i);
    SqliteStatement insert;
    if (int rc = insert.Prepare(connection.db(), sql + ")"); rc != SQLITE_OK) {
      ReportSqlite(connection.db(), rc);
      return -1;
    }
    if (connection.Begin(SqliteConnection::kDefaultBusyMs) != kStoreOk) return -1;
    const RowCodec codec(def);
    long long copied = 0;
    RecordPosition highest = 0;
    int answer = source.SetOrder(nullptr);
    while (answer == kStoreOk && (answer = source.Next()) == kStoreOk) {
      StatementReset reset(insert.get());
      codec.BindFields(insert.get(), source.buffer().data());
      sqlite3_bind_int64(insert.get(), static_cast<int>(columns) - 1, source.Position());
      sqlite3_bind_int64(insert.get(), static_cast<int>(columns), source.Revision());
      if (int rc = sqlite3_step(insert.get()); rc != SQLITE_DONE) {
        ReportSqlite(connection.db(), rc);
        answer = kDriverError;
        break;
      }
      highest = std::max(highest, source.Position());
      ++copied;
    }
    if (answer == kRecordNotAvailable) answer = KeepCounter(def, server, server_table, highest);
    if (answer != kStoreOk) {
      connection.Rollback();
      return -1;
    }
    return connection.Commit() == kStoreOk ? copied : -1;
  }

 private:
  // Positions are never used twice: the counter goes on from the server's,
  // which is past positions of records deleted since.
  int KeepCounter(const FileDef& def, PgConnection& server, const std::string& server_table,
                  RecordPosition highest) {
    PgParams parameters;
    parameters.AddText(server_table);
    PgResult result;
    if (int answer = server.Run("SELECT pg_sequence_last_value(pg_get_serial_sequence($1, '~pos'))", parameters,
                                &result)) {
      return answer;
    }
    if (result.rows() == 1 && !result.IsNull(0, 0)) {
      highest = std::max<RecordPosition>(highest, std::stoll(std::string(result.Text(0, 0))));
    }
    if (highest == 0) return kStoreOk;
    SqliteConnection& connection = attachment_->connection();
    const std::string sequence = QuoteName(attachment_->schema()) + ".sqlite_sequence";
    const std::string name = "'" + std::string(def.label) + "'";  // a file's label, never the user's
    const std::string sql = "DELETE FROM " + sequence + " WHERE name=" + name + "; INSERT INTO " + sequence +
                            " (name, seq) VALUES (" + name + "," + std::to_string(highest) + ")";
    return connection.Execute(sql.c_str(), attachment_->schema().c_str());
  }

  std::shared_ptr<SqliteAttachment> attachment_;
};

// Every record of `directory` on the server into `staged`; false with the
// failure in `message`.
bool CopyDirectory(PgStore& server, PgConnection& connection, const fs::path& directory, const fs::path& staged,
                   CopyResult* result, const std::function<void(std::string_view)>& progress,
                   const std::string& shown) {
  StagedDirectory target;
  bool opened = false;
  auto sqlite = MakeSqliteStore();
  for (const FileDef& def : AllFiles()) {
    auto source = server.MakeFile(def, directory);
    if (!source->Exists()) continue;
    // The snapshot is whole while stations write, so they may go on working.
    if (source->Open(kOpenFallback) != kStoreOk) {
      result->message = shown + "/" + std::string(def.label) + ": " + LastFailureText();
      return false;
    }
    if (!opened && target.Open(staged) != kStoreOk) {
      result->message = LastFailureText();
      return false;
    }
    opened = true;
    std::string problem;
    const SqlTable server_table(def, server.SchemaOf(directory, &problem), PostgresDialect());
    const long long copied = target.Copy(def, *source, connection, server_table.name());
    auto written = sqlite->MakeFile(def, staged);
    const bool counted = copied >= 0 && written->Open(kOpenFallback) == kStoreOk;
    if (!counted) {
      result->message = shown + "/" + std::string(def.label) + ": " + LastFailureText();
      return false;
    }
    const std::int64_t on_server = source->Records();
    const std::int64_t in_root = written->Records();
    if (on_server != copied || in_root != copied) {
      result->message = std::string(def.label) + " in " + shown + ": " + std::to_string(on_server) +
                        " records in the database, " + std::to_string(copied) + " read, " +
                        std::to_string(in_root) + " in the data root";
      return false;
    }
    ++result->files;
    result->records += copied;
    if (progress) progress(shown + "/" + std::string(def.label) + ": " + std::to_string(copied) + " records");
  }
  return true;
}

// Writes the mark naming the staged directories, and syncs it: from here on
// the copy is finished by moving the databases, even after a kill.
bool WriteMark(const fs::path& staging, const std::vector<std::string>& directories, std::string* message) {
  const fs::path temp = staging / (std::string(kCompleteMark) + ".new");
  {
    std::ofstream out(temp, std::ios::trunc);
    for (const std::string& directory : directories) out << directory << '\n';
    out.flush();
    if (!out) {
      *message = "cannot write " + temp.string();
      return false;
    }
  }
  const int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  if (!synced || ::rename(temp.c_str(), (staging / kCompleteMark).c_str()) != 0) {
    *message = "cannot write " + (staging / kCompleteMark).string();
    return false;
  }
  return true;
}

// Moves every staged database named by the mark into its directory, and
// then takes the staging directory away.
bool MoveIntoPlace(const fs::path& root, std::string* message) {
  const fs::path staging = root / kStaging;
  std::ifstream mark(staging / kCompleteMark);
  std::string directory;
  std::error_code ec;
  while (std::getline(mark, directory)) {
    const fs::path from = staging / directory / SqliteConnection::kDatabaseName;
    const fs::path to = root / directory / SqliteConnection::kDatabaseName;
    if (!fs::exists(from, ec)) continue;  // moved before the copy was stopped
    fs::create_directories(to.parent_path(), ec);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
      *message = "cannot move " + from.string() + " to " + to.string() + ": " + std::strerror(errno);
      return false;
    }
  }
  fs::remove_all(staging, ec);
  return true;
}

// The first database of the root's own store under `root`, "" when none.
std::string FirstDatabase(const fs::path& root) {
  for (const fs::path& directory : RecordDirectories(root)) {
    if (directory.lexically_relative(root).begin()->string() != kStaging)
      return (directory / SqliteConnection::kDatabaseName).string();
  }
  return "";
}

}  // namespace

CopyResult CopyServerToRoot(const PgAddress& address, const fs::path& root,
                            const std::function<void(std::string_view)>& progress) {
  CopyResult result;
  std::error_code ec;
  const fs::path staging = root / kStaging;
  if (fs::exists(staging / kCompleteMark, ec)) {
    result.ok = MoveIntoPlace(root, &result.message);
    if (result.ok) result.message = "the copy that was stopped while its records were moved into place is finished";
    return result;
  }
  if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
    result.message = root.string() + " is not a directory";
    return result;
  }
  if (const std::string held = FirstDatabase(root); !held.empty()) {
    result.message = root.string() + " holds records already (" + held +
                     "): copy into a data root without records, or move them away first";
    return result;
  }
  fs::remove_all(staging, ec);  // what a stopped copy left before it was complete
  fs::create_directories(staging, ec);
  if (!ec) fs::permissions(staging, fs::perms::owner_all, ec);
  if (ec) {
    result.message = "cannot make " + staging.string() + ": " + ec.message();
    return result;
  }
  int answer = kStoreOk;
  std::shared_ptr<PgSession> session = PgSession::ForThisThread(address, &answer);
  // One snapshot of the whole database, so that the copy is as one moment
  // left it even if a station writes meanwhile.
  if (!session || session->Begin(10000) != kStoreOk ||
      session->connection().Execute("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY") != kStoreOk) {
    result.message = LastFailureText();
    if (session) session->Rollback();
    return result;
  }
  std::vector<std::string> directories;
  PgStore server(address, root);
  bool copied = StoreSchemas(session->connection(), &directories, &result.message);
  for (std::size_t i = 0; copied && i < directories.size(); ++i) {
    copied = CopyDirectory(server, session->connection(), root / directories[i], staging / directories[i], &result,
                           progress, directories[i]);
  }
  session->Rollback();
  if (copied && result.files == 0) {
    copied = false;
    result.message = "the database holds no record files";
  }
  if (!copied || !WriteMark(staging, directories, &result.message)) {
    fs::remove_all(staging, ec);
    result.message = "Nothing was copied: " + result.message;
    return result;
  }
  if (!MoveIntoPlace(root, &result.message)) {
    result.message = "Every record is copied, but not all of it is in place: " + result.message +
                     ". Run the same copy again to finish it";
    return result;
  }
  result.Done();
  return result;
}

}  // namespace vornel::data
