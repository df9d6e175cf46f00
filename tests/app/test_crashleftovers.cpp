// The program killed in the middle of a backup or a restore, and a journal
// left by a change that was killed: a child process runs the import/export
// window and kills itself at a chosen file. The next start removes what was
// left, puts back what a half-moved restore had replaced, lists no half
// backup, and a backup and a restore afterwards work.
//
// A full disk, made for the test as a small file system of its own: the
// reset and the restore say that the disk is full, which disk and how much
// they need, and leave the data as they were.

#include "app/application.h"
#include "app/mainform.h"
#include "app/start.h"
#include "exchange/eximform.h"
#include "exchange/filetransfer.h"
#include "filesnapshot.h"
#include "platform/clock.h"
#include "scriptedmessages.h"
#include "scriptedmodalrunner.h"
#include "store/diskspace.h"
#include "store/install.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using platform::Answer;

namespace {

constexpr char childArgument[] = "--killed-child";
const QDateTime firstBackup(QDate(2026, 3, 2), QTime(8, 0, 0));

// In the child: the window does `operation` ("backup" or "restore" of the
// only backup) and the process kills itself at the `at`-th opening of a
// file (below `below`), the `at`-th renaming into the data directory
// ("rename") or into the backups ("aside").
int runChild(const QString &operation, const QString &hook, int at)
{
    platform::ScriptedMessages messages;
    platform::ScriptedModalRunner runner;
    platform::FixedClock clock(firstBackup.addDays(1));
    platform::setClock(&clock);
    int count = 0;
    auto tick = [&count, at] {
        if (++count == at)
            ::kill(::getpid(), SIGKILL);
    };
    const QString data = QDir::current().filePath(QStringLiteral("daten"));
    const QString backups = QDir::current().filePath(QStringLiteral("sicherung"));
    if (hook == QLatin1String("rename") || hook == QLatin1String("aside"))
        exchange::setRenamer([&](const QString &from, const QString &to) {
            if (hook == QLatin1String("rename") ? QFileInfo(to).absolutePath() == data
                                                : QFileInfo(to).absolutePath().startsWith(backups))
                tick();
            return QFile::rename(from, to);
        });
    else
        exchange::setSourceOpener([&](const QString &path) -> std::unique_ptr<QIODevice> {
            if (QFileInfo(path).absolutePath().startsWith(QDir::current().filePath(hook)))
                tick();
            return std::make_unique<QFile>(path);
        });
    TEXIMMainForm form;
    runner.onNext(QStringLiteral("EXIMMainForm"), [&](QDialog *) {
        if (operation == QLatin1String("backup")) {
            messages.answer(Answer::Ok);
            form.lsichernbtnClick();
        } else {
            form.findChild<QListWidget *>(QStringLiteral("dirlistbox"))->setCurrentRow(0);
            messages.answer(Answer::Yes);
            form.lrestorebtnClick();
        }
    });
    form.execute();
    return 3; // not killed: the hook was never reached
}

void addReport(const QString &dataDir, int number)
{
    store::TableSet set(dataDir);
    set.openAtStart();
    set.exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, Taetigkeit, Bild1) VALUES "
                            "(1, %1, 1, 'Kehren %1', randomblob(300000))")
                 .arg(number));
    set.exec(QStringLiteral("INSERT INTO berdet (Masterlfd, LfdfTag) VALUES (last_insert_rowid(), 3)"));
}

// Every backup listed holds every file its list names, as long as it was.
QString halfBackup(const QString &root)
{
    for (const QString &name : exchange::backupList(root)) {
        const QString dir = QDir(root).filePath(name);
        const exchange::FileList list = exchange::readFileList(dir);
        if (list.unreadable)
            return name + QStringLiteral(" ohne Dateiliste");
        for (const QString &file : list.names)
            if (!QFileInfo(QDir(dir).filePath(file)).isFile())
                return name + QStringLiteral(" ohne ") + file;
    }
    return {};
}

} // namespace

