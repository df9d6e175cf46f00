#pragma once

// Reads a table file through a connection of its own, as another program
// would see the file on disk.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <sqlite3.h>

#include "store/sqlitehandle.h"

inline QVariantList probe(const QString &file, const QString &sql)
{
    QVariantList out;
    int rc = SQLITE_OK;
    const store::detail::Connection connection =
        store::detail::openConnection(file.toUtf8(), SQLITE_OPEN_READONLY, &rc);
    if (rc != SQLITE_OK)
        return {QStringLiteral("<cannot open>")};
    sqlite3 *const db = connection.get();
    sqlite3_stmt *st = nullptr;
    rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    const store::detail::Statement statement(st);
    if (rc == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                if (sqlite3_column_type(st, i) == SQLITE_INTEGER)
                    out << qlonglong(sqlite3_column_int64(st, i));
                else if (sqlite3_column_type(st, i) == SQLITE_NULL)
                    out << QVariant();
                else
                    out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
            }
        }
    } else {
        out << QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    return out;
}

// The statements a connection runs for the time of a scope, as prepared.
class StatementLog
{
public:
    explicit StatementLog(sqlite3 *db) : m_db(db)
    {
        sqlite3_trace_v2(
            db, SQLITE_TRACE_STMT,
            [](unsigned, void *log, void *stmt, void *) {
                static_cast<QStringList *>(log)->append(
                    QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt *>(stmt))));
                return 0;
            },
            &m_statements);
    }
    ~StatementLog() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }
    StatementLog(const StatementLog &) = delete;
    StatementLog &operator=(const StatementLog &) = delete;
    // Those that start with `verb` (SELECT, UPDATE, ...) and name `word`.
    QStringList matching(const QString &verb, const QString &word) const
    {
        QStringList out;
        for (const QString &sql : m_statements)
            if (sql.startsWith(verb, Qt::CaseInsensitive) && sql.contains(word, Qt::CaseInsensitive))
                out << sql;
        return out;
    }

private:
    sqlite3 *m_db;
    QStringList m_statements;
};
