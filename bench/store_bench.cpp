// The record-file store against raw SQLite doing the same work on the same
// table and indexes in the same run: a Log file of 1,000,000 visits, built
// once per run in a temporary directory (outside the timed loops). Each pair
// BM_<work>_Store / BM_<work>_Raw is printed with its ratio at the end.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"
#include "bench/raw_rows.h"
#include "bench/store_work.h"
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/store/record_store.h"
#include "data/store/sqlite_table.h"
#include "data/store/store_answer.h"

namespace {

using namespace vornel::data;
namespace fs = std::filesystem;

using namespace vornel::bench::store_work;

void Check(bool ok, const char* what) { vornel::bench::Check(ok, "store_bench", what); }
void ReadRaw(sqlite3_stmt* stmt, char* record) { vornel::bench::ReadRawRow(LogFile(), stmt, record); }

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "store_bench: %s: %s\n", sql.c_str(), error ? error : "");
    std::exit(1);
  }
}

std::string Columns() {
  std::string columns;
  for (const FieldDef& field : LogFile().fields) {
    columns += (columns.empty() ? "" : ",") + QuoteName(ColumnName(field));
  }
  return columns;
}

// The data directory, the store's open Log file and a raw connection to the
// same database.
struct Bench {
  fs::path dir;
  std::unique_ptr<RecordStore> store = MakeSqliteStore();
  std::unique_ptr<RecordFile> log;
  sqlite3* raw = nullptr;

