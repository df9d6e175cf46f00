// Rendered documents and saved report files: the header and its time stamp
// from the engine's clock, the round trip, damaged files, the report file
// merge with its result codes, the page-range copy, pictures carried along
// as their bytes, and the PDF export with the positions it keeps, its
// pictures at the pixels they print at, and its cancelling.

#include "imagebytes.h"
#include "pdfwords.h"
#include "print/engine/clock.h"
#include "print/engine/document.h"
#include "print/engine/pdfbook.h"
#include "print/engine/pdfjoin.h"

#include <QBuffer>
#include <cmath>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include "filesizelimit.h"
#endif

using engine::Document;
using engine::FileError;

namespace {

// A page with its number as a word at 20 mm, 30 mm and a frame 10 mm in,
// 0.4 mm wide.
QPicture numberedPage(int n)
{
    engine::PagePicture page;
    QPainter p(&page);
    p.setFont(QFont(QStringLiteral("Arial"), 24));
    p.drawText(QPointF(200, 300), QStringLiteral("Seite%1").arg(n));
    p.setPen(QPen(Qt::black, 4));
    p.drawRect(QRectF(100, 100, 1900, 2770));
    p.end();
    return page;
}

Document numbered(int pages, int from = 1)
{
    Document d;
    d.setTitle(QStringLiteral("Ausbildungsnachweis Nr. 7"));
    for (int n = 0; n < pages; ++n)
        d.addPage(numberedPage(from + n));
    return d;
}

QByteArray bytesOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The words "SeiteN" of a document, in page order, read back from a PDF.
QStringList pageWords(const Document &d, const QString &pdf)
{
    engine::exportPdf(d, pdf);
    return testsupport::readPdf(pdf).pageTexts();
}

// A page per colour, each with a picture of that colour as bitmap bytes
// (0: a page without a picture); the same colour is the same bytes.
Document pictured(const QList<QRgb> &colours)
{
    Document d;
    QHash<QRgb, QByteArray> made;
    for (QRgb colour : colours) {
        QVector<engine::Placement> placed;
        if (colour) {
            if (!made.contains(colour)) {
                QImage image(30, 20, QImage::Format_RGB32);
                image.fill(colour);
                QBuffer buffer(&made[colour]);
                buffer.open(QIODevice::WriteOnly);
                image.save(&buffer, "BMP");
            }
            placed.append({d.addImage(QImage(), made[colour]), QRectF(100, 100, 300, 200), QRectF()});
        }
        d.addPage(numberedPage(int(d.pageCount()) + 1), placed);
    }
    return d;
}

// The colour of the picture on each page, 0 where none is drawn.
QList<QRgb> coloursOf(const Document &d)
{
    QList<QRgb> out;
    for (int n = 1; n <= d.pageCount(); ++n) {
        const QImage image = d.placements(n).isEmpty() ? QImage() : d.image(d.placements(n).first().image);
        out << (image.isNull() ? 0 : image.pixel(5, 5));
    }
    return out;
}

// CRC-32 bit by bit, to check the file's sums independently.
quint32 crcOf(const QByteArray &data)
{
    quint32 c = 0xFFFFFFFFu;
    for (char ch : data) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

QByteArray record(const QByteArray &bytes)
{
    QByteArray head(8, '\0');
    qToLittleEndian<quint32>(quint32(bytes.size()), head.data());
    qToLittleEndian<quint32>(crcOf(bytes), head.data() + 4);
    return head + bytes;
}

// A drawing: four flat colour bands.
QImage drawing(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(200, 30, 30), qRgb(30, 30, 200)};
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, colours[(x / 40) % 4]);
    return image;
}

// A photo-like picture: smooth ramps, with some fine detail or without.
QImage photo(const QSize &size, bool detail = true)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int light = detail && (x / 8 + y / 8) % 2 ? 40 : 0;
            image.setPixel(x, y, qRgb(200 * x / size.width() + light, 200 * y / size.height() + light, 100 + light));
        }
    return image;
}

using testsupport::fileBytes;

