#pragma once

// A rendered document: the pictures of its pages, the page size and a title.
// It can be saved to a saved report file and loaded from one:
//
//   header, 128 bytes (little-endian):
//     0  uint16  3      format
//     2  uint16  307    engine version
//     8  uint32         number of pages
//    16  double         creation time, days since 30 December 1899
//    25  uint8          1 when the pages are compressed
//    32  char[4] "LNRQ" our mark
//    36  uint32         page width, 0.1 mm
//    40  uint32         page height, 0.1 mm
//    44  uint16         length of the title in UTF-8 (at most 80 bytes)
//    48  char[80]       title
//   then per page: uint32 length, uint32 CRC-32 of the stored bytes, the
//   bytes of the page picture (zlib-compressed when flagged).
//   When byte 26 of the header is 2, the pictures placed on the pages follow
//   as more records of the same form (length, CRC-32, bytes): first "LNRI",
//   uint32 count of pictures, then per page uint32 count of placements, each
//   as int32 picture and the target and clip rectangles as 8 doubles
//   (0.1 mm; an empty clip: none); then one record per picture, its bytes in
//   a picture file format (BMP, PNG or JPEG). Files of earlier versions have
//   1 there and the pictures inside the "LNRI" record, each as uint32 length
//   and bytes before the placements; they are read as well.
//
// Pictures are saved compressed. A picture that came from stored bytes (a
// table's picture field) in PNG or JPEG keeps those bytes: saving writes them
// unchanged. A bitmap (BMP, as the tables store photos) is written as JPEG
// (quality 90) no larger than it prints at 300 dpi on its largest placement
// (a picture up to a quarter above that stays as it is), never enlarged; a
// small one (at most 256 x 256 pixels), one with transparency and a picture
// made in the program without bytes as PNG. Files of earlier versions may
// hold bitmaps; they are read as ever, and nothing in the layout changed.
// A loaded document holds its pictures as places in its file, which stays
// open, and reads and decodes a picture when a page that shows it is drawn
// (on the screen at the size it is shown); merging files copies picture
// records as they are. A bulk print of hundreds of photos thus compresses
// each once, when its sheet is saved, and neither decodes nor holds them on
// the way to the preview.
//
// A file that is truncated, damaged or not a saved report file is refused
// with an error; loading never trusts a length or count it has not checked.

#include "pagedevice.h"
#include "pdfphotos.h"

#include <QHash>
#include <QImage>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <vector>
#include <memory>
#include <stdexcept>

class QFile;
class QSemaphore;
class QThreadPool;

class QPrinter;

namespace engine {

// An error reading or writing a saved report file; what() is German text for
// the user (UTF-8).
class FileError : public std::runtime_error
{
public:
    explicit FileError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// A picture placed on a page: drawn over the page's recording, scaled to
// its target, inside its clip (0.1 mm). Pages hold pictures by reference,
// so a picture on many pages is stored and exported once.
struct Placement
{
    int image = 0; // index into the document's pictures
    QRectF target;
    QRectF clip; // empty: no clip
};

// The bytes of a picture as a saved file holds them: in memory, or at a
// place in a file.
struct StoredPicture
{
    QByteArray bytes;
    std::shared_ptr<QFile> file; // when not in memory; opened when needed
    qint64 offset = 0;
    quint32 length = 0;
    quint32 crc = 0; // CRC-32 of the bytes in the file

    static StoredPicture of(const QByteArray &bytes)
    {
        StoredPicture p;
        p.bytes = bytes;
        return p;
    }
    bool isEmpty() const { return bytes.isEmpty() && !file; }
    // The bytes; those in a file are read and checked against their sum.
    // Empty when they cannot be read (the file gone or changed).
    QByteArray read() const;
};

class Document
{
public:
    static constexpr int headerSize = 128;

    explicit Document(const QSizeF &pageSize = a4) : m_pageSize(pageSize) {}

    QSizeF pageSize() const { return m_pageSize; }
    void setPageSize(const QSizeF &size) { m_pageSize = size; }
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    int pageCount() const { return int(m_pages.size()); }
    // Pages are numbered from 1.
    const QPicture &page(int number) const { return m_pages.at(number - 1); }
    void addPage(const QPicture &page, const QVector<Placement> &placements = {});
    // Page `number` of another document, its pictures included.
    void addPage(const Document &from, int number);
    void clear();
    // A copy to draw from on another thread while this one is in use: its
    // own pages, its pictures decoded on their own and read through file
    // handles of its own.
    Document forAnotherThread() const;
    // The pictures placed on the pages. An image already held (the same
    // QImage met through addImage before) is held once. `encoded` are the
    // bytes the image was decoded from, if any: they are what a saved file
    // stores, and an image decoded from the same bytes is the same picture.
    int addImage(const QImage &image, const QByteArray &encoded = QByteArray());
    int imageCount() const { return int(m_images.size()); }
    // Decoded on first use; a document loaded from a file keeps only the
    // few pictures drawn last decoded.
    QImage image(int index) const;
    const QVector<Placement> &placements(int number) const { return m_placements.at(number - 1); }

    // Draws page `number` so that it fills target (painter coordinates). For
    // print every picture is drawn from its whole image; on the screen from a
    // copy scaled to the device pixels it covers, decoded at that size where
    // its format allows and kept for the next drawing.
    enum class Output { Print, Screen };
    void paint(QPainter &painter, int number, const QRectF &target, Output output = Output::Print) const;
    // The same with each picture first reduced to the pixels it prints at
    // (see PrintedPictures): what a PDF embeds.
    class PrintedPictures;
    void paint(QPainter &painter, int number, const QRectF &target, PrintedPictures &pictures) const;
    // Picture `index` scaled to fit pixels (never enlarged); kept among the
    // few used last.
    QImage screenImage(int index, const QSize &pixels) const;

