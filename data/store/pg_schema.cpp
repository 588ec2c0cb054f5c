#include "data/store/pg_schema.h"

#include <string>
#include <vector>

#include "data/store/pg_codec.h"
#include "data/store/pg_locks.h"
#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"
#include "data/store/table_checks.h"
#include "data/store/within_transaction.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

// Catalogue changes of this store wait for each other (one advisory lock
// of the transaction): two stations making the same table at once would
// otherwise collide in the server's catalogue.
constexpr const char* kCatalogueLock = "SELECT pg_advisory_xact_lock(1447646796, 1)";
// The driver's code of a table that is not the record file's, as the
// embedded store gives it.
constexpr int kDamageCode = 11;
constexpr int kCatalogueWaitMs = 10000;

template <typename Body>
int InTransaction(PgConnection& connection, Body body) {
  return WithinTransaction(connection, kCatalogueWaitMs, body);
}

int Query(PgConnection& connection, const std::string& sql, std::uint32_t oid, PgResult* result) {
  PgParams parameters;
  parameters.AddInteger(oid);
  return connection.Run(sql, parameters, result);
}

int StoredIndexesOf(PgConnection& connection, std::uint32_t oid, StoredIndexes* stored) {
  PgResult result;
  if (int answer = Query(connection,
                         "SELECT c.relname, coalesce(obj_description(c.oid, 'pg_class'), '') "
                         "FROM pg_catalog.pg_index i JOIN pg_catalog.pg_class c ON c.oid = i.indexrelid "
                         "WHERE i.indrelid = $1::oid AND NOT i.indisprimary",
                         oid, &result)) {
    return answer;
  }
  for (int row = 0; row < result.rows(); ++row) (*stored)[std::string(result.Text(row, 0))] = result.Text(row, 1);
  return kStoreOk;
}

// Makes the key's index and records the statement it was made from, which
// is what CheckKeys compares.
int CreateIndex(PgConnection& connection, const SqlTable& table, const KeyDef& key) {
  if (int answer = connection.Execute(table.CreateIndexSql(key))) return answer;
  const std::string literal = connection.Literal(table.StoredIndexSql(key));
  if (literal.empty()) return ReportDriverText("cannot quote the definition of the key " + table.IndexName(key));
  return connection.Execute("COMMENT ON INDEX " + QuoteName(table.schema()) + "." + QuoteName(table.IndexName(key)) +
                            " IS " + literal);
}

std::string Place(const PgConnection& connection, const SqlTable& table) {
  return "the schema " + table.schema() + " of the database " + connection.address().database + " on " +
         DescribeServer(connection.address());
}

}  // namespace

int PrepareStore(PgConnection& connection) {
  PgResult result;
  if (int answer = connection.Execute("SELECT to_regclass('\"vornel_store\".\"version\"') IS NOT NULL", {}, &result)) {
    return answer;
  }
  if (result.Text(0, 0) != "t") {
    int answer = InTransaction(connection, [&] {
      for (const char* sql : {kCatalogueLock, "CREATE SCHEMA IF NOT EXISTS \"vornel_store\"",
                              "CREATE TABLE IF NOT EXISTS \"vornel_store\".\"version\" (version integer NOT NULL)",
                              "CREATE TABLE IF NOT EXISTS \"vornel_store\".\"holds\" (file bigint NOT NULL, "
                              "position bigint NOT NULL, PRIMARY KEY (file, position))"}) {
        if (int answer = connection.Execute(sql)) return answer;
      }
      return connection.Execute(
          "INSERT INTO \"vornel_store\".\"version\" SELECT $1 WHERE NOT EXISTS (SELECT 1 FROM "
          "\"vornel_store\".\"version\")",
          std::vector<std::optional<std::string>>{std::to_string(kPgStoreVersion)});
    });
    if (answer != kStoreOk) return answer;
  }
  if (int answer = connection.Execute("SELECT max(version) FROM \"vornel_store\".\"version\"", {}, &result)) {
    return answer;
  }
  const std::int64_t version = ResultInteger(result, 0, 0);
  if (version == kPgStoreVersion) return kStoreOk;
  return ReportDriverText("The database " + connection.address().database + " on " +
                          DescribeServer(connection.address()) + " holds record files of store version " +
                          std::to_string(version) + "; this program reads version " +
                          std::to_string(kPgStoreVersion) +
                          ". Copy the data into a new database with the program of its version "
                          "(vornel-store copy), or use the program that made it");
}

