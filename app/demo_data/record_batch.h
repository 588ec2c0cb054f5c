#pragma once
// Bulk writing through the file managers: every record is checked against
// the field rules and added from its manager's buffer, and the adds run in
// large store transactions (RecordFile::Stream / Flush) for speed.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/dictionary/file_def.h"
#include "data/file_manager.h"
#include "data/file_registry.h"

namespace vornel::app::demo {

class RecordBatch {
 public:
  // Every file written must be opened before the first Add: a directory
  // cannot be attached while a transaction runs.
  // Large commits pay: each commit writes back every index page the batch
  // touched, and the page cache is small against a million-visit log.
  explicit RecordBatch(data::FileRegistry& registry, std::int64_t records_per_commit = 1000000);
  ~RecordBatch();  // commits and closes what is still open
  RecordBatch(const RecordBatch&) = delete;
  RecordBatch& operator=(const RecordBatch&) = delete;

  // Creates the file when it does not exist (shared files are never created
  // by opening them) and opens it for writing. False with error() set on failure.
  bool Open(const data::FileDef& def);
  // The file's buffer, cleared (blanks and zeros), for the next record.
  template <typename Record>
  Record& Fresh(const data::FileDef& def) {
    data::FileManager& file = registry_.Get(def);
    file.file().ClearBuffer();
    return file.record<Record>();
  }
  // Adds the buffer as a new record. Refused (false, error() set) when a field
  // breaks its rule or the store refuses it.
  bool Add(const data::FileDef& def);
  // Commits the running transaction and closes every file opened here.
  bool Finish();

  // Records a failure found by the caller; the first one is kept.
  bool Fail(std::string message);
  const std::string& error() const { return error_; }
  bool ok() const { return error_.empty(); }
  std::int64_t added(const data::FileDef& def) const;

 private:
  bool Commit();

  data::FileRegistry& registry_;
  const std::int64_t records_per_commit_;
  std::vector<data::FileManager*> open_;
  data::RecordFile* streaming_ = nullptr;  // the file whose Stream began the transaction
  std::int64_t pending_ = 0;
  std::map<const data::FileDef*, std::int64_t> added_;
  std::string error_;
};

}  // namespace vornel::app::demo
