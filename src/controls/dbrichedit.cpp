// DBRichEdit: rich text stored as RTF, with its clipboard and its keys.

#include "dbcontrols.h"
#include "spelling.h"

#include "richtext/rtf.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextDocumentFragment>

namespace controls {

// --- DBRichEdit ---

DBRichEdit::DBRichEdit(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    // Tab goes on to the next control like everywhere else; Ctrl+Tab types
    // a tab character.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        // The spelling check's underline changes the layout, not the text.
        if (m_loading || isReadOnly() || (removed == 0 && added == 0) || spellCheckRepaints(document()))
            return;
        // Without a row to edit the typed text is never stored.
        if (!m_dirty && beginEdit())
            m_dirty = true;
    });
}

namespace {

// Whether a key typed into a text field changes its text: a printable
// character, the keys that delete or break lines, and the edit shortcuts.
bool changesText(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    case Qt::Key_Tab:
        return event->modifiers() == Qt::ControlModifier;
    default:
        break;
    }
    for (const auto key : {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo,
                           QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord,
                           QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine})
        if (event->matches(key))
            return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint()
           && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

} // namespace

bool DBRichEdit::changeWanted()
{
    return askChange();
}

void DBRichEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!isReadOnly() && !event->commitString().isEmpty() && !changeWanted()) {
        event->accept();
        return;
    }
    QTextEdit::inputMethodEvent(event);
}

void DBRichEdit::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && changesText(event) && !changeWanted()) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier && !isReadOnly()) {
        textCursor().insertText(QStringLiteral("\t"));
        ensureCursorVisible();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

bool DBRichEdit::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier && !isReadOnly()) {
            event->accept();
            return true;
        }
    }
    return QTextEdit::event(event);
}

void DBRichEdit::refresh()
{
    if (!dataSource())
        return;
    const QString stored = readText();
    if (stored == m_stored && !m_dirty)
        return;
    const QScopedValueRollback<bool> guard(m_loading, true);
    richtext::load(*document(), stored);
    document()->setModified(false);
    m_stored = stored;
    m_dirty = false;
}

void DBRichEdit::bound()
{
    connect(dataSource(), &DataSource::updateRecord, this, &DBRichEdit::flush, Qt::UniqueConnection);
}

void DBRichEdit::flush()
{
    if (!m_dirty || !table() || !table()->isEditing())
        return;
    m_dirty = false;
    // Entering the field marks it changed; a document that still holds
    // what was stored (or last written) is not written again in another
    // form: a plain text stays plain, an unchanged RTF keeps its bytes.
    if (!document()->isModified())
        return;
    const QString text = document()->isEmpty() ? QString() : QString::fromLatin1(richtext::writeRtf(*document()));
    m_stored = text;
    // What is written is the clean state from now on, so that undoing back
    // to the text as opened is a change again.
    document()->setModified(false);
    const QScopedValueRollback<bool> guard(m_writing, true);
    table()->setValue(dataField(), text.isEmpty() ? QVariant() : QVariant(text));
}

QString DBRichEdit::pendingText() const
{
    // Entering the field marks it changed; its document then still holds
    // the stored text, which is not written again in another form.
    if (!m_dirty || !document()->isModified())
        return readText();
    return document()->isEmpty() ? QString() : QString::fromLatin1(richtext::writeRtf(*document()));
}

void DBRichEdit::setModified(bool modified)
{
    if (modified && !m_dirty && !beginEdit())
        return;
    m_dirty = modified;
}

namespace {

// Clipboard formats of RTF, as desktops name them.
const QStringList rtfMimeTypes = {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                                  QStringLiteral("text/richtext")};

} // namespace

QMimeData *DBRichEdit::createMimeDataFromSelection() const
{
    // Qt's own data names its formats only until it is first read; a plain
    // copy of them keeps the RTF among the formats it offers.
    const std::unique_ptr<QMimeData> own(QTextEdit::createMimeDataFromSelection());
    auto *mime = new QMimeData;
    for (const QString &type : own->formats())
        mime->setData(type, own->data(type));
    QTextDocument selected;
    QTextCursor(&selected).insertFragment(textCursor().selection());
    mime->setData(rtfMimeTypes.first(), richtext::writeRtf(selected));
    return mime;
}

void DBRichEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || isReadOnly() || !changeWanted())
        return;
    QTextDocument pasted;
    pasted.setDefaultFont(document()->defaultFont());
    bool formatted = false;
    for (const QString &type : rtfMimeTypes) {
        if (source->hasFormat(type) && richtext::readRtf(pasted, source->data(type))) {
            formatted = true;
            break;
        }
    }
    if (!formatted && source->hasHtml()) {
        pasted.setHtml(source->html());
        // Through the stored form and back: only what it holds stays.
        const QByteArray rtf = richtext::writeRtf(pasted);
        pasted.clear();
        richtext::readRtf(pasted, rtf);
        formatted = true;
    }
    if (!formatted) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.insertFragment(QTextDocumentFragment(&pasted));
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace controls
