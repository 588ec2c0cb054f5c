#include "tests/support/test_stores.h"

#include <cstdlib>
#include <memory>

#include "data/store/pg_store.h"
#include "tests/support/pg_cluster.h"

namespace vornel::test {
namespace {

bool ServerRequired() {
  const char* required = std::getenv("VORNEL_REQUIRE_SERVER");
  return required != nullptr && std::string(required) == "1";
}

}  // namespace

const data::PgAddress* TestServer(std::string* reason) {
  // One server per test process, stopped when the process ends.
  static std::unique_ptr<PgCluster> cluster;
  static data::PgAddress address;
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

std::unique_ptr<data::RecordStore> MakeTestStore(StoreKind kind) {
  if (kind == StoreKind::kSqlite) return data::MakeSqliteStore();
  std::string reason;
  const data::PgAddress* server = TestServer(&reason);
  if (server == nullptr) {
    if (ServerRequired()) {
      ADD_FAILURE() << "no PostgreSQL server for the tests: " << reason;
    } else {
      [&] { GTEST_SKIP() << "no PostgreSQL server for the tests: " << reason; }();
    }
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

}  // namespace vornel::test
