#pragma once
// The SQLite record-file store: one database `records.db` per data directory,
// one table per record file, one connection per thread with the databases of
// the thread's directories attached. See docs/record-store.md.
#include "data/store/record_store.h"

namespace vornel::data {

class SqliteStore final : public RecordStore {
 public:
  std::unique_ptr<RecordFile> MakeFile(const FileDef& def,
                                       const std::filesystem::path& directory) override;
  // The files must be open on the calling thread; the transaction covers
  // every database that thread has attached. A wait of 0 does not wait.
  int BeginTransaction(std::span<RecordFile* const> files, int wait_seconds) override;
  int Commit() override;
  int Rollback() override;
  // 64 MiB per database of the thread (SQLite's default is 2 MiB).
  void UseBatchCache(bool on) override;
};

}  // namespace vornel::data
