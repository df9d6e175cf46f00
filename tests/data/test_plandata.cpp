// Checks of the delivered framework plan (data/plan.tsv) and its hint texts
// (data/hints/PP_HH.rtf): the invariants that the plan pages, the composition,
// report creation and deletion and the report of reports rely on.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTest>

#include <algorithm>
#include <utility>

namespace {

const QStringList kHeader = {
    QStringLiteral("Lfdnr"),  QStringLiteral("Text"),    QStringLiteral("GroupId"), QStringLiteral("LfdfTag"),
    QStringLiteral("Isheader"), QStringLiteral("NoChild"), QStringLiteral("GroupCnt"), QStringLiteral("ThemaCnt"),
    QStringLiteral("L1"),     QStringLiteral("L2a"),     QStringLiteral("L2b"),     QStringLiteral("L3"),
    QStringLiteral("L1cnt"),  QStringLiteral("L2acnt"),  QStringLiteral("L2bcnt"),  QStringLiteral("L3cnt"),
    QStringLiteral("Cnt"),    QStringLiteral("Hintid")};

enum Target { L1, L2a, L2b, L3 };
constexpr int kNoTarget = 99;

struct PlanRow {
    int part = 0;
    QString text;
    int group = 0;
    int tag = 0;
    bool isHeader = false;
    bool noChild = false;
    int counters[7] = {}; // GroupCnt, ThemaCnt, L1cnt, L2acnt, L2bcnt, L3cnt, Cnt
    int target[4] = {};
    int hintId = 0;

    bool headingWithSubItems() const { return isHeader && !noChild; }
    bool selectable() const { return !isHeader || noChild; }
    QString label() const { return text.left(text.indexOf(QLatin1Char(')')) + 1); }
};

// A selection of the report of reports: a row takes part when it has a target
// in one of the selection's columns.
struct Selection {
    const char *name;
    QList<Target> columns;
    bool contains(const PlanRow &r) const
    {
        return std::any_of(columns.begin(), columns.end(), [&](Target t) { return r.target[t] > 0; });
    }
};

const QList<Selection> kSelections = {
    {"1. Lehrjahr", {L1}},          {"2. Lehrjahr", {L2a, L2b}}, {"2. Lehrjahr A", {L2a}},
    {"2. Lehrjahr B", {L2b}},       {"3. Lehrjahr", {L3}},       {"Zwischenprüfung", {L1, L2a}},
    {"Abschlußprüfung", {L3, L2b}},
};

// Selectable headings whose counts stay on their own line in the report of
// reports (empty list: in every selection), and those that get a group label
// line above them.
const QHash<int, QStringList> kStandalone = {
    {164, {}}, {179, {}}, {200, {}}, {207, {}}, {208, {}},
    {201, {QStringLiteral("Abschlußprüfung"), QStringLiteral("2. Lehrjahr")}},
    {210, {QStringLiteral("Abschlußprüfung")}},
};
const QHash<int, QStringList> kGroupLabel = {
    {124, {QStringLiteral("Zwischenprüfung")}}, {136, {QStringLiteral("Abschlußprüfung")}},
    {138, {}}, {165, {}}, {180, {}}, {182, {}}, {211, {QStringLiteral("Abschlußprüfung")}},
};

bool appliesTo(const QHash<int, QStringList> &table, int tag, const QString &selection)
{
    const auto it = table.constFind(tag);
    return it != table.constEnd() && (it->isEmpty() || it->contains(selection));
}

bool isWindows1252(QChar c)
{
    static const QSet<char16_t> upper = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                         0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                         0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    const char16_t u = c.unicode();
    return (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF) || upper.contains(u);
}

} // namespace

class TestPlanData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void header();
    void rowFields();
    void outline();
    void groups();
    void headingVisibility();
    void countingRowShown_data();
    void countingRowShown();
    void requiredTags_data();
    void requiredTags();
    void addedRows_data();
    void addedRows();
    void selectableHeadingPlacement_data();
    void selectableHeadingPlacement();
    void skippedAndExcludedRows();
    void yearTotals_data();
    void yearTotals();
    void hintFiles();
    void hintKeys();

