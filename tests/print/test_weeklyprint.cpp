// The printed weekly report: the front sheet with its title chain, items,
// tick columns, column rules, activities and the remarks block at the foot
// of the page; the back sheet with its repeated page header and the two
// pictures sized as the editor shows them; both opened from the editor.
//
// Set LERNORA_PRINT_DIR to keep the PDF files of the sample report there.

#include "imagebytes.h"
#include "editorfixture.h"
#include "pageimage.h"
#include "pdfwords.h"
#include "previewfixture.h"
#include "print/frontsheet.h"
#include "print/previewwindow.h"
#include "print/backsheet.h"

#include <QFile>
#include <QProcess>
#include <QLabel>
#include <QTextEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <cmath>

using testsupport::EditorFixture;
using testsupport::PdfText;

namespace {

// Page positions in mm of the front sheet's bands, from the page's top edge:
// the title chain is 20.4 + 22.2 + 1.3 + 14.6 high below the 10 mm margin.
constexpr double left = 23.0;
constexpr double itemsTop = 10.0 + 20.4 + 22.2 + 1.3 + 14.6; // 68.5
constexpr double remarksTop = 297.0 - 10.0 - 51.3;           // 235.7
constexpr double tolerance = 0.3;

QString rtf(const QString &body)
{
    return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ") + body
           + QStringLiteral("}");
}

QByteArray bmp(int width, int height, QColor colour)
{
    QImage picture(width, height, QImage::Format_RGB888);
    picture.fill(colour);
    return testsupport::fileBytes(picture, "BMP");
}

// The darkest ink along a line of the page image, in 0.1 mm pixels.
bool inkAt(const QImage &page, double xMm, double yMm)
{
    const QPoint p(qRound(xMm * 10), qRound(yMm * 10));
    for (int dx = -2; dx <= 2; ++dx)
        if (qGray(page.pixel(p.x() + dx, p.y())) < 160)
            return true;
    return false;
}

} // namespace

class TestWeeklyPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;
    QTemporaryDir m_dir;

    Tberichtform &front() { return f->app().berichtform(); }
    Tqrruecksform &back() { return f->app().qrruecksform(); }
    store::Table &reports() { return f->tables().berichttable(); }

    void setReport(const QString &field, const QVariant &value)
    {
        reports().edit();
        reports().setValue(field, value);
        reports().post();
    }

    // Writes a rendered document as PDF and reads it back; the file is kept
    // under its name in LERNORA_PRINT_DIR when that is set.
    PdfText pdf(const engine::Document &d, const QString &name = QString())
    {
        const QString keep = qEnvironmentVariable("LERNORA_PRINT_DIR");
        const QString file = !keep.isEmpty() && !name.isEmpty()
                                 ? keep + QLatin1Char('/') + name + QStringLiteral(".pdf")
                                 : m_dir.filePath(QStringLiteral("sheet.pdf"));
        engine::exportPdf(d, file);
        return testsupport::readPdf(file);
    }
    PdfText pdf(engine::Report &report, engine::Document *rendered = nullptr, const QString &name = QString())
    {
        const engine::Document d = report.render();
        if (rendered)
            *rendered = d;
        return pdf(d, name);
    }

    // A report of three items with a formatted page of activities, remarks,
    // a topic, a description and two pictures.
    void sampleReport()
    {
        f->createAndConfirm({27, 29, 31});
        QString activities;
        for (int i = 1; i <= 8; ++i)
            activities += QStringLiteral("{\\b Kehrbezirk %1:} Kehrarbeiten an Festbrennstoff-Feuerstätten, "
                                         "Abgaswege geprüft, Querschnitt 200 cm{\\up6 2}, Raum 12 m{\\up6 3}.\\par ")
                              .arg(i);
        setReport(QStringLiteral("Taetigkeit"), rtf(activities));
        setReport(QStringLiteral("Vermerke"), rtf(QStringLiteral("Saubere Arbeit, {\\b weiter so}.")));
        setReport(QStringLiteral("Thema"), QStringLiteral("Abgasmessung an einer Gasfeuerstätte"));
        setReport(QStringLiteral("Darstellung"),
                  rtf(QStringLiteral("Messgerät vorbereitet, {\\b Nullpunkt} an der Frischluft bestimmt.\\par "
                                     "Messung im Kernstrom: CO{\\dn4 2} 9,1 %.")));
        setReport(QStringLiteral("Bild1"), bmp(400, 300, Qt::darkBlue));
        setReport(QStringLiteral("Bild2"), bmp(300, 300, Qt::darkRed));
        // Ticked in the workshop, the last one also in a course.
        store::Table &items = f->tables().berichtdetailtable();
        for (items.first(); !items.eof(); items.next()) {
            items.edit();
            items.setValue(QStringLiteral("BA"), true);
            items.setValue(QStringLiteral("UELU"), items.recNo() == 2);
            items.post();
        }
    }

    // The plan items of the report, replaced: (Alltext, BA, UELU) each.
    void setItems(const QList<std::tuple<QString, QVariant, QVariant>> &items)
    {
        const qint64 report = reports().value(QStringLiteral("BerLfd")).toLongLong();
        f->tables().exec(QStringLiteral("DELETE FROM berdet"));
        int tag = 27;
        for (const auto &[text, ba, uelu] : items) {
            store::Table &details = f->tables().berichtdetailtable();
            details.append();
            details.setValue(QStringLiteral("Masterlfd"), report);
            details.setValue(QStringLiteral("Lfdnr"), 5);
            details.setValue(QStringLiteral("LfdfTag"), tag++);
            details.setValue(QStringLiteral("Alltext"), text);
            details.setValue(QStringLiteral("BA"), ba);
            details.setValue(QStringLiteral("UELU"), uelu);
            details.post();
        }
    }

    // The first word with that text on the page below `top` (mm): the
    // identity line of a continuation page stands above the frame.
    static testsupport::PdfWord wordBelow(const PdfText &p, const QString &text, int page, double top)
    {
        for (const auto &w : p.words)
            if (w.page == page && w.text == text && w.box.top() >= top - tolerance)
                return w;
        return {};
    }
    // The words of a page above `top` (mm), joined by blanks.
    static QString wordsAbove(const PdfText &p, int page, double top)
    {
        QStringList out;
        for (const auto &w : p.words)
            if (w.page == page && w.box.bottom() < top)
                out << w.text;
        return out.join(QLatin1Char(' '));
    }
    // `n` paragraphs of one printed line each, the number first.
    static QString paragraphs(int n, const QString &from = QString())
    {
        QString text = from;
        for (int i = 1; i <= n; ++i)
            text += QStringLiteral("Absatz%1 Schornsteinreinigung und Abgaswegeprüfung.\\par ").arg(i);
        return rtf(text);
    }

    // Where the summary band starts: "Angaben" stands 1.1 mm below its top.
    static double summaryTop(const PdfText &p, int page = 1)
    {
        return p.word(QStringLiteral("Angaben"), page).box.top() - 1.1;
    }

