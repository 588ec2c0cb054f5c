// The data generator against raw inserts of the rows it writes. A root of
// 1,000 clients per department and 12 months (two departments) is made
// fresh for each run:
//   Generate_Store  GenerateDemoData into an empty root: the shared files
//                   first, then each department on a thread of its own,
//                   every record checked against its field rules and added
//                   through its file manager.
//   Generate_Raw    the same records (read once out of a generated root) in
//                   the same order per file, inserted by raw SQLite
//                   statements prepared once per table into the same tables
//                   with the same indexes (made empty beforehand, outside
//                   the timing): the shared directories first, then each
//                   department's directories on a thread of its own, one
//                   transaction per directory, with the same 64 MiB page
//                   cache as the generator's departments.
// The floor does not make up the records (names, dates, fees), so the ratio
// is what the generator's own work and the store cost together.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/demo_data/demo_generator.h"
#include "bench/data_root.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_rows.h"
#include "data/dictionary/dictionary.h"
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_table.h"
#include "platform/dates.h"

namespace vornel::bench {
namespace {

namespace fs = std::filesystem;
constexpr const char* kProgram = "generator_bench";
constexpr int kClients = 1000;
constexpr int kMonths = 12;

app::demo::DemoOptions Options(const fs::path& root) {
  app::demo::DemoOptions options;
  options.root = root;
  options.clients = kClients;
  options.months = kMonths;
  options.today = platform::DateFromMdy(12, 7, 2026);
  return options;
}

// One directory's records as the generator wrote them, file by file.
struct DirectoryRows {
  fs::path relative;  // to the root
  bool department = false;
  std::vector<std::pair<const data::FileDef*, std::vector<char>>> files;  // the records back to back
};

std::vector<DirectoryRows> ReadRows(const fs::path& root) {
  std::vector<DirectoryRows> directories;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().filename() != data::SqliteConnection::kDatabaseName) continue;
    DirectoryRows rows;
    rows.relative = fs::relative(entry.path().parent_path(), root);
    for (const fs::path& part : rows.relative) {
      const std::string name = part.string();
      rows.department = rows.department || (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])));
    }
    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(entry.path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK, kProgram, "open");
    for (const data::FileDef& def : data::AllFiles()) {
      std::string columns;
      for (const data::FieldDef& field : def.fields)
        columns += (columns.empty() ? "" : ",") + data::QuoteName(data::ColumnName(field));
      const std::string sql = "SELECT " + columns + " FROM " + data::QuoteName(def.label) + " ORDER BY \"~pos\"";
      sqlite3_stmt* stmt = nullptr;
      if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) continue;  // not in this directory
      std::vector<char> records;
      while (sqlite3_step(stmt) == SQLITE_ROW) {
        records.resize(records.size() + def.record_size);
        ReadRawRow(def, stmt, records.data() + records.size() - def.record_size);
      }
      sqlite3_finalize(stmt);
      rows.files.emplace_back(&def, std::move(records));
    }
    sqlite3_close(db);
    directories.push_back(std::move(rows));
  }
  return directories;
}

// The generated rows, and a root holding the same tables empty.
struct Generated {
  Generated() {
    const fs::path made = dir.path / "made";
    Check(app::demo::GenerateDemoData(Options(made)).ok, kProgram, "the generator");
    rows = ReadRows(made);
    empty = std::make_unique<PristineRoot>("vornel-generator-empty", [this](data::RecordStore& store, const fs::path& root) {
      for (const DirectoryRows& directory : rows) {
        fs::create_directories(root / directory.relative);
        for (const auto& [def, records] : directory.files)
          Check(store.MakeFile(*def, root / directory.relative)->Create() == data::kStoreOk, kProgram, "create");
      }
    });
  }
  struct Dir {
    fs::path path = MakeTempDir("vornel-generator");
    ~Dir() {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
  } dir;
  std::vector<DirectoryRows> rows;
  std::unique_ptr<PristineRoot> empty;
  std::int64_t records() const {
    std::int64_t count = 0;
    for (const DirectoryRows& directory : rows)
      for (const auto& [def, records] : directory.files) count += static_cast<std::int64_t>(records.size() / def->record_size);
    return count;
  }
};

const Generated& Rows() {
  static const Generated generated;
  return generated;
}

// One directory's rows inserted raw in one transaction.
void InsertRaw(const fs::path& root, const DirectoryRows& directory) {
  sqlite3* db = nullptr;
  const fs::path file = root / directory.relative / data::SqliteConnection::kDatabaseName;
  Check(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK, kProgram,
        "open");
  sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=-65536; BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (const auto& [def, records] : directory.files) {
    if (records.empty()) continue;
    std::string columns;
    std::string values;
    int parameter = 1;
    for (const data::FieldDef& field : def->fields) {
      columns += data::QuoteName(data::ColumnName(field)) + ",";
      values += "?" + std::to_string(parameter++) + ",";
    }
    const std::string sql = "INSERT INTO " + data::QuoteName(def->label) + " (" + columns + "\"~rev\") VALUES (" +
                            values + "0)";
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) == SQLITE_OK, kProgram, sql.c_str());
    for (std::size_t at = 0; at < records.size(); at += def->record_size) {
      BindRawRow(*def, insert, records.data() + at);
      Check(sqlite3_step(insert) == SQLITE_DONE, kProgram, "insert");
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
  }
  Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK, kProgram, "commit");
  sqlite3_close(db);
}

void BM_Generate_Store(benchmark::State& state) {
  const Generated& generated = Rows();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path root = generated.dir.path / "run";
    std::error_code ec;
    fs::remove_all(root, ec);
    state.ResumeTiming();
    Check(app::demo::GenerateDemoData(Options(root)).ok, kProgram, "the generator");
  }
  state.counters["records"] = static_cast<double>(generated.records());
}

void BM_Generate_Raw(benchmark::State& state) {
  const Generated& generated = Rows();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path root = generated.empty->Copy();
    state.ResumeTiming();
    std::vector<std::thread> departments;
    for (const DirectoryRows& directory : generated.rows)
      if (!directory.department) InsertRaw(root, directory);
    for (const DirectoryRows& directory : generated.rows)
      if (directory.department) departments.emplace_back([&root, &directory] { InsertRaw(root, directory); });
    for (std::thread& department : departments) department.join();
  }
  state.counters["records"] = static_cast<double>(generated.records());
}

BENCHMARK(BM_Generate_Store)->Unit(benchmark::kSecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_Generate_Raw)->Unit(benchmark::kSecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
}  // namespace vornel::bench

int main(int argc, char** argv) {
  return vornel::bench::RunWithRatios(argc, argv,
                                      {"_Store", "The generator against raw inserts of its rows:", {}, /*cpu=*/true});
}
