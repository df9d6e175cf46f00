#include "tablefile.h"

#include "schema.h"
#include "sqlitestmt.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QFileInfo>
#include <QUrl>

namespace store {

namespace {

// A file opened through this is read only, and without a hot journal being
// rolled back into it: a file under check is never written.
QByteArray readOnlyUri(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toUtf8() + "?mode=ro&immutable=1";
}

detail::Connection openReadOnly(const QString &path, QString *error)
{
    int rc = SQLITE_OK;
    detail::Connection db = detail::openConnection(readOnlyUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &rc);
    if (rc != SQLITE_OK) {
        *error = QString::fromUtf8(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc));
        return nullptr;
    }
    return db;
}

// What a table file holds besides the table of `def` and its plain indexes,
// said for the user; empty when nothing. A view in the table's place, a
// trigger, a virtual table (which reads from outside the file) or a
// computed index would run or change things the program knows nothing of.
QString foreignContent(sqlite3 *db, const TableDef &def, QString *detail)
{
    const QString refusal = QStringLiteral("Die Datei enthält %1; Lernora übernimmt nur die Tabelle „%2“ selbst.");
    // What runs or reads elsewhere is named first.
    detail::Stmt entries(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM main.sqlite_master ORDER BY "
                                            "CASE type WHEN 'view' THEN 0 WHEN 'trigger' THEN 1 ELSE 2 END"));
    bool table = false;
    QString other;
    QStringList indexes;
    while (entries.step() == SQLITE_ROW) {
        const QString type = entries.column(0).toString();
        const QString name = entries.column(1).toString();
        const QString sql = entries.column(3).toString().simplified();
        const bool ours = entries.column(2).toString().compare(def.tableName, Qt::CaseInsensitive) == 0;
        const bool plainTable = type == QLatin1String("table")
                                && sql.startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive);
        if (type == QLatin1String("view"))
            return refusal.arg(QStringLiteral("die Sicht (View) „%1“").arg(name), def.tableName);
        if (type == QLatin1String("trigger"))
            return refusal.arg(QStringLiteral("den Auslöser (Trigger) „%1“").arg(name), def.tableName);
        if (plainTable && name.compare(def.tableName, Qt::CaseInsensitive) == 0)
            table = true;
        else if (type == QLatin1String("index") && ours)
            indexes << name;
        // SQLite's own bookkeeping (the counter of an AUTOINCREMENT key) is
        // no content of its own.
        else if (!(plainTable && name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)) && other.isEmpty())
            other = type != QLatin1String("table") ? QStringLiteral("„%1“ (%2)").arg(name, type)
                    : plainTable                   ? QStringLiteral("die weitere Tabelle „%1“").arg(name)
                                                   : QStringLiteral("die virtuelle Tabelle „%1“").arg(name);
    }
    if (!entries.ok()) {
        *detail = entries.error();
        return QStringLiteral("Die Datei ist beschädigt oder keine Tabellendatei.");
    }
    if (!table)
        return QStringLiteral("Die Datei enthält nicht die erwartete Tabelle „%1“.").arg(def.tableName);
    if (!other.isEmpty())
        return refusal.arg(other, def.tableName);
    // An index on an expression or over some rows only computes; the
    // program's indexes name columns.
    for (const QString &index : std::as_const(indexes)) {
        detail::Stmt partial(db, QStringLiteral("SELECT partial FROM pragma_index_list(?) WHERE name = ?"));
        partial.bind(1, def.tableName);
        partial.bind(2, index);
        bool computed = partial.step() == SQLITE_ROW && partial.column(0).toInt() != 0;
        detail::Stmt columns(db, QStringLiteral("SELECT cid FROM pragma_index_xinfo(?) WHERE key = 1"));
        columns.bind(1, index);
        while (!computed && columns.step() == SQLITE_ROW)
            computed = columns.column(0).toInt() < 0;
        if (computed)
            return refusal.arg(QStringLiteral("den berechneten Index „%1“").arg(index), def.tableName);
    }
    return {};
}

const QByteArray journalHeader = QByteArray::fromHex("d9d505f920a163d7");

} // namespace

bool isJournalName(const QString &fileName)
{
    static const QRegularExpression form(QStringLiteral("-(journal|wal|shm|mj[0-9a-f]{8,})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return form.match(fileName).hasMatch();
}

bool journalMayChangeTable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo::exists(path); // unreadable: it may
    const QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String("-journal"), Qt::CaseInsensitive))
        return file.read(journalHeader.size()) == journalHeader;
    // A log holds frames after its 32-byte header.
    if (name.endsWith(QLatin1String("-wal"), Qt::CaseInsensitive))
        return file.size() > 32;
    return false;
}

int removeFinishedJournals(const QString &dir)
{
    int removed = 0;
    const QDir data(dir);
    for (const QString &name : data.entryList({QStringLiteral("*-journal")}, QDir::Files | QDir::Hidden))
        if (!journalMayChangeTable(data.filePath(name)) && QFile::remove(data.filePath(name)))
            ++removed;
    return removed;
}

