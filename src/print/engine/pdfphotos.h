#pragma once

// Photos in a PDF at a compression of our choosing. Qt's PDF engine stores
// every 32-bit picture as a JPEG of fixed high quality and full colour
// resolution; at the resolution a page is printed at that is three to five
// times the bytes a photo needs. The export therefore draws a small
// stand-in of its own for each photo, which Qt embeds losslessly where the
// photo goes (with the photo's placement, clip and reuse across pages), and
// afterwards puts the photo's own JPEG into the stand-in's image object.
//
// The file Qt writes holds its objects one after the other with a
// cross-reference table of their places; the objects are copied as they
// are, only the stand-ins replaced, and the table written anew.

#include <QByteArray>
#include <QImage>
#include <QVector>

namespace engine::pdfphotos {

// The quality photos are stored at: at 300 dpi no difference shows on
// paper, with the colours at half resolution as cameras store them.
constexpr int quality = 60;

// JPEG bytes of an opaque picture, colours subsampled 2 x 2. Empty when the
// picture cannot be encoded.
QByteArray jpegOf(const QImage &picture, int jpegQuality = quality);

// The stand-in for photo `id`: a few pixels no picture of a report shows.
QImage standIn(quint32 id);

// A photo for the stand-in of the same number.
struct Photo
{
    QByteArray jpeg;
    int width = 0, height = 0;
};

// Replaces the image object of each stand-in in `pdf` by the photo of its
// number. False, with `pdf` unchanged, when the file is not laid out as
// expected or a stand-in has no photo; true when nothing was to be done.
bool putPhotos(QByteArray &pdf, const QVector<Photo> &photos);

} // namespace engine::pdfphotos
