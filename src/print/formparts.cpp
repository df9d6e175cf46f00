#include "formparts.h"

#include "print/engine/pagedevice.h"
#include "store/fields.h"

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

QString continuationText(engine::RecordSource &reportRow, const QString &apprenticeName)
{
    const auto text = [&](const QString &field) { return reportRow.hasRecord() ? reportRow.text(field) : QString(); };
    QStringList parts;
    if (!apprenticeName.trimmed().isEmpty())
        parts << apprenticeName.trimmed();
    parts << QStringLiteral("Ausbildungsnachweis Nr. %1 Blatt %2").arg(text(store::field::Nummer), text(store::field::Blatt));
    parts << QStringLiteral("für die Woche vom %1 bis %2").arg(text(store::field::WocheVom), text(store::field::WocheBis));
    parts << QStringLiteral("Fortsetzung");
    return parts.join(QStringLiteral("   "));
}

void continuationLine(engine::Report &report, QPainter &painter, engine::RecordSource &reportRow,
                      const QString &apprenticeName)
{
    if (report.pageNumber() <= 1)
        return;
    // Between the paper's edge and the frame: its base line 1.5 mm above
    // the frame.
    const double top = report.margins.top();
    const QRectF box(report.margins.left(), top - 60, report.bandWidth(), 45);
    painter.save();
    painter.setFont(arial(8));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignBottom, continuationText(reportRow, apprenticeName));
    painter.restore();
}

QString linesText(int lines)
{
    return lines == 1 ? QStringLiteral("1 Zeile") : QStringLiteral("%1 Zeilen").arg(lines);
}

QString TextFit::description(const QString &side) const
{
    if (fits())
        return QStringLiteral("passt auf die %1").arg(side);
    if (fitting < 0)
        return QStringLiteral("passt nicht auf eine Seite");
    return QStringLiteral("%1 zu lang für eine Seite").arg(linesText(over()));
}

} // namespace forms
