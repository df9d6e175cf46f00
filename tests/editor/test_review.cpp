// The trainer's review of a report: marking a sheet seen in the editor, the
// question before a seen sheet is changed (Yes takes the mark away and
// records the change, No leaves text and mark), "Abbrechen" giving the mark
// back, marking a range of reports in the report overview, and the front
// sheet's "gesehen am".

#include "editorfixture.h"
#include "imagebytes.h"
#include "pdfwords.h"

#include "controls/dbgrid.h"
#include "domain/marks.h"
#include "editor/followupdialog.h"
#include "print/engine/document.h"
#include "overviews/reportoverview.h"
#include "overviews/reviewbatch.h"
#include "print/frontsheet.h"
#include "store/settings.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QToolButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTreeWidget>

using platform::Answer;
using testsupport::EditorFixture;

namespace {

const QString seenQuestion = QStringLiteral("Dieser Bericht wurde vom Ausbildenden bereits gesehen. Wenn Sie ihn "
                                            "ändern, wird die Markierung „gesehen“ entfernt. Trotzdem ändern?");
const QString trainer = QStringLiteral("Karl Kaminski");
// The clock of the fixture stands on Tuesday 10 March 2026; the trainer saw
// the sheets on the Monday before.
const QDate seenDay(2026, 3, 9);
const QDate today(2026, 3, 10);

// Delivers a key to the widget that has the focus, as the keyboard does.
void key(QWidget *control, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    control->activateWindow();
    control->setFocus();
    QTRY_VERIFY(QApplication::focusWidget()
                && (QApplication::focusWidget() == control || control->isAncestorOf(QApplication::focusWidget())));
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
}

// The tool bar's button of an action.
QToolButton *toolButton(QWidget *window, const char *action)
{
    for (QToolButton *b : window->findChildren<QToolButton *>())
        if (b->defaultAction() && b->defaultAction()->objectName() == QLatin1String(action))
            return b;
    return nullptr;
}

} // namespace

class TestReview : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;

    store::TableSet &tables() { return f->tables(); }
    qint64 sheet(int number, int blatt = 1)
    {
        return f->sql(QStringLiteral("SELECT BerLfd FROM bericht WHERE Nummer=%1 AND Blatt=%2").arg(number).arg(blatt))
            .toLongLong();
    }
    // Reports 1 ... n of the first training year with activities, one week
    // each from 2 March 2026.
    void reports(int n)
    {
        for (int i = 0; i < n; ++i)
            f->create({i % 2 ? 29 : 27}, [](Tberichtdlg &d) {
                key(d.taetigkeitedit(), Qt::Key_K);
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ehrarbeiten"));
                d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
            }, QDate(2026, 3, 2).addDays(7 * i));
        // Opened and closed once, as the apprentice looks at it: what the
        // editor stores of itself is stored.
        f->openExisting(1, 1, [](Tberichtdlg &d) { d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click(); });
    }

