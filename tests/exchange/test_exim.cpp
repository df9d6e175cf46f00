// The import/export window on real temporary directories and volumes made
// up for the test: export and import, local backups and their deletion, and
// the checks that keep the data directory whole on every way in.

#include "controls/wordlist.h"
#include "exchange/eximform.h"
#include "exchange/filetransfer.h"
#include "filesnapshot.h"
#include "platform/clock.h"
#include "platform/volumes.h"
#include "scriptedmessages.h"
#include "scriptedmodalrunner.h"
#include "domain/marks.h"
#include "store/diskspace.h"
#include "store/reset.h"
#include "store/settings.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QProcess>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTest>
#include <QTextEdit>

#include <memory>
#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using platform::Answer;

namespace {

class FakeVolumes final : public platform::Volumes
{
public:
    FakeVolumes() { platform::setVolumes(this); }
    ~FakeVolumes() override { platform::setVolumes(nullptr); }
    QList<platform::Volume> list;
    QHash<QString, qint64> free; // by root; a root without a value has no medium
    QList<platform::Volume> writable() const override { return list; }
    qint64 freeSpace(const QString &path) const override
    {
        for (const platform::Volume &v : list)
            if (path.startsWith(v.root))
                return free.value(v.root, -1);
        return -1;
    }
};

// A device that fails after its first bytes, as a failing medium does.
class FailingFile final : public QBuffer
{
public:
    explicit FailingFile(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        setData(f.readAll());
    }
    qint64 readData(char *data, qint64 max) override
    {
        return pos() >= 16 ? -1 : QBuffer::readData(data, std::min<qint64>(max, 16));
    }
};

// Every copy of the file `name` fails after its first bytes.
void failReading(const QString &name)
{
    exchange::setSourceOpener([name](const QString &path) -> std::unique_ptr<QIODevice> {
        if (path.endsWith(QLatin1Char('/') + name))
            return std::make_unique<FailingFile>(path);
        return std::make_unique<QFile>(path);
    });
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Changes a table file as another program could.
void sql(const QString &file, const QString &statements)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, &error);
    const QString said = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(said));
}

} // namespace

class TestExim : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::TempDataDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_stick;
    std::unique_ptr<FakeVolumes> m_volumes;
    std::unique_ptr<platform::ScriptedMessages> m_messages;
    std::unique_ptr<platform::ScriptedModalRunner> m_runner;
    std::unique_ptr<platform::FixedClock> m_clock;
    std::unique_ptr<TEXIMMainForm> m_form;

    QString data() const { return m_dir->dataDir(); }
    QString stick() const { return m_stick->path(); }
    QString backups() const { return m_dir->path() + QStringLiteral("/sicherung"); }

    // One report with rich text and a picture, and a raised count.
    void addReport(int number)
    {
        store::TableSet set(data());
        set.openAtStart();
        set.exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, Taetigkeit, Bild1) VALUES "
                                "(1, %1, 1, '{\\rtf1 {\\b Kehren} %1}', X'424D00FF100%1')")
                     .arg(number));
        set.exec(QStringLiteral("UPDATE thetable SET GroupCnt = GroupCnt + %1 WHERE LfdfTag = 3").arg(number));
    }

    // Runs the window; `act` works in it, then "Fertig" (or the close box).
    void inWindow(const std::function<void(TEXIMMainForm &)> &act, bool fertig = true)
    {
        m_runner->onNext(QStringLiteral("EXIMMainForm"), [&](QDialog *d) {
            auto &form = *static_cast<TEXIMMainForm *>(d);
            act(form);
            if (fertig)
                form.findChild<QPushButton *>(QStringLiteral("fertigbtn"))->click();
            else
                form.close();
        });
        m_form->execute();
    }

    // `replies`: whether to replace the files already there.
    void exportTo(const QString &dir, const QList<Answer> &replies = {})
    {
        inWindow([&](TEXIMMainForm &f) {
            f.openDirectory(dir);
            m_messages->answer(Answer::Ok);
            for (Answer reply : replies)
                m_messages->answer(reply);
            f.exportbtnClick();
        });
    }
    void importFrom(const QString &dir, bool fertig = true)
    {
        inWindow(
            [&](TEXIMMainForm &f) {
                f.openDirectory(dir);
                m_messages->answer(Answer::Yes);
                f.importbtnClick();
            },
            fertig);
    }
    // The marks of the data directory as "weeks/reviews".
    QString marks()
    {
        store::TableSet set(data());
        set.openAtStart();
        return QStringLiteral("%1/%2").arg(domain::weekMarks(set).size()).arg(domain::reviews(set).size());
    }
    void writeList(const QString &dir, const QByteArray &list) { write(dir + QStringLiteral("/filelist.txt"), list); }

