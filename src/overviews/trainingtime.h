#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QToolBar;
class Tqruebersichtform;

namespace store {
class TableSet;
struct Session;
} // namespace store
namespace controls {
class DataSource;
class DBGrid;
class DBNavigator;
} // namespace controls

// "Übersicht über die Ausbildungszeit": the start and end dates of the three
// training years, kept in the settings file, and the rows of the overview
// table (school, inter-company training, holiday and sickness periods per
// year), edited directly in the grid and with the navigator. The dates are
// written back only when the dialog ends with OK; rows are stored when the
// grid leaves them, before the preview and when the dialog closes.
class Tuebersichtdlg : public QDialog
{
    Q_OBJECT
public:
    Tuebersichtdlg(store::TableSet &tables, store::Session &session, QWidget *parent = nullptr);
    ~Tuebersichtdlg() override;

    // The print of the overview (not owned), created at start.
    void setPrintForm(Tqruebersichtform *form) { m_printForm = form; }

    // Fills the date edits from the settings file, shows the dialog modally
    // and, on OK, writes the dates back. Returns the dialog's result.
    int execute();
    // OK: writes the six dates with one write of the settings file. A date
    // with a character the file cannot store, or a file that cannot be
    // written, is named in a message and the dialog stays open.
    void accept() override;

    // The date edit of a training year (1 to 3): its start or its end.
    QLineEdit *dateEdit(int year, bool end) const { return m_dates[year - 1][end ? 1 : 0]; }
    controls::DBGrid *DBGrid1() const { return m_grid; }
    controls::DBNavigator *DBNavigator1() const { return m_navigator; }
    QToolBar *toolBar() const { return m_toolBar; }

    // Handlers
    void vorschaubtnClick();
    // The tool bar: on the focused edit field (a date or the grid's cell).
    void EditCopy1Execute();
    void EditCut1Execute();
    void EditDelete1Execute();
    void EditPaste1Execute();
    void EditUndo1Execute();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Stores the row being edited; a new row nothing was typed into is
    // dropped instead. Store errors reach the caller.
    void postRow();
    QLineEdit *focusedEdit() const;
    // Asks whether the row that could not be stored (for the reason given)
    // is to be discarded; discards it on Yes, else goes back to it.
    // True when it was discarded.
    bool discardUnstoredRow(QString why);

    store::TableSet &m_tables;
    store::Session &m_session;
    Tqruebersichtform *m_printForm = nullptr;
    controls::DataSource *m_source = nullptr;
    controls::DBGrid *m_grid = nullptr;
    controls::DBNavigator *m_navigator = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLineEdit *m_dates[3][2] = {};
};
