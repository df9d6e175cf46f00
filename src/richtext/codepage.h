#pragma once

// Windows-1252, the code page of the stored RTF texts. The five codes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the
// control characters of the same number, so that every byte has a character
// and back.

#include <QChar>

#include <array>

namespace richtext::codepage {

inline constexpr std::array<char16_t, 32> high1252 = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

inline QChar toUnicode(uchar byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(high1252[byte - 0x80]);
    return QChar(byte);
}

// The byte for a character, 0 when the code page has none.
inline uchar fromUnicode(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return uchar(u);
    for (std::size_t i = 0; i < high1252.size(); ++i)
        if (high1252[i] == u)
            return uchar(0x80 + i);
    return 0;
}

} // namespace richtext::codepage
