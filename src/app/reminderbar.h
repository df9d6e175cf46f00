#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QToolButton;

// The bar below the training year that names the weeks without a report,
// with a button to the week ledger and one that closes it. It asks
// nothing and does not beep.
class ReminderBar : public QFrame
{
    Q_OBJECT
public:
    explicit ReminderBar(QWidget *parent = nullptr);

    // Shows the text; an empty text hides the bar.
    void remind(const QString &text);

    QLabel *text() const { return m_text; }
    QPushButton *erinnerungbtn() const { return m_show; }
    QToolButton *schliessenbtn() const { return m_close; }

signals:
    // "Wochen anzeigen" was pressed.
    void showWeeks();

private:
    QLabel *m_text = nullptr;
    QPushButton *m_show = nullptr;
    QToolButton *m_close = nullptr;
};
