#include "pdfphotos.h"

#include <QRegularExpression>
#include <QtEndian>
#include <cctype>
#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h expects FILE and size_t
#include <cstdlib>
#include <map>

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

// A number in `text` after `key` and a space, or -1.
qint64 numberAfter(const QByteArray &text, const QByteArray &key, bool *indirect = nullptr)
{
    static const QRegularExpression number(QStringLiteral("^\\s+(\\d+)(\\s+0\\s+R)?"));
    for (qsizetype at = text.indexOf(key); at >= 0; at = text.indexOf(key, at + 1)) {
        // The key whole, not the start of a longer name.
        const qsizetype end = at + key.size();
        if (end < text.size() && (std::isalnum(uchar(text.at(end)))))
            continue;
        const auto m = number.match(QString::fromLatin1(text.mid(end, 32)));
        if (!m.hasMatch())
            return -1;
        if (indirect)
            *indirect = m.capturedLength(2) > 0;
        return m.captured(1).toLongLong();
    }
    return -1;
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
    // The cross-reference table: one section from object 0, as Qt writes it.
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    if (startxref < 0)
        return false;
    const qint64 xrefAt = pdf.mid(startxref + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong();
    if (xrefAt <= 0 || xrefAt >= startxref || !pdf.mid(xrefAt).startsWith("xref"))
        return false;
    const qsizetype trailerAt = pdf.indexOf("trailer", xrefAt);
    if (trailerAt < 0 || trailerAt > startxref)
        return false;
    const QList<QByteArray> head = pdf.mid(xrefAt, 64).split('\n');
    const QList<QByteArray> range = head.value(1).trimmed().split(' ');
    if (range.size() != 2 || range.at(0) != "0")
        return false;
    const int count = range.at(1).toInt();
    const qsizetype entriesAt = xrefAt + head.at(0).size() + 1 + head.at(1).size() + 1;
    if (count <= 0 || entriesAt + qsizetype(count) * 20 > trailerAt)
        return false;
    // Object number by place in the file; each object runs to the next.
    std::map<qint64, int> byPlace;
    for (int i = 1; i < count; ++i) {
        const QByteArray entry = pdf.mid(entriesAt + qsizetype(i) * 20, 20);
        if (entry.at(17) != 'n')
            continue;
        byPlace[entry.left(10).toLongLong()] = i;
    }
    if (byPlace.empty() || byPlace.begin()->first <= 0)
        return false;
    std::map<int, QByteArray> objects; // number -> its text, "N 0 obj" to the next
    for (auto it = byPlace.begin(); it != byPlace.end(); ++it) {
        const auto next = std::next(it);
        const qint64 end = next == byPlace.end() ? xrefAt : next->first;
        QByteArray text = pdf.mid(it->first, end - it->first);
        if (!text.startsWith(QByteArray::number(it->second) + " 0 obj"))
            return false;
        objects[it->second] = std::move(text);
    }

    // The stand-ins: images of five pixels in one row, their pixels deflated.
    std::map<int, QByteArray> replaced;
    for (const auto &[number, text] : objects) {
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
            const auto found = objects.find(int(length));
            if (found == objects.end())
                return false;
            length = found->second.mid(found->second.indexOf("obj") + 3, 24).trimmed().split('\n').value(0).toLongLong();
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
        QByteArray object = QByteArray::number(number) + " 0 obj\n<<\n/Type /XObject\n/Subtype /Image\n";
        object += "/Width " + QByteArray::number(photo.width) + "\n/Height " + QByteArray::number(photo.height)
                  + "\n/BitsPerComponent 8\n/ColorSpace /DeviceRGB\n/Length "
                  + QByteArray::number(photo.jpeg.size()) + "\n";
        if (dict.contains("/Interpolate true"))
            object += "/Interpolate true\n";
        object += "/Filter /DCTDecode\n>>\nstream\n" + photo.jpeg + "\nendstream\nendobj\n";
        replaced[number] = object;
    }
    if (replaced.empty())
        return true;

    // The file again: what stands before the first object, the objects in
    // their order, a new table, the old trailer.
    QByteArray out = pdf.left(byPlace.begin()->first);
    std::map<int, qint64> placeOf;
    for (const auto &[place, number] : byPlace) {
        placeOf[number] = out.size();
        const auto r = replaced.find(number);
        out += r != replaced.end() ? r->second : objects.at(number);
    }
    const qint64 newXref = out.size();
    out += "xref\n0 " + QByteArray::number(count) + "\n";
    for (int i = 0; i < count; ++i) {
        const auto p = placeOf.find(i);
        if (p == placeOf.end()) {
            out += pdf.mid(entriesAt + qsizetype(i) * 20, 20);
            continue;
        }
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(p->second));
        out.append(entry, 20);
    }
    out += pdf.mid(trailerAt, startxref - trailerAt);
    out += "startxref\n" + QByteArray::number(newXref) + "\n%%EOF\n";
    pdf = std::move(out);
    return true;
}

} // namespace engine::pdfphotos
