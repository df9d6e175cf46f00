#pragma once

// Deleting one report sheet: the counters its plan items raised are taken
// back from the plan, the sheet and its items are removed, and the reports
// of the sheet's training year are numbered again without gaps.

#include <QList>
#include <QString>
#include <QStringList>

namespace store {
class Table;
class TableSet;
} // namespace store

namespace overviews {

struct SheetDeletion
{
    enum class Outcome {
        NoSheet,      // the report cursor sees no row: nothing to delete
        Deleted,      // the sheet, its items and its counts are gone
        Inconsistent, // an item names a plan row that does not exist
    };
    Outcome outcome = Outcome::NoSheet;
    QString number; // Nummer and Blatt of the sheet, as the table shows them
    QString sheet;
    int missingTag = 0; // the LfdfTag without a plan row (Inconsistent)
    QStringList log;    // one line per step, for diagnosis
};

// Deletes the sheet at the report cursor with its detail rows: lowers the
// use count (ThemaCnt) of each item's plan row and, once per group, the
// group count (GroupCnt) of the group's counting row, deletes the sheet and
// numbers the reports of the sheet's training year again (renumberReports).
// The report list keeps its index, range and filter; its cursor stands on
// the row that took the sheet's place.
//
// All or nothing: everything runs in one transaction over the table files.
// When an item's plan row is missing (Inconsistent) or a store error is
// thrown, the files and the tables' rows are as they were before, the plan
// keeps its index and the report cursor stands on the sheet again.
SheetDeletion deleteSheet(store::TableSet &tables);

// The LfdfTag of the counting row of the plan item at the plan cursor. The
// plan must be in LfdfTag order. The items tagged 171 to 173 are counted on
// row 168; any other item's counting row is found by stepping back from the
// item while the row has no positive GroupCnt and belongs to the item's part
// and group. The cursor stays where the walk stopped.
int countingRowTag(store::Table &plan);

// Numbers the reports the cursor sees 1, 2, 3 ... in their order and the
// sheets of each report 1, 2, ... in theirs. Rows that already carry their
// numbers are not written.
void renumberReports(store::Table &reports);

} // namespace overviews
