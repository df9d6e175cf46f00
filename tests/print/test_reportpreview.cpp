// Previewing a report: the window opens, the report renders into it page by
// page, the caller waits until the window closes; printing from it renders
// the report afresh to the printer chosen in the print dialog. Also the
// non-blocking and the modal showing and the current preview window.

#include "pdfwords.h"
#include "platform/printers.h"
#include "previewfixture.h"
#include "print/engine/report.h"
#include "scriptedmessages.h"
#include "scriptedmodalrunner.h"

#include <QTemporaryDir>
#include <QTimer>
#include <optional>

using testsupport::numberedDocument;
using testsupport::whenShown;

namespace {

// Answers the print dialog from a queue and keeps what it was preset with.
class ScriptedPrintDialog final : public platform::PrintDialog
{
public:
    ScriptedPrintDialog() { platform::setPrintDialog(this); }
    ~ScriptedPrintDialog() override { platform::setPrintDialog(nullptr); }

    QList<std::optional<platform::PrintChoice>> answers;
    QList<platform::PrintRequest> requests;

    std::optional<platform::PrintChoice> ask(const platform::PrintRequest &request, QWidget *) override
    {
        requests.append(request);
        if (answers.isEmpty()) {
            QTest::qFail("Unexpected print dialog", __FILE__, __LINE__);
            return std::nullopt;
        }
        return answers.takeFirst();
    }
};

// Five lines "Zeile1" … "Zeile5", two to a page: three pages.
class LinesReport
{
public:
    LinesReport() : report(QStringLiteral("QRZeilen"))
    {
        report.title = QStringLiteral("Zeilenbericht");
        engine::Band &detail = report.addBand(engine::Band::Kind::Detail, QStringLiteral("Detail"), 1200);
        auto &line = detail.add<engine::Label>(QStringLiteral("Zeile"), QString());
        line.geometry = QRectF(0, 0, 1500, 300);
        line.font = QFont(QStringLiteral("Arial"), 28);
        line.onPrint = [this](engine::TextItem &, QString &text) { text = QStringLiteral("Zeile%1").arg(m_row); };
        report.beforePrint = [this](engine::Report &, bool &) { m_row = 0; };
        report.needData = [this] { return ++m_row <= 5; };
    }
    engine::Report report;

private:
    int m_row = 0;
};

QStringList pdfPages(const QString &file)
{
    return testsupport::readPdf(file).pageTexts();
}


QString labelText(Tbwprformd5 *w, const char *name)
{
    return w->findChild<QLabel *>(QLatin1String(name))->text();
}

} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT
    platform::ScriptedMessages m_messages;

