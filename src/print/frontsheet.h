#pragma once

// The front sheet of a weekly report: the week's header data, the parts of
// the training profile the sheet covers, the plan items with their two tick
// columns, the activities and, at the foot of the page, the trainer's
// remarks and the signature block. It prints the current row of the reports
// table with that row's detail rows.

#include "print/engine/report.h"
#include "print/formparts.h"
#include "print/tablesource.h"

#include <QObject>

namespace store {
class Table;
class TableSet;
struct Session;
} // namespace store

class Tberichtform : public QObject
{
    Q_OBJECT
public:
    Tberichtform(store::TableSet &tables, store::Session &session, QObject *parent = nullptr);
    ~Tberichtform() override;

    engine::Report &QuickRep1() { return m_report; }

    // A tick column's text: true and false (in either language, any case)
    // become the symbol font's crossed and empty box, "x" and "o"; any other
    // text prints in lower case, an empty one not at all.
    static QString tickText(const QString &displayText);
    // Where the column header of the item list ended on its page (0.1 mm from
    // the page's top), as the last run recorded it.
    double recordedColumnTop() const { return m_columnTop; }

    // The table whose rows are the sheet's items: the detail rows of the
    // current report (nullptr, as printed), or a report's items before they
    // are stored (the composition of a new report).
    void setItemTable(store::Table *items) { m_items = items; }

    // How the activities `text` (stored form: RTF or plain) would fit this
    // sheet, the current row with its detail rows, leaving out the rows
    // `leaveOut` names (by position): measured by a run of the sheet.
    forms::TextFit activitiesFit(const QString &text, const std::function<bool(int row)> &leaveOut = {});

    // Band events
    void TitleBand1BeforePrint();
    void bafeldPrint(engine::TextItem &field, QString &text);
    void childband3aAfterPrint();
    void QRBand1BeforePrint();
    void QRBand1AfterPrint();
    void DetailBand1BeforePrint();
    void DetailBand1AfterPrint();

private:
    void build();
    // The two column rules of the header, from `top` down to `bottom` on the
    // current page.
    void drawColumnRules(double top, double bottom);
    QString detailValue(const QString &field) const;
    // The day the trainer saw the sheet printed; invalid when not seen.
    QDate seenOn() const;
    store::Table &items() const;

    store::TableSet &m_tables;
    store::Session &m_session;
    forms::TableSource m_reportRow; // the current row of the reports table
    engine::Report m_report;
    store::Table *m_items = nullptr;
    int m_row = -1;         // the detail row being printed
    double m_columnTop = 0; // where the column rules end so far: the header's bottom, then the last row's
    int m_columnPage = 0;   // the page they stand on
    std::function<bool(int row)> m_leaveOut; // rows a measuring run leaves out
    double m_summaryTop = 0; // where the summary band started, and on which page
    int m_summaryPage = 0;
};
