#include "document.h"

#include <map>

#include "clock.h"

#include <QBuffer>
#include <QImageReader>
#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>
#include <QtEndian>
#include <QtMath>
#include <array>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace engine {

namespace {

constexpr quint16 format = 3;
constexpr quint16 engineVersion = 307;
constexpr char mark[4] = {'L', 'N', 'R', 'Q'};
constexpr int titleCapacity = 80;
// A page of a report is a few kilobytes; anything near this is damage.
constexpr quint32 largestPage = 256u * 1024u * 1024u;

// CRC-32 (the zlib polynomial), eight bytes a step: the pictures of a bulk
// print pass through it several hundred megabytes at a time.
using CrcTables = std::array<std::array<quint32, 256>, 8>;

const CrcTables &crcTables()
{
    static const CrcTables tables = [] {
        CrcTables t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (quint32 i = 0; i < 256; ++i)
            for (size_t k = 1; k < 8; ++k)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        return t;
    }();
    return tables;
}

// Continues a running CRC (start with 0) over more bytes.
quint32 crc32(quint32 crc, const char *data, qsizetype size)
{
    const CrcTables &t = crcTables();
    const auto *p = reinterpret_cast<const uchar *>(data);
    quint32 c = ~crc;
    for (; size >= 8; size -= 8, p += 8) {
        const quint32 lo = c ^ qFromLittleEndian<quint32>(p);
        const quint32 hi = qFromLittleEndian<quint32>(p + 4);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24]
            ^ t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; size > 0; --size, ++p)
        c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return ~c;
}

quint32 crc32(const QByteArray &data)
{
    return crc32(0, data.constData(), data.size());
}

// Days since 30 December 1899, the time stamp of saved report files.
double dayNumber(const QDateTime &t)
{
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
    return double(epoch.msecsTo(t.toLocalTime())) / 86400000.0;
}

[[noreturn]] void damaged(const QString &fileName, const QString &why)
{
    throw FileError(QStringLiteral("Die Druckdatei „%1“ ist beschädigt oder keine Druckdatei (%2).")
                        .arg(fileName.isEmpty() ? QStringLiteral("?") : fileName, why));
}

// A picture a saved file may hold: the formats the tables' picture fields
// come in. Nothing else is handed to a decoder.
QByteArray pictureFormat(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader::imageFormat(&buffer);
}

bool isStoredPictureFormat(const QByteArray &bytes)
{
    const QByteArray format = pictureFormat(bytes);
    return format == "bmp" || format == "png" || format == "jpeg";
}

QByteArray pngOf(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // Qt's PNG quality is the inverse of its compression: 100 would store
    // the pixels uncompressed. The default compresses.
    image.save(&buffer, "PNG");
    return png;
}

// Pictures are stored at the resolution they print at, and a little above
// it before they are scaled down.
constexpr double printDpi = 300.0;
constexpr double printSlack = 1.25;
// Up to this many pixels a picture is stored losslessly whatever it shows.
constexpr qint64 smallPicture = 256 * 256;
constexpr int jpegQuality = 90;

