#pragma once
// The record-file store on a PostgreSQL server: one database for the whole
// data root, one schema per data directory (named by the directory's path
// under the root: "COMMON", "DEPT1/ARCS"), one table per record file, one
// session per thread. See docs/record-store.md and docs/database-server.md.
#include <filesystem>

#include "data/store/pg_connection.h"
#include "data/store/record_store.h"

namespace vornel::data {

class PgStore final : public RecordStore {
 public:
  PgStore(PgAddress address, std::filesystem::path root);

  std::unique_ptr<RecordFile> MakeFile(const FileDef& def, const std::filesystem::path& directory) override;
  // The files must be open on the calling thread; every file of the
  // thread's session is in the transaction. A wait of 0 does not wait for
  // records another station's transaction has written.
  int BeginTransaction(std::span<RecordFile* const> files, int wait_seconds) override;
  int Commit() override;
  int Rollback() override;

  // The schema of a data directory, or "" with `problem` saying why it has
  // none (a name longer than the server allows).
  std::string SchemaOf(const std::filesystem::path& directory, std::string* problem) const;

 private:
  PgAddress address_;
  std::filesystem::path root_;
};

std::unique_ptr<RecordStore> MakePgStore(PgAddress address, std::filesystem::path root);

}  // namespace vornel::data
