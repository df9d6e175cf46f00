#pragma once

#include "domain/weeks.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace store {
class TableSet;
}

// "Woche markieren": why a week has no report ("Urlaub", "krank", ...) and
// a note.
class Twochenmarkedlg : public QDialog
{
    Q_OBJECT
public:
    explicit Twochenmarkedlg(QWidget *parent = nullptr);
    QComboBox *grundcombo() const { return m_grund; }
    QLineEdit *notizedit() const { return m_notiz; }
    // Shows the week's label and its mark as it stands (the first reason
    // when it has none).
    void setWeek(const QString &label, const domain::WeekMark &mark);

private:
    QLabel *m_woche = nullptr;
    QComboBox *m_grund = nullptr;
    QLineEdit *m_notiz = nullptr;
};

// "Wochen": every working week of the training period with the report that
// covers it, the apprentice's mark, or the gap. A double click (or Enter) on
// a week without a report makes its report for exactly that week; on a
// week with one it opens the report. The window runs modally; the report
// editor opens over it.
class Twochenform : public QDialog
{
    Q_OBJECT
public:
    enum Column { KW, Days, Year, Report, Note, Seen, ColumnCount };

    explicit Twochenform(store::TableSet &tables, QWidget *parent = nullptr);
    ~Twochenform() override;

    // What the main window does for a week: make a report for the week
    // starting on `monday` in training year `year` (0: the year is not
    // known) and tell whether it was made; open the report `number` of
    // training year `year`.
    using CreateReport = std::function<bool(const QDate &monday, int year)>;
    using OpenReport = std::function<void(int year, int number)>;
    void setCreateReport(CreateReport create) { m_create = std::move(create); }
    void setOpenReport(OpenReport open) { m_open = std::move(open); }

    // Shows the window modally at the current week.
    int execute();
    // Shows the window modally with the week that contains `day` selected.
    int showWeek(const QDate &day);

    QTableWidget *wochengrid() const { return m_grid; }
    QLabel *summelabel() const { return m_summary; }
    QPushButton *markierenbtn() const { return m_markieren; }
    QPushButton *entmarkierenbtn() const { return m_entmarkieren; }
    QPushButton *schliessenbtn() const { return m_schliessen; }
    Twochenmarkedlg &wochenmarkedlg() const { return *m_markedlg; }
    const QVector<domain::LedgerWeek> &ledger() const { return m_ledger; }
    // The week of the selected row; nullptr without one.
    const domain::LedgerWeek *selectedWeek() const;

    // Reads the weeks anew and shows them; the selected week stays selected.
    void refresh();

    // Handlers
    // A double click or Enter on the selected week.
    void wochengridDblClick();
    void markierenbtnClick();
    void entmarkierenbtnClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int run(const QDate &monday);
    void select(const QDate &monday);
    void fillRow(int row, const domain::LedgerWeek &week);
    void updateButtons();

    store::TableSet &m_tables;
    CreateReport m_create;
    OpenReport m_open;
    QVector<domain::LedgerWeek> m_ledger;
    QLabel *m_summary = nullptr;
    QTableWidget *m_grid = nullptr;
    QPushButton *m_markieren = nullptr;
    QPushButton *m_entmarkieren = nullptr;
    QPushButton *m_schliessen = nullptr;
    Twochenmarkedlg *m_markedlg = nullptr;
};

namespace overviews {

// The texts of a week's row, column by column (see Twochenform::Column).
QStringList ledgerRowTexts(const domain::LedgerWeek &week);
// "152 Wochen, 140 mit Bericht, 5 markiert, 7 fehlen" (and the conflicts
// and the weeks still ahead, when there are any).
QString ledgerSummary(const QVector<domain::LedgerWeek> &ledger);

} // namespace overviews
