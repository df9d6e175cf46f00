#include "fieldcheckdialog.h"

#include "controls/designed.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

Tbernoclosedlg::Tbernoclosedlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("bernoclosedlg"));
    setWindowTitle(QString());
    setFixedSize(437, 264);
    controls::designedLabel(this, "Label1", QStringLiteral("Folgende Felder enthalten keine oder ungültige Daten:"),
                            QPoint(88, 48));
    m_start = new QCheckBox(QStringLiteral("Anfangsdatum"), this);
    m_start->setObjectName(QStringLiteral("CheckBox1"));
    m_start->move(88, 88);
    m_end = new QCheckBox(QStringLiteral("Enddatum"), this);
    m_end->setObjectName(QStringLiteral("CheckBox2"));
    m_end->move(88, 104);
    for (QCheckBox *box : {m_start, m_end}) {
        box->adjustSize();
        box->setFocusPolicy(Qt::NoFocus);
    }
    QPushButton *ok = controls::designedButton(this, "OKBtn", QStringLiteral("&OK"), QRect(160, 192, 75, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void Tbernoclosedlg::showFields(bool startFailed, bool endFailed)
{
    m_start->setChecked(startFailed);
    m_end->setChecked(endFailed);
}
