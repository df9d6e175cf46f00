#include "dbgrid.h"

#include "dbcontrols.h"
#include "platform/guard.h"

#include <QHeaderView>

namespace controls {

// The rows of the source's table as the cursor sees them, read without
// moving the cursor.
class GridModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;
    QList<GridColumn> columns;
    QPointer<DataSource> source;
    int shownRows = 0;

    store::Table *table() const
    {
        store::Table *t = source ? source->table() : nullptr;
        return t && t->isOpen() ? t : nullptr;
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : shownRows; }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(columns.size());
    }

    QString text(int row, int column) const
    {
        store::Table *t = table();
        if (!t || column < 0 || column >= columns.size() || columns[column].field.isEmpty())
            return {};
        const QVariant v = t->valueAt(row, columns[column].field);
        if (v.isNull() || !v.isValid())
            return {};
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
        return v.toString();
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const GridColumn &c = columns[index.column()];
        switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return int(c.alignment | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return c.colour.isValid() ? QVariant(c.colour) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal) {
            if (section < 0 || section >= columns.size())
                return {};
            if (role == Qt::DisplayRole)
                return columns[section].title;
            if (role == Qt::TextAlignmentRole)
                return int(columns[section].titleAlignment | Qt::AlignVCenter);
            return {};
        }
        // The row indicator points at the current row.
        store::Table *t = table();
        if (role == Qt::DisplayRole)
            return t && t->recNo() == section ? QStringLiteral("▶") : QString();
        return {};
    }

    void setColumns(const QList<GridColumn> &list)
    {
        beginResetModel();
        columns = list;
        endResetModel();
    }

    // True when the number of rows changed (the model was reset); otherwise
    // the view only needs to paint again, as every cell reads the table.
    bool reload()
    {
        store::Table *t = table();
        const int rows = t ? t->recordCount() : 0;
        if (rows == shownRows)
            return false;
        beginResetModel();
        shownRows = rows;
        endResetModel();
        return true;
    }
};

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), m_model(new GridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { selected(current.row()); });
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        selected(index.row());
        emit rowDoubleClicked(index.row());
    });
}

DBGrid::~DBGrid() = default;

void DBGrid::setColumns(const QList<GridColumn> &columns)
{
    m_model->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, columns[i].width);
        setColumnHidden(i, !columns[i].visible);
    }
    follow();
}

void DBGrid::setDataSource(DataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    m_model->source = source;
    if (source)
        connect(source, &DataSource::dataChanged, this, &DBGrid::follow);
    follow();
}

void DBGrid::showEvent(QShowEvent *event)
{
    if (m_stale)
        follow();
    QTableView::showEvent(event);
}

QString DBGrid::cellText(int row, int column) const
{
    return m_model->text(row, column);
}

void DBGrid::follow()
{
    if (m_following)
        return;
    // A grid that is not showing (a hidden page or window) keeps only its
    // number of rows; it selects and scrolls to the current row once, when
    // it is shown.
    if (!isVisible() && m_model->table()) {
        m_model->reload();
        m_stale = true;
        return;
    }
    m_stale = false;
    m_following = true;
    // Cells and row marks read the table when painted: a repaint shows the
    // current rows without announcing every cell as changed.
    if (!m_model->reload()) {
        viewport()->update();
        verticalHeader()->viewport()->update();
    }
    store::Table *t = m_model->table();
    const int row = t ? t->recNo() : -1;
    if (row >= 0 && row < m_model->shownRows) {
        selectRow(row);
        scrollTo(m_model->index(row, 0));
    } else {
        clearSelection();
    }
    m_following = false;
}

void DBGrid::selected(int row)
{
    store::Table *t = m_model->table();
    if (m_following || !t || row < 0 || row >= t->recordCount() || row == t->recNo())
        return;
    // A store error raised while the user works in the grid (a row that
    // cannot be stored when the cursor moves on) is shown; the cursor stays.
    platform::guarded([&] { t->moveTo(row); }); // the table's move brings the grid along
    follow();
}

} // namespace controls
