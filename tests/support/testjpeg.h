#pragma once

// JPEG files made for tests with libjpeg: in RGB, grayscale or (inverted,
// as Adobe's programs write it) CMYK, and with an orientation tag.

#include <QByteArray>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace testsupport {

enum class JpegColors { Rgb, Gray, Cmyk };

inline QByteArray jpegOf(const QImage &picture, JpegColors colors = JpegColors::Rgb, int quality = 95)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = colors == JpegColors::Rgb ? 3 : colors == JpegColors::Gray ? 1 : 4;
    cinfo.in_color_space = colors == JpegColors::Rgb ? JCS_RGB : colors == JpegColors::Gray ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    QByteArray row(rgb.width() * 4, 0);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uchar *p = rgb.constScanLine(int(cinfo.next_scanline));
        auto *r = reinterpret_cast<uchar *>(row.data());
        for (int x = 0; x < rgb.width(); ++x) {
            const uchar *px = p + 3 * x;
            if (colors == JpegColors::Rgb) {
                r[3 * x] = px[0], r[3 * x + 1] = px[1], r[3 * x + 2] = px[2];
            } else if (colors == JpegColors::Gray) {
                r[x] = uchar((px[0] + px[1] + px[2]) / 3);
            } else { // inverted inks: 255 = none; no black ink
                r[4 * x] = px[0], r[4 * x + 1] = px[1], r[4 * x + 2] = px[2], r[4 * x + 3] = 255;
            }
        }
        JSAMPROW rows[1] = {r};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// The JPEG with an APP1 Exif segment after its start marker, holding one
// IFD entry: the orientation (1 to 8), in the byte order of `bigEndian`.
inline QByteArray withOrientation(const QByteArray &jpeg, int orientation, bool bigEndian = false)
{
    QByteArray tiff = bigEndian ? QByteArray("MM\0\x2a\0\0\0\x08", 8) : QByteArray("II\x2a\0\x08\0\0\0", 8);
    const auto u16 = [&](int v) {
        tiff += bigEndian ? char(v >> 8) : char(v & 0xff);
        tiff += bigEndian ? char(v & 0xff) : char(v >> 8);
    };
    u16(1);                         // one entry
    u16(0x0112), u16(3);            // orientation, SHORT
    u16(bigEndian ? 0 : 1), u16(bigEndian ? 1 : 0); // count 1
    u16(orientation), u16(0);       // value
    tiff += QByteArray(4, 0);       // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xff\xe1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xff);
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

} // namespace testsupport
