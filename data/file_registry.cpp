#include "data/file_registry.h"

#include "data/file_manager.h"
#include "data/relation_manager.h"

namespace vornel::data {

FileRegistry::FileRegistry(DataContext& context) : context_(context) {}

FileRegistry::~FileRegistry() {
  RollbackTransaction();
  relations_.clear();
  managers_.clear();
}

FileManager& FileRegistry::Get(const FileDef& def) {
  std::unique_ptr<FileManager>& slot = managers_[&def];
  if (!slot) slot = std::make_unique<FileManager>(def, context_, *this);
  return *slot;
}

RelationManager& FileRegistry::Relations(const FileDef& def) {
  std::unique_ptr<RelationManager>& slot = relations_[&def];
  if (!slot) slot = std::make_unique<RelationManager>(Get(def), *this);
  return *slot;
}

int FileRegistry::BeginTransaction(std::span<RecordFile* const> files, int wait_seconds) {
  if (in_transaction_) return kStoreOk;
  int answer = context_.store.BeginTransaction(files, wait_seconds);
  in_transaction_ = answer == kStoreOk;
  return answer;
}

bool FileRegistry::CommitTransaction() {
  if (!in_transaction_) return true;
  in_transaction_ = false;
  if (context_.store.Commit() == kStoreOk) return true;
  context_.store.Rollback();
  return false;
}

void FileRegistry::RollbackTransaction() {
  if (!in_transaction_) return;
  in_transaction_ = false;
  context_.store.Rollback();
}

FileRegistry::Use* FileRegistry::LastUse(const FileDef& def) {
  for (auto it = uses_.rbegin(); it != uses_.rend(); ++it) {
    if (it->file == &def) return &*it;
  }
  return nullptr;
}

// The use entry of the current procedure, added when the last entry for the
// file belongs to another (outer) procedure; the outer procedure's file state
// is saved in it then, to be given back when the inner procedure is done.
FileRegistry::Use& FileRegistry::UseOfCurrentProcedure(FileManager& file) {
  std::string procedure = context_.errors.CurrentProcedureName();
  Use* last = LastUse(file.def());
  if (last && last->procedure == procedure) return *last;
  const bool outer_exists = last != nullptr;
  Use use{&file.def(), procedure, 0, 0, 0};
  if (outer_exists && file.IsPhysicallyOpen()) use.saved_state = file.SaveFile();
  uses_.push_back(use);
  return uses_.back();
}

void FileRegistry::RecordUse(FileManager& file, int use_type) {
  Use& use = UseOfCurrentProcedure(file);
  if (use_type > use.highest_use) use.highest_use = use_type;
}

void FileRegistry::RecordOpen(FileManager& file) { ++UseOfCurrentProcedure(file).opens; }

void FileRegistry::RemoveOpen(FileManager& file) {
  Use* use = LastUse(file.def());
  if (!use) return;
  if (use->procedure == context_.errors.CurrentProcedureName() && use->opens > 1) {
    --use->opens;
    return;
  }
  // The procedure's last close, or an entry left by a procedure that is gone
  // (it used the file without closing it): give the outer procedure its
  // position back, and its record too unless the use returned a selection.
  if (use->saved_state != 0) file.RestoreFile(use->saved_state, use->highest_use < kUseSelect);
  uses_.erase(uses_.begin() + (use - uses_.data()));
}

}  // namespace vornel::data
