// Report pictures: reading a 2-megapixel JPEG with libjpeg, loading it as a
// report's picture through "Bild laden" (decoded, turned into a bitmap,
// shown and sized), storing the report, opening it again; refusing a
// 12-megapixel JPEG, which must cost only its header.

#include "app/application.h"
#include "app/mainform.h"
#include "bench.h"
#include "benchsupport.h"
#include "editor/reporteditor.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "platform/pictureloader.h"
#include "store/fields.h"
#include "store/install.h"
#include "store/tableset.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

namespace field = store::field;

namespace bench {

namespace {



// A photo-like picture (smooth shades and some detail), saved as JPEG.
QString photo(const QString &path, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            line[3 * x] = uchar(x * 255 / width);
            line[3 * x + 1] = uchar(y * 255 / height);
            line[3 * x + 2] = uchar((x ^ y) & 0x3f);
        }
    }
    picture.save(path, "JPG", 90);
    return path;
}

} // namespace

void pictureBenchmarks()
{
    QTemporaryDir dir;
    store::installDataDirectory(dir.path());
    const QString twoMp = photo(dir.filePath(QStringLiteral("zwei.jpg")), 1632, 1224);
    const QString twelveMp = photo(dir.filePath(QStringLiteral("zwoelf.jpg")), 4000, 3000);
    const qint64 limit = 3'100'000;

    const int runs = 20;
    report("picture: read a 2-MP JPEG (libjpeg)", runs, measure(runs, [&] { platform::loadPicture(twoMp, limit); }));
    const int refusals = 50;
    report("picture: refuse a 12-MP JPEG", refusals,
           measure(refusals, [&] { platform::loadPicture(twelveMp, limit); }));

    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        StandIns user;
        lernora::Application program;
        Tberichtdlg &dialog = *program.mainForm()->berichtdlg();
        store::Table &reports = program.tables().berichttable();
        reports.append();
        reports.setValue(field::AJahr, 1);
        reports.setValue(field::Nummer, 1);
        reports.setValue(field::Blatt, 1);
        reports.post();

        const int loads = 10;
        report("editor: load a 2-MP JPEG as picture 1", loads, measure(loads, [&] {
                   platform::setNextOpenFileName(twoMp);
                   dialog.bildladenbtnClick(0);
               }));
        report("editor: store the report with it", loads, measure(
                                                               loads, [&] { reports.post(); },
                                                               [&] {
                                                                   platform::setNextOpenFileName(twoMp);
                                                                   dialog.bildladenbtnClick(0);
                                                               }));
        report("editor: open the report with it, OK", loads, measure(loads, [&] {
                   dialog.openStored(1, 1);
                   QApplication::processEvents();
               }));
        const int before = user.messages.notices;
        report("editor: refuse a 12-MP JPEG", refusals, measure(refusals, [&] {
                   platform::setNextOpenFileName(twelveMp);
                   dialog.bildladenbtnClick(0);
               }));
        if (user.messages.notices - before != refusals)
            std::fprintf(stderr, "error: the 12-MP picture was not refused\n");
        reports.cancel();
    }
    QDir::setCurrent(previous);
}

} // namespace bench