// The mean difference per colour channel of two images at the same size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 255;
    double sum = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void headerOfASavedFile()
    {
        numbered(3).save(file(QStringLiteral("a.qrp")));
        const QByteArray b = bytesOf(file(QStringLiteral("a.qrp")));
        QVERIFY(b.size() > Document::headerSize);
        QCOMPARE(qFromLittleEndian<quint16>(b.constData()), quint16(3));
        QCOMPARE(qFromLittleEndian<quint16>(b.constData() + 2), quint16(307));
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 8), quint32(3));
        // Days since 30 December 1899.
        const double days = qFromLittleEndian<double>(b.constData() + 16);
        const double expected = QDate(1899, 12, 30).daysTo(QDate::currentDate());
        QVERIFY2(days >= expected && days < expected + 1.001, qPrintable(QString::number(days)));
        QCOMPARE(int(b.at(25)), 1);
    }

    void timeStampComesFromTheClock()
    {
        // 1 January 2000 is day 36526; 18:00 three quarters of it. The
        // margin covers the local time's offsets since 1899.
        engine::setClock([] { return QDateTime(QDate(2000, 1, 1), QTime(18, 0)); });
        const auto systemTime = qScopeGuard([] { engine::setClock({}); });
        const QByteArray b = numbered(1).toBytes();
        const double days = qFromLittleEndian<double>(b.constData() + 16);
        QVERIFY2(qAbs(days - 36526.75) < 0.1, qPrintable(QString::number(days, 'f', 6)));
    }

    void roundTrip()
    {
        const Document original = numbered(4);
        original.save(file(QStringLiteral("r.qrp")));
        const Document loaded = Document::load(file(QStringLiteral("r.qrp")));
        QCOMPARE(loaded.pageCount(), 4);
        QCOMPARE(loaded.title(), original.title());
        QCOMPARE(loaded.pageSize(), engine::a4);
        // Every page draws exactly as before.
        for (int n = 1; n <= 4; ++n) {
            QImage a(210, 297, QImage::Format_RGB32), b(210, 297, QImage::Format_RGB32);
            a.fill(Qt::white);
            b.fill(Qt::white);
            QPainter pa(&a), pb(&b);
            original.paint(pa, n, a.rect());
            loaded.paint(pb, n, b.rect());
            pa.end();
            pb.end();
            QCOMPARE(a, b);
        }
        QCOMPARE(pageWords(loaded, file(QStringLiteral("r.pdf"))),
                 (QStringList{"Seite1", "Seite2", "Seite3", "Seite4"}));
    }

    void damagedFilesAreRefused_data()
    {
        QTest::addColumn<int>("cut");   // keep this many bytes (-1: all)
        QTest::addColumn<int>("flip");  // flip the byte at this offset (-1: none)
        QTest::addColumn<quint32>("count"); // page count written into the header (0: as is)
        QTest::newRow("empty file") << 0 << -1 << 0u;
        QTest::newRow("half a header") << 60 << -1 << 0u;
        QTest::newRow("header without its pages") << 128 << -1 << 0u;
        QTest::newRow("page length cut") << 132 << -1 << 0u;
        QTest::newRow("last page cut short") << -2 << -1 << 0u;
        QTest::newRow("a byte of page 1 damaged") << -1 << 200 << 0u;
        QTest::newRow("not a saved report file") << -1 << 33 << 0u;
        QTest::newRow("more pages announced than stored") << -1 << -1 << 4u;
        QTest::newRow("absurd page count") << -1 << -1 << 0xFFFFFFFFu;
        QTest::newRow("a page claims 4 GB unpacked") << -1 << -3 << 0u;
    }
    void damagedFilesAreRefused()
    {
        QFETCH(int, cut);
        QFETCH(int, flip);
        QFETCH(quint32, count);
        QByteArray b = numbered(3).toBytes();
        if (count)
            qToLittleEndian<quint32>(count, b.data() + 8);
        if (flip >= 0)
            b[flip] = char(b.at(flip) ^ 0x5A);
        if (flip == -3) {
            // The unpacked size leads the packed page (big-endian); the
            // page's sum is made to match, so only the size is wrong.
            const qsizetype page = Document::headerSize + 8;
            const quint32 length = qFromLittleEndian<quint32>(b.constData() + Document::headerSize);
            qToBigEndian<quint32>(0xFFFFFFF0u, b.data() + page);
            qToLittleEndian<quint32>(crcOf(b.mid(page, length)), b.data() + Document::headerSize + 4);
        }
        if (cut == -2)
            b.chop(10);
        else if (cut >= 0)
            b.truncate(cut);
        writeBytes(file(QStringLiteral("bad.qrp")), b);
        try {
            Document::load(file(QStringLiteral("bad.qrp")));
            QFAIL("a damaged file was loaded");
        } catch (const FileError &e) {
            QVERIFY(e.message().contains(QStringLiteral("bad.qrp")));
        }
        // A missing file is an error too.
        QVERIFY_THROWS_EXCEPTION(FileError, Document::load(file(QStringLiteral("missing.qrp"))));
    }

    void mergeResultCodes()
    {
        numbered(2).save(file(QStringLiteral("two.qrp")));
        const QStringList none;
        const QStringList one{file(QStringLiteral("two.qrp"))};
        QCOMPARE(engine::mergeReportFiles(QString(), &one), -1);
        QCOMPARE(engine::mergeReportFiles(file(QStringLiteral("m.qrp")), nullptr), -2);
        QCOMPARE(engine::mergeReportFiles(QString(), nullptr), -2); // the later check wins
        QCOMPARE(engine::mergeReportFiles(file(QStringLiteral("m.qrp")), &none), -3);
        QCOMPARE(engine::mergeReportFiles(QString(), &none), -3);
        QVERIFY(!QFile::exists(file(QStringLiteral("m.qrp"))));
        const QStringList unreadable{file(QStringLiteral("two.qrp")), file(QStringLiteral("gone.qrp"))};
        QVERIFY_THROWS_EXCEPTION(FileError, engine::mergeReportFiles(file(QStringLiteral("m.qrp")), &unreadable));
    }

    void mergeTwoAndThreePages()
    {
        numbered(2, 1).save(file(QStringLiteral("1001A1.qrp")));
        numbered(3, 3).save(file(QStringLiteral("1001B1.qrp")));
        const QStringList sources{file(QStringLiteral("1001A1.qrp")), file(QStringLiteral("1001B1.qrp"))};
        QCOMPARE(engine::mergeReportFiles(file(QStringLiteral("alle.qrp")), &sources), 0);
        const QByteArray b = bytesOf(file(QStringLiteral("alle.qrp")));
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 8), quint32(5));
        const Document merged = Document::load(file(QStringLiteral("alle.qrp")));
        QCOMPARE(pageWords(merged, file(QStringLiteral("alle.pdf"))),
                 (QStringList{"Seite1", "Seite2", "Seite3", "Seite4", "Seite5"}));
        // A file named twice comes twice.
        const QStringList twice{file(QStringLiteral("1001A1.qrp")), file(QStringLiteral("1001A1.qrp"))};
        QCOMPARE(engine::mergeReportFiles(file(QStringLiteral("copies.qrp")), &twice), 0);
        QCOMPARE(pageWords(Document::load(file(QStringLiteral("copies.qrp"))), file(QStringLiteral("c.pdf"))),
                 (QStringList{"Seite1", "Seite2", "Seite1", "Seite2"}));
    }

    void pageRangeCopy_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("2 to 3") << 2 << 3 << QStringList{"Seite2", "Seite3"};
        QTest::newRow("first 0: all") << 0 << 0 << QStringList{"Seite1", "Seite2", "Seite3", "Seite4", "Seite5"};
        QTest::newRow("5 to 9") << 5 << 9 << QStringList{"Seite5"};
        QTest::newRow("first above last: none") << 4 << 2 << QStringList{};
    }
    void pageRangeCopy()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QStringList, pages);
        numbered(5).save(file(QStringLiteral("five.qrp")));
        engine::copyPageRange(file(QStringLiteral("five.qrp")), file(QStringLiteral("range.qrp")), first, last);
        const QByteArray b = bytesOf(file(QStringLiteral("range.qrp")));
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 8), quint32(pages.size()));
        if (pages.isEmpty()) {
            QCOMPARE(b.size(), Document::headerSize);
            QCOMPARE(Document::load(file(QStringLiteral("range.qrp"))).pageCount(), 0);
            return;
        }
        QCOMPARE(pageWords(Document::load(file(QStringLiteral("range.qrp"))), file(QStringLiteral("range.pdf"))),
                 pages);
    }

    // Pictures travel as their bytes: saved and loaded, merged (numbered
    // on after the pictures of the files before), cut to a page range (only
    // the pictures of the pages taken), and from a file of the earlier
    // layout with the pictures inside one record. More pictures than a
    // loaded document keeps decoded are decoded again when drawn again.
    void picturesTravelAsTheirBytes()
    {
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 128, 0);
        pictured({red, blue, red}).save(file(QStringLiteral("a.qrp")));
        pictured({green, 0}).save(file(QStringLiteral("b.qrp")));
        const Document a = Document::load(file(QStringLiteral("a.qrp")));
        QCOMPARE(a.imageCount(), 2);
        QCOMPARE(coloursOf(a), (QList<QRgb>{red, blue, red}));
        QCOMPARE(a.placements(2).first().target, QRectF(100, 100, 300, 200));

        const QStringList sources{file(QStringLiteral("a.qrp")), file(QStringLiteral("b.qrp"))};
        QCOMPARE(engine::mergeReportFiles(file(QStringLiteral("m.qrp")), &sources,
                                          Document::Durability::Temporary),
                 0);
        QCOMPARE(coloursOf(Document::load(file(QStringLiteral("m.qrp")))),
                 (QList<QRgb>{red, blue, red, green, 0}));
        engine::copyPageRange(file(QStringLiteral("m.qrp")), file(QStringLiteral("r.qrp")), 3, 5);
        const Document range = Document::load(file(QStringLiteral("r.qrp")));
        QCOMPARE(range.imageCount(), 2);
        QCOMPARE(coloursOf(range), (QList<QRgb>{red, green, 0}));
        // A loaded document saved again carries its pictures along.
        range.save(file(QStringLiteral("again.qrp")));
        QCOMPARE(coloursOf(Document::load(file(QStringLiteral("again.qrp")))), (QList<QRgb>{red, green, 0}));

        // The earlier layout: header flag 1, one record "LNRI" with the
        // count, each picture as length and bytes, then the placements.
        const QByteArray one = pictured({blue}).toBytes();
        QByteArray old = one.left(Document::headerSize);
        old[26] = 1;
        const quint32 pageLength = qFromLittleEndian<quint32>(one.constData() + Document::headerSize);
        old += one.mid(Document::headerSize, 8 + pageLength);
        QByteArray bmp;
        {
            QImage image(30, 20, QImage::Format_RGB32);
            image.fill(blue);
            QBuffer buffer(&bmp);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "BMP");
        }
        QByteArray section;
        QDataStream ds(&section, QIODevice::WriteOnly);
        ds.setByteOrder(QDataStream::LittleEndian);
        ds.writeRawData("LNRI", 4);
        ds << quint32(1) << quint32(bmp.size());
        ds.writeRawData(bmp.constData(), int(bmp.size()));
        ds << quint32(1) << qint32(0) << 50.0 << 60.0 << 300.0 << 200.0 << 0.0 << 0.0 << 0.0 << 0.0;
        old += record(section);
        const Document earlier = Document::fromBytes(old);
        QCOMPARE(coloursOf(earlier), QList<QRgb>{blue});
        QCOMPARE(earlier.placements(1).first().target, QRectF(50, 60, 300, 200));

        // Twelve pictures, each drawn twice.
        QList<QRgb> many;
        for (int i = 0; i < 12; ++i)
            many << qRgb(10 * i, 255 - 10 * i, 7 * i);
        pictured(many).save(file(QStringLiteral("many.qrp")));
        const Document loaded = Document::load(file(QStringLiteral("many.qrp")));
        QCOMPARE(coloursOf(loaded), many);
        QCOMPARE(coloursOf(loaded), many);
    }

    // A picture's record damaged in a file refuses the load, and a merge
    // from it leaves no merged file behind; a file changed under a loaded
    // document draws nothing where its pictures were, never another picture.
    void damagedPicturesAreNoticed_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("before loading") << QStringLiteral("load");
        QTest::newRow("before merging") << QStringLiteral("merge");
        QTest::newRow("after loading") << QStringLiteral("drawn");
    }
    void damagedPicturesAreNoticed()
    {
        QFETCH(QString, when);
        const QString name = file(QStringLiteral("p.qrp")), merged = file(QStringLiteral("pm.qrp"));
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
        pictured({red, blue}).save(name);
        QByteArray bytes = bytesOf(name);
        const Document before = Document::load(name);
        // The last bytes of a bitmap are pixels: the second picture's.
        bytes[bytes.size() - 5] = char(bytes.at(bytes.size() - 5) ^ 0x5A);
        writeBytes(name, bytes);
        if (when == QLatin1String("load")) {
            QVERIFY_THROWS_EXCEPTION(FileError, Document::load(name));
        } else if (when == QLatin1String("merge")) {
            const QStringList sources{name};
            QVERIFY_THROWS_EXCEPTION(FileError, engine::mergeReportFiles(merged, &sources,
                                                                         Document::Durability::Temporary));
            QVERIFY(!QFile::exists(merged));
        } else {
            QCOMPARE(coloursOf(before), (QList<QRgb>{red, 0}));
        }
    }

