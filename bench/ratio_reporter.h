#pragma once
// A console reporter that prints, after the usual table, each measured
// figure against its raw-SQLite floor: "BM_Work_<suffix>" over "BM_Work_Raw"
// (or each floor named for it in `floors`, a line per floor), so every
// benchmark states its ratio: of the real time, and with `cpu` of the CPU
// time as well.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace vornel::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter(std::string suffix, std::string title, std::multimap<std::string, std::string> floors = {},
                bool cpu = false)
      : suffix_(std::move(suffix)), title_(std::move(title)), floors_(std::move(floors)), cpu_(cpu) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      const std::string work = name.substr(0, name.find('/'));
      times_[work] = run.GetAdjustedRealTime();
      cpu_times_[work] = run.GetAdjustedCPUTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%s\n", title_.c_str());
    for (const auto& [name, time] : times_) {
      const std::size_t at = name.rfind(suffix_);
      if (at == std::string::npos) continue;
      const std::string work = name.substr(0, at);
      std::vector<std::string> raws;
      for (auto [floor, end] = floors_.equal_range(work); floor != end; ++floor) raws.push_back(floor->second);
      if (raws.empty()) raws.push_back(work + "_Raw");
      for (const std::string& raw : raws) {
        const auto it = times_.find(raw);
        if (it == times_.end() || it->second <= 0) continue;
        const std::string label = raws.size() == 1 ? work.substr(3) : work.substr(3) + " / " + raw.substr(3);
        if (!cpu_) {
          std::printf("  %-24s %6.2fx\n", label.c_str(), time / it->second);
        } else if (const double floor_cpu = cpu_times_[raw]; floor_cpu > 0) {
          std::printf("  %-24s wall %6.2fx   cpu %6.2fx\n", label.c_str(), time / it->second,
                      cpu_times_[name] / floor_cpu);
        }
      }
    }
  }

 private:
  std::string suffix_;
  std::string title_;
  std::multimap<std::string, std::string> floors_;
  bool cpu_ = false;
  std::map<std::string, double> times_;
  std::map<std::string, double> cpu_times_;
};

// The main of a benchmark program reporting ratios.
inline int RunWithRatios(int argc, char** argv, RatioReporter reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace vornel::bench
