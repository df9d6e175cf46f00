// The RTF reader: what word processors write for short formatted texts,
// read into a QTextDocument. Malformed input never stops it: unknown
// control words are skipped, unbalanced braces are tolerated, numbers and
// nesting are limited, and the document keeps whatever text was found.

#include "codepage.h"
#include "rtf.h"
#include "rtfinternal.h"

#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace richtext {

namespace {

using namespace internal;

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

const std::unordered_map<std::string_view, WordInfo> &words()
{
    static const std::unordered_map<std::string_view, WordInfo> map = [] {
        std::unordered_map<std::string_view, WordInfo> m;
        auto add = [&m](std::string_view name, Word w, int value = 0) { m.emplace(name, WordInfo{w, value}); };
        add("fonttbl", Word::FontTable);
        add("colortbl", Word::ColorTable);
        // Destinations whose text is not part of the document.
        for (std::string_view n :
             {"info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
              "footerf", "footnote", "annotation", "atnid", "atnauthor", "atndate", "atnref", "atrfstart", "atrfend",
              "fldinst", "pntext", "listtext", "pntxta", "pntxtb", "txe", "xe", "tc", "rxe", "bkmkstart", "bkmkend",
              "template", "filetbl", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "themedata",
              "colorschememapping", "datastore", "latentstyles", "xmlnstbl", "nonshppict", "shp", "shpinst", "shprslt",
              "sp", "sn", "sv", "private", "pgdsctbl", "docvar", "userprops", "objdata", "objclass", "objname",
              "blipuid", "falt", "panose", "comment", "author", "title", "subject", "operator", "keywords",
              "doccomm", "company", "category", "creatim", "revtim", "printim", "buptim", "manager", "hlinkbase",
              "mmathPr", "wgrffmtfilter", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn",
              "background", "fchars", "lchars", "protusertbl", "password", "passwordhash", "do", "bookmark",
              "formfield", "datafield", "fname", "ffdeftext", "ffformat", "ffhelptext", "ffstattext", "ffentrymcr",
              "ffexitmcr", "fontemb", "fontfile", "listpicture", "oldcprops", "oldpprops", "oldsprops", "oldtprops",
              "pnseclvl", "defchp", "defpap"})
            add(n, Word::SkipDest);
        add("fldrslt", Word::TextDest);
        add("pn", Word::Numbering);
        add("upr", Word::Upr);
        add("ud", Word::Ud);
        add("deff", Word::Deff);
        add("bin", Word::Bin);

        add("plain", Word::Plain);
        add("b", Word::Bold);
        add("i", Word::Italic);
        for (std::string_view n : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                                   "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
                                   "ulwave"})
            add(n, Word::Underline);
        add("ulnone", Word::UnderlineNone);
        add("strike", Word::Strike);
        add("striked", Word::Strike);
        add("fs", Word::FontSize);
        add("f", Word::Font);
        add("cf", Word::Colour);
        add("cb", Word::Background);
        add("highlight", Word::Background);
        add("up", Word::Up);
        add("dn", Word::Down);
        add("super", Word::Super);
        add("sub", Word::Sub);
        add("nosupersub", Word::NoSuperSub);
        add(heightWord, Word::HeightTwips);
        add(offsetWord, Word::OffsetTwips);
        add("uc", Word::Uc);
        add("u", Word::Unicode);

        add("pard", Word::Pard);
        add("ql", Word::Ql);
        add("qc", Word::Qc);
        add("qr", Word::Qr);
        add("qj", Word::Qj);
        add("li", Word::Li);
        add("ri", Word::Ri);
        add("fi", Word::Fi);
        add("sb", Word::Sb);
        add("sa", Word::Sa);
        add(levelWord, Word::Level);
        for (std::string_view n : {"par", "sect", "page", "row", "nestrow"})
            add(n, Word::Par);
        add("line", Word::Line);
        add("tab", Word::Tab);
        add("cell", Word::Cell);
        add("nestcell", Word::Cell);
        add("pnlvlblt", Word::Bullet);
        add("pnlvlbody", Word::Numbered);
        add("pndec", Word::NumberStyle, QTextListFormat::ListDecimal);
        add("pnucltr", Word::NumberStyle, QTextListFormat::ListUpperAlpha);
        add("pnlcltr", Word::NumberStyle, QTextListFormat::ListLowerAlpha);
        add("pnucrm", Word::NumberStyle, QTextListFormat::ListUpperRoman);
        add("pnlcrm", Word::NumberStyle, QTextListFormat::ListLowerRoman);
        add("ls", Word::ListOverride);

        add("red", Word::Red);
        add("green", Word::Green);
        add("blue", Word::Blue);
        add("fcharset", Word::Charset);

        add("emdash", Word::Char, 0x2014);
        add("endash", Word::Char, 0x2013);
        add("bullet", Word::Char, 0x2022);
        add("lquote", Word::Char, 0x2018);
        add("rquote", Word::Char, 0x2019);
        add("ldblquote", Word::Char, 0x201C);
        add("rdblquote", Word::Char, 0x201D);
        add("emspace", Word::Char, 0x2003);
        add("enspace", Word::Char, 0x2002);
        add("qmspace", Word::Char, 0x2005);
        add("zwj", Word::Char, 0x200D);
        add("zwnj", Word::Char, 0x200C);
        add("ltrmark", Word::Char, 0x200E);
        add("rtlmark", Word::Char, 0x200F);
        return m;
    }();
    return map;
}

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

    bool isSymbol() const
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
};

