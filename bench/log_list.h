#pragma once
// The list side of the list benchmarks, on any root with a Log in LOG_DAY
// order (bench/log_root.h): a list window holding one page of 20 rows, as a
// list procedure sets one up, and the operations measured on it.
//   FirstFill            a new list's first page with the thumb's limits
//                        (the first and the last record)
//   PageDownAfterOpen    the first page down of a freshly filled list
//   PageDownSteady       page after page down an open list
//   Bottom               Ctrl+End on a freshly filled list
//   Thumb37              the thumb dragged to 37% on a freshly filled list
// Each reports the records it read from the view.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "bench/data_root.h"
#include "data/dictionary/records.h"
#include "data/relation_manager.h"
#include "platform/headless/headless_window.h"
#include "platform/text.h"
#include "ui/browse_manager.h"
#include "ui/field_text.h"

namespace vornel::bench {

constexpr int kRows = 20;

struct LogList {
  platform::HeadlessWindowSystem windows;
  ui::ThreadState thread;
  ui::WindowManager window;
  ui::BrowseManager browse;

  explicit LogList(Root& root) : thread(root.context), window(windows, root.errors), browse(window, thread) {
    platform::WindowSpec spec;
    spec.title = "Browse the Daily Log File";
    platform::ControlSpec list;
    list.kind = platform::ControlKind::kList;
    spec.controls = {list};
    window.Open(spec);
    windows.WaitForWindow(spec.title)->SetVisibleRows(1, kRows);
    browse.Init(1, data::ViewDef(data::LogFile()), thread.files.Relations(data::LogFile()));
    browse.AddSortOrder(data::LogFile().FindKey("LOG_DAY"), std::make_unique<ui::WholeNumberStep>());
    browse.AddField(*data::LogFile().FindField("LOG_DATE"), "@d2");
    browse.AddField(*data::LogFile().FindField("EMPL_CODE"), "@s5");
    browse.AddField(*data::LogFile().FindField("CLCODE"), "@n5");
    browse.AddField(*data::LogFile().FindField("TRANS_TYPE"), "@s6");
  }
  ~LogList() { browse.Shutdown(); }
  void Fill() { browse.SelectSortOrder(1, true); }
};

// Runs `operation` on a freshly filled list per iteration; counts its reads.
template <typename Operation>
void ListOperation(benchmark::State& state, Root& root, Operation operation, bool measure_fill = false) {
  long reads = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<LogList>(root);
    if (!measure_fill) list->Fill();
    const long before = list->browse.reads;
    state.ResumeTiming();
    if (measure_fill) list->Fill();
    operation(list->browse);
    state.PauseTiming();
    reads = list->browse.reads - before;
    Check(static_cast<int>(list->browse.rows().size()) == kRows, "list bench", "a full page");
    list.reset();
    state.ResumeTiming();
  }
  state.counters["reads"] = static_cast<double>(reads);
}

inline void ListFirstFill(benchmark::State& state, Root& root) {
  ListOperation(state, root, [](ui::BrowseManager&) {}, true);
}
inline void ListPageDownAfterOpen(benchmark::State& state, Root& root) {
  ListOperation(state, root, [](ui::BrowseManager& b) { b.ScrollPage(platform::ScrollKind::kPageDown); });
}
inline void ListBottom(benchmark::State& state, Root& root) {
  ListOperation(state, root, [](ui::BrowseManager& b) { b.ScrollEnd(platform::ScrollKind::kBottom); });
}
inline void ListThumb37(benchmark::State& state, Root& root) {
  ListOperation(state, root, [](ui::BrowseManager& b) { b.MoveThumbTo(37); });
}

// Page after page down one open list, back to the top every 1,000 pages.
inline void ListPageDownSteady(benchmark::State& state, Root& root) {
  LogList list(root);
  list.Fill();
  long pages = 0;
  const long before = list.browse.reads;
  for (auto _ : state) {
    if (++pages % 1000 == 0) {
      state.PauseTiming();
      list.browse.ScrollEnd(platform::ScrollKind::kTop);
      state.ResumeTiming();
    }
    list.browse.ScrollPage(platform::ScrollKind::kPageDown);
  }
  state.counters["reads"] = static_cast<double>(list.browse.reads - before) / static_cast<double>(pages);
}

// What every floor of the list keeps: the list's columns with their
// pictures, the cells it formats, and its edge row, the last one read, where
// the next page starts. A floor reads each row into edge_ (with
// edge_position_) and formats the rows of the page with Format().
class LogFloorPage {
 public:
  struct Edge {
    data::LogRecord record;
    std::int64_t position;
  };
  LogFloorPage() {
    for (const auto& [name, picture] : std::vector<std::pair<const char*, const char*>>{
             {"LOG_DATE", "@d2"}, {"EMPL_CODE", "@s5"}, {"CLCODE", "@n5"}, {"TRANS_TYPE", "@s6"}})
      columns_.push_back({data::LogFile().FindField(name), ui::ColumnPicture(picture)});
  }
  void ClearCells() { cells_.clear(); }
  Edge edge() const { return {edge_, edge_position_}; }
  void set_edge(const Edge& edge) {
    edge_ = edge.record;
    edge_position_ = edge.position;
  }

