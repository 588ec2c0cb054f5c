#include "platform/qt/qt_page_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "platform/qt/qt_gui_thread.h"
#include "platform/qt/qt_page_painter.h"

namespace vornel::platform::qt {
namespace {

const QColor kBackground(0x80, 0x80, 0x80);
const QColor kShadow(0x40, 0x40, 0x40);
constexpr int kShadowOffset = 2;
constexpr int kFrameWidth = 2;  // the current page's highlight, in the gap around it

// What a page takes of the view: its own size, or a sheet of the usual size
// for one that could not be read.
QSizeF SheetOf(const std::optional<page::Page>& page) {
  const page::Page usual;
  if (!page || page->width <= 0 || page->height <= 0) return QSizeF(usual.width, usual.height);
  return QSizeF(page->width, page->height);
}

void FillFrame(QPainter& painter, const QRect& inner, int width, const QColor& colour) {
  const QRect outer = inner.adjusted(-width, -width, width, width);
  painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), width), colour);
  painter.fillRect(QRect(outer.left(), inner.bottom() + 1, outer.width(), width), colour);
  painter.fillRect(QRect(outer.left(), inner.top(), width, inner.height()), colour);
  painter.fillRect(QRect(inner.right() + 1, inner.top(), width, inner.height()), colour);
}

// The tiles' size along one side: what is left of `room` after the gaps,
// shared by `tiles`.
int TileSide(int room, int tiles) {
  return std::max(1, (room - (PageView::kGap * tiles + PageView::kGap)) / tiles);
}

}  // namespace

PageView::PageView(QWidget* parent) : QAbstractScrollArea(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(false);
}

QSize PageView::sizeHint() const { return QSize(720, 760); }

QSize PageView::minimumSizeHint() const { return QSize(600, 500); }

void PageView::Apply(const PageViewState& state) {
  if (loaded_ && state == state_) return;
  const bool other_pages = !loaded_ || state.files != state_.files || state.numbers != state_.numbers ||
                           state.page_count != state_.page_count;
  state_ = state;
  loaded_ = true;
  if (other_pages) Load();
  Layout();
  if (other_pages) {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
  }
}

void PageView::Load() {
  shown_.clear();
  shown_.resize(state_.files.size());
  for (std::size_t i = 0; i < state_.files.size(); ++i) {
    Shown& shown = shown_[i];
    shown.number = i < state_.numbers.size() ? state_.numbers[i] : static_cast<int>(i) + 1;
    std::ifstream in(state_.files[i], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    page::Page page;
    std::string why = in ? std::string() : std::string("its file cannot be read");
    if (why.empty() && !page::Decode(text.str(), page, &why) && why.empty()) why = "its file is damaged";
    if (!why.empty()) {
      shown.why = QString("Page %1 cannot be shown: %2.").arg(shown.number).arg(ToQt(why));
      continue;
    }
    page::FillPageCount(page, state_.page_count);
    shown.page = std::move(page);
  }
}

void PageView::Layout() {
  const int count = static_cast<int>(shown_.size());
  const int across = std::max(1, state_.across);
  const int down = std::max(1, state_.down);
  const int rows = std::max(state_.zoom == PageViewState::kTilePages ? down : 1, (count + across - 1) / across);
  QSizeF largest;
  for (const Shown& shown : shown_) largest = largest.expandedTo(SheetOf(shown.page));
  if (largest.isEmpty()) largest = SheetOf(std::nullopt);

  const QSize room = maximumViewportSize();
  const auto height_of = [&](int tile_height) { return rows * tile_height + kGap * (rows + 1); };
  int tile_width = 0;
  int tile_height = 0;
  double scale = 0;  // pixels per thousandth of an inch; 0: each page fits its tile
  if (state_.zoom == PageViewState::kTilePages) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tile_width = TileSide(room.width(), across);
    tile_height = TileSide(room.height(), down);
  } else if (state_.zoom == PageViewState::kPageWidth) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const auto fit = [&](int width) {
      tile_width = TileSide(width, across);
      scale = tile_width / largest.width();
      tile_height = static_cast<int>(std::lround(largest.height() * scale));
    };
    fit(room.width());
    // Pages taller than the view bring the scroll bar, which takes its width.
    if (height_of(tile_height) > room.height()) fit(room.width() - verticalScrollBar()->sizeHint().width());
  } else {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scale = std::max(1, state_.zoom) / 100.0 * logicalDpiX() / 1000.0;
    tile_width = std::max(1, static_cast<int>(std::lround(largest.width() * scale)));
    tile_height = std::max(1, static_cast<int>(std::lround(largest.height() * scale)));
  }
  content_ = QSize(across * tile_width + kGap * (across + 1), height_of(tile_height));

  for (int i = 0; i < count; ++i) {
    Shown& shown = shown_[static_cast<std::size_t>(i)];
    const QRect tile(kGap + (i % across) * (tile_width + kGap), kGap + (i / across) * (tile_height + kGap),
                     tile_width, tile_height);
    const QSizeF sheet = SheetOf(shown.page);
    const double fit = scale > 0 ? scale : std::min(tile_width / sheet.width(), tile_height / sheet.height());
    const QSize size(std::max(1, static_cast<int>(std::lround(sheet.width() * fit))),
                     std::max(1, static_cast<int>(std::lround(sheet.height() * fit))));
    shown.place = QRect(tile.topLeft() + QPoint((tile_width - size.width()) / 2, (tile_height - size.height()) / 2),
                        size);
    if (shown.drawn != size) Draw(shown);
  }
  UpdateScrollBars();
  viewport()->update();
}

