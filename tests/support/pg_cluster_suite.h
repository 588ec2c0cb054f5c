#pragma once
// A test suite with one private server for all its tests (making a cluster
// takes a second), for tests that stop and start the server themselves.
// A test is skipped when no server can run here, and fails when an earlier
// one left it stopped.
#include <gtest/gtest.h>

#include "tests/support/pg_cluster.h"

namespace vornel::test {

class PgClusterSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { cluster_ = new PgCluster(); }
  static void TearDownTestSuite() {
    delete cluster_;
    cluster_ = nullptr;
  }
  void SetUp() override {
    if (!cluster_->available()) GTEST_SKIP() << cluster_->reason();
    ASSERT_TRUE(cluster_->running()) << "an earlier test left the server stopped";
  }

  static inline PgCluster* cluster_ = nullptr;
};

}  // namespace vornel::test