private:
    const PlanRow *row(int tag) const;
    int countingTag(int part, int group) const;
    bool isCountingRow(const PlanRow &r) const;
    QList<const PlanRow *> partRows(int part) const;
    QList<const PlanRow *> walk(const Selection &s) const;

    QString m_dataDir;
    QStringList m_headerCells;
    QList<PlanRow> m_rows;            // file order, start corrections applied
    QList<const PlanRow *> m_display; // default order: Lfdnr, Text, GroupId, LfdfTag
    QStringList m_parseErrors;
};

const PlanRow *TestPlanData::row(int tag) const
{
    for (const PlanRow &r : m_rows)
        if (r.tag == tag)
            return &r;
    return nullptr;
}

// The counting row of a group is its first row in LfdfTag order (the row that
// report creation finds through (Lfdnr, GroupId)).
int TestPlanData::countingTag(int part, int group) const
{
    int tag = -1;
    for (const PlanRow &r : m_rows)
        if (r.part == part && r.group == group && (tag < 0 || r.tag < tag))
            tag = r.tag;
    return tag;
}

bool TestPlanData::isCountingRow(const PlanRow &r) const
{
    return !r.headingWithSubItems() && countingTag(r.part, r.group) == r.tag;
}

QList<const PlanRow *> TestPlanData::partRows(int part) const
{
    QList<const PlanRow *> out;
    for (const PlanRow *r : m_display)
        if (r->part == part)
            out.append(r);
    return out;
}

QList<const PlanRow *> TestPlanData::walk(const Selection &s) const
{
    QList<const PlanRow *> out;
    for (const PlanRow *r : m_display)
        if (s.contains(*r))
            out.append(r);
    return out;
}

void TestPlanData::initTestCase()
{
    const QString source = qEnvironmentVariable("LERNORA_SOURCE_DIR");
    QVERIFY2(!source.isEmpty(), "LERNORA_SOURCE_DIR is not set");
    m_dataDir = QDir(source).filePath(QStringLiteral("data"));

    QFile file(QDir(m_dataDir).filePath(QStringLiteral("plan.tsv")));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString content = utf8(file.readAll());
    QVERIFY2(!utf8.hasError(), "plan.tsv is not valid UTF-8");
    QStringList lines = content.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QVERIFY(lines.size() > 1);
    m_headerCells = lines.takeFirst().split(QLatin1Char('\t'));

    for (int i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        if (cells.size() != kHeader.size()) {
            m_parseErrors << QStringLiteral("line %1: %2 fields").arg(i + 2).arg(cells.size());
            continue;
        }
        auto number = [&](int column) {
            bool ok = false;
            const int v = cells[column].toInt(&ok);
            if (!ok)
                m_parseErrors << QStringLiteral("line %1: %2 is not a number").arg(i + 2).arg(kHeader[column]);
            return v;
        };
        auto flag = [&](int column) {
            if (cells[column] != QLatin1String("0") && cells[column] != QLatin1String("1"))
                m_parseErrors << QStringLiteral("line %1: %2 is not 0 or 1").arg(i + 2).arg(kHeader[column]);
            return cells[column] == QLatin1String("1");
        };
        PlanRow r;
        r.part = number(0);
        r.text = cells[1];
        r.group = number(2);
        r.tag = number(3);
        r.isHeader = flag(4);
        r.noChild = flag(5);
        r.counters[0] = number(6);
        r.counters[1] = number(7);
        for (int t = 0; t < 4; ++t)
            r.target[t] = number(8 + t);
        for (int c = 0; c < 5; ++c)
            r.counters[2 + c] = number(12 + c);
        r.hintId = number(17);
        m_rows.append(r);
    }

    // The program corrects these targets at every start, before the plan is
    // shown; every check below sees the plan as the program shows it.
    auto set = [this](int tag, Target t, int value) {
        for (PlanRow &r : m_rows)
            if (r.tag == tag)
                r.target[t] = value;
    };
    set(95, L2b, 2);
    set(87, L2b, 0);
    for (int tag : {98, 100, 101, 102}) {
        set(tag, L2a, 0);
        set(tag, L2b, 2);
    }
    if (row(102)) {
        set(192, L2b, 0);
        set(192, L3, 2);
    }

    for (const PlanRow &r : std::as_const(m_rows))
        m_display.append(&r);
    std::sort(m_display.begin(), m_display.end(), [](const PlanRow *a, const PlanRow *b) {
        if (a->part != b->part)
            return a->part < b->part;
        if (a->text != b->text)
            return a->text < b->text; // by character code
        if (a->group != b->group)
            return a->group < b->group;
        return a->tag < b->tag;
    });
}

