// The embedded store's SQL: numbered "?" parameters, SQLite's NOCASE
// collation on the value side of a comparison (the index of the key stays
// usable), an AUTOINCREMENT rowid as the position.
#include "data/store/sql_dialect.h"
#include "data/store/sql_table.h"

namespace vornel::data {
namespace {

class Sqlite final : public SqlDialect {
 public:
  std::string Parameter(std::size_t number) const override { return "?" + std::to_string(number); }
  std::string CompareColumn(const std::string& column, bool) const override { return column; }
  std::string CompareValue(const std::string& parameter, bool no_case) const override {
    return no_case ? parameter + " COLLATE NOCASE" : parameter;
  }
  std::string OrderColumn(const std::string& column, bool no_case) const override {
    return no_case ? column + " COLLATE NOCASE" : column;
  }
  const char* ColumnType(FieldType type) const override {
    switch (type) {
      case FieldType::kText:
        return "TEXT";
      case FieldType::kFloat64:
        return "REAL";
      default:
        return "INTEGER";
    }
  }
  const char* PositionColumnDefinition() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; }
  const char* RevisionColumnDefinition() const override { return "INTEGER NOT NULL DEFAULT 0"; }
  const char* InsertReturning() const override { return ""; }
  // Every index of SQLite ends with the rowid, which is the position.
  bool IndexEndsWithPosition(const KeyDef&) const override { return false; }
  // SQLite keeps the statement from the index name on; writing the schema
  // before the name keeps the stored text equal to StoredIndexSql.
  std::string CreateIndexSql(const SqlTable& table, const std::string& stored) const override {
    std::size_t name_at = stored.find(" INDEX ") + 7;
    return stored.substr(0, name_at) + "IF NOT EXISTS " + QuoteName(table.schema()) + "." +
           stored.substr(name_at);
  }
};

}  // namespace

const SqlDialect& SqliteDialect() {
  static const Sqlite dialect;
  return dialect;
}

}  // namespace vornel::data
