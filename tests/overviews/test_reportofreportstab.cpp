// The tab "Berichte Report" in the running program: the item of the
// training year when the tab is shown, reports written through the
// composition showing in the grid and its painting, and the print of the
// grid through "&Vorschau" (a line per grid row in grid order, the column
// header on every page, positions in the PDF).

#include "overviewfixture.h"

#include "controls/radiogroup.h"
#include "overviews/reportofreportstab.h"
#include "pdfwords.h"
#include "previewfixture.h"
#include "print/engine/document.h"

#include <QHeaderView>
#include <QMap>
#include <QTableView>
#include <QTemporaryDir>

using testsupport::OverviewFixture;
using testsupport::PdfText;
namespace column = domain::column;

namespace {

constexpr double leftMargin = 12.7;

// Pixels of a colour (within a small tolerance) inside a rectangle.
int pixels(const QImage &image, const QRect &rect, const QColor &colour)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += qAbs(c.red() - colour.red()) < 40 && qAbs(c.green() - colour.green()) < 40
                 && qAbs(c.blue() - colour.blue()) < 40;
        }
    return n;
}

} // namespace

class TestReportOfReportsTab : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;
    QTemporaryDir m_out;

    overviews::ReportOfReportsTab &tab() const { return f->form()->reportOfReports(); }
    QTabWidget *pages() const { return f->form()->findChild<QTabWidget *>(QStringLiteral("PageControl1")); }
    void showTab()
    {
        pages()->setCurrentIndex(2);
        QApplication::processEvents();
    }
    int line(const QString &text) const
    {
        for (int i = 0; i < tab().grid().size(); ++i)
            if (tab().grid()[i][column::Text].startsWith(text))
                return i;
        return -1;
    }
    // "&Vorschau" on the tab; the preview as PDF words.
    PdfText preview()
    {
        const QString keep = qEnvironmentVariable("LERNORA_PRINT_DIR");
        const QString file = QDir(keep.isEmpty() ? m_out.path() : keep).filePath(QStringLiteral("berichtreport.pdf"));
        QFile::remove(file);
        testsupport::whenShown([&](Tbwprformd5 *w) {
            QCOMPARE(w->printKind(), engine::PrintKind::ReportOfReports);
            engine::exportPdf(*w->document(), file);
        });
        tab().BitBtn2()->click();
        return testsupport::readPdf(file);
    }