void TestPlanData::header()
{
    QCOMPARE(m_headerCells, kHeader);
}

void TestPlanData::rowFields()
{
    QVERIFY2(m_parseErrors.isEmpty(), qPrintable(m_parseErrors.join(QLatin1Char('\n'))));
    int previousTag = 0;
    for (const PlanRow &r : m_rows) {
        const QByteArray where = QByteArray::number(r.tag);
        QVERIFY2(r.tag > previousTag, "rows are not in ascending, unique LfdfTag order: " + where);
        previousTag = r.tag;
        QVERIFY2(r.part >= 1 && r.part <= 17, where);
        QVERIFY2(!r.text.isEmpty() && r.text.size() <= 255, where);
        QVERIFY2(std::all_of(r.text.begin(), r.text.end(), isWindows1252),
                 "text not encodable in Windows-1252: " + where);
        for (int c : r.counters)
            QVERIFY2(c == 0, "counters must be delivered as 0: " + where);
        for (int t : r.target)
            QVERIFY2((t >= 0 && t <= 9) || t == kNoTarget, "implausible target: " + where);
        if (r.target[L1] != kNoTarget)
            for (int t = L2a; t <= L3; ++t)
                QVERIFY2(r.target[t] != kNoTarget, "99 outside L1 of a group with targets: " + where);
        QVERIFY2(r.isHeader || !r.noChild, "NoChild on a sub-item: " + where);
    }
}

// Every text begins with its outline label; headings carry "a)", "b)", ...
// and their sub-items "aa)", "ab)", ...; sorting the texts by character code
// gives the outline, which is also the LfdfTag order within a part.
void TestPlanData::outline()
{
    static const QRegularExpression labelRe(QStringLiteral("^([a-z])([a-z]?)\\) \\S"));
    QSet<int> parts;
    for (const PlanRow &r : m_rows)
        parts.insert(r.part);
    QCOMPARE(parts.size(), 17);

    for (int part = 1; part <= 17; ++part) {
        const QList<const PlanRow *> rows = partRows(part);
        QChar heading, sub;
        int items = 0;
        int previousTag = 0;
        for (const PlanRow *r : rows) {
            const QByteArray where = QByteArray::number(r->tag);
            const QRegularExpressionMatch m = labelRe.match(r->text);
            QVERIFY2(m.hasMatch(), "text without outline label: " + where);
            const QChar first = m.captured(1).at(0);
            if (m.captured(2).isEmpty()) {
                QVERIFY2(r->isHeader, "a top-level item must be a heading: " + where);
                QCOMPARE(first.unicode(), heading.isNull() ? u'a' : char16_t(heading.unicode() + 1));
                heading = first;
                sub = QChar();
                ++items;
            } else {
                QVERIFY2(!r->isHeader, "a sub-item must not be a heading: " + where);
                QCOMPARE(first, heading);
                const QChar second = m.captured(2).at(0);
                QCOMPARE(second.unicode(), sub.isNull() ? u'a' : char16_t(sub.unicode() + 1));
                sub = second;
            }
            QVERIFY2(r->tag > previousTag, "LfdfTag order differs from the outline in part " +
                                               QByteArray::number(part) + " at " + where);
            previousTag = r->tag;
        }
        QVERIFY2(items >= 4 && items <= 12, "part " + QByteArray::number(part) + " has " +
                                                QByteArray::number(items) + " items");
    }
}

