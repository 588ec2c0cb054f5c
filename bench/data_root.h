#pragma once
// What the benchmarks' data roots are made of: a root's store and files, a
// temporary directory, a root built once and copied fresh for each run that
// changes it, a file streamed full of records with Stream/Add, and
// a department's year as the posting and report benchmarks read it: 100,000
// visits over 365 days (six in seven shown, a third with a client fee) for
// 3,000 clients.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "bench/raw_rows.h"
#include "data/data_context.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "data/store/record_store.h"
#include "errors/error_manager.h"
#include "platform/headless/headless_message_display.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace vornel::bench {

constexpr int kYearVisits = 100'000;
constexpr int kYearClients = 3'000;
constexpr std::int32_t kYearFirstDay = 80'001;
constexpr std::int32_t kYearDays = 365;

// A data root with its store (the embedded one unless given) and files, on
// `root`, working in department 1.
struct Root {
  explicit Root(std::filesystem::path at, std::unique_ptr<data::RecordStore> store_in = data::MakeSqliteStore())
      : root(std::move(at)), paths(root, root / "config"), store(std::move(store_in)) {
    paths.SetWorkingDirectory("\\VORNEL\\1\\");
  }
  std::filesystem::path root;
  platform::PathMap paths;
  platform::HeadlessMessageDisplay display;
  errors::ErrorManager errors{display, [this] { return root / "KIVError.Log"; }};
  std::unique_ptr<data::RecordStore> store;
  data::DataContext context{*store, paths, errors};
  std::unique_ptr<data::FileRegistry> files = std::make_unique<data::FileRegistry>(context);
};

// A new empty directory in the system's temporary folder.
inline std::filesystem::path MakeTempDir(const char* prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  Check(mkdtemp(pattern.data()) != nullptr, "bench", "mkdtemp");
  return pattern;
}

// A data root built once in a temporary directory (its department 1 and
// common directories made, then build(store, root) run), copied whole for
// each run that changes it.
class PristineRoot {
 public:
  template <typename BuildRoot>
  PristineRoot(const char* prefix, BuildRoot build) : dir_(MakeTempDir(prefix)) {
    const std::filesystem::path root = dir_ / "pristine";
    for (const char* sub : {"VORNEL/1/ARCS", "VORNEL/1/STATS", "VORNEL/COMMON"})
      std::filesystem::create_directories(root / sub);
    std::unique_ptr<data::RecordStore> store = data::MakeSqliteStore();
    build(*store, root);
  }
  ~PristineRoot() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  PristineRoot(const PristineRoot&) = delete;
  PristineRoot& operator=(const PristineRoot&) = delete;

  // A fresh copy, in place of the last one.
  std::filesystem::path Copy() const {
    const std::filesystem::path work = dir_ / "work";
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    std::filesystem::copy(dir_ / "pristine", work, std::filesystem::copy_options::recursive);
    return work;
  }

 private:
  std::filesystem::path dir_;
};

// Creates the file `def` in `dir` and streams `count` records into it, each
// filled by fill(file, n) on a cleared buffer (n from 1).
template <typename Fill>
void Build(data::RecordStore& store, const data::FileDef& def, const std::filesystem::path& dir, int count,
           Fill fill) {
  std::unique_ptr<data::RecordFile> file = store.MakeFile(def, dir);
  Check(file->Create() == data::kStoreOk && file->Open(data::kOpenBatch) == data::kStoreOk, "bench", "create");
  Check(file->Stream() == data::kStoreOk, "bench", "stream");
  for (int n = 1; n <= count; ++n) {
    file->ClearBuffer();
    fill(*file, n);
    Check(file->Add() == data::kStoreOk, "bench", "add");
  }
  Check(file->Flush() == data::kStoreOk && file->Close() == data::kStoreOk, "bench", "flush");
}

// Visit n of the year (from 1): the year's days share the visits evenly, so
// the first N visits are the first days of the same year.
inline void FillYearVisit(data::LogRecord& visit, int n) {
  visit.LOG_NO = n;
  visit.CLCODE = static_cast<std::int16_t>(n * 7919 % kYearClients + 1);
  visit.LOG_DATE = kYearFirstDay + static_cast<std::int32_t>(static_cast<long long>(n - 1) * kYearDays / kYearVisits);
  platform::AssignPadded(visit.EMPL_CODE, "S" + std::to_string(10 + n % 40));
  visit.TIME_IN = (8 + n % 10) * 360000 + 1;
  platform::AssignPadded(visit.TRANS_TYPE, n % 7 == 0 ? "NOSHW" : "SHOW");
  platform::AssignPadded(visit.SERV_CODE, n % 2 == 0 ? "INDV" : "GRP");
  visit.CLIFEEDUE = n % 3 == 0 ? 10 + n % 20 : 0;
  visit.CLI_PAID = n % 6 == 0 ? visit.CLIFEEDUE : 0;
  visit.CLIFEENC = visit.CLIFEEDUE - visit.CLI_PAID;
}

}  // namespace vornel::bench
