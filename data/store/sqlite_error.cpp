#include "data/store/sqlite_error.h"

#include <sqlite3.h>

#include <string>

#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::data {

int ReportAnswer(int answer) {
  platform::SetFileError(answer, StoreAnswerText(answer), "", "");
  return answer;
}

int ReportDriverText(std::string_view text) {
  platform::SetFileError(kDriverError, StoreAnswerText(kDriverError), "", text);
  return kDriverError;
}

int ReportSqlite(sqlite3* db, int rc, bool through_key) {
  int answer = kDriverError;
  switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
      if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        answer = kDuplicateKey;
      break;
    case SQLITE_CORRUPT:
      if (through_key) answer = kInvalidKeyFile;
      break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      answer = kAccessDenied;
      break;
    default:
      break;
  }
  const char* message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  platform::SetFileError(answer, StoreAnswerText(answer), std::to_string(rc),
                         message != nullptr ? message : sqlite3_errstr(rc));
  return answer;
}

}  // namespace vornel::data
