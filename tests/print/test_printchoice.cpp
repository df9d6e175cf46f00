// Printing the bulk print from the preview: the printer choice dialog with
// its printer list, range and copies, and what reaches the printer (read
// back from the PDF files of test printers).

#include "pdfwords.h"
#include "platform/printers.h"
#include "previewfixture.h"
#include "print/printerchoice.h"
#include "scriptedmessages.h"
#include "scriptedmodalrunner.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

using testsupport::numberedDocument;
using testsupport::PreviewWindow;

namespace {

// What the user does in the printer choice dialog.
struct Choice
{
    QString printer; // empty: keep the preselected one
    bool range = false;
    QString from, to;
    int copies = 1;
};

template<typename T> T *in(QDialog *d, const char *name)
{
    T *c = d->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

void type(QLineEdit *field, const QString &text)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void choose(QDialog *d, const Choice &c)
{
    if (!c.printer.isEmpty()) {
        auto *list = in<QComboBox>(d, "cbPrinters");
        list->setCurrentIndex(list->findText(c.printer));
    }
    if (c.range) {
        in<QRadioButton>(d, "RangeRb")->click();
        type(in<QLineEdit>(d, "FromEdt"), c.from);
        type(in<QLineEdit>(d, "ToEdt"), c.to);
    }
    in<QSpinBox>(d, "CopiesSe")->setValue(c.copies);
    QTest::mouseClick(in<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
}

QStringList words(const QString &pdf)
{
    return testsupport::readPdf(pdf).pageTexts();
}

} // namespace

class TestPrintChoice : public QObject
{
    Q_OBJECT
    QTemporaryDir m_spool; // the system's temporary directory for these tests
    std::unique_ptr<QTemporaryDir> m_out;
    std::unique_ptr<platform::PdfPrinters> m_printers;
    std::unique_ptr<platform::ScriptedMessages> m_messages;
    std::unique_ptr<platform::ScriptedModalRunner> m_runner;
    store::Session m_session;

    QStringList spoolFiles() const { return QDir(m_spool.path()).entryList(QDir::Files); }

    // Prints a document of `pages` pages from its preview as a bulk print.
    QList<platform::PdfPrinters::Job> printBulk(int pages, const Choice &choice)
    {
        engine::Document doc = numberedDocument(pages);
        PreviewWindow w(doc, m_session, nullptr, engine::PrintKind::BulkPrint);
        m_runner->onNext(QStringLiteral("frmSelectPrinter"), [&](QDialog *d) { choose(d, choice); });
        w.click("druckbtn");
        return m_printers->jobs();
    }

private slots:
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(m_spool.path())); }

    void init()
    {
        m_out = std::make_unique<QTemporaryDir>();
        m_printers = std::make_unique<platform::PdfPrinters>(
            m_out->path(), QStringList{QStringLiteral("Büro"), QStringLiteral("Werkstatt")});
        m_printers->setMultipleCopies(QStringLiteral("Werkstatt"), false);
        m_messages = std::make_unique<platform::ScriptedMessages>();
        m_runner = std::make_unique<platform::ScriptedModalRunner>();
        m_session = store::Session();
    }

    void cleanup()
    {
        QVERIFY(m_runner->pendingNames().isEmpty());
        QCOMPARE(spoolFiles(), QStringList());
        m_runner.reset();
        m_messages.reset();
        m_printers.reset();
    }

    void rangeAndCopiesPrintCollatedAsOneJob()
    {
        const auto jobs = printBulk(5, {{}, true, QStringLiteral("2"), QStringLiteral("3"), 2});
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(words(jobs[0].file), (QStringList{QStringLiteral("Seite2"), QStringLiteral("Seite3"),
                                                   QStringLiteral("Seite2"), QStringLiteral("Seite3")}));
        QVERIFY(m_messages->shown().isEmpty());
    }

