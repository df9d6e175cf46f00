#include "planitems.h"

#include "coveredparts.h"
#include "store/tableset.h"

namespace domain {

PlanItem planItem(store::TableSet &tables, int tag)
{
    PlanItem item;
    const QVector<QVariantList> rows =
        tables.query(QStringLiteral("SELECT IFNULL(Lfdnr,0), IFNULL(GroupId,0), IFNULL(Hintid,0), IFNULL(Isheader,0), "
                                    "IFNULL(NoChild,0), Text FROM thetable WHERE LfdfTag=?"),
                     {tag});
    if (rows.isEmpty())
        return item;
    const QVariantList &r = rows[0];
    item.found = true;
    item.part = r[0].toInt();
    item.group = r[1].toInt();
    item.tag = tag;
    item.hintId = r[2].toInt();
    item.header = r[3].toBool();
    item.noChild = r[4].toBool();
    item.text = r[5].toString();
    QVector<QVariantList> heading = tables.query(
        QStringLiteral(
            "SELECT Text FROM thetable WHERE LfdfTag<=? AND IFNULL(Isheader,0)<>0 ORDER BY LfdfTag DESC LIMIT 1"),
        {tag});
    if (heading.isEmpty())
        heading = tables.query(QStringLiteral("SELECT Text FROM thetable ORDER BY LfdfTag LIMIT 1"));
    item.headerText = heading.value(0).value(0).toString();
    item.countingTag = creationCountingTag(tables, item.part, item.group, tag);
    return item;
}

int creationCountingTag(store::TableSet &tables, int part, int group, int tag)
{
    const QVector<QVariantList> rows = tables.query(
        QStringLiteral("SELECT LfdfTag FROM thetable WHERE Lfdnr=? AND GroupId=? ORDER BY LfdfTag LIMIT 1"),
        {part, countedOnFirstGroup(tag) ? 1 : group});
    return rows.isEmpty() ? -1 : rows[0][0].toInt();
}

QString trainingYearFilter(int year)
{
    switch (year) {
    case 1:
        return QStringLiteral("L1 > 0");
    case 2:
        return QStringLiteral("(L2a > 0 or L2b > 0)");
    case 3:
        return QStringLiteral("L3 > 0");
    default:
        return {};
    }
}

} // namespace domain