private slots:
    void init()
    {
        f = std::make_unique<EditorFixture>();
        store::Settings ini;
        ini.writeString(QStringLiteral("Stift"), QStringLiteral("Name"), QStringLiteral("Erika Mustermann"));
        ini.writeString(QStringLiteral("BKM"), QStringLiteral("Name"), QStringLiteral("Karl Kaminski"));
        f->start(1);
    }
    void cleanup() { f.reset(); }

    void frontSheetPositions()
    {
        sampleReport();
        const PdfText p = pdf(front().QuickRep1(), nullptr, QStringLiteral("vorderseite"));
        QCOMPARE(p.pages, 1);
        const struct
        {
            const char *word;
            double x, y;
        } expected[] = {
            {"Name:", left + 81.2, 10.0 + 0.8},
            {"(Ausbildender)", left + 1.1, 10.0 + 5.6},
            {"(Auszubildender)", left + 81.2, 10.0 + 5.6},
            {"Ausbildungsnachweis", left + 1.1, 10.0 + 12.2},
            {"Seite", left + 56.1, 10.0 + 12.7},
            {"für", left + 70.9, 10.0 + 13.0},
            {"09.03.2026", left + 101.6, 10.0 + 13.0},
            {"A-Jahr:", left + 144.2, 10.0 + 13.0},
            {"Teil", left + 1.1, 30.4 + 2.1},
            {"Fertigkeiten", left + 1.1, 53.9 + 2.1},
            {"Nach", left + 1.1, 53.9 + 7.4},
            {"Zutreffendes", left + 121.7, 53.9 + 9.0},
            {"Vermerke", left + 1.1, remarksTop + 10.1},
            {"Saubere", left + 1.1, remarksTop + 15.9},
            {"Datum", left + 10.6, remarksTop + 43.4},
            {"Unterschrift", left + 52.9, remarksTop + 43.4},
        };
        for (const auto &e : expected) {
            const auto w = p.word(QString::fromUtf8(e.word));
            QVERIFY2(w.page == 1, e.word);
            QVERIFY2(qAbs(w.box.left() - e.x) < tolerance,
                     qPrintable(QStringLiteral("%1 x %2").arg(QString::fromUtf8(e.word)).arg(w.box.left())));
            QVERIFY2(qAbs(w.box.top() - e.y) < tolerance,
                     qPrintable(QStringLiteral("%1 y %2").arg(QString::fromUtf8(e.word)).arg(w.box.top())));
        }
        // The trainer's name follows "Name:" closely; the apprentice's name
        // ends at its right edge.
        QVERIFY(p.pageText(1).contains(QStringLiteral("Name:Karl Kaminski")));
        QVERIFY(qAbs(p.word(QStringLiteral("Mustermann")).box.right() - (left + 159.1)) < tolerance);
    }

    void itemRowsStretchAndTheRulesFollow()
    {
        f->createAndConfirm({29});
        const QString longText = QStringLiteral("5 b) Kehr- und Überprüfungsordnung anwenden\nbb) Kehr- und "
                                                "Überprüfungsintervalle nach der Verordnung festlegen, Feuerstätten "
                                                "und Abgasanlagen im Kehrbuch erfassen und Fristen überwachen\n");
        setItems({{QStringLiteral("Erste Zeile\n"), QVariant(), QVariant()},
                  {longText, QVariant(), QVariant()},
                  {QStringLiteral("Letzte Zeile\n"), QVariant(), QVariant()}});
        engine::Document d;
        const PdfText p = pdf(front().QuickRep1(), &d, QStringLiteral("zeilen"));
        // A one-line item keeps the designed 5.0 mm, without an empty line
        // for the text's closing line break.
        const double first = p.word(QStringLiteral("Erste")).box.top();
        QVERIFY(qAbs(first - itemsTop) < tolerance);
        QVERIFY(qAbs(p.word(QStringLiteral("Kehr-")).box.top() - (itemsTop + 5.0)) < tolerance);
        // The long item wraps within its column to four lines; the next row
        // starts below the fourth.
        const double pitch = p.word(QStringLiteral("bb)")).box.top() - p.word(QStringLiteral("Kehr-")).box.top();
        QVERIFY(pitch > 3.5 && pitch < 5.0);
        const double third = p.word(QStringLiteral("Letzte")).box.top();
        QVERIFY2(qAbs(third - (itemsTop + 5.0 + 4 * pitch)) < tolerance, qPrintable(QString::number(third)));
        for (const auto &w : p.words)
            QVERIFY2(w.box.right() < left + 1.1 + 119.9 + tolerance || w.box.top() < itemsTop
                         || w.box.top() >= third + 5.0,
                     qPrintable(w.text));
        const QImage page = testsupport::pageImage(d, 1);
        auto grey = [&](double yMm) {
            const QRgb c = page.pixel(300, qRound(yMm * 10) - 1);
            return qGray(c) > 100 && qGray(c) < 160;
        };
        // The grey rule lies under the stretched row, not across it.
        QVERIFY(grey(third));
        QVERIFY(!grey(itemsTop + 5.0 + 5.0));
        // Both column rules run from the header down to the summary band,
        // and not into it.
        const double summary = summaryTop(p);
        QVERIFY(qAbs(summary - (third + 5.0)) < tolerance);
        for (double x : {left + 120.2, left + 140.1}) {
            for (double y = itemsTop + 0.3; y < summary - 0.2; y += 0.5)
                QVERIFY2(inkAt(page, x, y), qPrintable(QStringLiteral("%1 %2").arg(x).arg(y)));
            QVERIFY(!inkAt(page, x, summary + 1.5));
        }
    }

    // Item rows running onto a second page: the column rules run down each
    // page's share of the rows, on the header's page to its last row, on the
    // next page from its first row to the summary band, and not into it.
    void itemsRunningOntoTheNextPage_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("summary above the header's end") << 45;
        QTest::newRow("summary below the header's end") << 60;
    }
    void itemsRunningOntoTheNextPage()
    {
        QFETCH(int, rows);
        f->createAndConfirm({29});
        QList<std::tuple<QString, QVariant, QVariant>> items;
        for (int i = 1; i <= rows; ++i)
            items.append({QStringLiteral("Zeile%1\n").arg(i), QVariant(), QVariant()});
        setItems(items);
        engine::Document d;
        const PdfText p = pdf(front().QuickRep1(), &d);
        QCOMPARE(p.pages, 2);
        const double summary = summaryTop(p, 2);
        // The last row of the first page ends where the page's rows end.
        double lastRow = 0;
        for (const auto &w : p.words)
            if (w.page == 1 && w.text.startsWith(QLatin1String("Zeile")))
                lastRow = std::max(lastRow, w.box.top());
        const QImage first = testsupport::pageImage(d, 1), second = testsupport::pageImage(d, 2);
        for (double x : {left + 120.2, left + 140.1}) {
            for (double y = itemsTop + 0.5; y < lastRow + 4.5; y += 0.5)
                QVERIFY2(inkAt(first, x, y), qPrintable(QStringLiteral("page 1 at %1 %2").arg(x).arg(y)));
            for (double y = 10.0 + 0.5; y < summary - 0.2; y += 0.5)
                QVERIFY2(inkAt(second, x, y), qPrintable(QStringLiteral("page 2 at %1 %2").arg(x).arg(y)));
            QVERIFY(!inkAt(second, x, summary + 5.0));
        }
    }

    // However an item wraps, the descenders of its last line stay above the
    // grey rule under its row (looked for right of the text column).
    void itemTextsClearTheRuleUnderTheirRow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("wrapped") << QStringLiteral("5 a) Aufgaben, Rechte und Pflichten des Schornsteinfegerhandwerks "
                                                   "nach dem Schornsteinfeger-Handwerksgesetz erläutern\n");
        QTest::newRow("line breaks") << QStringLiteral("5 b) Kehr- und Überprüfungsordnung anwenden\nbc) Gebühren "
                                                       "und Auslagen nach dem Gebührenverzeichnis berechnen\n"
                                                       "Kehrbuch pflegen\n");
    }
    void itemTextsClearTheRuleUnderTheirRow()
    {
        QFETCH(QString, text);
        f->createAndConfirm({29});
        setItems({{text, true, false}, {QStringLiteral("Abgasweg prüfen\n"), false, true}});
        engine::Document d;
        const PdfText p = pdf(front().QuickRep1(), &d);
        const QImage page = testsupport::pageImage(d, 1);
        const double next = p.word(QStringLiteral("Abgasweg")).box.top();
        int y = qRound(itemsTop * 10) + 10;
        while (y < next * 10 && qGray(page.pixel(qRound((left + 122.5) * 10), y)) >= 230)
            ++y;
        const double rule = y / 10.0;
        QVERIFY2(rule < next && rule > next - 0.5, qPrintable(QString::number(rule)));
        for (const auto &w : p.words)
            if (w.box.top() > itemsTop - tolerance && w.box.top() < rule)
                QVERIFY2(w.box.bottom() < rule, qPrintable(QStringLiteral("%1 %2").arg(w.text).arg(w.box.bottom())));
    }

    void withoutItemsTheSummaryFollowsTheHeader()
    {
        f->createAndConfirm({29});
        setItems({});
        engine::Document d;
        const PdfText p = pdf(front().QuickRep1(), &d);
        QCOMPARE(p.pages, 1);
        QVERIFY(qAbs(summaryTop(p) - itemsTop) < tolerance);
        QVERIFY(qAbs(p.word(QStringLiteral("Vermerke")).box.top() - (remarksTop + 10.1)) < tolerance);
        // No column rules below the header.
        const QImage page = testsupport::pageImage(d, 1);
        for (double x : {left + 120.2, left + 140.1})
            for (double y = itemsTop + 0.5; y < itemsTop + 5.0; y += 0.5)
                QVERIFY(!inkAt(page, x, y));
    }

    void tickColumns_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("box");
        QTest::addColumn<bool>("cross");
        QTest::newRow("true: crossed box") << QVariant(true) << true << true;
        QTest::newRow("false: empty box") << QVariant(false) << true << false;
        QTest::newRow("empty: nothing") << QVariant() << false << false;
    }
    void tickColumns()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, box);
        QFETCH(bool, cross);
        f->createAndConfirm({29});
        // The same value in the first column, the opposite in the second.
        const QVariant other = value.isValid() ? QVariant(!value.toBool()) : QVariant();
        setItems({{QStringLiteral("Kehrarbeiten\n"), value, other}});
        engine::Document d;
        pdf(front().QuickRep1(), &d);
        const QImage page = testsupport::pageImage(d, 1);
        // The box of a 10 pt symbol stands on the base line, centred in its
        // field: 2.5 mm square, from about 0.7 to 3.2 mm below the row's top.
        const double middle = itemsTop + 2.0;
        for (int column = 0; column < 2; ++column) {
            const double centre = left + (column == 0 ? 124.9 : 145.0) + 5.4;
            const bool crossed = column == 0 ? cross : box && !cross;
            QCOMPARE(inkAt(page, centre - 1.2, middle), box);
            QCOMPARE(inkAt(page, centre, middle), crossed);
            QVERIFY(!inkAt(page, centre - 3.0, middle));
        }
    }

    void remarksStandAtTheFootAndAreCut()
    {
        f->createAndConfirm({29});
        QString lines;
        for (int i = 1; i <= 12; ++i)
            lines += QStringLiteral("Vermerkzeile%1\\par ").arg(i);
        setReport(QStringLiteral("Vermerke"), rtf(lines));
        const PdfText p = pdf(front().QuickRep1());
        QCOMPARE(p.pages, 1);
        QVERIFY(!p.word(QStringLiteral("Vermerkzeile1")).text.isEmpty());
        QVERIFY(p.word(QStringLiteral("Vermerkzeile12")).text.isEmpty());
        const double boxBottom = remarksTop + 15.9 + 21.7;
        int shown = 0;
        for (const auto &w : p.words)
            if (w.text.startsWith(QLatin1String("Vermerkzeile"))) {
                ++shown;
                QVERIFY2(w.box.bottom() < boxBottom + tolerance, qPrintable(w.text));
            }
        QVERIFY(shown >= 4);
        // The signature block keeps its place below the box.
        QVERIFY(qAbs(p.word(QStringLiteral("Unterschrift")).box.top() - (remarksTop + 43.4)) < tolerance);
    }

    void longActivitiesContinueOnTheNextPage()
    {
        f->createAndConfirm({29});
        QString text;
        for (int i = 1; i <= 70; ++i)
            text += QStringLiteral("Absatz%1 Schornsteinreinigung und Abgaswegeprüfung.\\par ").arg(i);
        setReport(QStringLiteral("Taetigkeit"), rtf(text));
        const PdfText p = pdf(front().QuickRep1());
        QCOMPARE(p.pages, 2);
        // Page 2 goes on with the text at its top and carries the remarks
        // block at its foot; the title chain is not repeated.
        QVERIFY(p.word(QStringLiteral("Absatz70"), 2).page == 2);
        QVERIFY(p.word(QStringLiteral("Absatz1"), 1).page == 1);
        QVERIFY(p.word(QStringLiteral("Teil"), 2).text.isEmpty());
        QVERIFY(p.word(QStringLiteral("(Auszubildender)"), 2).text.isEmpty());
        QVERIFY(p.word(QStringLiteral("Vermerke"), 1).text.isEmpty());
        QVERIFY(qAbs(p.word(QStringLiteral("Vermerke"), 2).box.top() - (remarksTop + 10.1)) < tolerance);
        for (const auto &w : p.words)
            if (w.page == 2 && w.text.startsWith(QLatin1String("Absatz")))
                QVERIFY2(w.box.bottom() < remarksTop, qPrintable(w.text));
    }

    void backSheetRepeatsItsHeader()
    {
        sampleReport();
        QString text;
        for (int i = 1; i <= 70; ++i)
            text += QStringLiteral("Beschreibung%1 der Abgasmessung mit dem Messgerät.\\par ").arg(i);
        setReport(QStringLiteral("Darstellung"), rtf(text));
        back().setPictureDisplaySize(0, QSize(1, 1));
        back().setPictureDisplaySize(1, QSize(1, 1));
        const PdfText p = pdf(back().QuickRep(), nullptr, QStringLiteral("rueckseite-lang"));
        QCOMPARE(p.pages, 2);
        for (int page = 1; page <= 2; ++page) {
            const struct
            {
                const char *word;
                double x, y;
            } expected[] = {{"Darstellung", left + 1.1, 12.7 + 2.4},  {"zum", left + 100.3, 12.7 + 2.9},
                            {"A-Jahr:", left + 154.5, 12.7 + 2.9},    {"Datum:", left + 1.1, 12.7 + 11.6},
                            {"13.03.2026", left + 13.5, 12.7 + 11.6}, {"Abgasmessung", left + 49.5, 12.7 + 11.6}};
            for (const auto &e : expected) {
                const auto w = wordBelow(p, QString::fromUtf8(e.word), page, 12.7);
                QVERIFY2(w.page == page, e.word);
                QVERIFY2(qAbs(w.box.left() - e.x) < tolerance && qAbs(w.box.top() - e.y) < tolerance,
                         qPrintable(QStringLiteral("%1 %2,%3").arg(w.text).arg(w.box.left()).arg(w.box.top())));
            }
        }
        // The description starts under the header on page 1 and goes on at
        // the top of page 2, below the repeated header.
        QVERIFY(qAbs(p.word(QStringLiteral("Beschreibung1")).box.top() - (12.7 + 19.1)) < tolerance);
        QVERIFY(p.word(QStringLiteral("Beschreibung70"), 2).page == 2);
        for (const auto &w : p.words)
            if (w.page == 2 && w.text.startsWith(QLatin1String("Beschreibung")))
                QVERIFY(w.box.top() > 12.7 + 19.1 - tolerance);
    }

    // A text longer than its sheet's page: the continuation page carries the
    // identity line in the top margin, above the frame; the first page has
    // none, and the bands of both pages stand where they did.
    void continuationPagesCarryTheIdentity_data()
    {
        QTest::addColumn<bool>("backSheet");
        QTest::newRow("front sheet, 60 lines of activities") << false;
        QTest::newRow("back sheet, 80 lines of description") << true;
    }
    void continuationPagesCarryTheIdentity()
    {
        QFETCH(bool, backSheet);
        sampleReport();
        setReport(backSheet ? QStringLiteral("Darstellung") : QStringLiteral("Taetigkeit"), paragraphs(backSheet ? 80 : 60));
        back().setPictureDisplaySize(0, QSize(1, 1));
        back().setPictureDisplaySize(1, QSize(1, 1));
        const PdfText p = pdf(backSheet ? back().QuickRep() : front().QuickRep1(), nullptr,
                              backSheet ? QStringLiteral("rueckseite-fortsetzung") : QStringLiteral("fortsetzung"));
        QCOMPARE(p.pages, 2);
        const double frame = backSheet ? 12.7 : 10.0;
        QCOMPARE(wordsAbove(p, 2, frame), QStringLiteral("Erika Mustermann Ausbildungsnachweis Nr. 1 Blatt 1 für die "
                                                         "Woche vom 09.03.2026 bis 13.03.2026 Fortsetzung"));
        QCOMPARE(wordsAbove(p, 1, frame), QString());
        QVERIFY(!p.pageText(1).contains(QLatin1String("Fortsetzung")));
        QVERIFY(qAbs(p.word(QStringLiteral("Fortsetzung")).box.left() - left) > 100);
        QVERIFY(qAbs(p.word(QStringLiteral("Erika"), 2).box.left() - left) < tolerance);
        if (!backSheet) {
            // Page 1 as designed; page 2 goes on at the frame's top.
            QVERIFY(qAbs(p.word(QStringLiteral("Ausbildungsnachweis"), 1).box.top() - (10.0 + 12.2)) < tolerance);
            QVERIFY(qAbs(p.word(QStringLiteral("Fertigkeiten"), 1).box.top() - (53.9 + 2.1)) < tolerance);
            double first = 1e9;
            for (const auto &w : p.words)
                if (w.page == 2 && w.text.startsWith(QLatin1String("Absatz")))
                    first = std::min(first, w.box.top());
            QVERIFY2(first > 10.0 - tolerance && first < 10.0 + 1.0, qPrintable(QString::number(first)));
            QVERIFY(qAbs(p.word(QStringLiteral("Vermerke"), 2).box.top() - (remarksTop + 10.1)) < tolerance);
        } else {
            for (int page = 1; page <= 2; ++page) {
                QVERIFY(qAbs(wordBelow(p, QStringLiteral("Darstellung"), page, frame).box.top() - (12.7 + 2.4))
                        < tolerance);
                QVERIFY(qAbs(wordBelow(p, QStringLiteral("Abgasmessung"), page, frame).box.top() - (12.7 + 11.6))
                        < tolerance);
            }
        }
    }

    // The editor's fit beside the text agrees with the pages that print:
    // the most lines that print on one page are found by printing.
    void fitIndicatorAgreesWithThePrint_data()
    {
        QTest::addColumn<bool>("backSheet");
        QTest::addColumn<int>("more"); // lines beyond the most that print on one page
        QTest::addColumn<QString>("shown");
        QTest::newRow("front: fits exactly") << false << 0 << "passt auf die Vorderseite";
        QTest::newRow("front: one line over") << false << 1 << "1 Zeile zu lang für eine Seite";
        QTest::newRow("front: many lines over") << false << 12 << "12 Zeilen zu lang für eine Seite";
        QTest::newRow("back with pictures: fits exactly") << true << 0 << "passt auf die Rückseite";
        QTest::newRow("back with pictures: one line over") << true << 1 << "1 Zeile zu lang für eine Seite";
        QTest::newRow("back with pictures: many lines over") << true << 7 << "7 Zeilen zu lang für eine Seite";
    }
    void fitIndicatorAgreesWithThePrint()
    {
        QFETCH(bool, backSheet);
        QFETCH(int, more);
        QFETCH(QString, shown);
        sampleReport();
        setReport(QStringLiteral("Zoom1"), 50);
        setReport(QStringLiteral("Zoom2"), 20);
        // The pictures print as the editor shows them at these zooms.
        back().setPictureDisplaySize(0, Tqrruecksform::displaySize(QSize(400, 300), 50));
        back().setPictureDisplaySize(1, Tqrruecksform::displaySize(QSize(300, 300), 20));
        const QString field = backSheet ? QStringLiteral("Darstellung") : QStringLiteral("Taetigkeit");
        engine::Report &sheet = backSheet ? back().QuickRep() : front().QuickRep1();
        int most = 0;
        for (int n = 1; n < 100; ++n) {
            setReport(field, paragraphs(n));
            if (sheet.render().pageCount() > 1)
                break;
            most = n;
        }
        QVERIFY(most > 10);
        setReport(field, paragraphs(most + more));
        QCOMPARE(sheet.render().pageCount(), more == 0 ? 1 : 2);
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QLabel *label = backSheet ? d.lblDarstellungPasst() : d.lblTaetigkeitenPasst();
            QCOMPARE(label->objectName(),
                     backSheet ? QStringLiteral("lblDarstellungPasst") : QStringLiteral("lblTaetigkeitenPasst"));
            QCOMPARE(label->text(), shown);
            if (more == 0) {
                // One more line typed shows at once that it no longer fits.
                if (backSheet)
                    d.seiten()->setCurrentIndex(1);
                auto *edit = backSheet ? d.findChild<QTextEdit *>(QStringLiteral("DBRichEdit3")) : d.taetigkeitedit();
                edit->setFocus();
                edit->moveCursor(QTextCursor::End);
                QTest::keyClick(edit, Qt::Key_Return);
                QTest::keyClicks(edit, QStringLiteral("Noch eine Zeile"));
                QTRY_COMPARE(label->text(), QStringLiteral("1 Zeile zu lang für eine Seite"));
                f->messages().answer(platform::Answer::Yes); // discard the typing
            }
            d.reject();
        });
    }

    // The back sheet as PDF: both photos as JPEG at 300 dpi of the size they
    // print at, never more pixels than they have; a report with two 800 x 600
    // photos stays within 60 KB, in the sheet's own box (about 16 %) as at
    // the editor's usual 50 %, and the file passes qpdf's check.
    void backSheetPdfCarriesPhotosAsJpeg_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("width"); // of each embedded photo
        QTest::addColumn<int>("maxKb");
        const auto at300 = [](int zoom) {
            const double mm = Tqrruecksform::displaySize(QSize(800, 600), zoom).width() * 9.0 / 50.0;
            return std::min(800, int(std::ceil(mm / 25.4 * 300)));
        };
        QTest::newRow("10 %") << 10 << at300(10) << 60;
        QTest::newRow("sheet's box, 16 %") << 16 << at300(16) << 60;
        QTest::newRow("50 %: fewer pixels than 300 dpi") << 50 << 800 << 60;
    }
    void backSheetPdfCarriesPhotosAsJpeg()
    {
        QFETCH(int, zoom);
        QFETCH(int, width);
        QFETCH(int, maxKb);
        sampleReport();
        const auto bmpOf = [](const QImage &image) { return testsupport::fileBytes(image, "BMP"); };
        setReport(QStringLiteral("Bild1"), bmpOf(testsupport::photo(QSize(800, 600))));
        setReport(QStringLiteral("Bild2"), bmpOf(testsupport::photo(QSize(800, 600)).mirrored()));
        for (int i = 0; i < 2; ++i)
            back().setPictureDisplaySize(i, Tqrruecksform::displaySize(QSize(800, 600), zoom));
        const QString file = m_dir.filePath(QStringLiteral("rueckseite.pdf"));
        QVERIFY(engine::exportPdf(back().QuickRep().render(), file));
        const QList<testsupport::PdfImage> images = testsupport::pdfImages(file);
        QCOMPARE(images.size(), 2);
        for (const testsupport::PdfImage &image : images) {
            QCOMPARE(image.encoding, QStringLiteral("jpeg"));
            QVERIFY2(qAbs(image.width - width) <= 1, qPrintable(QString::number(image.width)));
        }
        QVERIFY2(QFile(file).size() <= maxKb * 1024, qPrintable(QString::number(QFile(file).size())));
        QVERIFY(testsupport::readPdf(file).pageText(1).contains(QStringLiteral("Abgasmessung")));
        QProcess check;
        check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), file});
        QVERIFY(check.waitForFinished(60000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
    }

    void previewsFromTheEditor()
    {
        sampleReport();
        setReport(QStringLiteral("Zoom1"), 50);
        setReport(QStringLiteral("Zoom2"), 100);
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            // The front sheet shows what is typed, without storing it.
            QTextCursor(d.taetigkeitedit()->document()).insertText(QStringLiteral("Neu "));
            testsupport::whenShown([&](Tbwprformd5 *w) {
                QCOMPARE(w->printKind(), engine::PrintKind::FrontSheet);
                const PdfText p = pdf(*w->document(), QStringLiteral("vorschau-vorderseite"));
                QVERIFY(p.pageText(1).startsWith(QStringLiteral("Name:Karl")));
                QVERIFY2(p.pageText(1).contains(QStringLiteral("Neu Kehrbezirk")), qPrintable(p.pageText(1)));
            });
            d.vorschaubtn()->click();
            QVERIFY(
                !f->sql(QStringLiteral("SELECT Taetigkeit FROM bericht")).toString().contains(QLatin1String("Neu")));

            // The back sheet: its pictures at the size they are shown here.
            d.seiten()->setCurrentIndex(2);
            d.TrackBar2()->setValue(20);
            d.seiten()->setCurrentIndex(1);
            f->messages().answer(platform::Answer::Yes); // store first
            testsupport::whenShown([&](Tbwprformd5 *w) {
                QCOMPARE(w->printKind(), engine::PrintKind::BackSheet);
                QCOMPARE(pdf(*w->document(), QStringLiteral("vorschau-rueckseite")).pages, 1);
                const QImage page = testsupport::pageImage(*w->document(), 1);
                // Picture 1 at zoom 50: 450 × 338 pixels shown, 81.0 × 60.84 mm
                // printed, starting 2.1 mm into the band and 2.4 mm below the
                // band's top; picture 2 (20 %: 180 × 180) right below it.
                auto extent = [&](QRgb colour, int &x0, int &x1, int &y0, int &y1) {
                    x0 = y0 = INT_MAX;
                    x1 = y1 = -1;
                    for (int y = 0; y < page.height(); y += 1)
                        for (int x = 0; x < page.width(); x += 1)
                            if (page.pixel(x, y) == colour) {
                                x0 = std::min(x0, x), x1 = std::max(x1, x);
                                y0 = std::min(y0, y), y1 = std::max(y1, y);
                            }
                };
                int x0, x1, y0, y1;
                extent(QColor(Qt::darkBlue).rgb(), x0, x1, y0, y1);
                QVERIFY2(qAbs((x1 - x0 + 1) - 810) <= 2, qPrintable(QString::number(x1 - x0 + 1)));
                QVERIFY2(qAbs((y1 - y0 + 1) - 608.4) <= 2, qPrintable(QString::number(y1 - y0 + 1)));
                QVERIFY(qAbs(x0 - (230 + 21)) <= 2);
                int u0, u1, v0, v1;
                extent(QColor(Qt::darkRed).rgb(), u0, u1, v0, v1);
                QVERIFY2(qAbs((u1 - u0 + 1) - 324) <= 2, qPrintable(QString::number(u1 - u0 + 1)));
                QVERIFY(qAbs(v0 - (y1 + 1)) <= 2);
            });
            d.findChild<QPushButton *>(QStringLiteral("ruecksformvorschau"))->click();
            d.reject();
        });
        QCOMPARE(back().pictureDisplaySize(0), QSize(450, 338));
    }
};

QTEST_MAIN(TestWeeklyPrint)
#include "test_weeklyprint.moc"
