#pragma once

#include <QByteArray>
#include <QString>
#include <QTextFormat>

class QTextCharFormat;
class QTextDocument;

// Formatted texts are stored as RTF in the memo fields of the reports and
// hints. The reader turns such a text into a QTextDocument and the writer
// turns a document back into RTF; a document the editor produced survives
// the round trip unchanged.
namespace richtext {

// Character format properties holding the exact character height and
// baseline offset in twips (1/20 point). The editor computes raised and
// lowered text on these whole numbers; the font's point size and the
// vertical offset used for display follow from them.
inline constexpr int HeightTwips = QTextFormat::UserProperty + 1; // int
inline constexpr int OffsetTwips = QTextFormat::UserProperty + 2; // int, positive raises
// Marks characters in the font "Symbol" (bool). They are held as their
// Unicode equivalents and shown in symbolDisplayFamily(): the symbol fonts
// installed here draw only the old byte codes, and Qt does not take missing
// glyphs of a symbol font from other fonts.
inline constexpr int SymbolFont = QTextFormat::UserProperty + 3;

// True when a stored memo text is RTF (it starts with "{\rtf").
bool isRtf(const QByteArray &stored);
bool isRtf(const QString &stored);

// Replaces the document's contents by the stored text: RTF is read, any
// other text is taken as plain text. Never throws; on malformed RTF the
// document holds what could be read.
void load(QTextDocument &document, const QString &stored);
// The plain text of a stored text (RTF or not), paragraphs joined by '\n'.
QString toPlainText(const QString &stored);
// Reads RTF. Returns false when the input is not RTF at all; the document
// then holds it as plain text.
bool readRtf(QTextDocument &document, const QByteArray &rtf);

// The document as RTF: 7-bit text, characters outside Windows-1252 as \uN,
// characters in the font "Symbol" as their single byte in that font.
QByteArray writeRtf(const QTextDocument &document);

// A stored text cut in two at a character position of the document it
// loads into: the part before it and the part from it on, each as RTF with
// its formatting. A cut at the start of a paragraph leaves the paragraph
// break out of both parts; the second part's first paragraph keeps its
// paragraph format (a bulleted paragraph its bullet).
struct SplitText
{
    QByteArray before;
    QByteArray after;
};
SplitText split(const QString &stored, int position);

// Character heights and offsets in twips, read from the format's
// properties, or derived from its point size when they are not set.
int heightTwips(const QTextCharFormat &format);
int offsetTwips(const QTextCharFormat &format);
// Sets height and offset in twips, the point size and the display offset.
void setHeightAndOffset(QTextCharFormat &format, int heightTwips, int offsetTwips);

// The font "Symbol": its single-byte codes shown as Unicode characters.
QString symbolFontName();
// The font the characters of the font "Symbol" are shown in.
QString symbolDisplayFamily();
// True for characters marked with `SymbolFont`, and for a format whose
// font family is "Symbol" itself (its characters are then the font's bytes).
bool isSymbolFont(const QTextCharFormat &format);
// Marks the format as the font "Symbol" and sets the display family.
void setSymbolFont(QTextCharFormat &format);
// The Unicode character of a byte of the "Symbol" font (the byte itself
// for codes without an equivalent).
QChar symbolToUnicode(uchar code);
// The byte of the "Symbol" font for a Unicode character, 0 when it has none.
uchar unicodeToSymbol(QChar c);

} // namespace richtext
