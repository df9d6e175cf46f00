// DBNavigator: the buttons that move a bound table.

#include "dbcontrols.h"

#include "platform/guard.h"
#include "platform/messages.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

namespace controls {

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
