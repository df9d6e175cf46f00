// Follow-up sheets: rows copied and moved to a new sheet of the report, the
// marks of the choice, the covered parts of both sheets, a second follow-up,
// a store error in the middle, and the sheets that go when they are empty.

#include "editorfixture.h"

#include "controls/dbcontrols.h"
#include "editor/followupdialog.h"
#include "print/frontsheet.h"
#include "richtext/rtf.h"

#include <QApplication>
#include <QCheckBox>
#include <QToolButton>

using platform::Answer;
using testsupport::EditorFixture;

using Ticks = QMap<int, QString>;

namespace {

// One report with five rows, parts 1 to 5 in this order.
const QList<int> fiveParts{1, 5, 9, 15, 27};

} // namespace

class TestFollowUpSheet : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;

    // The part numbers of a sheet's rows in their order, "" without rows.
    QString rows(int sheet) const
    {
        QStringList out;
        for (const QVariantList &r :
             f->tables().exec(QStringLiteral("SELECT d.Lfdnr FROM berdet d JOIN bericht b ON d.Masterlfd=b.BerLfd "
                                             "WHERE b.Nummer=1 AND b.Blatt=%1 ORDER BY d.rowid")
                                  .arg(sheet)))
            out << r.value(0).toString();
        return out.join(QLatin1Char(','));
    }
    QString parts(int sheet) const
    {
        QStringList out;
        for (const QVariant &v : f->tables().exec(QStringLiteral("SELECT TDAB1, TDAB2, TDAB3, TDAB4, TDAB5, Tdab6, "
                                                                 "Tdab7, Tdab8, Tdab9, Tdab10 FROM bericht WHERE Blatt=%1")
                                                      .arg(sheet))
                                     .value(0))
            out << v.toString();
        return out.join(QLatin1Char(','));
    }
    QString sheets() const
    {
        QStringList out;
        for (const QVariantList &r : f->tables().exec(QStringLiteral("SELECT Blatt FROM bericht ORDER BY Blatt")))
            out << r.value(0).toString();
        return out.join(QLatin1Char(','));
    }
    int marks() const
    {
        return f->sql(QStringLiteral("SELECT COUNT(*) FROM berdet WHERE Kopieren<>0 OR Verschieben<>0")).toInt();
    }

    // Queues the choice: "k" copies, "v" moves the row at that place (from
    // 0); the letters are ticked in order. `ok` ends it with OK.
    void choose(const Ticks &ticks, bool ok, const std::function<void()> &before = {})
    {
        f->dialogs().onNext(QStringLiteral("folgedialog"), [=](QDialog *d) {
            auto *dialog = static_cast<Tfolgedialog *>(d);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Folgeseite bestimmen"));
            for (auto it = ticks.begin(); it != ticks.end(); ++it) {
                for (QChar c : it.value()) {
                    QWidget *panel = dialog->grid()->panel(it.key());
                    QVERIFY(panel);
                    panel->findChild<QCheckBox *>(c == QLatin1Char('k') ? QStringLiteral("kopiercheck")
                                                                         : QStringLiteral("verschiebcheck"))
                        ->click();
                }
            }
            if (before)
                before();
            (ok ? d->accept() : d->reject());
        });
    }

