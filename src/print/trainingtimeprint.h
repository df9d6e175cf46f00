#pragma once

// The print of the training-time overview: a title with the start and end
// dates of the three training years (as the settings file holds them, or as
// the dialog shows them when it previews), the
// column headers on every page, and per row of the overview table its four
// periods. Before the first row of each training year, and again before the
// first row of a page, a grey line names the year ("2. Ausbildungsabschnitt").
// An empty table still prints its page.

#include "store/places.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace engine {
class Band;
class Report;
} // namespace engine
namespace store {
class Table;
class TableSet;
} // namespace store

class Tqruebersichtform : public QObject
{
    Q_OBJECT
public:
    // The dates are read from the settings file when a run starts.
    explicit Tqruebersichtform(store::TableSet &tables, QObject *parent = nullptr);
    ~Tqruebersichtform() override;

    // The report "QuickRep1" over the overview table. A run walks the table
    // from its first row to its end and puts the cursor back on the row it
    // stood on before.
    engine::Report &report() const { return *m_report; }

    // The six dates the runs print instead of the settings file's (start and
    // end of the first, second and third year); none: the file's again.
    void setShownDates(const QStringList &dates) { m_shownDates = dates; }

private:
    class Rows;
    void build();
    void QuickRepBeforePrint();
    // Lays out the row band for the current row: with the year line when the
    // row's year is not the one printed last.
    void placeRow();

    store::Places m_places;
    store::Table &m_table;
    std::unique_ptr<Rows> m_rows; // walks m_table
    std::unique_ptr<engine::Report> m_report;
    engine::Band *m_detail = nullptr;
    int m_year = 0; // the year whose line printed last on this page; 0: none yet
    qint64 m_rowBeforeRun = 0;
    QStringList m_shownDates;
};
