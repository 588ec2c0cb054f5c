#pragma once
// A record file's table and indexes in its directory's database: whether it
// exists, creating it, checking and rebuilding its keys, removing it.
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_table.h"

namespace vornel::data {

int TableExists(SqliteConnection& connection, const SqlTable& table, bool* exists);
// kDriverError (naming the column) when the table's columns are not those of
// the file's fields and the hidden position and revision: a table of another
// program, or one that lost a column, is never read or changed.
int CheckColumns(SqliteConnection& connection, const SqlTable& table);
// The table and one index per key, in one transaction (or in the running one).
int CreateTable(SqliteConnection& connection, const SqlTable& table);
// kInvalidKeyFile when an index of a key is missing or was made from another
// definition of the key.
int CheckKeys(SqliteConnection& connection, const SqlTable& table);
// Drops the table's indexes that no key defines, makes the missing ones and
// rebuilds them all from the rows. kDuplicateKey when the rows break a unique key.
int RebuildKeys(SqliteConnection& connection, const SqlTable& table);
int DropTable(SqliteConnection& connection, const SqlTable& table);

}  // namespace vornel::data
