#pragma once

#include "domain/marks.h"

#include <QHash>
#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class Tqrbuebersichtform;

namespace store {
class TableSet;
struct Session;
} // namespace store
namespace controls {
class Anchors;
class DataSource;
class DBGrid;
class RadioGroup;
} // namespace controls

namespace overviews {

// The tab "Berichte Übersicht": the report sheets of every year or of the
// current training year, one line per sheet, straight from the reports
// table. From here a report is opened in the editor (the main window does
// that on openRequested), the list is previewed, and a sheet of the current
// training year is deleted with the counts it raised.
class ReportOverviewTab : public QWidget
{
    Q_OBJECT
public:
    ReportOverviewTab(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);

    controls::RadioGroup *uebersichtanzeigewahl() const { return m_uebersichtanzeigewahl; }
    controls::DBGrid *DBGrid3() const { return m_grid; }
    QPushButton *beranzeigebtn() const { return m_beranzeigebtn; }
    QPushButton *beruebersichtdruckbtn() const { return m_druckbtn; }
    QPushButton *BitBtn1() const { return m_bitBtn1; }
    QPushButton *loeschbtn() const { return m_loeschbtn; }
    // "Als gesehen markieren...": the trainer's review of a range of reports.
    QPushButton *gesehenbtn() const { return m_gesehenbtn; }

    // The print of the list (not owned), created at start after this tab.
    void setPrintForm(Tqrbuebersichtform *form) { m_printForm = form; }
    Tqrbuebersichtform *printForm() const { return m_printForm; }
    // Shows the bulk print's choice of sheets and returns when it closed;
    // the main window wires it.
    void setBulkPrint(std::function<void()> open) { m_openBulkPrint = std::move(open); }

    // Entry points for the main window, which hosts the tab.
    // Shows the sheets as the display choice says, for the session's
    // training year (a new one, or the data after a reset).
    void showYear();
    // In the main window grown beyond its design, the list grows downwards
    // and the buttons below it follow.
    void anchorIn(controls::Anchors &anchors);

    // The display choice: 0 every year, 1 the current training year.
    int displayChoice() const;
    // Selects the choice and applies it to the reports table, also when it
    // was selected already.
    void setDisplayChoice(int index);

    // What the last deletion did, one line per step.
    QStringList deletionLog() const { return m_log; }

    // Handlers
    // Applies the display choice (and a new training year) to the reports
    // table: a range on the year, or none.
    void uebersichtanzeigewahlClick();
    void beruebersichtdruckbtnClick();
    void BitBtn1Click();
    void loeschbtnClick();
    void gesehenbtnClick();

signals:
    // "Anzeigen" or a double click on a line: open the current report.
    void openRequested();
    // A sheet was deleted; the plan counts changed.
    void reportDeleted();

private:
    // "Bericht löschen" is on while the current year alone is shown and
    // has a sheet.
    void updateDeleteButton();
    // The list shows the sheets of the current training year and no other,
    // and its cursor stands on one of them.
    bool showsCurrentYearAlone() const;
    // The reviews of the sheets, for the grid's column "✓".
    void readReviews();

    store::TableSet &m_tables;
    store::Session &m_session;
    Tqrbuebersichtform *m_printForm = nullptr;
    std::function<void()> m_openBulkPrint;
    controls::DataSource *m_source = nullptr;
    controls::RadioGroup *m_uebersichtanzeigewahl = nullptr;
    controls::DBGrid *m_grid = nullptr;
    QPushButton *m_beranzeigebtn = nullptr;
    QPushButton *m_druckbtn = nullptr;
    QPushButton *m_bitBtn1 = nullptr;
    QPushButton *m_loeschbtn = nullptr;
    QPushButton *m_gesehenbtn = nullptr;
    QStringList m_log;
    QHash<qint64, domain::Review> m_reviews;
    bool m_reviewsStale = true;
};

} // namespace overviews
