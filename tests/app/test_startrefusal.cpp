// The start of the program over a data directory whose files are missing,
// damaged or not writable: it names the file with what is wrong with it,
// opens no window, and leaves every file as it was. A sound directory starts,
// and its start changes nothing either.

#include "app/application.h"
#include "app/mainform.h"
#include "app/start.h"
#include "scriptedmessages.h"
#include "filesnapshot.h"
#include "tempdatadir.h"

#include <QApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using platform::ScriptedMessages;

namespace {

bool runsAsRoot()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}

// Makes a file or directory unwritable for this process. A plain chmod does
// not stop root, the immutable flag does (where the file system has it).
bool makeUnwritable(const QString &path)
{
    if (!runsAsRoot())
        return QFile::setPermissions(path, QFileInfo(path).isDir() ? QFile::ReadOwner | QFile::ExeOwner
                                                                    : QFile::ReadOwner);
    return QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
}

void makeWritable(const QString &path)
{
    if (runsAsRoot())
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
    else
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool anyWindowShown()
{
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](QWidget *w) { return w->isVisible(); });
}

} // namespace

class TestStartRefusal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp; // the single-instance channel, private to this test

private slots:
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(m_tmp.path())); }

    void badFileStopsTheStart_data()
    {
        QTest::addColumn<QString>("file");   // below the working directory
        QTest::addColumn<QString>("damage"); // sound, missing, directory, empty, truncated, junk, unwritable
        QTest::addColumn<QString>("said");   // part of the message
        QTest::newRow("sound") << "daten/bericht.db" << "sound" << "";
        for (const char *name : {"thetable.DB", "tmptable.DB", "bericht.db", "berdet.DB", "hints.db", "uebersB.DB"}) {
            const QString file = QStringLiteral("daten/") + QLatin1String(name);
            auto row = [&](const char *damage, const char *said) {
                QTest::addRow("%s %s", name, damage) << file << QString::fromLatin1(damage) << QString::fromUtf8(said);
            };
            row("missing", "nicht gefunden");
            row("directory", "Ordner");
            row("empty", "leer");
            row("truncated", "beschädigt");
            row("junk", "beschädigt");
            row("unwritable", "schreibgeschützt");
        }
        QTest::newRow("data directory unwritable") << "daten" << "unwritable" << "Datenordner";
        QTest::newRow("working directory unwritable") << "" << "unwritable" << "Einstellungen";
        QTest::newRow("settings file unwritable") << "Ruririd.ini" << "unwritable" << "Einstellungsdatei";
    }

    void badFileStopsTheStart()
    {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QFETCH(QString, said);
        testsupport::TempDataDir dir;
        const QString path = QDir(dir.path()).filePath(file);
        if (file.endsWith(QLatin1String(".ini"))) {
            QFile ini(path);
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[Allgemein]\nLehrjahr=2\n");
        }
        QFile f(path);
        QByteArray content;
        if (QFileInfo(path).isFile()) {
            QVERIFY(f.open(QIODevice::ReadOnly));
            content = f.readAll();
            f.close();
        }
        if (damage == QLatin1String("missing") || damage == QLatin1String("directory")) {
            QVERIFY(QFile::remove(path));
            if (damage == QLatin1String("directory"))
                QVERIFY(QDir().mkdir(path));
        } else if (damage != QLatin1String("sound") && damage != QLatin1String("unwritable")) {
            QByteArray bytes;
            if (damage == QLatin1String("truncated"))
                bytes = content.left(content.size() / 2);
            else if (damage == QLatin1String("junk"))
                for (int i = 0; i < content.size(); ++i)
                    bytes.append(char((i * 7919 + 13) % 251));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(bytes), bytes.size());
            f.close();
        }
        bool locked = false;
        const auto unlock = qScopeGuard([&] {
            if (locked)
                makeWritable(path);
        });
        if (damage == QLatin1String("unwritable") && !(locked = makeUnwritable(path)))
            QSKIP("This file system cannot make a file unwritable for this user.");

        ScriptedMessages messages;
        if (damage == QLatin1String("sound")) // the first start may correct the plan's targets
            QVERIFY(lernora::start({QStringLiteral("--daten-ordner"), dir.path()}, QString()).program);
        const auto before = testsupport::fileSnapshot(dir.path());
        lernora::Started started = lernora::start({QStringLiteral("--daten-ordner"), dir.path()}, QString());
        if (damage == QLatin1String("sound")) {
            QVERIFY(started.program);
            QVERIFY(started.program->mainForm()->isVisible());
            QCOMPARE(messages.shown(), QStringList());
            started.program.reset();
        } else {
            QCOMPARE(started.exitCode, 1);
            QVERIFY(!started.program);
            QVERIFY(!anyWindowShown());
            QCOMPARE(messages.shown().size(), 1);
            const QString text = messages.errors().value(0);
            const QString named = file.isEmpty() ? QDir::toNativeSeparators(dir.path()) : QFileInfo(file).fileName();
            QVERIFY2(text.contains(named) && text.contains(said), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("nicht gestartet")), qPrintable(text));
            if (damage != QLatin1String("missing"))
                QVERIFY2(!text.contains(QStringLiteral("nicht gefunden")), qPrintable(text));
        }
        QCOMPARE(testsupport::fileSnapshot(dir.path()), before);
    }
};

QTEST_MAIN(TestStartRefusal)
#include "test_startrefusal.moc"
