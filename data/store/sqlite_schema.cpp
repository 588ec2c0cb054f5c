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

int Run(SqliteConnection& connection, const std::string& sql) {
  return connection.Execute(sql.c_str());
}

// The table's indexes as SQLite keeps them: name -> statement.
int StoredIndexes(SqliteConnection& connection, const SqliteTable& table,
                  std::map<std::string, std::string>* indexes) {
  SqliteStatement query;
  const std::string sql = "SELECT name, sql FROM " + QuoteName(table.schema()) +
                          ".sqlite_master WHERE type='index' AND tbl_name=?1 COLLATE NOCASE";
  int rc = query.Prepare(connection.db(), sql);
  if (rc != SQLITE_OK) return ReportSqlite(connection.db(), rc);
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
  return rc == SQLITE_DONE ? kStoreOk : ReportSqlite(connection.db(), rc);
}

}  // namespace

int TableExists(SqliteConnection& connection, const SqliteTable& table, bool* exists) {
  SqliteStatement query;
  const std::string sql = "SELECT 1 FROM " + QuoteName(table.schema()) +
                          ".sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE";
  int rc = query.Prepare(connection.db(), sql);
  if (rc != SQLITE_OK) return ReportSqlite(connection.db(), rc);
  const std::string label(table.def().label);
  sqlite3_bind_text(query.get(), 1, label.c_str(), static_cast<int>(label.size()), SQLITE_STATIC);
  rc = sqlite3_step(query.get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return ReportSqlite(connection.db(), rc);
  *exists = rc == SQLITE_ROW;
  return kStoreOk;
}

int CreateTable(SqliteConnection& connection, const SqliteTable& table) {
  return InTransaction(connection, [&] {
    if (int answer = Run(connection, table.CreateTableSql())) return answer;
    for (const KeyDef& key : table.def().keys) {
      if (int answer = Run(connection, table.CreateIndexSql(key))) return answer;
    }
    return static_cast<int>(kStoreOk);
  });
}

int CheckKeys(SqliteConnection& connection, const SqliteTable& table) {
  std::map<std::string, std::string> stored;
  if (int answer = StoredIndexes(connection, table, &stored)) return answer;
  for (const KeyDef& key : table.def().keys) {
    auto it = stored.find(table.IndexName(key));
    if (it == stored.end() || it->second != table.StoredIndexSql(key)) {
      return ReportAnswer(kInvalidKeyFile);
    }
  }
  return kStoreOk;
}

int RebuildKeys(SqliteConnection& connection, const SqliteTable& table) {
  return InTransaction(connection, [&] {
    std::map<std::string, std::string> stored;
    if (int answer = StoredIndexes(connection, table, &stored)) return answer;
    for (const KeyDef& key : table.def().keys) {
      auto it = stored.find(table.IndexName(key));
      if (it != stored.end() && it->second == table.StoredIndexSql(key)) stored.erase(it);
    }
    // What is left is stale: indexes of keys that changed or no longer exist.
    for (const auto& [name, sql] : stored) {
      if (int answer =
              Run(connection, "DROP INDEX " + QuoteName(table.schema()) + "." + QuoteName(name))) {
        return answer;
      }
    }
    for (const KeyDef& key : table.def().keys) {
      if (int answer = Run(connection, table.CreateIndexSql(key))) return answer;
    }
    return Run(connection, "REINDEX " + table.name());
  });
}

int DropTable(SqliteConnection& connection, const SqliteTable& table) {
  return InTransaction(connection,
                       [&] { return Run(connection, "DROP TABLE IF EXISTS " + table.name()); });
}

}  // namespace vornel::data
