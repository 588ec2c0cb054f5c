#include "data/store/pg_connection.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::data {
namespace {

// SQLSTATE codes recorded as the driver's code. The ones of connection
// failures are set by this file, as libpq gives no code for them.
constexpr const char* kUniqueViolation = "23505";
constexpr const char* kLockNotAvailable = "55P03";
constexpr const char* kCannotConnect = "08001";
constexpr const char* kConnectionLost = "08006";
constexpr const char* kInvalidPassword = "28P01";
constexpr const char* kNotAuthorized = "28000";
constexpr const char* kUnknownDatabase = "3D000";

int Report(int answer, std::string_view sqlstate, std::string_view text) {
  platform::SetFileError(answer, StoreAnswerText(answer), sqlstate, text);
  return answer;
}

// libpq's messages end in a newline and may run over several lines; the
// recorded text is one line, with runs of blanks made one.
std::string OneLine(const char* message) {
  std::string text;
  for (const char* c = message != nullptr ? message : ""; *c != '\0'; ++c) {
    const bool blank = *c == ' ' || *c == '\n' || *c == '\t';
    if (blank && (text.empty() || text.back() == ' ')) continue;
    text += blank ? ' ' : *c;
  }
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The server's message for a failed command: what failed and, when the
// server says more, its detail ("Key (id)=(1) already exists.").
std::string ServerMessage(const PGresult* result) {
  const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  if (primary == nullptr) return OneLine(PQresultErrorMessage(result));
  const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
  return OneLine(primary) + (detail != nullptr ? ": " + OneLine(detail) : "");
}

// The keyword/value arrays of PQconnectdbParams and PQpingParams. Each value
// is passed as it is: with expand_dbname off a database name is never read
// as a connection string.
class ConnectParameters {
 public:
  explicit ConnectParameters(const PgAddress& address)
      : port_(std::to_string(address.port)), application_(ApplicationName()) {
    Add("host", address.host.c_str());
    Add("port", port_.c_str());
    Add("dbname", address.database.c_str());
    Add("user", address.user.c_str());
    Add("connect_timeout", "10");  // an unreachable host does not hang the program
    Add("client_encoding", "UTF8");
    Add("application_name", application_.c_str());
    // A write waits for another station's transaction as long as the
    // embedded store waits, then says so; a transaction sets its own wait.
    Add("options", "-c lock_timeout=10000");
    keywords_.push_back(nullptr);
    values_.push_back(nullptr);
  }
  const char* const* keywords() const { return keywords_.data(); }
  const char* const* values() const { return values_.data(); }

 private:
  // An empty value is left out, so that libpq's default applies. The values
  // point into the address or into this object, which outlive the call.
  void Add(const char* keyword, const char* value) {
    if (*value == '\0') return;
    keywords_.push_back(keyword);
    values_.push_back(value);
  }
  // "vornel 4711": the server's list of sessions shows which station's
  // process each one serves, for the agency's administrator and for a check
  // that a killed station's sessions, and their locks, are gone.
  static std::string ApplicationName() { return "vornel " + std::to_string(PgConnection::CurrentPid()); }
  std::string port_;
  std::string application_;
  std::vector<const char*> keywords_;
  std::vector<const char*> values_;
};

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Records why `conn` could not connect to `address`. Whether the server
// answers at all is asked separately (PQping), so that a server that is not
// there is told apart from one that refuses this user or database; what the
// server refused is read from its message.
int ReportConnectFailure(const PgAddress& address, PGconn* conn) {
  const std::string server = DescribeServer(address);
  const std::string message = OneLine(conn != nullptr ? PQerrorMessage(conn) : "out of memory");
  const ConnectParameters parameters(address);
  const PGPing ping = PQpingParams(parameters.keywords(), parameters.values(), 0);
  if (ping == PQPING_NO_ATTEMPT) {
    return Report(
        kDriverError, kCannotConnect,
        "The settings for the database server at " + server + " are not valid: " + message);
  }
  if (ping == PQPING_NO_RESPONSE) {
    return Report(kDriverError, kCannotConnect,
                  "The database server at " + server + " cannot be reached: " + message);
  }
  if (ping == PQPING_REJECT) {
    return Report(kDriverError, kCannotConnect,
                  "The database server at " + server +
                      " does not accept connections now (it is starting or stopping): " + message);
  }
  const std::string& user = address.user;
  if (conn != nullptr && PQconnectionNeedsPassword(conn)) {
    return Report(kDriverError, kInvalidPassword,
                  "The database server at " + server + " wants a password for user " + user +
                      ": put it into the password file (~/.pgpass) or PGPASSWORD");
  }
  if (Contains(message, "password authentication failed")) {
    return Report(kDriverError, kInvalidPassword,
                  "The database server at " + server + " refused the password of user " + user +
                      ": correct it in the password file (~/.pgpass) or PGPASSWORD");
  }
  if (Contains(message, "database \"" + address.database + "\" does not exist")) {
    return Report(kDriverError, kUnknownDatabase,
                  "The database " + address.database + " does not exist on the server at " +
                      server + ": create it, or correct the database name");
  }
  if (Contains(message, "role \"" + user + "\" does not exist")) {
    return Report(kDriverError, kNotAuthorized,
                  "The user " + user + " does not exist on the server at " + server +
                      ": create it, or correct the user name");
  }
  if (Contains(message, "authentication failed") || Contains(message, "pg_hba.conf")) {
    return Report(
        kDriverError, kNotAuthorized,
        "The database server at " + server + " does not let user " + user + " connect: " + message);
  }
  return Report(kDriverError, kCannotConnect,
                "Cannot connect to the database server at " + server + ": " + message);
}

}  // namespace

std::string DescribeServer(const PgAddress& address) {
  const std::string port = std::to_string(address.port);
  if (address.host.empty()) return "the default socket:" + port;
  // An IPv6 address in brackets, so that the port stands apart.
  if (address.host.front() != '/' && address.host.find(':') != std::string::npos)
    return "[" + address.host + "]:" + port;
  return address.host + ":" + port;
}

// --- PgResult ---------------------------------------------------------------

PgResult::~PgResult() { PQclear(result_); }

PgResult& PgResult::operator=(PgResult&& other) noexcept {
  if (this != &other) {
    PQclear(result_);
    result_ = other.release();
  }
  return *this;
}

int PgResult::rows() const { return result_ != nullptr ? PQntuples(result_) : 0; }

int PgResult::columns() const { return result_ != nullptr ? PQnfields(result_) : 0; }

std::string_view PgResult::Text(int row, int column) const {
  if (row < 0 || row >= rows() || column < 0 || column >= columns()) return {};
  return {PQgetvalue(result_, row, column),
          static_cast<std::size_t>(PQgetlength(result_, row, column))};
}

bool PgResult::IsNull(int row, int column) const {
  if (row < 0 || row >= rows() || column < 0 || column >= columns()) return true;
  return PQgetisnull(result_, row, column) != 0;
}

long PgResult::ChangedRows() const {
  const char* count = result_ != nullptr ? PQcmdTuples(result_) : nullptr;
  return count != nullptr && *count != '\0' ? std::strtol(count, nullptr, 10) : 0;
}

// --- PgConnection -----------------------------------------------------------

std::unique_ptr<PgConnection> PgConnection::Connect(const PgAddress& address, int* answer) {
  const ConnectParameters parameters(address);
  PGconn* conn = PQconnectdbParams(parameters.keywords(), parameters.values(), 0);
  if (conn == nullptr) throw std::bad_alloc();  // libpq could not allocate its state
  // What is not given is what libpq chose (PGHOST, PGDATABASE ..., or its
  // defaults): the texts name that.
  PgAddress used = address;
  const auto fill = [](std::string& field, const char* chosen) {
    if (field.empty() && chosen != nullptr) field = chosen;
  };
  fill(used.host, PQhost(conn));
  fill(used.database, PQdb(conn));
  fill(used.user, PQuser(conn));
  if (PQstatus(conn) != CONNECTION_OK) {
    const int failed = ReportConnectFailure(used, conn);
    PQfinish(conn);
    if (answer != nullptr) *answer = failed;
    return nullptr;
  }
  // The server's notices ("already exists, skipping") are not for the user.
  PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  if (answer != nullptr) *answer = kStoreOk;
  return std::unique_ptr<PgConnection>(new PgConnection(conn, std::move(used)));
}

PgConnection::~PgConnection() {
  // A child process must not end its parent's session: libpq would tell
  // the server over the socket they share.
  if (pid_ == ::getpid()) PQfinish(conn_);
}

int PgConnection::CurrentPid() { return static_cast<int>(::getpid()); }

bool PgConnection::connected() const { return PQstatus(conn_) == CONNECTION_OK; }

bool PgConnection::Alive() {
  // The server's last message comes before the end, so it takes two reads.
  for (int read = 0; read < 2 && !in_transaction_ && PQstatus(conn_) == CONNECTION_OK; ++read) PQconsumeInput(conn_);
  return PQstatus(conn_) == CONNECTION_OK;
}

int PgConnection::Usable() {
  // Outside a transaction a connection that the server ended meanwhile (a
  // restart overnight) is found before the command is sent.
  if (!in_transaction_) Alive();
  if (PQstatus(conn_) != CONNECTION_BAD) return kStoreOk;
  if (in_transaction_) {
    return Report(kDriverError, kConnectionLost,
                  "The connection to the database server at " + DescribeServer(address_) +
                      " was lost inside a transaction; the server has undone all of it");
  }
  // A connection found broken by an earlier command is made again, once per
  // command: a server that has come back is used again without the caller
  // reconnecting, one that is still away answers at once.
  PQreset(conn_);
  prepared_.clear();
  if (PQstatus(conn_) != CONNECTION_OK) return ReportConnectFailure(address_, conn_);
  return kStoreOk;
}

int PgConnection::Finish(PgResult answer, PgResult* out) {
  const ExecStatusType status = answer.get() != nullptr ? PQresultStatus(answer.get()) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY) {
    if (out != nullptr) *out = std::move(answer);
    return kStoreOk;
  }
  if (PQstatus(conn_) == CONNECTION_BAD) {
    prepared_.clear();
    return Report(kDriverError, kConnectionLost,
                  "The connection to the database server at " + DescribeServer(address_) +
                      " was lost: " + OneLine(PQerrorMessage(conn_)));
  }
  const char* sqlstate = answer.get() != nullptr ? PQresultErrorField(answer.get(), PG_DIAG_SQLSTATE) : nullptr;
  const std::string code = sqlstate != nullptr ? sqlstate : "";
  std::string message = answer.get() != nullptr ? ServerMessage(answer.get()) : OneLine(PQerrorMessage(conn_));
  if (code == kLockNotAvailable) {
    message = "The records are being written by another station (a posting may be running there); try again "
              "when it has finished (" + message + ")";
  }
  return Report(code == kUniqueViolation ? kDuplicateKey : kDriverError, code, message);
}

