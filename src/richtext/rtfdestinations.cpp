// What the RTF reader does with a word or a character in each destination:
// the text's character and paragraph settings, the font and colour tables,
// bullets and numbering, and characters by code page, \u and the font
// "Symbol".

#include "codepage.h"
#include "rtf.h"
#include "rtfreader.h"

#include <algorithm>

namespace richtext::reader {

using namespace internal;

bool Font::isSymbol() const
{
    if (name.compare(symbolFontName(), Qt::CaseInsensitive) == 0)
        return true;
    // Other fonts of the symbol character set draw pictures, not the
    // characters of the font "Symbol".
    static const QStringList pictureFonts = {QStringLiteral("Wingdings"), QStringLiteral("Webdings"),
                                             QStringLiteral("Marlett"), QStringLiteral("ZapfDingbats"),
                                             QStringLiteral("Zapf Dingbats")};
    if (charset != 2)
        return false;
    for (const QString &p : pictureFonts)
        if (name.startsWith(p, Qt::CaseInsensitive))
            return false;
    return true;
}

void Reader::numberingWord(Word w, int value, ParaState &para)
{
    switch (w) {
    case Word::Bullet:
        para.bullet = true;
        para.numbered = false;
        break;
    case Word::Numbered:
        para.numbered = true;
        para.bullet = false;
        break;
    case Word::NumberStyle:
        para.numberStyle = QTextListFormat::Style(value);
        break;
    default:
        break;
    }
}

void Reader::textWord(Word w, int value, bool hasParam, int param)
{
    CharState &c = top().chars;
    ParaState &p = top().para;
    const bool on = !hasParam || param != 0;
    switch (w) {
    case Word::Deff:
        m_deff = param;
        m_formatDirty = true;
        return;
    case Word::Plain: {
        const int uc = c.uc;
        c = CharState();
        c.uc = uc;
        break;
    }
    case Word::Bold:
        c.bold = on;
        break;
    case Word::Italic:
        c.italic = on;
        break;
    case Word::Underline:
        c.underline = on;
        break;
    case Word::UnderlineNone:
        c.underline = false;
        break;
    case Word::Strike:
        c.strike = on;
        break;
    case Word::FontSize:
        c.halfPoints = clampParam(hasParam ? param : 24, minHeightTwips / 10, maxHeightTwips / 10);
        c.exactHeight = 0;
        break;
    case Word::HeightTwips:
        if (hasParam)
            c.exactHeight = clampParam(param, minHeightTwips, maxHeightTwips);
        break;
    case Word::Font:
        c.font = hasParam ? std::max(0, param) : 0;
        break;
    case Word::Colour:
        c.colour = param;
        break;
    case Word::Background:
        c.background = param;
        break;
    case Word::Up:
    case Word::Down: {
        const int v = clampParam(hasParam ? param : 6, 0, maxOffsetTwips / 10);
        c.upDown = w == Word::Up ? v : -v;
        c.hasExactOffset = false;
        break;
    }
    case Word::OffsetTwips:
        if (hasParam) {
            c.exactOffset = clampParam(param, -maxOffsetTwips, maxOffsetTwips);
            c.hasExactOffset = true;
        }
        break;
    case Word::Super:
        c.valign = QTextCharFormat::AlignSuperScript;
        break;
    case Word::Sub:
        c.valign = QTextCharFormat::AlignSubScript;
        break;
    case Word::NoSuperSub:
        c.valign = QTextCharFormat::AlignNormal;
        break;
    case Word::Uc:
        c.uc = clampParam(param, 0, 16);
        return;
    case Word::Unicode:
        unicodeChar(param);
        m_skip = c.uc;
        return;
    case Word::Pard:
        p = ParaState();
        return;
    case Word::Ql:
    case Word::Qc:
    case Word::Qr:
    case Word::Qj:
        p.alignment = w == Word::Ql ? Qt::AlignLeft
            : w == Word::Qc         ? Qt::AlignHCenter
            : w == Word::Qr         ? Qt::AlignRight
                                    : Qt::AlignJustify;
        p.hasAlignment = true;
        return;
    case Word::Li:
        p.li = clampParam(param, -maxIndentTwips, maxIndentTwips);
        return;
    case Word::Ri:
        p.ri = clampParam(param, -maxIndentTwips, maxIndentTwips);
        return;
    case Word::Fi:
        p.fi = clampParam(param, -maxIndentTwips, maxIndentTwips);
        return;
    case Word::Sb:
        p.sb = clampParam(param, 0, maxIndentTwips);
        return;
    case Word::Sa:
        p.sa = clampParam(param, 0, maxIndentTwips);
        return;
    case Word::Level:
        p.level = clampParam(param, 0, maxLevel);
        return;
    case Word::Bullet:
    case Word::Numbered:
    case Word::NumberStyle:
        numberingWord(w, value, p);
        return;
    case Word::ListOverride:
        // A list of the newer kind; its table is not read, so its items
        // become bulleted paragraphs.
        if (param > 0 && !p.numbered)
            p.bullet = true;
        return;
    case Word::Par:
        endParagraph();
        return;
    case Word::Line:
        textChar(u'\u2028');
        return;
    case Word::Tab:
    case Word::Cell:
        textChar(u'\t');
        return;
    case Word::Char:
        textChar(char16_t(value));
        return;
    default:
        return; // unknown words change nothing
    }
    m_formatDirty = true;
}

// A character of the input outside any escape.
void Reader::rawChar(char16_t c)
{
    if (m_raw || c < 0x80) {
        byteChar(uchar(c));
        return;
    }
    // A Unicode character stored as it is: in the font "Symbol" only
    // the byte codes have a meaning.
    if (top().dest == Dest::Text && c < 0x100 && currentIsSymbol())
        textChar(symbolToUnicode(uchar(c)).unicode());
    else
        textChar(c);
}

// A byte of the current font.
void Reader::byteChar(uchar b)
{
    if (b == '\t') {
        textChar(u'\t');
        return;
    }
    if (top().dest == Dest::Text && currentIsSymbol())
        textChar(symbolToUnicode(b).unicode());
    else
        textChar(codepage::toUnicode(b).unicode());
}

void Reader::unicodeChar(int n)
{
    if (n < 0)
        n += 65536;
    if (n < 0 || n > 0xFFFF)
        return;
    // Symbol characters also come as \u with the byte, or with the byte
    // in the private range U+F020..U+F0FF.
    if (top().dest == Dest::Text && (n < 0x100 || (n >= 0xF020 && n <= 0xF0FF)) && currentIsSymbol()) {
        textChar(symbolToUnicode(uchar(n & 0xFF)).unicode());
        return;
    }
    textChar(char16_t(n));
}

void Reader::textChar(char16_t c)
{
    switch (top().dest) {
    case Dest::Text:
        put(c);
        break;
    case Dest::FontTable:
        if (c == u';')
            finishFont();
        else if (m_fontEntry >= 0 && c >= 0x20)
            m_fontName += QChar(c);
        break;
    case Dest::ColorTable:
        if (c == u';')
            finishColour();
        break;
    default:
        break;
    }
}

void Reader::finishFont()
{
    if (m_fontEntry < 0)
        return;
    const QString name = m_fontName.trimmed();
    if (!name.isEmpty())
        m_fonts[m_fontEntry].name = name;
    m_fontName.clear();
    m_fontEntry = -1;
    m_formatDirty = true;
}

void Reader::finishColour()
{
    m_colours.append(m_colourSet ? QColor(m_red, m_green, m_blue) : QColor());
    m_colourSet = false;
    m_red = m_green = m_blue = 0;
    m_formatDirty = true;
}

} // namespace richtext::reader
