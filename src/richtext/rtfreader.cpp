// The RTF reader: what word processors write for short formatted texts,
// read into a QTextDocument. Malformed input never stops it: unknown
// control words are skipped, unbalanced braces are tolerated, numbers and
// nesting are limited, and the document keeps whatever text was found.
//
// This file builds the document from what the tokenizer and the
// destinations found, and holds the entry points.

#include "codepage.h"
#include "rtf.h"
#include "rtfreader.h"

#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace richtext::reader {

using namespace internal;

bool Reader::currentIsSymbol()
{
    updateFormat();
    return m_symbol;
}

void Reader::updateFormat()
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

void Reader::put(char16_t c)
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

void Reader::flush()
{
    if (m_text.isEmpty())
        return;
    m_cursor.insertText(m_text, m_format);
    m_text.clear();
}

void Reader::openBlock()
{
    flush();
    m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    m_needBlock = false;
}

void Reader::endParagraph()
{
    if (m_needBlock)
        openBlock();
    flush();
    finishBlock(top().para);
    m_needBlock = true;
    m_hasEndPara = false;
}

void Reader::finish()
{
    flush();
    if (!m_needBlock)
        finishBlock(m_hasEndPara ? m_endPara : top().para);
}

void Reader::finishBlock(const ParaState &p)
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

} // namespace richtext::reader

namespace richtext {

namespace internal {

void read(QTextDocument &document, const QString &rtf, bool rawBytes)
{
    reader::Reader(document, rtf, rawBytes).run();
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