QString checkTableFile(const QString &path, const TableDef &def, QString *detail)
{
    QString unused;
    if (!detail)
        detail = &unused;
    const QString broken = QStringLiteral("Die Datei ist beschädigt oder keine Tabellendatei.");
    if (!QFileInfo(path).isFile())
        return QStringLiteral("Die Tabellendatei wurde nicht gefunden.");
    const detail::Connection db = openReadOnly(path, detail);
    if (!db)
        return broken;
    QString result;
    {
        // The quick check walks every page of the file as the integrity
        // check does; it leaves out only whether the indexes agree with
        // their tables, which a file damaged on its way cannot make wrong
        // without breaking the pages it checks.
        detail::Stmt check(db.get(), QStringLiteral("PRAGMA quick_check"));
        QStringList problems;
        while (check.step() == SQLITE_ROW)
            problems << check.column(0).toString();
        if (!check.ok())
            *detail = check.error();
        else if (problems != QStringList{QStringLiteral("ok")})
            *detail = problems.mid(0, 3).join(QLatin1Char('\n'));
        if (!check.ok() || problems != QStringList{QStringLiteral("ok")})
            result = broken;
    }
    if (result.isEmpty())
        result = foreignContent(db.get(), def, detail);
    if (result.isEmpty()) {
        // table_xinfo also lists computed columns, which table_info hides.
        detail::Stmt info(db.get(), QStringLiteral("PRAGMA main.table_xinfo(\"%1\")").arg(def.tableName));
        QStringList columns;
        bool computed = false;
        while (info.step() == SQLITE_ROW) {
            columns << info.column(1).toString();
            computed = computed || info.column(6).toInt() != 0;
        }
        bool same = info.ok() && !computed && columns.size() == def.fields.size();
        for (int i = 0; same && i < columns.size(); ++i)
            same = columns[i].compare(def.fields[i].name, Qt::CaseInsensitive) == 0;
        if (!same)
            result = QStringLiteral("Die Datei enthält nicht die erwartete Tabelle „%1“.").arg(def.tableName);
    }
    return result;
}

QString checkTableSet(const std::function<QString(const QString &fileName)> &pathOf, QString *detail)
{
    QString unused;
    if (!detail)
        detail = &unused;
    int rc = SQLITE_OK;
    const detail::Connection connection =
        detail::openConnection(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, &rc);
    if (rc != SQLITE_OK)
        return QStringLiteral("Die Tabellen können nicht zusammen geprüft werden.");
    sqlite3 *const db = connection.get();
    for (const char *name : {tables::plan, tables::composition, tables::reports, tables::details}) {
        const TableDef &def = tableDef(QString::fromLatin1(name));
        detail::Stmt attach(db, QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(def.tableName));
        attach.bind(1, QString::fromUtf8(readOnlyUri(pathOf(def.fileName))));
        if (attach.step() != SQLITE_DONE) {
            *detail = attach.error();
            return QStringLiteral("%1: Die Tabellendatei kann nicht gelesen werden").arg(def.fileName);
        }
    }
    struct Rule
    {
        const char *rows;
        const char *of;
        const char *sql;
        const char *text;
    };
    static const Rule rules[] = {
        {tables::details, tables::reports,
         "SELECT COUNT(*) FROM berdet.berdet WHERE Masterlfd NOT IN (SELECT BerLfd FROM bericht.bericht)",
         "%1 Planpunkte der Berichte in %2 gehören zu keinem Bericht in %3"},
        {tables::details, tables::plan,
         "SELECT COUNT(*) FROM berdet.berdet WHERE LfdfTag NOT IN (SELECT LfdfTag FROM thetable.thetable)",
         "%1 Planpunkte der Berichte in %2 fehlen im Rahmenplan in %3"},
        {tables::composition, tables::plan,
         "SELECT COUNT(*) FROM tmptable.tmptable WHERE LfdfTag NOT IN (SELECT LfdfTag FROM thetable.thetable)",
         "%1 Planpunkte der Zusammenstellung in %2 fehlen im Rahmenplan in %3"},
    };
    QStringList misfits;
    for (const Rule &rule : rules) {
        detail::Stmt count(db, QString::fromLatin1(rule.sql));
        if (count.step() != SQLITE_ROW) {
            *detail = count.error();
            return QStringLiteral("Die Tabellen können nicht zusammen geprüft werden");
        }
        if (const qlonglong n = count.column(0).toLongLong(); n > 0)
            misfits << QString::fromUtf8(rule.text).arg(n).arg(QLatin1String(rule.rows), QLatin1String(rule.of));
    }
    return misfits.join(QStringLiteral("; "));
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

QString createTableFile(const QString &path, const TableDef &def, QString *detail)
{
    const QString failed = QStringLiteral("Die Tabellendatei kann nicht angelegt werden.");
    const QString made = path + QStringLiteral(".neu");
    QFile::remove(made);
    {
        int rc = SQLITE_OK;
        const detail::Connection db = detail::openConnection(
            QUrl::fromLocalFile(made).toString(QUrl::FullyEncoded).toUtf8() + "?mode=rwc",
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, &rc);
        char *err = nullptr;
        const QString sql = QStringLiteral("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN; %1 COMMIT;")
                                .arg(def.createStatements());
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db.get(), sql.toUtf8().constData(), nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            if (detail)
                *detail = err ? QString::fromUtf8(err)
                              : QString::fromUtf8(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc));
            sqlite3_free(err);
        }
        if (rc != SQLITE_OK) {
            QFile::remove(made);
            return failed;
        }
    }
    if (!QFile::rename(made, path)) {
        QFile::remove(made);
        return failed;
    }
    return {};
}

const TableDef *tableDefOfFile(const QString &fileName)
{
    for (const TableDef &def : tableDefs())
        if (def.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            return &def;
    if (marksTableDef().fileName.compare(fileName, Qt::CaseInsensitive) == 0)
        return &marksTableDef();
    return nullptr;
}

} // namespace store