private slots:
    void cleanup() { f.reset(); }

    void showingTheTabSelectsTheTrainingYear_data()
    {
        QTest::addColumn<int>("startYear");
        QTest::addColumn<int>("startItem");
        QTest::addColumn<int>("newYear");
        QTest::addColumn<int>("newItem");
        QTest::newRow("1 then 3") << 1 << 0 << 3 << 4;
        QTest::newRow("2 then 1") << 2 << 1 << 1 << 0;
        QTest::newRow("all years then 2") << 0 << 0 << 2 << 1;
    }
    void showingTheTabSelectsTheTrainingYear()
    {
        QFETCH(int, startYear);
        QFETCH(int, startItem);
        QFETCH(int, newYear);
        QFETCH(int, newItem);
        f = std::make_unique<OverviewFixture>();
        f->start(startYear);
        showTab();
        QCOMPARE(tab().ljgroup()->itemIndex(), startItem);
        // Another period chosen by hand computes its grid at once.
        tab().ljgroup()->setItemIndex(6);
        QCOMPARE(tab().selection(), domain::Selection::Final);
        pages()->setCurrentIndex(0);
        f->form()->findChild<QAction *>(QStringLiteral("N%1Lehrjahr1").arg(newYear))->trigger();
        showTab();
        QCOMPARE(tab().ljgroup()->itemIndex(), newItem);
        const auto chosen = domain::Selection(newItem);
        QCOMPARE(tab().grid(), domain::reportGrid(domain::planWalk(f->tables(), chosen), chosen));
    }

    void writtenReportsShowInTheGrid()
    {
        f = std::make_unique<OverviewFixture>();
        f->start(1);
        // Two reports with 5 b) ba), one with bb): the group's target of 2
        // in the first year is reached.
        f->createAndConfirm({29});
        // The group has its target's number of reports: going on is asked.
        f->messages().answer(platform::Answer::Yes);
        f->createAndConfirm({29, 30}, QDate(2026, 3, 16));
        showTab();
        const int group = line(QStringLiteral("b) Kehr- und Überprüfungsordnung"));
        QVERIFY(group > 0);
        QCOMPARE(tab().grid()[group].mid(column::Mentioned), QStringList({"", "2", "2", domain::checkMark, ""}));
        QCOMPARE(tab().grid()[line(QStringLiteral("ba) kehr-"))][column::Mentioned], QStringLiteral("2"));
        QCOMPARE(tab().grid()[line(QStringLiteral("bb) Kehr-"))][column::Mentioned], QStringLiteral("1"));
        const int other = line(QStringLiteral("f) Feuerstättenschau"));
        QVERIFY(other > 0);
        QCOMPARE(tab().grid()[other].mid(column::Actual), QStringList({"0", "1", "", "1"}));

        // On screen: the fixed row holds the titles, the check mark is
        // green, the period lines blue.
        QTableView *grid = tab().ReportGrid();
        QCOMPARE(grid->model()->headerData(column::Missing, Qt::Horizontal).toString(), QStringLiteral("FEHLT"));
        QCOMPARE(grid->model()->rowCount(), tab().grid().size() - 1);
        grid->scrollTo(grid->model()->index(group - 1, 0));
        QApplication::processEvents();
        const QImage shot = grid->viewport()->grab().toImage();
        QVERIFY(pixels(shot, grid->visualRect(grid->model()->index(group - 1, column::Ok)), QColor(0, 128, 0)) > 5);
        QCOMPARE(pixels(shot, grid->visualRect(grid->model()->index(group - 1, column::Missing)), QColor(0, 128, 0)),
                 0);
        grid->scrollToTop();
        QApplication::processEvents();
        const QImage top = grid->viewport()->grab().toImage();
        QVERIFY(pixels(top, grid->visualRect(grid->model()->index(0, column::Text)), QColor(0, 0, 255)) > 5);
        QCOMPARE(pixels(top, grid->visualRect(grid->model()->index(1, column::Text)), QColor(0, 0, 255)), 0);
    }

    // The grid as it stands: one line per row in grid order, the header on
    // every page, the texts where the form puts them.
    void printShowsTheGridAsItStands()
    {
        f = std::make_unique<OverviewFixture>();
        f->start(2);
        f->form()->session().apprenticeName = QStringLiteral("Mara Feger");
        f->form()->session().trainerName = QStringLiteral("Otto Kamin");
        showTab();
        QCOMPARE(tab().selection(), domain::Selection::Year2);
        // A count changed behind the tab's back is not printed: the print
        // does not compute.
        f->tables().exec(QStringLiteral("UPDATE thetable SET ThemaCnt = 7"));
        const domain::Grid grid = tab().grid();
        const PdfText pdf = preview();
        QVERIFY(pdf.pages >= 3);
        // "Erwähnt" right-aligned at 137.6 mm: the counts the grid held.
        QStringList mentioned;
        for (const testsupport::PdfWord &w : pdf.words)
            if (qAbs(w.box.right() - (leftMargin + 137.6)) < 0.3)
                mentioned << w.text;
        QVERIFY(mentioned.size() > 100);
        QCOMPARE(mentioned.filter(QStringLiteral("7")), QStringList());

        // Every line holds its whole text from 14.0 mm, wrapped at its words
        // before the rule at 128.3 mm, in grid order; its counts stand beside
        // its first line ("Soll" at 155.6 mm).
        struct Printed
        {
            QString text;
            int page;
            double top;
            QString soll;
        };
        QList<Printed> printed;
        for (int page = 1; page <= pdf.pages; ++page) {
            const testsupport::PdfWord header = pdf.word(QStringLiteral("FEHLT"), page);
            QVERIFY2(header.page, qPrintable(QStringLiteral("no header on page %1").arg(page)));
            QVERIFY(qAbs(header.box.left() - (leftMargin + 172.8)) < 0.3);
            QMap<int, QList<testsupport::PdfWord>> lines; // by top in 0.1 mm
            for (const testsupport::PdfWord &w : pdf.words)
                if (w.page == page && w.box.top() > header.box.bottom() + 0.5 && w.box.top() < 297.0 - 10.0 - 6.1
                    && w.box.left() > leftMargin + 14.0 - 0.3 && w.box.left() < leftMargin + 128.3) {
                    QVERIFY2(w.box.right() < leftMargin + 128.3, qPrintable(w.text));
                    lines[qRound(w.box.top() * 10)] << w;
                }
            for (auto it = lines.begin(); it != lines.end(); ++it) {
                std::sort(it->begin(), it->end(),
                          [](const auto &a, const auto &b) { return a.box.left() < b.box.left(); });
                QStringList words;
                for (const auto &w : *it)
                    words << w.text;
                const double top = it->first().box.top();
                // A grid row starts where its part number or a period line
                // stands; other lines continue the row above.
                bool starts = words.join(QLatin1Char(' ')).endsWith(QLatin1String("ZEITRAUM:"));
                QString soll;
                for (const testsupport::PdfWord &w : pdf.words)
                    if (w.page == page && qAbs(w.box.bottom() - it->first().box.bottom()) < 1.0) {
                        starts = starts || qAbs(w.box.left() - (leftMargin + 2.6)) < 0.3;
                        if (qAbs(w.box.left() - (leftMargin + 155.6)) < 0.3)
                            soll = w.text;
                    }
                if (starts || printed.isEmpty())
                    printed.append({words.join(QLatin1Char(' ')), page, top, soll});
                else
                    printed.last().text += QLatin1Char(' ') + words.join(QLatin1Char(' '));
            }
        }
        QCOMPARE(printed.size(), grid.size() - 1);
        for (int i = 1; i < grid.size(); ++i) {
            QCOMPARE(printed[i - 1].text, grid[i][column::Text].simplified());
            QCOMPARE(printed[i - 1].soll, grid[i][column::Target]);
        }

        // The title: the period right-aligned at 184.7 mm, the names.
        const testsupport::PdfWord title = pdf.word(QStringLiteral("Übersicht"), 1);
        QVERIFY(qAbs(title.box.left() - (leftMargin + 2.1)) < 0.3);
        const testsupport::PdfWord period = pdf.word(QStringLiteral("Lehrjahr"), 1);
        QVERIFY(qAbs(period.box.right() - (leftMargin + 184.7)) < 0.3);
        QVERIFY(qAbs(pdf.word(QStringLiteral("Otto"), 1).box.left() - (leftMargin + 106.6)) < 0.3);
        // The footer of the last page: page number, the apprentice.
        const testsupport::PdfWord mara = pdf.word(QStringLiteral("Mara"), pdf.pages);
        QVERIFY(mara.page);
        QVERIFY(qAbs(mara.box.left() - (leftMargin + 111.1)) < 0.3);
        QVERIFY(pdf.pageText(pdf.pages).contains(QStringLiteral("Seite %1").arg(pdf.pages)));
        // A part number of a line at 2.6 mm.
        const testsupport::PdfWord part = pdf.word(QStringLiteral("17"), pdf.pages);
        QVERIFY(qAbs(part.box.left() - (leftMargin + 2.6)) < 0.3);
    }
};

QTEST_MAIN(TestReportOfReportsTab)
#include "test_reportofreportstab.moc"
