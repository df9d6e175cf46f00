#include "keyboard.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVector>

namespace controls {

namespace {

// The tab widgets of one window and the shortcuts that turn them.
class PageKeys final : public QObject
{
public:
    explicit PageKeys(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("pagekeys"));
        const struct
        {
            QKeySequence keys;
            int step;
        } bindings[] = {
            {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
            {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
            {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
        };
        for (const auto &b : bindings) {
            auto *s = new QShortcut(b.keys, window);
            s->setContext(Qt::WindowShortcut);
            connect(s, &QShortcut::activated, this, [this, step = b.step] { turn(step); });
        }
    }

    void add(QTabWidget *pages) { m_pages.append(pages); }

private:
    QTabWidget *target() const
    {
        QWidget *focus = QApplication::focusWidget();
        QTabWidget *found = nullptr;
        for (const QPointer<QTabWidget> &p : m_pages) {
            if (!p || !p->isVisible() || !p->isEnabled() || !focus || !p->isAncestorOf(focus))
                continue;
            if (!found || found->isAncestorOf(p))
                found = p;
        }
        if (found)
            return found;
        for (const QPointer<QTabWidget> &p : m_pages)
            if (p && p->isVisible() && p->isEnabled())
                return p;
        return nullptr;
    }

    void turn(int step)
    {
        QTabWidget *pages = target();
        if (!pages || pages->count() < 2)
            return;
        const int n = pages->count();
        int i = pages->currentIndex();
        for (int tries = 0; tries < n; ++tries) {
            i = (i + step + n) % n;
            if (pages->isTabEnabled(i) && pages->isTabVisible(i))
                break;
        }
        if (i == pages->currentIndex())
            return;
        QWidget *focus = QApplication::focusWidget();
        const bool focusOnPage = focus && pages->currentWidget() && pages->currentWidget()->isAncestorOf(focus);
        pages->setCurrentIndex(i);
        // The focus goes with the page: to its tab, where a key goes on
        // from, when it was on the page that went away (or was lost).
        QWidget *now = QApplication::focusWidget();
        if (focusOnPage || !now || !now->isVisible())
            pages->tabBar()->setFocus(Qt::TabFocusReason);
    }

    QWidget *m_window;
    QVector<QPointer<QTabWidget>> m_pages;
};

class EnterActivates final : public QObject
{
public:
    explicit EnterActivates(QAbstractItemView *view) : QObject(view), m_view(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view && event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mods == Qt::NoModifier
                && m_view->currentIndex().isValid()) {
                emit m_view->activated(m_view->currentIndex());
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractItemView *m_view;
};

class FocusFrameStyle final : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_PushButton || !(option->state & State_HasFocus)
            || !(option->state & State_KeyboardFocusChange))
            return;
        painter->save();
        QPen dotted(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine);
        painter->setPen(dotted);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(3, 3, -4, -4));
        painter->restore();
    }
};

QStyle *focusFrameStyle()
{
    // One for the application, gone with it.
    static QPointer<QStyle> style;
    if (!style && qApp) {
        style = new FocusFrameStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

void showFocusFrame(QAbstractButton *button)
{
    if (QStyle *style = focusFrameStyle())
        button->setStyle(style);
}

void addPageKeys(QTabWidget *pages)
{
    QWidget *window = pages->window();
    auto *keys = static_cast<PageKeys *>(
        window->findChild<QObject *>(QStringLiteral("pagekeys"), Qt::FindDirectChildrenOnly));
    if (!keys)
        keys = new PageKeys(window);
    keys->add(pages);
}

void enterActivates(QAbstractItemView *view)
{
    view->installEventFilter(new EnterActivates(view));
}

} // namespace controls