int PgConnection::Execute(std::string_view sql, std::span<const std::optional<std::string>> parameters,
                          PgResult* result) {
  if (result != nullptr) *result = PgResult();
  if (int answer = Usable()) return answer;
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const std::optional<std::string>& parameter : parameters) {
    // A text value is passed up to its first NUL; the database cannot store
    // the character, and a value cut short must not be stored in silence.
    if (parameter && parameter->find('\0') != std::string::npos) {
      return Report(kDriverError, "22021", "A text value contains a NUL character, which the database cannot store");
    }
    values.push_back(parameter ? parameter->c_str() : nullptr);
  }
  const std::string command(sql);
  return Finish(PgResult(PQexecParams(conn_, command.c_str(), static_cast<int>(values.size()), nullptr,
                                      values.data(), nullptr, nullptr, 0)),
                result);
}

int PgConnection::Run(const std::string& sql, const PgParams& parameters, PgResult* result) {
  if (result != nullptr) *result = PgResult();
  if (int answer = Usable()) return answer;
  auto it = prepared_.find(sql);
  if (it == prepared_.end()) {
    std::string name = "v" + std::to_string(prepared_.size() + 1);
    if (int answer = Finish(PgResult(PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr)), nullptr)) {
      return answer;
    }
    it = prepared_.emplace(sql, std::move(name)).first;
  }
  return Finish(PgResult(PQexecPrepared(conn_, it->second.c_str(), parameters.count(), parameters.values(),
                                        nullptr, nullptr, 0)),
                result);
}

