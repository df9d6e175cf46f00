// The font "Symbol": its single-byte codes and their Unicode characters.
//
// Texts keep characters typed in the font "Symbol" as their Unicode
// equivalents, marked with the `SymbolFont` property and shown in a text
// font that has the glyphs (the installed symbol fonts keep only the old
// byte codes, and Qt does not fall back to other fonts for a symbol font).
// Stored RTF holds them as the single byte in the font "Symbol".

#include "rtf.h"

#include <QTextCharFormat>

#include <array>

namespace richtext {

namespace {

// The Unicode character of each byte 0x20..0xFF of the font "Symbol"; 0 for
// codes without an equivalent (the pieces of large brackets and integrals,
// the extenders, the unused codes).
constexpr std::array<char16_t, 224> symbolTable = {
    // 0x20
    u' ', u'!', u'\u2200', u'#', u'\u2203', u'%', u'&', u'\u220B',
    u'(', u')', u'\u2217', u'+', u',', u'\u2212', u'.', u'/',
    // 0x30
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7',
    u'8', u'9', u':', u';', u'<', u'=', u'>', u'?',
    // 0x40
    u'\u2245', u'\u0391', u'\u0392', u'\u03A7', u'\u0394', u'\u0395', u'\u03A6', u'\u0393',
    u'\u0397', u'\u0399', u'\u03D1', u'\u039A', u'\u039B', u'\u039C', u'\u039D', u'\u039F',
    // 0x50
    u'\u03A0', u'\u0398', u'\u03A1', u'\u03A3', u'\u03A4', u'\u03A5', u'\u03C2', u'\u03A9',
    u'\u039E', u'\u03A8', u'\u0396', u'[', u'\u2234', u']', u'\u22A5', u'_',
    // 0x60
    0, u'\u03B1', u'\u03B2', u'\u03C7', u'\u03B4', u'\u03B5', u'\u03C6', u'\u03B3',
    u'\u03B7', u'\u03B9', u'\u03D5', u'\u03BA', u'\u03BB', u'\u03BC', u'\u03BD', u'\u03BF',
    // 0x70
    u'\u03C0', u'\u03B8', u'\u03C1', u'\u03C3', u'\u03C4', u'\u03C5', u'\u03D6', u'\u03C9',
    u'\u03BE', u'\u03C8', u'\u03B6', u'{', u'|', u'}', u'\u223C', 0,
    // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    u'\u20AC', u'\u03D2', u'\u2032', u'\u2264', u'\u2044', u'\u221E', u'\u0192', u'\u2663',
    u'\u2666', u'\u2665', u'\u2660', u'\u2194', u'\u2190', u'\u2191', u'\u2192', u'\u2193',
    // 0xB0
    u'\u00B0', u'\u00B1', u'\u2033', u'\u2265', u'\u00D7', u'\u221D', u'\u2202', u'\u2022',
    u'\u00F7', u'\u2260', u'\u2261', u'\u2248', u'\u2026', 0, 0, u'\u21B5',
    // 0xC0
    u'\u2135', u'\u2111', u'\u211C', u'\u2118', u'\u2297', u'\u2295', u'\u2205', u'\u2229',
    u'\u222A', u'\u2283', u'\u2287', u'\u2284', u'\u2282', u'\u2286', u'\u2208', u'\u2209',
    // 0xD0
    u'\u2220', u'\u2207', u'\u00AE', u'\u00A9', u'\u2122', u'\u220F', u'\u221A', u'\u22C5',
    u'\u00AC', u'\u2227', u'\u2228', u'\u21D4', u'\u21D0', u'\u21D1', u'\u21D2', u'\u21D3',
    // 0xE0 (0xE2..0xE4 are the sans-serif forms of 0xD2..0xD4)
    u'\u25CA', u'\u27E8', u'\u00AE', u'\u00A9', u'\u2122', u'\u2211', 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    // 0xF0
    0, u'\u27E9', u'\u222B', u'\u2320', 0, u'\u2321', 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
};

} // namespace

QString symbolFontName()
{
    return QStringLiteral("Symbol");
}

QString symbolDisplayFamily()
{
    return QStringLiteral("Times New Roman");
}

bool isSymbolFont(const QTextCharFormat &format)
{
    if (format.boolProperty(SymbolFont))
        return true;
    const QStringList families = format.fontFamilies().toStringList();
    return !families.isEmpty() && families.first().compare(symbolFontName(), Qt::CaseInsensitive) == 0;
}

void setSymbolFont(QTextCharFormat &format)
{
    format.setProperty(SymbolFont, true);
    format.setFontFamilies({symbolDisplayFamily()});
}

QChar symbolToUnicode(uchar code)
{
    if (code >= 0x20 && symbolTable[code - 0x20] != 0)
        return QChar(symbolTable[code - 0x20]);
    return QChar(code);
}

uchar unicodeToSymbol(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20)
        return 0;
    for (std::size_t i = 0; i < symbolTable.size(); ++i)
        if (symbolTable[i] == u)
            return uchar(i + 0x20);
    // Codes without an equivalent stand for themselves.
    if (u < 0x100 && symbolToUnicode(uchar(u)) == c)
        return uchar(u);
    return 0;
}

} // namespace richtext
