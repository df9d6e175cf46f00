#include "tableset.h"

#include "fields.h"
#include "refusal.h"
#include "sqlitestmt.h"
#include "storeerror.h"
#include "tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUrl>

#include <algorithm>

namespace store {

using detail::quoted;
using detail::Stmt;

namespace {

QByteArray uriFor(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toUtf8() + "?mode=rw";
}

} // namespace

TableSet::TableSet(const Places &places, QObject *parent) : TableSet(places, places.dataDir(), parent)
{}

TableSet::TableSet(const QString &dataDir, QObject *parent) : TableSet(Places::ofDataDir(dataDir), dataDir, parent)
{}

TableSet::TableSet(const Places &places, const QString &dataDir, QObject *parent)
    : QObject(parent), m_places(places), m_dataDir(QDir(dataDir).absolutePath())
{
    for (const TableDef &def : tableDefs())
        m_tables.push_back(std::make_unique<Table>(*this, def));
    berichtdetailtable().setMaster(&berichttable(), field::BerLfd, field::Masterlfd);
}

TableSet::~TableSet()
{
    // The tables go first: closing them releases the files.
    for (auto &t : m_tables)
        t->m_state = TableState::Inactive;
    m_tables.clear();
    closeConnection();
}

QString TableSet::filePath(const QString &fileName) const
{
    return m_dataDir + QLatin1Char('/') + fileName;
}

qint64 TableSet::openFilesSize() const
{
    qint64 size = 0;
    for (const auto &t : m_tables)
        if (t->isOpen())
            size += QFileInfo(t->filePath()).size();
    return size;
}

QString TableSet::displayName(const QString &fileName) const
{
    return m_places.displayPath(filePath(fileName));
}

Table &TableSet::table(const QString &name)
{
    const TableDef &def = tableDef(name);
    for (auto &t : m_tables)
        if (&t->def() == &def)
            return *t;
    fail(name, QStringLiteral("Unbekannte Tabelle."));
}

void TableSet::fail(const QString &fileName, const QString &what) const
{
    throw StoreError(QStringLiteral("Tabelle %1:\n%2").arg(displayName(fileName), what));
}

void TableSet::refuse(const QString &fileName, const QString &action, const SqliteRefusal &refusal) const
{
    const RefusalPlace place{
        fileName.isEmpty() ? QStringLiteral("Datenordner %1").arg(m_places.displayPath(m_dataDir))
                           : QStringLiteral("Tabelle %1").arg(displayName(fileName)),
        fileName.isEmpty() ? m_dataDir : filePath(fileName), QDir::toNativeSeparators(m_dataDir), openFilesSize(),
        m_starting ? QDir::toNativeSeparators(QFileInfo(m_dataDir).absolutePath() + QStringLiteral("/sicherung"))
                   : QString()};
    throw refusalError(place, action, refusal);
}

void TableSet::exec(const QString &sql, const QString &fileName, const QString &action)
{
    char *err = nullptr;
    if (sqlite3_exec(connection(), sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const SqliteRefusal refusal = SqliteRefusal::of(connection(), sql, err);
        sqlite3_free(err);
        refuse(fileName, action, refusal);
    }
}

QString TableSet::attach(Table &t)
{
    const QString path = filePath(t.fileName());
    if (!QFileInfo(path).isFile())
        fail(t.fileName(), QStringLiteral("Die Tabellendatei wurde nicht gefunden.\n") + restoreAdvice());
    if (!m_db) {
        int rc = SQLITE_OK;
        detail::Connection db = detail::openConnection(uriFor(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, &rc);
        if (rc != SQLITE_OK)
            refuse(t.fileName(), QStringLiteral("Die Tabellendatei kann nicht geöffnet werden."),
                   db ? SqliteRefusal::of(db.get()) : SqliteRefusal::ofCode(rc));
        m_db = std::move(db);
        sqlite3_busy_timeout(connection(), 2000);
        m_mainFile = t.fileName();
        try {
            exec(QStringLiteral("PRAGMA main.journal_mode=DELETE; PRAGMA main.synchronous=FULL;"), t.fileName(),
                 QStringLiteral("Die Tabellendatei kann nicht geöffnet werden."));
            attachMarks();
        } catch (...) {
            closeConnection();
            throw;
        }
        return QStringLiteral("main");
    }
    if (t.fileName() == m_mainFile)
        return QStringLiteral("main");
    if (inTransaction())
        fail(t.fileName(), QStringLiteral("Die Tabelle kann während einer Transaktion nicht geöffnet werden."));
    const QString schema = t.def().tableName;
    {
        Stmt st(connection(), QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoted(schema)));
        st.bind(1, QString::fromUtf8(uriFor(path)));
        if (st.step() != SQLITE_DONE)
            refuse(t.fileName(), QStringLiteral("Die Tabellendatei kann nicht geöffnet werden."),
                   SqliteRefusal::of(connection(), st.sql()));
    }
    try {
        exec(QStringLiteral("PRAGMA %1.journal_mode=DELETE; PRAGMA %1.synchronous=FULL;").arg(quoted(schema)),
             t.fileName(), QStringLiteral("Die Tabellendatei kann nicht geöffnet werden."));
    } catch (...) {
        exec(QStringLiteral("DETACH DATABASE %1").arg(quoted(schema)), t.fileName());
        throw;
    }
    return schema;
}

void TableSet::attachMarks()
{
    const TableDef &def = marksTableDef();
    const QString path = filePath(def.fileName);
    const QString action = QStringLiteral("Die Tabellendatei kann nicht geöffnet werden.");
    // Data from before the marks: they start empty.
    QString detail;
    if (!QFileInfo::exists(path))
        if (const QString why = createTableFile(path, def, &detail); !why.isEmpty())
            fail(def.fileName, detail.isEmpty() ? why : why + QLatin1Char('\n') + detail);
    Stmt st(connection(), QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoted(def.tableName)));
    st.bind(1, QString::fromUtf8(uriFor(path)));
    if (st.step() != SQLITE_DONE)
        refuse(def.fileName, action, SqliteRefusal::of(connection(), st.sql()));
    exec(QStringLiteral("PRAGMA %1.journal_mode=DELETE; PRAGMA %1.synchronous=FULL;").arg(quoted(def.tableName)),
         def.fileName, action);
}

void TableSet::detach(Table &t)
{
    if (!m_db)
        return;
    bool othersOpen = false;
    for (auto &o : m_tables)
        othersOpen = othersOpen || (o.get() != &t && o->isOpen());
    if (t.m_schema != QLatin1String("main"))
        exec(QStringLiteral("DETACH DATABASE %1").arg(quoted(t.m_schema)), t.fileName());
    // The main file stays with the connection while any table is open.
    if (!othersOpen)
        closeConnection();
}

void TableSet::closeConnection()
{
    m_db.reset();
    m_mainFile.clear();
    m_transactionDepth = 0;
}

void TableSet::run(const QString &sql, const QString &fileName)
{
    if (m_db && fileName == m_mainFile) {
        exec(sql, fileName);
        return;
    }
    const QString path = filePath(fileName);
    if (!QFileInfo(path).isFile())
        fail(fileName, QStringLiteral("Die Tabellendatei wurde nicht gefunden.\n") + restoreAdvice());
    int rc = SQLITE_OK;
    const detail::Connection db = detail::openConnection(uriFor(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, &rc);
    char *err = nullptr;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db.get(), 2000);
        rc = sqlite3_exec(db.get(), ("PRAGMA synchronous=FULL; " + sql).toUtf8().constData(), nullptr, nullptr, &err);
    }
    const SqliteRefusal refusal = db ? SqliteRefusal::of(db.get(), sql, err) : SqliteRefusal::ofCode(rc);
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        refuse(fileName, QStringLiteral("Die Tabellendatei kann nicht bearbeitet werden."), refusal);
}

