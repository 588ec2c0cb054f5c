// The page painter at 100 dots an inch (a tenth of a pixel per thousandth of
// an inch): what it draws lands where the page says, measured on the pixels.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include "platform/qt/qt_page_painter.h"
#include "tests/qt/qt_test_support.h"

namespace vornel::platform::qt {
namespace {

QImage Painted(const page::Page& page, double scale = 0.1) {
  QImage image(static_cast<int>(page.width * scale), static_cast<int>(page.height * scale), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintPage(painter, page, scale);
  return image;
}

int Grey(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); }

// The smallest rectangle holding every dark pixel of the rows.
QRect Ink(const QImage& image, int top, int rows) {
  QRect ink;
  for (int y = top; y < top + rows; ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Grey(image, x, y) < 128) ink |= QRect(x, y, 1, 1);
    }
  }
  return ink;
}

TEST(PagePainter, BoxesAndLinesLieWhereThePageSays) {
  page::Page page;
  page.boxes = {{.x = 1000, .y = 1000, .width = 2000, .height = 1000, .thickness = 20, .fill = 200}};
  page.lines = {{.x1 = 1000, .y1 = 3000, .x2 = 5000, .y2 = 3000, .thickness = 20}};
  const QImage image = Painted(page);
  EXPECT_EQ(Grey(image, 200, 150), 200);
  // The border, 2 pixels, lies inside the box's edges.
  EXPECT_GT(Grey(image, 99, 150), 250);
  EXPECT_LT(Grey(image, 100, 150), 64);
  EXPECT_LT(Grey(image, 101, 150), 64);
  EXPECT_LT(Grey(image, 299, 150), 64);
  EXPECT_GT(Grey(image, 300, 150), 250);
  // The line is centred on y = 300 and ends where it ends.
  EXPECT_EQ(Ink(image, 280, 40), QRect(100, 299, 400, 2));
}

TEST(PagePainter, TextsStandOnTheirLineAndAlignInTheirBoxAtAnyScale) {
  page::Page page;
  const auto text = [](int y, int width, page::Align align) {
    return page::TextRun{.x = 1000, .y = y, .width = width, .align = align, .font = {.size = 200}, .text = "HHHH"};
  };
  page.texts = {text(1000, 0, page::Align::kLeft), text(2000, 6000, page::Align::kRight),
                text(3000, 6000, page::Align::kCenter), text(4000, 0, page::Align::kRight)};
  const QImage image = Painted(page);
  // 20 points: capitals 20 pixels high whose tops lie the ascent less their
  // height (about 5.5 pixels) below the line's top.
  const QRect left = Ink(image, 80, 60);
  EXPECT_NEAR(left.left(), 100, 4);
  EXPECT_NEAR(left.top(), 105.5, 2);
  EXPECT_NEAR(left.bottom(), 125.5, 2);
  const QRect right = Ink(image, 180, 60);
  EXPECT_NEAR(right.right(), 700, 4);
  EXPECT_EQ(right.width(), left.width());
  EXPECT_NEAR(Ink(image, 280, 60).center().x(), 400, 2);
  EXPECT_NEAR(Ink(image, 380, 60).right(), 100, 4);  // no width: it ends at x
  // Three times the scale, three times the places: text is laid out at its
  // real size, not at the device's.
  const QImage large = Painted(page, 0.3);
  EXPECT_NEAR(Ink(large, 540, 180).right(), right.right() * 3, 4);
  EXPECT_NEAR(Ink(large, 240, 180).width(), left.width() * 3, 4);
}

TEST(PagePainter, FontsAreTheInstalledFacesAndTextsAreLatin1) {
  const QFontInfo sans(PageFont({}));
  const QFontInfo mono(PageFont({.face = page::Face::kFixed, .bold = true, .italic = true}));
  EXPECT_EQ(sans.family(), "DejaVu Sans");
  EXPECT_EQ(mono.family(), "DejaVu Sans Mono");
  EXPECT_TRUE(mono.bold() && mono.italic() && mono.fixedPitch());
  EXPECT_EQ(PageText("Caf\xE9 \xA7 1"), QString::fromUtf8("Café § 1"));
  // An underline runs under the whole text, blanks too.
  page::Page page;
  page.texts = {{.x = 1000, .y = 1000, .font = {.size = 200, .underline = true}, .text = "ab  cd"}};
  const QImage image = Painted(page);
  const QRect ink = Ink(image, 90, 35);
  for (int x = ink.left() + 2; x <= ink.right() - 2; ++x) EXPECT_LT(Grey(image, x, 126), 128) << x;
}

}  // namespace
}  // namespace vornel::platform::qt
