// The JPEG reader on its own: the orientation tag in both byte orders,
// grayscale and CMYK files, a picture refused from its header, and damaged
// files that end in a refusal instead of a half-grey picture or a crash.

#include "platform/jpegreader.h"
#include "testjpeg.h"

#include <QtTest>

using platform::JpegPicture;
using testsupport::JpegColors;

namespace {

// 64 x 32, white with a red block in the top left corner.
QImage marked()
{
    QImage picture(64, 32, QImage::Format_RGB888);
    picture.fill(Qt::white);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            picture.setPixelColor(x, y, Qt::red);
    return picture;
}

JpegPicture read(const QByteArray &bytes, qint64 limit = 3'100'000)
{
    return platform::readJpeg(bytes.constData(), bytes.size(), limit);
}

bool isRed(const QColor &c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

} // namespace

class TestJpegReader : public QObject
{
    Q_OBJECT
private slots:
    void orientation_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("redCorner"); // 0 or 1 for left/right, top/bottom
        QTest::newRow("1 as taken") << 1 << false << QSize(64, 32) << QPoint(0, 0);
        QTest::newRow("2 mirrored") << 2 << false << QSize(64, 32) << QPoint(1, 0);
        QTest::newRow("3 upside down") << 3 << true << QSize(64, 32) << QPoint(1, 1);
        QTest::newRow("4 flipped") << 4 << false << QSize(64, 32) << QPoint(0, 1);
        QTest::newRow("5 transposed") << 5 << true << QSize(32, 64) << QPoint(0, 0);
        QTest::newRow("6 turned right") << 6 << false << QSize(32, 64) << QPoint(1, 0);
        QTest::newRow("6 big-endian") << 6 << true << QSize(32, 64) << QPoint(1, 0);
        QTest::newRow("7 transversed") << 7 << false << QSize(32, 64) << QPoint(1, 1);
        QTest::newRow("8 turned left") << 8 << true << QSize(32, 64) << QPoint(0, 1);
        QTest::newRow("9 is no orientation") << 9 << false << QSize(64, 32) << QPoint(0, 0);
    }
    void orientation()
    {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        QFETCH(QSize, size);
        QFETCH(QPoint, redCorner);
        const JpegPicture p = read(testsupport::withOrientation(testsupport::jpegOf(marked()), orientation, bigEndian));
        QCOMPARE(p.status, JpegPicture::Status::Ok);
        QCOMPARE(p.image.size(), size);
        QCOMPARE(p.size, size);
        for (int cy = 0; cy < 2; ++cy)
            for (int cx = 0; cx < 2; ++cx) {
                const QColor c = p.image.pixelColor(cx ? size.width() - 8 : 7, cy ? size.height() - 8 : 7);
                QCOMPARE(isRed(c), QPoint(cx, cy) == redCorner);
            }
    }

    void colorSpaces_data()
    {
        QTest::addColumn<int>("colors");
        QTest::addColumn<QColor>("block");
        QTest::newRow("gray") << int(JpegColors::Gray) << QColor(85, 85, 85); // (255 + 0 + 0) / 3
        QTest::newRow("inverted CMYK") << int(JpegColors::Cmyk) << QColor(Qt::red);
    }
    void colorSpaces()
    {
        QFETCH(int, colors);
        QFETCH(QColor, block);
        const JpegPicture p = read(testsupport::jpegOf(marked(), JpegColors(colors)));
        QCOMPARE(p.status, JpegPicture::Status::Ok);
        QCOMPARE(p.image.format(), QImage::Format_RGB888);
        const QColor c = p.image.pixelColor(7, 7), white = p.image.pixelColor(50, 20);
        QVERIFY2(std::abs(c.red() - block.red()) + std::abs(c.green() - block.green()) +
                         std::abs(c.blue() - block.blue()) < 30,
                 qPrintable(c.name()));
        QVERIFY(white.red() > 245 && white.green() > 245 && white.blue() > 245);
    }

    // A header of 16000 x 12000 pixels over scan data that is cut off: the
    // refusal comes from the header, without decoding anything.
    void tooLargeFromTheHeader()
    {
        QByteArray bytes = testsupport::withOrientation(testsupport::jpegOf(marked()), 6);
        const qsizetype sof = bytes.indexOf("\xff\xc0");
        QVERIFY(sof > 0);
        bytes[sof + 5] = char(12000 >> 8), bytes[sof + 6] = char(12000 & 0xff);
        bytes[sof + 7] = char(16000 >> 8), bytes[sof + 8] = char(16000 & 0xff);
        bytes.truncate(bytes.indexOf("\xff\xda") + 20);
        const JpegPicture p = read(bytes);
        QCOMPARE(p.status, JpegPicture::Status::TooLarge);
        QCOMPARE(p.size, QSize(12000, 16000)); // turned by the orientation
        QVERIFY(p.image.isNull());
        QCOMPARE(read(testsupport::jpegOf(marked()), 64 * 32).status, JpegPicture::Status::Ok);
        QCOMPARE(read(testsupport::jpegOf(marked()), 64 * 32 - 1).status, JpegPicture::Status::TooLarge);
    }

    void damaged_data()
    {
        const QByteArray good = testsupport::jpegOf(marked());
        const qsizetype scan = good.indexOf("\xff\xda");
        QByteArray garbled = good;
        for (qsizetype i = scan + 20; i < good.size() - 2; ++i)
            garbled[i] = char(0xff); // a marker where the codes go on
        QByteArray noEnd = good;
        noEnd.chop(2);
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no JPEG") << QByteArray("\x89PNG\r\n\x1a\n........", 16);
        QTest::newRow("cut in the header") << good.left(scan - 10);
        QTest::newRow("cut in the scan") << good.left((scan + good.size()) / 2);
        QTest::newRow("no end marker") << noEnd;
        QTest::newRow("garbled scan") << garbled;
    }
    void damaged()
    {
        QFETCH(QByteArray, bytes);
        const JpegPicture p = read(bytes);
        QCOMPARE(p.status, JpegPicture::Status::Damaged);
        QVERIFY(p.image.isNull());
    }

    // Entries that point outside the segment are no orientation.
    void exifOutOfBounds()
    {
        const QByteArray jpeg = testsupport::withOrientation(QByteArray("\xff\xd8", 2), 6);
        const QByteArray payload = jpeg.mid(6); // "Exif\0\0" + TIFF
        const auto orientation = [](const QByteArray &b) {
            return platform::exifOrientation(reinterpret_cast<const unsigned char *>(b.constData()), size_t(b.size()));
        };
        QCOMPARE(orientation(payload), 6);
        QCOMPARE(orientation(payload.left(payload.size() - 5)), 1); // the entry is cut
        QByteArray farIfd = payload;
        farIfd[10] = char(0xf0); // IFD offset beyond the end
        QCOMPARE(orientation(farIfd), 1);
        QByteArray manyEntries = payload;
        manyEntries[14] = char(0xff), manyEntries[15] = char(0xff); // 65535 entries, one present
        QCOMPARE(orientation(manyEntries), 6);
        manyEntries[16] = 0; // the one entry is another tag: the rest lies outside
        QCOMPARE(orientation(manyEntries), 1);
        // A segment that ends one byte into its only entry, followed in
        // memory by the rest of an orientation entry (found by fuzz_jpeg).
        const QByteArray cut("Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 28);
        QCOMPARE(platform::exifOrientation(reinterpret_cast<const unsigned char *>(cut.constData()), 17), 1);
    }
};

QTEST_GUILESS_MAIN(TestJpegReader)
#include "test_jpegreader.moc"
