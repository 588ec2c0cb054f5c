#pragma once
// A private PostgreSQL server for tests: a new cluster in a temporary
// directory, reachable only through its Unix socket there (no TCP), with
// trust authentication, and one database made for the tests. The destructor
// stops the server and removes the directory.
//
// PostgreSQL will not run as root; a test run as root runs the server
// programs as the `postgres` system user the server package creates.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/store/pg_connection.h"

namespace vornel::test {

class PgCluster {
 public:
  static constexpr const char* kDatabase = "vornel_test";
  static constexpr const char* kUser = "vornel";
  // The one user that must give a password (the others are trusted); the
  // cluster does not make the role, a test that needs it does.
  static constexpr const char* kPasswordUser = "vornel_password";

  // Makes and starts the cluster; available() tells whether that worked.
  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  // False when the server programs are missing or the cluster did not start;
  // reason() says why (for GTEST_SKIP).
  bool available() const { return available_; }
  const std::string& reason() const { return reason_; }

  // Stops the server (connections to it are cut) and starts it again on the
  // same socket. False, with reason() set, when it does not work.
  bool Stop();
  bool Start();
  bool running() const { return server_ > 0; }

  // The address of the test database; of `database` on the same server.
  data::PgAddress address() const { return AddressOf(kDatabase); }
  data::PgAddress AddressOf(const std::string& database) const;
  // The directory holding the server's socket.
  const std::filesystem::path& socket_directory() const { return socket_dir_; }

 private:
  bool Make();
  bool Fail(const std::string& reason);
  // Runs `program` of the server's bin directory as the server's user with
  // its output into the log; waits when `wait`, else returns its process id.
  pid_t Run(const std::string& program, const std::vector<std::string>& arguments, bool wait,
            int* status);
  std::string LogTail() const;

  bool available_ = false;
  std::string reason_;
  std::filesystem::path bin_;
  std::filesystem::path root_;  // the temporary directory holding the rest
  std::filesystem::path data_dir_;
  std::filesystem::path socket_dir_;
  std::filesystem::path log_;
  int port_ = 0;
  bool as_other_user_ = false;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  pid_t server_ = 0;
};

}  // namespace vornel::test
