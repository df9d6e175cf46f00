#include "platform/jpegreader.h"
#include "platform/pictureloader.h"

#include <QTransform>
#include <csetjmp>
#include <cstdio> // jpeglib.h expects FILE and size_t
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
// jerror.h after jpeglib.h
#include <jerror.h>

namespace platform {

namespace {

// A progressive picture names its scans; a real one has a dozen, a hostile
// one could ask for millions of passes over its coefficients.
constexpr int maxScans = 256;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Everything the decoder changes lives here, outside the frame that calls
// setjmp, so that it keeps its values when an error jumps back.
struct Decoder
{
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    std::vector<JSAMPLE> row;
    QImage image;
    QSize size;
    int orientation = 1;
    bool tooLarge = false;
    bool scaleDown = false; // a picture above the limit is decoded smaller
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

// libjpeg goes on after damaged data with a warning and guesses the rest of
// the picture; such a picture is refused instead. Other warnings (a stray
// byte between segments, an unusual header) are harmless.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        errorExit(cinfo);
    default:
        ++cinfo->err->num_warnings;
    }
}

void progressMonitor(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > maxScans)
        errorExit(cinfo);
}

// The source: the file's bytes in memory. Running out of them before the
// picture ends is an error (libjpeg's own sources would invent an end).
void initSource(j_decompress_ptr) {}
boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}
void skipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr *src = cinfo->src;
    if (size_t(count) > src->bytes_in_buffer)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}
void termSource(j_decompress_ptr) {}

int orientationOf(j_decompress_ptr cinfo)
{
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            const int o = exifOrientation(m->data, m->data_length);
            if (o != 1)
                return o;
        }
    }
    return 1;
}

// Decodes into `d`; false when the picture is too large (d.tooLarge) or
// cannot be read. No object with a destructor is made in this frame.
bool decode(Decoder &d, const JOCTET *data, size_t size, qint64 maxPixels)
{
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = errorExit;
    d.err.pub.emit_message = emitMessage;
    if (setjmp(d.err.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;
    d.source.next_input_byte = data;
    d.source.bytes_in_buffer = size;
    d.source.init_source = initSource;
    d.source.fill_input_buffer = fillInputBuffer;
    d.source.skip_input_data = skipInputData;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = termSource;
    d.cinfo.src = &d.source;
    d.progress.progress_monitor = progressMonitor;
    d.cinfo.progress = &d.progress;
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(&d.cinfo, TRUE);

    const int width = int(d.cinfo.image_width);
    const int height = int(d.cinfo.image_height);
    d.orientation = orientationOf(&d.cinfo);
    d.size = d.orientation >= 5 ? QSize(height, width) : QSize(width, height);
    if (qint64(width) * height > maxPixels) {
        // Decoded in eighths of its size, the fewest that still hold the
        // limit's pixels, so that the smooth scaling after it has enough to
        // work with; a picture even an eighth of which is far above the
        // limit is refused.
        unsigned eighths = 8;
        while (d.scaleDown && eighths > 1 && qint64(width) * (eighths - 1) / 8 * (qint64(height) * (eighths - 1) / 8) >= maxPixels)
            --eighths;
        if (!d.scaleDown || qint64(width) * eighths / 8 * (qint64(height) * eighths / 8) > 4 * maxPixels) {
            d.tooLarge = true;
            return false;
        }
        d.cinfo.scale_num = eighths;
        d.cinfo.scale_denom = 8;
    }
    switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        d.cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        d.cinfo.out_color_space = JCS_RGB;
    }
    jpeg_start_decompress(&d.cinfo);
    const int outWidth = int(d.cinfo.output_width);
    const int outHeight = int(d.cinfo.output_height);
    const int components = d.cinfo.output_components;
    const bool expected = (d.cinfo.out_color_space == JCS_GRAYSCALE && components == 1) ||
                          (d.cinfo.out_color_space == JCS_CMYK && components == 4) ||
                          (d.cinfo.out_color_space == JCS_RGB && components == 3);
    const bool scaled = d.cinfo.scale_num != d.cinfo.scale_denom;
    if (!expected || (!scaled && (outWidth != width || outHeight != height)) || outWidth <= 0 || outHeight <= 0)
        ERREXIT(&d.cinfo, JERR_CONVERSION_NOTIMPL);
    d.image = QImage(outWidth, outHeight, QImage::Format_RGB888);
    if (d.image.isNull())
        ERREXIT1(&d.cinfo, JERR_OUT_OF_MEMORY, 0);
    if (components != 3)
        d.row.resize(size_t(outWidth) * size_t(components));
    // Adobe's CMYK files store the inks inverted (255 = no ink).
    const bool inverted = d.cinfo.saw_Adobe_marker;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const int y = int(d.cinfo.output_scanline);
        uchar *line = d.image.scanLine(y);
        JSAMPROW target = components == 3 ? line : d.row.data();
        if (jpeg_read_scanlines(&d.cinfo, &target, 1) != 1)
            ERREXIT(&d.cinfo, JERR_INPUT_EOF);
        if (components == 1) {
            for (int x = 0; x < outWidth; ++x)
                line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = d.row[size_t(x)];
        } else if (components == 4) {
            for (int x = 0; x < outWidth; ++x) {
                const JSAMPLE *p = &d.row[size_t(x) * 4];
                const int k = inverted ? p[3] : 255 - p[3];
                for (int c = 0; c < 3; ++c) {
                    const int ink = inverted ? p[c] : 255 - p[c];
                    line[3 * x + c] = uchar((ink * k + 127) / 255);
                }
            }
        }
    }
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

} // namespace