// A picture as a saved file stores it: no larger than `printed` (0.1 mm;
// empty: as it is) needs at 300 dpi, as JPEG when it is a photo without
// transparency of some size, else as PNG.
QByteArray storedForm(QImage image, const QSizeF &printed, bool photo)
{
    if (!image.isNull() && !printed.isEmpty()) {
        const QSize needed(qCeil(printed.width() / unitsPerInch * printDpi),
                           qCeil(printed.height() / unitsPerInch * printDpi));
        if (image.width() > needed.width() * printSlack || image.height() > needed.height() * printSlack)
            image = image.scaled(needed.boundedTo(image.size()).expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    }
    if (!photo || image.isNull() || image.hasAlphaChannel() || qint64(image.width()) * image.height() <= smallPicture)
        return pngOf(image);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", jpegQuality);
    return jpeg;
}

// Pictures in a file are copied and read in pieces of this size.
constexpr qint64 pieceSize = 1 << 20;

// Passes the bytes of a picture in a file through `sink` piece by piece and
// checks their sum; false when the file does not hold them (any more).
template<typename Sink>
bool readPicture(const StoredPicture &p, Sink &&sink)
{
    QFile &file = *p.file;
    const bool wasOpen = file.isOpen();
    if (!wasOpen && !file.open(QIODevice::ReadOnly))
        return false;
    const auto closeAgain = qScopeGuard([&] {
        if (!wasOpen)
            file.close();
    });
    if (!file.seek(p.offset))
        return false;
    static thread_local QByteArray piece(pieceSize, Qt::Uninitialized); // reused: no fresh pages each time
    quint32 crc = 0;
    for (qint64 left = p.length; left > 0;) {
        const qint64 n = std::min(left, pieceSize);
        if (file.read(piece.data(), n) != n)
            return false;
        crc = crc32(crc, piece.constData(), n);
        sink(piece.constData(), n);
        left -= n;
    }
    return crc == p.crc;
}

// A saved report file as its records: pages as stored, pictures as their
// bytes or places in files. Merging and copying pages work on this form
// without decoding anything.
struct Records
{
    QSizeF pageSize;
    QString title;
    QVector<QByteArray> pages; // compressed page recordings
    QVector<StoredPicture> pictures;
    QVector<QVector<Placement>> placements; // per page
};

// The placements of every page, from a data stream; each names one of
// `images` pictures.
void readPlacements(QDataStream &ds, Records &r, quint32 images, qint64 limit, const QString &fileName)
{
    for (QVector<Placement> &placed : r.placements) {
        quint32 n = 0;
        ds >> n;
        if (ds.status() != QDataStream::Ok || n > limit)
            damaged(fileName, QStringLiteral("Bildplätze"));
        for (quint32 k = 0; k < n; ++k) {
            qint32 image = 0;
            double v[8];
            ds >> image;
            for (double &x : v)
                ds >> x;
            if (ds.status() != QDataStream::Ok || image < 0 || quint32(image) >= images)
                damaged(fileName, QStringLiteral("Bildplätze"));
            placed.append({image, QRectF(v[0], v[1], v[2], v[3]), QRectF(v[4], v[5], v[6], v[7])});
        }
    }
}

// How far parse checks the pictures of a file it leaves there.
enum class Check { Now, WhenRead };

// Reads a saved report file of `size` bytes from `in`. Pictures stay in
// `file` when one is given (the device is that file), else they are read.
// With Check::Now every picture's sum and format are checked here.
Records parse(QIODevice &in, qint64 size, const QString &fileName, const std::shared_ptr<QFile> &file = {},
              Check check = Check::Now)
{
    qint64 left = size;
    // Exactly n bytes, or the file ends too soon.
    const auto take = [&](qint64 n, const QString &what) {
        if (n < 0 || n > left)
            damaged(fileName, what);
        QByteArray out = in.read(n);
        if (out.size() != n)
            damaged(fileName, what);
        left -= n;
        return out;
    };
    const QByteArray header = take(Document::headerSize, QStringLiteral("zu kurz"));
    const char *h = header.constData();
    if (qFromLittleEndian<quint16>(h) != format || std::memcmp(h + 32, mark, 4) != 0)
        damaged(fileName, QStringLiteral("unbekanntes Format"));
    const quint32 count = qFromLittleEndian<quint32>(h + 8);
    const bool compressed = h[25] != 0;
    const quint32 width = qFromLittleEndian<quint32>(h + 36);
    const quint32 height = qFromLittleEndian<quint32>(h + 40);
    const quint16 titleLength = qFromLittleEndian<quint16>(h + 44);
    if (width == 0 || height == 0 || width > 100000 || height > 100000 || titleLength > titleCapacity)
        damaged(fileName, QStringLiteral("Kopf"));

    Records r;
    r.pageSize = QSizeF(width, height);
    r.title = QString::fromUtf8(h + 48, titleLength);
    // Each page takes at least its 8 bytes of length and sum.
    if (count > quint64(left) / 8)
        damaged(fileName, QStringLiteral("Seite %1 fehlt").arg(left / 8 + 1));
    r.pages.reserve(qsizetype(count));
    const auto recordHead = [&](const QString &what) {
        const QByteArray head = take(8, what);
        return std::pair{qFromLittleEndian<quint32>(head.constData()), qFromLittleEndian<quint32>(head.constData() + 4)};
    };
    // A whole record, its sum checked.
    const auto record = [&](quint32 largest, const QString &missing, const QString &cut, const QString &sum) {
        const auto [length, crc] = recordHead(missing);
        if (length > largest)
            damaged(fileName, cut);
        QByteArray bytes = take(length, cut);
        if (crc32(bytes) != crc)
            damaged(fileName, sum);
        return bytes;
    };
    for (quint32 i = 0; i < count; ++i) {
        QByteArray stored = record(largestPage, QStringLiteral("Seite %1 fehlt").arg(i + 1),
                                   QStringLiteral("Seite %1 unvollständig").arg(i + 1),
                                   QStringLiteral("Prüfsumme der Seite %1").arg(i + 1));
        r.pages.append(compressed ? stored : qCompress(stored));
    }
    r.placements.resize(r.pages.size());
    const char layout = h[26];
    if (layout != 1 && layout != 2)
        return r;

    const QByteArray section = record(quint32(std::min<qint64>(left, 0xFFFFFFFFLL)), QStringLiteral("Bilder fehlen"),
                                      QStringLiteral("Bilder unvollständig"), QStringLiteral("Prüfsumme der Bilder"));
    QDataStream ds(section);
    ds.setByteOrder(QDataStream::LittleEndian);
    char sectionMark[4];
    quint32 images = 0;
    if (ds.readRawData(sectionMark, 4) != 4 || std::memcmp(sectionMark, "LNRI", 4) != 0)
        damaged(fileName, QStringLiteral("Bilder"));
    ds >> images;
    // Each picture takes at least 4 bytes (its length) in the section or 8
    // (its record's head) after it.
    if (ds.status() != QDataStream::Ok || images > quint64(layout == 1 ? section.size() : left) / 4)
        damaged(fileName, QStringLiteral("Bilder"));
    r.pictures.reserve(qsizetype(images));
    if (layout == 1) {
        for (quint32 i = 0; i < images; ++i) {
            quint32 length = 0;
            ds >> length;
            QByteArray bytes(qsizetype(std::min<quint32>(length, quint32(section.size()))), Qt::Uninitialized);
            if (ds.status() != QDataStream::Ok || length > quint32(section.size())
                || ds.readRawData(bytes.data(), int(length)) != int(length))
                damaged(fileName, QStringLiteral("Bild %1").arg(i + 1));
            r.pictures.append(StoredPicture::of(bytes));
        }
        readPlacements(ds, r, images, section.size(), fileName);
    } else {
        readPlacements(ds, r, images, section.size(), fileName);
        qint64 at = size - left;
        for (quint32 i = 0; i < images; ++i) {
            const QString what = QStringLiteral("Bild %1").arg(i + 1);
            const auto [length, crc] = recordHead(what);
            at += 8;
            if (qint64(length) > left)
                damaged(fileName, what);
            if (!file) {
                QByteArray bytes = take(length, what);
                if (crc32(bytes) != crc)
                    damaged(fileName, what);
                r.pictures.append(StoredPicture::of(bytes));
            } else {
                StoredPicture p;
                p.file = file;
                p.offset = at;
                p.length = length;
                p.crc = crc;
                if (check == Check::Now) {
                    QByteArray start;
                    const bool whole = readPicture(p, [&](const char *data, qint64 n) {
                        if (start.isEmpty())
                            start = QByteArray(data, std::min<qint64>(n, 64));
                    });
                    if (!whole || !isStoredPictureFormat(start))
                        damaged(fileName, what);
                }
                if (!in.seek(at + length))
                    damaged(fileName, what);
                left -= length;
                r.pictures.append(p);
            }
            at += length;
        }
    }
    // Only pictures that a decoder for their format is allowed to read.
    for (qsizetype i = 0; i < r.pictures.size(); ++i)
        if (!r.pictures.at(i).bytes.isEmpty() && !isStoredPictureFormat(r.pictures.at(i).bytes))
            damaged(fileName, QStringLiteral("Bild %1").arg(i + 1));
    return r;
}

Records parse(const QByteArray &bytes, const QString &fileName)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return parse(buffer, bytes.size(), fileName);
}

