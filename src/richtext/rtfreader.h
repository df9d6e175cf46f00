#pragma once

// The parts of the RTF reader (rtfreader.cpp): the control words it knows
// (rtfwords.cpp), the tokenizer that reads braces, control words and
// symbols and opens destinations (rtftokenizer.cpp), what the words and
// characters do in each destination (rtfdestinations.cpp), and the
// document it builds (rtfreader.cpp).

#include "rtfinternal.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextListFormat>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

class QTextDocument;
class QTextList;

namespace richtext::reader {

enum class Dest {
    Text,       // the document's text
    Skip,       // a destination whose contents are not read
    FontTable,  // \fonttbl
    ColorTable, // \colortbl
    Numbering,  // \pn: the paragraph's bullet or numbering
    Upr,        // \upr: an ANSI group, then the Unicode one (\ud)
    UprPart,    // a group inside \upr; skipped unless it is \ud
};

enum class Word {
    Unknown,
    // destinations
    FontTable, ColorTable, SkipDest, TextDest, Numbering, Upr, Ud,
    // document
    Deff, Bin,
    // characters
    Plain, Bold, Italic, Underline, UnderlineNone, Strike, FontSize, Font, Colour, Background,
    Up, Down, Super, Sub, NoSuperSub, HeightTwips, OffsetTwips, Uc, Unicode,
    // paragraphs
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Level, Par, Line, Tab, Cell,
    Bullet, Numbered, NumberStyle, ListOverride,
    // colour table
    Red, Green, Blue,
    // font table
    Charset,
    // characters by name
    Char,
};

struct WordInfo
{
    Word word = Word::Unknown;
    int value = 0; // a character, or a number style
};

// The control words the reader knows, by name.
const std::unordered_map<std::string_view, WordInfo> &words();

struct CharState
{
    int font = -1;         // -1: the default font (\deff)
    int halfPoints = 0;    // \fs, 0 when not given
    int exactHeight = 0;   // \lnhtw, 0 when not given
    int upDown = 0;        // \up (positive) or \dn (negative), half-points
    int exactOffset = 0;   // \lnotw
    bool hasExactOffset = false;
    bool bold = false, italic = false, underline = false, strike = false;
    int colour = 0, background = 0; // 0: automatic
    QTextCharFormat::VerticalAlignment valign = QTextCharFormat::AlignNormal;
    int uc = 1; // fallback characters after \u

    // The height in twips, 0 when unknown.
    int height() const
    {
        if (halfPoints == 0)
            return exactHeight;
        return exactHeight != 0 && internal::halfPoints(exactHeight) == halfPoints ? exactHeight : halfPoints * 10;
    }
    int offset() const
    {
        return hasExactOffset && internal::halfPoints(exactOffset) == upDown ? exactOffset : upDown * 10;
    }
};

struct ParaState
{
    Qt::Alignment alignment;
    bool hasAlignment = false;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0; // twips
    int level = -1;                              // \lnlvl, -1 when not given
    bool bullet = false, numbered = false;
    QTextListFormat::Style numberStyle = QTextListFormat::ListDecimal;

    QTextListFormat::Style listStyle() const
    {
        if (bullet)
            return QTextListFormat::ListDisc;
        return numbered ? numberStyle : QTextListFormat::ListStyleUndefined;
    }
};

struct Group
{
    CharState chars;
    ParaState para;
    Dest dest = Dest::Text;
};

struct Font
{
    QString name;
    int charset = -1;

    bool isSymbol() const;
};

inline int clampParam(int value, int low, int high)
{
    return std::clamp(value, low, high);
}

// Reads one RTF text into a document, from the start: the tokenizer drives
// it, the destinations take what it finds, the document part writes the
// text with its formats into the document.
class Reader
{
public:
    Reader(QTextDocument &document, const QString &in, bool rawBytes)
        : m_in(in), m_raw(rawBytes), m_document(document)
    {
    }

    void run();

private:
    Group &top() { return m_stack.back(); }

    // The tokenizer (rtftokenizer.cpp)
    void parse();
    void push();
    void pop();
    void control();
    void symbol(char16_t c);
    static int hexValue(char16_t c);
    void word(std::string_view name, bool hasParam, int param, bool ignorable);

    // The destinations (rtfdestinations.cpp)
    void numberingWord(Word w, int value, ParaState &para);
    void textWord(Word w, int value, bool hasParam, int param);
    void rawChar(char16_t c);
    void byteChar(uchar b);
    void unicodeChar(int n);
    void textChar(char16_t c);
    void finishFont();
    void finishColour();

    // The document (rtfreader.cpp)
    bool currentIsSymbol();
    void updateFormat();
    void put(char16_t c);
    void flush();
    void openBlock();
    void endParagraph();
    void finish();
    void finishBlock(const ParaState &p);

    const QString &m_in;
    const bool m_raw;
    QTextDocument &m_document;
    QTextCursor m_cursor;
    qsizetype m_pos = 0;

    std::vector<Group> m_stack;
    int m_overflow = 0;  // groups opened beyond the nesting limit
    int m_skip = 0;      // fallback characters still to skip after \u
    bool m_ignorable = false;

    QHash<int, Font> m_fonts;
    int m_deff = 0;
    int m_fontEntry = -1;
    QString m_fontName;

    QList<QColor> m_colours;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourSet = false;

    QTextCharFormat m_format;
    bool m_formatDirty = true;
    bool m_symbol = false;
    QString m_text;

    bool m_needBlock = false; // a \par ended the last block
    ParaState m_endPara;
    bool m_hasEndPara = false;
    QTextList *m_list = nullptr;
};

} // namespace richtext::reader
