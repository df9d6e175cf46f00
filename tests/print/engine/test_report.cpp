// The band engine: bands on pages (headers and footers on every page, page
// breaks, bands at the foot of the page, stretching, children, events and the
// page canvas), data from a record source with its detail records, the time
// from the engine's clock, and the long text that continues over pages.

#include "imagebytes.h"
#include "memoryrecords.h"
#include "pageimage.h"
#include "pdfwords.h"
#include "print/engine/clock.h"
#include "print/engine/report.h"
#include "print/engine/richtextitem.h"
#include "testform.h"

#include <QImage>
#include <QPainter>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

using namespace engine;

using testsupport::pageImage;

namespace {

// Where each output of a band started and ended, with its page.
struct Output
{
    int page;
    double top, bottom;
};

void record(Band &band, QVector<Output> &outputs)
{
    auto start = std::make_shared<std::pair<int, double>>();
    band.beforePrint = [start](Band &b, bool &) { *start = {b.report()->pageNumber(), b.report()->currentY()}; };
    band.afterPrint = [start, &outputs](Band &b) {
        outputs.append({start->first, start->second, b.report()->currentY()});
    };
}

QString lines(int count, const QString &word = QStringLiteral("Zeile"))
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << word + QString::number(i);
    return out.join(QLatin1Char('\n'));
}

// A text item that prints `text` as plain text.
RichText &textIn(Band &band, const QRectF &geometry, const QString &text, bool stretch = true)
{
    auto &item = band.add<RichText>(QStringLiteral("PIQRDBRichText1"));
    item.geometry = geometry;
    item.autoStretch = stretch;
    item.content = [text](QTextDocument &d) { d.setPlainText(text); };
    return item;
}

