// The reset to the delivered state is whole or nothing: a table file that
// refuses its change leaves every file and every table's rows as they were.

#include "sqliteprobe.h"
#include "store/fields.h"
#include "store/reset.h"
#include "store/schema.h"
#include "store/storeerror.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QFile>
#include <QTest>

using namespace store;

class TestReset : public QObject
{
    Q_OBJECT

private slots:
    void resetIsWholeOrNothing_data()
    {
        QTest::addColumn<QString>("trigger"); // the table that refuses; "" for none
        QTest::newRow("whole") << "";
        QTest::newRow("detail rows refuse") << "berdet.refuse BEFORE DELETE ON berdet";
        QTest::newRow("reports refuse") << "bericht.refuse BEFORE DELETE ON bericht";
        QTest::newRow("composition refuses") << "tmptable.refuse BEFORE DELETE ON tmptable";
        QTest::newRow("plan counts refuse, last") << "refuse BEFORE UPDATE ON thetable";
    }
    void resetIsWholeOrNothing()
    {
        QFETCH(QString, trigger);
        testsupport::TempDataDir dir;
        TableSet tables(dir.dataDir());
        tables.openAtStart();
        tables.temptable().open();
        for (Table *t : {&tables.temptable(), &tables.berichttable(), &tables.berichtdetailtable()}) {
            t->append();
            t->setValue(t == &tables.berichttable() ? field::Nummer : field::LfdfTag, 29);
            t->post();
        }
        tables.exec(QStringLiteral("UPDATE thetable SET GroupCnt = 2, ThemaCnt = 1"));
        if (trigger.isEmpty())
            tables.temptable().close(); // the reset opens what it empties
        else
            tables.exec(QStringLiteral("CREATE TRIGGER %1 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END").arg(trigger));
        const auto files = [&] {
            QMap<QString, QByteArray> out;
            for (const TableDef &def : tableDefs()) {
                QFile f(dir.file(def.fileName));
                out[def.fileName] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }
            return out;
        };
        const auto before = files();
        const QString plan = dir.file(QStringLiteral("thetable.DB"));
        const QString content = QStringLiteral("SELECT Text, GroupId, LfdfTag, L1, L2a, L2b, L3, Hintid FROM thetable");
        const QVariantList planContent = probe(plan, content);

        try {
            resetToDelivered(tables);
            QVERIFY2(trigger.isEmpty(), "the reset went through a refusing table");
        } catch (const StoreError &e) {
            // The refusal's own words are the detail behind the message.
            QVERIFY2(!trigger.isEmpty() && e.detail().contains(QStringLiteral("gesperrt")), qPrintable(e.detail()));
        }

        const auto after = files();
        for (const QString &file : trigger.isEmpty() ? QStringList{"hints.db", "uebersB.DB"} : before.keys())
            QVERIFY2(after[file] == before[file], qPrintable(file));
        QCOMPARE(probe(plan, content), planContent);
        const int left = trigger.isEmpty() ? 0 : 1;
        for (Table *t : {&tables.berichttable(), &tables.berichtdetailtable(), &tables.temptable()}) {
            QCOMPARE(t->recordCount(), left);
            QCOMPARE(probe(t->filePath(), QStringLiteral("SELECT count(*) FROM %1").arg(t->def().tableName)),
                     QVariantList{left});
        }
        QCOMPARE(probe(plan, QStringLiteral("SELECT max(GroupCnt) + max(ThemaCnt) FROM thetable")),
                 QVariantList{3 * left});
        QCOMPARE(tables.table1().asInt(field::ThemaCnt), left);
    }
};

QTEST_MAIN(TestReset)
#include "test_reset.moc"
