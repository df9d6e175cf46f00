#include "table.h"

#include "refusal.h"

#include "sqlitestmt.h"
#include "storeerror.h"
#include "tableset.h"

#include <algorithm>
#include <climits>

namespace store {

using detail::Stmt;

namespace {

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

int compareValues(const QVariant &a, const QVariant &b, FieldType type, bool caseInsensitive)
{
    const bool na = a.isNull() || !a.isValid(), nb = b.isNull() || !b.isValid();
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::RichMemo: {
        const int c = a.toString().compare(b.toString(), caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case FieldType::Date: {
        const qint64 x = a.toDate().toJulianDay(), y = b.toDate().toJulianDay();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Picture: {
        const int c = a.toByteArray().compare(b.toByteArray());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    default: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    }
}

} // namespace

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

Table::~Table()
{
    finalizeStatements();
}

sqlite3_stmt *Table::prepared(const QString &sql) const
{
    if (sqlite3_stmt *held = m_statements.value(sql))
        return held;
    // The updates differ by the fields that changed; a table that wrote
    // many kinds of them starts again rather than holding them all.
    constexpr int maxHeld = 32;
    if (m_statements.size() >= maxHeld)
        const_cast<Table *>(this)->finalizeStatements();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v3(m_set.connection(), text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &st,
                           nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(st);
        return nullptr;
    }
    m_statements.insert(sql, st);
    return st;
}

void Table::finalizeStatements()
{
    for (sqlite3_stmt *st : std::as_const(m_statements))
        sqlite3_finalize(st);
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

QVariant Table::readLarge(qint64 id, int f) const
{
    const auto last = m_lastRead.constFind(f);
    if (last != m_lastRead.constEnd() && last->first == id)
        return last->second;
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(quoted(m_def.fields[f].name), qualifiedName());
    Stmt st(m_set.connection(), prepared(sql));
    st.bind(1, id);
    QVariant v;
    if (st.step() == SQLITE_ROW)
        v = st.column(0, m_def.fields[f].type);
    else if (!st.ok())
        refuse(QStringLiteral("Die Tabellendatei kann nicht gelesen werden."), st);
    m_lastRead.insert(f, {id, v});
    return v;
}

QVariant Table::fieldValue(qint64 id, const QVector<QVariant> &values, quint64 onFile, int f) const
{
    if (onFile & (quint64(1) << f))
        return readLarge(id, f);
    return values[f];
}

void Table::forgetRead(qint64 id, quint64 fields)
{
    for (auto it = m_lastRead.begin(); it != m_lastRead.end();)
        it = it->first == id && (fields & (quint64(1) << it.key())) ? m_lastRead.erase(it) : std::next(it);
}

void Table::leaveOnFile(Row &row) const
{
    for (int i = 0; i < row.values.size(); ++i) {
        const quint64 bit = quint64(1) << i;
        if ((m_largeFields & bit) && !row.values[i].isNull() && row.values[i].isValid()) {
            row.values[i] = QVariant();
            row.onFile |= bit;
        }
    }
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

// ------------------------------------------------------------ order and view

bool Table::orderedBefore(int x, int y) const
{
    const QVector<QVariant> &a = m_rows[x].values, &b = m_rows[y].values;
    for (int f : m_keyFields) {
        const int c = compareValues(a[f], b[f], m_def.fields[f].type, m_index->caseInsensitive);
        if (c)
            return c < 0;
    }
    return m_rows[x].id < m_rows[y].id;
}

void Table::insertOrdered(int row)
{
    m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), row,
                                    [this](int a, int b) { return orderedBefore(a, b); }),
                   row);
}

void Table::removeOrdered(int row)
{
    const auto it = std::lower_bound(m_order.begin(), m_order.end(), row,
                                     [this](int a, int b) { return orderedBefore(a, b); });
    if (it != m_order.end() && *it == row)
        m_order.erase(it);
    else
        m_order.erase(std::find(m_order.begin(), m_order.end(), row));
}

int Table::compareToKey(const QVector<QVariant> &row, const QVariantList &key) const
{
    const int count = std::min<int>(int(key.size()), int(m_keyFields.size()));
    for (int i = 0; i < count; ++i) {
        const int f = m_keyFields[i];
        const int c = compareValues(row[f], convert(f, key[i]), m_def.fields[f].type, m_index->caseInsensitive);
        if (c)
            return c;
    }
    return 0;
}

void Table::rebuildOrder()
{
    m_order.resize(m_rows.size());
    m_byId.clear();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        m_order[i] = int(i);
        m_byId.insert(m_rows[i].id, int(i));
    }
    std::sort(m_order.begin(), m_order.end(), [this](int x, int y) { return orderedBefore(x, y); });
    rebuildDetailIndex();
}

void Table::rebuildDetailIndex()
{
    m_detailIndex.clear();
    if (!m_master)
        return;
    for (const Row &r : m_rows)
        m_detailIndex[detailKey(r.values)].append(r.id);
}

void Table::indexDetail(qint64 id, const QVector<QVariant> &values)
{
    if (m_master)
        m_detailIndex[detailKey(values)].append(id);
}

void Table::unindexDetail(qint64 id, const QVector<QVariant> &values)
{
    if (!m_master)
        return;
    const auto it = m_detailIndex.find(detailKey(values));
    if (it == m_detailIndex.end())
        return;
    it->removeOne(id);
    if (it->isEmpty())
        m_detailIndex.erase(it);
}

bool Table::visible(const Row &row) const
{
    if (m_master) {
        const QVector<QVariant> *mv = m_master->currentValues();
        if (!mv)
            return false;
        const QVariant &key = (*mv)[m_masterField];
        if (key.isNull() || !key.isValid() || row.values[m_detailField].toLongLong() != key.toLongLong())
            return false;
    }
    if (m_range && (compareToKey(row.values, m_range->from) < 0 || compareToKey(row.values, m_range->to) > 0))
        return false;
    if (m_filtered && m_filter && !m_filter->matches(row.values))
        return false;
    return true;
}

void Table::rebuildView(qint64 keepId)
{
    const int keepRow = keepId ? m_byId.value(keepId, -1) : -1;
    if (!m_master && !m_range && !(m_filtered && m_filter)) {
        m_view = m_order; // the cursor sees every row
    } else if (m_master) {
        // The rows of the master's key, from the detail index, in index order.
        m_view.clear();
        const QVector<QVariant> *mv = m_master->currentValues();
        const QVariant key = mv ? (*mv)[m_masterField] : QVariant();
        if (!key.isNull() && key.isValid()) {
            for (qint64 id : m_detailIndex.value(key.toLongLong())) {
                const int row = m_byId.value(id, -1);
                if (row >= 0 && visible(m_rows[row]))
                    m_view.push_back(row);
            }
            std::sort(m_view.begin(), m_view.end(), [this](int x, int y) { return orderedBefore(x, y); });
        }
    } else {
        // A range is a stretch of the index order: found by binary search.
        auto from = m_order.begin(), to = m_order.end();
        if (m_range) {
            from = std::lower_bound(m_order.begin(), m_order.end(), 0, [this](int row, int) {
                return compareToKey(m_rows[row].values, m_range->from) < 0;
            });
            to = std::upper_bound(from, m_order.end(), 0, [this](int, int row) {
                return compareToKey(m_rows[row].values, m_range->to) > 0;
            });
        }
        m_view.clear();
        for (auto it = from; it != to; ++it)
            if (visible(m_rows[*it]))
                m_view.push_back(*it);
    }
    const auto found = keepRow < 0 ? m_view.end() : std::find(m_view.begin(), m_view.end(), keepRow);
    if (found != m_view.end())
        m_pos = int(found - m_view.begin());
    else
        m_pos = std::clamp(m_pos, 0, std::max(0, int(m_view.size()) - 1));
    if (m_view.empty())
        m_bof = m_eof = true;
}

qint64 Table::currentId() const
{
    return m_view.empty() ? 0 : m_rows[m_view[m_pos]].id;
}

const QVector<QVariant> *Table::currentValues() const
{
    if (isEditing())
        return &m_buffer;
    if (m_view.empty())
        return nullptr;
    return &m_rows[m_view[m_pos]].values;
}

void Table::scrolled()
{
    // Detail tables follow before anyone hears of the move.
    for (Table *t : m_set.detailsOf(this))
        t->masterScrolled();
    emit afterScroll();
}

void Table::masterScrolled()
{
    if (!isOpen())
        return;
    if (isEditing())
        post();
    rebuildView(0);
    m_pos = 0;
    m_bof = true;
    m_eof = m_view.empty();
    scrolled();
}

// ---------------------------------------------------------------- navigation

void Table::first()
{
    checkBrowseMode();
    m_pos = 0;
    m_bof = true;
    m_eof = m_view.empty();
    scrolled();
}

void Table::last()
{
    checkBrowseMode();
    m_pos = std::max(0, int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
    scrolled();
}

bool Table::next()
{
    checkBrowseMode();
    if (m_pos + 1 < int(m_view.size())) {
        ++m_pos;
        m_bof = m_eof = false;
        scrolled();
        return true;
    }
    m_eof = true;
    return false;
}

bool Table::prior()
{
    checkBrowseMode();
    if (m_pos > 0 && !m_view.empty()) {
        --m_pos;
        m_bof = m_eof = false;
        scrolled();
        return true;
    }
    m_bof = true;
    return false;
}

void Table::moveBy(int distance)
{
    checkBrowseMode();
    if (m_view.empty())
        return;
    const int target = m_pos + distance;
    m_bof = target < 0;
    m_eof = target >= int(m_view.size());
    m_pos = std::clamp(target, 0, int(m_view.size()) - 1);
    scrolled();
}

bool Table::moveTo(int recNo)
{
    checkBrowseMode();
    if (recNo < 0 || recNo >= int(m_view.size()))
        return false;
    m_pos = recNo;
    m_bof = m_eof = false;
    scrolled();
    return true;
}

// -------------------------------------------------------------------- fields

QVariant Table::valueAt(int recNo, const QString &name) const
{
    const int f = field(name);
    if (recNo < 0 || recNo >= int(m_view.size()))
        return {};
    if (recNo == m_pos && m_state == TableState::Edit)
        return fieldValue(m_editId, m_buffer, m_bufferOnFile, f);
    const Row &row = m_rows[m_view[recNo]];
    return fieldValue(row.id, row.values, row.onFile, f);
}

QVariant Table::value(const QString &name) const
{
    const int f = field(name);
    if (isEditing())
        return fieldValue(m_editId, m_buffer, m_bufferOnFile, f);
    if (m_view.empty())
        return {};
    const Row &row = m_rows[m_view[m_pos]];
    return fieldValue(row.id, row.values, row.onFile, f);
}

bool Table::isNull(const QString &name) const
{
    const int f = field(name);
    const quint64 bit = quint64(1) << f;
    if ((m_largeFields & bit) && (currentOnFile().second & bit))
        return false; // a picture held in the file
    const QVariant v = value(name);
    return v.isNull() || !v.isValid();
}

QString Table::asString(const QString &name) const
{
    const int f = field(name);
    const QVariant v = value(name);
    if (v.isNull() || !v.isValid())
        return {};
    if (m_def.fields[f].type == FieldType::Date)
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    if (m_def.fields[f].type == FieldType::Boolean)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

int Table::asInt(const QString &name) const
{
    const QVariant v = value(name);
    return v.isNull() ? 0 : v.toInt();
}

bool Table::asBool(const QString &name) const
{
    const QVariant v = value(name);
    return !v.isNull() && v.toBool();
}

QDate Table::asDate(const QString &name) const
{
    return value(name).toDate();
}

QByteArray Table::asBytes(const QString &name) const
{
    return value(name).toByteArray();
}

// The identity of the current row and which of its fields stay in the file.
std::pair<qint64, quint64> Table::currentOnFile() const
{
    if (isEditing())
        return {m_editId, m_bufferOnFile};
    if (m_view.empty())
        return {0, 0};
    const Row &row = m_rows[m_view[m_pos]];
    return {row.id, row.onFile};
}

qint64 Table::byteSize(const QString &name) const
{
    const int f = field(name);
    const auto [id, onFile] = currentOnFile();
    if (!(onFile & (quint64(1) << f)))
        return value(name).toByteArray().size();
    Stmt st(m_set.connection(), prepared(QStringLiteral("SELECT length(%1) FROM %2 WHERE rowid=?")
                                             .arg(quoted(m_def.fields[f].name), qualifiedName())));
    st.bind(1, id);
    return st.step() == SQLITE_ROW ? sqlite3_column_int64(st.handle(), 0) : 0;
}

QByteArray Table::leadingBytes(const QString &name, int count) const
{
    const int f = field(name);
    const auto [id, onFile] = currentOnFile();
    if (!(onFile & (quint64(1) << f)))
        return value(name).toByteArray().left(count);
    // An open blob reads the pages it needs, not the whole value.
    sqlite3_blob *blob = nullptr;
    QByteArray head;
    if (sqlite3_blob_open(m_set.connection(), m_schema.toUtf8().constData(), m_def.tableName.toUtf8().constData(),
                          m_def.fields[f].name.toUtf8().constData(), id, 0, &blob)
        == SQLITE_OK) {
        head.resize(std::min(count, sqlite3_blob_bytes(blob)));
        if (sqlite3_blob_read(blob, head.data(), int(head.size()), 0) != SQLITE_OK)
            head.clear();
    }
    sqlite3_blob_close(blob);
    return head;
}

QVariant Table::convert(int f, const QVariant &value) const
{
    const FieldDef &fd = m_def.fields[f];
    if (!value.isValid() || value.isNull())
        return {};
    const bool isText = value.typeId() == QMetaType::QString;
    switch (fd.type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (isText && value.toString().trimmed().isEmpty())
            return {};
        bool ok = false;
        const qint64 n = isText ? value.toString().trimmed().toLongLong(&ok) : value.toLongLong(&ok);
        if (!ok)
            fail(QStringLiteral("„%1“ ist kein gültiger Wert für das Feld „%2“.").arg(value.toString(), fd.name));
        const qint64 lo = fd.type == FieldType::SmallInt ? -32768 : INT_MIN;
        const qint64 hi = fd.type == FieldType::SmallInt ? 32767 : INT_MAX;
        if (n < lo || n > hi)
            fail(QStringLiteral("Der Wert %1 liegt außerhalb des Bereichs des Feldes „%2“.").arg(n).arg(fd.name));
        return int(n);
    }
    case FieldType::Boolean:
        if (isText) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return {};
            return s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1");
        }
        return value.toBool();
    case FieldType::Date: {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? value : QVariant();
        const QString s = value.toString().trimmed();
        if (s.isEmpty())
            return {};
        QDate d = dateFromText(s);
        if (!d.isValid())
            d = QDate::fromString(s, Qt::ISODate);
        if (!d.isValid())
            fail(QStringLiteral("„%1“ ist kein gültiges Datum für das Feld „%2“.").arg(s, fd.name));
        return d;
    }
    case FieldType::String: {
        const QString s = value.toString().left(fd.size);
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Memo:
    case FieldType::RichMemo: {
        const QString s = value.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Picture: {
        const QByteArray b = value.toByteArray();
        return b.isEmpty() ? QVariant() : QVariant(b);
    }
    }
    return {};
}

void Table::setValue(const QString &name, const QVariant &value)
{
    const int f = field(name);
    if (!isEditing())
        fail(QStringLiteral("Die Tabelle ist nicht im Bearbeitungsmodus; das Feld „%1“ kann nicht gesetzt werden.")
                 .arg(m_def.fields[f].name));
    if (m_def.fields[f].type == FieldType::AutoInc)
        fail(QStringLiteral("Das Feld „%1“ wird vom Programm vergeben und kann nicht geändert werden.")
                 .arg(m_def.fields[f].name));
    m_buffer[f] = convert(f, value);
    m_bufferOnFile &= ~(quint64(1) << f);
    emit fieldChanged(m_def.fields[f].name);
}

void Table::clearValue(const QString &name)
{
    setValue(name, QVariant());
}

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
    emit afterDelete();
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

// ------------------------------------------------------------------- indexes

void Table::setIndexName(const QString &name)
{
    checkBrowseMode();
    const IndexDef *ix = m_def.index(name);
    if (!ix)
        fail(QStringLiteral("Den Index „%1“ gibt es nicht.").arg(name));
    if (ix == m_index)
        return;
    const qint64 id = currentId();
    selectIndex(ix);
    m_range.reset();
    rebuildOrder();
    rebuildView(id);
    scrolled();
}

bool Table::findKey(const QVariantList &key)
{
    checkBrowseMode();
    const auto it = std::lower_bound(m_view.begin(), m_view.end(), 0,
                                     [&](int row, int) { return compareToKey(m_rows[row].values, key) < 0; });
    if (it == m_view.end() || compareToKey(m_rows[*it].values, key) != 0)
        return false;
    m_pos = int(it - m_view.begin());
    m_bof = m_eof = false;
    scrolled();
    return true;
}

void Table::findNearest(const QVariantList &key)
{
    checkBrowseMode();
    if (m_view.empty())
        return;
    const auto it = std::lower_bound(m_view.begin(), m_view.end(), 0,
                                     [&](int row, int) { return compareToKey(m_rows[row].values, key) < 0; });
    m_pos = std::min(int(it - m_view.begin()), int(m_view.size()) - 1);
    m_bof = m_eof = false;
    scrolled();
}

void Table::setRange(const QVariantList &from, const QVariantList &to)
{
    checkBrowseMode();
    m_range = Range{from, to};
    rebuildView(0);
    first();
}

void Table::cancelRange()
{
    checkBrowseMode();
    if (!m_range)
        return;
    const qint64 id = currentId();
    m_range.reset();
    rebuildView(id);
    scrolled();
}

void Table::setFilter(const QString &expression)
{
    if (isOpen())
        checkBrowseMode();
    if (expression.trimmed().isEmpty())
        m_filter.reset();
    else
        m_filter.emplace(expression, m_def);
    m_filterText = expression;
    if (m_filtered && isOpen()) {
        rebuildView(0);
        first();
    }
}

void Table::setFiltered(bool on)
{
    if (isOpen())
        checkBrowseMode();
    if (on == m_filtered)
        return;
    const qint64 id = currentId();
    m_filtered = on;
    if (!isOpen())
        return;
    rebuildView(id);
    if (on)
        first();
    else
        scrolled();
}

// ----------------------------------------------------------------- bookmarks

Table::Bookmark Table::bookmark() const
{
    return currentId();
}

bool Table::bookmarkValid(Bookmark bm) const
{
    return bm && std::any_of(m_view.begin(), m_view.end(), [&](int i) { return m_rows[i].id == bm; });
}

bool Table::gotoBookmark(Bookmark bm)
{
    checkBrowseMode();
    for (int i = 0; i < int(m_view.size()); ++i) {
        if (m_rows[m_view[i]].id == bm) {
            m_pos = i;
            m_bof = m_eof = false;
            scrolled();
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------- view

Table::View Table::view() const
{
    View v;
    v.index = m_index ? m_index->name : QString();
    if (m_range) {
        v.ranged = true;
        v.rangeFrom = m_range->from;
        v.rangeTo = m_range->to;
    }
    v.filter = m_filterText;
    v.filtered = m_filtered;
    v.row = currentId();
    v.recNo = std::max(0, recNo());
    return v;
}

void Table::setView(const View &v)
{
    checkBrowseMode();
    const IndexDef *ix = m_def.index(v.index);
    if (!ix)
        fail(QStringLiteral("Den Index „%1“ gibt es nicht.").arg(v.index));
    // Everything is set before the rows are sorted and selected once.
    std::optional<Filter> filter;
    if (!v.filter.trimmed().isEmpty())
        filter.emplace(v.filter, m_def);
    if (ix != m_index) {
        selectIndex(ix);
        rebuildOrder();
    }
    if (v.ranged)
        m_range = Range{v.rangeFrom, v.rangeTo};
    else
        m_range.reset();
    m_filter = std::move(filter);
    m_filterText = v.filter;
    m_filtered = v.filtered;
    m_pos = v.recNo;
    rebuildView(v.row);
    m_bof = m_eof = m_view.empty();
    scrolled();
}

// ------------------------------------------------------------- master-detail

void Table::setMaster(Table *master, const QString &masterField, const QString &detailField)
{
    m_master = master;
    m_masterField = master ? master->field(masterField) : -1;
    m_detailField = master ? field(detailField) : -1;
    rebuildDetailIndex();
    m_set.linkDetail(this, master);
    if (isOpen())
        masterScrolled();
}

} // namespace store
