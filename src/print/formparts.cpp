#include "formparts.h"

#include "print/engine/pagedevice.h"

#include <QFontMetricsF>
#include <QPainter>

namespace forms {

engine::Label &label(engine::Band &band, const QString &name, const QString &caption, double x, double y,
                     const QFont &font)
{
    auto &l = band.add<engine::Label>(name, caption);
    l.font = font;
    l.geometry = mm(x, y);
    l.autoSize = true;
    return l;
}

engine::DataText &dataText(engine::Band &band, const QString &name, engine::RecordSource *source, const QString &field,
                           const QRectF &box, const QFont &font, Qt::Alignment alignment)
{
    auto &t = band.add<engine::DataText>(name, source, field);
    t.font = font;
    t.geometry = box;
    t.alignment = alignment;
    t.autoSize = box.width() <= 0;
    return t;
}

namespace {

engine::Shape &line(engine::Band &band, const QString &name, const QRectF &box, engine::Shape::Kind kind)
{
    auto &s = band.add<engine::Shape>(name, kind);
    s.geometry = box;
    return s;
}

} // namespace

engine::Shape &horizontalLine(engine::Band &band, const QString &name, const QRectF &box)
{
    return line(band, name, box, engine::Shape::Kind::HorizontalLine);
}

engine::Shape &verticalLine(engine::Band &band, const QString &name, const QRectF &box)
{
    return line(band, name, box, engine::Shape::Kind::VerticalLine);
}

void TickField::print(engine::PrintContext &c)
{
    const QString t = printedText();
    if (t != QLatin1String("x") && t != QLatin1String("o")) {
        TextItem::print(c);
        return;
    }
    // The box stands on the text's base line as the symbol font draws it:
    // seven tenths of the font's size square, centred in the field.
    const QFontMetricsF fm(font, engine::layoutDevice());
    const double side = font.pointSizeF() * engine::unitsPerInch / 72.0 * 0.7;
    const QRectF field = geometry.translated(c.origin);
    double x = field.center().x() - side / 2;
    if (alignment & Qt::AlignLeft)
        x = field.left();
    else if (alignment & Qt::AlignRight)
        x = field.right() - side;
    const QRectF box(x, field.top() + fm.ascent() - side, side, side);
    c.painter.save();
    QPen pen(colour, side / 12);
    pen.setJoinStyle(Qt::MiterJoin);
    c.painter.setPen(pen);
    c.painter.setBrush(Qt::NoBrush);
    c.painter.drawRect(box);
    if (t == QLatin1String("x")) {
        const QRectF cross = box.adjusted(side / 6, side / 6, -side / 6, -side / 6);
        c.painter.drawLine(cross.topLeft(), cross.bottomRight());
        c.painter.drawLine(cross.bottomLeft(), cross.topRight());
    }
    c.painter.restore();
}

} // namespace forms
