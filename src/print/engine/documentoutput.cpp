#include "document.h"

#include "pdfbook.h"
#include "pdfphotos.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSemaphore>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <map>

// Documents on paper and in PDF files.

namespace engine {

Document Document::forAnotherThread() const
{
    Document copy(*this);
    copy.m_decoded.clear();
    copy.m_screen.clear();
    // Replaying a page moves a position inside it: each page its own.
    for (QPicture &page : copy.m_pages) {
        QPicture own;
        own.setData(page.data(), page.size());
        page = own;
    }
    // Own elements: a decoded picture is kept in the element it came from.
    copy.m_images.detach();
    std::map<const QFile *, std::shared_ptr<QFile>> files;
    for (StoredImage &s : copy.m_images) {
        if (s.stored.isEmpty())
            continue; // a made picture: only read from here on
        s.image = QImage();
        if (!s.stored.file)
            continue;
        std::shared_ptr<QFile> &own = files[s.stored.file.get()];
        if (!own)
            own = std::make_shared<QFile>(s.stored.file->fileName());
        s.stored.file = own;
    }
    return copy;
}

void Document::paint(QPainter &painter, int number, const QRectF &target, Output output) const
{
    paintPictures(painter, number, target, nullptr, output);
}

void Document::paint(QPainter &painter, int number, const QRectF &target, PrintedPictures &pictures) const
{
    paintPictures(painter, number, target, &pictures, Output::Print);
}

void Document::paintPictures(QPainter &painter, int number, const QRectF &target, PrintedPictures *printed,
                             Output output) const
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
    const double deviceDpi = painter.device() ? painter.device()->logicalDpiX() : 0.0;
    for (const Placement &p : placed) {
        PrintedPictures::Prepared img;
        if (printed && deviceDpi > 0) {
            img = printed->prepared(*this, p.image, painter.worldTransform().mapRect(p.target).size(), deviceDpi);
        } else if (output == Output::Screen) {
            // The device pixels the picture covers.
            const QTransform t = painter.deviceTransform();
            const QSizeF covered = t.isRotating() ? t.mapRect(p.target).size()
                                                  : QSizeF(p.target.width() * qAbs(t.m11()),
                                                           p.target.height() * qAbs(t.m22()));
            img.image =
                screenImage(p.image, QSize(qMax(1, qRound(covered.width())), qMax(1, qRound(covered.height()))));
        } else {
            img.image = image(p.image);
        }
        if (img.image.isNull())
            continue;
        painter.save();
        if (!p.clip.isEmpty())
            painter.setClipRect(p.clip, Qt::IntersectClip);
        painter.setRenderHint(QPainter::LosslessImageRendering, img.lossless);
        painter.drawImage(p.target, img.image);
        painter.restore();
    }
    painter.restore();
}

bool Document::PrintedPictures::fewColours(const QImage &image)
{
    // Counted on the prepared picture (RGB32 or ARGB32), stopping at the
    // 257th colour: a photo stops within its first rows.
    constexpr int most = 256;
    QSet<QRgb> seen;
    seen.reserve(most + 1);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seen.insert(line[x]);
            if (seen.size() > most)
                return false;
        }
    }
    return true;
}

Document::PrintedPictures::PrintedPictures(double dpi, qint64 keptBytes, bool photos)
    : m_dpi(dpi), m_keptBytes(keptBytes), m_standIns(photos)
{
}

Document::PrintedPictures::~PrintedPictures()
{
    if (m_workers)
        m_workers->waitForDone();
}

QVector<Document::PrintedPictures::Photo> Document::PrintedPictures::photos()
{
    if (m_workers)
        m_workers->waitForDone();
    QVector<Photo> all;
    all.reserve(qsizetype(m_photos.size()));
    for (const auto &photo : m_photos)
        all.append(*photo);
    return all;
}