int PgConnection::Begin(int wait_ms) {
  if (in_transaction_) return Report(kDriverError, "25001", "A transaction is running already on this thread");
  if (int answer = Usable()) return answer;
  // One round trip; the number is the program's own. lock_timeout 0 would
  // wait for ever: a wait of 0 is the shortest there is.
  const std::string begin = "BEGIN; SET LOCAL lock_timeout = " + std::to_string(wait_ms > 0 ? wait_ms : 1);
  if (int answer = Finish(PgResult(PQexec(conn_, begin.c_str())), nullptr)) {
    if (PQtransactionStatus(conn_) != PQTRANS_IDLE) Finish(PgResult(PQexec(conn_, "ROLLBACK")), nullptr);
    return answer;
  }
  in_transaction_ = true;
  return kStoreOk;
}

int PgConnection::Commit() {
  if (!in_transaction_) return Report(kDriverError, "25P01", "No transaction is running on this thread");
  if (int answer = Usable()) {
    in_transaction_ = false;
    return answer;
  }
  PgResult result;
  int answer = Finish(PgResult(PQexec(conn_, "COMMIT")), &result);
  in_transaction_ = false;
  if (answer != kStoreOk) return answer;
  // The server answers COMMIT of a transaction that a failed command ended
  // with ROLLBACK, and no error.
  if (std::strcmp(PQcmdStatus(result.get()), "ROLLBACK") == 0) {
    return Report(kDriverError, "40000",
                  "The transaction was undone by the database server: a command inside it had failed");
  }
  return kStoreOk;
}

