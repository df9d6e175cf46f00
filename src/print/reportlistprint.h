#pragma once

// The print of the report overview: one line per report sheet that the
// report cursor sees (every year, or the current training year while the
// overview shows only that), with its week and the parts of the training
// profile it covers. A title on the first page, the column headers on every
// page and the page number at every page's foot; an empty list still prints
// its page.

#include "print/tablesource.h"

#include <QObject>
#include <memory>

namespace engine {
class Report;
}
namespace store {
class Table;
class TableSet;
} // namespace store

class Tqrbuebersichtform : public QObject
{
    Q_OBJECT
public:
    explicit Tqrbuebersichtform(store::TableSet &tables, QObject *parent = nullptr);
    ~Tqrbuebersichtform() override;

    // The report "QuickRep1" over the reports table. A run walks the table
    // from its first row to its end and puts the cursor back on the row it
    // stood on before.
    engine::Report &report() const { return *m_report; }

private:
    void build();

    store::Table &m_reports;
    forms::TableSource m_rows; // walks m_reports
    std::unique_ptr<engine::Report> m_report;
    qint64 m_rowBeforeRun = 0;
};
