// The plan pages: which lines each training year shows, the outline and its
// geometry, targets in their columns and their colours, the heading with
// sub-items, the empty page, the part selector, the rebuild, and the target
// corrections made at every start.

#include "planfixture.h"

#include <QCheckBox>
#include <QScrollArea>
#include <QSignalSpy>

using testsupport::PlanFixture;

namespace {

// The plan lines a year shows, straight from the plan file, in outline order.
QList<int> expectedTags(store::TableSet &tables, int part, const QString &condition)
{
    QList<int> tags;
    const auto rows = tables.exec(QStringLiteral("SELECT LfdfTag FROM thetable WHERE Lfdnr = %1%2 "
                                                 "ORDER BY Text, GroupId, LfdfTag")
                                      .arg(part)
                                      .arg(condition.isEmpty() ? QString() : QStringLiteral(" AND ") + condition));
    for (const QVariantList &r : rows)
        tags << r.value(0).toInt();
    return tags;
}

// The item labels of a page, top to bottom.
QList<plan::PlanLabel *> itemLabels(plan::PlanSheet *sheet)
{
    QList<plan::PlanLabel *> items;
    for (plan::PlanLabel *l : sheet->findChildren<plan::PlanLabel *>())
        if (!l->objectName().isEmpty() && l->role() == plan::PlanLabel::Role::Item)
            items << l;
    std::sort(items.begin(), items.end(), [](auto *a, auto *b) { return a->y() < b->y(); });
    return items;
}

} // namespace

class TestPlanPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<PlanFixture> f;

