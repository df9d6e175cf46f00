#include "creation.h"

#include "coveredparts.h"
#include "planitems.h"
#include "reports.h"
#include "store/tableset.h"

#include <QSet>

namespace domain {

namespace {

// "zu 5 aa) ": the part and the item's text up to its first ")".
QString activityLine(int part, const QString &text)
{
    const int close = text.indexOf(QLatin1Char(')'));
    return QStringLiteral("zu %1 %2 ").arg(part).arg(close < 0 ? QString() : text.left(close + 1));
}

} // namespace

NewReport newReport(store::TableSet &tables, int year)
{
    NewReport report;
    report.number = nextReportNumber(tables, year);
    QList<int> chosenParts;
    const QVector<QVariantList> rows = tables.query(QStringLiteral(
        "SELECT IFNULL(Lfdnr,0), Text, IFNULL(Isheader,0), IFNULL(NoChild,0) FROM tmptable ORDER BY rowid"));
    for (const QVariantList &row : rows) {
        if (!isChosenItem(row[2].toBool(), row[3].toBool()))
            continue;
        const int part = row[0].toInt();
        report.activities += activityLine(part, row[1].toString()) + QLatin1Char('\n');
        chosenParts << part;
    }
    report.parts = coveredParts(chosenParts);
    return report;
}

void storeReportItems(store::TableSet &tables, qint64 master)
{
    const QVector<QVariantList> rows =
        tables.query(QStringLiteral("SELECT IFNULL(Lfdnr,0), IFNULL(GroupId,0), IFNULL(LfdfTag,0) FROM tmptable "
                                    "ORDER BY rowid"));
    tables.query(QStringLiteral("INSERT INTO berdet (Masterlfd, Lfdnr, GroupId, LfdfTag, BA, UELU, Hintid, Alltext) "
                                "SELECT ?, Lfdnr, GroupId, LfdfTag, BA, UELU, Hintid, Alltext FROM tmptable "
                                "ORDER BY rowid"),
                 {master});
    QSet<int> countedGroups;
    for (const QVariantList &row : rows) {
        const int part = row[0].toInt();
        const int tag = row[2].toInt();
        const int countingRow = creationCountingTag(tables, part, row[1].toInt(), tag);
        if (countingRow >= 0 && !countedGroups.contains(countingRow)) {
            countedGroups.insert(countingRow);
            tables.query(QStringLiteral("UPDATE thetable SET GroupCnt=IFNULL(GroupCnt,0)+1 WHERE LfdfTag=?"),
                         {countingRow});
        }
        tables.query(QStringLiteral("UPDATE thetable SET ThemaCnt=IFNULL(ThemaCnt,0)+1 WHERE LfdfTag=?"), {tag});
    }
    for (store::Table *changed : {&tables.table1(), &tables.berichtdetailtable()})
        changed->refresh();
}

const ReportWeeks *newestReport(const QVector<ReportWeeks> &reports)
{
    const auto older = [](const ReportWeeks &a, const ReportWeeks &b) {
        if (a.to.isValid() != b.to.isValid())
            return !a.to.isValid();
        if (a.to != b.to)
            return a.to < b.to;
        return a.year != b.year ? a.year < b.year : a.number < b.number;
    };
    const ReportWeeks *newest = nullptr;
    for (const ReportWeeks &report : reports)
        if (!newest || older(*newest, report))
            newest = &report;
    return newest;
}

QList<int> itemsOfSheets(store::TableSet &tables, const QList<qint64> &sheets)
{
    QList<int> items;
    for (const qint64 sheet : sheets) {
        const QVector<QVariantList> rows =
            tables.query(QStringLiteral("SELECT IFNULL(LfdfTag,0) FROM berdet WHERE Masterlfd=? ORDER BY rowid"), {sheet});
        for (const QVariantList &row : rows)
            if (const int tag = row[0].toInt(); !items.contains(tag))
                items << tag;
    }
    return items;
}

QStringList activitiesOfSheets(store::TableSet &tables, const QList<qint64> &sheets)
{
    QStringList activities;
    for (const qint64 sheet : sheets) {
        const QString text =
            tables.queryValue(QStringLiteral("SELECT Taetigkeit FROM bericht WHERE BerLfd=?"), {sheet}).toString();
        if (!text.trimmed().isEmpty())
            activities << text;
    }
    return activities;
}

} // namespace domain
