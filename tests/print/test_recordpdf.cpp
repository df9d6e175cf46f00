// The whole training record as one PDF file, saved from the menu: the parts
// and sheets in order with the bookmarks leading to them, the page numbers
// in the margin below every frame, the archival identification and the
// properties, the checksum on the cover, and no file unless it is complete.
// Each test runs with the pages drawn on this thread and on three workers.

#include "overviewfixture.h"

#include "domain/fingerprint.h"
#include "filesizelimit.h"
#include "imagebytes.h"
#include "pdfwords.h"
#include "platform/filedialog.h"
#include "print/engine/pdfbook.h"
#include "store/settings.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressDialog>
#include <QTemporaryDir>

using testsupport::PdfText;
using testsupport::PdfWord;

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The bookmarks as "title/title" paths with the page each opens.
void bookmarks(const QJsonArray &items, const QString &above, QMap<QString, int> &out)
{
    for (const QJsonValue &v : items) {
        const QString path = above + v[QLatin1String("title")].toString();
        out[path] = v[QLatin1String("destpageposfrom1")].toInt();
        bookmarks(v[QLatin1String("kids")].toArray(), path + QLatin1Char('/'), out);
    }
}

} // namespace

class TestRecordPdf : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::OverviewFixture> f;
    QTemporaryDir m_out;
    QString file() const { return m_out.filePath(QStringLiteral("nachweis.pdf")); }

    // A sheet whose front and back print a word naming it.
    void sheet(int year, int number, int blatt, const QDate &monday)
    {
        const int id = f->addSheet(year, number, blatt, monday);
        f->tables().exec(QStringLiteral("UPDATE bericht SET Taetigkeit='Vorne-%1-%2-%3', Darstellung='Hinten-%1-%2' "
                                        "WHERE BerLfd=%4")
                             .arg(year)
                             .arg(number)
                             .arg(blatt)
                             .arg(id));
    }

    // Two training years: report 1 with a follow-up sheet, report 2 with a
    // photo on its back, and a report of the second year.
    void record()
    {
        f->start(1);
        store::Settings ini;
        ini.writeString(QStringLiteral("Stift"), QStringLiteral("Name"), QStringLiteral("Lena Kaminski"));
        sheet(1, 1, 1, QDate(2025, 8, 4));
        sheet(1, 1, 2, QDate(2025, 8, 4));
        sheet(1, 2, 1, QDate(2025, 8, 11));
        sheet(2, 1, 1, QDate(2026, 8, 3));
        const QByteArray photo = testsupport::fileBytes(testsupport::photo(QSize(640, 480)), "JPG");
        f->tables().exec(QStringLiteral("UPDATE bericht SET Bild1=X'%1', Zoom1=50 WHERE AJahr=1 AND Nummer=2")
                             .arg(QString::fromLatin1(photo.toHex())));
        f->reports().refresh();
    }

    // "Ausbildungsnachweis als PDF speichern" with `file` as the name.
    void save(const QString &name)
    {
        auto *item = f->form()->findChild<QAction *>(QStringLiteral("AusbildungsnachweisalsPDF1"));
        QVERIFY(item);
        platform::setNextSaveFileName(name);
        item->trigger();
    }

    // The marker words of the report pages, in page order.
    static QStringList markers(const PdfText &pdf)
    {
        QStringList out;
        static const QRegularExpression marker(QStringLiteral("(Vorne|Hinten)-[0-9-]+"));
        for (const QString &text : pdf.pageTexts())
            if (const auto m = marker.match(text); m.hasMatch())
                out << m.captured(0);
        return out;
    }

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<int>("workers");
        QTest::newRow("one thread") << 1;
        QTest::newRow("three workers") << 3;
    }
    void cleanupTestCase() { engine::pdfbook::setWorkers(0, 24); }
    void init()
    {
        QFETCH_GLOBAL(int, workers);
        engine::pdfbook::setWorkers(workers, 1);
        f = std::make_unique<testsupport::OverviewFixture>();
        QFile::remove(file());
    }
    void cleanup() { f.reset(); }

    void bookmarksOpenTheirPages_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown"); // a word of the page it opens
        QTest::newRow("cover") << "Deckblatt" << "Auszubildender";
        QTest::newRow("training time") << "Ausbildungszeit" << "(Blockunterricht)";
        QTest::newRow("report of reports") << "Berichtsübersicht" << "GESAMTER";
        QTest::newRow("first year") << "1. Ausbildungsjahr" << "Vorne-1-1-1";
        QTest::newRow("report with a follow-up sheet") << "1. Ausbildungsjahr/Bericht 1, KW 32/2025" << "Vorne-1-1-1";
        QTest::newRow("report after a follow-up sheet") << "1. Ausbildungsjahr/Bericht 2, KW 33/2025" << "Vorne-1-2-1";
        QTest::newRow("second year") << "2. Ausbildungsjahr/Bericht 1, KW 32/2026" << "Vorne-2-1-1";
    }
    void bookmarksOpenTheirPages()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        record();
        save(file());
        const QJsonObject json = QJsonDocument::fromJson(run(QStringLiteral("qpdf"), {QStringLiteral("--json"), file()})
                                                             .toUtf8())
                                     .object();
        QMap<QString, int> marks;
        bookmarks(json[QLatin1String("outlines")].toArray(), QString(), marks);
        QVERIFY2(marks.contains(path), qPrintable(QStringList(marks.keys()).join(QLatin1Char('|'))));
        const PdfText pdf = testsupport::readPdf(file());
        QVERIFY2(pdf.pageText(marks[path]).contains(shown), qPrintable(pdf.pageText(marks[path])));
        // The page before belongs to another part or report.
        if (marks[path] > 1)
            QVERIFY(!pdf.pageText(marks[path] - 1).contains(shown));
    }

    void sheetsPageNumbersAndChecksum()
    {
        record();
        QVERIFY(f->select(1, 2, 1));
        const int current = f->reports().asInt(QStringLiteral("BerLfd"));
        save(file());
        QVERIFY2(f->messages().shown().join(QLatin1Char('|')).contains(QLatin1String("gespeichert")),
                 qPrintable(f->messages().shown().join(QLatin1Char('|'))));
        QCOMPARE(f->reports().asInt(QStringLiteral("BerLfd")), current);
        const PdfText pdf = testsupport::readPdf(file());
        // Each report's front sheets, then its back sheet.
        QCOMPARE(markers(pdf), (QStringList{"Vorne-1-1-1", "Vorne-1-1-2", "Hinten-1-1", "Vorne-1-2-1", "Hinten-1-2",
                                            "Vorne-2-1-1", "Hinten-2-1"}));
        // The photo once, as JPEG.
        const QList<testsupport::PdfImage> images = testsupport::pdfImages(file());
        QCOMPARE(images.size(), 1);
        QCOMPARE(images.first().encoding, QStringLiteral("jpeg"));
        // The checksum on the cover is the record's, and noted as exported.
        const QByteArray fingerprint = domain::recordFingerprint(f->tables());
        QVERIFY(pdf.pageText(1).contains(QStringLiteral("(SHA-256): ") + QString::fromLatin1(fingerprint)));
        QCOMPARE(domain::lastRecordExport(store::Settings()).fingerprint, fingerprint);

        // "Seite n von N" on every page, below every word and every rule.
        for (int page = 1; page <= pdf.pages; ++page) {
            const QString number = QStringLiteral("Seite %1 von %2").arg(page).arg(pdf.pages);
            // The lowest "Seite" and the words on its line.
            PdfWord seite;
            for (const PdfWord &w : pdf.words)
                if (w.page == page && w.text == QLatin1String("Seite") && w.box.top() > seite.box.top())
                    seite = w;
            QStringList line;
            QRectF box;
            double lowest = 0;
            for (const PdfWord &w : pdf.words) {
                if (w.page != page)
                    continue;
                if (qAbs(w.box.center().y() - seite.box.center().y()) < 1.0) {
                    line << w.text;
                    box = box.united(w.box);
                } else {
                    lowest = std::max(lowest, w.box.bottom());
                }
            }
            QCOMPARE(line.join(QLatin1Char(' ')), number);
            QVERIFY2(box.top() > lowest && box.bottom() < 297.0, qPrintable(number));
            // Rendered at 4 pixels per mm: in the rows of the number nothing
            // dark but the number itself.
            const QString png = m_out.filePath(QStringLiteral("seite"));
            run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("101.6"), QStringLiteral("-gray"),
                                             QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                             QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                             QString::number(page), file(), png});
            const QImage image(png + QStringLiteral(".png"));
            QVERIFY(!image.isNull());
            for (int y = int(box.top() * 4) - 2; y <= int(box.bottom() * 4) + 2 && y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 128 && (x < box.left() * 4 - 2 || x > box.right() * 4 + 2))
                        QFAIL(qPrintable(QStringLiteral("%1: dark at %2, %3 mm").arg(number).arg(x / 4.0).arg(y / 4.0)));
        }
    }

    void archivalAndProperties_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("expected"); // a pattern of its output
        const QStringList info{QStringLiteral("pdfinfo")};
        QTest::newRow("title") << info << "Title: +Ausbildungsnachweis Lena Kaminski\n";
        QTest::newRow("author") << info << "Author: +Lena Kaminski\n";
        QTest::newRow("subject") << info << "Subject: +Berufsausbildung im Schornsteinfegerhandwerk\n";
        QTest::newRow("creator") << info << "Creator: +Lernora\n";
        QTest::newRow("archival") << info << "PDF subtype: +PDF/A-1b:2005\n";
        const QStringList meta{QStringLiteral("pdfinfo"), QStringLiteral("-meta")};
        QTest::newRow("xmp archival") << meta << "pdfaid:part=\"1\" pdfaid:conformance=\"B\"";
        QTest::newRow("xmp author") << meta << "<dc:creator><rdf:Seq><rdf:li>Lena Kaminski</rdf:li>";
        QTest::newRow("xmp subject")
            << meta << "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">Berufsausbildung im";
        QTest::newRow("xmp producer as in the information") << meta << "pdf:Producer=\"Qt [0-9.]+\"";
        const QStringList qpdf{QStringLiteral("qpdf"), QStringLiteral("--check")};
        QTest::newRow("well-formed") << qpdf << "No syntax or stream encoding errors found";
        const QStringList json{QStringLiteral("qpdf"), QStringLiteral("--json"), QStringLiteral("--json-key=pagelabels")};
        QTest::newRow("page labels") << json << "\"index\": 0,\\s*\"label\": \\{\\s*\"/S\": \"/D\"";
    }
    void archivalAndProperties()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, expected);
        record();
        save(file());
        const QString out = run(command.first(), command.mid(1) << file());
        QVERIFY2(out.contains(QRegularExpression(expected)), qPrintable(out));
        // The information and the metadata are dated alike.
        const QString date = run(QStringLiteral("pdfinfo"), {QStringLiteral("-isodates"), file()});
        const QString meta = run(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), file()});
        const QString created = QRegularExpression(QStringLiteral("CreationDate: +(\\S+)")).match(date).captured(1);
        QVERIFY(!created.isEmpty());
        QVERIFY2(meta.contains(QStringLiteral("xmp:CreateDate=\"%1\"").arg(created)), qPrintable(created));
    }

    void noFileUnlessComplete_data()
    {
        QTest::addColumn<QString>("cancelWhile"); // a word of the progress, or empty: the disk is full
        QTest::addColumn<QString>("said");
        QTest::newRow("cancelled while the sheets are counted") << "aufbereitet" << "";
        QTest::newRow("cancelled while the pages are written") << "geschrieben" << "";
        QTest::newRow("full disk") << "" << "kann nicht geschrieben werden";
    }
    void noFileUnlessComplete()
    {
        QFETCH(QString, cancelWhile);
        QFETCH(QString, said);
        record();
        const QMetaObject::Connection watch =
            QObject::connect(&f->reports(), &store::Table::afterScroll, f->form(), [&] {
                auto *progress = f->form()->findChild<QProgressDialog *>(QStringLiteral("recordpdffortschritt"));
                if (progress && !cancelWhile.isEmpty() && progress->labelText().contains(cancelWhile))
                    progress->cancel();
            });
        const auto unwatch = qScopeGuard([&] { QObject::disconnect(watch); });
        {
            testsupport::FileSizeLimit limit(cancelWhile.isEmpty() ? 20000 : RLIM_INFINITY);
            save(file());
        }
        QVERIFY(!QFile::exists(file()));
        QVERIFY(!domain::lastRecordExport(store::Settings()).isValid());
        const QString shown = f->messages().shown().join(QLatin1Char('|'));
        QVERIFY2(said.isEmpty() ? shown.isEmpty() : shown.contains(said), qPrintable(shown));
    }
};

QTEST_MAIN(TestRecordPdf)
#include "test_recordpdf.moc"