private slots:
    void init()
    {
        m_dir = std::make_unique<testsupport::TempDataDir>();
        m_stick = std::make_unique<QTemporaryDir>();
        m_volumes = std::make_unique<FakeVolumes>();
        m_volumes->list = {{QStringLiteral("/"), m_dir->path(), QStringLiteral("Persönlicher Ordner")},
                           {stick(), stick(), stick()}};
        m_volumes->free = {{m_dir->path(), qint64(1) << 40}, {stick(), qint64(1) << 40}};
        m_messages = std::make_unique<platform::ScriptedMessages>();
        m_runner = std::make_unique<platform::ScriptedModalRunner>();
        m_clock = std::make_unique<platform::FixedClock>(QDateTime(QDate(2006, 12, 24), QTime(14, 25, 33)));
        platform::setClock(m_clock.get());
        m_form = std::make_unique<TEXIMMainForm>();
        addReport(1);
    }
    void cleanup()
    {
        m_form.reset();
        platform::setClock(nullptr);
        m_runner.reset();
        m_messages.reset();
        m_volumes.reset();
        exchange::setSourceOpener({});
        exchange::setRenamer({});
        m_dir.reset();
    }

    void exportThenImportIntoAFreshDataDirectory()
    {
        addReport(2);
        const QMap<QString, QByteArray> before = testsupport::fileSnapshot(data());
        exportTo(stick());
        QCOMPARE(m_messages->notices(), QStringList{QStringLiteral("Export abgeschlossen!")});
        QCOMPARE(contents(stick() + QStringLiteral("/filelist.txt")),
                 QByteArray("berdet.DB\r\nbericht.db\r\nhints.db\r\nmarken.db\r\nthetable.DB\r\ntmptable.DB\r\n"
                            "uebersB.DB\r\n"));

        m_form.reset();
        m_dir.reset();
        m_dir = std::make_unique<testsupport::TempDataDir>();
        m_volumes->list[0].root = m_dir->path();
        m_volumes->free.insert(m_dir->path(), qint64(1) << 40);
        m_form = std::make_unique<TEXIMMainForm>();
        m_messages->clear();
        importFrom(stick());
        QCOMPARE(m_messages->errors().join(QString()), QString());
        QMap<QString, QByteArray> after = testsupport::fileSnapshot(data());
        after.remove(QStringLiteral("filelist.txt"));
        QCOMPARE(after, before);
        store::TableSet set(data());
        set.openAtStart();
        QCOMPARE(set.exec(QStringLiteral("SELECT count(*), max(Taetigkeit), hex(max(Bild1)) FROM bericht")).first(),
                 (QVariantList{2, QStringLiteral("{\\rtf1 {\\b Kehren} 2}"), QStringLiteral("424D00FF1002")}));
    }

    // The apprentice's own words travel with the data: an import adds the
    // words that come to those there are, a restore brings back a list
    // lost since the backup.
    void theApprenticesWordsTravel_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("there");
        QTest::addColumn<QStringList>("expected");
        const QStringList sent{QStringLiteral("Flumpelrohr"), QStringLiteral("Rußhaken")};
        QTest::newRow("import, none there") << false << sent << QStringList() << sent;
        QTest::newRow("import, merged")
            << false << sent << QStringList{QStringLiteral("Zugklappe"), QStringLiteral("Flumpelrohr")}
            << QStringList{QStringLiteral("Flumpelrohr"), QStringLiteral("Rußhaken"), QStringLiteral("Zugklappe")};
        QTest::newRow("restore of a lost list") << true << sent << QStringList() << sent;
    }
    void theApprenticesWordsTravel()
    {
        QFETCH(bool, restore);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, there);
        QFETCH(QStringList, expected);
        const QString own = data() + QLatin1Char('/') + controls::personalWordsFile;
        QVERIFY(controls::writeWordList(own, sent));
        if (restore)
            inWindow([&](TEXIMMainForm &f) {
                m_messages->answer(Answer::Ok);
                f.lsichernbtnClick();
            });
        else
            exportTo(stick());
        QFile::remove(own);
        if (!there.isEmpty())
            QVERIFY(controls::writeWordList(own, there));
        m_clock->set(m_clock->now().addSecs(60));
        if (restore)
            inWindow([&](TEXIMMainForm &f) {
                f.findChild<QListWidget *>(QStringLiteral("dirlistbox"))->setCurrentRow(0);
                m_messages->answer(Answer::Yes);
                f.lrestorebtnClick();
            });
        else
            importFrom(stick());
        QCOMPARE(m_messages->errors(), QStringList());
        QCOMPARE(controls::readWordList(own), expected);
    }

    // The marks go where the reports go: exported and imported with them,
    // none when reports from before the marks come in (they would name
    // other sheets), back with a restored backup after the reset.
    void marksTravelWithTheReports_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("expected");
        QTest::newRow("export and import") << "export" << "1/1";
        QTest::newRow("an export from before the marks") << "older" << "0/0";
        QTest::newRow("backup, reset, restore") << "restore" << "1/1";
    }
    void marksTravelWithTheReports()
    {
        QFETCH(QString, way);
        QFETCH(QString, expected);
        {
            store::TableSet set(data());
            set.openAtStart();
            domain::setWeekMark(set, QDate(2006, 12, 27), QStringLiteral("Urlaub"));
            domain::markSeen(set, {set.queryValue(QStringLiteral("SELECT MIN(BerLfd) FROM bericht")).toLongLong()},
                             QDate(2006, 12, 22), QStringLiteral("Meister Ruß"));
        }
        QCOMPARE(marks(), QStringLiteral("1/1"));
        if (way == QLatin1String("restore")) {
            inWindow([&](TEXIMMainForm &f) {
                m_messages->answer(Answer::Ok);
                f.lsichernbtnClick();
            });
            {
                store::TableSet set(data());
                set.openAtStart();
                store::resetToDelivered(set);
            }
            QCOMPARE(marks(), QStringLiteral("0/0"));
            m_clock->set(m_clock->now().addSecs(60));
            inWindow([&](TEXIMMainForm &f) {
                f.findChild<QListWidget *>(QStringLiteral("dirlistbox"))->setCurrentRow(0);
                m_messages->answer(Answer::Yes);
                f.lrestorebtnClick();
            });
        } else {
            exportTo(stick());
            if (way == QLatin1String("older")) {
                QVERIFY(QFile::remove(stick() + QStringLiteral("/marken.db")));
                writeList(stick(), "berdet.DB\r\nbericht.db\r\nhints.db\r\nthetable.DB\r\ntmptable.DB\r\nuebersB.DB\r\n");
            }
            m_messages->clear();
            importFrom(stick());
        }
        QCOMPARE(m_messages->errors(), QStringList());
        QCOMPARE(marks(), expected);
        store::TableSet set(data());
        set.openAtStart();
        QCOMPARE(set.queryValue(QStringLiteral("SELECT COUNT(*) FROM bericht")).toInt(), 1);
    }

    // The questions whether to replace an earlier export are asked before
    // the copy shows its progress: nothing covers them, however long they
    // are read (a progress window shows itself seconds after it is made).
    void replaceQuestionsComeBeforeTheProgress()
    {
        exportTo(stick());
        QStringList covered;
        m_messages->whileAsking([&](const QString &question) {
            if (question.contains(QStringLiteral("ersetzt")) && covered.isEmpty())
                QTest::qWait(4500);
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<QProgressDialog *>(w) && w->isVisible())
                    covered << question;
        });
        exportTo(stick(), {Answer::Yes, Answer::YesToAll});
        m_messages->whileAsking({});
        QCOMPARE(covered, QStringList());
        QCOMPARE(m_messages->notices().last(), QStringLiteral("Export abgeschlossen!"));
    }

    void localBackupsInTheSameSecondShareADirectory()
    {
        inWindow([&](TEXIMMainForm &f) {
            m_messages->answer(Answer::Ok);
            f.lsichernbtnClick();
            m_messages->answer(Answer::Ok);
            m_messages->answer(Answer::YesToAll);
            f.lsichernbtnClick();
        });
        const QString dir = backups() + QStringLiteral("/2006-12-24_14-25-33");
        QCOMPARE(exchange::backupList(backups()), QStringList{QStringLiteral("2006-12-24_14-25-33")});
        QCOMPARE(m_messages->questions().size(), 3);
        QVERIFY(m_messages->questions()[2].contains(QStringLiteral("„berdet.DB“")));
        QCOMPARE(m_messages->notices(), QStringList(2, QStringLiteral("Lokale Sicherung abgeschlossen!")));
        QCOMPARE(testsupport::fileSnapshot(dir), testsupport::fileSnapshot(data()));
    }

    void aCancelledBackupLeavesNoBackup()
    {
        inWindow([&](TEXIMMainForm &f) {
            m_messages->answer(Answer::Cancel);
            f.lsichernbtnClick();
        });
        QCOMPARE(exchange::backupList(backups()), QStringList());
        QVERIFY(m_messages->notices().isEmpty());
    }

    void backupNamesSortByTime()
    {
        QStringList made;
        for (const QDateTime &at :
             {QDateTime(QDate(2007, 1, 2), QTime(9, 5, 7)), QDateTime(QDate(2006, 12, 24), QTime(14, 25, 33)),
              QDateTime(QDate(2006, 12, 24), QTime(9, 59, 59)), QDateTime(QDate(2010, 10, 1), QTime(0, 0))}) {
            made << exchange::backupName(at);
            QVERIFY(QDir().mkpath(backups() + QLatin1Char('/') + made.last()));
        }
        QCOMPARE(made.first(), QStringLiteral("2007-01-02_09-05-07"));
        QCOMPARE(exchange::backupList(backups()),
                 (QStringList{QStringLiteral("2006-12-24_09-59-59"), QStringLiteral("2006-12-24_14-25-33"),
                              QStringLiteral("2007-01-02_09-05-07"), QStringLiteral("2010-10-01_00-00-00")}));
    }

    void failedExportsLeaveTheTargetAsItWas_data()
    {
        QTest::addColumn<QString>("target");     // "export": over an older export
        // a data file that fails while it is read; "+name": a file of that name put into the data
        QTest::addColumn<QString>("unreadable");
        QTest::addColumn<QList<Answer>>("replies");
        QTest::addColumn<QString>("error");
        QTest::newRow("read error over an older export")
            << QStringLiteral("export") << QStringLiteral("hints.db") << QList<Answer>{Answer::YesToAll}
            << QStringLiteral("hints.db:\r\nDie Datei kann nicht gelesen werden");
        QTest::newRow("read error of the last file, empty directory")
            << QStringLiteral("empty") << QStringLiteral("uebersB.DB") << QList<Answer>()
            << QStringLiteral("Export fehlgeschlagen!");
        QTest::newRow("read error in a local backup")
            << QStringLiteral("backup") << QStringLiteral("hints.db") << QList<Answer>()
            << QStringLiteral("Lokale Sicherung fehlgeschlagen!");
        QTest::newRow("Cancel at the second file")
            << QStringLiteral("export") << QString() << QList<Answer>{Answer::Yes, Answer::Yes, Answer::Cancel}
            << QString();
        QTest::newRow("No for one file") << QStringLiteral("export") << QString()
                                         << QList<Answer>{Answer::Yes, Answer::No} << QStringLiteral("nur als Ganzes");
        QTest::newRow("a name the list cannot hold")
            << QStringLiteral("export") << QStringLiteral("+Łódź.txt") << QList<Answer>()
            << QStringLiteral("Łódź.txt:\r\nDer Name enthält das Zeichen „Ł“");
    }
    void failedExportsLeaveTheTargetAsItWas()
    {
        QFETCH(QString, target);
        QFETCH(QString, unreadable);
        QFETCH(QList<Answer>, replies);
        QFETCH(QString, error);
        if (target == QLatin1String("export"))
            exportTo(stick());
        m_messages->clear();
        const QString dir = target == QLatin1String("backup")  ? backups()
                            : target == QLatin1String("empty") ? stick() + QStringLiteral("/leer")
                                                               : stick();
        QVERIFY(target == QLatin1String("backup") || QDir().mkpath(dir));
        addReport(2);
        const QMap<QString, QByteArray> before = testsupport::fileSnapshot(dir);
        if (unreadable.startsWith(QLatin1Char('+')))
            write(data() + QLatin1Char('/') + unreadable.mid(1), "x");
        else if (!unreadable.isEmpty())
            failReading(unreadable);
        if (target == QLatin1String("backup"))
            inWindow([&](TEXIMMainForm &f) {
                m_messages->answer(Answer::Ok);
                f.lsichernbtnClick();
            });
        else
            exportTo(dir, replies);
        // No half set, no mixture of old and new, nothing left half-written.
        QCOMPARE(testsupport::fileSnapshot(dir), before);
        QCOMPARE(m_messages->notices(), QStringList());
        QCOMPARE(m_messages->errors().size(), error.isEmpty() ? 0 : 1);
        QVERIFY2(m_messages->errors().join(QString()).contains(error),
                 qPrintable(m_messages->errors().join(QString())));
    }

    void aFailedPuttingBackKeepsTheOldFiles_data()
    {
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("untrue");
        QTest::newRow("export") << false << QStringLiteral("alles wie zuvor");
        QTest::newRow("import") << true << QStringLiteral("unverändert");
    }
    void aFailedPuttingBackKeepsTheOldFiles()
    {
        QFETCH(bool, import);
        QFETCH(QString, untrue);
        exportTo(stick());
        addReport(2);
        const QString dir = import ? data() : stick();
        const QByteArray old = contents(dir + QStringLiteral("/bericht.db"));
        // hints.db cannot be put into place, nor the old bericht.db back.
        exchange::setRenamer([dir](const QString &from, const QString &to) {
            const bool back = from.contains(QLatin1String("alt-"));
            return to != dir + (back ? QStringLiteral("/bericht.db") : QStringLiteral("/hints.db"))
                   && QFile::rename(from, to);
        });
        m_messages->clear();
        if (import)
            importFrom(stick());
        else
            exportTo(stick(), {Answer::YesToAll});
        QCOMPARE(m_messages->notices(), QStringList());
        QCOMPARE(m_messages->errors().size(), 1);
        const QString error = m_messages->errors().first();
        QVERIFY2(error.contains(QStringLiteral("konnten nicht alle zurückgelegt werden")) && !error.contains(untrue),
                 qPrintable(error));
        // The old file is where the message says.
        const QString kept = error.section(QStringLiteral("„"), -1).section(QStringLiteral("“"), 0, 0);
        QCOMPARE(contents(QDir::fromNativeSeparators(kept) + QStringLiteral("/bericht.db")), old);
    }

    void restoreWithoutAnEarlierFileListAndKeepingUnnamedFiles()
    {
        QVERIFY(!QFile::exists(data() + QStringLiteral("/filelist.txt")));
        const QByteArray reports = contents(data() + QStringLiteral("/bericht.db"));
        inWindow([&](TEXIMMainForm &f) {
            m_messages->answer(Answer::Ok);
            f.lsichernbtnClick();
        });
        QFile::remove(data() + QStringLiteral("/filelist.txt"));
        addReport(2);
        write(data() + QStringLiteral("/notiz.txt"), "bleibt");
        m_clock->set(m_clock->now().addSecs(60));
        inWindow([&](TEXIMMainForm &f) {
            auto *list = f.findChild<QListWidget *>(QStringLiteral("dirlistbox"));
            list->setCurrentRow(0);
            m_messages->answer(Answer::Yes);
            f.lrestorebtnClick();
        });
        QCOMPARE(m_messages->errors(), QStringList());
        QCOMPARE(contents(data() + QStringLiteral("/bericht.db")), reports);
        QCOMPARE(contents(data() + QStringLiteral("/notiz.txt")), QByteArray("bleibt"));
        // The data replaced are kept in a backup, named in the last message.
        QCOMPARE(m_messages->notices().last(),
                 QStringLiteral("Import abgeschlossen!\r\nIhre bisherigen Daten liegen in der lokalen Sicherung "
                                "2006-12-24_14-26-33."));
        QVERIFY(contents(backups() + QStringLiteral("/2006-12-24_14-26-33/bericht.db")) != reports);
        QCOMPARE(contents(backups() + QStringLiteral("/2006-12-24_14-26-33/notiz.txt")), QByteArray("bleibt"));
    }

    // A restore the data directory cannot take, refused before anything
    // is copied: the data, the backups and the program directory stay as
    // they were.
    void restoresRefusedBeforeAnythingChanges_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("error");
        QTest::newRow("link made in place of the backup")
            << QStringLiteral("link") << QStringLiteral("„2006-12-24_14-25-33“ ist keine Sicherung, sondern eine "
                                                        "Verknüpfung");
        QTest::newRow("no room for the copy and the safety backup")
            << QStringLiteral("full") << QStringLiteral("ist nicht genug Platz frei: Gebraucht werden ");
    }
    void restoresRefusedBeforeAnythingChanges()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, error);
        QVERIFY(exchange::backupDataDirectory(data(), backups(), m_clock->now()).failure == std::nullopt);
        addReport(2);
        // Other data outside the program directory, with a list of its own.
        QVERIFY(exchange::writeFileList(data(), exchange::fileSet(data())) == std::nullopt);
        for (const QString &name : exchange::fileSet(data()))
            QVERIFY(QFile::copy(QDir(data()).filePath(name), QDir(stick()).filePath(name)));
        addReport(3);
        const QString backup = backups() + QStringLiteral("/2006-12-24_14-25-33");
        const auto everything = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        const QMap<QString, QByteArray> before = testsupport::fileSnapshot(data());
        const QStringList beside = QDir(m_dir->path()).entryList(everything);
        const qint64 needed = exchange::totalSize(data()) + exchange::totalSize(backup)
                              - QFileInfo(backup + QStringLiteral("/filelist.txt")).size();
        inWindow([&](TEXIMMainForm &f) {
            auto *list = f.findChild<QListWidget *>(QStringLiteral("dirlistbox"));
            list->setCurrentRow(0);
            if (obstacle == QLatin1String("link")) {
                // The backup becomes a link after the list was made.
                QVERIFY(QDir(backup).removeRecursively());
                QVERIFY(QFile::link(stick(), backup));
            } else {
                m_volumes->free[m_dir->path()] = needed - 1;
            }
            m_messages->answer(Answer::Yes);
            f.lrestorebtnClick();
            if (obstacle == QLatin1String("link")) // a link is never listed
                QCOMPARE(list->count(), 0);
        }, false);
        QCOMPARE(m_messages->errors().size(), 1);
        const QString said = m_messages->errors().first();
        QVERIFY2(said.contains(error), qPrintable(said));
        QCOMPARE(m_messages->notices(), QStringList());
        QCOMPARE(testsupport::fileSnapshot(data()), before);
        QCOMPARE(QDir(m_dir->path()).entryList(everything), beside);
        // No safety backup, nothing half written.
        QCOMPARE(QDir(backups()).entryList(everything), QStringList{QStringLiteral("2006-12-24_14-25-33")});
        if (obstacle == QLatin1String("full")) { // the disk and the size needed are named
            QVERIFY2(said.contains(store::sizeText(needed)), qPrintable(said));
            QVERIFY(said.contains(store::diskName(m_dir->path())));
        }
    }

    void restoreWithoutSelectionBeeps()
    {
        QVERIFY(QDir().mkpath(backups() + QStringLiteral("/2006-12-01_10-00-00")));
        inWindow([&](TEXIMMainForm &f) { f.lrestorebtnClick(); });
        QCOMPARE(m_messages->beeps(), 1);
        QCOMPARE(m_messages->shown(), QStringList());
    }

    void freeSpaceMustHoldTheData_data()
    {
        QTest::addColumn<qint64>("spare");
        QTest::addColumn<bool>("copied");
        QTest::newRow("exact fit") << qint64(0) << true;
        QTest::newRow("one byte short") << qint64(-1) << false;
    }
    void freeSpaceMustHoldTheData()
    {
        QFETCH(qint64, spare);
        QFETCH(bool, copied);
        // The list written twice names itself, so the size stays.
        for (int i = 0; i < 2; ++i)
            exchange::writeFileList(data(), exchange::fileSet(data()));
        const qint64 needed = exchange::totalSize(data());
        QVERIFY(needed > 100000);
        m_volumes->free[stick()] = needed + spare;
        exportTo(stick());
        QCOMPARE(QFile::exists(stick() + QStringLiteral("/bericht.db")), copied);
        if (!copied)
            QCOMPARE(m_messages->errors(),
                     QStringList{QStringLiteral("Zuwenig Speicherplatz auf dem Zieldatenträger! ?Benötigter Platz: "
                                                "%1, frei: %2")
                                     .arg(needed)
                                     .arg(needed - 1)});
    }

    void onlyFertigStoresTheVolumeAndDirectory_data()
    {
        QTest::addColumn<bool>("fertig");
        QTest::newRow("Fertig") << true;
        QTest::newRow("close box") << false;
    }
    void onlyFertigStoresTheVolumeAndDirectory()
    {
        QFETCH(bool, fertig);
        // The settings file is found whatever the case of its name.
        write(m_dir->path() + QStringLiteral("/ruririd.ini"), "[Stift]\r\nName=Anna\r\n");
        const QString sub = stick() + QStringLiteral("/Lernora");
        QVERIFY(QDir().mkpath(sub));
        inWindow(
            [&](TEXIMMainForm &f) {
                f.findChild<QComboBox *>(QStringLiteral("DriveComboBox1"))->setCurrentIndex(1);
                f.openDirectory(sub);
            },
            fertig);
        QVERIFY(!QFile::exists(m_dir->path() + QStringLiteral("/Ruririd.ini")));
        const store::Settings ini(m_dir->path() + QStringLiteral("/ruririd.ini"));
        QCOMPARE(ini.readString(QStringLiteral("exim"), QStringLiteral("drive")), fertig ? stick() : QString());
        QCOMPARE(ini.readString(QStringLiteral("exim"), QStringLiteral("directory")),
                 fertig ? QDir::toNativeSeparators(sub) : QString());
        if (fertig) // the next showing opens where "Fertig" left
            inWindow([&](TEXIMMainForm &f) { QCOMPARE(f.directory(), sub); });
    }

    void aPulledStickFallsBackToHome()
    {
        store::Settings(m_dir->path() + QStringLiteral("/Ruririd.ini"))
            .writeString(QStringLiteral("exim"), QStringLiteral("drive"), QStringLiteral("/media/weg"));
        inWindow([&](TEXIMMainForm &f) { QCOMPARE(f.directory(), m_dir->path()); });
        QCOMPARE(m_messages->errors(), QStringList{QStringLiteral("Kein Datenträger in Laufwerk /media/weg")});
        // A listed volume without a medium, chosen in the window.
        m_volumes->free.remove(stick());
        m_messages->clear();
        inWindow([&](TEXIMMainForm &f) {
            f.findChild<QComboBox *>(QStringLiteral("DriveComboBox1"))->setCurrentIndex(1);
            QCOMPARE(f.directory(), m_dir->path());
        });
        QCOMPARE(m_messages->errors(), QStringList{QStringLiteral("Kein Datenträger in Laufwerk ") + stick()});
    }

    void deletingBackups_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QStringList>("marked");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("locked"); // a backup with a file that cannot be removed
        const QString a = QStringLiteral("2006-12-01_10-00-00"), b = QStringLiteral("2006-12-08_18-30-12"),
                      other = QStringLiteral("privat"), link = QStringLiteral("2006-12-09_00-00-00");
        // The link is no backup: never listed, never followed.
        QTest::newRow("Cancel") << Answer::Cancel << QStringList{a, b} << QStringList{a, b, other} << QString()
                                << QString();
        QTest::newRow("none marked") << Answer::Yes << QStringList() << QStringList{a, b, other}
                                     << QStringLiteral("Keine Sicherungen zum Löschen markiert.") << QString();
        QTest::newRow("one") << Answer::Yes << QStringList{b} << QStringList{a, other} << QString() << QString();
        QTest::newRow("no backup") << Answer::Yes << QStringList{a, other} << QStringList{b, other}
                                   << QStringLiteral("wurden nicht gelöscht:\r\nprivat") << QString();
        QTest::newRow("a backup that cannot be removed")
            << Answer::Yes << QStringList{a, b} << QStringList{a, other}
            << QStringLiteral("nicht ganz gelöscht werden (eine Datei darin ist schreibgeschützt oder in "
                              "Gebrauch):\r\n")
                   + a
                   + QStringLiteral("\r\nBitte schließen Sie Programme, die Dateien darin geöffnet haben, und "
                                    "versuchen Sie es noch einmal.")
            << a;
    }
    void deletingBackups()
    {
        QFETCH(Answer, answer);
        QFETCH(QStringList, marked);
        QFETCH(QStringList, left);
        QFETCH(QString, error);
        QFETCH(QString, locked);
        for (const char *name : {"2006-12-01_10-00-00", "2006-12-08_18-30-12", "privat"}) {
            QVERIFY(QDir().mkpath(backups() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("/sub")));
            write(backups() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("/sub/a.db"), "x");
        }
        // Root removes what permissions forbid: for root the file is made immutable.
        const QString lockedFile = backups() + QLatin1Char('/') + locked + QStringLiteral("/sub/a.db");
        const QStringList lock{QStringLiteral("+i"), lockedFile}, unlock{QStringLiteral("-i"), lockedFile};
#ifdef Q_OS_UNIX
        const bool root = ::geteuid() == 0;
#else
        const bool root = false;
#endif
        if (!locked.isEmpty())
            QVERIFY(root ? QProcess::execute(QStringLiteral("chattr"), lock) == 0
                         : QFile::setPermissions(QFileInfo(lockedFile).path(), QFile::ReadOwner | QFile::ExeOwner));
        const auto unlocked = qScopeGuard([&] {
            if (!locked.isEmpty() && root)
                QProcess::execute(QStringLiteral("chattr"), unlock);
            else if (!locked.isEmpty())
                QFile::setPermissions(QFileInfo(lockedFile).path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        // A link with a backup's name leads out of the backups, and so does
        // one inside a backup.
        QVERIFY(QFile::link(stick(), backups() + QStringLiteral("/2006-12-09_00-00-00")));
        QVERIFY(QFile::link(stick(), backups() + QStringLiteral("/2006-12-08_18-30-12/sub/stick")));
        write(stick() + QStringLiteral("/fremd.txt"), "bleibt");
        inWindow([&](TEXIMMainForm &f) {
            auto *list = f.findChild<QListWidget *>(QStringLiteral("dirlistbox"));
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setCheckState(marked.contains(list->item(i)->text()) ? Qt::Checked : Qt::Unchecked);
            m_messages->answer(answer);
            f.loeschbtnClick();
            QCOMPARE(m_messages->errors().join(QString()).right(error.size()), error);
            QCOMPARE(list->count(), left.size());
        });
        QCOMPARE(exchange::backupList(backups()).join(QLatin1Char(' ')), left.join(QLatin1Char(' ')));
        QCOMPARE(contents(stick() + QStringLiteral("/fremd.txt")), QByteArray("bleibt"));
        QCOMPARE(m_messages->errors().size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty())
            QVERIFY2(m_messages->errors().first().endsWith(error), qPrintable(m_messages->errors().first()));
    }

    void importsThatLeaveTheDataAsTheyWere_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("broken"); // a file of the source made bad
        QTest::addColumn<QString>("error");
        const QByteArray good = "bericht.db\r\nhints.db\r\n";
        QTest::newRow("../Ruririd.ini") << QByteArray("bericht.db\r\n../Ruririd.ini\r\n") << QString()
                                        << QStringLiteral("Zeile 2 der Dateiliste „../Ruririd.ini“ ist ein Pfad");
        QTest::newRow("/etc/passwd") << QByteArray("/etc/passwd\r\n") << QString() << QStringLiteral("ist ein Pfad");
        QTest::newRow("a/b.db") << QByteArray("bericht.db\r\na/b.db\r\n") << QString()
                                << QStringLiteral("ist ein Pfad");
        QTest::newRow("..") << QByteArray("..\r\n") << QString() << QStringLiteral("Verweis auf ein Verzeichnis");
        QTest::newRow("drive") << QByteArray("C:bericht.db\r\n") << QString() << QStringLiteral("Laufwerksangabe");
        QTest::newRow("control character")
            << QByteArray("bericht.db\x01\r\n") << QString() << QStringLiteral("Steuerzeichen");
        QTest::newRow("empty line") << QByteArray("bericht.db\r\n\r\nhints.db\r\n") << QString()
                                    << QStringLiteral("leere Zeile");
        QTest::newRow("no list") << QByteArray() << QString() << QStringLiteral("Keine Importdaten vorhanden!");
        QTest::newRow("named file missing") << QByteArray("bericht.db\r\nfehlt.db\r\n") << QString()
                                            << QStringLiteral("fehlt.db:\r\nDie Datei wurde nicht gefunden.");
        QTest::newRow("table file missing")
            << good << QStringLiteral("missing")
            << QStringLiteral("bericht.db:\r\nDie Datei wurde nicht gefunden. Die Dateiliste nennt sie, die "
                              "Importdaten sind also unvollständig.");
        QTest::newRow("table file cut in half") << good << QStringLiteral("half") << QStringLiteral("unvollständig");
        QTest::newRow("end of a picture cut") << good << QStringLiteral("picture") << QStringLiteral("unvollständig");
        QTest::newRow("corrupt table") << good << QStringLiteral("garbage") << QStringLiteral("beschädigt");
        QTest::newRow("other table") << good << QStringLiteral("hints")
                                     << QStringLiteral("nicht die erwartete Tabelle");
        QTest::newRow("link") << good << QStringLiteral("link") << QStringLiteral("Verknüpfung");
        QTest::newRow("read error") << good << QStringLiteral("unreadable")
                                    << QStringLiteral("Die Datei kann nicht gelesen werden");
        // A journal that could still change its table: SQLite would write
        // its pages into whatever table lies beside it.
        const QString journal = QStringLiteral("ist ein Änderungsjournal der Tabelle „bericht.db“");
        QTest::newRow("journal named in the list")
            << QByteArray("bericht.db\r\nbericht.db-journal\r\nhints.db\r\n") << QStringLiteral("journal") << journal;
        QTest::newRow("journal alone in the list")
            << QByteArray("bericht.db-journal\r\n") << QStringLiteral("journal") << journal;
        QTest::newRow("journal beside a table") << good << QStringLiteral("journal") << journal;
        QTest::newRow("log beside a table in other letters")
            << good << QStringLiteral("BERICHT.DB-WAL") << QStringLiteral("Änderungsjournal");
        QTest::newRow("view instead of the table")
            << good << QStringLiteral("view") << QStringLiteral("die Sicht (View) „bericht“");
        QTest::newRow("trigger") << good << QStringLiteral("trigger") << QStringLiteral("den Auslöser (Trigger)");
        QTest::newRow("computed column") << good << QStringLiteral("computed")
                                         << QStringLiteral("nicht die erwartete Tabelle „bericht“");
        // Sets that do not fit together, also with the tables of the data
        // directory that the list leaves as they are.
        QTest::newRow("details of another export")
            << QByteArray("bericht.db\r\nberdet.DB\r\nthetable.DB\r\n") << QStringLiteral("orphan")
            << QStringLiteral("1 Planpunkte der Berichte in berdet.DB gehören zu keinem Bericht in bericht.db");
        QTest::newRow("details without the reports they need")
            << QByteArray("berdet.DB\r\n") << QStringLiteral("details")
            << QStringLiteral("gehören zu keinem Bericht in bericht.db. Die Dateiliste nennt nicht alle Tabellen");
        QTest::newRow("plan of another kind") << QByteArray("thetable.DB\r\n") << QStringLiteral("plan")
                                              << QStringLiteral("fehlen im Rahmenplan in thetable.DB");
    }
    void importsThatLeaveTheDataAsTheyWere()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, broken);
        QFETCH(QString, error);
        // A sound export of other data, then spoiled.
        const QByteArray reportsBefore = contents(data() + QStringLiteral("/bericht.db"));
        addReport(2);
        if (broken == QLatin1String("picture")) {
            store::TableSet set(data());
            set.openAtStart();
            set.exec(QStringLiteral("UPDATE bericht SET Bild2 = randomblob(10000) WHERE Nummer = 2"));
        }
        for (const QString &name : exchange::fileSet(data()))
            QVERIFY(QFile::copy(QDir(data()).filePath(name), QDir(stick()).filePath(name)));
        QFile::remove(stick() + QStringLiteral("/filelist.txt"));
        if (!list.isEmpty())
            writeList(stick(), list);
        write(m_dir->path() + QStringLiteral("/Ruririd.ini"), "[Stift]\r\nName=Anna\r\n");
        const QString reports = stick() + QStringLiteral("/bericht.db");
        if (broken == QLatin1String("garbage")) {
            QByteArray bytes = contents(reports);
            bytes.replace(4096, 2048, QByteArray(2048, '\xA5'));
            write(reports, bytes);
        } else if (broken == QLatin1String("missing")) {
            QVERIFY(QFile::remove(reports));
        } else if (broken == QLatin1String("half") || broken == QLatin1String("picture")) {
            const QByteArray bytes = contents(reports);
            write(reports, bytes.left(broken == QLatin1String("half") ? bytes.size() / 2 : bytes.size() - 100));
        } else if (broken == QLatin1String("hints")) {
            QFile::remove(reports);
            QVERIFY(QFile::copy(stick() + QStringLiteral("/hints.db"), reports));
        } else if (broken == QLatin1String("link")) {
            QFile::remove(reports);
            QVERIFY(QFile::link(data() + QStringLiteral("/uebersB.DB"), reports));
        } else if (broken == QLatin1String("unreadable")) {
            failReading(QStringLiteral("hints.db"));
        } else if (broken == QLatin1String("journal") || broken == QLatin1String("BERICHT.DB-WAL")) {
            const QString name = broken == QLatin1String("journal") ? QStringLiteral("bericht.db-journal") : broken;
            write(QDir(stick()).filePath(name), QByteArray::fromHex("d9d505f920a163d7377f06822cd0a3c2")
                                                    + QByteArray(4096, '\x5A'));
        } else if (broken == QLatin1String("view")) {
            // The reports' columns over a table of one row.
            sql(reports, QStringLiteral("ALTER TABLE bericht RENAME TO alt; CREATE VIEW bericht AS SELECT * FROM alt "
                                        "WHERE Nummer = 1"));
        } else if (broken == QLatin1String("trigger")) {
            sql(reports, QStringLiteral("CREATE TRIGGER weg AFTER UPDATE ON bericht BEGIN DELETE FROM bericht; END"));
        } else if (broken == QLatin1String("computed")) {
            sql(reports, QStringLiteral("ALTER TABLE bericht ADD COLUMN Extra INTEGER AS (Nummer * 2)"));
        } else if (broken == QLatin1String("orphan")) {
            sql(stick() + QStringLiteral("/berdet.DB"),
                QStringLiteral("INSERT INTO berdet (Masterlfd, LfdfTag) VALUES (99, 3)"));
        } else if (broken == QLatin1String("details")) {
            // Items of report 2, which the data directory does not have.
            sql(stick() + QStringLiteral("/berdet.DB"),
                QStringLiteral("INSERT INTO berdet (Masterlfd, LfdfTag) VALUES (2, 3)"));
        } else if (broken == QLatin1String("plan")) {
            sql(data() + QStringLiteral("/berdet.DB"), QStringLiteral("INSERT INTO berdet (Masterlfd, LfdfTag) "
                                                                       "VALUES (1, 3)"));
            sql(stick() + QStringLiteral("/thetable.DB"), QStringLiteral("DELETE FROM thetable WHERE LfdfTag = 3"));
        }
        write(data() + QStringLiteral("/bericht.db"), reportsBefore);
        const QMap<QString, QByteArray> before = testsupport::fileSnapshot(data());
        const QByteArray settings = contents(m_dir->path() + QStringLiteral("/Ruririd.ini"));
        importFrom(stick(), false);
        QCOMPARE(m_messages->errors().size(), 1);
        QVERIFY2(m_messages->errors().first().contains(error), qPrintable(m_messages->errors().first()));
        QCOMPARE(testsupport::fileSnapshot(data()), before);
        QCOMPARE(contents(m_dir->path() + QStringLiteral("/Ruririd.ini")), settings);
        QCOMPARE(m_messages->notices(), QStringList());
        // Nothing is left beside the data: no staging, and no safety backup
        // of an import refused before anything would have been replaced.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("daten"), QStringLiteral("Ruririd.ini")}));
    }

    // A backup or a restore stopped on its way, by the user or by a
    // failure: the data, the backups and everything else in the program
    // directory stay exactly as they were.
    void stoppedBackupsAndRestoresLeaveEverythingAsItWas_data()
    {
        QTest::addColumn<QString>("step"); // backup; again: a second one in the same second; restore
        // "cancel N": the N-th question whether to go on is answered no
        // ("cancel check": the first while the tables are checked); "read
        // NAME": NAME fails while it is read; "rename N": the N-th move
        // into the data directory fails
        QTest::addColumn<QString>("stop");
        QTest::newRow("backup, cancelled at the third file") << QStringLiteral("backup") << QStringLiteral("cancel 3");
        QTest::newRow("backup, read error") << QStringLiteral("backup") << QStringLiteral("read hints.db");
        QTest::newRow("second backup in the same second, cancelled")
            << QStringLiteral("again") << QStringLiteral("cancel 3");
        QTest::newRow("restore, cancelled while copying") << QStringLiteral("restore") << QStringLiteral("cancel 3");
        QTest::newRow("restore, cancelled while checking")
            << QStringLiteral("restore") << QStringLiteral("cancel check");
        QTest::newRow("restore, read error") << QStringLiteral("restore") << QStringLiteral("read hints.db");
        QTest::newRow("restore, the fourth file cannot be moved into place")
            << QStringLiteral("restore") << QStringLiteral("rename 4");
    }
    void stoppedBackupsAndRestoresLeaveEverythingAsItWas()
    {
        QFETCH(QString, step);
        QFETCH(QString, stop);
        const QString first = exchange::backupDataDirectory(data(), backups(), m_clock->now()).name;
        addReport(2);
        write(data() + QStringLiteral("/notiz.txt"), "bleibt");
        const QMap<QString, QByteArray> before = testsupport::fileSnapshot(m_dir->path());
        const QStringList how = stop.split(QLatin1Char(' '));
        int asked = 0, renamed = 0;
        bool outOfRange = false;
        exchange::CopyHooks hooks;
        hooks.progress = [&](qint64 done, qint64 total, const QString &name) {
            ++asked;
            outOfRange = outOfRange || done < 0 || done > total;
            if (how[0] != QLatin1String("cancel"))
                return true;
            return how[1] == QLatin1String("check") ? !name.isEmpty() || done < total : asked != how[1].toInt();
        };
        if (how[0] == QLatin1String("read"))
            failReading(how[1]);
        if (how[0] == QLatin1String("rename"))
            exchange::setRenamer([&](const QString &from, const QString &to) {
                return !(QFileInfo(to).absolutePath() == data() && ++renamed == how[1].toInt())
                       && QFile::rename(from, to);
            });
        const QDateTime later = m_clock->now().addSecs(60);
        bool cancelled = false;
        std::optional<exchange::Failure> failure;
        if (step == QLatin1String("restore")) {
            const QString source = QDir(backups()).filePath(first);
            const exchange::ImportResult result =
                exchange::importFiles(source, exchange::readFileList(source).names, data(), backups(), later, hooks);
            failure = result.failure;
            cancelled = result.cancelled;
            QCOMPARE(result.safety, QString());
        } else {
            const QString name = step == QLatin1String("again") ? first : exchange::backupName(later);
            failure = exchange::writeBackup(data(), exchange::fileSet(data()), backups(), name, hooks, &cancelled);
        }
        QCOMPARE(cancelled, how[0] == QLatin1String("cancel"));
        QCOMPARE(bool(failure), !cancelled);
        if (failure)
            QVERIFY2(!failure->leftChanged, qPrintable(failure->text()));
        QVERIFY(asked > 0 && !outOfRange);
        QCOMPARE(testsupport::fileSnapshot(m_dir->path()), before);
    }

