#pragma once

// The report sheets of the record: how they are numbered per training year,
// and what deleting a sheet takes back and numbers again.
//
// Every function here works on statements of its own, never on a table
// cursor a window shows. A function that changes rows runs in its own
// transaction and reloads the tables it changed once at its end; their
// cursors keep their index, range, filter and row (a deleted row's cursor
// stands where the table puts it).

#include <QString>
#include <QStringList>

namespace store {
class TableSet;
}

namespace domain {

// The number of the next report of a training year: the highest number of
// that year + 1, or 1 for the year's first report.
int nextReportNumber(store::TableSet &tables, int year);

// Numbers the reports of a training year 1, 2, 3 ... in the order of their
// numbers, and the sheets of each report 1, 2, ... in the order of theirs.
// Only rows whose number or sheet changes are written, and only those two
// columns. Runs within the caller's transaction, if any; reloads nothing.
void renumberYear(store::TableSet &tables, int year);

struct SheetDeletion
{
    enum class Outcome {
        NoSheet,      // no sheet has the given key: nothing to delete
        Deleted,      // the sheet, its items and its counts are gone
        Inconsistent, // an item names a plan row that does not exist
    };
    Outcome outcome = Outcome::NoSheet;
    QString number; // Nummer and Blatt of the sheet
    QString sheet;
    int year = 0;
    int missingTag = 0; // the LfdfTag without a plan row (Inconsistent)
    QStringList log;    // one line per step, for diagnosis
};

// Deletes the sheet whose BerLfd is `sheetKey` with its detail rows: lowers
// the use count (ThemaCnt) of each item's plan row and, once per group, the
// group count (GroupCnt) of the group's counting row, deletes the sheet and
// numbers the reports of its training year again (renumberYear).
//
// All or nothing, in one transaction over the table files: when an item's
// plan row is missing (Inconsistent) or a store error is thrown, the files
// are as they were before.
SheetDeletion deleteSheet(store::TableSet &tables, qint64 sheetKey);

// The LfdfTag of the counting row of the plan item tagged `tag`: the items
// tagged 171 to 173 are counted on row 168; any other item's counting row
// is the nearest row at or before the item, in LfdfTag order, that has a
// positive GroupCnt or belongs to another part or group (the plan's first
// row when there is none). 0 when the plan has no row `tag`.
int countingRowTag(store::TableSet &tables, int tag);

} // namespace domain