// A file's records, its pictures left in it.
Records parseFile(const QString &fileName, Check check)
{
    auto file = std::make_shared<QFile>(fileName);
    if (!file->open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Die Druckdatei „%1“ kann nicht gelesen werden: Sie fehlt oder ist gesperrt.")
                            .arg(fileName));
    return parse(*file, file->size(), fileName, file, check);
}

// Writes the file's bytes through `put`, piece by piece, in order; pictures
// in files are copied from there, checked on the way.
template<typename Put>
void write(const Records &r, Put &&put)
{
    char header[Document::headerSize] = {};
    char *h = header;
    qToLittleEndian<quint16>(format, h);
    qToLittleEndian<quint16>(engineVersion, h + 2);
    qToLittleEndian<quint32>(quint32(r.pages.size()), h + 8);
    qToLittleEndian<double>(dayNumber(now()), h + 16);
    h[25] = 1;
    h[26] = r.pictures.isEmpty() ? 0 : 2;
    std::memcpy(h + 32, mark, 4);
    qToLittleEndian<quint32>(quint32(qRound(r.pageSize.width())), h + 36);
    qToLittleEndian<quint32>(quint32(qRound(r.pageSize.height())), h + 40);
    QByteArray title = r.title.toUtf8();
    if (title.size() > titleCapacity) {
        // Cut at a character boundary.
        title.truncate(titleCapacity);
        while (!title.isEmpty() && (quint8(title.back()) & 0xC0) == 0x80)
            title.chop(1);
        if (!title.isEmpty() && (quint8(title.back()) & 0x80))
            title.chop(1);
    }
    qToLittleEndian<quint16>(quint16(title.size()), h + 44);
    std::memcpy(h + 48, title.constData(), size_t(title.size()));
    put(header, qsizetype(sizeof header));

    const auto recordHead = [&put](quint32 length, quint32 sum) {
        char head[8];
        qToLittleEndian<quint32>(length, head);
        qToLittleEndian<quint32>(sum, head + 4);
        put(head, 8);
    };
    const auto putRecord = [&](const QByteArray &bytes) {
        recordHead(quint32(bytes.size()), crc32(bytes));
        put(bytes.constData(), bytes.size());
    };
    for (const QByteArray &page : r.pages)
        putRecord(page);
    if (r.pictures.isEmpty())
        return;

    QByteArray section;
    {
        QDataStream ds(&section, QIODevice::WriteOnly);
        ds.setByteOrder(QDataStream::LittleEndian);
        ds.writeRawData("LNRI", 4);
        ds << quint32(r.pictures.size());
        for (const QVector<Placement> &placed : r.placements) {
            ds << quint32(placed.size());
            for (const Placement &p : placed)
                ds << qint32(p.image) << p.target.x() << p.target.y() << p.target.width() << p.target.height()
                   << p.clip.x() << p.clip.y() << p.clip.width() << p.clip.height();
        }
    }
    putRecord(section);
    for (const StoredPicture &p : r.pictures) {
        if (!p.file) {
            putRecord(p.bytes);
            continue;
        }
        recordHead(p.length, p.crc);
        if (!readPicture(p, put))
            damaged(p.file->fileName(), QStringLiteral("Bild"));
    }
}

