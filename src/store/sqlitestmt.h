#pragma once

// A prepared SQLite statement with QVariant binding; internal to the store.

#include "schema.h"
#include "sqlitehandle.h"

#include <QDate>
#include <QVariant>
#include <sqlite3.h>

namespace store::detail {

// A name (of a table, a field, an attached file) as SQL text.
inline QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

class Stmt
{
public:
    Stmt(sqlite3 *db, const QString &sql) : m_db(db)
    {
        const QByteArray s = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(db, s.constData(), int(s.size()), &m_stmt, nullptr);
        m_owner.reset(m_stmt);
    }
    // A statement held prepared by its owner (see Table::prepared): reset
    // and its bindings cleared when this goes, not finalized. A null handle
    // is a statement that did not prepare; error() then tells why.
    Stmt(sqlite3 *db, sqlite3_stmt *held) : m_db(db), m_stmt(held)
    {
        m_rc = held ? SQLITE_OK : sqlite3_errcode(db);
    }
    ~Stmt()
    {
        if (!m_owner && m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;

    bool ok() const { return m_rc == SQLITE_OK || m_rc == SQLITE_ROW || m_rc == SQLITE_DONE; }
    int rc() const { return m_rc; }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
    // The statement's text, for the detail of a message.
    QString sql() const { return m_stmt ? QString::fromUtf8(sqlite3_sql(m_stmt)) : QString(); }
    sqlite3_stmt *handle() const { return m_stmt; }

    void bind(int i, const QVariant &v)
    {
        if (!m_stmt)
            return;
        if (v.isNull() || !v.isValid()) {
            sqlite3_bind_null(m_stmt, i);
            return;
        }
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UInt:
            sqlite3_bind_int64(m_stmt, i, v.toLongLong());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob64(m_stmt, i, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate:
            bindText(i, v.toDate().toString(Qt::ISODate));
            break;
        default:
            bindText(i, v.toString());
        }
    }

    // SQLITE_ROW, SQLITE_DONE or an error code
    int step()
    {
        m_rc = m_stmt ? sqlite3_step(m_stmt) : m_rc;
        return m_rc;
    }

    int columnCount() const { return sqlite3_column_count(m_stmt); }
    QString columnName(int i) const { return QString::fromUtf8(sqlite3_column_name(m_stmt, i)); }

    // A column as the field type stores it; NULL gives an invalid QVariant.
    QVariant column(int i, FieldType t) const
    {
        if (sqlite3_column_type(m_stmt, i) == SQLITE_NULL)
            return {};
        switch (t) {
        case FieldType::Boolean:
            return sqlite3_column_int64(m_stmt, i) != 0;
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::AutoInc:
            return int(sqlite3_column_int64(m_stmt, i));
        case FieldType::Date: {
            const QDate d = QDate::fromString(text(i), Qt::ISODate);
            return d.isValid() ? QVariant(d) : QVariant();
        }
        case FieldType::Picture:
            return blob(i);
        default:
            return text(i);
        }
    }

    // A column by the type SQLite holds it in.
    QVariant column(int i) const
    {
        switch (sqlite3_column_type(m_stmt, i)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(m_stmt, i));
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_stmt, i);
        case SQLITE_BLOB:
            return blob(i);
        default:
            return text(i);
        }
    }

private:
    void bindText(int i, const QString &s)
    {
        const QByteArray b = s.toUtf8();
        sqlite3_bind_text64(m_stmt, i, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    QString text(int i) const
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
        return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, i));
    }
    QByteArray blob(int i) const
    {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(m_stmt, i));
        return QByteArray(p, sqlite3_column_bytes(m_stmt, i));
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    Statement m_owner; // m_stmt when this prepared it, finalized with it
    int m_rc = SQLITE_OK;
};

} // namespace store::detail
