#include "document.h"

#include "clock.h"

#include <QBuffer>
#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QtEndian>
#include <array>
#include <cstring>

namespace engine {

namespace {

constexpr quint16 format = 3;
constexpr quint16 engineVersion = 307;
constexpr char mark[4] = {'L', 'N', 'R', 'Q'};
constexpr int titleCapacity = 80;
// A page of a report is a few kilobytes; anything near this is damage.
constexpr quint32 largestPage = 256u * 1024u * 1024u;

quint32 crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char ch : data)
        c = table[(c ^ quint8(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
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

} // namespace

void Document::paint(QPainter &painter, int number, const QRectF &target) const
{
    if (number < 1 || number > pageCount())
        return;
    paintPage(painter, page(number), m_pageSize, target);
    const QVector<Placement> &placed = m_placements.at(number - 1);
    if (placed.isEmpty() || m_pageSize.isEmpty())
        return;
    // Each picture is drawn from the one image the document holds, so that
    // a PDF embeds a picture used on many pages once.
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / m_pageSize.width(), target.height() / m_pageSize.height());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Placement &p : placed) {
        if (p.image < 0 || p.image >= m_images.size())
            continue;
        painter.save();
        if (!p.clip.isEmpty())
            painter.setClipRect(p.clip, Qt::IntersectClip);
        painter.drawImage(p.target, m_images.at(p.image));
        painter.restore();
    }
    painter.restore();
}

void Document::addPage(const QPicture &page, const QVector<Placement> &placements)
{
    m_pages.append(page);
    m_placements.append(placements);
}

void Document::addPage(const Document &from, int number)
{
    QVector<Placement> placed = from.placements(number);
    for (Placement &p : placed)
        p.image = addImage(from.m_images.value(p.image));
    addPage(from.page(number), placed);
}

void Document::clear()
{
    m_pages.clear();
    m_placements.clear();
    m_images.clear();
    m_imageByKey.clear();
}

int Document::addImage(const QImage &image)
{
    const auto found = m_imageByKey.constFind(image.cacheKey());
    if (found != m_imageByKey.constEnd())
        return *found;
    const int index = int(m_images.size());
    m_images.append(image);
    m_imageByKey.insert(image.cacheKey(), index);
    return index;
}

QByteArray Document::toBytes() const
{
    QByteArray out(headerSize, '\0');
    char *h = out.data();
    qToLittleEndian<quint16>(format, h);
    qToLittleEndian<quint16>(engineVersion, h + 2);
    qToLittleEndian<quint32>(quint32(pageCount()), h + 8);
    qToLittleEndian<double>(dayNumber(now()), h + 16);
    h[25] = 1;
    std::memcpy(h + 32, mark, 4);
    qToLittleEndian<quint32>(quint32(qRound(m_pageSize.width())), h + 36);
    qToLittleEndian<quint32>(quint32(qRound(m_pageSize.height())), h + 40);
    QByteArray title = m_title.toUtf8();
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

    const auto appendRecord = [&out](const QByteArray &stored) {
        char head[8];
        qToLittleEndian<quint32>(quint32(stored.size()), head);
        qToLittleEndian<quint32>(crc32(stored), head + 4);
        out.append(head, 8);
        out.append(stored);
    };
    for (const QPicture &p : m_pages)
        appendRecord(qCompress(QByteArray(p.data(), int(p.size()))));
    if (!m_images.isEmpty()) {
        h = out.data();
        h[26] = 1;
        QByteArray section;
        QDataStream ds(&section, QIODevice::WriteOnly);
        ds.setByteOrder(QDataStream::LittleEndian);
        ds.writeRawData("LNRI", 4);
        ds << quint32(m_images.size());
        for (const QImage &image : m_images) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG", 100);
            ds << quint32(png.size());
            ds.writeRawData(png.constData(), int(png.size()));
        }
        for (const QVector<Placement> &placed : m_placements) {
            ds << quint32(placed.size());
            for (const Placement &p : placed)
                ds << qint32(p.image) << p.target.x() << p.target.y() << p.target.width() << p.target.height()
                   << p.clip.x() << p.clip.y() << p.clip.width() << p.clip.height();
        }
        appendRecord(section);
    }
    return out;
}

