#include "posting/client_groups.h"

#include "data/file_manager.h"
#include "data/store/store_answer.h"

namespace vornel::posting {

ClientGroups::ClientGroups(data::FileRegistry& files, std::vector<const data::FileDef*> defs,
                           int clients_per_commit, int wait_seconds)
    : files_(files), defs_(std::move(defs)), clients_per_commit_(clients_per_commit), wait_seconds_(wait_seconds) {}

ClientGroups::~ClientGroups() { Close(); }

ClientGroups::Start ClientGroups::Begin(std::int16_t client) {
  if (!open_) {
    open_ = true;
    cache_.emplace(files_.context().store);
    for (const data::FileDef* def : defs_) {
      data::FileManager& file = files_.Get(*def);
      if (file.Open() != 0 || file.EnsurePhysicallyOpen() != 0) {
        unopened_ = def;
        return Start::kCannotOpen;
      }
    }
  }
  if (uncommitted_ > 0) return Start::kOk;
  std::vector<data::RecordFile*> involved;
  for (const data::FileDef* def : defs_) involved.push_back(&files_.Get(*def).file());
  // A transaction may be open already, holding only reads of clients that
  // were not written; the group then starts at this client.
  if (files_.BeginTransaction(involved, wait_seconds_) != data::kStoreOk) return Start::kInUse;
  first_uncommitted_ = client;
  return Start::kOk;
}

bool ClientGroups::CommitWhenFull() {
  if (uncommitted_ < clients_per_commit_) return true;
  uncommitted_ = 0;
  return files_.CommitTransaction();
}

bool ClientGroups::Finish() {
  uncommitted_ = 0;
  const bool saved = files_.CommitTransaction();
  Close();
  return saved;
}

bool ClientGroups::Undo() {
  files_.RollbackTransaction();
  const bool undone = uncommitted_ > 0;
  uncommitted_ = 0;
  stopped_ = true;
  Close();
  return undone;
}

void ClientGroups::Close() {
  if (!open_) return;
  open_ = false;
  for (const data::FileDef* def : defs_) files_.Get(*def).Close();
  cache_.reset();
}

}  // namespace vornel::posting
