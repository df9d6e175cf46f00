#include "reportofreports.h"

#include "planitems.h"
#include "store/parttitles.h"
#include "store/tableset.h"

namespace domain {

namespace {

struct SelectionInfo
{
    const char *text;
    const char *filter;
};

const SelectionInfo selections[selectionCount] = {
    {"1. Lehrjahr", nullptr}, // the training year's rows
    {"2. Lehrjahr", nullptr}, {"2. Lehrjahr A", "l2a>0"},           {"2. Lehrjahr B", "l2b>0"},
    {"3. Lehrjahr", nullptr}, {"Zwischenprüfung", "l1>0 or l2a>0"}, {"Abschlußprüfung", "l3>0 or l2b>0"},
};

const char *const columnTitles[column::Count] = {
    "Lfd. Nr.", "Fertigkeiten und Kenntnisse", "Erwähnt", "Ist", "Soll", "OK", "FEHLT"};

// Parts 1 to 4 count for the whole training time; the chosen period starts
// with part 5.
constexpr int lastWholeTimePart = 4;
constexpr int firstChosenPart = 5;

// The target of a plan row in the period.
int targetOf(const PlanRow &row, Selection selection)
{
    switch (selection) {
    case Selection::Year1:
        return row.l1;
    case Selection::Year2:
        return row.l2a + row.l2b;
    case Selection::Year2A:
        return row.l2a;
    case Selection::Year2B:
        return row.l2b;
    case Selection::Year3:
        return row.l3;
    case Selection::Intermediate:
        return row.l1 + row.l2a;
    case Selection::Final:
        return row.l3 + row.l2b;
    }
    return 0;
}

// A line naming a group of headings without items, above the group, keyed
// on the group's first plan row; some only in one period.
struct GroupLabel
{
    int tag;
    bool onlyOne; // only in `selection`
    Selection selection;
    const char *label;
};

const GroupLabel groupLabels[] = {
    {124, true, Selection::Intermediate, "9 b)..g)"},
    {136, true, Selection::Final, "11 d), e)"},
    {138, false, {}, "11 f) ... j)"},
    {165, false, {}, "13 e), f), g)"},
    {180, false, {}, "14 e),f)"},
    {182, false, {}, "14 g),h)"},
    {211, true, Selection::Final, "17 c),d)"},
};

const char *groupLabel(int tag, Selection selection)
{
    for (const GroupLabel &g : groupLabels)
        if (g.tag == tag && (!g.onlyOne || g.selection == selection))
            return g.label;
    return nullptr;
}

// Groups that count together in a period: the counting row with this tag
// adds the target field and the count of the row `steps` after it.
struct AddedGroup
{
    Selection selection;
    int tag;
    int steps;
    int PlanRow::*target;
};

const AddedGroup addedGroups[] = {
    {Selection::Year2, 96, 1, &PlanRow::l2b},         {Selection::Year2, 154, 1, &PlanRow::l2b},
    {Selection::Intermediate, 88, 2, &PlanRow::l2a},  {Selection::Intermediate, 105, 1, &PlanRow::l2a},
    {Selection::Intermediate, 153, 1, &PlanRow::l2a}, {Selection::Intermediate, 186, 2, &PlanRow::l2a},
    {Selection::Intermediate, 193, 3, &PlanRow::l2a}, {Selection::Final, 100, 3, &PlanRow::l3},
    {Selection::Final, 155, 1, &PlanRow::l3},         {Selection::Final, 174, 3, &PlanRow::l3},
};

const AddedGroup *addedGroup(int tag, Selection selection)
{
    for (const AddedGroup &a : addedGroups)
        if (a.tag == tag && a.selection == selection)
            return &a;
    return nullptr;
}

// A heading without items that is a group of its own: its counts stay on
// its own line instead of the line above.
bool standalone(int tag, Selection selection)
{
    switch (tag) {
    case 164:
    case 179:
    case 200:
    case 207:
    case 208:
        return true;
    case 201:
        return selection == Selection::Final || selection == Selection::Year2;
    case 210:
        return selection == Selection::Final;
    default:
        return false;
    }
}

// Whether no other row of the walk belongs to the group of row i.
bool aloneInItsGroup(const std::vector<PlanRow> &walk, size_t i)
{
    for (size_t j = 0; j < walk.size(); ++j)
        if (j != i && walk[j].part == walk[i].part && walk[j].group == walk[i].group)
            return false;
    return true;
}

// Row 170 (the heading of the oil and gas measurements) has no group in the
// first year and towards the intermediate examination: its items count on
// the part's first group.
bool excluded(const PlanRow &row, Selection selection)
{
    return row.tag == 170 && (selection == Selection::Year1 || selection == Selection::Intermediate);
}

// Towards the final examination the first item of 14 c) counts with 14 b)
// (see the added groups): the counting row of 14 c) is the item after it.
constexpr int skippedCountingTag = 177;

} // namespace

QString selectionText(Selection selection)
{
    return QString::fromUtf8(selections[int(selection)].text);
}

QString selectionFilter(Selection selection)
{
    switch (selection) {
    case Selection::Year1:
        return trainingYearFilter(1);
    case Selection::Year2:
        return trainingYearFilter(2);
    case Selection::Year3:
        return trainingYearFilter(3);
    default:
        return QString::fromLatin1(selections[int(selection)].filter);
    }
}

Selection selectionForYear(int year)
{
    switch (year) {
    case 2:
        return Selection::Year2;
    case 3:
        return Selection::Year3;
    default:
        return Selection::Year1;
    }
}

Grid reportGrid(const std::vector<PlanRow> &walk, Selection selection)
{
    Grid grid;
    grid.reserve(150);
    QStringList titles;
    for (const char *t : columnTitles)
        titles << QString::fromUtf8(t);
    grid.append(titles);

    const QStringList empty(column::Count, QString());
    int p = 0; // the output line
    const auto addLine = [&](const QString &number, const QString &text) {
        ++p;
        if (p < grid.size())
            grid[p] = empty;
        else
            grid.append(empty);
        grid[p][column::Number] = number;
        grid[p][column::Text] = text;
    };

    addLine(QString(), wholePeriodLine);
    int previousPart = 0, previousGroup = 0;
    const int n = int(walk.size());
    const bool final = selection == Selection::Final;
    for (int i = 0; i < n;) {
        const PlanRow &r = walk[i];
        const QString number = QString::number(r.part);
        if (r.part != previousPart) {
            if (r.part == firstChosenPart)
                addLine(QString(), chosenPeriodLine);
            addLine(number, store::partTitle(r.part));
        }
        if (const char *label = groupLabel(r.tag, selection))
            addLine(number, QString::fromUtf8(label));
        addLine(number, r.text);
        const int k = p; // the row's own line

        // A heading is counted when it has items, or when it is the first
        // heading without items of its group.
        const bool counted =
            !excluded(r, selection) && r.heading && (!r.noChild || r.part != previousPart || r.group != previousGroup);
        int current = i; // the walk goes on after this row
        if (counted) {
            // The counting row: the heading's first item, or the heading
            // itself when it has none (or is the last row of the walk).
            int c = i;
            bool ownCountingRow = r.noChild;
            if (!r.noChild) {
                if (c + 1 < n)
                    ++c;
                else
                    ownCountingRow = true;
            }
            if (final && walk[c].tag == skippedCountingTag && c + 1 < n)
                ++c;
            const PlanRow &counting = walk[c];
            // A group of headings without items shows its counts on the line
            // above its first heading: its label or the part's title. A
            // heading that is a group of its own keeps them on its own line,
            // never on the part's title beside the other groups.
            const bool above =
                counting.noChild && !standalone(counting.tag, selection) && !aloneInItsGroup(walk, size_t(c));
            if (above)
                p = k - 1;
            QStringList &cells = grid[p];
            int actual = counting.groupCount;
            int target = 0;
            if (counting.part <= lastWholeTimePart) {
                cells[column::Target] = QStringLiteral("-");
                cells[column::Ok] = QStringLiteral("-");
                cells[column::Missing] = actual < 1 ? QStringLiteral("mind.1") : QString();
            } else {
                target = targetOf(counting, selection);
                if (const AddedGroup *added = addedGroup(counting.tag, selection); added && c + added->steps < n) {
                    const PlanRow &later = walk[c + added->steps];
                    target += later.*(added->target);
                    actual += later.groupCount;
                }
                cells[column::Target] = QString::number(target);
            }
            // Back to the heading, unless the counting row is a heading
            // itself.
            current = c;
            if (!ownCountingRow) {
                if (!walk[current].noChild && current > 0)
                    --current;
                if (final && walk[current].tag == skippedCountingTag && current > 0)
                    --current;
            }
            cells[column::Actual] = QString::number(actual);
            if (walk[current].part >= firstChosenPart) {
                if (actual >= target) {
                    cells[column::Ok] = checkMark;
                    cells[column::Missing].clear();
                } else {
                    cells[column::Ok].clear();
                    cells[column::Missing] = QString::number(target - actual);
                }
            }
            if (above)
                p = k;
        } else if (!excluded(r, selection)) {
            grid[k][column::Mentioned] = r.themaCount;
        }
        if (walk[current].heading && walk[current].noChild)
            grid[p][column::Mentioned] = walk[current].themaCount;
        previousPart = r.part;
        previousGroup = r.group;
        i = current + 1;
    }
    grid.resize(p + 1);
    return grid;
}

std::vector<PlanRow> planWalk(store::TableSet &tables, Selection selection)
{
    // In the plan's primary order: part, text, group, tag.
    const QVector<QVariantList> found = tables.query(
        QStringLiteral("SELECT IFNULL(Lfdnr,0), IFNULL(GroupId,0), IFNULL(LfdfTag,0), Text, IFNULL(Isheader,0), "
                       "IFNULL(NoChild,0), IFNULL(GroupCnt,0), ThemaCnt, IFNULL(L1,0), IFNULL(L2a,0), IFNULL(L2b,0), "
                       "IFNULL(L3,0) FROM thetable WHERE %1 ORDER BY Lfdnr, Text, GroupId, LfdfTag")
            .arg(selectionFilter(selection)));
    std::vector<PlanRow> rows;
    rows.reserve(found.size());
    for (const QVariantList &v : found) {
        PlanRow r;
        r.part = v[0].toInt();
        r.group = v[1].toInt();
        r.tag = v[2].toInt();
        r.text = v[3].toString();
        r.heading = v[4].toBool();
        r.noChild = v[5].toBool();
        r.groupCount = v[6].toInt();
        r.themaCount = v[7].isNull() ? QString() : QString::number(v[7].toInt());
        r.l1 = v[8].toInt();
        r.l2a = v[9].toInt();
        r.l2b = v[10].toInt();
        r.l3 = v[11].toInt();
        rows.push_back(std::move(r));
    }
    return rows;
}

} // namespace domain
