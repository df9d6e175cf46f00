// The pictures of a report through the editor's page "Rücks. Bild": loading
// with the pixel limit, the size figures, the stored bitmap, a cancelled
// dialog and files that cannot be read.

#include "editorfixture.h"

#include "platform/filedialog.h"
#include "imagebytes.h"
#include "testjpeg.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

using testsupport::EditorFixture;

namespace {

using testsupport::fileBytes;

QImage gradient(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, 90));
    return picture;
}

} // namespace

class TestReportPictures : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorFixture> f;
    QTemporaryDir files;
    const QByteArray oldPicture = fileBytes(gradient(160, 120), "BMP");

    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile out(files.filePath(name));
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return out.fileName();
    }
    QLabel *label(const char *name) const { return f->control<QLabel>(name); }
    QByteArray stored(const char *field) const
    {
        return f->sql(QStringLiteral("SELECT %1 FROM bericht").arg(QLatin1String(field))).toByteArray();
    }
    // A stored report whose picture 1 is `oldPicture` at `zoom`, opened on
    // the picture page.
    void open(int zoom, const std::function<void(Tberichtdlg &)> &edit)
    {
        f->start(1);
        f->createAndConfirm({29});
        f->tables().exec(QStringLiteral("UPDATE bericht SET Zoom1 = %1").arg(zoom));
        store::Table &rep = f->tables().berichttable();
        rep.refresh();
        rep.edit();
        rep.setValue(QStringLiteral("Bild1"), oldPicture);
        rep.post();
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            d.seiten()->setCurrentIndex(2);
            edit(d);
            d.accept();
        });
    }
    void load(int picture, const QString &path)
    {
        platform::setNextOpenFileName(path);
        f->control<QPushButton>(picture == 0 ? "bild1ladenbtn" : "bild2ladenbtn")->click();
    }

