#pragma once

// A grid over the rows a table's cursor sees: one line per row, the columns
// as the window's design lists them. The selected line is the table's
// current row, in both directions: selecting a line moves the cursor,
// moving the cursor selects its line.
//
// A grid is read-only unless it is made editable. An editable grid shows the
// editor of its current cell whenever it has the focus; typing writes the
// field at once (the table goes into edit state); Tab and Shift+Tab move
// between the cells and on to the next or previous line (Shift+Tab from the
// first cell, Tab from the last cell of a new untouched row and Ctrl+Tab or
// Ctrl+Shift+Tab from any cell go on to the window's other controls, and the
// untouched row is dropped); leaving a line
// stores it (a store error is shown and the line stays). A new row, started
// by Insert, by Down on the last line or Tab from the last cell, shows as an
// extra line at the end until it is stored; a new row left untouched is
// dropped instead of stored. An empty table shows one empty line to type
// into. Esc drops the changes of the line, Ctrl+Del deletes the row after the
// delete question. A column with a pick list edits in a drop-down list of its
// values, where only those values can be typed. A key typed into the grid
// goes into its cell, also the one that opens the cell's editor. A text cell
// takes no more characters than its field holds; a paste that would not fit
// is refused with a message.

#include <QColor>
#include <QPointer>
#include <QTableView>
#include <functional>

namespace controls {

class DataSource;
class GridModel;

struct GridColumn
{
    QString field;
    QString title;
    int width = 64;
    Qt::Alignment alignment = Qt::AlignLeft;
    Qt::Alignment titleAlignment = Qt::AlignLeft;
    QColor colour; // background of the column's cells; none when invalid
    bool visible = true;
    QStringList pickList = {}; // values offered by an editable grid
    // A column of no field shows what this gives for a row the cursor sees
    // (by position); it is never edited.
    std::function<QString(int row)> shown = {};
};

class DBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);
    ~DBGrid() override;
    void setColumns(const QList<GridColumn> &columns);
    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }
    // The text a cell shows (dates as dd.MM.yyyy).
    QString cellText(int row, int column) const;

    void setEditable(bool editable);
    // Asked (Yes/No) before Ctrl+Del deletes a row; empty: no question.
    void setDeleteQuestion(const QString &question) { m_deleteQuestion = question; }
    // The line of the table's current row (the new row's line while one is
    // being added); -1 without a table.
    int currentLine() const;

    // What the keys do in an editable grid, callable by the window.
    void appendRow();
    void deleteRow();
    void cancelRow();
    // Drops a new row nothing has been typed into; true when it did.
    bool dropUntouchedRow();
    // Gives the focus to the window's next (or previous) control.
    void leave(bool forward);

signals:
    // A double click on a line, after the cursor moved to its row.
    void rowDoubleClicked(int row);
    // Enter on a line of a read-only grid.
    void rowActivated(int row);
    // Delete on a line of a read-only grid.
    void deleteRequested(int row);

protected:
    void showEvent(QShowEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class GridDelegate;
    void follow();
    void selected(int row);
    // Moves the table to a line, storing the line being edited first; the
    // line asked for is found again when storing moved rows.
    void moveToLine(int line);
    bool handleKey(QKeyEvent *event);
    void openEditor();

    QPointer<DataSource> m_source;
    GridModel *m_model = nullptr;
    bool m_following = false;
    bool m_stale = false; // hidden while its table moved
    bool m_editable = false;
    QString m_deleteQuestion;
};

} // namespace controls
