#include "rtf.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace richtext {

SplitText split(const QString &stored, int position)
{
    QTextDocument whole;
    load(whole, stored);
    const int end = whole.characterCount() - 1; // the last paragraph's end
    position = std::clamp(position, 0, end);
    const QTextBlock at = whole.findBlock(position);
    const bool paragraphStart = at.position() == position;
    const QTextBlockFormat paragraph = at.blockFormat();
    const QTextListFormat list = at.textList() ? at.textList()->format() : QTextListFormat();

    SplitText out;
    {
        QTextDocument first;
        load(first, stored);
        QTextCursor c(&first);
        // A cut at a paragraph's start takes the break before it away too.
        c.setPosition(paragraphStart && position > 0 ? position - 1 : position);
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        out.before = writeRtf(first);
    }
    {
        QTextDocument second;
        load(second, stored);
        QTextCursor c(&second);
        c.setPosition(position, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        // The remaining first paragraph took the format of the paragraph
        // the text began with: it gets its own back.
        c.movePosition(QTextCursor::Start);
        if (QTextList *l = c.currentList())
            l->remove(c.block());
        QTextBlockFormat own = paragraph;
        own.clearProperty(QTextFormat::ObjectIndex); // a list of the other document
        c.setBlockFormat(own);
        if (list.isValid() && paragraphStart)
            c.createList(list);
        out.after = writeRtf(second);
    }
    return out;
}

} // namespace richtext
