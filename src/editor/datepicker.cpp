#include "datepicker.h"

#include "controls/designed.h"
#include "platform/help.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QString dayText(const QDate &day)
{
    static const char *const names[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    return QString::fromLatin1(names[day.dayOfWeek() - 1]) + QLatin1Char(' ')
           + day.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

Tkaldlg::Tkaldlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("kaldlg"));
    setWindowTitle(QStringLiteral("Datum auswählen"));
    platform::setHelpContext(this, platform::helpcontext::ReportEditor);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // Below the calendar two lines say which days the report will cover.
    setFixedSize(384, 230);

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
    m_kalender->setAccessibleName(QStringLiteral("Erster Tag der Berichtswoche"));
    // The design's 193x154 cannot show a month with the platform's font:
    // the calendar takes what the frame leaves.
    m_kalender->setGeometry(4, 4, 273, 160);
    // The focus is on the calendar's table of days.
    m_kalender->setAccessibleName(QStringLiteral("Kalender"));
    if (auto *days = m_kalender->findChild<QAbstractItemView *>())
        days->setAccessibleName(QStringLiteral("Kalender"));
    connect(m_kalender, &QCalendarWidget::activated, this, [this] { kalenderDblClick(); });
    connect(m_kalender, &QCalendarWidget::selectionChanged, this, &Tkaldlg::showWeek);

    m_woche = new QLabel(this);
    m_woche->setObjectName(QStringLiteral("wochenzeile"));
    m_woche->setAccessibleName(QStringLiteral("Berichtswoche"));
    m_woche->setGeometry(8, 182, 368, 20);
    QFont bold = m_woche->font();
    bold.setBold(true);
    m_woche->setFont(bold);
    m_hinweis = new QLabel(this);
    m_hinweis->setObjectName(QStringLiteral("wochenhinweis"));
    m_hinweis->setAccessibleName(QStringLiteral("Hinweis zur Berichtswoche"));
    m_hinweis->setGeometry(8, 204, 368, 20);
    QPalette red = m_hinweis->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0, 0));
    m_hinweis->setPalette(red);

    QPushButton *ok = controls::designedButton(this, "OKBtn", QStringLiteral("OK"), QRect(300, 8, 75, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    showWeek();
}

void Tkaldlg::setDate(const QDate &date)
{
    m_kalender->setSelectedDate(date);
    showWeek();
}

QDate Tkaldlg::date() const
{
    return m_kalender->selectedDate();
}

void Tkaldlg::kalenderDblClick()
{
    accept();
}

void Tkaldlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The keys move the day from the first moment.
    m_kalender->setFocus(Qt::OtherFocusReason);
}

void Tkaldlg::showWeek()
{
    const QDate from = m_kalender->selectedDate();
    const QString days = dayText(from) + QStringLiteral(" – ") + dayText(from.addDays(4));
    const QString note = from.dayOfWeek() == Qt::Monday ? QString() : QStringLiteral("(beginnt nicht am Montag)");
    m_woche->setText(days);
    m_hinweis->setText(note);
    m_woche->setAccessibleDescription(note.isEmpty() ? days : days + QLatin1Char(' ') + note);
}
