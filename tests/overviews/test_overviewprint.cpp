// The print of the report overview: what "&Vorschau" previews, the rows of
// the display choice, the places of titles, columns and page numbers on A4,
// the page break, an empty list, and the report cursor after a run.

#include "overviewfixture.h"

#include "pdfwords.h"
#include "previewfixture.h"
#include "print/engine/document.h"
#include "print/engine/report.h"
#include "print/reportlistprint.h"

#include <QTemporaryDir>

using testsupport::OverviewFixture;
using testsupport::PdfText;
using testsupport::PdfWord;

namespace {

constexpr double tolerance = 0.3; // mm

QString day(const QDate &d)
{
    return d.toString(QStringLiteral("dd.MM.yyyy"));
}

// The words on the line of `anchor`, left to right.
QList<PdfWord> lineOf(const PdfText &pdf, const PdfWord &anchor)
{
    QList<PdfWord> out;
    for (const PdfWord &w : pdf.words)
        if (w.page == anchor.page && qAbs(w.box.top() - anchor.box.top()) < tolerance)
            out << w;
    std::sort(out.begin(), out.end(), [](const PdfWord &a, const PdfWord &b) { return a.box.left() < b.box.left(); });
    return out;
}

} // namespace

class TestOverviewPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<OverviewFixture> f;
    int m_previews = 0;                                   // preview windows shown
    engine::PrintKind m_druckart = engine::PrintKind::None; // the print kind of the preview shown
    QTemporaryDir m_out;

    // Presses "&Vorschau" and reads what the preview window shows.
    PdfText previewed()
    {
        m_previews = 0;
        m_druckart = engine::PrintKind::None;
        const QString file = m_out.filePath(QStringLiteral("liste.pdf"));
        testsupport::whenShown([&](Tbwprformd5 *w) {
            ++m_previews;
            m_druckart = w->printKind();
            engine::exportPdf(*w->document(), file);
        });
        f->overview().beruebersichtdruckbtn()->click();
        return testsupport::readPdf(file);
    }