int clampParam(int value, int low, int high)
{
    return std::clamp(value, low, high);
}

class Reader
{
public:
    Reader(QTextDocument &document, const QString &in, bool rawBytes)
        : m_in(in), m_raw(rawBytes), m_document(document)
    {
    }

    void run()
    {
        const bool undo = m_document.isUndoRedoEnabled();
        m_document.setUndoRedoEnabled(false);
        m_document.clear();
        m_cursor = QTextCursor(&m_document);
        m_cursor.beginEditBlock();
        m_stack.reserve(64);
        m_stack.push_back(Group());
        parse();
        finish();
        m_cursor.endEditBlock();
        m_document.setUndoRedoEnabled(undo);
    }

private:
    Group &top() { return m_stack.back(); }

    void parse()
    {
        const qsizetype n = m_in.size();
        while (m_pos < n) {
            const char16_t c = m_in.at(m_pos).unicode();
            switch (c) {
            case u'{':
                ++m_pos;
                m_skip = 0;
                m_ignorable = false;
                push();
                break;
            case u'}':
                ++m_pos;
                m_skip = 0;
                m_ignorable = false;
                pop();
                break;
            case u'\\':
                ++m_pos;
                control();
                break;
            case u'\r':
            case u'\n':
                ++m_pos;
                break;
            default:
                ++m_pos;
                m_ignorable = false;
                if (m_skip > 0) {
                    --m_skip;
                    break;
                }
                rawChar(c);
                break;
            }
        }
    }

    void push()
    {
        if (int(m_stack.size()) >= maxDepth) {
            ++m_overflow;
            return;
        }
        Group g = m_stack.back();
        if (g.dest == Dest::Upr)
            g.dest = Dest::UprPart;
        else if (g.dest == Dest::UprPart)
            g.dest = Dest::Skip;
        m_stack.push_back(g);
    }

