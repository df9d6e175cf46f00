#include "pdfphotos.h"

#include "pdfobjects.h"

#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h expects FILE and size_t
#include <cstdlib>

#include <jpeglib.h>

namespace engine::pdfphotos {

namespace {

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

// Everything the encoder changes lives here, outside the frame that calls
// setjmp.
struct Encoder
{
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    unsigned char *out = nullptr;
    unsigned long size = 0;
    QImage rgb;
    ~Encoder()
    {
        jpeg_destroy_compress(&cinfo);
        std::free(out);
    }
};

bool encode(Encoder &e, int jpegQuality)
{
    e.cinfo.err = jpeg_std_error(&e.err.pub);
    e.err.pub.error_exit = errorExit;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&e.cinfo);
    jpeg_mem_dest(&e.cinfo, &e.out, &e.size);
    e.cinfo.image_width = JDIMENSION(e.rgb.width());
    e.cinfo.image_height = JDIMENSION(e.rgb.height());
    e.cinfo.input_components = 3;
    e.cinfo.in_color_space = JCS_RGB;
    // The defaults store the colours at half resolution both ways.
    jpeg_set_defaults(&e.cinfo);
    jpeg_set_quality(&e.cinfo, jpegQuality, TRUE);
    e.cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&e.cinfo, TRUE);
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        auto *line = const_cast<JSAMPLE *>(e.rgb.constScanLine(int(e.cinfo.next_scanline)));
        jpeg_write_scanlines(&e.cinfo, &line, 1);
    }
    jpeg_finish_compress(&e.cinfo);
    return true;
}

constexpr int standInWidth = 5;
constexpr uchar mark[9] = {'L', 'N', 'R', 'P', 'H', 'O', 'T', 'O', '!'};

// The pixels of a stand-in as Qt stores them losslessly: RGB, 3 bytes each.
QByteArray standInBytes(quint32 id)
{
    QByteArray b(reinterpret_cast<const char *>(mark), sizeof mark);
    const uchar tail[6] = {uchar(id >> 24), uchar(id >> 16), uchar(id >> 8), uchar(id), 0xA5, 0x5A};
    b.append(reinterpret_cast<const char *>(tail), sizeof tail);
    return b;
}

} // namespace

QByteArray jpegOf(const QImage &picture, int jpegQuality)
{
    if (picture.isNull())
        return {};
    Encoder e;
    e.rgb = picture.convertToFormat(QImage::Format_RGB888);
    if (!encode(e, jpegQuality) || !e.out)
        return {};
    return QByteArray(reinterpret_cast<const char *>(e.out), qsizetype(e.size));
}

QImage standIn(quint32 id)
{
    const QByteArray b = standInBytes(id);
    QImage image(standInWidth, 1, QImage::Format_RGB32);
    for (int x = 0; x < standInWidth; ++x)
        image.setPixel(x, 0, qRgb(uchar(b.at(3 * x)), uchar(b.at(3 * x + 1)), uchar(b.at(3 * x + 2))));
    return image;
}

bool putPhotos(QByteArray &pdf, const QVector<Photo> &photos)
{
    using pdfobjects::numberAfter;
    pdfobjects::Objects objects;
    if (!objects.read(pdf))
        return false;
    // The stand-ins: images of five pixels in one row, their pixels deflated.
    bool replaced = false;
    for (const auto &[place, number] : objects.byPlace()) {
        const QByteArray text = objects.body(number);
        const qsizetype streamAt = text.indexOf("stream");
        if (streamAt < 0)
            continue;
        const QByteArray dict = text.left(streamAt);
        if (!dict.contains("/Subtype /Image") || numberAfter(dict, "/Width") != standInWidth
            || numberAfter(dict, "/Height") != 1 || !dict.contains("/FlateDecode"))
            continue;
        bool indirect = false;
        qint64 length = numberAfter(dict, "/Length", &indirect);
        if (indirect) {
            if (!objects.has(int(length)))
                return false;
            length = objects.body(int(length)).trimmed().toLongLong();
        }
        qsizetype dataAt = streamAt + 6;
        if (text.mid(dataAt, 2) == "\r\n")
            dataAt += 2;
        else if (text.mid(dataAt, 1) == "\n")
            dataAt += 1;
        if (length <= 0 || dataAt + length > text.size())
            continue;
        // qUncompress wants the size in front.
        constexpr int pixels = 3 * standInWidth;
        QByteArray packed(4, '\0');
        qToBigEndian<quint32>(pixels, packed.data());
        packed.append(text.mid(dataAt, length));
        const QByteArray data = qUncompress(packed);
        if (data.size() != pixels || !data.startsWith(QByteArray(reinterpret_cast<const char *>(mark), sizeof mark)))
            continue;
        const quint32 id = qFromBigEndian<quint32>(data.constData() + sizeof mark);
        if (data != standInBytes(id))
            continue;
        if (id >= quint32(photos.size()) || photos.at(int(id)).jpeg.isEmpty())
            return false;
        const Photo &photo = photos.at(int(id));
        QByteArray object = "<<\n/Type /XObject\n/Subtype /Image\n";
        object += "/Width " + QByteArray::number(photo.width) + "\n/Height " + QByteArray::number(photo.height)
                  + "\n/BitsPerComponent 8\n/ColorSpace /DeviceRGB\n/Length "
                  + QByteArray::number(photo.jpeg.size()) + "\n";
        if (dict.contains("/Interpolate true"))
            object += "/Interpolate true\n";
        object += "/Filter /DCTDecode\n>>\nstream\n" + photo.jpeg + "\nendstream";
        objects.replace(number, object);
        replaced = true;
    }
    if (replaced)
        pdf = objects.written();
    return true;
}

} // namespace engine::pdfphotos
