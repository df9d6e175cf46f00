#include "dbgrid.h"

#include "dbcontrols.h"
#include "platform/guard.h"
#include "platform/messages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QValidator>

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
    bool editable = false;
    bool writing = false; // an editor is writing into the row

    store::Table *table() const
    {
        store::Table *t = source ? source->table() : nullptr;
        return t && t->isOpen() ? t : nullptr;
    }
    bool inserting() const
    {
        store::Table *t = table();
        return t && t->state() == store::TableState::Insert;
    }
    // An editable grid has a line after the stored rows while a new row is
    // being added, and one to type into while the table is empty.
    bool hasNewLine() const
    {
        store::Table *t = table();
        return editable && t && (inserting() || t->recordCount() == 0);
    }
    int lines() const
    {
        store::Table *t = table();
        return t ? t->recordCount() + (hasNewLine() ? 1 : 0) : 0;
    }
    int currentLine() const
    {
        store::Table *t = table();
        if (!t)
            return -1;
        return hasNewLine() ? t->recordCount() : t->recNo();
    }
    bool isNewLine(int row) const { return hasNewLine() && row == table()->recordCount(); }
    // A new row nothing has been typed into yet.
    bool newRowUntouched() const
    {
        store::Table *t = table();
        if (!inserting())
            return false;
        for (const store::FieldDef &f : t->def().fields) {
            const QVariant v = t->value(f.name);
            if (v.isValid() && !v.isNull() && !v.toString().isEmpty())
                return false;
        }
        return true;
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : shownRows; }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(columns.size());
    }

    QString text(int row, int column) const
    {
        store::Table *t = table();
        if (!t || column < 0 || column >= columns.size())
            return {};
        if (columns[column].shown)
            return isNewLine(row) ? QString() : columns[column].shown(row);
        if (columns[column].field.isEmpty())
            return {};
        QVariant v;
        if (isNewLine(row))
            v = inserting() ? t->value(columns[column].field) : QVariant();
        else
            v = t->valueAt(row, columns[column].field);
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
        case Qt::EditRole:
            return text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return int(c.alignment | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return c.colour.isValid() ? QVariant(c.colour) : QVariant();
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (editable && index.isValid() && !columns[index.column()].field.isEmpty())
            f |= Qt::ItemIsEditable;
        return f;
    }

    // Typing writes the field of the current line at once; the row goes into
    // edit state (an empty table starts a new row).
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        store::Table *t = table();
        if (!editable || !t || role != Qt::EditRole || !index.isValid() || index.row() != currentLine())
            return false;
        const QString typed = value.toString();
        if (typed == text(index.row(), index.column()))
            return true;
        const QString &field = columns[index.column()].field;
        // The editor keeps what is typed while the row follows it.
        writing = true;
        platform::guarded([&] {
            if (!t->isEditing())
                t->edit();
            t->setValue(field, typed);
        });
        writing = false;
        return true;
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
        if (role == Qt::DisplayRole) {
            if (section != currentLine())
                return QString();
            // A row being added, a row being changed, the current row.
            if (editable && inserting())
                return QStringLiteral("*");
            return editable && table()->isEditing() ? QStringLiteral("I") : QStringLiteral("▶");
        }
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
        const int rows = lines();
        if (rows == shownRows)
            return false;
        beginResetModel();
        shownRows = rows;
        endResetModel();
        return true;
    }
};

// The line editor of a cell. It takes no more characters than its field
// holds: a key beyond the limit is refused with a beep; a paste or drop that
// would make the text too long is refused as a whole, and the user is told.
class CellEdit : public QLineEdit
{
public:
    CellEdit(const QString &field, int size, QWidget *parent) : QLineEdit(parent), m_field(field), m_size(size)
    {
        if (size > 0)
            setValidator(new SizeCheck(this));
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        m_typing = !event->matches(QKeySequence::Paste);
        QLineEdit::keyPressEvent(event);
        m_typing = false;
    }

private:
    class SizeCheck : public QValidator
    {
    public:
        explicit SizeCheck(CellEdit *edit) : QValidator(edit), m_edit(edit) {}
        State validate(QString &input, int &) const override
        {
            if (input.size() <= m_edit->m_size)
                return Acceptable;
            m_edit->refuse(input.size());
            return Invalid;
        }

    private:
        CellEdit *m_edit;
    };

    // Told once the edit has undone the change, not in the middle of it.
    void refuse(qsizetype length)
    {
        if (m_typing) {
            platform::messages().beep();
            return;
        }
        QTimer::singleShot(0, this, [this, length] { refuseTooLongText(m_field, m_size, length); });
    }

    QString m_field;
    int m_size;
    bool m_typing = false;
};

