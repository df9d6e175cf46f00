#include "dbcontrols.h"

#include "richtext/rtf.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "store/table.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace controls {

namespace {

const QString dateFormat = QStringLiteral("dd.MM.yyyy");

} // namespace

QDate parseDate(const QString &text)
{
    return store::dateFromText(text);
}

// --- DataSource ---

DataSource::DataSource(const QString &name, store::Table *table, QObject *parent) : QObject(parent)
{
    setObjectName(name);
    setTable(table);
}

void DataSource::setTable(store::Table *table)
{
    for (auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_table = table;
    if (table) {
        m_connections = {
            connect(table, &store::Table::afterScroll, this, &DataSource::dataChanged),
            connect(table, &store::Table::stateChanged, this, &DataSource::dataChanged),
            connect(table, &store::Table::afterOpen, this, &DataSource::dataChanged),
            connect(table, &store::Table::fieldChanged, this, &DataSource::fieldChanged),
            connect(table, &store::Table::beforePost, this, &DataSource::updateRecord),
            connect(table, &store::Table::afterPost, this, &DataSource::recordStored),
        };
    }
    emit dataChanged();
}

// --- FieldLink ---

namespace {

// A control waits while the window it sits in is hidden; a control that is
// a window of its own always shows its row.
QWidget *hiddenWindow(const QWidget *control)
{
    QWidget *window = control->window();
    return window != control && !window->isVisible() ? window : nullptr;
}

} // namespace

// Refreshes a control that missed changes while its window was hidden when
// the window is shown (also the controls of its pages that are not showing).
class ShowWatcher : public QObject
{
public:
    ShowWatcher(FieldLink *link, QObject *control) : QObject(control), m_link(link) {}
    void watch(QWidget *window)
    {
        if (m_window == window)
            return;
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = window;
        window->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show && m_link->m_stale && !m_link->unseen())
            m_link->catchUp();
        return false;
    }

private:
    FieldLink *m_link;
    QPointer<QWidget> m_window;
};

void FieldLink::sync()
{
    if (m_writing)
        return;
    const auto *widget = dynamic_cast<const QWidget *>(this);
    if (QWidget *window = widget ? hiddenWindow(widget) : nullptr; window && mayWait()) {
        if (!m_watcher)
            m_watcher = new ShowWatcher(this, const_cast<QWidget *>(widget));
        m_watcher->watch(window);
        m_stale = true;
        return;
    }
    if (unseen() && mayWait()) {
        m_stale = true; // caught up by the control's own showing
        return;
    }
    m_stale = false;
    refresh();
}

bool FieldLink::unseen() const
{
    const auto *widget = dynamic_cast<const QWidget *>(this);
    return waitsUntilSeen() && widget && !widget->isVisible();
}

void FieldLink::catchUp() const
{
    auto *self = const_cast<FieldLink *>(this);
    if (!self->m_stale || self->m_writing)
        return;
    self->m_stale = false;
    self->refresh();
}

void FieldLink::bind(DataSource *source, const QString &field)
{
    for (auto &c : m_connections)
        QObject::disconnect(c);
    m_connections.clear();
    m_source = source;
    m_field = field;
    auto *control = dynamic_cast<QObject *>(this);
    if (source && control) {
        m_connections = {
            QObject::connect(source, &DataSource::dataChanged, control, [this] { sync(); }),
            QObject::connect(source, &DataSource::fieldChanged, control,
                             [this](const QString &f) {
                                 if (f.compare(m_field, Qt::CaseInsensitive) == 0)
                                     sync();
                             }),
        };
    }
    bound();
    m_stale = false;
    refresh();
}

store::Table *FieldLink::table() const
{
    return m_source ? m_source->table() : nullptr;
}

QVariant FieldLink::read() const
{
    store::Table *t = table();
    if (!t || !t->isOpen() || m_field.isEmpty())
        return {};
    if (m_row >= 0)
        return t->valueAt(m_row, m_field);
    return t->value(m_field);
}

QString FieldLink::readText() const
{
    const QVariant v = read();
    if (v.isNull() || !v.isValid())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(dateFormat);
    return v.toString();
}

bool FieldLink::beginEdit()
{
    store::Table *t = table();
    if (!t || !t->isOpen())
        return false;
    const QScopedValueRollback<bool> guard(m_writing, true);
    if (m_row >= 0 && t->recNo() != m_row) {
        if (m_row >= t->recordCount())
            return false;
        t->moveTo(m_row);
    }
    if (!t->isEditing()) {
        if (m_row >= 0 && t->isEmpty())
            return false;
        t->edit();
    }
    return true;
}

