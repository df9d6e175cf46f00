#pragma once

// Reads a table file through a connection of its own, as another program
// would see the file on disk.

#include <QString>
#include <QVariant>
#include <sqlite3.h>

inline QVariantList probe(const QString &file, const QString &sql)
{
    QVariantList out;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
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
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}
