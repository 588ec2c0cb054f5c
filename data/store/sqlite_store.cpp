#include "data/store/sqlite_store.h"

#include <algorithm>

#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_error.h"
#include "data/store/sqlite_record_file.h"
#include "data/store/store_answer.h"

namespace vornel::data {

std::unique_ptr<RecordStore> MakeSqliteStore() { return std::make_unique<SqliteStore>(); }

std::unique_ptr<RecordFile> SqliteStore::MakeFile(const FileDef& def,
                                                  const std::filesystem::path& directory) {
  return std::make_unique<SqliteRecordFile>(def, directory);
}

int SqliteStore::BeginTransaction(std::span<RecordFile* const> files, int wait_seconds) {
  std::shared_ptr<SqliteConnection> connection = SqliteConnection::OfThisThread();
  for (RecordFile* file : files) {
    auto* sqlite_file = dynamic_cast<SqliteRecordFile*>(file);
    if (sqlite_file == nullptr || !sqlite_file->IsOpen()) return ReportAnswer(kFileNotOpen);
    if (sqlite_file->connection() != connection.get()) {
      return ReportDriverText("a transaction covers only files open on the calling thread");
    }
  }
  if (!connection || connection->db() == nullptr) return ReportAnswer(kFileNotOpen);
  const int wait_ms = std::clamp(wait_seconds, 0, 24 * 3600) * 1000;
  return connection->Begin(wait_ms);
}

int SqliteStore::Commit() {
  std::shared_ptr<SqliteConnection> connection = SqliteConnection::OfThisThread();
  if (!connection) return ReportDriverText("no transaction is running on this thread");
  return connection->Commit();
}

int SqliteStore::Rollback() {
  std::shared_ptr<SqliteConnection> connection = SqliteConnection::OfThisThread();
  return connection ? connection->Rollback() : kStoreOk;
}

void SqliteStore::UseBatchCache(bool on) {
  constexpr int kBatchKib = 64 * 1024;
  SqliteConnection::SetThreadCache(on ? kBatchKib : 0);
}

}  // namespace vornel::data
