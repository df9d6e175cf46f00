#include "datepicker.h"

#include "controls/designed.h"
#include "platform/help.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QFrame>
#include <QPushButton>

Tkaldlg::Tkaldlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("kaldlg"));
    setWindowTitle(QStringLiteral("Datum auswählen"));
    platform::setHelpContext(this, platform::helpcontext::ReportEditor);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(384, 186);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(8, 8, 281, 168);

    m_kalender = new QCalendarWidget(frame);
    m_kalender->setObjectName(QStringLiteral("kalender"));
    m_kalender->setLocale(QLocale(QLocale::German, QLocale::Germany));
    m_kalender->setFirstDayOfWeek(Qt::Monday);
    m_kalender->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    m_kalender->setGridVisible(false);
    // The design's 193x154 cannot show a month with the platform's font:
    // the calendar takes what the frame leaves.
    m_kalender->setGeometry(4, 4, 273, 160);
    // The focus is on the calendar's table of days.
    m_kalender->setAccessibleName(QStringLiteral("Kalender"));
    if (auto *days = m_kalender->findChild<QAbstractItemView *>())
        days->setAccessibleName(QStringLiteral("Kalender"));
    connect(m_kalender, &QCalendarWidget::activated, this, [this] { kalenderDblClick(); });

    QPushButton *ok = controls::designedButton(this, "OKBtn", QStringLiteral("OK"), QRect(300, 8, 75, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void Tkaldlg::setDate(const QDate &date)
{
    m_kalender->setSelectedDate(date);
}

QDate Tkaldlg::date() const
{
    return m_kalender->selectedDate();
}

void Tkaldlg::kalenderDblClick()
{
    accept();
}
