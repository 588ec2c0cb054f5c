// The daily entry detail report from the command line, as a scheduled job
// or the office prints it: `vornel --report DailyEntryRpt --pdf` over a
// year and over a month of one department (2,800 clients with twelve
// months of visits, about 100,000, made once per run with vornel-demo),
// with Qt's offscreen platform. Each iteration is a whole process: start,
// the parameter window answered, the walk, the pages, the PDF file, exit.
// Counters: the PDF's pages and the process's peak memory.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/program_run.h"

namespace {

using vornel::bench::DemoRoot;
using vornel::bench::ProgramDirectory;

const DemoRoot& YearRoot() {
  static const DemoRoot demo(2800, 12, {"--today", "2026-12-07"});
  return demo;
}

// The pages of a PDF file: its page objects.
int PdfPages(const std::filesystem::path& pdf) {
  std::ifstream in(pdf, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int pages = 0;
  for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
    if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

void RunEntryReport(benchmark::State& state, const std::string& from, const std::string& to) {
  const DemoRoot& demo = YearRoot();
  if (!demo.ok) {
    state.SkipWithError("vornel-demo could not make the demo root");
    return;
  }
  const std::filesystem::path pdf = demo.root / "entries.pdf";
  const std::vector<std::string> args = {(ProgramDirectory() / "vornel").string(), "--root", demo.root.string(),
                                         "--report", "DailyEntryRpt", "--from", from, "--to", to, "--pdf",
                                         pdf.string()};
  const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen",
                                        "XDG_CONFIG_HOME=" + (demo.root / "config").string()};
  long peak = 0;
  for (auto _ : state) {
    const vornel::bench::ProgramRun run = vornel::bench::RunProgram(args, env);
    if (run.code != 0) {
      state.SkipWithError(("the report was not written: " + run.output).c_str());
      return;
    }
    peak = std::max(peak, run.peak_kib);
  }
  state.counters["pages"] = PdfPages(pdf);
  state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

void BM_DailyEntryRpt_Year(benchmark::State& state) { RunEntryReport(state, "01/01/2026", "12/31/2026"); }
void BM_DailyEntryRpt_Month(benchmark::State& state) { RunEntryReport(state, "11/01/2026", "11/30/2026"); }

BENCHMARK(BM_DailyEntryRpt_Month)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_DailyEntryRpt_Year)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
