#pragma once
// The files of one thread: the file manager of each file, made on first use,
// and the use list that remembers which procedure uses which file, so that an
// inner procedure can give an outer one back its record and position.
#include <map>
#include <span>
#include <memory>
#include <string>
#include <vector>

#include "data/data_context.h"
#include "data/dictionary/file_def.h"

namespace vornel::data {

class FileManager;
class RelationManager;
class RecordFile;

class FileRegistry {
 public:
  explicit FileRegistry(DataContext& context);
  ~FileRegistry();
  FileRegistry(const FileRegistry&) = delete;
  FileRegistry& operator=(const FileRegistry&) = delete;

  FileManager& Get(const FileDef& def);
  RelationManager& Relations(const FileDef& def);
  DataContext& context() { return context_; }

  // Called by the file managers.
  void RecordUse(FileManager& file, int use_type);
  void RecordOpen(FileManager& file);
  void RemoveOpen(FileManager& file);

  struct Use {
    const FileDef* file = nullptr;
    std::string procedure;
    int opens = 0;
    int highest_use = 0;
    int saved_state = 0;  // SaveFile id of the outer procedure's state, 0 if none
  };
  const std::vector<Use>& uses() const { return uses_; }

  // Open and close passes over related files take a new stamp, so that no
  // relation manager is visited twice in one pass.
  int NewPass() { return ++pass_; }
  int current_pass() const { return pass_; }

  // The thread's transaction (at most one at a time): Begin answers the
  // store's code; Commit and Rollback do nothing when none is active.
  int BeginTransaction(std::span<RecordFile* const> files, int wait_seconds);
  bool CommitTransaction();
  void RollbackTransaction();
  bool in_transaction() const { return in_transaction_; }

 private:
  Use* LastUse(const FileDef& def);
  Use& UseOfCurrentProcedure(FileManager& file);

  DataContext& context_;
  std::map<const FileDef*, std::unique_ptr<FileManager>> managers_;
  std::map<const FileDef*, std::unique_ptr<RelationManager>> relations_;
  int pass_ = 0;
  bool in_transaction_ = false;
  std::vector<Use> uses_;
};

}  // namespace vornel::data
