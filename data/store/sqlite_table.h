#pragma once
// A record file's table in an attached database of the embedded store.
#include "data/store/sql_table.h"

namespace vornel::data {

class SqliteTable : public SqlTable {
 public:
  SqliteTable(const FileDef& def, std::string_view schema) : SqlTable(def, schema, SqliteDialect()) {}
};

}  // namespace vornel::data
