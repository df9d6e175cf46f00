// DBCtrlGrid: one panel of bound controls per row, and its keyboard.

#include "dbcontrols.h"

#include "platform/guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace controls {

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
    if (QWidget *window = detail::hiddenWindow(this)) {
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

} // namespace controls