std::vector<Table *> TableSet::detailsOf(const Table *master) const
{
    std::vector<Table *> out;
    for (const auto &[d, m] : m_links)
        if (m == master)
            out.push_back(d);
    return out;
}

void TableSet::linkDetail(Table *detail, Table *master)
{
    std::erase_if(m_links, [detail](const auto &l) { return l.first == detail; });
    if (master)
        m_links.emplace_back(detail, master);
}

void TableSet::openAtStart()
{
    // All six files must be there and writable before anything is opened,
    // and the data directory must take the journals: the running program
    // never creates a table file, and an apprentice should not learn that a
    // file is read-only when saving a report written for an hour.
    for (const auto &t : m_tables)
        if (const QString problem = tableFileAccessProblem(t->filePath()); !problem.isEmpty())
            fail(t->fileName(), problem);
    if (const QString problem = directoryWriteProblem(m_dataDir); !problem.isEmpty())
        throw StoreError(QStringLiteral("Datenordner %1:\n%2").arg(m_places.displayPath(m_dataDir), problem));
    // A file the start refuses cannot be put back from inside the program.
    m_starting = true;
    const auto started = qScopeGuard([this] { m_starting = false; });
    table1().open();
    // The composition stays empty until the first build of the plan pages,
    // which starts it afresh; it is opened here so that a damaged file stops
    // the start before any window shows.
    temptable().open();
    berichttable().open();
    hinttable().open();
    uebersichttable().open();
    berichtdetailtable().open();
    berichttable().last();
}

