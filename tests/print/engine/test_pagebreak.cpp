// Where a page breaks: a text's lines in their band and the blocks after
// them on one page, a block (a band, a picture) that goes to the next page,
// and a line taller than any page.

#include "print/engine/pagebreak.h"

#include <QTest>

using engine::PageBreak;

using Lines = QVector<double>;
using Blocks = QVector<PageBreak::Block>;
Q_DECLARE_METATYPE(Blocks)

namespace {

// A page usable down to 1000; the text's band stands at 100, 50 high, the
// text fills it from its top.
const PageBreak page(1000);
const PageBreak::TextBand band{100, 50, 0, 50};

} // namespace

class TestPageBreak : public QObject
{
    Q_OBJECT

private slots:
    void linesOnOnePage_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<Blocks>("following");
        QTest::addColumn<int>("fitting");
        // Ten lines of 85 end at 950; a 50 high block at the foot ends at 1000.
        QTest::newRow("exactly fits") << Lines(10, 85) << Blocks{{50, true}} << 10;
        QTest::newRow("one line over") << Lines(11, 85) << Blocks{{50, true}} << 10;
        QTest::newRow("many lines over") << Lines(40, 85) << Blocks{{50, true}} << 10;
        QTest::newRow("a foot block pushes lines off") << Lines(10, 85) << Blocks{{51, true}} << 9;
        QTest::newRow("lines within the designed height") << Lines(2, 20) << Blocks{{850, false}} << 2;
        QTest::newRow("a line taller than the page") << Lines{2000, 10} << Blocks{} << 0;
        // Band bottom 150, 185, 270 after 0, 1, 2 lines; the picture is 800.
        QTest::newRow("a picture that does not fit") << Lines{85, 85} << Blocks{{800, false}} << 1;
        QTest::newRow("two pictures, the second does not fit") << Lines{85} << Blocks{{400, false}, {400, false}}
                                                               << 1;
        QTest::newRow("a picture that never fits") << Lines{85} << Blocks{{900, false}} << -1;
        QTest::newRow("growth rounded down to whole tenths") << Lines{900.4} << Blocks{} << 1;
        QTest::newRow("growth rounded up to whole tenths") << Lines{900.6} << Blocks{} << 0;
    }
    void linesOnOnePage()
    {
        QFETCH(Lines, lines);
        QFETCH(Blocks, following);
        QFETCH(int, fitting);
        QCOMPARE(page.linesOnOnePage(lines, band, following), fitting);
    }

    void blocks_data()
    {
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("height");
        QTest::addColumn<bool>("pageEmpty");
        QTest::addColumn<bool>("breaks");
        QTest::addColumn<double>("atFoot");
        QTest::newRow("exactly fits") << 950.0 << 50.0 << false << false << 950.0;
        QTest::newRow("a tenth over") << 950.0 << 50.1 << false << true << 950.0;
        QTest::newRow("taller than an empty page: stays") << 100.0 << 2000.0 << true << false << 100.0;
        QTest::newRow("moved down to the foot") << 980.0 << 10.0 << false << false << 990.0;
        QTest::newRow("below the foot position") << 995.0 << 10.0 << false << true << 995.0;
    }
    void blocks()
    {
        QFETCH(double, y);
        QFETCH(double, height);
        QFETCH(bool, pageEmpty);
        QFETCH(bool, breaks);
        QFETCH(double, atFoot);
        QCOMPARE(page.breaksBefore(y, height, pageEmpty), breaks);
        QCOMPARE(page.footPosition(y, height), atFoot);
    }

    // A line taller than an empty page is cut at the foot: the band takes
    // the whole tenths that are left.
    void roomBelow()
    {
        QCOMPARE(page.roomBelow(100, 50), 850.0);
        QCOMPARE(page.roomBelow(100.5, 50), 849.0);
        QCOMPARE(page.roomBelow(990, 50), 0.0);
        QVERIFY(page.fits(100, 900.4));
        QVERIFY(!page.fits(100, 900.5));
    }
};

QTEST_MAIN(TestPageBreak)
#include "test_pagebreak.moc"
