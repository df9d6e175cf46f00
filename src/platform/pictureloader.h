#pragma once

// Loading a picture file for a report: JPEG through our own libjpeg reader,
// bitmaps, icons and PNG through Qt's readers. The size is read from the
// file's header first, so a picture above the limit is refused before it is
// decoded. Pictures are kept as uncompressed 24-bit bitmaps.

#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

struct LoadedPicture
{
    enum class Status { Ok, TooLarge, Failed };
    Status status = Status::Failed;
    QSize size;    // as shown; known also for a picture that is too large
    QImage image;  // only with Ok
    QString error; // with Failed: the German message for the user
};

// Reads the picture file `path`; more than `maxPixels` pixels give TooLarge
// without decoding the picture, or with Fit::ScaleDown a copy scaled down
// smoothly to the largest size of its proportions within the limit
// (`size` then stays the file's own). The kind is taken from the file's
// extension: "jpg", "jpeg", "bmp", "ico", "png" (in any case).
enum class Fit { Refuse, ScaleDown };
LoadedPicture loadPicture(const QString &path, qint64 maxPixels, Fit fit = Fit::Refuse);

// The largest size of the same proportions, to the pixel, with at most
// `maxPixels` pixels; `size` itself when it has no more.
QSize fitWithin(const QSize &size, qint64 maxPixels);

// The filter of the picture file dialog, naming the kinds loadPicture reads.
QString pictureFileFilter();

// The picture as an uncompressed 24-bit BMP file; transparent parts become
// white.
QByteArray toBitmap(const QImage &image);

} // namespace platform