void TableSet::closeAll()
{
    for (Table *t : {&berichtdetailtable(), &uebersichttable(), &hinttable(), &berichttable(), &temptable(), &table1()})
        t->close();
}

void TableSet::reopenAll()
{
    for (Table *t : {&table1(), &temptable(), &berichttable(), &hinttable(), &uebersichttable(), &berichtdetailtable()})
        t->open();
    berichttable().last();
}

void TableSet::beginTransaction()
{
    if (!m_db)
        throw StoreError(QStringLiteral("Keine Tabelle ist geöffnet; eine Transaktion ist nicht möglich."));
    if (m_transactionDepth == 0)
        // It takes every open file: a refusal is the data folder's.
        exec(QStringLiteral("BEGIN IMMEDIATE"), QString(),
             QStringLiteral("Die Änderungen können nicht gespeichert werden."));
    ++m_transactionDepth;
}

void TableSet::commit()
{
    if (m_transactionDepth == 0)
        return;
    if (--m_transactionDepth == 0) {
        char *err = nullptr;
        if (sqlite3_exec(connection(), "COMMIT", nullptr, nullptr, &err) != SQLITE_OK) {
            const SqliteRefusal refusal = SqliteRefusal::of(connection(), QStringLiteral("COMMIT"), err);
            sqlite3_free(err);
            m_transactionDepth = 1;
            rollback();
            // A commit writes every file changed: it is the data folder's.
            refuse(QString(), QStringLiteral("Die Änderungen konnten nicht gespeichert werden."), refusal);
        }
    }
}

void TableSet::rollback()
{
    if (m_transactionDepth == 0)
        return;
    m_transactionDepth = 0;
    sqlite3_exec(connection(), "ROLLBACK", nullptr, nullptr, nullptr);
    for (auto &t : m_tables) {
        if (t->isEditing())
            t->cancel();
        t->refresh();
    }
}

QVector<QVariantList> TableSet::exec(const QString &sql, QStringList *columnNames)
{
    bool changed = false;
    QVector<QVariantList> rows = runStatement(sql, {}, columnNames, &changed);
    if (changed)
        for (auto &t : m_tables)
            t->refresh();
    return rows;
}

QVector<QVariantList> TableSet::query(const QString &sql, const QVariantList &params)
{
    return runStatement(sql, params, nullptr, nullptr);
}

QVariant TableSet::queryValue(const QString &sql, const QVariantList &params)
{
    return query(sql, params).value(0).value(0);
}

QVector<QVariantList> TableSet::runStatement(const QString &sql, const QVariantList &params, QStringList *columnNames,
                                             bool *changed)
{
    if (!m_db)
        throw StoreError(QStringLiteral("Keine Tabelle ist geöffnet; eine Abfrage der Tabellen ist nicht möglich."),
                         QStringLiteral("Anweisung: %1").arg(sql));
    const QString action = QStringLiteral("Eine Abfrage der Tabellen konnte nicht ausgeführt werden.");
    Stmt st(connection(), sql);
    if (!st.ok())
        refuse(QString(), action, SqliteRefusal::of(connection(), sql));
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params[i]);
    if (changed)
        *changed = !sqlite3_stmt_readonly(st.handle());
    QVector<QVariantList> rows;
    if (columnNames) {
        columnNames->clear();
        for (int i = 0; i < st.columnCount(); ++i)
            *columnNames << st.columnName(i);
    }
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        QVariantList row;
        for (int i = 0; i < st.columnCount(); ++i)
            row << st.column(i);
        rows << row;
    }
    if (rc != SQLITE_DONE)
        refuse(QString(), action, SqliteRefusal::of(connection(), sql));
    return rows;
}

int removeStaleMasterJournals(const QString &dataDir)
{
    const QDir dir(dataDir);
    const QStringList masters = dir.entryList({QStringLiteral("*-mj*")}, QDir::Files | QDir::Hidden);
    if (masters.isEmpty())
        return 0;
    // A journal that can roll its file back starts with SQLite's journal
    // header and ends with the full path of its master journal; the file's
    // name is enough to know that it is needed. A journal whose header was
    // never completed (or was zeroed at the commit) rolls nothing back.
    QList<QByteArray> journals;
    for (const QString &name : dir.entryList({QStringLiteral("*-journal")}, QDir::Files | QDir::Hidden)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return 0; // a journal we cannot read might need any of them
        if (journalMayChangeTable(file.fileName()))
            journals << file.readAll();
    }
    int removed = 0;
    for (const QString &master : masters) {
        const QByteArray needle = QFile::encodeName(master);
        const bool needed =
            std::any_of(journals.cbegin(), journals.cend(), [&](const QByteArray &j) { return j.contains(needle); });
        if (!needed && QFile::remove(dir.filePath(master)))
            ++removed;
    }
    return removed;
}

} // namespace store
