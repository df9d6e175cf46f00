#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

using platform::SingleInstance;

namespace {

constexpr char holdArgument[] = "--hold-instance";

// A name no other test run uses.
QString uniqueName(const char *what)
{
    static int counter = 0;
    return QStringLiteral("lernora-test-%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QLatin1String(what))
        .arg(++counter);
}

bool someoneListens(const QString &name)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    const bool connected = socket.waitForConnected(1000);
    socket.abort();
    return connected;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondStartActivatesTheFirst();
    void nameIsFreeAfterTheFirstEnds();
    void staleNameOfACrashedInstanceIsTakenOver();
    void otherTrafficDoesNotActivate();
};

void TestSingleInstance::secondStartActivatesTheFirst()
{
    const QString name = uniqueName("second");
    SingleInstance first(name);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    QVERIFY(first.acquire());
    QVERIFY(first.isListening());

    SingleInstance second(name);
    QVERIFY(!second.acquire());
    QVERIFY(!second.isListening());
    QTRY_COMPARE(activations.count(), 1);

    SingleInstance third(name);
    QVERIFY(!third.acquire());
    QTRY_COMPARE(activations.count(), 2);
    QVERIFY(first.isListening());

    // A different name is a different program.
    SingleInstance other(uniqueName("other"));
    QVERIFY(other.acquire());
    QTest::qWait(100);
    QCOMPARE(activations.count(), 2);
}

void TestSingleInstance::nameIsFreeAfterTheFirstEnds()
{
    const QString name = uniqueName("ends");
    {
        SingleInstance first(name);
        QVERIFY(first.acquire());
    }
    QVERIFY(!someoneListens(name));
    SingleInstance next(name);
    QVERIFY(next.acquire());
    QVERIFY(next.isListening());
}

void TestSingleInstance::staleNameOfACrashedInstanceIsTakenOver()
{
    const QString name = uniqueName("stale");
    QProcess crashed;
    crashed.start(QCoreApplication::applicationFilePath(), {QLatin1String(holdArgument), name});
    QVERIFY(crashed.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += crashed.readAllStandardOutput()).contains("ready"), 10000);
    QVERIFY(someoneListens(name));

    crashed.kill(); // no chance to clean up
    QVERIFY(crashed.waitForFinished());
#ifdef Q_OS_UNIX
    // The socket file stays behind, as after a real crash.
    QVERIFY(QFile::exists(QDir::temp().filePath(name)));
#endif
    QVERIFY(!someoneListens(name));

    SingleInstance next(name);
    QSignalSpy activations(&next, &SingleInstance::activationRequested);
    QVERIFY(next.acquire());
    QVERIFY(next.isListening());

    SingleInstance later(name);
    QVERIFY(!later.acquire());
    QTRY_COMPARE(activations.count(), 1);
}

void TestSingleInstance::otherTrafficDoesNotActivate()
{
    const QString name = uniqueName("traffic");
    SingleInstance first(name);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    QVERIFY(first.acquire());

    QLocalSocket stranger;
    stranger.connectToServer(name);
    QVERIFY(stranger.waitForConnected(1000));
    stranger.write("hello\n");
    QVERIFY(stranger.waitForBytesWritten(1000));
    QTest::qWait(200);
    QCOMPARE(activations.count(), 0);

    // A request split over two writes still counts once.
    QLocalSocket slow;
    slow.connectToServer(name);
    QVERIFY(slow.waitForConnected(1000));
    slow.write("acti");
    QVERIFY(slow.waitForBytesWritten(1000));
    QTest::qWait(100);
    slow.write("vate\n");
    QVERIFY(slow.waitForBytesWritten(1000));
    QTRY_COMPARE(activations.count(), 1);
    QTest::qWait(100);
    QCOMPARE(activations.count(), 1);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], holdArgument) == 0) {
        // Stands in for a running instance until it is killed.
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        if (!instance.acquire())
            return 1;
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        return app.exec();
    }
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_singleinstanceguard.moc"
