#pragma once
// The server store's catalogue work: the store's own schema (its version
// and the holds table), a directory's schema, and a record file's table
// and indexes in it: whether it exists, creating it, checking and
// rebuilding its keys, removing it.
#include <cstdint>

#include "data/store/pg_connection.h"
#include "data/store/sql_table.h"

namespace vornel::data {

// The version of the tables this program makes. A database made by another
// version is refused with words saying what to do.
inline constexpr int kPgStoreVersion = 1;

// Makes the store's schema when the database has none yet; kDriverError
// when it is of another version.
int PrepareStore(PgConnection& connection);

// The table's oid, 0 when there is no such table.
int TableOid(PgConnection& connection, const SqlTable& table, std::uint32_t* oid);
// As the embedded store: kDriverError naming the column when the table's
// columns are not the file's; kInvalidKeyFile when an index of a key is
// missing or was made from another definition of the key.
int CheckColumns(PgConnection& connection, const SqlTable& table, std::uint32_t oid);
int CheckKeys(PgConnection& connection, const SqlTable& table, std::uint32_t oid);
// The schema, the table and one index per key, in one transaction (or in
// the running one).
int CreateTable(PgConnection& connection, const SqlTable& table);
// Drops the indexes that no key defines, makes the missing ones and rebuilds
// them all from the rows. kDuplicateKey when the rows break a unique key.
int RebuildKeys(PgConnection& connection, const SqlTable& table, std::uint32_t oid);
int DropTable(PgConnection& connection, const SqlTable& table);

}  // namespace vornel::data
