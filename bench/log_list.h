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

#include "bench/data_root.h"
#include "data/relation_manager.h"
#include "platform/headless/headless_window.h"
#include "ui/browse_manager.h"

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

}  // namespace vornel::bench
