// A report over a year of one department: 100,000 visits over 365 days in
// LOG_DAY order, walked by the process manager with the step on the visit
// date, as a report's progress window drives it.
//
// - ReportWalk: the walk with a rule that sums the fees and counts the shown
//   visits, nothing printed, against its floor: raw SQLite reading the same
//   rows (every column, ORDER BY the key's columns) into a Log record, the
//   same rule and the same percentage from the first and last dates. Both
//   run on a warm cache (one walk each before the timing starts); the
//   ratios of CPU and real time are printed at the end.
// - ReportPages: the walk printing every visit through a report writer
//   (page header, a group on the date with its header and a footer with the
//   day's total, a six-field detail band, the year's total) into a page
//   folder: pages and records a second; in the system's temporary folder,
//   and in memory (/dev/shm) to tell the file system's part.
// - RenderPdf: a folder of 200 such pages written to a PDF file.
// - PreviewFirstPage: what the preview does when it opens on a 1,000-page
//   folder: reads, decodes and paints its first page at 1200 pixels wide.
//
// `report_bench --memory N` instead prints the peak resident set of the walk
// and pages over the first N visits of the year (built by a child process,
// so that the building does not count) and the page count, then exits;
// `report_bench --samples DIR` writes the 200-page PDF and the preview's
// first page as a PNG into DIR, to look at.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "bench/ratio_reporter.h"
#include "bench/raw_rows.h"
#include "bench/data_root.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "data/store/sqlite_table.h"
#include "data/view_def.h"
#include "platform/page/page_folder.h"
#include "platform/qt/qt_page_output.h"
#include "platform/qt/qt_page_painter.h"
#include "platform/text.h"
#include "reports/process_manager.h"
#include "reports/report_layout.h"
#include "reports/report_procedure.h"
#include "reports/report_writer.h"

