#include "tablefile.h"

#include "schema.h"
#include "sqlitestmt.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace store {

namespace {

// Opens read-only and without a hot journal being rolled back into the file:
// a file under check is never written.
sqlite3 *openReadOnly(const QString &path, QString *error)
{
    const QByteArray uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toUtf8() + "?mode=ro&immutable=1";
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        *error = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

} // namespace

QString checkTableFile(const QString &path, const TableDef &def)
{
    const QString broken = QStringLiteral("Die Datei ist beschädigt oder keine Tabellendatei (%1).");
    if (!QFileInfo(path).isFile())
        return QStringLiteral("Die Tabellendatei wurde nicht gefunden.");
    QString error;
    sqlite3 *db = openReadOnly(path, &error);
    if (!db)
        return broken.arg(error);
    QString result;
    {
        detail::Stmt check(db, QStringLiteral("PRAGMA integrity_check"));
        QStringList problems;
        while (check.step() == SQLITE_ROW)
            problems << check.column(0).toString();
        if (!check.ok())
            result = broken.arg(check.error());
        else if (problems != QStringList{QStringLiteral("ok")})
            result = broken.arg(problems.mid(0, 3).join(QStringLiteral("; ")));
    }
    if (result.isEmpty()) {
        detail::Stmt info(db, QStringLiteral("PRAGMA main.table_info(\"%1\")").arg(def.tableName));
        QStringList columns;
        while (info.step() == SQLITE_ROW)
            columns << info.column(1).toString();
        bool same = info.ok() && columns.size() == def.fields.size();
        for (int i = 0; same && i < columns.size(); ++i)
            same = columns[i].compare(def.fields[i].name, Qt::CaseInsensitive) == 0;
        if (!same)
            result = QStringLiteral("Die Datei enthält nicht die erwartete Tabelle „%1“.").arg(def.tableName);
    }
    sqlite3_close(db);
    return result;
}

QString tableFileAccessProblem(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("An ihrer Stelle steht ein Ordner, keine Tabellendatei.");
    if (!info.exists() && !info.isSymLink())
        return QStringLiteral("Die Tabellendatei wurde nicht gefunden.");
    if (!info.isFile())
        return info.isSymLink() ? QStringLiteral("Die Tabellendatei ist eine Verknüpfung, die ins Leere zeigt.")
                                : QStringLiteral("An ihrer Stelle steht keine gewöhnliche Datei.");
    if (info.size() == 0)
        return QStringLiteral("Die Tabellendatei ist leer (0 Byte); sie ist beschädigt.");
    if (!info.isReadable())
        return QStringLiteral("Die Tabellendatei darf nicht gelesen werden (fehlende Berechtigung).");
    // Opening for writing changes nothing, but is refused for everything the
    // program could not save in later, whatever the reason.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return QStringLiteral("Die Tabellendatei ist schreibgeschützt oder gesperrt; Lernora könnte darin nichts "
                              "speichern.");
    return {};
}

QString directoryWriteProblem(const QString &dir)
{
    const QFileInfo info(dir);
    if (!info.isDir())
        return QStringLiteral("Den Ordner gibt es nicht.");
    if (!info.isWritable())
        return QStringLiteral("Der Ordner ist schreibgeschützt; Lernora kann darin keine Dateien anlegen.");
    return {};
}

const TableDef *tableDefOfFile(const QString &fileName)
{
    for (const TableDef &def : tableDefs())
        if (def.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            return &def;
    return nullptr;
}

} // namespace store