// Whether anything dark is drawn in the area (0.1 mm pixels).
bool inkIn(const QImage &img, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    testsupport::PdfText pdfOf(const Document &d, const QString &name)
    {
        const QString f = m_dir.filePath(name);
        engine::exportPdf(d, f);
        return testsupport::readPdf(f);
    }

    // The height of one line of 10 pt Arial as the engine lays it out,
    // measured by letting one line stretch a band of height 0.
    double lineHeight()
    {
        Report r(QStringLiteral("measure"));
        Band &s = r.addBand(Band::Kind::Summary, QStringLiteral("s"), 0);
        textIn(s, QRectF(0, 0, 1000, 0), QStringLiteral("Zeile"));
        QVector<Output> out;
        record(s, out);
        r.render();
        return out.value(0).bottom - out.value(0).top;
    }

private slots:
    void headersFootersAndPageBreaks()
    {
        Report r(QStringLiteral("list"));
        r.margins = QMarginsF(200, 100, 100, 100);
        Band &header = r.addBand(Band::Kind::PageHeader, QStringLiteral("header"), 100);
        header.add<Label>(QStringLiteral("h"), QStringLiteral("Kopfzeile")).geometry = QRectF(0, 0, 500, 50);
        Band &footer = r.addBand(Band::Kind::PageFooter, QStringLiteral("footer"), 50);
        auto &page = footer.add<SystemData>(QStringLiteral("p"), SystemData::Kind::PageNumber, QStringLiteral("Seite"));
        page.geometry = QRectF(0, 0, 500, 50);
        Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("detail"), 50);
        int row = 0;
        auto &cell = detail.add<Label>(QStringLiteral("row"), QString());
        cell.geometry = QRectF(0, 0, 500, 50);
        cell.onPrint = [&row](TextItem &, QString &t) { t = QStringLiteral("Zeile%1").arg(row); };
        QVector<Output> out;
        record(detail, out);
        r.needData = [&row] { return ++row <= 120; };

        QSignalSpy available(&r, &Report::pageAvailable);
        const Document d = r.render();
        // (2970 - 100 - 100 - 50 - 100) / 50 = 52 rows per page.
        QCOMPARE(d.pageCount(), 3);
        QCOMPARE(available.count(), 3);
        QCOMPARE(available.at(2).at(0).toInt(), 3);
        QCOMPARE(out.size(), 120);
        QCOMPARE(out[0].top, 200.0);
        QCOMPARE(out[51].page, 1);
        QCOMPARE(out[51].bottom, 200.0 + 52 * 50);
        QVERIFY(out[51].bottom + 50 > 2970.0 - 100 - 50); // a 53rd row would not fit
        QCOMPARE(out[52].page, 2);
        QCOMPARE(out[52].top, 200.0);
        const testsupport::PdfText pdf = pdfOf(d, QStringLiteral("list.pdf"));
        for (int n = 1; n <= 3; ++n) {
            QVERIFY(!pdf.word(QStringLiteral("Kopfzeile"), n).text.isEmpty());
            const testsupport::PdfWord number = pdf.word(QStringLiteral("Seite%1").arg(n), n);
            QVERIFY2(!number.text.isEmpty(), qPrintable(pdf.pageText(n)));
            QVERIFY(qAbs(number.box.top() - (297.0 - 10 - 5)) < 1.0);
        }
        // Rows print at their place: row 53 is the first of page 2, at y 20 mm.
        const testsupport::PdfWord first = pdf.word(QStringLiteral("Zeile53"));
        QCOMPARE(first.page, 2);
        QVERIFY(qAbs(first.box.left() - 20.0) < 0.3);
        QVERIFY2(first.box.top() > 19.5 && first.box.top() < 21.0, qPrintable(QString::number(first.box.top())));
    }

    void titleChildrenSummaryAndBottomBand()
    {
        Report r(QStringLiteral("sheet"));
        r.margins = QMarginsF(230, 100, 100, 100);
        Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 204);
        Band &child = title.addChild(QStringLiteral("ChildBand1"), 222);
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 98);
        Band &foot = summary.addChild(QStringLiteral("vermerkband"), 513);
        foot.alignToBottom = true;
        QVector<Output> t, c, s, f;
        record(title, t);
        record(child, c);
        record(summary, s);
        record(foot, f);
        const Document d = r.render();
        QCOMPARE(d.pageCount(), 1);
        QCOMPARE(t.value(0).top, 100.0);
        QCOMPARE(c.value(0).top, 304.0);
        QCOMPARE(s.value(0).top, 526.0);
        // The remarks block ends at the bottom margin.
        QCOMPARE(f.value(0).bottom, 2970.0 - 100);
        QCOMPARE(f.value(0).top, 2970.0 - 100 - 513);
    }

    void bottomBandThatNoLongerFitsGoesToTheNextPage()
    {
        Report r(QStringLiteral("sheet"));
        Band &title = r.addBand(Band::Kind::Title, QStringLiteral("title"), 2500);
        Band &foot = title.addChild(QStringLiteral("foot"), 513);
        foot.alignToBottom = true;
        QVector<Output> f;
        record(foot, f);
        const Document d = r.render();
        QCOMPARE(d.pageCount(), 2);
        QCOMPARE(f.value(0).page, 2);
        QCOMPARE(f.value(0).bottom, 2970.0 - 100);
    }

    void eventsSkipBandsAndDrawOnThePage()
    {
        Report r(QStringLiteral("events"));
        r.margins = QMarginsF(200, 100, 100, 100);
        Band &title = r.addBand(Band::Kind::Title, QStringLiteral("title"), 100);
        title.add<Label>(QStringLiteral("t"), QStringLiteral("Titel")).geometry = QRectF(0, 0, 500, 50);
        Band &hidden = title.addChild(QStringLiteral("hidden"), 300);
        hidden.add<Label>(QStringLiteral("x"), QStringLiteral("Unsichtbar")).geometry = QRectF(0, 0, 500, 50);
        Band &grandchild = hidden.addChild(QStringLiteral("grandchild"), 100);
        grandchild.add<Label>(QStringLiteral("y"), QStringLiteral("Enkel")).geometry = QRectF(0, 0, 500, 50);
        hidden.beforePrint = [](Band &, bool &print) { print = false; };
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("summary"), 100);
        double yAtSummary = -1;
        // A thick rule drawn on the page canvas from the summary's top down.
        summary.beforePrint = [&yAtSummary](Band &b, bool &) {
            Report &rep = *b.report();
            yAtSummary = rep.currentY();
            rep.canvas()->fillRect(QRectF(1000, rep.currentY(), 20, 300), Qt::black);
        };
        auto &skipped = summary.add<Label>(QStringLiteral("z"), QStringLiteral("Ausgelassen"));
        skipped.geometry = QRectF(0, 0, 500, 50);
        skipped.beforePrint = [](Item &, bool &print) { print = false; };
        const Document d = r.render();
        QCOMPARE(yAtSummary, 200.0); // the hidden band took no room
        const testsupport::PdfText pdf = pdfOf(d, QStringLiteral("events.pdf"));
        QVERIFY(!pdf.word(QStringLiteral("Titel")).text.isEmpty());
        QVERIFY(pdf.word(QStringLiteral("Unsichtbar")).text.isEmpty());
        QVERIFY(pdf.word(QStringLiteral("Enkel")).text.isEmpty());
        QVERIFY(pdf.word(QStringLiteral("Ausgelassen")).text.isEmpty());

        const QImage img = pageImage(d, 1);
        QCOMPARE(qGray(img.pixel(1010, 350)), 0);
        QCOMPARE(qGray(img.pixel(1010, 150)), 255);
    }

    void stretchingTextGrowsItsBand()
    {
        Report r(QStringLiteral("stretch"));
        Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), 50);
        auto &text = detail.add<Label>(QStringLiteral("alltextfeld"),
                                       QStringLiteral("Ein langer Text, der in seiner schmalen Spalte auf "
                                                      "mehrere Zeilen umbricht und die Zeile höher macht."));
        text.geometry = QRectF(11, 0, 400, 45);
        text.wordWrap = true;
        text.autoStretch = true;
        detail.frame.bottom = true;
        detail.frame.colour = Qt::gray;
        QVector<Output> out;
        record(detail, out);
        int rows = 0;
        r.needData = [&rows] { return ++rows <= 2; };
        r.render();
        QCOMPARE(out.size(), 2);
        const double h = out[0].bottom - out[0].top;
        QVERIFY2(h > 3 * 40, qPrintable(QString::number(h)));
        QCOMPARE(out[1].top, out[0].bottom);

        // Without stretching the band keeps its height.
        text.autoStretch = false;
        out.clear();
        rows = 0;
        r.render();
        QCOMPARE(out[0].bottom - out[0].top, 50.0);
    }

    void nothingReachesBelowTheUsablePage()
    {
        Report r(QStringLiteral("tall"));
        r.margins = QMarginsF(200, 100, 100, 100);
        Band &footer = r.addBand(Band::Kind::PageFooter, QStringLiteral("footer"), 100);
        footer.add<Label>(QStringLiteral("f"), QStringLiteral("Fuss")).geometry = QRectF(0, 20, 500, 50);
        Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("detail"), 50);
        auto &text = detail.add<Label>(QStringLiteral("long"), lines(400, QStringLiteral("WWWWWWWWWW")));
        text.geometry = QRectF(0, 0, 1000, 45);
        text.wordWrap = true;
        text.autoStretch = true;
        const QImage img = pageImage(r.render(), 1);
        const int usableBottom = 2970 - 100 - 100;
        QVERIFY(inkIn(img, QRect(200, usableBottom - 20, 1000, 1)));
        QVERIFY(!inkIn(img, QRect(200, usableBottom + 1, 1000, 14)));
    }

    void autoSizeKeepsTheAlignedEdge()
    {
        Report r(QStringLiteral("names"));
        r.margins = QMarginsF(230, 100, 100, 100);
        Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 204);
        auto &right = title.add<Label>(QStringLiteral("stiftlabel"), QStringLiteral("Erika Mustermann"));
        right.geometry = QRectF(1000, 8, 100, 45);
        right.alignment = Qt::AlignRight;
        right.autoSize = true;
        right.geometry.moveRight(1591);
        auto &left = title.add<Label>(QStringLiteral("bkmlabel"), QStringLiteral("Max Meister"));
        left.geometry = QRectF(116, 8, 50, 45);
        left.autoSize = true;
        const testsupport::PdfText pdf = pdfOf(r.render(), QStringLiteral("names.pdf"));
        const auto erika = pdf.word(QStringLiteral("Mustermann"));
        QVERIFY2(qAbs(erika.box.right() - (23.0 + 159.1)) < 0.4, qPrintable(QString::number(erika.box.right())));
        const auto max = pdf.word(QStringLiteral("Max"));
        QVERIFY(qAbs(max.box.left() - (23.0 + 11.6)) < 0.3);
        QVERIFY(!pdf.word(QStringLiteral("Meister")).text.isEmpty()); // not cut at the designed 5 mm
    }

    void dataFromTheReportAndItsDetailRows()
    {
        testsupport::MemoryRecords reports, details;
        for (int n = 1; n <= 2; ++n)
            reports.records.append({{QStringLiteral("AJahr"), 1},
                                    {QStringLiteral("Nummer"), n},
                                    {QStringLiteral("Blatt"), 1},
                                    {QStringLiteral("WocheVom"), QDate(2026, 3, 2 + 7 * n)}});
        // The detail rows of report n.
        const auto itemsOf = [](int n) {
            QVector<QVariantMap> items;
            for (int k = 1; k <= n + 1; ++k)
                items.append({{QStringLiteral("Alltext"), QStringLiteral("Bericht%1Punkt%2").arg(n).arg(k)}});
            return items;
        };
        reports.first();
        details.records = itemsOf(1);

        Report r(QStringLiteral("QuickRep1"));
        Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 100);
        auto &nummer = title.add<DataText>(QStringLiteral("QRDBText1"), &reports, QStringLiteral("Nummer"));
        nummer.geometry = QRectF(492, 0, 56, 50);
        auto &week = title.add<DataText>(QStringLiteral("QRDBText3"), &reports, QStringLiteral("WocheVom"));
        week.geometry = QRectF(1016, 0, 100, 45);
        week.autoSize = true;
        Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), 50);
        detail.add<DataText>(QStringLiteral("alltextfeld"), &details, QStringLiteral("Alltext")).geometry =
            QRectF(11, 0, 1199, 45);
        r.detailSource = &details;

        auto words = [](const testsupport::PdfText &pdf) {
            QStringList w = pdf.pageText(1).split(QLatin1Char(' '));
            w.sort();
            return w.join(QLatin1Char(' '));
        };
        QCOMPARE(words(pdfOf(r.render(), QStringLiteral("first.pdf"))),
                 QStringLiteral("09.03.2026 1 Bericht1Punkt1 Bericht1Punkt2"));
        reports.next();
        details.records = itemsOf(2);
        QCOMPARE(words(pdfOf(r.render(), QStringLiteral("second.pdf"))),
                 QStringLiteral("16.03.2026 2 Bericht2Punkt1 Bericht2Punkt2 Bericht2Punkt3"));
    }

    void systemDataTellsTheClocksTime_data()
    {
        QTest::addColumn<SystemData::Kind>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("date") << SystemData::Kind::Date << QStringLiteral("Gedruckt 24.12.2001");
        QTest::newRow("time") << SystemData::Kind::Time << QStringLiteral("Gedruckt 07:05");
        QTest::newRow("date and time") << SystemData::Kind::DateTime << QStringLiteral("Gedruckt 24.12.2001 07:05");
    }
    void systemDataTellsTheClocksTime()
    {
        QFETCH(SystemData::Kind, kind);
        QFETCH(QString, text);
        engine::setClock([] { return QDateTime(QDate(2001, 12, 24), QTime(7, 5, 30)); });
        const auto systemTime = qScopeGuard([] { engine::setClock({}); });
        Report r(QStringLiteral("clock"));
        Band &footer = r.addBand(Band::Kind::PageFooter, QStringLiteral("PageFooterBand1"), 60);
        auto &item = footer.add<SystemData>(QStringLiteral("QRSysData1"), kind, QStringLiteral("Gedruckt "));
        item.geometry = QRectF(11, 10, 1000, 45);
        item.autoSize = true;
        QCOMPARE(pdfOf(r.render(), QStringLiteral("clock.pdf")).pageText(1), text);
    }

    void textThatFitsLeavesItsBand()
    {
        Report r(QStringLiteral("fits"));
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 300);
        textIn(summary, QRectF(11, 63, 1728, 200), lines(2));
        QVector<Output> out;
        record(summary, out);
        r.render();
        QCOMPARE(out.value(0).bottom - out.value(0).top, 300.0);
    }

    void textGrowsItsBandByWhatItNeeds()
    {
        const double line = lineHeight();
        QVERIFY2(line > 35 && line < 50, qPrintable(QString::number(line)));
        Report r(QStringLiteral("grow"));
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 98);
        textIn(summary, QRectF(11, 63, 1728, 29), lines(3));
        QVector<Output> out;
        record(summary, out);
        r.render();
        // Three lines in an item 2.9 mm high grow the band by 3 lines - 2.9 mm.
        QVERIFY(qAbs((out.value(0).bottom - out.value(0).top) - (98 + 3 * line - 29)) < 1.0);
    }

    void oneLineTooManyContinuesAlone()
    {
        const double line = lineHeight();
        const int count = 6;
        Report r(QStringLiteral("continue"));
        r.margins = QMarginsF(230, 100, 100, 100);
        // The title leaves room for the label and all lines but the last.
        const double room = 63 + (count - 1) * line + line / 2;
        const double titleHeight = 2970 - 200 - room;
        r.addBand(Band::Kind::Title, QStringLiteral("title"), titleHeight);
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 98);
        summary.add<Label>(QStringLiteral("QRLabel1"), QStringLiteral("Angaben")).geometry = QRectF(11, 11, 1000, 45);
        textIn(summary, QRectF(11, 63, 1728, 29), lines(count));
        QVector<Output> out;
        record(summary, out);
        const Document d = r.render();
        QCOMPARE(d.pageCount(), 2);
        const testsupport::PdfText pdf = pdfOf(d, QStringLiteral("continue.pdf"));
        QCOMPARE(pdf.pageText(2), QStringLiteral("Zeile6"));
        QVERIFY(pdf.pageText(1).endsWith(QStringLiteral("Angaben Zeile1 Zeile2 Zeile3 Zeile4 Zeile5")));
        // On the new page the band is the continued line alone, at the top.
        const testsupport::PdfWord last = pdf.word(QStringLiteral("Zeile6"));
        QVERIFY2(last.box.top() >= 9.5 && last.box.top() < 11.5, qPrintable(QString::number(last.box.top())));
        QCOMPARE(out.size(), 1);
        QCOMPARE(out[0].bottom, 100 + line);
    }

    void twoAndAHalfPagesOfText()
    {
        const double line = lineHeight();
        Report r(QStringLiteral("QuickRep"));
        r.margins = QMarginsF(230, 127, 100, 127);
        Band &header = r.addBand(Band::Kind::PageHeader, QStringLiteral("PageHeaderBand1"), 191);
        header.add<Label>(QStringLiteral("QRSysData3"), QStringLiteral("Darstellung")).geometry = QRectF(11, 24, 800, 60);
        Band &title = r.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), 175);
        const int perPage = int((2970 - 254 - 191) / line);
        const int count = perPage * 5 / 2;
        textIn(title, QRectF(11, 0, 1752, 130), lines(count));
        Band &picture = title.addChild(QStringLiteral("ChildBand1"), 300);
        picture.add<Label>(QStringLiteral("bild"), QStringLiteral("Bild1")).geometry = QRectF(21, 24, 500, 50);
        const Document d = r.render();
        QCOMPARE(d.pageCount(), 3);
        const testsupport::PdfText pdf = pdfOf(d, QStringLiteral("three.pdf"));
        for (int n = 1; n <= 3; ++n)
            QVERIFY(pdf.pageText(n).startsWith(QStringLiteral("Darstellung Zeile")));
        // Every line once, in order; the picture after the text on page 3.
        QStringList all;
        for (int n = 1; n <= 3; ++n)
            all << pdf.pageText(n).split(QLatin1Char(' ')).mid(1);
        QCOMPARE(all.last(), QStringLiteral("Bild1"));
        all.removeLast();
        QCOMPARE(all, lines(count).split(QLatin1Char('\n')));
        QCOMPARE(pdf.word(QStringLiteral("Bild1")).page, 3);
    }

    void withoutStretchTheFirstLineIsClipped()
    {
        Report r(QStringLiteral("clip"));
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("vermerkband"), 513);
        auto &text = summary.add<RichText>(QStringLiteral("QRDBRichText2"));
        text.geometry = QRectF(11, 159, 1582, 30);
        text.content = [](QTextDocument &d) {
            d.setPlainText(QStringLiteral("Gross\nZweite\nDritte"));
            QTextCursor c(&d);
            c.select(QTextCursor::Document);
            QTextCharFormat f;
            f.setFontPointSize(30);
            c.mergeCharFormat(f);
        };
        QVector<Output> out;
        record(summary, out);
        const Document d = r.render();
        QCOMPARE(out.value(0).bottom - out.value(0).top, 513.0);
        const testsupport::PdfText pdf = pdfOf(d, QStringLiteral("clip.pdf"));
        QVERIFY(pdf.word(QStringLiteral("Zweite")).text.isEmpty());
        QVERIFY(pdf.word(QStringLiteral("Dritte")).text.isEmpty());
        // Only what fits of the first line is drawn: nothing below 3 mm of it.
        const QImage img = pageImage(d, 1);
        const int top = 100 + 159;
        QVERIFY(inkIn(img, QRect(230 + 11, top, 589, 30)));
        QVERIFY(!inkIn(img, QRect(230 + 11, top + 30, 589, 30)));
    }

    void plainTextTakesTheItemsFontAndAlignment()
    {
        Report r(QStringLiteral("plain"));
        r.margins = QMarginsF(230, 100, 100, 100);
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 400);
        textIn(summary, QRectF(0, 0, 1770, 100), QStringLiteral("Klein"));
        auto &big = textIn(summary, QRectF(0, 150, 1770, 100), QStringLiteral("Gross"));
        big.font.setPointSize(20);
        big.alignment = Qt::AlignRight;
        const testsupport::PdfText pdf = pdfOf(r.render(), QStringLiteral("plain.pdf"));
        const auto small = pdf.word(QStringLiteral("Klein")), large = pdf.word(QStringLiteral("Gross"));
        const double ratio = large.box.height() / small.box.height();
        QVERIFY2(ratio > 1.8 && ratio < 2.2, qPrintable(QString::number(ratio)));
        QVERIFY(qAbs(small.box.left() - 23.0) < 0.5);
        QVERIFY2(qAbs(large.box.right() - 200.0) < 0.6, qPrintable(QString::number(large.box.right())));
    }

    void mixedFormOverManyPages()
    {
        auto form = testsupport::makeTestForm(60, 30);
        const Document d = form->report->render();
        QVERIFY2(d.pageCount() >= 4, qPrintable(QString::number(d.pageCount())));
        const QString file = m_dir.filePath(QStringLiteral("form.qrp"));
        d.save(file);
        const testsupport::PdfText pdf = pdfOf(Document::load(file), QStringLiteral("form.pdf"));
        QCOMPARE(pdf.pages, d.pageCount());
        QStringList rows, paragraphs;
        for (const testsupport::PdfWord &w : pdf.words) {
            if (w.text == QLatin1String("Zeile"))
                rows << w.text;
            if (w.text == QLatin1String("Absatz"))
                paragraphs << w.text;
        }
        QCOMPARE(rows.size(), 60);
        QCOMPARE(paragraphs.size(), 30);
        for (int n = 1; n <= pdf.pages; ++n) {
            QVERIFY(pdf.pageText(n).startsWith(QStringLiteral("Testformular")));
            QVERIFY2(pdf.pageText(n).contains(QStringLiteral("Seite %1").arg(n)), qPrintable(pdf.pageText(n)));
            QVERIFY(pdf.pageText(n).contains(QStringLiteral("Gedruckt am")));
        }
        // A second run gives the same pages.
        testsupport::rewind(*form);
        QCOMPARE(form->report->render().pageCount(), d.pageCount());
    }

    void framedTextWithBackground()
    {
        // A framed text on a tinted background in a band of another colour:
        // the text keeps inside its frame lines, the background covers the
        // lines printed, the strip the band gained takes the band's colour.
        Report r(QStringLiteral("framed"));
        r.margins = QMarginsF(200, 100, 100, 100);
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 100);
        summary.colour = QColor(200, 200, 255);
        auto &text = textIn(summary, QRectF(100, 50, 1000, 30), lines(4, QStringLiteral("MMMM")));
        text.frame = Frame::all();
        text.frame.width = 10; // screen pixels: about 2.6 mm
        text.background = QColor(255, 255, 0);
        QVector<Output> out;
        record(summary, out);
        const Document d = r.render();
        const double inset = 10 * 254 / 96.0;
        const testsupport::PdfText pdf = pdfOf(d, QStringLiteral("framed.pdf"));
        const testsupport::PdfWord first = pdf.word(QStringLiteral("MMMM1"));
        QVERIFY2(qAbs(first.box.left() - (200 + 100 + inset) / 10.0) < 0.3, qPrintable(QString::number(first.box.left())));

        const QImage img = pageImage(d, 1);
        const int bandTop = 100, bottom = int(out.value(0).bottom);
        QVERIFY(bottom > bandTop + 150); // four lines grew the band
        // The frame line on the left, the background right of it, the band's
        // colour outside the item, in the gained strip too.
        QCOMPARE(QColor(img.pixel(305, bandTop + 70)), QColor(Qt::black));
        QCOMPARE(QColor(img.pixel(1250, bottom - 20)), QColor(200, 200, 255));
        QCOMPARE(QColor(img.pixel(1050, bandTop + 140)), QColor(255, 255, 0));
    }

    // Stored pictures are decoded once and held by reference: a picture met
    // again (in other bytes of the same content) is the same image of the
    // document, a different picture of the same size is its own, and a saved
    // and loaded document draws the same pages.
    void picturesAreHeldOnceAndStayTheirOwn()
    {
        const auto bmp = [](QRgb colour) {
            QImage image(40, 30, QImage::Format_RGB32);
            image.fill(colour);
            image.setPixel(3, 4, qRgb(1, 2, 3));
            return testsupport::fileBytes(image, "BMP");
        };
        const QByteArray red = bmp(qRgb(255, 0, 0)), blue = bmp(qRgb(0, 0, 255));
        QCOMPARE(red.size(), blue.size());
        testsupport::MemoryRecords records({{{"Bild", red}}, {{"Bild", blue}},
                                            {{"Bild", QByteArray(red.constData(), red.size())}}, {{"Bild", QVariant()}}});
        Report r(QStringLiteral("Bilder"));
        Band &detail = r.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), 2500);
        auto &picture = detail.add<Picture>(QStringLiteral("QRDBImage1"));
        picture.geometry = QRectF(100, 100, 800, 600);
        picture.source = &records;
        picture.field = QStringLiteral("Bild");
        r.detailSource = &records;
        const Document doc = r.render();
        QCOMPARE(doc.pageCount(), 4);
        QCOMPARE(doc.imageCount(), 2);
        const QList<QRgb> expected{qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 0, 0)};
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(doc.placements(n).size(), 1);
            const QImage placed = doc.image(doc.placements(n).first().image);
            QCOMPARE(placed.pixel(10, 10), expected[n - 1]);
            QCOMPARE(doc.placements(n).first().target, QRectF(230 + 100, 100 + 100, 800, 600));
        }
        QVERIFY(doc.placements(4).isEmpty());
        QCOMPARE(doc.placements(1).first().image, doc.placements(3).first().image);

        const auto pageImage = [](const Document &d, int n) {
            QImage out(210, 297, QImage::Format_RGB32);
            out.fill(Qt::white);
            QPainter p(&out);
            d.paint(p, n, QRectF(0, 0, 210, 297));
            return out;
        };
        const Document loaded = Document::fromBytes(doc.toBytes());
        QCOMPARE(loaded.imageCount(), 2);
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(pageImage(loaded, n), pageImage(doc, n));
        QCOMPARE(pageImage(doc, 2).pixel(50, 40), qRgb(0, 0, 255));
    }

    void aLineTallerThanAPageIsCut()
    {
        Report r(QStringLiteral("huge"));
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 98);
        auto &text = textIn(summary, QRectF(11, 63, 1728, 29), QStringLiteral("X\nDanach"));
        text.content = [](QTextDocument &d) {
            d.setPlainText(QStringLiteral("X\nDanach"));
            QTextCursor c(d.begin());
            c.select(QTextCursor::BlockUnderCursor);
            QTextCharFormat f;
            f.setFontPointSize(1200);
            c.mergeCharFormat(f);
        };
        const Document d = r.render();
        QVERIFY2(d.pageCount() >= 1 && d.pageCount() <= 3, qPrintable(QString::number(d.pageCount())));
        QVERIFY(!pdfOf(d, QStringLiteral("huge.pdf")).word(QStringLiteral("Danach")).text.isEmpty());
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
