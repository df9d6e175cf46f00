// The basic data dialog and the reset to the delivered state, in the
// running program: what OK and Cancel write, what the reset empties and
// keeps, its questions, and a program that goes on working after it.

#include "../plan/planfixture.h"
#include "app/basicdatadialog.h"
#include "controls/dbcontrols.h"
#include "controls/dbgrid.h"
#include "overviews/reportoverview.h"
#include "scriptedmodalrunner.h"
#include "store/fields.h"
#include "store/schema.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

using platform::Answer;
using testsupport::PlanFixture;
namespace field = store::field;

namespace {

const QString resetQuestion = QStringLiteral("Ausgangszustand wiederherstellen und Programm beenden? \n"
                                             "Alle Berichte und Änderungen werden gelöscht, das Programm wird beendet.");
const QString exitQuestion = QStringLiteral("Programm wirklich beenden?.");

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

class TestBasicData : public QObject
{
    Q_OBJECT

    std::unique_ptr<PlanFixture> f;
    std::unique_ptr<platform::ScriptedModalRunner> m_runner;

    QString ini() const { return f->dir().path() + QStringLiteral("/Ruririd.ini"); }
    void trigger(const char *action) { f->form()->findChild<QAction *>(QLatin1String(action))->trigger(); }

    // Opens "Grunddaten" from the menu; `user` works in the dialog, then
    // the button named `button` is clicked.
    void basicData(const std::function<void(Tgrunddatendlg *)> &user, const char *button)
    {
        m_runner->onNext(QStringLiteral("grunddatendlg"), [&](QDialog *d) {
            auto *dialog = qobject_cast<Tgrunddatendlg *>(d);
            QVERIFY(dialog);
            user(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        });
        trigger("Grunddaten1");
        QCOMPARE(m_runner->pendingNames(), QStringList());
    }

    // A stored report with an item, raised counts on every plan row, a line
    // of the training-time overview and the basic data, shown by the pages.
    void fillTables()
    {
        store::TableSet &t = f->tables();
        t.berichttable().append();
        t.berichttable().setValue(field::AJahr, 1);
        t.berichttable().setValue(field::Nummer, 1);
        t.berichttable().setValue(field::Blatt, 1);
        t.berichttable().post();
        t.berichtdetailtable().append();
        t.berichtdetailtable().setValue(field::LfdfTag, 29);
        t.berichtdetailtable().post();
        t.uebersichttable().append();
        t.uebersichttable().setValue(field::Lj, 1);
        t.uebersichttable().setValue(field::Krank, QStringLiteral("3 Tage"));
        t.uebersichttable().post();
        f->changePlan(QStringLiteral("UPDATE thetable SET GroupCnt = 2, ThemaCnt = 1"));
        store::Settings settings;
        settings.writeString(QStringLiteral("Stift"), QStringLiteral("Name"), QStringLiteral("Jürgen Müller"));
        settings.writeString(QStringLiteral("BKM"), QStringLiteral("Innung"), QStringLiteral("Innung Musterstadt"));
    }

    // The texts of the count labels the pages show.
    QStringList shownCounts() const
    {
        QStringList counts;
        for (const plan::PlanLabel *l : f->form()->findChildren<plan::PlanLabel *>())
            if (!l->isHidden() && (l->objectName().startsWith(QLatin1String("cnt"))
                                   || l->objectName().startsWith(QLatin1String("grpcnt"))))
                counts << l->text();
        return counts;
    }
    QMap<QString, QByteArray> tableFiles() const
    {
        QMap<QString, QByteArray> files;
        for (const store::TableDef &def : store::tableDefs())
            files[def.fileName] = QCryptographicHash::hash(fileBytes(f->dir().file(def.fileName)),
                                                           QCryptographicHash::Sha1);
        return files;
    }

private slots:
    void init()
    {
        f = std::make_unique<PlanFixture>();
        m_runner = std::make_unique<platform::ScriptedModalRunner>();
    }
    void cleanup()
    {
        f.reset();
        m_runner.reset();
    }

    // OK writes every key in its order, the first names empty, also when
    // nothing was changed; keys already there keep their spelling and place.
    void okWritesEveryKey_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("shown"); // edit=text
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no basic data yet")
            << QByteArray() << QStringList{"azubiname=", "abname=", "azvom="}
            << QByteArray("[Stift]\r\nJahr=1\r\nName=\r\nVorName=\r\nGebdat=\r\nOrt=\r\nStrasse=\r\nAZvom=\r\nAZbis=\r\n"
                          "ABNStart=\r\nABNEnde=\r\n\r\n[BKM]\r\nName=\r\nVorName=\r\nOrt=\r\nStrasse=\r\nInnung=\r\n");
        QTest::newRow("other spellings")
            << QByteArray("[stift]\r\nazvom=01.08.2024\r\nJahr=1\r\n[bkm]\r\nNAME=Erika Schwarz\r\nvorname=Erika\r\n")
            << QStringList{"azvom=01.08.2024", "abname=Erika Schwarz", "azubiname="}
            << QByteArray("[stift]\r\nazvom=01.08.2024\r\nJahr=1\r\nName=\r\nVorName=\r\nGebdat=\r\nOrt=\r\nStrasse=\r\n"
                          "AZbis=\r\nABNStart=\r\nABNEnde=\r\n[bkm]\r\nNAME=Erika Schwarz\r\nvorname=\r\nOrt=\r\n"
                          "Strasse=\r\nInnung=\r\n");
    }
    void okWritesEveryKey()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, shown);
        QFETCH(QByteArray, after);
        if (!before.isEmpty()) {
            QFile file(ini());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        f->start(1);
        basicData(
            [&](Tgrunddatendlg *d) {
                for (const QString &s : shown)
                    QCOMPARE(d->edit(s.section(QLatin1Char('='), 0, 0).toLatin1())->text(), s.section(QLatin1Char('='), 1));
            },
            "OKBtn");
        QCOMPARE(fileBytes(ini()), after);
    }

