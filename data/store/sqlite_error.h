#pragma once
// The store's answers recorded as this thread's last file error, and SQLite's
// result codes turned into answers.
#include <string_view>

struct sqlite3;

namespace vornel::data {

// Records `answer` (with its text) as the last file error and returns it.
int ReportAnswer(int answer);

// Records kDriverError with a text of the store's own and returns it.
int ReportDriverText(std::string_view text);

// Maps SQLite's result `rc` on `db` to an answer and records it with SQLite's
// extended code and message: a unique constraint is a duplicate key, damage
// met while reading through a key is a damaged key file, a read-only database
// refuses access, anything else is a driver error.
int ReportSqlite(sqlite3* db, int rc, bool through_key = false);

}  // namespace vornel::data
