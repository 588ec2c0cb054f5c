#pragma once
// Draws one page of the toolkit-free page model with a QPainter. The same
// code paints the PDF file, the printer and the screen's preview, so a page
// looks the same on each: it is laid out in the page's own units (texts are
// measured at their real size, not at the device's), and only the result is
// scaled to the device.
#include <QFont>
#include <QString>

#include "platform/page/page_model.h"

class QPainter;

namespace vornel::platform::qt {

// The painter units the page is laid out in: ten to a thousandth of an inch,
// so that font sizes (whole units) keep their tenths of a point.
inline constexpr double kPageUnitsPerThousandth = 10.0;

// The font of a page's text, sized in those units.
QFont PageFont(const page::Font& font);

// The page's Latin-1 bytes as text.
inline QString PageText(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Paints the page's boxes, then its lines, then its texts, with the page's
// top-left corner at the painter's origin and `scale` device units per
// thousandth of an inch. The background is left as it is (white paper).
// A box's border lies inside its edges; a line's thickness is centred on it.
// A text's y is the top of its line: its baseline lies the font's ascent
// below. The painter comes back in the state it was given.
void PaintPage(QPainter& painter, const page::Page& page, double scale);

}  // namespace vornel::platform::qt
