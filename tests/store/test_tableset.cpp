// The table set as a whole: the files the installer makes, opening at start
// and its failures, write-through, transactions over several files, closing
// and reopening around a file copy, SQL statements.

#include "platform/guard.h"
#include "scriptedmessages.h"
#include "sqliteprobe.h"
#include "store/schema.h"
#include "store/storeerror.h"
#include "store/fields.h"
#include "store/tablefile.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <unistd.h>

using namespace store;

namespace {

QByteArray hashOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

void appendReport(Table &t, int year, int number, int sheet = 1)
{
    t.append();
    t.setValue(QStringLiteral("AJahr"), year);
    t.setValue(QStringLiteral("Nummer"), number);
    t.setValue(QStringLiteral("Blatt"), sheet);
    t.post();
}

// Whether a file may be written by this process.
bool writable(const QString &path)
{
    return access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Makes a file unwritable: by its permissions, or, for root whom they do
// not stop, by the immutable flag (which also stops a write through a file
// descriptor opened before). Returns how to undo it; empty when neither
// works here.
std::function<void()> makeUnwritable(const QString &path, bool evenWhenOpen)
{
    if (geteuid() != 0 && !evenWhenOpen && QFile::setPermissions(path, QFile::ReadOwner) && !writable(path))
        return [path] { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner); };
    if (geteuid() == 0 && QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0)
        return [path] { QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path}); };
    return {};
}

} // namespace

class TestTableSet : public QObject
{
    Q_OBJECT

private slots:
    // As the program does (lernora::Application).
    void initTestCase() { platform::setErrorDetail(&store::errorDetail); }

    void installedFilesHoldOneTableEach()
    {
        testsupport::TempDataDir dir;
        for (const TableDef &def : tableDefs()) {
            const QString file = dir.file(def.fileName);
            QVERIFY2(QFile::exists(file), qPrintable(file));
            const QVariantList tables = probe(file, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' "
                                                                   "AND name NOT LIKE 'sqlite_%'"));
            QCOMPARE(tables, QVariantList{def.tableName});
            QVariantList columns = probe(file, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(def.tableName));
            QStringList names;
            for (const QVariant &c : columns)
                names << c.toString();
            QStringList expected;
            for (const FieldDef &f : def.fields)
                expected << f.name;
            QCOMPARE(names, expected);
        }
        const QVariantList planIndexes = probe(dir.file(QStringLiteral("thetable.DB")),
                                               QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' ORDER BY name"));
        for (const char *ix : {"Table1Index1", "_lfdftag", "_lfdugroup"})
            QVERIFY2(planIndexes.contains(QString::fromLatin1(ix)), ix);
        QVERIFY(probe(dir.file(QStringLiteral("thetable.DB")), QStringLiteral("SELECT count(*) FROM thetable"))[0].toInt() > 100);
        QVERIFY(probe(dir.file(QStringLiteral("hints.db")), QStringLiteral("SELECT count(*) FROM hints"))[0].toInt() >= 60);
        for (const char *empty : {"tmptable.DB", "bericht.db", "berdet.DB", "uebersB.DB"}) {
            const QString f = QString::fromLatin1(empty);
            QCOMPARE(probe(dir.file(f), QStringLiteral("SELECT count(*) FROM %1").arg(tableDef(f).tableName))[0].toInt(), 0);
        }
    }

    // Every named field constant is a field of a table.
    void fieldConstantsNameFields()
    {
        QStringList unknown;
        const auto check = [&](const QString &name) {
            auto defs = tableDefs();
            defs << marksTableDef();
            if (std::none_of(defs.begin(), defs.end(), [&](const TableDef &d) { return d.fieldIndex(name) >= 0; }))
                unknown << name;
        };
#define LERNORA_CHECK_FIELD(name) check(store::field::name);
        LERNORA_TABLE_FIELDS(LERNORA_CHECK_FIELD)
#undef LERNORA_CHECK_FIELD
        QCOMPARE(unknown, QStringList());
    }

    void installerNeverOverwrites()
    {
        testsupport::TempDataDir dir;
        const QByteArray before = hashOf(dir.file(QStringLiteral("bericht.db")));
        QVERIFY_THROWS_EXCEPTION(StoreError, installDataDirectory(dir.path()));
        QCOMPARE(hashOf(dir.file(QStringLiteral("bericht.db"))), before);
    }