    void pop()
    {
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.size() <= 1)
            return; // more closing braces than opening ones
        const Group child = m_stack.back();
        m_stack.pop_back();
        Group &parent = m_stack.back();
        if (child.dest == Dest::FontTable)
            finishFont();
        if (child.dest == Dest::ColorTable && parent.dest != Dest::ColorTable && m_colourSet)
            finishColour();
        if (child.dest == Dest::Numbering && parent.dest != Dest::Numbering) {
            parent.para.bullet = child.para.bullet;
            parent.para.numbered = child.para.numbered;
            parent.para.numberStyle = child.para.numberStyle;
        }
        // The closing brace of the outermost group ends the text: its
        // paragraph settings apply to a last paragraph without \par.
        if (m_stack.size() == 1 && !m_needBlock) {
            m_endPara = child.para;
            m_hasEndPara = true;
        }
        m_formatDirty = true;
    }

    // After a backslash.
    void control()
    {
        const qsizetype n = m_in.size();
        if (m_pos >= n)
            return;
        const char16_t c = m_in.at(m_pos).unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) {
            ++m_pos;
            symbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < n) {
            const char16_t l = m_in.at(m_pos).unicode();
            if (!((l >= u'a' && l <= u'z') || (l >= u'A' && l <= u'Z')))
                break;
            ++m_pos;
        }
        char name[33];
        const qsizetype length = std::min<qsizetype>(m_pos - start, 32);
        for (qsizetype i = 0; i < length; ++i)
            name[i] = char(m_in.at(start + i).unicode());
        bool hasParam = false;
        bool negative = false;
        long long value = 0;
        if (m_pos + 1 < n && m_in.at(m_pos) == u'-' && m_in.at(m_pos + 1).isDigit()
            && m_in.at(m_pos + 1).unicode() < 0x80) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < n) {
            const char16_t d = m_in.at(m_pos).unicode();
            if (d < u'0' || d > u'9')
                break;
            hasParam = true;
            if (value < 10'000'000'000LL)
                value = value * 10 + (d - u'0');
            ++m_pos;
        }
        if (m_pos < n && m_in.at(m_pos) == u' ')
            ++m_pos;
        value = std::min<long long>(value, 2'000'000'000LL);
        const int param = int(negative ? -value : value);
        const bool ignorable = m_ignorable;
        m_ignorable = false;
        word(std::string_view(name, std::size_t(length)), hasParam, param, ignorable);
    }

    // A control symbol: backslash and one character that is not a letter.
    void symbol(char16_t c)
    {
        if (c == u'*') {
            m_ignorable = true;
            return;
        }
        m_ignorable = false;
        if (c == u'\'') {
            // Two hex digits; an escape with fewer is dropped.
            const int high = m_pos < m_in.size() ? hexValue(m_in.at(m_pos).unicode()) : -1;
            if (high < 0)
                return;
            ++m_pos;
            const int low = m_pos < m_in.size() ? hexValue(m_in.at(m_pos).unicode()) : -1;
            if (low < 0)
                return;
            ++m_pos;
            if (m_skip > 0) {
                --m_skip;
                return;
            }
            byteChar(uchar(high * 16 + low));
            return;
        }
        if (c == u'\r' || c == u'\n') {
            // A backslash before a line end is a paragraph mark.
            m_skip = 0;
            if (top().dest == Dest::Text)
                endParagraph();
            return;
        }
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        switch (c) {
        case u'\\':
        case u'{':
        case u'}':
            byteChar(uchar(c));
            break;
        case u'~':
            textChar(u'\u00A0');
            break;
        case u'-':
            textChar(u'\u00AD');
            break;
        case u'_':
            textChar(u'\u2011');
            break;
        default:
            break; // \: \| and others: nothing to show
        }
    }

    static int hexValue(char16_t c)
    {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return -1;
    }

    void word(std::string_view name, bool hasParam, int param, bool ignorable)
    {
        const auto found = words().find(name);
        const WordInfo info = found == words().end() ? WordInfo() : found->second;
        const Word w = info.word;

        // Binary data is skipped wherever it is, so that its bytes are not
        // taken for braces or text.
        if (w == Word::Bin) {
            if (hasParam && param > 0)
                m_pos = std::min<qsizetype>(m_in.size(), m_pos + param);
            return;
        }
        if (m_skip > 0 && w != Word::Par && w != Word::Line) {
            --m_skip;
            return;
        }
        m_skip = 0;

        Group &g = top();
        if (g.dest == Dest::Skip)
            return;
        if (g.dest == Dest::UprPart) {
            if (w == Word::Ud)
                g.dest = Dest::Text;
            else if (ignorable)
                g.dest = Dest::Skip;
            return;
        }

        switch (w) {
        case Word::FontTable:
            g.dest = Dest::FontTable;
            m_fontEntry = -1;
            m_fontName.clear();
            return;
        case Word::ColorTable:
            g.dest = Dest::ColorTable;
            m_colourSet = false;
            m_red = m_green = m_blue = 0;
            return;
        case Word::SkipDest:
            g.dest = Dest::Skip;
            return;
        case Word::TextDest:
        case Word::Ud:
            if (g.dest == Dest::Text)
                return;
            g.dest = Dest::Skip;
            return;
        case Word::Numbering:
            g.dest = g.dest == Dest::Text ? Dest::Numbering : Dest::Skip;
            return;
        case Word::Upr:
            g.dest = g.dest == Dest::Text ? Dest::Upr : Dest::Skip;
            return;
        default:
            break;
        }
        // An ignorable group of a kind not read here.
        if (ignorable) {
            g.dest = Dest::Skip;
            return;
        }

        switch (g.dest) {
        case Dest::Text:
            textWord(w, info.value, hasParam, param);
            break;
        case Dest::FontTable:
            if (w == Word::Font) {
                finishFont();
                m_fontEntry = hasParam ? std::max(0, param) : 0;
                m_fonts[m_fontEntry];
            } else if (w == Word::Charset && m_fontEntry >= 0) {
                m_fonts[m_fontEntry].charset = param;
            } else if (w == Word::Unicode) {
                unicodeChar(param);
                m_skip = g.chars.uc;
            }
            break;
        case Dest::ColorTable:
            if (w == Word::Red || w == Word::Green || w == Word::Blue) {
                const int v = clampParam(param, 0, 255);
                (w == Word::Red ? m_red : w == Word::Green ? m_green : m_blue) = v;
                m_colourSet = true;
            }
            break;
        case Dest::Numbering:
            numberingWord(w, info.value, g.para);
            break;
        default:
            break;
        }
    }

    void numberingWord(Word w, int value, ParaState &para)
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

    void textWord(Word w, int value, bool hasParam, int param)
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
    void rawChar(char16_t c)
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
    void byteChar(uchar b)
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

    void unicodeChar(int n)
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

    void textChar(char16_t c)
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

    void finishFont()
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

    void finishColour()
    {
        m_colours.append(m_colourSet ? QColor(m_red, m_green, m_blue) : QColor());
        m_colourSet = false;
        m_red = m_green = m_blue = 0;
        m_formatDirty = true;
    }

    bool currentIsSymbol()
    {
        updateFormat();
        return m_symbol;
    }

    void updateFormat()
    {
        if (!m_formatDirty)
            return;
        m_formatDirty = false;
        const CharState &c = top().chars;
        QTextCharFormat f;
        const auto font = m_fonts.constFind(c.font < 0 ? m_deff : c.font);
        m_symbol = font != m_fonts.constEnd() && font->isSymbol();
        if (m_symbol)
            setSymbolFont(f);
        else if (font != m_fonts.constEnd() && !font->name.isEmpty())
            f.setFontFamilies({font->name});
        const int height = c.height(), offset = c.offset();
        if (height > 0 || offset != 0)
            setHeightAndOffset(f, height, offset);
        if (c.bold)
            f.setFontWeight(QFont::Bold);
        if (c.italic)
            f.setFontItalic(true);
        if (c.underline)
            f.setFontUnderline(true);
        if (c.strike)
            f.setFontStrikeOut(true);
        if (c.colour > 0 && c.colour < m_colours.size() && m_colours.at(c.colour).isValid())
            f.setForeground(m_colours.at(c.colour));
        if (c.background > 0 && c.background < m_colours.size() && m_colours.at(c.background).isValid())
            f.setBackground(m_colours.at(c.background));
        if (c.valign != QTextCharFormat::AlignNormal)
            f.setVerticalAlignment(c.valign);
        if (f != m_format) {
            flush();
            m_format = f;
        }
    }

    void put(char16_t c)
    {
        // Characters a document keeps for its own structure, and control
        // characters, are not text.
        if (c == u'\u2029') {
            endParagraph();
            return;
        }
        if (!isTextChar(c))
            return;
        if (m_needBlock)
            openBlock();
        updateFormat();
        m_text += QChar(c);
        m_hasEndPara = false;
    }

    void flush()
    {
        if (m_text.isEmpty())
            return;
        m_cursor.insertText(m_text, m_format);
        m_text.clear();
    }

    void openBlock()
    {
        flush();
        m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        m_needBlock = false;
    }

    void endParagraph()
    {
        if (m_needBlock)
            openBlock();
        flush();
        finishBlock(top().para);
        m_needBlock = true;
        m_hasEndPara = false;
    }

    void finish()
    {
        flush();
        if (!m_needBlock)
            finishBlock(m_hasEndPara ? m_endPara : top().para);
    }

    void finishBlock(const ParaState &p)
    {
        QTextBlockFormat bf;
        if (p.hasAlignment)
            bf.setAlignment(p.alignment);
        const QTextListFormat::Style style = p.listStyle();
        const bool list = style != QTextListFormat::ListStyleUndefined;
        const int level = list ? std::max(1, p.level) : std::max(0, p.level);
        // The text never starts left of the paragraph's box.
        const int margin = std::max(list ? -level * levelTwips : 0, p.li - level * levelTwips);
        const int indent = std::max(p.fi + (list ? bulletHangTwips : 0), -(margin + level * levelTwips));
        if (margin != 0)
            bf.setLeftMargin(margin / twipsPerPixel);
        if (indent != 0)
            bf.setTextIndent(indent / twipsPerPixel);
        if (p.ri != 0)
            bf.setRightMargin(std::max(0, p.ri) / twipsPerPixel);
        if (p.sb != 0)
            bf.setTopMargin(p.sb / twipsPerPixel);
        if (p.sa != 0)
            bf.setBottomMargin(p.sa / twipsPerPixel);
        if (!list && level > 0)
            bf.setIndent(level);
        m_cursor.setBlockFormat(bf);
        if (!list) {
            m_list = nullptr;
            return;
        }
        if (m_list && m_list->format().style() == style && m_list->format().indent() == level) {
            m_list->add(m_cursor.block());
        } else {
            QTextListFormat lf;
            lf.setStyle(style);
            lf.setIndent(level);
            m_list = m_cursor.createList(lf);
        }
    }

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

} // namespace

namespace internal {

void read(QTextDocument &document, const QString &rtf, bool rawBytes)
{
    Reader(document, rtf, rawBytes).run();
}

void setPlain(QTextDocument &document, QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    // Control characters and the marks of the document's structure are not
    // text here either.
    text.removeIf([](QChar c) { return c != QLatin1Char('\n') && !isTextChar(c.unicode()); });
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.setPlainText(text);
    document.setUndoRedoEnabled(undo);
}

} // namespace internal

bool readRtf(QTextDocument &document, const QByteArray &rtf)
{
    if (!isRtf(rtf)) {
        // Plain text: UTF-8 if it is valid, otherwise Windows-1252.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(rtf);
        if (utf8.hasError()) {
            text.clear();
            text.reserve(rtf.size());
            for (char b : rtf)
                text += codepage::toUnicode(uchar(b));
        }
        internal::setPlain(document, text);
        return false;
    }
    internal::read(document, QString::fromLatin1(rtf), true);
    return true;
}

} // namespace richtext
