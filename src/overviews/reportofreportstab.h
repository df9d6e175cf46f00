#pragma once

#include "domain/reportofreports.h"

#include <QWidget>

class QPushButton;
class QTableView;
class Treportreportform;

namespace store {
class TableSet;
struct Session;
} // namespace store
namespace controls {
class RadioGroup;
}

namespace overviews {

class ReportGridModel;

// The tab "Berichte Report": the choice of a training period and, in the
// grid `ReportGrid`, how far the stored reports cover the plan in it. The
// grid is computed when the tab is shown and when another period is chosen;
// "&Vorschau" prints it as it stands.
class ReportOfReportsTab : public QWidget
{
    Q_OBJECT
public:
    ReportOfReportsTab(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);
    ~ReportOfReportsTab() override;

    controls::RadioGroup *ljgroup() const { return m_ljgroup; }
    QPushButton *BitBtn2() const { return m_bitBtn2; }
    QTableView *ReportGrid() const { return m_reportGrid; }
    QPushButton *aktualisierbtn() const { return m_aktualisierbtn; }

    // The print of the grid (not owned), created at start after this tab.
    void setPrintForm(Treportreportform *form) { m_printForm = form; }

    // The grid's cells, row 0 the column titles.
    const domain::Grid &grid() const { return m_grid; }
    domain::Selection selection() const { return m_selection; }

    // Entry point for the main window: the period of a training year (1 to
    // 3) chosen and its grid computed.
    void showTrainingYear(int year);

    // Handlers
    // The tab is shown: the item of the current training year, then the grid.
    void berichtreportShow();
    void ljgroupClick();
    // Computes the grid for the chosen period.
    void aktualisierbtnClick();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    store::TableSet &m_tables;
    store::Session &m_session;
    Treportreportform *m_printForm = nullptr;
    domain::Selection m_selection = domain::Selection::Year1;
    domain::Grid m_grid;
    controls::RadioGroup *m_ljgroup = nullptr;
    QPushButton *m_bitBtn2 = nullptr;
    QTableView *m_reportGrid = nullptr;
    ReportGridModel *m_model = nullptr;
    QPushButton *m_aktualisierbtn = nullptr;
};

} // namespace overviews