void PageView::Draw(Shown& shown) const {
  const qreal ratio = devicePixelRatioF();
  const QSize size = shown.place.size();
  shown.picture = QPixmap(size * ratio);
  shown.picture.setDevicePixelRatio(ratio);
  shown.picture.fill(Qt::white);
  shown.drawn = size;
  QPainter painter(&shown.picture);
  if (shown.page) {
    PaintPage(painter, *shown.page, size.width() / SheetOf(shown.page).width());
    return;
  }
  painter.setPen(Qt::black);
  painter.setFont(font());
  const int margin = std::max(2, size.width() / 20);
  painter.drawText(QRect(QPoint(0, 0), size).adjusted(margin, margin, -margin, -margin),
                   Qt::AlignCenter | Qt::TextWordWrap, shown.why);
}

void PageView::UpdateScrollBars() {
  const QSize view = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, content_.width() - view.width()));
  horizontalScrollBar()->setPageStep(view.width());
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setRange(0, std::max(0, content_.height() - view.height()));
  verticalScrollBar()->setPageStep(view.height());
  verticalScrollBar()->setSingleStep(20);
}

QPoint PageView::Origin() const {
  const int spare = viewport()->width() - content_.width();
  const int x = spare > 0 ? spare / 2 : -horizontalScrollBar()->value();
  return QPoint(x, -verticalScrollBar()->value());
}

void PageView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), kBackground);
  const QPoint origin = Origin();
  const bool grid = shown_.size() > 1;
  for (const Shown& shown : shown_) {
    const QRect at = shown.place.translated(origin);
    if (!at.adjusted(-kGap, -kGap, kGap, kGap).intersects(event->rect())) continue;
    painter.fillRect(at.translated(kShadowOffset, kShadowOffset), kShadow);
    painter.drawPixmap(at.topLeft(), shown.picture);
    if (grid && state_.current != 0 && shown.number == state_.current)
      FillFrame(painter, at, kFrameWidth, palette().color(QPalette::Highlight));
  }
}

void PageView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (loaded_) Layout();
}

void PageView::scrollContentsBy(int, int) { viewport()->update(); }

}  // namespace vornel::platform::qt
