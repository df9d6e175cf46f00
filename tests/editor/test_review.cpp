// The trainer's review: the mark in the editor, the question before a seen
// sheet is changed, the batch in the report overview, the front sheet.

#include "editorfixture.h"
#include "pdfwords.h"

#include "controls/dbgrid.h"
#include "domain/marks.h"
#include "overviews/reportoverview.h"
#include "overviews/reviewbatch.h"
#include "print/engine/document.h"
#include "print/frontsheet.h"
#include "richtext/rtf.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>

using platform::Answer;

namespace {

const QString trainer = QStringLiteral("Karl Kaminski");
const QDate seenDay(2026, 3, 9); // the fixture's clock stands on 10 March 2026

// A key to the control, delivered where the focus is once it has it.
void key(QWidget *control, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    control->activateWindow();
    control->setFocus();
    QTRY_VERIFY(QApplication::focusWidget()
                && (QApplication::focusWidget() == control || control->isAncestorOf(QApplication::focusWidget())));
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
}

void click(QWidget *window, const char *button)
{
    window->findChild<QPushButton *>(QLatin1String(button))->click();
}

} // namespace

class TestReview : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::EditorFixture> f;

    qint64 sheet(int number)
    {
        return f->sql(QStringLiteral("SELECT BerLfd FROM bericht WHERE Nummer=%1").arg(number)).toLongLong();
    }
    // Reports 1 ... n with typed activities, a week each from 2 March 2026,
    // and opened once (the editor stores what it sets of itself).
    void reports(int n)
    {
        for (int i = 0; i < n; ++i)
            f->create(
                {i % 2 ? 29 : 27},
                [](Tberichtdlg &d) {
                    key(d.taetigkeitedit(), Qt::Key_K);
                    click(&d, "okbtn");
                },
                QDate(2026, 3, 2).addDays(7 * i));
        f->openExisting(1, 1, [](Tberichtdlg &d) { click(&d, "okbtn"); });
    }