void Document::PrintedPictures::encodeLater(const QByteArray &jpeg, const QSize &wanted)
{
    if (!m_workers) {
        const int threads = std::max(1, QThread::idealThreadCount());
        m_workers = std::make_unique<QThreadPool>();
        m_workers->setMaxThreadCount(threads);
        m_room = std::make_unique<QSemaphore>(2 * threads);
    }
    m_photos.push_back(std::make_unique<Photo>());
    Photo *photo = m_photos.back().get();
    m_room->acquire();
    m_workers->start([photo, jpeg, wanted, room = m_room.get()] {
        QBuffer buffer;
        buffer.setData(jpeg);
        QImageReader reader(&buffer, "jpeg");
        // Decoded at the size it is printed at, never enlarged: the decoder
        // skips most of the work for a photo far larger than its box.
        const QSize size = reader.size();
        if (size.isValid() && wanted.width() < size.width() && wanted.height() < size.height())
            reader.setScaledSize(wanted);
        const QImage image = reader.read();
        if (!image.isNull())
            *photo = {pdfphotos::jpegOf(image), image.width(), image.height()};
        room->release();
    });
}

Document::PrintedPictures::Prepared Document::PrintedPictures::prepared(const Document &document, int index,
                                                                        const QSizeF &pixels, double deviceDpi)
{
    // The pixels the box needs at our resolution; a picture smaller than
    // that is drawn as it is, never enlarged.
    const QSize wanted(std::max(1, int(std::ceil(pixels.width() * m_dpi / deviceDpi))),
                       std::max(1, int(std::ceil(pixels.height() * m_dpi / deviceDpi))));
    const QPair<int, QSize> key(index, wanted);
    auto found = m_entries.find(key);
    if (found != m_entries.end()) {
        found->used = ++m_clock;
        return found->prepared;
    }
    const auto keep = [&](const Prepared &made) {
        // The least recently drawn make room.
        const qint64 bytes = made.image.sizeInBytes();
        while (m_bytes + bytes > m_keptBytes && !m_entries.isEmpty()) {
            auto oldest = m_entries.begin();
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
                if (it->used < oldest->used)
                    oldest = it;
            m_bytes -= oldest->prepared.image.sizeInBytes();
            m_entries.erase(oldest);
        }
        m_entries.insert(key, {made, ++m_clock});
        m_bytes += bytes;
        return made;
    };
    if (m_standIns && index >= 0 && index < document.m_images.size()) {
        // A photo read as JPEG (JPEG has no transparency, and it is a photo:
        // a drawing is not stored lossily) is left to the workers.
        const StoredImage &stored = document.m_images.at(index);
        if (stored.image.isNull() && !stored.stored.isEmpty()) {
            const QByteArray bytes = stored.stored.read();
            if (bytes.startsWith("\xFF\xD8\xFF")) {
                const Prepared made{pdfphotos::standIn(quint32(m_photos.size())), true};
                encodeLater(bytes, wanted);
                return keep(made);
            }
        }
    }
    const QImage source = document.image(index);
    if (source.isNull())
        return {};
    QImage image = source;
    if (wanted.width() < source.width() && wanted.height() < source.height())
        image = source.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Qt's PDF engine stores a 32-bit picture as JPEG, with a soft mask when
    // it has transparency; any other format would be converted on the way.
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.format() != format)
        image = image.convertToFormat(format);
    Prepared made{image, fewColours(image)};
    if (m_standIns && !made.lossless && format == QImage::Format_RGB32) {
        // Any other photo: encoded here, a stand-in drawn for it.
        QByteArray jpeg = pdfphotos::jpegOf(image);
        if (!jpeg.isEmpty()) {
            made = {pdfphotos::standIn(quint32(m_photos.size())), true};
            m_photos.push_back(std::make_unique<Photo>(Photo{jpeg, image.width(), image.height()}));
        }
    }
    return keep(made);
}

bool exportPdf(const Document &document, const QString &fileName, const PdfProgress &progress)
{
    // One part: the document as it is, with Qt's own properties.
    PdfBook book;
    book.properties.title = document.title();
    book.properties.archival = false;
    book.parts.push_back({document.pageCount(), [&document] { return document; }});
    return exportPdf(book, fileName, progress);
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

} // namespace engine
