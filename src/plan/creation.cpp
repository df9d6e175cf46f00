#include "creation.h"

#include "store/coveredparts.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/storeerror.h"
#include "store/tableset.h"

#include <QScopeGuard>
#include <QSet>

namespace field = store::field;

namespace plan {

namespace {

// "zu 5 aa) ": the part and the item's text up to its first ")".
QString activityLine(int part, const QString &text)
{
    const int close = text.indexOf(QLatin1Char(')'));
    return QStringLiteral("zu %1 %2 ").arg(part).arg(close < 0 ? QString() : text.left(close + 1));
}

} // namespace

int nextReportNumber(store::Table &reports, int year)
{
    // The primary order is year, number, sheet: the year's last row holds
    // its highest number. The windows' view of the reports stays as it was.
    const store::ScopedView keep(reports);
    reports.setIndexName(QString());
    reports.setRange({year}, {year});
    reports.last();
    return (reports.isEmpty() ? 0 : reports.asInt(field::Nummer)) + 1;
}

void appendReport(store::TableSet &tables, int year, const QDate &today)
{
    store::Table &reports = tables.berichttable();
    store::Table &composition = tables.temptable();
    if (composition.isEditing())
        composition.post();
    const int number = nextReportNumber(reports, year);
    reports.append();
    reports.setValue(field::Datum, today);
    reports.setValue(field::Nummer, number);
    reports.setValue(field::AJahr, year);
    // A new report is its own first sheet; further sheets count on from it.
    reports.setValue(field::Blatt, 1);

    QString activities;
    for (int r = 0; r < composition.recordCount(); ++r) {
        if (!store::isChosenItem(composition, r))
            continue;
        activities +=
            activityLine(composition.valueAt(r, field::Lfdnr).toInt(), composition.valueAt(r, field::Text).toString())
            + QLatin1Char('\n');
    }
    if (!activities.isEmpty())
        reports.setValue(field::Taetigkeit, activities);
    store::writeCoveredParts(reports, store::coveredParts(composition, store::PartRows::Composition));
}

void storeReportItems(store::TableSet &tables, const QVariant &master)
{
    store::Table &composition = tables.temptable();
    store::Table &details = tables.berichtdetailtable();
    store::Table &plan = tables.table1();
    if (composition.isEditing())
        composition.post();
    const store::ScopedView keep(plan);
    QSet<int> countedGroups;
    for (int r = 0; r < composition.recordCount(); ++r) {
        const auto item = [&](const QString &name) { return composition.valueAt(r, name); };
        details.append();
        details.setValue(field::Masterlfd, master);
        for (const QString *name : {&field::Lfdnr, &field::GroupId, &field::LfdfTag, &field::BA, &field::UELU,
                                    &field::Hintid, &field::Alltext})
            details.setValue(*name, item(*name));
        details.post();

        const int part = item(field::Lfdnr).toInt();
        const int tag = item(field::LfdfTag).toInt();
        const int group = store::countedOnFirstGroup(tag) ? 1 : item(field::GroupId).toInt();
        plan.setIndexName(QStringLiteral("_lfdugroup"));
        if (plan.findKey({part, group})) {
            const int countingRow = plan.asInt(field::LfdfTag);
            if (!countedGroups.contains(countingRow)) {
                countedGroups.insert(countingRow);
                plan.edit();
                plan.setValue(field::GroupCnt, plan.asInt(field::GroupCnt) + 1);
                plan.post();
            }
        }
        plan.setIndexName(QStringLiteral("_lfdftag"));
        if (plan.findKey({tag})) {
            plan.edit();
            plan.setValue(field::ThemaCnt, plan.asInt(field::ThemaCnt) + 1);
            plan.post();
        }
    }
}

bool createReport(store::TableSet &tables, int year, const QDate &today, const std::function<bool()> &editReport)
{
    store::Table &reports = tables.berichttable();
    // The new report, its items and the counts are stored together or not
    // at all: a cancelled dialog leaves no report behind, also when the
    // report row was stored while the dialog was open.
    store::Transaction transaction(tables);
    // Whatever ends the creation, no unstored row is left behind.
    const auto discard = qScopeGuard([&] {
        reports.cancel();
        tables.temptable().cancel();
    });
    appendReport(tables, year, today);

    // The new row's key, as soon as it is stored: the items belong to this
    // report and to no other row the cursor may stand on afterwards.
    QVariant created;
    bool inserting = false;
    const QMetaObject::Connection before = QObject::connect(
        &reports, &store::Table::beforePost, [&] { inserting = reports.state() == store::TableState::Insert; });
    const QMetaObject::Connection after = QObject::connect(&reports, &store::Table::afterPost, [&] {
        if (inserting && !created.isValid())
            created = reports.value(field::BerLfd);
    });
    const auto disconnect = qScopeGuard([&] {
        QObject::disconnect(before);
        QObject::disconnect(after);
    });
    if (!editReport())
        return false;
    if (reports.state() == store::TableState::Insert)
        reports.post();
    if (!created.isValid())
        throw store::StoreError(QStringLiteral("Der neue Bericht wurde nicht gespeichert; es wurde nichts abgelegt."));
    storeReportItems(tables, created);
    transaction.commit();
    return true;
}

} // namespace plan
