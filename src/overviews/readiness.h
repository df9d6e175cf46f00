#pragma once

// "Ausbildungsnachweis prüfen": every defect of the training record in a
// list, each with a jump to where it is mended, the count by kind above it,
// and the list printed or saved as a PDF file. The window stays open beside
// the main window; the list is computed when the window is shown, with
// "Aktualisieren", and after a jump into a dialog that may have changed
// the record. It is a window of its own, not one kept above the main
// window: a jump to the main window brings that to the front.

#include "domain/readiness.h"

#include <QDate>
#include <QDialog>
#include <QVector>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTableWidget;
class Tqrpruefform;

namespace forms {
class SheetFits;
}

namespace store {
class TableSet;
struct Session;
} // namespace store

class Tpruefform : public QDialog
{
    Q_OBJECT
public:
    Tpruefform(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);
    ~Tpruefform() override;

    // The jumps, wired by the main window; a defect whose jump is not wired
    // leaves "Springen" off.
    // The week ledger at the week of `monday`.
    std::function<void(const QDate &monday)> showWeek;
    // The report editor on the sheet (BerLfd); returns when it closed.
    std::function<void(qint64 sheet)> openSheet;
    // The tab "Berichte Report" with the training year (1 to 3) chosen.
    std::function<void(int year)> showReportOfReports;
    // The basic data dialog, and the training-time overview for the dates
    // of the training years; each returns when it closed.
    std::function<void()> openBasicData;
    std::function<void()> openTrainingTimes;

    QTableWidget *maengelliste() const { return m_list; }
    QLabel *ergebnislabel() const { return m_summary; }
    QPushButton *springenbtn() const { return m_springen; }
    QPushButton *druckenbtn() const { return m_drucken; }
    QPushButton *pdfbtn() const { return m_pdf; }
    QPushButton *aktualisierenbtn() const { return m_aktualisieren; }

    // The defects listed, in the list's order, and the day they were found.
    const QVector<domain::Defect> &defects() const { return m_defects; }
    QDate checked() const { return m_checked; }

    // "Keine Mängel gefunden – ...", or "23 Mängel: 7 fehlende Wochen, ...
    // und 2 Blätter ohne Tätigkeiten" by kind in the order of the check.
    static QString summaryText(const QVector<domain::Defect> &defects);

    // Handlers
    void aktualisierenbtnClick();
    void springenbtnClick();
    void druckenbtnClick();
    void pdfbtnClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The jump of a defect, empty when it has none.
    std::function<void()> jumpOf(const domain::Defect &defect) const;
    void fillList();
    void updateButtons();
    void preparePrint();

    store::TableSet &m_tables;
    store::Session &m_session;
    std::unique_ptr<Tqrpruefform> m_printForm;
    std::unique_ptr<forms::SheetFits> m_fits; // made at the first check
    QVector<domain::Defect> m_defects;
    QDate m_checked;
    QString m_pdfNote; // the whole-record PDF still matches the record
    QLabel *m_summary = nullptr;
    QTableWidget *m_list = nullptr;
    QPushButton *m_springen = nullptr;
    QPushButton *m_drucken = nullptr;
    QPushButton *m_pdf = nullptr;
    QPushButton *m_aktualisieren = nullptr;
};