namespace vornel::bench {
namespace {

namespace fs = std::filesystem;
using platform::page::PageFolder;

constexpr int kPdfPages = 200;
constexpr int kPreviewFolderPages = 1'000;
constexpr int kPreviewWidth = 1200;  // pixels: a maximised preview at page width

void Check(bool ok, const char* what) { vornel::bench::Check(ok, "report_bench", what); }

const data::KeyDef& LogDay() {
  static const data::KeyDef* key = data::LogFile().FindKey("LOG:LOG_DAY");
  Check(key != nullptr, "LOG:LOG_DAY");
  return *key;
}

const data::FieldDef& LogDate() {
  static const data::FieldDef* field = data::LogFile().FindField("LOG:LOG_DATE");
  Check(field != nullptr, "LOG:LOG_DATE");
  return *field;
}

// The visits of the year, with the fees the report sums and a comment on
// every fifth to print.
void BuildLog(const fs::path& root, int visits) {
  const fs::path department = root / "VORNEL/1";
  fs::create_directories(department);
  auto store = data::MakeSqliteStore();
  Build(*store, data::LogFile(), department, visits, [](data::RecordFile& f, int n) {
    auto& visit = f.record<data::LogRecord>();
    FillYearVisit(visit, n);
    visit.TOTAL_FEE = 40 + n % 5 * 7.5;
    if (n % 5 == 0) platform::AssignPadded(visit.COMMENT, "FOLLOW-UP " + std::to_string(n % 97));
  });
}

// The data root of the year's visits, built once per run.
struct YearRoot {
  fs::path dir = MakeTempDir("vornel-report");
  std::unique_ptr<Root> root;
  YearRoot() {
    BuildLog(dir, kYearVisits);
    root = std::make_unique<Root>(dir);
  }
  ~YearRoot() {
    root.reset();
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path database() const { return dir / "VORNEL/1/records.db"; }
  static YearRoot& Get() {
    static YearRoot year;
    return year;
  }
};

// The per-record rule of the walk.
struct Tally {
  long records = 0;
  long shown = 0;
  double fees = 0;
  void Add(const data::LogRecord& visit) {
    ++records;
    fees += visit.TOTAL_FEE;
    if (platform::EqualNoCase(platform::ReadField(visit.TRANS_TYPE), "SHOW")) ++shown;
  }
  bool operator==(const Tally&) const = default;
};

// Walks the Log in LOG_DAY order with the step on the visit date, calling
// rule(visit) for each record until it answers false; the records walked.
template <typename Rule>
long Walk(data::FileRegistry& files, const data::ViewDef& view, long* progress_shown, Rule rule) {
  reports::ProcessManager process(files);
  std::uint8_t percentile = 0;
  const auto show = [progress_shown](int) { ++*progress_shown; };
  Check(process
            .InitWithStepManager(view, files.Relations(data::LogFile()), show, LogDate(),
                                 reports::ProcessManager::StepFor(LogDate()), &percentile)
            .ok(),
        "init");
  process.AddSortOrder(&LogDay());
  Check(process.Reset() == 0, "reset");
  const data::LogRecord& visit = files.Get(data::LogFile()).record<data::LogRecord>();
  int level = 0;
  while ((level = process.Next()) == 0) {
    if (!rule(visit)) break;
  }
  Check(level == 0 || level == 5, "walk");
  const long walked = process.RECORDSPROCESSED;
  process.Shutdown();
  return walked;
}

Tally StoreWalk(data::FileRegistry& files, long* progress_shown) {
  Tally tally;
  const data::ViewDef view(data::LogFile());
  Walk(files, view, progress_shown, [&tally](const data::LogRecord& visit) {
    tally.Add(visit);
    return true;
  });
  return tally;
}

// The floor: the same rows read with a plain statement, the percentage from
// the first and last dates as the step has it.
Tally RawWalk(const fs::path& database, long* progress_shown) {
  const data::SqliteTable log(data::LogFile(), "main");
  const std::string from = "SELECT " + log.columns() + " FROM " + log.name();
  sqlite3* db = nullptr;
  Check(sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK,
        "raw open");
  const auto prepare = [db](const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK, "raw prepare");
    return stmt;
  };
  data::LogRecord visit{};
  double limits[2] = {0, 0};
  for (int end = 0; end < 2; ++end) {
    sqlite3_stmt* edge = prepare(from + log.OrderBy(&LogDay(), end == 0) + " LIMIT 1");
    Check(sqlite3_step(edge) == SQLITE_ROW, "raw limit");
    ReadRawRow(data::LogFile(), edge, reinterpret_cast<char*>(&visit));
    limits[end] = visit.LOG_DATE;
    sqlite3_finalize(edge);
  }
  sqlite3_stmt* rows = prepare(from + log.OrderBy(&LogDay(), true));
  Tally tally;
  int percentile = 0;
  const double span = limits[1] - limits[0];
  while (sqlite3_step(rows) == SQLITE_ROW) {
    ReadRawRow(data::LogFile(), rows, reinterpret_cast<char*>(&visit));
    tally.Add(visit);
    const int percentage =
        span > 0 ? std::clamp(static_cast<int>((visit.LOG_DATE - limits[0]) * 100 / span), 0, 100) : 100;
    if (percentage != percentile) {
      percentile = percentage;
      ++*progress_shown;
    }
  }
  sqlite3_finalize(rows);
  sqlite3_close(db);
  return tally;
}

void BM_ReportWalk_Store(benchmark::State& state) {
  YearRoot& year = YearRoot::Get();
  long shown = 0;
  const Tally expected = RawWalk(year.database(), &shown);
  Check(StoreWalk(*year.root->files, &shown) == expected, "same visits");  // and warms the store's reads
  shown = 0;
  long records = 0;
  for (auto _ : state) {
    const Tally tally = StoreWalk(*year.root->files, &shown);
    records += tally.records;
    benchmark::DoNotOptimize(tally.fees);
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  state.counters["shown"] = benchmark::Counter(static_cast<double>(shown), benchmark::Counter::kAvgIterations);
}

void BM_ReportWalk_Raw(benchmark::State& state) {
  YearRoot& year = YearRoot::Get();
  long shown = 0;
  Check(RawWalk(year.database(), &shown).records == kYearVisits, "raw visits");  // warms the floor's reads
  shown = 0;
  long records = 0;
  for (auto _ : state) {
    const Tally tally = RawWalk(year.database(), &shown);
    records += tally.records;
    benchmark::DoNotOptimize(tally.fees);
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  state.counters["shown"] = benchmark::Counter(static_cast<double>(shown), benchmark::Counter::kAvgIterations);
}

// The report's layout on US Letter: the title, the department and "Page N
// of M" heading each page; each day opens with its date and closes with its
// total; a visit is a line of six fields; the year's total closes the report.
reports::ReportLayout VisitsLayout() {
  using namespace reports;
  ReportLayout layout;
  const std::string page_of = "Page " + std::string(kPageNumber) + " of " + std::string(kPageCount);
  layout.page_header = {450,
                        {Text(0, 0, "Visits by day", Bold(Sized(140))), Text(0, 250, "Department 1"),
                         Text(0, 0, page_of, {}, Align::kRight, 7500)}};
  layout.groups = {{.field = "LOG:LOG_DATE",
                    .header = {250, {FieldAt(0, 50, 1500, "LOG:LOG_DATE", "@d2", Align::kLeft, Bold())}},
                    .footer = {300,
                               {HLine(5500, 20, 2000), Text(3700, 80, "Day total", Bold()),
                                TotalAt(5500, 80, 2000, "day", "@n10.2", Bold())}}}};
  layout.detail = {180,
                   {FieldAt(0, 0, 1000, "LOG:LOG_DATE", "@d2"), FieldAt(1100, 0, 700, "LOG:EMPL_CODE", "@s5"),
                    FieldAt(1900, 0, 700, "LOG:CLCODE", "@n5", Align::kRight),
                    FieldAt(2800, 0, 800, "LOG:TRANS_TYPE", "@s5"), FieldAt(3700, 0, 2200, "LOG:COMMENT", "@s20"),
                    FieldAt(6000, 0, 1500, "LOG:TOTAL_FEE", "@n10.2", Align::kRight)}};
  layout.closing = {300, {Text(3700, 50, "Year total", Bold()), TotalAt(5500, 50, 2000, "year", "@n10.2", Bold())}};
  layout.totals = {{.name = "day", .field = "LOG:TOTAL_FEE", .reset = TotalReset::kGroup, .group = 0},
                   {.name = "year", .field = "LOG:TOTAL_FEE"}};
  return layout;
}

struct Printed {
  long records = 0;
  int pages = 0;
};

// The walk printing each visit into the folder; with `pages`, it stops once
// that many pages are made.
Printed PrintVisits(data::FileRegistry& files, PageFolder& folder, int pages = 0) {
  const data::ViewDef view(data::LogFile());
  const reports::ReportLayout layout = VisitsLayout();
  reports::ReportWriter writer(layout, folder, reports::ViewFields(view, files));
  Check(writer.problem().empty(), "layout");
  Tally tally;
  long shown = 0;
  Walk(files, view, &shown, [&](const data::LogRecord& visit) {
    tally.Add(visit);
    writer.Record();
    return pages == 0 || folder.count() < pages - 1;
  });
  Check(writer.Finish().empty(), "pages");
  Check(writer.records() == tally.records, "records printed");
  return {tally.records, folder.count()};
}

// A page folder in `parent`, by default the system's temporary folder as
// the program has it.
std::unique_ptr<PageFolder> NewFolder(const fs::path& parent = {}) {
  std::string why;
  std::unique_ptr<PageFolder> folder = PageFolder::Make(&why, parent);
  Check(folder != nullptr, "page folder");
  return folder;
}

void ReportPages(benchmark::State& state, const fs::path& parent) {
  YearRoot& year = YearRoot::Get();
  long records = 0;
  long pages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<PageFolder> folder = NewFolder(parent);
    state.ResumeTiming();
    const Printed printed = PrintVisits(*year.root->files, *folder);
    state.PauseTiming();
    records += printed.records;
    pages += printed.pages;
    folder.reset();  // its files deleted outside the timing
    state.ResumeTiming();
  }
  state.counters["pages"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kAvgIterations);
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}

void BM_ReportPages(benchmark::State& state) { ReportPages(state, {}); }

// The same with the folder in memory: the pages without the disk's file
// system, whose cost of making files grows with the files deleted lately.
void BM_ReportPages_Tmpfs(benchmark::State& state) {
  if (!fs::is_directory("/dev/shm")) {
    state.SkipWithError("no /dev/shm");
    return;
  }
  ReportPages(state, "/dev/shm");
}

// The first `pages` pages of the year's report, made once per run.
const PageFolder& FolderOf(int pages) {
  static std::map<int, std::unique_ptr<PageFolder>> folders;
  std::unique_ptr<PageFolder>& folder = folders[pages];
  if (folder == nullptr) {
    folder = NewFolder();
    Check(PrintVisits(*YearRoot::Get().root->files, *folder, pages).pages == pages, "folder pages");
  }
  return *folder;
}

void BM_RenderPdf(benchmark::State& state) {
  const PageFolder& folder = FolderOf(kPdfPages);
  const fs::path dir = MakeTempDir("vornel-pdf");
  const fs::path file = dir / "visits.pdf";
  platform::qt::QtPageOutput output;
  std::uintmax_t size = 0;
  for (auto _ : state) {
    const std::string why = output.WritePdf(folder, file, "Visits by day");
    state.PauseTiming();
    Check(why.empty(), "pdf");
    size = fs::file_size(file);
    fs::remove(file);
    state.ResumeTiming();
  }
  fs::remove_all(dir);
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * folder.count(),
                                                 benchmark::Counter::kIsRate);
  state.counters["KiB"] = static_cast<double>(size) / 1024.0;
}

// The first page of the folder as the preview draws it when it opens.
QImage PreviewFirstPage(const PageFolder& folder) {
  std::string why;
  const std::optional<platform::page::Page> page = folder.Read(1, &why);
  Check(page.has_value(), "first page");
  const double scale = static_cast<double>(kPreviewWidth) / page->width;
  QImage picture(kPreviewWidth, static_cast<int>(page->height * scale + 0.5), QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  platform::qt::PaintPage(painter, *page, scale);
  painter.end();
  return picture;
}

void BM_PreviewFirstPage(benchmark::State& state) {
  const PageFolder& folder = FolderOf(kPreviewFolderPages);
  // The process's first page, which finds the fonts as well.
  static const double first_ms = [&folder] {
    const auto started = std::chrono::steady_clock::now();
    PreviewFirstPage(folder);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  }();
  for (auto _ : state) {
    const QImage picture = PreviewFirstPage(folder);
    benchmark::DoNotOptimize(picture.constBits());
  }
  state.counters["first_ms"] = first_ms;
}

// Writes the measured report's PDF and its preview's first page into `dir`,
// to look at.
int WriteSamples(const fs::path& dir) {
  fs::create_directories(dir);
  const std::string why = platform::qt::QtPageOutput().WritePdf(FolderOf(kPdfPages), dir / "visits.pdf", "Visits by day");
  Check(why.empty(), "pdf");
  Check(PreviewFirstPage(FolderOf(kPdfPages)).save(QString::fromStdString((dir / "first-page.png").string())),
        "png");
  std::printf("%s\n%s\n", (dir / "visits.pdf").c_str(), (dir / "first-page.png").c_str());
  return 0;
}

BENCHMARK(BM_ReportWalk_Raw)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ReportWalk_Store)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ReportPages)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ReportPages_Tmpfs)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RenderPdf)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The walk and pages over the first `visits` visits of the year in a
// process of their own: the peak resident set and the pages made.
int MeasureMemory(int visits) {
  const fs::path dir = MakeTempDir("vornel-report-memory");
  const pid_t child = fork();
  Check(child >= 0, "fork");
  if (child == 0) {
    BuildLog(dir, visits);
    _exit(0);
  }
  int status = 0;
  Check(waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0, "building");
  Printed printed;
  {
    Root root(dir);
    std::unique_ptr<PageFolder> folder = NewFolder();
    printed = PrintVisits(*root.files, *folder);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("visits %ld pages %d peak_rss_kib %ld\n", printed.records, printed.pages, usage.ru_maxrss);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}

}  // namespace
}  // namespace vornel::bench

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--memory") == 0) return vornel::bench::MeasureMemory(std::atoi(argv[2]));
  // Pages are measured and painted with the toolkit's fonts, which need an
  // application; no screen is needed.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--samples") == 0) return vornel::bench::WriteSamples(argv[2]);
  return vornel::bench::RunWithRatios(
      argc, argv,
      {"_Store", "Report walk against its raw-SQLite floor (100,000 visits, warm):", {}, /*cpu=*/true});
}
