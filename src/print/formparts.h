#pragma once

// Building blocks of the program's print forms. Forms are designed in
// millimetres; the engine works in 0.1 mm, so every helper here takes
// millimetres and places the element in its band.

#include "print/engine/report.h"

#include <QFont>
#include <QPainter>
#include <QRectF>

namespace forms {

// A rectangle given in millimetres, in the engine's 0.1 mm.
inline QRectF mm(double x, double y, double w = 0, double h = 0)
{
    return QRectF(x * 10, y * 10, w * 10, h * 10);
}

inline QFont arial(double points, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// A caption at x, y whose width follows its text.
engine::Label &label(engine::Band &band, const QString &name, const QString &caption, double x, double y,
                     const QFont &font = arial(10));

// A field of the current record in a box of the given size; a width of 0
// makes the box follow the text.
engine::DataText &dataText(engine::Band &band, const QString &name, engine::RecordSource *source, const QString &field,
                           const QRectF &box, const QFont &font = arial(10), Qt::Alignment alignment = Qt::AlignLeft);

// A line element: across its box at the vertical middle, or down it at the
// horizontal middle.
engine::Shape &horizontalLine(engine::Band &band, const QString &name, const QRectF &box);
engine::Shape &verticalLine(engine::Band &band, const QString &name, const QRectF &box);

// The identity line of a continuation page of a weekly report sheet: the
// apprentice's name, the report's number and sheet, its week and
// "Fortsetzung", in the top margin above the frame, so that no band moves.
// Nothing on a sheet's first page.
void continuationLine(engine::Report &report, QPainter &painter, engine::RecordSource &reportRow,
                      const QString &apprenticeName);
QString continuationText(engine::RecordSource &reportRow, const QString &apprenticeName);

// How a long text fits its sheet: its lines and how many of them fit on
// the sheet's one page together with what follows them there (-1: what
// follows does not fit even without the text); `splitAt` is the character
// position where the first line that does not fit starts.
struct TextFit
{
    int lines = 0;
    int fitting = 0;
    int splitAt = -1;

    bool fits() const { return fitting == lines; }
    // The lines too many for one page; 0 when it fits or when taking lines
    // away would not make it fit.
    int over() const { return fitting < 0 ? 0 : lines - fitting; }
    // What the editor shows beside the text: "passt auf die Vorderseite"
    // (or "Rückseite"), "3 Zeilen zu lang für eine Seite", or "passt nicht
    // auf eine Seite" when the rest of the sheet is already too long.
    QString description(const QString &side) const;
};
// "1 Zeile", "3 Zeilen".
QString linesText(int lines);

// A text field printed in the symbol font of tick columns: "x" is a box with
// a cross, "o" an empty box. Other texts print as they are.
class TickField : public engine::TextItem
{
public:
    using engine::TextItem::TextItem;
    std::function<QString()> value;
    QString text() const override { return value ? value() : QString(); }
    void print(engine::PrintContext &context) override;
};

} // namespace forms
