#pragma once
// The record-file store on a PostgreSQL server: one database for the whole
// data root, one schema per data directory (named by the directory's path
// under the root: "COMMON", "DEPT1/ARCS"), one table per record file, one
// session per thread. See docs/record-store.md and docs/database-server.md.
#include <filesystem>
#include <string>

#include "data/store/pg_connection.h"
#include "data/store/record_store.h"

namespace vornel::data {

class PgStore final : public RecordStore {
 public:
  // With a `problem` (settings that cannot be used) every file answers it.
  PgStore(PgAddress address, std::filesystem::path root, std::string problem = "");

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
  std::string problem_;
};

std::unique_ptr<RecordStore> MakePgStore(PgAddress address, std::filesystem::path root);

// "" when the database at `address` can be reached and holds no record
// files yet (a data root is copied or generated only into an empty one),
// else what is in the way.
std::string CheckEmptyDatabase(const PgAddress& address);

}  // namespace vornel::data
