#pragma once

#include "store/parttitles.h"

#include <QColor>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QVector>
#include <optional>

class QTabWidget;
class QScrollArea;

namespace store {
class Table;
class TableSet;
} // namespace store

namespace plan {

constexpr int partCount = store::partCount;

// The page title of a part of the training profile (1 to 17).
inline QString partTitle(int part)
{
    return store::partTitle(part);
}

// The colours of the plan pages.
namespace colours {
inline const QColor selectable{0, 0, 255}; // a line that can be chosen
inline const QColor chosen{255, 255, 0};   // a line chosen into the composition
inline const QColor below{255, 0, 0};      // a group below its target
inline const QColor reached{0, 128, 0};    // a group that has reached its target
} // namespace colours

// The fixed corrections of the plan's targets, made at every start before
// the pages are first built. Rows that do not exist are left out; a field is
// written only when its value differs. The plan keeps the order it had.
void applyTargetCorrections(store::Table &plan);

class PlanLabel;

// Places a group's separator and target right of its actual count (the
// separator a count's width further when the group has no target), level
// with the count.
void placeGroupCounts(PlanLabel *actual, PlanLabel *slash, PlanLabel *target);

// A label on a plan page. Its name is a prefix and the LfdfTag of a plan
// line; the composition keeps its marks on it until the pages are rebuilt.
class PlanLabel : public QLabel
{
    Q_OBJECT
public:
    enum class Role { Item, Use, Actual, Slash, Target };

    PlanLabel(Role role, int tag, QWidget *parent);

    Role role() const { return m_role; }
    int tag() const { return m_tag; }

    // Item: chosen (0 or 1); use count: raised (0 or 1); actual count: the
    // number of the group's items chosen so far.
    int mark = 0;

    bool selectable() const { return m_selectable; }
    void setSelectable(bool on);
    // An invalid colour is the page's own text colour.
    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);
    bool bold() const { return m_bold; }
    void setBold(bool on);
    // A label without word wrap takes the width its text needs.
    void setTextAutoSized(const QString &text);
    // A word-wrapped label at its place and width, as high as its text needs.
    void placeWrapped(int x, int y, int width);

    // The number the label shows, or nothing when it shows none.
    std::optional<int> number() const;

    // Marks an item label chosen for screen readers as well: an item is
    // told as a check box, checked while chosen.
    void setChosen(bool on);
    bool chosen() const { return m_chosen; }

signals:
    // Also sent with the left button when Space is pressed on a selectable
    // item that has the focus: the keyboard chooses as the mouse does.
    void mouseDown(plan::PlanLabel *label, Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Role m_role;
    int m_tag;
    bool m_selectable = false;
    bool m_chosen = false;
    bool m_bold = false;
    bool m_sized = false; // sized to its text at least once
    QColor m_colour;
    QString m_wrappedText; // the text and width the cached height belongs to
    int m_wrappedWidth = -1;
    int m_wrappedHeight = 0;
    friend class PlanSheet;
    quint64 m_generation = 0; // the build that last used the label
};

// The contents of one plan page inside its scroll box: the labels of a
// part's plan lines and the rules painted between them.
class PlanSheet : public QWidget
{
    Q_OBJECT
public:
    explicit PlanSheet(int part, QWidget *parent = nullptr);

    int part() const { return m_part; }

    // Horizontal rules from x 8 to x 550, by their y.
    const QVector<int> &horizontalRules() const { return m_rules; }
    // The vertical rules' top and height (height 0: none).
    int verticalTop() const { return m_verticalTop; }
    int verticalHeight() const { return m_verticalHeight; }
    // Solid vertical rules stand at these x; the dotted one at x 475.
    static const QVector<int> &solidColumns();
    static constexpr int dottedColumn = 475;

    // The selectable item labels in display order.
    QVector<PlanLabel *> items() const;
    // The item that Tab reaches on this page: the one that had the focus
    // last, else the first; nullptr when the page has none.
    PlanLabel *entryItem() const;
    // The item `steps` away from `from` in display order, kept within the
    // first and last item.
    PlanLabel *itemAfter(PlanLabel *from, int steps) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class PlanPages;
    friend class PlanLabel;
    void beginBuild(quint64 generation);
    // The label of that name, from an earlier build or new.
    PlanLabel *take(const QString &name, PlanLabel::Role role, int tag, bool *created);
    // Hides and unnames the labels this build did not use.
    void endBuild(int bottom);
    void clear();

    int m_part;
    quint64 m_generation = 0;
    QHash<QString, PlanLabel *> m_pool; // every label ever made on this page
    QVector<PlanLabel *> m_used;        // the labels of the current build
    QPointer<PlanLabel> m_current;      // the item that had the focus last
    QVector<int> m_rules;
    int m_verticalTop = 0, m_verticalHeight = 0;
};

// The 17 plan pages of the page control: built from the plan table for a
// training year, discarded and built again. A build reuses the labels of the
// build before it; every build forgets the composition's marks and shows the
// stored counts.
class PlanPages : public QObject
{
    Q_OBJECT
public:
    PlanPages(store::TableSet &tables, QTabWidget *pageControl);

    // Empties the composition table, titles the pages and fills them with
    // the plan lines of the year (0: every year; allYears: every year).
    void build(int year, bool allYears);
    // Takes every label and rule off the pages.
    void discard();

    // A label of the pages as last built, by its name; nullptr when the
    // current build has no such label.
    PlanLabel *label(const QString &name) const { return m_labels.value(name); }
    PlanSheet *sheet(int part) const { return m_sheets.value(part - 1); }
    QScrollArea *scrollBox(int part) const { return m_scrollBoxes.value(part - 1); }

signals:
    // A mouse button went down on a selectable item label.
    void itemMouseDown(plan::PlanLabel *label, Qt::MouseButton button);

private:
    struct Line;
    void buildSheet(PlanSheet *sheet, const QVector<Line> &lines);
    PlanLabel *take(PlanSheet *sheet, const char *prefix, PlanLabel::Role role, int tag);

    store::TableSet &m_tables;
    QTabWidget *m_pageControl;
    QVector<PlanSheet *> m_sheets;
    QVector<QScrollArea *> m_scrollBoxes;
    QHash<QString, PlanLabel *> m_labels;
    quint64 m_generation = 0;
};

} // namespace plan
