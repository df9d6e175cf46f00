#pragma once

#include <QStringList>

namespace store {
class Table;
}

namespace domain {

using store::Table;

// The parts of the training profile a sheet covers, written into the ten
// report fields TDAB1 ... Tdab10 in ascending order, at most ten.
inline constexpr int coveredPartFields = 10;
QString coveredPartField(int index); // 0 -> "TDAB1", 5 -> "Tdab6"

enum class PartRows {
    Composition, // rows of the composition: a group header counts only when it
                 // has no items of its own
    Detail,      // detail rows of a sheet: every row with a part number above 0
};

// The plan items tagged 171 to 173 (group 2 of part 14) are counted on their
// part's first group, whose counting row is plan row 168, not on a group of
// their own: when a report is created and when it is deleted.
inline bool countedOnFirstGroup(int lfdfTag)
{
    return lfdfTag >= 171 && lfdfTag <= 173;
}
inline constexpr int firstGroupCountingTag = 168;

// A row of the composition stands for a chosen item unless it is a group
// header that has items of its own.
inline bool isChosenItem(bool header, bool noChild)
{
    return !header || noChild;
}
bool isChosenItem(const Table &composition, int recNo);

// The parts 1 to 17 among the part numbers of some rows, ascending, each
// once, the ten smallest at most.
QList<int> coveredParts(const QList<int> &rowParts);
// The same for the rows the cursor of `rows` sees. The cursor does not move.
QList<int> coveredParts(const Table &rows, PartRows kind);

// Writes the numbers into the report's current row (edit or insert state);
// the fields after the last number get `filler`.
void writeCoveredParts(Table &report, const QList<int> &parts, const QString &filler = QString());

} // namespace domain