[[noreturn]] void unwritable(const QString &fileName)
{
    throw FileError(QStringLiteral("Die Druckdatei „%1“ kann nicht geschrieben werden. Bitte prüfen Sie, ob auf dem "
                                   "Datenträger Platz frei ist und ob Sie in seinem Ordner schreiben dürfen.")
                        .arg(fileName));
}

void writeFile(const Records &r, const QString &fileName, Document::Durability durability)
{
    const auto writeTo = [&r](QFileDevice &file) {
        bool ok = true;
        write(r, [&](const char *data, qsizetype size) { ok = ok && file.write(data, size) == size; });
        return ok;
    };
    if (durability == Document::Durability::Synced) {
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || !writeTo(file) || !file.commit())
            unwritable(fileName);
        return;
    }
    // A file that is made again on every run: written in place, not forced
    // to the disk; one that is not finished does not stay.
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        unwritable(fileName);
    bool ok = false;
    try {
        ok = writeTo(file);
    } catch (...) {
        file.remove();
        throw;
    }
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        file.remove();
        unwritable(fileName);
    }
}

} // namespace

QByteArray StoredPicture::read() const
{
    if (!file)
        return bytes;
    QByteArray out;
    out.reserve(length);
    if (!readPicture(*this, [&out](const char *data, qint64 n) { out.append(data, n); }))
        return QByteArray();
    return out;
}