private slots:
    void init()
    {
        f = std::make_unique<EditorFixture>();
        store::Settings ini;
        ini.writeString(QStringLiteral("BKM"), QStringLiteral("Name"), trainer);
        f->start(1);
    }
    void cleanup() { f.reset(); }

    // The check box in the editor: set (also without a trainer's name when
    // the apprentice goes on), taken back after the question.
    void markingInTheEditor_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QString>("label");
        QTest::newRow("with the trainer's name") << trainer << QList<Answer>{} << "gesehen am 10.03.2026 von " + trainer;
        QTest::newRow("no name, go on") << QString() << QList<Answer>{Answer::Yes}
                                        << QStringLiteral("gesehen am 10.03.2026");
        QTest::newRow("no name, cancelled") << QString() << QList<Answer>{Answer::Cancel} << QString();
    }
    void markingInTheEditor()
    {
        QFETCH(QString, name);
        QFETCH(QList<Answer>, answers);
        QFETCH(QString, label);
        reports(1);
        f->app().session().trainerName = name;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QVERIFY(d.gesehencheck()->isEnabled());
            QCOMPARE(d.gesehenlabel()->text(), QString());
            for (Answer a : answers)
                f->messages().answer(a);
            d.gesehencheck()->click();
            QCOMPARE(d.gesehencheck()->isChecked(), !label.isEmpty());
            QCOMPARE(d.gesehenlabel()->text(), label);
            if (!label.isEmpty()) {
                // Taken back after the question: no change is recorded.
                f->messages().answer(Answer::Yes);
                d.gesehencheck()->click();
                QVERIFY(!d.gesehencheck()->isChecked());
                QCOMPARE(d.gesehenlabel()->text(), QString());
            }
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        QCOMPARE(f->messages().pendingAnswers(), 0);
        const domain::Review r = domain::reviewOf(tables(), sheet(1));
        QVERIFY(!r.isSeen());
        QVERIFY(!r.changedAfterReview());
        // A new report is not reviewed while it is being created.
        f->create({31}, [](Tberichtdlg &d) {
            QVERIFY(!d.gesehencheck()->isEnabled());
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        }, QDate(2026, 3, 16));
    }

    // Each way of changing a seen sheet asks once; Yes lets the change go on
    // (the mark goes, the change is recorded), No leaves the sheet as it was
    // and seen; "Abbrechen" after Yes gives sheet and mark back.
    void changeOfASeenSheet_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("ok"); // closed with OK, else with "Abbrechen"
        for (const char *change : {"activities", "week", "week end", "item text", "item tick", "bold", "picture"}) {
            QTest::addRow("%s, yes", change) << QString::fromLatin1(change) << Answer::Yes << true;
            QTest::addRow("%s, no", change) << QString::fromLatin1(change) << Answer::No << true;
        }
        QTest::addRow("activities, yes, then cancelled") << QStringLiteral("activities") << Answer::Yes << false;
        QTest::addRow("week, yes, then cancelled") << QStringLiteral("week") << Answer::Yes << false;
    }
    void changeOfASeenSheet()
    {
        QFETCH(QString, change);
        QFETCH(Answer, answer);
        QFETCH(bool, ok);
        reports(1);
        if (change == QLatin1String("picture")) {
            QImage picture(40, 30, QImage::Format_RGB888);
            picture.fill(Qt::darkGreen);
            store::Table &rows = tables().berichttable();
            rows.edit();
            rows.setValue(QStringLiteral("Bild1"), testsupport::fileBytes(picture, "BMP"));
            rows.post();
            // Shown once: the page stores the picture's zoom of itself.
            f->openExisting(1, 1, [](Tberichtdlg &d) {
                QTabBar *pages = d.seiten()->tabBar();
                QTest::mouseClick(pages, Qt::LeftButton, {}, pages->tabRect(2).center());
                d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
            });
        }
        domain::markSeen(tables(), {sheet(1)}, seenDay, trainer);
        const QStringList reportRows = f->dump("bericht"), itemRows = f->dump("berdet");
        QString label;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QCOMPARE(d.gesehenlabel()->text(), "gesehen am 09.03.2026 von " + trainer);
            // Entering a field is no change.
            d.taetigkeitedit()->setFocus();
            QCOMPARE(f->messages().questions(), QStringList());
            f->messages().answer(answer);
            QWidget *panel = d.detailgrid()->panel(0);
            if (change == QLatin1String("activities")) {
                key(d.taetigkeitedit(), Qt::Key_Q);
            } else if (change == QLatin1String("week")) {
                f->pickWeek(QDate(2026, 3, 16));
                d.findChild<QPushButton *>(QStringLiteral("datumbtn"))->click();
            } else if (change == QLatin1String("week end")) {
                // "06.03.2026": the day's second digit replaced by a 2.
                auto *end = d.findChild<QLineEdit *>(QStringLiteral("endedit"));
                key(end, Qt::Key_Home);
                key(end, Qt::Key_Right);
                key(end, Qt::Key_Right, Qt::ShiftModifier);
                key(end, Qt::Key_2);
            } else if (change == QLatin1String("item text")) {
                key(panel->findChild<QWidget *>(QStringLiteral("detailmemo")), Qt::Key_Z);
            } else if (change == QLatin1String("item tick")) {
                panel->findChild<QCheckBox *>(QStringLiteral("DBCheckBox2"))->click();
            } else if (change == QLatin1String("picture")) {
                QTabBar *pages = d.seiten()->tabBar();
                QTest::mouseClick(pages, Qt::LeftButton, {}, pages->tabRect(2).center());
                d.findChild<QPushButton *>(QStringLiteral("bild1loeschenbtn"))->click();
            } else if (change == QLatin1String("bold")) {
                key(d.taetigkeitedit(), Qt::Key_A, Qt::ControlModifier);
                QToolButton *bold = toolButton(&d, "ffett");
                QVERIFY(bold);
                bold->click();
            }
            QCOMPARE(f->messages().questions(), QStringList{seenQuestion});
            label = d.gesehenlabel()->text();
            QCOMPARE(d.gesehencheck()->isChecked(), answer == Answer::No);
            if (ok) {
                d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
            } else {
                f->messages().answer(Answer::Yes); // the changes are discarded
                d.findChild<QPushButton *>(QStringLiteral("cancelbtn"))->click();
            }
        });
        QVERIFY(!f->dlg().isVisible());
        QCOMPARE(f->messages().pendingAnswers(), 0);
        const domain::Review r = domain::reviewOf(tables(), sheet(1));
        const bool changed = answer == Answer::Yes && ok;
        QCOMPARE(label, answer == Answer::Yes ? QStringLiteral("geändert nach Durchsicht am 10.03.2026")
                                              : "gesehen am 09.03.2026 von " + trainer);
        QCOMPARE(r.isSeen(), !changed);
        QCOMPARE(r.seen, changed ? QDate() : seenDay);
        QCOMPARE(r.changedAfter, changed ? today : QDate());
        QCOMPARE(f->dump("bericht") == reportRows && f->dump("berdet") == itemRows, !changed);
    }

    // "Als gesehen markieren...": the sheets of the chosen reports not seen
    // yet, in one step; a sheet seen before keeps its day.
    void batchMarksExactlyTheRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<int>>("listed");  // report numbers in the list, one per sheet
        QTest::addColumn<QList<int>>("marked");  // reports seen today afterwards
        QTest::newRow("every report") << 1 << 4 << true << QList<int>{1, 2, 2, 3, 4} << QList<int>{1, 2, 3, 4};
        QTest::newRow("the middle") << 2 << 3 << true << QList<int>{2, 2, 3} << QList<int>{2};
        QTest::newRow("the last alone") << 4 << 4 << true << QList<int>{4} << QList<int>{4};
        QTest::newRow("cancelled") << 1 << 4 << false << QList<int>{1, 2, 2, 3, 4} << QList<int>{};
    }
    void batchMarksExactlyTheRange()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, ok);
        QFETCH(QList<int>, listed);
        QFETCH(QList<int>, marked);
        reports(4);
        // Report 2 has a second sheet, with a copy of its item; report 3
        // was seen before.
        f->openExisting(1, 2, [&](Tberichtdlg &d) {
            f->dialogs().onNext(QStringLiteral("folgedialog"), [](QDialog *c) {
                static_cast<Tfolgedialog *>(c)->grid()->panel(0)->findChild<QCheckBox *>(
                    QStringLiteral("kopiercheck"))->click();
                c->accept();
            });
            f->messages().answer(Answer::Yes); // stored first
            d.folgeblattbtn()->click();
            d.findChild<QPushButton *>(QStringLiteral("okbtn"))->click();
        });
        QVERIFY(sheet(2, 2) != 0);
        domain::markSeen(tables(), {sheet(3)}, seenDay, trainer);

        overviews::ReportOverviewTab &overview = f->form()->overview();
        QCOMPARE(overview.gesehenbtn()->text(), QStringLiteral("Als &gesehen markieren..."));
        QList<int> shown;
        QStringList states;
        f->dialogs().onNext(QStringLiteral("gesehendlg"), [&](QDialog *dialog) {
            auto *d = static_cast<Tgesehendlg *>(dialog);
            QCOMPARE(d->windowTitle(), QStringLiteral("Berichte als gesehen markieren"));
            for (auto [spin, value] : {std::pair{d->vonspin(), from}, std::pair{d->bisspin(), to}}) {
                key(spin, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(QApplication::focusWidget(), QString::number(value));
            }
            QTreeWidget *list = d->gesehenliste();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                shown << list->topLevelItem(i)->text(0).toInt();
                states << list->topLevelItem(i)->text(3);
            }
            QDialogButtonBox *buttons = d->findChild<QDialogButtonBox *>();
            buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        overview.gesehenbtn()->click();
        QCOMPARE(shown, listed);
        QCOMPARE(states.contains(QStringLiteral("bereits am 09.03.2026")), listed.contains(3));
        QList<int> seenToday;
        const QHash<qint64, domain::Review> all = domain::reviews(tables());
        for (int number = 1; number <= 4; ++number) {
            for (int blatt = 1; blatt <= (number == 2 ? 2 : 1); ++blatt) {
                const domain::Review r = all.value(sheet(number, blatt));
                if (number == 3) {
                    QCOMPARE(r.seen, seenDay); // seen before: its day stays
                    continue;
                }
                QCOMPARE(r.seen, marked.contains(number) ? today : QDate());
                if (r.isSeen()) {
                    QCOMPARE(r.trainer, trainer);
                    if (blatt == 1)
                        seenToday << number;
                }
            }
        }
        marked.removeAll(3);
        QCOMPARE(seenToday, marked);
        // The overview marks the seen sheets in its column "✓".
        controls::DBGrid *grid = overview.DBGrid3();
        const int column = 6;
        QCOMPARE(grid->model()->headerData(column, Qt::Horizontal).toString(), QStringLiteral("✓"));
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            const int number = grid->cellText(row, 1).toInt(), blatt = grid->cellText(row, 2).toInt();
            QCOMPARE(grid->cellText(row, column) == QStringLiteral("✓"), all.value(sheet(number, blatt)).isSeen());
        }
    }

    // The front sheet prints the day of the review below the trainer's
    // signature line, only while the sheet is seen.
    void frontSheetPrintsTheReviewDay_data()
    {
        QTest::addColumn<bool>("seen");
        QTest::addColumn<bool>("changedSince");
        QTest::newRow("not seen") << false << false;
        QTest::newRow("seen") << true << false;
        QTest::newRow("changed after the review") << true << true;
    }
    void frontSheetPrintsTheReviewDay()
    {
        QFETCH(bool, seen);
        QFETCH(bool, changedSince);
        reports(1);
        if (seen)
            domain::markSeen(tables(), {sheet(1)}, seenDay, trainer);
        if (changedSince)
            domain::recordChangeAfterReview(tables(), sheet(1), today);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("vorderseite.pdf"));
        engine::exportPdf(f->app().berichtform().QuickRep1().render(), file);
        const testsupport::PdfText p = testsupport::readPdf(file);
        const bool printed = seen && !changedSince;
        QCOMPARE(p.pageText(1).contains(QStringLiteral("gesehen am 09.03.2026")), printed);
        if (printed) {
            // Below "Unterschrift des Ausbilders", at the foot of the page.
            const testsupport::PdfWord caption = p.word(QStringLiteral("Ausbilders"));
            const testsupport::PdfWord day = p.word(QStringLiteral("09.03.2026"));
            QVERIFY(qAbs(p.word(QStringLiteral("gesehen")).box.left() - (23.0 + 110.1)) < 0.3);
            QVERIFY(day.box.top() > caption.box.bottom());
            QVERIFY(day.box.bottom() < 297.0 - 10.0);
        }
    }
};

QTEST_MAIN(TestReview)
#include "test_review.moc"
