// Start-up of the real program: `vornel --exit-after-start` on a demo root
// (300 clients, 12 months, made once per run with vornel-demo), with Qt's
// offscreen platform. Each iteration is a whole process: start, department
// routine, frame open with title and status bar, close, exit. Counters:
// spawn_to_ready_ms, from the spawn to the program's "frame ready" line
// (what the user waits for); ready_to_exit_ms, from that line to the
// process's end (closing down); frame_ready_ms, what the program itself
// reports from main() to the frame being ready.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/program_run.h"

namespace {

using vornel::bench::DemoRoot;
using vornel::bench::ProgramDirectory;

void BM_StartToFrameReady(benchmark::State& state) {
  static DemoRoot demo(300, 12);
  if (!demo.ok) {
    state.SkipWithError("vornel-demo could not make the demo root");
    return;
  }
  const std::vector<std::string> args = {(ProgramDirectory() / "vornel").string(), "--root",
                                         demo.root.string(), "--exit-after-start"};
  const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen",
                                        "XDG_CONFIG_HOME=" + (demo.root / "config").string()};
  double ready_ms = 0, spawn_to_ready = 0, ready_to_exit = 0;
  for (auto _ : state) {
    const vornel::bench::ProgramRun run = vornel::bench::RunProgram(args, env);
    double ms = 0;
    if (run.code != 0 || std::sscanf(run.output.c_str(), "frame ready after %lf ms", &ms) != 1) {
      state.SkipWithError(("vornel did not start: " + run.output).c_str());
      return;
    }
    ready_ms += ms;
    spawn_to_ready += run.first_output_ms;
    ready_to_exit += run.ended_ms - run.first_output_ms;
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["frame_ready_ms"] = ready_ms / iterations;
  state.counters["spawn_to_ready_ms"] = spawn_to_ready / iterations;
  state.counters["ready_to_exit_ms"] = ready_to_exit / iterations;
}
BENCHMARK(BM_StartToFrameReady)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