#ifdef Q_OS_UNIX
    // The safety backup of a restore holds the very files the restore
    // replaced, moved there rather than copied (the same file on the disk),
    // and a copy of those it leaves; a restore that fails on its way puts
    // the moved files back as they were.
    void theSafetyBackupHoldsTheOldFiles_data()
    {
        QTest::addColumn<int>("failAt"); // the move into the data directory that fails; 0: none
        QTest::newRow("restore") << 0;
        QTest::newRow("the first file cannot be moved into place") << 1;
        QTest::newRow("the last file cannot be moved into place") << 7;
    }
    void theSafetyBackupHoldsTheOldFiles()
    {
        QFETCH(int, failAt);
        const QString first = exchange::backupDataDirectory(data(), backups(), m_clock->now()).name;
        const QString source = QDir(backups()).filePath(first);
        const QStringList names = exchange::readFileList(source).names;
        QCOMPARE(names.size(), 7); // the tables and the marks; the list did not name itself
        addReport(2);
        write(data() + QStringLiteral("/notiz.txt"), "bleibt");
        const QMap<QString, QByteArray> before = testsupport::fileSnapshot(data());
        auto fileIds = [](const QString &dir) {
            QMap<QString, quint64> ids;
            for (const QString &name : QDir(dir).entryList(QDir::Files)) {
                struct stat st;
                if (::stat(QFile::encodeName(QDir(dir).filePath(name)).constData(), &st) == 0)
                    ids.insert(name, quint64(st.st_ino));
            }
            return ids;
        };
        const QMap<QString, quint64> idsBefore = fileIds(data());
        int renamed = 0;
        exchange::setRenamer([&](const QString &from, const QString &to) {
            return !(QFileInfo(to).absolutePath() == data() && ++renamed == failAt) && QFile::rename(from, to);
        });
        const exchange::ImportResult result =
            exchange::importFiles(source, names, data(), backups(), m_clock->now().addSecs(60), {});
        const auto hidden = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        if (failAt > 0) {
            QVERIFY(result.failure && !result.failure->leftChanged);
            QCOMPARE(testsupport::fileSnapshot(data()), before);
            QCOMPARE(fileIds(data()), idsBefore);
            QCOMPARE(QDir(backups()).entryList(hidden), QStringList{first});
            QCOMPARE(QDir(m_dir->path()).entryList(hidden), (QStringList{QStringLiteral("daten"), QStringLiteral("sicherung")}));
            return;
        }
        QVERIFY2(!result.failure, qPrintable(result.failure->text()));
        QCOMPARE(result.safety, QStringLiteral("2006-12-24_14-26-33"));
        QCOMPARE(QDir(backups()).entryList(hidden), (QStringList{first, result.safety}));
        const QString safety = QDir(backups()).filePath(result.safety);
        // Exactly the old files; its list names them all.
        QMap<QString, QByteArray> kept = testsupport::fileSnapshot(safety), old = before;
        QVERIFY(kept.remove(QStringLiteral("filelist.txt")) && old.remove(QStringLiteral("filelist.txt")));
        QCOMPARE(kept, old);
        QCOMPARE(exchange::readFileList(safety).names, exchange::fileSet(safety));
        const QMap<QString, quint64> idsKept = fileIds(safety);
        for (const QString &name : names)
            if (name != QLatin1String("filelist.txt"))
                QVERIFY2(idsKept.value(name) == idsBefore.value(name), qPrintable(name));
        // The data are those of the first backup, with the file it leaves.
        for (const QString &name : names)
            QCOMPARE(contents(QDir(data()).filePath(name)), contents(QDir(source).filePath(name)));
        QCOMPARE(contents(data() + QStringLiteral("/notiz.txt")), QByteArray("bleibt"));
    }
