#include "data/store/pg_store.h"

#include <algorithm>
#include <set>
#include <string>

#include "data/store/pg_record_file.h"
#include "data/store/pg_session.h"
#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

// The longest identifier the server keeps whole.
constexpr std::size_t kLongestName = 63;

}  // namespace

PgStore::PgStore(PgAddress address, std::filesystem::path root, std::string problem)
    : address_(std::move(address)),
      root_(std::filesystem::absolute(root).lexically_normal()),
      problem_(std::move(problem)) {}

std::unique_ptr<RecordStore> MakePgStore(PgAddress address, std::filesystem::path root) {
  return std::make_unique<PgStore>(std::move(address), std::move(root));
}

std::string PgStore::SchemaOf(const std::filesystem::path& directory, std::string* problem) const {
  const std::filesystem::path full = std::filesystem::absolute(directory).lexically_normal();
  std::filesystem::path relative = full.lexically_relative(root_);
  std::string name = relative.generic_string();
  while (!name.empty() && name.back() == '/') name.pop_back();
  // A directory outside the root is named by its whole path.
  if (name.empty() || name == ".") name = "/";
  if (name.starts_with("..")) name = full.generic_string();
  if (name.size() > kLongestName) {
    *problem = "The directory " + full.string() + " has no schema on the database server: its name " + name +
               " is longer than the " + std::to_string(kLongestName) + " characters the server allows";
    return "";
  }
  return name;
}

std::unique_ptr<RecordFile> PgStore::MakeFile(const FileDef& def, const std::filesystem::path& directory) {
  std::string problem = problem_;
  std::string schema = problem.empty() ? SchemaOf(directory, &problem) : "";
  return std::make_unique<PgRecordFile>(def, address_, std::move(schema), std::move(problem));
}

std::string CheckEmptyDatabase(const PgAddress& address) {
  int answer = kStoreOk;
  std::unique_ptr<PgConnection> connection = PgConnection::Connect(address, &answer);
  if (!connection) return platform::LastRuntimeError().file_error_text;
  PgResult result;
  if (connection->Execute("SELECT to_regclass('\"vornel_store\".\"version\"') IS NOT NULL", {}, &result)) {
    return platform::LastRuntimeError().file_error_text;
  }
  if (result.Text(0, 0) == "t") {
    return "The database " + connection->address().database + " on " + DescribeServer(connection->address()) +
           " holds record files already; use an empty database";
  }
  return "";
}

int PgStore::BeginTransaction(std::span<RecordFile* const> files, int wait_seconds) {
  std::shared_ptr<PgSession> session = PgSession::OfThisThread();
  std::set<std::string> tables;
  for (RecordFile* file : files) {
    auto* pg_file = dynamic_cast<PgRecordFile*>(file);
    if (pg_file == nullptr || !pg_file->IsOpen()) return ReportAnswer(kFileNotOpen);
    if (pg_file->session() != session.get()) {
      return ReportDriverText("a transaction covers only files open on the calling thread");
    }
    tables.insert(pg_file->table_name());
  }
  if (!session) return ReportAnswer(kFileNotOpen);
  if (int answer = session->Begin(std::clamp(wait_seconds, 0, 24 * 3600) * 1000)) return answer;
  // The files are taken for writing from the start, as the embedded store
  // takes its databases: what the transaction reads stays as it read it
  // until it ends (a posting that reads the posting date first is the only
  // one to post). Other stations read on; their writes to these files, and
  // their transactions over them, wait until it ends. Taken in name order,
  // so that two transactions never wait for each other.
  std::string names;
  for (const std::string& table : tables) names += (names.empty() ? "" : ",") + table;
  if (int answer = session->connection().Execute("LOCK TABLE " + names + " IN SHARE ROW EXCLUSIVE MODE")) {
    const platform::RuntimeError failure = platform::LastRuntimeError();
    session->Rollback();
    platform::SetFileError(failure.code, failure.text, failure.file_error_code, failure.file_error_text);
    return answer;
  }
  return kStoreOk;
}

int PgStore::Commit() {
  std::shared_ptr<PgSession> session = PgSession::OfThisThread();
  if (!session) return ReportDriverText("no transaction is running on this thread");
  return session->Commit();
}

int PgStore::Rollback() {
  std::shared_ptr<PgSession> session = PgSession::OfThisThread();
  return session ? session->Rollback() : kStoreOk;
}

}  // namespace vornel::data