void Document::addPage(const QPicture &page, const QVector<Placement> &placements)
{
    m_pages.append(page);
    m_placements.append(placements);
}

void Document::addPage(const Document &from, int number)
{
    QVector<Placement> placed = from.placements(number);
    for (Placement &p : placed) {
        if (p.image < 0 || p.image >= from.m_images.size()) {
            p.image = -1; // draws nothing here either
            continue;
        }
        const StoredImage &s = from.m_images.at(p.image);
        // A picture that has its bytes is decoded again when drawn here.
        p.image = s.stored.isEmpty() ? addImage(s.image) : addImage(s.stored);
    }
    addPage(from.page(number), placed);
}

void Document::clear()
{
    m_pages.clear();
    m_placements.clear();
    m_images.clear();
    m_imageByKey.clear();
    m_imageByBytes.clear();
    m_decoded.clear();
    m_screen.clear();
}

namespace {

// The same bytes in memory, or the same place in the same file.
QPair<const void *, qint64> identity(const StoredPicture &p)
{
    using Key = QPair<const void *, qint64>;
    return p.file ? Key(p.file.get(), p.offset) : Key(p.bytes.constData(), 0);
}

} // namespace

int Document::addImage(const QImage &image, const QByteArray &encoded)
{
    if (!image.isNull()) {
        const auto found = m_imageByKey.constFind(image.cacheKey());
        if (found != m_imageByKey.constEnd())
            return *found;
    }
    const StoredPicture stored = StoredPicture::of(encoded);
    if (!stored.isEmpty()) {
        const auto found = m_imageByBytes.constFind(identity(stored));
        if (found != m_imageByBytes.constEnd())
            return *found;
    }
    const int index = int(m_images.size());
    m_images.append({stored, image});
    if (!image.isNull())
        m_imageByKey.insert(image.cacheKey(), index);
    if (!stored.isEmpty())
        m_imageByBytes.insert(identity(stored), index); // the bytes live as long as the entry
    return index;
}

int Document::addImage(const StoredPicture &stored)
{
    if (stored.isEmpty())
        return addImage(QImage());
    const auto found = m_imageByBytes.constFind(identity(stored));
    if (found != m_imageByBytes.constEnd())
        return *found;
    const int index = int(m_images.size());
    m_images.append({stored, QImage()});
    m_imageByBytes.insert(identity(stored), index);
    return index;
}