// A group is one run of lines in display order; its counting row comes first;
// a heading with sub-items is a group of its own, followed by its sub-items;
// all lines of a group carry the group's targets, so they are shown together.
void TestPlanData::groups()
{
    for (int part = 1; part <= 17; ++part) {
        const QList<const PlanRow *> rows = partRows(part);
        QSet<int> closed;
        for (int i = 0; i < rows.size(); ++i) {
            const PlanRow &r = *rows[i];
            const QByteArray where = QByteArray::number(r.tag);
            const bool opens = i == 0 || rows[i - 1]->group != r.group;
            if (opens) {
                QVERIFY2(!closed.contains(r.group), "group split into two runs at " + where);
                closed.insert(r.group);
                QCOMPARE(countingTag(part, r.group), r.tag);
            } else {
                QVERIFY2(r.isHeader == rows[i - 1]->isHeader, "group mixes headings and sub-items at " + where);
                for (int t = 0; t < 4; ++t)
                    QVERIFY2(r.target[t] == rows[i - 1]->target[t], "targets differ within a group at " + where);
            }
            if (r.headingWithSubItems()) {
                QVERIFY2(i + 1 < rows.size() && !rows[i + 1]->isHeader, "heading without sub-items: " + where);
                QVERIFY2(rows[i + 1]->group != r.group, "heading shares the group of its sub-items: " + where);
            }
            if (!opens)
                QVERIFY2(!rows[i - 1]->headingWithSubItems(), "heading shares a group: " + where);
        }
    }
}

// A heading with sub-items is shown in exactly the training years in which one
// of its sub-items is shown: otherwise a page shows an empty heading, or
// sub-items below the heading of another item.
void TestPlanData::headingVisibility()
{
    for (int part = 1; part <= 17; ++part) {
        const QList<const PlanRow *> rows = partRows(part);
        for (int i = 0; i < rows.size(); ++i) {
            if (!rows[i]->headingWithSubItems())
                continue;
            for (int t = L1; t <= L3; ++t) {
                bool anySub = false;
                for (int j = i + 1; j < rows.size() && !rows[j]->isHeader; ++j)
                    anySub = anySub || rows[j]->target[t] > 0;
                QVERIFY2((rows[i]->target[t] > 0) == anySub,
                         "heading " + QByteArray::number(rows[i]->tag) + ", target column " + QByteArray::number(t));
            }
        }
    }
}

void TestPlanData::countingRowShown_data()
{
    QTest::addColumn<int>("year");
    QTest::newRow("year 1") << 1;
    QTest::newRow("year 2") << 2;
    QTest::newRow("year 3") << 3;
}

// Choosing an item counts it on the labels of its group's counting row
// (items of part 14 group 2 on those of group 1): that row must be on the page
// whenever the item is.
void TestPlanData::countingRowShown()
{
    QFETCH(int, year);
    auto shown = [year](const PlanRow &r) {
        switch (year) {
        case 1: return r.target[L1] > 0;
        case 2: return r.target[L2a] > 0 || r.target[L2b] > 0;
        default: return r.target[L3] > 0;
        }
    };
    for (const PlanRow &r : m_rows) {
        if (!r.selectable() || !shown(r))
            continue;
        const int group = (r.part == 14 && r.group == 2) ? 1 : r.group;
        const PlanRow *counting = row(countingTag(r.part, group));
        QVERIFY(counting);
        QVERIFY2(shown(*counting), "counting row of " + QByteArray::number(r.tag) + " is not shown");
    }
}

namespace {
enum Role { HeadingWithSubItems, SelectableHeading, SubItem };
}
Q_DECLARE_METATYPE(Role)

