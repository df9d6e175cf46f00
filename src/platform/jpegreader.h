#pragma once

// Reading JPEG pictures with libjpeg. The header is read first, so a picture
// above the pixel limit is refused before anything is decoded; libjpeg's
// errors return here instead of ending the process, and damaged or cut-off
// data is refused rather than shown half grey. The picture comes out upright
// as the camera's orientation tag says, in 24-bit RGB, also from grayscale
// and CMYK files.

#include <QImage>
#include <QSize>

namespace platform {

struct JpegPicture
{
    enum class Status { Ok, TooLarge, Damaged };
    Status status = Status::Damaged;
    // Width and height as shown (after the orientation): known from the
    // header, so also for a picture that is too large.
    QSize size;
    QImage image; // Format_RGB888, only with Ok
};

// Decodes `size` bytes of a JPEG file. A picture of more than `maxPixels`
// pixels is refused from its header alone; with `scaleDown` it is decoded
// smaller instead and comes out as large as fitWithin allows (`size` stays
// the picture's own; see fitWithin in pictureloader.h).
JpegPicture readJpeg(const char *data, qsizetype size, qint64 maxPixels, bool scaleDown = false);

// The orientation (1 to 8) given by the payload of an APP1 segment (starting
// with "Exif\0\0"); 1 when the segment holds none or cannot be read.
int exifOrientation(const unsigned char *data, size_t size);

// Turns an image taken in `orientation` (1 to 8) upright.
QImage orientUpright(const QImage &image, int orientation);

} // namespace platform