private slots:
    void init() { f = std::make_unique<PlanFixture>(); }
    void cleanup() { f.reset(); }

    void linesOfTheYear_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("allYears");
        QTest::addColumn<QString>("condition");
        QTest::newRow("year 1") << 1 << false << "L1 > 0";
        QTest::newRow("year 2") << 2 << false << "(L2a > 0 OR L2b > 0)";
        QTest::newRow("year 3") << 3 << false << "L3 > 0";
        QTest::newRow("year 0 from the settings") << 0 << false << "";
        QTest::newRow("year 3, all years shown") << 3 << true << "";
    }
    void linesOfTheYear()
    {
        QFETCH(int, year);
        QFETCH(bool, allYears);
        QFETCH(QString, condition);
        f->start(year);
        if (allYears)
            f->tab().verkuerztbox()->click();
        QCOMPARE(f->form()->findChild<QLabel *>(QStringLiteral("lehrjahrlabel"))->text(), QString::number(year));
        int shown = 0;
        for (int part = 1; part <= plan::partCount; ++part) {
            QList<int> tags;
            for (plan::PlanLabel *l : itemLabels(f->tab().pages().sheet(part)))
                tags << l->tag();
            QCOMPARE(tags, expectedTags(f->tables(), part, condition));
            shown += tags.size();
        }
        QVERIFY(shown > 0);
    }

    void targetColumns_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("counting");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("x");
        QTest::newRow("year 2: L2a 0, L2b 3 in part B")
            << "UPDATE thetable SET L1 = 0, L2a = 0, L2b = 3, L3 = 0 WHERE LfdfTag IN (33, 34)" << 2 << 33 << "3" << 480;
        QTest::newRow("year 2: L2a 2 in part A")
            << "UPDATE thetable SET L1 = 0, L2a = 2, L2b = 0, L3 = 0 WHERE LfdfTag BETWEEN 28 AND 31" << 2 << 29 << "2"
            << 455;
        QTest::newRow("year 1: L1 4, L3 2") << "UPDATE thetable SET L1 = 4, L2a = 0, L2b = 0, L3 = 2 WHERE LfdfTag "
                                               "BETWEEN 42 AND 44"
                                            << 1 << 43 << "4" << 405;
        QTest::newRow("year 3: L1 4, L3 2 still in year 1's column")
            << "UPDATE thetable SET L1 = 4, L2a = 0, L2b = 0, L3 = 2 WHERE LfdfTag BETWEEN 42 AND 44" << 3 << 43 << "4"
            << 405;
        QTest::newRow("year 3: L3 only") << "UPDATE thetable SET L1 = 0, L2a = 0, L2b = 0, L3 = 5 WHERE LfdfTag IN "
                                            "(39, 40, 41)"
                                         << 3 << 40 << "5" << 505;
        QTest::newRow("year 1: L1 99 has no target")
            << "UPDATE thetable SET L1 = 99, GroupCnt = 7 WHERE LfdfTag = 27" << 1 << 27 << "-" << 405;
    }
    void targetColumns()
    {
        QFETCH(QString, change);
        QFETCH(int, year);
        QFETCH(int, counting);
        QFETCH(QString, target);
        QFETCH(int, x);
        f->start(year);
        f->changePlan(change);
        plan::PlanLabel *actual = f->label("grpcnt", counting);
        plan::PlanLabel *slash = f->label("slash", counting);
        plan::PlanLabel *lzahl = f->label("lzahl", counting);
        QVERIFY(actual && slash && lzahl);
        QCOMPARE(lzahl->text(), target);
        QCOMPARE(actual->x(), x);
        QCOMPARE(slash->text(), QStringLiteral("/"));
        QCOMPARE(actual->y(), slash->y());
        QCOMPARE(actual->y(), lzahl->y());
        QCOMPARE(lzahl->x(), slash->x() + slash->width());
        if (target == QLatin1String("-")) {
            QCOMPARE(actual->text(), QStringLiteral("7"));
            QCOMPARE(slash->x(), actual->x() + 2 * actual->width());
            const QColor plain = f->tab().pages().sheet(5)->palette().color(QPalette::WindowText);
            QCOMPARE(PlanFixture::colour(actual), plain);
            QCOMPARE(PlanFixture::colour(lzahl), plain);
        } else {
            QCOMPARE(slash->x(), actual->x() + actual->width());
        }
    }

    void groupColours_data()
    {
        QTest::addColumn<int>("actual");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("2 of 3: red") << 2 << plan::colours::below;
        QTest::newRow("3 of 3: green") << 3 << plan::colours::reached;
        QTest::newRow("4 of 3: green") << 4 << plan::colours::reached;
        QTest::newRow("0 of 3: red") << 0 << plan::colours::below;
    }
    void groupColours()
    {
        QFETCH(int, actual);
        QFETCH(QColor, colour);
        f->start(1);
        f->changePlan(QStringLiteral("UPDATE thetable SET L1 = 3 WHERE LfdfTag BETWEEN 42 AND 44"));
        f->changePlan(QStringLiteral("UPDATE thetable SET GroupCnt = %1 WHERE LfdfTag = 43").arg(actual));
        plan::PlanLabel *grpcnt = f->label("grpcnt", 43);
        plan::PlanLabel *lzahl = f->label("lzahl", 43);
        QCOMPARE(grpcnt->text(), QString::number(actual));
        QCOMPARE(lzahl->text(), QStringLiteral("3"));
        QCOMPARE(PlanFixture::colour(grpcnt), colour);
        QCOMPARE(PlanFixture::colour(lzahl), colour);
        QVERIFY(!grpcnt->font().bold());
        QVERIFY(!lzahl->font().bold());
    }

    void headingWithSubItems()
    {
        f->start(1);
        // Part 5: "b)" (28) is a heading over ba) to bc) (29 to 31); "a)" (27)
        // is a heading without sub-items and can be chosen.
        plan::PlanLabel *heading = f->label("myl", 28);
        QVERIFY(heading);
        QVERIFY(!heading->selectable());
        QVERIFY(!f->label("cnt", 28));
        QVERIFY(!f->label("grpcnt", 28));
        QCOMPARE(heading->x(), 12);
        QCOMPARE(heading->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(PlanFixture::colour(heading), f->tab().pages().sheet(5)->palette().color(QPalette::WindowText));
        // The counts of the group below stand level with the heading.
        plan::PlanLabel *counts = f->label("grpcnt", 29);
        QVERIFY(counts);
        QVERIFY(qAbs(counts->y() - heading->y()) <= 3);
        QVERIFY(counts->y() < f->label("myl", 29)->y());
        QCOMPARE(f->label("myl", 29)->x(), 32);
        QCOMPARE(PlanFixture::colour(f->label("myl", 29)), plan::colours::selectable);

        plan::PlanLabel *single = f->label("myl", 27);
        QCOMPARE(single->x(), 12);
        QVERIFY(single->selectable());
        QVERIFY(f->label("cnt", 27));
        QCOMPARE(single->cursor().shape(), Qt::PointingHandCursor);

        // A click on the heading does nothing at all.
        const QStringList before = f->snapshot();
        f->click(28);
        f->click(28, Qt::RightButton);
        QCOMPARE(f->snapshot(), before);
        QCOMPARE(f->messages().beeps(), 0);
    }

    void outlineGeometry()
    {
        f->start(2);
        for (int part = 1; part <= plan::partCount; ++part) {
            plan::PlanSheet *sheet = f->tab().pages().sheet(part);
            const QList<plan::PlanLabel *> items = itemLabels(sheet);
            if (items.isEmpty())
                continue;
            const QVector<int> &rules = sheet->horizontalRules();
            int groups = 0;
            for (plan::PlanLabel *l : sheet->findChildren<plan::PlanLabel *>())
                groups += !l->objectName().isEmpty() && l->role() == plan::PlanLabel::Role::Actual;
            QCOMPARE(rules.size(), groups + 1);
            QCOMPARE(rules.first(), 13);
            QCOMPARE(items.first()->y(), 18);
            int rule = 1;
            for (int i = 0; i < items.size(); ++i) {
                plan::PlanLabel *item = items[i];
                QCOMPARE(item->width(), 400 - item->x() - 8);
                QVERIFY(item->height() >= item->fontMetrics().height());
                if (plan::PlanLabel *use = f->label("cnt", item->tag())) {
                    QCOMPARE(use->x(), 392);
                    QCOMPARE(use->y(), item->y());
                }
                if (i == 0)
                    continue;
                const int gap = item->y() - (items[i - 1]->y() + items[i - 1]->height());
                if (gap == 15) {
                    // A new group: its rule in the middle of the gap.
                    QVERIFY(rule < rules.size());
                    QCOMPARE(rules[rule++], item->y() - 5);
                } else {
                    QCOMPARE(gap, 5);
                }
            }
            const int bottom = items.last()->y() + items.last()->height() + 5;
            QCOMPARE(rule, rules.size() - 1);
            QCOMPARE(rules.last(), bottom + 5);
            QCOMPARE(sheet->verticalTop(), 13);
            QCOMPARE(sheet->verticalHeight(), bottom - 8);
        }
        // A long text wraps onto more lines than a short one.
        int shortest = INT_MAX, tallest = 0;
        for (plan::PlanLabel *l : itemLabels(f->tab().pages().sheet(5))) {
            shortest = std::min(shortest, l->height());
            tallest = std::max(tallest, l->height());
        }
        QVERIFY(tallest >= 2 * shortest);
    }

    void emptyPage()
    {
        f->start(3);
        f->changePlan(QStringLiteral("UPDATE thetable SET L3 = 0 WHERE Lfdnr = 17"));
        plan::PlanSheet *sheet = f->tab().pages().sheet(17);
        QCOMPARE(sheet->horizontalRules(), QVector<int>{13});
        QCOMPARE(sheet->verticalHeight(), 0);
        for (plan::PlanLabel *l : sheet->findChildren<plan::PlanLabel *>())
            QVERIFY2(l->objectName().isEmpty() && l->isHidden(), qPrintable(l->text()));
        QCOMPARE(f->tab().PageControl2()->tabText(16), plan::partTitle(17));
    }

    void selectorAndPages()
    {
        f->start(1);
        QComboBox *selector = f->tab().ComboBox1();
        QTabWidget *pages = f->tab().PageControl2();
        QCOMPARE(selector->count(), 17);
        QCOMPARE(pages->count(), 17);
        QCOMPARE(selector->maxVisibleItems(), 14);
        QCOMPARE(selector->itemText(4), QStringLiteral("5 Anwenden berufsspezifischer Rechtsgrungdlagen (§ 3 Nr. 5)"));
        QCOMPARE(pages->tabText(13), plan::partTitle(14));
        QCOMPARE(f->form()->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 0);
        // At start: part 5.
        QCOMPARE(selector->currentIndex(), 4);
        QCOMPARE(pages->currentIndex(), 4);

        selector->setCurrentIndex(8);
        QCOMPARE(pages->currentIndex(), 8);
        pages->setCurrentIndex(2);
        QCOMPARE(selector->currentIndex(), 2);

        // A rebuild keeps the part; so does a change of year.
        f->tab().rebuildPages();
        QCOMPARE(selector->currentIndex(), 2);
        QCOMPARE(pages->currentIndex(), 2);
        f->form()->N1Lehrjahr1Click(3);
        QCOMPARE(selector->currentIndex(), 2);
        QCOMPARE(pages->currentIndex(), 2);
        // A build on its own leaves the selector with the page shown.
        pages->setCurrentIndex(11);
        f->tab().buildPages();
        QCOMPARE(selector->currentIndex(), 11);
        QCOMPARE(pages->currentIndex(), 11);
    }

    void rebuildShowsStoredCountsAndForgetsOtherYears()
    {
        f->start(1);
        // Row 27 (part 5, a)) belongs to year 1 only; rows 36 to 38 to year 2.
        QVERIFY(f->label("myl", 27));
        QVERIFY(!f->label("myl", 36));
        f->tables().exec(QStringLiteral("UPDATE thetable SET ThemaCnt = 4, GroupCnt = 2 WHERE LfdfTag = 27"));
        QCOMPARE(f->label("cnt", 27)->text(), QStringLiteral("0")); // not before the rebuild

        f->form()->N1Lehrjahr1Click(2);
        QVERIFY(!f->label("myl", 27));
        QVERIFY(!f->label("cnt", 27));
        QVERIFY(!f->label("grpcnt", 27));
        QVERIFY(f->label("myl", 36));
        QVERIFY(f->label("cnt", 36)->isVisibleTo(f->tab().pages().sheet(5)));

        f->form()->N1Lehrjahr1Click(1);
        QVERIFY(!f->label("myl", 36));
        QCOMPARE(f->label("cnt", 27)->text(), QStringLiteral("4"));
        QCOMPARE(f->label("grpcnt", 27)->text(), QStringLiteral("2"));
        QVERIFY(f->label("myl", 27)->isVisibleTo(f->tab().pages().sheet(5)));
        // Only the labels of the page's current lines carry names.
        QSet<QString> names;
        for (plan::PlanLabel *l : f->tab().pages().sheet(5)->findChildren<plan::PlanLabel *>())
            if (!l->objectName().isEmpty()) {
                QVERIFY2(!names.contains(l->objectName()), qPrintable(l->objectName()));
                names << l->objectName();
            }
        QCOMPARE(itemLabels(f->tab().pages().sheet(5)).size(), expectedTags(f->tables(), 5, "L1 > 0").size());

        // Discarded pages hold nothing; the next build fills them again.
        f->tab().discardPages();
        for (int part = 1; part <= plan::partCount; ++part) {
            QVERIFY(itemLabels(f->tab().pages().sheet(part)).isEmpty());
            QVERIFY(f->tab().pages().sheet(part)->horizontalRules().isEmpty());
        }
        QVERIFY(!f->label("grpcnt", 27));
        f->tab().buildPages();
        QCOMPARE(f->label("cnt", 27)->text(), QStringLiteral("4"));
        QVERIFY(f->label("myl", 27)->isVisibleTo(f->tab().pages().sheet(5)));
    }

    void correctionsAtStart_data()
    {
        QTest::addColumn<bool>("withRow102");
        QTest::newRow("row 102 present") << true;
        QTest::newRow("row 102 missing") << false;
    }
    void correctionsAtStart()
    {
        QFETCH(bool, withRow102);
        {
            store::TableSet set(f->dir().dataDir());
            set.openAtStart();
            set.exec(QStringLiteral("UPDATE thetable SET L2a = 3, L2b = 7 WHERE LfdfTag IN (87, 95, 98, 100, 101, "
                                    "102, 192)"));
            set.exec(QStringLiteral("UPDATE thetable SET L3 = 0 WHERE LfdfTag = 192"));
            if (!withRow102)
                set.exec(QStringLiteral("DELETE FROM thetable WHERE LfdfTag = 102"));
        }
        f->start(1);
        auto values = [&](int tag) {
            const auto rows = f->tables().exec(
                QStringLiteral("SELECT L2a, L2b, L3 FROM thetable WHERE LfdfTag = %1").arg(tag));
            return rows.isEmpty() ? QVariantList{} : rows.first();
        };
        auto ints = [](const QVariantList &v) {
            QList<int> out;
            for (const QVariant &x : v)
                out << x.toInt();
            return out;
        };
        QCOMPARE(ints(values(95)), (QList<int>{3, 2, ints(values(95)).value(2)}));
        QCOMPARE(ints(values(87)).value(1), 0);
        for (int tag : {98, 100, 101})
            QCOMPARE(ints(values(tag)).mid(0, 2), (QList<int>{0, 2}));
        if (withRow102) {
            QCOMPARE(ints(values(102)).mid(0, 2), (QList<int>{0, 2}));
            QCOMPARE(ints(values(192)), (QList<int>{3, 0, 2}));
        } else {
            QVERIFY(values(102).isEmpty());
            QCOMPARE(ints(values(192)), (QList<int>{3, 7, 0}));
        }
        QCOMPARE(f->tables().table1().indexName(), QStringLiteral("Table1Index1")); // the default order
        QVERIFY(!f->tables().table1().filtered());
    }
};

QTEST_MAIN(TestPlanPages)
#include "test_planpages.moc"
