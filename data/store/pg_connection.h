#pragma once
// One connection to a PostgreSQL server through libpq, and the result of one
// command. Failures are the store's answers (data/store/store_answer.h),
// recorded as the thread's last file error with the server's SQLSTATE as the
// driver's code and a text that says what is wrong in words.
//
// A connection is used by one thread at a time.
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>
#include <span>
#include <string>
#include <string_view>
#include <utility>

struct pg_conn;
struct pg_result;

namespace vornel::data {

// Where the server is and whom to connect as. The password is not part of
// it: libpq takes it from the user's password file (~/.pgpass, or the file
// PGPASSFILE names) or from PGPASSWORD.
struct PgAddress {
  std::string host;  // a host name or a socket directory ("" : libpq's default)
  int port = 5432;
  std::string database;
  std::string user;  // "" : libpq's default, the system user's name
};

// "HOST:PORT", the way the texts name a server ("/run/db:5432",
// "db.example:5432", "[::1]:5432").
std::string DescribeServer(const PgAddress& address);

// Owns the PGresult of one command. Rows and columns count from 0.
class PgResult {
 public:
  PgResult() = default;
  explicit PgResult(pg_result* result) : result_(result) {}
  ~PgResult();
  PgResult(PgResult&& other) noexcept : result_(other.release()) {}
  PgResult& operator=(PgResult&& other) noexcept;
  PgResult(const PgResult&) = delete;
  PgResult& operator=(const PgResult&) = delete;

  int rows() const;
  int columns() const;
  // The value as text; "" for NULL (IsNull tells them apart). Valid while
  // this result lives.
  std::string_view Text(int row, int column) const;
  bool IsNull(int row, int column) const;
  // The rows an INSERT, UPDATE or DELETE changed (0 for other commands).
  long ChangedRows() const;

  pg_result* get() const { return result_; }
  pg_result* release() {
    pg_result* result = result_;
    result_ = nullptr;
    return result;
  }

 private:
  pg_result* result_ = nullptr;
};

// The parameters of one command as text values, kept in one buffer so that
// a command of many fields costs no allocation per value.
class PgParams {
 public:
  void Clear() {
    buffer_.clear();
    offsets_.clear();
  }
  // False (nothing added) for text with a NUL, which the server cannot store.
  bool AddText(std::string_view text);
  void AddInteger(std::int64_t value);
  void AddReal(double value);  // exactly: the shortest text that reads back as the same number
  int count() const { return static_cast<int>(offsets_.size()); }
  // The values for libpq, valid until the next change.
  const char* const* values() const;

 private:
  std::string buffer_;  // the values, each ended by a NUL
  std::vector<std::size_t> offsets_;
  mutable std::vector<const char*> pointers_;
};

class PgConnection {
 public:
  // A connection to the server at `address`, or nullptr with `*answer` (when
  // given) set to the recorded answer: kDriverError with words for a server
  // that cannot be reached, a refused password, an unknown user or a
  // database that does not exist.
  static std::unique_ptr<PgConnection> Connect(const PgAddress& address, int* answer = nullptr);

  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Runs one SQL command with `parameters` as $1, $2 ... (text values, an
  // empty optional is NULL); the values never become part of the SQL text.
  // Answers kStoreOk, kDuplicateKey for a unique key that would get a second
  // equal value, or kDriverError with the server's message. A connection
  // the server dropped answers kDriverError; the next Execute connects again
  // once before it runs its command.
  int Execute(std::string_view sql, std::span<const std::optional<std::string>> parameters = {},
              PgResult* result = nullptr);

  // Runs `sql` as a statement prepared once per connection (kept by its
  // text) with `parameters`; answers as Execute.
  int Run(const std::string& sql, const PgParams& parameters, PgResult* result = nullptr);

  // One transaction at a time. While it runs, a row another transaction has
  // locked is waited for up to `wait_ms` (0: not at all). A connection lost
  // inside it answers a failure until Rollback, and is made again only
  // then: the server has undone the transaction, and the commands after the
  // loss must not run outside it. A Commit that the server turns into a
  // rollback (a command of the transaction failed) answers that failure.
  int Begin(int wait_ms);
  int Commit();
  int Rollback();
  bool InTransaction() const { return in_transaction_; }

  // Quotes `text` as an SQL literal, for the few commands that take no
  // parameters (COMMENT ON); "" when libpq cannot.
  std::string Literal(std::string_view text) const;

  // False once the connection is known to be broken (until it is reset).
  bool connected() const;
  // Whether the connection is still there, without a round trip: what the
  // server left on it meanwhile is read (a session it ended while idle is
  // seen ended). Outside a transaction only.
  bool Alive();
  static int CurrentPid();  // of the calling process
  // The address connected to, with libpq's choices for what was not given.
  const PgAddress& address() const { return address_; }

 private:
  PgConnection(pg_conn* conn, PgAddress address) : conn_(conn), address_(std::move(address)) {}
  // Before a command: a broken connection made again when that is safe.
  int Usable();
  // The answer for a command's result; the result kept in `out` on success.
  int Finish(PgResult answer, PgResult* out);

  pg_conn* conn_ = nullptr;
  PgAddress address_;
  int pid_ = CurrentPid();  // the process that connected
  bool in_transaction_ = false;
  std::unordered_map<std::string, std::string> prepared_;  // SQL -> statement name
};

}  // namespace vornel::data