int PgConnection::Rollback() {
  if (!in_transaction_) return kStoreOk;
  in_transaction_ = false;
  // A lost connection took the transaction with it.
  if (PQstatus(conn_) == CONNECTION_BAD) return kStoreOk;
  return Finish(PgResult(PQexec(conn_, "ROLLBACK")), nullptr);
}

std::string PgConnection::Literal(std::string_view text) const {
  char* quoted = PQescapeLiteral(conn_, text.data(), text.size());
  if (quoted == nullptr) return "";
  std::string literal(quoted);
  PQfreemem(quoted);
  return literal;
}

// --- PgParams ---------------------------------------------------------------

bool PgParams::AddText(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return false;
  offsets_.push_back(buffer_.size());
  buffer_.append(text);
  buffer_.push_back('\0');
  return true;
}

void PgParams::AddInteger(std::int64_t value) {
  char digits[24];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  offsets_.push_back(buffer_.size());
  buffer_.append(digits, end);
  buffer_.push_back('\0');
}

void PgParams::AddReal(double value) {
  char digits[32];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  offsets_.push_back(buffer_.size());
  buffer_.append(digits, end);
  buffer_.push_back('\0');
}

const char* const* PgParams::values() const {
  pointers_.resize(offsets_.size());
  for (std::size_t i = 0; i < offsets_.size(); ++i) pointers_[i] = buffer_.data() + offsets_[i];
  return pointers_.data();
}

}  // namespace vornel::data
