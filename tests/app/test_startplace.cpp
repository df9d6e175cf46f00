// Where the program works: the command line chooses the current directory,
// the per-user directory or a given one; a chosen one gets its data
// directory on the first start, the current directory never does.

#include "app/startplace.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using lernora::StartPlace;

class TestStartPlace : public QObject
{
    Q_OBJECT

private slots:
    void commandLineChoosesThePlace_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("directory"); // for a valid place
        QTest::addColumn<QString>("problem");   // part of the message otherwise
        const int current = int(StartPlace::Kind::Current), user = int(StartPlace::Kind::UserData),
                  chosen = int(StartPlace::Kind::Chosen), invalid = int(StartPlace::Kind::Invalid);
        QTest::newRow("nothing") << QStringList{} << current << "/home/azubi/arbeit" << "";
        QTest::newRow("user") << QStringList{"--benutzerdaten"} << user << "/home/azubi/.local/share/lernora" << "";
        QTest::newRow("dir") << QStringList{"--daten-ordner", "/media/stick/lernora/"} << chosen
                             << "/media/stick/lernora" << "";
        QTest::newRow("dir=") << QStringList{"--daten-ordner=../sicherung"} << chosen << "/home/azubi/sicherung" << "";
        QTest::newRow("relative") << QStringList{"--daten-ordner", "neu"} << chosen << "/home/azubi/arbeit/neu" << "";
        QTest::newRow("no dir") << QStringList{"--daten-ordner"} << invalid << "" << "Nach --daten-ordner fehlt";
        QTest::newRow("empty dir=") << QStringList{"--daten-ordner="} << invalid << "" << "Nach --daten-ordner fehlt";
        QTest::newRow("two places") << QStringList{"--benutzerdaten", "--daten-ordner", "x"} << invalid << ""
                                    << "nur in einem Ordner";
        QTest::newRow("unknown") << QStringList{"bericht.db"} << invalid << "" << "„bericht.db“ nicht";
    }
    void commandLineChoosesThePlace()
    {
        QFETCH(QStringList, args);
        QFETCH(int, kind);
        QFETCH(QString, directory);
        QFETCH(QString, problem);
        const StartPlace place =
            lernora::chooseStartPlace(args, QStringLiteral("/home/azubi/arbeit"),
                                      QStringLiteral("/home/azubi/.local/share/lernora"));
        QCOMPARE(int(place.kind), kind);
        if (kind == int(StartPlace::Kind::Invalid)) {
            QVERIFY2(place.problem.contains(problem), qPrintable(place.problem));
            QVERIFY(place.problem.contains(QStringLiteral("--benutzerdaten"))); // and how to start it
        } else {
            QCOMPARE(place.directory, directory);
        }
    }

    // A chosen directory gets "daten" on its first start and keeps it
    // untouched on every later one; the current directory never gets one.
    void onlyAChosenPlaceIsCreated_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("user") << int(StartPlace::Kind::UserData);
        QTest::newRow("chosen") << int(StartPlace::Kind::Chosen);
        QTest::newRow("current") << int(StartPlace::Kind::Current);
    }
    void onlyAChosenPlaceIsCreated()
    {
        QFETCH(int, kind);
        QTemporaryDir tmp;
        const QString previous = QDir::currentPath();
        const QString dir = tmp.filePath(QStringLiteral("a/b/lernora"));
        QVERIFY(QDir().mkpath(kind == int(StartPlace::Kind::Current) ? dir : tmp.path()));
        const StartPlace place{StartPlace::Kind(kind), dir, {}};
        lernora::enterStartPlace(place);
        QCOMPARE(QDir::currentPath(), dir);
        QDir::setCurrent(previous);
        if (kind == int(StartPlace::Kind::Current)) {
            QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/daten")));
            return;
        }
        const QString plan = dir + QStringLiteral("/daten/thetable.DB");
        QVERIFY(QFileInfo(plan).size() > 0);
        QVERIFY(QFileInfo::exists(dir + QStringLiteral("/daten/uebersB.DB")));
        // a later start: the data stays as it is, even when a file is missing
        QFile f(plan);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.write("geändert");
        f.close();
        QVERIFY(QFile::remove(dir + QStringLiteral("/daten/bericht.db")));
        lernora::enterStartPlace(place);
        QDir::setCurrent(previous);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(9).startsWith("geändert"));
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/daten/bericht.db")));
    }
};

QTEST_GUILESS_MAIN(TestStartPlace)
#include "test_startplace.moc"
