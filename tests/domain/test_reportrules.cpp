// The record's rules on the table files alone, without a window: numbering
// per training year, deleting a sheet in each position, what creating and
// deleting a report does to the plan's counts, and follow-up sheets.

#include "domain/creation.h"
#include "domain/followup.h"
#include "domain/reports.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QTest>

namespace {

// Sheets as "year/number/sheet", in the order they are stored.
using Sheets = QStringList;

void storeSheets(store::TableSet &tables, const Sheets &sheets)
{
    for (const QString &s : sheets) {
        const QStringList v = s.split(QLatin1Char('/'));
        tables.query(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt) VALUES (?,?,?)"),
                     {v[0].toInt(), v[1].toInt(), v[2].toInt()});
    }
    tables.berichttable().refresh();
}

// Every sheet as "year/number/sheet" with its row key, in key order, so
// that a sheet's identity is checked together with its new number.
QStringList stored(store::TableSet &tables)
{
    QStringList out;
    for (const QVariantList &r :
         tables.query(QStringLiteral("SELECT BerLfd, AJahr, Nummer, Blatt FROM bericht ORDER BY BerLfd")))
        out << QStringLiteral("%1:%2/%3/%4").arg(r[0].toInt()).arg(r[1].toInt()).arg(r[2].toInt()).arg(r[3].toInt());
    return out;
}

qint64 keyOf(store::TableSet &tables, const QString &sheet)
{
    const QStringList v = sheet.split(QLatin1Char('/'));
    return tables
        .query(QStringLiteral("SELECT BerLfd FROM bericht WHERE AJahr=? AND Nummer=? AND Blatt=?"),
               {v[0].toInt(), v[1].toInt(), v[2].toInt()})
        .value(0)
        .value(0)
        .toLongLong();
}

// The plan's counts as "tag:GroupCnt/ThemaCnt" for every row with a count.
QStringList counts(store::TableSet &tables)
{
    QStringList out;
    for (const QVariantList &r :
         tables.query(QStringLiteral("SELECT LfdfTag, IFNULL(GroupCnt,0), IFNULL(ThemaCnt,0) FROM thetable "
                                     "WHERE IFNULL(GroupCnt,0)<>0 OR IFNULL(ThemaCnt,0)<>0 ORDER BY LfdfTag")))
        out << QStringLiteral("%1:%2/%3").arg(r[0].toInt()).arg(r[1].toInt()).arg(r[2].toInt());
    return out;
}

// Puts the plan rows `tags` into the composition, as choosing them does.
void compose(store::TableSet &tables, const QList<int> &tags)
{
    tables.query(QStringLiteral("DELETE FROM tmptable"));
    for (int tag : tags)
        tables.query(QStringLiteral("INSERT INTO tmptable (Lfdnr, Text, GroupId, LfdfTag, Isheader, NoChild, BA, UELU, "
                                    "Hintid) SELECT Lfdnr, Text, GroupId, LfdfTag, Isheader, NoChild, 0, 0, Hintid "
                                    "FROM thetable WHERE LfdfTag=?"),
                     {tag});
}

// A report of year 1 made from `tags`, its row stored as the report dialog
// stores it; returns its key.
qint64 createReport(store::TableSet &tables, const QList<int> &tags)
{
    compose(tables, tags);
    const domain::NewReport values = domain::newReport(tables, 1);
    tables.query(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt) VALUES (1,?,1)"), {values.number});
    const qint64 key = tables.query(QStringLiteral("SELECT last_insert_rowid()")).value(0).value(0).toLongLong();
    domain::storeReportItems(tables, key);
    return key;
}

} // namespace

class TestReportRules : public QObject
{
    Q_OBJECT

private slots:
    void nextNumberCountsPerYear_data()
    {
        QTest::addColumn<Sheets>("sheets");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("next");
        QTest::newRow("no report") << Sheets{} << 1 << 1;
        QTest::newRow("other years only") << Sheets{"2/7/1", "3/2/1"} << 1 << 1;
        QTest::newRow("highest, not count") << Sheets{"1/1/1", "1/4/1"} << 1 << 5;
        QTest::newRow("further sheets") << Sheets{"2/1/1", "2/1/2", "2/2/1", "2/2/2", "1/9/1"} << 2 << 3;
    }
    void nextNumberCountsPerYear()
    {
        QFETCH(Sheets, sheets);
        QFETCH(int, year);
        QFETCH(int, next);
        testsupport::TempDataDir dir;
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        storeSheets(tables, sheets);
        QCOMPARE(domain::nextReportNumber(tables, year), next);
    }

