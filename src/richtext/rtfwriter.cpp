// The RTF writer: a document as 7-bit RTF that word processors open, with
// the exact twips of heights and offsets in control words of our own (see
// rtfinternal.h) that the reader prefers.
//
// Each paragraph starts with \pard and its settings; each run of equally
// formatted text is a group with all its character settings, so that no
// setting leaks from one run into the next. The output depends only on
// what is written, not on how the document happens to be split into
// fragments, so writing what was read from our own output gives the same
// bytes again.

#include "codepage.h"
#include "rtf.h"
#include "rtfinternal.h"

#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include <algorithm>

namespace richtext {

namespace {

using namespace internal;

QByteArray number(int n)
{
    return QByteArray::number(n);
}

QByteArray hexByte(uchar b)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray out("\\'");
    out += digits[b >> 4];
    out += digits[b & 15];
    return out;
}

// Text in a font of the Windows-1252 code page.
void appendText(QByteArray &out, const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isTextChar(u))
            continue;
        switch (u) {
        case u'\t':
            out += "\\tab ";
            continue;
        case u'\u2028':
            out += "\\line ";
            continue;
        case u'\\':
        case u'{':
        case u'}':
            out += '\\';
            out += char(u);
            continue;
        case u'\u00A0':
            out += "\\~";
            continue;
        case u'\u00AD':
            out += "\\-";
            continue;
        case u'\u2011':
            out += "\\_";
            continue;
        default:
            break;
        }
        if (u < 0x80) {
            out += char(u);
        } else if (const uchar b = codepage::fromUnicode(c)) {
            out += hexByte(b);
        } else {
            // Signed 16 bits, with '?' for readers without Unicode.
            out += "\\u" + number(u < 0x8000 ? int(u) : int(u) - 65536) + '?';
        }
    }
}

QByteArray familyClass(const QString &family)
{
    const QString f = family.toLower();
    if (f == QLatin1String("symbol"))
        return "\\ftech";
    for (const char *s : {"arial", "helvetica", "liberation sans", "tahoma", "verdana", "ms sans serif",
                          "dejavu sans", "segoe ui", "calibri"})
        if (f == QLatin1String(s))
            return "\\fswiss";
    for (const char *s : {"times new roman", "times", "liberation serif", "georgia", "cambria", "dejavu serif"})
        if (f == QLatin1String(s))
            return "\\froman";
    if (f.startsWith(QLatin1String("courier")) || f.contains(QLatin1String("mono")))
        return "\\fmodern";
    return "\\fnil";
}

