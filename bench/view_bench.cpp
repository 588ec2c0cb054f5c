// A 20-record page of Log read through the view manager at a random date in
// LOG_DAY order, against raw SQLite statements reading the same 20 rows of
// the same database. The Log of 1,000,000 visits over three years is built
// once per run with Stream/Add in a temporary data root. Each pair
// BM_<work>_View / BM_<work>_Raw is printed with its ratio at the end.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"
#include "bench/log_root.h"
#include "bench/raw_rows.h"
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "data/data_context.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "data/store/record_store.h"
#include "data/store/sqlite_table.h"
#include "data/view_manager.h"
#include "errors/error_manager.h"
#include "platform/headless/headless_message_display.h"

namespace {

using namespace vornel;
using namespace vornel::data;
namespace fs = std::filesystem;

constexpr int kPages = 1'000;
constexpr int kPageSize = 20;
using bench::kDays;
using bench::kFirstDay;
using Bench = bench::LogRoot;

void Check(bool ok, const char* what) { vornel::bench::Check(ok, "view_bench", what); }
void ReadRaw(sqlite3_stmt* stmt, char* record) { vornel::bench::ReadRawRow(LogFile(), stmt, record); }

// The view over Log in LOG_DAY order; with `range`, held to one day by a type
// 3 range between topdate and botdate, else positioned at the day's start.
void ViewPages(benchmark::State& state, bool range) {
  Bench& bench = Bench::Get();
  std::int32_t topdate = 0;
  std::int32_t botdate = 0;
  platform::VariableTable variables;
  variables.BindInt32("topdate", &topdate);
  variables.BindInt32("botdate", &botdate);
  ViewManager view(*bench.files);
  Check(view.Init(ViewDef(LogFile()), bench.files->Relations(LogFile()), &variables).ok(), "init");
  view.AddSortOrder(LogFile().FindKey("LOG_DAY"));
  if (range) view.AddRange(*LogFile().FindField("LOG_DATE"), *variables.Find("topdate"), *variables.Find("botdate"));
  Check(view.Open() == 0, "open");
  LogRecord& log = bench.files->Get(LogFile()).record<LogRecord>();
  for (auto _ : state) {
    std::mt19937 random(42);
    std::int64_t sum = 0;
    for (int page = 0; page < kPages; ++page) {
      const int day = kFirstDay + static_cast<int>(random() % kDays);
      if (range) {
        topdate = botdate = day;
        view.Reset();
      } else {
        std::memset(&log, 0, sizeof log);
        log.LOG_DATE = day;
        view.ResetToBuffer();
      }
      for (int i = 0; i < kPageSize; ++i) {
        Check(view.Next() == 0 && log.LOG_DATE == day, "view page");
        sum += log.LOG_NO;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  view.Shutdown();
}

void RawPages(benchmark::State& state, bool range) {
  Bench& bench = Bench::Get();
  const std::string sql = bench::LogPageSql(range);
  sqlite3_stmt* select = nullptr;
  Check(sqlite3_prepare_v2(bench.raw, sql.c_str(), -1, &select, nullptr) == SQLITE_OK, "prepare");
  LogRecord record;
  for (auto _ : state) {
    std::mt19937 random(42);
    std::int64_t sum = 0;
    for (int page = 0; page < kPages; ++page) {
      const int day = kFirstDay + static_cast<int>(random() % kDays);
      sqlite3_bind_int(select, 1, day);
      if (range) sqlite3_bind_int(select, 2, day);
      int rows = 0;
      while (sqlite3_step(select) == SQLITE_ROW) {
        ReadRaw(select, reinterpret_cast<char*>(&record));
        sum += record.LOG_NO;
        ++rows;
      }
      sqlite3_reset(select);
      Check(rows == kPageSize && record.LOG_DATE == day, "raw page");
    }
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(select);
}

void BM_PageInDayRange_View(benchmark::State& state) { ViewPages(state, true); }
void BM_PageInDayRange_Raw(benchmark::State& state) { RawPages(state, true); }
void BM_PageAtDay_View(benchmark::State& state) { ViewPages(state, false); }
void BM_PageAtDay_Raw(benchmark::State& state) { RawPages(state, false); }

BENCHMARK(BM_PageInDayRange_Raw)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PageInDayRange_View)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PageAtDay_Raw)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PageAtDay_View)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  return vornel::bench::RunWithRatios(
      argc, argv,
      {"_View", "view manager / raw SQLite (1,000 pages of 20 visits, same run):", {}});
}