private slots:
    void init() { f = std::make_unique<EditorFixture>(); }
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
        const auto jpeg = [](int w, int h) { return testsupport::jpegOf(gradient(w, h), testsupport::JpegColors::Rgb, 80); };
        QTest::newRow("3,100,000 pixels") << QStringLiteral("a.jpg") << jpeg(2000, 1550) << QSize(2000, 1550) << true;
        QTest::newRow("one line more") << QStringLiteral("b.JPEG") << jpeg(2000, 1551) << QSize(2000, 1551) << false;
        QTest::newRow("bitmap, one line more")
            << QStringLiteral("c.bmp") << fileBytes(gradient(2000, 1551), "BMP") << QSize(2000, 1551) << false;
        QTest::newRow("phone photo turned right")
            << QStringLiteral("e.jpg") << testsupport::withOrientation(jpeg(1200, 800), 6) << QSize(800, 1200) << true;
        QTest::newRow("icon") << QStringLiteral("f.ico") << fileBytes(gradient(48, 48), "ICO") << QSize(48, 48) << true;
    }
    // Loaded or refused, the slider goes to 50: the picture shown is 450
    // pixels wide, and its figure is width x height x 3.
    void loading()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, upright);
        QFETCH(bool, loads);
        const QString path = file(name, bytes);
        const QSize shown = loads ? upright : QSize(160, 120);
        if (!loads) // the smaller copy offered after the refusal is declined
            f->messages().answer(platform::Answer::No);
        open(100, [&](Tberichtdlg &d) {
            QCOMPARE(label("DBImage1")->width(), 900);
            load(0, path);
            QCOMPARE(d.TrackBar1()->value(), 50);
            QCOMPARE(label("groesse1")->text(), QStringLiteral("50"));
            QCOMPARE(label("DBImage1")->size(), QSize(450, int(std::nearbyint(450.0 * shown.height() / shown.width()))));
            QCOMPARE(label("bildgroessenlabel1")->text(), QString::number(shown.width() * shown.height() * 3));
        });
        QCOMPARE(f->messages().notices(),
                 loads ? QStringList() : QStringList{QStringLiteral("Die Grafik ist mit 3 Megapixeln im Ausgangsformat "
                                                                    "zu groß und kann nicht geladen werden.")});
        QCOMPARE(QImage::fromData(stored("Bild1")).size(), shown);
    }

    // After the refusal a copy scaled down to the limit is offered: upright
    // as the camera took it, of the picture's proportions and as large as
    // the limit allows; declined, the stored picture stays.
    void scaledCopyOfferedAfterTheRefusal_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("upright");
        QTest::addColumn<bool>("accepted");
        QImage marked = gradient(4000, 3000);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x)
                marked.setPixel(x, y, qRgb(250, 0, 0));
        const QByteArray photo =
            testsupport::withOrientation(testsupport::jpegOf(marked, testsupport::JpegColors::Rgb, 85), 6);
        QTest::newRow("phone photo, 12 MP, turned right")
            << QStringLiteral("p.jpg") << photo << QSize(3000, 4000) << true;
        QTest::newRow("bitmap, one line more")
            << QStringLiteral("c.bmp") << fileBytes(marked.copy(0, 0, 2000, 1551), "BMP") << QSize(2000, 1551) << true;
        QTest::newRow("declined") << QStringLiteral("d.jpg") << photo << QSize(3000, 4000) << false;
    }
    void scaledCopyOfferedAfterTheRefusal()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, upright);
        QFETCH(bool, accepted);
        const QString path = file(name, bytes);
        f->messages().answer(accepted ? platform::Answer::Yes : platform::Answer::No);
        open(100, [&](Tberichtdlg &) { load(0, path); });
        QCOMPARE(f->messages().errors(), QStringList());
        QCOMPARE(f->messages().questions().size(), 1);
        const QLocale german(QLocale::German, QLocale::Germany);
        const auto pixels = [&](const QSize &s) {
            return german.toString(s.width()) + QStringLiteral(" × ") + german.toString(s.height());
        };
        QVERIFY2(f->messages().questions().first().contains(pixels(upright) + QStringLiteral(" Bildpunkte.")),
                 qPrintable(f->messages().questions().first()));
        const QImage kept = QImage::fromData(stored("Bild1"));
        if (!accepted) {
            QCOMPARE(stored("Bild1"), oldPicture);
            return;
        }
        const qint64 count = qint64(kept.width()) * kept.height();
        QVERIFY2(count <= 3'100'000 && count > 3'090'000, qPrintable(QString::number(count)));
        QVERIFY(std::abs(double(kept.width()) / kept.height() - double(upright.width()) / upright.height()) < 0.002);
        QVERIFY2(f->messages().questions().first().contains(pixels(kept.size()) + QStringLiteral(" Bildpunkten")),
                 qPrintable(f->messages().questions().first()));
        // The red corner where the camera's orientation puts it: top left
        // as a bitmap, top right for the photo turned right.
        const bool turned = upright.height() > upright.width();
        const QColor corner = kept.pixelColor(turned ? kept.width() - 20 : 20, 20);
        QVERIFY2(corner.red() > 200 && corner.green() < 60, qPrintable(corner.name()));
    }

    // Beside each slider the size the picture prints at on the back sheet:
    // 0.18 mm per pixel shown; nothing without a picture.
    void printedSizeBesideTheSlider_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("printed");
        QTest::newRow("20 %") << 20 << false << QStringLiteral("Druckgröße: 3,2 × 2,4 cm");
        QTest::newRow("5 %") << 5 << false << QStringLiteral("Druckgröße: 0,8 × 0,6 cm");
        QTest::newRow("100 %") << 100 << false << QStringLiteral("Druckgröße: 16,2 × 12,2 cm");
        QTest::newRow("deleted") << 60 << true << QString();
    }
    void printedSizeBesideTheSlider()
    {
        QFETCH(int, zoom);
        QFETCH(bool, deleted);
        QFETCH(QString, printed);
        open(70, [&](Tberichtdlg &d) {
            d.TrackBar1()->setValue(zoom);
            if (deleted)
                f->control<QPushButton>("bild1loeschenbtn")->click();
            QCOMPARE(label("druckgroesse1")->text(), printed);
            QCOMPARE(label("druckgroesse2")->text(), QString());
        });
    }

    // 1600 x 1200: 5760000 after loading, shown 450 x 338; stored as an
    // uncompressed 24-bit bitmap, whose byte count the next opening shows.
    void storedAsBitmap()
    {
        const QString path = file(QStringLiteral("w.jpg"), testsupport::jpegOf(gradient(1600, 1200)));
        open(20, [&](Tberichtdlg &) {
            load(0, path);
            QCOMPARE(label("bildgroessenlabel1")->text(), QStringLiteral("5760000"));
            QCOMPARE(label("DBImage1")->size(), QSize(450, 338));
        });
        const QByteArray bmp = stored("Bild1");
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(bmp[28], char(24)); // bits per pixel
        QCOMPARE(bmp[30], char(0));  // no compression
        QCOMPARE(bmp.size(), 5760054);
        f->openExisting(1, 1, [&](Tberichtdlg &d) {
            QCOMPARE(label("bildgroessenlabel1")->text(), QStringLiteral("5760054"));
            QCOMPARE(label("DBImage1")->size(), QSize(450, 338));
            d.reject();
        });
    }

    // A cancelled dialog only shows the figure of the picture shown; picture
    // 2 has its own slider and figure.
    void cancelledAndSecondPicture()
    {
        const QString path = file(QStringLiteral("z.jpg"), testsupport::jpegOf(gradient(800, 600)));
        open(70, [&](Tberichtdlg &d) {
            QCOMPARE(label("bildgroessenlabel1")->text(), QString::number(oldPicture.size()));
            load(0, QString());
            QCOMPARE(label("bildgroessenlabel1")->text(), QStringLiteral("57600"));
            QCOMPARE(label("DBImage1")->width(), 630);
            QVERIFY(!f->tables().berichttable().isEditing());
            load(1, path);
            QCOMPARE(label("bildgroessenlabel2")->text(), QStringLiteral("1440000"));
            QCOMPARE(label("DBImage2")->size(), QSize(450, 338));
            QCOMPARE(d.TrackBar2()->value(), 50);
            QCOMPARE(d.TrackBar1()->value(), 70);
            QCOMPARE(label("bildgroessenlabel1")->text(), QStringLiteral("57600"));
        });
        QCOMPARE(stored("Bild1"), oldPicture);
        QCOMPARE(QImage::fromData(stored("Bild2")).size(), QSize(800, 600));
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString damaged = QStringLiteral("Die Datei „%1“ ist beschädigt oder unvollständig und kann nicht als "
                                               "Bild geladen werden. Bitte wählen Sie ein anderes Bild oder speichern Sie "
                                               "es mit einem Bildprogramm neu.");
        const QByteArray jpeg = testsupport::jpegOf(gradient(400, 300));
        QTest::newRow("cut-off JPEG") << QStringLiteral("h.jpg") << jpeg.left(jpeg.size() / 2) << damaged.arg("h.jpg");
        QTest::newRow("cut-off PNG") << QStringLiteral("y.png") << fileBytes(gradient(90, 90), "PNG").left(80)
                                     << damaged.arg("y.png");
        QTest::newRow("unknown kind") << QStringLiteral("bild.GIF") << QByteArray("GIF89a")
                                      << QStringLiteral("Unbekannte Bilddateierweiterung (.GIF)");
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
        f->dialogs().onNext(QStringLiteral("OpenDialog"), [&](QDialog *dialog) {
            auto *files = static_cast<QFileDialog *>(dialog);
            QCOMPARE(files->fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(files->nameFilters().first(), QStringLiteral("Alle Bilder (*.jpg *.jpeg *.bmp *.ico *.png)"));
            QDir::setCurrent(files->directory().rootPath());
            files->selectFile(path);
            dialog->accept(); // QFileDialog::accept checks the name
        });
        open(70, [&](Tberichtdlg &d) {
            f->control<QPushButton>("bild1ladenbtn")->click();
            QCOMPARE(QDir::currentPath(), workingDirectory);
            QCOMPARE(f->messages().errors(), QStringList{message});
            QCOMPARE(d.TrackBar1()->value(), 70);
            QCOMPARE(label("bildgroessenlabel1")->text(), QString::number(oldPicture.size()));
        });
        QCOMPARE(stored("Bild1"), oldPicture);
    }
};

QTEST_MAIN(TestReportPictures)
#include "test_reportpictures.moc"