int exifOrientation(const unsigned char *data, size_t size)
{
    static const unsigned char exif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < 6 + 8 || std::memcmp(data, exif, 6) != 0)
        return 1;
    const unsigned char *p = data + 6; // the TIFF header
    const size_t n = size - 6;
    bool little;
    if (p[0] == 'I' && p[1] == 'I')
        little = true;
    else if (p[0] == 'M' && p[1] == 'M')
        little = false;
    else
        return 1;
    // Callers check that [at, at + 2) resp. [at, at + 4) lies inside.
    const auto u16 = [&](size_t at) -> quint32 {
        return little ? quint32(p[at] | p[at + 1] << 8) : quint32(p[at] << 8 | p[at + 1]);
    };
    const auto u32 = [&](size_t at) -> quint32 {
        return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    };
    if (u16(2) != 42)
        return 1;
    const size_t ifd = u32(4);
    if (ifd < 8 || ifd > n - 2)
        return 1;
    const size_t count = u16(ifd);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + i * 12; // at most n + 786,420: no overflow
        if (entry + 12 > n)
            return 1;
        if (u16(entry) != 0x0112)
            continue;
        const quint32 type = u16(entry + 2);
        if (u32(entry + 4) < 1)
            return 1;
        const quint32 value = type == 3 ? u16(entry + 8) : type == 4 ? u32(entry + 8) : 0;
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

QImage orientUpright(const QImage &image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5: // transposed
        return image.mirrored(false, true).transformed(QTransform().rotate(90));
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7: // transversed
        return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

JpegPicture readJpeg(const char *data, qsizetype size, qint64 maxPixels, bool scaleDown)
{
    JpegPicture result;
    if (!data || size <= 0)
        return result;
    auto d = std::make_unique<Decoder>();
    d->scaleDown = scaleDown;
    const bool ok = decode(*d, reinterpret_cast<const JOCTET *>(data), size_t(size), maxPixels);
    jpeg_destroy_decompress(&d->cinfo);
    result.size = d->size;
    if (ok) {
        result.status = JpegPicture::Status::Ok;
        result.image = orientUpright(d->image, d->orientation);
        if (qint64(result.image.width()) * result.image.height() > maxPixels)
            result.image = result.image.scaled(fitWithin(result.size, maxPixels), Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation);
        if (result.image.format() != QImage::Format_RGB888)
            result.image = result.image.convertToFormat(QImage::Format_RGB888);
    } else {
        result.status = d->tooLarge ? JpegPicture::Status::TooLarge : JpegPicture::Status::Damaged;
    }
    return result;
}

} // namespace platform