    // Deleting renumbers the sheet's own year without gaps, keeps each
    // sheet's identity and its place, and leaves other years alone.
    void deletingRenumbersItsYear_data()
    {
        QTest::addColumn<Sheets>("sheets");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QStringList>("after");
        const Sheets three{"1/1/1", "1/2/1", "1/3/1", "2/1/1", "2/2/1"};
        QTest::newRow("first") << three << "1/1/1" << QStringList{"2:1/1/1", "3:1/2/1", "4:2/1/1", "5:2/2/1"};
        QTest::newRow("middle") << three << "1/2/1" << QStringList{"1:1/1/1", "3:1/2/1", "4:2/1/1", "5:2/2/1"};
        QTest::newRow("last") << three << "1/3/1" << QStringList{"1:1/1/1", "2:1/2/1", "4:2/1/1", "5:2/2/1"};
        QTest::newRow("only report of a year") << Sheets{"1/1/1", "2/1/1"} << "2/1/1" << QStringList{"1:1/1/1"};
        // A report's first sheet goes: its follow-up becomes sheet 1.
        QTest::newRow("first of two sheets")
            << Sheets{"1/1/1", "1/2/1", "1/2/2", "1/3/1"} << "1/2/1" << QStringList{"1:1/1/1", "3:1/2/1", "4:1/3/1"};
        QTest::newRow("follow-up sheet") << Sheets{"1/1/1", "1/1/2", "1/1/3", "1/2/1"} << "1/1/2"
                                         << QStringList{"1:1/1/1", "3:1/1/2", "4:1/2/1"};
        // Stored out of order (as an import can): the numbers decide, not
        // the order of storing, and no number is taken twice on the way.
        QTest::newRow("stored out of order")
            << Sheets{"1/4/1", "1/2/1", "1/3/1", "1/1/1"} << "1/1/1" << QStringList{"1:1/3/1", "2:1/1/1", "3:1/2/1"};
        QTest::newRow("gap already there")
            << Sheets{"1/2/1", "1/5/1", "1/5/2", "1/9/1"} << "1/9/1" << QStringList{"1:1/1/1", "2:1/2/1", "3:1/2/2"};
    }
    void deletingRenumbersItsYear()
    {
        QFETCH(Sheets, sheets);
        QFETCH(QString, deleted);
        QFETCH(QStringList, after);
        testsupport::TempDataDir dir;
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        storeSheets(tables, sheets);
        const domain::SheetDeletion result = domain::deleteSheet(tables, keyOf(tables, deleted));
        QCOMPARE(result.outcome, domain::SheetDeletion::Outcome::Deleted);
        QCOMPARE(stored(tables), after);
        // The table the windows show holds what the file holds.
        QCOMPARE(tables.berichttable().recordCount(), after.size());
    }

    // What creating a report raises on the plan, deleting it takes back;
    // a group counts once per report however many of its items it holds.
    void deletingTakesBackWhatCreatingCounted_data()
    {
        QTest::addColumn<QList<int>>("tags");
        QTest::addColumn<int>("countingRows");
        QTest::newRow("one item") << QList<int>{61} << 1;
        QTest::newRow("two items of one group") << QList<int>{61, 62} << 1;
        // The group is counted on its first row, which the report does not hold.
        QTest::newRow("not the group's first item") << QList<int>{62} << 1;
        QTest::newRow("items of two parts") << QList<int>{61, 100} << 2;
        QTest::newRow("counted on the part's first group") << QList<int>{171, 172} << 1;
    }
    void deletingTakesBackWhatCreatingCounted()
    {
        QFETCH(QList<int>, tags);
        QFETCH(int, countingRows);
        testsupport::TempDataDir dir;
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        const QStringList before = counts(tables);
        const qint64 other = createReport(tables, {57});
        const QStringList withOther = counts(tables);
        const auto groupTotal = [&] {
            return tables.query(QStringLiteral("SELECT TOTAL(GroupCnt) FROM thetable")).value(0).value(0).toInt();
        };
        const int groupsBefore = groupTotal();
        const qint64 report = createReport(tables, tags);
        QCOMPARE(groupTotal() - groupsBefore, countingRows);
        QCOMPARE(domain::itemCount(tables, report), tags.size());
        QCOMPARE(domain::deleteSheet(tables, report).outcome, domain::SheetDeletion::Outcome::Deleted);
        QCOMPARE(counts(tables), withOther);
        QCOMPARE(domain::itemCount(tables, report), 0);
        QCOMPARE(domain::deleteSheet(tables, other).outcome, domain::SheetDeletion::Outcome::Deleted);
        QCOMPARE(counts(tables), before);
    }

