// A list over Log in LOG_DAY order holding one page of 20 rows, on the
// 1,000,000-visit root: the first fill (with the thumb's limits), a page
// down, a jump to the bottom and a thumb drag to 37%. Each reports the
// records it read from the view (reads per operation, at most two pages);
// BM_Page_Raw reads the same 20 rows with a raw SQLite statement, the floor.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/log_root.h"
#include "bench/ratio_reporter.h"
#include "data/relation_manager.h"
#include "data/store/sqlite_table.h"
#include "platform/headless/headless_window.h"
#include "ui/browse_manager.h"

namespace {

using namespace vornel;
using bench::LogRoot;

constexpr int kRows = 20;

// A list window on the bench's thread, as a list procedure sets one up.
struct LogList {
  platform::HeadlessWindowSystem windows;
  ui::ThreadState thread;
  ui::WindowManager window;
  ui::BrowseManager browse;

  explicit LogList(LogRoot& root)
      : thread(root.context), window(windows, root.errors), browse(window, thread) {
    platform::WindowSpec spec;
    spec.title = "Browse the Daily Log File";
    platform::ControlSpec list;
    list.kind = platform::ControlKind::kList;
    spec.controls = {list};
    window.Open(spec);
    windows.WaitForWindow(spec.title)->SetVisibleRows(1, kRows);
    browse.Init(1, data::ViewDef(data::LogFile()), thread.files.Relations(data::LogFile()));
    browse.AddSortOrder(data::LogFile().FindKey("LOG_DAY"), std::make_unique<ui::WholeNumberStep>());
    browse.AddField(*data::LogFile().FindField("LOG_DATE"), "@d2");
    browse.AddField(*data::LogFile().FindField("EMPL_CODE"), "@s5");
    browse.AddField(*data::LogFile().FindField("CLCODE"), "@n5");
    browse.AddField(*data::LogFile().FindField("TRANS_TYPE"), "@s6");
  }
  ~LogList() { browse.Shutdown(); }
  void Fill() { browse.SelectSortOrder(1, true); }
};

// Runs `operation` on a freshly filled list per iteration; counts its reads.
template <typename Operation>
void ListOperation(benchmark::State& state, Operation operation, bool measure_fill = false) {
  LogRoot& root = LogRoot::Get();
  long reads = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<LogList>(root);
    if (!measure_fill) list->Fill();
    const long before = list->browse.reads;
    state.ResumeTiming();
    if (measure_fill) list->Fill();
    operation(list->browse);
    state.PauseTiming();
    reads = list->browse.reads - before;
    bench::Check(static_cast<int>(list->browse.rows().size()) == kRows, "browse_bench", "a full page");
    list.reset();
    state.ResumeTiming();
  }
  state.counters["reads"] = static_cast<double>(reads);
}

void BM_FirstFill(benchmark::State& state) {
  ListOperation(state, [](ui::BrowseManager&) {}, true);
}
void BM_PageDown(benchmark::State& state) {
  ListOperation(state, [](ui::BrowseManager& b) { b.ScrollPage(platform::ScrollKind::kPageDown); });
}
void BM_Bottom(benchmark::State& state) {
  ListOperation(state, [](ui::BrowseManager& b) { b.ScrollEnd(platform::ScrollKind::kBottom); });
}
void BM_Thumb37(benchmark::State& state) {
  ListOperation(state, [](ui::BrowseManager& b) { b.MoveThumbTo(37); });
}

// The floor: one page of 20 rows in LOG_DAY order from a random day.
void BM_Page_Raw(benchmark::State& state) {
  LogRoot& root = LogRoot::Get();
  const std::string sql = bench::LogPageSql(false);
  sqlite3_stmt* select = nullptr;
  bench::Check(sqlite3_prepare_v2(root.raw, sql.c_str(), -1, &select, nullptr) == SQLITE_OK, "browse_bench",
               "prepare");
  std::mt19937 random(7);
  data::LogRecord record;
  for (auto _ : state) {
    sqlite3_bind_int(select, 1, bench::kFirstDay + static_cast<int>(random() % bench::kDays));
    while (sqlite3_step(select) == SQLITE_ROW) bench::ReadRawRow(data::LogFile(), select, reinterpret_cast<char*>(&record));
    sqlite3_reset(select);
    benchmark::DoNotOptimize(record);
  }
  sqlite3_finalize(select);
}

BENCHMARK(BM_Page_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstFill)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_PageDown)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_Bottom)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_Thumb37)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
