#pragma once

#include "places.h"
#include "sqlitehandle.h"
#include "table.h"

#include <QObject>
#include <QVariantList>
#include <memory>

struct sqlite3;

namespace store {

struct SqliteRefusal;

// The six tables of the data directory and the one SQLite connection they
// share: the first table opened is the connection's main file, every other
// one is attached under its table name. Operations that touch several tables
// can run in one transaction that commits all files atomically or none.
class TableSet : public QObject
{
    Q_OBJECT
public:
    // The data directory of the program's places.
    explicit TableSet(const Places &places, QObject *parent = nullptr);
    // dataDir: a data directory; the program directory is the one above it.
    explicit TableSet(const QString &dataDir, QObject *parent = nullptr);
    ~TableSet() override;

    const Places &places() const { return m_places; }
    QString dataDir() const { return m_dataDir; }
    QString filePath(const QString &fileName) const;
    // What a change can need on the disk at most: its journal holds no more
    // than the files of the open tables.
    qint64 openFilesSize() const;
    // A file path as the user should read it in a message.
    QString displayName(const QString &fileName) const;

    Table &table1() { return *m_tables[0]; }             // thetable.DB, the plan
    Table &temptable() { return *m_tables[1]; }          // tmptable.DB, the composition
    Table &berichttable() { return *m_tables[2]; }       // bericht.db, report sheets
    Table &berichtdetailtable() { return *m_tables[3]; } // berdet.DB, detail rows
    Table &hinttable() { return *m_tables[4]; }          // hints.db
    Table &uebersichttable() { return *m_tables[5]; }    // uebersB.DB
    Table &table(const QString &fileOrTableName);

    // The order of opening when the main window is created: the plan, the
    // reports, the hints, the overview, then the details (so that their
    // link to the reports is live); the report cursor ends on the last row.
    // The composition is opened by the first build of the plan pages.
    void openAtStart();
    // Around the import/export window.
    void closeAll();
    void reopenAll();

    // Transactions over all open files. Outside a transaction every post
    // commits at once.
    void beginTransaction();
    void commit();
    void rollback(); // also reloads the rows of every open table
    bool inTransaction() const { return m_transactionDepth > 0; }

    // Runs an SQL statement on the open tables (unqualified table names, e.g.
    // "update berdet set masterlfd=5 where masterlfd=4"). A select returns its
    // rows; any other statement reloads the rows of every open table.
    QVector<QVariantList> exec(const QString &sql, QStringList *columnNames = nullptr);
    // Runs one statement with `params` bound in order to its "?" and returns
    // the rows of a select. No table is reloaded: whoever changes rows this
    // way reloads the tables concerned once at the end (Table::refresh).
    QVector<QVariantList> query(const QString &sql, const QVariantList &params = {});
    // The first column of the first row `query` returns; invalid without a row.
    QVariant queryValue(const QString &sql, const QVariantList &params = {});

    sqlite3 *connection() const { return m_db.get(); }
    // Whether the marks' table is on the connection (it joins when the
    // table set opens; a table opened on its own finds it only when its
    // file exists).
    bool marksOpen() const { return m_marksAttached; }

private:
    TableSet(const Places &places, const QString &dataDir, QObject *parent);
    friend class Table;
    QString attach(Table &t); // returns the schema name
    void detach(Table &t);
    // The marks' file joins every new connection; `make`: made empty when
    // missing (once the six tables are open).
    void attachMarks(bool make);
    // One statement on the open tables; `changed` tells whether it may
    // have written.
    QVector<QVariantList> runStatement(const QString &sql, const QVariantList &params, QStringList *columnNames,
                                       bool *changed);
    // Runs a statement on a table file that is not open.
    void run(const QString &sql, const QString &fileName);
    void closeConnection();
    // On the connection; throws with `action`, what did not happen.
    void exec(const QString &sql, const QString &fileName,
              const QString &action = QStringLiteral("Die Tabellendatei kann nicht bearbeitet werden."));
    std::vector<Table *> detailsOf(const Table *master) const;
    void linkDetail(Table *detail, Table *master);
    [[noreturn]] void fail(const QString &fileName, const QString &what) const;
    // Throws the message for SQLite's refusal of the table file `fileName`
    // (of the data folder when empty): `action` is what did not happen.
    [[noreturn]] void refuse(const QString &fileName, const QString &action, const SqliteRefusal &refusal) const;

    Places m_places;
    QString m_dataDir;
    detail::Connection m_db;
    QString m_mainFile;
    std::vector<std::unique_ptr<Table>> m_tables;
    int m_transactionDepth = 0;
    bool m_marksAttached = false;
    bool m_starting = false;                          // within openAtStart
    std::vector<std::pair<Table *, Table *>> m_links; // detail, master
};

// A transaction over several files writes a master journal beside the main
// file ("thetable.DB-mj…") that names the files' journals; each journal
// names it in turn. A process killed while it wrote the master journal
// leaves one behind that no journal names and that SQLite never looks at
// again. Removes from dataDir every master journal that no journal in it
// names, and returns how many; one that a journal still needs to roll its
// file back stays. Only for the start, while no connection has the files.
int removeStaleMasterJournals(const QString &dataDir);

// Commits on commit(); rolls back when it goes out of scope uncommitted.
class Transaction
{
public:
    explicit Transaction(TableSet &set) : m_set(set) { m_set.beginTransaction(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_set.rollback();
            } catch (...) {
            }
        }
    }
    void commit()
    {
        m_set.commit();
        m_done = true;
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    TableSet &m_set;
    bool m_done = false;
};

} // namespace store
