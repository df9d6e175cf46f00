// The pictures of a report through the editor's page "Rücks. Bild": loading
// with the pixel limit, JPEG files turned upright, the size figures, the
// stored bitmap, a cancelled dialog and files that cannot be read.

#include "editorfixture.h"

#include "platform/filedialog.h"
#include "testjpeg.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QSlider>
#include <QSplitter>
#include <QTemporaryDir>

using testsupport::EditorFixture;

namespace {

const QString tooLarge =
    QStringLiteral("Die Grafik ist mit 3 Megapixeln im Ausgangsformat zu groß und kann nicht geladen werden.");

QByteArray encoded(const QImage &picture, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

QImage gradient(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, 90));
    return picture;
}

QLabel *label(Tberichtdlg &d, const QString &name)
{
    return d.findChild<QLabel *>(name);
}

void verifyBitmap(const QByteArray &bytes, const QSize &size)
{
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(quint8(bytes[28]) | quint8(bytes[29]) << 8, 24); // bits per pixel
    QCOMPARE(quint8(bytes[30]), quint8(0));                   // uncompressed
    QCOMPARE(QImage::fromData(bytes).size(), size);
}

} // namespace

class TestReportPictures : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;
    std::unique_ptr<QTemporaryDir> files;
    QByteArray oldPicture; // 160 x 120, stored before the editor opens

    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile out(files->filePath(name));
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return out.fileName();
    }

    // A stored report with `oldPicture` as picture 1 at `zoom`, opened on
    // the picture page.
    void open(int zoom, const std::function<void(Tberichtdlg &)> &edit)
    {
        f->start(1);
        f->createAndConfirm({29});
        store::Table &rep = f->tables().berichttable();
        rep.edit();
        rep.setValue(QStringLiteral("Bild1"), oldPicture);
        rep.setValue(QStringLiteral("Zoom1"), zoom);
        rep.post();
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            d.seiten()->setCurrentIndex(2);
            edit(d);
            d.accept();
        });
    }
    void load(Tberichtdlg &d, int picture, const QString &path)
    {
        platform::setNextOpenFileName(path);
        d.findChild<QPushButton *>(picture == 0 ? "bild1ladenbtn" : "bild2ladenbtn")->click();
    }
    QByteArray stored(const char *field) const
    {
        return f->sql(QStringLiteral("SELECT %1 FROM bericht").arg(QLatin1String(field))).toByteArray();
    }

