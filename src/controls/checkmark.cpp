#include "checkmark.h"

#include <QPainter>
#include <QPainterPath>

namespace controls {

QRectF checkMarkBox(const QPointF &topLeft, double em)
{
    return QRectF(topLeft.x() + 0.25 * em, topLeft.y() + 0.2 * em, 0.7 * em, 0.7 * em);
}

void drawCheckMark(QPainter &painter, const QRectF &box, const QColor &colour)
{
    const double w = box.width(), h = box.height();
    QPainterPath path(QPointF(box.left() + 0.08 * w, box.top() + 0.55 * h));
    path.lineTo(box.left() + 0.38 * w, box.top() + 0.88 * h);
    path.lineTo(box.left() + 0.94 * w, box.top() + 0.1 * h);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, std::max(1.0, 0.15 * w));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

} // namespace controls