int TableOid(PgConnection& connection, const SqlTable& table, std::uint32_t* oid) {
  PgResult result;
  if (int answer = connection.Execute("SELECT coalesce(to_regclass($1)::oid, 0)",
                                      std::vector<std::optional<std::string>>{table.name()}, &result)) {
    return answer;
  }
  *oid = static_cast<std::uint32_t>(ResultInteger(result, 0, 0));
  return kStoreOk;
}

int CheckColumns(PgConnection& connection, const SqlTable& table, std::uint32_t oid) {
  PgResult result;
  if (int answer = Query(connection,
                         "SELECT attname FROM pg_catalog.pg_attribute WHERE attrelid = $1::oid AND attnum > 0 "
                         "AND NOT attisdropped",
                         oid, &result)) {
    return answer;
  }
  std::vector<std::string> stored;
  for (int row = 0; row < result.rows(); ++row) stored.emplace_back(result.Text(row, 0));
  const std::string problem =
      ColumnsProblem(table, stored, "The table " + std::string(table.def().label) + " in " + Place(connection, table),
                     false);
  return problem.empty() ? kStoreOk : ReportDamage(kDamageCode, problem);
}

int CheckKeys(PgConnection& connection, const SqlTable& table, std::uint32_t oid) {
  StoredIndexes stored;
  if (int answer = StoredIndexesOf(connection, oid, &stored)) return answer;
  const std::string problem = KeysProblem(table, stored, Place(connection, table));
  return problem.empty() ? kStoreOk : ReportAnswer(kInvalidKeyFile, problem);
}

int CreateTable(PgConnection& connection, const SqlTable& table) {
  if (int answer = PrepareStore(connection)) return answer;
  return InTransaction(connection, [&] {
    if (int answer = connection.Execute(kCatalogueLock)) return answer;
    if (int answer = connection.Execute("CREATE SCHEMA IF NOT EXISTS " + QuoteName(table.schema()))) return answer;
    if (int answer = connection.Execute(table.CreateTableSql())) return answer;
    std::uint32_t oid = 0;
    if (int answer = TableOid(connection, table, &oid)) return answer;
    // The table may have been there already, made by something else.
    if (int answer = CheckColumns(connection, table, oid)) return answer;
    StoredIndexes stored;
    if (int answer = StoredIndexesOf(connection, oid, &stored)) return answer;
    for (const KeyDef& key : table.def().keys) {
      if (stored.count(table.IndexName(key)) != 0) continue;
      if (int answer = CreateIndex(connection, table, key)) return answer;
    }
    return static_cast<int>(kStoreOk);
  });
}

int RebuildKeys(PgConnection& connection, const SqlTable& table, std::uint32_t oid) {
  return InTransaction(connection, [&] {
    if (int answer = connection.Execute(kCatalogueLock)) return answer;
    // Keys are never made over a table that is not the record file's.
    if (int answer = CheckColumns(connection, table, oid)) return answer;
    StoredIndexes stored;
    if (int answer = StoredIndexesOf(connection, oid, &stored)) return answer;
    for (const std::string& name : StaleIndexes(table, stored)) {
      if (int answer = connection.Execute("DROP INDEX " + QuoteName(table.schema()) + "." + QuoteName(name))) {
        return answer;
      }
      stored.erase(name);
    }
    for (const KeyDef& key : table.def().keys) {
      if (stored.count(table.IndexName(key)) != 0) continue;
      if (int answer = CreateIndex(connection, table, key)) return answer;
    }
    return connection.Execute("REINDEX TABLE " + table.name());
  });
}

int DropTable(PgConnection& connection, const SqlTable& table) {
  return InTransaction(connection, [&] { return connection.Execute("DROP TABLE IF EXISTS " + table.name()); });
}

}  // namespace vornel::data
