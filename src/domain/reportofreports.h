#pragma once

// How far the reports cover the framework plan in a chosen training period:
// per group of plan items the stored reports that include an item of it
// ("Ist") against the target of the period ("Soll"), a check mark when the
// target is reached and the shortfall; per item the reports that mention it.
// Parts 1 to 4 count for the whole training time and have no target but
// "at least one report".
//
// The computation is a plain function over plan rows; reading the rows from
// the plan table is a separate step.

#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

namespace store {
class TableSet;
}

namespace domain {

// The training periods to choose from, in the order of their items.
enum class Selection { Year1, Year2, Year2A, Year2B, Year3, Intermediate, Final };
inline constexpr int selectionCount = 7;

// "1. Lehrjahr", "2. Lehrjahr", "2. Lehrjahr A", "2. Lehrjahr B",
// "3. Lehrjahr", "Zwischenprüfung", "Abschlußprüfung".
QString selectionText(Selection selection);
// The plan rows that take part, as a filter on the plan ("L1 > 0", ...).
QString selectionFilter(Selection selection);
// The item shown for a training year: 1, 2 or 3; anything else the first year.
Selection selectionForYear(int year);

// What the computation reads of a plan row.
struct PlanRow
{
    int part = 0;  // Lfdnr
    int group = 0; // GroupId
    int tag = 0;   // LfdfTag
    QString text;
    bool heading = false; // Isheader
    bool noChild = false; // NoChild
    int groupCount = 0;   // GroupCnt (an empty count is 0)
    QString themaCount;   // ThemaCnt as stored, empty when none is
    int l1 = 0, l2a = 0, l2b = 0, l3 = 0;
};

// The columns of the result, each row seven texts.
namespace column {
enum { Number, Text, Mentioned, Actual, Target, Ok, Missing, Count };
}
using Grid = QVector<QStringList>;

// The text of an "OK" cell whose group reached its target.
inline const QString checkMark = QStringLiteral("\u2713");
// The two lines that open the periods: the whole training time and the
// chosen period.
inline const QString wholePeriodLine = QStringLiteral("GESAMTER ZEITRAUM:");
inline const QString chosenPeriodLine = QStringLiteral("AUSGEWÄHLTER ZEITRAUM:");

// The grid for the walk (the plan rows that take part in the selection, in
// the plan's order): row 0 holds the column titles, row 1 opens the whole
// training time; then per part its title line, the group labels, a line per
// plan row, the counts of each group on its heading's line (or, for a group
// of headings without items, on the line above: its label or the part's
// title).
Grid reportGrid(const std::vector<PlanRow> &walk, Selection selection);

// The rows of the plan that take part in the selection, in the order of its
// primary index, read from the plan's file.
std::vector<PlanRow> planWalk(store::TableSet &tables, Selection selection);

} // namespace domain
