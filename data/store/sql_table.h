#pragma once
// The SQL of one record file's table in one schema (an attached database of
// the embedded store, a schema of the database server): names of the table,
// columns and indexes, and the statements that read and write rows, in the
// store's dialect. Identifiers come from the dictionary only; values are
// always parameters.
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"
#include "data/store/sql_dialect.h"

namespace vornel::data {

class SqlTable {
 public:
  // The hidden columns: the record's position and its revision.
  static constexpr const char* kPosition = "\"~pos\"";
  static constexpr const char* kRevision = "\"~rev\"";

  // `mark` is a column of the store's own that every read selects after
  // the revision ("" for none).
  SqlTable(const FileDef& def, std::string_view schema, const SqlDialect& dialect, std::string_view mark = "");

  const FileDef& def() const { return def_; }
  const SqlDialect& dialect() const { return dialect_; }
  const std::string& schema() const { return schema_; }
  const std::string& name() const { return name_; }  // "d1"."Client"
  // Every field's column in field order, then the position and revision
  // (and the mark).
  const std::string& columns() const { return columns_; }
  int field_count() const { return static_cast<int>(def_.fields.size()); }
  std::string Parameter(std::size_t number) const { return dialect_.Parameter(number); }

  // The key's index, unquoted ("Client.CODE_KEY").
  std::string IndexName(const KeyDef& key) const;
  // The column of a component, quoted.
  std::string Column(const KeyComponent& component) const;
  // A component in a comparison, and the parameter it is compared with.
  std::string CompareColumn(const KeyComponent& component, const KeyDef& key) const;
  std::string CompareValue(std::size_t parameter, const KeyComponent& component, const KeyDef& key) const;
  // ORDER BY of a key (nullptr: record order), forwards or backwards, with
  // the position as the last tie-breaker.
  std::string OrderBy(const KeyDef* key, bool forward) const;

  std::string CreateTableSql() const;
  std::string CreateIndexSql(const KeyDef& key) const;
  // The index's statement as the store records it, to tell an index made
  // from another key definition.
  std::string StoredIndexSql(const KeyDef& key) const;

  std::string SelectByPositionSql() const;              // 1 position
  std::string SelectByKeySql(const KeyDef& key) const;  // 1.. the key's values
  std::string DuplicateSql(const KeyDef& key) const;    // 1.. the values, k+1 position to skip
  std::string InsertSql() const;                        // 1..n fields
  // `unless_marked`: the row is left as it is while its mark is true.
  std::string UpdateSql(bool watched, bool unless_marked = false) const;  // n+1 position, n+2 revision
  std::string DeleteSql(bool watched, bool unless_marked = false) const;  // 1 position, 2 revision
  std::string CountSql() const;

 private:
  bool NoCase(const KeyComponent& component, const KeyDef& key) const;
  std::string UnlessMarked(bool unless_marked) const;

  const FileDef& def_;
  const SqlDialect& dialect_;
  std::string schema_;
  std::string name_;
  std::string columns_;
  std::string mark_;
};

// An identifier in double quotes, inner quotes doubled.
std::string QuoteName(std::string_view name);
// A field's column name: the field's name without its prefix ("CLCODE").
std::string_view ColumnName(const FieldDef& field);
std::string_view KeyShortName(const KeyDef& key);

}  // namespace vornel::data