int FieldLink::sizeLimit() const
{
    const store::Table *t = table();
    const int f = t ? t->def().fieldIndex(m_field) : -1;
    return f >= 0 && t->def().fields[f].type == store::FieldType::String ? t->def().fields[f].size : 0;
}

void refuseTooLongText(const QString &what, int size, qsizetype length)
{
    platform::messages().error(QStringLiteral("Der Text ist zu lang für das Feld „%1“: Es fasst höchstens %2 Zeichen, "
                                              "der eingefügte Text ergäbe %3 Zeichen. Es wurde nichts eingefügt; bitte kürzen Sie den "
                                              "Text.")
                                   .arg(what)
                                   .arg(size)
                                   .arg(length));
}

void FieldLink::refuseTooLong(qsizetype length, qsizetype added) const
{
    if (added <= 1)
        platform::messages().beep();
    else
        refuseTooLongText(m_field, sizeLimit(), length);
}

void FieldLink::write(const QVariant &value)
{
    if (!beginEdit())
        return;
    const QScopedValueRollback<bool> guard(m_writing, true);
    table()->setValue(m_field, value);
}

// --- DBText ---

DBText::DBText(QWidget *parent) : QLabel(parent)
{}

void DBText::refresh()
{
    setText(readText());
}

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
    if (m_writing || !dataSource())
        return;
    if (isReadOnly() || !beginEdit()) {
        refresh();
        return;
    }
    const QString text = toPlainText();
    if (const int limit = sizeLimit(); limit > 0 && text.size() > limit) {
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

// --- DBRichEdit ---

DBRichEdit::DBRichEdit(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    // Tab goes on to the next control like everywhere else; Ctrl+Tab types
    // a tab character.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (m_loading || isReadOnly() || (removed == 0 && added == 0))
            return;
        // Without a row to edit the typed text is never stored.
        if (!m_dirty && beginEdit())
            m_dirty = true;
    });
}

void DBRichEdit::keyPressEvent(QKeyEvent *event)
{
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
    const QString text = document()->isEmpty() ? QString() : QString::fromLatin1(richtext::writeRtf(*document()));
    m_stored = text;
    m_dirty = false;
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
    if (!source || isReadOnly())
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

// --- DBCheckBox ---

DBCheckBox::DBCheckBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent)
{
    connect(this, &QCheckBox::clicked, this, [this](bool on) {
        if (!beginEdit()) {
            refresh();
            return;
        }
        write(on);
    });
}

void DBCheckBox::refresh()
{
    if (!dataSource())
        return;
    const QVariant v = read();
    setChecked(!v.isNull() && v.isValid() && v.toBool());
}

// --- DBImage ---

DBImage::DBImage(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
}

void DBImage::refresh()
{
    if (!dataSource())
        return;
    const QVariant v = read();
    const QByteArray bytes = v.isValid() && !v.isNull() ? v.toByteArray() : QByteArray();
    m_picture = bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
    setPixmap(m_picture.isNull() ? QPixmap() : QPixmap::fromImage(m_picture));
}

void DBImage::showEvent(QShowEvent *event)
{
    catchUp();
    QLabel::showEvent(event);
}

QSize DBImage::pictureSize() const
{
    store::Table *t = table();
    if (stale() && t && t->isOpen() && row() < 0) {
        // BMP, PNG and JPEG name the size in their first bytes.
        QByteArray head = t->leadingBytes(dataField(), 64 * 1024);
        QBuffer buffer(&head);
        QImageReader reader(&buffer);
        if (const QSize size = reader.size(); size.isValid() && !size.isEmpty())
            return size;
    }
    return picture().size();
}

QImage DBImage::picture() const
{
    catchUp();
    return m_picture;
}

// --- DBCtrlGrid ---

bool focusPastContainer(QWidget *container, bool forward)
{
    QWidget *w = container;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == container)
            return false;
        if (container->isAncestorOf(w) || w->window() != container->window())
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isEnabled() && w->isVisible()
            && !w->focusProxy()) {
            // A control on a scrolled page comes into sight, as Tab brings it.
            for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
                if (auto *area = qobject_cast<QScrollArea *>(p)) {
                    area->ensureWidgetVisible(w);
                    break;
                }
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
}

DBCtrlGrid::DBCtrlGrid(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    // One stop of the Tab order; the focus passes on to the current row.
    setFocusPolicy(Qt::StrongFocus);
    m_scroll = new QScrollArea(this);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setWidgetResizable(true);
    m_content = new QWidget;
    auto *layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);
    m_scroll->setWidget(m_content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->addWidget(m_scroll);
}

