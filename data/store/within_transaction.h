#pragma once
// Catalogue work of either store inside a transaction: the connection's
// running one, or one of its own that commits when the work succeeds and
// is rolled back (keeping the failure's answer and text) when it does not.
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::data {

template <typename Connection, typename Body>
int WithinTransaction(Connection& connection, int wait_ms, Body body) {
  if (connection.InTransaction()) return body();
  if (int answer = connection.Begin(wait_ms)) return answer;
  int answer = body();
  if (answer == kStoreOk) answer = connection.Commit();
  if (answer != kStoreOk) {
    const platform::RuntimeError saved = platform::LastRuntimeError();
    connection.Rollback();
    platform::SetFileError(saved.code, saved.text, saved.file_error_code, saved.file_error_text);
  }
  return answer;
}

}  // namespace vornel::data
