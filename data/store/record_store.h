#pragma once
// The record-file store: makes the per-thread RecordFile objects of a data
// root and frames transactions over several of them. SQLite is the embedded
// implementation (sqlite_store.h); the interface leaves room for another.
#include <filesystem>
#include <memory>
#include <span>

#include "data/store/record_file.h"

namespace vornel::data {

class RecordStore {
 public:
  virtual ~RecordStore() = default;

  // A file object for the calling thread. `directory` is the directory that
  // holds the file (already resolved from the file's name and the working
  // directory). The object is used by one thread only.
  virtual std::unique_ptr<RecordFile> MakeFile(const FileDef& def,
                                               const std::filesystem::path& directory) = 0;

  // A transaction over the given open files of the calling thread, waiting up
  // to `wait_seconds` for other stations; all or nothing.
  virtual int BeginTransaction(std::span<RecordFile* const> files, int wait_seconds) = 0;
  virtual int Commit() = 0;
  virtual int Rollback() = 0;

  // For the calling thread: a large page cache for batch work (a posting,
  // an archive, the data generator) until it is turned off, which gives the
  // memory back. The interactive program keeps the small default.
  virtual void UseBatchCache(bool on) { (void)on; }
};

// The batch cache for the lifetime of the object, on the calling thread.
class BatchCache {
 public:
  explicit BatchCache(RecordStore& store) : store_(store) { store_.UseBatchCache(true); }
  ~BatchCache() { store_.UseBatchCache(false); }
  BatchCache(const BatchCache&) = delete;
  BatchCache& operator=(const BatchCache&) = delete;

 private:
  RecordStore& store_;
};

// The SQLite store of this process.
std::unique_ptr<RecordStore> MakeSqliteStore();

}  // namespace vornel::data