void DBCtrlGrid::setDataSource(DataSource *source)
{
    for (auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (source)
        m_connections = {connect(source, &DataSource::dataChanged, this, &DBCtrlGrid::follow)};
    rebuild();
}

void DBCtrlGrid::follow()
{
    // In a hidden window the grid rebuilds its panels once, when the window
    // is shown.
    if (QWidget *window = hiddenWindow(this)) {
        window->installEventFilter(this);
        m_stale = true;
        return;
    }
    refresh();
}

int DBCtrlGrid::panelCount() const
{
    if (m_stale)
        const_cast<DBCtrlGrid *>(this)->refresh();
    return int(m_panels.size());
}

QWidget *DBCtrlGrid::panel(int row) const
{
    if (m_stale)
        const_cast<DBCtrlGrid *>(this)->refresh();
    return row >= 0 && row < int(m_panels.size()) ? m_panels[size_t(row)] : nullptr;
}

QWidget *DBCtrlGrid::currentPanel() const
{
    store::Table *t = m_source ? m_source->table() : nullptr;
    return t && t->isOpen() ? panel(t->recNo()) : nullptr;
}

void DBCtrlGrid::rebuild()
{
    auto *layout = static_cast<QVBoxLayout *>(m_content->layout());
    // A row deleted with the keyboard leaves the focus in the grid.
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    for (QWidget *p : m_panels)
        delete p;
    m_panels.clear();
    store::Table *t = m_source ? m_source->table() : nullptr;
    const int rows = t && t->isOpen() ? t->recordCount() : 0;
    for (int r = 0; r < rows; ++r) {
        auto *p = new QFrame(m_content);
        p->setFixedHeight(m_panelHeight);
        p->setAutoFillBackground(true);
        p->setProperty("row", r);
        if (m_builder)
            m_builder(p, m_source);
        for (QWidget *w : p->findChildren<QWidget *>()) {
            // The row's controls are reached through the grid, not one by
            // one in the window's Tab order.
            if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
                w->setFocusPolicy(Qt::ClickFocus);
                w->setProperty("gridStop", true);
            }
            if (auto *link = dynamic_cast<FieldLink *>(w)) {
                link->setRow(r);
                link->refresh();
            }
            w->installEventFilter(this);
        }
        p->installEventFilter(this);
        layout->insertWidget(r, p);
        m_panels.push_back(p);
    }
    refresh();
    // Once the new panels are shown, and unless the focus went elsewhere.
    if (hadFocus)
        QMetaObject::invokeMethod(
            this,
            [this] {
                QWidget *now = QApplication::focusWidget();
                if (!now || now == this || now == window())
                    setFocus(Qt::OtherFocusReason);
            },
            Qt::QueuedConnection);
}

void DBCtrlGrid::refresh()
{
    m_stale = false;
    store::Table *t = m_source ? m_source->table() : nullptr;
    const int rows = t && t->isOpen() ? t->recordCount() : 0;
    if (rows != int(m_panels.size())) {
        rebuild();
        return;
    }
    const int current = t && t->isOpen() ? t->recNo() : -1;
    for (int r = 0; r < rows; ++r) {
        QWidget *p = m_panels[size_t(r)];
        QPalette pal = p->palette();
        pal.setColor(QPalette::Window,
                     r == current && m_selected.isValid() ? m_selected : palette().color(QPalette::Base));
        p->setPalette(pal);
        for (QWidget *w : p->findChildren<QWidget *>())
            if (auto *link = dynamic_cast<FieldLink *>(w))
                link->sync();
    }
    // Once the panels are laid out, the current one is scrolled into view.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (QWidget *p = currentPanel())
                m_scroll->ensureWidgetVisible(p, 0, 0);
        },
        Qt::QueuedConnection);
}

bool DBCtrlGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == window() && m_stale)
        refresh();
    // Pressing into a panel or entering one of its controls selects its row.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn) {
        for (QObject *o = watched; o && o != m_content; o = o->parent()) {
            const QVariant row = o->property("row");
            if (row.isValid()) {
                enterPanel(row.toInt());
                break;
            }
        }
    }
    if (event->type() == QEvent::KeyPress && watched->property("gridStop").toBool())
        return handleKey(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event));
    return QFrame::eventFilter(watched, event);
}

QList<QWidget *> DBCtrlGrid::stops(const QWidget *panel)
{
    QList<QWidget *> list;
    if (panel)
        for (QWidget *w : panel->findChildren<QWidget *>())
            if (w->property("gridStop").toBool() && w->isEnabled() && !w->isHidden())
                list.append(w);
    return list;
}

void DBCtrlGrid::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    const QList<QWidget *> row = stops(currentPanel());
    if (!row.isEmpty())
        (event->reason() == Qt::BacktabFocusReason ? row.last() : row.first())->setFocus(event->reason());
}