    // What is typed is stored as typed, read back by any spelling of its
    // key, taken into the program's names and shown the next time.
    void typedValuesAreStored()
    {
        f->start(1);
        basicData(
            [](Tgrunddatendlg *d) {
                d->edit("azubiname")->insert(QStringLiteral("Jürgen Müller"));
                QTest::keyClicks(d->edit("abname"), QStringLiteral("Erika Schwarz"));
                QTest::keyClicks(d->edit("azvom"), QStringLiteral("1.8.24"));
                d->edit("abinnung")->insert(QStringLiteral("Innung Süd"));
            },
            "OKBtn");
        const store::Settings settings;
        QCOMPARE(settings.readString(QStringLiteral("Stift"), QStringLiteral("Azvom")), QStringLiteral("1.8.24"));
        QCOMPARE(settings.readString(QStringLiteral("bkm"), QStringLiteral("innung")), QStringLiteral("Innung Süd"));
        QCOMPARE(f->app().session().apprenticeName, QStringLiteral("Jürgen Müller"));
        QCOMPARE(f->app().session().trainerName, QStringLiteral("Erika Schwarz"));
        basicData([](Tgrunddatendlg *d) { QCOMPARE(d->edit("azvom")->text(), QStringLiteral("1.8.24")); },
                  "CancelBtn");
    }

    void cancelWritesNothing()
    {
        f->start(1);
        const QByteArray before = fileBytes(ini());
        basicData([](Tgrunddatendlg *d) { QTest::keyClicks(d->edit("azubiname"), QStringLiteral("Juergen")); },
                  "CancelBtn");
        QCOMPARE(fileBytes(ini()), before);
        QCOMPARE(f->app().session().apprenticeName, QString());
    }

    // Every label stands left of its edit, whole, without touching it.
    void labelsFitBesideTheirEdits()
    {
        f->start(1);
        basicData(
            [](Tgrunddatendlg *d) {
                const auto labels = d->findChildren<QLabel *>();
                QCOMPARE(d->findChildren<QLineEdit *>().size(), 12);
                for (const QLabel *l : labels) {
                    QVERIFY2(l->width() >= l->sizeHint().width() && l->x() >= 0, qPrintable(l->text()));
                    for (const QLineEdit *e : d->findChildren<QLineEdit *>())
                        QVERIFY2(!l->geometry().intersects(e->geometry()), qPrintable(l->text()));
                }
            },
            "CancelBtn");
    }

