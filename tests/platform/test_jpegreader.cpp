// The JPEG reader on its own: the orientation tag in both byte orders,
// grayscale and CMYK files, a picture refused from its header alone, and
// damaged files refused instead of shown half grey.

#include "platform/jpegreader.h"
#include "testjpeg.h"

#include <QtTest>

using platform::JpegPicture;
using testsupport::JpegColors;

namespace {

// 64 x 32, white with a 16 x 16 block of `block` in the top left corner.
QImage marked(QRgb block = qRgb(255, 0, 0))
{
    QImage picture(64, 32, QImage::Format_RGB888);
    picture.fill(Qt::white);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            picture.setPixel(x, y, block);
    return picture;
}

JpegPicture read(const QByteArray &bytes, qint64 limit = 3'100'000)
{
    return platform::readJpeg(bytes.constData(), bytes.size(), limit);
}

int distance(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

} // namespace

class TestJpegReader : public QObject
{
    Q_OBJECT
private slots:
    void orientationAndColors_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<JpegColors>("colors");
        QTest::addColumn<QColor>("shown"); // the block's colour as shown
        QTest::addColumn<QPoint>("corner"); // where it shows: 0/1 = left/right, top/bottom
        const QColor block(200, 40, 90);
        QTest::newRow("1 as taken") << 1 << false << JpegColors::Rgb << block << QPoint(0, 0);
        QTest::newRow("2 mirrored") << 2 << false << JpegColors::Rgb << block << QPoint(1, 0);
        QTest::newRow("3 upside down") << 3 << true << JpegColors::Rgb << block << QPoint(1, 1);
        QTest::newRow("4 flipped") << 4 << false << JpegColors::Rgb << block << QPoint(0, 1);
        QTest::newRow("5 transposed") << 5 << true << JpegColors::Rgb << block << QPoint(0, 0);
        QTest::newRow("6 turned right") << 6 << false << JpegColors::Rgb << block << QPoint(1, 0);
        QTest::newRow("7 transversed") << 7 << false << JpegColors::Rgb << block << QPoint(1, 1);
        QTest::newRow("8 turned left") << 8 << true << JpegColors::Rgb << block << QPoint(0, 1);
        QTest::newRow("9 is none") << 9 << false << JpegColors::Rgb << block << QPoint(0, 0);
        QTest::newRow("gray") << 1 << false << JpegColors::Gray << QColor(200, 200, 200) << QPoint(0, 0);
        QTest::newRow("CMYK, inverted inks") << 6 << true << JpegColors::Cmyk << block << QPoint(1, 0);
    }
    void orientationAndColors()
    {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        QFETCH(JpegColors, colors);
        QFETCH(QColor, shown);
        QFETCH(QPoint, corner);
        const QByteArray jpeg = testsupport::jpegOf(marked(qRgb(200, 40, 90)), colors);
        const JpegPicture p = read(testsupport::withOrientation(jpeg, orientation, bigEndian));
        QCOMPARE(p.status, JpegPicture::Status::Ok);
        const QSize size = orientation >= 5 && orientation <= 8 ? QSize(32, 64) : QSize(64, 32);
        QCOMPARE(p.image.size(), size);
        QCOMPARE(p.size, size);
        for (const QPoint at : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
            const QColor c = p.image.pixelColor(at.x() ? size.width() - 8 : 7, at.y() ? size.height() - 8 : 7);
            QVERIFY2(distance(c, at == corner ? shown : QColor(Qt::white)) < 20, qPrintable(c.name()));
        }
    }

    // Damaged files are refused, not shown half grey; a picture above the
    // limit is refused from its header, before its (here cut-off) scans.
    void refused_data()
    {
        const QByteArray good = testsupport::jpegOf(marked());
        const qsizetype scan = good.indexOf("\xff\xda");
        QByteArray huge = testsupport::withOrientation(good, 6);
        const qsizetype sof = huge.indexOf("\xff\xc0");
        huge[sof + 5] = char(12000 >> 8), huge[sof + 6] = char(12000 & 0xff);
        huge[sof + 7] = char(16000 >> 8), huge[sof + 8] = char(16000 & 0xff);
        huge.truncate(huge.indexOf("\xff\xda") + 20);
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<JpegPicture::Status>("status");
        QTest::addColumn<QSize>("size");
        const auto damaged = JpegPicture::Status::Damaged;
        QTest::newRow("no JPEG") << QByteArray("\x89PNG\r\n\x1a\n........", 16) << damaged << QSize();
        QTest::newRow("cut in the header") << good.left(scan - 10) << damaged << QSize();
        QTest::newRow("cut in the scan") << good.left((scan + good.size()) / 2) << damaged << QSize(64, 32);
        QTest::newRow("no end marker") << good.left(good.size() - 2) << damaged << QSize(64, 32);
        QTest::newRow("garbled scan") << good.left(scan + 20) + QByteArray(good.size() - scan - 22, char(0xff)) +
                                             good.right(2)
                                      << damaged << QSize(64, 32);
        QTest::newRow("16000 x 12000, turned") << huge << JpegPicture::Status::TooLarge << QSize(12000, 16000);
    }
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(JpegPicture::Status, status);
        QFETCH(QSize, size);
        const JpegPicture p = read(bytes);
        QCOMPARE(p.status, status);
        QCOMPARE(p.size, size);
        QVERIFY(p.image.isNull());
    }

    // A segment that ends one byte into its only entry, followed in memory
    // by the rest of an orientation entry (found by fuzz_jpeg).
    void exifEntryCutOff()
    {
        const QByteArray cut("Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 28);
        const auto *data = reinterpret_cast<const unsigned char *>(cut.constData());
        QCOMPARE(platform::exifOrientation(data, 28), 6);
        QCOMPARE(platform::exifOrientation(data, 17), 1);
    }
};

QTEST_GUILESS_MAIN(TestJpegReader)
#include "test_jpegreader.moc"