// The editors of an editable grid: a line edit as long as the field, or a
// drop-down list of the column's pick list. What is typed or chosen is
// written into the row at once.
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(DBGrid *grid, GridModel *model) : QStyledItemDelegate(grid), m_grid(grid), m_model(model) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        const GridColumn &c = m_model->columns[index.column()];
        QWidget *editor;
        if (!c.pickList.isEmpty()) {
            auto *list = new QComboBox(parent);
            list->addItems(c.pickList);
            connect(list, &QComboBox::activated, this, [this, list] {
                emit const_cast<GridDelegate *>(this)->commitData(list);
            });
            editor = list;
        } else {
            int size = 0;
            if (store::Table *t = m_model->table()) {
                const int f = t->def().fieldIndex(c.field);
                if (f >= 0 && t->def().fields[f].type == store::FieldType::String)
                    size = t->def().fields[f].size;
            }
            auto *line = new CellEdit(c.title.isEmpty() ? c.field : c.title, size, parent);
            line->setFrame(false);
            connect(line, &QLineEdit::textEdited, this, [this, line] {
                emit const_cast<GridDelegate *>(this)->commitData(line);
            });
            editor = line;
        }
        editor->setObjectName(QStringLiteral("editor"));
        // A screen reader names the cell by its column.
        editor->setAccessibleName(c.title.isEmpty() ? c.field : c.title);
        editor->installEventFilter(m_grid); // Insert and Ctrl+Del
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (m_model->writing)
            return;
        const QString text = m_model->text(index.row(), index.column());
        if (auto *list = qobject_cast<QComboBox *>(editor)) {
            if (list->currentText() != text || list->currentIndex() < 0)
                list->setCurrentIndex(list->findText(text));
        } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            if (line->text() != text)
                line->setText(text);
        }
    }

    // Ctrl+Tab and Ctrl+Shift+Tab leave the grid from an open cell; the
    // delegate would take them for Tab and move to the next cell.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                && (key->modifiers() & Qt::ControlModifier)) {
                m_grid->leave(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        if (auto *list = qobject_cast<QComboBox *>(editor))
            model->setData(index, list->currentText());
        else if (auto *line = qobject_cast<QLineEdit *>(editor))
            model->setData(index, line->text());
    }

private:
    DBGrid *m_grid;
    GridModel *m_model;
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
    // A read-only grid is one stop of the Tab order: Tab leaves it.
    setTabKeyNavigation(false);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { selected(current.row()); });
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        selected(index.row());
        emit rowDoubleClicked(index.row());
    });
}

DBGrid::~DBGrid() = default;

void DBGrid::setEditable(bool editable)
{
    m_editable = editable;
    m_model->editable = editable;
    if (editable) {
        setItemDelegate(new GridDelegate(this, m_model));
        setEditTriggers(QAbstractItemView::AllEditTriggers);
        setSelectionBehavior(QAbstractItemView::SelectItems);
        setTabKeyNavigation(true);
    } else {
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setTabKeyNavigation(false);
    }
    follow();
}

int DBGrid::currentLine() const
{
    return m_model->currentLine();
}

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
    const int row = m_model->currentLine();
    if (row >= 0 && row < m_model->shownRows) {
        if (m_editable) {
            // The current cell stays in its column.
            int column = currentIndex().isValid() ? currentIndex().column() : 0;
            while (column < m_model->columnCount() - 1 && isColumnHidden(column))
                ++column;
            const QModelIndex cell = m_model->index(row, column);
            if (currentIndex() != cell)
                selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
            scrollTo(cell);
        } else {
            selectRow(row);
            scrollTo(m_model->index(row, 0));
        }
    } else {
        clearSelection();
    }
    m_following = false;
    openEditor();
}

void DBGrid::selected(int row)
{
    store::Table *t = m_model->table();
    if (m_editable) {
        if (m_following || !t || row < 0 || row == m_model->currentLine())
            return;
        platform::guarded([&] { moveToLine(row); });
        follow();
        return;
    }
    if (m_following || !t || row < 0 || row >= t->recordCount() || row == t->recNo())
        return;
    // A store error raised while the user works in the grid (a row that
    // cannot be stored when the cursor moves on) is shown; the cursor stays.
    platform::guarded([&] { t->moveTo(row); }); // the table's move brings the grid along
    follow();
}

void DBGrid::moveToLine(int line)
{
    store::Table *t = m_model->table();
    if (!t || line >= t->recordCount())
        return;
    if (m_model->newRowUntouched()) {
        t->cancel();
        t->moveTo(line);
        return;
    }
    if (!t->isEditing()) {
        t->moveTo(line);
        return;
    }
    // Storing the row may move it within the order: the line asked for is
    // the row that was there before.
    const bool inserting = t->state() == store::TableState::Insert;
    const int edited = t->recNo();
    t->post();
    const int stored = t->recNo();
    int target = line;
    if (!inserting && line > edited)
        --target;
    if (target >= stored)
        ++target;
    t->moveTo(target);
}

void DBGrid::appendRow()
{
    store::Table *t = m_model->table();
    if (!t || m_model->newRowUntouched())
        return;
    t->append();
}

