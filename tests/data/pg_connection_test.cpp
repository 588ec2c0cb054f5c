#include "data/store/pg_connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/store/store_answer.h"
#include "platform/runtime_error.h"
#include "tests/support/pg_cluster_suite.h"

namespace vornel::data {
namespace {

using Values = std::vector<std::optional<std::string>>;
using ::testing::HasSubstr;

const platform::RuntimeError& Last() { return platform::LastRuntimeError(); }

// Sets an environment variable (nullptr: removes it) for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
  void Set(const char* value) {
    if (value != nullptr) {
      ::setenv(name_, value, 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class PgConnectionTest : public test::PgClusterSuite {
 protected:
  void SetUp() override {
    PgClusterSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    int answer = -1;
    connection_ = PgConnection::Connect(cluster_->address(), &answer);
    ASSERT_NE(connection_, nullptr) << Last().file_error_text;
    ASSERT_EQ(answer, kStoreOk);
  }

  std::unique_ptr<PgConnection> connection_;
};

TEST_F(PgConnectionTest, ParametersReachTheServerAsTheyAreAndKeysStayUnique) {
  ASSERT_EQ(connection_->Execute("CREATE TABLE notes (id integer PRIMARY KEY, body text)"),
            kStoreOk);
  const std::string hostile = "O'Brien\"; DROP TABLE notes; -- SELECT * FROM pg_user \\ $1";
  const Values first{"1", hostile};
  ASSERT_EQ(connection_->Execute("INSERT INTO notes VALUES ($1, $2)", first), kStoreOk)
      << Last().file_error_text;
  const Values second{"2", std::nullopt};
  ASSERT_EQ(connection_->Execute("INSERT INTO notes VALUES ($1, $2)", second), kStoreOk);
  const Values empty{"3", ""};
  ASSERT_EQ(connection_->Execute("INSERT INTO notes VALUES ($1, $2)", empty), kStoreOk);

  PgResult result;
  ASSERT_EQ(connection_->Execute("SELECT id, body FROM notes ORDER BY id", {}, &result), kStoreOk);
  ASSERT_EQ(result.rows(), 3) << "the text in the parameter ran as SQL";
  ASSERT_EQ(result.columns(), 2);
  EXPECT_EQ(result.Text(0, 1), hostile);
  EXPECT_FALSE(result.IsNull(0, 1));
  EXPECT_TRUE(result.IsNull(1, 1));
  EXPECT_EQ(result.Text(1, 1), "");
  EXPECT_FALSE(result.IsNull(2, 1)) << "an empty text is not NULL";

  // A parameter is compared as a value, never read as SQL.
  const Values match{hostile};
  ASSERT_EQ(connection_->Execute("SELECT id FROM notes WHERE body = $1", match, &result), kStoreOk);
  ASSERT_EQ(result.rows(), 1);
  EXPECT_EQ(result.Text(0, 0), "1");

  // A second row with key 1: the duplicate-key answer, with the server's code.
  const Values again{"1", "other"};
  EXPECT_EQ(connection_->Execute("INSERT INTO notes VALUES ($1, $2)", again), kDuplicateKey);
  EXPECT_EQ(Last().code, kDuplicateKey);
  EXPECT_EQ(Last().file_error_code, "23505");
  EXPECT_THAT(Last().file_error_text, HasSubstr("notes_pkey"));

  // Other failures are driver errors with the server's message; the
  // connection stays usable after them.
  EXPECT_EQ(connection_->Execute("SELEC 1"), kDriverError);
  EXPECT_EQ(Last().file_error_code, "42601");
  EXPECT_THAT(Last().file_error_text, HasSubstr("syntax error"));
  const Values cut{"4", std::string("before\0after", 12)};
  EXPECT_EQ(connection_->Execute("INSERT INTO notes VALUES ($1, $2)", cut), kDriverError)
      << "a value cut at its NUL must not be stored";
  const Values changed{"changed"};
  ASSERT_EQ(connection_->Execute("UPDATE notes SET body = $1 WHERE id <> 1", changed, &result),
            kStoreOk);
  EXPECT_EQ(result.ChangedRows(), 2);
  EXPECT_EQ(connection_->Execute("DROP TABLE notes"), kStoreOk);
}

TEST_F(PgConnectionTest, ServerThatGoesAwayAndComesBack) {
  ASSERT_EQ(connection_->Execute("SELECT 1"), kStoreOk);
  const std::string server = DescribeServer(cluster_->address());
  ASSERT_TRUE(cluster_->Stop()) << cluster_->reason();

  // The command that meets the cut connection.
  EXPECT_EQ(connection_->Execute("SELECT 1"), kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr(server));
  EXPECT_FALSE(connection_->connected());
  // The next one tries to connect again, and says the server is not there.
  PgResult result;
  EXPECT_EQ(connection_->Execute("SELECT 1", {}, &result), kDriverError);
  EXPECT_THAT(Last().file_error_text,
              HasSubstr("The database server at " + server + " cannot be reached"));
  EXPECT_EQ(result.rows(), 0);

  ASSERT_TRUE(cluster_->Start()) << cluster_->reason();
  ASSERT_EQ(connection_->Execute("SELECT 2", {}, &result), kStoreOk) << Last().file_error_text;
  EXPECT_EQ(result.Text(0, 0), "2");
  EXPECT_TRUE(connection_->connected());
}

TEST_F(PgConnectionTest, ConnectFailuresSayWhatIsWrong) {
  PgAddress missing = cluster_->AddressOf("no_such_db");
  int answer = -1;
  EXPECT_EQ(PgConnection::Connect(missing, &answer), nullptr);
  EXPECT_EQ(answer, kDriverError);
  EXPECT_EQ(Last().code, kDriverError);
  EXPECT_THAT(Last().file_error_text,
              HasSubstr("The database no_such_db does not exist on the server at " +
                        DescribeServer(missing)));

  // A database name is a name, never read as connection settings.
  PgAddress settings = cluster_->AddressOf("postgres user=postgres");
  EXPECT_EQ(PgConnection::Connect(settings, &answer), nullptr);
  EXPECT_THAT(Last().file_error_text, HasSubstr("The database postgres user=postgres does not"));

  PgAddress stranger = cluster_->address();
  stranger.user = "nobody_here";
  EXPECT_EQ(PgConnection::Connect(stranger, &answer), nullptr);
  EXPECT_THAT(Last().file_error_text, HasSubstr("The user nobody_here does not exist"));

  PgAddress nowhere = cluster_->address();
  nowhere.port = cluster_->address().port + 1;
  EXPECT_EQ(PgConnection::Connect(nowhere, &answer), nullptr);
  EXPECT_EQ(answer, kDriverError);
  EXPECT_THAT(Last().file_error_text, HasSubstr("The database server at " +
                                                DescribeServer(nowhere) + " cannot be reached"));
}

TEST_F(PgConnectionTest, PasswordComesFromTheEnvironmentAndIsAskedForInWords) {
  ASSERT_EQ(connection_->Execute(std::string("CREATE ROLE ") + test::PgCluster::kPasswordUser +
                                 " LOGIN PASSWORD 'right'"),
            kStoreOk);
  PgAddress address = cluster_->address();
  address.user = test::PgCluster::kPasswordUser;
  const std::string server = DescribeServer(address);
  ScopedEnv passfile("PGPASSFILE", "/nonexistent/pgpass");
  ScopedEnv password("PGPASSWORD", nullptr);
  int answer = -1;

  EXPECT_EQ(PgConnection::Connect(address, &answer), nullptr);
  EXPECT_EQ(answer, kDriverError);
  EXPECT_EQ(Last().file_error_code, "28P01");
  EXPECT_THAT(Last().file_error_text, HasSubstr("The database server at " + server +
                                                " wants a password for user vornel_password"));

  password.Set("wrong");
  EXPECT_EQ(PgConnection::Connect(address, &answer), nullptr);
  EXPECT_THAT(Last().file_error_text, HasSubstr("refused the password of user vornel_password"));

  password.Set("right");
  auto connection = PgConnection::Connect(address, &answer);
  ASSERT_NE(connection, nullptr) << Last().file_error_text;
  PgResult result;
  ASSERT_EQ(connection->Execute("SELECT current_user", {}, &result), kStoreOk);
  EXPECT_EQ(result.Text(0, 0), test::PgCluster::kPasswordUser);
}

}  // namespace
}  // namespace vornel::data
