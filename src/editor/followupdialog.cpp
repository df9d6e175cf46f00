#include "followupdialog.h"

#include "controls/dbcontrols.h"
#include "controls/designed.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "store/fields.h"

#include <QGroupBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>

namespace field = store::field;

Tfolgedialog::Tfolgedialog(controls::DataSource *details, QWidget *parent) : QDialog(parent), m_details(details)
{
    setObjectName(QStringLiteral("folgedialog"));
    setWindowTitle(QStringLiteral("Folgeseite bestimmen"));
    platform::setHelpContext(this, platform::helpcontext::ReportEditor);
    resize(680, 417);
    setMinimumSize(572, 417);

    QPushButton *ok = controls::designedButton(this, "OKBtn", QStringLiteral("&OK"), QRect(592, 14, 75, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton *cancel =
        controls::designedButton(this, "CancelBtn", QStringLiteral("&Abbrechen"), QRect(592, 44, 75, 25));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton *help = controls::designedButton(this, "HelpBtn", QStringLiteral("&Hilfe"), QRect(592, 74, 75, 25));
    connect(help, &QPushButton::clicked, this, [this] { platform::showHelp(platform::helpContext(this)); });
    for (QPushButton *b : {cancel, help})
        b->setAutoDefault(false);

    m_grid = new controls::DBCtrlGrid(this);
    m_grid->setObjectName(QStringLiteral("DBCtrlGrid1"));
    m_grid->setGeometry(0, 16, 585, 390);
    m_grid->setMinimumWidth(400);
    m_grid->setPanelHeight(65);
    m_grid->setPanelBuilder([this](QWidget *panel, controls::DataSource *source) { buildPanel(panel, source); });
    m_grid->setDataSource(details);
    if (auto *rows = m_grid->findChild<QScrollArea *>())
        rows->setAccessibleName(QStringLiteral("Zeilen des Blatts"));
}

void Tfolgedialog::buildPanel(QWidget *panel, controls::DataSource *source)
{
    auto *number = new controls::DBText(panel);
    number->setObjectName(QStringLiteral("folgenr"));
    number->setGeometry(8, 8, 24, 16);
    number->bind(source, field::Lfdnr);
    auto *text = new controls::DBMemo(panel);
    text->setObjectName(QStringLiteral("folgetext"));
    text->setGeometry(33, 9, 409, 51);
    text->setReadOnly(true);
    text->setAccessibleName(QStringLiteral("Fertigkeit oder Kenntnis"));
    text->bind(source, field::Alltext);
    auto *frame = new QGroupBox(panel);
    frame->setGeometry(456, 8, 97, 49);
    auto *copy = new controls::DBCheckBox(QStringLiteral("&kopieren"), frame);
    copy->setObjectName(QStringLiteral("kopiercheck"));
    copy->setGeometry(8, 10, 85, 17);
    copy->bind(source, field::Kopieren);
    auto *move = new controls::DBCheckBox(QStringLiteral("&verschieben"), frame);
    move->setObjectName(QStringLiteral("verschiebcheck"));
    move->setGeometry(8, 26, 85, 17);
    move->bind(source, field::Verschieben);
    // The frame takes the captions in the platform's font.
    for (QCheckBox *box : {static_cast<QCheckBox *>(copy), static_cast<QCheckBox *>(move)})
        box->resize(std::max(box->width(), box->sizeHint().width()), box->height());
    frame->resize(std::max(frame->width(), std::max(copy->width(), move->width()) + 12), frame->height());
    // The box has written its own mark when the click arrives here.
    connect(copy, &QCheckBox::clicked, this, [this] { platform::guarded([this] { kopiercheckMouseUp(); }); });
    connect(move, &QCheckBox::clicked, this, [this] { platform::guarded([this] { verschiebcheckMouseUp(); }); });
}

void Tfolgedialog::clearMark(const QString &field)
{
    store::Table *rows = m_details->table();
    if (!rows || !rows->isOpen() || rows->isEmpty())
        return;
    rows->edit();
    rows->setValue(field, false);
}

void Tfolgedialog::kopiercheckMouseUp()
{
    clearMark(field::Verschieben);
}

void Tfolgedialog::verschiebcheckMouseUp()
{
    clearMark(field::Kopieren);
}

void Tfolgedialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // The list stretches with the dialog; the buttons keep to its right.
    const int extra = event->size().width() - 680;
    m_grid->setGeometry(0, 16, std::max(400, 585 + extra), std::max(390, event->size().height() - 27));
    for (const char *name : {"OKBtn", "CancelBtn", "HelpBtn"})
        if (auto *b = findChild<QPushButton *>(QString::fromLatin1(name)))
            b->move(592 + extra, b->y());
}