void DBGrid::deleteRow()
{
    store::Table *t = m_model->table();
    if (!t || (t->isEmpty() && !t->isEditing()))
        return;
    if (!m_deleteQuestion.isEmpty() && platform::messages().confirmYesNo(m_deleteQuestion) != platform::Answer::Yes)
        return;
    t->remove();
}

void DBGrid::cancelRow()
{
    if (store::Table *t = m_model->table())
        t->cancel();
}

bool DBGrid::dropUntouchedRow()
{
    if (!m_model->newRowUntouched())
        return false;
    m_model->table()->cancel();
    return true;
}

void DBGrid::openEditor()
{
    if (!m_editable || !hasFocus())
        return;
    // An editor opened while the grid was not focused (when it was shown)
    // takes the focus the grid has now.
    if (state() == QAbstractItemView::EditingState) {
        if (QWidget *open = indexWidget(currentIndex()))
            open->setFocus();
        return;
    }
    const QModelIndex cell = currentIndex();
    if (cell.isValid() && (m_model->flags(cell) & Qt::ItemIsEditable))
        edit(cell);
}

QModelIndex DBGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex cell = currentIndex();
    if (!m_editable || !cell.isValid())
        return QTableView::moveCursor(cursorAction, modifiers);
    int first = 0, last = m_model->columnCount() - 1;
    while (first < last && isColumnHidden(first))
        ++first;
    while (last > first && isColumnHidden(last))
        --last;
    const bool lastLine = cell.row() == m_model->shownRows - 1;
    if (lastLine && (cursorAction == MoveDown || (cursorAction == MoveNext && cell.column() >= last))) {
        // A new row after the last line. Tab from the last cell of a new
        // row nothing was typed into leaves the grid, and the row goes.
        if (m_model->newRowUntouched()) {
            if (cursorAction != MoveNext)
                return cell;
            leave(true);
            return {};
        }
        platform::guarded([this] { appendRow(); });
        return m_model->index(m_model->currentLine(), cursorAction == MoveNext ? first : cell.column());
    }
    if (cursorAction == MoveNext && cell.column() >= last)
        return m_model->index(cell.row() + 1, first);
    if (cursorAction == MovePrevious && cell.column() <= first) {
        if (cell.row() > 0)
            return m_model->index(cell.row() - 1, last);
        // Shift+Tab from the first cell leaves the grid backwards.
        leave(false);
        return {};
    }
    return QTableView::moveCursor(cursorAction, modifiers);
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_editable && current.isValid() && !m_following)
        openEditor();
}

void DBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (m_editable && hint == QAbstractItemDelegate::RevertModelCache) {
        // Esc: the row's changes are dropped, the editor shows the row again.
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        platform::guarded([this] { cancelRow(); });
        follow();
        return;
    }
    QTableView::closeEditor(editor, hint);
    // Enter stores the cell; the editor stays shown.
    if (m_editable && hint != QAbstractItemDelegate::EditNextItem && hint != QAbstractItemDelegate::EditPreviousItem)
        openEditor();
}

void DBGrid::leave(bool forward)
{
    platform::guarded([this] { dropUntouchedRow(); });
    focusPastContainer(this, forward);
}

void DBGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    if (m_editable)
        QTimer::singleShot(0, this, [this] { openEditor(); });
}

bool DBGrid::handleKey(QKeyEvent *event)
{
    if (!m_editable) {
        // Enter opens the current line as a double click does; Delete asks
        // the window to delete it.
        const int row = currentIndex().row();
        if ((event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier || row < 0)
            return false;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            selected(row);
            emit rowActivated(row);
            return true;
        }
        if (event->key() == Qt::Key_Delete) {
            selected(row);
            emit deleteRequested(row);
            return true;
        }
        return false;
    }
    // Tab moves between the cells; Ctrl+Tab and Ctrl+Shift+Tab leave the grid.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        && (event->modifiers() & ~Qt::KeyboardModifiers(Qt::ShiftModifier)) == Qt::ControlModifier) {
        leave(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return true;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        platform::guarded([this] { deleteRow(); });
        return true;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        platform::guarded([this] { appendRow(); });
        return true;
    }
    return false;
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event))
        return;
    // A character typed while the cell's editor is open but the grid still
    // has the focus (it passes to the editor a moment later) is the
    // editor's: the view would take it for a search and drop it.
    const QString text = event->text();
    if (m_editable && state() == QAbstractItemView::EditingState && !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        if (QWidget *open = indexWidget(currentIndex())) {
            open->setFocus();
            QCoreApplication::sendEvent(open, event);
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

bool DBGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (handleKey(key))
            return true;
        // Up and Down move between the lines also from a closed pick list,
        // rather than changing its value on the way (Alt+Down opens it).
        if (qobject_cast<QComboBox *>(watched) && key->modifiers() == Qt::NoModifier
            && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace controls
