#pragma once

// Follow-up sheets of a weekly report: a new sheet of the same report that
// takes over the plan items the apprentice marked on a sheet.
//
// The functions work on statements of their own, never on a cursor a window
// shows; what changes rows reloads the tables it changed once at its end.

#include <QString>

namespace store {
class TableSet;
}

namespace domain {

// The source sheet's activities cut in two (both stored texts): the source
// keeps `kept`, the new sheet's activities are `moved`.
struct Activities
{
    QString kept;
    QString moved;
};

// Adds a sheet to the report of the sheet `sourceKey` (its BerLfd) and gives
// it the source's detail rows marked "verschieben" (moved) and "kopieren"
// (copied: the source keeps a copy of each). The new sheet is numbered after
// the report's last sheet and carries the source's number, training year
// and dates. Afterwards no row of either sheet is marked, and both sheets'
// covered parts are computed anew, "-" after the last. All of it is stored
// together or, after an error, not at all.
//
// Returns the new sheet's BerLfd; 0 when no row was marked and no
// activities move, and nothing changed. With `activities` the sheet is
// added also without a marked row.
qint64 addFollowUpSheet(store::TableSet &tables, qint64 sourceKey, const Activities *activities = nullptr);

// The number of detail rows (plan items) of the sheet `sheetKey`.
int itemCount(store::TableSet &tables, qint64 sheetKey);

} // namespace domain