bool DBCtrlGrid::handleKey(QWidget *control, QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    QWidget *panel = control;
    while (panel && !panel->property("row").isValid())
        panel = panel->parentWidget();
    if (!panel)
        return false;
    const QList<QWidget *> row = stops(panel);
    const qsizetype at = row.indexOf(control);
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        const bool forward = event->key() == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
        const qsizetype next = at + (forward ? 1 : -1);
        if (at >= 0 && next >= 0 && next < row.size())
            row[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        else
            focusPastContainer(this, forward);
        return true;
    }
    if ((event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) || modifiers != Qt::NoModifier || at < 0)
        return false;
    const bool down = event->key() == Qt::Key_Down;
    // In a memo the caret moves first, between the lines of its text.
    if (auto *memo = qobject_cast<QPlainTextEdit *>(control)) {
        QTextCursor cursor = memo->textCursor();
        if (cursor.movePosition(down ? QTextCursor::Down : QTextCursor::Up))
            return false;
    }
    const int target = panel->property("row").toInt() + (down ? 1 : -1);
    if (QWidget *other = this->panel(target)) {
        const QList<QWidget *> there = stops(other);
        if (at < there.size())
            there[at]->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void DBCtrlGrid::enterPanel(int row)
{
    store::Table *t = m_source ? m_source->table() : nullptr;
    if (m_entering || !t || !t->isOpen() || row == t->recNo() || row >= t->recordCount())
        return;
    const QScopedValueRollback<bool> guard(m_entering, true);
    t->moveTo(row);
}

// --- DBNavigator ---

DBNavigator::DBNavigator(QWidget *parent) : QFrame(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct
    {
        Button which;
        const char *name;
        const char *text;
        const char *spoken; // the name a screen reader gives the symbol
    } order[] = {{First, "first", "|\u25C0", "Erste Zeile"}, {Prior, "prior", nullptr, "Vorherige Zeile"},
                 {Next, "next", nullptr, "Nächste Zeile"},     {Last, "last", "\u25B6|", "Letzte Zeile"},
                 {Insert, "insert", "+", "Zeile einfügen"},    {Delete, "delete", "\u2212", "Zeile löschen"}};
    for (const auto &b : order) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(b.name));
        button->setAccessibleName(QString::fromUtf8(b.spoken));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        if (b.text)
            button->setText(QString::fromUtf8(b.text));
        button->setVisible(b.which == Prior || b.which == Next);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this,
                [this, which = b.which] { platform::guarded([this, which] { press(which); }); });
        m_buttons[b.which] = button;
    }
    m_buttons[Prior]->setArrowType(Qt::LeftArrow);
    m_buttons[Next]->setArrowType(Qt::RightArrow);
}

void DBNavigator::setVisibleButtons(const QList<Button> &buttons)
{
    for (int b = Prior; b <= Delete; ++b)
        m_buttons[b]->setVisible(buttons.contains(Button(b)));
}

void DBNavigator::setDataSource(DataSource *source)
{
    disconnect(m_connection);
    m_source = source;
    if (source)
        m_connection = connect(source, &DataSource::dataChanged, this, &DBNavigator::refresh);
    refresh();
}

void DBNavigator::refresh()
{
    store::Table *t = m_source ? m_source->table() : nullptr;
    const bool open = t && t->isOpen() && isEnabled();
    const int pos = open ? t->recNo() : -1;
    const int count = open ? t->recordCount() : 0;
    const bool inserting = open && t->state() == store::TableState::Insert;
    m_buttons[First]->setEnabled(open && (pos > 0 || inserting));
    m_buttons[Prior]->setEnabled(open && (pos > 0 || inserting));
    m_buttons[Next]->setEnabled(open && pos >= 0 && pos < count - 1);
    m_buttons[Last]->setEnabled(open && pos >= 0 && (pos < count - 1 || inserting));
    m_buttons[Insert]->setEnabled(open && !inserting);
    m_buttons[Delete]->setEnabled(open && (count > 0 || inserting));
}

void DBNavigator::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        refresh();
}

void DBNavigator::press(Button which)
{
    store::Table *t = m_source ? m_source->table() : nullptr;
    if (!t || !t->isOpen())
        return;
    if (which == Delete && !m_deleteQuestion.isEmpty()
        && platform::messages().confirmYesNo(m_deleteQuestion) != platform::Answer::Yes)
        return;
    emit beforeAction(which);
    switch (which) {
    case Prior:
        t->prior();
        break;
    case Next:
        t->next();
        break;
    case First:
        t->first();
        break;
    case Last:
        t->last();
        break;
    case Insert:
        t->append();
        break;
    case Delete:
        t->remove();
        break;
    }
    emit clicked(which);
}

} // namespace controls
