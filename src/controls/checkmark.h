#pragma once

// The check mark of the tables that show a reached target, drawn as a path
// so that screen and paper show the same mark on any platform (no symbol
// font needed).

#include <QColor>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace controls {

// The box the mark fills when its text starts at `topLeft` in a font of
// `em` device units: it stands where a symbol font's check glyph after a
// blank would, a quarter em in and a fifth em down, 0.7 em square.
QRectF checkMarkBox(const QPointF &topLeft, double em);

// Draws the mark into `box`: a short stroke down to the right, a long one
// up to the top right corner.
void drawCheckMark(QPainter &painter, const QRectF &box, const QColor &colour);

} // namespace controls