    // After the reset and a new start: no report, every count 0, and the
    // training-time overview and the basic data as they were.
    void resetThenRestart()
    {
        f->start(1);
        fillTables();
        QVERIFY(shownCounts().contains(QStringLiteral("2")));
        const QByteArray overview = fileBytes(f->dir().file(QStringLiteral("uebersB.DB")));
        f->messages().answer(Answer::Ok);
        f->messages().answer(Answer::Yes);
        trigger("Ausgangszustandherstellen1");
        QCOMPARE(f->messages().questions(), (QStringList{resetQuestion, exitQuestion}));
        QVERIFY(!f->form()->isVisible());

        f->stop();
        f->start(1);
        QCOMPARE(f->form()->overview().DBGrid3()->model()->rowCount(), 0);
        const QStringList counts = shownCounts();
        QVERIFY(counts.size() > 20);
        QCOMPARE(counts.filter(QRegularExpression(QStringLiteral("^[^0]"))), QStringList());
        QCOMPARE(fileBytes(f->dir().file(QStringLiteral("uebersB.DB"))), overview);
        QCOMPARE(f->tables().uebersichttable().asString(field::Krank), QStringLiteral("3 Tage"));
        QCOMPARE(f->app().session().apprenticeName, QStringLiteral("Jürgen Müller"));
        QCOMPARE(store::Settings().readString(QStringLiteral("BKM"), QStringLiteral("Innung")),
                 QStringLiteral("Innung Musterstadt"));
    }

    void cancelOnTheResetQuestionChangesNothing()
    {
        f->start(1);
        fillTables();
        const auto files = tableFiles();
        const QByteArray settings = fileBytes(ini());
        const QStringList shown = f->snapshot();
        f->messages().answer(Answer::Cancel);
        trigger("Ausgangszustandherstellen1");
        QCOMPARE(f->messages().questions(), QStringList{resetQuestion});
        QVERIFY(f->form()->isVisible());
        QCOMPARE(tableFiles(), files);
        QCOMPARE(fileBytes(ini()), settings);
        QCOMPARE(f->snapshot(), shown);
    }

    // No to the exit question: the program goes on with open tables, zero
    // counts and an empty overview, and a composition can be made at once.
    void noToTheExitQuestionLeavesAWorkingProgram()
    {
        f->start(1);
        f->click(29);
        fillTables();
        QCOMPARE(f->listEntries().size(), 1);
        f->messages().answer(Answer::Ok);
        f->messages().answer(Answer::No);
        trigger("Ausgangszustandherstellen1");
        QCOMPARE(f->messages().questions(), (QStringList{resetQuestion, exitQuestion}));
        QVERIFY(f->form()->isVisible());
        for (const store::TableDef &def : store::tableDefs())
            QVERIFY2(f->tables().table(def.fileName).isOpen(), qPrintable(def.fileName));
        QCOMPARE(f->form()->overview().DBGrid3()->model()->rowCount(), 0);
        QCOMPARE(shownCounts().filter(QRegularExpression(QStringLiteral("^[^0]"))), QStringList());
        QCOMPARE(f->listEntries(), QStringList());
        QCOMPARE(f->compositionRows(), 0);

        f->messages().clear();
        f->click(29);
        QCOMPARE(f->messages().shown(), QStringList());
        QCOMPARE(f->compositionRows(), 1);
        QCOMPARE(f->listEntries().size(), 1);
        QCOMPARE(f->label("cnt", 29)->text(), QStringLiteral("1"));
    }

    // A table file that refuses the reset: its message, nothing changed,
    // no exit question, and the program keeps its reports.
    void storeErrorInTheResetChangesNothing()
    {
        f->start(1);
        fillTables();
        f->tables().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON thetable "
                                        "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
        const auto files = tableFiles();
        f->messages().answer(Answer::Ok);
        trigger("Ausgangszustandherstellen1");
        QCOMPARE(f->messages().questions(), QStringList{resetQuestion});
        QCOMPARE(f->messages().errors().size(), 1);
        QVERIFY2(f->messages().errors().first().contains(QStringLiteral("gesperrt")),
                 qPrintable(f->messages().errors().first()));
        QVERIFY(f->form()->isVisible());
        QCOMPARE(tableFiles(), files);
        QCOMPARE(f->form()->overview().DBGrid3()->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestBasicData)
#include "test_basicdata.moc"
