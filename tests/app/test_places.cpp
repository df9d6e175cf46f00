// The program finds every file of its directory through its places: once
// started in a directory, it reads and writes there, wherever the process's
// working directory is afterwards.

#include "app/application.h"
#include "app/mainform.h"
#include "app/start.h"
#include "editor/recovery.h"
#include "scriptedmessages.h"
#include "scriptedmodalrunner.h"
#include "store/settings.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using platform::Answer;

class TestPlaces : public QObject
{
    Q_OBJECT

private slots:
    // What is done after the start; the program directory is `place`.
    void filesAreFoundInTheProgramDirectory_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("closing writes the year") << "close";
        QTest::newRow("basic data read and written") << "Grunddaten1";
        QTest::newRow("recovery file offered") << "recovery";
        QTest::newRow("import/export finds the data") << "ImportExport1";
    }
    void filesAreFoundInTheProgramDirectory()
    {
        QFETCH(QString, action);
        QTemporaryDir tmp;
        const QString place = tmp.filePath(QStringLiteral("programm"));
        const QString elsewhere = tmp.filePath(QStringLiteral("anderswo"));
        QVERIFY(QDir().mkpath(elsewhere));
        const QString previous = QDir::currentPath();
        const QByteArray previousTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        const auto putBack = qScopeGuard([&] {
            QDir::setCurrent(previous);
            qputenv("TMPDIR", previousTmp);
        });
        platform::ScriptedMessages messages;
        platform::ScriptedModalRunner runner;
        lernora::Started started = lernora::start({QStringLiteral("--daten-ordner"), place}, QString());
        QVERIFY(started.program);
        store::Settings ini(place + QStringLiteral("/Ruririd.ini"));
        ini.writeString(QStringLiteral("Stift"), QStringLiteral("Ort"), QStringLiteral("Kaltenbach"));
        QVERIFY(QDir::setCurrent(elsewhere));

        TMainForm *main = started.program->mainForm();
        if (action == QLatin1String("close")) {
            messages.answer(Answer::Yes);
            main->close();
            QCOMPARE(ini.readString(QStringLiteral("Stift"), QStringLiteral("Jahr")), QStringLiteral("1"));
        } else if (action == QLatin1String("Grunddaten1")) {
            QString shown;
            runner.onNext(QStringLiteral("grunddatendlg"), [&](QDialog *d) {
                shown = d->findChild<QLineEdit *>(QStringLiteral("azubiort"))->text();
                QTest::keyClicks(d->findChild<QLineEdit *>(QStringLiteral("azubiname")), QStringLiteral("Anna"));
                QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
            });
            main->findChild<QAction *>(action)->trigger();
            QCOMPARE(shown, QStringLiteral("Kaltenbach"));
            QCOMPARE(ini.readString(QStringLiteral("Stift"), QStringLiteral("Name")), QStringLiteral("Anna"));
        } else if (action == QLatin1String("recovery")) {
            recovery::Sheet sheet;
            sheet.year = 1;
            sheet.texts.insert(QStringLiteral("Thema"), QStringLiteral("Kehren"));
            const QString file = place + QStringLiteral("/bericht-wiederherstellung.json");
            QVERIFY(recovery::write(sheet, file));
            messages.answer(Answer::No);
            started.program->offerRecovery();
            QCOMPARE(messages.questions().size(), 1);
            QVERIFY(!QFile::exists(file)); // No removes it
        } else {
            runner.onNext(QStringLiteral("EXIMMainForm"), [&](QDialog *d) {
                QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("fertigbtn")), Qt::LeftButton);
            });
            main->findChild<QAction *>(action)->trigger();
            QCOMPARE(runner.shownNames(), QStringList{QStringLiteral("EXIMMainForm")});
        }
        QCOMPARE(messages.errors(), QStringList());
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        started.program.reset();
    }
};

QTEST_MAIN(TestPlaces)
#include "test_places.moc"