    void allPagesOnce()
    {
        engine::Document doc = numberedDocument(5);
        PreviewWindow w(doc, m_session, nullptr, engine::PrintKind::BulkPrint);
        QString caption, from, to, status;
        bool rangeEnabled = true;
        int copies = 0;
        m_runner->onNext(QStringLiteral("frmSelectPrinter"), [&](QDialog *d) {
            caption = in<QRadioButton>(d, "AllPagesRb")->text();
            from = in<QLineEdit>(d, "FromEdt")->text();
            to = in<QLineEdit>(d, "ToEdt")->text();
            rangeEnabled = in<QLineEdit>(d, "FromEdt")->isEnabled() || in<QLineEdit>(d, "ToEdt")->isEnabled();
            copies = in<QSpinBox>(d, "CopiesSe")->value();
            status = in<QLabel>(d, "StatusLbl")->text();
            choose(d, {});
        });
        w.click("druckbtn");
        QCOMPARE(caption, QStringLiteral("&Alle 5 Seite(n)"));
        QCOMPARE(from, QStringLiteral("1"));
        QCOMPARE(to, QStringLiteral("5"));
        QVERIFY(!rangeEnabled);
        QCOMPARE(copies, 1);
        QCOMPARE(status, QStringLiteral("Printer supports multiple copies"));
        const auto jobs = m_printers->jobs();
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs[0].printer, QStringLiteral("Büro"));
        QCOMPARE(words(jobs[0].file).join(QLatin1Char(' ')), QStringLiteral("Seite1 Seite2 Seite3 Seite4 Seite5"));
    }

    void ranges_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("printed"); // empty: no job at all
        QTest::newRow("first after last") << "4" << "2" << 1 << "";
        QTest::newRow("first after last, copies") << "4" << "2" << 3 << "";
        QTest::newRow("first page 0 means all") << "0" << "3" << 1 << "1 2 3 4 5";
        QTest::newRow("one page thrice") << "5" << "5" << 3 << "5 5 5";
        QTest::newRow("beyond the end") << "4" << "9" << 1 << "4 5";
    }
    void ranges()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, copies);
        QFETCH(QString, printed);
        const auto jobs = printBulk(5, {{}, true, from, to, copies});
        if (printed.isEmpty()) {
            QCOMPARE(jobs.size(), 0);
            return;
        }
        QCOMPARE(jobs.size(), 1);
        QString expected = QStringLiteral("Seite") + printed;
        expected.replace(QLatin1Char(' '), QStringLiteral(" Seite"));
        QCOMPARE(words(jobs[0].file).join(QLatin1Char(' ')), expected);
    }

    void chosenPrinterPrintsAndStaysChosen()
    {
        engine::Document doc = numberedDocument(2);
        PreviewWindow w(doc, m_session, nullptr, engine::PrintKind::BulkPrint);
        QStringList statuses;
        m_runner->onNext(QStringLiteral("frmSelectPrinter"), [&](QDialog *d) {
            auto *list = in<QComboBox>(d, "cbPrinters");
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->currentText(), QStringLiteral("Büro"));
            list->setCurrentIndex(1);
            statuses << in<QLabel>(d, "StatusLbl")->text();
            list->setCurrentIndex(0);
            statuses << in<QLabel>(d, "StatusLbl")->text();
            Choice werkstatt;
            werkstatt.printer = QStringLiteral("Werkstatt");
            choose(d, werkstatt);
        });
        w.click("druckbtn");
        QCOMPARE(statuses, (QStringList{QStringLiteral("Printer does not supports multiple copies"),
                                        QStringLiteral("Printer supports multiple copies")}));
        QCOMPARE(m_printers->jobs().size(), 1);
        QCOMPARE(m_printers->jobs()[0].printer, QStringLiteral("Werkstatt"));
        QCOMPARE(w->printerName(), QStringLiteral("Werkstatt"));

        QString preselected;
        m_runner->onNext(QStringLiteral("frmSelectPrinter"), [&](QDialog *d) {
            preselected = in<QComboBox>(d, "cbPrinters")->currentText();
            QTest::mouseClick(in<QPushButton>(d, "BitBtn2"), Qt::LeftButton); // Abbrechen
        });
        w.click("druckbtn");
        QCOMPARE(preselected, QStringLiteral("Werkstatt"));
        QCOMPARE(m_printers->jobs().size(), 1); // cancelled: nothing more
    }

    void rangeFieldRules()
    {
        engine::Document doc = numberedDocument(5);
        PreviewWindow w(doc, m_session, nullptr, engine::PrintKind::BulkPrint);
        m_runner->onNext(QStringLiteral("frmSelectPrinter"), [&](QDialog *d) {
            auto *from = in<QLineEdit>(d, "FromEdt");
            auto *to = in<QLineEdit>(d, "ToEdt");
            in<QRadioButton>(d, "RangeRb")->click();
            QVERIFY(from->isEnabled() && to->isEnabled());
            in<QRadioButton>(d, "AllPagesRb")->click();
            QVERIFY(!from->isEnabled() && !to->isEnabled());
            in<QRadioButton>(d, "RangeRb")->click();

            type(to, QStringLiteral("4x")); // a non-digit empties the field
            QCOMPARE(to->text(), QString());
            type(from, QStringLiteral("2"));
            // An empty end of the range: OK is refused with a beep.
            QTest::mouseClick(in<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
            QVERIFY(d->isVisible());
            QCOMPARE(m_messages->beeps(), 1);
            QCOMPARE(d->focusWidget(), to);
            type(to, QStringLiteral("3"));
            QTest::mouseClick(in<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
        });
        w.click("druckbtn");
        QCOMPARE(m_printers->jobs().size(), 1);
        QCOMPARE(words(m_printers->jobs()[0].file).join(QLatin1Char(' ')), QStringLiteral("Seite2 Seite3"));
    }

    void noPrinterInstalled()
    {
        m_printers = std::make_unique<platform::PdfPrinters>(m_out->path(), QStringList());
        engine::Document doc = numberedDocument(2);
        PreviewWindow w(doc, m_session, nullptr, engine::PrintKind::BulkPrint);
        m_runner->onNext(QStringLiteral("frmSelectPrinter"), [&](QDialog *d) {
            QCOMPARE(in<QComboBox>(d, "cbPrinters")->count(), 0);
            QCOMPARE(in<QLabel>(d, "StatusLbl")->text(), QStringLiteral("Kein Drucker installiert"));
            QTest::mouseClick(in<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
            QVERIFY(d->isVisible());
            QCOMPARE(m_messages->errors().size(), 1);
            QTest::mouseClick(in<QPushButton>(d, "BitBtn2"), Qt::LeftButton);
        });
        w.click("druckbtn");
        QCOMPARE(m_printers->jobs().size(), 0);
    }

    void otherPrintKindsDoNotUseTheChoice_data()
    {
        QTest::addColumn<int>("druckart");
        QTest::newRow("none") << 0;
        QTest::newRow("unknown") << 8;
        QTest::newRow("front sheet without its report") << 1;
    }
    void otherPrintKindsDoNotUseTheChoice()
    {
        QFETCH(int, druckart);
        engine::Document doc = numberedDocument(2);
        PreviewWindow w(doc, m_session, nullptr, engine::PrintKind(druckart));
        w.click("druckbtn"); // an unexpected dialog would fail the test
        QCOMPARE(m_runner->shownNames(), QStringList());
        QCOMPARE(m_printers->jobs().size(), 0);
    }
};

QTEST_MAIN(TestPrintChoice)
#include "test_printchoice.moc"
