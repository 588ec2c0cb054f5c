#include "data/store/sqlite_schema.h"

#include <sqlite3.h>

#include <string>

#include "data/store/sqlite_error.h"
#include "data/store/sqlite_statement.h"
#include "data/store/store_answer.h"
#include "data/store/table_checks.h"
#include "data/store/within_transaction.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

template <typename Body>
int InTransaction(SqliteConnection& connection, Body body) {
  return WithinTransaction(connection, SqliteConnection::kDefaultBusyMs, body);
}

int Run(SqliteConnection& connection, const SqlTable& table, const std::string& sql) {
  return connection.Execute(sql.c_str(), table.schema().c_str());
}

int Fail(SqliteConnection& connection, const SqlTable& table, int rc) {
  return ReportSqlite(connection.db(), rc, false, table.schema().c_str());
}

// The table's indexes as SQLite keeps them: name -> statement.
int StoredIndexesOf(SqliteConnection& connection, const SqlTable& table,
                  StoredIndexes* indexes) {
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

}  // namespace

int CheckColumns(SqliteConnection& connection, const SqlTable& table) {
  SqliteStatement query;
  int rc = query.Prepare(connection.db(), "SELECT name FROM pragma_table_info(?1, ?2)");
  if (rc != SQLITE_OK) return Fail(connection, table, rc);
  const std::string label(table.def().label);
  sqlite3_bind_text(query.get(), 1, label.c_str(), static_cast<int>(label.size()), SQLITE_STATIC);
  sqlite3_bind_text(query.get(), 2, table.schema().c_str(), -1, SQLITE_STATIC);
  std::vector<std::string> stored;
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    const unsigned char* name = sqlite3_column_text(query.get(), 0);
    if (name != nullptr) stored.emplace_back(reinterpret_cast<const char*>(name));
  }
  if (rc != SQLITE_DONE) return Fail(connection, table, rc);
  // SQLite matches column names without regard to ASCII case.
  const std::string problem =
      ColumnsProblem(table, stored, "The table " + label + " in " + DatabaseFile(connection, table), true);
  return problem.empty() ? kStoreOk : ReportDamage(SQLITE_CORRUPT, problem);
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
  StoredIndexes stored;
  if (int answer = StoredIndexesOf(connection, table, &stored)) return answer;
  const std::string problem = KeysProblem(table, stored, DatabaseFile(connection, table));
  return problem.empty() ? kStoreOk : ReportAnswer(kInvalidKeyFile, problem);
}

int RebuildKeys(SqliteConnection& connection, const SqlTable& table) {
  return InTransaction(connection, [&] {
    // Keys are never made over a table that is not the record file's.
    if (int answer = CheckColumns(connection, table)) return answer;
    StoredIndexes stored;
    if (int answer = StoredIndexesOf(connection, table, &stored)) return answer;
    // Indexes of keys that changed or no longer exist go.
    for (const std::string& name : StaleIndexes(table, stored)) {
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
