#include "platform/pictureloader.h"

#include "platform/jpegreader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace platform {

namespace {

QString quoted(const QString &path)
{
    return QStringLiteral("„%1“").arg(QFileInfo(path).fileName());
}

QString unreadable(const QString &path)
{
    return QStringLiteral("Die Datei %1 ist beschädigt oder unvollständig und kann nicht als Bild geladen werden. "
                          "Bitte wählen Sie ein anderes Bild oder speichern Sie es mit einem Bildprogramm neu.")
        .arg(quoted(path));
}

LoadedPicture failed(const QString &message)
{
    LoadedPicture result;
    result.error = message;
    return result;
}

LoadedPicture loadJpeg(const QString &path, qint64 maxPixels, bool scaleDown)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("Die Datei %1 kann nicht geöffnet werden.").arg(quoted(path)));
    // Mapped, the file costs only the pages the decoder reads: a picture
    // that is too large is refused after its header.
    const qint64 size = file.size();
    QByteArray bytes;
    const char *data = size > 0 ? reinterpret_cast<const char *>(file.map(0, size)) : nullptr;
    if (!data && size > 0) {
        bytes = file.readAll();
        if (bytes.size() != size)
            return failed(QStringLiteral("Die Datei %1 kann nicht gelesen werden.").arg(quoted(path)));
        data = bytes.constData();
    }
    const JpegPicture jpeg = readJpeg(data, qsizetype(size), maxPixels, scaleDown);
    LoadedPicture result;
    result.size = jpeg.size;
    switch (jpeg.status) {
    case JpegPicture::Status::Ok:
        result.status = LoadedPicture::Status::Ok;
        result.image = jpeg.image;
        break;
    case JpegPicture::Status::TooLarge:
        result.status = LoadedPicture::Status::TooLarge;
        break;
    case JpegPicture::Status::Damaged:
        result.error = unreadable(path);
        break;
    }
    return result;
}

LoadedPicture loadWithQt(const QString &path, const QByteArray &format, qint64 maxPixels, bool scaleDown)
{
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    if (!QFileInfo(path).isReadable() || !reader.canRead())
        return QFileInfo::exists(path) && !QFileInfo(path).isReadable()
                   ? failed(QStringLiteral("Die Datei %1 kann nicht geöffnet werden.").arg(quoted(path)))
                   : failed(unreadable(path));
    LoadedPicture result;
    result.size = reader.size();
    if (!scaleDown && result.size.isValid() && qint64(result.size.width()) * result.size.height() > maxPixels) {
        result.status = LoadedPicture::Status::TooLarge;
        return result;
    }
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return failed(unreadable(path));
    if (!scaleDown || !result.size.isValid())
        result.size = image.size();
    if (qint64(image.width()) * image.height() > maxPixels) {
        if (!scaleDown) {
            result.status = LoadedPicture::Status::TooLarge;
            return result;
        }
        image = image.scaled(fitWithin(image.size(), maxPixels), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    result.status = LoadedPicture::Status::Ok;
    result.image = image;
    return result;
}

} // namespace

QSize fitWithin(const QSize &size, qint64 maxPixels)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels <= maxPixels || size.isEmpty())
        return size;
    const double factor = std::sqrt(double(maxPixels) / double(pixels));
    int w = std::max(1, int(size.width() * factor));
    int h = std::max(1, int(size.height() * factor));
    while (qint64(w) * h > maxPixels) // rounding may leave a row too many
        w > h ? --w : --h;
    return QSize(w, h);
}

LoadedPicture loadPicture(const QString &path, qint64 maxPixels, Fit fit)
{
    const QString suffix = QFileInfo(path).suffix();
    const QString kind = suffix.toLower();
    if (kind == u"jpg" || kind == u"jpeg")
        return loadJpeg(path, maxPixels, fit == Fit::ScaleDown);
    if (kind == u"bmp" || kind == u"ico" || kind == u"png")
        return loadWithQt(path, kind.toLatin1(), maxPixels, fit == Fit::ScaleDown);
    return failed(QStringLiteral("Unbekannte Bilddateierweiterung (.%1)").arg(suffix));
}

QString pictureFileFilter()
{
    // The metafile kinds (emf, wmf) have no reader here and are not offered.
    return QStringLiteral("Alle Bilder (*.jpg *.jpeg *.bmp *.ico *.png);;"
                          "JPEG-Grafikdateien (*.jpg *.jpeg);;"
                          "Bitmaps (*.bmp);;"
                          "Symbole (*.ico);;"
                          "PNG-Grafikdateien (*.png)");
}

QByteArray toBitmap(const QImage &image)
{
    QImage rgb;
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        rgb = flat.convertToFormat(QImage::Format_RGB888);
    } else {
        rgb = image.convertToFormat(QImage::Format_RGB888);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    rgb.save(&buffer, "BMP");
    return bytes;
}

} // namespace platform
