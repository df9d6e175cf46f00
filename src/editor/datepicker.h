#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;

// The date picker: a month calendar with week numbers and an OK button.
// Closing the window or Escape cancels; a double click on a day or Enter
// confirms it. Arrow keys move the day, PgUp and PgDn the month. Below the
// calendar a line names the days the report will cover, from the picked day
// to four days later, with a note when that week does not begin on a Monday.
class Tkaldlg : public QDialog
{
    Q_OBJECT
public:
    explicit Tkaldlg(QWidget *parent = nullptr);
    QCalendarWidget *kalender() const { return m_kalender; }
    void setDate(const QDate &date);
    QDate date() const;

    void kalenderDblClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showWeek();

    QCalendarWidget *m_kalender = nullptr;
    QLabel *m_woche = nullptr;
    QLabel *m_hinweis = nullptr;
};
