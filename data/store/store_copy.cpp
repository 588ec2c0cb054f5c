#include "data/store/store_copy.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/store/pg_codec.h"
#include "data/store/pg_session.h"
#include "data/store/pg_store.h"
#include "data/store/sql_table.h"
#include "data/store/sqlite_connection.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

namespace fs = std::filesystem;

// Rows of one file written many to a command: the same record, position
// and revision as in the source.
class RowWriter {
 public:
  RowWriter(const FileDef& def, const SqlTable& table, PgConnection& connection)
      : def_(def), table_(table), connection_(connection), codec_(def) {
    const std::size_t per_row = def.fields.size() + 2;
    rows_per_command_ = std::clamp<std::size_t>(60000 / per_row, 1, 500);
  }

  int Add(const char* record, RecordPosition position, std::int64_t revision) {
    std::string problem;
    if (!codec_.AddFields(parameters_, record, &problem)) return ReportDriverTextOf(problem);
    parameters_.AddInteger(position);
    parameters_.AddInteger(revision);
    highest_ = std::max(highest_, position);
    return ++pending_ == rows_per_command_ ? Send() : kStoreOk;
  }

  // The rows not yet sent, and the position counter past the highest.
  int Finish() {
    if (int answer = Send()) return answer;
    if (highest_ == 0) return kStoreOk;
    PgParams parameters;
    parameters.AddText(table_.name());
    parameters.AddInteger(highest_);
    return connection_.Run("SELECT setval(pg_get_serial_sequence($1, '~pos'), $2)", parameters);
  }

 private:
  static int ReportDriverTextOf(const std::string& text) {
    platform::SetFileError(kDriverError, StoreAnswerText(kDriverError), "", text);
    return kDriverError;
  }

  int Send() {
    if (pending_ == 0) return kStoreOk;
    std::string sql = "INSERT INTO " + table_.name() + " (";
    for (const FieldDef& field : def_.fields) sql += QuoteName(ColumnName(field)) + ",";
    sql += std::string(SqlTable::kPosition) + "," + SqlTable::kRevision + ") VALUES ";
    const std::size_t per_row = def_.fields.size() + 2;
    std::size_t parameter = 1;
    for (std::size_t row = 0; row < pending_; ++row) {
      sql += row == 0 ? "(" : ",(";
      for (std::size_t i = 0; i < per_row; ++i) sql += (i == 0 ? "" : ",") + table_.Parameter(parameter++);
      sql += ")";
    }
    int answer = connection_.Run(sql, parameters_);
    parameters_.Clear();
    pending_ = 0;
    return answer;
  }

  const FileDef& def_;
  const SqlTable& table_;
  PgConnection& connection_;
  PgCodec codec_;
  PgParams parameters_;
  std::size_t rows_per_command_ = 1;
  std::size_t pending_ = 0;
  RecordPosition highest_ = 0;
};

// Copies one file; its record count, or -1 with the failure in `message`.
long long CopyFile(const FileDef& def, const fs::path& directory, RecordStore& source_store,
                   RecordStore& target_store, PgStore& server, PgConnection& connection, std::string* message) {
  auto source = source_store.MakeFile(def, directory);
  // No station may write while its records are copied.
  if (int answer = source->Open(kReadOnly | kDenyWrite)) {
    *message = (answer == kAccessDenied ? "another station has " + std::string(def.label) +
                                              " open for writing: close the program on every station first"
                                        : LastFailureText());
    return -1;
  }
  auto target = target_store.MakeFile(def, directory);
  if (target->Create() != kStoreOk) {
    *message = LastFailureText();
    return -1;
  }
  std::string problem;
  const SqlTable table(def, server.SchemaOf(directory, &problem), PostgresDialect());
  RowWriter writer(def, table, connection);
  long long copied = 0;
  int answer = source->SetOrder(nullptr);
  while (answer == kStoreOk && (answer = source->Next()) == kStoreOk) {
    answer = writer.Add(source->buffer().data(), source->Position(), source->Revision());
    ++copied;
  }
  if (answer == kRecordNotAvailable) answer = writer.Finish();
  if (answer != kStoreOk) {
    *message = def.label.data() + std::string(": ") + LastFailureText();
    return -1;
  }
  // The counts of both stores, each as its own store counts.
  if (target->Open(kOpenFallback) != kStoreOk) {
    *message = LastFailureText();
    return -1;
  }
  const std::int64_t in_source = source->Records();
  const std::int64_t in_target = target->Records();
  if (in_source != copied || in_target != copied) {
    *message = std::string(def.label) + " in " + directory.string() + ": " + std::to_string(in_source) +
               " records in the data root, " + std::to_string(copied) + " read, " + std::to_string(in_target) +
               " in the database";
    return -1;
  }
  return copied;
}

}  // namespace

std::string LastFailureText() {
  const platform::RuntimeError& error = platform::LastRuntimeError();
  return error.file_error_text.empty() ? error.text : error.file_error_text;
}

std::vector<fs::path> RecordDirectories(const fs::path& root) {
  std::vector<fs::path> directories;
  std::error_code ec;
  if (fs::exists(root / SqliteConnection::kDatabaseName, ec)) directories.push_back(root);
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec) && fs::exists(it->path() / SqliteConnection::kDatabaseName, ec))
      directories.push_back(it->path());
  }
  std::sort(directories.begin(), directories.end());
  return directories;
}

CopyResult CopyRootToServer(const fs::path& root, const PgAddress& address,
                            const std::function<void(std::string_view)>& progress) {
  CopyResult result;
  if (!fs::is_directory(root)) {
    result.message = root.string() + " is not a data root";
    return result;
  }
  result.message = CheckEmptyDatabase(address);
  if (!result.message.empty()) return result;
  const std::vector<fs::path> directories = RecordDirectories(root);
  if (directories.empty()) {
    result.message = root.string() + " holds no records to copy";
    return result;
  }
  PgStore server(address, root);
  std::unique_ptr<RecordStore> source_store = MakeSqliteStore();
  int answer = kStoreOk;
  std::shared_ptr<PgSession> session = PgSession::ForThisThread(address, &answer);
  if (!session || session->Begin(10000) != kStoreOk) {
    result.message = LastFailureText();
    return result;
  }
  for (const fs::path& directory : directories) {
    for (const FileDef& def : AllFiles()) {
      if (!source_store->MakeFile(def, directory)->Exists()) continue;
      const long long copied =
          CopyFile(def, directory, *source_store, server, server, session->connection(), &result.message);
      if (copied < 0) {
        session->Rollback();
        result.message = "Nothing was copied: " + result.message;
        return result;
      }
      ++result.files;
      result.records += copied;
      if (progress) {
        progress(fs::relative(directory, root).generic_string() + "/" + std::string(def.label) + ": " +
                 std::to_string(copied) + " records");
      }
    }
  }
  if (session->Commit() != kStoreOk) {
    result.message = "Nothing was copied: " + LastFailureText();
    return result;
  }
  result.Done();
  return result;
}

}  // namespace vornel::data
