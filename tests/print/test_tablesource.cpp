// The report engine reading a table of the store: the report's row and the
// detail rows that follow it, the texts the table shows, long texts for the
// rich-text item, and a closed table that gives no records.

#include "pdfwords.h"
#include "print/engine/report.h"
#include "print/engine/richtextitem.h"
#include "print/tablesource.h"
#include "store/table.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QTemporaryDir>
#include <QTest>

using namespace engine;
using forms::TableSource;

class TestTableSource : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<testsupport::TempDataDir> m_data;
    std::unique_ptr<store::TableSet> m_tables;

    store::Table &reports() { return m_tables->berichttable(); }
    store::Table &details() { return m_tables->berichtdetailtable(); }

    // The words of the report's first page, sorted.
    QString printedWords(Report &r)
    {
        const QString file = m_dir.filePath(r.objectName() + QStringLiteral(".pdf"));
        exportPdf(r.render(), file);
        QStringList w = testsupport::readPdf(file).pageText(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        w.sort();
        return w.join(QLatin1Char(' '));
    }

private slots:
    void init()
    {
        m_data = std::make_unique<testsupport::TempDataDir>();
        m_tables = std::make_unique<store::TableSet>(m_data->dataDir());
        m_tables->openAtStart();
    }
    void cleanup()
    {
        m_tables.reset();
        m_data.reset();
    }

    void dataFromTheReportAndItsDetailRows()
    {
        for (int n = 1; n <= 2; ++n) {
            reports().append();
            reports().setValue(QStringLiteral("AJahr"), 1);
            reports().setValue(QStringLiteral("Nummer"), n);
            reports().setValue(QStringLiteral("Blatt"), 1);
            reports().setValue(QStringLiteral("WocheVom"), QDate(2026, 3, 2 + 7 * n));
            reports().post();
            for (int k = 1; k <= n + 1; ++k) {
                details().append();
                details().setValue(QStringLiteral("Alltext"), QStringLiteral("Bericht%1Punkt%2").arg(n).arg(k));
                details().setValue(QStringLiteral("BA"), k == 1);
                details().post();
            }
        }
        reports().first();

        TableSource reportRow(reports()), items(details());
        Report r(QStringLiteral("QuickRep1"));
        Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 100);
        title.add<DataText>(QStringLiteral("QRDBText1"), &reportRow, QStringLiteral("Nummer")).geometry =
            QRectF(492, 0, 56, 50);
        auto &week = title.add<DataText>(QStringLiteral("QRDBText3"), &reportRow, QStringLiteral("WocheVom"));
        week.geometry = QRectF(1016, 0, 100, 45);
        week.autoSize = true;
        Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), 50);
        detail.add<DataText>(QStringLiteral("alltextfeld"), &items, QStringLiteral("Alltext")).geometry =
            QRectF(11, 0, 1199, 45);
        detail.add<DataText>(QStringLiteral("bafeld"), &items, QStringLiteral("BA")).geometry =
            QRectF(1249, 0, 300, 45);
        r.detailSource = &items;

        QCOMPARE(printedWords(r), QStringLiteral("09.03.2026 1 Bericht1Punkt1 Bericht1Punkt2 False True"));
        reports().next();
        QCOMPARE(printedWords(r),
                 QStringLiteral("16.03.2026 2 Bericht2Punkt1 Bericht2Punkt2 Bericht2Punkt3 False False True"));
        // The run walked the detail rows; the reports' cursor stayed.
        QCOMPARE(reports().asInt(QStringLiteral("Nummer")), 2);
    }

    // One report row printed by the detail band: a memo field fills a
    // rich-text item, a text field leaves it empty, a closed table prints
    // no record.
    void longTextsAndClosedTables_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("printed");
        QTest::newRow("RTF memo") << QStringLiteral("Vermerke") << false << QStringLiteral("7 Gelesen");
        QTest::newRow("text field") << QStringLiteral("Thema") << false << QStringLiteral("7");
        QTest::newRow("closed table") << QStringLiteral("Vermerke") << true << QString();
    }
    void longTextsAndClosedTables()
    {
        QFETCH(QString, field);
        QFETCH(bool, closed);
        QFETCH(QString, printed);
        reports().append();
        reports().setValue(QStringLiteral("Nummer"), 7);
        reports().setValue(QStringLiteral("Vermerke"), QStringLiteral("Gelesen"));
        reports().setValue(QStringLiteral("Thema"), QStringLiteral("Gelesen"));
        reports().post();
        if (closed)
            reports().close();

        TableSource reportRow(reports());
        Report r(QStringLiteral("rows"));
        Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), 100);
        detail.add<DataText>(QStringLiteral("QRDBText1"), &reportRow, QStringLiteral("Nummer")).geometry =
            QRectF(11, 0, 100, 45);
        auto &text = detail.add<RichText>(QStringLiteral("QRDBRichText2"));
        text.geometry = QRectF(211, 0, 1500, 50);
        text.source = &reportRow;
        text.field = field;
        r.detailSource = &reportRow;
        QCOMPARE(printedWords(r), printed);
    }
};

QTEST_MAIN(TestTableSource)
#include "test_tablesource.moc"
