#pragma once
// The work both stores' benchmarks measure on a Log file of 1,000,000
// visits (store_bench, pg_store_bench): adding 100,000 visits in one
// transaction, reading all in LOG_DAY order, and 1,000 times SetByKey on a
// random day and reading 20 records. Each store's benchmark adds its floor.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "bench/raw_rows.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/store/record_store.h"
#include "data/store/store_answer.h"

namespace vornel::bench::store_work {

constexpr int kRecords = 1'000'000;
constexpr int kAdded = 100'000;
constexpr int kFirstDay = 75'000;
constexpr int kDays = 2'500;  // 400 visits a day
constexpr int kSeeks = 1'000;

inline const data::KeyDef& LogDay() { return *data::LogFile().FindKey("LOG_DAY"); }

inline void Need(bool ok, const char* what) { Check(ok, "store bench", what); }

// The value list of visit i (a column named i) in the order of the Log's
// fields, for filling the table with one INSERT ... SELECT.
inline std::string VisitValuesSql() {
  return "i, i%3000+1, " + std::to_string(kFirstDay) +
         "+(i+(i*7919)%800)/400, 'S'||(i*13%20), 45.5, 'SHOW', 10.0, (8+i%9)*360000+1, (9+i%9)*360000+1, 'IND', "
         "20.0, 0, 0, 5.0, 0, 15.0, 0, 0, 'comment', 'Y', 'N', 1.0, 45.5, 'N', 0";
}

inline void FillVisit(data::LogRecord& r, int n) {
  std::memset(&r, ' ', sizeof r);
  r.LOG_NO = n;
  r.CLCODE = static_cast<std::int16_t>(n % 3000 + 1);
  r.LOG_DATE = kFirstDay + n % kDays;
  std::string staff = "S" + std::to_string(n * 13 % 20);
  std::memcpy(r.EMPL_CODE, staff.data(), staff.size());
  r.TOTAL_FEE = 45.5;
  std::memcpy(r.TRANS_TYPE, "SHOW", 4);
  r.CLI_PAID = 10;
  r.TIME_IN = (8 + n % 9) * 360000 + 1;
  r.TIME_OUT = r.TIME_IN + 360000;
  std::memcpy(r.SERV_CODE, "IND", 3);
  r.BILLTOMA = 20;
  r.OSMFEE = r.INSFEENC = r.CLIFEENC = r.BALSCA = r.OTHERFEE = 0;
  r.CLIFEEDUE = 5;
  r.BILLINS = 15;
  std::memcpy(r.COMMENT, "comment", 7);
  r.AMIN[0] = 'Y';
  r.AMOUT[0] = 'N';
  r.UNITS = 1;
  r.RATE = 45.5;
  r.GROUPFLAG[0] = 'N';
}

// 100,000 visits added in one transaction; `remove_added` (untimed) takes
// them away again.
inline void Add100k(benchmark::State& state, data::RecordStore& store, data::RecordFile& log,
                    const std::function<void()>& remove_added) {
  data::RecordFile* files[] = {&log};
  for (auto _ : state) {
    Need(store.BeginTransaction(files, 10) == data::kStoreOk, "begin");
    for (int n = 1; n <= kAdded; ++n) {
      FillVisit(log.record<data::LogRecord>(), kRecords + n);
      Need(log.Add() == data::kStoreOk, "add");
    }
    Need(store.Commit() == data::kStoreOk, "commit");
    state.PauseTiming();
    remove_added();
    state.ResumeTiming();
  }
}

inline void ReadAll(benchmark::State& state, data::RecordFile& log, const char* quickscan) {
  log.SendCommand(quickscan);
  for (auto _ : state) {
    Need(log.SetOrder(&LogDay()) == data::kStoreOk, "set order");
    std::int64_t count = 0, sum = 0;
    int answer;
    while ((answer = log.Next()) == data::kStoreOk) {
      ++count;
      sum += log.record<data::LogRecord>().LOG_NO;
    }
    Need(answer == data::kRecordNotAvailable && count == kRecords, "read all");
    benchmark::DoNotOptimize(sum);
  }
  log.SendCommand("QUICKSCAN=off");
}

inline void Seek1000x20(benchmark::State& state, data::RecordFile& log) {
  for (auto _ : state) {
    std::mt19937 random(42);
    std::int64_t sum = 0;
    for (int seek = 0; seek < kSeeks; ++seek) {
      log.ClearBuffer();
      log.record<data::LogRecord>().LOG_DATE = kFirstDay + static_cast<int>(random() % kDays);
      Need(log.SetByKey(LogDay()) == data::kStoreOk, "set by key");
      for (int i = 0; i < 20; ++i) {
        Need(log.Next() == data::kStoreOk, "next");
        sum += log.record<data::LogRecord>().LOG_NO;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}

}  // namespace vornel::bench::store_work
