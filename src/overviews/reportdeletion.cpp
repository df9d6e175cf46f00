#include "reportdeletion.h"

#include "store/coveredparts.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/table.h"
#include "store/tableset.h"

namespace field = store::field;

namespace overviews {

namespace {

void lower(store::Table &table, const QString &field)
{
    table.edit();
    table.setValue(field, table.asInt(field) - 1);
    table.post();
}

// Takes the sheet's items and counts back and deletes the sheet; false when
// an item has no plan row (the caller's transaction then undoes it all).
bool takeBack(store::TableSet &tables, SheetDeletion &result)
{
    store::Table &reports = tables.berichttable();
    store::Table &items = tables.berichtdetailtable();
    store::Table &plan = tables.table1();

    // The plan in LfdfTag order for the time of the deletion.
    store::ScopedView planView(plan);
    plan.setIndexName(QStringLiteral("_lfdftag"));
    // Counting rows, each once, in the order they were met.
    QList<int> groups;
    items.first();
    while (!items.isEmpty()) {
        const int tag = items.asInt(field::LfdfTag);
        if (!plan.findKey({tag})) {
            result.missingTag = tag;
            return false;
        }
        const int used = plan.asInt(field::ThemaCnt);
        if (used > 0) {
            result.log << QStringLiteral("dekrementieren table1 themacnt: %1").arg(used);
            lower(plan, field::ThemaCnt);
        }
        const int counting = countingRowTag(plan);
        if (!groups.contains(counting))
            groups.append(counting);
        result.log << QStringLiteral("eintrag lfd kopfzeile in array table1 t: %1").arg(counting);
        result.log << QStringLiteral("löschen detailtable lfdftag: %1").arg(tag);
        items.remove(); // the next item becomes current
    }
    // Each group counts one report less, however many of its items the
    // sheet held.
    for (auto it = groups.crbegin(); it != groups.crend(); ++it) {
        if (!plan.findKey({*it}))
            continue;
        const int count = plan.asInt(field::GroupCnt);
        if (count > 0) {
            result.log << QStringLiteral("decrement groupcnt tag/cnt :%1 %2").arg(*it).arg(count);
            lower(plan, field::GroupCnt);
        }
    }
    result.log << QStringLiteral("löschen bericht nr. %1, Blatt %2").arg(result.number, result.sheet);
    reports.remove();
    plan.post();
    planView.restore();
    return true;
}

} // namespace

int countingRowTag(store::Table &plan)
{
    const int tag = plan.asInt(field::LfdfTag);
    if (store::countedOnFirstGroup(tag))
        return store::firstGroupCountingTag;
    const int part = plan.asInt(field::Lfdnr);
    const int group = plan.asInt(field::GroupId);
    while (plan.asInt(field::GroupCnt) <= 0 && plan.asInt(field::Lfdnr) == part
           && plan.asInt(field::GroupId) == group) {
        if (!plan.prior())
            break; // the first row of the plan
    }
    return plan.asInt(field::LfdfTag);
}

void renumberReports(store::Table &reports)
{
    if (reports.isEmpty())
        return;
    // The rows are visited by identity: a row whose key changes cannot make
    // the walk skip or repeat a row.
    QList<store::Table::Bookmark> rows;
    reports.first();
    do {
        rows << reports.bookmark();
    } while (reports.next());

    int report = 0, sheet = 0, remembered = 0;
    for (store::Table::Bookmark row : rows) {
        reports.gotoBookmark(row);
        const int old = reports.asInt(field::Nummer);
        if (old == remembered) {
            ++sheet; // a further sheet of the report just numbered
        } else {
            remembered = old;
            ++report;
            sheet = 1;
        }
        // A further sheet also takes its report's new number.
        if (reports.asInt(field::Nummer) == report && reports.asInt(field::Blatt) == sheet)
            continue;
        reports.edit();
        reports.setValue(field::Nummer, report);
        reports.setValue(field::Blatt, sheet);
        reports.post();
    }
}

SheetDeletion deleteSheet(store::TableSet &tables)
{
    store::Table &reports = tables.berichttable();
    SheetDeletion result;
    if (!reports.isOpen() || reports.isEmpty())
        return result;
    result.number = reports.asString(field::Nummer);
    result.sheet = reports.asString(field::Blatt);
    const int year = reports.asInt(field::AJahr);
    // Declared before the transaction, so that it puts the list back after
    // a rollback: on the sheet when nothing was deleted, else on the row
    // that took the sheet's place.
    store::ScopedView listView(reports);
    store::Transaction transaction(tables);
    if (!takeBack(tables, result)) {
        // Stopped before the sheet row went: leaving the scope rolls back
        // what was done.
        result.outcome = SheetDeletion::Outcome::Inconsistent;
        return result;
    }
    // Only the sheet's own training year is numbered again, whatever the
    // list shows.
    reports.setIndexName(QString());
    reports.setRange({year}, {year});
    renumberReports(reports);
    transaction.commit();
    listView.restore();
    result.outcome = SheetDeletion::Outcome::Deleted;
    return result;
}

} // namespace overviews
