#include "reports.h"

#include "coveredparts.h"
#include "store/tableset.h"

#include <QList>

namespace domain {

int nextReportNumber(store::TableSet &tables, int year)
{
    return tables.queryValue(QStringLiteral("SELECT MAX(Nummer) FROM bericht WHERE AJahr=?"), {year}).toInt() + 1;
}

void renumberYear(store::TableSet &tables, int year)
{
    const QVector<QVariantList> rows = tables.query(
        QStringLiteral("SELECT BerLfd, Nummer, Blatt FROM bericht WHERE AJahr=? ORDER BY Nummer, Blatt, BerLfd"),
        {year});
    // The new numbers never exceed the old ones and the rows are written in
    // ascending order, so a row's new place is always free already.
    int report = 0, sheet = 0;
    QVariant remembered;
    for (const QVariantList &row : rows) {
        if (report > 0 && row[1] == remembered) {
            ++sheet; // a further sheet of the report just numbered
        } else {
            remembered = row[1];
            ++report;
            sheet = 1;
        }
        if (row[1].toInt() == report && row[2].toInt() == sheet && !row[1].isNull() && !row[2].isNull())
            continue;
        tables.query(QStringLiteral("UPDATE bericht SET Nummer=?, Blatt=? WHERE BerLfd=?"), {report, sheet, row[0]});
    }
}

int countingRowTag(store::TableSet &tables, int tag)
{
    if (countedOnFirstGroup(tag))
        return firstGroupCountingTag;
    const QVector<QVariantList> item =
        tables.query(QStringLiteral("SELECT IFNULL(Lfdnr,0), IFNULL(GroupId,0) FROM thetable WHERE LfdfTag=?"), {tag});
    if (item.isEmpty())
        return 0;
    const QVector<QVariantList> counting =
        tables.query(QStringLiteral("SELECT LfdfTag FROM thetable WHERE LfdfTag<=? AND (IFNULL(GroupCnt,0)>0 "
                                    "OR IFNULL(Lfdnr,0)<>? OR IFNULL(GroupId,0)<>?) ORDER BY LfdfTag DESC LIMIT 1"),
                     {tag, item[0][0], item[0][1]});
    if (!counting.isEmpty())
        return counting[0][0].toInt();
    return tables.queryValue(QStringLiteral("SELECT MIN(LfdfTag) FROM thetable")).toInt();
}

SheetDeletion deleteSheet(store::TableSet &tables, qint64 sheetKey)
{
    SheetDeletion result;
    const QVector<QVariantList> sheet =
        tables.query(QStringLiteral("SELECT Nummer, Blatt, AJahr FROM bericht WHERE BerLfd=?"), {sheetKey});
    if (sheet.isEmpty())
        return result;
    result.number = sheet[0][0].toString();
    result.sheet = sheet[0][1].toString();
    result.year = sheet[0][2].toInt();

    store::Transaction transaction(tables);
    // Counting rows, each once, in the order they were met; every item's
    // walk sees the group counts as they were before the deletion.
    QList<int> groups;
    const QVector<QVariantList> items = tables.query(
        QStringLiteral("SELECT IFNULL(LfdfTag,0) FROM berdet WHERE Masterlfd=? ORDER BY rowid"), {sheetKey});
    for (const QVariantList &item : items) {
        const int tag = item[0].toInt();
        const QVector<QVariantList> plan =
            tables.query(QStringLiteral("SELECT IFNULL(ThemaCnt,0) FROM thetable WHERE LfdfTag=?"), {tag});
        if (plan.isEmpty()) {
            // Leaving the scope rolls back what was done.
            result.outcome = SheetDeletion::Outcome::Inconsistent;
            result.missingTag = tag;
            return result;
        }
        const int used = plan[0][0].toInt();
        if (used > 0) {
            result.log << QStringLiteral("dekrementieren table1 themacnt: %1").arg(used);
            tables.query(QStringLiteral("UPDATE thetable SET ThemaCnt=? WHERE LfdfTag=?"), {used - 1, tag});
        }
        const int counting = countingRowTag(tables, tag);
        if (!groups.contains(counting))
            groups.append(counting);
        result.log << QStringLiteral("eintrag lfd kopfzeile in array table1 t: %1").arg(counting);
        result.log << QStringLiteral("löschen detailtable lfdftag: %1").arg(tag);
    }
    tables.query(QStringLiteral("DELETE FROM berdet WHERE Masterlfd=?"), {sheetKey});
    // Each group counts one report less, however many of its items the
    // sheet held.
    for (auto it = groups.crbegin(); it != groups.crend(); ++it) {
        const int count =
            tables.queryValue(QStringLiteral("SELECT IFNULL(GroupCnt,0) FROM thetable WHERE LfdfTag=?"), {*it}).toInt();
        if (count > 0) {
            result.log << QStringLiteral("decrement groupcnt tag/cnt :%1 %2").arg(*it).arg(count);
            tables.query(QStringLiteral("UPDATE thetable SET GroupCnt=? WHERE LfdfTag=?"), {count - 1, *it});
        }
    }
    result.log << QStringLiteral("löschen bericht nr. %1, Blatt %2").arg(result.number, result.sheet);
    tables.query(QStringLiteral("DELETE FROM bericht WHERE BerLfd=?"), {sheetKey});
    if (tables.marksOpen())
        tables.query(QStringLiteral("DELETE FROM marken WHERE Blattlfd=?"), {sheetKey});
    // Only the sheet's own training year is numbered again.
    renumberYear(tables, result.year);
    transaction.commit();
    for (store::Table *changed : {&tables.table1(), &tables.berichttable(), &tables.berichtdetailtable()})
        changed->refresh();
    result.outcome = SheetDeletion::Outcome::Deleted;
    return result;
}

} // namespace domain
