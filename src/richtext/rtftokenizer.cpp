// The RTF reader's tokenizer: braces and groups, control words with their
// parameters, control symbols, and which destination a word opens.

#include "rtfreader.h"

#include <QTextDocument>

#include <algorithm>

namespace richtext::reader {

using namespace internal;

void Reader::run()
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

void Reader::parse()
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

void Reader::push()
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

void Reader::pop()
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
void Reader::control()
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
void Reader::symbol(char16_t c)
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

int Reader::hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

void Reader::word(std::string_view name, bool hasParam, int param, bool ignorable)
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

} // namespace richtext::reader
