#include "printerchoice.h"

#include "controls/designed.h"
#include "controls/keyboard.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "platform/printers.h"
#include "print/engine/document.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>

namespace {

using controls::designedLabel;

QLineEdit *pageField(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(geometry);
    e->setEnabled(false);
    return e;
}

} // namespace

TfrmSelectPrinter::TfrmSelectPrinter(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSelectPrinter"));
    setWindowTitle(QStringLiteral("Druckerauswahl"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(414, 203);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    QLabel *label1 = designedLabel(this, "Label1", QStringLiteral("&Drucker"), QPoint(8, 8));
    m_cbPrinters = new QComboBox(this);
    m_cbPrinters->setObjectName(QStringLiteral("cbPrinters"));
    m_cbPrinters->setEditable(false);
    m_cbPrinters->setGeometry(56, 5, 273, 21);
    label1->setBuddy(m_cbPrinters);

    auto *groupBox1 = new QGroupBox(QStringLiteral("Bereich"), this);
    groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    groupBox1->setGeometry(8, 40, 201, 73);
    m_allPagesRb = new QRadioButton(groupBox1);
    m_allPagesRb->setObjectName(QStringLiteral("AllPagesRb"));
    m_allPagesRb->setGeometry(6, 16, 190, 17);
    m_allPagesRb->setChecked(true);
    m_rangeRb = new QRadioButton(QStringLiteral("&Seite"), groupBox1);
    m_rangeRb->setObjectName(QStringLiteral("RangeRb"));
    m_rangeRb->setGeometry(6, 36, 60, 17);
    QLabel *label2 = designedLabel(groupBox1, "Label2", QStringLiteral("&von:"), QPoint(69, 38));
    m_fromEdt = pageField(groupBox1, "FromEdt", QRect(96, 36, 33, 21));
    label2->setBuddy(m_fromEdt);
    QLabel *label3 = designedLabel(groupBox1, "Label3", QStringLiteral("&bis:"), QPoint(138, 38));
    m_toEdt = pageField(groupBox1, "ToEdt", QRect(154, 36, 33, 21));
    label3->setBuddy(m_toEdt);

    auto *groupBox2 = new QGroupBox(QStringLiteral("Kopien"), this);
    groupBox2->setObjectName(QStringLiteral("GroupBox2"));
    groupBox2->setGeometry(216, 40, 169, 74);
    QLabel *label4 = designedLabel(groupBox2, "Label4", QStringLiteral("A&nzahl:"), QPoint(8, 24));
    m_copiesSe = new QSpinBox(groupBox2);
    m_copiesSe->setObjectName(QStringLiteral("CopiesSe"));
    m_copiesSe->setGeometry(104, 21, 49, 22);
    m_copiesSe->setRange(1, 99);
    m_copiesSe->setValue(1);
    label4->setBuddy(m_copiesSe);

    auto *bitBtn1 = new QPushButton(QStringLiteral("&OK"), this);
    bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    bitBtn1->setGeometry(236, 125, 75, 25);
    bitBtn1->setDefault(true);
    auto *bitBtn2 = new QPushButton(QStringLiteral("Abbre&chen"), this);
    bitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    bitBtn2->setGeometry(312, 125, 75, 25);
    bitBtn2->setAutoDefault(false);
    for (QPushButton *b : {bitBtn1, bitBtn2})
        controls::showFocusFrame(b);

    // The status line in its bevelled strip along the bottom.
    auto *strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("StatusBar"));
    strip->setFrameShape(QFrame::Panel);
    strip->setFrameShadow(QFrame::Sunken);
    strip->setGeometry(0, 156, 414, 22);
    m_statusLbl = designedLabel(strip, "StatusLbl", QString(), QPoint(4, 4));
    m_statusLbl->setFixedWidth(400);

    connect(m_cbPrinters, &QComboBox::currentIndexChanged, this,
            [this] { platform::guarded([this] { cbPrintersChange(); }); });
    connect(m_allPagesRb, &QRadioButton::toggled, this, [this] { AllPagesRbClick(); });
    connect(m_rangeRb, &QRadioButton::toggled, this, [this] { AllPagesRbClick(); });
    connect(m_fromEdt, &QLineEdit::textChanged, this, [this] { FromEdtChange(m_fromEdt); });
    connect(m_toEdt, &QLineEdit::textChanged, this, [this] { FromEdtChange(m_toEdt); });
    connect(bitBtn1, &QPushButton::clicked, this, [this] { platform::guarded([this] { BitBtn1Click(); }); });
    connect(bitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmSelectPrinter::~TfrmSelectPrinter() = default;

QString TfrmSelectPrinter::chosenPrinter() const
{
    return m_cbPrinters->currentText();
}

void TfrmSelectPrinter::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(); });
}

void TfrmSelectPrinter::FormShow()
{
    m_statusLbl->setText(QStringLiteral("Please wait..."));
    m_printerList = platform::printers().names();
    if (m_copies < 1)
        m_copies = 1;
    m_copiesSe->setValue(m_copies);
    {
        // Filling and preselecting is no change of the user's.
        const QSignalBlocker quiet(m_cbPrinters);
        m_cbPrinters->clear();
        m_cbPrinters->addItems(m_printerList);
        if (!m_printerList.isEmpty())
            m_cbPrinters->setCurrentIndex(m_printerIndex >= 0 && m_printerIndex < m_printerList.size() ? m_printerIndex
                                                                                                       : 0);
    }
    const int pages = m_document ? m_document->pageCount() : 0;
    m_allPagesRb->setText(QStringLiteral("&Alle ") + QString::number(pages) + QStringLiteral(" Seite(n)"));
    m_fromEdt->setText(QStringLiteral("1"));
    m_toEdt->setText(QString::number(pages));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    cbPrintersChange();
}

void TfrmSelectPrinter::cbPrintersChange()
{
    const QString name = m_cbPrinters->currentText();
    if (m_printerList.isEmpty() || name.isEmpty()) {
        m_statusLbl->setText(QStringLiteral("Kein Drucker installiert"));
        return;
    }
    m_statusLbl->setText(platform::printers().supportsMultipleCopies(name)
                             ? QStringLiteral("Printer supports multiple copies")
                             : QStringLiteral("Printer does not supports multiple copies"));
}

void TfrmSelectPrinter::AllPagesRbClick()
{
    m_fromEdt->setEnabled(m_rangeRb->isChecked());
    m_toEdt->setEnabled(m_fromEdt->isEnabled());
}

void TfrmSelectPrinter::FromEdtChange(QLineEdit *field)
{
    static const QString digits = QStringLiteral("0123456789");
    const QString text = field->text();
    for (const QChar c : text) {
        if (!digits.contains(c)) {
            field->clear();
            break;
        }
    }
}

void TfrmSelectPrinter::BitBtn1Click()
{
    if (m_printerList.isEmpty()) {
        platform::messages().error(
            QStringLiteral("Es ist kein Drucker installiert. Ohne Drucker kann nicht gedruckt werden."));
        return;
    }
    // A range needs both of its pages.
    if (m_rangeRb->isChecked()) {
        for (QLineEdit *field : {m_fromEdt, m_toEdt}) {
            if (field->text().isEmpty()) {
                platform::messages().beep();
                field->setFocus();
                return;
            }
        }
    }
    m_firstPage = 0;
    m_lastPage = 0;
    m_copies = m_copiesSe->value();
    if (m_rangeRb->isChecked()) {
        m_firstPage = m_fromEdt->text().toInt();
        m_lastPage = m_toEdt->text().toInt();
    }
    accept();
}
