#include "platform/qt/qt_page_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace vornel::platform::qt {
namespace {

constexpr double kThousandthsPerPoint = 1000.0 / 72.0;

double Units(int thousandths) { return thousandths * kPageUnitsPerThousandth; }

QColor Grey(int level) {
  const int clamped = level < 0 ? 0 : level > 255 ? 255 : level;
  return QColor(clamped, clamped, clamped);
}

void PaintBox(QPainter& painter, const page::Box& box) {
  const QRectF outline(Units(box.x), Units(box.y), Units(box.width), Units(box.height));
  if (box.fill >= 0) painter.fillRect(outline, Grey(box.fill));
  if (box.thickness <= 0) return;
  // The pen is centred on the path: half its width in from each edge keeps
  // the border inside the box.
  const double pen = std::min(Units(box.thickness), std::min(outline.width(), outline.height()) / 2);
  if (pen <= 0) return;
  painter.setPen(QPen(Qt::black, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(outline.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2));
}

void PaintLine(QPainter& painter, const page::Line& line) {
  if (line.thickness <= 0) return;
  painter.setPen(QPen(Qt::black, Units(line.thickness), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  painter.drawLine(QPointF(Units(line.x1), Units(line.y1)), QPointF(Units(line.x2), Units(line.y2)));
}

void PaintText(QPainter& painter, const page::TextRun& run) {
  if (run.text.empty()) return;
  const QFont font = PageFont(run.font);
  const QString text = PageText(run.text);
  painter.setFont(font);
  const QFontMetricsF metrics(font, painter.device());
  const double advance = metrics.horizontalAdvance(text);
  const double left = Units(run.x);
  const double room = Units(run.width);
  double x = left;
  switch (run.align) {
    case page::Align::kLeft:
      break;
    case page::Align::kRight:
      x = left + room - advance;
      break;
    case page::Align::kCenter:
      x = left + (room - advance) / 2;
      break;
  }
  painter.setPen(Qt::black);
  painter.drawText(QPointF(x, Units(run.y) + metrics.ascent()), text);
}

}  // namespace

QFont PageFont(const page::Font& font) {
  QFont qt_font(font.face == page::Face::kFixed ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  qt_font.setStyleHint(font.face == page::Face::kFixed ? QFont::Monospace : QFont::SansSerif);
  // Tenths of a point in page units; at least one unit so that no font
  // falls back to the toolkit's default size.
  const double units = font.size / 10.0 * kThousandthsPerPoint * kPageUnitsPerThousandth;
  qt_font.setPixelSize(std::max(1, static_cast<int>(std::lround(units))));
  qt_font.setBold(font.bold);
  qt_font.setItalic(font.italic);
  qt_font.setUnderline(font.underline);
  // Outlines without hinting: glyph advances then do not depend on the
  // device, and a text ends where it ends on paper.
  qt_font.setHintingPreference(QFont::PreferNoHinting);
  qt_font.setStyleStrategy(QFont::PreferOutline);
  return qt_font;
}

void PaintPage(QPainter& painter, const page::Page& page, double scale) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(scale / kPageUnitsPerThousandth, scale / kPageUnitsPerThousandth);
  for (const page::Box& box : page.boxes) PaintBox(painter, box);
  for (const page::Line& line : page.lines) PaintLine(painter, line);
  for (const page::TextRun& run : page.texts) PaintText(painter, run);
  painter.restore();
}

}  // namespace vornel::platform::qt