private slots:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    // The choice with keys alone: Tab into the rows, Down to the second,
    // Tab to its box "verschieben", Space ticks it, Enter is OK.
    void choiceWithKeys()
    {
        f->start(1);
        f->createAndConfirm(fiveParts);
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            f->dialogs().onNext(QStringLiteral("folgedialog"), [&](QDialog *dialog) {
                QApplication::setActiveWindow(dialog);
                dialog->findChild<QWidget *>(QStringLiteral("HelpBtn"))->setFocus();
                for (int key : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Return})
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
                if (dialog->isVisible())
                    dialog->reject();
            });
            d.folgeblattbtn()->click();
            d.reject();
        });
        QCOMPARE(rows(1) + QLatin1Char('|') + rows(2), QStringLiteral("1,3,4,5|2"));
    }

    void copyAndMove_data()
    {
        QTest::addColumn<Ticks>("ticks");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("sheetList");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("firstParts");
        QTest::addColumn<int>("marksLeft");
        QTest::newRow("2 and 4 moved, 5 copied") << Ticks{{1, "v"}, {3, "v"}, {4, "k"}} << true << "1,2"
                                                 << "1,3,5" << "2,4,5" << "1,3,5,-,-,-,-,-,-,-" << 0;
        QTest::newRow("OK without marks: unchanged") << Ticks{} << true << "1" << "1,2,3,4,5" << ""
                                                     << "1,2,3,4,5,,,,," << 0;
        QTest::newRow("all rows moved") << Ticks{{0, "v"}, {1, "v"}, {2, "v"}, {3, "v"}, {4, "v"}} << true
                                        << "1,2" << "" << "1,2,3,4,5" << "-,-,-,-,-,-,-,-,-,-" << 0;
        QTest::newRow("copy ticked after move") << Ticks{{2, "vk"}} << true << "1,2" << "1,2,4,5,3"
                                                << "3" << "1,2,3,4,5,-,-,-,-,-" << 0;
        QTest::newRow("move ticked after copy") << Ticks{{2, "kv"}} << true << "1,2" << "1,2,4,5" << "3"
                                                << "1,2,4,5,-,-,-,-,-,-" << 0;
        QTest::newRow("cancelled: the marks stay") << Ticks{{1, "v"}, {3, "k"}} << false << "1"
                                                   << "1,2,3,4,5" << "" << "1,2,3,4,5,,,,," << 2;
    }
    void copyAndMove()
    {
        QFETCH(Ticks, ticks);
        QFETCH(bool, ok);
        QFETCH(QString, sheetList);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, firstParts);
        QFETCH(int, marksLeft);
        f->start(1);
        f->createAndConfirm(fiveParts);
        const QString header = QStringLiteral("SELECT AJahr||Nummer||WocheVom||WocheBis||Datum FROM bericht WHERE Blatt=%1");
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            choose(ticks, ok);
            d.folgeblattbtn()->click();
            // The editor shows the new sheet, or the one it showed.
            QCOMPARE(f->tables().berichttable().asInt(QStringLiteral("Blatt")), sheetList == QLatin1String("1,2") ? 2 : 1);
            QCOMPARE(d.DBNavigator()->button(controls::DBNavigator::Prior)->isEnabled(), sheetList == QLatin1String("1,2"));
            d.reject();
        });
        QCOMPARE(sheets(), sheetList);
        QCOMPARE(rows(1), first);
        QCOMPARE(rows(2), second);
        QCOMPARE(parts(1), firstParts);
        QCOMPARE(marks(), marksLeft);
        if (sheetList == QLatin1String("1,2")) {
            QCOMPARE(f->sql(header.arg(2)), f->sql(header.arg(1)));
            QVERIFY(parts(2).endsWith(QLatin1String(",-")));
        }
    }

    void aSecondFollowUpTakesTheHeaderOfTheSheetOnScreen()
    {
        f->start(1);
        f->createAndConfirm(fiveParts);
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            choose({{3, "v"}, {4, "v"}}, true);
            d.folgeblattbtn()->click();
            // Sheet 2 on screen, with dates of its own.
            f->tables().exec(QStringLiteral("UPDATE bericht SET WocheBis='2026-03-20' WHERE Blatt=2"));
            choose({{0, "v"}}, true);
            d.folgeblattbtn()->click();
            QCOMPARE(f->tables().berichttable().asInt(QStringLiteral("Blatt")), 3);
            d.reject();
        });
        QCOMPARE(sheets(), QStringLiteral("1,2,3"));
        QCOMPARE(rows(1), QStringLiteral("1,2,3"));
        QCOMPARE(rows(2), QStringLiteral("5"));
        QCOMPARE(rows(3), QStringLiteral("4"));
        QCOMPARE(f->sql(QStringLiteral("SELECT WocheBis FROM bericht WHERE Blatt=3")).toString(),
                 QStringLiteral("2026-03-20"));
        QCOMPARE(parts(2), QStringLiteral("5,-,-,-,-,-,-,-,-,-"));
    }

    void aStoreErrorChangesNothing()
    {
        f->start(1);
        f->createAndConfirm(fiveParts);
        QStringList reports, details;
        f->tables().exec(QStringLiteral("CREATE TRIGGER berdet.refuse BEFORE UPDATE ON berdet "
                                        "WHEN NEW.Masterlfd<>OLD.Masterlfd BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            choose({{1, "v"}, {4, "k"}}, true, [&] {
                f->tables().berichtdetailtable().post();
                reports = f->dump("bericht");
                details = f->dump("berdet");
            });
            d.folgeblattbtn()->click();
            d.reject();
        });
        QCOMPARE(f->messages().errors().size(), 1);
        QCOMPARE(f->dump("bericht"), reports);
        QCOMPARE(f->dump("berdet"), details);
        QCOMPARE(sheets(), QStringLiteral("1"));
    }

    // Activities too long for the sheet: the part that does not fit may go
    // to the follow-up sheet with it, in the same store; declined, with the
    // choice cancelled or when a write fails, the text stays as it is.
    void activitiesTooLongGoToTheFollowUp_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("accepted: the rest moves") << "yes";
        QTest::newRow("declined: the text stays") << "no";
        QTest::newRow("choice cancelled: nothing changes") << "cancel";
        QTest::newRow("a write fails: nothing changes") << "error";
    }
    void activitiesTooLongGoToTheFollowUp()
    {
        QFETCH(QString, way);
        f->start(1);
        f->createAndConfirm(fiveParts);
        // Paragraphs of about three printed lines, each opened by a bold word.
        QString body;
        for (int i = 1; i <= 22; ++i)
            body += QStringLiteral("{\\b Tag%1:} Kehrarbeiten an Festbrennstoff-Feuerstätten im Kehrbezirk, Abgaswege "
                                   "geprüft und gereinigt, Querschnitte gemessen, Rußablagerungen entfernt und das "
                                   "Kehrbuch geführt, Messung an der Gasfeuerstätte im Keller des Hauses %1.\\par ")
                        .arg(i);
        const QString text = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ") + body
                             + QStringLiteral("}");
        store::Table &reports = f->tables().berichttable();
        reports.edit();
        reports.setValue(QStringLiteral("Taetigkeit"), text);
        reports.post();
        const QString original = richtext::toPlainText(text);
        QCOMPARE(f->app().berichtform().QuickRep1().render().pageCount(), 2);
        if (way == QLatin1String("error"))
            f->tables().exec(QStringLiteral("CREATE TRIGGER bericht.refuse BEFORE UPDATE OF Taetigkeit ON bericht "
                                            "WHEN NEW.Blatt=2 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
        QStringList reportsBefore, detailsBefore;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            choose({{1, "v"}}, way != QLatin1String("cancel"), [&] {
                f->tables().berichtdetailtable().post();
                reportsBefore = f->dump("bericht");
                detailsBefore = f->dump("berdet");
            });
            if (way != QLatin1String("cancel"))
                f->messages().answer(way == QLatin1String("no") ? Answer::No : Answer::Yes);
            d.folgeblattbtn()->click();
            d.reject();
        });
        const auto activities = [&](int sheet) {
            return f->sql(QStringLiteral("SELECT Taetigkeit FROM bericht WHERE Blatt=%1").arg(sheet)).toString();
        };
        const QStringList questions = f->messages().questions();
        QCOMPARE(questions.size(), way == QLatin1String("cancel") ? 0 : 1);
        if (way == QLatin1String("cancel")) {
            QCOMPARE(sheets(), QStringLiteral("1"));
            QCOMPARE(activities(1), text);
            return;
        }
        QVERIFY2(questions[0].contains(QStringLiteral("Zeilen zu lang für die Vorderseite")), qPrintable(questions[0]));
        if (way == QLatin1String("error")) {
            QCOMPARE(f->messages().errors().size(), 1);
            QCOMPARE(f->dump("bericht"), reportsBefore);
            QCOMPARE(f->dump("berdet"), detailsBefore);
            return;
        }
        QCOMPARE(sheets(), QStringLiteral("1,2"));
        QCOMPARE(rows(1), QStringLiteral("1,3,4,5"));
        QCOMPARE(rows(2), QStringLiteral("2"));
        if (way == QLatin1String("no")) {
            QCOMPARE(activities(1), text);
            QCOMPARE(activities(2), QString());
            return;
        }
        // Nothing lost or doubled, the formatting kept on both sheets.
        const QString kept = activities(1), moved = activities(2);
        const auto words = [](const QString &t) { return t.simplified().split(QLatin1Char(' ')); };
        QCOMPARE(words(richtext::toPlainText(kept)) + words(richtext::toPlainText(moved)), words(original));
        QVERIFY(words(richtext::toPlainText(moved)).size() > 10);
        for (const QString &part : {kept, moved})
            QVERIFY(part.contains(QLatin1String("\\b")));
        // Sheet 1 now prints on one page; with one line more it would not.
        for (reports.first(); !reports.eof() && reports.asInt(QStringLiteral("Blatt")) != 1; reports.next()) {
        }
        engine::Report &sheet = f->app().berichtform().QuickRep1();
        QCOMPARE(sheet.render().pageCount(), 1);
        const richtext::SplitText more = richtext::split(text, richtext::toPlainText(kept).size() + 40);
        reports.edit();
        reports.setValue(QStringLiteral("Taetigkeit"), QString::fromLatin1(more.before));
        QCOMPARE(sheet.render().pageCount(), 2);
        reports.cancel();
    }

    void emptySheetsOnACancelledChoice_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("left");
        QTest::newRow("nothing on it: it goes") << QString() << "1,3";
        QTest::newRow("a text of its own: it stays") << QStringLiteral("Messung") << "1,2,3";
    }
    void emptySheetsOnACancelledChoice()
    {
        QFETCH(QString, text);
        QFETCH(QString, left);
        f->start(1);
        f->createAndConfirm(fiveParts);
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            choose({{0, "v"}, {1, "v"}, {2, "v"}, {3, "v"}, {4, "v"}}, true);
            d.folgeblattbtn()->click(); // sheet 1 keeps nothing: the first sheet stays
            choose({{0, "v"}, {1, "v"}, {2, "v"}, {3, "v"}, {4, "v"}}, true);
            d.folgeblattbtn()->click(); // sheet 2 keeps nothing
            d.DBNavigator()->button(controls::DBNavigator::Prior)->click();
            QCOMPARE(f->tables().berichttable().asInt(QStringLiteral("Blatt")), 2);
            if (!text.isEmpty()) {
                d.taetigkeitedit()->setFocus();
                QTest::keyClicks(d.taetigkeitedit(), text);
                f->messages().answer(Answer::Yes); // stored before the choice
            }
            choose({}, false);
            d.folgeblattbtn()->click();
            d.reject();
        });
        QCOMPARE(sheets(), left);
        QCOMPARE(rows(1), QString());
        QCOMPARE(rows(3), QStringLiteral("1,2,3,4,5"));
    }
};

QTEST_MAIN(TestFollowUpSheet)
#include "test_followupsheet.moc"
