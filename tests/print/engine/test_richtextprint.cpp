// Formatted texts stored as RTF in a memo field, printed by the rich-text
// item: formatting, raised and lowered words, characters of the font
// "Symbol", indents and bullets, line heights that follow the sizes, and a
// delivered hint text.

#include "memoryrecords.h"
#include "pageimage.h"
#include "pdfwords.h"
#include "print/engine/report.h"
#include "print/engine/richtextitem.h"
#include "richtext/rtf.h"
#include "store/table.h"
#include "store/tableset.h"
#include "tempdatadir.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace engine;
using testsupport::PdfText;
using testsupport::PdfWord;

using testsupport::pageImage;

namespace {

QByteArray rtf(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
           "{\\f1\\ftech\\fcharset2 Symbol;}}{\\colortbl;\\red255\\green0\\blue0;}\n"
        + body + "}";
}

QString fontsOf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdffonts"), {pdf});
    p.waitForFinished(60000);
    return QString::fromLatin1(p.readAllStandardOutput());
}

} // namespace

class TestRichTextPrint : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    testsupport::MemoryRecords m_hint; // one record with the memo field "Text"

    void setText(const QString &text) { m_hint.records = {{{QStringLiteral("Text"), text}}}; }

    // Stores the text in the memo field and prints that field to PDF.
    PdfText print(const QString &stored, const QString &name, QString *fonts = nullptr)
    {
        setText(stored);
        return printField(name, fonts);
    }

    PdfText printField(const QString &name, QString *fonts = nullptr)
    {
        const QString file = m_dir.filePath(name);
        exportPdf(render(), file);
        if (fonts)
            *fonts = fontsOf(file);
        return testsupport::readPdf(file);
    }

    // The field printed by a rich-text item at the top of the page.
    Document render()
    {
        Report r(QStringLiteral("rich"));
        r.margins = QMarginsF(200, 100, 100, 100);
        Band &summary = r.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), 50);
        auto &item = summary.add<RichText>(QStringLiteral("PIQRDBRichText1"));
        item.geometry = QRectF(0, 0, 1800, 50);
        item.autoStretch = true;
        item.source = &m_hint;
        item.field = QStringLiteral("Text");
        return r.render();
    }

