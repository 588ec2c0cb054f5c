#pragma once
// What the SQL of the two stores says differently: parameters, comparisons
// of text without case, column types, the position column, and how an index
// is made and recognised. The statements themselves are built once, by
// SqlTable and the record cursor, from these pieces.
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"

namespace vornel::data {

class SqlTable;

class SqlDialect {
 public:
  virtual ~SqlDialect() = default;

  // The n-th parameter (from 1): "?3", "$3".
  virtual std::string Parameter(std::size_t number) const = 0;
  // A column in a comparison with a value, and that value, for a key
  // component: with `no_case` the comparison ignores the case of ASCII
  // letters. The index of the key is usable for the comparison.
  virtual std::string CompareColumn(const std::string& column, bool no_case) const = 0;
  virtual std::string CompareValue(const std::string& parameter, bool no_case) const = 0;
  // A column as a term of ORDER BY or of an index.
  virtual std::string OrderColumn(const std::string& column, bool no_case) const = 0;

  virtual const char* ColumnType(FieldType type) const = 0;
  // The definition of the hidden position column: numbers never used twice.
  virtual const char* PositionColumnDefinition() const = 0;
  virtual const char* RevisionColumnDefinition() const = 0;
  // What an INSERT adds to answer the new record's position ("" when the
  // driver tells it otherwise).
  virtual const char* InsertReturning() const = 0;

  // Whether a key's index also orders by the position after the key's
  // components (every read orders by it last). A unique index cannot.
  virtual bool IndexEndsWithPosition(const KeyDef& key) const = 0;
  // The statement that makes the key's index in the table's schema, given
  // the statement as the store records it (SqlTable::StoredIndexSql).
  virtual std::string CreateIndexSql(const SqlTable& table, const std::string& stored) const = 0;
};

// The dialects of the embedded store and of the database server.
const SqlDialect& SqliteDialect();
const SqlDialect& PostgresDialect();

}  // namespace vornel::data
