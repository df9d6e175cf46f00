#include "toolicons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Shapes are drawn on a 16 x 16 grid, scaled to the requested size.
void draw(QPainter &p, ToolIcon which, const QColor &ink)
{
    QPen pen(ink, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const auto lines = [&](const QList<std::pair<double, double>> &spans) {
        // Text lines of a paragraph: from x1 to x2, one every three units.
        QPen thick(ink, 1.6, Qt::SolidLine, Qt::FlatCap);
        p.setPen(thick);
        double y = 3;
        for (const auto &[x1, x2] : spans) {
            p.drawLine(QPointF(x1, y), QPointF(x2, y));
            y += 3.3;
        }
        p.setPen(pen);
    };
    const auto letter = [&](const QString &text, bool bold, bool italic) {
        QFont f(QStringLiteral("Liberation Serif"));
        f.setPixelSize(14);
        f.setBold(bold);
        f.setItalic(italic);
        p.setFont(f);
        p.drawText(QRectF(0, -1, 16, 16), Qt::AlignCenter, text);
    };
    switch (which) {
    case ToolIcon::Undo: {
        QPainterPath path;
        path.moveTo(4, 6.5);
        path.cubicTo(7, 3.5, 13, 3.5, 13.5, 8.5);
        path.cubicTo(13.8, 11.5, 11.5, 13.5, 8.5, 13.5);
        p.drawPath(path);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(2, 3), QPointF(7.5, 7.5), QPointF(2, 9)}));
        break;
    }
    case ToolIcon::Cut:
        p.drawEllipse(QPointF(4.5, 12), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12), 2.5, 2.5);
        p.drawLine(QPointF(6, 10), QPointF(11.5, 1.5));
        p.drawLine(QPointF(10, 10), QPointF(4.5, 1.5));
        break;
    case ToolIcon::Copy:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
        for (double y : {7.5, 9.5, 11.5})
            p.drawLine(QPointF(8.5, y), QPointF(12.5, y));
        break;
    case ToolIcon::Paste:
        p.setBrush(QColor(0xc8, 0x9b, 0x5a));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12.5), 1, 1);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1, 5, 3));
        p.drawRect(QRectF(7.5, 6.5, 7, 8.5));
        break;
    case ToolIcon::Delete: {
        // A red cross.
        QPen red(QColor(0xc8, 0x1e, 0x1e), 2.2, Qt::SolidLine, Qt::RoundCap);
        p.setPen(red);
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        p.setPen(pen);
        break;
    }
    case ToolIcon::AlignLeft:
        lines({{1.5, 14.5}, {1.5, 10}, {1.5, 14.5}, {1.5, 9}});
        break;
    case ToolIcon::AlignCenter:
        lines({{1.5, 14.5}, {4, 12}, {1.5, 14.5}, {4.5, 11.5}});
        break;
    case ToolIcon::AlignRight:
        lines({{1.5, 14.5}, {6, 14.5}, {1.5, 14.5}, {7, 14.5}});
        break;
    case ToolIcon::Bullets:
        p.setBrush(ink);
        for (double y : {3.0, 8.0, 13.0}) {
            p.drawEllipse(QPointF(2.8, y), 1.3, 1.3);
            p.drawLine(QPointF(6.5, y), QPointF(14.5, y));
        }
        break;
    case ToolIcon::Bold:
        letter(QStringLiteral("F"), true, false);
        break;
    case ToolIcon::Italic:
        letter(QStringLiteral("K"), false, true);
        break;
    case ToolIcon::Underline:
        letter(QStringLiteral("U"), false, false);
        p.drawLine(QPointF(3.5, 14.8), QPointF(12.5, 14.8));
        break;
    case ToolIcon::Advice:
        p.setBrush(QColor(0x1e, 0x5a, 0xc8));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(Qt::white);
        letter(QStringLiteral("i"), true, false);
        break;
    }
}

class PaintedIcon : public QIconEngine
{
public:
    explicit PaintedIcon(ToolIcon which) : m_which(which) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        painter->translate(rect.topLeft());
        const double side = std::min(rect.width(), rect.height());
        painter->translate((rect.width() - side) / 2, (rect.height() - side) / 2);
        painter->scale(side / 16.0, side / 16.0);
        draw(*painter, m_which, mode == QIcon::Disabled ? QColor(0xa0, 0xa0, 0xa0) : QColor(0x20, 0x20, 0x20));
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pm(size * scale);
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            paint(&p, QRect(QPoint(), pm.size()), mode, state);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine *clone() const override { return new PaintedIcon(m_which); }
    QString key() const override { return QStringLiteral("lernora-painted"); }

private:
    ToolIcon m_which;
};

} // namespace

QIcon toolIcon(ToolIcon which)
{
    return QIcon(new PaintedIcon(which));
}
