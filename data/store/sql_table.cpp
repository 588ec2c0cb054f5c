#include "data/store/sql_table.h"

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

SqlTable::SqlTable(const FileDef& def, std::string_view schema, const SqlDialect& dialect, std::string_view mark)
    : def_(def),
      dialect_(dialect),
      schema_(schema),
      name_(QuoteName(schema) + "." + QuoteName(def.label)),
      mark_(mark) {
  for (const FieldDef& field : def_.fields) {
    columns_ += QuoteName(ColumnName(field));
    columns_ += ',';
  }
  columns_ += kPosition;
  columns_ += ',';
  columns_ += kRevision;
  if (!mark.empty()) {
    columns_ += ',';
    columns_ += mark;
  }
}

std::string SqlTable::IndexName(const KeyDef& key) const {
  return std::string(def_.label) + "." + std::string(KeyShortName(key));
}

std::string SqlTable::Column(const KeyComponent& component) const {
  return QuoteName(ColumnName(def_.fields[component.field]));
}

bool SqlTable::NoCase(const KeyComponent& component, const KeyDef& key) const {
  return key.no_case && def_.fields[component.field].type == FieldType::kText;
}

std::string SqlTable::CompareColumn(const KeyComponent& component, const KeyDef& key) const {
  return dialect_.CompareColumn(Column(component), NoCase(component, key));
}

std::string SqlTable::CompareValue(std::size_t parameter, const KeyComponent& component,
                                   const KeyDef& key) const {
  return dialect_.CompareValue(Parameter(parameter), NoCase(component, key));
}

std::string SqlTable::OrderBy(const KeyDef* key, bool forward) const {
  std::string sql = " ORDER BY ";
  if (key != nullptr) {
    for (const KeyComponent& component : key->components) {
      sql += dialect_.OrderColumn(Column(component), NoCase(component, *key));
      if (component.ascending != forward) sql += " DESC";
      sql += ',';
    }
  }
  sql += kPosition;
  if (!forward) sql += " DESC";
  return sql;
}

std::string SqlTable::CreateTableSql() const {
  std::string sql = "CREATE TABLE IF NOT EXISTS " + name_ + " (" + kPosition + " " +
                    dialect_.PositionColumnDefinition();
  for (const FieldDef& field : def_.fields) {
    sql += ',';
    sql += QuoteName(ColumnName(field));
    sql += ' ';
    sql += dialect_.ColumnType(field.type);
  }
  sql += ',';
  sql += kRevision;
  sql += ' ';
  sql += dialect_.RevisionColumnDefinition();
  sql += ')';
  return sql;
}

std::string SqlTable::StoredIndexSql(const KeyDef& key) const {
  std::string sql = key.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
  sql += QuoteName(IndexName(key)) + " ON " + QuoteName(def_.label) + " (";
  bool first = true;
  for (const KeyComponent& component : key.components) {
    if (!first) sql += ',';
    first = false;
    sql += dialect_.OrderColumn(Column(component), NoCase(component, key));
    if (!component.ascending) sql += " DESC";
  }
  if (dialect_.IndexEndsWithPosition(key)) sql += std::string(",") + kPosition;
  sql += ')';
  return sql;
}

std::string SqlTable::CreateIndexSql(const KeyDef& key) const {
  return dialect_.CreateIndexSql(*this, StoredIndexSql(key));
}

std::string SqlTable::SelectByPositionSql() const {
  return "SELECT " + columns_ + " FROM " + name_ + " WHERE " + kPosition + "=" + Parameter(1);
}

std::string SqlTable::SelectByKeySql(const KeyDef& key) const {
  std::string sql = "SELECT " + columns_ + " FROM " + name_ + " WHERE ";
  std::size_t parameter = 1;
  for (const KeyComponent& component : key.components) {
    if (parameter > 1) sql += " AND ";
    sql += CompareColumn(component, key) + "=" + CompareValue(parameter++, component, key);
  }
  return sql + OrderBy(&key, true) + " LIMIT 1";
}

std::string SqlTable::DuplicateSql(const KeyDef& key) const {
  std::string sql = "SELECT 1 FROM " + name_ + " WHERE ";
  std::size_t parameter = 1;
  for (const KeyComponent& component : key.components) {
    sql += CompareColumn(component, key) + "=" + CompareValue(parameter++, component, key) + " AND ";
  }
  return sql + kPosition + "<>" + Parameter(parameter) + " LIMIT 1";
}

std::string SqlTable::InsertSql() const {
  std::string sql = "INSERT INTO " + name_ + " (";
  std::string values;
  std::size_t parameter = 1;
  for (const FieldDef& field : def_.fields) {
    sql += QuoteName(ColumnName(field)) + ",";
    values += Parameter(parameter++) + ",";
  }
  return sql + kRevision + ") VALUES (" + values + "0)" + dialect_.InsertReturning();
}

std::string SqlTable::UnlessMarked(bool unless_marked) const {
  return unless_marked && !mark_.empty() ? " AND NOT " + mark_ : "";
}

std::string SqlTable::UpdateSql(bool watched, bool unless_marked) const {
  std::string sql = "UPDATE " + name_ + " SET ";
  std::size_t parameter = 1;
  for (const FieldDef& field : def_.fields) {
    sql += QuoteName(ColumnName(field)) + "=" + Parameter(parameter++) + ",";
  }
  sql += std::string(kRevision) + "=" + kRevision + "+1 WHERE " + kPosition + "=" + Parameter(parameter);
  if (watched) sql += std::string(" AND ") + kRevision + "=" + Parameter(parameter + 1);
  return sql + UnlessMarked(unless_marked) + " RETURNING " + kRevision;
}

std::string SqlTable::DeleteSql(bool watched, bool unless_marked) const {
  std::string sql = "DELETE FROM " + name_ + " WHERE " + kPosition + "=" + Parameter(1);
  if (watched) sql += std::string(" AND ") + kRevision + "=" + Parameter(2);
  return sql + UnlessMarked(unless_marked);
}

std::string SqlTable::CountSql() const { return "SELECT count(*) FROM " + name_; }

}  // namespace vornel::data
