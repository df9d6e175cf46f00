#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;

// The date picker: a month calendar with week numbers and an OK button.
// Closing the window cancels; a double click on a day confirms it.
class Tkaldlg : public QDialog
{
    Q_OBJECT
public:
    explicit Tkaldlg(QWidget *parent = nullptr);
    QCalendarWidget *kalender() const { return m_kalender; }
    void setDate(const QDate &date);
    QDate date() const;

    void kalenderDblClick();

private:
    QCalendarWidget *m_kalender = nullptr;
};
