#pragma once

// JPEG files made for tests with libjpeg, in RGB, grayscale or CMYK (with
// inverted inks, as Adobe's programs write them), and with an orientation tag.

#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace testsupport {

enum class JpegColors { Rgb = 3, Gray = 1, Cmyk = 4 };

inline QByteArray jpegOf(const QImage &picture, JpegColors colors = JpegColors::Rgb, int quality = 95)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const int n = int(colors);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = n;
    cinfo.in_color_space = n == 3 ? JCS_RGB : n == 1 ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    QByteArray row(rgb.width() * 4, char(255)); // CMYK: no black ink
    while (cinfo.next_scanline < cinfo.image_height) {
        const uchar *p = rgb.constScanLine(int(cinfo.next_scanline));
        auto *r = reinterpret_cast<uchar *>(row.data());
        for (int x = 0; x < rgb.width(); ++x)
            for (int c = 0; c < std::min(n, 3); ++c) // gray: the red channel
                r[n * x + c] = p[3 * x + c];
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// The JPEG with an APP1 Exif segment after its start marker whose one IFD
// entry is the orientation (1 to 8), in big- or little-endian byte order.
inline QByteArray withOrientation(const QByteArray &jpeg, int orientation, bool bigEndian = false)
{
    const char o = char(orientation);
    const QByteArray tiff = bigEndian ? QByteArray("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 18) + '\0' + o
                                      : QByteArray("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18) + o + '\0';
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff + QByteArray(6, 0); // value padding, no next IFD
    const auto length = QByteArray(1, char((payload.size() + 2) >> 8)) + char((payload.size() + 2) & 0xff);
    return jpeg.left(2) + QByteArray("\xff\xe1", 2) + length + payload + jpeg.mid(2);
}

} // namespace testsupport
