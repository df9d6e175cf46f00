// The composition: choosing plan items into the composition table and list,
// the use and group counts shown while composing, the question when a group
// has reached its target, refused clicks, the discard, "Alle Jahre
// anzeigen", the change of the training year and the error when a group's
// labels are missing.

#include "planfixture.h"

#include <QCheckBox>

using platform::Answer;
using testsupport::PlanFixture;

namespace {

const QString question = QStringLiteral(
    "Anzahl der vorgeschriebenen Ausbildungsnachweise schon geschrieben. Thema freiwillig fortsetzen?");

} // namespace

class TestComposition : public QObject
{
    Q_OBJECT

    std::unique_ptr<PlanFixture> f;

    // A field of the composition row of a plan line, read from the file.
    QVariant compositionField(int tag, const char *field)
    {
        const auto rows = f->tables().exec(
            QStringLiteral("SELECT %1 FROM tmptable WHERE LfdfTag = %2").arg(QLatin1String(field)).arg(tag));
        return rows.isEmpty() ? QVariant(QStringLiteral("<no row>")) : rows.first().value(0);
    }

private slots:
    void init() { f = std::make_unique<PlanFixture>(); }
    void cleanup() { f.reset(); }

    void chooseAnItem()
    {
        f->start(1);
        // Part 5 in year 1: ba) (29) under the heading b) (28), group 3 with
        // its target 2 in the year-1 column.
        QCOMPARE(f->label("grpcnt", 29)->text(), QStringLiteral("0"));
        QVERIFY(!f->tab().erzeugbtn()->isEnabled());
        QVERIFY(!f->tab().Verwerfbtn()->isEnabled());
        f->click(29);

        QCOMPARE(f->messages().shown(), QStringList());
        QCOMPARE(f->messages().beeps(), 0);
        plan::PlanLabel *item = f->label("myl", 29);
        QCOMPARE(PlanFixture::colour(item), plan::colours::chosen);
        QCOMPARE(f->label("cnt", 29)->text(), QStringLiteral("1"));
        QCOMPARE(f->label("grpcnt", 29)->text(), QStringLiteral("1"));
        QCOMPARE(PlanFixture::colour(f->label("grpcnt", 29)), plan::colours::below);
        QCOMPARE(f->listEntries(), QStringList{QStringLiteral("5 ") + item->text()});
        QVERIFY(f->tab().erzeugbtn()->isEnabled());
        QVERIFY(f->tab().Verwerfbtn()->isEnabled());

        // The composition row, as stored.
        QCOMPARE(f->compositionRows(), 1);
        const QString heading = f->label("myl", 28)->text();
        QCOMPARE(compositionField(29, "Lfdnr").toInt(), 5);
        QCOMPARE(compositionField(29, "Text").toString(), item->text());
        QCOMPARE(compositionField(29, "GroupId").toInt(), 3);
        QCOMPARE(compositionField(29, "Hintid").toInt(), 2);
        QCOMPARE(compositionField(29, "Isheader").toInt(), 0);
        QCOMPARE(compositionField(29, "Headertext").toString(), heading);
        QCOMPARE(compositionField(29, "Alltext").toString(), QStringLiteral("5 ") + heading + "\n" + item->text() + "\n");
        QVERIFY(!compositionField(29, "BA").toBool());
        QVERIFY(!compositionField(29, "UELU").toBool());
        // Nothing of the count reaches the plan file while composing.
        QCOMPARE(f->tables().exec(QStringLiteral("SELECT ThemaCnt FROM thetable WHERE LfdfTag = 29")).first().value(0).toInt(), 0);

        // A heading without sub-items is its own heading text.
        f->click(27);
        const QString single = f->label("myl", 27)->text();
        QCOMPARE(compositionField(27, "Headertext").toString(), single);
        QCOMPARE(compositionField(27, "Isheader").toInt(), 1);
        QCOMPARE(compositionField(27, "NoChild").toInt(), 1);
        QCOMPARE(compositionField(27, "Alltext").toString(), QStringLiteral("5 ") + single + "\n");
        QCOMPARE(f->listEntries().size(), 2);
        QCOMPARE(f->tables().table1().indexName(), QStringLiteral("Table1Index1"));
    }