 protected:
  void Format() {
    const std::span<const char> record(reinterpret_cast<const char*>(&edge_), sizeof edge_);
    for (const Column& column : columns_)
      cells_.push_back(ui::FieldText(data::LogFile(), *column.field, record, column.picture));
  }
  // The edge row's staff code without its blanks, as a key value.
  std::string EdgeStaff() const {
    return std::string(platform::Clip(std::string_view(edge_.EMPL_CODE, sizeof edge_.EMPL_CODE)));
  }

  data::LogRecord edge_{};
  std::int64_t edge_position_ = 0;

 private:
  struct Column {
    const data::FieldDef* field;
    std::optional<platform::Picture> picture;
  };
  std::vector<Column> columns_;
  std::vector<std::string> cells_;
};

// The floors of the same operations, on a floor with First(rows),
// Last(rows), FromDay(day, rows), After(rows) (the rows after its edge
// row), edge()/set_edge() and ClearCells(); each answers the rows it read.
template <typename Floor, typename Work>
void FloorOperation(benchmark::State& state, Floor& floor, Work work) {
  int reads = 0;
  for (auto _ : state) {
    floor.ClearCells();
    reads = work(floor);
  }
  state.counters["reads"] = reads;
}

// The first page and the thumb's limits: the first and the last record.
template <typename Floor>
void FloorFirstFill(benchmark::State& state, Floor& floor) {
  FloorOperation(state, floor, [](Floor& f) { return f.First(1) + f.Last(1) + f.First(kRows); });
}
// The page after a first page, read on from its edge row as the list reads it.
template <typename Floor>
void FloorPageDownAfterOpen(benchmark::State& state, Floor& floor) {
  floor.First(kRows);
  const auto first_page = floor.edge();
  FloorOperation(state, floor, [&](Floor& f) {
    f.set_edge(first_page);
    return f.After(kRows);
  });
}
template <typename Floor>
void FloorPageDownSteady(benchmark::State& state, Floor& floor) {
  floor.First(kRows);
  long pages = 0;
  FloorOperation(state, floor, [&](Floor& f) {
    if (++pages % 1000 == 0) f.First(kRows);
    return f.After(kRows);
  });
}
template <typename Floor>
void FloorBottom(benchmark::State& state, Floor& floor) {
  FloorOperation(state, floor, [](Floor& f) { return f.Last(kRows); });
}
// The page from the day 37% of the way through the key's range.
template <typename Floor>
void FloorThumb37(benchmark::State& state, Floor& floor, int first_day, int days) {
  FloorOperation(state, floor, [&](Floor& f) { return f.FromDay(first_day + (days - 1) * 37 / 100, kRows); });
}

// Registers the list's operations and their floors as the pairs
// BM_<Operation>_Store / BM_<Operation>_Raw, the floor first in every other
// pair. `root` gives the root of the list; `make_floor` a new floor (a
// std::unique_ptr) for each floor benchmark.
template <typename GetRoot, typename MakeFloor>
void RegisterListBenchmarks(GetRoot root, MakeFloor make_floor, int first_day, int days) {
  using Floor = typename decltype(make_floor())::element_type;
  const auto store = [root](const char* name, void (*operation)(benchmark::State&, Root&)) {
    return benchmark::RegisterBenchmark(name, [root, operation](benchmark::State& state) { operation(state, root()); })
        ->Unit(benchmark::kMillisecond);
  };
  const auto floor = [make_floor](const char* name, void (*operation)(benchmark::State&, Floor&)) {
    return benchmark::RegisterBenchmark(name, [make_floor, operation](benchmark::State& state) {
             auto made = make_floor();
             operation(state, *made);
           })
        ->Unit(benchmark::kMillisecond);
  };
  floor("BM_FirstFill_Raw", &FloorFirstFill<Floor>);
  store("BM_FirstFill_Store", &ListFirstFill)->Iterations(200);
  store("BM_PageDownAfterOpen_Store", &ListPageDownAfterOpen)->Iterations(200);
  floor("BM_PageDownAfterOpen_Raw", &FloorPageDownAfterOpen<Floor>);
  floor("BM_PageDownSteady_Raw", &FloorPageDownSteady<Floor>);
  store("BM_PageDownSteady_Store", &ListPageDownSteady);
  store("BM_Bottom_Store", &ListBottom)->Iterations(200);
  floor("BM_Bottom_Raw", &FloorBottom<Floor>);
  benchmark::RegisterBenchmark("BM_Thumb37_Raw", [make_floor, first_day, days](benchmark::State& state) {
    auto made = make_floor();
    FloorThumb37(state, *made, first_day, days);
  })->Unit(benchmark::kMillisecond);
  store("BM_Thumb37_Store", &ListThumb37)->Iterations(200);
}

}  // namespace vornel::bench
