// Posting a year of one department: 100,000 visits over 365 days (six in
// seven shown, a third with a client fee), 3,000 clients and a payment for
// every tenth visit. Each run posts a fresh copy of the same root. The
// floor does the same reads and writes with raw SQLite statements in one
// transaction: the period's visits in LOG_DAY order, each client read once
// and written once, a charge inserted per fee, the period's payment records
// read in LINE_DAY order and rewritten, the department and settings
// records rewritten.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "bench/ratio_reporter.h"
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
#include "platform/text.h"
#include "posting/post_period.h"
#include "posting/posting_rules.h"

namespace vornel::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kVisits = kYearVisits;
constexpr int kClients = kYearClients;
constexpr std::int32_t kLastPosted = kYearFirstDay - 1;
constexpr std::int32_t kDays = kYearDays;

const PristineRoot& Pristine() {
  static const PristineRoot pristine("vornel-posting", [](data::RecordStore& store, const fs::path& root) {
    const fs::path department = root / "VORNEL/1";
    const fs::path common = root / "VORNEL/COMMON";
    Build(store, data::SetupsFile(), common, 1,
          [](data::RecordFile& f, int) { f.record<data::SetupsRecord>().REF_DATE = kLastPosted + 1; });
    Build(store, data::DepartmentsFile(), common, 1, [](data::RecordFile& f, int) {
      f.record<data::DepartmentsRecord>().DEPT_NO = 1;
      f.record<data::DepartmentsRecord>().POSTDATE = kLastPosted;
    });
    Build(store, data::ClientFile(), department, kClients, [](data::RecordFile& f, int n) {
      auto& client = f.record<data::ClientRecord>();
      client.CLCODE = static_cast<std::int16_t>(n);
      platform::AssignPadded(client.CLLNAME, "CLIENT" + std::to_string(n));
      client.BAL_DUE = n % 50;
    });
    Build(store, data::LogFile(), department, kVisits,
          [](data::RecordFile& f, int n) { FillYearVisit(f.record<data::LogRecord>(), n); });
    Build(store, data::ClipmtsFile(), department, kVisits / 10, [](data::RecordFile& f, int n) {
      auto& payment = f.record<data::ClipmtsRecord>();
      payment.CLCODE = static_cast<std::int16_t>(n * 31 % kClients + 1);
      payment.DATE = kLastPosted + 1 + static_cast<std::int32_t>(static_cast<long long>(n - 1) * kDays / (kVisits / 10));
      payment.AMOUNT = 5 + n % 11;
      platform::AssignPadded(payment.STATUS, "C");
    });
  });
  return pristine;
}

void BM_PostYear_Store(benchmark::State& state) {
  const PristineRoot& pristine = Pristine();
  long posted = 0;
  long updates = 0;  // of the progress window, as the program shows them
  const posting::PostingProgress progress{.record = [&updates](std::int32_t, std::int32_t) { ++updates; }};
  for (auto _ : state) {
    state.PauseTiming();
    auto root = std::make_unique<Root>(pristine.Copy());
    state.ResumeTiming();
    const posting::PostingResult result = posting::PostPeriod(
        *root->files, {.department = 1, .last_post_date = kLastPosted, .end = kLastPosted + kDays}, progress);
    state.PauseTiming();
    Check(result.outcome == posting::PostingOutcome::kPosted, "posting_bench", "posting");
    posted = result.visits_counted;
    root.reset();
    state.ResumeTiming();
  }
  state.counters["visits"] = static_cast<double>(posted);
  state.counters["updates/s"] = benchmark::Counter(static_cast<double>(updates), benchmark::Counter::kIsRate);
}

// The floor's connection: the department's database with the common one
// attached.
struct Raw : RawDatabase {
  explicit Raw(const fs::path& root) : RawDatabase(root / "VORNEL/1/records.db", "posting_bench") {
    Attach(root / "VORNEL/COMMON/records.db", "c");
  }
};

