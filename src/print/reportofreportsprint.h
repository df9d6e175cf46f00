#pragma once

// The print of the report of reports: a title with the chosen training
// period and the two names, the framed column header on every page, one
// line per row of the grid that the tab "Berichte Report" shows (in its
// order, below its title row), and a page footer with the page number, the
// date and time of the print and the apprentice's name. The grid is printed
// as it stands; the print computes nothing.

#include <QObject>
#include <QStringList>
#include <QVector>
#include <memory>

namespace engine {
class Report;
}
namespace store {
struct Session;
}

class Treportreportform : public QObject
{
    Q_OBJECT
public:
    explicit Treportreportform(store::Session &session, QObject *parent = nullptr);
    ~Treportreportform() override;

    // The report "QuickRep1".
    engine::Report &report() const { return *m_report; }

    // The grid to print (not owned): row 0 holds the column titles, every
    // further row of seven cells is a line of the print.
    void setGrid(const QVector<QStringList> *grid) { m_grid = grid; }
    // The text of the chosen period, right-aligned in the title.
    void setSelectionText(const QString &text);

private:
    void build();
    void QuickRepBeforePrint();
    // The next line of the grid, while there is one.
    bool QuickRepNeedData();

    store::Session &m_session;
    std::unique_ptr<engine::Report> m_report;
    const QVector<QStringList> *m_grid = nullptr;
    int m_line = 1;      // the grid row the next detail line prints
    QStringList m_cells; // of the detail line printing
};
