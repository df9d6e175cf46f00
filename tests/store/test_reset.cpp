// Returning the tables to their delivered state: what goes, what stays, and
// a store error on the way that must leave every file as it was.

#include "sqliteprobe.h"
#include "store/fields.h"
#include "store/reset.h"
#include "store/schema.h"
#include "store/storeerror.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

using namespace store;
namespace field = store::field;

namespace {

QByteArray hashOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : "<missing>";
}

// A report with one item, a composition, raised counts and a line of the
// training-time overview, all stored.
void fill(TableSet &tables)
{
    tables.temptable().open();
    tables.temptable().append();
    tables.temptable().setValue(field::Lfdnr, 5);
    tables.temptable().setValue(field::LfdfTag, 29);
    tables.temptable().post();
    Table &reports = tables.berichttable();
    reports.append();
    reports.setValue(field::AJahr, 1);
    reports.setValue(field::Nummer, 1);
    reports.setValue(field::Blatt, 1);
    reports.post();
    tables.berichtdetailtable().append();
    tables.berichtdetailtable().setValue(field::LfdfTag, 29);
    tables.berichtdetailtable().post();
    tables.exec(QStringLiteral("UPDATE thetable SET GroupCnt = 2, ThemaCnt = 1 WHERE LfdfTag IN (28, 29)"));
    tables.uebersichttable().append();
    tables.uebersichttable().setValue(field::Lj, 1);
    tables.uebersichttable().setValue(field::Bs, QStringLiteral("01.09.-12.09."));
    tables.uebersichttable().post();
}

// What the reset must not touch in the plan: every column but the counts.
QVariantList planContent(const QString &file)
{
    return probe(file, QStringLiteral("SELECT Lfdnr, Text, GroupId, LfdfTag, Isheader, NoChild, L1, L2a, L2b, L3, "
                                      "L1cnt, L2acnt, L2bcnt, L3cnt, Cnt, Hintid FROM thetable ORDER BY LfdfTag"));
}

} // namespace

class TestReset : public QObject
{
    Q_OBJECT

private slots:
    void resetReturnsTheDeliveredState()
    {
        testsupport::TempDataDir dir;
        TableSet tables(dir.dataDir());
        tables.openAtStart();
        fill(tables);
        tables.temptable().close(); // the reset opens what it empties
        const QVariantList plan = planContent(dir.file(QStringLiteral("thetable.DB")));
        const QByteArray hints = hashOf(dir.file(QStringLiteral("hints.db")));
        const QByteArray overview = hashOf(dir.file(QStringLiteral("uebersB.DB")));

        resetToDelivered(tables);

        for (const char *file : {"bericht.db", "berdet.DB", "tmptable.DB"}) {
            const QString name = QString::fromLatin1(file);
            QCOMPARE(probe(dir.file(name), QStringLiteral("SELECT count(*) FROM %1").arg(tableDef(name).tableName)),
                     QVariantList{0});
        }
        QCOMPARE(probe(dir.file(QStringLiteral("thetable.DB")),
                       QStringLiteral("SELECT count(*) FROM thetable WHERE GroupCnt IS NOT 0 OR ThemaCnt IS NOT 0")),
                 QVariantList{0});
        QCOMPARE(planContent(dir.file(QStringLiteral("thetable.DB"))), plan);
        QCOMPARE(hashOf(dir.file(QStringLiteral("hints.db"))), hints);
        QCOMPARE(hashOf(dir.file(QStringLiteral("uebersB.DB"))), overview);

        // The tables stay open and show it.
        for (Table *t : {&tables.berichttable(), &tables.berichtdetailtable(), &tables.temptable()}) {
            QVERIFY2(t->isOpen(), qPrintable(t->fileName()));
            QCOMPARE(t->recordCount(), 0);
        }
        Table &planTable = tables.table1();
        QVERIFY(planTable.recordCount() > 100);
        planTable.first();
        do {
            QCOMPARE(planTable.asInt(field::GroupCnt) + planTable.asInt(field::ThemaCnt), 0);
        } while (planTable.next());
        QCOMPARE(tables.uebersichttable().recordCount(), 1);
    }

    // A table file that refuses its change, whichever it is: nothing of the
    // reset stays done, in the files and in the rows the tables hold.
    void storeErrorLeavesEveryFileUnchanged_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("detail rows") << "berdet.refuse BEFORE DELETE ON berdet";
        QTest::newRow("reports") << "bericht.refuse BEFORE DELETE ON bericht";
        QTest::newRow("composition") << "tmptable.refuse BEFORE DELETE ON tmptable";
        QTest::newRow("plan counts, last") << "refuse BEFORE UPDATE ON thetable";
    }
    void storeErrorLeavesEveryFileUnchanged()
    {
        QFETCH(QString, trigger);
        testsupport::TempDataDir dir;
        TableSet tables(dir.dataDir());
        tables.openAtStart();
        fill(tables);
        tables.exec(QStringLiteral("CREATE TRIGGER %1 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END").arg(trigger));
        QMap<QString, QByteArray> before;
        for (const TableDef &def : tableDefs())
            before[def.fileName] = hashOf(dir.file(def.fileName));

        try {
            resetToDelivered(tables);
            QFAIL("the reset went through a refusing table");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("gesperrt")), qPrintable(e.message()));
        }

        for (const TableDef &def : tableDefs())
            QVERIFY2(hashOf(dir.file(def.fileName)) == before[def.fileName], qPrintable(def.fileName));
        QVERIFY(!tables.inTransaction());
        QCOMPARE(tables.berichttable().recordCount(), 1);
        QCOMPARE(tables.berichtdetailtable().recordCount(), 1);
        QCOMPARE(tables.temptable().recordCount(), 1);
        tables.table1().setIndexName(QStringLiteral("_lfdftag"));
        QVERIFY(tables.table1().findKey({29}));
        QCOMPARE(tables.table1().asInt(field::ThemaCnt), 1);
        // Every table takes changes again.
        tables.exec(QStringLiteral("DROP TRIGGER %1").arg(trigger.section(QLatin1Char(' '), 0, 0)));
        resetToDelivered(tables);
        QCOMPARE(tables.berichttable().recordCount(), 0);
    }
};

QTEST_MAIN(TestReset)
#include "test_reset.moc"
