#pragma once

// Follow-up sheets of a weekly report: a new sheet of the same report that
// takes over the plan items the apprentice marked on a sheet, and the check
// that removes a follow-up sheet left with nothing on it.

#include "store/table.h"

namespace store {
class TableSet;
}

namespace followup {

// Adds a sheet to the report of the reports table's current row (the
// source sheet) and gives it the source's detail rows marked "verschieben"
// (moved) and "kopieren" (copied: the source keeps a copy of each). The new
// sheet is numbered after the report's last sheet and carries the source's
// number, training year and dates. Afterwards no row of either sheet is
// marked, and both sheets' covered parts are computed anew, "-" after the
// last. All of it is stored together or, after an error, not at all. The
// reports table stands on the new sheet afterwards. Without a marked row
// nothing changes and the result is false.
//
// With `activities`, the source sheet's activities are cut in two as well:
// the source keeps `kept`, the new sheet's activities are `moved` (both
// stored texts), in the same store; the sheet is then added also without a
// marked row.
struct Activities
{
    QString kept;
    QString moved;
};
bool addSheet(store::TableSet &tables, const Activities *activities = nullptr);

// True when the reports table's current sheet may go: a follow-up sheet
// (never the first, which carries the back side) without detail rows and
// without anything of its own (activities, remarks, topic, description,
// pictures).
bool isEmptyFollowUp(store::TableSet &tables);

} // namespace followup
