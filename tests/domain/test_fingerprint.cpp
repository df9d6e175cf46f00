// The record's fingerprint and the readiness check's word on the last
// whole-record PDF: any change of what the reports say changes it, what is
// not content (printing, the trainer's marks, the order rows were stored
// in) does not.

#include "domain/fingerprint.h"
#include "domain/marks.h"
#include "domain/readiness.h"
#include "store/settings.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QTest>

namespace {

// Two reports, the second with a picture and a ticked plan item; with
// `reversed` stored in the other order.
void storeRecord(store::TableSet &tables, bool reversed = false)
{
    const auto first = [&] {
        tables.query(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, WocheVom, WocheBis, Datum, Thema, "
                                    "Taetigkeit, Vermerke) VALUES (1, 1, 1, '2025-09-01', '2025-09-05', "
                                    "'2025-09-05', 'ab', 'Rauchrohr gereinigt', 'c')"));
    };
    const auto second = [&] {
        tables.query(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, WocheVom, WocheBis, Datum, "
                                    "Taetigkeit, Bild1) VALUES (1, 2, 1, '2025-09-08', '2025-09-12', "
                                    "'2025-09-12', 'Kaminkopf', ?)"),
                     {QByteArray("\xff\xd8photo", 7)});
        const qint64 sheet = tables.queryValue(QStringLiteral("SELECT BerLfd FROM bericht WHERE Nummer=2")).toLongLong();
        tables.query(QStringLiteral("INSERT INTO berdet (Masterlfd, Lfdnr, Alltext) VALUES (?, 7, 'Feuerstätte')"),
                     {sheet});
    };
    if (reversed) {
        second();
        first();
    } else {
        first();
        second();
    }
}

} // namespace

class TestFingerprint : public QObject
{
    Q_OBJECT

private slots:
    void changesWithTheContentOnly_data()
    {
        QTest::addColumn<QString>("change"); // SQL run on the stored record, "seen" marks every sheet seen
        QTest::addColumn<bool>("changes");
        QTest::newRow("nothing") << QString() << false;
        QTest::newRow("printed") << "UPDATE bericht SET Gedruckt='2025-10-01'" << false;
        QTest::newRow("seen by the trainer") << "seen" << false;
        QTest::newRow("one character") << "UPDATE bericht SET Taetigkeit='Rauchrohr gereinigT' WHERE Nummer=1"
                                       << true;
        QTest::newRow("text moved between fields")
            << "UPDATE bericht SET Thema='a', Vermerke='bc' WHERE Nummer=1" << true;
        QTest::newRow("one byte of a picture")
            << "UPDATE bericht SET Bild1=X'ffd870686f746f' || X'00' WHERE Nummer=2" << true;
        QTest::newRow("a picture taken out") << "UPDATE bericht SET Bild1=NULL WHERE Nummer=2" << true;
        QTest::newRow("a plan item ticked off") << "DELETE FROM berdet" << true;
        QTest::newRow("a week's date") << "UPDATE bericht SET WocheBis='2025-09-06' WHERE Nummer=1" << true;
        QTest::newRow("a sheet renumbered") << "UPDATE bericht SET Nummer=3 WHERE Nummer=2" << true;
        QTest::newRow("the training times") << "INSERT INTO uebersB (Lj, Bs) VALUES (1, '12')" << true;
    }
    void changesWithTheContentOnly()
    {
        QFETCH(QString, change);
        QFETCH(bool, changes);
        testsupport::TempDataDir dir;
        store::Settings settings(dir.path() + QStringLiteral("/Ruririd.ini"));
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        storeRecord(tables);
        const QByteArray before = domain::recordFingerprint(tables);
        QCOMPARE(before.size(), 64);
        QVERIFY(domain::recordExported(settings, before, QDateTime(QDate(2025, 9, 20), QTime(10, 0))));

        if (change == QLatin1String("seen")) {
            QList<qint64> sheets;
            for (const QVariantList &row : tables.query(QStringLiteral("SELECT BerLfd FROM bericht")))
                sheets << row[0].toLongLong();
            domain::markSeen(tables, sheets, QDate(2025, 9, 20), QStringLiteral("Meister"));
        } else if (!change.isEmpty()) {
            tables.query(change);
        }
        QCOMPARE(domain::recordFingerprint(tables) != before, changes);

        // The check says so, with the day of the PDF; the stored export is
        // read back from the settings file.
        QCOMPARE(domain::lastRecordExport(settings).fingerprint, before);
        QStringList stale;
        for (const domain::Defect &d : domain::checkRecord(tables, settings, QDate(2025, 9, 24), 1))
            if (d.kind == domain::Defect::Kind::ChangedSincePdf)
                stale << d.text;
        QCOMPARE(stale.size(), changes ? 1 : 0);
        if (changes)
            QVERIFY2(stale[0].contains(QLatin1String("20.09.2025")), qPrintable(stale[0]));
    }

    // The same record stored in another order has the same fingerprint; no
    // PDF written, no word on it.
    void fixedOrderAndNoPdf()
    {
        QByteArray prints[2];
        for (const bool reversed : {false, true}) {
            testsupport::TempDataDir dir;
            store::Settings settings(dir.path() + QStringLiteral("/Ruririd.ini"));
            store::TableSet tables(dir.dataDir());
            tables.openAtStart();
            storeRecord(tables, reversed);
            prints[reversed] = domain::recordFingerprint(tables);
            QVERIFY(!domain::lastRecordExport(settings).isValid());
            for (const domain::Defect &d : domain::checkRecord(tables, settings, QDate(2025, 9, 24), 1))
                QVERIFY(d.kind != domain::Defect::Kind::ChangedSincePdf);
        }
        QCOMPARE(prints[0], prints[1]);
    }
};

QTEST_GUILESS_MAIN(TestFingerprint)
#include "test_fingerprint.moc"
