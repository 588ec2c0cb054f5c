#pragma once
// One opener's sharing locks and holds in a server store. The locks are the
// server's advisory locks, taken through one session per process (the lock
// session) so that they vanish when the process ends or loses the server;
// openers within the process are told apart here, as the server sees them
// all as the one session.
//
// Keys: (table's oid, -1 - slot) for the sharing slots (opened, writer,
// reader, as in the embedded store's lock file), (table's oid, position) for
// the hold of a record. A hold is also written into the store's holds
// table, so that reads can see with their rows that a record may be held;
// only then is the lock itself asked about. A lock session lost (the server
// restarted) is made again with every lock taken again.
#include <cstdint>
#include <memory>
#include <vector>

#include "data/store/pg_connection.h"

namespace vornel::data {

class PgLockTable;

class PgFileLocks {
 public:
  PgFileLocks() = default;
  ~PgFileLocks() { Close(); }
  PgFileLocks(const PgFileLocks&) = delete;
  PgFileLocks& operator=(const PgFileLocks&) = delete;

  // Takes the sharing locks of `mode` on the table `file`: kAccessDenied
  // when another opener's mode conflicts.
  int Open(const PgAddress& address, std::uint32_t file, std::uint8_t mode);
  void Close();  // releases every lock

  // Whether another opener holds the record; asks the server only when
  // `may_be_held` (a read saw the record in the holds table).
  bool HeldByOther(std::int64_t position, bool may_be_held);
  // Whether an opener of this process holds the record; never asks the server.
  bool HeldHere(std::int64_t position);
  int Hold(std::int64_t position);  // kStoreOk, or kRecordHeld when another opener holds it
  void ReleaseAll();
  // Whether this opener's locks were lost with the connection that kept
  // them and could not be taken again (another station took them
  // meanwhile): its writes would no longer be protected.
  bool Lost();
  // Forgets the holds table's entries of the file: only for an opener that
  // denies all others, when no hold can exist.
  void ClearHolds();

 private:
  std::shared_ptr<PgLockTable> table_;
  std::uint32_t file_ = 0;
  std::uint64_t opened_at_ = 0;  // the lock session's losses when this opener took its locks
  std::vector<std::pair<int, bool>> slots_;  // the sharing locks taken: slot, exclusive
  std::vector<std::int64_t> held_;
};

// The holds table, and what a read selects to see a hold of its row.
inline constexpr const char* kHoldsTable = "\"vornel_store\".\"holds\"";
std::string HoldMarkColumn(std::uint32_t file, const std::string& table_name);

}  // namespace vornel::data
