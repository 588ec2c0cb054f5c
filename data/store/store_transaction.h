#pragma once
// A transaction over several record files as a guard: it rolls back when it
// goes out of scope without a commit, so that an early return or a failed
// step leaves nothing half done.
#include <span>

#include "data/store/record_store.h"

namespace vornel::data {

class StoreTransaction {
 public:
  StoreTransaction(RecordStore& store, std::span<RecordFile* const> files, int wait_seconds);
  ~StoreTransaction();
  StoreTransaction(const StoreTransaction&) = delete;
  StoreTransaction& operator=(const StoreTransaction&) = delete;

  int begin_answer() const { return begin_answer_; }  // kStoreOk when the transaction runs
  bool active() const { return active_; }
  int Commit();  // kStoreOk, or the failure (the transaction then still runs)
  int Rollback();

 private:
  RecordStore& store_;
  int begin_answer_;
  bool active_;
};

}  // namespace vornel::data
