// The bound text edits: DBEdit (one line, dates) and DBMemo (plain text).

#include "dbcontrols.h"
#include "spelling.h"

#include "platform/messages.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextLayout>

namespace controls {

// --- DBEdit ---

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &DBEdit::typed);
}

void DBEdit::bound()
{
    // A wrong date stays on screen while its row is stored: the window then
    // names the field, and the apprentice sees what to correct.
    connect(dataSource(), &DataSource::updateRecord, this, [this] { m_invalidPosting = m_invalid; });
    connect(dataSource(), &DataSource::recordStored, this, [this] {
        if (!m_invalidPosting)
            return;
        m_invalidPosting = false;
        m_invalidPosted = true;
        m_invalidRow = table()->bookmark();
        m_invalidStored = read();
    });
}

bool DBEdit::keepsInvalid() const
{
    const store::Table *t = table();
    if (!m_invalid || !t || !t->isOpen())
        return false;
    if (m_invalidPosting)
        return true;
    // Set from elsewhere (the date picker, another row): the field's value shows.
    if (read() != m_invalidStored)
        return false;
    return t->isEditing() || (m_invalidPosted && t->bookmark() == m_invalidRow);
}

void DBEdit::markInvalid(bool on)
{
    if (on == m_invalid)
        return;
    m_invalid = on;
    if (on) {
        m_normalPalette = palette();
        m_normalToolTip = toolTip();
        QPalette wrong = m_normalPalette;
        wrong.setColor(QPalette::Base, QColor(255, 205, 205));
        setPalette(wrong);
        setToolTip(QStringLiteral("Kein gültiges Datum: bitte als TT.MM.JJJJ eingeben"));
    } else {
        setPalette(m_normalPalette);
        setToolTip(m_normalToolTip);
        m_invalidPosting = m_invalidPosted = false;
    }
}

void DBEdit::discardTyped()
{
    markInvalid(false);
    refresh();
}

void DBEdit::refresh()
{
    if (!dataSource())
        return;
    if (keepsInvalid())
        return;
    markInvalid(false);
    m_typing = false;
    const QString text = readText();
    if (text != this->text())
        setText(text);
    m_accepted = text;
}

void DBEdit::typed(const QString &text)
{
    store::Table *t = table();
    bool unwanted = false;
    if (t) {
        const QScopedValueRollback<bool> guard(m_writing, true);
        unwanted = !mayChange();
    }
    if (unwanted) {
        // The change is not wanted: the text goes back to what it was.
        const int cursor = cursorPosition() - int(text.size() - m_accepted.size());
        setText(m_accepted);
        setCursorPosition(std::clamp(cursor, 0, int(m_accepted.size())));
        return;
    }
    if (!t || !beginEdit()) {
        markInvalid(false);
        refresh();
        return;
    }
    if (const int limit = sizeLimit(); limit > 0 && text.size() > limit) {
        const int cursor = cursorPosition() - int(text.size() - m_accepted.size());
        setText(m_accepted);
        setCursorPosition(std::max(0, cursor));
        refuseTooLong(text.size(), text.size() - m_accepted.size());
        return;
    }
    m_accepted = text;
    const int f = t->def().fieldIndex(dataField());
    if (f >= 0 && t->def().fields[f].type == store::FieldType::Date) {
        if (!m_typing) {
            m_typingOrigin = read();
            m_typing = true;
        }
        // Text that is no date (also on the way to one) is never written: the
        // field then holds what it held before the typing began.
        const QDate d = parseDate(text);
        const bool wrong = !d.isValid() && !text.trimmed().isEmpty();
        const QVariant value = wrong ? m_typingOrigin : d.isValid() ? QVariant(d) : QVariant();
        if (read() != value)
            write(value);
        if (wrong) {
            m_invalidStored = read();
            m_invalidPosting = m_invalidPosted = false;
        }
        markInvalid(wrong);
    } else {
        write(text.isEmpty() ? QVariant() : QVariant(text));
    }
}

// --- DBMemo ---

DBMemo::DBMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    // Tab goes on to the next control; a memo holds no tab characters.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::typed);
}

void DBMemo::refresh()
{
    if (!dataSource())
        return;
    const QString text = readText();
    m_accepted = text;
    if (text != toPlainText()) {
        const QScopedValueRollback<bool> guard(m_writing, true);
        setPlainText(text);
    }
}

void DBMemo::typed()
{
    if (m_writing || !dataSource() || spellCheckRepaints(document()))
        return;
    const QString text = toPlainText();
    bool unwanted = false;
    if (!isReadOnly() && text != m_accepted) {
        const QScopedValueRollback<bool> guard(m_writing, true);
        unwanted = !mayChange();
    }
    if (!unwanted && (isReadOnly() || !beginEdit())) {
        refresh();
        return;
    }
    if (unwanted || (sizeLimit() > 0 && text.size() > sizeLimit())) {
        const int added = int(text.size() - m_accepted.size());
        const int cursor = textCursor().position() - added;
        const int scrolled = verticalScrollBar()->value();
        {
            const QScopedValueRollback<bool> guard(m_writing, true);
            setPlainText(m_accepted);
        }
        QTextCursor back = textCursor();
        back.setPosition(std::clamp(cursor, 0, int(m_accepted.size())));
        setTextCursor(back);
        verticalScrollBar()->setValue(scrolled);
        if (!unwanted)
            refuseTooLong(text.size(), added);
        return;
    }
    m_accepted = text;
    write(text.isEmpty() ? QVariant() : QVariant(text));
}

QStringList DBMemo::displayLines()
{
    // Each paragraph laid out for the width the memo shows its text in.
    int width = viewport()->width();
    if (!isVisible())
        width = this->width() - 2 * frameWidth()
                - (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? verticalScrollBar()->sizeHint().width() : 0);
    width -= 2 * int(document()->documentMargin());
    QStringList lines;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        QTextLayout layout(text, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        bool any = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(1, width));
            QString part = text.mid(line.textStart(), line.textLength());
            while (part.endsWith(QLatin1Char(' ')))
                part.chop(1);
            lines << part;
            any = true;
        }
        layout.endLayout();
        if (!any)
            lines << QString();
    }
    return lines;
}

} // namespace controls
