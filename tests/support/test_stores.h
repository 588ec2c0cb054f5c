#pragma once
// The record stores the store's tests run against, from one test source:
// the embedded store, and the server store on a private PostgreSQL server
// that the test process starts the first time it is needed and stops at its
// end. A test suite takes the store kind as its parameter:
//
//   class StoreShare : public test::StoreTest {};
//   TEST_P(StoreShare, ...) { auto file = store().MakeFile(...); }
//   VORNEL_STORE_TESTS(StoreShare);
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/store/pg_connection.h"
#include "data/store/record_store.h"

namespace vornel::test {

enum class StoreKind { kSqlite, kPostgres };

// The address of the private server's test database; nullptr (with
// `*reason`) when no server can run here. With VORNEL_REQUIRE_SERVER=1 in
// the environment (the test command sets it) a missing server is a failure
// of the test, not a skip.
const data::PgAddress* TestServer(std::string* reason);

// A new, empty database on the test server for the calling test (a data
// root copied or generated into it); nullptr after a skip or failure.
std::optional<data::PgAddress> FreshTestDatabase();

// A store of that kind for the calling test, or nullptr after the test was
// skipped or failed for want of a server.
std::unique_ptr<data::RecordStore> MakeTestStore(StoreKind kind);

class StoreTest : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override;
  data::RecordStore& store() { return *store_; }
  bool on_server() const { return GetParam() == StoreKind::kPostgres; }
  std::unique_ptr<data::RecordStore> store_;
};

std::string StoreKindName(const ::testing::TestParamInfo<StoreKind>& info);

// For a station that is a process of its own: the environment entries that
// give it the store of this test (the kind, and the server this process
// runs), and the kind as the station reads it back.
std::vector<std::string> StoreEnvironment(StoreKind kind);
StoreKind StoreKindOfEnvironment();

}  // namespace vornel::test

#define VORNEL_STORE_TESTS(suite)                                                                          \
  INSTANTIATE_TEST_SUITE_P(Stores, suite,                                                                 \
                           ::testing::Values(::vornel::test::StoreKind::kSqlite,                           \
                                             ::vornel::test::StoreKind::kPostgres),                        \
                           ::vornel::test::StoreKindName)

namespace vornel::test {

// Runs SQL on the store's own database of `directory`, with a connection
// of its own, as another program would: "$S." in `sql` stands for the
// directory's schema (nothing in the embedded store, whose database is the
// directory's), and statements are parted by "; ".
void RawStoreSql(StoreKind kind, const std::filesystem::path& directory, const std::string& sql);

// Waits, for at most 10 seconds, until the server has no session left of
// the ended process `pid`. The server ends a killed process's sessions, and
// with them its locks and its open transaction, only once it notices the
// closed connection, a moment after the process is gone. Nothing to wait
// for in the embedded store.
void AwaitSessionsEnded(StoreKind kind, int pid);

}  // namespace vornel::test
