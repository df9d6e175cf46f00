#pragma once

// A long formatted text printed in a band: it lays the text out for its
// width, prints it line by line, grows its band by exactly the height the
// text needs beyond the item's own height, and when the page is full leaves
// the rest for the next page, where the band is output again and the text
// goes on at its first line not yet printed.

#include "report.h"

#include <QTextBlock>
#include <QTextDocument>
#include <functional>

namespace engine {

class RichText : public Item
{
public:
    explicit RichText(const QString &name);

    // The text: a long-text field of the current record of a record source
    // (RTF or plain text), or, without a source, whatever `content` puts into
    // the document.
    // Paragraph margins and indents of the document are in pixels at 96 dpi,
    // as the editor shows them; the item scales them to its resolution.
    RecordSource *source = nullptr; // not owned
    QString field;
    std::function<void(QTextDocument &document)> content;

    QFont font{QStringLiteral("Arial"), 10}; // for text without a font of its own
    Qt::Alignment alignment = Qt::AlignLeft;
    bool autoStretch = false;

    // The document as last loaded (for tests and forms).
    QTextDocument &document() { return m_document; }
    // The lines of the text as its last print laid them out: their heights
    // (0.1 mm) and where each starts in the document (a character position).
    QVector<double> lineHeights() const;
    int lineStart(int line) const;

    void prepare() override;
    void print(PrintContext &context) override;

private:
    void load();
    struct Line
    {
        QTextBlock block;
        int index = 0; // within the block's layout
        double top = 0, height = 0;
    };
    QVector<Line> layLines(double width);
    void drawLine(QPainter &p, const Line &line, const QRectF &strip) const;

    QTextDocument m_document;
    int m_next = 0; // the first line not yet printed
    // The lines as laid out when the text started printing, kept for its
    // continuation pages, and the width they were laid out for.
    QVector<Line> m_lines;
    double m_linesWidth = -1;
};

} // namespace engine
