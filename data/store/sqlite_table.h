#pragma once
// The SQL of one record file's table in one attached database: names of the
// table, columns and indexes, and the statements that read and write rows.
// Identifiers come from the dictionary only; values are always parameters.
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"

namespace vornel::data {

class SqliteTable {
 public:
  // The hidden columns: the record's position (the rowid) and its revision.
  static constexpr const char* kPosition = "\"~pos\"";
  static constexpr const char* kRevision = "\"~rev\"";

  SqliteTable(const FileDef& def, std::string_view schema);

  const FileDef& def() const { return def_; }
  const std::string& schema() const { return schema_; }
  const std::string& name() const { return name_; }  // "d1"."Client"
  // Every field's column in field order, then the position and revision.
  const std::string& columns() const { return columns_; }
  int field_count() const { return static_cast<int>(def_.fields.size()); }

  // The key's index, unquoted ("Client.CODE_KEY").
  std::string IndexName(const KeyDef& key) const;
  // A component as an index column: "NAME" COLLATE NOCASE DESC.
  std::string IndexColumn(const KeyComponent& component, const KeyDef& key) const;
  // The column of a component, and the collation its comparisons need
  // ("" or " COLLATE NOCASE").
  std::string Column(const KeyComponent& component) const;
  const char* Collation(const KeyComponent& component, const KeyDef& key) const;
  // ORDER BY of a key (nullptr: record order), forwards or backwards, with
  // the position as the last tie-breaker.
  std::string OrderBy(const KeyDef* key, bool forward) const;

  std::string CreateTableSql() const;
  std::string CreateIndexSql(const KeyDef& key) const;
  // The index's statement as SQLite keeps it in its schema table, to tell an
  // index made from another key definition.
  std::string StoredIndexSql(const KeyDef& key) const;

  std::string SelectByPositionSql() const;              // ?1 position
  std::string SelectByKeySql(const KeyDef& key) const;  // ?1.. the key's values
  std::string DuplicateSql(const KeyDef& key) const;    // ?1.. the values, ?k+1 position to skip
  std::string InsertSql() const;                        // ?1..?n fields
  std::string UpdateSql(bool watched) const;            // ?n+1 position, ?n+2 revision
  std::string DeleteSql(bool watched) const;            // ?1 position, ?2 revision
  std::string CountSql() const;

 private:
  const FileDef& def_;
  std::string schema_;
  std::string name_;
  std::string columns_;
};

// An identifier in double quotes, inner quotes doubled.
std::string QuoteName(std::string_view name);
// A field's column name: the field's name without its prefix ("CLCODE").
std::string_view ColumnName(const FieldDef& field);
std::string_view KeyShortName(const KeyDef& key);

}  // namespace vornel::data
