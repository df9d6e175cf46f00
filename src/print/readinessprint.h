#pragma once

// The print of the readiness check: the title "Prüfung des
// Ausbildungsnachweises" with the apprentice's name, the day of the check
// and what was found, the framed column header on every page, one line per
// defect (kind, where, what) in the order of the check, and a page footer
// with the page number. The defects are printed as the window lists them;
// the print checks nothing.

#include "domain/readiness.h"

#include <QDate>
#include <QObject>
#include <QVector>
#include <memory>

namespace engine {
class Report;
}

class Tqrpruefform : public QObject
{
    Q_OBJECT
public:
    explicit Tqrpruefform(QObject *parent = nullptr);
    ~Tqrpruefform() override;

    engine::Report &report() const { return *m_report; }

    // What the next run prints: the defects (not owned), whose name, the
    // day of the check and the summary line above the list.
    void setContents(const QVector<domain::Defect> *defects, const QString &apprentice, const QDate &checked,
                     const QString &summary);

private:
    void build();
    bool nextLine();

    std::unique_ptr<engine::Report> m_report;
    const QVector<domain::Defect> *m_defects = nullptr;
    int m_line = 0;
};
