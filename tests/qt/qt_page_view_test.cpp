// The page view control on the offscreen screen (96 dots an inch): the pages
// it is given, at each zoom, measured on the pixels of its viewport.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <cmath>
#include <filesystem>
#include <memory>

#include "platform/page/page_model.h"
#include "platform/qt/qt_page_view.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/temp_dir.h"

namespace vornel::platform::qt {
namespace {

constexpr int kGap = PageView::kGap;
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBackground = qRgb(0x80, 0x80, 0x80);

// Letter pages with a black square from one inch to three inches.
PageViewState Pages(const test::TempDir& dir, int count, int zoom, int across = 1, int down = 1) {
  PageViewState state{.page_count = count, .zoom = zoom, .across = across, .down = down};
  for (int n = 1; n <= count; ++n) {
    page::Page page;
    page.boxes = {{.x = 1000, .y = 1000, .width = 2000, .height = 2000, .thickness = 0, .fill = 0}};
    const std::filesystem::path file = dir / ("p" + std::to_string(n) + ".vpg");
    test::WriteFile(file, page::Encode(page));
    state.files.push_back(file.string());
    state.numbers.push_back(n);
  }
  return state;
}

// A frame, and in it a window of a page view (procedure thread).
struct Preview {
  Preview() {
    frame = Backend().windows().Open({.title = "VORNEL", .frame = true}, nullptr);
    ControlSpec view{.name = "?PAGES", .kind = ControlKind::kPageView};
    window = Backend().windows().Open({.procedure = "Preview", .title = "Preview", .controls = {view}}, nullptr);
    EXPECT_EQ(NextEvent(*window).kind, EventKind::kOpenWindow);
  }
  std::unique_ptr<Window> frame, window;
};

struct Seen {
  QImage image;
  QSize viewport, view;
  int horizontal_max = 0, vertical_max = 0;
  QRgb highlight = 0;
  // The white sheet around a point of it: its sides along the row through
  // the point, its top and bottom along its left edge, where pages have no ink.
  QRect PaperAround(QPoint inside) const {
    const auto white = [&](int x, int y) { return image.rect().contains(x, y) && image.pixel(x, y) == kWhite; };
    if (!white(inside.x(), inside.y())) return {};
    QRect paper(inside, inside);
    while (white(paper.left() - 1, inside.y())) paper.setLeft(paper.left() - 1);
    while (white(paper.right() + 1, inside.y())) paper.setRight(paper.right() + 1);
    while (white(paper.left(), paper.top() - 1)) paper.setTop(paper.top() - 1);
    while (white(paper.left(), paper.bottom() + 1)) paper.setBottom(paper.bottom() + 1);
    return paper;
  }
};

// The view once what was queued to it has been shown and laid out.
Seen Look(Window& window, const PageViewState& state) {
  window.SetPages(1, state);
  Seen seen;
  RunOnGui([&] { QApplication::processEvents(); });
  RunOnGui([&] {
    auto* view = SubWindow("Preview")->findChild<QAbstractScrollArea*>("?PAGES");
    ASSERT_NE(view, nullptr);
    seen.image = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    seen.viewport = view->viewport()->size();
    seen.view = view->size();
    seen.horizontal_max = view->horizontalScrollBar()->maximum();
    seen.vertical_max = view->verticalScrollBar()->maximum();
    seen.highlight = view->palette().color(QPalette::Highlight).rgb();
  });
  return seen;
}

TEST(QtPageView, ShowsItsPagesAtEachZoom) {
  RunProcedure([&] {
    test::TempDir dir;
    Preview preview;
    // One page the view's width: 3 pixels of grey at either side; taller
    // than the view, it scrolls down.
    Seen seen = Look(*preview.window, Pages(dir, 1, PageViewState::kPageWidth));
    EXPECT_GE(seen.view.width(), 600);
    EXPECT_GE(seen.view.height(), 500);
    const QRect paper = seen.PaperAround(QPoint(seen.viewport.width() / 2, 20));
    EXPECT_EQ(paper.left(), kGap);
    EXPECT_EQ(paper.right(), seen.viewport.width() - 1 - kGap);
    EXPECT_EQ(paper.top(), kGap);
    EXPECT_EQ(seen.horizontal_max, 0);
    EXPECT_EQ(seen.vertical_max, std::lround(paper.width() * 11 / 8.5) + 2 * kGap - seen.viewport.height());
    const double inch = paper.width() / 8.5;  // the square drawn to the page's scale
    EXPECT_EQ(qGray(seen.image.pixel(kGap + std::lround(2 * inch), kGap + std::lround(2 * inch))), 0);
    EXPECT_EQ(seen.image.pixel(kGap + std::lround(3.2 * inch), kGap + std::lround(2 * inch)), kWhite);

    // At its real size it scrolls both ways; at half of it, it stands in
    // the middle of the view.
    seen = Look(*preview.window, Pages(dir, 1, 100));
    EXPECT_EQ(seen.horizontal_max, 816 + 2 * kGap - seen.viewport.width());
    EXPECT_EQ(seen.vertical_max, 1056 + 2 * kGap - seen.viewport.height());
    seen = Look(*preview.window, Pages(dir, 1, 50));
    const QRect half = seen.PaperAround(QPoint(seen.viewport.width() / 2, 300));
    EXPECT_EQ(half.width(), 408);
    EXPECT_EQ(half.left(), (seen.viewport.width() - 408 - 2 * kGap) / 2 + kGap);

    // Two across share the view's width.
    seen = Look(*preview.window, Pages(dir, 2, PageViewState::kPageWidth, 2));
    const int width = (seen.viewport.width() - 3 * kGap) / 2;
    EXPECT_EQ(seen.PaperAround(QPoint(kGap + width / 2, 20)).width(), width);
    EXPECT_EQ(seen.PaperAround(QPoint(2 * kGap + width * 3 / 2, 20)).left(), 2 * kGap + width);
  });
}

TEST(QtPageView, TilesAGridFramesTheCurrentPageAndSaysWhatItCannotShow) {
  RunProcedure([&] {
    test::TempDir dir;
    Preview preview;
    PageViewState state = Pages(dir, 4, PageViewState::kTilePages, 2, 2);
    state.current = 3;
    Seen seen = Look(*preview.window, state);
    const QSize tile((seen.viewport.width() - 3 * kGap) / 2, (seen.viewport.height() - 3 * kGap) / 2);
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      const QRect place(QPoint(kGap + (i % 2) * (tile.width() + kGap), kGap + (i / 2) * (tile.height() + kGap)), tile);
      const QRect paper = seen.PaperAround(QPoint(place.center().x(), place.top() + tile.height() * 2 / 3));
      // Fitted to its tile, in its middle, its shape kept.
      EXPECT_TRUE(place.contains(paper));
      EXPECT_TRUE(std::abs(paper.width() - tile.width()) <= 1 || std::abs(paper.height() - tile.height()) <= 1);
      EXPECT_NEAR(paper.width() / static_cast<double>(paper.height()), 8.5 / 11, 0.01);
      EXPECT_NEAR(paper.center().x(), place.center().x(), 1);
      EXPECT_NEAR(paper.center().y(), place.center().y(), 1);
      EXPECT_EQ(seen.image.pixel(paper.left() - 1, paper.center().y()), i == 2 ? seen.highlight : kBackground);
    }
    EXPECT_EQ(seen.horizontal_max + seen.vertical_max, 0);

    // A damaged and a missing page say so in their tiles (no square, but
    // words); the other is drawn.
    state = Pages(dir, 3, PageViewState::kTilePages, 3, 1);
    test::WriteFile(state.files[1], "VPG1 not a page");
    state.files[2] = (dir / "gone.vpg").string();
    seen = Look(*preview.window, state);
    const int width = (seen.viewport.width() - 4 * kGap) / 3;
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(i);
      const QRect paper = seen.PaperAround(QPoint(kGap + i * (width + kGap) + width / 2, seen.viewport.height() * 2 / 3));
      ASSERT_FALSE(paper.isEmpty());
      int dark = 0;
      for (int y = paper.top(); y <= paper.bottom(); ++y) {
        for (int x = paper.left(); x <= paper.right(); ++x) dark += qGray(seen.image.pixel(x, y)) < 128 ? 1 : 0;
      }
      EXPECT_GT(dark, 0);
      const QPoint square = paper.topLeft() + QPoint(1, 1) * static_cast<int>(std::lround(2 * paper.width() / 8.5));
      EXPECT_EQ(qGray(seen.image.pixel(square)) == 0, i == 0);
    }
  });
}

}  // namespace
}  // namespace vornel::platform::qt