QImage Document::image(int index) const
{
    if (index < 0 || index >= m_images.size())
        return QImage();
    const StoredImage &s = m_images.at(index);
    if (!s.image.isNull() || s.stored.isEmpty())
        return s.image;
    // Only the pictures drawn last stay decoded: paging through a bulk
    // print of photos holds a few of them, not all.
    constexpr qsizetype kept = 8;
    s.image = QImage::fromData(s.stored.read());
    m_decoded.append(index);
    if (m_decoded.size() > kept)
        m_images.at(m_decoded.takeFirst()).image = QImage();
    return s.image;
}

QImage Document::screenImage(int index, const QSize &pixels) const
{
    if (index < 0 || index >= m_images.size() || pixels.isEmpty())
        return QImage();
    for (qsizetype i = 0; i < m_screen.size(); ++i) {
        if (m_screen.at(i).index == index && m_screen.at(i).pixels == pixels) {
            m_screen.append(m_screen.takeAt(i));
            return m_screen.last().image;
        }
    }
    // Never larger than the picture itself; drawing stretches it as the
    // page places it.
    const auto fitted = [&pixels](const QSize &size) { return pixels.boundedTo(size); };
    const StoredImage &s = m_images.at(index);
    QImage made;
    if (!s.image.isNull() || s.stored.isEmpty()) {
        made = s.image;
        if (!made.isNull() && fitted(made.size()) != made.size())
            made = made.scaled(fitted(made.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        // A JPEG is decoded right at the smaller size; the full picture is
        // neither decoded nor kept.
        QBuffer buffer;
        buffer.setData(s.stored.read());
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (size.isValid() && fitted(size) != size)
            reader.setScaledSize(fitted(size));
        made = reader.read();
    }
    // The pictures of a few pages at a time; paging back and forth and
    // changing the zoom now and then find them here.
    constexpr qsizetype kept = 24;
    m_screen.append({index, pixels, made});
    if (m_screen.size() > kept)
        m_screen.removeFirst();
    return made;
}

namespace {

Records recordsOf(const Document &doc, const QVector<StoredPicture> &pictures)
{
    Records r;
    r.pageSize = doc.pageSize();
    r.title = doc.title();
    r.pictures = pictures;
    for (int n = 1; n <= doc.pageCount(); ++n) {
        const QPicture &p = doc.page(n);
        r.pages.append(qCompress(QByteArray(p.data(), int(p.size()))));
        r.placements.append(doc.placements(n));
    }
    return r;
}

Document fromRecords(const Records &r, const QString &fileName)
{
    Document doc(r.pageSize);
    doc.setTitle(r.title);
    for (qsizetype i = 0; i < r.pages.size(); ++i) {
        // The unpacked size a page claims is what the decompressor asks
        // memory for: a few damaged bytes must not claim gigabytes.
        const QByteArray &stored = r.pages.at(i);
        if (stored.size() < 4 || qFromBigEndian<quint32>(stored.constData()) > largestPage)
            damaged(fileName, QStringLiteral("Seite %1 unlesbar").arg(i + 1));
        const QByteArray data = qUncompress(stored);
        if (data.isEmpty())
            damaged(fileName, QStringLiteral("Seite %1 unlesbar").arg(i + 1));
        QPicture page;
        page.setData(data.constData(), uint(data.size()));
        doc.addPage(page, r.placements.at(i));
    }
    for (const StoredPicture &picture : r.pictures)
        doc.addImage(picture); // decoded when drawn
    return doc;
}

} // namespace

QVector<StoredPicture> Document::storedPictures() const
{
    // The largest size each picture is placed at.
    QVector<QSizeF> printed(m_images.size());
    for (const QVector<Placement> &placed : m_placements)
        for (const Placement &p : placed)
            if (p.image >= 0 && p.image < printed.size())
                printed[p.image] = printed.at(p.image).expandedTo(p.target.size().expandedTo(QSizeF(0, 0)));
    // Nothing here changes the document: a sheet of a bulk print is saved
    // on a worker thread while the next one is rendered.
    QVector<StoredPicture> out;
    out.reserve(m_images.size());
    for (int i = 0; i < m_images.size(); ++i) {
        const StoredImage &picture = m_images.at(i);
        const StoredPicture &s = picture.stored;
        // Pictures in a file were checked when it was loaded, and stored as
        // the version that wrote it chose.
        if (s.file) {
            out.append(s);
            continue;
        }
        const QByteArray format = s.bytes.isEmpty() ? QByteArray() : pictureFormat(s.bytes);
        if (format == "png" || format == "jpeg") {
            out.append(s);
            continue;
        }
        const bool bitmap = format == "bmp";
        QImage image = picture.image;
        if (image.isNull() && !s.bytes.isEmpty())
            image = QImage::fromData(s.bytes);
        out.append(StoredPicture::of(storedForm(image, printed.at(i), bitmap)));
    }
    return out;
}

QByteArray Document::toBytes() const
{
    QByteArray out;
    write(recordsOf(*this, storedPictures()),
          [&out](const char *data, qsizetype size) { out.append(data, size); });
    return out;
}

Document Document::fromBytes(const QByteArray &bytes, const QString &fileName)
{
    return fromRecords(parse(bytes, fileName), fileName);
}

void Document::save(const QString &fileName, Durability durability) const
{
    writeFile(recordsOf(*this, storedPictures()), fileName, durability);
}

Document Document::load(const QString &fileName)
{
    return fromRecords(parseFile(fileName, Check::Now), fileName);
}

int mergeReportFiles(const QString &target, const QStringList *sources, Document::Durability durability)
{
    int result = 0;
    if (target.isEmpty())
        result = -1;
    if (!sources)
        result = -2;
    else if (sources->isEmpty())
        result = -3;
    if (result != 0)
        return result;

    // The pages are taken in; the pictures stay in their files, which are
    // closed until their records are copied (checked on the way).
    Records merged;
    bool first = true;
    for (const QString &name : *sources) {
        Records source = parseFile(name, Check::WhenRead);
        if (first) {
            merged.pageSize = source.pageSize;
            merged.title = source.title;
            first = false;
        }
        if (!source.pictures.isEmpty() && source.pictures.first().file)
            source.pictures.first().file->close();
        const qint32 offset = qint32(merged.pictures.size());
        for (QVector<Placement> &placed : source.placements)
            for (Placement &p : placed)
                p.image += offset;
        merged.pages += source.pages;
        merged.placements += source.placements;
        merged.pictures += source.pictures;
    }
    writeFile(merged, target, durability);
    return 0;
}

void copyPageRange(const QString &source, const QString &target, int first, int last, Document::Durability durability)
{
    const Records from = parseFile(source, Check::WhenRead);
    Records to;
    to.pageSize = from.pageSize;
    to.title = from.title;
    // Only the pictures of the pages taken go along, renumbered.
    QHash<int, int> taken;
    for (qsizetype i = 0; i < from.pages.size(); ++i) {
        const int n = int(i) + 1;
        if (first != 0 && (n < first || n > last))
            continue;
        QVector<Placement> placed = from.placements.at(i);
        for (Placement &p : placed) {
            auto it = taken.constFind(p.image);
            if (it == taken.constEnd()) {
                it = taken.insert(p.image, int(to.pictures.size()));
                to.pictures.append(from.pictures.at(p.image));
            }
            p.image = *it;
        }
        to.pages.append(from.pages.at(i));
        to.placements.append(placed);
    }
    writeFile(to, target, durability);
}

} // namespace engine
