#pragma once

// What the RTF reader and writer of this folder share.

#include <QString>
#include <QTextListFormat>

#include <cmath>

class QTextDocument;

namespace richtext::internal {

// Reads RTF from text (rtfreader.cpp). With rawBytes each character of the
// text is a byte of an RTF file (Windows-1252); otherwise characters outside
// the escapes are taken as the Unicode characters they are.
void read(QTextDocument &document, const QString &rtf, bool rawBytes);
// Replaces the contents by plain text; any line end starts a paragraph.
void setPlain(QTextDocument &document, QString text);

// Control words of our own. Other readers skip unknown control words, so
// the stored text stays readable elsewhere; our reader prefers them to the
// standard words they refine, as long as both agree:
//   \lnhtwN  the character height in twips; follows \fsN, which holds the
//            nearest half-point (\fs19\lnhtw192 is 9.6 pt).
//   \lnotwN  the baseline offset in twips, positive raises; follows \upN or
//            \dnN, which hold the nearest half-point (\up7\lnotw66).
//   \lnlvlN  the indentation level of a paragraph (Qt's list or block
//            indent, each level 600 twips) when it is not the default (1 in
//            a list, 0 elsewhere); \liN includes the levels.
inline constexpr char heightWord[] = "lnhtw";
inline constexpr char offsetWord[] = "lnotw";
inline constexpr char levelWord[] = "lnlvl";

// One level of Qt's indentation (QTextDocument::indentWidth() at 96 dpi).
inline constexpr int levelTwips = 600;
// How far a list item's bullet hangs left of its text.
inline constexpr int bulletHangTwips = 360;
// Paragraph margins and indents of a document are in pixels at 96 dpi, the
// unit QTextEdit shows them in: 15 twips each.
inline constexpr double twipsPerPixel = 15.0;

// Limits of what is read: character heights 1..1638 pt, offsets and
// indents up to 22 inches, group nesting.
inline constexpr int minHeightTwips = 20;
inline constexpr int maxHeightTwips = 32760;
inline constexpr int maxOffsetTwips = 32760;
inline constexpr int maxIndentTwips = 31680;
inline constexpr int maxDepth = 1000;
inline constexpr int maxLevel = 9;

// Whether a character is text: control characters other than the tab and
// the marks a document keeps for its own structure are not, and the
// paragraph separator ends a paragraph instead.
inline bool isTextChar(char16_t c)
{
    return c == u'\t'
        || (c >= 0x20 && c != 0x2029 && c != 0xFDD0 && c != 0xFDD1 && c != 0xFFFC && c != 0xFFFE && c != 0xFFFF);
}

// The nearest half-point of a measure in twips (halves away from zero).
inline int halfPoints(int twips)
{
    return int(std::lround(twips / 10.0));
}

inline bool isBulletStyle(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
        || style == QTextListFormat::ListSquare;
}

} // namespace richtext::internal