QString familyOf(const QTextCharFormat &format)
{
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

class Writer
{
public:
    explicit Writer(const QTextDocument &document) : m_document(document)
    {
        const QFont font = document.defaultFont();
        m_defaultFamily = font.family();
        if (font.pointSizeF() > 0)
            m_defaultHeight = qRound(font.pointSizeF() * 20);
        m_fonts.append(m_defaultFamily);
    }

    QByteArray run()
    {
        // The text first: it registers the fonts and colours it uses.
        QByteArray body;
        for (QTextBlock b = m_document.begin(); b.isValid(); b = b.next())
            block(body, b);
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
        out += "{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i) {
            const bool symbol = i == m_symbolFont;
            out += "{\\f" + number(i) + familyClass(m_fonts.at(i)) + "\\fcharset" + (symbol ? "2" : "0") + ' ';
            QString name = m_fonts.at(i);
            name.remove(QLatin1Char(';'));
            appendText(out, name);
            out += ";}";
        }
        out += '}';
        if (!m_colours.isEmpty()) {
            out += "{\\colortbl;";
            for (const QRgb c : std::as_const(m_colours))
                out += "\\red" + number(qRed(c)) + "\\green" + number(qGreen(c)) + "\\blue" + number(qBlue(c)) + ';';
            out += '}';
        }
        out += "{\\*\\generator Lernora;}\n";
        out += body;
        out += "}\n";
        return out;
    }

private:
    // The default font is font 0; the font "Symbol" is added for symbol
    // characters and bullets.
    int symbolFont()
    {
        if (m_symbolFont < 0) {
            m_symbolFont = int(m_fonts.size());
            m_fonts.append(symbolFontName());
        }
        return m_symbolFont;
    }

    int fontIndex(const QTextCharFormat &f)
    {
        QString family = familyOf(f);
        if (family.isEmpty())
            family = m_defaultFamily;
        if (family.compare(symbolFontName(), Qt::CaseInsensitive) == 0)
            return symbolFont();
        for (int i = 0; i < m_fonts.size(); ++i)
            if (i != m_symbolFont && m_fonts.at(i) == family)
                return i;
        m_fonts.append(family);
        return int(m_fonts.size()) - 1;
    }

    const QRgb *foreground(const QTextCharFormat &f)
    {
        if (!f.hasProperty(QTextFormat::ForegroundBrush) || f.foreground().style() == Qt::NoBrush)
            return nullptr;
        m_rgb = f.foreground().color().rgb() | 0xFF000000u;
        return &m_rgb;
    }

    const QRgb *background(const QTextCharFormat &f)
    {
        if (!f.hasProperty(QTextFormat::BackgroundBrush) || f.background().style() == Qt::NoBrush)
            return nullptr;
        m_rgb = f.background().color().rgb() | 0xFF000000u;
        return &m_rgb;
    }

    int colourIndex(QRgb c)
    {
        const qsizetype i = m_colours.indexOf(c);
        if (i >= 0)
            return int(i) + 1;
        m_colours.append(c);
        return int(m_colours.size());
    }

    void block(QByteArray &out, const QTextBlock &b)
    {
        const QTextBlockFormat bf = b.blockFormat();
        out += "\\pard";
        if (bf.hasProperty(QTextFormat::BlockAlignment)) {
            const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
            if (a & Qt::AlignJustify)
                out += "\\qj";
            else if (a & Qt::AlignHCenter)
                out += "\\qc";
            else if (a & (Qt::AlignRight | Qt::AlignTrailing))
                out += "\\qr";
            else
                out += "\\ql";
        }
        const QTextList *list = b.textList();
        const int level =
            list ? std::clamp(list->format().indent(), 1, maxLevel) : std::clamp(bf.indent(), 0, maxLevel);
        const int margin = qRound(bf.leftMargin() * twipsPerPixel);
        const int indent = qRound(bf.textIndent() * twipsPerPixel);
        const int li = margin + level * levelTwips;
        const int fi = indent - (list ? bulletHangTwips : 0);
        const bool bullet = list && isBulletStyle(list->format().style());
        if (bullet)
            symbolFont();
        if (list) {
            if (bullet) {
                out += "{\\*\\pn\\pnlvlblt\\pnf" + number(m_symbolFont) + "\\pnindent" + number(bulletHangTwips)
                    + "{\\pntxtb\\'b7}}";
            } else {
                out += "{\\*\\pn\\pnlvlbody" + numberStyle(list->format().style()) + "\\pnstart1\\pnindent"
                    + number(bulletHangTwips) + "{\\pntxta .}}";
            }
        }
        if (level != (list ? 1 : 0))
            out += '\\' + QByteArray(levelWord) + number(level);
        if (fi != 0)
            out += "\\fi" + number(fi);
        if (li != 0)
            out += "\\li" + number(li);
        if (const int ri = qRound(bf.rightMargin() * twipsPerPixel))
            out += "\\ri" + number(ri);
        if (const int sb = qRound(bf.topMargin() * twipsPerPixel))
            out += "\\sb" + number(sb);
        if (const int sa = qRound(bf.bottomMargin() * twipsPerPixel))
            out += "\\sa" + number(sa);
        // The rendered bullet or number, for readers without \pn.
        if (list) {
            if (bullet) {
                out += "{\\pntext\\f" + number(m_symbolFont) + "\\'b7\\tab}";
            } else {
                // Numbered on as the reader joins paragraphs into lists.
                const bool continues = m_previousStyle == list->format().style() && m_previousLevel == level;
                m_itemNumber = continues ? m_itemNumber + 1 : 1;
                out += "{\\pntext\\f0 " + number(m_itemNumber) + ".\\tab}";
            }
        }
        m_previousStyle = list ? list->format().style() : QTextListFormat::ListStyleUndefined;
        m_previousLevel = level;
        m_open = false;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                this->fragment(out, fragment);
        }
        if (m_open)
            out += '}';
        out += "\\par\n";
    }

    static QByteArray numberStyle(QTextListFormat::Style style)
    {
        switch (style) {
        case QTextListFormat::ListUpperAlpha:
            return "\\pnucltr";
        case QTextListFormat::ListLowerAlpha:
            return "\\pnlcltr";
        case QTextListFormat::ListUpperRoman:
            return "\\pnucrm";
        case QTextListFormat::ListLowerRoman:
            return "\\pnlcrm";
        default:
            return "\\pndec";
        }
    }

    void fragment(QByteArray &out, const QTextFragment &fragment)
    {
        const QTextCharFormat f = fragment.charFormat();
        const QString text = fragment.text();
        if (!isSymbolFont(f)) {
            QByteArray encoded;
            appendText(encoded, text);
            if (!encoded.isEmpty())
                run(out, properties(f, fontIndex(f)), encoded);
            return;
        }
        // Characters of the font "Symbol" as its bytes. Marked characters
        // are Unicode; in a format whose family is "Symbol" itself the
        // characters below 256 are the font's bytes already. Characters the
        // font does not have are written in the default font.
        const bool marked = f.boolProperty(SymbolFont);
        QByteArray encoded;
        bool inSymbol = true;
        const auto flush = [&] {
            if (!encoded.isEmpty())
                run(out, properties(f, inSymbol ? symbolFont() : 0), encoded);
            encoded.clear();
        };
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (!isTextChar(u))
                continue;
            QByteArray piece;
            bool symbol = true;
            if (u == u'\t') {
                piece = "\\tab ";
            } else if (u == u'\u2028') {
                piece = "\\line ";
            } else {
                uchar b = unicodeToSymbol(c);
                if (b == 0 && !marked && u >= 0x20 && u < 0x100)
                    b = uchar(u);
                if (b != 0) {
                    piece = hexByte(b);
                } else {
                    appendText(piece, QString(c));
                    symbol = false;
                }
            }
            if (symbol != inSymbol)
                flush();
            inSymbol = symbol;
            encoded += piece;
        }
        flush();
    }

    // A run of text in a group with its settings; a run with the settings
    // of the one before continues its group.
    void run(QByteArray &out, const QByteArray &props, const QByteArray &encoded)
    {
        if (!m_open || props != m_props) {
            if (m_open)
                out += '}';
            out += '{' + props + ' ';
            m_props = props;
            m_open = true;
        }
        out += encoded;
    }

    QByteArray properties(const QTextCharFormat &f, int font)
    {
        QByteArray p = "\\f" + number(font);
        int height = heightTwips(f);
        if (height <= 0)
            height = m_defaultHeight;
        if (height > 0) {
            height = std::clamp(height, minHeightTwips, maxHeightTwips);
            const int hp = halfPoints(height);
            p += "\\fs" + number(hp);
            if (hp * 10 != height)
                p += '\\' + QByteArray(heightWord) + number(height);
        }
        if (f.fontWeight() > QFont::Medium)
            p += "\\b";
        if (f.fontItalic())
            p += "\\i";
        if (f.fontUnderline())
            p += "\\ul";
        if (f.fontStrikeOut())
            p += "\\strike";
        if (const QRgb *c = foreground(f))
            p += "\\cf" + number(colourIndex(*c));
        if (const QRgb *c = background(f))
            p += "\\highlight" + number(colourIndex(*c));
        const int offset = std::clamp(offsetTwips(f), -maxOffsetTwips, maxOffsetTwips);
        if (offset != 0) {
            const int hp = halfPoints(offset);
            p += (offset > 0 ? "\\up" : "\\dn") + number(std::abs(hp));
            if (hp * 10 != offset)
                p += '\\' + QByteArray(offsetWord) + number(offset);
        }
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            p += "\\super";
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            p += "\\sub";
        return p;
    }

    const QTextDocument &m_document;
    QString m_defaultFamily;
    int m_defaultHeight = 0;
    QStringList m_fonts;
    int m_symbolFont = -1;
    QList<QRgb> m_colours;
    QRgb m_rgb = 0;

    bool m_open = false; // a run's group is open
    QByteArray m_props;
    QTextListFormat::Style m_previousStyle = QTextListFormat::ListStyleUndefined;
    int m_previousLevel = 0;
    int m_itemNumber = 0;
};

} // namespace

QByteArray writeRtf(const QTextDocument &document)
{
    return Writer(document).run();
}

} // namespace richtext