private slots:
    void init()
    {
        f = std::make_unique<testsupport::EditorFixture>();
        store::Settings().writeString(QStringLiteral("BKM"), QStringLiteral("Name"), trainer);
        f->start(1);
    }
    void cleanup() { f.reset(); }

    // Set with the trainer's name, or without one when the apprentice goes
    // on; taken back after a question; never on a report being created.
    void markingInTheEditor_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Answer>("withoutName");
        QTest::addColumn<QString>("label");
        QTest::newRow("named") << trainer << Answer::Yes << "gesehen am 10.03.2026 von " + trainer;
        QTest::newRow("no name, go on") << QString() << Answer::Yes << QStringLiteral("gesehen am 10.03.2026");
        QTest::newRow("no name, cancelled") << QString() << Answer::Cancel << QString();
    }
    void markingInTheEditor()
    {
        QFETCH(QString, name);
        QFETCH(Answer, withoutName);
        QFETCH(QString, label);
        reports(1);
        f->app().session().trainerName = name;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            if (name.isEmpty())
                f->messages().answer(withoutName);
            d.gesehencheck()->click();
            QCOMPARE(d.gesehenlabel()->text(), label);
            QCOMPARE(domain::reviewOf(f->tables(), sheet(1)).isSeen(), !label.isEmpty());
            if (!label.isEmpty()) {
                f->messages().answer(Answer::Yes);
                d.gesehencheck()->click();
                QCOMPARE(d.gesehenlabel()->text(), QString());
            }
            click(&d, "okbtn");
        });
        const domain::Review r = domain::reviewOf(f->tables(), sheet(1));
        QVERIFY(!r.isSeen() && !r.changedAfterReview());
        f->create(
            {31},
            [](Tberichtdlg &d) {
                QVERIFY(!d.gesehencheck()->isEnabled());
                click(&d, "okbtn");
            },
            QDate(2026, 3, 16));
        QCOMPARE(f->messages().pendingAnswers(), 0);
    }

    // Each kind of change asks once: Yes changes the sheet, takes the mark
    // and records the change; No leaves sheet and mark; "Abbrechen" after
    // Yes gives both back.
    void changeOfASeenSheet_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("closeWithOk");
        for (const char *change : {"activities", "week", "week end", "item text", "item tick", "bold"}) {
            QTest::addRow("%s, yes", change) << QString::fromLatin1(change) << Answer::Yes << true;
            QTest::addRow("%s, no", change) << QString::fromLatin1(change) << Answer::No << true;
        }
        QTest::addRow("activities, yes, cancelled") << QStringLiteral("activities") << Answer::Yes << false;
        QTest::addRow("week, yes, cancelled") << QStringLiteral("week") << Answer::Yes << false;
    }
    void changeOfASeenSheet()
    {
        QFETCH(QString, change);
        QFETCH(Answer, answer);
        QFETCH(bool, closeWithOk);
        reports(1);
        domain::markSeen(f->tables(), {sheet(1)}, seenDay, trainer);
        const QStringList before = f->dump("bericht") + f->dump("berdet");
        QString label;
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            d.taetigkeitedit()->setFocus(); // entering a field is no change
            f->messages().answer(answer);
            QWidget *item = d.detailgrid()->panel(0);
            if (change == QLatin1String("activities")) {
                key(d.taetigkeitedit(), Qt::Key_Q);
            } else if (change == QLatin1String("week")) {
                f->pickWeek(QDate(2026, 3, 16));
                click(&d, "datumbtn");
            } else if (change == QLatin1String("week end")) { // 06.03.2026 -> 02.03.2026
                auto *end = d.findChild<QLineEdit *>(QStringLiteral("endedit"));
                key(end, Qt::Key_Home);
                key(end, Qt::Key_Right);
                key(end, Qt::Key_Right, Qt::ShiftModifier);
                key(end, Qt::Key_2);
            } else if (change == QLatin1String("item text")) {
                key(item->findChild<QWidget *>(QStringLiteral("detailmemo")), Qt::Key_Z);
            } else if (change == QLatin1String("item tick")) {
                item->findChild<QCheckBox *>(QStringLiteral("DBCheckBox2"))->click();
            } else if (change == QLatin1String("bold")) {
                key(d.taetigkeitedit(), Qt::Key_A, Qt::ControlModifier);
                d.findChild<QAction *>(QStringLiteral("ffett"))->trigger(); // the tool bar's "F"
            }
            QCOMPARE(f->messages().questions(),
                     QStringList{QStringLiteral("Dieser Bericht wurde vom Ausbildenden bereits gesehen. Wenn Sie ihn "
                                                "ändern, wird die Markierung „gesehen“ entfernt. Trotzdem ändern?")});
            label = d.gesehenlabel()->text();
            if (!closeWithOk)
                f->messages().answer(Answer::Yes); // the changes are discarded
            click(&d, closeWithOk ? "okbtn" : "cancelbtn");
        });
        QCOMPARE(f->messages().pendingAnswers(), 0);
        const bool changed = answer == Answer::Yes && closeWithOk;
        QCOMPARE(label, answer == Answer::Yes ? QStringLiteral("geändert nach Durchsicht am 10.03.2026")
                                              : "gesehen am 09.03.2026 von " + trainer);
        const domain::Review r = domain::reviewOf(f->tables(), sheet(1));
        QCOMPARE(r.seen, changed ? QDate() : seenDay);
        QCOMPARE(r.changedAfter, changed ? QDate(2026, 3, 10) : QDate());
        QCOMPARE(f->dump("bericht") + f->dump("berdet") == before, !changed);
    }

    // Looking at a sheet writes nothing: entering its text without typing
    // leaves the stored text as it is (a plain text stays plain, an RTF
    // keeps its bytes), and a change undone after it was written at a page
    // change is written back undone.
    void lookingWritesNothing_data()
    {
        QTest::addColumn<bool>("typedAtCreation");
        QTest::addColumn<bool>("typeThenUndo");
        QTest::newRow("plain text, entered") << false << false;
        QTest::newRow("rtf, entered") << true << false;
        QTest::newRow("plain text, typed, written, undone") << false << true;
        QTest::newRow("rtf, typed, written, undone") << true << true;
    }
    void lookingWritesNothing()
    {
        QFETCH(bool, typedAtCreation);
        QFETCH(bool, typeThenUndo);
        f->create(
            {27},
            [&](Tberichtdlg &d) {
                if (typedAtCreation)
                    key(d.taetigkeitedit(), Qt::Key_K);
                click(&d, "okbtn");
            },
            QDate(2026, 3, 2));
        f->openExisting(1, 1, [](Tberichtdlg &d) { click(&d, "okbtn"); });
        const auto stored = [&] { return f->sql(QStringLiteral("SELECT Taetigkeit FROM bericht")).toString(); };
        const QString before = stored();
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            d.taetigkeitedit()->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), d.taetigkeitedit());
            if (typeThenUndo) {
                key(d.taetigkeitedit(), Qt::Key_Q);
                d.seiten()->setCurrentIndex(1); // writes the text
                QVERIFY(richtext::toPlainText(stored()).contains(QLatin1Char('q')));
                d.seiten()->setCurrentIndex(0);
                key(d.taetigkeitedit(), Qt::Key_Z, Qt::ControlModifier);
            }
            click(&d, "okbtn");
        });
        if (typeThenUndo)
            QCOMPARE(richtext::toPlainText(stored()), richtext::toPlainText(before));
        else
            QCOMPARE(stored(), before);
    }

    // "Als gesehen markieren...": the reports of the range not seen yet, in
    // one step; report 3, seen before, keeps its day.
    void batchMarksExactlyTheRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QList<int>>("marked"); // seen today afterwards
        QTest::newRow("every report") << 1 << 4 << true << QList<int>{1, 2, 4};
        QTest::newRow("the middle") << 2 << 3 << true << QList<int>{2};
        QTest::newRow("the last alone") << 4 << 4 << true << QList<int>{4};
        QTest::newRow("cancelled") << 1 << 4 << false << QList<int>{};
    }
    void batchMarksExactlyTheRange()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, confirmed);
        QFETCH(QList<int>, marked);
        reports(4);
        domain::markSeen(f->tables(), {sheet(3)}, seenDay, trainer);
        QStringList listed;
        f->dialogs().onNext(QStringLiteral("gesehendlg"), [&](QDialog *dialog) {
            auto *d = static_cast<Tgesehendlg *>(dialog);
            for (auto [spin, value] : {std::pair{d->vonspin(), from}, std::pair{d->bisspin(), to}}) {
                key(spin, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(QApplication::focusWidget(), QString::number(value));
            }
            for (int i = 0; i < d->gesehenliste()->topLevelItemCount(); ++i)
                listed << d->gesehenliste()->topLevelItem(i)->text(0) + QLatin1Char(' ')
                              + d->gesehenliste()->topLevelItem(i)->text(3);
            d->findChild<QDialogButtonBox *>()
                ->button(confirmed ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                ->click();
        });
        f->form()->overview().gesehenbtn()->click();
        QStringList expected;
        for (int number = from; number <= to; ++number)
            expected << QString::number(number)
                            + (number == 3 ? QStringLiteral(" bereits am 09.03.2026") : QStringLiteral(" nein"));
        QCOMPARE(listed, expected);
        // Each line of the overview: its review, and "✓" when seen.
        const controls::DBGrid *grid = f->form()->overview().DBGrid3();
        QCOMPARE(grid->model()->rowCount(), 4);
        for (int row = 0; row < 4; ++row) {
            const int number = grid->cellText(row, 1).toInt();
            const domain::Review r = domain::reviewOf(f->tables(), sheet(number));
            QCOMPARE(r.seen, number == 3 ? seenDay : marked.contains(number) ? QDate(2026, 3, 10) : QDate());
            QCOMPARE(r.trainer, r.isSeen() ? trainer : QString());
            QCOMPARE(grid->cellText(row, 6), r.isSeen() ? QStringLiteral("✓") : QString());
        }
    }

    // "gesehen am" below the trainer's signature line, only while seen.
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
            domain::markSeen(f->tables(), {sheet(1)}, seenDay, trainer);
        if (changedSince)
            domain::recordChangeAfterReview(f->tables(), sheet(1), QDate(2026, 3, 10));
        QTemporaryDir dir;
        engine::exportPdf(f->app().berichtform().QuickRep1().render(), dir.filePath(QStringLiteral("v.pdf")));
        const testsupport::PdfText p = testsupport::readPdf(dir.filePath(QStringLiteral("v.pdf")));
        const bool printed = seen && !changedSince;
        QCOMPARE(p.pageText(1).contains(QStringLiteral("gesehen am 09.03.2026")), printed);
        // The remarks block starts 235.7 mm down the page, 23 mm from its left.
        const QRectF at = p.word(QStringLiteral("gesehen")).box;
        QVERIFY(!printed || (qAbs(at.left() - (23.0 + 110.1)) < 0.3 && qAbs(at.top() - (235.7 + 46.9)) < 0.3));
    }
};

QTEST_MAIN(TestReview)
#include "test_review.moc"