void TestPlanData::requiredTags_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("part");
    QTest::addColumn<Role>("role");
    QTest::addColumn<bool>("counting");
    QTest::addColumn<QString>("label");  // expected outline label, or empty
    QTest::addColumn<int>("group");      // expected GroupId, or 0
    QTest::addColumn<int>("groupSize");  // lines of the row's group, or 0

    auto add = [](int tag, int part, Role role, bool counting, const char *label = "", int group = 0,
                  int groupSize = 0) {
        QTest::addRow("%d", tag) << tag << part << role << counting << QString::fromLatin1(label) << group
                                 << groupSize;
    };
    // headings whose targets are corrected at start, and the groups below them
    add(87, 7, HeadingWithSubItems, false);
    add(88, 7, SubItem, true);
    add(95, 7, HeadingWithSubItems, false);
    add(96, 7, SubItem, true);
    add(98, 8, HeadingWithSubItems, false);
    add(100, 8, SubItem, true, "", 0, 3);
    add(101, 8, SubItem, false);
    add(102, 8, SubItem, false);
    add(192, 15, HeadingWithSubItems, false);
    // counting rows to which the report of reports adds a following group
    add(105, 8, SubItem, true);
    add(153, 12, SubItem, true);
    add(154, 12, SubItem, true);
    add(155, 12, SubItem, true);
    add(174, 14, SubItem, true);
    add(186, 15, SubItem, true);
    add(193, 15, SubItem, true);
    // groups of selectable headings under a group label line
    add(124, 9, SelectableHeading, true, "b)", 0, 6);
    add(136, 11, SelectableHeading, true, "d)", 0, 2);
    add(138, 11, SelectableHeading, true, "f)", 0, 5);
    add(165, 13, SelectableHeading, true, "e)", 0, 3);
    add(180, 14, SelectableHeading, true, "e)", 0, 2);
    add(182, 14, SelectableHeading, true, "g)", 0, 2);
    add(211, 17, SelectableHeading, true, "c)", 0, 2);
    // selectable headings that form a group of their own
    add(164, 13, SelectableHeading, true, "", 0, 1);
    add(179, 14, SelectableHeading, true, "", 0, 1);
    add(200, 16, SelectableHeading, true, "", 0, 1);
    add(201, 16, SelectableHeading, true, "", 0, 1);
    add(207, 16, SelectableHeading, true, "", 0, 1);
    add(208, 16, SelectableHeading, true, "", 0, 1);
    add(210, 17, SelectableHeading, true, "", 0, 1);
    // part 14: group 2 is counted on the counting row of group 1
    add(168, 14, SelectableHeading, true, "a)", 1);
    add(170, 14, HeadingWithSubItems, false);
    add(171, 14, SubItem, true, "", 2, 3);
    add(172, 14, SubItem, false, "", 2);
    add(173, 14, SubItem, false, "", 2);
    add(177, 14, SubItem, true);
}

void TestPlanData::requiredTags()
{
    QFETCH(int, tag);
    QFETCH(int, part);
    QFETCH(Role, role);
    QFETCH(bool, counting);
    QFETCH(QString, label);
    QFETCH(int, group);
    QFETCH(int, groupSize);

    const PlanRow *r = row(tag);
    QVERIFY2(r, "no plan row with this LfdfTag");
    QCOMPARE(r->part, part);
    const Role actual = r->headingWithSubItems() ? HeadingWithSubItems : r->isHeader ? SelectableHeading : SubItem;
    QCOMPARE(actual, role);
    QCOMPARE(isCountingRow(*r), counting);
    if (!label.isEmpty())
        QCOMPARE(r->label(), label);
    if (group)
        QCOMPARE(r->group, group);
    if (groupSize) {
        const auto size = std::count_if(m_rows.begin(), m_rows.end(),
                                        [&](const PlanRow &o) { return o.part == r->part && o.group == r->group; });
        QCOMPARE(int(size), groupSize);
    }
}

void TestPlanData::addedRows_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("column");

    QTest::newRow("2. Lehrjahr 96") << QStringLiteral("2. Lehrjahr") << 96 << 1 << int(L2b);
    QTest::newRow("2. Lehrjahr 154") << QStringLiteral("2. Lehrjahr") << 154 << 1 << int(L2b);
    QTest::newRow("Zwischenprüfung 88") << QStringLiteral("Zwischenprüfung") << 88 << 2 << int(L2a);
    QTest::newRow("Zwischenprüfung 105") << QStringLiteral("Zwischenprüfung") << 105 << 1 << int(L2a);
    QTest::newRow("Zwischenprüfung 153") << QStringLiteral("Zwischenprüfung") << 153 << 1 << int(L2a);
    QTest::newRow("Zwischenprüfung 186") << QStringLiteral("Zwischenprüfung") << 186 << 2 << int(L2a);
    QTest::newRow("Zwischenprüfung 193") << QStringLiteral("Zwischenprüfung") << 193 << 3 << int(L2a);
    QTest::newRow("Abschlußprüfung 100") << QStringLiteral("Abschlußprüfung") << 100 << 3 << int(L3);
    QTest::newRow("Abschlußprüfung 155") << QStringLiteral("Abschlußprüfung") << 155 << 1 << int(L3);
    QTest::newRow("Abschlußprüfung 174") << QStringLiteral("Abschlußprüfung") << 174 << 3 << int(L3);
}

