// store::Table: editing and writing rows (append, edit, post, cancel,
// remove) and the before-images that put them back.

#include "table.h"

#include "refusal.h"
#include "sqlitestmt.h"
#include "storeerror.h"
#include "tableset.h"

#include <algorithm>

namespace store {

using detail::Stmt;
using detail::quoted;

// ------------------------------------------------------------------- editing

void Table::append()
{
    checkBrowseMode();
    m_beforeInsert = currentId();
    m_buffer = QVector<QVariant>(m_def.fields.size());
    m_bufferOnFile = 0;
    if (m_master) {
        if (const QVector<QVariant> *mv = m_master->currentValues())
            m_buffer[m_detailField] = (*mv)[m_masterField];
    }
    m_editId = 0;
    setState(TableState::Insert);
    scrolled();
}

void Table::edit()
{
    checkOpen();
    if (isEditing())
        return;
    if (m_view.empty()) {
        append();
        return;
    }
    m_buffer = m_rows[m_view[m_pos]].values;
    m_bufferOnFile = m_rows[m_view[m_pos]].onFile;
    m_editId = currentId();
    setState(TableState::Edit);
}

void Table::post()
{
    checkOpen();
    if (!isEditing())
        return;
    emit beforePost();
    for (int i = 0; i < m_def.fields.size(); ++i) {
        const FieldDef &fd = m_def.fields[i];
        if (fd.required && (m_buffer[i].isNull() || !m_buffer[i].isValid()) && !(m_bufferOnFile & (quint64(1) << i)))
            fail(QStringLiteral("Das Feld „%1“ muss einen Wert haben; bitte füllen Sie es aus.").arg(fd.name));
    }
    const int autoField = m_def.autoIncField();
    const bool inserting = m_state == TableState::Insert;
    // An update writes the fields that changed: renumbering a report does
    // not write its texts again.
    const Row *stored = inserting ? nullptr : &m_rows[m_byId.value(m_editId)];
    QStringList cols, marks;
    QVariantList values;
    quint64 changed = 0;
    for (int i = 0; i < m_def.fields.size(); ++i) {
        const quint64 bit = quint64(1) << i;
        // A large value left in the file is left as it is.
        if (i == autoField || (m_bufferOnFile & bit))
            continue;
        if (stored && !(stored->onFile & bit) && stored->values[i] == m_buffer[i])
            continue;
        changed |= bit;
        cols << quoted(m_def.fields[i].name);
        marks << (m_state == TableState::Insert ? QStringLiteral("?") : quoted(m_def.fields[i].name) + QStringLiteral("=?"));
        values << m_buffer[i];
    }
    const QString sql = inserting
                            ? QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(qualifiedName(), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                            : QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(qualifiedName(), marks.join(QLatin1Char(',')));
    // An update that changes nothing writes nothing.
    if (inserting || !marks.isEmpty()) {
        if (!inserting)
            noteBeforeImage(m_editId, changed);
        Stmt st(m_set.connection(), prepared(sql));
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values[i]);
        if (!inserting)
            st.bind(int(values.size()) + 1, m_editId);
        if (st.step() != SQLITE_DONE) {
            const int ext = sqlite3_extended_errcode(m_set.connection());
            if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
                fail(QStringLiteral("Schlüsselverletzung: ein Datensatz mit diesem Schlüssel ist schon vorhanden."));
            if (ext == SQLITE_CONSTRAINT_NOTNULL)
                fail(QStringLiteral("Ein Pflichtfeld hat keinen Wert."), refusalDetail(SqliteRefusal::of(m_set.connection(), st.sql())));
            refuse(QStringLiteral("Der Datensatz konnte nicht gespeichert werden."), st);
        }
    }
    qint64 id = m_editId;
    int row;
    if (inserting) {
        id = sqlite3_last_insert_rowid(m_set.connection());
        if (m_keepBefore && !m_before.contains(id))
            m_before.insert(id, {true, 0, {}});
        if (autoField >= 0)
            m_buffer[autoField] = int(id);
        row = int(m_rows.size());
        m_rows.push_back(Row{id, m_buffer, 0});
        m_byId.insert(id, row);
    } else {
        row = m_byId.value(id);
        removeOrdered(row);
        unindexDetail(id, m_rows[row].values);
        m_rows[row].values = m_buffer;
        m_rows[row].onFile = m_bufferOnFile;
    }
    leaveOnFile(m_rows[row]);
    // What was read of the fields this post left as they were stays true.
    forgetRead(id, inserting ? allFields() : changed);
    indexDetail(id, m_buffer);
    insertOrdered(row);
    m_buffer.clear();
    m_bufferOnFile = 0;
    m_editId = 0;
    setState(TableState::Browse);
    rebuildView(id);
    if (!m_view.empty())
        m_bof = m_eof = false;
    emit afterPost();
    scrolled();
}

void Table::cancel()
{
    if (!isEditing())
        return;
    const qint64 back = m_state == TableState::Insert ? m_beforeInsert : m_editId;
    m_buffer.clear();
    m_editId = 0;
    setState(TableState::Browse);
    rebuildView(back);
    scrolled();
}

void Table::remove()
{
    checkOpen();
    if (m_state == TableState::Insert) {
        cancel();
        return;
    }
    if (m_state == TableState::Edit)
        cancel();
    if (m_view.empty())
        fail(QStringLiteral("Die Tabelle ist leer; es gibt keinen Datensatz zum Löschen."));
    const qint64 id = currentId();
    noteBeforeImage(id, allFields());
    Stmt st(m_set.connection(), prepared(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(qualifiedName())));
    st.bind(1, id);
    if (st.step() != SQLITE_DONE)
        refuse(QStringLiteral("Der Datensatz konnte nicht gelöscht werden."), st);
    // The last row takes the place of the deleted one in m_rows.
    forgetRead(id, allFields()); // a later row may take the identity of the deleted one
    const int row = m_byId.take(id), lastRow = int(m_rows.size()) - 1;
    removeOrdered(row);
    unindexDetail(id, m_rows[row].values);
    if (row != lastRow) {
        std::replace(m_order.begin(), m_order.end(), lastRow, row);
        m_rows[row] = std::move(m_rows[lastRow]);
        m_byId.insert(m_rows[row].id, row);
    }
    m_rows.pop_back();
    rebuildView(0);
    m_eof = m_view.empty();
    m_bof = m_view.empty();
    scrolled();
}

// ------------------------------------------------------------- before-images

void Table::keepBeforeImages()
{
    m_before.clear();
    m_keepBefore = true;
}

void Table::dropBeforeImages()
{
    m_before.clear();
    m_keepBefore = false;
}

quint64 Table::allFields() const
{
    return m_def.fields.size() >= 64 ? ~quint64(0) : (quint64(1) << m_def.fields.size()) - 1;
}

void Table::noteBeforeImage(qint64 id, quint64 fields)
{
    if (!m_keepBefore || !fields)
        return;
    BeforeImage &before = m_before[id];
    const quint64 missing = fields & ~before.known;
    if (before.added || !missing)
        return;
    QStringList names;
    for (int i = 0; i < m_def.fields.size(); ++i)
        if (missing & (quint64(1) << i))
            names << quoted(m_def.fields[i].name);
    Stmt st(m_set.connection(),
            QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(names.join(QLatin1Char(',')), qualifiedName()));
    st.bind(1, id);
    if (st.step() != SQLITE_ROW) {
        if (!before.known)
            m_before.remove(id);
        refuse(QStringLiteral("Der Datensatz konnte nicht gelesen werden."), st);
    }
    before.values.resize(m_def.fields.size());
    for (int i = 0, column = 0; i < m_def.fields.size(); ++i)
        if (missing & (quint64(1) << i))
            before.values[i] = st.column(column++, m_def.fields[i].type);
    before.known |= missing;
}

void Table::putBackBeforeImages()
{
    checkOpen();
    if (isEditing())
        cancel();
    if (m_before.isEmpty())
        return;
    const int autoField = m_def.autoIncField();
    const quint64 all = allFields();
    const QString remove = QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(qualifiedName());
    const auto run = [&](const QString &sql, const QVector<QVariant> &values, quint64 fields, qint64 id) {
        Stmt st(m_set.connection(), sql);
        int n = 1;
        for (int i = 0; i < values.size(); ++i)
            if (i != autoField && (fields & (quint64(1) << i)))
                st.bind(n++, values[i]);
        st.bind(n, id);
        if (st.step() != SQLITE_DONE)
            refuse(QStringLiteral("Der frühere Stand eines Datensatzes konnte nicht wiederhergestellt werden."), st);
        return sqlite3_changes(m_set.connection());
    };
    try {
        for (auto it = m_before.cbegin(); it != m_before.cend(); ++it) {
            const BeforeImage &before = it.value();
            if (before.added) {
                run(remove, {}, 0, it.key());
                continue;
            }
            QStringList cols, sets, marks;
            for (int i = 0; i < m_def.fields.size(); ++i) {
                if (i == autoField || !(before.known & (quint64(1) << i)))
                    continue;
                cols << quoted(m_def.fields[i].name);
                sets << quoted(m_def.fields[i].name) + QStringLiteral("=?");
                marks << QStringLiteral("?");
            }
            if (sets.isEmpty())
                continue;
            const QString update =
                QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(qualifiedName(), sets.join(QLatin1Char(',')));
            // A deleted row was noted whole: it comes back with its identity.
            if (run(update, before.values, before.known, it.key()) == 0 && (before.known & all) == all)
                run(QStringLiteral("INSERT INTO %1 (%2, rowid) VALUES (%3, ?)")
                        .arg(qualifiedName(), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                    before.values, before.known, it.key());
        }
    } catch (...) {
        refresh();
        throw;
    }
    refresh();
}

} // namespace store