Document Document::fromBytes(const QByteArray &bytes, const QString &fileName)
{
    if (bytes.size() < headerSize)
        damaged(fileName, QStringLiteral("zu kurz"));
    const char *h = bytes.constData();
    if (qFromLittleEndian<quint16>(h) != format || std::memcmp(h + 32, mark, 4) != 0)
        damaged(fileName, QStringLiteral("unbekanntes Format"));
    const quint32 count = qFromLittleEndian<quint32>(h + 8);
    const bool compressed = h[25] != 0;
    const quint32 width = qFromLittleEndian<quint32>(h + 36);
    const quint32 height = qFromLittleEndian<quint32>(h + 40);
    const quint16 titleLength = qFromLittleEndian<quint16>(h + 44);
    if (width == 0 || height == 0 || width > 100000 || height > 100000 || titleLength > titleCapacity)
        damaged(fileName, QStringLiteral("Kopf"));

    Document doc(QSizeF(width, height));
    doc.m_title = QString::fromUtf8(h + 48, titleLength);
    qsizetype at = headerSize;
    for (quint32 i = 0; i < count; ++i) {
        if (bytes.size() - at < 8)
            damaged(fileName, QStringLiteral("Seite %1 fehlt").arg(i + 1));
        const quint32 length = qFromLittleEndian<quint32>(h + at);
        const quint32 sum = qFromLittleEndian<quint32>(h + at + 4);
        at += 8;
        if (length > largestPage || qsizetype(length) > bytes.size() - at)
            damaged(fileName, QStringLiteral("Seite %1 unvollständig").arg(i + 1));
        const QByteArray stored = bytes.mid(at, length);
        at += length;
        if (crc32(stored) != sum)
            damaged(fileName, QStringLiteral("Prüfsumme der Seite %1").arg(i + 1));
        const QByteArray data = compressed ? qUncompress(stored) : stored;
        QPicture page;
        if (data.isEmpty())
            damaged(fileName, QStringLiteral("Seite %1 unlesbar").arg(i + 1));
        page.setData(data.constData(), uint(data.size()));
        doc.addPage(page);
    }
    if (h[26] == 1) {
        if (bytes.size() - at < 8)
            damaged(fileName, QStringLiteral("Bilder fehlen"));
        const quint32 length = qFromLittleEndian<quint32>(h + at);
        const quint32 sum = qFromLittleEndian<quint32>(h + at + 4);
        at += 8;
        if (qsizetype(length) > bytes.size() - at)
            damaged(fileName, QStringLiteral("Bilder unvollständig"));
        const QByteArray section = bytes.mid(at, length);
        if (crc32(section) != sum)
            damaged(fileName, QStringLiteral("Prüfsumme der Bilder"));
        QDataStream ds(section);
        ds.setByteOrder(QDataStream::LittleEndian);
        char sectionMark[4];
        quint32 images = 0;
        if (ds.readRawData(sectionMark, 4) != 4 || std::memcmp(sectionMark, "LNRI", 4) != 0)
            damaged(fileName, QStringLiteral("Bilder"));
        ds >> images;
        if (images > quint32(section.size()))
            damaged(fileName, QStringLiteral("Bilder"));
        for (quint32 i = 0; i < images; ++i) {
            quint32 size = 0;
            ds >> size;
            if (ds.status() != QDataStream::Ok || size > quint32(section.size()))
                damaged(fileName, QStringLiteral("Bild %1").arg(i + 1));
            QByteArray png(qsizetype(size), Qt::Uninitialized);
            if (ds.readRawData(png.data(), int(size)) != int(size))
                damaged(fileName, QStringLiteral("Bild %1").arg(i + 1));
            doc.m_images.append(QImage::fromData(png, "PNG"));
        }
        for (QVector<Placement> &placed : doc.m_placements) {
            quint32 count = 0;
            ds >> count;
            if (ds.status() != QDataStream::Ok || count > quint32(section.size()))
                damaged(fileName, QStringLiteral("Bildplätze"));
            for (quint32 k = 0; k < count; ++k) {
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
    return doc;
}

void Document::save(const QString &fileName) const
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toBytes()) < 0 || !file.commit())
        throw FileError(QStringLiteral("Die Druckdatei „%1“ kann nicht geschrieben werden: %2")
                            .arg(fileName, file.errorString()));
}

Document Document::load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(
            QStringLiteral("Die Druckdatei „%1“ kann nicht gelesen werden: %2").arg(fileName, file.errorString()));
    return fromBytes(file.readAll(), fileName);
}

void exportPdf(const Document &document, const QString &fileName)
{
    QPdfWriter pdf(fileName);
    pdf.setResolution(1200);
    pdf.setPageSize(QPageSize(document.pageSize() / unitsPerMm, QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(document.title());
    pdf.setCreator(QStringLiteral("Lernora"));
    QPainter p;
    if (!p.begin(&pdf))
        throw FileError(QStringLiteral("Die PDF-Datei „%1“ kann nicht geschrieben werden.").arg(fileName));
    const QRectF page(0, 0, pdf.width(), pdf.height());
    for (int n = 1; n <= document.pageCount(); ++n) {
        if (n > 1)
            pdf.newPage();
        document.paint(p, n, page);
    }
    if (!p.end())
        throw FileError(QStringLiteral("Die PDF-Datei „%1“ kann nicht geschrieben werden.").arg(fileName));
}

bool printPages(const Document &document, QPrinter &printer, int first, int last)
{
    QPainter p;
    bool started = false;
    for (int n = 1; n <= document.pageCount(); ++n) {
        if (first != 0 && (n < first || n > last))
            continue;
        if (!started) {
            if (!p.begin(&printer))
                return false;
            started = true;
        } else {
            printer.newPage();
        }
        // The page keeps its physical size, placed at the paper's corner.
        const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
        const QRectF page = printer.pageRect(QPrinter::DevicePixel);
        const double perUnit = printer.logicalDpiX() / double(unitsPerInch);
        const QSizeF size(document.pageSize().width() * perUnit,
                          document.pageSize().height() * printer.logicalDpiY() / double(unitsPerInch));
        document.paint(p, n, QRectF(paper.topLeft() - page.topLeft(), size));
    }
    return true;
}

int mergeReportFiles(const QString &target, const QStringList *sources)
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

    Document merged;
    bool first = true;
    for (const QString &name : *sources) {
        const Document source = Document::load(name);
        if (first) {
            merged.setPageSize(source.pageSize());
            merged.setTitle(source.title());
            first = false;
        }
        for (int n = 1; n <= source.pageCount(); ++n)
            merged.addPage(source, n);
    }
    merged.save(target);
    return 0;
}

void copyPageRange(const QString &source, const QString &target, int first, int last)
{
    const Document from = Document::load(source);
    Document to(from.pageSize());
    to.setTitle(from.title());
    for (int n = 1; n <= from.pageCount(); ++n)
        if (first == 0 || (first <= n && n <= last))
            to.addPage(from, n);
    to.save(target);
}

} // namespace engine