    // Saved report files; both throw FileError. A temporary file (a sheet of
    // a bulk print) is not forced to the disk before save returns.
    enum class Durability { Synced, Temporary };
    void save(const QString &fileName, Durability durability = Durability::Synced) const;
    static Document load(const QString &fileName);
    // The same from and to bytes (the file's whole content).
    QByteArray toBytes() const;
    static Document fromBytes(const QByteArray &bytes, const QString &fileName = QString());

    // A picture as its bytes, decoded when drawn; the same bytes (the same
    // place in the same file) are one picture.
    int addImage(const StoredPicture &stored);

private:
    void paintPictures(QPainter &painter, int number, const QRectF &target, PrintedPictures *printed,
                       Output output) const;
    // What a saved file holds for each picture.
    QVector<StoredPicture> storedPictures() const;

    struct StoredImage
    {
        StoredPicture stored; // empty: the image was made, not read
        mutable QImage image;
    };
    QSizeF m_pageSize;
    QString m_title;
    QVector<QPicture> m_pages;
    QVector<QVector<Placement>> m_placements; // per page
    QVector<StoredImage> m_images;
    QHash<qint64, int> m_imageByKey; // QImage::cacheKey -> index
    QHash<QPair<const void *, qint64>, int> m_imageByBytes; // bytes' data or (file, offset) -> index
    mutable QVector<int> m_decoded; // images decoded from their bytes, last used last
    struct ScreenImage
    {
        int index = -1;
        QSize pixels;
        QImage image;
    };
    mutable QVector<ScreenImage> m_screen; // last used last
};

// The pictures of a document as a PDF embeds them: each scaled down to
// `dpi` at its printed size (never enlarged), as a 32-bit image, which Qt's
// PDF engine stores as JPEG (DCT; a soft mask where it is transparent);
// pictures of few colours (drawings, screen shots) are stored without loss.
// A picture is prepared once per size and kept, so that Qt, which knows an
// image by its cacheKey, embeds a picture drawn on many pages once; the least
// recently drawn are let go beyond `keptBytes`. With `photos`, an opaque
// picture of many colours is encoded here (see pdfphotos.h) and a stand-in
// drawn in its place; photos() are what the stand-ins stand for.
class Document::PrintedPictures
{
public:
    explicit PrintedPictures(double dpi = 300, qint64 keptBytes = 64ll << 20, bool photos = false);
    ~PrintedPictures();

    struct Prepared
    {
        QImage image; // null: nothing to draw
        bool lossless = false;
    };
    // Picture `index` of `document` for a box of `pixels` device pixels on
    // a device of `deviceDpi`.
    Prepared prepared(const Document &document, int index, const QSizeF &pixels, double deviceDpi);
    // A picture of at most 256 colours: a drawing rather than a photo.
    static bool fewColours(const QImage &image);

    using Photo = pdfphotos::Photo;
    // The photos by the number of their stand-ins, once all are encoded. A
    // photo that could not be decoded is empty.
    QVector<Photo> photos();
    // The pictures to come are another document's: those kept are let go
    // (their numbers are the last document's), the photos stay.
    void nextDocument()
    {
        m_entries.clear();
        m_bytes = 0;
    }

private:
    // A photo stored as JPEG is decoded, scaled and encoded on a worker
    // thread while the pages go on being drawn; a few at a time, so that
    // their pixels are not all held at once.
    void encodeLater(const QByteArray &jpeg, const QSize &wanted);

    struct Entry
    {
        Prepared prepared;
        quint64 used = 0;
    };
    double m_dpi;
    qint64 m_keptBytes;
    bool m_standIns;
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
    QHash<QPair<int, QSize>, Entry> m_entries; // (picture, pixels) -> prepared
    // By the number of their stand-ins; each written by one worker.
    std::vector<std::unique_ptr<Photo>> m_photos;
    std::unique_ptr<QSemaphore> m_room;
    std::unique_ptr<QThreadPool> m_workers; // last: waited for before the photos go
};

// Writes the document as a PDF file, one A4 page (the document's page size)
// per page, text and rules kept as vectors, pictures as PrintedPictures
// makes them. `progress` (may be empty) is told each page before it is
// drawn (1 to the page count); when it returns false the export stops and
// returns false, and the file of that name stays as it was, as it does when
// the export fails. Throws FileError.
using PdfProgress = std::function<bool(int page, int pages)>;
bool exportPdf(const Document &document, const QString &fileName, const PdfProgress &progress = {});

// Prints pages first to last (first 0: every page) on the printer, as one
// job; returns false when the printer could not be started.
bool printPages(const Document &document, QPrinter &printer, int first = 0, int last = 0);

// Report file merge: the pages of the source files, in list order, into the
// target file, record by record (nothing is decoded). Returns 0 when done, -1 for an empty target name, -2 when no
// list is given, -3 for an empty list; nothing is written unless 0. A source
// that cannot be read throws FileError.
int mergeReportFiles(const QString &target, const QStringList *sources,
                     Document::Durability durability = Document::Durability::Synced);

// Page-range copy: pages first to last of the source into the target; a
// first page of 0 copies every page, first > last copies none. Throws
// FileError when the source cannot be read or the target not written.
void copyPageRange(const QString &source, const QString &target, int first, int last,
                   Document::Durability durability = Document::Durability::Synced);

} // namespace engine
