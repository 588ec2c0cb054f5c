// The client archive on a fresh copy of the same root per run, against raw
// SQLite doing the same reads, copies and deletes.
//
// The root: 30,000 clients; every sixth (5,000) is discharged or inactive,
// owes nothing and was last seen before the cutoff, with 40 visits
// (200,000), their paid charge lines, a payment record, a comment and an
// insurance card each; the others are active with 8 visits and open lines
// (200,000). The store's run walks the client file in client-number order,
// as the batch window does, and gives each client to ClientArchive, which
// commits groups of whole clients. The floor walks the same clients, tests
// the same rules, and for each archived client reads his visits, copies
// the client and each visit row into the archive database (attached, as
// the store attaches it, with the page cache the store gives a batch),
// deletes each visit and each record of the seven
// other files by position, and the client; committed in the same groups,
// and once more in one transaction for the whole run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/data_root.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_rows.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/store/sqlite_table.h"
#include "platform/text.h"
#include "posting/client_archive.h"

namespace vornel::bench {
namespace {

namespace fs = std::filesystem;
using data::SqliteTable;

constexpr const char* kProgram = "archive_bench";
constexpr int kClients = 30'000;
constexpr int kArchived = kClients / 6;
constexpr int kVisitsArchived = 40;
constexpr int kVisitsWorking = 8;
constexpr int kVisits = kArchived * kVisitsArchived + (kClients - kArchived) * kVisitsWorking;
constexpr std::int32_t kCutoff = kYearFirstDay + 300;

bool Candidate(int code) { return code % 6 == 0; }
int VisitsOf(int code) { return Candidate(code) ? kVisitsArchived : kVisitsWorking; }

// Visit n (from 0) as (client, his visit number), the clients' visits in turn.
struct VisitPlace {
  int client;
  int nth;
};
std::vector<VisitPlace> VisitPlaces() {
  std::vector<VisitPlace> places;
  places.reserve(kVisits);
  for (int round = 0; round < kVisitsArchived; ++round)
    for (int code = 1; code <= kClients; ++code)
      if (round < VisitsOf(code)) places.push_back({code, round});
  return places;
}

const PristineRoot& ArchiveRoot() {
  static const PristineRoot pristine("vornel-archive", [](data::RecordStore& store, const fs::path& root) {
    const fs::path department = root / "VORNEL/1";
    Build(store, data::ClientFile(), department, kClients, [](data::RecordFile& f, int n) {
      auto& c = f.record<data::ClientRecord>();
      c.CLCODE = static_cast<std::int16_t>(n);
      platform::AssignPadded(c.CLLNAME, "CLIENT" + std::to_string(n));
      platform::AssignPadded(c.PHONE, "(555)123-4567");
      platform::AssignPadded(c.CURRENT, Candidate(n) ? (n % 12 ? "D" : "I") : "A");
      c.BAL_DUE = Candidate(n) ? 0 : n % 40;
      c.LAST_SEEN = kCutoff - 10;
    });
    const std::vector<VisitPlace> places = VisitPlaces();
    Build(store, data::LogFile(), department, kVisits, [&places](data::RecordFile& f, int n) {
      const VisitPlace& at = places[static_cast<std::size_t>(n - 1)];
      auto& v = f.record<data::LogRecord>();
      v.LOG_NO = n;
      v.CLCODE = static_cast<std::int16_t>(at.client);
      v.LOG_DATE = kCutoff - 10 - at.nth * 7;
      platform::AssignPadded(v.TRANS_TYPE, "SHOW");
      platform::AssignPadded(v.EMPL_CODE, "S" + std::to_string(10 + n % 40));
      v.TOTAL_FEE = 45;
    });
    Build(store, data::LineitemFile(), department, kVisits, [&places](data::RecordFile& f, int n) {
      const VisitPlace& at = places[static_cast<std::size_t>(n - 1)];
      auto& l = f.record<data::LineitemRecord>();
      l.LOG_NO = n;
      l.CLCODE = static_cast<std::int16_t>(at.client);
      l.SERV_DATE = kCutoff - 10 - at.nth * 7;
      platform::AssignPadded(l.VEN_CODE, "MA");
      platform::AssignPadded(l.STATUS, Candidate(at.client) ? "P" : "O");
      l.AMOUNT_DUE = 45;
    });
    Build(store, data::ClipmtsFile(), department, kClients, [](data::RecordFile& f, int n) {
      f.record<data::ClipmtsRecord>().CLCODE = static_cast<std::int16_t>(n);
    });
    Build(store, data::Cli_cmmtFile(), department, kClients, [](data::RecordFile& f, int n) {
      f.record<data::Cli_cmmtRecord>().CLI_CODE = static_cast<std::int16_t>(n);
    });
    Build(store, data::Ins_cardFile(), department, kArchived, [](data::RecordFile& f, int n) {
      f.record<data::Ins_cardRecord>().CLCODE = static_cast<std::int16_t>(n * 6);
    });
    for (const data::FileDef* empty : {&data::UdcsFile(), &data::DischargFile(), &data::GrpassinFile()})
      Build(store, *empty, department, 0, [](data::RecordFile&, int) {});
    for (const data::FileDef* archive : {&data::CliarcFile(), &data::LogarcFile()})
      Build(store, *archive, department / "ARCS", 0, [](data::RecordFile&, int) {});
  });
  return pristine;
}

void Counters(benchmark::State& state) {
  state.counters["clients/s"] =
      benchmark::Counter(static_cast<double>(kArchived), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Archive_Store(benchmark::State& state) {
  const PristineRoot& pristine = ArchiveRoot();
  for (auto _ : state) {
    state.PauseTiming();
    auto root = std::make_unique<Root>(pristine.Copy());
    data::FileManager& walk = root->files->Get(data::ClientFile());
    Check(walk.Open() == 0 && walk.EnsurePhysicallyOpen() == 0, kProgram, "open the walk");
    auto files = std::make_unique<data::FileRegistry>(root->context);
    state.ResumeTiming();
    {
      posting::ClientArchive archive(*files, kCutoff);
      data::RecordFile& clients = walk.file();
      clients.ClearBuffer();
      Check(clients.SetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY")) == data::kStoreOk, kProgram, "walk");
      while (clients.Next() == data::kStoreOk) {
        const auto& client = clients.record<data::ClientRecord>();
        const char status = client.CURRENT[0];
        if (client.BAL_DUE != 0 || (status != 'I' && status != 'D')) continue;  // the window's filter
        const posting::ArchiveOutcome outcome = archive.Consider(client);
        Check(outcome.ok, kProgram, outcome.problem.c_str());
      }
      Check(archive.Finish().ok && archive.archived() == kArchived, kProgram, "archive every candidate");
    }
    state.PauseTiming();
    files.reset();
    walk.Close();
    root.reset();
    state.ResumeTiming();
  }
  Counters(state);
}

// A file the floor deletes a client's records from, by his client column.
struct Belonging {
  const data::FileDef& (*def)();
  const char* client;
};
constexpr std::array<Belonging, 7> kBelongings = {{{data::UdcsFile, "CLCODE"},
                                                  {data::DischargFile, "CLCODE"},
                                                  {data::Cli_cmmtFile, "CLI_CODE"},
                                                  {data::ClipmtsFile, "CLCODE"},
                                                  {data::GrpassinFile, "CLI_CODE"},
                                                  {data::Ins_cardFile, "CLCODE"},
                                                  {data::LineitemFile, "CLCODE"}}};

class ArchiveFloor {
 public:
  // Commits every `per_commit` clients (0: once, at the end).
  ArchiveFloor(const fs::path& root, int per_commit)
      : raw_(root / "VORNEL/1/records.db", kProgram), per_commit_(per_commit) {
    raw_.Attach(root / "VORNEL/1/ARCS/records.db", "arc");
    // The page cache the store gives a batch.
    raw_.Exec("PRAGMA main.cache_size=-65536");
    raw_.Exec("PRAGMA arc.cache_size=-65536");
    const SqliteTable clients(data::ClientFile(), "main"), log(data::LogFile(), "main");
    const SqliteTable archive(data::CliarcFile(), "arc"), visits(data::LogarcFile(), "arc");
    walk_ = raw_.Prepare("SELECT " + clients.columns() + " FROM " + clients.name() + " ORDER BY \"CLCODE\"");
    in_archive_ = raw_.Prepare("SELECT 1 FROM " + archive.name() + " WHERE \"CLCODE\"=?1");
    visits_ = raw_.Prepare("SELECT " + log.columns() + " FROM " + log.name() +
                           " WHERE \"CLCODE\"=?1 ORDER BY \"LOG_DATE\",\"~pos\"");
    awaiting_ = raw_.Prepare("SELECT \"STATUS\" FROM \"Lineitem\" WHERE \"CLCODE\"=?1 ORDER BY \"DATE_PAID\",\"~pos\"");
    add_client_ = raw_.Prepare(archive.InsertSql());
    add_visit_ = raw_.Prepare(visits.InsertSql());
    delete_visit_ = raw_.Prepare(log.DeleteSql(false));
    delete_client_ = raw_.Prepare(clients.DeleteSql(false));
    for (const Belonging& b : kBelongings) {
      const SqliteTable table(b.def(), "main");
      const std::string client = std::string("\"") + b.client + "\"";
      belonging_.push_back({raw_.Prepare("SELECT \"~pos\" FROM " + table.name() + " WHERE " + client + "=?1"),
                            raw_.Prepare(table.DeleteSql(false))});
    }
  }

  int Run() {
    int archived = 0, uncommitted = 0;
    data::ClientRecord client;
    data::LogRecord visit;
    std::vector<std::pair<data::LogRecord, std::int64_t>> visits;
    while (sqlite3_step(walk_) == SQLITE_ROW) {
      ReadRawRow(data::ClientFile(), walk_, reinterpret_cast<char*>(&client));
      const std::int64_t client_at = sqlite3_column_int64(walk_, static_cast<int>(data::ClientFile().fields.size()));
      const char status = client.CURRENT[0];
      if (client.BAL_DUE != 0 || (status != 'I' && status != 'D')) continue;
      if (client.LAST_SEEN <= 0 || client.LAST_SEEN > kCutoff) continue;
      if (uncommitted == 0) raw_.Exec("BEGIN IMMEDIATE");
      if (Step(in_archive_, client.CLCODE)) continue;
      visits.clear();
      sqlite3_bind_int(visits_, 1, client.CLCODE);
      while (sqlite3_step(visits_) == SQLITE_ROW) {
        ReadRawRow(data::LogFile(), visits_, reinterpret_cast<char*>(&visit));
        visits.push_back({visit, sqlite3_column_int64(visits_, static_cast<int>(data::LogFile().fields.size()))});
      }
      sqlite3_reset(visits_);
      if (!visits.empty() && visits.back().first.LOG_DATE > kCutoff) continue;
      bool awaits = false;
      sqlite3_bind_int(awaiting_, 1, client.CLCODE);
      while (!awaits && sqlite3_step(awaiting_) == SQLITE_ROW) {
        const char line = static_cast<char>(sqlite3_column_text(awaiting_, 0)[0]);
        awaits = line == 'O' || line == 'B' || line == 'R';
      }
      sqlite3_reset(awaiting_);
      if (awaits) continue;

      BindRawRow(data::CliarcFile(), add_client_, reinterpret_cast<const char*>(&client));
      Done(add_client_);
      for (const auto& [record, position] : visits) {
        BindRawRow(data::LogarcFile(), add_visit_, reinterpret_cast<const char*>(&record));
        Done(add_visit_);
        sqlite3_bind_int64(delete_visit_, 1, position);
        Done(delete_visit_);
      }
      for (const auto& [find, remove] : belonging_) {
        std::vector<std::int64_t> positions;
        sqlite3_bind_int(find, 1, client.CLCODE);
        while (sqlite3_step(find) == SQLITE_ROW) positions.push_back(sqlite3_column_int64(find, 0));
        sqlite3_reset(find);
        for (const std::int64_t at : positions) {
          sqlite3_bind_int64(remove, 1, at);
          Done(remove);
        }
      }
      sqlite3_bind_int64(delete_client_, 1, client_at);
      Done(delete_client_);
      ++archived;
      if (++uncommitted == per_commit_) {
        raw_.Exec("COMMIT");
        uncommitted = 0;
      }
    }
    sqlite3_reset(walk_);
    if (uncommitted > 0 || sqlite3_get_autocommit(raw_.db()) == 0) raw_.Exec("COMMIT");
    return archived;
  }

 private:
  static bool Step(sqlite3_stmt* stmt, int value) {
    sqlite3_bind_int(stmt, 1, value);
    const bool row = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_reset(stmt);
    return row;
  }
  static void Done(sqlite3_stmt* stmt) {
    Check(sqlite3_step(stmt) == SQLITE_DONE, kProgram, sqlite3_sql(stmt));
    sqlite3_reset(stmt);
  }

  RawDatabase raw_;
  int per_commit_;
  sqlite3_stmt* walk_ = nullptr;
  sqlite3_stmt* in_archive_ = nullptr;
  sqlite3_stmt* visits_ = nullptr;
  sqlite3_stmt* awaiting_ = nullptr;
  sqlite3_stmt* add_client_ = nullptr;
  sqlite3_stmt* add_visit_ = nullptr;
  sqlite3_stmt* delete_visit_ = nullptr;
  sqlite3_stmt* delete_client_ = nullptr;
  std::vector<std::pair<sqlite3_stmt*, sqlite3_stmt*>> belonging_;
};

void RunFloor(benchmark::State& state, int per_commit) {
  const PristineRoot& pristine = ArchiveRoot();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path root = pristine.Copy();
    auto floor = std::make_unique<ArchiveFloor>(root, per_commit);
    state.ResumeTiming();
    Check(floor->Run() == kArchived, kProgram, "the floor archives every candidate");
    state.PauseTiming();
    floor.reset();
    state.ResumeTiming();
  }
  Counters(state);
}

void BM_Archive_RawPerGroup(benchmark::State& state) { RunFloor(state, posting::ClientArchive::kClientsPerCommit); }
void BM_Archive_RawOneTransaction(benchmark::State& state) { RunFloor(state, 0); }

BENCHMARK(BM_Archive_Store)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_Archive_RawPerGroup)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_Archive_RawOneTransaction)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
}  // namespace vornel::bench

int main(int argc, char** argv) {
  return vornel::bench::RunWithRatios(
      argc, argv,
      {"_Store",
       "The archive against raw SQLite (fresh copy each run):",
       {{"BM_Archive", "BM_Archive_RawPerGroup"}, {"BM_Archive", "BM_Archive_RawOneTransaction"}},
       /*cpu=*/true});
}
