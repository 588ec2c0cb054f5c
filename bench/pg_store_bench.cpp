// The record-file store on a PostgreSQL server against raw libpq doing the
// same statements in the same run: a Log file of 1,000,000 visits in a
// private server started for the run (or the database VORNEL_BENCH_SERVER
// names, postgresql://...), built once outside the timed loops. The floor
// formats every value as text and parses every column back into a record,
// as the store must; what it leaves out is the store itself: the cursor, the
// record buffer, the checks and the answers.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "bench/raw_pg.h"
#include "bench/store_work.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/store/pg_store.h"
#include "data/store/record_store.h"
#include "data/store/sql_table.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace {

using namespace vornel::data;

using namespace vornel::bench::store_work;

constexpr const char* kDirectory = "/bench";  // the schema "bench" under the root "/"

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "pg_store_bench: %s failed: %s\n", what,
               vornel::platform::LastRuntimeError().file_error_text.c_str());
  std::exit(1);
}

std::string Columns() {
  std::string columns;
  for (const FieldDef& field : LogFile().fields) columns += (columns.empty() ? "" : ",") + QuoteName(ColumnName(field));
  return columns;
}

// A record's fields as the text values a program without the store would
// send, and a row's columns back into a record.
void FieldValues(const char* record, std::vector<std::string>* values) {
  values->clear();
  char digits[32];
  for (const FieldDef& field : LogFile().fields) {
    const char* at = record + field.offset;
    switch (field.type) {
      case FieldType::kText: {
        int length = field.width;
        while (length > 0 && (at[length - 1] == ' ' || at[length - 1] == '\0')) --length;
        values->emplace_back(at, length);
        break;
      }
      case FieldType::kFloat64: {
        double v;
        std::memcpy(&v, at, 8);
        values->emplace_back(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
        break;
      }
      case FieldType::kUInt8:
        values->emplace_back(digits, std::to_chars(digits, digits + sizeof digits,
                                                   static_cast<unsigned char>(*at)).ptr);
        break;
      case FieldType::kInt16: {
        std::int16_t v;
        std::memcpy(&v, at, 2);
        values->emplace_back(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
        break;
      }
      default: {
        std::int32_t v;
        std::memcpy(&v, at, 4);
        values->emplace_back(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
        break;
      }
    }
  }
}

void ReadRow(PGresult* result, int row, char* record) { vornel::bench::ReadPgRow(LogFile(), result, row, record); }

struct Bench {
  vornel::bench::BenchServer server;
  std::unique_ptr<RecordStore> store = MakePgStore(server.address(), "/");
  std::unique_ptr<RecordFile> log;
  std::unique_ptr<vornel::bench::RawPg> raw = std::make_unique<vornel::bench::RawPg>(server.address());
  std::string table = "\"bench\".\"Log\"";

  Bench() {
    raw->Exec("DROP SCHEMA IF EXISTS \"bench\" CASCADE");
    log = store->MakeFile(LogFile(), kDirectory);
    Check(log->Create() == kStoreOk, "create");
    const auto started = std::chrono::steady_clock::now();
    // Rows first, keys after.
    for (const KeyDef& key : LogFile().keys) {
      raw->Exec("DROP INDEX \"bench\"." + QuoteName(std::string("Log.") + std::string(KeyShortName(key))));
    }
    raw->Exec("INSERT INTO " + table + " (" + Columns() + ",\"~rev\") SELECT " + VisitValuesSql() +
              " FROM generate_series(1::bigint, " + std::to_string(kRecords) + ") AS i");
    Check(log->BuildKeys() == kStoreOk, "build keys");
    raw->Exec("VACUUM ANALYZE " + table);
    Check(log->Open(kOpenNormal) == kStoreOk, "open");
    std::fprintf(stderr, "pg_store_bench: %d records built in %.1f s\n", kRecords,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  }
  static Bench& Get() {
    static Bench bench;
    return bench;
  }
};

void RemoveAdded(Bench& bench) {
  bench.raw->Exec("DELETE FROM " + bench.table + " WHERE \"LOG_NO\">" + std::to_string(kRecords));
}

// The statements of the store, written out.
std::string Selected(const Bench& bench) { return vornel::bench::PgSelected(LogFile(), bench.table); }
const char* kOrder = " ORDER BY \"LOG_DATE\",lower(\"EMPL_CODE\"),\"TIME_IN\",\"~pos\"";
const char* kAfter = " WHERE (\"LOG_DATE\",lower(\"EMPL_CODE\"),\"TIME_IN\",\"~pos\")>($1,lower($2::text),$3,$4)";

void BM_Add100k_Store(benchmark::State& state) {
  Bench& bench = Bench::Get();
  Add100k(state, *bench.store, *bench.log, [&] { RemoveAdded(bench); });
}

void BM_Add100k_Raw(benchmark::State& state) {
  Bench& bench = Bench::Get();
  std::string values;
  for (std::size_t i = 1; i <= LogFile().fields.size(); ++i) values += "$" + std::to_string(i) + ",";
  bench.raw->Prepare("insert", "INSERT INTO " + bench.table + " (" + Columns() + ",\"~rev\") VALUES (" + values +
                                   "0) ON CONFLICT DO NOTHING RETURNING \"~pos\"");
  LogRecord record;
  std::vector<std::string> fields;
  for (auto _ : state) {
    bench.raw->Exec("BEGIN");
    for (int n = 1; n <= kAdded; ++n) {
      FillVisit(record, kRecords + n);
      FieldValues(reinterpret_cast<const char*>(&record), &fields);
      PGresult* result = bench.raw->Run("insert", fields);
      Check(PQntuples(result) == 1, "raw insert");
      benchmark::DoNotOptimize(std::atoll(PQgetvalue(result, 0, 0)));
      PQclear(result);
    }
    bench.raw->Exec("COMMIT");
    state.PauseTiming();
    RemoveAdded(bench);
    state.ResumeTiming();
  }
}

void BM_ReadAll_Store(benchmark::State& state) { ReadAll(state, *Bench::Get().log, "QUICKSCAN=on"); }

// The same pages: 500 rows each, every page after the first going on from
// the last row read.
void BM_ReadAll_Raw(benchmark::State& state) {
  Bench& bench = Bench::Get();
  bench.raw->Prepare("first", "SELECT " + Selected(bench) + " FROM " + bench.table + kOrder + " LIMIT $1");
  bench.raw->Prepare("after", "SELECT " + Selected(bench) + " FROM " + bench.table + kAfter + kOrder + " LIMIT $5");
  const int position = static_cast<int>(LogFile().fields.size());
  LogRecord record;
  for (auto _ : state) {
    std::int64_t count = 0, sum = 0;
    PGresult* result = bench.raw->Run("first", {"500"});
    while (PQntuples(result) > 0) {
      const int rows = PQntuples(result);
      for (int row = 0; row < rows; ++row) {
        ReadRow(result, row, reinterpret_cast<char*>(&record));
        ++count;
        sum += record.LOG_NO;
      }
      int length = sizeof record.EMPL_CODE;
      while (length > 0 && record.EMPL_CODE[length - 1] == ' ') --length;
      std::vector<std::string> next = {std::to_string(record.LOG_DATE), std::string(record.EMPL_CODE, length),
                                       std::to_string(record.TIME_IN), PQgetvalue(result, rows - 1, position),
                                       "500"};
      PQclear(result);
      result = bench.raw->Run("after", next);
    }
    PQclear(result);
    Check(count == kRecords, "raw read all");
    benchmark::DoNotOptimize(sum);
  }
}

void BM_Seek1000x20_Store(benchmark::State& state) { Seek1000x20(state, *Bench::Get().log); }

void BM_Seek1000x20_Raw(benchmark::State& state) {
  Bench& bench = Bench::Get();
  bench.raw->Prepare("seek", "SELECT " + Selected(bench) + " FROM " + bench.table + kAfter + kOrder + " LIMIT $5");
  LogRecord record;
  for (auto _ : state) {
    std::mt19937 random(42);
    std::int64_t sum = 0;
    for (int seek = 0; seek < kSeeks; ++seek) {
      PGresult* result =
          bench.raw->Run("seek", {std::to_string(kFirstDay + static_cast<int>(random() % kDays)), "", "0", "0", "20"});
      Check(PQntuples(result) == 20, "raw seek");
      for (int row = 0; row < 20; ++row) {
        ReadRow(result, row, reinterpret_cast<char*>(&record));
        sum += record.LOG_NO;
      }
      PQclear(result);
    }
    benchmark::DoNotOptimize(sum);
  }
}

// 1,000 visits each read by position and saved with a changed amount,
// checked against the revision read: each save its own transaction, as a
// form saves a record, or all in one, as a batch does. What the store adds
// is its check that no other station holds the record.
constexpr int kChanged = 1000;

RecordPosition ChangedPosition(std::mt19937& random) { return 1 + static_cast<RecordPosition>(random() % kRecords); }

void ChangeStore(benchmark::State& state, bool batch) {
  Bench& bench = Bench::Get();
  RecordFile& log = *bench.log;
  RecordFile* files[] = {&log};
  log.SetWatch(true);
  for (auto _ : state) {
    std::mt19937 random(7);
    if (batch) Check(bench.store->BeginTransaction(files, 1) == kStoreOk, "begin");
    for (int n = 0; n < kChanged; ++n) {
      Check(log.GetByPosition(ChangedPosition(random)) == kStoreOk, "get");
      log.record<LogRecord>().CLI_PAID = n;
      Check(log.Put() == kStoreOk, "put");
    }
    if (batch) Check(bench.store->Commit() == kStoreOk, "commit");
  }
  log.SetWatch(false);
}

void ChangeRaw(benchmark::State& state, bool batch) {
  Bench& bench = Bench::Get();
  const char* get = batch ? "get in one" : "get";
  const char* put = batch ? "put in one" : "put";
  bench.raw->Prepare(get, "SELECT " + Selected(bench) + " FROM " + bench.table + " WHERE \"~pos\"=$1");
  std::string sets;
  std::size_t parameter = 1;
  for (const FieldDef& field : LogFile().fields) {
    sets += QuoteName(ColumnName(field)) + "=$" + std::to_string(parameter++) + ",";
  }
  bench.raw->Prepare(put, "UPDATE " + bench.table + " SET " + sets + "\"~rev\"=\"~rev\"+1 WHERE \"~pos\"=$" +
                                std::to_string(parameter) + " AND \"~rev\"=$" + std::to_string(parameter + 1) +
                                " RETURNING \"~rev\"");
  LogRecord record;
  std::vector<std::string> fields;
  const int revision_column = static_cast<int>(LogFile().fields.size()) + 1;
  for (auto _ : state) {
    std::mt19937 random(7);
    if (batch) bench.raw->Exec("BEGIN");
    for (int n = 0; n < kChanged; ++n) {
      const std::string position = std::to_string(ChangedPosition(random));
      PGresult* got = bench.raw->Run(get, {position});
      Check(PQntuples(got) == 1, "raw get");
      ReadRow(got, 0, reinterpret_cast<char*>(&record));
      const std::string revision = PQgetvalue(got, 0, revision_column);
      PQclear(got);
      record.CLI_PAID = n;
      FieldValues(reinterpret_cast<const char*>(&record), &fields);
      fields.push_back(position);
      fields.push_back(revision);
      PGresult* saved = bench.raw->Run(put, fields);
      Check(PQntuples(saved) == 1, "raw put");
      PQclear(saved);
    }
    if (batch) bench.raw->Exec("COMMIT");
  }
}

void BM_Change1000_Store(benchmark::State& state) { ChangeStore(state, false); }
void BM_Change1000_Raw(benchmark::State& state) { ChangeRaw(state, false); }
void BM_Change1000InOne_Store(benchmark::State& state) { ChangeStore(state, true); }
void BM_Change1000InOne_Raw(benchmark::State& state) { ChangeRaw(state, true); }

BENCHMARK(BM_Add100k_Raw)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Add100k_Store)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReadAll_Raw)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadAll_Store)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Seek1000x20_Raw)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Seek1000x20_Store)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Change1000_Raw)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Change1000_Store)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Change1000InOne_Raw)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Change1000InOne_Store)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  return vornel::bench::RunWithRatios(argc, argv, {"_Store", "server store / raw libpq (same statements, same run):",
                                                   {}, true});
}