private slots:
    void init() { f = std::make_unique<OverviewFixture>(); }
    void cleanup() { f.reset(); }

    void currentYearListsItsSheetsInPlace()
    {
        f->start(1);
        const QDate w1(2026, 1, 5), w2(2026, 1, 12), w3(2026, 1, 19), other(2027, 2, 1);
        f->addSheet(1, 1, 1, w1, {}, {"5", "6", "14"});
        f->addSheet(1, 2, 1, w2, {}, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "11"});
        f->addSheet(1, 2, 2, w3);
        f->addSheet(2, 1, 1, other);
        f->choose(1);
        QVERIFY(f->select(1, 2, 1));
        const int current = f->reports().asInt(QStringLiteral("BerLfd"));

        const PdfText pdf = previewed();
        QCOMPARE(m_previews, 1);
        QCOMPARE(m_druckart, engine::PrintKind::ReportList);
        QCOMPARE(f->reports().asInt(QStringLiteral("BerLfd")), current);
        f->overview().printForm()->report().render(); // the form's own run, too
        QCOMPARE(f->reports().asInt(QStringLiteral("BerLfd")), current);
        QCOMPARE(pdf.pages, 1);
        QVERIFY(!pdf.word(day(other)).page);
        QVERIFY(!pdf.word(QStringLiteral("Gedruckt")).page);

        // Left edges from the page's edge: 10 mm margin plus the column.
        const PdfWord header = pdf.word(QStringLiteral("A-Jahr"));
        QVERIFY(header.page);
        QCOMPARE(lineOf(pdf, header).size(), 11);
        const QList<QPair<QString, double>> headers{
            {"A-Jahr", 10.3}, {"Nummer", 25.1}, {"Blatt", 46.2}, {"Woche", 56.8}, {"Teil", 139.1}};
        for (const auto &[text, left] : headers)
            QVERIFY2(qAbs(pdf.word(text).box.left() - left) < tolerance, qPrintable(text));
        const PdfWord title = pdf.word(QStringLiteral("Übersicht"));
        QVERIFY(qAbs(title.box.left() - 94.9) < tolerance);
        QVERIFY(title.box.bottom() < header.box.top());

        // One line per sheet, 4.2 mm apart, the first below the header; the
        // parts centred in their columns.
        const double firstTop = header.box.top() + (25.6 + 0.4) - (20.6 + 0.6);
        const QDate weeks[] = {w1, w2, w3};
        for (int row = 0; row < 3; ++row) {
            const PdfWord vom = pdf.word(day(weeks[row]));
            QVERIFY(qAbs(vom.box.top() - (firstTop + 4.2 * row)) < tolerance);
            const QList<PdfWord> line = lineOf(pdf, vom);
            QVERIFY(line.size() >= 5);
            const double lefts[] = {10.0, 24.8, 46.0, 56.6, 84.1};
            for (int i = 0; i < 5; ++i)
                QVERIFY2(qAbs(line[i].box.left() - lefts[i]) < tolerance, qPrintable(line[i].text));
            QCOMPARE(line[4].text, day(weeks[row].addDays(4)));
        }
        const QList<PdfWord> parts = lineOf(pdf, pdf.word(day(w2))).mid(5);
        QCOMPARE(parts.size(), 10);
        const double centres[] = {143.25, 149.05, 154.85, 160.45, 166.25, 172.1, 177.9, 183.4, 189.3, 195.1};
        for (int i = 0; i < 10; ++i)
            QVERIFY2(qAbs(parts[i].box.center().x() - centres[i]) < tolerance, qPrintable(parts[i].text));
        QCOMPARE(parts.last().text, QStringLiteral("11"));

        // "Seite 1" right-aligned at the foot of the page.
        const QList<PdfWord> foot = lineOf(pdf, pdf.word(QStringLiteral("Seite")));
        QCOMPARE(foot.size(), 2);
        QCOMPARE(foot[1].text, QStringLiteral("1"));
        QVERIFY(qAbs(foot[1].box.right() - 200.0) < tolerance);
        QVERIFY(qAbs(foot[0].box.top() - header.box.top() - (281.2 + 1.2 - 21.2)) < tolerance);

        // Every year: the other year's sheet is listed too.
        f->choose(0);
        QVERIFY(previewed().word(day(other)).page);
    }

    void longListBreaksAndEmptyListPrints()
    {
        f->start(1);
        f->tables().exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65) "
                                        "INSERT INTO bericht (AJahr, Nummer, Blatt, WocheVom) SELECT 1, i, 1, "
                                        "date('2026-01-05', '+' || (7 * i) || ' days') FROM n"));
        f->choose(1);
        PdfText pdf = previewed();
        QCOMPARE(pdf.pages, 2);
        // Page 1 from 25.6 mm, page 2 from 15 mm, both down to 281.2 mm.
        const int firstPage = int((281.2 - 25.6) / 4.2 + 1e-9);
        QCOMPARE(firstPage, 60);
        const QDate lastOnFirst = QDate(2026, 1, 5).addDays(7 * firstPage);
        QCOMPARE(pdf.word(day(lastOnFirst)).page, 1);
        const PdfWord next = pdf.word(day(lastOnFirst.addDays(7)));
        QCOMPARE(next.page, 2);
        const PdfWord header2 = pdf.word(QStringLiteral("A-Jahr"), 2);
        QVERIFY(qAbs(header2.box.top() - pdf.word(QStringLiteral("A-Jahr"), 1).box.top() + 10.6) < tolerance);
        QVERIFY(qAbs(next.box.top() - header2.box.top() - 4.8) < tolerance);
        QCOMPARE(pdf.word(QStringLiteral("Übersicht"), 2).page, 0);
        QCOMPARE(lineOf(pdf, pdf.word(QStringLiteral("Seite"), 2)).value(1).text, QStringLiteral("2"));

        // A year without sheets still prints its page.
        f->form()->N1Lehrjahr1Click(3);
        pdf = previewed();
        QCOMPARE(pdf.pages, 1);
        QCOMPARE(pdf.pageText(1), QStringLiteral("Übersicht A-Jahr Nummer Blatt Woche vom Woche bis Teil des "
                                                 "Ausbildungsberufsbildes Nr. Seite 1"));
    }
};

QTEST_MAIN(TestOverviewPrint)
#include "test_overviewprint.moc"
