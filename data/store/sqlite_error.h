#pragma once
// The store's answers recorded as this thread's last file error, and SQLite's
// result codes turned into answers.
#include <string>
#include <string_view>

struct sqlite3;

namespace vornel::data {

// Records `answer` (with its text) as the last file error and returns it;
// `detail` says what the answer is about (the driver's text).
int ReportAnswer(int answer, std::string_view detail = {});

// Records kDriverError with a text of the store's own and returns it.
int ReportDriverText(std::string_view text);

// Records kDriverError for a database file that is not usable as it is
// (empty, of another program, a table that is not the record file's), with
// the SQLite code that names that kind of damage (SQLITE_NOTADB or
// SQLITE_CORRUPT) and the text saying what is wrong.
int ReportDamage(int sqlite_code, std::string_view text);

// Maps SQLite's result `rc` on `db` to an answer and records it with SQLite's
// extended code and message: a unique constraint is a duplicate key, damage
// met while reading through a key is a damaged key file, a read-only database
// refuses access, anything else is a driver error. Failures of the database
// file itself (a full disk, an I/O error, damage, a lock) are said in words
// naming the file: the one of `schema` when given, else every database
// attached to `db`.
int ReportSqlite(sqlite3* db, int rc, bool through_key = false, const char* schema = nullptr);

// The words for a failure of `file` with SQLite's result `rc` and the system's
// `error` number behind it ("The disk is full: cannot write FILE"), or "" when
// the failure is not one of the file.
std::string FileFailureWords(int rc, int error, std::string_view file);

}  // namespace vornel::data