private slots:
    void formattedWordsPrint()
    {
        QString fonts;
        const PdfText pdf = print(QString::fromLatin1(rtf(
                                      "\\pard\\f0\\fs24 Normal {\\b Fettwort} und {\\up8 Hoch} und {\\dn8 Tief} "
                                      "Kreis {\\f1 p} {\\cf1 Ende}\\par")),
                                  QStringLiteral("words.pdf"), &fonts);
        const PdfWord normal = pdf.word(QStringLiteral("Normal"));
        QVERIFY2(!normal.text.isEmpty(), qPrintable(pdf.pageText(1)));
        for (const QString &w : {u"Fettwort"_qs, u"Hoch"_qs, u"Tief"_qs, u"Kreis"_qs, u"π"_qs, u"Ende"_qs})
            QVERIFY2(!pdf.word(w).text.isEmpty(), qPrintable(w + QLatin1String(" not in ") + pdf.pageText(1)));
        QVERIFY(!pdf.pageText(1).contains(QLatin1Char('\\')));
        // One line; 8 half-points are 1.4 mm.
        const PdfWord high = pdf.word(QStringLiteral("Hoch")), low = pdf.word(QStringLiteral("Tief"));
        QVERIFY(qAbs(high.box.center().x() - normal.box.center().x()) < 100);
        QVERIFY2(normal.box.top() - high.box.top() > 1.2 && normal.box.top() - high.box.top() < 1.6,
                 qPrintable(QStringLiteral("%1 %2").arg(normal.box.top()).arg(high.box.top())));
        QVERIFY2(low.box.bottom() - normal.box.bottom() > 1.2 && low.box.bottom() - normal.box.bottom() < 1.6,
                 qPrintable(QStringLiteral("%1 %2").arg(normal.box.bottom()).arg(low.box.bottom())));
        // The bold word is set in the bold face; π in a text font with Greek.
        QVERIFY2(fonts.contains(QLatin1String("LiberationSans-Bold")), qPrintable(fonts));
        QVERIFY2(fonts.contains(QLatin1String("LiberationSerif")), qPrintable(fonts));
    }

    void withoutBoldNoBoldFace()
    {
        QString fonts;
        print(QString::fromLatin1(rtf("\\pard\\f0\\fs24 Normal und nichts fett\\par")), QStringLiteral("plain.pdf"),
              &fonts);
        QVERIFY(fonts.contains(QLatin1String("LiberationSans")));
        QVERIFY(!fonts.contains(QLatin1String("Bold")));
    }

    void raisedWordAtTheTopIsNotCut()
    {
        // Raised by 5 pt, the capital reaches about 1 mm above the item's
        // first line: it is printed whole, not cut at the line.
        setText(QString::fromLatin1(rtf("\\pard\\f0\\fs20 {\\up10 HHH}\\par")));
        const QImage img = pageImage(render(), 1);
        int top = -1;
        for (int y = 0; y < 200 && top < 0; ++y)
            for (int x = 200; x < 400; ++x)
                if (qGray(img.pixel(x, y)) < 128) {
                    top = y;
                    break;
                }
        // The item's first line starts at the top margin, 10 mm.
        QVERIFY2(top > 80 && top < 96, qPrintable(QString::number(top)));
    }

    void indentsAndBulletsKeepTheirTwips()
    {
        const PdfText pdf = print(QString::fromLatin1(rtf(
                                      "\\pard\\f0\\fs20 Links\\par\\pard\\li1440 Eingezogen\\par"
                                      "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb\\'b7}}"
                                      "\\fi-360\\li720 Punkt\\par")),
                                  QStringLiteral("indents.pdf"));
        const double left = pdf.word(QStringLiteral("Links")).box.left();
        QVERIFY(qAbs(left - 20.0) < 0.3);
        // 1440 twips are an inch; 720 twips half an inch.
        const double indented = pdf.word(QStringLiteral("Eingezogen")).box.left();
        QVERIFY2(qAbs(indented - left - 25.4) < 0.4, qPrintable(QString::number(indented)));
        const PdfWord item = pdf.word(QStringLiteral("Punkt"));
        QVERIFY2(qAbs(item.box.left() - left - 12.7) < 0.4, qPrintable(QString::number(item.box.left())));
        const PdfWord bullet = pdf.word(QStringLiteral("•"));
        QVERIFY2(!bullet.text.isEmpty(), qPrintable(pdf.pageText(1)));
        QVERIFY(bullet.box.right() < item.box.left());
        QVERIFY(qAbs(bullet.box.center().y() - item.box.center().y()) < 1.0);
    }

    void sizesMoveLineHeights_data()
    {
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<double>("ratio"); // to 10 pt
        QTest::newRow("20 pt") << QByteArray("\\fs40") << 2.0;
        QTest::newRow("15 pt") << QByteArray("\\fs30") << 1.5;
        QTest::newRow("7 pt") << QByteArray("\\fs14") << 0.7;
        QTest::newRow("exact twips") << QByteArray("\\fs31\\lnhtw306") << 1.53;
    }
    void sizesMoveLineHeights()
    {
        QFETCH(QByteArray, size);
        QFETCH(double, ratio);
        const auto pitch = [this](const QByteArray &words, const QString &name) {
            const QByteArray body = "\\pard\\f0" + words + " Eins\\par Zwei\\par Drei\\par";
            const PdfText pdf = print(QString::fromLatin1(rtf(body)), name);
            const PdfWord one = pdf.word(QStringLiteral("Eins")), three = pdf.word(QStringLiteral("Drei"));
            return (three.box.top() - one.box.top()) / 2;
        };
        const double base = pitch("\\fs20", QStringLiteral("base.pdf"));
        const double sized = pitch(size, QStringLiteral("sized.pdf"));
        QVERIFY(base > 3.5 && base < 5.0);
        QVERIFY2(qAbs(sized / base - ratio) < 0.04, qPrintable(QString::number(sized / base)));
    }

    void plainMemoPrintsAsText()
    {
        const PdfText pdf =
            print(QStringLiteral("Text {mit} \\b Klammern\r\nZweite Zeile"), QStringLiteral("memo.pdf"));
        QCOMPARE(pdf.pageText(1), QStringLiteral("Text {mit} \\b Klammern Zweite Zeile"));
        const PdfWord first = pdf.word(QStringLiteral("Text")), second = pdf.word(QStringLiteral("Zweite"));
        QVERIFY(second.box.top() > first.box.bottom());
    }

    void deliveredHintPrints()
    {
        // The first hint of a fresh data directory.
        const testsupport::TempDataDir data;
        store::TableSet tables(data.dataDir());
        tables.openAtStart();
        tables.hinttable().first();
        const QString stored = tables.hinttable().asString(QStringLiteral("Text"));
        QVERIFY(richtext::isRtf(stored));
        setText(stored);
        QString fonts;
        const PdfText pdf = printField(QStringLiteral("hint.pdf"), &fonts);
        const QStringList expected =
            richtext::toPlainText(stored).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        QCOMPARE(pdf.pageText(1).split(QLatin1Char(' ')), expected);
        QVERIFY2(fonts.contains(QLatin1String("LiberationSans-Bold")), qPrintable(fonts));
    }
};

QTEST_MAIN(TestRichTextPrint)
#include "test_richtextprint.moc"
