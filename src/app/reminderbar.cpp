#include "reminderbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

ReminderBar::ReminderBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("erinnerungsleiste"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 248, 214));
    p.setColor(QPalette::WindowText, QColor(90, 60, 0));
    setPalette(p);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 4, 2);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("erinnerungtext"));
    m_text->setTextFormat(Qt::PlainText);
    row->addWidget(m_text, 1);
    m_show = new QPushButton(QStringLiteral("&Wochen anzeigen"), this);
    m_show->setObjectName(QStringLiteral("erinnerungbtn"));
    row->addWidget(m_show);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("erinnerungschliessenbtn"));
    m_close->setText(QStringLiteral("×"));
    m_close->setAutoRaise(true);
    m_close->setToolTip(QStringLiteral("Hinweis schließen"));
    m_close->setAccessibleName(QStringLiteral("Hinweis schließen"));
    row->addWidget(m_close);
    setAccessibleName(QStringLiteral("Hinweis auf fehlende Berichte"));
    connect(m_show, &QPushButton::clicked, this, &ReminderBar::showWeeks);
    connect(m_close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void ReminderBar::remind(const QString &text)
{
    m_text->setText(text);
    setAccessibleDescription(text);
    setVisible(!text.isEmpty());
}
