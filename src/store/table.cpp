// store::Table: construction, the held statements, errors, opening and
// closing, loading the rows and emptying the table. The cursor, the fields
// and the writing of rows are in tablecursor.cpp, tablefields.cpp and
// tablepost.cpp.

#include "table.h"

#include "refusal.h"
#include "sqlitestmt.h"
#include "storeerror.h"
#include "tableset.h"

namespace store {

using detail::Stmt;
using detail::quoted;

Table::Table(TableSet &set, const TableDef &def) : m_set(set), m_def(def)
{
    setObjectName(def.handleName);
    selectIndex(def.index(QString()));
    // Pictures stay in the file until a row needs them: held for every row
    // they would make the memory grow with every picture stored.
    // The fields stored after a picture are read on demand as well: reading
    // them for every row would read each row's pictures to reach them.
    for (int i = 0; i < def.fields.size() && i < 64; ++i) {
        if (def.fields[i].type == FieldType::Picture)
            m_largeFields |= quint64(1) << i;
        if (m_largeFields)
            m_deferredFields |= quint64(1) << i;
    }
}

void Table::selectIndex(const IndexDef *index)
{
    m_index = index;
    m_keyFields.clear();
    for (const QString &name : index->fields)
        m_keyFields.push_back(m_def.fieldIndex(name));
}

// The held statements go with the table, before the table set closes the
// connection.
Table::~Table() = default;

sqlite3_stmt *Table::prepared(const QString &sql) const
{
    if (const auto held = m_statements.find(sql); held != m_statements.end())
        return held->second.get();
    // The updates differ by the fields that changed; a table that wrote
    // many kinds of them starts again rather than holding them all.
    constexpr int maxHeld = 32;
    if (int(m_statements.size()) >= maxHeld)
        const_cast<Table *>(this)->finalizeStatements();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    const int rc = sqlite3_prepare_v3(m_set.connection(), text.constData(), int(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    detail::Statement held(st);
    if (rc != SQLITE_OK)
        return nullptr;
    return m_statements.emplace(sql, std::move(held)).first->second.get();
}

void Table::finalizeStatements()
{
    m_statements.clear();
}

QString Table::filePath() const
{
    return m_set.filePath(m_def.fileName);
}

void Table::fail(const QString &what, const QString &detail) const
{
    throw StoreError(QStringLiteral("Tabelle %1:\n%2").arg(m_set.displayName(m_def.fileName), what), detail);
}

void Table::refuse(const QString &action, const detail::Stmt &st) const
{
    m_set.refuse(m_def.fileName, action, SqliteRefusal::of(m_set.connection(), st.sql()));
}

int Table::field(const QString &name) const
{
    const int i = m_def.fieldIndex(name);
    if (i < 0)
        fail(QStringLiteral("Das Feld „%1“ gibt es nicht.").arg(name));
    return i;
}

QString Table::qualifiedName() const
{
    return quoted(m_schema) + QLatin1Char('.') + quoted(m_def.tableName);
}

void Table::checkOpen() const
{
    if (!isOpen())
        fail(QStringLiteral("Die Tabelle ist nicht geöffnet."));
}

void Table::checkBrowseMode()
{
    checkOpen();
    if (isEditing())
        post();
}

void Table::setState(TableState s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged();
}

// ---------------------------------------------------------------- open/close

void Table::open()
{
    if (isOpen())
        return;
    m_schema = m_set.attach(*this);
    try {
        // Room for the pages of a row with pictures: an update of such a row
        // (renumbering, a changed text) then reads them from the file once.
        if (m_largeFields)
            setPageCacheLimit(largeRowCacheKib);
        loadRows();
    } catch (...) {
        finalizeStatements();
        m_set.detach(*this);
        m_schema.clear();
        throw;
    }
    m_state = TableState::Browse;
    rebuildOrder();
    rebuildView(0);
    m_pos = 0;
    m_bof = true;
    m_eof = m_view.empty();
    emit stateChanged();
    emit afterOpen();
    scrolled();
}

void Table::close()
{
    if (!isOpen())
        return;
    emit beforeClose();
    m_buffer.clear();
    finalizeStatements();
    m_set.detach(*this);
    m_schema.clear();
    m_rows.clear();
    m_order.clear();
    m_byId.clear();
    m_detailIndex.clear();
    m_lastRead.clear();
    m_view.clear();
    m_pos = 0;
    m_bof = m_eof = true;
    setState(TableState::Inactive);
    scrolled();
}

void Table::loadRows()
{
    // The file must hold this table with exactly the program's fields.
    {
        Stmt info(m_set.connection(),
                  QStringLiteral("PRAGMA %1.table_info(%2)").arg(quoted(m_schema), quoted(m_def.tableName)));
        QStringList columns;
        while (info.step() == SQLITE_ROW)
            columns << info.column(1).toString();
        if (!info.ok())
            refuse(QStringLiteral("Die Tabellendatei kann nicht gelesen werden."), info);
        bool same = columns.size() == m_def.fields.size();
        for (int i = 0; same && i < columns.size(); ++i)
            same = columns[i].compare(m_def.fields[i].name, Qt::CaseInsensitive) == 0;
        if (!same)
            fail(QStringLiteral("Die Datei enthält nicht die erwartete Tabelle „%1“; sie ist beschädigt oder gehört nicht "
                                "zu diesem Programm.")
                     .arg(m_def.tableName));
    }
    QStringList cols{QStringLiteral("rowid")};
    for (int i = 0; i < m_def.fields.size(); ++i) {
        // A picture only says whether it holds a value: its length comes
        // from the row's header, without reading the picture.
        if (m_largeFields & (quint64(1) << i))
            cols << QStringLiteral("length(%1)").arg(quoted(m_def.fields[i].name));
        else if (!(m_deferredFields & (quint64(1) << i)))
            cols << quoted(m_def.fields[i].name);
    }
    Stmt st(m_set.connection(), QStringLiteral("SELECT %1 FROM %2").arg(cols.join(QLatin1Char(',')), qualifiedName()));
    std::vector<Row> rows;
    const int n = int(m_def.fields.size());
    while (st.step() == SQLITE_ROW) {
        Row r;
        r.id = sqlite3_column_int64(st.handle(), 0);
        r.values.resize(n);
        for (int i = 0, column = 1; i < n; ++i) {
            const quint64 bit = quint64(1) << i;
            if (m_largeFields & bit) {
                if (sqlite3_column_int64(st.handle(), column++) > 0)
                    r.onFile |= bit;
            } else if (m_deferredFields & bit) {
                r.onFile |= bit;
            } else {
                r.values[i] = st.column(column++, m_def.fields[i].type);
            }
        }
        rows.push_back(std::move(r));
    }
    if (st.rc() != SQLITE_DONE)
        refuse(QStringLiteral("Die Tabellendatei kann nicht gelesen werden."), st);
    m_rows = std::move(rows);
    m_lastRead.clear();
}

void Table::refresh()
{
    if (!isOpen())
        return;
    const qint64 id = isEditing() ? m_editId : currentId();
    loadRows();
    rebuildOrder();
    rebuildView(id);
    scrolled();
}

void Table::setPageCacheLimit(int kib)
{
    // A negative size counts KiB.
    Stmt st(m_set.connection(), QStringLiteral("PRAGMA %1.cache_size=%2").arg(quoted(m_schema)).arg(-qint64(kib)));
    st.step();
}

void Table::emptyTable()
{
    // A delete without a condition rewrites the file even when the table is
    // empty already; with one, an empty table's file stays untouched.
    const QString deleteAll = QStringLiteral("DELETE FROM %1 WHERE EXISTS (SELECT 1 FROM %1)");
    if (!isOpen()) {
        m_set.run(deleteAll.arg(quoted(m_def.tableName)), m_def.fileName);
        return;
    }
    if (isEditing())
        cancel();
    Stmt st(m_set.connection(), deleteAll.arg(qualifiedName()));
    if (st.step() != SQLITE_DONE)
        refuse(QStringLiteral("Die Tabelle konnte nicht geleert werden."), st);
    m_rows.clear();
    m_lastRead.clear();
    rebuildOrder();
    rebuildView(0);
    scrolled();
}

} // namespace store
