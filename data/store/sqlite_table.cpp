#include "data/store/sqlite_table.h"

namespace vornel::data {

std::string QuoteName(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

std::string_view ColumnName(const FieldDef& field) {
  std::size_t colon = field.name.find(':');
  return colon == std::string_view::npos ? field.name : field.name.substr(colon + 1);
}

std::string_view KeyShortName(const KeyDef& key) {
  std::size_t colon = key.name.find(':');
  return colon == std::string_view::npos ? key.name : key.name.substr(colon + 1);
}

SqliteTable::SqliteTable(const FileDef& def, std::string_view schema)
    : def_(def), schema_(schema), name_(QuoteName(schema) + "." + QuoteName(def.label)) {
  for (const FieldDef& field : def_.fields) {
    columns_ += QuoteName(ColumnName(field));
    columns_ += ',';
  }
  columns_ += kPosition;
  columns_ += ',';
  columns_ += kRevision;
}

std::string SqliteTable::IndexName(const KeyDef& key) const {
  return std::string(def_.label) + "." + std::string(KeyShortName(key));
}

std::string SqliteTable::Column(const KeyComponent& component) const {
  return QuoteName(ColumnName(def_.fields[component.field]));
}

const char* SqliteTable::Collation(const KeyComponent& component, const KeyDef& key) const {
  return key.no_case && def_.fields[component.field].type == FieldType::kText ? " COLLATE NOCASE"
                                                                              : "";
}

std::string SqliteTable::IndexColumn(const KeyComponent& component, const KeyDef& key) const {
  return Column(component) + Collation(component, key) + (component.ascending ? "" : " DESC");
}

std::string SqliteTable::OrderBy(const KeyDef* key, bool forward) const {
  std::string sql = " ORDER BY ";
  if (key != nullptr) {
    for (const KeyComponent& component : key->components) {
      sql += Column(component);
      sql += Collation(component, *key);
      if (component.ascending != forward) sql += " DESC";
      sql += ',';
    }
  }
  sql += kPosition;
  if (!forward) sql += " DESC";
  return sql;
}

std::string SqliteTable::CreateTableSql() const {
  std::string sql = "CREATE TABLE IF NOT EXISTS " + name_ + " (" + kPosition +
                    " INTEGER PRIMARY KEY AUTOINCREMENT";
  for (const FieldDef& field : def_.fields) {
    sql += ',';
    sql += QuoteName(ColumnName(field));
    switch (field.type) {
      case FieldType::kText:
        sql += " TEXT";
        break;
      case FieldType::kFloat64:
        sql += " REAL";
        break;
      default:
        sql += " INTEGER";
        break;
    }
  }
  sql += ',';
  sql += kRevision;
  sql += " INTEGER NOT NULL DEFAULT 0)";
  return sql;
}

std::string SqliteTable::StoredIndexSql(const KeyDef& key) const {
  std::string sql = key.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
  sql += QuoteName(IndexName(key)) + " ON " + QuoteName(def_.label) + " (";
  bool first = true;
  for (const KeyComponent& component : key.components) {
    if (!first) sql += ',';
    first = false;
    sql += IndexColumn(component, key);
  }
  sql += ')';
  return sql;
}

std::string SqliteTable::CreateIndexSql(const KeyDef& key) const {
  // SQLite keeps the statement from the index name on; writing the schema
  // before the name keeps the stored text equal to StoredIndexSql.
  std::string stored = StoredIndexSql(key);
  std::size_t name_at = stored.find(" INDEX ") + 7;
  return stored.substr(0, name_at) + "IF NOT EXISTS " + QuoteName(schema_) + "." +
         stored.substr(name_at);
}

std::string SqliteTable::SelectByPositionSql() const {
  return "SELECT " + columns_ + " FROM " + name_ + " WHERE " + kPosition + "=?1";
}

std::string SqliteTable::SelectByKeySql(const KeyDef& key) const {
  std::string sql = "SELECT " + columns_ + " FROM " + name_ + " WHERE ";
  int parameter = 1;
  for (const KeyComponent& component : key.components) {
    if (parameter > 1) sql += " AND ";
    sql += Column(component) + "=?" + std::to_string(parameter++) + Collation(component, key);
  }
  return sql + OrderBy(&key, true) + " LIMIT 1";
}

std::string SqliteTable::DuplicateSql(const KeyDef& key) const {
  std::string sql = "SELECT 1 FROM " + name_ + " WHERE ";
  std::size_t parameter = 1;
  for (const KeyComponent& component : key.components) {
    sql += Column(component) + "=?" + std::to_string(parameter++) + Collation(component, key) +
           " AND ";
  }
  return sql + kPosition + "<>?" + std::to_string(parameter) + " LIMIT 1";
}

std::string SqliteTable::InsertSql() const {
  std::string sql = "INSERT INTO " + name_ + " (";
  std::string values;
  int parameter = 1;
  for (const FieldDef& field : def_.fields) {
    sql += QuoteName(ColumnName(field)) + ",";
    values += "?" + std::to_string(parameter++) + ",";
  }
  return sql + kRevision + ") VALUES (" + values + "0)";
}

std::string SqliteTable::UpdateSql(bool watched) const {
  std::string sql = "UPDATE " + name_ + " SET ";
  int parameter = 1;
  for (const FieldDef& field : def_.fields) {
    sql += QuoteName(ColumnName(field)) + "=?" + std::to_string(parameter++) + ",";
  }
  sql += std::string(kRevision) + "=" + kRevision + "+1 WHERE " + kPosition + "=?" +
         std::to_string(parameter);
  if (watched) sql += std::string(" AND ") + kRevision + "=?" + std::to_string(parameter + 1);
  return sql + " RETURNING " + kRevision;
}

std::string SqliteTable::DeleteSql(bool watched) const {
  std::string sql = "DELETE FROM " + name_ + " WHERE " + kPosition + "=?1";
  if (watched) sql += std::string(" AND ") + kRevision + "=?2";
  return sql;
}

std::string SqliteTable::CountSql() const { return "SELECT count(*) FROM " + name_; }

}  // namespace vornel::data
