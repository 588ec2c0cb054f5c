#include "tests/support/test_stores.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include <sqlite3.h>

#include "data/store/pg_store.h"
#include "data/store/sql_table.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"
#include "tests/support/pg_cluster.h"

namespace vornel::test {
namespace {

bool ServerRequired() {
  const char* required = std::getenv("VORNEL_REQUIRE_SERVER");
  return required != nullptr && std::string(required) == "1";
}

// The calling test without a server: skipped, or failed when one is required.
void NoServer(const std::string& reason) {
  if (ServerRequired()) {
    ADD_FAILURE() << "no PostgreSQL server for the tests: " << reason;
  } else {
    [&] { GTEST_SKIP() << "no PostgreSQL server for the tests: " << reason; }();
  }
}

}  // namespace

const data::PgAddress* TestServer(std::string* reason) {
  // One server per test process, stopped when the process ends; a station
  // process uses the server of the test that started it.
  static std::unique_ptr<PgCluster> cluster;
  static data::PgAddress address;
  if (const char* host = std::getenv("VORNEL_TEST_SERVER_HOST")) {
    address = {host, std::atoi(std::getenv("VORNEL_TEST_SERVER_PORT")), PgCluster::kDatabase, PgCluster::kUser};
    return &address;
  }
  if (!cluster) {
    cluster = std::make_unique<PgCluster>();
    if (cluster->available()) address = cluster->address();
  }
  if (!cluster->available()) {
    *reason = cluster->reason();
    return nullptr;
  }
  return &address;
}

std::optional<data::PgAddress> FreshTestDatabase() {
  std::string reason;
  const data::PgAddress* server = TestServer(&reason);
  if (server == nullptr) {
    NoServer(reason);
    return std::nullopt;
  }
  static int made = 0;
  data::PgAddress address = *server;
  address.database = "fresh_" + std::to_string(++made);
  auto connection = data::PgConnection::Connect(*server);
  if (!connection || connection->Execute("CREATE DATABASE " + address.database) != data::kStoreOk) {
    ADD_FAILURE() << "cannot make a database: " << platform::LastRuntimeError().file_error_text;
    return std::nullopt;
  }
  return address;
}

std::unique_ptr<data::RecordStore> MakeTestStore(StoreKind kind) {
  if (kind == StoreKind::kSqlite) return data::MakeSqliteStore();
  std::string reason;
  const data::PgAddress* server = TestServer(&reason);
  if (server == nullptr) {
    NoServer(reason);
    return nullptr;
  }
  // With "/" as the root every directory's schema is its whole path: the
  // temporary directories of tests never share one.
  return data::MakePgStore(*server, "/");
}

void StoreTest::SetUp() {
  store_ = MakeTestStore(GetParam());
  if (!store_ && !IsSkipped()) FAIL() << "no store";
}

std::string StoreKindName(const ::testing::TestParamInfo<StoreKind>& info) {
  return info.param == StoreKind::kSqlite ? "Sqlite" : "Postgres";
}

std::vector<std::string> StoreEnvironment(StoreKind kind) {
  if (kind == StoreKind::kSqlite) return {"VORNEL_TEST_STORE=sqlite"};
  std::string reason;
  const data::PgAddress* server = TestServer(&reason);
  if (server == nullptr) return {"VORNEL_TEST_STORE=postgres"};
  return {"VORNEL_TEST_STORE=postgres", "VORNEL_TEST_SERVER_HOST=" + server->host,
          "VORNEL_TEST_SERVER_PORT=" + std::to_string(server->port)};
}

StoreKind StoreKindOfEnvironment() {
  const char* kind = std::getenv("VORNEL_TEST_STORE");
  return kind != nullptr && std::string(kind) == "postgres" ? StoreKind::kPostgres : StoreKind::kSqlite;
}

}  // namespace vornel::test

namespace vornel::test {

void RawStoreSql(StoreKind kind, const std::filesystem::path& directory, const std::string& sql) {
  std::string schema;
  if (kind == StoreKind::kPostgres) {
    std::string problem;
    schema = data::QuoteName(data::PgStore(data::PgAddress{}, "/").SchemaOf(directory, &problem)) + ".";
  }
  std::string text = sql;
  for (std::size_t at = text.find("$S."); at != std::string::npos; at = text.find("$S.", at + schema.size()))
    text.replace(at, 3, schema);
  if (kind == StoreKind::kSqlite) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((directory / "records.db").c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, text.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "") << text;
    sqlite3_free(error);
    sqlite3_close(db);
    return;
  }
  std::string reason;
  const data::PgAddress* server = TestServer(&reason);
  ASSERT_NE(server, nullptr) << reason;
  auto connection = data::PgConnection::Connect(*server);
  ASSERT_TRUE(connection);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("; ", start);
    if (end == std::string::npos) end = text.size();
    const std::string statement = text.substr(start, end - start);
    EXPECT_EQ(connection->Execute(statement), data::kStoreOk)
        << statement << ": " << platform::LastRuntimeError().file_error_text;
    start = end + 2;
  }
}

void AwaitSessionsEnded(StoreKind kind, int pid) {
  if (kind != StoreKind::kPostgres) return;
  std::string reason;
  const data::PgAddress* server = TestServer(&reason);
  ASSERT_NE(server, nullptr) << reason;
  auto connection = data::PgConnection::Connect(*server);
  ASSERT_TRUE(connection);
  data::PgParams name;
  name.AddText("vornel " + std::to_string(pid));
  const std::string count = "SELECT count(*) FROM pg_stat_activity WHERE application_name = $1";
  for (int look = 0; look < 1000; ++look) {
    data::PgResult sessions;
    ASSERT_EQ(connection->Run(count, name, &sessions), data::kStoreOk);
    if (sessions.Text(0, 0) == "0") return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ADD_FAILURE() << "the server still has sessions of the ended process " << pid;
}

}  // namespace vornel::test