private slots:
    void previewRendersIntoTheWindowAndWaits()
    {
        LinesReport lines;
        store::Session session;
        TQRMDIPreviewInterface previews(session);
        // The count the window shows as each page is reported (the window
        // hears of the page just after this).
        QStringList counts;
        connect(&lines.report, &engine::Report::pageAvailable, this, [&counts] {
            if (Tbwprformd5 *w = TQRMDIPreviewInterface::current())
                counts << labelText(w, "anzseiten");
        });
        bool checked = false;
        whenShown([&](Tbwprformd5 *w) {
            QVERIFY(session.previewOpen);
            QCOMPARE(w->windowTitle(), QStringLiteral("Zeilenbericht"));
            QCOMPARE(labelText(w, "anzseiten"), QStringLiteral("3 "));
            QCOMPARE(labelText(w, "aktseite"), QStringLiteral("Seite 1 von "));
            QCOMPARE(w->view()->pageCount(), 3);
            checked = true;
        });
        previews.previewReport(lines.report, engine::PrintKind::None); // returns when the window closed
        QVERIFY(checked);
        QCOMPARE(counts, (QStringList{QStringLiteral("0 "), QStringLiteral("1 "), QStringLiteral("2 ")}));
        QVERIFY(!session.previewOpen);
        QTRY_VERIFY(!TQRMDIPreviewInterface::current());
    }

    void printRendersAfreshForTheChosenPrinter()
    {
        QTemporaryDir out;
        platform::PdfPrinters printers(out.path(), {QStringLiteral("Büro"), QStringLiteral("Werkstatt")});
        ScriptedPrintDialog dialog;
        LinesReport lines;
        store::Session session;
        TQRMDIPreviewInterface previews(session);

        whenShown([&](Tbwprformd5 *w) {
            auto *print = w->findChild<QPushButton *>(QStringLiteral("druckbtn"));
            dialog.answers << std::nullopt; // cancelled
            QTest::mouseClick(print, Qt::LeftButton);
            QCOMPARE(printers.jobs().size(), 0);

            dialog.answers << platform::PrintChoice{QStringLiteral("Werkstatt"), 2, false, 2, 3};
            QTest::mouseClick(print, Qt::LeftButton);
            QCOMPARE(printers.jobs().size(), 1);
            QCOMPARE(printers.jobs()[0].printer, QStringLiteral("Werkstatt"));
            QCOMPARE(pdfPages(printers.jobs()[0].file),
                     (QStringList{QStringLiteral("Zeile3 Zeile4"), QStringLiteral("Zeile5")}));

            dialog.answers << platform::PrintChoice{QStringLiteral("Werkstatt"), 1, true, 0, 0};
            QTest::mouseClick(print, Qt::LeftButton);
            QCOMPARE(printers.jobs().size(), 2);
            QCOMPARE(pdfPages(printers.jobs()[1].file).size(), 3);
            QVERIFY(w->isVisible()); // the preview stays open
        });
        previews.previewReport(lines.report, engine::PrintKind::FrontSheet);

        // The dialog was preset with the report's printer, copies and pages.
        QCOMPARE(dialog.requests.size(), 3);
        QCOMPARE(dialog.requests[0].printer, QStringLiteral("Büro"));
        QCOMPARE(dialog.requests[0].copies, 1);
        QCOMPARE(dialog.requests[0].pageCount, 3);
        QVERIFY(!dialog.requests[0].landscape);
        QCOMPARE(dialog.requests[2].printer, QStringLiteral("Werkstatt"));
        QCOMPARE(dialog.requests[2].copies, 2);
        QVERIFY(m_messages.errors().isEmpty());
    }

    void theEngineAsksTheInstalledInterface()
    {
        LinesReport lines;
        store::Session session;
        QVERIFY(!engine::preview(lines.report, engine::PrintKind::None)); // nothing installed: no window
        QVERIFY(!TQRMDIPreviewInterface::current());

        TQRMDIPreviewInterface previews(session);
        engine::setPreviewInterface(&previews);
        const auto uninstall = qScopeGuard([] { engine::setPreviewInterface(nullptr); });
        int pages = 0;
        engine::PrintKind shown = engine::PrintKind::None;
        whenShown([&](Tbwprformd5 *w) {
            pages = w->view()->pageCount();
            shown = w->printKind();
        });
        QVERIFY(engine::preview(lines.report, engine::PrintKind::ReportList));
        QCOMPARE(pages, 3);
        QCOMPARE(shown, engine::PrintKind::ReportList);

        engine::Document doc = numberedDocument(2);
        whenShown([&](Tbwprformd5 *w) {
            pages = w->view()->pageCount();
            shown = w->printKind();
        });
        QVERIFY(engine::preview(doc, engine::PrintKind::BulkPrint));
        QCOMPARE(pages, 2);
        QCOMPARE(shown, engine::PrintKind::BulkPrint);
        QVERIFY(!session.previewOpen);
    }

    // A preview prints the form it was opened for, whatever another
    // preview opened after it showed: the bulk print's preview stays open
    // beside the report editor, which opens previews of its own.
    void eachPreviewPrintsItsOwnForm_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<bool>("choice"); // the first prints through the printer choice
        using K = engine::PrintKind;
        QTest::newRow("bulk print, then a front sheet") << int(K::BulkPrint) << int(K::FrontSheet) << true;
        QTest::newRow("bulk print, then a back sheet") << int(K::BulkPrint) << int(K::BackSheet) << true;
        QTest::newRow("front sheet, then a bulk print") << int(K::FrontSheet) << int(K::BulkPrint) << false;
        QTest::newRow("training time, then a bulk print") << int(K::TrainingTime) << int(K::BulkPrint) << false;
    }
    void eachPreviewPrintsItsOwnForm()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(bool, choice);
        QTemporaryDir out;
        platform::PdfPrinters printers(out.path(), {QStringLiteral("Büro")});
        ScriptedPrintDialog dialog;
        platform::ScriptedModalRunner runner;
        LinesReport lines, other;
        engine::Document doc(lines.report.pageSize);
        lines.report.render(doc);
        store::Session session;
        TQRMDIPreviewInterface previews(session);
        const QPointer<Tbwprformd5> window = previews.show(doc, &lines.report, engine::PrintKind(first));
        whenShown([](Tbwprformd5 *) {});
        previews.previewReport(other.report, engine::PrintKind(second));
        QVERIFY(window);

        if (choice)
            runner.onNext(QStringLiteral("frmSelectPrinter"), [](QDialog *d) { d->reject(); });
        else
            dialog.answers << std::nullopt;
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("druckbtn")), Qt::LeftButton);
        QCOMPARE(runner.shownNames(), choice ? QStringList{QStringLiteral("frmSelectPrinter")} : QStringList());
        QCOMPARE(dialog.requests.size(), choice ? 0 : 1);
        window->releaseDocument();
        window->close();
    }

    void printWithoutAnyPrinterSaysSo()
    {
        QTemporaryDir out;
        platform::PdfPrinters none(out.path(), {});
        ScriptedPrintDialog dialog;
        LinesReport lines;
        store::Session session;
        TQRMDIPreviewInterface previews(session);
        whenShown([&](Tbwprformd5 *w) {
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("druckbtn")), Qt::LeftButton);
            QVERIFY(w->isVisible());
        });
        previews.previewReport(lines.report, engine::PrintKind::BackSheet);
        QCOMPARE(dialog.requests.size(), 0);
        QCOMPARE(m_messages.notices().size(), 1);
        QVERIFY(m_messages.notices().first().startsWith(QStringLiteral("Es ist kein Drucker installiert.")));
    }

    void nonBlockingWindowIsTheCurrentOne()
    {
        engine::Document doc = numberedDocument(2);
        store::Session session;
        TQRMDIPreviewInterface previews(session);
        QPointer<Tbwprformd5> first = previews.show(doc);
        QVERIFY(first->isVisible());
        QCOMPARE(TQRMDIPreviewInterface::current(), first.data());
        QVERIFY(session.previewOpen);
        QPointer<Tbwprformd5> second = previews.show(doc);
        QCOMPARE(TQRMDIPreviewInterface::current(), second.data());

        TQRMDIPreviewInterface::closeCurrent();
        QVERIFY(!second->isVisible());
        QVERIFY(first->isVisible());
        QTRY_VERIFY(!second);
        QVERIFY(!TQRMDIPreviewInterface::current());
        first->close();
        QTRY_VERIFY(!first);
    }

    void modalShowing()
    {
        platform::ScriptedModalRunner runner;
        engine::Document doc = numberedDocument(4);
        store::Session session;
        TQRMDIPreviewInterface previews(session);
        QString count;
        bool open = false;
        runner.onNext(QStringLiteral("bwprformd5"), [&](QDialog *d) {
            count = d->findChild<QLabel *>(QStringLiteral("anzseiten"))->text();
            open = session.previewOpen;
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("okbtn")), Qt::LeftButton);
        });
        const QPointer<Tbwprformd5> window = previews.showModal(doc);
        QCOMPARE(count, QStringLiteral("4 "));
        QVERIFY(open);
        QVERIFY(!session.previewOpen);
        QVERIFY(!window); // freed on closing
        QVERIFY(!TQRMDIPreviewInterface::current());
    }
};

QTEST_MAIN(TestReportPreview)
#include "test_reportpreview.moc"