void BM_PostYear_Raw(benchmark::State& state) {
  using data::SqliteTable;
  const PristineRoot& pristine = Pristine();
  const SqliteTable log(data::LogFile(), "main");
  const SqliteTable clients(data::ClientFile(), "main");
  const SqliteTable payments(data::ClipmtsFile(), "main");
  const SqliteTable departments(data::DepartmentsFile(), "c");
  const SqliteTable setups(data::SetupsFile(), "c");
  const data::KeyDef& client_key = *data::ClientFile().FindKey("CLI:CODE_KEY");
  for (auto _ : state) {
    state.PauseTiming();
    auto raw = std::make_unique<Raw>(pristine.Copy());
    state.ResumeTiming();
    raw->Exec("BEGIN IMMEDIATE");
    // The period's visits; each shown one counted, charged when it has a fee.
    sqlite3_stmt* visits = raw->Prepare("SELECT " + log.columns() + " FROM " + log.name() +
                                        " WHERE \"LOG_DATE\">=?1 AND \"LOG_DATE\"<=?2" +
                                        log.OrderBy(data::LogFile().FindKey("LOG:LOG_DAY"), true));
    sqlite3_bind_int(visits, 1, kLastPosted + 1);
    sqlite3_bind_int(visits, 2, kLastPosted + kDays);
    sqlite3_stmt* find_client = raw->Prepare("SELECT " + clients.columns() + " FROM " + clients.name() +
                                             " WHERE " + clients.Column(client_key.components[0]) + "=?1");
    sqlite3_stmt* insert = raw->Prepare(payments.InsertSql());
    struct Tally {
      data::ClientRecord record{};
      std::int64_t position = 0;
    };
    std::map<std::int16_t, Tally> tallies;
    const auto load = [&](std::int16_t code) -> Tally& {
      auto [it, added] = tallies.try_emplace(code);
      if (added) {
        sqlite3_bind_int(find_client, 1, code);
        Check(sqlite3_step(find_client) == SQLITE_ROW, "posting_bench", "client");
        ReadRawRow(data::ClientFile(), find_client, reinterpret_cast<char*>(&it->second.record));
        it->second.position = sqlite3_column_int64(find_client, clients.field_count());
        sqlite3_reset(find_client);
      }
      return it->second;
    };
    data::LogRecord visit{};
    while (sqlite3_step(visits) == SQLITE_ROW) {
      ReadRawRow(data::LogFile(), visits, reinterpret_cast<char*>(&visit));
      if (!platform::EqualNoCase(platform::ReadField(visit.TRANS_TYPE), "SHOW")) continue;
      Tally& tally = load(visit.CLCODE);
      ++tally.record.NUM_VSTS;
      if (platform::EqualNoCase(platform::ReadField(visit.SERV_CODE), "INDV")) ++tally.record.IND_VSTS;
      tally.record.LAST_SEEN = visit.LOG_DATE;
      if (const std::optional<data::ClipmtsRecord> charge = posting::VisitCharge(visit, kLastPosted + 1)) {
        BindRawRow(data::ClipmtsFile(), insert, reinterpret_cast<const char*>(&*charge));
        Check(sqlite3_step(insert) == SQLITE_DONE, "posting_bench", "insert");
        sqlite3_reset(insert);
      }
    }
    sqlite3_finalize(visits);
    // The period's payment records through the balances.
    sqlite3_stmt* records = raw->Prepare("SELECT " + payments.columns() + " FROM " + payments.name() +
                                         " WHERE \"DATE\">=?1 AND \"DATE\"<=?2" +
                                         payments.OrderBy(data::ClipmtsFile().FindKey("CPY:LINE_DAY"), true));
    sqlite3_bind_int(records, 1, kLastPosted + 1);
    sqlite3_bind_int(records, 2, kLastPosted + kDays);
    sqlite3_stmt* rewrite = raw->Prepare(payments.UpdateSql(false));
    data::ClipmtsRecord record{};
    const int payment_fields = payments.field_count();
    while (sqlite3_step(records) == SQLITE_ROW) {
      ReadRawRow(data::ClipmtsFile(), records, reinterpret_cast<char*>(&record));
      const std::int64_t position = sqlite3_column_int64(records, payment_fields);
      Tally& tally = load(record.CLCODE);
      record.PREVBAL = tally.record.BAL_DUE;
      tally.record.BAL_DUE = tally.record.BAL_DUE - record.AMOUNT + record.CHARGES;
      record.NEWBAL = tally.record.BAL_DUE;
      BindRawRow(data::ClipmtsFile(), rewrite, reinterpret_cast<const char*>(&record));
      sqlite3_bind_int64(rewrite, payment_fields + 1, position);
      Check(sqlite3_step(rewrite) == SQLITE_ROW, "posting_bench", "rewrite");
      sqlite3_reset(rewrite);
    }
    sqlite3_finalize(records);
    // Each client read again and written once.
    sqlite3_stmt* write_client = raw->Prepare(clients.UpdateSql(false));
    for (auto& [code, tally] : tallies) {
      sqlite3_bind_int(find_client, 1, code);
      Check(sqlite3_step(find_client) == SQLITE_ROW, "posting_bench", "client again");
      sqlite3_reset(find_client);
      BindRawRow(data::ClientFile(), write_client, reinterpret_cast<const char*>(&tally.record));
      sqlite3_bind_int64(write_client, clients.field_count() + 1, tally.position);
      Check(sqlite3_step(write_client) == SQLITE_ROW, "posting_bench", "client write");
      sqlite3_reset(write_client);
    }
    sqlite3_finalize(write_client);
    sqlite3_finalize(find_client);
    sqlite3_finalize(insert);
    raw->Exec(("UPDATE " + departments.name() + " SET \"POSTDATE\"=" + std::to_string(kLastPosted + kDays)).c_str());
    raw->Exec(("UPDATE " + setups.name() + " SET \"REF_DATE\"=" + std::to_string(kLastPosted + kDays + 1)).c_str());
    raw->Exec("COMMIT");
    state.PauseTiming();
    raw.reset();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_PostYear_Store)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PostYear_Raw)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace vornel::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  vornel::bench::RatioReporter reporter("_Store", "Posting a year against its raw-SQLite floor (real time):");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