// In some selections the report of reports shows a heading's counts together
// with those of a further group under the same heading, found a fixed number
// of lines after the heading's counting row. That line must be the counting row
// of a group with a target in the named column, and no heading may count it a
// second time.
void TestPlanData::addedRows()
{
    QFETCH(QString, selection);
    QFETCH(int, tag);
    QFETCH(int, steps);
    QFETCH(int, column);

    const auto sel = std::find_if(kSelections.begin(), kSelections.end(),
                                  [&](const Selection &s) { return selection == QString::fromUtf8(s.name); });
    QVERIFY(sel != kSelections.end());
    const QList<const PlanRow *> rows = walk(*sel);
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const PlanRow *r) { return r->tag == tag; });
    QVERIFY2(it != rows.end(), "counting row not in the selection");
    const qsizetype c = it - rows.begin();
    QVERIFY2(c > 0 && rows[c - 1]->headingWithSubItems() && rows[c - 1]->part == rows[c]->part,
             "the counting row does not directly follow its heading");
    QVERIFY2(c + steps < rows.size(), "no line that many steps after the counting row");
    const PlanRow *added = rows[c + steps];
    QCOMPARE(added->part, rows[c]->part);
    QVERIFY2(isCountingRow(*added), "the added line is not a counting row");
    QVERIFY2(added->group != rows[c]->group, "the added line belongs to the same group");
    QVERIFY2(added->target[column] > 0, "the added group has no target in the named column");
    QVERIFY2(!added->isHeader, "the added line is a heading and counts itself");
    // the heading directly above the added line would count it again, except
    // line 177, which heading c) of part 14 skips in "Abschlußprüfung"
    const bool skipped = added->tag == 177 && selection == QStringLiteral("Abschlußprüfung");
    QVERIFY2(!rows[c + steps - 1]->headingWithSubItems() || skipped, "the added line is counted twice");
}

void TestPlanData::selectableHeadingPlacement_data()
{
    QTest::addColumn<QString>("selection");
    for (const Selection &s : kSelections)
        QTest::newRow(s.name) << QString::fromUtf8(s.name);
}

// The report of reports writes the counts of a selectable heading on the line
// above it, unless the heading is standalone in that selection; so a counted
// selectable heading must stand first in its part there, or below its group
// label line. Otherwise the counts of another group would be overwritten.
void TestPlanData::selectableHeadingPlacement()
{
    QFETCH(QString, selection);
    const auto sel = std::find_if(kSelections.begin(), kSelections.end(),
                                  [&](const Selection &s) { return selection == QString::fromUtf8(s.name); });
    QVERIFY(sel != kSelections.end());
    const QList<const PlanRow *> rows = walk(*sel);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const PlanRow &r = *rows[i];
        const bool firstOfPart = i == 0 || rows[i - 1]->part != r.part;
        if (!r.isHeader || !r.noChild || (!firstOfPart && rows[i - 1]->group == r.group))
            continue; // not a counted selectable heading
        if (appliesTo(kStandalone, r.tag, selection) || appliesTo(kGroupLabel, r.tag, selection))
            continue;
        if (!firstOfPart)
            QFAIL(QByteArray("counts of " + QByteArray::number(r.tag) + " would land on line " +
                             QByteArray::number(rows[i - 1]->tag)));
    }
}

// Part 14: in the selections of year 1 heading 170 shows no counts (its items
// are counted with group 1); in "Abschlußprüfung" the counts of heading c)
// skip line 177, whose group is counted together with 174.
void TestPlanData::skippedAndExcludedRows()
{
    for (const char *name : {"1. Lehrjahr", "Zwischenprüfung"}) {
        const auto sel = std::find_if(kSelections.begin(), kSelections.end(),
                                      [&](const Selection &s) { return qstrcmp(s.name, name) == 0; });
        const QList<const PlanRow *> rows = walk(*sel);
        const auto it = std::find_if(rows.begin(), rows.end(), [](const PlanRow *r) { return r->tag == 170; });
        QVERIFY2(it != rows.end() && it + 1 != rows.end(), name);
        QCOMPARE((*(it + 1))->part, 14);
        QCOMPARE((*(it + 1))->group, 2);
    }
    const auto sel = std::find_if(kSelections.begin(), kSelections.end(),
                                  [](const Selection &s) { return qstrcmp(s.name, "Abschlußprüfung") == 0; });
    const QList<const PlanRow *> rows = walk(*sel);
    const auto it = std::find_if(rows.begin(), rows.end(), [](const PlanRow *r) { return r->tag == 177; });
    QVERIFY(it != rows.end() && it != rows.begin() && it + 1 != rows.end());
    QVERIFY((*(it - 1))->headingWithSubItems());
    const PlanRow *next = *(it + 1);
    QCOMPARE(next->part, 14);
    QVERIFY(isCountingRow(*next));
    QVERIFY(next->target[L2b] > 0 || next->target[L3] > 0);
}