#endif

    void aMissingDataDirectoryClosesTheWindow()
    {
        QVERIFY(QDir(data()).removeRecursively());
        QCOMPARE(m_form->execute(), int(QDialog::Rejected));
        QCOMPARE(m_runner->shownNames(), QStringList());
        QCOMPARE(m_messages->beeps(), 1);
        QCOMPARE(m_messages->errors(),
                 QStringList{QDir::toNativeSeparators(data())
                             + QStringLiteral("\rDatenpfad nicht gefunden! Programm wird beendet.")});
    }

    void helpComesFromTheRtfFile()
    {
        inWindow([&](TEXIMMainForm &f) {
            QVERIFY(f.findChild<QTextEdit *>(QStringLiteral("hilfetext"))
                        ->toPlainText()
                        .contains(QStringLiteral("14:25:33")));
        });
        write(m_dir->path() + QStringLiteral("/importexport.rtf"), "{\\rtf1\\ansi {\\b Eigene} Hilfe \\'fc}");
        inWindow([&](TEXIMMainForm &f) {
            QCOMPARE(f.findChild<QTextEdit *>(QStringLiteral("hilfetext"))->toPlainText(),
                     QStringLiteral("Eigene Hilfe ü"));
        });
    }
};

QTEST_MAIN(TestExim)
#include "test_exim.moc"
