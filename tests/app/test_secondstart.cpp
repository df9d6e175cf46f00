// Two starts of the real program: the second ends at once and the first keeps
// running; a first instance that was killed does not block the next start.

#include "tempdatadir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSecondStart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp; // the local socket's directory, private to this test
    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TMPDIR"), m_tmp.path());
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return e;
    }
    void startProgram(QProcess &p, const QString &dir, const QStringList &args = {},
                      const QProcessEnvironment &environment = {})
    {
        p.setProcessEnvironment(environment.isEmpty() ? env() : environment);
        p.setWorkingDirectory(dir);
        p.start(QStringLiteral(LERNORA_BINARY), args);
        QVERIFY(p.waitForStarted());
    }
    bool listening()
    {
        QLocalSocket s;
        s.connectToServer(m_tmp.path() + QStringLiteral("/Berichtsheft"));
        const bool ok = s.waitForConnected(200);
        s.abort();
        return ok;
    }
    bool waitListening(QProcess &p)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000) {
            if (p.state() != QProcess::Running)
                return false;
            if (listening())
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private slots:
    void secondStartEndsAtOnce()
    {
        testsupport::TempDataDir dir;
        QProcess first;
        startProgram(first, dir.path());
        QVERIFY(waitListening(first));

        QProcess second;
        startProgram(second, dir.path());
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // a first instance that dies leaves its name behind; the next start takes it over
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QProcess third;
        startProgram(third, dir.path());
        QVERIFY(waitListening(third));
        QTest::qWait(300);
        QCOMPARE(third.state(), QProcess::Running);
        third.kill();
        third.waitForFinished(5000);
    }

    // Started as the desktop entry does (or with a folder of its own), the
    // program makes its data directory on the first start and works there.
    void installedStartMakesItsDataDirectory_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("place"); // below the temporary home
        QTest::newRow("desktop entry") << QStringList{QStringLiteral("--benutzerdaten")} << "share/lernora";
        QTest::newRow("own folder") << QStringList{QStringLiteral("--daten-ordner"), QStringLiteral("../stick/lernora")}
                                    << "stick/lernora";
    }
    void installedStartMakesItsDataDirectory()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, place);
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("start")));
        QProcessEnvironment e = env();
        e.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("share")));
        QProcess first;
        startProgram(first, home.filePath(QStringLiteral("start")), args, e);
        QVERIFY(waitListening(first));
        const QDir data(home.filePath(place + QStringLiteral("/daten")));
        // the guard is taken before the data directory is made
        for (const char *file : {"thetable.DB", "tmptable.DB", "bericht.db", "berdet.DB", "hints.db", "uebersB.DB"})
            QTRY_VERIFY2_WITH_TIMEOUT(data.exists(QLatin1String(file)), file, 10000);
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("start/daten"))));

        QProcess second;
        startProgram(second, home.filePath(QStringLiteral("start")), args, e);
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished(5000);
    }

    void startWithoutDataEndsWithAnError()
    {
        QTemporaryDir empty; // no "daten" here
        QProcess p;
        startProgram(p, empty.path());
        // the error box is modal: the program waits on it, so it must not be gone by itself
        // with success; what counts is that it never creates table files
        p.waitForFinished(1500);
        p.kill();
        p.waitForFinished(5000);
        QVERIFY(!QDir(empty.path()).exists(QStringLiteral("daten")));
    }
};

QTEST_GUILESS_MAIN(TestSecondStart)
#include "test_secondstart.moc"
