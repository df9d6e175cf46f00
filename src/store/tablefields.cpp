// store::Table: reading the fields of a row (the large ones from the file,
// when asked for), converting and setting them.

#include "table.h"

#include "refusal.h"
#include "sqlitestmt.h"
#include "storeerror.h"
#include "tableset.h"

#include <algorithm>
#include <climits>

namespace store {

using detail::Stmt;
using detail::quoted;

// ------------------------------------------------------------ large fields

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
    sqlite3_blob *opened = nullptr;
    const int rc = sqlite3_blob_open(m_set.connection(), m_schema.toUtf8().constData(),
                                     m_def.tableName.toUtf8().constData(), m_def.fields[f].name.toUtf8().constData(), id,
                                     0, &opened);
    const detail::Blob blob(opened);
    QByteArray head;
    if (rc == SQLITE_OK) {
        head.resize(std::min(count, sqlite3_blob_bytes(blob.get())));
        if (sqlite3_blob_read(blob.get(), head.data(), int(head.size()), 0) != SQLITE_OK)
            head.clear();
    }
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

} // namespace store
