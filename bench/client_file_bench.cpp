// The client list and the client form on an agency's largest client file:
// 30,000 clients and 1,000,000 visits in department 1 (vornel-demo, made once
// per run), client 3516 given 500 visits. The program runs in this process
// on headless windows; each measurement is what the user does and lasts
// until the window waits for the user again:
//   FirstFill    the menu item to the filled list (by last name)
//   Locate       "Mor" typed into "ind Last Name:"
//   PageDown     a steady page down on the name order
//   ActiveFirst  F6 (active and pending, in the file's order) to its first page
//   ActiveLast   Ctrl+End on that filter: its last page
//   ClientForm   Change on client 3516 to the form with its tab lists filled,
//                then the "&Visit History" tab shown
// Each has a floor, BM_<name>_Raw: raw SQLite reading the same rows by the
// same keys and formatting the same cells with the same pictures (parsed
// once, statements prepared once). Times are wall times; the CPU time is
// the process's, since the list works on its own thread.
#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/script/script_runner.h"
#include "bench/program_run.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_rows.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/store/record_store.h"
#include "data/store/sqlite_table.h"
#include "platform/headless/headless_message_display.h"
#include "platform/headless/headless_window.h"
#include "platform/picture.h"

namespace {

using namespace vornel;
namespace fs = std::filesystem;

constexpr int kBusyClient = 3516;
constexpr int kBusyVisits = 500;
constexpr const char* kListTitle = "Browse the Client File";

// Gives the busy client visits copied from other clients' until he has 500.
void GiveVisits(const fs::path& department) {
  std::unique_ptr<data::RecordStore> store = data::MakeSqliteStore();
  std::unique_ptr<data::RecordFile> log = store->MakeFile(data::LogFile(), department);
  bench::Check(log->Open(data::kOpenNormal) == data::kStoreOk, "client_file_bench", "open Log");
  std::vector<data::LogRecord> copies;
  int his = 0;
  std::int32_t last_number = 0;
  log->SetOrder(nullptr);
  while (log->Next() == data::kStoreOk) {
    const data::LogRecord& visit = log->record<data::LogRecord>();
    last_number = std::max(last_number, visit.LOG_NO);
    if (visit.CLCODE == kBusyClient) ++his;
    else if (copies.size() < kBusyVisits) copies.push_back(visit);
  }
  for (int n = his; n < kBusyVisits; ++n) {
    data::LogRecord& visit = log->record<data::LogRecord>();
    visit = copies[static_cast<std::size_t>(n - his)];
    visit.CLCODE = kBusyClient;
    visit.LOG_NO = ++last_number;
    bench::Check(log->Add() == data::kStoreOk, "client_file_bench", "add a visit");
  }
  log->Close();
}

const bench::DemoRoot& ClientRoot() {
  static const bench::DemoRoot demo(30000, 24, {"--visits", "1000000", "--today", "2026-12-07"});
  static const bool given = demo.ok && (GiveVisits(demo.root / "VORNEL" / "1"), true);
  (void)given;
  return demo;
}

// The program on the client root, its frame open.
struct RunningProgram {
  platform::HeadlessWindowSystem windows;
  platform::HeadlessMessageDisplay display;
  app::Program program;
  app::script::ScriptRunner runner;

  explicit RunningProgram(const fs::path& root)
      : program(platform::PathMap(root, root / "config"), windows, display),
        runner(program, windows, display, std::chrono::seconds(30)) {
    program.StartMain();
    bench::Check(runner.Run("frame\n", "bench").ok, "client_file_bench", "the frame");
  }
  ~RunningProgram() { runner.CloseProgram(); }

