#pragma once

#include <QDialog>

class QCheckBox;

// Names the week dates that hold no valid date when a report is closed
// with OK. The boxes only display.
class Tbernoclosedlg : public QDialog
{
    Q_OBJECT
public:
    explicit Tbernoclosedlg(QWidget *parent = nullptr);
    void showFields(bool startFailed, bool endFailed);
    QCheckBox *anfangsdatum() const { return m_start; }
    QCheckBox *enddatum() const { return m_end; }

private:
    QCheckBox *m_start = nullptr;
    QCheckBox *m_end = nullptr;
};