  Bench() {
    std::string pattern = (fs::temp_directory_path() / "vornel-bench-XXXXXX").string();
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    dir = pattern;
    log = store->MakeFile(LogFile(), dir);
    Check(log->Create() == kStoreOk, "create");
    // Without SQLite's per-call mutex, as the store's own connections.
    Check(sqlite3_open_v2((dir / "records.db").c_str(), &raw,
                          SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK,
          "raw open");
    sqlite3_busy_timeout(raw, 10000);
    Exec(raw, "PRAGMA journal_mode=DELETE");
    // Rows first, keys after: building an index from sorted rows is much
    // quicker than keeping five indexes up to date row by row.
    for (const KeyDef& key : LogFile().keys) {
      Exec(raw, "DROP INDEX " + QuoteName(std::string("Log.") + std::string(KeyShortName(key))));
    }
    const auto started = std::chrono::steady_clock::now();
    Exec(raw, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
                  std::to_string(kRecords) + ") INSERT INTO \"Log\" (" + Columns() + ",\"~rev\") SELECT " +
                  VisitValuesSql() + " FROM n");
    Check(log->BuildKeys() == kStoreOk, "build keys");
    Check(log->Open(kOpenNormal) == kStoreOk, "open");
    std::fprintf(stderr, "store_bench: %d records built in %.1f s\n", kRecords,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  }
  ~Bench() {
    log.reset();
    sqlite3_close(raw);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  static Bench& Get() {
    static Bench bench;
    return bench;
  }
};

// What a program without the store would write: bind each field from the
// record, text without trailing blanks.
void BindRaw(sqlite3_stmt* stmt, const char* record) {
  int index = 1;
  for (const FieldDef& field : LogFile().fields) {
    const char* at = record + field.offset;
    switch (field.type) {
      case FieldType::kText: {
        int length = field.width;
        while (length > 0 && at[length - 1] == ' ') --length;
        sqlite3_bind_text(stmt, index, at, length, SQLITE_STATIC);
        break;
      }
      case FieldType::kUInt8:
        sqlite3_bind_int(stmt, index, static_cast<unsigned char>(*at));
        break;
      case FieldType::kInt16: {
        std::int16_t v;
        std::memcpy(&v, at, 2);
        sqlite3_bind_int(stmt, index, v);
        break;
      }
      case FieldType::kFloat64: {
        double v;
        std::memcpy(&v, at, 8);
        sqlite3_bind_double(stmt, index, v);
        break;
      }
      default: {
        std::int32_t v;
        std::memcpy(&v, at, 4);
        sqlite3_bind_int(stmt, index, v);
        break;
      }
    }
    ++index;
  }
}


void RemoveAdded(Bench& bench) {
  Exec(bench.raw, "DELETE FROM \"Log\" WHERE \"LOG_NO\">" + std::to_string(kRecords));
}

void BM_Add100k_Store(benchmark::State& state) {
  Bench& bench = Bench::Get();
  Add100k(state, *bench.store, *bench.log, [&] { RemoveAdded(bench); });
}

void BM_Add100k_Raw(benchmark::State& state) {
  Bench& bench = Bench::Get();
  sqlite3_stmt* insert = nullptr;
  std::string values;
  for (std::size_t i = 1; i <= LogFile().fields.size(); ++i)
    values += "?" + std::to_string(i) + ",";
  Check(sqlite3_prepare_v2(
            bench.raw,
            ("INSERT INTO \"Log\" (" + Columns() + ",\"~rev\") VALUES (" + values + "0)").c_str(),
            -1, &insert, nullptr) == SQLITE_OK,
        "prepare insert");
  LogRecord record;
  for (auto _ : state) {
    Exec(bench.raw, "BEGIN IMMEDIATE");
    for (int n = 1; n <= kAdded; ++n) {
      FillVisit(record, kRecords + n);
      BindRaw(insert, reinterpret_cast<const char*>(&record));
      Check(sqlite3_step(insert) == SQLITE_DONE, "insert");
      sqlite3_reset(insert);
    }
    Exec(bench.raw, "COMMIT");
    state.PauseTiming();
    RemoveAdded(bench);
    state.ResumeTiming();
  }
  sqlite3_finalize(insert);
}

void BM_ReadAll_Store(benchmark::State& state) { ReadAll(state, *Bench::Get().log, "QUICKSCAN=off"); }
void BM_ReadAllQuickScan_Store(benchmark::State& state) { ReadAll(state, *Bench::Get().log, "QUICKSCAN=on"); }

void BM_ReadAll_Raw(benchmark::State& state) {
  Bench& bench = Bench::Get();
  sqlite3_stmt* select = nullptr;
  Check(sqlite3_prepare_v2(
            bench.raw,
            ("SELECT " + Columns() +
             ",\"~pos\",\"~rev\" FROM \"Log\" ORDER BY \"LOG_DATE\",\"EMPL_CODE\" COLLATE "
             "NOCASE,\"TIME_IN\",\"~pos\"")
                .c_str(),
            -1, &select, nullptr) == SQLITE_OK,
        "prepare select");
  LogRecord record;
  for (auto _ : state) {
    std::int64_t count = 0, sum = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
      ReadRaw(select, reinterpret_cast<char*>(&record));
      ++count;
      sum += record.LOG_NO;
    }
    sqlite3_reset(select);
    Check(count == kRecords, "raw read all");
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(select);
}
void BM_Seek1000x20_Store(benchmark::State& state) { Seek1000x20(state, *Bench::Get().log); }

void BM_Seek1000x20_Raw(benchmark::State& state) {
  Bench& bench = Bench::Get();
  sqlite3_stmt* select = nullptr;
  Check(
      sqlite3_prepare_v2(
          bench.raw,
          ("SELECT " + Columns() +
           ",\"~pos\",\"~rev\" FROM \"Log\" WHERE (\"LOG_DATE\",\"EMPL_CODE\",\"TIME_IN\")>=(?1,?2 "
           "COLLATE NOCASE,?3) ORDER BY \"LOG_DATE\",\"EMPL_CODE\" COLLATE "
           "NOCASE,\"TIME_IN\",\"~pos\" "
           "LIMIT 20")
              .c_str(),
          -1, &select, nullptr) == SQLITE_OK,
      "prepare seek");
  LogRecord record;
  for (auto _ : state) {
    std::mt19937 random(42);
    std::int64_t sum = 0;
    for (int seek = 0; seek < kSeeks; ++seek) {
      sqlite3_bind_int(select, 1, kFirstDay + static_cast<int>(random() % kDays));
      sqlite3_bind_text(select, 2, "", 0, SQLITE_STATIC);
      sqlite3_bind_int(select, 3, 0);
      int rows = 0;
      while (sqlite3_step(select) == SQLITE_ROW) {
        ReadRaw(select, reinterpret_cast<char*>(&record));
        sum += record.LOG_NO;
        ++rows;
      }
      sqlite3_reset(select);
      Check(rows == 20, "raw seek");
    }
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(select);
}

BENCHMARK(BM_Add100k_Raw)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Add100k_Store)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReadAll_Raw)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadAll_Store)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadAllQuickScan_Store)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Seek1000x20_Raw)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Seek1000x20_Store)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  return vornel::bench::RunWithRatios(
      argc, argv,
      {"_Store", "store / raw SQLite (same work, same run):",
       {{"BM_ReadAllQuickScan", "BM_ReadAll_Raw"}}});
}
