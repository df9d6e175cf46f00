// Two starts of the real program: the second ends at once and the first keeps
// running; a first instance that was killed does not block the next start.

#include "tempdatadir.h"

#include <QElapsedTimer>
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
    void startProgram(QProcess &p, const QString &dir)
    {
        p.setProcessEnvironment(env());
        p.setWorkingDirectory(dir);
        p.start(QStringLiteral(LERNORA_BINARY), {});
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
