#pragma once

// The plan's items as the record counts them: an item's row with the
// heading it stands under, the row its group is counted on, and which rows
// belong to a training year. Read on statements of their own, never on a
// cursor a window shows.

#include <QString>

namespace store {
class TableSet;
}

namespace domain {

struct PlanItem
{
    bool found = false;
    int part = 0, group = 0, tag = 0, hintId = 0;
    bool header = false, noChild = false;
    QString text;
    QString headerText;   // the nearest heading at or above the item; the plan's first row when none is
    int countingTag = -1; // the row its group is counted on when a report is made (-1: none)
};

// The plan row tagged `tag`; `found` is false when there is none.
PlanItem planItem(store::TableSet &tables, int tag);

// The row the group of an item is counted on when a report is made: the
// first row of the item's part and group, for the items counted on their
// part's first group that group's first row; -1 when there is none.
int creationCountingTag(store::TableSet &tables, int part, int group, int tag);

// The plan rows of a training year (1, 2 or 3) as a filter ("L1 > 0");
// empty for any other year, which takes every row.
QString trainingYearFilter(int year);

} // namespace domain