#ifdef Q_OS_UNIX
    // A PDF that cannot be written whole (a file size limit stands for the
    // full disk) is reported, and the file of that name stays as it was.
    void aPdfThatCannotBeWrittenWholeIsReported()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("bericht.pdf"));
        writeBytes(pdf, "alt");
        bool reported = false;
        try {
            const testsupport::FileSizeLimit limit(8192);
            engine::exportPdf(numbered(40), pdf);
        } catch (const FileError &) {
            reported = true;
        }
        QVERIFY(reported);
        QCOMPARE(bytesOf(pdf), QByteArray("alt"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("bericht.pdf")});
    }
#endif

    // Pictures go into a PDF at 300 dpi of their printed size, never
    // enlarged: photos as JPEG of the quality paper needs, drawings of few
    // colours without loss; a picture drawn on several pages is embedded
    // once; the file passes qpdf's check. A photo read as JPEG bytes (as
    // saved report files and the reports table hold them) is encoded on a
    // worker thread, with the same result.
    void pdfPicturesAtTheirPrintedPixels_data()
    {
        QTest::addColumn<bool>("asJpeg");
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<double>("widthMm");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("maxKb"); // the whole file
        const auto at300 = [](double mm) { return int(std::ceil(mm / 25.4 * 300)); };
        QTest::newRow("made: photo printed small") << false << testsupport::photo(QSize(800, 600)) << 26.1 << 1 << "jpeg" << at300(26.1) << 16;
        QTest::newRow("made: photo printed larger than 300 dpi") << false << testsupport::photo(QSize(800, 600)) << 81.0 << 1 << "jpeg" << 800 << 40;
        QTest::newRow("made: 3 megapixel photo") << false << testsupport::photo(QSize(2048, 1536)) << 81.0 << 1 << "jpeg" << at300(81.0) << 70;
        QTest::newRow("made: photo on three pages") << false << testsupport::photo(QSize(800, 600)) << 40.0 << 3 << "jpeg" << at300(40.0) << 25;
        QTest::newRow("made: drawing") << false << drawing(QSize(800, 600)) << 50.0 << 2 << "image" << at300(50.0) << 0;
        QTest::newRow("stored: photo printed small") << true << testsupport::photo(QSize(800, 600)) << 26.1 << 1 << "jpeg" << at300(26.1) << 16;
        QTest::newRow("stored: photo printed larger than 300 dpi") << true << testsupport::photo(QSize(800, 600)) << 81.0 << 1 << "jpeg" << 800 << 40;
        QTest::newRow("stored: 3 megapixel photo") << true << testsupport::photo(QSize(2048, 1536)) << 81.0 << 1 << "jpeg" << at300(81.0) << 70;
        QTest::newRow("stored: photo on three pages") << true << testsupport::photo(QSize(800, 600)) << 40.0 << 3 << "jpeg" << at300(40.0) << 25;
    }

    void pdfPicturesAtTheirPrintedPixels()
    {
        QFETCH(bool, asJpeg);
        QFETCH(QImage, picture);
        QFETCH(double, widthMm);
        QFETCH(int, pages);
        QFETCH(QString, encoding);
        QFETCH(int, width);
        QFETCH(int, maxKb);
        Document d;
        QByteArray jpeg;
        if (asJpeg) {
            QBuffer buffer(&jpeg);
            QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "JPG", 90));
        }
        const int index = asJpeg ? d.addImage(engine::StoredPicture::of(jpeg)) : d.addImage(picture);
        const QRectF box(200, 400, widthMm * 10, widthMm * 10 * picture.height() / picture.width());
        for (int n = 1; n <= pages; ++n)
            d.addPage(numberedPage(n), {{index, box, QRectF()}});
        const QString pdf = file(QStringLiteral("bilder.pdf"));
        QVERIFY(engine::exportPdf(d, pdf));
        const QList<testsupport::PdfImage> images = testsupport::pdfImages(pdf);
        QCOMPARE(images.size(), pages);
        for (const testsupport::PdfImage &image : images) {
            QCOMPARE(image.encoding, encoding);
            QVERIFY2(qAbs(image.width - width) <= 1, qPrintable(QString::number(image.width)));
            QCOMPARE(image.object, images.first().object);
        }
        if (maxKb > 0)
            QVERIFY2(QFile(pdf).size() <= maxKb * 1024, qPrintable(QString::number(QFile(pdf).size())));
        QProcess check;
        check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        QVERIFY(check.waitForFinished(60000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        QCOMPARE(pageWords(d, pdf).size(), pages); // the text stays text
    }

    // The photos are put into the file Qt wrote in place of their
    // stand-ins; a file not laid out as expected, or a stand-in without its
    // photo, is left as it was (the export then keeps Qt's pictures).
    void photosReplaceTheirStandIns_data()
    {
        QTest::addColumn<QByteArray>("from"); // changed in the file Qt wrote
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("photos");
        QTest::addColumn<bool>("put");
        QTest::newRow("as written") << QByteArray() << QByteArray() << 1 << true;
        QTest::newRow("stand-in without its photo") << QByteArray() << QByteArray() << 0 << false;
        QTest::newRow("no table") << QByteArray("startxref") << QByteArray("startxrex") << 1 << false;
        QTest::newRow("table of another layout") << QByteArray("xref\n0 ") << QByteArray("xref\n1 ") << 1 << false;
    }
    void photosReplaceTheirStandIns()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, photos);
        QFETCH(bool, put);
        QByteArray pdf;
        {
            QBuffer buffer(&pdf);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            QPainter p(&writer);
            p.setRenderHint(QPainter::LosslessImageRendering);
            p.drawImage(QRectF(100, 100, 4000, 3000), engine::pdfphotos::standIn(0));
        }
        if (!from.isEmpty())
            pdf.replace(pdf.lastIndexOf(from), from.size(), to);
        const QImage picture = testsupport::photo(QSize(400, 300));
        QVector<engine::pdfphotos::Photo> given;
        for (int i = 0; i < photos; ++i)
            given.append({engine::pdfphotos::jpegOf(picture), picture.width(), picture.height()});
        const QByteArray before = pdf;
        QCOMPARE(engine::pdfphotos::putPhotos(pdf, given), put);
        if (!put) {
            QCOMPARE(pdf, before);
            return;
        }
        const QString path = file(QStringLiteral("ersetzt.pdf"));
        writeBytes(path, pdf);
        const QList<testsupport::PdfImage> images = testsupport::pdfImages(path);
        QCOMPARE(images.size(), 1);
        QCOMPARE(images.first().encoding, QStringLiteral("jpeg"));
        QCOMPARE(images.first().width, 400);
        QProcess check;
        check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
        QVERIFY(check.waitForFinished(60000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
    }

    // A cancelled export stops before the next page and leaves the target
    // as it was: no file, or the old one unchanged; nothing beside it.
    void cancellingAnExportLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QByteArray>("before"); // empty: no file
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("new file, at once") << QByteArray() << 1;
        QTest::newRow("new file, at page 4") << QByteArray() << 4;
        QTest::newRow("old file, at page 5") << QByteArray("alt") << 5;
    }
    void cancellingAnExportLeavesTheFileAsItWas()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, cancelAt);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("bericht.pdf"));
        if (!before.isEmpty())
            writeBytes(pdf, before);
        Document d = numbered(5);
        const int index = d.addImage(testsupport::photo(QSize(400, 300)));
        d.addPage(numberedPage(6), {{index, QRectF(200, 400, 800, 600), QRectF()}});
        QList<int> told;
        const bool done = engine::exportPdf(d, pdf, [&](int page, int pages) {
            told << page;
            return !(page == cancelAt && pages == 6);
        });
        QVERIFY(!done);
        QCOMPARE(told.size(), cancelAt);
        QCOMPARE(told.last(), cancelAt);
        QCOMPARE(QFile::exists(pdf), !before.isEmpty());
        if (!before.isEmpty())
            QCOMPARE(bytesOf(pdf), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 before.isEmpty() ? QStringList() : QStringList{QStringLiteral("bericht.pdf")});
        // Not cancelled, every page is told once and the file is written.
        told.clear();
        QVERIFY(engine::exportPdf(d, pdf, [&](int page, int) {
            told << page;
            return true;
        }));
        QCOMPARE(told, QList<int>({1, 2, 3, 4, 5, 6}));
        QCOMPARE(testsupport::readPdf(pdf).pages, 6);
    }

    // A long export is drawn on several threads and joined: the same pages
    // in the same order as on one thread, with the numbers drawn over them
    // counted through the whole book, each photo a JPEG of its own, and a
    // file qpdf accepts; an archival file stays archival. Cancelled on the
    // way, no file is left; a part whose page count changed is reported.
    void longExportsOnSeveralThreads_data()
    {
        QTest::addColumn<int>("workers");
        QTest::addColumn<int>("parts"); // of five pages each
        QTest::addColumn<bool>("archival");
        QTest::addColumn<int>("cancelAt");  // 0: never
        QTest::addColumn<int>("wrongPart"); // -1: none
        QTest::newRow("one document, three workers") << 3 << 1 << false << 0 << -1;
        QTest::newRow("four parts, two workers, archival") << 2 << 4 << true << 0 << -1;
        QTest::newRow("more workers than parts") << 6 << 2 << false << 0 << -1;
        QTest::newRow("cancelled") << 3 << 4 << false << 7 << -1;
        QTest::newRow("a part changed meanwhile") << 3 << 4 << false << 0 << 2;
    }
    void longExportsOnSeveralThreads()
    {
        QFETCH(int, workers);
        QFETCH(int, parts);
        QFETCH(bool, archival);
        QFETCH(int, cancelAt);
        QFETCH(int, wrongPart);
        const auto restore = qScopeGuard([] { engine::pdfbook::setWorkers(0, 24); });
        QByteArray jpeg;
        {
            QBuffer buffer(&jpeg);
            QVERIFY(buffer.open(QIODevice::WriteOnly) && testsupport::photo(QSize(400, 300)).save(&buffer, "JPG", 90));
        }
        engine::PdfBook book;
        book.properties.title = QStringLiteral("Ausbildungsnachweis");
        book.properties.archival = archival;
        for (int part = 0; part < parts; ++part) {
            // A photo on every second page, a drawing beside it on the last.
            Document shown;
            const int photo = shown.addImage(engine::StoredPicture::of(jpeg));
            const int drawn = shown.addImage(drawing(QSize(200, 150)));
            const engine::Placement photoBox{photo, QRectF(200, 400, 400, 300), QRectF()};
            for (int n = 1; n <= 5; ++n)
                shown.addPage(numberedPage(5 * part + n),
                              n % 2 ? QVector<engine::Placement>{photoBox} : QVector<engine::Placement>{});
            shown.addPage(numberedPage(0), {photoBox, {drawn, QRectF(200, 800, 400, 300), QRectF()}});
            const int pages = part == wrongPart ? 5 : 6;
            book.parts.push_back({6, [shown, pages] { return pages == 6 ? shown : numbered(pages); }});
            book.outline.append({QStringLiteral("Teil %1").arg(part + 1), 6 * part + 1, {}});
        }
        book.overPage = [](QPainter &p, int page, int pages) {
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(25);
            p.setFont(font);
            p.drawText(QPointF(1000, 2900), QStringLiteral("Nr%1von%2").arg(page).arg(pages));
        };
        const QString one = file(QStringLiteral("eins.pdf")), many = file(QStringLiteral("viele.pdf"));
        QFile::remove(many);
        engine::pdfbook::setWorkers(1, 1);
        if (wrongPart < 0)
            QVERIFY(engine::exportPdf(book, one));
        engine::pdfbook::setWorkers(workers, 1);
        QList<int> told;
        const auto progress = [&](int page, int) {
            told << page;
            return page < cancelAt || cancelAt == 0;
        };
        if (wrongPart >= 0) {
            QVERIFY_THROWS_EXCEPTION(FileError, engine::exportPdf(book, many, progress));
            QVERIFY(!QFile::exists(many));
            return;
        }
        if (cancelAt > 0) {
            QVERIFY(!engine::exportPdf(book, many, progress));
            QVERIFY(!QFile::exists(many));
            return;
        }
        QVERIFY(engine::exportPdf(book, many, progress));
        QVERIFY(!told.isEmpty() && std::is_sorted(told.cbegin(), told.cend()) && told.last() <= 6 * parts);
        const QStringList texts = testsupport::readPdf(many).pageTexts();
        QCOMPARE(texts, testsupport::readPdf(one).pageTexts());
        QCOMPARE(texts.size(), 6 * parts);
        for (int n = 1; n <= texts.size(); ++n)
            QVERIFY2(texts.at(n - 1).contains(QStringLiteral("Nr%1von%2").arg(n).arg(6 * parts)), qPrintable(texts.at(n - 1)));
        const QList<testsupport::PdfImage> images = testsupport::pdfImages(many), alone = testsupport::pdfImages(one);
        QCOMPARE(images.size(), alone.size());
        for (qsizetype i = 0; i < images.size(); ++i) {
            QCOMPARE(images.at(i).page, alone.at(i).page);
            QCOMPARE(images.at(i).encoding, alone.at(i).encoding);
        }
        QProcess check;
        check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), many});
        QVERIFY(check.waitForFinished(60000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {many});
        QVERIFY(info.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(info.readAllStandardOutput()).contains(QLatin1String("PDF/A-1b")), archival);
    }

    // Files Qt wrote are joined with their pages in turn; a file not laid
    // out as expected is refused and nothing is joined.
    void joiningFiles_data()
    {
        QTest::addColumn<QList<int>>("pages"); // of each file
        QTest::addColumn<QByteArray>("damage"); // in the last file
        QTest::addColumn<bool>("joined");
        QTest::newRow("one file") << QList<int>{3} << QByteArray() << true;
        QTest::newRow("three files") << QList<int>{2, 1, 3} << QByteArray() << true;
        QTest::newRow("a file without its table") << QList<int>{2, 2} << QByteArray("startxref") << false;
        QTest::newRow("a file without its page tree") << QList<int>{2, 2} << QByteArray("/Kids") << false;
    }
    void joiningFiles()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QByteArray, damage);
        QFETCH(bool, joined);
        std::vector<QByteArray> files;
        QStringList expected;
        int first = 1;
        for (int count : pages) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            QPainter p(&writer);
            for (int n = first; n < first + count; ++n) {
                if (n > first)
                    writer.newPage();
                p.setFont(QFont(QStringLiteral("Arial"), 24));
                p.drawText(QPointF(500, 500), QStringLiteral("Seite%1").arg(n));
                p.drawImage(QRectF(500, 1000, 400, 300), testsupport::photo(QSize(40, 30)));
                expected << QStringLiteral("Seite%1").arg(n);
            }
            p.end();
            files.push_back(bytes);
            first += count;
        }
        if (!damage.isEmpty())
            files.back().replace(files.back().lastIndexOf(damage), 3, "xyz");
        QByteArray out("unverändert");
        QCOMPARE(engine::pdfobjects::join(files, out), joined);
        if (!joined) {
            QCOMPARE(out, QByteArray("unverändert"));
            return;
        }
        const QString pdf = file(QStringLiteral("gesamt.pdf"));
        writeBytes(pdf, out);
        QCOMPARE(testsupport::readPdf(pdf).pageTexts(), expected);
        QCOMPARE(testsupport::pdfImages(pdf).size(), expected.size());
        QProcess check;
        check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        QVERIFY(check.waitForFinished(60000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
    }

    void pdfKeepsPositions()
    {
        const Document d = numbered(1);
        engine::exportPdf(d, file(QStringLiteral("pos.pdf")));
        const testsupport::PdfText pdf = testsupport::readPdf(file(QStringLiteral("pos.pdf")));
        QCOMPARE(pdf.pages, 1);
        const testsupport::PdfWord w = pdf.word(QStringLiteral("Seite1"));
        // The word starts at x 20 mm; its baseline is at 30 mm, so its box
        // ends a little below and starts about a cap height above.
        QVERIFY2(qAbs(w.box.left() - 20.0) < 0.3, qPrintable(QString::number(w.box.left())));
        QVERIFY2(w.box.bottom() > 30.0 && w.box.bottom() < 32.5, qPrintable(QString::number(w.box.bottom())));
        QVERIFY2(w.box.top() > 20.0 && w.box.top() < 23.0, qPrintable(QString::number(w.box.top())));
    }

    // Pictures are saved compressed: a photo stored as a bitmap as JPEG, no
    // larger than it prints at 300 dpi and never enlarged; a small one, one
    // made in the program and one in PNG losslessly. At print size each
    // comes back as it went in, and the file is smaller than the bitmap.
    void picturesAreSavedCompressed_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QString>("given"); // bmp, png or made
        QTest::addColumn<QRectF>("placed"); // 0.1 mm
        QTest::addColumn<QString>("stored"); // jpeg or png
        QTest::addColumn<QSize>("storedPixels");
        QTest::addColumn<double>("shrinks"); // the file at most this part of the bitmap
        // 40 x 30 mm at 300 dpi: 473 x 355 pixels.
        QTest::newRow("large photo, scaled to print size")
            << QSize(1600, 1200) << "bmp" << QRectF(100, 100, 400, 300) << "jpeg" << QSize(473, 355) << 0.05;
        QTest::newRow("photo a little above print size stays")
            << QSize(520, 390) << "bmp" << QRectF(100, 100, 400, 300) << "jpeg" << QSize(520, 390) << 0.25;
        QTest::newRow("photo below print size, not enlarged")
            << QSize(800, 600) << "bmp" << QRectF(0, 0, 1000, 750) << "jpeg" << QSize(800, 600) << 0.25;
        QTest::newRow("small bitmap, lossless")
            << QSize(120, 90) << "bmp" << QRectF(100, 100, 400, 300) << "png" << QSize(120, 90) << 1.0;
        QTest::newRow("made in the program, lossless, to print size")
            << QSize(1600, 1200) << "made" << QRectF(100, 100, 400, 300) << "png" << QSize(473, 355) << 0.5;
        QTest::newRow("PNG kept as it is")
            << QSize(300, 200) << "png" << QRectF(100, 100, 60, 40) << "png" << QSize(300, 200) << 0.9;
    }
    void picturesAreSavedCompressed()
    {
        QFETCH(QSize, pixels);
        QFETCH(QString, given);
        QFETCH(QRectF, placed);
        QFETCH(QString, stored);
        QFETCH(QSize, storedPixels);
        QFETCH(double, shrinks);
        const QImage original = photo(pixels);
        Document d;
        const int index = given == QLatin1String("made")
                              ? d.addImage(original)
                              : d.addImage(QImage(), fileBytes(original, given == QLatin1String("bmp") ? "BMP" : "PNG"));
        d.addPage(numberedPage(1), {{index, placed, QRectF()}});
        const QString name = file(QStringLiteral("c.qrp"));
        d.save(name);
        const QByteArray bytes = bytesOf(name);
        QVERIFY2(bytes.size() < fileBytes(original, "BMP").size() * shrinks, qPrintable(QString::number(bytes.size())));
        QCOMPARE(bytes.contains("\xFF\xD8\xFF"), stored == QLatin1String("jpeg"));
        QCOMPARE(bytes.contains("\x89PNG"), stored == QLatin1String("png"));

        const Document loaded = Document::load(name);
        QCOMPARE(loaded.imageCount(), 1);
        QCOMPARE(loaded.image(0).size(), storedPixels);
        // At its printed size the picture looks as before.
        const QSize print = storedPixels.boundedTo(pixels);
        const QImage back = loaded.image(0).scaled(print, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage expected = original.scaled(print, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double difference = meanDifference(back, expected);
        QVERIFY2(difference < (stored == QLatin1String("jpeg") ? 3.0 : 1.0), qPrintable(QString::number(difference)));
        // Saved again, a loaded picture is copied, not compressed again.
        loaded.save(file(QStringLiteral("again.qrp")));
        QCOMPARE(bytesOf(file(QStringLiteral("again.qrp"))).mid(Document::headerSize),
                 bytes.mid(Document::headerSize));
    }

    // Files in which an earlier version stored pictures as bitmaps, each in
    // a record of its own (layout 2) or all inside the placements' record
    // (layout 1), load with their pictures.
    void filesWithBitmapsStillLoad_data()
    {
        QTest::addColumn<int>("layout");
        QTest::newRow("records of their own") << 2;
        QTest::newRow("inside the placements") << 1;
    }
    void filesWithBitmapsStillLoad()
    {
        QFETCH(int, layout);
        const QImage picture = photo(QSize(640, 480));
        const QByteArray bmp = fileBytes(picture, "BMP");
        const QByteArray page = numbered(1).toBytes().mid(Document::headerSize);
        QByteArray old = numbered(1).toBytes().left(Document::headerSize);
        old[26] = char(layout);
        old += page;
        QByteArray section;
        QDataStream ds(&section, QIODevice::WriteOnly);
        ds.setByteOrder(QDataStream::LittleEndian);
        ds.writeRawData("LNRI", 4);
        ds << quint32(1);
        if (layout == 1) {
            ds << quint32(bmp.size());
            ds.writeRawData(bmp.constData(), int(bmp.size()));
        }
        ds << quint32(1) << qint32(0) << 100.0 << 100.0 << 400.0 << 300.0 << 0.0 << 0.0 << 0.0 << 0.0;
        old += record(section);
        if (layout == 2)
            old += record(bmp);
        writeBytes(file(QStringLiteral("old.qrp")), old);
        const Document loaded = Document::load(file(QStringLiteral("old.qrp")));
        QCOMPARE(loaded.pageCount(), 1);
        QCOMPARE(loaded.image(0), picture.convertToFormat(loaded.image(0).format()));
        // Merged with a file of today, both keep their pictures.
        pictured({qRgb(0, 0, 255)}).save(file(QStringLiteral("new.qrp")));
        const QStringList sources{file(QStringLiteral("old.qrp")), file(QStringLiteral("new.qrp"))};
        QCOMPARE(engine::mergeReportFiles(file(QStringLiteral("both.qrp")), &sources), 0);
        const Document both = Document::load(file(QStringLiteral("both.qrp")));
        QCOMPARE(both.image(both.placements(1).first().image), loaded.image(0));
        QCOMPARE(coloursOf(both).last(), qRgb(0, 0, 255));
    }

    // The merged file holds the pages of its sources in list order, each
    // with its own picture, however many pages each source has.
    void mergedPagesKeepTheirOrder_data()
    {
        QTest::addColumn<QList<int>>("pagesPerFile");
        QTest::newRow("one file") << QList<int>{3};
        QTest::newRow("sheets of one page") << QList<int>{1, 1, 1, 1};
        QTest::newRow("mixed") << QList<int>{2, 1, 4, 1};
    }
    void mergedPagesKeepTheirOrder()
    {
        QFETCH(QList<int>, pagesPerFile);
        QStringList sources;
        QList<QRgb> expected;
        for (int f = 0; f < pagesPerFile.size(); ++f) {
            QList<QRgb> colours;
            for (int p = 0; p < pagesPerFile.at(f); ++p)
                colours << qRgb(20 * f + 1, 30 * p + 2, 200);
            sources << file(QStringLiteral("s%1.qrp").arg(f));
            pictured(colours).save(sources.last(), Document::Durability::Temporary);
            expected += colours;
        }
        QCOMPARE(engine::mergeReportFiles(file(QStringLiteral("alle.qrp")), &sources,
                                          Document::Durability::Temporary),
                 0);
        const Document merged = Document::load(file(QStringLiteral("alle.qrp")));
        QCOMPARE(merged.pageCount(), int(expected.size()));
        QCOMPARE(coloursOf(merged), expected);
    }

    // On the screen a picture is drawn from a copy at the pixels it covers,
    // never from its whole image, and looks as drawn from the whole image.
    void screenPicturesAreScaledCopies_data()
    {
        QTest::addColumn<int>("width"); // of the page in pixels
        QTest::newRow("small") << 300;
        QTest::newRow("preview") << 460;
        QTest::newRow("large") << 1200;
    }
    void screenPicturesAreScaledCopies()
    {
        QFETCH(int, width);
        Document d;
        const QImage original = photo(QSize(1600, 1200), false);
        d.addPage(numberedPage(1), {{d.addImage(QImage(), fileBytes(original, "JPEG")), QRectF(100, 100, 800, 600),
                                     QRectF()}});
        d.save(file(QStringLiteral("s.qrp")));
        const Document loaded = Document::load(file(QStringLiteral("s.qrp")));
        const QSize pageSize(width, qRound(width * 297.0 / 210.0));
        QImage screen(pageSize, QImage::Format_RGB32), print(pageSize, QImage::Format_RGB32);
        screen.fill(Qt::white);
        print.fill(Qt::white);
        {
            QPainter p(&screen);
            loaded.paint(p, 1, screen.rect(), Document::Output::Screen);
            QPainter q(&print);
            q.setRenderHint(QPainter::SmoothPixmapTransform);
            loaded.paint(q, 1, print.rect(), Document::Output::Print);
        }
        // 80 x 60 mm of the page's 210 mm.
        const QSize covered(qRound(width * 80.0 / 210.0), qRound(width * 80.0 / 210.0 * 0.75));
        const QImage copy = loaded.screenImage(0, covered);
        QCOMPARE(copy.size(), covered.boundedTo(original.size()));
        const double difference = meanDifference(screen, print);
        QVERIFY2(difference < 2.0, qPrintable(QString::number(difference)));
    }

    void pagesDrawAtAnyResolution_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::newRow("96") << 96;
        QTest::newRow("150") << 150;
        QTest::newRow("300") << 300;
    }
    void pagesDrawAtAnyResolution()
    {
        QFETCH(int, dpi);
        // The frame 10 mm in from the page's left edge lands 10 mm in, on
        // images of any resolution.
        const int w = qRound(210 / 25.4 * dpi), h = qRound(297 / 25.4 * dpi);
        QImage img(w, h, QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(dpi / 0.0254));
        img.setDotsPerMeterY(qRound(dpi / 0.0254));
        img.fill(Qt::white);
        QPainter p(&img);
        numbered(1).paint(p, 1, img.rect());
        p.end();
        const int y = h / 2;
        int firstDark = -1;
        for (int x = 0; x < w / 4 && firstDark < 0; ++x)
            if (qGray(img.pixel(x, y)) < 128)
                firstDark = x;
        const double mm = firstDark * 25.4 / dpi;
        QVERIFY2(qAbs(mm - 10.0) < 0.4, qPrintable(QStringLiteral("%1 mm at %2 dpi").arg(mm).arg(dpi)));
    }
};

QTEST_MAIN(TestDocument)
#include "test_document.moc"