void TestPlanData::yearTotals_data()
{
    QTest::addColumn<int>("year");
    QTest::newRow("year 1") << 1;
    QTest::newRow("year 2") << 2;
    QTest::newRow("year 3") << 3;
}

// The targets of a training year add up to roughly one weekly report per week
// of company training.
void TestPlanData::yearTotals()
{
    QFETCH(int, year);
    int total = 0;
    for (const PlanRow &r : m_rows) {
        if (!isCountingRow(r) || r.target[L1] == kNoTarget)
            continue;
        total += year == 1 ? r.target[L1] : year == 2 ? r.target[L2a] + r.target[L2b] : r.target[L3];
    }
    QVERIFY2(total >= 40 && total <= 45, qPrintable(QStringLiteral("total %1").arg(total)));
}

void TestPlanData::hintFiles()
{
    const QDir dir(QDir(m_dataDir).filePath(QStringLiteral("hints")));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY2(files.size() >= 60, qPrintable(QStringLiteral("%1 hint files").arg(files.size())));
    static const QRegularExpression nameRe(QStringLiteral("^\\d\\d_\\d\\d\\.rtf$"));
    for (const QString &name : files) {
        QVERIFY2(nameRe.match(name).hasMatch(), qPrintable(name));
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray rtf = f.readAll();
        QVERIFY2(rtf.startsWith("{\\rtf1"), qPrintable(name));
        QVERIFY2(rtf.contains("\\ansicpg1252"), qPrintable(name));
        QVERIFY2(std::all_of(rtf.begin(), rtf.end(), [](char c) { return uchar(c) < 0x80; }),
                 qPrintable(name + QStringLiteral(" is not ASCII")));
        int depth = 0;
        for (qsizetype i = 0; i < rtf.size(); ++i) {
            if (rtf[i] == '\\')
                ++i; // escaped character or control word start
            else if (rtf[i] == '{')
                ++depth;
            else if (rtf[i] == '}' && --depth == 0)
                QVERIFY2(rtf.mid(i + 1).trimmed().isEmpty(), qPrintable(name + QStringLiteral(": text after the end")));
            QVERIFY2(depth >= 0, qPrintable(name));
        }
        QVERIFY2(depth == 0, qPrintable(name + QStringLiteral(": unbalanced braces")));
    }
}

// Hints are found by (part, hint number); an empty list looks up (0, 0), which
// must find nothing.
void TestPlanData::hintKeys()
{
    const QDir dir(QDir(m_dataDir).filePath(QStringLiteral("hints")));
    QSet<QPair<int, int>> files;
    for (const QString &name : dir.entryList(QDir::Files)) {
        const QPair<int, int> key(name.left(2).toInt(), name.mid(3, 2).toInt());
        QVERIFY2(key.first >= 1 && key.first <= 17 && key.second >= 1, qPrintable(name));
        files.insert(key);
    }
    QMap<int, QSet<int>> used;
    for (const PlanRow &r : m_rows) {
        const QByteArray where = QByteArray::number(r.tag);
        if (r.selectable())
            QVERIFY2(r.hintId > 0, "selectable line without hint: " + where);
        else
            QVERIFY2(r.hintId == 0, "hint on a heading that cannot be chosen: " + where);
        if (r.hintId > 0) {
            QVERIFY2(files.contains({r.part, r.hintId}), "no hint file for line " + where);
            used[r.part].insert(r.hintId);
        }
    }
    for (const auto &key : files)
        QVERIFY2(used.value(key.first).contains(key.second),
                 qPrintable(QStringLiteral("hint %1_%2 belongs to no plan line").arg(key.first).arg(key.second)));
    for (auto it = used.begin(); it != used.end(); ++it)
        for (int h = 1; h <= it->size(); ++h)
            QVERIFY2(it->contains(h), qPrintable(QStringLiteral("part %1: hint numbers have a gap at %2")
                                                     .arg(it.key()).arg(h)));
}

QTEST_GUILESS_MAIN(TestPlanData)
#include "test_plandata.moc"