    void openAtStartPlacesReportCursorOnLastRow()
    {
        testsupport::TempDataDir dir;
        {
            TableSet set(dir.dataDir());
            set.openAtStart();
            appendReport(set.berichttable(), 2, 1);
            appendReport(set.berichttable(), 1, 2);
            appendReport(set.berichttable(), 1, 1);
        }
        TableSet set(dir.dataDir());
        set.openAtStart();
        QVERIFY(set.table1().isOpen());
        QVERIFY(set.berichtdetailtable().isOpen());
        QVERIFY(set.temptable().isOpen()); // checked at start, emptied by the first build of the plan pages
        QCOMPARE(set.berichttable().asInt(QStringLiteral("AJahr")), 2);
        QVERIFY(set.berichttable().eof());
    }

    void missingOrDamagedFileStopsTheStart_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // empty: the file is removed
        for (const TableDef &def : tableDefs())
            QTest::newRow(qPrintable(def.fileName + QStringLiteral(" missing"))) << def.fileName << QByteArray();
        QTest::newRow("report file not a database") << QStringLiteral("bericht.db") << QByteArray("Dies ist keine Tabelle.\n").repeated(100);
        QTest::newRow("plan file not a database") << QStringLiteral("thetable.DB") << QByteArray(4096, '\x7f');
        QTest::newRow("details empty file") << QStringLiteral("berdet.DB") << QByteArray("\0", 0);
    }

    void missingOrDamagedFileStopsTheStart()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        testsupport::TempDataDir dir;
        const QString path = dir.file(file);
        QFile::remove(path);
        const bool missing = QTest::currentDataTag() == file + QStringLiteral(" missing");
        if (!missing) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QByteArray before = hashOf(path);
        TableSet set(dir.dataDir());
        try {
            set.openAtStart();
            QFAIL("the start went on");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
            QVERIFY2(e.message().contains(missing ? QStringLiteral("nicht gefunden") : QStringLiteral("beschädigt")),
                     qPrintable(e.message()));
        }
        QCOMPARE(QFile::exists(path), !missing); // nothing created
        QCOMPARE(hashOf(path), before);          // nothing overwritten
    }

    // A table file that fails the running program: the user reads in
    // German which file, what happened and what to do; SQLite's own words
    // are only the detail.
    void refusalsAreToldInGerman_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("said"); // parts of the text; %1 the data folder
        QTest::addColumn<QString>("sqlite");   // part of the detail; empty: none
        const QString restore = QStringLiteral("„Lokale Festplatte“, Schaltfläche „Wiederherst.“");
        QTest::newRow("damaged") << "damaged" << "thetable.DB" << QStringList{"beschädigt", restore} << "malformed";
        // The start it stops cannot reach the program's own restore.
        QTest::newRow("damaged at the start") << "damaged" << "thetable.DB"
                                              << QStringList{"beschädigt", "sicherung“ in den Datenordner „%1“"}
                                              << "malformed";
        QTest::newRow("write-protected") << "write-protected" << "bericht.db"
                                         << QStringList{"schreibgeschützt", "Datenordner „%1“"} << "readonly";
        QTest::newRow("drive") << "drive" << "bericht.db" << QStringList{"Datenträger", "USB-Stick", "neu"} << "I/O";
        QTest::newRow("locked") << "locked" << "berdet.DB"
                                << QStringList{"anderes Programm", "zweites Lernora", "noch einmal"} << "locked";
        QTest::newRow("deleted while open") << "deleted" << "bericht.db" << QStringList{"gelöscht", restore}
                                            << "readonly";
        QTest::newRow("missing at reopening") << "missing" << "hints.db" << QStringList{"nicht gefunden", restore}
                                              << "";
    }

    void refusalsAreToldInGerman()
    {
        QFETCH(QString, fault);
        QFETCH(QString, file);
        QFETCH(QStringList, said);
        QFETCH(QString, sqlite);
        testsupport::TempDataDir dir;
        const QString path = dir.file(file);
        std::function<void()> undo;
        const auto restore = qScopeGuard([&] {
            if (undo)
                undo();
        });
        platform::ScriptedMessages messages;
        TableSet set(dir.dataDir());
        const bool atStart = QByteArray(QTest::currentDataTag()).endsWith("at the start");
        if (!atStart)
            set.openAtStart();
        const auto write = [&] {
            if (file == QLatin1String("berdet.DB")) {
                set.berichtdetailtable().append();
                set.berichtdetailtable().setValue(QStringLiteral("LfdfTag"), 95);
                set.berichtdetailtable().post();
            } else {
                appendReport(set.berichttable(), 1, 1);
            }
        };
        if (fault == QLatin1String("damaged") || fault == QLatin1String("missing")
            || fault == QLatin1String("write-protected")) {
            // Around the import/export window, as the program does.
            if (!atStart)
                set.closeAll();
            if (fault == QLatin1String("missing")) {
                QVERIFY(QFile::remove(path));
            } else if (fault == QLatin1String("damaged")) {
                QFile f(path);
                QVERIFY(f.open(QIODevice::ReadWrite));
                const qint64 page = 4096, pages = f.size() / page;
                QVERIFY(pages >= 4);
                for (qint64 p = 1; p < pages - 1; ++p) {
                    f.seek(p * page);
                    f.write(QByteArray(page, char(0xa5)));
                }
            } else if (!(undo = makeUnwritable(path, false))) {
                QSKIP("The file cannot be made unwritable for this user here.");
            }
            platform::guarded([&] {
                if (atStart)
                    set.openAtStart();
                else
                    set.reopenAll();
                write();
            });
        } else if (fault == QLatin1String("drive")) {
            // A write through the open file refused by the system, as when
            // the stick holding it was pulled out.
            if (!(undo = makeUnwritable(path, true)))
                QSKIP("Only root can refuse writes to a file already open (immutable flag).");
            platform::guarded(write);
        } else if (fault == QLatin1String("locked")) {
            int rc = SQLITE_OK;
            const store::detail::Connection other = store::detail::openConnection(
                QFile::encodeName(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &rc);
            QCOMPARE(rc, SQLITE_OK);
            QCOMPARE(sqlite3_exec(other.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            platform::guarded(write);
            sqlite3_exec(other.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        } else {
            QVERIFY(QFile::remove(path));
            platform::guarded(write);
        }

        QCOMPARE(messages.errors().size(), 1);
        const QString text = messages.errors().first(), detail = messages.details().value(0);
        QVERIFY2(text.contains(QStringLiteral("daten/") + file), qPrintable(text));
        for (const QString &part : std::as_const(said))
            QVERIFY2(text.contains(QString(part).replace(QStringLiteral("%1"), QDir::toNativeSeparators(dir.dataDir()))),
                     qPrintable(part + QLatin1Char('\n') + text));
        static const QRegularExpression english(
            QStringLiteral("database|unable|attempt|disk image|locked|error|malformed|readonly|I/O|\\(.*\\)"),
            QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(!text.contains(english), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Sie")), qPrintable(text));
        if (sqlite.isEmpty())
            QCOMPARE(detail, QString());
        else
            QVERIFY2(detail.contains(sqlite, Qt::CaseInsensitive), qPrintable(detail));
    }

    void postIsOnDiskBeforeItReturns()
    {
        testsupport::TempDataDir dir;
        TableSet set(dir.dataDir());
        set.openAtStart();
        Table &rep = set.berichttable();
        int seen = -1;
        connect(&rep, &Table::afterPost, this, [&] {
            seen = probe(dir.file(QStringLiteral("bericht.db")), QStringLiteral("SELECT count(*) FROM bericht"))[0].toInt();
        });
        appendReport(rep, 1, 1);
        QCOMPARE(seen, 1);
        rep.edit();
        rep.setValue(QStringLiteral("Thema"), QStringLiteral("Kehren eines Kamins"));
        rep.post();
        QCOMPARE(probe(dir.file(QStringLiteral("bericht.db")), QStringLiteral("SELECT Thema FROM bericht"))[0].toString(),
                 QStringLiteral("Kehren eines Kamins"));
        // a plan count, too
        Table &plan = set.table1();
        plan.edit();
        plan.setValue(QStringLiteral("ThemaCnt"), 7);
        plan.post();
        QCOMPARE(probe(dir.file(QStringLiteral("thetable.DB")),
                       QStringLiteral("SELECT ThemaCnt FROM thetable WHERE LfdfTag=%1").arg(plan.asInt(QStringLiteral("LfdfTag"))))[0].toInt(),
                 7);
    }

    void transactionCommitsAllFilesOrNone()
    {
        testsupport::TempDataDir dir;
        TableSet set(dir.dataDir());
        set.openAtStart();
        Table &rep = set.berichttable();
        Table &det = set.berichtdetailtable();
        const QString repFile = dir.file(QStringLiteral("bericht.db")), detFile = dir.file(QStringLiteral("berdet.DB"));
        auto counts = [&] {
            return std::pair(probe(repFile, QStringLiteral("SELECT count(*) FROM bericht"))[0].toInt(),
                             probe(detFile, QStringLiteral("SELECT count(*) FROM berdet"))[0].toInt());
        };
        {
            Transaction tx(set);
            appendReport(rep, 1, 1);
            det.append();
            det.setValue(QStringLiteral("LfdfTag"), 95);
            det.post();
            QCOMPARE(det.recordCount(), 1);
            QCOMPARE(counts(), std::pair(0, 0)); // not yet on disk
        } // rolled back
        QCOMPARE(counts(), std::pair(0, 0));
        QVERIFY(rep.isEmpty());
        QVERIFY(det.isEmpty());

        Transaction tx(set);
        appendReport(rep, 1, 1);
        det.append();
        det.setValue(QStringLiteral("LfdfTag"), 95);
        det.post();
        tx.commit();
        QCOMPARE(counts(), std::pair(1, 1));
        QCOMPARE(det.asInt(QStringLiteral("Masterlfd")), rep.asInt(QStringLiteral("BerLfd")));
    }

    void closeAllReleasesFilesAndReopenReadsThemAgain()
    {
        testsupport::TempDataDir dir;
        testsupport::TempDataDir other; // another installation with two reports
        {
            TableSet set(other.dataDir());
            set.openAtStart();
            appendReport(set.berichttable(), 1, 1);
            appendReport(set.berichttable(), 1, 2);
        }
        QDir::setCurrent(dir.path());
        TableSet set(dir.dataDir());
        set.openAtStart();
        set.temptable().open();
        QVERIFY(set.berichttable().isEmpty());

        QStringList closed;
        for (Table *t : {&set.table1(), &set.temptable(), &set.berichttable(), &set.berichtdetailtable(),
                         &set.hinttable(), &set.uebersichttable()})
            connect(t, &Table::beforeClose, this, [&closed, t] { closed << t->fileName(); });
        set.closeAll();
        QCOMPARE(closed, (QStringList{"berdet.DB", "uebersB.DB", "hints.db", "bericht.db", "tmptable.DB", "thetable.DB"}));
        QVERIFY(set.connection() == nullptr);

        // the import copies table files while they are closed
        QVERIFY(QFile::remove(dir.file(QStringLiteral("bericht.db"))));
        QVERIFY(QFile::copy(other.file(QStringLiteral("bericht.db")), dir.file(QStringLiteral("bericht.db"))));

        QStringList opened;
        for (Table *t : {&set.table1(), &set.temptable(), &set.berichttable(), &set.berichtdetailtable(),
                         &set.hinttable(), &set.uebersichttable()})
            connect(t, &Table::afterOpen, this, [&opened, t] { opened << t->fileName(); });
        set.reopenAll();
        QCOMPARE(opened, (QStringList{"thetable.DB", "tmptable.DB", "bericht.db", "hints.db", "uebersB.DB", "berdet.DB"}));
        QCOMPARE(set.berichttable().recordCount(), 2);
        QCOMPARE(set.berichttable().asInt(QStringLiteral("Nummer")), 2); // on the last row
    }

    // Writing, deleting and reading a picture use statements the table holds
    // prepared; they must not outlive the file they were prepared on.
    void heldStatementsFollowTheFile_data()
    {
        QTest::addColumn<QString>("between");
        QTest::newRow("closeAll and reopenAll") << "all";
        QTest::newRow("the main file closed and opened") << "main";
        QTest::newRow("schema changed by SQL") << "schema";
    }
    void heldStatementsFollowTheFile()
    {
        QFETCH(QString, between);
        testsupport::TempDataDir dir;
        TableSet set(dir.dataDir());
        set.openAtStart();
        Table &rep = set.berichttable();
        Table &plan = set.table1();
        appendReport(rep, 1, 1);
        appendReport(rep, 1, 2);
        rep.remove();
        plan.edit();
        plan.setValue(QStringLiteral("ThemaCnt"), 3);
        plan.post();

        if (between == QLatin1String("all")) {
            set.closeAll();
            set.reopenAll();
        } else if (between == QLatin1String("main")) {
            plan.close();
            rep.close();
            rep.open();
            plan.open();
        } else {
            set.exec(QStringLiteral("CREATE INDEX bericht.byblatt ON bericht(Blatt)"));
            set.exec(QStringLiteral("CREATE INDEX byplan ON thetable(ThemaCnt)"));
        }

        const QString repFile = dir.file(QStringLiteral("bericht.db"));
        const int before = probe(repFile, QStringLiteral("SELECT count(*) FROM bericht"))[0].toInt();
        rep.last();
        rep.edit();
        rep.setValue(QStringLiteral("Nummer"), 9);
        rep.post();
        QCOMPARE(probe(repFile, QStringLiteral("SELECT count(*) FROM bericht WHERE Nummer=9"))[0].toInt(), 1);
        appendReport(rep, 1, 2);
        appendReport(rep, 1, 3);
        rep.remove();
        QCOMPARE(probe(repFile, QStringLiteral("SELECT count(*) FROM bericht"))[0].toInt(), before + 1);
        plan.edit();
        plan.setValue(QStringLiteral("ThemaCnt"), 4);
        plan.post();
        QCOMPARE(probe(dir.file(QStringLiteral("thetable.DB")),
                       QStringLiteral("SELECT ThemaCnt FROM thetable WHERE LfdfTag=%1").arg(plan.asInt(QStringLiteral("LfdfTag"))))[0].toInt(),
                 4);
    }

    void emptyTableWorksOpenOrClosed()
    {
        testsupport::TempDataDir dir;
        TableSet set(dir.dataDir());
        set.openAtStart();
        Table &comp = set.temptable();
        comp.open();
        for (int i = 0; i < 3; ++i) {
            comp.append();
            comp.setValue(QStringLiteral("LfdfTag"), 90 + i);
            comp.post();
        }
        comp.close();
        QCOMPARE(probe(dir.file(QStringLiteral("tmptable.DB")), QStringLiteral("SELECT count(*) FROM tmptable"))[0].toInt(), 3);
        comp.emptyTable();
        QCOMPARE(probe(dir.file(QStringLiteral("tmptable.DB")), QStringLiteral("SELECT count(*) FROM tmptable"))[0].toInt(), 0);
        comp.open();
        QVERIFY(comp.isEmpty());

        // the plan is the connection's main file: closed while others are open
        Table &plan = set.table1();
        const int rows = plan.recordCount();
        plan.close();
        plan.open();
        QCOMPARE(plan.recordCount(), rows);
        set.uebersichttable().append();
        set.uebersichttable().setValue(QStringLiteral("Lj"), 1);
        set.uebersichttable().post();
        set.uebersichttable().emptyTable();
        QVERIFY(set.uebersichttable().isEmpty());
        QCOMPARE(probe(dir.file(QStringLiteral("uebersB.DB")), QStringLiteral("SELECT count(*) FROM uebersB"))[0].toInt(), 0);
    }

    // A master journal goes at start unless a journal that can still roll
    // its file back names it.
    void staleMasterJournalsAreRemoved_data()
    {
        QTest::addColumn<QByteArray>("journal"); // berdet.DB-journal, empty for none
        QTest::addColumn<bool>("kept");
        const QByteArray header = QByteArray::fromHex("d9d505f920a163d7") + QByteArray(504, '\0');
        QTest::newRow("no journal") << QByteArray() << false;
        QTest::newRow("named by a hot journal") << header + "/x/daten/thetable.DB-mj0A1B2C3D4" << true;
        QTest::newRow("other master") << header + "/x/daten/thetable.DB-mj999999999" << false;
        QTest::newRow("header never completed")
            << QByteArray(512, '\0') + "/x/daten/thetable.DB-mj0A1B2C3D4" << false;
    }
    void staleMasterJournalsAreRemoved()
    {
        QFETCH(QByteArray, journal);
        QFETCH(bool, kept);
        testsupport::TempDataDir dir;
        const QString master = dir.file(QStringLiteral("thetable.DB-mj0A1B2C3D4"));
        for (const auto &[path, bytes] : {std::pair{master, QByteArray("/x/daten/berdet.DB-journal")},
                                          std::pair{dir.file(QStringLiteral("berdet.DB-journal")), journal}}) {
            if (bytes.isEmpty())
                continue;
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const QByteArray before = hashOf(dir.file(QStringLiteral("thetable.DB")));
        QCOMPARE(removeStaleMasterJournals(dir.dataDir()), kept ? 0 : 1);
        QCOMPARE(QFile::exists(master), kept);
        QCOMPARE(QFile::exists(dir.file(QStringLiteral("berdet.DB-journal"))), !journal.isEmpty());
        QCOMPARE(hashOf(dir.file(QStringLiteral("thetable.DB"))), before);
    }

    void sqlStatementsRunOnTheOpenTables()
    {
        testsupport::TempDataDir dir;
        TableSet set(dir.dataDir());
        set.openAtStart();
        appendReport(set.berichttable(), 1, 1);
        const int source = set.berichttable().asInt(QStringLiteral("BerLfd"));
        Table &det = set.berichtdetailtable();
        for (int i = 0; i < 4; ++i) {
            det.append();
            det.setValue(QStringLiteral("LfdfTag"), 100 + i);
            det.setValue(QStringLiteral("Kopieren"), i == 1);
            det.setValue(QStringLiteral("Verschieben"), i == 2);
            det.post();
        }
        QStringList columns;
        const auto rows = set.exec(QStringLiteral("select * from berdet where masterlfd=%1 and kopieren= true").arg(source), &columns);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(columns.first(), QStringLiteral("Masterlfd"));
        QCOMPARE(rows[0][columns.indexOf(QStringLiteral("LfdfTag"))].toInt(), 101);

        set.exec(QStringLiteral("update berdet set masterlfd= %1 where masterlfd=%2 and (kopieren= true or verschieben=true)")
                     .arg(source + 1000)
                     .arg(source));
        QCOMPARE(det.recordCount(), 2); // the detail cursor was refreshed
        QVERIFY_THROWS_EXCEPTION(StoreError, set.exec(QStringLiteral("select * from nosuchtable")));
    }

    // When the store fails to open a table file, the connection it was given
    // goes with the failure: no file stays open, SQLite holds no more memory.
    void failedOpenLeavesNothingOpen_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("installing: a table file cannot be made") << QStringLiteral("install");
        QTest::newRow("checking a file: no SQLite file") << QStringLiteral("check");
        QTest::newRow("checking the set: a file missing") << QStringLiteral("set");
        QTest::newRow("starting: a damaged table file") << QStringLiteral("start");
        QTest::newRow("emptying a closed table: a damaged file") << QStringLiteral("empty");
    }
    void failedOpenLeavesNothingOpen()
    {
        QFETCH(QString, failure);
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("daten"));
        const QString reports = data + QStringLiteral("/bericht.db");
        if (failure == QLatin1String("install")) {
            // A link into a folder that does not exist: the file cannot be created there.
            QVERIFY(QDir().mkpath(data));
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("nirgends/thetable.DB")), data + QStringLiteral("/thetable.DB")));
        } else {
            installDataDirectory(dir.path());
            QFile damaged(reports);
            QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
            damaged.write(QByteArray(4096, 'x'));
        }
        const auto fails = [&] {
            try {
                if (failure == QLatin1String("install"))
                    installDataDirectory(dir.path());
                else if (failure == QLatin1String("check"))
                    return !checkTableFile(reports, tableDef(QStringLiteral("bericht"))).isEmpty();
                else if (failure == QLatin1String("set"))
                    return !checkTableSet([&](const QString &name) { return data + QStringLiteral("/fehlt/") + name; }).isEmpty();
                else if (failure == QLatin1String("start"))
                    TableSet(data).openAtStart();
                else
                    TableSet(data).table(QStringLiteral("bericht")).emptyTable();
            } catch (const StoreError &) {
                return true;
            }
            return false;
        };
        const auto openFiles = [] {
            return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
        };
        QVERIFY(fails()); // the first failure sets up what SQLite keeps for good
        const int files = openFiles();
        const sqlite3_int64 memory = sqlite3_memory_used();
        for (int i = 0; i < 3; ++i)
            QVERIFY(fails());
        QCOMPARE(openFiles(), files);
        QCOMPARE(sqlite3_memory_used(), memory);
    }
};

QTEST_GUILESS_MAIN(TestTableSet)
#include "test_tableset.moc"
