#include "tests/support/pg_cluster.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include "platform/runtime_error.h"
#include "tests/support/temp_dir.h"

namespace vornel::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kStartTimeout = std::chrono::seconds(30);
constexpr auto kStopTimeout = std::chrono::seconds(30);

// The bin directory of the highest server version installed.
std::optional<fs::path> FindServerPrograms() {
  std::error_code ec;
  std::optional<fs::path> best;
  long best_version = -1;
  for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    const std::string name = entry.path().filename().string();
    char* end = nullptr;
    const long version = std::strtol(name.c_str(), &end, 10);
    if (end == name.c_str() || *end != '\0') continue;
    const fs::path bin = entry.path() / "bin";
    if (version > best_version && ::access((bin / "initdb").c_str(), X_OK) == 0 &&
        ::access((bin / "postgres").c_str(), X_OK) == 0) {
      best = bin;
      best_version = version;
    }
  }
  return best;
}

// A port number no one listens on. With TCP off it only names the socket
// file, but a free one keeps the server from meeting a stale lock file of
// another test's server on the same number.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  return port != 0 ? port : 40000 + static_cast<int>(::getpid() % 20000);
}

// Waits for `pid` up to `timeout`; true with `*status` when it ended.
bool WaitFor(pid_t pid, Clock::duration timeout, int* status) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    const pid_t ended = ::waitpid(pid, status, WNOHANG);
    if (ended == pid || (ended < 0 && errno != EINTR)) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

PgCluster::PgCluster() {
  available_ = Make() && Start();
  if (!available_) return;
  int answer = 0;
  auto connection = data::PgConnection::Connect(AddressOf("postgres"), &answer);
  if (connection == nullptr ||
      connection->Execute(std::string("CREATE DATABASE ") + kDatabase) != 0) {
    available_ =
        Fail("cannot create the test database: " + platform::LastRuntimeError().file_error_text);
  }
}

PgCluster::~PgCluster() {
  Stop();
  std::error_code ec;
  if (!root_.empty()) fs::remove_all(root_, ec);
}

bool PgCluster::Fail(const std::string& reason) {
  reason_ = reason;
  return false;
}

data::PgAddress PgCluster::AddressOf(const std::string& database) const {
  return {.host = socket_dir_.string(), .port = port_, .database = database, .user = kUser};
}

bool PgCluster::Make() {
  const std::optional<fs::path> bin = FindServerPrograms();
  if (!bin) return Fail("no PostgreSQL server programs under /usr/lib/postgresql/*/bin");
  bin_ = *bin;
  if (::geteuid() == 0) {
    const passwd* user = ::getpwnam("postgres");
    if (user == nullptr)
      return Fail("running as root, and there is no postgres user to run the server");
    as_other_user_ = true;
    uid_ = user->pw_uid;
    gid_ = user->pw_gid;
  }

  std::string pattern = (fs::temp_directory_path() / "vornel-pg-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return Fail("cannot make a temporary directory");
  root_ = pattern;
  data_dir_ = root_ / "data";
  socket_dir_ = root_ / "socket";
  log_ = root_ / "server.log";
  port_ = FreePort();
  if ((socket_dir_ / ".s.PGSQL.00000").string().size() >= sizeof(sockaddr_un{}.sun_path))
    return Fail("the temporary directory's path is too long for a socket: " + root_.string());
  if (::mkdir(socket_dir_.c_str(), 0700) != 0) return Fail("cannot make " + socket_dir_.string());
  if (as_other_user_ &&
      (::chown(root_.c_str(), uid_, gid_) != 0 || ::chown(socket_dir_.c_str(), uid_, gid_) != 0)) {
    return Fail("cannot give " + root_.string() + " to the postgres user");
  }

  int status = 0;
  Run("initdb",
      {"-D", data_dir_.string(), "-U", kUser, "-A", "trust", "-E", "UTF8", "--no-locale",
       "--no-sync", "--no-instructions"},
      true, &status);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Fail("initdb failed: " + LogTail());

  // Only the socket in the private directory; the rest makes a test server
  // quick to start and to write.
  std::ofstream conf(data_dir_ / "postgresql.conf", std::ios::app);
  conf << "\nlisten_addresses = ''\n"
       << "port = " << port_ << "\n"
       << "unix_socket_directories = '" << socket_dir_.string() << "'\n"
       << "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n"
       << "max_connections = 20\nshared_buffers = 16MB\n";
  conf.close();
  // The first line that matches decides: the password user before initdb's
  // trust for everyone.
  const std::string hba = ReadFile(data_dir_ / "pg_hba.conf");
  std::ofstream rules(data_dir_ / "pg_hba.conf", std::ios::trunc);
  rules << "local all " << kPasswordUser << " scram-sha-256\n" << hba;
  rules.close();
  if (!conf || !rules || hba.empty()) return Fail("cannot write the server's settings");
  return true;
}

pid_t PgCluster::Run(const std::string& program, const std::vector<std::string>& arguments,
                     bool wait, int* status) {
  // Everything the child needs is made before fork: after it only calls that
  // are safe in the child of a threaded process are made.
  std::vector<std::string> words{(bin_ / program).string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int log = ::open(log_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (null >= 0) ::dup2(null, 0);
    if (log >= 0) {
      ::dup2(log, 1);
      ::dup2(log, 2);
    }
    if (as_other_user_ &&
        (::setgroups(0, nullptr) != 0 || ::setgid(gid_) != 0 || ::setuid(uid_) != 0)) {
      ::_exit(126);
    }
    // A server left by a test process that died is stopped with it (the
    // signal comes when the thread that started it ends).
    if (!wait) {
      ::prctl(PR_SET_PDEATHSIG, SIGINT);
      if (::getppid() != parent) ::_exit(1);
    }
    if (::chdir(root_.c_str()) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (log >= 0) ::close(log);
  if (null >= 0) ::close(null);
  if (pid < 0) {
    *status = -1;
    return 0;
  }
  if (wait) {
    while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
    return 0;
  }
  return pid;
}

bool PgCluster::Start() {
  if (running()) return true;
  int status = 0;
  server_ = Run("postgres", {"-D", data_dir_.string()}, false, &status);
  if (server_ <= 0) return Fail("cannot start the server");
  const std::string port = std::to_string(port_);
  const std::string host = socket_dir_.string();
  const char* keywords[] = {"host", "port", "dbname", "user", nullptr};
  const char* values[] = {host.c_str(), port.c_str(), "postgres", kUser, nullptr};
  const auto deadline = Clock::now() + kStartTimeout;
  while (PQpingParams(keywords, values, 0) != PQPING_OK) {
    if (::waitpid(server_, &status, WNOHANG) == server_) {
      server_ = 0;
      return Fail("the server stopped as it started: " + LogTail());
    }
    if (Clock::now() >= deadline) {
      Stop();
      return Fail("the server did not start in time: " + LogTail());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool PgCluster::Stop() {
  if (!running()) return true;
  // SIGINT is the fast shutdown: connections are cut, the server ends at
  // once and cleanly, and starts again without recovery.
  int status = 0;
  ::kill(server_, SIGINT);
  bool stopped = WaitFor(server_, kStopTimeout, &status);
  if (!stopped) {
    ::kill(server_, SIGKILL);
    WaitFor(server_, kStopTimeout, &status);
  }
  server_ = 0;
  return stopped || Fail("the server did not stop in time: " + LogTail());
}

std::string PgCluster::LogTail() const {
  const std::string log = ReadFile(log_);
  constexpr std::size_t kMost = 1500;
  return log.size() > kMost ? log.substr(log.size() - kMost) : log;
}

}  // namespace vornel::test
