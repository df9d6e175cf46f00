#pragma once

// A new weekly report from the composition (the plan items the apprentice
// chose): what its row starts with, and its items and counts once the row
// is stored.
//
// The composition is read from its file: whoever edits it stores it first.

#include "weeks.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace store {
class TableSet;
}

namespace domain {

struct NewReport
{
    int number = 1;     // the next number of the training year
    QString activities; // one line per chosen item: "zu 5 aa) " (the part and the item up to its ")")
    QList<int> parts;   // the covered parts, ascending, at most ten
};

NewReport newReport(store::TableSet &tables, int year);

// One detail row per composition row for the stored report whose BerLfd is
// `master`, the use count (ThemaCnt) of each item and the group count
// (GroupCnt) of each group's counting row once. Runs within the caller's
// transaction, if any.
void storeReportItems(store::TableSet &tables, qint64 master);

// What a report "like last week's" starts from.
// The newest report: the one whose week ends last (WocheBis); a report
// without a week counts as older than any with one, and among equals the
// higher training year and number is newer. nullptr without reports.
const ReportWeeks *newestReport(const QVector<ReportWeeks> &reports);
// The plan items (LfdfTag) of the sheets (BerLfd), in the order of the
// sheets and of their rows, each item once.
QList<int> itemsOfSheets(store::TableSet &tables, const QList<qint64> &sheets);
// The stored activities (Taetigkeit) of the sheets, in their order; a sheet
// without activities adds none.
QStringList activitiesOfSheets(store::TableSet &tables, const QList<qint64> &sheets);

} // namespace domain
