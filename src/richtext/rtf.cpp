// Stored texts: RTF or plain, and the exact character heights and offsets.

#include "rtf.h"

#include "rtfinternal.h"

#include <QTextCharFormat>
#include <QTextDocument>

#include <algorithm>

namespace richtext {

namespace {

// The height of a font's line (ascent + descent) per point of its size, as
// Qt measures Arial here. Qt draws a baseline offset as a percentage of
// that height; the texts are set in Arial, and for other fonts the shown
// offset differs by a few per cent at most (the stored twips are exact).
constexpr double lineHeightPerEm = 1.1145;
// The height assumed for an offset on a character without a height.
constexpr int assumedHeightTwips = 200;

double displayPercent(int offset, int height)
{
    return offset * 100.0 / (std::max(height, 1) * lineHeightPerEm);
}

} // namespace

bool isRtf(const QByteArray &stored)
{
    return stored.startsWith("{\\rtf");
}

bool isRtf(const QString &stored)
{
    return stored.startsWith(QLatin1String("{\\rtf"));
}

void load(QTextDocument &document, const QString &stored)
{
    if (isRtf(stored))
        internal::read(document, stored, false);
    else
        internal::setPlain(document, stored);
}

QString toPlainText(const QString &stored)
{
    QTextDocument document;
    load(document, stored);
    return document.toPlainText();
}

int heightTwips(const QTextCharFormat &format)
{
    const bool hasSize = format.hasProperty(QTextFormat::FontPointSize);
    // The property holds unless the point size was changed without it.
    if (format.hasProperty(HeightTwips)) {
        const int h = format.intProperty(HeightTwips);
        if (!hasSize || qRound(format.fontPointSize() * 20) == h)
            return h;
    }
    return hasSize ? qRound(format.fontPointSize() * 20) : 0;
}

int offsetTwips(const QTextCharFormat &format)
{
    const double shown = format.baselineOffset();
    // The property holds unless the display offset was changed without it.
    if (format.hasProperty(OffsetTwips)) {
        const int o = format.intProperty(OffsetTwips);
        if ((o > 0 && shown > 0) || (o < 0 && shown < 0) || (o == 0 && shown == 0))
            return o;
    }
    if (shown == 0)
        return 0;
    const int h = heightTwips(format);
    return qRound(shown / 100.0 * (h > 0 ? h : assumedHeightTwips) * lineHeightPerEm);
}

void setHeightAndOffset(QTextCharFormat &format, int height, int offset)
{
    if (height > 0) {
        format.setProperty(HeightTwips, height);
        format.setFontPointSize(height / 20.0);
    } else {
        format.clearProperty(HeightTwips);
        format.clearProperty(QTextFormat::FontPointSize);
    }
    format.setProperty(OffsetTwips, offset);
    if (offset != 0)
        format.setBaselineOffset(displayPercent(offset, height > 0 ? height : assumedHeightTwips));
    else
        format.clearProperty(QTextFormat::TextBaselineOffset);
}

} // namespace richtext