  std::shared_ptr<platform::HeadlessWindow> Open(const char* procedure, const char* title) {
    program.Start(procedure);
    std::shared_ptr<platform::HeadlessWindow> window = windows.WaitForWindow(title, std::chrono::seconds(30));
    bench::Check(window != nullptr && window->WaitIdle(std::chrono::seconds(30)), "client_file_bench", title);
    return window;
  }
  static void Close(const std::shared_ptr<platform::HeadlessWindow>& window) {
    window->RequestClose();
    window->WaitIdle(std::chrono::seconds(30));
  }
};

RunningProgram& Running() {
  static RunningProgram running(ClientRoot().root);
  return running;
}

void Idle(platform::HeadlessWindow& window) {
  bench::Check(window.WaitIdle(std::chrono::seconds(30)), "client_file_bench", "the window stays busy");
}

int Rows(const platform::HeadlessWindow& window, const char* list) {
  return static_cast<int>(window.State(list).rows.size());
}

bool RootMade(benchmark::State& state) {
  if (ClientRoot().ok) return true;
  state.SkipWithError("vornel-demo could not make the client root");
  return false;
}

// --- the program ---

void BM_FirstFill(benchmark::State& state) {
  if (!RootMade(state)) return;
  RunningProgram& running = Running();
  int rows = 0;
  for (auto _ : state) {
    auto list = running.Open("BrowseClient", kListTitle);
    state.PauseTiming();
    rows = Rows(*list, "?List");
    RunningProgram::Close(list);
    state.ResumeTiming();
  }
  state.counters["rows"] = rows;
}

// Runs `step` on an open list per iteration, after `prepare` (not timed).
template <typename Prepare, typename Step>
void OnTheList(benchmark::State& state, Prepare prepare, Step step) {
  if (!RootMade(state)) return;
  RunningProgram& running = Running();
  auto list = running.Open("BrowseClient", kListTitle);
  const int control = list->Control("?List");
  for (auto _ : state) {
    state.PauseTiming();
    prepare(*list, control);
    Idle(*list);
    state.ResumeTiming();
    step(*list, control);
    Idle(*list);
  }
  state.counters["rows"] = Rows(*list, "?List");
  RunningProgram::Close(list);
}

void BM_Locate(benchmark::State& state) {
  OnTheList(
      state, [](platform::HeadlessWindow& w, int) { w.Type("?Locator", "A"); },
      [](platform::HeadlessWindow& w, int) { w.Type("?Locator", "Mor"); });
}

void BM_PageDown(benchmark::State& state) {
  int pages = 0;
  OnTheList(
      state,
      [&pages](platform::HeadlessWindow& w, int list) {
        if (++pages % 500 == 0) w.Scroll(list, platform::kTop);  // stays in the file
      },
      [](platform::HeadlessWindow& w, int list) { w.Scroll(list, platform::kPageDown); });
}

void BM_ActiveFirst(benchmark::State& state) {
  OnTheList(
      state, [](platform::HeadlessWindow& w, int list) { w.Key(list, platform::kKeyF2 + 3); },
      [](platform::HeadlessWindow& w, int list) { w.Key(list, platform::kKeyF2 + 4); });
}

void BM_ActiveLast(benchmark::State& state) {
  OnTheList(
      state,
      [](platform::HeadlessWindow& w, int list) {
        w.Key(list, platform::kKeyF2 + 4);
        w.WaitIdle();
        w.Scroll(list, platform::kTop);
      },
      [](platform::HeadlessWindow& w, int list) { w.Scroll(list, platform::kBottom); });
}

void BM_ClientForm(benchmark::State& state) {
  if (!RootMade(state)) return;
  RunningProgram& running = Running();
  auto list = running.Open("BrowseClient", kListTitle);
  list->ShowTab(list->Control("?Tab2"));
  Idle(*list);
  list->Type("?Locator", std::to_string(kBusyClient));
  Idle(*list);
  int visits = 0;
  for (auto _ : state) {
    list->Press("?Change");
    auto form = running.windows.WaitForWindow("Changing a Client Record", std::chrono::seconds(30));
    bench::Check(form != nullptr, "client_file_bench", "the client form");
    Idle(*form);
    int tab = 0;
    for (std::size_t c = 0; c < form->spec().controls.size(); ++c)
      if (form->spec().controls[c].kind == platform::ControlKind::kTab &&
          form->spec().controls[c].text == "&Visit History")
        tab = static_cast<int>(c + 1);
    form->ShowTab(tab);
    Idle(*form);
    state.PauseTiming();
    visits = Rows(*form, "?Visits");
    form->Press("?Cancel");
    Idle(*list);
    state.ResumeTiming();
  }
  state.counters["rows"] = visits;
  RunningProgram::Close(list);
}

// --- the floors ---

// A raw statement over department 1 and the cells of each row it reads,
// formatted through the list's pictures.
class RawList {
 public:
  struct Column {
    const char* field;
    const char* picture;
  };
  RawList(const bench::RawDatabase& db, const data::FileDef& file, std::vector<Column> columns,
          const std::string& tail)
      : file_(file) {
    std::string select;
    for (const Column& c : columns) {
      const data::FieldDef* field = file.FindField(c.field);
      bench::Check(field != nullptr, "client_file_bench", c.field);
      select += (select.empty() ? "" : ",") + data::QuoteName(data::ColumnName(*field));
      pictures_.push_back(*platform::Picture::Parse(c.picture));
      numeric_.push_back(field->type != data::FieldType::kText);
    }
    stmt_ = db.Prepare("SELECT " + select + " FROM " + data::QuoteName(file.label) + " " + tail);
  }
  sqlite3_stmt* stmt() const { return stmt_; }