class TestCrashLeftovers : public QObject
{
    Q_OBJECT

private slots:
    void theNextStartCleansUp_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("hook"); // what is counted: files opened below a folder, or renames
        QTest::addColumn<int>("at");
        QTest::newRow("backup, while copying") << QStringLiteral("backup") << QStringLiteral("daten") << 3;
        QTest::newRow("restore, while copying the backup")
            << QStringLiteral("restore") << QStringLiteral("sicherung") << 3;
        // The old reports are moved into the safety backup, the new ones
        // still wait.
        QTest::newRow("restore, during its safety backup")
            << QStringLiteral("restore") << QStringLiteral("aside") << 4;
        // The old reports are aside, the new ones not yet in place.
        QTest::newRow("restore, while moving into place") << QStringLiteral("restore") << QStringLiteral("rename") << 4;
        // A change killed before its journal's header was complete.
        QTest::newRow("journal of a killed change") << QStringLiteral("journal") << QString() << 0;
    }
    void theNextStartCleansUp()
    {
        QFETCH(QString, operation);
        QFETCH(QString, hook);
        QFETCH(int, at);
        testsupport::TempDataDir dir;
        const QString data = dir.dataDir(), backups = dir.path() + QStringLiteral("/sicherung");
        platform::ScriptedMessages messages;
        platform::ScriptedModalRunner runner;
        platform::FixedClock clock(firstBackup);
        platform::setClock(&clock);
        const auto noClock = qScopeGuard([] { platform::setClock(nullptr); });
        // The first start may set the plan's targets.
        QVERIFY(lernora::start({QStringLiteral("--daten-ordner"), dir.path()}, QString()).program);
        addReport(data, 1);
        QVERIFY(!exchange::backupDataDirectory(data, backups, clock.now()).failure);
        addReport(data, 2);
        const auto before = testsupport::fileSnapshot(data);
        const auto everything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        const QStringList beside = QDir(dir.path()).entryList(everything);

        if (operation == QLatin1String("journal")) {
            QFile journal(dir.file(QStringLiteral("berdet.DB-journal")));
            QVERIFY(journal.open(QIODevice::WriteOnly));
            journal.write(QByteArray(28, '\0') + QByteArray(4096, '\x33'));
        } else {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QString::fromLatin1(childArgument), operation, hook, QString::number(at)});
            QVERIFY(child.waitForFinished(60000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        }
        // The kill left something.
        QVERIFY(!QDir(dir.path()).entryList({QStringLiteral(".*")}, everything).isEmpty()
                || !QDir(backups).entryList({QStringLiteral(".*")}, everything).isEmpty() || !halfBackup(backups).isEmpty()
                || QFile::exists(dir.file(QStringLiteral("berdet.DB-journal"))));

        {
            lernora::Started started = lernora::start({QStringLiteral("--daten-ordner"), dir.path()}, QString());
            QVERIFY(started.program);
            QCOMPARE(messages.errors(), QStringList());
        }
        // Every backup writes the data directory's file list anew.
        auto after = testsupport::fileSnapshot(data);
        after.insert(QStringLiteral("filelist.txt"), before.value(QStringLiteral("filelist.txt")));
        for (auto it = after.begin(); it != after.end(); ++it)
            QVERIFY2(before.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(after.keys(), before.keys());
        QCOMPARE(QDir(dir.path()).entryList(everything), beside);
        QCOMPARE(QDir(backups).entryList({QStringLiteral(".*")}, everything), QStringList());
        QCOMPARE(halfBackup(backups), QString());

        // A backup and a restore of the first backup work as ever.
        clock.set(firstBackup.addDays(2));
        TEXIMMainForm form;
        runner.onNext(QStringLiteral("EXIMMainForm"), [&](QDialog *) {
            messages.answer(Answer::Ok);
            form.lsichernbtnClick();
            form.findChild<QListWidget *>(QStringLiteral("dirlistbox"))->setCurrentRow(0);
            messages.answer(Answer::Yes);
            form.lrestorebtnClick();
            form.close();
        });
        form.execute();
        QCOMPARE(messages.errors(), QStringList());
        QCOMPARE(messages.notices().size(), 2);
        QCOMPARE(halfBackup(backups), QString());
        const auto restored = testsupport::fileSnapshot(data);
        const auto first = testsupport::fileSnapshot(QDir(backups).filePath(exchange::backupName(firstBackup)));
        for (const QString &table : {QStringLiteral("bericht.db"), QStringLiteral("berdet.DB")})
            QCOMPARE(restored.value(table), first.value(table));
    }

    void aFullDiskIsSaidAsSuch_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("Ausgangszustand herstellen") << QStringLiteral("reset");
        QTest::newRow("restore") << QStringLiteral("restore");
    }
    void aFullDiskIsSaidAsSuch()
    {
        QFETCH(QString, step);
        QTemporaryDir mountPoint;
        if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                        QStringLiteral("-o"), QStringLiteral("size=3m"),
                                                        QStringLiteral("tmpfs"), mountPoint.path()})
            != 0)
            QSKIP("A small file system can only be mounted with the right to mount.");
        const QString previous = QDir::currentPath();
        const auto unmount = qScopeGuard([&] {
            QDir::setCurrent(previous);
            QProcess::execute(QStringLiteral("umount"), {mountPoint.path()});
        });
        const QString dir = mountPoint.path(), data = dir + QStringLiteral("/daten");
        store::installDataDirectory(dir);
        QDir::setCurrent(dir);
        {
            store::TableSet set(data);
            set.openAtStart();
            set.exec(QStringLiteral("INSERT INTO bericht (AJahr, Nummer, Blatt, Bild1) VALUES (1, 1, 1, "
                                    "randomblob(300000))"));
        }
        platform::ScriptedMessages messages;
        platform::ScriptedModalRunner runner;
        QVERIFY(!exchange::backupDataDirectory(data, dir + QStringLiteral("/sicherung"),
                                               QDateTime(QDate(2026, 3, 2), QTime(8, 0)))
                     .failure);
        // The first start may set the plan's targets.
        QVERIFY(lernora::start({QStringLiteral("--daten-ordner"), dir}, QString()).program);
        // The disk is filled to its last byte.
        {
            QFile filler(dir + QStringLiteral("/füllung"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const auto before = testsupport::fileSnapshot(data);
        if (step == QLatin1String("reset")) {
            lernora::Started started = lernora::start({QStringLiteral("--daten-ordner"), dir}, QString());
            QVERIFY(started.program);
            messages.answer(Answer::Ok);
            started.program->mainForm()->Ausgangszustandherstellen1Click();
            // The program goes on: nothing was reset.
            QVERIFY(started.program->mainForm()->isVisible());
        } else {
            TEXIMMainForm form;
            runner.onNext(QStringLiteral("EXIMMainForm"), [&](QDialog *) {
                form.findChild<QListWidget *>(QStringLiteral("dirlistbox"))->setCurrentRow(0);
                messages.answer(Answer::Yes);
                form.lrestorebtnClick();
                form.close();
            });
            form.execute();
        }
        QVERIFY2(messages.errors().size() == 1, qPrintable(messages.errors().join(QStringLiteral("\n---\n"))));
        const QString said = messages.errors().first();
        QVERIFY2(said.contains(QStringLiteral("„%1“").arg(store::diskName(dir))), qPrintable(said));
        // The reset stops at its safety backup, before it deletes anything.
        QVERIFY2(said.contains(QStringLiteral("ist nicht genug Platz frei: Gebraucht werden")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("Es wurde nichts gelöscht")) == (step == QLatin1String("reset")),
                 qPrintable(said));
        QVERIFY2(!said.contains(QStringLiteral("full")) && !said.contains(QStringLiteral("Unbekannt")),
                 qPrintable(said));
        // Every table as it was; a backup writes the data's file list first,
        // as "Sichern" does.
        auto after = testsupport::fileSnapshot(data);
        auto expected = before;
        for (auto *files : {&after, &expected})
            files->remove(QStringLiteral("filelist.txt"));
        QCOMPARE(after, expected);
    }
};

int main(int argc, char **argv)
{
    // Starts of the program here must not meet those of other tests.
    QTemporaryDir own;
    qputenv("TMPDIR", QFile::encodeName(own.path()));
    QApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], childArgument) == 0)
        return runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), atoi(argv[4]));
    TestCrashLeftovers test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_crashleftovers.moc"
