#pragma once
// Whole clients written in groups. A batch that changes client after client
// keeps its files open for the run, with the batch page cache, and commits
// every few clients: a failure, or a process that dies, undoes only the
// clients since the last commit, so every client is wholly done or
// untouched, and other stations get the files between the groups.
#include <cstdint>
#include <optional>
#include <vector>

#include "data/file_registry.h"
#include "data/store/record_store.h"

namespace vornel::posting {

class ClientGroups {
 public:
  enum class Start { kOk, kCannotOpen, kInUse };

  // `defs` are the files of the batch, in the order they are opened and locked.
  ClientGroups(data::FileRegistry& files, std::vector<const data::FileDef*> defs, int clients_per_commit,
               int wait_seconds);
  ~ClientGroups();  // closes the files; Finish or Undo first
  ClientGroups(const ClientGroups&) = delete;
  ClientGroups& operator=(const ClientGroups&) = delete;

  // Opens the files at the first client, and begins a group at `client`
  // when none holds a client yet. On kCannotOpen, unopened() names the file.
  Start Begin(std::int16_t client);
  // The client being written belongs to the group.
  void Join() { ++uncommitted_; }
  // Commits when the group is full; false when the commit failed (the
  // group is undone then).
  bool CommitWhenFull();
  // Commits what the transaction holds and closes the files.
  bool Finish();
  // Undoes the clients since the last commit, stops the run and closes the
  // files; answers whether any client was undone.
  bool Undo();

  bool stopped() const { return stopped_; }
  std::int16_t first_uncommitted() const { return first_uncommitted_; }
  const data::FileDef* unopened() const { return unopened_; }
  data::FileManager& Get(const data::FileDef& def) { return files_.Get(def); }

 private:
  void Close();

  data::FileRegistry& files_;
  std::vector<const data::FileDef*> defs_;
  int clients_per_commit_;
  int wait_seconds_;
  bool open_ = false;
  std::optional<data::BatchCache> cache_;  // while the files are open
  bool stopped_ = false;
  int uncommitted_ = 0;
  std::int16_t first_uncommitted_ = 0;
  const data::FileDef* unopened_ = nullptr;
};

}  // namespace vornel::posting