private slots:
    void init()
    {
        f = std::make_unique<EditorFixture>();
        files = std::make_unique<QTemporaryDir>();
        oldPicture = encoded(gradient(160, 120), "BMP");
    }
    void cleanup()
    {
        platform::clearNextOpenFileNames();
        f.reset();
    }

    void loading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("upright");
        QTest::addColumn<bool>("loads");
        const auto jpeg = [](int w, int h) { return testsupport::jpegOf(gradient(w, h), {}, 80); };
        QImage clear(300, 200, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QTest::newRow("JPEG of 3,100,000 pixels") << QStringLiteral("a.jpg") << jpeg(2000, 1550) << QSize(2000, 1550) << true;
        QTest::newRow("JPEG of one line more") << QStringLiteral("b.JPEG") << jpeg(2000, 1551) << QSize(2000, 1551) << false;
        QTest::newRow("bitmap of one line more")
            << QStringLiteral("c.bmp") << encoded(gradient(2000, 1551), "BMP") << QSize(2000, 1551) << false;
        QTest::newRow("PNG with transparency")
            << QStringLiteral("d.png") << encoded(clear, "PNG") << QSize(300, 200) << true;
        QTest::newRow("phone photo turned right")
            << QStringLiteral("e.jpg") << testsupport::withOrientation(jpeg(1200, 800), 6) << QSize(800, 1200) << true;
        QTest::newRow("icon") << QStringLiteral("f.ico") << encoded(gradient(48, 48), "ICO") << QSize(48, 48) << true;
    }
    // Loaded or refused, the slider goes to 50: the picture shown is 450
    // pixels wide and its figure is width x height x 3.
    void loading()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, upright);
        QFETCH(bool, loads);
        const QString path = file(name, bytes);
        const QSize shown = loads ? upright : QSize(160, 120);
        open(100, [&](Tberichtdlg &d) {
            QCOMPARE(label(d, "DBImage1")->width(), 900);
            load(d, 0, path);
            QCOMPARE(d.TrackBar1()->value(), 50);
            QCOMPARE(label(d, "groesse1")->text(), QStringLiteral("50"));
            QCOMPARE(label(d, "DBImage1")->size(),
                     QSize(450, int(std::nearbyint(450.0 * shown.height() / shown.width()))));
            QCOMPARE(label(d, "bildgroessenlabel1")->text(), QString::number(qint64(shown.width()) * shown.height() * 3));
            QCOMPARE(f->messages().shown(), loads ? QStringList() : QStringList{tooLarge});
        });
        if (loads)
            verifyBitmap(stored("Bild1"), upright);
        else
            QCOMPARE(stored("Bild1"), oldPicture);
        QCOMPARE(f->sql(QStringLiteral("SELECT Zoom1 FROM bericht")).toInt(), 50);
    }

    // 1600 x 1200: 5760000 as the figure after loading, shown 450 x 338;
    // stored as a bitmap of 5760054 bytes, which the next opening shows.
    void storedAndOpenedAgain()
    {
        const QString path = file(QStringLiteral("w.jpg"), testsupport::jpegOf(gradient(1600, 1200)));
        open(20, [&](Tberichtdlg &d) {
            load(d, 0, path);
            QCOMPARE(label(d, "bildgroessenlabel1")->text(), QStringLiteral("5760000"));
            QCOMPARE(label(d, "DBImage1")->size(), QSize(450, 338));
        });
        QCOMPARE(stored("Bild1").size(), 5760054);
        verifyBitmap(stored("Bild1"), QSize(1600, 1200));
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QCOMPARE(label(d, "bildgroessenlabel1")->text(), QStringLiteral("5760054"));
            QCOMPARE(label(d, "DBImage1")->size(), QSize(450, 338));
            d.reject();
        });
    }

    // Picture 2 has its own slider and figure; picture 1 is left alone.
    void secondPicture()
    {
        const QString path = file(QStringLiteral("z.jpg"), testsupport::jpegOf(gradient(800, 600)));
        open(70, [&](Tberichtdlg &d) {
            load(d, 1, path);
            QCOMPARE(label(d, "bildgroessenlabel2")->text(), QStringLiteral("1440000"));
            QCOMPARE(label(d, "DBImage2")->size(), QSize(450, 338));
            QCOMPARE(d.TrackBar2()->value(), 50);
            QCOMPARE(label(d, "bildgroessenlabel1")->text(), QString::number(oldPicture.size()));
            QCOMPARE(d.TrackBar1()->value(), 70);
        });
        QCOMPARE(stored("Bild1"), oldPicture);
        verifyBitmap(stored("Bild2"), QSize(800, 600));
    }

    // A cancelled dialog only shows the figure of the picture shown.
    void cancelledDialog()
    {
        open(70, [&](Tberichtdlg &d) {
            QCOMPARE(label(d, "bildgroessenlabel1")->text(), QString::number(oldPicture.size()));
            load(d, 0, QString());
            load(d, 1, QString());
            QCOMPARE(label(d, "bildgroessenlabel1")->text(), QStringLiteral("57600"));
            QCOMPARE(label(d, "bildgroessenlabel2")->text(), QStringLiteral("0"));
            QCOMPARE(d.TrackBar1()->value(), 70);
            QCOMPARE(label(d, "DBImage1")->width(), 630);
            QVERIFY(!f->tables().berichttable().isEditing());
        });
    }

    void unreadableFiles_data()
    {
        const QByteArray jpeg = testsupport::jpegOf(gradient(400, 300));
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString damaged = QStringLiteral("Die Datei „%1“ ist beschädigt oder unvollständig und kann nicht als "
                                               "Bild geladen werden.");
        QTest::newRow("cut-off JPEG") << QStringLiteral("halb.jpg") << jpeg.left(jpeg.size() / 2) << damaged.arg(QStringLiteral("halb.jpg"));
        QTest::newRow("PNG named JPEG") << QStringLiteral("x.jpg") << encoded(gradient(9, 9), "PNG") << damaged.arg(QStringLiteral("x.jpg"));
        QTest::newRow("cut-off PNG") << QStringLiteral("y.png") << encoded(gradient(90, 90), "PNG").left(80) << damaged.arg(QStringLiteral("y.png"));
        QTest::newRow("empty bitmap") << QStringLiteral("leer.bmp") << QByteArray() << damaged.arg(QStringLiteral("leer.bmp"));
        QTest::newRow("unknown kind") << QStringLiteral("bild.GIF") << QByteArray("GIF89a") << QStringLiteral("Unbekannte Bilddateierweiterung (.GIF)");
    }
    // Through the dialog, which moves the working directory as some
    // platforms' dialogs do: it is restored, and the stored picture, the
    // slider and the figure stay as they were.
    void unreadableFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = file(name, bytes);
        const QString workingDirectory = QDir::currentPath();
        QStringList filters;
        f->dialogs().onNext(QStringLiteral("OpenDialog"), [&](QDialog *dialog) {
            auto *files = static_cast<QFileDialog *>(dialog);
            QCOMPARE(files->fileMode(), QFileDialog::ExistingFile);
            QVERIFY(files->isSizeGripEnabled());
            filters = files->nameFilters();
            QDir::setCurrent(QFileInfo(path).path());
            files->selectFile(path);
            dialog->accept(); // QFileDialog::accept checks the name
        });
        open(70, [&](Tberichtdlg &d) {
            d.findChild<QPushButton *>("bild1ladenbtn")->click();
            QCOMPARE(QDir::currentPath(), workingDirectory);
            QCOMPARE(f->messages().errors(), QStringList{message});
            QCOMPARE(d.TrackBar1()->value(), 70);
            QCOMPARE(label(d, "DBImage1")->width(), 630);
            QCOMPARE(label(d, "bildgroessenlabel1")->text(), QString::number(oldPicture.size()));
        });
        QCOMPARE(filters.first(), QStringLiteral("Alle Bilder (*.jpg *.jpeg *.bmp *.ico *.png)"));
        QVERIFY(filters.contains(QStringLiteral("JPEG-Grafikdateien (*.jpg *.jpeg)")));
        QCOMPARE(stored("Bild1"), oldPicture);
    }

    // The upper area keeps its 304 pixels when the page grows; the
    // splitter's hint is on the splitter alone.
    void splitter()
    {
        open(70, [&](Tberichtdlg &d) {
            auto *splitter = d.findChild<QSplitter *>(QStringLiteral("Splitter1"));
            QCOMPARE(splitter->sizes().first(), 304);
            d.resize(d.width(), d.height() + 100);
            QCoreApplication::processEvents();
            QCOMPARE(splitter->sizes().first(), 304);
            QCOMPARE(splitter->handle(1)->toolTip(), QStringLiteral("Klicken und ziehen zum Verschieben"));
            QVERIFY(splitter->widget(0)->toolTip().isEmpty());
        });
    }
};

QTEST_MAIN(TestReportPictures)
#include "test_reportpictures.moc"