    void listEntryNamesThePageShown()
    {
        f->start(1);
        f->click(43);
        QVERIFY(f->listEntries().value(0).startsWith(QStringLiteral("5 fa)")));
        // An item of part 14 chosen while its page shows.
        f->click(168);
        QVERIFY(f->listEntries().value(1).startsWith(QStringLiteral("14 a)")));
    }

    void twoItemsOfOneGroupCountOnce()
    {
        f->start(1);
        f->click(29);
        f->click(30);
        f->click(31);
        QCOMPARE(f->label("grpcnt", 29)->text(), QStringLiteral("1"));
        for (int tag : {29, 30, 31})
            QCOMPARE(f->label("cnt", tag)->text(), QStringLiteral("1"));
        QCOMPARE(f->compositionRows(), 3);
        QCOMPARE(f->listEntries().size(), 3);
        // After the first item the group shows 1 of 2: below its target, so
        // the others are chosen without a question.
        QCOMPARE(f->messages().questions(), QStringList());
    }

    void sharedGroupOfPart14()
    {
        f->start(1);
        // ba) (171) of part 14 is counted on group 1, whose counting row is 168.
        f->click(171);
        QCOMPARE(f->messages().shown(), QStringList());
        QCOMPARE(f->label("grpcnt", 168)->text(), QStringLiteral("1"));
        QCOMPARE(f->label("grpcnt", 171)->text(), QStringLiteral("0"));
        QCOMPARE(f->listEntries().size(), 1);
    }

    void refusedClicks()
    {
        f->start(1);
        f->click(29);
        const QStringList chosen = f->snapshot();
        // A second click on a chosen item beeps and changes nothing.
        f->click(29);
        QVERIFY(f->messages().beeps() >= 1);
        QCOMPARE(f->snapshot(), chosen);
        // Any button but the left one beeps.
        const int beeps = f->messages().beeps();
        f->click(30, Qt::RightButton);
        f->click(30, Qt::MiddleButton);
        QCOMPARE(f->messages().beeps(), beeps + 2);
        QCOMPARE(f->snapshot(), chosen);
        QCOMPARE(f->messages().shown(), QStringList());
    }

