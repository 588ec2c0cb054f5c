#include "data/store/sqlite_schema.h"

#include <sqlite3.h>

#include <map>
#include <string>

#include "data/store/sqlite_error.h"
#include "data/store/sqlite_statement.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

// Runs `body` inside the connection's running transaction, or inside one of
// its own that commits when the body succeeds.
template <typename Body>
int InTransaction(SqliteConnection& connection, Body body) {
  if (connection.InTransaction()) return body();
  if (int answer = connection.Begin(SqliteConnection::kDefaultBusyMs)) return answer;
  int answer = body();
  if (answer == kStoreOk) answer = connection.Commit();
  if (answer != kStoreOk) {
    const platform::RuntimeError saved = platform::LastRuntimeError();
    connection.Rollback();
    platform::SetFileError(saved.code, saved.text, saved.file_error_code, saved.file_error_text);
  }
  return answer;
}

int Run(SqliteConnection& connection, const SqlTable& table, const std::string& sql) {
  return connection.Execute(sql.c_str(), table.schema().c_str());
}

int Fail(SqliteConnection& connection, const SqlTable& table, int rc) {
  return ReportSqlite(connection.db(), rc, false, table.schema().c_str());
}

// The table's indexes as SQLite keeps them: name -> statement.
int StoredIndexes(SqliteConnection& connection, const SqlTable& table,
                  std::map<std::string, std::string>* indexes) {
  SqliteStatement query;
  const std::string sql = "SELECT name, sql FROM " + QuoteName(table.schema()) +
                          ".sqlite_master WHERE type='index' AND tbl_name=?1 COLLATE NOCASE";
  int rc = query.Prepare(connection.db(), sql);
  if (rc != SQLITE_OK) return Fail(connection, table, rc);
  const std::string label(table.def().label);
  sqlite3_bind_text(query.get(), 1, label.c_str(), static_cast<int>(label.size()), SQLITE_STATIC);
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    const unsigned char* name = sqlite3_column_text(query.get(), 0);
    const unsigned char* text = sqlite3_column_text(query.get(), 1);
    // Indexes that SQLite makes for constraints have no statement.
    if (name != nullptr && text != nullptr) {
      (*indexes)[reinterpret_cast<const char*>(name)] = reinterpret_cast<const char*>(text);
    }
  }
  return rc == SQLITE_DONE ? kStoreOk : Fail(connection, table, rc);
}

std::string DatabaseFile(SqliteConnection& connection, const SqlTable& table) {
  const char* file = sqlite3_db_filename(connection.db(), table.schema().c_str());
  return file != nullptr ? file : table.schema();
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

int CheckColumns(SqliteConnection& connection, const SqlTable& table) {
  SqliteStatement query;
  int rc = query.Prepare(connection.db(), "SELECT name FROM pragma_table_info(?1, ?2)");
  if (rc != SQLITE_OK) return Fail(connection, table, rc);
  const std::string label(table.def().label);
  sqlite3_bind_text(query.get(), 1, label.c_str(), static_cast<int>(label.size()), SQLITE_STATIC);
  sqlite3_bind_text(query.get(), 2, table.schema().c_str(), -1, SQLITE_STATIC);
  // SQLite matches column names without regard to ASCII case.
  std::map<std::string, std::string> stored;  // lower case -> as stored
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    const unsigned char* name = sqlite3_column_text(query.get(), 0);
    if (name != nullptr) {
      const std::string column = reinterpret_cast<const char*>(name);
      stored.emplace(Lower(column), column);
    }
  }
  if (rc != SQLITE_DONE) return Fail(connection, table, rc);
  const std::string where = "The table " + label + " in " + DatabaseFile(connection, table);
  const auto expect = [&](std::string_view column) -> std::string {
    return stored.erase(Lower(column)) == 1 ? std::string() : std::string(column);
  };
  std::string missing;
  for (const FieldDef& field : table.def().fields) {
    if (missing.empty()) missing = expect(ColumnName(field));
  }
  for (std::string_view hidden : {"~pos", "~rev"}) {
    if (missing.empty()) missing = expect(hidden);
  }
  if (!missing.empty()) {
    return ReportDamage(SQLITE_CORRUPT, where + " has no column " + missing +
                                            ": it is not the record file " + label +
                                            " (or is damaged) and is left as it is");
  }
  if (!stored.empty()) {
    return ReportDamage(SQLITE_CORRUPT, where + " has a column " + stored.begin()->second +
                                            " that the record file " + label +
                                            " does not have; it is left as it is");
  }
  return kStoreOk;
}

int TableExists(SqliteConnection& connection, const SqlTable& table, bool* exists) {
  SqliteStatement query;
  const std::string sql = "SELECT 1 FROM " + QuoteName(table.schema()) +
                          ".sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE";
  int rc = query.Prepare(connection.db(), sql);
  if (rc != SQLITE_OK) return Fail(connection, table, rc);
  const std::string label(table.def().label);
  sqlite3_bind_text(query.get(), 1, label.c_str(), static_cast<int>(label.size()), SQLITE_STATIC);
  rc = sqlite3_step(query.get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Fail(connection, table, rc);
  *exists = rc == SQLITE_ROW;
  return kStoreOk;
}

int CreateTable(SqliteConnection& connection, const SqlTable& table) {
  return InTransaction(connection, [&] {
    if (int answer = Run(connection, table, table.CreateTableSql())) return answer;
    // The table may have been there already, made by something else.
    if (int answer = CheckColumns(connection, table)) return answer;
    for (const KeyDef& key : table.def().keys) {
      if (int answer = Run(connection, table, table.CreateIndexSql(key))) return answer;
    }
    return static_cast<int>(kStoreOk);
  });
}

int CheckKeys(SqliteConnection& connection, const SqlTable& table) {
  std::map<std::string, std::string> stored;
  if (int answer = StoredIndexes(connection, table, &stored)) return answer;
  for (const KeyDef& key : table.def().keys) {
    auto it = stored.find(table.IndexName(key));
    if (it == stored.end() || it->second != table.StoredIndexSql(key)) {
      return ReportAnswer(kInvalidKeyFile, "the key " + table.IndexName(key) + " in " +
                                               DatabaseFile(connection, table) +
                                               (it == stored.end() ? " is missing"
                                                                   : " was made for another "
                                                                     "definition of the key"));
    }
  }
  return kStoreOk;
}

int RebuildKeys(SqliteConnection& connection, const SqlTable& table) {
  return InTransaction(connection, [&] {
    // Keys are never made over a table that is not the record file's.
    if (int answer = CheckColumns(connection, table)) return answer;
    std::map<std::string, std::string> stored;
    if (int answer = StoredIndexes(connection, table, &stored)) return answer;
    for (const KeyDef& key : table.def().keys) {
      auto it = stored.find(table.IndexName(key));
      if (it != stored.end() && it->second == table.StoredIndexSql(key)) stored.erase(it);
    }
    // What is left is stale: indexes of keys that changed or no longer exist.
    for (const auto& [name, sql] : stored) {
      if (int answer =
              Run(connection, table, "DROP INDEX " + QuoteName(table.schema()) + "." + QuoteName(name))) {
        return answer;
      }
    }
    for (const KeyDef& key : table.def().keys) {
      if (int answer = Run(connection, table, table.CreateIndexSql(key))) return answer;
    }
    return Run(connection, table, "REINDEX " + table.name());
  });
}

int DropTable(SqliteConnection& connection, const SqlTable& table) {
  return InTransaction(connection,
                       [&] { return Run(connection, table, "DROP TABLE IF EXISTS " + table.name()); });
}

}  // namespace vornel::data
