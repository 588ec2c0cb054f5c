#pragma once
// The calling thread's connection to the database server: every record file
// a thread opens in a server store reads and writes through it, so that one
// transaction spans files of several directories. When no file uses it any
// more it waits, idle, for the next thread (a window opened next): a few
// wait at most, so that a window does not pay for a new server session.
#include <cstdint>
#include <memory>
#include <string>

#include "data/store/pg_connection.h"

namespace vornel::data {

class PgSession {
 public:
  // This thread's session with the server at `address`, connecting when
  // there is none; nullptr with the failure recorded (and in `*answer`).
  static std::shared_ptr<PgSession> ForThisThread(const PgAddress& address, int* answer);
  // This thread's session when one is in use, else nullptr.
  static std::shared_ptr<PgSession> OfThisThread();

  PgConnection& connection() { return *connection_; }
  const std::string& server() const { return server_; }

  // Counts data changes made through this session and transaction ends,
  // so that rows read ahead can tell that they may be stale.
  std::uint64_t generation() const { return generation_; }
  std::uint64_t Changed() { return ++generation_; }
  // The store's own schema made or checked once while a thread uses the
  // session (again after it waited idle).
  int PrepareStore();
  int Begin(int wait_ms);
  int Commit();
  int Rollback();

  explicit PgSession(std::unique_ptr<PgConnection> connection, std::string server)
      : connection_(std::move(connection)), server_(std::move(server)) {}

 private:
  static void GoIdle(PgSession* session);

  std::unique_ptr<PgConnection> connection_;
  std::string server_;  // the key of the address it connected to
  std::uint64_t generation_ = 0;
  bool store_prepared_ = false;
};

// The key that tells two addresses of one server apart from another.
std::string AddressKey(const PgAddress& address);

}  // namespace vornel::data
