// Start-up of the real program: `vornel --exit-after-start` on a demo root
// (300 clients, 12 months, made once per run with vornel-demo), with Qt's
// offscreen platform. Each iteration is a whole process: start, department
// routine, frame open with title and status bar, close. The counter
// frame_ready_ms is what the program itself reports from process start to
// the frame being ready; the iteration time includes closing down and exit.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path ProgramDirectory() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// Runs a program and answers its standard output; the exit code goes to *code.
std::string Run(const std::vector<std::string>& args, const std::vector<std::string>& env, int* code) {
  int out[2];
  if (pipe(out) != 0) return {};
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
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  if (spawned == 0) waitpid(pid, &status, 0);
  *code = spawned != 0 ? -1 : (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return text;
}

struct DemoRoot {
  DemoRoot() {
    char pattern[] = "/tmp/vornel-startup-XXXXXX";
    root = mkdtemp(pattern);
    int code = 0;
    Run({(ProgramDirectory() / "vornel-demo").string(), "--root", root.string(), "--clients", "300",
         "--months", "12", "--seed", "1"},
        {}, &code);
    ok = code == 0;
    // The revision history list would otherwise open from the second start on.
    std::ofstream(root / "VORNEL" / "vornel.ini") << "[Program Control]\nHistory Popup=0\n";
  }
  ~DemoRoot() { fs::remove_all(root); }
  fs::path root;
  bool ok = false;
};

void BM_StartToFrameReady(benchmark::State& state) {
  static DemoRoot demo;
  if (!demo.ok) {
    state.SkipWithError("vornel-demo could not make the demo root");
    return;
  }
  const std::vector<std::string> args = {(ProgramDirectory() / "vornel").string(), "--root",
                                         demo.root.string(), "--exit-after-start"};
  const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen",
                                        "XDG_CONFIG_HOME=" + (demo.root / "config").string()};
  double ready_ms = 0;
  for (auto _ : state) {
    int code = 0;
    const std::string out = Run(args, env, &code);
    double ms = 0;
    if (code != 0 || std::sscanf(out.c_str(), "frame ready after %lf ms", &ms) != 1) {
      state.SkipWithError(("vornel did not start: " + out).c_str());
      return;
    }
    ready_ms += ms;
  }
  state.counters["frame_ready_ms"] = ready_ms / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartToFrameReady)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
