#pragma once
// The real programs as a benchmark runs them: a process spawned with its
// output captured and its peak memory read at its end, and a demo root made
// once per run with vornel-demo in a temporary directory.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace vornel::bench {

namespace fs = std::filesystem;

inline fs::path ProgramDirectory() { return fs::read_symlink("/proc/self/exe").parent_path(); }

struct ProgramRun {
  std::string output;  // standard output
  int code = -1;       // the exit code, -1 when it did not exit
  long peak_kib = 0;   // the process's peak resident memory
  double first_output_ms = 0;  // from the spawn to the first output read
  double ended_ms = 0;         // from the spawn to the process's end
};

// Runs a program with `env` added to this one's environment.
inline ProgramRun RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
  ProgramRun run;
  int out[2];
  if (pipe(out) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> environment = env;
  for (char** e = environ; *e; ++e) environment.emplace_back(*e);
  std::vector<char*> envp;
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = 0;
  const auto spawn = std::chrono::steady_clock::now();
  const auto since_spawn = [spawn] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - spawn).count();
  };
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  char buffer[512];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    if (run.output.empty()) run.first_output_ms = since_spawn();
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.ended_ms = since_spawn();
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peak_kib = usage.ru_maxrss;
  return run;
}

// A demo root of `clients` clients and `months` months of visits (`more`:
// further options of vornel-demo).
struct DemoRoot {
  DemoRoot(int clients, int months, const std::vector<std::string>& more = {}) {
    char pattern[] = "/tmp/vornel-bench-XXXXXX";
    root = mkdtemp(pattern);
    std::vector<std::string> args = {(ProgramDirectory() / "vornel-demo").string(), "--root", root.string(),
                                     "--clients", std::to_string(clients), "--months", std::to_string(months),
                                     "--seed", "1"};
    args.insert(args.end(), more.begin(), more.end());
    ok = RunProgram(args).code == 0;
    // The revision history list would otherwise open from the second start on.
    std::ofstream(root / "VORNEL" / "vornel.ini") << "[Program Control]\nHistory Popup=0\n";
  }
  ~DemoRoot() { fs::remove_all(root); }
  DemoRoot(const DemoRoot&) = delete;
  DemoRoot& operator=(const DemoRoot&) = delete;
  fs::path root;
  bool ok = false;
};

}  // namespace vornel::bench
