#include "data/store/store_transaction.h"

#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"

namespace vornel::data {

StoreTransaction::StoreTransaction(RecordStore& store, std::span<RecordFile* const> files,
                                   int wait_seconds)
    : store_(store),
      begin_answer_(store.BeginTransaction(files, wait_seconds)),
      active_(begin_answer_ == kStoreOk) {}

StoreTransaction::~StoreTransaction() { Rollback(); }

int StoreTransaction::Commit() {
  if (!active_) return ReportDriverText("the transaction is not running");
  int answer = store_.Commit();
  if (answer == kStoreOk) active_ = false;
  return answer;
}

int StoreTransaction::Rollback() {
  if (!active_) return kStoreOk;
  active_ = false;
  return store_.Rollback();
}

}  // namespace vornel::data
