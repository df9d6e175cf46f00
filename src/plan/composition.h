#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace controls {
class Anchors;
}
namespace store {
class TableSet;
struct Session;
} // namespace store

namespace plan {

class PlanLabel;
class PlanPages;

// The tab "Bericht zusammenstellen": the plan pages with their counts, the
// part selector, and the composition of the next weekly report: the items
// chosen on the pages, kept in the composition table and its list.
class CompositionTab : public QWidget
{
    Q_OBJECT
public:
    CompositionTab(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);

    PlanPages &pages() const { return *m_pages; }
    QListWidget *zusammenstellung() const { return m_list; }
    QPushButton *erzeugbtn() const { return m_erzeugbtn; }
    QPushButton *Verwerfbtn() const { return m_verwerfbtn; }
    QPushButton *wieletztebtn() const { return m_wieletztebtn; }
    QComboBox *ComboBox1() const { return m_selector; }
    QTabWidget *PageControl2() const { return m_pageControl; }
    QCheckBox *verkuerztbox() const { return m_allYearsBox; }

    // The pages for the session's training year, or for every year while
    // "Alle Jahre anzeigen" is checked. A build empties the composition table
    // and leaves the part selector on the page shown.
    void buildPages();
    void discardPages();
    // Discards and builds the pages; the part selector keeps its entry.
    void rebuildPages();

    // Entry points for the main window, which hosts the tab.
    // Whether the composition holds an item, so that a report can be made.
    bool hasItems() const;
    // Ends the composition, as "Verwerfen" does: the composition table and
    // list emptied, the pages of the session's training year (a new one, or
    // the data after a reset) built, the part shown kept.
    void discard();
    // Chooses the plan items (LfdfTag) into the composition as clicks on
    // their labels do, each on its part's page; items already chosen stay
    // as they are. Returns the items the pages do not show (another
    // training year's), which are left out.
    QList<int> chooseItems(const QList<int> &tags);
    // A report was made from the composition: the list is emptied and the
    // pages show the raised counts.
    void reportCreated();
    // The page control of the plan parts switches with the page keys.
    void addPageKeys();
    // In the main window grown beyond its design, the list grows downwards
    // and the buttons below it follow.
    void anchorIn(controls::Anchors &anchors);

    // The entry of the part selector; the page control shows the same part.
    int partIndex() const;
    void setPartIndex(int index);
    bool allYears() const { return m_allYears; }

    // Handlers
    void labelMouseDown(plan::PlanLabel *label, Qt::MouseButton button);
    // Chooses the item of an item label into the composition.
    void label5a1Click(plan::PlanLabel *item);
    // Counts a chosen item for its group: the group's actual count rises
    // once per composition, the list gets the item, the buttons follow.
    void increment(plan::PlanLabel *actual, plan::PlanLabel *target, plan::PlanLabel *item);
    void VerwerfbtnClick();
    void verkuerztboxClick();
    void ComboBox1Click();
    void PageControl2Change();

signals:
    // "Bericht neu erzeugen" was pressed.
    void erzeugbtnClicked();
    // "Wie letzte Woche" was pressed.
    void wieletztebtnClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Tab goes through the tab as it reads: the switch, the part selector,
    // the page tabs, the page's item (one stop; the arrow keys move between
    // the items), the list and the two buttons; then on out of the tab.
    bool focusNextPrevChild(bool next) override;

private:
    // Asks whether to go on when the group has reached its target; false
    // when the user declines.
    bool confirmBeyondTarget(const plan::PlanLabel *actual, const plan::PlanLabel *target) const;
    void placeGroupLabels(plan::PlanLabel *actual);

    store::TableSet &m_tables;
    store::Session &m_session;
    bool m_allYears = false;

    QCheckBox *m_allYearsBox = nullptr;
    QComboBox *m_selector = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_erzeugbtn = nullptr;
    QPushButton *m_verwerfbtn = nullptr;
    QPushButton *m_wieletztebtn = nullptr;
    QTabWidget *m_pageControl = nullptr;
    PlanPages *m_pages = nullptr;
};

} // namespace plan
