#pragma once

// The words of a PDF file with their boxes, as `pdftotext -bbox` finds them:
// positions in millimetres from the page's top-left corner, pages from 1;
// its pictures as `pdfimages -list` lists them, and a photo-like picture to
// put into one.

#include <QImage>
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

// A photo-like picture: a colour ramp with noise, as a bitmap decodes.
inline QImage photo(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 noise = 777;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = int((noise >> 16) & 31) - 16;
            image.setPixel(x, y, qRgb(qBound(0, x % 256 + n, 255), qBound(0, y % 256 - n, 255),
                                      qBound(0, (x + y) % 256 + n / 2, 255)));
        }
    return image;
}

// The pictures of a PDF as `pdfimages -list` names them: one per use on a
// page, with its encoding, width and object number.
struct PdfImage
{
    int page = 0;
    QString encoding;
    int width = 0;
    int object = 0;
};

inline QList<PdfImage> pdfImages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(60000);
    QList<PdfImage> out;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines.mid(2)) {
        const QStringList c = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (c.size() >= 11)
            out.append({c[0].toInt(), c[8], c[3].toInt(), c[10].toInt()});
    }
    return out;
}

} // namespace testsupport