  // Steps the bound statement to its end; the rows' cells into `cells`.
  int Read(std::vector<std::string>& cells) const {
    int rows = 0;
    while (sqlite3_step(stmt_) == SQLITE_ROW) {
      ++rows;
      for (int c = 0; c < static_cast<int>(pictures_.size()); ++c) {
        const platform::Picture& picture = pictures_[static_cast<std::size_t>(c)];
        if (numeric_[static_cast<std::size_t>(c)]) {
          cells.push_back(picture.Format(sqlite3_column_double(stmt_, c)));
        } else {
          const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
          cells.push_back(picture.FormatText(text != nullptr ? text : ""));
        }
      }
    }
    sqlite3_reset(stmt_);
    return rows;
  }

 private:
  const data::FileDef& file_;
  std::vector<platform::Picture> pictures_;
  std::vector<bool> numeric_;
  sqlite3_stmt* stmt_ = nullptr;
};

const std::vector<RawList::Column> kClientColumns = {
    {"CLCODE", "@n_7"},    {"CLLNAME", "@s30"},   {"CLFNAME", "@s15"},   {"CLMID", "@s1"},  {"CURRENT", "@s1"},
    {"ADMDATE", "@d2"},    {"BIRTHDATE", "@d2"},  {"DIAG_CODE", "@s6"},  {"SEX", "@s1"},    {"PAYFLG", "@s1"},
    {"LAST_SEEN", "@d2"},  {"BAL_DUE", "@n-10.2"}, {"NUM_VSTS", "@n_3"}};
constexpr const char* kNameOrder =
    "ORDER BY \"CLLNAME\" COLLATE NOCASE,\"CLFNAME\" COLLATE NOCASE,\"~pos\" LIMIT ?4";

struct Floor {
  bench::RawDatabase db{ClientRoot().root / "VORNEL" / "1" / "records.db", "client_file_bench"};
  int rows = ShownRows();
  // The rows the list shows a page of.
  static int ShownRows() {
    auto list = Running().Open("BrowseClient", kListTitle);
    const int shown = list->VisibleRows(list->Control("?List"));
    RunningProgram::Close(list);
    return shown;
  }
};

Floor& TheFloor() {
  static Floor floor;
  return floor;
}

// Runs `read` per iteration; it answers the rows it read.
template <typename Read>
void RawOperation(benchmark::State& state, Read read) {
  if (!RootMade(state)) return;
  Floor& floor = TheFloor();
  int rows = 0;
  for (auto _ : state) {
    std::vector<std::string> cells;
    rows = read(floor, cells);
    benchmark::DoNotOptimize(cells.data());
  }
  state.counters["rows"] = rows;
}

void BM_FirstFill_Raw(benchmark::State& state) {
  Floor& floor = TheFloor();
  RawList page(floor.db, data::ClientFile(), kClientColumns,
               std::string("WHERE (\"CLLNAME\",\"CLFNAME\",\"~pos\")>=('' COLLATE NOCASE,'' COLLATE NOCASE,?3) ") +
                   kNameOrder);
  RawOperation(state, [&](Floor& f, std::vector<std::string>& cells) {
    sqlite3_bind_int(page.stmt(), 3, 0);
    sqlite3_bind_int(page.stmt(), 4, f.rows);
    return page.Read(cells);
  });
}

void BM_Locate_Raw(benchmark::State& state) {
  Floor& floor = TheFloor();
  RawList page(floor.db, data::ClientFile(), kClientColumns,
               std::string("WHERE (\"CLLNAME\",\"CLFNAME\",\"~pos\")>=(?1 COLLATE NOCASE,'' COLLATE NOCASE,0) ") +
                   kNameOrder);
  RawOperation(state, [&](Floor& f, std::vector<std::string>& cells) {
    sqlite3_bind_text(page.stmt(), 1, "Mor", -1, SQLITE_STATIC);
    sqlite3_bind_int(page.stmt(), 4, f.rows);
    return page.Read(cells);
  });
}

// Pages down from the first row on, the next page's start bound from the
// last row read, as a list reads after its edge row.
void BM_PageDown_Raw(benchmark::State& state) {
  Floor& floor = TheFloor();
  RawList page(floor.db, data::ClientFile(), kClientColumns,
               std::string("WHERE (\"CLLNAME\",\"CLFNAME\",\"~pos\")>(?1 COLLATE NOCASE,?2 COLLATE NOCASE,?3) ") +
                   kNameOrder);
  sqlite3_stmt* edge = floor.db.Prepare(
      "SELECT \"CLLNAME\",\"CLFNAME\",\"~pos\" FROM \"Client\" WHERE (\"CLLNAME\",\"CLFNAME\",\"~pos\")>"
      "(?1 COLLATE NOCASE,?2 COLLATE NOCASE,?3) ORDER BY \"CLLNAME\" COLLATE NOCASE,\"CLFNAME\" COLLATE "
      "NOCASE,\"~pos\" LIMIT 1 OFFSET ?4");
  std::string last = "", first = "";
  long long pos = 0;
  int pages = 0;
  RawOperation(state, [&](Floor& f, std::vector<std::string>& cells) {
    if (++pages % 500 == 0) last = first = "", pos = 0;
    for (sqlite3_stmt* s : {page.stmt(), edge}) {
      sqlite3_bind_text(s, 1, last.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 2, first.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(s, 3, pos);
    }
    sqlite3_bind_int(page.stmt(), 4, f.rows);
    const int read = page.Read(cells);
    sqlite3_bind_int(edge, 4, f.rows - 1);
    if (sqlite3_step(edge) == SQLITE_ROW) {
      last = reinterpret_cast<const char*>(sqlite3_column_text(edge, 0));
      first = reinterpret_cast<const char*>(sqlite3_column_text(edge, 1));
      pos = sqlite3_column_int64(edge, 2);
    }
    sqlite3_reset(edge);
    return read;
  });
}

void BM_ActiveFirst_Raw(benchmark::State& state) {
  Floor& floor = TheFloor();
  RawList page(floor.db, data::ClientFile(), kClientColumns,
               "WHERE \"CURRENT\" IN ('A','P') ORDER BY \"~pos\" LIMIT ?1");
  RawOperation(state, [&](Floor& f, std::vector<std::string>& cells) {
    sqlite3_bind_int(page.stmt(), 1, f.rows);
    return page.Read(cells);
  });
}

void BM_ActiveLast_Raw(benchmark::State& state) {
  Floor& floor = TheFloor();
  RawList page(floor.db, data::ClientFile(), kClientColumns,
               "WHERE \"CURRENT\" IN ('A','P') ORDER BY \"~pos\" DESC LIMIT ?1");
  RawOperation(state, [&](Floor& f, std::vector<std::string>& cells) {
    sqlite3_bind_int(page.stmt(), 1, f.rows);
    return page.Read(cells);
  });
}

// The client by his number, every field formatted as the form shows it, and
// the first page of each of the form's six lists.
void BM_ClientForm_Raw(benchmark::State& state) {
  Floor& floor = TheFloor();
  std::vector<RawList::Column> every;
  std::vector<std::string> names;
  for (const data::FieldDef& field : data::ClientFile().fields) names.emplace_back(field.name);
  for (std::size_t f = 0; f < names.size(); ++f)
    every.push_back({names[f].c_str(), data::ClientFile().fields[f].type == data::FieldType::kText ? "@s40" : "@n-12.2"});
  RawList client(floor.db, data::ClientFile(), every, "WHERE \"CLCODE\"=?1");
  const auto by_client = [](const char* field, const char* order) {
    return std::string("WHERE \"") + field + "\"=?1 ORDER BY " + order + ",\"~pos\" LIMIT ?2";
  };
  std::vector<std::unique_ptr<RawList>> lists;
  lists.push_back(std::make_unique<RawList>(floor.db, data::Cli_cmmtFile(),
                                            std::vector<RawList::Column>{{"COMMENT", "@s60"}, {"COM_DATE", "@d2"}},
                                            by_client("CLI_CODE", "\"COM_DATE\"")));
  lists.push_back(std::make_unique<RawList>(
      floor.db, data::Ins_cardFile(),
      std::vector<RawList::Column>{{"VEN_CODE", "@s3"}, {"VEN_TYPE", "@s2"}, {"RECIPIENT", "@s14"},
                                   {"SSN", "@s15"}, {"WILL_PAY", "@n10.2"}, {"CO_PREL", "@s2"}},
      by_client("CLCODE", "\"VEN_CODE\" COLLATE NOCASE")));
  lists.push_back(std::make_unique<RawList>(
      floor.db, data::GrpassinFile(), std::vector<RawList::Column>{{"GRP_CODE", "@n_4"}, {"LASTNAME", "@s30"}},
      by_client("CLI_CODE", "\"CLI_CODE\"")));
  lists.push_back(std::make_unique<RawList>(
      floor.db, data::LogFile(),
      std::vector<RawList::Column>{{"LOG_NO", "@n_8"}, {"LOG_DATE", "@d2"}, {"SERV_CODE", "@s4"},
                                   {"EMPL_CODE", "@s5"}, {"TRANS_TYPE", "@s5"}, {"UNITS", "@n6.2"},
                                   {"CLI_PAID", "@n-10.2"}, {"TOTAL_FEE", "@n-10.2"}, {"GROUPFLAG", "@s1"}},
      by_client("CLCODE", "\"LOG_DATE\"")));
  lists.push_back(std::make_unique<RawList>(
      floor.db, data::LineitemFile(),
      std::vector<RawList::Column>{{"LOG_NO", "@n_8"}, {"VEN_CODE", "@s3"}, {"DATE_PAID", "@d2"},
                                   {"AMOUNT_DUE", "@n-10.2"}, {"AMOUNT", "@n-10.2"}, {"STATUS", "@s1"},
                                   {"SERV_DATE", "@d2"}},
      by_client("CLCODE", "\"DATE_PAID\"")));
  lists.push_back(std::make_unique<RawList>(
      floor.db, data::ClipmtsFile(),
      std::vector<RawList::Column>{{"LOG_NO", "@n_8"}, {"CHARGES", "@n10.2"}, {"PREVBAL", "@n-10.2"},
                                   {"AMOUNT", "@n-10.2"}, {"NEWBAL", "@n-10.2"}, {"DATE", "@d2"},
                                   {"STATUS", "@s1"}},
      by_client("CLCODE", "\"DATE\",\"TIME\"")));
  RawOperation(state, [&](Floor& f, std::vector<std::string>& cells) {
    sqlite3_bind_int(client.stmt(), 1, kBusyClient);
    int rows = client.Read(cells);
    for (const auto& list : lists) {
      sqlite3_bind_int(list->stmt(), 1, kBusyClient);
      sqlite3_bind_int(list->stmt(), 2, f.rows);  // the form's lists show as many
      rows += list->Read(cells);
    }
    return rows;
  });
}

#define CLIENT_BENCH(name) BENCHMARK(name)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)
CLIENT_BENCH(BM_FirstFill);
CLIENT_BENCH(BM_FirstFill_Raw);
CLIENT_BENCH(BM_Locate);
CLIENT_BENCH(BM_Locate_Raw);
CLIENT_BENCH(BM_PageDown);
CLIENT_BENCH(BM_PageDown_Raw);
CLIENT_BENCH(BM_ActiveFirst);
CLIENT_BENCH(BM_ActiveFirst_Raw);
CLIENT_BENCH(BM_ActiveLast);
CLIENT_BENCH(BM_ActiveLast_Raw);
CLIENT_BENCH(BM_ClientForm);
CLIENT_BENCH(BM_ClientForm_Raw);

}  // namespace

int main(int argc, char** argv) {
  return vornel::bench::RunWithRatios(
      argc, argv, vornel::bench::RatioReporter("", "The client file against raw SQLite:", {}, true));
}
