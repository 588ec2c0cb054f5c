#pragma once
// The data root the list and view benchmarks read: department 1 holding a
// Log of 1,000,000 visits over three years (about 912 a day), built once per
// run with Stream/Add in a temporary directory, the thread's file managers
// over it, and a raw connection to the same database for the floor.
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/raw_rows.h"
#include "bench/data_root.h"
#include "data/data_context.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "data/store/record_store.h"
#include "data/store/sqlite_table.h"
#include "errors/error_manager.h"
#include "platform/headless/headless_message_display.h"

namespace vornel::bench {

constexpr int kVisits = 1'000'000;
constexpr int kFirstDay = 80'000;
constexpr int kDays = 1'096;

// Visit n of the day, in the day's order of staff and time.
inline void FillVisit(data::LogRecord& r, int number, int day, int n) {
  std::memset(&r, ' ', sizeof r);
  r.LOG_NO = number;
  r.CLCODE = static_cast<std::int16_t>(number % 3000 + 1);
  r.LOG_DATE = day;
  const std::string staff = "S" + std::to_string(10 + n % 40);
  std::memcpy(r.EMPL_CODE, staff.data(), staff.size());
  r.TIME_IN = (8 + n % 10) * 360000 + n + 1;
  r.TIME_OUT = r.TIME_IN + 360000;
  r.TOTAL_FEE = r.RATE = 45.5;
  std::memcpy(r.TRANS_TYPE, number % 4 ? "SHOW" : "SCHED", number % 4 ? 4 : 5);
  r.CLI_PAID = 10;
  std::memcpy(r.SERV_CODE, "IND", 3);
  r.BILLTOMA = 20;
  r.OSMFEE = r.INSFEENC = r.CLIFEENC = r.BALSCA = r.OTHERFEE = r.CLIFEEDUE = r.BILLINS = 0;
  r.UNITS = 1;
  r.AMIN[0] = 'Y';
  r.AMOUT[0] = 'N';
  r.GROUPFLAG[0] = 'N';
}

// The floor's statement: 20 visits in LOG_DAY order from day ?1 (with
// `range`, up to day ?2), read as a program without the store would.
inline std::string LogPageSql(bool range) {
  std::string columns;
  for (const data::FieldDef& field : data::LogFile().fields)
    columns += (columns.empty() ? "" : ",") + data::QuoteName(data::ColumnName(field));
  return "SELECT " + columns +
         " FROM \"Log\" WHERE (\"LOG_DATE\",\"EMPL_CODE\",\"TIME_IN\",\"~pos\")>=(?1,'' COLLATE NOCASE,-2147483648,0)" +
         std::string(range ? " AND \"LOG_DATE\"<=?2" : "") +
         " ORDER BY \"LOG_DATE\",\"EMPL_CODE\" COLLATE NOCASE,\"TIME_IN\",\"~pos\" LIMIT 20";
}

struct LogRoot : Root {
  sqlite3* raw = nullptr;

  static std::filesystem::path MakeRoot() {
    const std::filesystem::path made = MakeTempDir("vornel-bench");
    std::filesystem::create_directories(made / "VORNEL/1");
    return made;
  }

  LogRoot() : Root(MakeRoot()) {
    using namespace data;
    const std::filesystem::path dir = root / "VORNEL/1";
    const auto started = std::chrono::steady_clock::now();
    {
      std::unique_ptr<RecordFile> log = store->MakeFile(LogFile(), dir);
      Check(log->Create() == kStoreOk && log->Open(kOpenBatch) == kStoreOk, "bench", "create");
      Check(log->Stream() == kStoreOk, "bench", "stream");
      for (int number = 1; number <= kVisits; ++number) {
        const int day = kFirstDay + static_cast<int>(static_cast<long long>(number - 1) * kDays / kVisits);
        FillVisit(log->record<LogRecord>(), number, day, number);
        Check(log->Add() == kStoreOk, "bench", "add");
      }
      Check(log->Flush() == kStoreOk && log->Close() == kStoreOk, "bench", "flush");
    }
    std::fprintf(stderr, "%d visits built in %.1f s\n", kVisits,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    Check(sqlite3_open_v2((dir / "records.db").c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                          nullptr) == SQLITE_OK,
          "bench", "raw open");
  }
  ~LogRoot() {
    files.reset();
    sqlite3_close(raw);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  static LogRoot& Get() {
    static LogRoot root;
    return root;
  }
};

}  // namespace vornel::bench