    // An item whose plan row is gone stops the deletion: nothing changes.
    void inconsistentDeletionChangesNothing()
    {
        testsupport::TempDataDir dir;
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        createReport(tables, {57});
        const qint64 report = createReport(tables, {62, 100});
        tables.query(QStringLiteral("DELETE FROM thetable WHERE LfdfTag=100"));
        const QStringList countsBefore = counts(tables);
        const QStringList sheetsBefore = stored(tables);
        const domain::SheetDeletion result = domain::deleteSheet(tables, report);
        QCOMPARE(result.outcome, domain::SheetDeletion::Outcome::Inconsistent);
        QCOMPARE(result.missingTag, 100);
        QCOMPARE(counts(tables), countsBefore);
        QCOMPARE(stored(tables), sheetsBefore);
        QCOMPARE(domain::itemCount(tables, report), 2);
    }

    // A follow-up sheet takes the moved and copied items; the source keeps
    // the copies and the rest; both sheets' parts are computed anew.
    void followUpSheetTakesMarkedItems_data()
    {
        QTest::addColumn<QString>("marks"); // per item of tags 61, 100, 150: -, k(opieren), v(erschieben)
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("added");
        QTest::newRow("nothing marked") << "---"
                                        << "61,100,150"
                                        << "";
        QTest::newRow("one moved") << "-v-"
                                   << "61,150"
                                   << "100";
        QTest::newRow("one copied") << "k--"
                                    << "61,100,150"
                                    << "61";
        QTest::newRow("copied and moved") << "kvv"
                                          << "61"
                                          << "61,100,150";
    }
    void followUpSheetTakesMarkedItems()
    {
        QFETCH(QString, marks);
        QFETCH(QString, source);
        QFETCH(QString, added);
        testsupport::TempDataDir dir;
        store::TableSet tables(dir.dataDir());
        tables.openAtStart();
        const qint64 report = createReport(tables, {61, 100, 150});
        const QList<int> tags{61, 100, 150};
        for (int i = 0; i < tags.size(); ++i)
            tables.query(QStringLiteral("UPDATE berdet SET Kopieren=?, Verschieben=? WHERE Masterlfd=? AND LfdfTag=?"),
                         {marks[i] == QLatin1Char('k'), marks[i] == QLatin1Char('v'), report, tags[i]});
        const qint64 sheet = domain::addFollowUpSheet(tables, report);
        QCOMPARE(sheet != 0, !added.isEmpty());
        const auto items = [&](qint64 key) {
            QStringList out;
            for (const QVariantList &r :
                 tables.query(QStringLiteral("SELECT LfdfTag FROM berdet WHERE Masterlfd=? ORDER BY LfdfTag"), {key}))
                out << r[0].toString();
            return out.join(QLatin1Char(','));
        };
        QCOMPARE(items(report), source);
        if (!sheet)
            return;
        QCOMPARE(items(sheet), added);
        QCOMPARE(tables.query(QStringLiteral("SELECT COUNT(*) FROM berdet WHERE Kopieren<>0 OR Verschieben<>0"))
                     .value(0)
                     .value(0)
                     .toInt(),
                 0);
        const QVariantList row =
            tables.query(QStringLiteral("SELECT Nummer, Blatt, TDAB1 FROM bericht WHERE BerLfd=?"), {sheet}).value(0);
        QCOMPARE(row.value(0).toInt(), 1);
        QCOMPARE(row.value(1).toInt(), 2);
        // The first covered part, from the lowest item's part.
        const int firstPart =
            tables.query(QStringLiteral("SELECT MIN(Lfdnr) FROM thetable WHERE LfdfTag IN (%1)").arg(added))
                .value(0)
                .value(0)
                .toInt();
        QCOMPARE(row.value(2).toString(), QString::number(firstPart));
        QVERIFY(tables.berichttable().gotoBookmark(sheet));
    }
};

QTEST_GUILESS_MAIN(TestReportRules)
#include "test_reportrules.moc"
