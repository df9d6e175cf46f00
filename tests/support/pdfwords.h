#pragma once

// The words of a PDF file with their boxes, as `pdftotext -bbox` finds them:
// positions in millimetres from the page's top-left corner, pages from 1.

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace testsupport {

struct PdfWord
{
    int page = 0;
    QString text;
    QRectF box; // mm
};

struct PdfText
{
    int pages = 0;
    QList<PdfWord> words;

    // The first word with that text (on that page), or an empty word (page 0).
    PdfWord word(const QString &text, int page = 0) const
    {
        for (const PdfWord &w : words)
            if (w.text == text && (page == 0 || w.page == page))
                return w;
        return {};
    }
    // The words of a page, in reading order, joined by blanks.
    QString pageText(int page) const
    {
        QStringList out;
        for (const PdfWord &w : words)
            if (w.page == page)
                out << w.text;
        return out.join(QLatin1Char(' '));
    }
    // The text of every page, in page order.
    QStringList pageTexts() const
    {
        QStringList out;
        for (int n = 1; n <= pages; ++n)
            out << pageText(n);
        return out;
    }
};

inline PdfText readPdf(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    p.waitForFinished(60000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    constexpr double mmPerPt = 25.4 / 72.0;
    PdfText pdf;
    int page = 0;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("<page ")))
            ++page;
        const auto m = word.match(line);
        if (!m.hasMatch())
            continue;
        const double x0 = m.captured(1).toDouble(), y0 = m.captured(2).toDouble();
        const double x1 = m.captured(3).toDouble(), y1 = m.captured(4).toDouble();
        QString text = m.captured(5);
        text.replace(QLatin1String("&amp;"), QLatin1String("&"))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""));
        pdf.words.append({page, text, QRectF(QPointF(x0, y0) * mmPerPt, QPointF(x1, y1) * mmPerPt)});
    }
    pdf.pages = page;
    return pdf;
}

} // namespace testsupport
