#pragma once

// A read-only grid over the rows a table's cursor sees: one line per row,
// the columns as the window's design lists them. The selected line is the
// table's current row, in both directions: selecting a line moves the
// cursor, moving the cursor selects its line.

#include <QColor>
#include <QPointer>
#include <QTableView>

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

signals:
    // A double click on a line, after the cursor moved to its row.
    void rowDoubleClicked(int row);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void follow();
    void selected(int row);

    QPointer<DataSource> m_source;
    GridModel *m_model = nullptr;
    bool m_following = false;
    bool m_stale = false; // hidden while its table moved
};

} // namespace controls
