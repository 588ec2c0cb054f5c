#pragma once
// The database file of one directory: made so that it is never seen empty,
// and checked to be one of ours before anything is read or written in it.
#include <cstdint>
#include <filesystem>

struct sqlite3;

namespace vornel::data {

// Stored in every database this program makes ("VNRL"), so that a database of
// another program is told apart without looking at its tables.
inline constexpr std::int32_t kApplicationId = 0x564E524C;

// Makes `file` as a database that already holds its header, mode 0640. It is
// built beside the file and linked into place, so that no station ever sees a
// half-made (empty) file; when another station made it meanwhile, that one
// stays. kFileNotFound when the directory does not exist.
int MakeDatabaseFile(const std::filesystem::path& file);

// An existing database file before SQLite opens it: a file that is not a
// regular file, or is empty, is damaged rather than new (an empty one would
// otherwise be made anew, silently, as an empty database) and is left as it is.
int CheckDatabaseFile(const std::filesystem::path& file);

// The database attached as `schema`, once open: one of another program (its
// application id is another's, or it holds tables and none of them is a record
// file of ours) is refused and left as it is. Reading its schema here is also
// what lets SQLite roll back a journal left by a station that died.
int CheckOurDatabase(sqlite3* db, const char* schema);

}  // namespace vornel::data