    void groupAtItsTarget_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("No") << Answer::No;
        QTest::newRow("Yes") << Answer::Yes;
    }
    void groupAtItsTarget()
    {
        QFETCH(Answer, answer);
        f->start(1);
        f->changePlan(QStringLiteral("UPDATE thetable SET GroupCnt = 2 WHERE LfdfTag = 29"));
        f->click(43); // another group, so that the composition is not empty
        QCOMPARE(PlanFixture::colour(f->label("grpcnt", 29)), plan::colours::reached);
        const QStringList before = f->snapshot();

        f->messages().answer(answer);
        f->click(30);
        QCOMPARE(f->messages().questions(), QStringList{question});
        QCOMPARE(f->messages().beeps(), 1);
        if (answer == Answer::No) {
            QCOMPARE(f->snapshot(), before);
            QCOMPARE(compositionField(30, "Lfdnr").toString(), QStringLiteral("<no row>"));
            // Still choosable afterwards.
            f->messages().answer(Answer::Yes);
            f->click(30);
            QCOMPARE(f->label("cnt", 30)->text(), QStringLiteral("1"));
            return;
        }
        QCOMPARE(f->label("grpcnt", 29)->text(), QStringLiteral("3"));
        QCOMPARE(f->label("cnt", 30)->text(), QStringLiteral("1"));
        QCOMPARE(PlanFixture::colour(f->label("myl", 30)), plan::colours::chosen);
        for (const char *prefix : {"grpcnt", "lzahl"}) {
            QCOMPARE(PlanFixture::colour(f->label(prefix, 29)), plan::colours::reached);
            QVERIFY(f->label(prefix, 29)->font().bold());
        }
        QCOMPARE(f->compositionRows(), 2);
        QCOMPARE(f->listEntries().size(), 2);
        // The separator and target moved with the count, nothing overlaps.
        plan::PlanLabel *actual = f->label("grpcnt", 29), *slash = f->label("slash", 29);
        QVERIFY(slash->x() >= actual->x() + actual->width());
    }

    void reachingTheTargetWhileComposing()
    {
        f->start(1);
        f->changePlan(QStringLiteral("UPDATE thetable SET GroupCnt = 1 WHERE LfdfTag = 29"));
        f->click(29);
        // 2 of 2: green and bold, without a question.
        QCOMPARE(f->messages().questions(), QStringList());
        QCOMPARE(f->label("grpcnt", 29)->text(), QStringLiteral("2"));
        QCOMPARE(PlanFixture::colour(f->label("lzahl", 29)), plan::colours::reached);
        QVERIFY(f->label("lzahl", 29)->font().bold());
        // The next item of the group counts the raise already shown.
        f->messages().answer(Answer::No);
        f->click(30);
        QCOMPARE(f->messages().questions(), QStringList{question});
        QCOMPARE(f->label("grpcnt", 29)->text(), QStringLiteral("2"));
        QCOMPARE(f->compositionRows(), 1);
    }

    void groupWithoutTargetNeverAsks()
    {
        f->start(1);
        // Part 5 a) (27) loses its target: L1 99.
        f->changePlan(QStringLiteral("UPDATE thetable SET L1 = 99, GroupCnt = 50 WHERE LfdfTag = 27"));
        QCOMPARE(f->label("lzahl", 27)->text(), QStringLiteral("-"));
        f->click(27);
        QCOMPARE(f->messages().shown(), QStringList());
        QCOMPARE(f->label("grpcnt", 27)->text(), QStringLiteral("51"));
        const QColor plain = f->tab().pages().sheet(5)->palette().color(QPalette::WindowText);
        QCOMPARE(PlanFixture::colour(f->label("grpcnt", 27)), plain);
        QCOMPARE(PlanFixture::colour(f->label("lzahl", 27)), plain);
        QVERIFY(!f->label("grpcnt", 27)->font().bold());
        QCOMPARE(f->listEntries().size(), 1);
    }

    void discardRestoresTheStoredCounts()
    {
        f->start(1);
        f->tables().exec(QStringLiteral("UPDATE thetable SET L1 = 5 WHERE LfdfTag BETWEEN 28 AND 31"));
        f->changePlan(QStringLiteral("UPDATE thetable SET GroupCnt = 1, ThemaCnt = 3 WHERE LfdfTag = 29"));
        f->tab().setPartIndex(13);
        f->tab().setPartIndex(4);
        const QStringList stored = f->snapshot();
        f->click(29);
        f->click(30);
        f->click(168);
        QCOMPARE(f->tab().partIndex(), 13);
        QVERIFY(f->snapshot() != stored);

        f->tab().Verwerfbtn()->click();
        QCOMPARE(f->compositionRows(), 0);
        QCOMPARE(f->listEntries(), QStringList());
        QVERIFY(!f->tab().erzeugbtn()->isEnabled());
        QVERIFY(!f->tab().Verwerfbtn()->isEnabled());
        QCOMPARE(f->tab().partIndex(), 13);
        QCOMPARE(f->tab().PageControl2()->currentIndex(), 13);
        f->tab().setPartIndex(4);
        QCOMPARE(f->snapshot(), stored);
        // The items can be chosen again.
        f->click(29);
        QCOMPARE(f->label("cnt", 29)->text(), QStringLiteral("4"));
        QCOMPARE(f->messages().shown(), QStringList());
    }

    void yearChangeAndAllYearsEndTheComposition()
    {
        f->start(1);
        f->click(29);
        f->tab().setPartIndex(8);
        f->form()->findChild<QAction *>(QStringLiteral("N2Lehrjahr1"))->trigger();
        QCOMPARE(f->form()->findChild<QLabel *>(QStringLiteral("lehrjahrlabel"))->text(), QStringLiteral("2"));
        QCOMPARE(f->compositionRows(), 0);
        QCOMPARE(f->listEntries(), QStringList());
        QVERIFY(!f->tab().Verwerfbtn()->isEnabled());
        QCOMPARE(f->tab().partIndex(), 8);

        // "Alle Jahre anzeigen": every line, the composition discarded.
        f->click(36);
        QCOMPARE(f->compositionRows(), 1);
        QCheckBox *box = f->tab().verkuerztbox();
        QCOMPARE(box->toolTip(), QStringLiteral("Nur für verkürzte Ausbildungszeit"));
        QCOMPARE(box->layoutDirection(), Qt::RightToLeft);
        box->click();
        QVERIFY(f->tab().allYears());
        QCOMPARE(f->compositionRows(), 0);
        QCOMPARE(f->listEntries(), QStringList());
        QCOMPARE(f->tab().partIndex(), 4);
        QVERIFY(f->label("myl", 27));  // year 1 only
        QVERIFY(f->label("myl", 39));  // year 3 only
        QCOMPARE(PlanFixture::colour(f->label("myl", 36)), plan::colours::selectable);
        box->click();
        QVERIFY(!f->label("myl", 27));
    }

    void missingGroupLabels()
    {
        f->start(1);
        // Part 14's group 1 (counting row 168) leaves year 1; ba) (171) is
        // still shown and counted on it.
        f->changePlan(QStringLiteral("UPDATE thetable SET L1 = 0 WHERE LfdfTag = 168"));
        QVERIFY(!f->label("grpcnt", 168));
        f->click(171);
        QCOMPARE(f->messages().errors(), QStringList{QStringLiteral("Fehler beim Hochzählen der Berichte: 168")});
        // The item is chosen and in the table, but has no list entry.
        QCOMPARE(PlanFixture::colour(f->label("myl", 171)), plan::colours::chosen);
        QCOMPARE(f->compositionRows(), 1);
        QCOMPARE(f->listEntries(), QStringList());
        QVERIFY(!f->tab().erzeugbtn()->isEnabled());
    }

    void everyBuildEmptiesTheCompositionTable()
    {
        f->start(1);
        f->click(29);
        f->click(43);
        QCOMPARE(f->compositionRows(), 2);
        f->tab().rebuildPages();
        QCOMPARE(f->compositionRows(), 0);
        QCOMPARE(f->tables().exec(QStringLiteral("SELECT COUNT(*) FROM tmptable")).first().value(0).toInt(), 0);
        QCOMPARE(f->label("cnt", 29)->text(), QStringLiteral("0"));
        QCOMPARE(PlanFixture::colour(f->label("myl", 29)), plan::colours::selectable);
    }

    void compositionFromAnEarlierRunIsGone()
    {
        {
            store::TableSet set(f->dir().dataDir());
            set.temptable().open();
            set.temptable().append();
            set.temptable().setValue(QStringLiteral("Lfdnr"), 5);
            set.temptable().setValue(QStringLiteral("LfdfTag"), 29);
            set.temptable().post();
        }
        f->start(1);
        QCOMPARE(f->compositionRows(), 0);
        QCOMPARE(f->listEntries(), QStringList());
    }

    void noAtTheExitQuestionKeepsTheComposition()
    {
        f->start(1);
        f->click(29);
        const QStringList before = f->snapshot();
        f->messages().answer(Answer::No);
        f->form()->close();
        QVERIFY(f->form()->isVisible());
        QCOMPARE(f->snapshot(), before);
    }
};

QTEST_MAIN(TestComposition)
#include "test_composition.moc"
